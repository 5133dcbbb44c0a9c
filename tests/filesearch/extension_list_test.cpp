#include "filesearch/extension_list.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "filesearch/diskmote_settings.h"
#include "platform/handles.h"
#include "platform/text_file.h"
#include "support/test_support.h"

using namespace testing_support;
using namespace filesearch;

namespace {

constexpr char kDefaultBytes[] = "*.tmp\r\n*.gid\r\n*.swp\r\n*.chk\r\n";

TEST(IsValidExtension, WantsAnAsteriskADotAndAtLeastOneMoreCharacterOfAFileName) {
  for (const wchar_t* valid : {L"*.a", L"*.tmp", L"*.t?p", L"*.bak*"}) EXPECT_TRUE(IsValidExtension(valid)) << valid;
  const std::wstring tooLong = L"*." + std::wstring(filesearch::kMaxExtensionLength - 1, L'x');
  EXPECT_TRUE(IsValidExtension(tooLong.substr(0, filesearch::kMaxExtensionLength)));
  for (const std::wstring& invalid :
       {std::wstring(L"*."), std::wstring(L".tmp"), std::wstring(L"*tmp"), std::wstring(L"a.tmp"), std::wstring(),
        std::wstring(L"*"), std::wstring(L"*.*"), std::wstring(L"*.?*"), std::wstring(L"*.t<p"), std::wstring(L"*.t>p"),
        std::wstring(L"*.t|p"), std::wstring(L"*.\"tmp\""), std::wstring(L"*.tmp;*.*"), std::wstring(L"*.a\\b"),
        tooLong}) {
    EXPECT_FALSE(IsValidExtension(invalid)) << invalid;
  }
}

TEST(ExtensionList, ReadsAndJoinsOnlyValidEntriesInFileOrder) {
  TempFolder program;
  WriteText(program / L"Ext.txt", "*.tmp\r\nhand edited\r\n*.gid\r\n*.\r\n*.tmp\r\n*.log");
  EXPECT_EQ(ReadExtensions(program.Path()), (std::vector<std::wstring>{L"*.tmp", L"*.gid", L"*.tmp", L"*.log"}));
  EXPECT_EQ(ReadJoinedExtensions(program.Path()), L"*.tmp;*.gid;*.tmp;*.log");
}

TEST(ExtensionList, JoiningFailsForAMissingFileOrOneWithoutValidEntries) {
  TempFolder program;
  EXPECT_FALSE(ReadJoinedExtensions(program.Path()).has_value());
  EXPECT_TRUE(ReadExtensions(program.Path()).empty());
  WriteText(program / L"Ext.txt", "tmp\r\n*.\r\n");
  EXPECT_FALSE(ReadJoinedExtensions(program.Path()).has_value());
}

TEST(ExtensionList, DefaultsReplaceTheFileWithTheFourEntries) {
  TempFolder program;
  WriteText(program / L"Ext.txt", "*.old\r\n*.older\r\n*.oldest\r\n*.x\r\n*.y\r\n");
  EXPECT_TRUE(WriteDefaultExtensions(program.Path()));
  EXPECT_EQ(ReadText(program / L"Ext.txt"), kDefaultBytes);
  EXPECT_EQ(ReadJoinedExtensions(program.Path()), L"*.tmp;*.gid;*.swp;*.chk");
}

TEST(ExtensionList, AppendCreatesTheFileAndAddsDuplicatesAsNewLines) {
  TempFolder program;
  EXPECT_TRUE(AppendExtension(program.Path(), L"*.bak"));
  EXPECT_TRUE(AppendExtension(program.Path(), L"*.bak"));
  EXPECT_EQ(ReadText(program / L"Ext.txt"), "*.bak\r\n*.bak\r\n");
}

TEST(ExtensionList, AppendStartsANewLineAfterAHandEditedLastLine) {
  TempFolder program;
  WriteText(program / L"Ext.txt", "*.tmp\r\n*.gid");
  EXPECT_TRUE(AppendExtension(program.Path(), L"*.bak"));
  EXPECT_EQ(ReadText(program / L"Ext.txt"), "*.tmp\r\n*.gid\r\n*.bak\r\n");
}

TEST(ExtensionList, RemoveDropsEveryEqualLineAndKeepsInvalidOnes) {
  TempFolder program;
  WriteText(program / L"Ext.txt", "*.tmp\r\nhand edited\r\n*.bak\r\n*.BAK\r\n*.bak\r\n*.gid\r\n");
  EXPECT_TRUE(RemoveExtension(program.Path(), L"*.bak"));
  EXPECT_EQ(ReadText(program / L"Ext.txt"), "*.tmp\r\nhand edited\r\n*.BAK\r\n*.gid\r\n");
  ExpectGone(program / L"temp");
}

TEST(ExtensionList, RemoveIgnoresWhatAnInterruptedRemoveLeftInTemp) {
  TempFolder program;
  WriteText(program / L"temp", "*.stale\r\n*.lines\r\n");
  WriteText(program / L"Ext.txt", "*.tmp\r\n*.gid\r\n");
  EXPECT_TRUE(RemoveExtension(program.Path(), L"*.gid"));
  EXPECT_EQ(ReadText(program / L"Ext.txt"), "*.tmp\r\n");
}

TEST(ExtensionList, RemoveWithoutAListLeavesNoFileBehind) {
  TempFolder program;
  EXPECT_FALSE(RemoveExtension(program.Path(), L"*.tmp"));
  ExpectGone(program / L"Ext.txt");
  ExpectGone(program / L"temp");
}

TEST(ExtensionList, AFailedRemoveLeavesTheListWhole) {
  TempFolder program;
  WriteText(program / L"Ext.txt", "*.tmp\r\n*.gid\r\n");
  // A full disk makes the write fail before anything is replaced.
  platform::ScopedDiskFull full(0);
  EXPECT_FALSE(RemoveExtension(program.Path(), L"*.gid"));
  EXPECT_EQ(ReadText(program / L"Ext.txt"), "*.tmp\r\n*.gid\r\n");
}

TEST(SendToRecycleBin, MovesTheFileIntoTheRecycleBin) {
  TempFolder folder;
  MakeFile(folder / L"gone.tmp", 64);
  MakeFile(folder / L"stays.tmp", 64);
  SHQUERYRBINFO before{};
  before.cbSize = sizeof(before);
  ASSERT_EQ(SHQueryRecycleBinW(nullptr, &before), S_OK);
  EXPECT_TRUE(SendToRecycleBin(folder / L"gone.tmp"));
  ExpectGone(folder / L"gone.tmp");
  ExpectKept(folder / L"stays.tmp");
  SHQUERYRBINFO after{};
  after.cbSize = sizeof(after);
  ASSERT_EQ(SHQueryRecycleBinW(nullptr, &after), S_OK);
  EXPECT_EQ(after.i64NumItems, before.i64NumItems + 1);
}

TEST(SendToRecycleBin, RefusesWildcardsFoldersAndRelativePaths) {
  TempFolder folder;
  MakeFile(folder / L"a.tmp", 1);
  MakeFile(folder / L"sub\\b.tmp", 1);
  EXPECT_FALSE(SendToRecycleBin(folder / L"*.tmp"));
  EXPECT_FALSE(SendToRecycleBin(folder / L"sub"));
  EXPECT_FALSE(SendToRecycleBin(L"a.tmp"));
  EXPECT_FALSE(SendToRecycleBin(folder / L"missing.tmp"));
  ExpectKept(folder / L"a.tmp");
  ExpectKept(folder / L"sub\\b.tmp");
}

TEST(DiskmoteSettings, KeepsTextBySectionAndKeyUnderItsKey) {
  TempRegistryKey key;
  DiskmoteSettings settings(HKEY_CURRENT_USER, key.Subkey());
  EXPECT_EQ(settings.Get(L"General", L"Prompt", L"1"), L"1");
  EXPECT_EQ(settings.Get(L"General", L"Prompt"), L"");
  EXPECT_TRUE(settings.Set(L"General", L"Prompt", L"0"));
  EXPECT_TRUE(settings.Set(L"StartUp", L"AppPath", L"C:\\Some Folder\\"));
  EXPECT_EQ(settings.Get(L"General", L"Prompt", L"1"), L"0");
  EXPECT_EQ(settings.Get(L"StartUp", L"AppPath"), L"C:\\Some Folder\\");
  EXPECT_EQ(settings.Get(L"StartUp", L"Prompt", L"absent"), L"absent");
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, key.Subkey() + L"\\General", L"Prompt"));
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, key.Subkey() + L"\\StartUp", L"AppPath"));
  EXPECT_TRUE(settings.Set(L"General", L"Prompt", L""));
  EXPECT_EQ(settings.Get(L"General", L"Prompt", L"1"), L"");
}

}  // namespace
