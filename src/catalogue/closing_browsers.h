#pragma once
// The browsers whose ticked items can be cleaned when their last window closes: where their profiles
// are, which of their files they hold open while they run, which ticked items are theirs, and the
// option of each in section "Options" of the settings file. Their programs and install folders are
// the watched programs' (running_programs.h).
#include <span>
#include <string>
#include <vector>

#include "catalogue/running_programs.h"
#include "run/item_context.h"

namespace catalogue {

struct ClosingBrowser {
  const wchar_t* name;      // as WatchedPrograms() names it, and as the options list it
  const wchar_t* key;       // its option: "CleanOnCloseChrome"
  const wchar_t* rule;      // the name its shipped rules begin with; nullptr: it has none
  bool roaming;             // its profiles lie under the roaming application data, else the local
  const wchar_t* profiles;  // the folder of its profiles under that, nullptr: none of its own
  // Files of the profiles folder it holds open while it runs; "*" stands for each profile.
  std::vector<const wchar_t*> held;
};

std::span<const ClosingBrowser> ClosingBrowsers();
const WatchedProgram& ProgramOf(const ClosingBrowser& browser);

// The section of the settings file that holds their options.
constexpr wchar_t kCloseOptionSection[] = L"Options";

// The browsers found on this computer: their program in one of its install folders, or their
// profiles folder.
std::vector<const ClosingBrowser*> FoundClosingBrowsers(const run::ProcessValues& values);
// The found browsers whose option is on.
std::vector<const ClosingBrowser*> BrowsersCleanedOnClose(const std::wstring& programFolder,
                                                          const run::ProcessValues& values);

// Whether none of the files it holds open while it runs is held any more: each can be opened
// without sharing (or is not there).
bool FilesReleased(const ClosingBrowser& browser, const run::ProcessValues& values);

// The ticked items of the browser, as (section, key): its built-in items, its shipped plug-ins and
// its shipped rules; nothing when none is ticked.
struct ItemName {
  std::wstring section, key;
};
std::vector<ItemName> TickedItemsOf(const ClosingBrowser& browser, const std::wstring& programFolder);
// Chooses exactly those items.
run::ItemChoice ChoiceOf(std::vector<ItemName> items);

}  // namespace catalogue
