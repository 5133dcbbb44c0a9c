#pragma once
// Today's browsers and their shipped rules: which of those rules the selection window shows on a
// browser tab of their own instead of the rule list, and which shipped plug-in definition does what a
// shipped rule does.
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/rule_file.h"
#include "engine/browser_table.h"

namespace catalogue::rules {

// A browser of the table with shipped rules and definitions: its `tab`, `rule`, `shortName` and
// `historyRule`.
using TodaysBrowser = engine::Browser;
// Those of the table, in its order, which the stored tab numbers rely on.
std::vector<const TodaysBrowser*> TodaysBrowsers(std::span<const engine::Browser> browsers = engine::Browsers());

// The kinds every today's browser has a shipped rule and a shipped definition for, in page order:
// "Cache", "Cookies", "History", "Sessions".
std::span<const wchar_t* const> BrowserKinds();

// The name of a today's browser's shipped rule of a kind: "Microsoft Edge Cache *".
std::wstring BrowserRuleName(const TodaysBrowser& browser, std::wstring_view kind);

// A shipped rule that has its own box on a browser tab, and the kind that box is captioned with.
struct BrowserRule {
  const TodaysBrowser* browser;
  std::wstring kind;
};
std::optional<BrowserRule> OnBrowserTab(const Rule& rule,
                                        std::span<const engine::Browser> browsers = engine::Browsers());
// The same for every today's browser, those whose rules stay in the rule list too.
std::optional<BrowserRule> RuleOfBrowser(const Rule& rule,
                                         std::span<const engine::Browser> browsers = engine::Browsers());

// The shipped rule a definition of that name does the same as: "Edge Cache" gives Edge's "Cache".
std::optional<BrowserRule> SameAsRule(std::wstring_view pluginName,
                                      std::span<const engine::Browser> browsers = engine::Browsers());
// The names of a browser's shipped definitions, one per kind: "Edge Cache", ...; none when it has none.
std::vector<std::wstring> BrowserPlugins(const engine::Browser& browser);

// Whether the search text is one of a browser's names and the entry's name holds one of them as
// whole words, letter case ignored: "Edge" finds "MSEdge Logs *", "Google Chrome" finds "Chrome Cache *".
bool NamesSearchedBrowser(std::wstring_view entryName, std::wstring_view search,
                          std::span<const engine::Browser> browsers = engine::Browsers());

}  // namespace catalogue::rules
