#include "catalogue/item_list.h"

#include "catalogue/catalogue.h"
#include "catalogue/plugins.h"
#include "catalogue/rules.h"
#include "settings/item_flags.h"

namespace catalogue {

std::vector<ListedItem> ListItems(const std::wstring& programFolder) {
  std::wstring settingsFile = settings::SettingsFile(programFolder);
  std::vector<ListedItem> items;
  for (const Item* item : RunOrder())
    items.push_back({item->section, item->key, item->label, IsOn(*item, settingsFile)});
  items.push_back({kCustomItem.section, kCustomItem.key, kCustomItem.label, IsOn(kCustomItem, settingsFile)});
  for (const plugins::PluginEntry& entry : plugins::ListPlugins(plugins::PluginFolder(programFolder))) {
    items.push_back({plugins::kPluginSection, entry.name, entry.name, entry.ticked});
  }
  // The rules that apply to this machine; the others cannot run here.
  for (const rules::RuleChoice& choice : rules::RuleChoices(programFolder)) {
    const std::wstring& name = choice.rule.name;
    if (choice.detected) items.push_back({choice.rule.section, name, name, choice.ticked});
  }
  return items;
}

}  // namespace catalogue
