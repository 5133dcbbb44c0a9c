#include "dialogs/rule_update_window.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/rule_file.h"
#include "dialogs/selection_window.h"
#include "platform/window_text.h"
#include "settings/inifun.h"
#include "support/loopback_server.h"
#include "support/message_recorder.h"
#include "support/test_support.h"
#include "support/window_support.h"

using namespace testing_support;

namespace {

// Entries "Window Update <first>" to "<first + count - 1>"; `widened` gains RECURSE.
std::string Entries(int first, int count, int widened = -1) {
  std::string text;
  for (int n = first; n < first + count; ++n) {
    text += "[Window Update " + std::to_string(n) + "]\r\nFileKey1=%Temp%\\Window Update " + std::to_string(n) +
            "|*.tmp" + (n == widened ? "|RECURSE" : "") + "\r\n";
  }
  return text;
}

const std::string kOld = Entries(0, 60);
// Entry 3 widened, 0 and 1 removed, 60 added, and one the guard refuses.
const std::string kNew = Entries(2, 59, 3) + "[Window Update Windows]\r\nFileKey1=%WinDir%|*.log|RECURSE\r\n";

int RowOf(HWND list, const wchar_t* name) {
  LVFINDINFOW find{};
  find.flags = LVFI_STRING;
  find.psz = name;
  return ListView_FindItem(list, -1, &find);
}

class RuleUpdateWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteText(installed, kOld);
    settings::inifun::WriteIniValue(program / L"prisd.dat", L"winapp2", L"Window Update 3", L"1");
    settings::inifun::WriteIniValue(program / L"prisd.dat", L"winapp2", L"Window Update 4", L"1");
  }
  catalogue::rules::RulesDownload Download(const LoopbackServer& server) {
    return catalogue::rules::DownloadCommunityRules(program.Path(), server.Url(), {2000, 1 << 20});
  }
  // The Cleaning Settings window on the Rules tab, its downloads from `url`; a review presses `press`
  // in the change window.
  void OpenSettings(const std::wstring& url, WORD press) {
    settings::inifun::WriteIniValue(program / L"prisd.dat", L"Options", L"Winapp2Url", url);
    dialogs::SelectionServices services;
    services.rulesDownloadLimits = {20000, 1 << 20};
    services.reviewRuleChanges = [this, press](HWND owner, const std::wstring& folder,
                                               const catalogue::rules::RulesDownload& d) {
      ++reviews;
      dialogs::RuleChangesWindow changes(folder, d);
      EXPECT_TRUE(changes.Create(owner, false));
      Press(GetDlgItem(changes.Handle(), press));
      return changes.Acceptance().installed;
    };
    window = std::make_unique<dialogs::SelectionWindow>(program.Path(), services);
    ASSERT_TRUE(window->Create(nullptr, false));
  }
  // Lets the window take the download's messages until it has ended.
  void AwaitDownload() {
    for (int i = 0; window->RulesDownload() && i < 3000; ++i) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      PumpAll();
    }
    ASSERT_EQ(window->RulesDownload(), nullptr);
  }
  bool Shown(HWND control) const { return GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE; }
  bool Enabled(const wchar_t* button) const { return IsWindowEnabled(window->Button(button)); }

  TempFolder program;
  std::wstring installed = catalogue::rules::CommunityFile(program.Path());
  MessageRecorder messages;
  std::unique_ptr<dialogs::SelectionWindow> window;
  int reviews = 0;
};

}  // namespace

TEST_F(RuleUpdateWindow, TheChangeWindowListsEachChangeInRedWhenRefusedAndInstallsOnlyOnUse) {
  LoopbackServer server(HttpResponse(200, kNew));
  for (WORD press : {static_cast<WORD>(IDCANCEL), dialogs::RuleChangesWindow::kUseId}) {
    catalogue::rules::RulesDownload download = Download(server);
    ASSERT_TRUE(download.pending) << download.problem;
    dialogs::RuleChangesWindow changes(program.Path(), download);
    ASSERT_TRUE(changes.Create(nullptr, false));
    HWND list = changes.List();
    ASSERT_EQ(ListView_GetItemCount(list), 5);
    const int widened = RowOf(list, L"Window Update 3"), refused = RowOf(list, L"Window Update Windows");
    EXPECT_EQ(ListViewText(list, widened, 1), L"changed");
    EXPECT_EQ(ListViewText(list, widened, 2), L"yes");
    EXPECT_EQ(ListViewText(list, widened, 3), L"erases more");
    EXPECT_EQ(ListViewText(list, RowOf(list, L"Window Update 0"), 1), L"removed");
    EXPECT_EQ(ListViewText(list, refused, 3).rfind(L"refused: ", 0), 0u) << ListViewText(list, refused, 3);
    EXPECT_EQ(changes.RowColour(refused), RGB(0xC0, 0x00, 0x00));
    EXPECT_EQ(changes.RowColour(widened), CLR_DEFAULT);
    EXPECT_EQ(ReadText(installed), kOld);

    Press(GetDlgItem(changes.Handle(), press));
    const bool used = press == dialogs::RuleChangesWindow::kUseId;
    EXPECT_EQ(changes.Acceptance().installed, used);
    EXPECT_EQ(ReadText(installed), used ? kNew : kOld);
    ExpectGone(catalogue::rules::PendingFile(program.Path()));
  }
  EXPECT_EQ(ReadText(catalogue::rules::BackupFile(program.Path())), kOld);
  EXPECT_EQ(settings::inifun::ReadIniValue(program / L"prisd.dat", L"winapp2", L"Window Update 3"), L"0");
  EXPECT_EQ(settings::inifun::ReadIniValue(program / L"prisd.dat", L"winapp2", L"Window Update 4"), L"1");
}

TEST_F(RuleUpdateWindow, UpdateRulesDownloadsInTheBackgroundThenTheTabShowsTheNewEntriesAndUndoTheOld) {
  LoopbackServer server(HttpResponse(200, kNew));
  OpenSettings(server.Url(), dialogs::RuleChangesWindow::kUseId);
  HWND list = window->RuleList();
  Press(window->RuleShowAll());
  EXPECT_FALSE(Enabled(L"UndoRules"));
  Press(window->Button(L"UpdateRules"));
  // The window answers while the thread downloads.
  EXPECT_TRUE(Shown(window->RulesProgress()));
  EXPECT_TRUE(Shown(window->Button(L"StopRules")));
  EXPECT_FALSE(Enabled(L"UpdateRules"));
  AwaitDownload();
  EXPECT_EQ(reviews, 1);
  EXPECT_EQ(ReadText(installed), kNew);
  EXPECT_FALSE(Shown(window->RulesProgress()));
  EXPECT_TRUE(Enabled(L"UpdateRules"));
  EXPECT_NE(RowOf(list, L"Window Update Windows"), -1);
  EXPECT_EQ(RowOf(list, L"Window Update 0"), -1);
  EXPECT_FALSE(ListView_GetCheckState(list, RowOf(list, L"Window Update 3")));  // it erases more now
  EXPECT_TRUE(ListView_GetCheckState(list, RowOf(list, L"Window Update 4")));

  ASSERT_TRUE(Enabled(L"UndoRules"));
  Press(window->Button(L"UndoRules"));
  EXPECT_EQ(ReadText(installed), kOld);
  EXPECT_NE(RowOf(list, L"Window Update 0"), -1);
  EXPECT_FALSE(Enabled(L"UndoRules"));
}

TEST_F(RuleUpdateWindow, StopOrNoServerLeavesTheRulesInPlaceAndSaysSo) {
  {
    LoopbackServer slow(HttpResponse(200, kNew), 1500);
    OpenSettings(slow.Url(), dialogs::RuleChangesWindow::kUseId);
    Press(window->Button(L"UpdateRules"));
    Press(window->Button(L"StopRules"));
    EXPECT_FALSE(Shown(window->RulesProgress()));
    EXPECT_NE(platform::WindowText(window->RuleCount()).find(L"stopped"), std::wstring::npos);
    AwaitDownload();
  }
  std::wstring closed;
  { closed = LoopbackServer(HttpResponse(200, kNew)).Url(); }
  OpenSettings(closed, dialogs::RuleChangesWindow::kUseId);
  Press(window->Button(L"UpdateRules"));
  AwaitDownload();
  ASSERT_EQ(messages.Texts().size(), 1u);
  EXPECT_EQ(messages.Texts()[0].rfind(L"The rules were not updated: the download failed: no connection", 0), 0u)
      << messages.Texts()[0];
  LoopbackServer cut(HttpResponse(200, "; # of entries: 4,067\r\n" + kNew));
  OpenSettings(cut.Url(), dialogs::RuleChangesWindow::kUseId);
  Press(window->Button(L"UpdateRules"));
  AwaitDownload();
  ASSERT_EQ(messages.Texts().size(), 2u);
  EXPECT_EQ(messages.Texts()[1],
            L"The rules were not updated: the download is incomplete: its header declares 4067 entries, but it holds "
            L"60. The winapp2.ini in place is unchanged.");
  EXPECT_EQ(reviews, 0);
  EXPECT_EQ(ReadText(installed), kOld);
  EXPECT_EQ(FolderNames(program.Path()), (std::vector<std::wstring>{L"prisd.dat", L"winapp2.ini"}));
}

TEST(RulesProgressText, NamesTheStageAndHowFarItIs) {
  using catalogue::rules::UpdateStage;
  const struct {
    UpdateStage stage;
    unsigned long long done;
    long long total;
    const wchar_t* text;
  } cases[] = {
      {UpdateStage::Downloading, 120 * 1024 + 5, 1843 * 1024, L"Downloading: 120 of 1843 KB"},
      {UpdateStage::Downloading, 2048, -1, L"Downloading: 2 KB"},
      {UpdateStage::Reading, 0, -1, L"Reading the rules"},
      {UpdateStage::Comparing, 1200, 4067, L"Comparing: 1200 of 4067 entries"},
  };
  for (const auto& c : cases) EXPECT_EQ(dialogs::RulesProgressText(c.stage, c.done, c.total), c.text);
}

// The tab says how far the comparing is; a Stop then leaves the rules as they were and writes nothing.
TEST_F(RuleUpdateWindow, TheTabShowsTheComparingAndItsStopLeavesTheRulesInPlace) {
  LoopbackServer server(HttpResponse(200, Entries(0, 400)));
  OpenSettings(server.Url(), dialogs::RuleChangesWindow::kUseId);
  Press(window->Button(L"UpdateRules"));
  std::wstring comparing;
  MSG message;
  for (int i = 0; window->RulesDownload() && comparing.empty() && i < 30000; ++i) {
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      continue;
    }
    DispatchMessageW(&message);
    const std::wstring text = platform::WindowText(window->RuleCount());
    if (text.starts_with(L"Comparing: ")) comparing = text;
  }
  ASSERT_TRUE(comparing.ends_with(L" of 400 entries")) << comparing;
  Press(window->Button(L"StopRules"));
  EXPECT_FALSE(Shown(window->RulesProgress()));
  EXPECT_EQ(platform::WindowText(window->RuleCount()),
            L"The update was stopped. The winapp2.ini in place is unchanged.");
  AwaitDownload();
  EXPECT_EQ(reviews, 0);
  EXPECT_TRUE(messages.Texts().empty());
  EXPECT_EQ(ReadText(installed), kOld);
  EXPECT_EQ(FolderNames(program.Path()), (std::vector<std::wstring>{L"prisd.dat", L"winapp2.ini"}));
}
