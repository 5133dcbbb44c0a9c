#include "settings/policies.h"

#include <gtest/gtest.h>

#include <optional>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "catalogue/closing_browsers.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "shipped_policies.h"
#include "shipped_policy_texts.h"
#include "support/policy_keys.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

TEST(Policies, TheMachineWinsEachValueFitsItsTypeOrIsIgnoredAndReported) {
  PolicyKeys keys;
  // Set by the machine, and otherwise by the user.
  PolicyKeys::Set(keys.machine, L"CleanAtStart", 1);
  PolicyKeys::Set(keys.user, L"CleanAtStart", 0);
  PolicyKeys::Set(keys.user, L"TempMinAgeHours", 168);
  SetString(keys.user.get(), L"Policies", L"CleanDays", L"0111110");
  SetString(keys.user.get(), L"Policies", L"CleanTime", L"17:30");
  SetString(keys.user.get(), L"Policies", L"RulesUpdateUrl", L"https://rules.example.org/winapp2.ini");
  SetString(keys.machine.get(), L"Policies\\Selection", L"1", L"Browsers/IE Cookies");
  SetString(keys.machine.get(), L"Policies\\Selection", L"2", L"Windows/Recent Documents");
  SetString(keys.user.get(), L"Policies\\Selection", L"1", L"Browsers/IE History");
  PolicyKeys::Set(keys.machine, L"CleanOnCloseChrome", 1);
  // Of the wrong type or out of range: ignored, so the user's value (if any) holds.
  PolicyKeys::Set(keys.machine, L"AllUsers", 2);
  PolicyKeys::Set(keys.user, L"AllUsers", 1);
  PolicyKeys::Set(keys.machine, L"RulesUpdate", 7);
  SetString(keys.machine.get(), L"Policies", L"ShredderAllowed", L"0");
  SetString(keys.machine.get(), L"Policies", L"CleanTime", L"17:15");
  SetString(keys.machine.get(), L"Policies", L"CleanDays", L"01");
  SetString(keys.machine.get(), L"Policies", L"RulesUpdateUrl", L"file:///C:/rules.ini");
  PolicyKeys::Set(keys.user, L"1", 5, L"Policies\\KeepSites");

  const std::vector<std::wstring> browsers = {L"CleanOnCloseChrome", L"CleanOnCloseEdge"};
  settings::Policies policies = settings::ReadPolicies(browsers, keys.Place());
  EXPECT_EQ(policies.Number(L"CleanAtStart"), 1u);
  EXPECT_EQ(policies.Number(L"TempMinAgeHours"), 168u);
  EXPECT_EQ(policies.Number(L"CleanOnCloseChrome"), 1u);
  EXPECT_EQ(policies.Number(L"AllUsers"), 1u);
  EXPECT_EQ(policies.Text(L"CleanDays"), L"0111110");
  EXPECT_EQ(policies.Text(L"CleanTime"), L"17:30");
  EXPECT_EQ(policies.Text(L"RulesUpdateUrl"), L"https://rules.example.org/winapp2.ini");
  ASSERT_TRUE(policies.List(L"Selection"));
  EXPECT_EQ(*policies.List(L"Selection"),
            (std::vector<std::wstring>{L"Browsers/IE Cookies", L"Windows/Recent Documents"}));
  for (const wchar_t* absent : {L"RulesUpdate", L"ShredderAllowed", L"CleanOnCloseEdge", L"SelectionMayGrow"}) {
    EXPECT_FALSE(policies.Fixed(absent)) << platform::Narrow(absent);
  }
  // A list with no entry that fits fixes nothing.
  EXPECT_FALSE(policies.Fixed(L"KeepSites"));
  EXPECT_EQ(policies.ignored,
            (std::vector<std::wstring>{
                L"Machine policy CleanDays: \"01\" is not seven 0s and 1s, Sunday first; ignored.",
                L"Machine policy CleanTime: \"17:15\" is not a time of the schedule (0:00 to 23:30, by half hours); "
                L"ignored.",
                L"Machine policy RulesUpdate: 7 is none of 0, 1; ignored.",
                L"Machine policy RulesUpdateUrl: \"file:///C:/rules.ini\" is not an http or https address; ignored.",
                L"Machine policy ShredderAllowed: is not a number (REG_DWORD); ignored.",
                L"Machine policy AllUsers: 2 is neither 0 nor 1; ignored.",
                L"User policy KeepSites: entry \"1\" is not a text.",
            }));
}

TEST(PolicyOverlay, FixedOptionsTakeThePolicyWhileASaveKeepsTheUsersOwn) {
  PolicyKeys keys;
  PolicyKeys::Set(keys.machine, {{L"CleanAtShutdown", 1},
                                 {L"AllUsers", 0},
                                 {L"TempMinAgeHours", 720},
                                 {L"RulesUpdate", 0},
                                 {L"CleanOnCloseChrome", 1}});
  SetString(keys.machine.get(), L"Policies", L"CleanDays", L"1000001");
  const settings::Policies& policies = keys.PutInForce();
  settings::Options own;
  own.windowsShutdown = false;
  own.allUsers = true;
  own.weeklyRulesCheck = true;
  own.windowsStartup = true;
  own.cleanTime = L"9:30";
  own.ages.tempHours = 24;
  own.cleanOnClose = {{L"CleanOnCloseChrome", false}, {L"CleanOnCloseEdge", true}};

  settings::Options shown = own;
  settings::ApplyPolicies(policies, shown);
  EXPECT_TRUE(shown.windowsShutdown);
  EXPECT_FALSE(shown.allUsers);
  EXPECT_FALSE(shown.weeklyRulesCheck);
  EXPECT_EQ(shown.ages.tempHours, 720);
  EXPECT_EQ(settings::CleanDaysText(shown.days), L"1000001");
  EXPECT_EQ(shown.cleanOnClose,
            (std::vector<std::pair<std::wstring, bool>>{{L"CleanOnCloseChrome", true}, {L"CleanOnCloseEdge", true}}));
  // What the policies leave alone stays the user's.
  EXPECT_TRUE(shown.windowsStartup);
  EXPECT_EQ(shown.cleanTime, L"9:30");

  settings::Options stored = shown;
  settings::ApplyPolicies(policies, stored, &own);
  EXPECT_FALSE(stored.windowsShutdown);
  EXPECT_TRUE(stored.allUsers);
  EXPECT_TRUE(stored.weeklyRulesCheck);
  EXPECT_EQ(stored.ages.tempHours, 24);
  EXPECT_EQ(stored.days, own.days);
  // A browser's fixed switch is not stored at all.
  EXPECT_EQ(stored.cleanOnClose, (std::vector<std::pair<std::wstring, bool>>{{L"CleanOnCloseEdge", true}}));

  for (const wchar_t* option : {L"WindowsShutdown", L"AllUsers", L"TempMinAgeHours", L"CleanDays", L"RulesCheckWeekly",
                                L"CleanOnCloseChrome"}) {
    EXPECT_TRUE(settings::OptionFixed(policies, option)) << platform::Narrow(option);
  }
  for (const wchar_t* option : {L"WindowsStartup", L"CleanTime", L"CleanOnCloseEdge", L"securely"}) {
    EXPECT_FALSE(settings::OptionFixed(policies, option)) << platform::Narrow(option);
  }
}

TEST(PolicyOverlay, AFixedSelectionDecidesItsItemsAndTheOthersAsItMayGrow) {
  const struct {
    std::optional<DWORD> mayGrow;
    const wchar_t* item;
    std::optional<bool> selects;
  } kCases[] = {
      {std::nullopt, L"browsers/ie COOKIES", true},  // named, in any case
      {std::nullopt, L"Browsers/IE History", false},
      {0, L"Browsers/IE History", false},
      {1, L"Browsers/IE History", std::nullopt},  // the user's tick decides
      {1, L"Browsers/IE Cookies", true},
  };
  for (const auto& c : kCases) {
    PolicyKeys keys;
    SetString(keys.machine.get(), L"Policies\\Selection", L"Browsers/IE Cookies", L"Browsers/IE Cookies");
    if (c.mayGrow) PolicyKeys::Set(keys.machine, L"SelectionMayGrow", *c.mayGrow);
    const std::wstring item = c.item;
    const size_t slash = item.find(L'/');
    EXPECT_EQ(settings::PolicySelects(keys.PutInForce(), item.substr(0, slash), item.substr(slash + 1)), c.selects)
        << platform::Narrow(item) << " " << c.mayGrow.value_or(9);
  }
  // Without a fixed selection nothing is decided.
  EXPECT_EQ(settings::PolicySelects(settings::Policies{}, L"Browsers", L"IE Cookies"), std::nullopt);
}

// The names an administrative template writes: value names, and the last part of a list's key.
std::set<std::wstring> TemplateNames(const std::wstring& admx) {
  std::set<std::wstring> names;
  static const std::wregex valueName(LR"(valueName="([^"]+)\")");
  static const std::wregex listKey(LR"(<list [^>]*key="[^"]*\\([^"\\]+)\")");
  for (const std::wregex* pattern : {&valueName, &listKey}) {
    for (std::wsregex_iterator at(admx.begin(), admx.end(), *pattern), end; at != end; ++at) names.insert((*at)[1]);
  }
  return names;
}

std::set<std::wstring> Matches(const std::wstring& text, const wchar_t* pattern) {
  std::set<std::wstring> found;
  const std::wregex expression(pattern);
  for (std::wsregex_iterator at(text.begin(), text.end(), expression), end; at != end; ++at) found.insert((*at)[1]);
  return found;
}

// Every tag closed in order, so that the editors can load the files.
bool TagsBalance(const std::wstring& xml) {
  std::vector<std::wstring> open;
  static const std::wregex tag(LR"(<(/?)([A-Za-z][\w:.-]*)[^>]*?(/?)>)");
  for (std::wsregex_iterator at(xml.begin(), xml.end(), tag), end; at != end; ++at) {
    if ((*at)[3].length()) continue;
    if (!(*at)[1].length()) {
      open.push_back((*at)[2]);
    } else if (open.empty() || open.back() != (*at)[2]) {
      return false;
    } else {
      open.pop_back();
    }
  }
  return open.empty();
}

TEST(PolicyTemplates, NameExactlyThePoliciesTheProgramReadsWithEveryTextDefined) {
  ASSERT_EQ(std::size(kShippedPolicies), 1u);
  ASSERT_EQ(std::size(kShippedPolicyTexts), 1u);
  const std::wstring admx = platform::Widen(kShippedPolicies[0].text),
                     adml = platform::Widen(kShippedPolicyTexts[0].text);
  EXPECT_TRUE(TagsBalance(admx));
  EXPECT_TRUE(TagsBalance(adml));

  std::set<std::wstring> read;
  for (const settings::PolicyDefinition& policy : settings::PolicyDefinitions()) read.insert(policy.name);
  for (const catalogue::ClosingBrowser* browser : catalogue::ClosingBrowsers()) read.insert(browser->key);
  EXPECT_EQ(TemplateNames(admx), read);

  // Each text and presentation the template refers to is in the language file, and nothing more.
  EXPECT_EQ(Matches(admx, LR"(\$\(string\.(\w+)\))"), Matches(adml, LR"(<string id="(\w+)\")"));
  EXPECT_EQ(Matches(admx, LR"(\$\(presentation\.(\w+)\))"), Matches(adml, LR"(<presentation id="(\w+)\")"));
  EXPECT_NE(admx.find(LR"(key="Software\Policies\Trellwipe")"), std::wstring::npos);
}

}  // namespace
