// Explorer's "Keep from cleaning with Trellwipe" starts the program with "/keep" and the selection.
#include "ui/explorer_keep.h"

#include <gtest/gtest.h>

#include "engine/kept_paths_file.h"
#include "platform/text.h"
#include "platform/window_text.h"
#include "support/test_support.h"
#include "support/window_support.h"

using namespace testing_support;

// The verb's command line, with Windows' quotes around a name with blanks, keeps each path as coming
// from Explorer and lists it in one window; a path it cannot keep is named with its reason. A later
// start of the same selection hands its paths to that window, which keeps them and lists them too.
TEST(ExplorerKeep, TheSelectionsStartsKeepTheirPathsAndListThemInOneWindow) {
  TempFolder program, data;
  const std::wstring file = data / L"a report.txt", later = data / L"later.txt";
  MakeFile(file, 4);
  MakeFile(later, 4);
  const std::optional<std::vector<std::wstring>> paths =
      ui::PathsToKeep(L"\"C:\\Program Files\\Trellwipe\\trellwipe.exe\" /keep \"" + file + L"\" relative.txt");
  ASSERT_TRUE(paths);
  EXPECT_EQ(*paths, (std::vector<std::wstring>{file, L"relative.txt"}));
  EXPECT_FALSE(ui::PathsToKeep(L"trellwipe.exe min"));
  EXPECT_FALSE(toolkit::HandToRunningWindow(ui::kKeepHandover, {later}));

  ui::ExplorerKeepWindow window(program.Path(), *paths);
  ASSERT_TRUE(window.Create(nullptr, false));
  EXPECT_FALSE(window.AllKept());
  EXPECT_EQ(platform::WindowText(window.Control(ui::ExplorerKeepWindow::kHeadingId)),
            L"Trellwipe keeps these from every cleaning:");
  EXPECT_TRUE(toolkit::HandToRunningWindow(ui::kKeepHandover, {later}));
  auto entries = engine::LoadKeptPaths(program.Path());
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), 2u);
  EXPECT_TRUE(platform::EqualsNoCase((*entries)[0].path, file));
  EXPECT_TRUE(platform::EqualsNoCase((*entries)[1].path, later));
  EXPECT_EQ((*entries)[1].from, L"Explorer");
  const std::vector<std::wstring> lines = ListBoxItems(window.Control(ui::ExplorerKeepWindow::kListId));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_TRUE(platform::EqualsNoCase(lines[0], file));
  EXPECT_TRUE(platform::EqualsNoCase(lines[1], later));
  EXPECT_EQ(lines[2].rfind(L"Not kept: \"relative.txt\"", 0), 0u) << lines[2];
}
