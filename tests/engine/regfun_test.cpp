#include "engine/regfun.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/message_recorder.h"
#include "support/test_support.h"

using namespace engine::regfun;
using namespace testing_support;

namespace {

class Regfun : public ::testing::Test {
 protected:
  MessageRecorder messages;
  TempRegistryKey temp;
};

}  // namespace

TEST_F(Regfun, RootNamesAreExactUpperCase) {
  EXPECT_EQ(RootKeyFromName(L"HKEY_CURRENT_USER"), HKEY_CURRENT_USER);
  EXPECT_EQ(RootKeyFromName(L"HKEY_USERS"), HKEY_USERS);
  EXPECT_EQ(RootKeyFromName(L"HKEY_DYN_DATA"), HKEY_DYN_DATA);
  EXPECT_EQ(RootKeyFromName(L"hkey_current_user"), nullptr);
  EXPECT_EQ(RootKeyFromName(L"HKCU"), nullptr);
  platform::Result<SplitPath> path = SplitRegistryPath(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft");
  ASSERT_TRUE(path);
  EXPECT_EQ(path->root, HKEY_LOCAL_MACHINE);
  EXPECT_EQ(path->subkey, L"SOFTWARE\\Microsoft");
  platform::Result<SplitPath> bare = SplitRegistryPath(L"HKEY_CURRENT_USER");
  ASSERT_TRUE(bare);
  EXPECT_EQ(bare->root, HKEY_CURRENT_USER);
  EXPECT_EQ(bare->subkey, L"");
}

// The engine shows nothing: the failure comes back to the caller, which may show it.
TEST_F(Regfun, MalformedPathsFailWithIncorrectFormat) {
  for (const std::wstring& malformed : {temp.FullPath() + L"\\", std::wstring(L"Software\\x")}) {
    platform::Result<SplitPath> split = SplitRegistryPath(malformed);
    ASSERT_FALSE(split) << malformed;
    EXPECT_EQ(split.Reason(), L"Incorrect Format:\n\n" + malformed);
  }
  EXPECT_EQ(ReadRegistryString(temp.FullPath() + L"\\", L"x"), L"");
  WriteRegistryString(L"Software\\x", L"v", L"t");
  // An unknown root name is not malformed: no root, and empty text.
  platform::Result<SplitPath> unknown = SplitRegistryPath(L"HKEY_SOMEWHERE\\Software");
  ASSERT_TRUE(unknown);
  EXPECT_EQ(unknown->root, nullptr);
  EXPECT_EQ(ReadRegistryString(L"HKEY_SOMEWHERE\\Software", L"x"), L"");
  EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(Regfun, ReadsTextUnexpandedAndReportsErrors) {
  SetString(HKEY_CURRENT_USER, temp.Subkey(), L"Cache", L"%USERPROFILE%\\AppData\\Local\\INetCache", REG_EXPAND_SZ);
  SetString(HKEY_CURRENT_USER, temp.Subkey(), L"padded", L"   C:\\x  ");
  SetString(HKEY_CURRENT_USER, temp.Subkey(), L"254", std::wstring(254, L'a'));
  SetString(HKEY_CURRENT_USER, temp.Subkey(), L"255", std::wstring(255, L'a'));
  DWORD number = 7;
  RegSetKeyValueW(HKEY_CURRENT_USER, temp.Subkey().c_str(), L"number", REG_DWORD, &number, sizeof(number));
  EXPECT_EQ(ReadRegistryString(temp.FullPath(), L"Cache"), L"%USERPROFILE%\\AppData\\Local\\INetCache");
  EXPECT_EQ(ReadRegistryString(temp.FullPath(), L"padded"), L"C:\\x  ");
  EXPECT_EQ(ReadRegistryString(temp.FullPath(), L"254"), std::wstring(254, L'a'));
  EXPECT_EQ(ReadRegistryString(temp.FullPath(), L"255"), L"Error");
  EXPECT_EQ(ReadRegistryString(temp.FullPath(), L"number"), L"Error");
  EXPECT_EQ(ReadRegistryString(temp.FullPath(), L"absent"), L"Error");
  EXPECT_EQ(ReadRegistryString(temp.FullPath() + L"\\absent", L"x"), L"Error");
  std::optional<RegistryText> raw = ReadRegistryValueRaw(HKEY_CURRENT_USER, temp.Subkey(), L"Cache");
  ASSERT_TRUE(raw);
  EXPECT_EQ(raw->text, L"%USERPROFILE%\\AppData\\Local\\INetCache");
  EXPECT_EQ(raw->type, static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_EQ(ReadRegistryValueRaw(HKEY_CURRENT_USER, temp.Subkey(), L"absent"), std::nullopt);
  EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(Regfun, WritesOnlyIntoExistingKeys) {
  std::wstring missing = temp.FullPath() + L"\\Main";
  WriteRegistryString(missing, L"Start Page", L"about:blank");
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, temp.Subkey() + L"\\Main"));
  CreateRegistryKey(missing + L"\\Deeper");
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, temp.Subkey() + L"\\Main\\Deeper"));
  WriteRegistryString(missing, L"Start Page", L"about:blank");
  EXPECT_EQ(ReadRegistryString(missing, L"Start Page"), L"about:blank");
  EXPECT_EQ(TrimAtNul(std::wstring(L"ab\0c", 4)), L"ab");
  EXPECT_EQ(TrimAtNul(L"abc"), L"abc");
}

TEST_F(Regfun, ShellFoldersExpandTheProfileAndFailAsError) {
  ScopedEnvironment profile(L"USERPROFILE", L"C:\\users\\tester");
  SetString(HKEY_CURRENT_USER, temp.Subkey(), L"AppData", L" %USERPROFILE%\\AppData\\Roaming ", REG_EXPAND_SZ);
  EXPECT_EQ(ResolveShellFolder(L"AppData", temp.FullPath()), L"C:\\users\\tester\\AppData\\Roaming");
  EXPECT_EQ(ResolveShellFolder(L"Nothing", temp.FullPath()), L"Error");
  // The real key of the prefix.
  EXPECT_EQ(ResolveShellFolder(L"Cache").rfind(L"C:\\users\\tester\\", 0), 0u);
}
