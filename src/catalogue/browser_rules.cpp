#include "catalogue/browser_rules.h"

#include <algorithm>
#include <cwctype>
#include <vector>

#include "platform/text.h"

namespace catalogue::rules {

namespace {

// Chrome and Firefox keep their rules in the list: their tabs hold the built-in items. The most used
// come first, as a new user's selection window looks for one that is installed.
constexpr TodaysBrowser kBrowsers[] = {
    {nullptr, L"Google Chrome", L"Chrome", L"History"},
    {L"Microsoft Edge", L"Microsoft Edge", L"Edge", L"History"},
    // Firefox's history shares places.sqlite with the bookmarks: its definition takes the form history.
    {nullptr, L"Firefox", L"Firefox", L"Form History"},
    {L"Brave", L"Brave", L"Brave", L"History"},
    {L"Vivaldi", L"Vivaldi", L"Vivaldi", L"History"},
    {L"Opera (today's)", L"Opera", L"Opera", L"History"},
};

// The names entries call each browser by; a search for any one of them finds them all.
const std::vector<std::vector<std::wstring_view>> kBrowserNames = {
    {L"edge", L"microsoft edge", L"msedge", L"ms edge"},
    {L"chrome", L"google chrome"},
    {L"firefox", L"mozilla firefox", L"mozilla"},
    {L"internet explorer", L"ie", L"msie"},
    {L"opera", L"opera gx"},
};

// Whether `name` (lower case) holds `word` with no letter or digit on either side.
bool HoldsWords(std::wstring_view name, std::wstring_view word) {
  auto inWord = [&](size_t at) { return at < name.size() && std::iswalnum(name[at]); };
  for (size_t at = name.find(word); at != std::wstring_view::npos; at = name.find(word, at + 1)) {
    if ((at == 0 || !inWord(at - 1)) && !inWord(at + word.size())) return true;
  }
  return false;
}

constexpr const wchar_t* kKinds[] = {L"Cache", L"Cookies", L"History", L"Sessions"};

std::wstring_view RuleKind(const TodaysBrowser& browser, std::wstring_view kind) {
  return kind == L"History" ? std::wstring_view(browser.history) : kind;
}

}  // namespace

std::span<const TodaysBrowser> TodaysBrowsers() { return kBrowsers; }

std::span<const wchar_t* const> BrowserKinds() { return kKinds; }

std::wstring BrowserRuleName(const TodaysBrowser& browser, std::wstring_view kind) {
  return std::wstring(browser.rule) + L" " + std::wstring(RuleKind(browser, kind)) + L" *";
}

std::optional<BrowserRule> RuleOfBrowser(const Rule& rule) {
  if (rule.section != kShippedSection) return std::nullopt;
  for (const TodaysBrowser& browser : kBrowsers) {
    for (const wchar_t* kind : kKinds) {
      if (platform::EqualsNoCase(rule.name, BrowserRuleName(browser, kind))) return BrowserRule{&browser, kind};
    }
  }
  return std::nullopt;
}

std::optional<BrowserRule> OnBrowserTab(const Rule& rule) {
  std::optional<BrowserRule> found = RuleOfBrowser(rule);
  return found && found->browser->tab ? found : std::nullopt;
}

std::optional<BrowserRule> SameAsRule(std::wstring_view pluginName) {
  for (const TodaysBrowser& browser : kBrowsers) {
    for (const wchar_t* kind : kKinds) {
      if (platform::EqualsNoCase(pluginName, std::wstring(browser.plugin) + L" " + kind)) {
        return BrowserRule{&browser, kind};
      }
    }
  }
  return std::nullopt;
}

bool NamesSearchedBrowser(std::wstring_view entryName, std::wstring_view search) {
  const std::wstring wanted = platform::ToLower(platform::Trim(search)), name = platform::ToLower(entryName);
  for (const auto& names : kBrowserNames) {
    if (std::find(names.begin(), names.end(), wanted) == names.end()) continue;
    return std::any_of(names.begin(), names.end(), [&](std::wstring_view each) { return HoldsWords(name, each); });
  }
  return false;
}

}  // namespace catalogue::rules
