#include "settings/item_flags.h"

#include <gtest/gtest.h>

#include <set>

#include "catalogue/catalogue.h"
#include "platform/text.h"

namespace {

std::wstring Id(const wchar_t* section, const wchar_t* key) {
  return platform::ToLower(section) + L"/" + platform::ToLower(key);
}

}  // namespace

TEST(ItemFlags, OneTableOf143UniqueFlagsAndCheckBoxes) {
  auto flags = settings::ItemFlags();
  EXPECT_EQ(flags.size(), 143u);
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

TEST(Catalogue, RunOrderStartsWithBrowsersAndEndsWithMail) {
  auto order = catalogue::RunOrder();
  ASSERT_EQ(order.size(), 142u);
  EXPECT_STREQ(order.front()->label, L"IE Location Bar History");
  EXPECT_EQ(order.front()->progress, 5);
  EXPECT_STREQ(order[65]->section, L"WINDOWS");
  EXPECT_STREQ(order[65]->key, L"recent");
  EXPECT_STREQ(order[92]->section, L"Messenger");
  EXPECT_STREQ(order[109]->section, L"OFFICE");
  EXPECT_STREQ(order.back()->label, L"Windows Live Mail accounts");
  EXPECT_EQ(order.back()->progress, 70);
  int maxthon = 0;
  for (const catalogue::Item* item : order) {
    bool isMaxthon = std::wstring(item->section) == L"Maxthon";
    maxthon += isMaxthon;
    EXPECT_EQ(item->rule == catalogue::FlagRule::NumberOne, isMaxthon) << item->label;
  }
  EXPECT_EQ(maxthon, 5);
}
