#include "catalogue/catalogue.h"

#include <windows.h>

#include "catalogue/rules.h"
#include "settings/default_selection.h"
#include "settings/inifun.h"
#include "settings/item_flags.h"

namespace catalogue {

namespace {

// A family of built-in items, after a preparation that opens no row.
struct Family {
  std::span<const Item> (*items)();
  StepCall prepare = nullptr;
};

constexpr Family kFamilies[] = {
    {BrowserItems}, {WindowsItems}, {MessengerItems}, {OfficeItems, PrepareOfficeItems}, {MailItems}};

void RunItem(const Item& item, run::ItemContext& context) {
  context.BeginItem(item.section, item.key, item.label);
  for (const Step& step : item.steps) {
    if (context.erase.Stopped()) break;
    RunStep(step, context);
  }
  context.EndItem();
}

class ItemsStage : public run::Stage {
 public:
  explicit ItemsStage(const Family& family) : family_(family) {}

  void Run(run::ItemContext& context) const override {
    if (family_.prepare) family_.prepare(context);
    for (const Item& item : family_.items()) {
      if (context.erase.Stopped()) return;
      // Read when the item is reached, so a switch changed during the run counts for the items ahead.
      if (Runs(item, context)) {
        context.view.PumpMessages();
        if (item.names) {
          // Only this item may erase the kept data its label names.
          engine::EraseContext erase = context.erase;
          erase.keptAllowed = item.names;
          run::ItemContext named{erase, context.counters, context.run, context.values, context.programFolder,
                                 context.view, context.choice};
          RunItem(item, named);
        } else {
          RunItem(item, context);
        }
      }
      if (item.progress != kNoProgress) context.SetProgress(item.progress);
    }
  }

 private:
  const Family& family_;
};

}  // namespace

std::vector<const Item*> RunOrder() {
  std::vector<const Item*> order;
  for (const Family& family : kFamilies) {
    for (const Item& item : family.items()) order.push_back(&item);
  }
  return order;
}

bool IsOn(const Item& item, const std::wstring& settingsFile) {
  std::wstring flag = inifun::ReadIniValue(settingsFile, item.section, item.key);
  return item.rule == FlagRule::NumberOne ? inifun::FlagTest(flag) : inifun::RunTest(flag);
}

bool Runs(const Item& item, const run::ItemContext& context) {
  if (context.choice) return context.choice(item.section, item.key);
  return IsOn(item, settings::SettingsFile(context.programFolder));
}

bool InstallDefaultSelection(const std::wstring& programFolder) {
  const std::wstring file = settings::SettingsFile(programFolder);
  if (GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
  inifun::IniBatch batch(file);
  for (const settings::DefaultItem& item : settings::DefaultSelection()) batch.Set(item.section, item.key, L"1");
  rules::StoreDefaultTicks(batch, programFolder);
  batch.Set(L"Options", settings::kDefaultSelectionKey, L"1");
  return batch.Commit();
}

run::Stages Stages() {
  run::Stages stages;
  for (const Family& family : kFamilies) stages.push_back(std::make_unique<ItemsStage>(family));
  stages.push_back(CustomItemsStage());
  stages.push_back(PluginStage());
  stages.push_back(RuleStage());
  return stages;
}

}  // namespace catalogue
