// The files and folders a user keeps stay from every walk, however the walk names the folder it
// starts from: drive C:'s own name, drive Y: (the sandbox folder that holds the prefix, which the test
// emulator maps), the link C:\linkfixture\up (which leads to C:\linkfixture\app), another letter case,
// "\\?\" and "..". Their neighbours go.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "engine/allerase.h"
#include "engine/kept_paths.h"
#include "engine/kept_paths_file.h"
#include "engine/path_guard.h"
#include "platform/text.h"
#include "support/test_support.h"

using namespace engine::allerase;
using namespace testing_support;

namespace {

const std::wstring kBase = L"C:\\linkfixture\\app\\keeping";
const std::wstring kKeptFile = kBase + L"\\kept.txt";
const std::wstring kKeptFolder = kBase + L"\\Kept Folder";

std::wstring ShortPathOf(const std::wstring& path) {
  wchar_t buffer[MAX_PATH] = L"";
  DWORD n = GetShortPathNameW(path.c_str(), buffer, MAX_PATH);
  return n > 0 && n < MAX_PATH ? buffer : L"";
}

struct KeepingWalk {
  const char* name;
  std::function<void(const EraseContext&, const std::wstring&)> run;
  bool takesLooseFiles;  // the neighbour beside the kept file goes
};

const KeepingWalk kKeepingWalks[] = {
    {"tree", [](const EraseContext& e, const std::wstring& f) { EraseAllFilesInTree(e, f); }, true},
    {"recreate", [](const EraseContext& e, const std::wstring& f) { RecreateFolder(e, f); }, true},
    {"folder", [](const EraseContext& e, const std::wstring& f) { EraseFolder(e, f); }, true},
    {"named folders",
     [](const EraseContext& e, const std::wstring& f) { EraseNamedFoldersInTree(e, f, L"kept folder"); }, false},
    {"pattern",
     [](const EraseContext& e, const std::wstring& f) {
       EraseFilesWhere(
           e, f, [](auto&, auto&) { return true; }, true, true, false);
     },
     true},
    {"one file", [](const EraseContext& e, const std::wstring& f) { EraseFile(e, f + L"\\kept.txt"); }, false},
};

void LayOut() {
  MakeFile(kKeptFile, 4);
  MakeFile(kKeptFolder + L"\\inner\\deep.txt", 4);
  MakeFile(kBase + L"\\beside.txt", 4);
  MakeFile(kBase + L"\\other\\cache.tmp", 4);
  MakeFile(kBase + L"\\Note.Log", 4);
  MakeFile(kBase + L"\\other\\deeper.log", 4);
}

// Runs the walk from `start` with `kept` as the user's list; the report of its one item.
engine::ItemReport Walked(const KeepingWalk& walk, const std::wstring& start,
                          std::shared_ptr<const engine::KeptPaths> kept) {
  EraseContext erase;
  erase.keptPaths = std::move(kept);
  engine::RunReport report;
  engine::RunRecorder recorder(report);
  erase.recorder = &recorder;
  recorder.BeginItem(L"S", L"K", L"L");
  walk.run(erase, start);
  return std::move(report.items[0]);
}

}  // namespace

// The list names the file by drive Y: and in capitals, the folder by its short name, and a pattern in
// the folder through the link; the walks name their start in every other way, and the kept entries
// stay, recorded as kept, never as left behind. The pattern keeps nothing in a folder below.
TEST(KeptPaths, AKeptFileAndFolderStayUnderEveryNameOfTheWalksStartWhileTheirNeighboursGo) {
  ASSERT_NE(GetFileAttributesW(L"Y:\\prefix\\drive_c"), INVALID_FILE_ATTRIBUTES)
      << "run through scripts/wine-emulator.sh, which maps Y:";
  LayOut();
  const std::wstring shortFolder = ShortPathOf(kKeptFolder);
  ASSERT_NE(shortFolder, kKeptFolder);
  auto kept = std::make_shared<const engine::KeptPaths>(
      std::vector<std::wstring>{L"Y:\\prefix\\drive_c\\LINKFIXTURE\\app\\keeping\\KEPT.TXT", shortFolder,
                                L"C:\\linkfixture\\up\\keeping\\*.log"});
  const std::wstring starts[] = {kBase,
                                 L"Y:\\prefix\\drive_c\\linkfixture\\app\\keeping",
                                 L"C:\\linkfixture\\up\\keeping",
                                 L"c:\\LinkFixture\\APP\\Keeping",
                                 L"\\\\?\\C:\\linkfixture\\app\\keeping",
                                 L"C:\\linkfixture\\app\\other\\..\\keeping"};
  for (const std::wstring& start : starts) {
    for (const KeepingWalk& walk : kKeepingWalks) {
      LayOut();
      const engine::ItemReport item = Walked(walk, start, kept);
      SCOPED_TRACE(platform::Narrow(start) + " " + walk.name);
      ExpectKept(kKeptFile);
      ExpectKept(kKeptFolder + L"\\inner\\deep.txt");
      ExpectKept(kBase + L"\\Note.Log");
      if (walk.takesLooseFiles) {
        ExpectGone(kBase + L"\\beside.txt");
        ExpectGone(kBase + L"\\other\\cache.tmp");
        ExpectGone(kBase + L"\\other\\deeper.log");
      }
      EXPECT_TRUE(item.leftBehind.empty());
      ASSERT_FALSE(item.kept.empty());
      EXPECT_EQ(item.kept[0].kind, engine::KeptFor::Path);
    }
  }
}

// A walk that starts inside a kept folder, or at a kept file, takes nothing; a list that cannot be
// read keeps everything.
TEST(KeptPaths, NothingGoesInsideAKeptFolderAndAnUnreadableListKeepsEverything) {
  LayOut();
  auto kept = std::make_shared<const engine::KeptPaths>(std::vector<std::wstring>{kKeptFolder});
  auto everything = std::make_shared<const engine::KeptPaths>(engine::KeptPaths::Everything(L"unreadable"));
  for (const auto& [list, start] : {std::pair{kept, kKeptFolder + L"\\inner"}, std::pair{everything, kBase}}) {
    for (const KeepingWalk& walk : kKeepingWalks) {
      LayOut();
      Walked(walk, start, list);
      SCOPED_TRACE(walk.name);
      ExpectKept(kKeptFolder + L"\\inner\\deep.txt");
      if (list == everything) ExpectKept(kBase + L"\\beside.txt");
    }
  }
  EXPECT_EQ(kept->Within(L"C:\\linkfixture\\up"), std::vector<std::wstring>{kKeptFolder});
  EXPECT_TRUE(kept->Within(kBase + L"\\other").empty());
}

// Explorer starts one program for each file of a selection it keeps: changes made at once each keep
// their entry.
TEST(KeptPaths, ChangesMadeAtOnceEachKeepTheirEntry) {
  TempFolder program;
  std::vector<std::thread> keeping;
  for (int i = 0; i < 8; ++i) {
    keeping.emplace_back([&, i] {
      EXPECT_TRUE(engine::KeepPath(program.Path(), L"C:\\kept\\" + std::to_wstring(i), engine::kKeptFromExplorer));
    });
  }
  for (std::thread& thread : keeping) thread.join();
  auto entries = engine::LoadKeptPaths(program.Path());
  ASSERT_TRUE(entries);
  EXPECT_EQ(entries->size(), 8u);
}
