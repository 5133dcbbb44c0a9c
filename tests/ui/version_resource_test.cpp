#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"
#include "ui/main_window.h"

using namespace testing_support;

namespace {

// Read from the loaded module: the test program's own file lies outside the drives the sandbox maps.
std::vector<BYTE> VersionInfo() {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const BYTE* bytes = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
  if (!bytes) return {};
  // VerQueryValueW wants a writable copy with room behind it, as GetFileVersionInfoW would give.
  std::vector<BYTE> data(bytes, bytes + SizeofResource(module, found));
  data.resize(data.size() * 2);
  return data;
}

std::wstring VersionText(std::vector<BYTE>& data, const wchar_t* name) {
  wchar_t* text = nullptr;
  UINT length = 0;
  std::wstring query = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
  if (!VerQueryValueW(data.data(), query.c_str(), reinterpret_cast<void**>(&text), &length) || !text) return L"";
  return text;
}

}  // namespace

TEST(VersionResource, CarriesTheVersionOfTheMainWindowsCaption) {
  std::vector<BYTE> data = VersionInfo();
  ASSERT_FALSE(data.empty());
  std::wstring version = VersionText(data, L"ProductVersion");
  EXPECT_EQ(VersionText(data, L"FileVersion"), version);
  EXPECT_EQ(VersionText(data, L"ProductName"), L"Trellwipe");
  EXPECT_EQ(VersionText(data, L"OriginalFilename"), L"trellwipe.exe");
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(fixed->dwFileVersionMS)),
            version);

  TempFolder folder;
  ui::MainWindow window(GetModuleHandleW(nullptr), folder.Path());
  ASSERT_TRUE(window.Create());
  wchar_t caption[64] = L"";
  GetWindowTextW(window.Handle(), caption, 64);
  EXPECT_EQ(std::wstring(caption), L"Trellwipe V" + version);
}

TEST(VersionResource, TheProgramsOwnIconInEverySize) {
  for (int size : {16, 32, 48}) {
    HICON icon = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    ASSERT_NE(icon, nullptr) << size;
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bitmap = {};
    GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
    EXPECT_EQ(bitmap.bmWidth, size);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }
  TempFolder folder;
  ui::MainWindow window(GetModuleHandleW(nullptr), folder.Path());
  ASSERT_TRUE(window.Create());
  EXPECT_NE(reinterpret_cast<HICON>(GetClassLongPtrW(window.Handle(), GCLP_HICON)),
            LoadIconW(nullptr, IDI_APPLICATION));
}
