#include "catalogue/browser_close_watch.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "catalogue/catalogue.h"
#include "catalogue/plugins.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "run/clean_run.h"
#include "settings/inifun.h"
#include "settings/item_flags.h"
#include "shipped_rules.h"
#include "support/fake_browser.h"
#include "support/held_file.h"
#include "support/test_support.h"

using namespace testing_support;
using namespace std::chrono_literals;

namespace {

const catalogue::ClosingBrowser& Browser(std::wstring_view name) {
  auto browsers = catalogue::ClosingBrowsers();
  return **std::find_if(browsers.begin(), browsers.end(),
                        [&](const catalogue::ClosingBrowser* browser) { return browser->name == name; });
}

// A program folder whose settings tick Chrome's cache and Firefox's, a profiles folder and an install
// folder of Google Chrome, and a watch of Chrome whose cleanings run through a real run.
class BrowserCloseWatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeFolders(values.localAppDataFolder + L"\\Google\\Chrome\\User Data\\Default");
    settings::inifun::WriteIniValue(settingsFile, L"Chrome", L"Cache", L"1");
    settings::inifun::WriteIniValue(settingsFile, L"FIREFOX", L"cache", L"1");
    ASSERT_TRUE(chrome.Copied());
  }

  void Watch() {
    catalogue::CloseHooks hooks;
    hooks.released = [this](const catalogue::ClosingBrowser& browser) {
      return catalogue::FilesReleased(browser, values);
    };
    hooks.clean = [this](const catalogue::ClosingBrowser& browser) {
      ++asked;
      if (busy) return false;
      run.CleanOnly(catalogue::ChoiceOf(catalogue::TickedItemsOf(browser, program.Path())), run::RunEnd::Notification);
      for (const Row& row : view.rows) {
        if (row.label.find(L"Task") != 0) cleanedRows.push_back(row.label);
      }
      return true;
    };
    hooks.wake = [this] { SetEvent(woken.get()); };
    watch.emplace(std::vector{&Browser(L"Google Chrome")}, values.localAppDataFolder, hooks,
                  catalogue::CloseTiming{100ms, 50ms, 3s});
  }

  // Ticks as the main window does when woken or while waiting, for `span` or until a cleaning ran.
  void TickFor(std::chrono::milliseconds span, bool untilCleaned = false) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(span.count());
    while (GetTickCount64() < end && !(untilCleaned && Cleanings() > 0)) {
      WaitForSingleObject(woken.get(), 20);
      watch->Tick();
    }
  }
  size_t Cleanings() const { return view.notifications.size(); }
  // Ends the browser's last process and lets the watch work until it cleaned, and a while longer.
  void EndTheLastProcess() {
    chrome.EndOne();
    TickFor(5s, true);
    TickFor(500ms);
  }

  TempFolder program, data, programFiles;
  std::wstring settingsFile = settings::SettingsFile(program.Path());
  ScopedEnvironment installs{L"ProgramFiles", programFiles.Path()};
  ScopedEnvironment installs86{L"ProgramFiles(x86)", programFiles.Path()};
  run::ProcessValues values{data / L"Roaming", data / L"Local", L"", 0, L"", {}};
  FakeBrowser chrome{programFiles / L"Google\\Chrome\\Application", L"chrome.exe"};
  RecordingView view;
  run::CleanRun run{view, program.Path(), values, catalogue::Stages()};
  std::vector<std::wstring> cleanedRows;
  int asked = 0;
  bool busy = false;
  platform::UniqueHandle woken{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  std::optional<catalogue::BrowserCloseWatch> watch;
};

TEST_F(BrowserCloseWatchTest, CleansOnlyItsTickedItemsOnceAfterItEndsNeverWhileItRuns) {
  ASSERT_TRUE(chrome.Start());
  Watch();
  TickFor(600ms);
  EXPECT_EQ(asked, 0);
  EndTheLastProcess();
  EXPECT_EQ(Cleanings(), 1u);
  EXPECT_EQ(cleanedRows, std::vector<std::wstring>{L"Chrome Cache"});
}

TEST_F(BrowserCloseWatchTest, TwoProcessesEndingGiveOneCleaning) {
  ASSERT_TRUE(chrome.Start());
  ASSERT_TRUE(chrome.Start());
  Watch();
  TickFor(400ms);
  chrome.EndOne();
  TickFor(600ms);
  EXPECT_EQ(asked, 0);
  EndTheLastProcess();
  EXPECT_EQ(Cleanings(), 1u);
}

TEST_F(BrowserCloseWatchTest, AStartDuringTheWaitForItsFilesCancelsThatCleaning) {
  const std::wstring history = values.localAppDataFolder + L"\\Google\\Chrome\\User Data\\Default\\History";
  WriteText(history, "visits");
  HeldByAnotherProcess holder(history, L"-");
  ASSERT_TRUE(holder.holding());
  ASSERT_TRUE(chrome.Start());
  Watch();
  TickFor(400ms);
  chrome.EndOne();
  TickFor(600ms);
  EXPECT_EQ(asked, 0);  // its history is still held
  ASSERT_TRUE(chrome.Start());
  TickFor(400ms);
  holder.Release();
  TickFor(3500ms);  // past the time limit of the wait too
  EXPECT_EQ(asked, 0);
  // Its next close cleans, once.
  EndTheLastProcess();
  EXPECT_EQ(Cleanings(), 1u);
}

// A program of Chrome's name copied into the downloads is not Chrome: it neither starts a cleaning
// when it ends nor, running for as long as it likes, holds back the cleaning of Chrome's close.
TEST_F(BrowserCloseWatchTest, AProgramOfItsNameOutsideItsInstallFoldersIsNotTheBrowser) {
  FakeBrowser namesake{data / L"Downloads", L"chrome.exe"};
  ASSERT_TRUE(namesake.Copied() && namesake.Start());
  Watch();
  TickFor(400ms);
  namesake.EndOne();
  TickFor(600ms);
  EXPECT_EQ(asked, 0);
  ASSERT_TRUE(namesake.Start());
  ASSERT_TRUE(chrome.Start());
  TickFor(400ms);
  EndTheLastProcess();
  EXPECT_EQ(Cleanings(), 1u);
  EXPECT_TRUE(namesake.Running());
}

TEST_F(BrowserCloseWatchTest, WaitsForItsTurnWhileAnotherCleaningRuns) {
  ASSERT_TRUE(chrome.Start());
  Watch();
  busy = true;
  TickFor(300ms);
  chrome.EndOne();
  TickFor(600ms);
  EXPECT_GT(asked, 1);
  EXPECT_EQ(Cleanings(), 0u);
  busy = false;
  TickFor(5s, true);
  TickFor(300ms);
  EXPECT_EQ(Cleanings(), 1u);
}

TEST_F(BrowserCloseWatchTest, OnlyAFoundBrowserWithItsOptionOnIsWatched) {
  auto watched = [&] { return catalogue::BrowsersCleanedOnClose(program.Path(), values); };
  EXPECT_TRUE(watched().empty());
  settings::inifun::WriteIniValue(settingsFile, L"Options", L"CleanOnCloseChrome", L"1");
  settings::inifun::WriteIniValue(settingsFile, L"Options", L"CleanOnCloseBrave", L"1");  // not on this computer
  EXPECT_EQ(watched(), std::vector{&Browser(L"Google Chrome")});
  // Found by its install folder alone.
  RemoveTree(values.localAppDataFolder + L"\\Google");
  EXPECT_EQ(watched(), std::vector{&Browser(L"Google Chrome")});
  DeleteFileW((programFiles / L"Google\\Chrome\\Application\\chrome.exe").c_str());
  EXPECT_TRUE(watched().empty());
}

TEST_F(BrowserCloseWatchTest, FilesAreReleasedOnlyWhenNoProcessHoldsThem) {
  const std::wstring cookies = values.localAppDataFolder + L"\\Google\\Chrome\\User Data\\Default\\Network\\Cookies";
  WriteText(cookies, "cookies");
  HeldByAnotherProcess holder(cookies, L"rw");
  ASSERT_TRUE(holder.holding());
  EXPECT_FALSE(catalogue::FilesReleased(Browser(L"Google Chrome"), values));
  holder.Release();
  EXPECT_TRUE(catalogue::FilesReleased(Browser(L"Google Chrome"), values));
}

TEST_F(BrowserCloseWatchTest, ItsTickedItemsAreItsBuiltInItemsPluginsAndShippedRules) {
  for (const ShippedFile& file : kShippedRules)
    WriteText(program / (L"rules\\" + std::wstring(file.fileName)), file.text);
  const std::wstring folder = catalogue::plugins::PluginFolder(program.Path());
  for (const std::wstring name : {L"Chrome Cache", L"Chrome History", L"Edge Cache"}) {
    WriteText(folder + L"\\" + name + L".ppe", "[name]\r\nappname=" + platform::Narrow(name) + "\r\n");
    ASSERT_TRUE(catalogue::plugins::WritePluginSwitch(folder, name, name != L"Chrome History"));
  }
  settings::inifun::WriteIniValue(settingsFile, L"rules", L"Google Chrome Cookies *", L"1");
  settings::inifun::WriteIniValue(settingsFile, L"rules", L"Google Chrome Cache *", L"0");
  settings::inifun::WriteIniValue(settingsFile, L"rules", L"Microsoft Edge Cache *", L"1");
  std::vector<std::wstring> items;
  for (const catalogue::ItemName& item : catalogue::TickedItemsOf(Browser(L"Google Chrome"), program.Path())) {
    items.push_back(item.section + L"/" + item.key);
  }
  EXPECT_EQ(items,
            (std::vector<std::wstring>{L"Chrome/Cache", L"plus-in/Chrome Cache", L"rules/Google Chrome Cookies *"}));
  run::ItemChoice choice = catalogue::ChoiceOf(catalogue::TickedItemsOf(Browser(L"Google Chrome"), program.Path()));
  EXPECT_TRUE(choice(L"chrome", L"Cache"));
  EXPECT_FALSE(choice(L"FIREFOX", L"cache"));
}

}  // namespace
