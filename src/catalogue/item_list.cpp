#include "catalogue/item_list.h"

#include "catalogue/catalogue.h"
#include "catalogue/plugins.h"
#include "catalogue/rules.h"
#include "platform/files.h"
#include "settings/default_selection.h"
#include "settings/item_flags.h"

namespace catalogue {

std::vector<ListedItem> ListItems(const std::wstring& programFolder) {
  std::wstring settingsFile = settings::SettingsFile(programFolder);
  const bool newUser = !platform::FileExists(settingsFile);
  std::vector<ListedItem> items;
  for (const Item* item : RunOrder()) {
    const bool on = newUser ? settings::InDefaultSelection(item->section, item->key) : IsOn(*item, settingsFile);
    items.push_back({item->section, item->key, item->label, on});
  }
  items.push_back({kCustomItem.section, kCustomItem.key, kCustomItem.label, IsOn(kCustomItem, settingsFile)});
  for (const plugins::PluginEntry& entry : plugins::ListPlugins(plugins::PluginFolder(programFolder))) {
    items.push_back({plugins::kPluginSection, entry.name, entry.name, entry.ticked});
  }
  // The rules that apply to this machine; the others cannot run here.
  for (const rules::RuleChoice& choice : rules::RuleChoices(programFolder)) {
    const std::wstring& name = choice.rule.name;
    const bool on = newUser ? rules::TickedByDefault(choice.rule) : choice.ticked;
    if (choice.detected) items.push_back({choice.rule.section, name, name, on});
  }
  return items;
}

}  // namespace catalogue
