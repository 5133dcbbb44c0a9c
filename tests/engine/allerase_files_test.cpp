#include <gtest/gtest.h>

#include <cwctype>
#include <functional>
#include <map>

#include "engine/allerase.h"
#include "engine/link_check.h"
#include "engine/path_guard.h"
#include "platform/files.h"
#include "platform/text.h"
#include "support/test_support.h"

using namespace engine::allerase;
using namespace testing_support;

namespace {

const EraseContext kQuiet;

}  // namespace

TEST(TreeErasure, CountsFileSizesPlus10000PerFolderAndKeepsFolders) {
  TempFolder root;
  MakeFile(root / L"a\\one.txt", 1000);
  MakeFile(root / L"b\\two.txt", 1000);
  EXPECT_EQ(EraseAllFilesInTree(kQuiet, root.Path()), 32000);
  ExpectKept(root / L"a");
  ExpectKept(root / L"b");
  ExpectGone(root / L"a\\one.txt");
  ExpectGone(root / L"b\\two.txt");
  // A trailing backslash is tolerated.
  MakeFile(root / L"c.txt", 10);
  EXPECT_EQ(EraseAllFilesInTree(kQuiet, root.Path() + L"\\"), 30010);
}

TEST(TreeErasure, MissingFolderCounts10000InTreesAndNothingInSingleFolders) {
  TempFolder root;
  std::wstring missing = root / L"missing";
  EXPECT_EQ(EraseAllFilesInTree(kQuiet, missing), 10000);
  EXPECT_EQ(EraseNamedFilesInTree(kQuiet, missing, L"x"), 10000);
  EXPECT_EQ(EraseFilesByExtensionInTree(kQuiet, missing, L"txt"), 10000);
  EXPECT_EQ(EraseNamedFoldersInTree(kQuiet, missing, L"cache"), 10000);
  EXPECT_EQ(EraseFilesInFolder(kQuiet, missing), 0);
  EXPECT_EQ(EraseNamedFileInFolder(kQuiet, missing, L"x"), 0);
  EXPECT_EQ(EraseFilesByExtensionInFolder(kQuiet, missing, L"txt"), 0);
}

TEST(TreeErasure, FileNamesMatchExactlyFolderNamesInAnyCase) {
  TempFolder root;
  MakeFile(root / L"places.sqlite", 10);
  MakeFile(root / L"p1\\deep\\places.sqlite", 20);
  MakeFile(root / L"p1\\Places.sqlite", 40);
  EXPECT_EQ(EraseNamedFilesInTree(kQuiet, root.Path(), L"places.sqlite"), 30 + 3 * 10000);
  ExpectGone(root / L"places.sqlite");
  ExpectGone(root / L"p1\\deep\\places.sqlite");
  ExpectKept(root / L"p1\\Places.sqlite");

  TempFolder tree;
  MakeFile(tree / L"Cache\\a.bin", 100);
  MakeFile(tree / L"x\\CACHE\\sub\\b.bin", 200);
  MakeFile(tree / L"x\\cachex\\c.bin", 400);
  // Visited: the root, x, cachex and cachex's nothing; the deleted folders are not walked.
  EXPECT_EQ(EraseNamedFoldersInTree(kQuiet, tree.Path(), L"cache"), 300 + 3 * 10000);
  ExpectGone(tree / L"Cache");
  ExpectGone(tree / L"x\\CACHE");
  ExpectKept(tree / L"x\\cachex\\c.bin");
}

TEST(TreeErasure, ExtensionsCompareLowerCased) {
  TempFolder root;
  MakeFile(root / L"A.WAB", 5);
  MakeFile(root / L"sub\\b.wab", 7);
  MakeFile(root / L"sub\\c.wab.bak", 11);
  EXPECT_EQ(EraseFilesByExtensionInTree(kQuiet, root.Path(), L"wab"), 12 + 2 * 10000);
  ExpectKept(root / L"sub\\c.wab.bak");
  MakeFile(root / L"d.Log", 3);
  EXPECT_EQ(EraseFilesByExtensionInFolder(kQuiet, root.Path(), L"log"), 3);
  ExpectGone(root / L"d.Log");
}

TEST(TreeErasure, HiddenFilesLoseTheAttributeEvenWhenTheyDoNotMatch) {
  TempFolder root;
  MakeFile(root / L"keep.txt", 1);
  MakeFile(root / L"index.dat", 2);
  SetFileAttributesW((root / L"keep.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesW((root / L"index.dat").c_str(), FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(EraseNamedFileInFolder(kQuiet, root.Path(), L"index.dat"), 2);
  ExpectGone(root / L"index.dat");
  ASSERT_TRUE(Exists(root / L"keep.txt"));
  EXPECT_FALSE(Attributes(root / L"keep.txt") & FILE_ATTRIBUTE_HIDDEN);
}

TEST(FolderErasure, FilesInFolderLeavesSubfoldersAndReadOnlyFiles) {
  TempFolder root;
  MakeFile(root / L"a.tmp", 10);
  MakeFile(root / L"locked.tmp", 20);
  MakeFile(root / L"sub\\b.tmp", 40);
  SetFileAttributesW((root / L"locked.tmp").c_str(), FILE_ATTRIBUTE_READONLY);
  // The read-only file is counted although it stays.
  EXPECT_EQ(EraseFilesInFolder(kQuiet, root.Path()), 30);
  ExpectGone(root / L"a.tmp");
  ExpectKept(root / L"locked.tmp");
  ExpectKept(root / L"sub\\b.tmp");
}

// The walks offer the window a turn at every file, and pass it on by time, not per file.
TEST(FolderErasure, EveryWalkLetsTheWindowWorkByTime) {
  TempFolder root;
  for (int i = 0; i < 4; ++i) MakeFile(root / (L"f" + std::to_wstring(i)), 1);
  int pumps = 0;
  EraseContext everyTime{[&] { ++pumps; }, std::chrono::milliseconds(0)};
  everyTime.mode = engine::EraseMode::Preview;
  EraseNamedFileInFolder(everyTime, root.Path(), L"f1");
  EXPECT_GE(pumps, 4);
  pumps = 0;
  EraseAllFilesInTree(everyTime, root.Path());
  EXPECT_GE(pumps, 4);

  pumps = 0;
  EraseContext byTime{[&] { ++pumps; }, std::chrono::hours(1)};
  EraseAllFilesInTree(byTime, root.Path());
  EXPECT_EQ(pumps, 1);  // the first turn only: an hour has not gone by since
  EXPECT_TRUE(FolderNames(root.Path()).empty());
}

// A stop reaches a walk at its next file: what it had not reached is left as it was.
TEST(FolderErasure, AStopEndsEveryWalkAtTheNextFile) {
  TempFolder root;
  for (int i = 0; i < 10; ++i) MakeFile(root / (L"sub\\f" + std::to_wstring(i)), 100);
  engine::StopSignal stop;
  engine::RunReport report;
  engine::RunRecorder recorder(report);
  recorder.BeginItem(L"S", L"K", L"L");
  // The user presses Cancel once three files are gone.
  EraseContext erase{[&] {
                       if (FolderNames(root / L"sub").size() <= 7) stop.Request();
                     },
                     std::chrono::milliseconds(0)};
  erase.stop = &stop;
  erase.recorder = &recorder;
  double figure = EraseFolder(erase, root / L"sub");
  ASSERT_FALSE(report.items[0].files.empty());
  EXPECT_LT(report.items[0].files.size(), 10u);
  EXPECT_EQ(figure, 100.0 * report.items[0].files.size());
  EXPECT_EQ(FolderNames(root / L"sub").size(), 10 - report.items[0].files.size());
  // Once stopped, the walks start nothing more.
  EraseAllFilesInTree(erase, root / L"sub");
  EraseFilesInFolder(erase, root / L"sub");
  EXPECT_EQ(FolderNames(root / L"sub").size(), 10 - report.items[0].files.size());
}

// A walk stopped while it lists a folder judges none of the folders below it: the details name no
// folder the walk never reached.
TEST(FolderErasure, AStoppedWalkJudgesNoFurtherFolder) {
  TempFolder root;
  using Walk = std::function<void(const EraseContext&)>;
  const Walk walks[] = {
      [&](const EraseContext& erase) { EraseAllFilesInTree(erase, root.Path()); },
      [&](const EraseContext& erase) { EraseNamedFoldersInTree(erase, root.Path(), L"cache"); },
      [&](const EraseContext& erase) {
        EraseFilesWhere(
            erase, root.Path(), [](const std::wstring&, const std::wstring&) { return true; }, true, true, false);
      },
      [&](const EraseContext& erase) { EraseFolder(erase, root.Path()); },
  };
  MakeFile(root / L"a.tmp", 10);
  MakeFile(root / L"Trellwipe\\prisd.dat", 10);
  for (const Walk& walk : walks) {
    engine::StopSignal stop;
    engine::RunReport report;
    engine::RunRecorder recorder(report);
    recorder.BeginItem(L"S", L"K", L"L");
    EraseContext erase{[&] { stop.Request(); }, std::chrono::milliseconds(0)};
    erase.stop = &stop;
    erase.recorder = &recorder;
    erase.programFolder = engine::CanonicalPath(root / L"Trellwipe");
    walk(erase);
    EXPECT_TRUE(report.items[0].leftBehind.empty()) << platform::Narrow(report.items[0].leftBehind[0].path);
    ExpectKept(root / L"a.tmp");
  }
}

// A file is as new as the latest of its creation, last write and change times. Dated back to 2019
// a moment ago, it stays under an age that reaches its change time, in a walk and on its own, and goes
// once the age ends just after it: no file made here can be older than that.
TEST(AgeErasure, AFileIsAsNewAsItsLastCreationWriteOrChange) {
  TempFolder root;
  const std::wstring file = root / L"unpacked.dll";
  const unsigned long long in2019 = 132040000000000000ULL;  // 3 June 2019
  const std::function<void(const EraseContext&)> erasures[] = {
      [&](const EraseContext& erase) { EraseAllFilesInTree(erase, root.Path()); },
      [&](const EraseContext& erase) { EraseFile(erase, file); },
  };
  for (const auto& run : erasures) {
    MakeFile(file, 10);
    SetFileTimes(file, in2019, true);
    const unsigned long long changed = platform::ChangeTime(file);
    ASSERT_GT(changed, in2019);
    EraseContext erase;
    erase.keepChangedFrom = changed;
    run(erase);
    ExpectKept(file);
    erase.keepChangedFrom = changed + 1;
    run(erase);
    ExpectGone(file);
  }
}

TEST(RecreateFolder, EmptiesTheFolderAndReturnsItsFormerSize) {
  TempFolder root;
  std::wstring target = root / L"Favorites";
  MakeFile(target + L"\\a.url", 100);
  MakeFile(target + L"\\links\\b.url", 50);
  SetFileAttributesW((target + L"\\links\\b.url").c_str(), FILE_ATTRIBUTE_READONLY);
  SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(RecreateFolder(kQuiet, target), 150);
  ASSERT_TRUE(Exists(target));
  ExpectGone(target + L"\\a.url");
  ExpectGone(target + L"\\links");
  EXPECT_FALSE(Attributes(target) & FILE_ATTRIBUTE_HIDDEN);
}

TEST(RecreateFolder, MissingFolderIsCreatedEmpty) {
  TempFolder root;
  EXPECT_EQ(RecreateFolder(kQuiet, root / L"History"), 0);
  EXPECT_TRUE(Attributes(root / L"History") & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(Guard, ProtectedTargetsAreLeftAloneWithTheFigureOfAMissingFolder) {
  wchar_t profile[MAX_PATH];
  GetEnvironmentVariableW(L"USERPROFILE", profile, MAX_PATH);
  std::wstring sentinel = std::wstring(profile) + L"\\trellwipe-guard.txt";
  std::wstring rootSentinel = L"C:\\trellwipe-guard.txt";
  MakeFile(sentinel, 10);
  MakeFile(rootSentinel, 10);
  EXPECT_EQ(EraseAllFilesInTree(kQuiet, L"C:\\"), 10000);
  EXPECT_EQ(EraseAllFilesInTree(kQuiet, profile), 10000);
  EXPECT_EQ(EraseFilesInFolder(kQuiet, L"C:\\"), 0);
  EXPECT_EQ(RecreateFolder(kQuiet, profile), 0);
  EXPECT_EQ(EraseAllFilesInTree(kQuiet, L"Error"), 10000);
  EXPECT_EQ(RecreateFolder(kQuiet, L"Error"), 0);
  ExpectGone(L"Error");
  ExpectKept(sentinel);
  ExpectKept(rootSentinel);
  DeleteFileW(sentinel.c_str());
  DeleteFileW(rootSentinel.c_str());
}

// Wine cannot make links from inside a Windows process, so the test emulator lays out a fresh tree
// for every test: tree\sub\own.txt (5 bytes) and the link tree\sub\cache, which leads to the folder
// outside holding precious.txt and cache\precious.bin.
class LinkedTree : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t fixture[MAX_PATH] = L"";
    ASSERT_GT(GetEnvironmentVariableW(L"TRELLWIPE_LINK_FIXTURE", fixture, MAX_PATH), 0u)
        << "run through scripts/wine-emulator.sh, which makes the linked tree";
    tree = std::wstring(fixture) + L"\\tree";
    outside = std::wstring(fixture) + L"\\outside";
    ASSERT_TRUE(Exists(tree + L"\\sub\\own.txt"));
    ASSERT_TRUE(Attributes(tree + L"\\sub\\cache") & FILE_ATTRIBUTE_REPARSE_POINT);
    ASSERT_TRUE(Exists(tree + L"\\sub\\cache\\precious.txt"));
  }
  void ExpectOutsideIntact() {
    ExpectKept(outside + L"\\precious.txt");
    ExpectKept(outside + L"\\cache\\precious.bin");
  }
  std::wstring tree;
  std::wstring outside;
};

TEST_F(LinkedTree, FileWalksDoNotFollowLinks) {
  EXPECT_EQ(EraseAllFilesInTree(kQuiet, tree), 5 + 2 * 10000);
  EXPECT_EQ(EraseNamedFilesInTree(kQuiet, tree, L"precious.txt"), 2 * 10000);
  EXPECT_EQ(EraseFilesByExtensionInTree(kQuiet, tree, L"txt"), 2 * 10000);
  ExpectGone(tree + L"\\sub\\own.txt");
  ExpectOutsideIntact();
}

TEST_F(LinkedTree, FolderWalksNeitherDeleteNorEnterLinks) {
  EXPECT_EQ(EraseNamedFoldersInTree(kQuiet, tree, L"cache"), 2 * 10000);
  ExpectOutsideIntact();
}

TEST_F(LinkedTree, RecreateDeletesTheTreeButNothingALinkLeadsTo) {
  EXPECT_EQ(RecreateFolder(kQuiet, tree), 5);
  ExpectKept(tree);
  ExpectGone(tree + L"\\sub\\own.txt");
  ExpectOutsideIntact();
}

// A walk lists each folder through the handle it opened, and judges its entries by what the listing
// gave: each entry's attributes, size and change time are those that opening the entry tells, a
// link to a folder is one and a hard link of a file is a plain file.
TEST_F(LinkedTree, TheWalksListingTellsOfEachEntryWhatOpeningItTells) {
  const std::wstring sub = tree + L"\\sub";
  ASSERT_TRUE(CreateHardLinkW((sub + L"\\hard.txt").c_str(), (sub + L"\\own.txt").c_str(), nullptr));
  MakeFolders(sub + L"\\plain");
  platform::FileHandle opened = platform::OpenFolder(sub);
  ASSERT_TRUE(opened);
  std::map<std::wstring, platform::FolderEntry> listed;
  ASSERT_TRUE(platform::ListOpenFolder(opened.get(), [&](const platform::FolderEntry& e) { listed[e.name] = e; }));
  const std::pair<const wchar_t*, DWORD> expected[] = {{L"own.txt", 0},
                                                       {L"hard.txt", 0},
                                                       {L"plain", FILE_ATTRIBUTE_DIRECTORY},
                                                       {L"cache", FILE_ATTRIBUTE_REPARSE_POINT}};
  ASSERT_EQ(listed.size(), std::size(expected));
  for (const auto& [name, kind] : expected) {
    SCOPED_TRACE(platform::Narrow(name));
    const std::wstring path = sub + L"\\" + name;
    const platform::FolderEntry& entry = listed[name];
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(entry.attributes, data.dwFileAttributes);
    EXPECT_EQ(entry.attributes & kind, kind);
    EXPECT_EQ(entry.IsLink(), kind == FILE_ATTRIBUTE_REPARSE_POINT);
    if (!entry.IsFolder()) {
      EXPECT_EQ(entry.size, data.nFileSizeLow);
    }
    EXPECT_EQ(entry.change, platform::ChangeTime(path));
  }
}

// A portable copy unpacked in Downloads or Temp: the walks that empty those folders never enter it,
// and say so.
TEST(FolderErasure, NoWalkFromAboveEntersTheProgramFolder) {
  TempFolder parent;
  using Walk = std::function<void(const EraseContext&)>;
  const Walk walks[] = {
      [&](const EraseContext& erase) { EraseAllFilesInTree(erase, parent.Path()); },
      [&](const EraseContext& erase) { RecreateFolder(erase, parent.Path()); },
      [&](const EraseContext& erase) { EraseFolder(erase, parent.Path()); },
      [&](const EraseContext& erase) { EraseNamedFoldersInTree(erase, parent.Path(), L"other"); },
      [&](const EraseContext& erase) { EraseNamedFilesInTree(erase, parent.Path(), L"prisd.dat"); },
  };
  for (const Walk& walk : walks) {
    MakeFile(parent / L"Trellwipe\\prisd.dat", 10);
    MakeFile(parent / L"Trellwipe\\plus-in\\Example.ppe", 10);
    MakeFile(parent / L"other\\prisd.dat", 10);
    engine::RunReport report;
    engine::RunRecorder recorder(report);
    recorder.BeginItem(L"S", L"K", L"L");
    EraseContext erase;
    erase.recorder = &recorder;
    erase.programFolder = engine::CanonicalPath(parent / L"Trellwipe");
    walk(erase);
    ExpectKept(parent / L"Trellwipe\\prisd.dat");
    ExpectKept(parent / L"Trellwipe\\plus-in\\Example.ppe");
    ExpectGone(parent / L"other\\prisd.dat");
    ASSERT_EQ(report.items[0].leftBehind.size(), 1u);
    EXPECT_TRUE(platform::EqualsNoCase(report.items[0].leftBehind[0].path, parent / L"Trellwipe"));
  }
}

// "report." and "report" are two files on the drives Wine reaches: each goes only when it is named
// or a walk meets it, and the walk's own names act, not their trimmed form.
TEST(ExactEntries, TrailingDotsAndBlanksNameTheirOwnFilesAndFolders) {
  TempFolder root;
  const std::wstring exact = L"\\\\?\\" + root.Path();
  WriteText(exact + L"\\report", "KEEP-ME");
  WriteText(exact + L"\\report.", "SHRED-ME");
  MakeFolders(exact + L"\\notes");
  MakeFile(exact + L"\\notes\\keep.txt", 3);
  MakeFolders(exact + L"\\notes ");
  MakeFile(exact + L"\\notes \\gone.txt", 5);
  EXPECT_EQ(EraseFile(kQuiet, root / L"report."), 8);
  ExpectGone(exact + L"\\report.");
  EXPECT_EQ(ReadText(exact + L"\\report"), "KEEP-ME");
  EXPECT_EQ(EraseFolder(kQuiet, root / L"notes "), 5);
  ExpectGone(exact + L"\\notes ");
  ExpectKept(exact + L"\\notes\\keep.txt");
  // A walk meets them by their listed names.
  WriteText(exact + L"\\lonely.", "x");
  MakeFile(exact + L"\\tree \\inner.\\deep ", 4);
  EXPECT_EQ(EraseAllFilesInTree(kQuiet, root.Path()), 7 + 3 + 1 + 4 + 4 * 10000);
  for (const wchar_t* gone : {L"\\report", L"\\lonely.", L"\\notes\\keep.txt", L"\\tree \\inner.\\deep "}) {
    ExpectGone(exact + gone, ::testing::Message() << gone);
  }
}

// With the current folder on the same drive, "C:" names that folder, not the root: a file directly
// below the root is still the entry itself, not a link.
TEST(ExactEntries, AFileAtADriveRootIsNoLinkWhereverTheCurrentFolderIs) {
  TempFolder current;
  wchar_t before[MAX_PATH] = L"";
  GetCurrentDirectoryW(MAX_PATH, before);
  ASSERT_TRUE(SetCurrentDirectoryW(current.Path().c_str()));
  ASSERT_EQ(towupper(current.Path()[0]), L'C');
  const std::wstring top = L"C:\\trellwipe-top-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
  MakeFile(top, 10);
  EXPECT_FALSE(engine::IsWineLink(top));
  engine::RunReport report;
  engine::RunRecorder recorder(report);
  recorder.BeginItem(L"S", L"K", L"L");
  EraseContext erase;
  erase.recorder = &recorder;
  EXPECT_EQ(EraseFile(erase, top), 10);
  ExpectGone(top);
  EXPECT_TRUE(report.items[0].leftBehind.empty());
  SetCurrentDirectoryW(before);
  DeleteFileW(top.c_str());
}
