#include <gtest/gtest.h>

#include "engine/allerase.h"
#include "support/test_support.h"

using namespace allerase;
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
  // A missing key is created and deleted again: nothing is left behind.
  EXPECT_EQ(DeleteRegistryKey({}, HKEY_CURRENT_USER, temp.Subkey() + L"\\absent"), 3);
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
