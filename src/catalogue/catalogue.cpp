#include "catalogue/catalogue.h"

#include <windows.h>

#include <algorithm>

#include "catalogue/rules.h"
#include "engine/cookie_database.h"
#include "platform/text.h"
#include "settings/default_selection.h"
#include "settings/inifun.h"
#include "settings/item_flags.h"

namespace catalogue {

namespace {

// A family of built-in items, after a preparation that opens no row.
struct Family {
  std::span<const Item> (*items)();
  StepCall prepare = nullptr;
  // The items of Windows itself: always installed.
  bool ofWindows = false;
};

constexpr Family kFamilies[] = {
    {BrowserItems}, {WindowsItems, nullptr, true}, {MessengerItems}, {OfficeItems, PrepareOfficeItems}, {MailItems}};

// The folders and keys the item's steps would touch when none of them is there: its program is not
// on this computer. Empty when one is there, or when a step does what its data does not say (a call).
// Another user's run takes only the steps that clean that user's own profile.
bool Takes(const Step& step, const run::ItemContext& context) {
  return context.values.user.Current() || ForEachUser(step);
}

std::vector<std::wstring> AbsentTargets(const Item& item, const run::ItemContext& context) {
  std::vector<std::wstring> absent;
  for (const Step& step : item.steps) {
    if (!Takes(step, context)) continue;
    if (step.op == Op::Call) return {};
    std::optional<StepTarget> target = TargetOf(step, context);
    if (!target) continue;
    if (target->found) return {};
    absent.push_back(target->name);
  }
  return absent;
}

// The steps of an item that is not installed still run: with none of their folders and keys there
// they erase nothing, and the estimated counters count the item's recipe as they always have.
void RunItem(const Item& item, bool ofWindows, run::ItemContext& context) {
  context.BeginItem(item.section, item.key, platform::Tr(item.label));
  std::vector<std::wstring> absent = ofWindows ? std::vector<std::wstring>() : AbsentTargets(item, context);
  for (const Step& step : item.steps) {
    if (context.erase.Stopped()) break;
    if (Takes(step, context)) RunStep(step, context);
  }
  if (!absent.empty()) context.NotInstalled(std::move(absent));
  context.EndItem();
}

class ItemsStage : public run::Stage {
 public:
  explicit ItemsStage(const Family& family) : family_(family) {}

  void Run(run::ItemContext& context) const override {
    // What a preparation learns holds for every user of the run.
    if (family_.prepare && context.values.user.Current()) family_.prepare(context);
    for (const Item& item : family_.items()) {
      if (context.erase.Stopped()) return;
      // Read when the item is reached, so a switch changed during the run counts for the items ahead.
      // Another user's run opens no row for an item that has nothing of that user's to clean.
      const bool forThisUser =
          context.values.user.Current() ||
          std::any_of(item.steps.begin(), item.steps.end(), [&](const Step& step) { return Takes(step, context); });
      if (forThisUser && Runs(item, context)) {
        context.view.PumpMessages();
        if (item.names) {
          // Only this item may erase the kept data its label names.
          engine::EraseContext erase = context.erase;
          erase.keptAllowed = item.names;
          run::ItemContext named{erase,        context.counters, context.run, context.values, context.programFolder,
                                 context.view, context.choice};
          RunItem(item, family_.ofWindows, named);
        } else {
          RunItem(item, family_.ofWindows, context);
        }
      }
      if (item.progress != kNoProgress) context.SetProgress(item.progress);
    }
  }
  bool ForEveryUser() const override { return true; }

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

const Item* FindItem(std::wstring_view section, std::wstring_view key) {
  for (const Item* item : RunOrder()) {
    if (platform::EqualsNoCase(item->section, section) && platform::EqualsNoCase(item->key, key)) return item;
  }
  return nullptr;
}

KeepList SparedBy(const rules::Rule& rule) {
  for (const rules::FileKey& fileKey : rule.fileKeys) {
    if (std::any_of(fileKey.patterns.begin(), fileKey.patterns.end(), engine::NamesCookieDatabase)) {
      return KeepList::Cookies;
    }
  }
  return KeepList::None;
}

bool IsOn(const Item& item, const std::wstring& settingsFile) {
  std::wstring flag = settings::inifun::ReadIniValue(settingsFile, item.section, item.key);
  return item.rule == FlagRule::NumberOne ? settings::inifun::FlagTest(flag) : settings::inifun::RunTest(flag);
}

bool Runs(const Item& item, const run::ItemContext& context) {
  return context.Runs(item.section, item.key,
                      [&] { return IsOn(item, settings::SettingsFile(context.programFolder)); });
}

platform::Result<void> InstallDefaultSelection(const std::wstring& programFolder) {
  const std::wstring file = settings::SettingsFile(programFolder);
  if (GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES) return {};
  settings::inifun::IniBatch batch(file);
  for (const settings::DefaultItem& item : settings::DefaultSelection()) batch.Set(item.section, item.key, L"1");
  catalogue::rules::StoreDefaultTicks(batch, programFolder);
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
