// A cleaning run and the file search meet files with every attribute, files another process holds
// open, very deep trees, paths beyond MAX_PATH, names outside the code page and a link loop: they
// end, erase what they were given, and nothing more.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "catalogue/catalogue.h"
#include "catalogue/catalogue_fixture.h"
#include "catalogue/plugins.h"
#include "engine/allerase.h"
#include "filesearch/find_files.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "support/held_file.h"
#include "support/recorded_call.h"
#include "support/test_support.h"

using namespace testing_support;
using namespace engine::allerase;

namespace {

class CollectingSink : public filesearch::SearchSink {
 public:
  std::vector<std::wstring> paths;
  size_t folders = 0;
  void SearchStarted() override {}
  void PumpMessages() override {}
  bool IncludeSubFolders() override { return true; }
  void ShowFolder(const std::wstring&) override { ++folders; }
  void AddItem(const std::wstring&, const std::wstring& path) override { paths.push_back(path); }
  bool StopRequested() override { return false; }
};

CollectingSink SearchFor(const std::wstring& folder, const std::wstring& patterns) {
  CollectingSink sink;
  filesearch::FolderQueue queue;
  filesearch::FindFiles(folder, queue, patterns, sink);
  return sink;
}

// Folders named "d", `levels` deep below `top`; returns the deepest.
std::wstring MakeDeepTree(const std::wstring& top, int levels) {
  std::wstring path = top;
  for (int level = 0; level < levels; ++level) {
    path += L"\\d";
    CreateDirectoryW(path.c_str(), nullptr);
  }
  return path;
}

size_t FilesBelow(const std::wstring& folder) {
  size_t count = 0;
  std::vector<std::wstring> pending{folder};
  while (!pending.empty()) {
    std::wstring current = pending.back();
    pending.pop_back();
    WIN32_FIND_DATAW data;
    platform::FindHandle find(FindFirstFileW((current + L"\\*").c_str(), &data));
    if (!find) continue;
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ++count;
      } else if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        pending.push_back(current + L"\\" + name);
      }
    } while (FindNextFileW(find.get(), &data));
  }
  return count;
}

struct AttributedFile {
  const wchar_t* name;
  DWORD attributes;
};

constexpr AttributedFile kAttributed[] = {
    {L"plain.log", FILE_ATTRIBUTE_NORMAL},
    {L"hidden.log", FILE_ATTRIBUTE_HIDDEN},
    {L"system.log", FILE_ATTRIBUTE_SYSTEM},
    {L"hidden-system.log", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
    {L"hidden-readonly.log", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY},
    {L"all.log", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY},
    {L"readonly.log", FILE_ATTRIBUTE_READONLY},
    {L"system-readonly.log", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY},
};

// Every attributed file at the top and one folder down, 100 bytes each.
void SeedAttributed(const std::wstring& top) {
  for (const wchar_t* folder : {L"", L"\\sub"}) {
    for (const AttributedFile& file : kAttributed) {
      std::wstring path = top + folder + L"\\" + file.name;
      MakeFile(path, 100);
      SetFileAttributesW(path.c_str(), file.attributes);
    }
  }
}

}  // namespace

TEST(AttributedFiles, APreviewChangesNoAttributeAndListsWhatTheRunRemoves) {
  TempFolder tree;
  SeedAttributed(tree.Path());
  Recorded preview =
      Call(engine::EraseMode::Preview, [&](auto& erase) { return EraseAllFilesInTree(erase, tree.Path()); });
  for (const wchar_t* folder : {L"", L"\\sub"}) {
    for (const AttributedFile& file : kAttributed) {
      std::wstring path = tree.Path() + folder + L"\\" + file.name;
      ASSERT_TRUE(Exists(path)) << path;
      EXPECT_EQ(Attributes(path) & 0x7, file.attributes & 0x7) << path;
    }
  }
  Recorded real = Call(engine::EraseMode::Erase, [&](auto& erase) { return EraseAllFilesInTree(erase, tree.Path()); });
  EXPECT_EQ(preview.figure, real.figure);
  EXPECT_EQ(real.figure, 16 * 100 + 2 * 10000);
  EXPECT_EQ(preview.Files(), real.Files());
  for (const wchar_t* folder : {L"", L"\\sub"}) {
    for (const AttributedFile& file : kAttributed) {
      std::wstring path = tree.Path() + folder + L"\\" + file.name;
      // Hidden files lose every attribute first; a read-only file that is not hidden stays.
      bool stays = (file.attributes & FILE_ATTRIBUTE_READONLY) && !(file.attributes & FILE_ATTRIBUTE_HIDDEN);
      EXPECT_EQ(Exists(path), stays) << path;
      EXPECT_EQ(real.Files().count(path), stays ? 0u : 1u) << path;
      EXPECT_EQ(real.ReasonFor(path), stays ? L"read-only" : L"") << path;
      EXPECT_EQ(preview.ReasonFor(path), stays ? L"read-only" : L"") << path;
    }
  }
}

TEST(AttributedFiles, AFolderEmptiedWholeTakesEveryFileWhateverItsAttributes) {
  TempFolder tree;
  SeedAttributed(tree / L"target");
  SetFileAttributesW((tree / L"target\\sub").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  Recorded preview =
      Call(engine::EraseMode::Preview, [&](auto& erase) { return RecreateFolder(erase, tree / L"target"); });
  EXPECT_EQ(FilesBelow(tree / L"target"), 16u);
  EXPECT_TRUE(preview.item().leftBehind.empty());
  Recorded real = Call(engine::EraseMode::Erase, [&](auto& erase) { return RecreateFolder(erase, tree / L"target"); });
  EXPECT_EQ(real.figure, 1600);
  EXPECT_EQ(real.item().files.size(), 16u);
  EXPECT_EQ(preview.Files(), real.Files());
  EXPECT_TRUE(real.item().leftBehind.empty());
  ExpectKept(tree / L"target");
  ExpectGone(tree / L"target\\sub");
  EXPECT_EQ(FilesBelow(tree / L"target"), 0u);
}

TEST(FilesInUse, AFileAnotherProcessHoldsIsLeftInUseAndTheRestGoes) {
  TempFolder tree;
  MakeFile(tree / L"a.log", 10);
  MakeFile(tree / L"sub\\held.log", 20);
  MakeFile(tree / L"sub\\z.log", 30);
  HeldByAnotherProcess holder(tree / L"sub\\held.log");
  ASSERT_TRUE(holder.holding());

  Recorded files = Call(engine::EraseMode::Erase, [&](auto& erase) { return EraseAllFilesInTree(erase, tree.Path()); });
  EXPECT_EQ(files.figure, 60 + 2 * 10000);
  EXPECT_EQ(files.Files(), (std::set<std::wstring>{tree / L"a.log", tree / L"sub\\z.log"}));
  EXPECT_EQ(files.ReasonFor(tree / L"sub\\held.log"), L"in use");
  ExpectKept(tree / L"sub\\held.log");

  MakeFile(tree / L"sub\\deeper\\more.log", 5);
  Recorded folder = Call(engine::EraseMode::Erase, [&](auto& erase) { return RecreateFolder(erase, tree.Path()); });
  EXPECT_EQ(folder.figure, 25);
  EXPECT_EQ(folder.ReasonFor(tree / L"sub\\held.log"), L"in use");
  EXPECT_EQ(folder.ReasonFor(tree / L"sub"), L"not empty");
  ExpectGone(tree / L"sub\\deeper");
  ExpectKept(tree / L"sub\\held.log");

  // The file search's deletion refuses it too, and deletes the others it found.
  MakeFile(tree / L"found.log", 1);
  CollectingSink sink = SearchFor(tree.Path(), L"*.log");
  ASSERT_EQ(sink.paths.size(), 2u);
  for (const std::wstring& path : sink.paths) {
    EXPECT_EQ(filesearch::EraseFoundFile(path, false, {}), path != tree / L"sub\\held.log") << path;
  }
  ExpectGone(tree / L"found.log");
}

namespace {

class RunWithPlugins : public CatalogueTest {
 protected:
  engine::RunReport RunPlugin(const std::string& definition) {
    WriteText(program / L"plus-in\\Probe.ppe", "[name]\r\nappname=Probe\r\n[swich]\r\non=1\r\n" + definition);
    view = RecordingView();
    run::CleanRun run(view, program.Path(), values, catalogue::Stages());
    run.CleanNow();
    return run.LastReport();
  }
  // The run reached its end, whether or not something stayed behind.
  bool Completed() const { return !view.rows.empty() && view.rows.back().label.starts_with(L"Task complete"); }
};

}  // namespace

TEST_F(RunWithPlugins, TheRunGoesOnPastAFileInUseAndReportsIt) {
  MakeFile(root / L"Roaming\\App\\Logs\\a.log", 10);
  MakeFile(root / L"Roaming\\App\\Logs\\held.log", 10);
  MakeFile(root / L"Roaming\\App\\Cache\\c.bin", 10);
  HeldByAnotherProcess holder(root / L"Roaming\\App\\Logs\\held.log");
  ASSERT_TRUE(holder.holding());
  engine::RunReport report =
      RunPlugin("[fileext]\r\n1=appdata,\\App\\Logs,log\r\n[folder]\r\n1=appdata,\\App\\Cache\r\n");
  EXPECT_TRUE(Completed());
  ExpectGone(root / L"Roaming\\App\\Logs\\a.log");
  ExpectGone(root / L"Roaming\\App\\Cache\\c.bin");
  ASSERT_EQ(report.items.size(), 1u);
  ASSERT_EQ(report.items[0].leftBehind.size(), 1u);
  EXPECT_EQ(report.items[0].leftBehind[0].path, root / L"Roaming\\App\\Logs\\held.log");
  EXPECT_EQ(report.items[0].leftBehind[0].reason, L"in use");
  EXPECT_EQ(report.items[0].files.size(), 2u);
}

TEST(DeepTrees, EveryWalkEndsAndTheDeletionsAreComplete) {
  TempFolder tree;
  auto seed = [&] {
    std::wstring deepest = MakeDeepTree(tree.Path(), 200);
    MakeFile(deepest + L"\\bottom.log", 7);
    MakeFile(deepest + L"\\bottom.tmp", 3);
    CreateDirectoryW((deepest + L"\\Cache").c_str(), nullptr);
    MakeFile(deepest + L"\\Cache\\entry.bin", 5);
    return deepest;
  };
  std::wstring deepest = seed();
  ASSERT_TRUE(Exists(deepest + L"\\Cache\\entry.bin"));
  const double visits = 202 * 10000.0;  // the top, 200 levels and the Cache folder

  EXPECT_EQ(FolderSize(tree.Path()), 15);
  Recorded preview =
      Call(engine::EraseMode::Preview, [&](auto& erase) { return EraseAllFilesInTree(erase, tree.Path()); });
  EXPECT_EQ(preview.figure, 15 + visits);
  EXPECT_EQ(preview.item().files.size(), 3u);
  EXPECT_EQ(Call(engine::EraseMode::Preview, [&](auto& erase) { return RecreateFolder(erase, tree.Path()); })
                .item()
                .folders.size(),
            201u);
  CollectingSink sink = SearchFor(tree.Path(), L"*.tmp;*.bin");
  EXPECT_EQ(sink.folders, 202u);
  EXPECT_EQ(std::set<std::wstring>(sink.paths.begin(), sink.paths.end()),
            (std::set<std::wstring>{deepest + L"\\bottom.tmp", deepest + L"\\Cache\\entry.bin"}));

  EXPECT_EQ(EraseNamedFilesInTree({}, tree.Path(), L"bottom.log"), 7 + visits);
  EXPECT_EQ(EraseFilesByExtensionInTree({}, tree.Path(), L"tmp"), 3 + visits);
  ExpectGone(deepest + L"\\bottom.log");
  ExpectGone(deepest + L"\\bottom.tmp");
  // The Cache folder at the bottom goes whole and is not walked.
  EXPECT_EQ(EraseNamedFoldersInTree({}, tree.Path(), L"cache"), 5 + 201 * 10000.0);
  ExpectGone(deepest + L"\\Cache");
  ExpectKept(deepest);

  seed();
  EXPECT_EQ(EraseFolder({}, tree / L"d"), 15);
  ExpectGone(tree / L"d");
  seed();
  EXPECT_EQ(RecreateFolder({}, tree.Path()), 15);
  ExpectKept(tree.Path());
  ExpectGone(tree / L"d");
}

TEST_F(RunWithPlugins, TreeSectionsWalkDeepTrees) {
  MakeFolders(root / L"Local\\App");
  std::wstring deepest = MakeDeepTree(root / L"Local\\App", 200);
  MakeFile(deepest + L"\\History", 4);
  MakeFile(deepest + L"\\cache2\\entry", 8);
  MakeFile(deepest + L"\\other.dat", 16);
  engine::RunReport report = RunPlugin(
      "[filetree]\r\n1=localappdata,\\App,History\r\n[foldertree]\r\n1=localappdata,\\App,cache2\r\n"
      "[alltree]\r\n1=localappdata,\\App\r\n");
  EXPECT_TRUE(Completed());
  ASSERT_EQ(report.items.size(), 1u);
  EXPECT_EQ(report.items[0].files.size(), 3u);
  ExpectGone(deepest + L"\\History");
  ExpectGone(deepest + L"\\cache2");
  ExpectGone(deepest + L"\\other.dat");
  ExpectKept(deepest);
}

TEST(LongPaths, EveryFullCanonicalPathTakesTheExtendedForm) {
  // The extended form names exactly the entry written, at any length.
  for (const std::wstring& path :
       {std::wstring(L"C:\\data\\cache"), std::wstring(L"C:\\data\\report."), L"C:\\" + std::wstring(300, L'a')}) {
    EXPECT_EQ(platform::ApiPath(path), L"\\\\?\\" + path);
  }
  std::wstring longPath = L"C:\\" + std::wstring(300, L'a');
  std::wstring share = L"\\\\server\\share\\" + std::wstring(300, L'a');
  EXPECT_EQ(platform::ApiPath(share), L"\\\\?\\UNC\\server\\share\\" + std::wstring(300, L'a'));
  // Already extended, or still to be normalised by the system: left as it is.
  EXPECT_EQ(platform::ApiPath(L"\\\\?\\" + longPath), L"\\\\?\\" + longPath);
  for (const std::wstring& unnormalised :
       {longPath + L"\\..\\b", longPath + L"\\.\\b", longPath + L"\\..", L"C:/" + std::wstring(300, L'a'),
        std::wstring(L"C:\\a\\\\b"), std::wstring(L"relative\\b")}) {
    EXPECT_EQ(platform::ApiPath(unnormalised), unnormalised);
  }
}

TEST(LongPaths, FilesBeyondMaxPathAreFoundAndDeleted) {
  TempFolder tree;
  std::wstring folder = tree.Path();
  for (int i = 0; i < 6; ++i) {
    folder += L"\\" + std::wstring(50, static_cast<wchar_t>(L'a' + i));
    CreateDirectoryW(folder.c_str(), nullptr);
  }
  std::wstring file = folder + L"\\" + std::wstring(40, L'f') + L".tmp";
  ASSERT_GT(file.size(), static_cast<size_t>(MAX_PATH));
  MakeFile(file, 9);
  MakeFile(folder + L"\\second.log", 1);
  ASSERT_TRUE(Exists(file));

  Recorded preview =
      Call(engine::EraseMode::Preview, [&](auto& erase) { return EraseAllFilesInTree(erase, tree.Path()); });
  EXPECT_EQ(preview.Files(), (std::set<std::wstring>{file, folder + L"\\second.log"}));
  EXPECT_EQ(EraseFile({}, folder + L"\\second.log"), 1);
  ExpectGone(folder + L"\\second.log");

  CollectingSink sink = SearchFor(tree.Path(), L"*.tmp");
  ASSERT_EQ(sink.paths, std::vector<std::wstring>{file});
  EXPECT_TRUE(filesearch::EraseFoundFile(file, false, {}));
  ExpectGone(file);

  MakeFile(file, 9);
  Recorded real =
      Call(engine::EraseMode::Erase, [&](auto& erase) { return RecreateFolder(erase, tree / std::wstring(50, L'a')); });
  EXPECT_EQ(real.figure, 9);
  EXPECT_EQ(real.Files(), std::set<std::wstring>{file});
  EXPECT_EQ(real.item().folders.size(), 5u);
  ExpectGone(tree / (std::wstring(50, L'a') + L"\\" + std::wstring(50, L'b')));
}

TEST(ForeignNames, NamesOutsideTheCodePageAreFoundAndDeletedByTheirWideNames) {
  ASSERT_EQ(GetACP(), 1252u);
  TempFolder tree;
  const std::wstring cyrillic = L"\u041A\u044D\u0448";  // "Кэш"
  const std::wstring folder = tree / (cyrillic + L" \u4E2D\u6587 \U0001F600");
  const std::wstring logFile = folder + L"\\\u0444\u0430\u0439\u043B_\u65E5\u672C.log";
  const std::wstring emojiFile = folder + L"\\\U0001F600.tmp";
  const std::wstring named = tree / L"\u0416\u0443\u0440\u043D\u0430\u043B";  // "Журнал"
  MakeFile(logFile, 10);
  MakeFile(emojiFile, 20);
  MakeFile(folder + L"\\" + cyrillic + L"\\entry.bin", 40);
  MakeFile(named, 80);
  ASSERT_TRUE(Exists(logFile));

  Recorded byExtension = Call(engine::EraseMode::Erase,
                              [&](auto& erase) { return EraseFilesByExtensionInTree(erase, tree.Path(), L"log"); });
  EXPECT_EQ(byExtension.Files(), std::set<std::wstring>{logFile});
  ExpectGone(logFile);
  EXPECT_EQ(EraseNamedFileInFolder({}, tree.Path(), L"\u0416\u0443\u0440\u043D\u0430\u043B"), 80);
  ExpectGone(named);
  // Folder names match in any letter case, Cyrillic ones too.
  EXPECT_EQ(EraseNamedFoldersInTree({}, tree.Path(), L"\u043A\u044D\u0448"), 40 + 2 * 10000);
  ExpectGone(folder + L"\\" + cyrillic);

  CollectingSink sink = SearchFor(tree.Path(), L"*.tmp");
  ASSERT_EQ(sink.paths, std::vector<std::wstring>{emojiFile});
  EXPECT_TRUE(filesearch::EraseFoundFile(emojiFile, false, {}));
  ExpectGone(emojiFile);
  EXPECT_EQ(RecreateFolder({}, folder), 0);
  ExpectKept(folder);
}

namespace {

// The emulator lays out loop\top.log (3 bytes), loop\a\b\own.log (7 bytes) and the folder link
// loop\a\b\up, which leads back to loop.
class LinkLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t fixture[MAX_PATH] = L"";
    ASSERT_GT(GetEnvironmentVariableW(L"TRELLWIPE_LINK_FIXTURE", fixture, MAX_PATH), 0u)
        << "run through scripts/wine-emulator.sh, which makes the loop";
    loop = std::wstring(fixture) + L"\\loop";
    ASSERT_TRUE(Attributes(loop + L"\\a\\b\\up") & FILE_ATTRIBUTE_REPARSE_POINT);
    ASSERT_TRUE(Exists(loop + L"\\a\\b\\up\\a\\b\\own.log"));
  }
  std::wstring loop;
};

}  // namespace

TEST_F(LinkLoop, WalksEndAndNeverEraseThroughTheLink) {
  EXPECT_EQ(FolderSize(loop), 10);
  Recorded preview = Call(engine::EraseMode::Preview, [&](auto& erase) { return EraseAllFilesInTree(erase, loop); });
  EXPECT_EQ(preview.figure, 10 + 3 * 10000);
  EXPECT_EQ(preview.Files(), (std::set<std::wstring>{loop + L"\\top.log", loop + L"\\a\\b\\own.log"}));
  EXPECT_EQ(EraseNamedFoldersInTree({}, loop, L"up"), 3 * 10000);
  ExpectKept(loop + L"\\top.log");
  ExpectKept(loop + L"\\a\\b\\own.log");

  CollectingSink sink = SearchFor(loop, L"*.log");
  EXPECT_EQ(sink.folders, 3u);
  EXPECT_EQ(std::set<std::wstring>(sink.paths.begin(), sink.paths.end()),
            (std::set<std::wstring>{loop + L"\\top.log", loop + L"\\a\\b\\own.log"}));
}

TEST_F(LinkLoop, EmptyingAFolderInsideTheLoopLeavesWhatTheLinkLeadsTo) {
  Recorded real = Call(engine::EraseMode::Erase, [&](auto& erase) { return RecreateFolder(erase, loop + L"\\a"); });
  EXPECT_EQ(real.figure, 7);
  EXPECT_EQ(real.Files(), std::set<std::wstring>{loop + L"\\a\\b\\own.log"});
  ExpectGone(loop + L"\\a\\b\\own.log");
  ExpectKept(loop + L"\\top.log");
  ExpectKept(loop);
  EXPECT_EQ(EraseAllFilesInTree({}, loop), 3 + 3 * 10000);
  ExpectGone(loop + L"\\top.log");
}

// Links inside a tree lead out of it (the emulator makes tree\note.txt lead to outside\precious.txt
// and tree\sub\empty to the empty folder outside\empty). Wine opens, and so deletes, what such a
// link leads to whatever the flags: no erasure may go through it, secure or not.
TEST(FileLinks, ALinkInATreeNeverErasesWhatItLeadsTo) {
  wchar_t fixture[MAX_PATH] = L"";
  ASSERT_GT(GetEnvironmentVariableW(L"TRELLWIPE_LINK_FIXTURE", fixture, MAX_PATH), 0u);
  const std::wstring tree = std::wstring(fixture) + L"\\tree", outside = std::wstring(fixture) + L"\\outside";
  for (bool secure : {false, true}) {
    ASSERT_TRUE(Exists(tree + L"\\note.txt"));
    Recorded real = Call(engine::EraseMode::Erase, [&](const engine::EraseContext& erase) {
      engine::EraseContext chosen = erase;
      chosen.secure = secure;
      return EraseFolder(chosen, tree);
    });
    EXPECT_EQ(ReadText(outside + L"\\precious.txt"), "0123456789") << secure;
    ExpectKept(outside + L"\\empty", ::testing::Message() << secure);
    ExpectGone(tree + L"\\sub\\own.txt", ::testing::Message() << secure);
    // Each link went, or stayed with its reason where the system cannot remove it alone.
    for (const wchar_t* link : {L"\\note.txt", L"\\sub\\empty"}) {
      if (Exists(tree + link)) {
        EXPECT_EQ(real.ReasonFor(tree + link), L"a link, left in place") << secure;
      }
    }
    MakeFile(tree + L"\\sub\\own.txt", 5);
  }
}

// Wine names "report." and "report" alike once open: the cleaner leaves a link "report." that leads
// to "report" in place.
TEST(FileLinks, ALinkWhoseNameDiffersOnlyByATrailingDotIsStillALink) {
  wchar_t fixture[MAX_PATH] = L"";
  ASSERT_GT(GetEnvironmentVariableW(L"TRELLWIPE_LINK_FIXTURE", fixture, MAX_PATH), 0u);
  const std::wstring outside = std::wstring(fixture) + L"\\outside";
  Recorded real = Call(engine::EraseMode::Erase,
                       [&](const engine::EraseContext& erase) { return EraseFile(erase, outside + L"\\report."); });
  EXPECT_EQ(ReadText(outside + L"\\report"), "KEEP-ME");
  EXPECT_EQ(real.ReasonFor(outside + L"\\report."), L"a link, left in place");
}
