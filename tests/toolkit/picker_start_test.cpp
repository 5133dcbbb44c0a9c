#include "toolkit/picker_start.h"

#include <gtest/gtest.h>

#include <knownfolders.h>

#include "platform/system_folders.h"
#include "support/test_support.h"

using namespace testing_support;

// Pickers open where the user's files are, then where the user last picked, until that folder is gone.
TEST(PickerStart, DocumentsOrTheProfileThenTheLastFolderWhileItExists) {
  toolkit::RememberPickedFolder(L"");
  const std::wstring documents = platform::KnownFolder(FOLDERID_Documents);
  const std::wstring profile = platform::KnownFolder(FOLDERID_Profile);
  ASSERT_FALSE(documents.empty());
  EXPECT_EQ(toolkit::PickerStart(toolkit::Pick::Files), documents);
  EXPECT_EQ(toolkit::PickerStart(toolkit::Pick::Folder), profile);

  TempFolder folder;
  const std::wstring one = folder / L"a.txt";
  const std::wstring several = folder.Path() + std::wstring(L"\0a.txt\0b.txt\0", 13);
  struct Case {
    std::wstring result;
    WORD offset;
    std::wstring start;
  };
  for (const Case& c :
       {Case{one, static_cast<WORD>(folder.Path().size() + 1), folder.Path() + L"\\"},
        Case{several, static_cast<WORD>(folder.Path().size() + 1), folder.Path()}, Case{L"C:\\top.txt", 3, L"C:\\"}}) {
    toolkit::RememberPickedFiles(c.result, c.offset);
    EXPECT_EQ(toolkit::PickerStart(toolkit::Pick::Files), c.start) << c.result;
    EXPECT_EQ(toolkit::PickerStart(toolkit::Pick::Folder), c.start) << c.result;
  }
  const std::wstring gone = folder / L"gone";
  MakeFolders(gone);
  toolkit::RememberPickedFolder(gone);
  EXPECT_EQ(toolkit::PickerStart(toolkit::Pick::Folder), gone);
  RemoveDirectoryW(gone.c_str());
  EXPECT_EQ(toolkit::PickerStart(toolkit::Pick::Folder), profile);
}
