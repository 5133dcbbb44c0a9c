#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include "engine/allerase.h"
#include "engine/registry_guard.h"
#include "support/test_support.h"

using namespace engine::allerase;
using namespace testing_support;

TEST(RegistryErasure, KeyIsDeletedOnlyWithoutSubkeysAndAlwaysCounts3) {
  TempRegistryKey temp;
  std::wstring leaf = temp.Subkey() + L"\\TypedURLs";
  std::wstring parent = temp.Subkey() + L"\\RunMRU";
  SetString(HKEY_CURRENT_USER, leaf, L"url1", L"http://a/");
  SetString(HKEY_CURRENT_USER, parent + L"\\child", L"x", L"y");
  EXPECT_EQ(DeleteRegistryKey({}, HKEY_CURRENT_USER, leaf), 3);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, leaf));
  EXPECT_EQ(DeleteRegistryKey({}, HKEY_CURRENT_USER, parent), 3);
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, parent + L"\\child"));
  // A missing key still counts, and neither it nor a missing key above it is left behind.
  EXPECT_EQ(DeleteRegistryKey({}, HKEY_CURRENT_USER, temp.Subkey() + L"\\absent\\below"), 3);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, temp.Subkey() + L"\\absent"));
}

TEST(RegistryErasure, TreeGoesWholeAndAlwaysCounts5) {
  TempRegistryKey temp;
  std::wstring tree = temp.Subkey() + L"\\profiles";
  SetString(HKEY_CURRENT_USER, tree + L"\\a\\b", L"x", L"y");
  EXPECT_EQ(DeleteRegistryTree({}, HKEY_CURRENT_USER, tree), 5);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, tree));
  EXPECT_EQ(DeleteRegistryTree({}, HKEY_CURRENT_USER, tree), 5);
}

TEST(RegistryErasure, ValueByNameOrTheDefaultValueCounts1) {
  TempRegistryKey temp;
  SetString(HKEY_CURRENT_USER, temp.Subkey(), L"Yahoo! User ID", L"me");
  SetString(HKEY_CURRENT_USER, temp.Subkey(), L"", L"default");
  SetString(HKEY_CURRENT_USER, temp.Subkey(), L"other", L"stays");
  EXPECT_EQ(DeleteRegistryValue({}, HKEY_CURRENT_USER, temp.Subkey(), L"Yahoo! User ID"), 1);
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, temp.Subkey(), L"Yahoo! User ID"));
  EXPECT_EQ(DeleteRegistryValue({}, HKEY_CURRENT_USER, temp.Subkey(), L""), 1);
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, temp.Subkey(), L""));
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, temp.Subkey(), L"other"));
  EXPECT_EQ(DeleteRegistryValue({}, HKEY_CURRENT_USER, temp.Subkey() + L"\\absent", L"x"), 1);
}

TEST(RegistryErasure, NoRootOrAnEmptySubkeyDeletesNothing) {
  TempRegistryKey temp;
  EXPECT_EQ(DeleteRegistryTree({}, HKEY_CURRENT_USER, L""), 5);
  EXPECT_EQ(DeleteRegistryTree({}, HKEY_CURRENT_USER, L"\\"), 5);
  EXPECT_EQ(DeleteRegistryKey({}, HKEY_CURRENT_USER, L""), 3);
  EXPECT_EQ(DeleteRegistryTree({}, nullptr, temp.Subkey()), 5);
  EXPECT_EQ(DeleteRegistryKey({}, nullptr, temp.Subkey()), 3);
  EXPECT_EQ(DeleteRegistryValue({}, nullptr, temp.Subkey(), L"x"), 1);
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, temp.Subkey()));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, L"Software\\Microsoft"));
}

// No step takes a root or a branch that holds every program's settings, in any spelling; a vendor's
// key below them, or a value, is no such branch. Asked in a preview, which deletes nothing either way.
TEST(RegistryErasure, NoStepTakesARootOrABranchOfEveryProgramsSettings) {
  const struct {
    HKEY root;
    const wchar_t* subkey;
    bool refused;
  } kCases[] = {
      {HKEY_CURRENT_USER, L"Software", true},
      {HKEY_CURRENT_USER, L"\\\\software\\", true},
      {HKEY_LOCAL_MACHINE, L"SOFTWARE\\\\Classes", true},
      {HKEY_CURRENT_USER, L"Software\\Microsoft", true},
      {HKEY_CURRENT_USER, L"Software\\Policies", true},
      {HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node", true},
      {HKEY_LOCAL_MACHINE, L"SYSTEM", true},
      {HKEY_LOCAL_MACHINE, L"SAM", true},
      {HKEY_CURRENT_USER, L"Control Panel", true},
      {HKEY_CURRENT_USER, L"ENVIRONMENT", true},
      {HKEY_USERS, L".DEFAULT", true},
      {HKEY_USERS, L".DEFAULT\\Software\\Microsoft", true},
      {HKEY_CURRENT_USER, L"Software\\Wine", false},
      {HKEY_CURRENT_USER, L"Software\\Microsoft\\Notepad", false},
      {HKEY_CURRENT_USER, L"Control Panel\\Desktop", false},
  };
  for (const auto& test : kCases) {
    EXPECT_EQ(engine::IsProtectedRegistryKey(test.root, test.subkey), test.refused) << test.subkey;
  }
  engine::RunReport report;
  engine::RunRecorder recorder(report);
  recorder.BeginItem(L"s", L"k", L"label");
  EraseContext preview;
  preview.mode = engine::EraseMode::Preview;
  preview.recorder = &recorder;
  EXPECT_EQ(DeleteRegistryTree(preview, HKEY_CURRENT_USER, L"Software\\\\"), 0);
  EXPECT_EQ(DeleteRegistryKey(preview, HKEY_CURRENT_USER, L"Environment"), 0);
  EXPECT_EQ(DeleteRegistryTreeExcept(preview, HKEY_LOCAL_MACHINE, L"Software", {L"Software\\Wine"}), 0);
  EXPECT_EQ(DeleteRegistryValue(preview, HKEY_CURRENT_USER, L"Environment", L"TEMP"), 1);
  const engine::ItemReport& item = report.items.at(0);
  EXPECT_TRUE(item.keys.empty());
  EXPECT_EQ(item.values, std::vector<std::wstring>{L"HKEY_CURRENT_USER\\Environment\\TEMP"});
  ASSERT_EQ(item.leftBehind.size(), 3u);
  for (const engine::LeftRecord& left : item.leftBehind) EXPECT_EQ(left.reason, L"refused: a protected registry key");
}

// Regedit's favourites stay also when a deletion names them through the user's hive in HKEY_USERS.
TEST(RegistryErasure, KeptKeysStayThroughTheUsersHiveInHkeyUsers) {
  HANDLE token = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
  BYTE buffer[256];
  DWORD size = 0;
  BOOL read = GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size);
  CloseHandle(token);
  ASSERT_TRUE(read);
  wchar_t* sid = nullptr;
  ASSERT_TRUE(ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid));
  const std::wstring hive = sid;
  LocalFree(sid);
  const std::wstring regedit = L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit";
  const std::wstring favourites = regedit + L"\\Favorites";
  SetString(HKEY_CURRENT_USER, favourites, L"Run", L"Computer\\HKEY_CURRENT_USER");
  EraseContext erase;
  DeleteRegistryValue(erase, HKEY_USERS, hive + L"\\" + favourites, L"Run");
  DeleteRegistryTree(erase, HKEY_USERS, hive + L"\\\\" + favourites);
  DeleteRegistryTree(erase, HKEY_USERS, hive + L"\\" + regedit);
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, favourites, L"Run"));
  RegDeleteTreeW(HKEY_CURRENT_USER, regedit.c_str());
}
