#include "shredder/shred.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/handles.h"
#include "support/held_file.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

std::wstring Fixture() {
  wchar_t fixture[MAX_PATH] = L"";
  GetEnvironmentVariableW(L"TRELLWIPE_LINK_FIXTURE", fixture, MAX_PATH);
  return fixture;
}

}  // namespace

// A reader that opened the file before the shred sees, once the overwrite is flushed, the fill over the
// whole allocation instead of the old bytes; afterwards neither the old name nor the random one is left.
TEST(Shred, OverwritesTheWholeAllocationThenRenamesTruncatesAndDeletes) {
  struct Case {
    engine::Fill fill;
    size_t size;
  };
  for (const Case& c : {Case{engine::Fill::Zeros, 1}, Case{engine::Fill::Zeros, 3 * 1024 * 1024 + 17},
                        Case{engine::Fill::Random, 5000}}) {
    TempFolder folder;
    std::wstring path = folder / L"diary entry.txt";
    const std::string before = MakePattern(path, c.size);
    platform::FileHandle reader = OpenShared(path);
    ASSERT_TRUE(reader) << c.size;
    std::string seen;
    std::vector<std::pair<std::wstring, std::wstring>> renames;
    shredder::ShredOptions options;
    options.fill = c.fill;
    options.overwritten = [&](const std::wstring&, ULONGLONG written, ULONGLONG length) {
      if (written == length) seen = ReadThrough(reader.get());
    };
    options.renamed = [&](const std::wstring& from, const std::wstring& to) { renames.emplace_back(from, to); };
    shredder::ShredResult result = shredder::Shred({path}, options);

    EXPECT_EQ(result.files, 1u) << c.size;
    EXPECT_EQ(result.bytes, c.size) << c.size;
    EXPECT_TRUE(result.left.empty()) << c.size;
    // The whole allocation: at least the file, in whole clusters.
    ASSERT_GE(seen.size(), c.size) << c.size;
    EXPECT_EQ(seen.size() % 512, 0u) << c.size;
    EXPECT_NE(seen.substr(0, c.size), before) << c.size;
    if (c.fill == engine::Fill::Zeros) {
      EXPECT_EQ(seen, std::string(seen.size(), '\0')) << c.size;
    } else {
      EXPECT_NE(seen, std::string(seen.size(), '\0')) << c.size;
    }
    ASSERT_EQ(renames.size(), 1u) << c.size;
    EXPECT_EQ(renames[0].first, path);
    EXPECT_EQ(renames[0].second.size(), path.size());
    EXPECT_EQ(renames[0].second.substr(0, folder.Path().size() + 1), folder.Path() + L"\\");
    EXPECT_NE(renames[0].second, path);
    reader.reset();
    EXPECT_EQ(FolderNames(folder.Path()), std::vector<std::wstring>{}) << c.size;
  }
}

TEST(Shred, AFolderGoesFileByFileThenItsFoldersDeepestFirst) {
  TempFolder folder;
  std::wstring top = folder / L"letters";
  for (const wchar_t* file : {L"a.txt", L"2024\\b.txt", L"2024\\june\\c.txt", L"2024\\june\\d.txt"}) {
    MakeFile(top + L"\\" + file, 700);
  }
  MakeFolders(top + L"\\empty");
  std::vector<std::wstring> renamed;
  shredder::ShredOptions options;
  options.renamed = [&](const std::wstring& from, const std::wstring&) { renamed.push_back(from); };

  shredder::ShredResult result = shredder::Shred({top}, options);
  EXPECT_EQ(result.files, 4u);
  EXPECT_EQ(result.folders, 4u);
  EXPECT_EQ(result.bytes, 2800u);
  EXPECT_TRUE(result.left.empty());
  ExpectGone(top);
  EXPECT_EQ(FolderNames(folder.Path()), std::vector<std::wstring>{});
  // Every file and folder is renamed before it goes, a folder after everything in it.
  ASSERT_EQ(renamed.size(), 8u);
  auto at = [&](const std::wstring& path) { return std::find(renamed.begin(), renamed.end(), path) - renamed.begin(); };
  EXPECT_LT(at(top + L"\\2024\\june"), at(top + L"\\2024"));
  EXPECT_LT(at(top + L"\\2024"), at(top));
  EXPECT_LT(at(top + L"\\2024\\june\\c.txt"), at(top + L"\\2024\\june"));
}

TEST(Shred, WhatCannotOrMustNotGoStaysWholeWithItsReason) {
  TempFolder folder, program;
  std::wstring readOnly = folder / L"read-only.txt", linked = folder / L"linked.txt", own = program / L"prisd.dat";
  MakePattern(readOnly, 100);
  SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
  MakePattern(linked, 100);
  ASSERT_TRUE(CreateHardLinkW((folder / L"other name.txt").c_str(), linked.c_str(), nullptr));
  MakePattern(own, 100);
  wchar_t windows[MAX_PATH] = L"";
  GetWindowsDirectoryW(windows, MAX_PATH);
  struct Case {
    std::wstring path;
    std::wstring reason;
  };
  const Case cases[] = {
      {L"C:\\", L"refused: a drive root"},
      {std::wstring(windows) + L"\\.", L"refused: a protected folder"},
      {program.Path(), L"refused: Trellwipe's own folder"},
      {own, L"refused: Trellwipe's own folder"},
      {readOnly, L"read-only"},
      {linked, L"has other names (hard links)"},
      {folder / L"missing.txt", L"not found"},
  };
  for (const Case& c : cases) {
    shredder::ShredOptions options;
    options.programFolder = program.Path();
    shredder::ShredResult result = shredder::Shred({c.path}, options);
    ASSERT_EQ(result.left.size(), 1u) << c.path;
    EXPECT_EQ(result.left[0].reason, c.reason) << c.path;
    EXPECT_EQ(result.files + result.folders, 0u) << c.path;
  }
  for (const std::wstring& kept : {readOnly, linked, folder / L"other name.txt", own}) {
    EXPECT_EQ(ReadText(kept).size(), 100u) << kept;
    EXPECT_EQ(ReadText(kept)[0], 'A') << kept;
  }
  SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A running program holds its file open: a shred either takes it whole or leaves every byte.
TEST(Shred, AFileInUseIsLeftWholeAndListed) {
  struct Case {
    const wchar_t* share;
    bool goes;
  };
  for (const Case& c : {Case{L"r", false}, Case{L"rw", false}, Case{L"rwd", true}}) {
    TempFolder folder;
    std::wstring path = folder / L"places.sqlite";
    const std::string before = MakePattern(path, 5000);
    HeldByAnotherProcess holder(path, c.share);
    ASSERT_TRUE(holder.holding()) << c.share;
    shredder::ShredResult result = shredder::Shred({path}, {});
    holder.Release();
    if (c.goes) {
      EXPECT_EQ(result.files, 1u) << c.share;
      EXPECT_TRUE(result.left.empty()) << c.share;
      EXPECT_EQ(FolderNames(folder.Path()), std::vector<std::wstring>{}) << c.share;
    } else {
      ASSERT_EQ(result.left.size(), 1u) << c.share;
      EXPECT_EQ(result.left[0].path, path) << c.share;
      EXPECT_EQ(result.left[0].reason, L"in use") << c.share;
      EXPECT_EQ(ReadText(path), before) << c.share;
    }
  }
}

// Folder and file links inside the tree, and a file link named itself: what they lead to stays whole.
TEST(ShredLinks, ALinkIsRemovedAsALinkOrLeftNeverFollowed) {
  const std::wstring fixture = Fixture();
  ASSERT_FALSE(fixture.empty()) << "run through scripts/wine-emulator.sh, which makes the linked tree";
  ASSERT_TRUE(Attributes(fixture + L"\\tree\\sub\\cache") & FILE_ATTRIBUTE_REPARSE_POINT);
  ASSERT_TRUE(Exists(fixture + L"\\tree\\note.txt"));
  shredder::ShredResult named = shredder::Shred({fixture + L"\\tree\\note.txt"}, {});
  shredder::ShredResult tree = shredder::Shred({fixture + L"\\tree"}, {});
  EXPECT_EQ(ReadText(fixture + L"\\outside\\precious.txt"), "0123456789");
  EXPECT_EQ(ReadText(fixture + L"\\outside\\cache\\precious.bin"), "0123456789");
  ExpectGone(fixture + L"\\tree\\sub\\own.txt");
  EXPECT_EQ(named.files + tree.files, 1u);
  // Each link went as a link, or stayed with its reason (Wine cannot remove a link by itself); the
  // file link named itself is one of them, the tree holds it (unless it went) and two folder links.
  // The folders that hold a link left in place stay too, and say why.
  auto links = [](const shredder::ShredResult& result) {
    size_t left = 0;
    for (const shredder::Left& entry : result.left) {
      if (entry.reason == L"a link, left in place") {
        ++left;
      } else {
        EXPECT_EQ(entry.reason, L"something in it stayed") << entry.path;
      }
    }
    return left;
  };
  EXPECT_EQ(named.links + links(named), 1u);
  EXPECT_EQ(named.links + tree.links + links(tree), 3u);
  ExpectKept(fixture + L"\\outside\\empty");
}

TEST(Shred, MeasuresWhatTheQuestionNamesAndNothingTheGuardRefuses) {
  TempFolder folder;
  MakeFile(folder / L"a\\one.bin", 1000);
  MakeFile(folder / L"a\\b\\two.bin", 24);
  shredder::Measure tree = shredder::MeasurePath(folder / L"a");
  EXPECT_EQ(tree.files, 2u);
  EXPECT_EQ(tree.bytes, 1024u);
  EXPECT_TRUE(tree.refusal.empty());
  shredder::Measure root = shredder::MeasurePath(L"C:\\");
  EXPECT_EQ(root.files, 0u);
  EXPECT_EQ(root.refusal, L"refused: a drive root");
}

// "report." is shredded, "report" beside it stays whole; a folder's names with trailing dots and
// blanks go by their own names, and so does a file directly below a drive's root while the current
// folder is elsewhere on that drive.
TEST(Shred, ActsOnTheExactEntryNamedOrListed) {
  TempFolder folder;
  const std::wstring exact = L"\\\\?\\" + folder.Path();
  WriteText(exact + L"\\report", "KEEP-ME");
  WriteText(exact + L"\\report.", "SHRED-ME");
  WriteText(exact + L"\\dir\\lonely.", "x");
  WriteText(exact + L"\\dir\\notes \\inner. ", "yz");
  wchar_t before[MAX_PATH] = L"";
  GetCurrentDirectoryW(MAX_PATH, before);
  ASSERT_TRUE(SetCurrentDirectoryW(folder.Path().c_str()));
  EXPECT_EQ(shredder::TypedPath(L"report."), folder / L"report.");
  EXPECT_EQ(shredder::TypedPath(folder / L"report."), folder / L"report.");
  const std::wstring top = L"C:\\trellwipe-top-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
  MakeFile(top, 10);
  shredder::ShredResult result = shredder::Shred({folder / L"report.", folder / L"dir", top}, {});
  SetCurrentDirectoryW(before);
  DeleteFileW(top.c_str());
  EXPECT_TRUE(result.left.empty()) << (result.left.empty() ? L"" : result.left[0].path + L": " + result.left[0].reason);
  EXPECT_EQ(result.files, 4u);
  EXPECT_EQ(result.folders, 2u);
  EXPECT_EQ(ReadText(exact + L"\\report"), "KEEP-ME");
  EXPECT_EQ(FolderNames(folder.Path()), std::vector<std::wstring>{L"report"});
}

// Wine names "report." and "report" alike once open: a link "report." that leads to "report" is still
// a link, and what it leads to stays whole.
TEST(ShredLinks, ALinkWhoseNameDiffersOnlyByATrailingDotIsStillALink) {
  const std::wstring outside = Fixture() + L"\\outside";
  ASSERT_EQ(ReadText(outside + L"\\report"), "KEEP-ME");
  shredder::ShredResult result = shredder::Shred({outside + L"\\report."}, {});
  EXPECT_EQ(result.files, 0u);
  EXPECT_EQ(ReadText(outside + L"\\report"), "KEEP-ME");
}

// A file whose room reaches past its end (taken in advance, as databases and downloads do) is
// overwritten over that room; when a write fails midway the file is given back at its old length,
// not left grown to where the overwrite stopped, and stays with the reason.
TEST(ShredRoom, AFailedOverwriteGivesBackTheRoomItTook) {
  std::wstring path = Fixture() + L"\\outside\\download.part";
  platform::FileHandle other(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                         0, nullptr));
  ASSERT_TRUE(other);
  FILE_STANDARD_INFO standard;
  ASSERT_TRUE(GetFileInformationByHandleEx(other.get(), FileStandardInfo, &standard, sizeof standard));
  ASSERT_GE(standard.AllocationSize.QuadPart, 4 << 20);
  // The test runs where writes past 3 MiB fail: the overwrite fails after it grew the file.
  shredder::ShredResult result = shredder::Shred({path}, {});
  ASSERT_EQ(result.left.size(), 1u);
  EXPECT_EQ(result.left[0].reason, L"could not be overwritten");
  LARGE_INTEGER size{};
  ASSERT_TRUE(GetFileSizeEx(other.get(), &size));
  EXPECT_EQ(size.QuadPart, 10);
}
