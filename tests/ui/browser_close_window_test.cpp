// The main window, hidden as it waits in the notification area, cleans a browser that closes: driven
// by its own messages, with a fake browser started and ended.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <optional>

#include "settings/inifun.h"
#include "settings/item_flags.h"
#include "support/fake_browser.h"
#include "support/test_support.h"
#include "support/window_support.h"
#include "ui/main_window.h"

using namespace testing_support;
using namespace std::chrono_literals;

namespace {

class BrowserCloseWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    settings::inifun::WriteIniValue(settingsFile, L"Chrome", L"Cache", L"1");
    settings::inifun::WriteIniValue(settingsFile, L"FIREFOX", L"cache", L"1");
    ASSERT_TRUE(chrome.Copied());
    ASSERT_TRUE(chrome.Start());
  }
  void TearDown() override {
    window.reset();
    DrainQuit();
  }
  void Open() {
    window.emplace(GetModuleHandleW(nullptr), program.Path(), L"", ui::MainWindowActions{});
    window->SetCloseTiming({100ms, 50ms, 3s});
    ASSERT_TRUE(window->Create());
  }
  // Lets the window work for `span`, or until its result list shows a run.
  void Pump(std::chrono::milliseconds span) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(span.count());
    while (GetTickCount64() < end && Rows().empty()) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      PumpAll();
    }
  }
  std::vector<std::wstring> Rows() const {
    std::vector<std::wstring> rows;
    HWND list = window->ResultList();
    for (int row = 0; row < ListView_GetItemCount(list); ++row) rows.push_back(ListViewText(list, row, 0));
    return rows;
  }

  TempFolder program, programFiles;
  std::wstring settingsFile = settings::SettingsFile(program.Path());
  ScopedEnvironment installs{L"ProgramFiles", programFiles.Path()};
  FakeBrowser chrome{programFiles / L"Google\\Chrome\\Application", L"chrome.exe"};
  std::optional<ui::MainWindow> window;
};

TEST_F(BrowserCloseWindow, RunsTheBrowsersTickedItemsOnceItClosesAndStaysInTheNotificationArea) {
  settings::inifun::WriteIniValue(settingsFile, L"Options", L"CleanOnCloseChrome", L"1");
  Open();
  ASSERT_NE(window->BrowserWatch(), nullptr);
  Pump(600ms);
  EXPECT_TRUE(Rows().empty());
  chrome.EndOne();
  Pump(5s);
  ASSERT_EQ(Rows().size(), 2u);
  EXPECT_EQ(Rows()[0], L"Chrome Cache");
  EXPECT_EQ(window->Notifications().Dispatcher().QueuedKeys().size() + (window->Notifications().OnScreen() ? 1 : 0),
            1u);
  EXPECT_FALSE(IsWindowVisible(window->Handle()));
}

TEST_F(BrowserCloseWindow, DoesNothingWhenTheBrowsersOptionIsOff) {
  Open();
  EXPECT_EQ(window->BrowserWatch(), nullptr);
  chrome.EndOne();
  Pump(1500ms);
  EXPECT_TRUE(Rows().empty());
}

}  // namespace
