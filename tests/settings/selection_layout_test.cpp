#include "settings/selection_layout.h"

#include <gtest/gtest.h>

#include <set>

using namespace settings;

TEST(SelectAllGroups, EachSetsExactlyTheItemsOfItsGroupBox) {
  auto groups = SelectAllGroups();
  EXPECT_EQ(groups.size(), 14u);
  std::set<std::wstring> boxes;
  for (const SelectAllGroup& group : groups) {
    EXPECT_TRUE(boxes.insert(group.box).second) << group.box;
    EXPECT_EQ(FindItemFlag(group.box), nullptr) << group.box << L" has no settings key";
    std::multiset<std::wstring> members(group.members.begin(), group.members.end());
    std::multiset<std::wstring> items;
    for (const ItemFlag& flag : ItemFlags()) {
      if (flag.group == std::wstring(group.group)) items.insert(flag.checkBox);
    }
    EXPECT_FALSE(members.empty()) << group.group;
    EXPECT_EQ(members, items) << group.group;
    EXPECT_EQ(SelectAllGroupOf(group.group), &group) << group.group;
  }
  EXPECT_EQ(SelectAllGroupOf(L"ICQ"), nullptr);
  EXPECT_EQ(SelectAllGroupOf(L""), nullptr);
}

TEST(SelectAllGroups, TickingAsksBeforeFavoritesAndDownloadsUntickingAsksNothing) {
  const SelectAllGroup& explorer = *SelectAllGroupOf(L"Internet Explorer");
  std::vector<std::pair<std::wstring, bool>> set;
  std::vector<std::wstring> asked;
  auto record = [&](std::wstring_view box, bool ticked) { set.emplace_back(box, ticked); };
  auto cancel = [&](std::wstring_view, const wchar_t* question) {
    asked.push_back(question);
    return false;
  };
  ApplySelectAll(explorer, true, record, cancel);
  EXPECT_EQ(asked,
            (std::vector<std::wstring>{
                L"Erasing the cookies signs you out of the websites you are signed in to. Are you sure?",
                L"Are you sure delete IE Favorites?",
                L"Erasing the form data loses the saved form entries, cards, addresses and passwords. Are you sure?",
                L"Are you sure delete Downloaded Files?"}));
  ASSERT_EQ(set.size(), 11u);
  for (const auto& [box, ticked] : set) {
    EXPECT_EQ(ticked, box != L"Check4" && box != L"Check5" && box != L"Check6" && box != L"Check7") << box;
  }
  EXPECT_EQ(set[4].first, L"Check5");
  EXPECT_EQ(set[6].first, L"Check7");

  set.clear();
  asked.clear();
  ApplySelectAll(explorer, true, record, [&](std::wstring_view, const wchar_t* question) {
    asked.push_back(question);
    return true;
  });
  for (const auto& entry : set) EXPECT_TRUE(entry.second) << entry.first;

  set.clear();
  asked.clear();
  ApplySelectAll(explorer, false, record, cancel);
  EXPECT_TRUE(asked.empty());
  ASSERT_EQ(set.size(), 11u);
  for (const auto& entry : set) EXPECT_FALSE(entry.second) << entry.first;
}

TEST(SelectionLayout, QuestionsMailGroupsAndPages) {
  EXPECT_STREQ(ConfirmationQuestion(L"Check5"), L"Are you sure delete IE Favorites?");
  EXPECT_STREQ(ConfirmationQuestion(L"Check7"), L"Are you sure delete Downloaded Files?");
  EXPECT_EQ(ConfirmationQuestion(L"Check1"), nullptr);
  // The messenger boxes whose file holds the saved password or account with their traces.
  EXPECT_STREQ(ConfirmationQuestion(L"Check73"), ConfirmationQuestion(L"Check83"));
  EXPECT_STREQ(ConfirmationQuestion(L"Check74"), L"Erasing it loses the account saved in the same file. Are you sure?");
  EXPECT_STREQ(ConfirmationQuestion(L"Check77"), ConfirmationQuestion(L"Check74"));
  // What a user made or received themselves: files, contacts, accounts, rules, signatures, searches.
  for (const wchar_t* box : {L"Check66", L"Check110", L"Check111", L"Check117", L"Check118", L"Check119", L"Check121",
                             L"Check124", L"Check125", L"Check126", L"Check94"}) {
    EXPECT_NE(ConfirmationQuestion(box), nullptr) << box;
  }
  for (const MailGroup& mail : MailGroups()) EXPECT_NE(SelectAllGroupOf(mail.group), nullptr) << mail.group;

  EXPECT_EQ(GroupsOnPage(L"Instant Messaging", L""),
            (std::vector<std::wstring>{L"Windows Live Messenger", L"AOL Instant Messenger", L"ICQ",
                                       L"Yahoo! Messenger"}));
  EXPECT_EQ(GroupsOnPage(L"Email Readers", L""), (std::vector<std::wstring>{L"Outlook Express", L"Windows Live Mail"}));
  EXPECT_EQ(GroupsOnPage(L"Browsers", L"MSN Explorer"), (std::vector<std::wstring>{L"MSN Exploer"}));
  EXPECT_TRUE(GroupsOnPage(L"Applications", L"").empty());
  // Every item lies on one of the window's pages.
  for (const ItemFlag& flag : ItemFlags()) {
    bool outer = std::find(kOuterTabs.begin(), kOuterTabs.end(), std::wstring_view(flag.tab)) != kOuterTabs.end();
    EXPECT_TRUE(outer) << flag.checkBox;
    bool browser = std::wstring_view(flag.tab) == kOuterTabs[kBrowsersTab];
    bool inner =
        std::find(kBrowserTabs.begin(), kBrowserTabs.end(), std::wstring_view(flag.subTab)) != kBrowserTabs.end();
    EXPECT_EQ(inner, browser) << flag.checkBox;
  }
  EXPECT_STREQ(FindItemFlag(L"Check59")->key, L"Images");
}

TEST(SelectionLayout, StoredTabNumbersOutsideTheTabsAreIgnored) {
  EXPECT_EQ(StoredTabNumber(L"3", 7), 3);
  EXPECT_EQ(StoredTabNumber(L"", 7), 0);
  EXPECT_EQ(StoredTabNumber(L"abc", 7), 0);
  EXPECT_EQ(StoredTabNumber(L"6x", 7), 6);
  EXPECT_EQ(StoredTabNumber(L"9", 10), 9);
  EXPECT_EQ(StoredTabNumber(L"7", 7), std::nullopt);
  EXPECT_EQ(StoredTabNumber(L"-1", 7), std::nullopt);
}
