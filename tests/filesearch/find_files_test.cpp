#include "filesearch/find_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "platform/format.h"
#include "platform/handles.h"
#include "support/test_support.h"

using namespace testing_support;
using filesearch::FindFiles;
using filesearch::FolderQueue;
using filesearch::Pattern;
using filesearch::PreparePatterns;
using filesearch::SearchResult;

namespace {

constexpr wchar_t kDefaultSearch[] = L"*.tmp;*.gid;*.swp;*.chk";

class RecordingSink : public filesearch::SearchSink {
 public:
  bool subFolders = true;
  size_t stopAtItem = 0;    // 0: never; otherwise set the stop flag when this item arrives
  size_t stopAtFolder = 0;  // the same for the folders shown
  bool stop = false;
  int started = 0;
  int pumps = 0;
  std::vector<std::wstring> folders;
  std::vector<std::wstring> items;
  std::vector<std::wstring> paths;
  size_t foldersAtFirstItem = 0;

  void SearchStarted() override { ++started; }
  void PumpMessages() override { ++pumps; }
  bool IncludeSubFolders() override { return subFolders; }
  void ShowFolder(const std::wstring& folder) override {
    folders.push_back(folder);
    if (folders.size() == stopAtFolder) stop = true;
  }
  void AddItem(const std::wstring& item, const std::wstring& path) override {
    if (items.empty()) foldersAtFirstItem = folders.size();
    items.push_back(item);
    paths.push_back(path);
    if (items.size() == stopAtItem) stop = true;
  }
  bool StopRequested() override { return stop; }

  std::set<std::wstring> PathSet() const { return {paths.begin(), paths.end()}; }
};

SearchResult Search(const std::wstring& folder, const std::wstring& searchString, RecordingSink& sink) {
  FolderQueue queue;
  return FindFiles(folder, queue, searchString, sink);
}

std::vector<int> Hits(const SearchResult& result) {
  std::vector<int> hits;
  for (const Pattern& pattern : result.patterns) hits.push_back(pattern.hits);
  return hits;
}

// A file of the given size that takes no room on disk.
void MakeSparseFile(const std::wstring& path, LONGLONG size) {
  platform::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  ASSERT_TRUE(file.valid());
  LARGE_INTEGER end{};
  end.QuadPart = size;
  ASSERT_TRUE(SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN));
  ASSERT_TRUE(SetEndOfFile(file.get()));
}

TEST(PreparePatterns, TakesOffOnlyTheFirstAndLastWildcardAndKeepsEmptyPieces) {
  std::vector<Pattern> patterns = PreparePatterns(L"*.tmp;abc*;*mid*;plain;;*a*b*;**;*");
  ASSERT_EQ(patterns.size(), 8u);
  struct Expected {
    const wchar_t* text;
    bool leading, trailing;
  } expected[] = {{L".tmp", true, false}, {L"abc", false, true}, {L"mid", true, true}, {L"plain", false, false},
                  {L"", false, false},    {L"a*b", true, true},  {L"", true, true},    {L"", true, false}};
  for (size_t i = 0; i < patterns.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(patterns[i].text, expected[i].text);
    EXPECT_EQ(patterns[i].leadingWildcard, expected[i].leading);
    EXPECT_EQ(patterns[i].trailingWildcard, expected[i].trailing);
    EXPECT_EQ(patterns[i].hits, 0);
    EXPECT_FALSE(patterns[i].exactNameFound);
  }
  EXPECT_EQ(PreparePatterns(L"*.tmp;").size(), 2u);
}

TEST(FindFiles, DefaultPatternsFindEveryLetterCaseButSkipRecycledAndWin386Swap) {
  TempFolder tree;
  for (const wchar_t* name :
       {L"a.tmp", L"B.TMP", L"c.Gid", L"d.swp", L"e.chk", L"sub\\f.tmp", L"sub\\deep\\g.CHK", L"recycled\\h.tmp"}) {
    MakeFile(tree / name, 10);
  }
  for (const wchar_t* name : {L"plain.txt", L".tmp", L"x.tmpa", L"tmp", L"x\\Recycled\\i.tmp", L"sub\\Recycled\\j.gid",
                              L"sub\\WIN386.SWP", L"Win386.swp\\k.tmp"}) {
    MakeFile(tree / name, 10);
  }
  RecordingSink sink;
  SearchResult result = Search(tree.Path(), kDefaultSearch, sink);

  std::set<std::wstring> expected;
  for (const wchar_t* name :
       {L"a.tmp", L"B.TMP", L"c.Gid", L"d.swp", L"e.chk", L"sub\\f.tmp", L"sub\\deep\\g.CHK", L"recycled\\h.tmp"}) {
    expected.insert(tree / name);
  }
  EXPECT_EQ(sink.PathSet(), expected);
  EXPECT_TRUE(result.ran);
  EXPECT_FALSE(result.stopped);
  EXPECT_EQ(result.items, 8u);
  EXPECT_EQ(result.totalSize, 80u);
  EXPECT_EQ(Hits(result), (std::vector<int>{4, 1, 1, 2}));
  EXPECT_EQ(sink.started, 1);
}

TEST(FindFiles, LeadingTrailingAndBothWildcardsCompareWithoutLetterCase) {
  TempFolder tree;
  for (const wchar_t* name : {L"ReportOld.doc", L"oldreport.doc", L"myOLDfile.txt", L"bold", L"other.txt"}) {
    MakeFile(tree / name, 1);
  }
  RecordingSink ends, begins, contains;
  Search(tree.Path(), L"*OLD.DOC", ends);
  Search(tree.Path(), L"old*", begins);
  Search(tree.Path(), L"*old*", contains);
  EXPECT_EQ(ends.PathSet(), (std::set<std::wstring>{tree / L"ReportOld.doc"}));
  EXPECT_EQ(begins.PathSet(), (std::set<std::wstring>{tree / L"oldreport.doc"}));
  // "bold" is as long as "old" plus one: long enough. The text inside the name may be anywhere.
  EXPECT_EQ(contains.PathSet(), (std::set<std::wstring>{tree / L"ReportOld.doc", tree / L"oldreport.doc",
                                                        tree / L"myOLDfile.txt", tree / L"bold"}));
}

TEST(FindFiles, APatternAsLongAsTheNameEndsTheExaminationOfThatFile) {
  TempFolder tree;
  MakeFile(tree / L"a.tmp", 1);
  RecordingSink longFirst, shortFirst;
  SearchResult blocked = Search(tree.Path(), L"*averyverylongpattern;*.tmp", longFirst);
  SearchResult listed = Search(tree.Path(), L"*.tmp;*averyverylongpattern", shortFirst);
  EXPECT_TRUE(longFirst.items.empty());
  EXPECT_EQ(Hits(blocked), (std::vector<int>{0, 0}));
  EXPECT_EQ(shortFirst.PathSet(), (std::set<std::wstring>{tree / L"a.tmp"}));
  EXPECT_EQ(Hits(listed), (std::vector<int>{1, 0}));
}

TEST(FindFiles, TheFirstMatchingPatternListsTheFileOnce) {
  TempFolder tree;
  MakeFile(tree / L"a.tmp", 3);
  RecordingSink sink;
  SearchResult result = Search(tree.Path(), L"*.tmp;a*;*.t*", sink);
  EXPECT_EQ(sink.items.size(), 1u);
  EXPECT_EQ(Hits(result), (std::vector<int>{1, 0, 0}));
  EXPECT_EQ(result.totalSize, 3u);
}

TEST(FindFiles, AnExactNameIsListedOnceForTheFirstFolderBreadthFirstWithoutSizeOrPath) {
  TempFolder tree;
  MakeFile(tree / L"top.dat", 1);
  MakeFile(tree / L"sub\\deeper\\README.TXT", 5);
  MakeFile(tree / L"sub\\readme.txt", 5);
  MakeFile(tree / L"sub\\deeper\\x.tmp", 5);  // shorter than the exact name: never examined further
  MakeFile(tree / L"sub\\deeper\\longer-name.tmp", 5);
  RecordingSink sink;
  SearchResult result = Search(tree.Path(), L"readme.txt;*.tmp", sink);
  const std::wstring exactItem = tree.Path() + L"\\sub\\readme.txt";
  EXPECT_EQ(std::count(sink.items.begin(), sink.items.end(), exactItem), 1);
  ASSERT_EQ(sink.items.size(), 2u);
  EXPECT_EQ(sink.items[0], exactItem);
  EXPECT_EQ(sink.paths[0], L"");
  EXPECT_EQ(sink.paths[1], tree / L"sub\\deeper\\longer-name.tmp");
  EXPECT_EQ(Hits(result), (std::vector<int>{1, 1}));
  EXPECT_TRUE(result.patterns[0].exactNameFound);
  EXPECT_EQ(result.totalSize, 5u);  // the exact-name item adds no size
}

TEST(FindFiles, WithoutSubFoldersOnlyTheChosenFolderIsSearched) {
  TempFolder tree;
  MakeFile(tree / L"a.tmp", 1);
  MakeFile(tree / L"sub\\b.tmp", 1);
  RecordingSink sink;
  sink.subFolders = false;
  Search(tree.Path(), kDefaultSearch, sink);
  EXPECT_EQ(sink.PathSet(), (std::set<std::wstring>{tree / L"a.tmp"}));
  EXPECT_EQ(sink.folders, (std::vector<std::wstring>{tree.Path() + L"\\"}));
}

TEST(FindFiles, NeverFollowsAFolderLinkOutOfTheTree) {
  wchar_t fixture[MAX_PATH] = L"";
  ASSERT_GT(GetEnvironmentVariableW(L"TRELLWIPE_LINK_FIXTURE", fixture, MAX_PATH), 0u);
  const std::wstring tree = std::wstring(fixture) + L"\\tree";
  ASSERT_NE(Attributes(tree + L"\\sub\\cache") & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
  RecordingSink sink;
  Search(tree, L"*.txt;*.bin", sink);
  EXPECT_EQ(sink.PathSet(), (std::set<std::wstring>{tree + L"\\sub\\own.txt"}));
  for (const std::wstring& folder : sink.folders) EXPECT_EQ(folder.find(L"cache"), std::wstring::npos) << folder;
}

TEST(FindFiles, ResultsReachTheSinkWhileTheWalkGoesOn) {
  TempFolder tree;
  MakeFile(tree / L"first.tmp", 1);
  for (int i = 0; i < 20; ++i) MakeFile(tree / (L"d" + std::to_wstring(i) + L"\\late.tmp"), 1);
  RecordingSink sink;
  Search(tree.Path(), kDefaultSearch, sink);
  EXPECT_EQ(sink.folders.size(), 21u);
  EXPECT_EQ(sink.foldersAtFirstItem, 1u);
  EXPECT_EQ(sink.items.size(), 21u);
  EXPECT_GT(sink.pumps, 21);
}

TEST(FindFiles, TheStopFlagEndsTheSearchWithoutASummary) {
  TempFolder tree;
  MakeFile(tree / L"hit.tmp", 1);
  for (int i = 0; i < 30; ++i) MakeFile(tree / (L"miss" + std::to_wstring(i) + L".txt"), 1);
  for (int i = 0; i < 5; ++i) MakeFile(tree / (L"sub" + std::to_wstring(i) + L"\\more.tmp"), 1);
  RecordingSink sink;
  sink.stopAtItem = 1;
  SearchResult result = Search(tree.Path(), kDefaultSearch, sink);
  EXPECT_TRUE(result.stopped);
  EXPECT_EQ(sink.items.size(), 1u);
  // Noticed at the next file of this folder that fails a pattern, or, when the hit came last, as soon
  // as the next folder is shown, before any of its files is examined.
  EXPECT_LE(sink.folders.size(), 2u);
}

TEST(FindFiles, TheStopFlagIsNoticedInFoldersWithoutFiles) {
  TempFolder tree;
  for (int i = 0; i < 10; ++i) MakeFolders(tree / (L"empty" + std::to_wstring(i)));
  RecordingSink sink;
  sink.stopAtFolder = 1;
  SearchResult result = Search(tree.Path(), kDefaultSearch, sink);
  EXPECT_TRUE(result.stopped);
  EXPECT_EQ(sink.folders.size(), 1u);
}

TEST(FindFiles, AnEmptySearchStringEndsAtOnce) {
  TempFolder tree;
  MakeFile(tree / L"a.tmp", 1);
  RecordingSink sink;
  SearchResult result = Search(tree.Path(), L"", sink);
  EXPECT_EQ(sink.started, 1);
  EXPECT_FALSE(result.ran);
  EXPECT_TRUE(sink.folders.empty());
  EXPECT_TRUE(sink.items.empty());
}

TEST(FindFiles, TheTotalSizeGoesBeyondTwoGigabytes) {
  TempFolder tree;
  MakeSparseFile(tree / L"big1.tmp", 1500000000LL);
  MakeSparseFile(tree / L"big2.tmp", 1500000000LL);
  MakeSparseFile(tree / L"huge.chk", 5000000000LL);
  RecordingSink sink;
  SearchResult result = Search(tree.Path(), kDefaultSearch, sink);
  EXPECT_EQ(result.totalSize, 8000000000ULL);
  EXPECT_EQ(filesearch::SummaryText(result.items, result.patterns, result.totalSize),
            L"3  Files Found      .tmp - 2    .gid - 0    .swp - 0    .chk - 1\r\nTotal size: 7.45 GB");
  bool hugeListed = std::any_of(sink.items.begin(), sink.items.end(), [](const std::wstring& item) {
    return item.find(L"huge.chk   Size:5000000000   LastModyfied:") != std::wstring::npos;
  });
  EXPECT_TRUE(hugeListed);
}

TEST(FileItem, NamesPathSizeAndTheLocalLastModifiedTime) {
  SYSTEMTIME utc{2021, 3, 0, 4, 5, 6, 7, 0};
  FILETIME written{};
  SystemTimeToFileTime(&utc, &written);
  FILETIME localFile{};
  SYSTEMTIME local{};
  FileTimeToLocalFileTime(&written, &localFile);
  FileTimeToSystemTime(&localFile, &local);
  EXPECT_EQ(filesearch::FileItem(L"C:\\x\\a.tmp", 12, written),
            L"C:\\x\\a.tmp   Size:12   LastModyfied:" + platform::GeneralDateTime(local));
}

TEST(SummaryText, CountsEveryPatternAndShowsTheSizeAsPeopleReadIt) {
  std::vector<Pattern> patterns = PreparePatterns(L"*.tmp;abc*");
  patterns[0].hits = 2;
  EXPECT_EQ(filesearch::SummaryText(2, patterns, 11264),
            L"2  Files Found      .tmp - 2    abc - 0\r\nTotal size: 11 KB");
  const std::pair<std::uint64_t, const wchar_t*> sizes[] = {
      {0, L"0 KB"}, {11, L"1 KB"}, {1048575, L"1024 KB"}, {3743416, L"3.57 MB"}, {2254857830, L"2.10 GB"}};
  for (const auto& [bytes, text] : sizes) EXPECT_EQ(platform::SizeText(static_cast<double>(bytes)), text) << bytes;
  EXPECT_EQ(filesearch::SummaryText(0, patterns, 0).substr(0, 15), L"0  Files Found ");
}

TEST(EraseFoundFile, DeletesOnlyTheOneAbsoluteFileItNames) {
  TempFolder tree;
  MakeFile(tree / L"a.tmp", 1);
  MakeFile(tree / L"b.tmp", 1);
  MakeFile(tree / L"sub\\c.tmp", 1);
  EXPECT_FALSE(filesearch::EraseFoundFile(tree / L"*.tmp", false, {}));
  EXPECT_FALSE(filesearch::EraseFoundFile(L"a.tmp", false, {}));
  EXPECT_FALSE(filesearch::EraseFoundFile(tree / L"sub", false, {}));
  ExpectKept(tree / L"a.tmp");
  ExpectKept(tree / L"b.tmp");
  ExpectKept(tree / L"sub\\c.tmp");
  EXPECT_TRUE(filesearch::EraseFoundFile(tree / L"a.tmp", false, {}));
  ExpectGone(tree / L"a.tmp");
  ExpectKept(tree / L"b.tmp");
}

}  // namespace
