#include "engine/normal.h"

#include <gtest/gtest.h>

#include "engine/regfun.h"
#include "support/test_support.h"

using namespace engine::normal;
using namespace testing_support;

TEST(ExpandUserProfile, ReplacesTheTokenAndDropsWhatCameBefore) {
  ScopedEnvironment profile(L"USERPROFILE", L"C:\\users\\tester");
  EXPECT_EQ(ExpandUserProfile(L"%USERPROFILE%\\AppData\\Roaming"), L"C:\\users\\tester\\AppData\\Roaming");
  EXPECT_EQ(ExpandUserProfile(L"junk%USERPROFILE%\\x"), L"C:\\users\\tester\\x");
  EXPECT_EQ(ExpandUserProfile(L"%userprofile%\\x"), L"%userprofile%\\x");
  EXPECT_EQ(ExpandUserProfile(L"C:\\plain"), L"C:\\plain");
}

// The dialog's own offset cuts folder from names, whatever the process's current folder is.
TEST(ParseFileSelection, FolderAndNamesComeFromTheDialogsOffset) {
  struct Case {
    std::wstring raw;
    size_t offset;
    std::wstring folder;
    std::vector<std::wstring> names;
  };
  const Case cases[] = {
      {L"C:\\MyData\\keep.txt", 10, L"C:\\MyData\\", {L"keep.txt"}},
      {L"C:\\keep.txt", 3, L"C:\\", {L"keep.txt"}},
      {std::wstring(L"C:\\MyData\0a.txt\0b c.txt\0", 24), 10, L"C:\\MyData\\", {L"a.txt", L"b c.txt"}},
      {std::wstring(L"C:\\\0a.txt\0b.txt", 15), 4, L"C:\\", {L"a.txt", L"b.txt"}},
      {L"C:\\MyData\\keep.txt", 0, L"", {}},
      {L"C:\\MyData\\keep.txt", 40, L"", {}},
  };
  TempFolder elsewhere;
  wchar_t saved[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, saved);
  SetCurrentDirectoryW(elsewhere.Path().c_str());
  for (const Case& c : cases) {
    FileSelection selection = ParseFileSelection({c.raw, c.offset});
    EXPECT_EQ(selection.folder, c.folder) << c.raw;
    EXPECT_EQ(selection.names, c.names) << c.raw;
    EXPECT_EQ(selection.count, c.names.size()) << c.raw;
  }
  SetCurrentDirectoryW(saved);
}

// An existing file is scheduled once however often a run asks; a missing one never.
TEST(DeleteFileAtReboot, SchedulesAnExistingFileOnce) {
  TempFolder folder;
  std::wstring file = folder / L"index.dat";
  MakeFile(file, 1);
  auto occurrences = [](const std::wstring& name) {
    std::wstring operations = PendingFileRenames();
    size_t count = 0;
    for (size_t at = operations.find(name); at != std::wstring::npos; at = operations.find(name, at + 1)) ++count;
    return count;
  };
  DeleteFileAtReboot({}, file);
  DeleteFileAtReboot({}, file);
  ExpectKept(file);
  EXPECT_EQ(occurrences(file), 1u);
  DeleteFileAtReboot({}, folder / L"missing.dat");
  EXPECT_EQ(occurrences(folder / L"missing.dat"), 0u);
}
