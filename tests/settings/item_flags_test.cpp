#include "settings/item_flags.h"
#include "settings/selection_layout.h"

#include <gtest/gtest.h>

#include <set>

#include "catalogue/catalogue.h"
#include "catalogue/rule_file.h"
#include "platform/text.h"
#include "settings/default_selection.h"
#include "settings/inifun.h"
#include "shipped_rules.h"
#include "support/test_support.h"

namespace {

std::wstring Id(const wchar_t* section, const wchar_t* key) {
  return platform::ToLower(section) + L"/" + platform::ToLower(key);
}

}  // namespace

TEST(ItemFlags, OneTableOfUniqueFlagsAndCheckBoxes) {
  auto flags = settings::ItemFlags();
  std::set<std::wstring> ids, boxes;
  for (const auto& flag : flags) {
    EXPECT_TRUE(ids.insert(Id(flag.section, flag.key)).second) << flag.section << L"/" << flag.key;
    EXPECT_TRUE(boxes.insert(flag.checkBox).second) << flag.checkBox;
  }
  EXPECT_STREQ(flags[0].caption, L"IE Address Bar History");
  EXPECT_STREQ(flags[0].checkBox, L"Check1");
}

TEST(ItemFlags, TheRunReadsEveryFlagOnceAndOnlyThose) {
  std::set<std::wstring> flags;
  for (const auto& flag : settings::ItemFlags()) flags.insert(Id(flag.section, flag.key));
  std::set<std::wstring> run;
  for (const catalogue::Item* item : catalogue::RunOrder()) {
    EXPECT_TRUE(run.insert(Id(item->section, item->key)).second) << item->section << L"/" << item->key;
  }
  run.insert(Id(L"Custom", L"Custom"));
  EXPECT_EQ(run, flags);
}

TEST(Catalogue, RunOrderIsTheFamiliesInTurnWithTheBarRising) {
  std::vector<const catalogue::Item*> families;
  for (std::span<const catalogue::Item> family :
       {catalogue::BrowserItems(), catalogue::WindowsItems(), catalogue::MessengerItems(), catalogue::OfficeItems(),
        catalogue::MailItems()}) {
    EXPECT_FALSE(family.empty());
    for (const catalogue::Item& item : family) families.push_back(&item);
  }
  const auto order = catalogue::RunOrder();
  EXPECT_EQ(order, families);
  int bar = 0;
  for (const catalogue::Item* item : order) {
    if (item->progress == catalogue::kNoProgress) continue;
    EXPECT_GE(item->progress, bar) << item->label;
    bar = item->progress;
  }
  EXPECT_GT(bar, 0);
  EXPECT_LT(bar, catalogue::kCustomProgress);
  int maxthon = 0;
  for (const catalogue::Item* item : order) {
    bool isMaxthon = std::wstring(item->section) == L"Maxthon";
    maxthon += isMaxthon;
    EXPECT_EQ(item->rule == catalogue::FlagRule::NumberOne, isMaxthon) << item->label;
  }
  EXPECT_EQ(maxthon, 5);
}

// A new user's selection: built-in items of the table and shipped rules marked "Default=True", none
// that holds what people keep, and only for a program folder without a settings file.
TEST(DefaultSelection, TicksTracesNeverKeptDataAndOnlyForANewUser) {
  const wchar_t* const kKept[] = {L"password",     L"bookmark",   L"favorite",      L"download", L"account",
                                  L"address book", L"contact",    L"profile",       L"session",  L"recycle",
                                  L"settings",     L"open pages", L"save folder",   L"swap",     L"thumbs",
                                  L"jump list",    L"form",       L"administrator", L"cookie"};
  auto keepsNothing = [&](const std::wstring& name) {
    const std::wstring lower = platform::ToLower(name);
    for (const wchar_t* kept : kKept) EXPECT_EQ(lower.find(kept), std::wstring::npos) << name;
  };
  std::set<std::wstring> defaults;
  for (const settings::DefaultItem& item : settings::DefaultSelection()) defaults.insert(Id(item.section, item.key));
  size_t known = 0;
  for (const auto& flag : settings::ItemFlags()) {
    if (!defaults.count(Id(flag.section, flag.key))) continue;
    ++known;
    keepsNothing(flag.caption);
    EXPECT_EQ(settings::ConfirmationQuestion(flag.checkBox), nullptr) << flag.caption;
  }
  EXPECT_EQ(known, settings::DefaultSelection().size());
  EXPECT_TRUE(defaults.count(Id(L"Chrome", L"Cache")) && defaults.count(Id(L"WINDOWS", L"temp")));

  testing_support::TempFolder program;
  for (const testing_support::ShippedFile& shipped : testing_support::kShippedRules) {
    testing_support::WriteText(program / (L"rules\\" + std::wstring(shipped.fileName)), shipped.text);
  }
  const std::wstring file = settings::SettingsFile(program.Path());
  ASSERT_TRUE(catalogue::InstallDefaultSelection(program.Path()));
  EXPECT_TRUE(settings::SelectionUnsaved(file));
  for (const settings::DefaultItem& item : settings::DefaultSelection()) {
    EXPECT_EQ(settings::inifun::ReadIniValue(file, item.section, item.key), L"1") << item.section << L"/" << item.key;
  }
  size_t defaultRules = 0;
  for (const catalogue::rules::Rule& rule : catalogue::rules::LoadRules(program.Path())) {
    const bool ticked = rule.byDefault && rule.warning.empty();
    EXPECT_EQ(settings::inifun::ReadIniValue(file, rule.section, rule.name), ticked ? L"1" : L"") << rule.name;
    if (ticked) keepsNothing(rule.name);
    defaultRules += ticked;
  }
  EXPECT_GE(defaultRules, 20u);
  testing_support::WriteText(file, "[Chrome]\r\nCache=0\r\n");
  EXPECT_TRUE(catalogue::InstallDefaultSelection(program.Path()));
  EXPECT_EQ(testing_support::ReadText(file), "[Chrome]\r\nCache=0\r\n");
}
