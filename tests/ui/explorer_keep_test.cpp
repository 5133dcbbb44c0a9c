// Explorer's "Keep from cleaning with Trellwipe" starts the program with "/keep" and the selection.
#include "ui/explorer_keep.h"

#include <gtest/gtest.h>

#include "engine/kept_paths_file.h"
#include "platform/text.h"
#include "support/message_recorder.h"
#include "support/test_support.h"

using namespace testing_support;

// The verb's command line, with Windows' quotes around a name with blanks, keeps each path as coming
// from Explorer and says so in one message; a path it cannot keep is named with its reason.
TEST(ExplorerKeep, TheVerbsCommandLineKeepsTheSelectionAndSaysWhatItKept) {
  TempFolder program, data;
  const std::wstring file = data / L"a report.txt";
  MakeFile(file, 4);
  const std::optional<std::vector<std::wstring>> paths =
      ui::PathsToKeep(L"\"C:\\Program Files\\Trellwipe\\trellwipe.exe\" /keep \"" + file + L"\" relative.txt");
  ASSERT_TRUE(paths);
  EXPECT_EQ(*paths, (std::vector<std::wstring>{file, L"relative.txt"}));
  EXPECT_FALSE(ui::PathsToKeep(L"trellwipe.exe min"));
  MessageRecorder messages;
  EXPECT_FALSE(ui::KeepFromExplorer(program.Path(), *paths));
  auto entries = engine::LoadKeptPaths(program.Path());
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), 1u);
  EXPECT_TRUE(platform::EqualsNoCase((*entries)[0].path, file));
  EXPECT_EQ((*entries)[0].from, L"Explorer");
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_NE(messages.shown[0].text.find(file), std::wstring::npos);
  EXPECT_NE(messages.shown[0].text.find(L"Not kept: \"relative.txt\""), std::wstring::npos);
  EXPECT_EQ(messages.shown[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONWARNING));
}
