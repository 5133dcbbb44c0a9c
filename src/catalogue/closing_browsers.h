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

// A browser of the table with an option (`key`): `name` as WatchedPrograms() names it and the
// options list it, `rule` the name its shipped rules begin with, its profiles folder and the history
// and cookie databases it holds open while it runs.
using ClosingBrowser = engine::Browser;

std::vector<const ClosingBrowser*> ClosingBrowsers(std::span<const engine::Browser> browsers = engine::Browsers());

// The section of the settings file that holds their options.
constexpr wchar_t kCloseOptionSection[] = L"Options";

// The browsers found on this computer: their program in one of its install folders, or their
// profiles folder.
std::vector<const ClosingBrowser*> FoundClosingBrowsers(const run::ProcessValues& values,
                                                        std::span<const engine::Browser> browsers = engine::Browsers());
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
