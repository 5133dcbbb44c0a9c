#include "engine/path_guard.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

using engine::ErasablePath;

namespace {

std::wstring Environment(const wchar_t* name) {
  wchar_t buffer[MAX_PATH] = L"";
  GetEnvironmentVariableW(name, buffer, MAX_PATH);
  return buffer;
}

}  // namespace

TEST(PathGuard, RefusesPathsNoErasureMayTouch) {
  std::wstring windows = Environment(L"windir");
  std::wstring profile = Environment(L"USERPROFILE");
  ASSERT_FALSE(windows.empty());
  ASSERT_FALSE(profile.empty());
  for (const std::wstring& path :
       {std::wstring(), std::wstring(L"Error"), std::wstring(L"Error\\Cache"), std::wstring(L"relative\\folder"),
        std::wstring(L"C:"), std::wstring(L"C:\\"), std::wstring(L"c:/"), std::wstring(L"C:\\Windows\\.."),
        std::wstring(L"\\\\server\\share"), std::wstring(L"\\\\?\\C:\\"), windows, windows + L"\\",
        profile, profile + L"\\", profile + L"\\..", Environment(L"ProgramFiles"), std::wstring(L"C:\\Users")}) {
    EXPECT_FALSE(ErasablePath(path)) << path;
  }
}

TEST(PathGuard, AcceptsFoldersBelowProtectedOnes) {
  std::wstring windows = Environment(L"windir");
  std::wstring profile = Environment(L"USERPROFILE");
  auto temp = ErasablePath(windows + L"\\Temp\\");
  ASSERT_TRUE(temp);
  EXPECT_EQ(*temp, windows + L"\\Temp");
  EXPECT_TRUE(ErasablePath(profile + L"\\AppData\\Roaming"));
  EXPECT_TRUE(ErasablePath(L"D:\\data"));
}
