#pragma once
// The built-in cleaning items: for each, its flag in the settings file, the label of its result
// row, the progress value set after it and its erasure steps.
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/rule_file.h"
#include "catalogue/steps.h"
#include "platform/result.h"
#include "platform/translation.h"
#include "run/stage.h"

namespace catalogue {

// The Maxthon flags count as on for any text that reads as the number 1; every other item
// only for exactly "1".
enum class FlagRule { ExactlyOne, NumberOne };

constexpr int kNoProgress = -1;
// Where the bar stands after the custom files and folders, and after the plug-ins.
constexpr int kCustomProgress = 80;
constexpr int kPluginProgress = 97;

struct Item {
  const wchar_t* section;
  const wchar_t* key;
  const wchar_t* label;
  int progress = kNoProgress;  // the bar is left where it is after an item without one
  FlagRule rule = FlagRule::ExactlyOne;
  std::vector<Step> steps = {};
  // The kinds of kept data (engine::KeptKind) the label names: the item's steps may erase them.
  unsigned names = 0;
};

std::span<const Item> BrowserItems();
std::span<const Item> WindowsItems();
std::span<const Item> MessengerItems();
std::span<const Item> OfficeItems();
std::span<const Item> MailItems();

// Learns which generation of the office suite is installed, once per run, before its items.
void PrepareOfficeItems(run::ItemContext& context);

// Every built-in item in the order the run reaches them.
std::vector<const Item*> RunOrder();

// The built-in item of that flag in the settings file (letter case aside), null for none.
const Item* FindItem(std::wstring_view section, std::wstring_view key);

// The keep list that spares part of what an item or a rule erases: the kept typed addresses go back
// into their key, the kept sites' cookies stay inside the cookie databases.
enum class KeepList { None, Cookies, TypedAddresses };
KeepList SparedBy(const Item& item);
// A rule is spared by the cookie keep list when one of its file keys names a cookie database.
KeepList SparedBy(const rules::Rule& rule);

// The custom files and folders, as the run and the selection window name them.
constexpr Item kCustomItem{L"Custom", L"Custom", platform::TrLater(L"Custom Item")};

// Whether the item is switched on in the settings file: the one test that the run, the console
// program's list and the check for running browsers share.
bool IsOn(const Item& item, const std::wstring& settingsFile);
// Whether the item runs in this call: chosen for it, or else switched on.
bool Runs(const Item& item, const run::ItemContext& context);

// The stages of a run in their order: the built-in items of the browsers, Windows, the messengers,
// the office suite and the mail programs, then the custom files and folders, the plug-ins and the
// rules of the rule files.
run::Stages Stages();

// Ticks what a new user starts with when the program folder has no settings file yet: the built-in
// items of settings::DefaultSelection() and the rules marked "Default=True". A user who has a
// settings file keeps it untouched. A failure when it could not be written.
platform::Result<void> InstallDefaultSelection(const std::wstring& programFolder);
std::unique_ptr<const run::Stage> CustomItemsStage();
std::unique_ptr<const run::Stage> PluginStage();
std::unique_ptr<const run::Stage> RuleStage();

}  // namespace catalogue
