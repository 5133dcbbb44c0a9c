#include "ui/main_window.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "settings/inifun.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

std::wstring ItemText(HWND list, int row, int column) {
  wchar_t buffer[256] = L"";
  ListView_GetItemText(list, row, column, buffer, 256);
  return buffer;
}

std::wstring WindowText(HWND hwnd) {
  wchar_t buffer[512] = L"";
  GetWindowTextW(hwnd, buffer, 512);
  return buffer;
}

}  // namespace

TEST(MainWindow, StartButtonRunsACleaningIntoTheResultList) {
  TempFolder folder;
  std::wstring settings = folder / L"prisd.dat";
  inifun::WriteIniValue(settings, L"Options", L"regnum", L"12");
  inifun::WriteIniValue(settings, L"Options", L"filesize", L"1048576");
  inifun::WriteIniValue(settings, L"WINDOWS", L"passwords", L"1");

  ui::MainWindow window(GetModuleHandleW(nullptr), folder.Path());
  ASSERT_TRUE(window.Create());
  EXPECT_FALSE(IsWindowVisible(window.Handle()));
  EXPECT_EQ(WindowText(window.Handle()), L"Trellwipe V6.50");
  EXPECT_NE(WindowText(window.Statistics()).find(L"Cleaned Registry Keys: 12"), std::wstring::npos);
  std::vector<std::wstring> boxes;
  window.SetInformationSink([&](const std::wstring& title, const std::wstring&) { boxes.push_back(title); });

  SendMessageW(window.StartButton(), BM_CLICK, 0, 0);

  ASSERT_EQ(ListView_GetItemCount(window.ResultList()), 2);
  EXPECT_EQ(ItemText(window.ResultList(), 0, 0), L"Windows Passwords(Only 9X/Me)");
  EXPECT_EQ(ItemText(window.ResultList(), 0, 1), L"Done");
  EXPECT_EQ(ItemText(window.ResultList(), 1, 0), L"Task complete Successfully!");
  EXPECT_EQ(SendMessageW(window.Progress(), PBM_GETPOS, 0, 0), 100);
  EXPECT_EQ(WindowText(window.StatusLine()), L"Task complete Successfully!");
  EXPECT_TRUE(IsWindowEnabled(window.StartButton()));
  EXPECT_EQ(boxes, std::vector<std::wstring>{L"Task Complete"});
  EXPECT_TRUE(IsWindowVisible(window.Handle()));
  EXPECT_EQ(inifun::ReadIniValue(settings, L"Options", L"regnum"), L"0");
}

TEST(MainWindow, TheScheduleTimerStartsAnUnattendedRunAndHidesTheWindow) {
  TempFolder folder;
  std::wstring settings = folder / L"prisd.dat";
  SYSTEMTIME now;
  GetLocalTime(&now);
  std::wstring days(7, L'0');
  days[now.wDayOfWeek] = L'1';
  inifun::WriteIniValue(settings, L"Options", L"CleanDays", days);
  inifun::WriteIniValue(settings, L"Options", L"CleanTime",
                        std::to_wstring(now.wHour) + L":" + (now.wMinute < 10 ? L"0" : L"") + std::to_wstring(now.wMinute));
  ui::MainWindow window(GetModuleHandleW(nullptr), folder.Path());
  ASSERT_TRUE(window.Create());
  std::vector<std::wstring> boxes;
  window.SetInformationSink([&](const std::wstring& title, const std::wstring&) { boxes.push_back(title); });
  ShowWindow(window.Handle(), SW_SHOW);
  GetLocalTime(&now);
  if (now.wSecond >= 58) GTEST_SKIP() << "the scheduled minute is about to end";
  SendMessageW(window.Handle(), WM_TIMER, ui::MainWindow::kScheduleTimer, 0);
  EXPECT_TRUE(boxes.empty());
  // The unattended run ends with a pop-up request instead of a message box.
  auto queued = window.Notifications().Dispatcher().QueuedKeys();
  ASSERT_EQ(queued.size(), 1u);
  EXPECT_EQ(queued[0].rfind(L"Trellwipe Clean is done!", 0), 0u);
  EXPECT_FALSE(IsWindowVisible(window.Handle()));
  EXPECT_FALSE(inifun::ReadIniValue(settings, L"Options", L"lastclean").empty());

  // Another day of the week: nothing happens.
  inifun::WriteIniValue(settings, L"Options", L"lastclean", L"");
  ui::MainWindow other(GetModuleHandleW(nullptr), folder.Path());
  days = std::wstring(7, L'1');
  days[now.wDayOfWeek] = L'0';
  inifun::WriteIniValue(settings, L"Options", L"CleanDays", days);
  ASSERT_TRUE(other.Create());
  SendMessageW(other.Handle(), WM_TIMER, ui::MainWindow::kScheduleTimer, 0);
  EXPECT_EQ(inifun::ReadIniValue(settings, L"Options", L"lastclean"), L"");
}

TEST(MainWindow, TheBossKeyIsArmedWhileTheWindowLivesWhenSwitchedOn) {
  TempFolder folder;
  inifun::WriteIniValue(folder / L"prisd.dat", L"Options", L"bosskey", L"1");
  {
    ui::MainWindow window(GetModuleHandleW(nullptr), folder.Path());
    ASSERT_TRUE(window.Create());
    EXPECT_FALSE(RegisterHotKey(nullptr, 1, MOD_WIN, 'Z'));
    EXPECT_FALSE(RegisterHotKey(nullptr, 2, MOD_WIN | MOD_SHIFT, 'Z'));
  }
  ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_WIN, 'Z'));
  UnregisterHotKey(nullptr, 1);

  inifun::WriteIniValue(folder / L"prisd.dat", L"Options", L"bosskey", L"0");
  ui::MainWindow off(GetModuleHandleW(nullptr), folder.Path());
  ASSERT_TRUE(off.Create());
  EXPECT_TRUE(RegisterHotKey(nullptr, 1, MOD_WIN, 'Z'));
  UnregisterHotKey(nullptr, 1);
}
