#include "engine/normal.h"

#include <gtest/gtest.h>

#include "engine/regfun.h"
#include "support/test_support.h"

using namespace normal;
using namespace testing_support;

TEST(ExpandUserProfile, ReplacesTheTokenAndDropsWhatCameBefore) {
  ScopedEnvironment profile(L"USERPROFILE", L"C:\\users\\tester");
  EXPECT_EQ(ExpandUserProfile(L"%USERPROFILE%\\AppData\\Roaming"), L"C:\\users\\tester\\AppData\\Roaming");
  EXPECT_EQ(ExpandUserProfile(L"junk%USERPROFILE%\\x"), L"C:\\users\\tester\\x");
  EXPECT_EQ(ExpandUserProfile(L"%userprofile%\\x"), L"%userprofile%\\x");
  EXPECT_EQ(ExpandUserProfile(L"C:\\plain"), L"C:\\plain");
}

TEST(ParseFileSelection, OneFileOrANulSeparatedList) {
  TempFolder folder;
  wchar_t saved[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, saved);
  SetCurrentDirectoryW(folder.Path().c_str());

  FileSelection one = ParseFileSelection(folder / L"report.doc");
  EXPECT_EQ(one.count, 1);
  EXPECT_EQ(one.folder, folder.Path() + L"\\");
  ASSERT_EQ(one.names.size(), 1u);
  EXPECT_EQ(one.names[0], L"report.doc");

  std::wstring raw = folder.Path() + std::wstring(L"\0a.txt\0b c.txt\0\0", 15);
  FileSelection many = ParseFileSelection(raw);
  EXPECT_EQ(many.count, 2);
  ASSERT_EQ(many.names.size(), 2u);
  EXPECT_EQ(many.names[0], L"a.txt");
  EXPECT_EQ(many.names[1], L"b c.txt");

  SetCurrentDirectoryW(saved);
}

TEST(DeleteFileAtReboot, RecordsAPendingDeletion) {
  TempFolder folder;
  std::wstring file = folder / L"index.dat";
  MakeFile(file, 1);
  DeleteFileAtReboot({}, file);
  EXPECT_TRUE(Exists(file));
  std::wstring operations = PendingFileRenames();
  EXPECT_NE(operations.find(L"index.dat"), std::wstring::npos);
}
