#include "shredder/free_space.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

using namespace testing_support;

namespace {

const std::wstring kRoot = L"C:\\";

ULONGLONG FilledBytes() {
  WIN32_FIND_DATAW data;
  ULONGLONG total = 0;
  HANDLE find = FindFirstFileW((shredder::WipeFolder(kRoot) + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      total += (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return total;
}

}  // namespace

// A drive with a little free space: the wipe writes exactly that much into its hidden folder, then
// the folder and its files are gone.
TEST(WipeFreeSpace, FillsASmallDriveThenFreesItAndLeavesNothing) {
  constexpr ULONGLONG kSmallDrive = 3 * 1024 * 1024 + 12345;
  ULONGLONG filledAtEnd = 0;
  DWORD folderAttributes = 0;
  std::vector<double> secondsLeft;
  shredder::WipeOptions options;
  options.limit = kSmallDrive;
  options.progress = [&](const shredder::WipeProgress& progress) {
    secondsLeft.push_back(progress.secondsLeft);
    EXPECT_EQ(progress.free, kSmallDrive);
    if (progress.written == kSmallDrive) {
      filledAtEnd = FilledBytes();
      folderAttributes = Attributes(shredder::WipeFolder(kRoot));
    }
  };
  shredder::WipeResult result = shredder::WipeFreeSpace(kRoot, options);
  EXPECT_EQ(result.outcome, shredder::WipeOutcome::Filled);
  EXPECT_EQ(result.written, kSmallDrive);
  EXPECT_EQ(filledAtEnd, kSmallDrive);
  EXPECT_TRUE(folderAttributes & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_TRUE(result.freed);
  ExpectGone(shredder::WipeFolder(kRoot));
  ASSERT_FALSE(secondsLeft.empty());
  EXPECT_EQ(secondsLeft.back(), 0);
}

TEST(WipeFreeSpace, AStopEndsItAndFreesTheSpace) {
  shredder::WipeResult result;
  engine::StopSignal stop;
  shredder::WipeOptions options;
  options.limit = ULONGLONG{1} << 40;
  options.stop = &stop;
  options.progress = [&](const shredder::WipeProgress& progress) {
    if (progress.written >= 2 * 1024 * 1024) stop.Request();
  };
  result = shredder::WipeFreeSpace(kRoot, options);
  EXPECT_EQ(result.outcome, shredder::WipeOutcome::Stopped);
  EXPECT_GE(result.written, 2u * 1024 * 1024);
  EXPECT_LT(result.written, 8u * 1024 * 1024);
  EXPECT_TRUE(result.freed);
  ExpectGone(shredder::WipeFolder(kRoot));
}

TEST(WipeFreeSpace, LeftoversOfAnInterruptedWipeGoButNothingElse) {
  const std::wstring folder = shredder::WipeFolder(kRoot);
  struct Case {
    std::vector<const wchar_t*> files;
    bool removed;
  };
  for (const Case& c :
       {Case{{L"fill-1.tmp", L"fill-2.tmp"}, true}, Case{{}, true}, Case{{L"fill-1.tmp", L"mine.txt"}, false}}) {
    MakeFolders(folder);
    for (const wchar_t* name : c.files) MakeFile(folder + L"\\" + name, 100);
    std::vector<std::wstring> removed = shredder::RemoveWipeLeftovers({kRoot});
    EXPECT_EQ(removed, c.removed ? std::vector<std::wstring>{folder} : std::vector<std::wstring>{});
    EXPECT_EQ(Exists(folder), !c.removed);
    ExpectGone(folder + L"\\fill-1.tmp");
    if (!c.removed) {
      ExpectKept(folder + L"\\mine.txt");
    }
    RemoveTree(folder);
  }
}

TEST(WipeFreeSpace, ADriveIsNamedByItsLetter) {
  struct Case {
    const wchar_t* text;
    const wchar_t* root;
  };
  for (const Case& c : {Case{L"c", L"C:\\"}, Case{L"D:", L"D:\\"}, Case{L"e:\\", L"E:\\"}, Case{L"", nullptr},
                        Case{L"C:\\Windows", nullptr}, Case{L"CC", nullptr}, Case{L"1:", nullptr}}) {
    std::optional<std::wstring> root = shredder::DriveRoot(c.text);
    EXPECT_EQ(root.has_value(), c.root != nullptr) << c.text;
    if (root && c.root) {
      EXPECT_EQ(*root, c.root) << c.text;
    }
  }
}

// A folder of the wipe's name that holds someone's file is left alone and named; the wipe fills a
// folder of a fresh name, frees it and succeeds, and the next start removes what a wipe under such a
// name left.
TEST(WipeFreeSpace, AFolderOfItsNameHoldingAnotherFileIsLeftAloneAndNamed) {
  const std::wstring taken = shredder::WipeFolder(kRoot), fresh = taken + L" (2)";
  MakeFile(taken + L"\\mine.txt", 10);
  shredder::WipeOptions options;
  options.limit = 2 * 1024 * 1024;
  shredder::WipeResult result = shredder::WipeFreeSpace(kRoot, options);
  EXPECT_EQ(result.outcome, shredder::WipeOutcome::Filled);
  EXPECT_TRUE(result.freed);
  EXPECT_EQ(result.folder, fresh);
  EXPECT_EQ(result.leftAlone, std::vector<std::wstring>{taken});
  ExpectKept(taken + L"\\mine.txt");
  ExpectGone(fresh);
  MakeFile(fresh + L"\\fill-1.tmp", 100);
  EXPECT_EQ(shredder::RemoveWipeLeftovers({kRoot}), std::vector<std::wstring>{fresh});
  ExpectKept(taken + L"\\mine.txt");
  RemoveTree(taken);
}
