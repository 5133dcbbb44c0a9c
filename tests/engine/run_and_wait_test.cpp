#include "engine/run_and_wait.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

using namespace testing_support;

TEST(RunAndWait, ReturnsOnlyAfterTheProcessEndedThenRefocuses) {
  TempFolder folder;
  RecordingView view;
  std::wstring marker = folder / L"done.txt";
  engine::RunAndWait({}, view, L"cmd.exe /c ping -n 2 127.0.0.1 >nul & echo done>\"" + marker + L"\"");
  EXPECT_TRUE(Exists(marker));
  EXPECT_EQ(view.focuses, 1);
}

TEST(RunAndWait, ACommandThatCannotStartEndsTheWaitAtOnce) {
  RecordingView view;
  engine::RunAndWait({}, view, L"C:\\no\\such\\program.exe");
  EXPECT_EQ(view.pumps, 0);
  EXPECT_EQ(view.focuses, 1);
}
