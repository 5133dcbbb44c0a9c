#include "catalogue/item_list.h"

#include <algorithm>
#include <set>

#include "catalogue/catalogue.h"
#include "catalogue/plugins.h"
#include "catalogue/rules.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/translation.h"
#include "settings/default_selection.h"
#include "settings/item_flags.h"
#include "settings/policies.h"

namespace catalogue {

namespace {

// What a plug-in's or a rule's line adds to a name already listed, so that each line is named once.
struct SectionKind {
  std::wstring_view section;
  const wchar_t* kind;
};
constexpr const wchar_t* kItemKind = platform::TrLater(L"item");
constexpr SectionKind kKinds[] = {{plugins::kPluginSection, platform::TrLater(L"plug-in")},
                                  {rules::kCommunitySection, platform::TrLater(L"rule")},
                                  {rules::kShippedSection, platform::TrLater(L"rule")}};

// The label as listed: a name taken before says what kind of item this one is, then its key.
std::wstring UniqueLabel(std::set<std::wstring>& taken, const ListedItem& item) {
  std::wstring label = item.label;
  if (taken.count(platform::ToLower(label))) {
    auto kind = std::find_if(std::begin(kKinds), std::end(kKinds),
                             [&](const SectionKind& k) { return k.section == item.section; });
    label += L" (" + std::wstring(platform::Tr(kind != std::end(kKinds) ? kind->kind : kItemKind)) + L")";
  }
  if (taken.count(platform::ToLower(label))) label += L" [" + item.section + L"/" + item.key + L"]";
  taken.insert(platform::ToLower(label));
  return label;
}

}  // namespace

std::vector<ListedItem> ListItems(const std::wstring& programFolder) {
  std::wstring settingsFile = settings::SettingsFile(programFolder);
  const bool newUser = !platform::FileExists(settingsFile);
  std::vector<ListedItem> items;
  for (const Item* item : RunOrder()) {
    const bool on = newUser ? settings::InDefaultSelection(item->section, item->key) : IsOn(*item, settingsFile);
    items.push_back({item->section, item->key, platform::Tr(item->label), on});
  }
  items.push_back(
      {kCustomItem.section, kCustomItem.key, platform::Tr(kCustomItem.label), IsOn(kCustomItem, settingsFile)});
  for (const plugins::PluginEntry& entry : plugins::ProgramPlugins(programFolder)) {
    items.push_back({plugins::kPluginSection, entry.name, entry.name, entry.ticked});
  }
  // The rules that apply to this machine; the others cannot run here.
  for (const rules::RuleChoice& choice : rules::RuleChoices(programFolder)) {
    const std::wstring& name = choice.rule.name;
    const bool on = newUser ? rules::TickedByDefault(choice.rule) : choice.ticked;
    if (choice.detected) items.push_back({choice.rule.section, name, rules::ShownName(choice.rule), on});
  }
  std::set<std::wstring> taken;
  for (ListedItem& item : items) {
    item.label = UniqueLabel(taken, item);
    if (std::optional<bool> fixed = settings::PolicySelects(settings::PoliciesInForce(), item.section, item.key)) {
      item.on = *fixed;
      item.fixed = true;
    }
  }
  return items;
}

}  // namespace catalogue
