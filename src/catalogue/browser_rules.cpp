#include "catalogue/browser_rules.h"

#include <algorithm>
#include <cwctype>
#include <vector>

#include "platform/text.h"
#include "platform/translation.h"

namespace catalogue::rules {

namespace {

// Whether `name` (lower case) holds `word` with no letter or digit on either side.
bool HoldsWords(std::wstring_view name, std::wstring_view word) {
  auto inWord = [&](size_t at) { return at < name.size() && std::iswalnum(name[at]); };
  for (size_t at = name.find(word); at != std::wstring_view::npos; at = name.find(word, at + 1)) {
    if ((at == 0 || !inWord(at - 1)) && !inWord(at + word.size())) return true;
  }
  return false;
}

constexpr const wchar_t* kKinds[] = {platform::TrLater(L"Cache"), platform::TrLater(L"Cookies"),
                                     platform::TrLater(L"History"), platform::TrLater(L"Sessions")};

std::wstring_view RuleKind(const TodaysBrowser& browser, std::wstring_view kind) {
  return kind == L"History" ? std::wstring_view(browser.historyRule) : kind;
}

}  // namespace

std::vector<const TodaysBrowser*> TodaysBrowsers(std::span<const engine::Browser> browsers) {
  std::vector<const TodaysBrowser*> todays;
  for (const engine::Browser& browser : browsers) {
    if (browser.rule) todays.push_back(&browser);
  }
  return todays;
}

std::span<const wchar_t* const> BrowserKinds() { return kKinds; }

std::wstring BrowserRuleName(const TodaysBrowser& browser, std::wstring_view kind) {
  return std::wstring(browser.rule) + L" " + std::wstring(RuleKind(browser, kind)) + L" *";
}

std::optional<BrowserRule> RuleOfBrowser(const Rule& rule, std::span<const engine::Browser> browsers) {
  if (rule.section != kShippedSection) return std::nullopt;
  for (const TodaysBrowser* browser : TodaysBrowsers(browsers)) {
    for (const wchar_t* kind : kKinds) {
      if (platform::EqualsNoCase(rule.name, BrowserRuleName(*browser, kind))) return BrowserRule{browser, kind};
    }
  }
  return std::nullopt;
}

std::optional<BrowserRule> OnBrowserTab(const Rule& rule, std::span<const engine::Browser> browsers) {
  std::optional<BrowserRule> found = RuleOfBrowser(rule, browsers);
  return found && found->browser->tab ? found : std::nullopt;
}

std::optional<BrowserRule> SameAsRule(std::wstring_view pluginName, std::span<const engine::Browser> browsers) {
  for (const TodaysBrowser* browser : TodaysBrowsers(browsers)) {
    for (const wchar_t* kind : kKinds) {
      if (platform::EqualsNoCase(pluginName, std::wstring(browser->shortName) + L" " + kind)) {
        return BrowserRule{browser, kind};
      }
    }
  }
  return std::nullopt;
}

std::vector<std::wstring> BrowserPlugins(const engine::Browser& browser) {
  std::vector<std::wstring> names;
  if (!browser.plugins) return names;
  for (const wchar_t* kind : kKinds) names.push_back(std::wstring(browser.shortName) + L" " + kind);
  return names;
}

bool NamesSearchedBrowser(std::wstring_view entryName, std::wstring_view search,
                          std::span<const engine::Browser> browsers) {
  const std::wstring wanted = platform::ToLower(platform::Trim(search)), name = platform::ToLower(entryName);
  for (const engine::Browser& browser : browsers) {
    const auto& names = browser.searchNames;
    if (std::find(names.begin(), names.end(), std::wstring_view(wanted)) == names.end()) continue;
    return std::any_of(names.begin(), names.end(), [&](std::wstring_view each) { return HoldsWords(name, each); });
  }
  return false;
}

}  // namespace catalogue::rules
