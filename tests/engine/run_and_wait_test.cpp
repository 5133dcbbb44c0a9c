#include "engine/run_and_wait.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

using namespace testing_support;

TEST(RunAndWait, ReturnsOnlyAfterTheProcessEndedThenRefocuses) {
  TempFolder folder;
  std::wstring marker = folder / L"done.txt";
  int pumps = 0, afterwards = 0;
  engine::EraseContext erase{[&] { ++pumps; }};
  engine::RunAndWait(erase, L"cmd.exe /c ping -n 2 127.0.0.1 >nul & echo done>\"" + marker + L"\"",
                     [&] { ++afterwards; });
  ExpectKept(marker);
  EXPECT_GT(pumps, 0);
  EXPECT_EQ(afterwards, 1);
}

TEST(RunAndWait, ACommandThatCannotStartEndsTheWaitAtOnce) {
  int pumps = 0, afterwards = 0;
  engine::EraseContext erase{[&] { ++pumps; }};
  engine::RunAndWait(erase, L"C:\\no\\such\\program.exe", [&] { ++afterwards; });
  EXPECT_EQ(pumps, 0);
  EXPECT_EQ(afterwards, 1);
}
