#include "ui/main_window.h"
#include "support/message_recorder.h"
#include "support/window_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iostream>
#include <optional>
#include <set>
#include <vector>

#include "catalogue/running_programs.h"
#include "dialogs/options_window.h"
#include "dialogs/selection_controls.h"
#include "dialogs/selection_window.h"
#include "engine/kept_paths_file.h"
#include "platform/handles.h"
#include "platform/languages.h"
#include "platform/text.h"
#include "platform/window_text.h"
#include "settings/inifun.h"
#include "settings/item_flags.h"
#include "settings/options.h"
#include "settings/preserved_value.h"
#include "settings/selection_layout.h"
#include "settings/window_place.h"
#include "shipped_translations.h"
#include "support/loopback_server.h"
#include "support/policy_keys.h"
#include "support/test_support.h"
#include "toolkit/keyboard.h"
#include "toolkit/list_view.h"
#include "toolkit/message_pump.h"
#include "ui/main_commands.h"
#include "ui/splash_window.h"

using namespace testing_support;
using platform::WindowText;

namespace {

// The entries of a menu: its texts, "-" for a separator.

void Command(HWND window, UINT command) { SendMessageW(window, WM_COMMAND, MAKEWPARAM(command, 0), 0); }

// A main window whose outside actions only record what they were asked.
struct RecordedWindow {
  explicit RecordedWindow(const std::wstring& folder, const std::wstring& commandLine = L"") {
    ui::MainWindowActions actions;
    actions.openSettings = [this](HWND owner, const std::wstring& programFolder) {
      calls.push_back(L"settings " + programFolder);
      owners.push_back(owner);
      if (onSettings) onSettings(owner, programFolder);
    };
    actions.openOptions = [this](HWND owner, HWND main, const std::wstring&) {
      calls.push_back(L"options");
      owners.push_back(owner);
      mainWindows.push_back(main);
      if (onOptions) onOptions();
      return optionsAnswer;
    };
    actions.openFileSearch = [this](HWND owner, const std::wstring&) {
      calls.push_back(L"search");
      owners.push_back(owner);
    };
    actions.openAbout = [this](HWND owner) {
      calls.push_back(L"about");
      owners.push_back(owner);
    };
    actions.startProgram = [this](const std::wstring& commandLine) { calls.push_back(L"start " + commandLine); };
    actions.openWithShell = [this](const std::wstring& target) { calls.push_back(L"shell " + target); };
    actions.trackPopupMenu = [this](HMENU popup, HWND) {
      shownMenu = popup;
      shownEntries = MenuTexts(popup);
      return menuAnswer;
    };
    actions.runningPrograms = [this](const std::wstring&, const run::ProcessValues&) { return running; };
    actions.blockShutdown = [this](HWND, const std::wstring& reason) { calls.push_back(L"block " + reason); };
    actions.unblockShutdown = [this](HWND) { calls.push_back(L"unblock"); };
    actions.showDetails = [this](HWND, const std::wstring& title, const engine::ItemReport& item,
                                 const std::vector<engine::RuleReason>&, bool, const std::wstring&) {
      calls.push_back(L"details " + title);
      detailed.push_back(item);
    };
    actions.requestShutdown = [this] {
      calls.push_back(L"shut down");
      return shutdownAnswer;
    };
    window.emplace(GetModuleHandleW(nullptr), folder, commandLine, std::move(actions));
    EXPECT_TRUE(window->Create());
  }
  ~RecordedWindow() { DrainQuit(); }
  HWND Handle() const { return window->Handle(); }
  ui::MainWindow* operator->() { return &*window; }

  std::vector<std::wstring> calls;
  std::vector<HWND> owners;
  std::vector<HWND> mainWindows;
  // The message boxes' captions and the questions as "caption: text".
  std::vector<std::wstring> Boxes() const {
    std::vector<std::wstring> boxes;
    for (const auto& shown : messages.shown) {
      if ((shown.type & MB_TYPEMASK) == MB_OK && shown.buttons.empty()) boxes.push_back(shown.caption);
    }
    return boxes;
  }
  std::vector<std::wstring> Questions() const {
    std::vector<std::wstring> questions;
    for (const auto& shown : messages.shown) {
      if ((shown.type & MB_TYPEMASK) == MB_YESNO) questions.push_back(shown.caption + L": " + shown.text);
    }
    return questions;
  }

  MessageRecorder messages;
  std::function<void(HWND owner, const std::wstring& programFolder)> onSettings;
  std::function<void()> onOptions;
  bool optionsAnswer = false;
  UINT menuAnswer = 0;
  DWORD shutdownAnswer = ERROR_SUCCESS;
  std::vector<std::wstring> running;
  HMENU shownMenu = nullptr;
  std::vector<std::wstring> shownEntries;  // the texts of the pop-up last shown, read while it was there
  std::vector<engine::ItemReport> detailed;
  std::optional<ui::MainWindow> window;
};

// The tip the statistics strip shows under the pointer.
std::wstring StripTip(const ui::MainWindow& window) {
  wchar_t text[512] = L"";
  TTTOOLINFOW tool = {};
  tool.cbSize = sizeof(tool);
  tool.hwnd = window.Handle();
  tool.uId = reinterpret_cast<UINT_PTR>(window.Statistics());
  tool.lpszText = text;
  SendMessageW(window.ToolTips(), TTM_GETTEXTW, std::size(text), reinterpret_cast<LPARAM>(&tool));
  return text;
}

bool HotKeyTaken() {
  if (!RegisterHotKey(nullptr, 1, MOD_WIN, 'Z')) return true;
  UnregisterHotKey(nullptr, 1);
  return false;
}

}  // namespace

TEST(MainWindow, StartButtonRunsACleaningIntoTheResultList) {
  TempFolder folder;
  std::wstring settings = folder / L"prisd.dat";
  settings::inifun::WriteIniValue(settings, L"Options", L"regnum", L"12");
  settings::inifun::WriteIniValue(settings, L"Options", L"filesize", L"1048576");
  settings::inifun::WriteIniValue(settings, L"WINDOWS", L"passwords", L"1");

  ui::MainWindow window(GetModuleHandleW(nullptr), folder.Path());
  ASSERT_TRUE(window.Create());
  EXPECT_FALSE(IsWindowVisible(window.Handle()));
  EXPECT_EQ(WindowText(window.Handle()), L"Trellwipe V6.50");
  EXPECT_NE(WindowText(window.Statistics()).find(L"Cleaned Registry Keys: 12"), std::wstring::npos);
  EXPECT_EQ(StripTip(window), run::kEstimatesTip);
  MessageRecorder messages;

  SendMessageW(window.StartButton(), BM_CLICK, 0, 0);

  ASSERT_EQ(ListView_GetItemCount(window.ResultList()), 2);
  EXPECT_EQ(ListViewText(window.ResultList(), 0, 0), L"Windows Passwords(Only 9X/Me)");
  EXPECT_EQ(ListViewText(window.ResultList(), 0, 1), L"Done");
  EXPECT_EQ(ListViewText(window.ResultList(), 1, 0), L"Task complete Successfully!");
  EXPECT_EQ(SendMessageW(window.Progress(), PBM_GETPOS, 0, 0), 100);
  EXPECT_EQ(WindowText(window.StatusLine()), L"Task complete Successfully!");
  EXPECT_TRUE(IsWindowEnabled(window.StartButton()));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].caption, L"Task Complete");
  EXPECT_TRUE(IsWindowVisible(window.Handle()));
  EXPECT_EQ(settings::inifun::ReadIniValue(settings, L"Options", L"regnum"), L"0");
  EXPECT_EQ(StripTip(window),
            L"These are Trellwipe's running estimates; measured in the last cleaning: 0 files, 0.00 MB, 0 registry "
            L"entries");
}

// The rows of programs not installed follow the items that had something to do, in run order, and
// each row still opens its own item's details.
TEST(MainWindow, RowsOfProgramsNotInstalledFollowTheOthers) {
  TempFolder folder, data;
  for (const auto& [section, key] : {std::pair{L"Opera", L"Cookies"},
                                     {L"WINDOWS", L"passwords"},
                                     {L"Maxthon", L"keywords"},
                                     {L"Custom", L"Custom"}}) {
    settings::inifun::WriteIniValue(folder / L"prisd.dat", section, key, L"1");
  }
  MakeFile(data / L"trace.txt", 10);
  WriteText(folder / L"cusd.dat", platform::Narrow(data / L"trace.txt") + "\tFile\r\n");
  RecordedWindow window(folder.Path());

  SendMessageW(window->StartButton(), BM_CLICK, 0, 0);

  const HWND list = window->ResultList();
  const std::pair<const wchar_t*, const wchar_t*> rows[] = {{L"Windows Passwords(Only 9X/Me)", L"Done"},
                                                            {L"Custom Item", L"Done"},
                                                            {L"Opera Cookies", L"Not installed"},
                                                            {L"Maxthon Typed Urls", L"Not installed"},
                                                            {L"Task complete Successfully!", L""}};
  ASSERT_EQ(ListView_GetItemCount(list), static_cast<int>(std::size(rows)));
  for (int row = 0; row < ListView_GetItemCount(list); ++row) {
    EXPECT_EQ(ListViewText(list, row, 0), rows[row].first) << row;
    EXPECT_EQ(ListViewText(list, row, 1), rows[row].second) << row;
    NMITEMACTIVATE activate = {};
    activate.hdr.hwndFrom = list;
    activate.hdr.code = NM_DBLCLK;
    activate.iItem = row;
    SendMessageW(window.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&activate));
  }
  const std::vector<std::wstring> details = {L"details Windows Passwords(Only 9X/Me) - Result",
                                             L"details Custom Item - Result", L"details Opera Cookies - Result",
                                             L"details Maxthon Typed Urls - Result"};
  EXPECT_EQ(window.calls, details);
}

// Beside its state, each row shows its item's files, size and what it left behind; an item that left
// something says so in its row and in the end, which then reads as no plain success.
TEST(MainWindow, ResultRowsCarryTheFiguresAndWhatWasLeftBehind) {
  TempFolder folder, data;
  settings::inifun::WriteIniValue(folder / L"prisd.dat", L"Custom", L"Custom", L"1");
  const std::wstring held = data / L"held.txt", free = data / L"free.txt";
  MakeFile(held, 100);
  MakeFile(free, 524288);
  WriteText(folder / L"cusd.dat", platform::Narrow(held) + "\tFile\r\n" + platform::Narrow(free) + "\tFile\r\n");
  platform::FileHandle holder(
      CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(holder);
  ui::MainWindow window(GetModuleHandleW(nullptr), folder.Path());
  ASSERT_TRUE(window.Create());
  MessageRecorder messages;

  SendMessageW(window.StartButton(), BM_CLICK, 0, 0);

  const HWND list = window.ResultList();
  const wchar_t* headers[] = {L"Item", L"State", L"Files", L"Size", L"Left behind"};
  ASSERT_EQ(Header_GetItemCount(ListView_GetHeader(list)), 5);
  for (int column = 0; column < 5; ++column) {
    wchar_t text[64] = L"";
    LVCOLUMNW info = {};
    info.mask = LVCF_TEXT;
    info.pszText = text;
    info.cchTextMax = 64;
    ListView_GetColumn(list, column, &info);
    EXPECT_STREQ(text, headers[column]);
  }
  const wchar_t* last = L"Task complete: 1 item left something behind; its row says what.";
  const std::tuple<int, int, const wchar_t*> cells[] = {
      {0, 0, L"Custom Item"}, {0, 1, L"Done, 1 left behind"}, {0, 2, L"1"}, {0, 3, L"0.50 MB"}, {0, 4, L"1"},
      {1, 0, last},
  };
  ASSERT_EQ(ListView_GetItemCount(list), 2);
  for (const auto& [row, column, text] : cells) {
    EXPECT_EQ(ListViewText(list, row, column), text) << row << "," << column;
  }
  EXPECT_EQ(WindowText(window.StatusLine()), last);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].caption, L"Task Complete");
}

// A preview row's menu opens the details first and, for an item that found one file, keeps the file or
// its folder: the next preview shows the file as kept by you. A note row has no menu, and a finished
// cleaning's row offers only the details.
TEST(MainWindow, APreviewRowsMenuKeepsTheOneFileItsItemFound) {
  TempFolder folder, data;
  settings::inifun::WriteIniValue(folder / L"prisd.dat", L"Custom", L"Custom", L"1");
  const std::wstring file = data / L"only.txt";
  MakeFile(file, 100);
  WriteText(folder / L"cusd.dat", platform::Narrow(file) + "\tFile\r\n");
  RecordedWindow window(folder.Path());
  const HWND list = window->ResultList();
  auto rowMenu = [&](int row, UINT answer) {
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
    window.shownEntries.clear();
    window.menuAnswer = answer;
    SendMessageW(window.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(10, 10));
  };
  Command(window.Handle(), ui::kPreviewCommand);
  rowMenu(0, ui::kKeepRowFileCommand);
  EXPECT_EQ(window.shownEntries, (std::vector<std::wstring>{L"Details", L"Keep this file", L"Keep this folder"}));
  auto entries = engine::LoadKeptPaths(folder.Path());
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), 1u);
  EXPECT_TRUE(platform::EqualsNoCase((*entries)[0].path, file));
  // The user is told it is kept, as the list shows it only at the next preview.
  ASSERT_EQ(window.messages.shown.size(), 1u);
  EXPECT_EQ(window.messages.shown[0].text, L"Trellwipe keeps these from every cleaning:\n" + (*entries)[0].path);

  Command(window.Handle(), ui::kPreviewCommand);
  EXPECT_EQ(ListViewText(list, 0, 2), L"0");
  rowMenu(0, ui::kRowDetailsCommand);
  EXPECT_EQ(window.shownEntries, std::vector<std::wstring>{L"Details"});
  ASSERT_EQ(window.detailed.size(), 1u);
  ASSERT_EQ(window.detailed[0].kept.size(), 1u);
  EXPECT_TRUE(platform::EqualsNoCase(window.detailed[0].kept[0].path, file));

  SendMessageW(window->StartButton(), BM_CLICK, 0, 0);
  ExpectKept(file);
  rowMenu(0, 0);
  EXPECT_EQ(window.shownEntries, std::vector<std::wstring>{L"Details"});
  rowMenu(ListView_GetItemCount(list) - 1, ui::kKeepRowFileCommand);
  EXPECT_TRUE(window.shownEntries.empty());
}

TEST(MainWindow, TheScheduleTimerStartsAnUnattendedRunAndHidesTheWindow) {
  TempFolder folder;
  std::wstring settings = folder / L"prisd.dat";
  SYSTEMTIME now;
  GetLocalTime(&now);
  std::wstring days(7, L'0');
  days[now.wDayOfWeek] = L'1';
  settings::inifun::WriteIniValue(settings, L"Options", L"CleanDays", days);
  settings::inifun::WriteIniValue(settings, L"Options", L"CleanTime",
                                  std::to_wstring(now.wHour) + L":" + (now.wMinute < 10 ? L"0" : L"") +
                                      std::to_wstring(now.wMinute));
  settings::inifun::WriteIniValue(settings, L"WINDOWS", L"clip", L"1");
  ui::MainWindow window(GetModuleHandleW(nullptr), folder.Path());
  ASSERT_TRUE(window.Create());
  MessageRecorder messages;
  ShowWindow(window.Handle(), SW_SHOW);
  GetLocalTime(&now);
  if (now.wSecond >= 58) GTEST_SKIP() << "the scheduled minute is about to end";
  SendMessageW(window.Handle(), WM_TIMER, ui::MainWindow::kScheduleTimer, 0);
  EXPECT_TRUE(messages.shown.empty());
  // The unattended run ends with a pop-up request instead of a message box.
  auto queued = window.Notifications().Dispatcher().QueuedKeys();
  ASSERT_EQ(queued.size(), 1u);
  EXPECT_EQ(queued[0].rfind(L"Trellwipe Clean is done!", 0), 0u);
  EXPECT_FALSE(IsWindowVisible(window.Handle()));
  EXPECT_FALSE(settings::inifun::ReadIniValue(settings, L"Options", L"lastclean").empty());

  // Another day of the week: nothing happens.
  settings::inifun::WriteIniValue(settings, L"Options", L"lastclean", L"");
  ui::MainWindow other(GetModuleHandleW(nullptr), folder.Path());
  days = std::wstring(7, L'1');
  days[now.wDayOfWeek] = L'0';
  settings::inifun::WriteIniValue(settings, L"Options", L"CleanDays", days);
  ASSERT_TRUE(other.Create());
  SendMessageW(other.Handle(), WM_TIMER, ui::MainWindow::kScheduleTimer, 0);
  EXPECT_EQ(settings::inifun::ReadIniValue(settings, L"Options", L"lastclean"), L"");
}

TEST(MainWindow, TheScheduleRunsOncePerScheduledMinuteAtTheInjectedTime) {
  TempFolder folder;
  std::wstring settings = folder / L"prisd.dat";
  settings::inifun::WriteIniValue(settings, L"Options", L"CleanDays", L"0100000");
  settings::inifun::WriteIniValue(settings, L"Options", L"CleanTime", L"9:30");
  RecordedWindow window(folder.Path());
  SYSTEMTIME now = {2026, 12, 1, 7, 9, 30, 5, 0};  // a Monday
  window->SetClock([&] { return now; });
  // Each run writes "lastclean"; the test empties it before every tick.
  auto ranAt = [&](SYSTEMTIME when) {
    now = when;
    settings::inifun::WriteIniValue(settings, L"Options", L"lastclean", L"");
    SendMessageW(window.Handle(), WM_TIMER, ui::MainWindow::kScheduleTimer, 0);
    return !settings::inifun::ReadIniValue(settings, L"Options", L"lastclean").empty();
  };
  EXPECT_TRUE(ranAt(now));
  EXPECT_FALSE(ranAt({2026, 12, 1, 7, 9, 30, 35, 0}));
  EXPECT_FALSE(ranAt({2026, 12, 2, 8, 9, 30, 5, 0}));  // Tuesday: not scheduled
  EXPECT_TRUE(ranAt({2026, 12, 1, 14, 9, 30, 5, 0}));  // the next Monday
  EXPECT_TRUE(window.Boxes().empty());
}

// Group Policy announces a change as a setting change named "Policy"; the window takes it at once.
TEST(MainWindow, APolicyChangeTakesEffectWithoutARestart) {
  TempFolder folder;
  const std::wstring settings = folder / L"prisd.dat";
  settings::inifun::WriteIniValue(settings, L"Options", L"CleanDays", L"0100000");
  settings::inifun::WriteIniValue(settings, L"Options", L"CleanTime", L"9:30");
  PolicyKeys keys;
  ui::MainWindowActions actions = ui::DefaultActions();
  actions.policyPlace = keys.Place();
  ui::MainWindow window(GetModuleHandleW(nullptr), folder.Path(), L"", std::move(actions));
  ASSERT_TRUE(window.Create());
  SetString(keys.machine.get(), L"Policies", L"CleanDays", L"0000010");
  SetString(keys.machine.get(), L"Policies", L"CleanTime", L"18:00");
  SendMessageW(window.Handle(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Environment"));
  EXPECT_EQ(window.Schedule().time, L"9:30");
  SendMessageW(window.Handle(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Policy"));
  EXPECT_EQ(window.Schedule().time, L"18:00");
  EXPECT_EQ(window.Schedule().dayFlags, (std::array<std::wstring, 7>{L"0", L"0", L"0", L"0", L"0", L"1", L"0"}));
  // The user's own schedule stays in the settings file.
  EXPECT_EQ(settings::inifun::ReadIniValue(settings, L"Options", L"CleanTime"), L"9:30");
}

TEST(MainWindow, TheBossKeyIsArmedWhileTheWindowLivesWhenSwitchedOn) {
  TempFolder folder;
  settings::inifun::WriteIniValue(folder / L"prisd.dat", L"Options", L"bosskey", L"1");
  {
    ui::MainWindow window(GetModuleHandleW(nullptr), folder.Path());
    ASSERT_TRUE(window.Create());
    EXPECT_FALSE(RegisterHotKey(nullptr, 1, MOD_WIN, 'Z'));
    EXPECT_FALSE(RegisterHotKey(nullptr, 2, MOD_WIN | MOD_SHIFT, 'Z'));
  }
  ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_WIN, 'Z'));
  UnregisterHotKey(nullptr, 1);

  settings::inifun::WriteIniValue(folder / L"prisd.dat", L"Options", L"bosskey", L"0");
  ui::MainWindow off(GetModuleHandleW(nullptr), folder.Path());
  ASSERT_TRUE(off.Create());
  EXPECT_TRUE(RegisterHotKey(nullptr, 1, MOD_WIN, 'Z'));
  UnregisterHotKey(nullptr, 1);
}

TEST(MainWindow, MenusCarryTheirEntriesShortcutsAndSeparators) {
  TempFolder folder;
  RecordedWindow window(folder.Path());
  HMENU bar = GetMenu(window.Handle());
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(MenuTexts(bar), (std::vector<std::wstring>{L"File(&F)", L"Tool(&T)", L"Help(&H)"}));
  EXPECT_EQ(MenuTexts(GetSubMenu(bar, 0)),
            (std::vector<std::wstring>{L"Clean Now\tCtrl+N", L"Preview", L"-", L"Clean Settings\tCtrl+S", L"-",
                                       L"Clean Options\tCtrl+O", L"Files and folders to keep", L"-", L"Exit\tCtrl+X"}));
  EXPECT_EQ(MenuTexts(GetSubMenu(bar, 1)),
            (std::vector<std::wstring>{L"Clean Registry", L"-", L"Search and Erase", L"-", L"File Shredder"}));
  EXPECT_EQ(MenuTexts(GetSubMenu(bar, 2)), (std::vector<std::wstring>{L"Help\tF1", L"-", L"Our Website\tCtrl+W", L"-",
                                                                      L"Tell a Friend", L"-", L"About\tCtrl+A"}));
  EXPECT_EQ(MenuTexts(window->TrayPopup()),
            (std::vector<std::wstring>{L"Trellwipe On the Web", L"Help", L"-", L"Options", L"-", L"Settings", L"-",
                                       L"Restore", L"-", L"Clean Now", L"Clean and Shut Down", L"-", L"Exit"}));
}

TEST(MainWindow, TheLanguageChosenInOptionsShowsItsTextsAtTheNextStart) {
  TempFolder folder;
  PreservedOptionValues registry;
  WriteText(folder / L"lang\\de.po", ShippedLanguage(L"de.po"));
  struct EnglishAfterwards {
    ~EnglishAfterwards() { platform::UseLanguage(L"", platform::kEnglish); }
  } english;
  {
    MessageRecorder messages;
    toolkit::ScopedMessages recorded(messages);
    dialogs::OptionsWindow options({}, folder.Path(), {});
    ASSERT_TRUE(options.Create(nullptr, false));
    HWND languages = options.Control(dialogs::option_ids::cmbLanguage);
    const LRESULT german = SendMessageW(languages, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(platform::LanguageName(L"de").c_str()));
    ASSERT_NE(german, CB_ERR);
    SendMessageW(languages, CB_SETCURSEL, static_cast<WPARAM>(german), 0);
    SendMessageW(options.Control(IDOK), BM_CLICK, 0, 0);
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown.back().text, L"Trellwipe shows the language chosen from its next start.");
  }
  {
    RecordedWindow before(folder.Path());
    EXPECT_EQ(MenuTexts(GetMenu(before.Handle())), (std::vector<std::wstring>{L"File(&F)", L"Tool(&T)", L"Help(&H)"}));
  }

  // The next start puts the language chosen in force before the main window is made.
  ASSERT_TRUE(platform::UseLanguage(folder.Path(), settings::StartLanguage(folder.Path())));
  RecordedWindow window(folder.Path());
  HMENU bar = GetMenu(window.Handle());
  EXPECT_EQ(MenuTexts(bar), (std::vector<std::wstring>{L"&Datei", L"&Extras", L"&Hilfe"}));
  EXPECT_EQ(MenuTexts(GetSubMenu(bar, 0)),
            (std::vector<std::wstring>{L"Jetzt bereinigen\tStrg+N", L"Vorschau", L"-",
                                       L"Bereinigungseinstellungen\tStrg+S", L"-", L"Optionen\tStrg+O",
                                       L"Zu behaltende Dateien und Ordner", L"-", L"Beenden\tStrg+X"}));
  EXPECT_EQ(MenuTexts(window->TrayPopup()).back(), L"Beenden");
  EXPECT_EQ(WindowText(GetDlgItem(window.Handle(), ui::kStartCleaningCommand)), L"Bereinigung &starten >>");
  EXPECT_EQ(WindowText(GetDlgItem(window.Handle(), ui::kPreviewCommand)), L"&Vorschau");

  // A cleaning's rows, its end and the statistics strip speak German too; the custom item has no list here.
  settings::inifun::WriteIniValue(folder / L"prisd.dat", L"Custom", L"Custom", L"1");
  Command(window.Handle(), ui::kStartCleaningCommand);
  HWND list = window->ResultList();
  ASSERT_EQ(ListView_GetItemCount(list), 2);
  EXPECT_EQ(toolkit::ListCellText(list, 0, 0), L"Eigenes Element");
  EXPECT_EQ(toolkit::ListCellText(list, 0, 1), L"Fehler, Datei nicht gefunden!");
  EXPECT_EQ(toolkit::ListCellText(list, 1, 0), L"Aufgabe erfolgreich abgeschlossen!");
  EXPECT_EQ(window.Boxes(), (std::vector<std::wstring>{L"Aufgabe abgeschlossen"}));
  EXPECT_EQ(WindowText(window->StatusLine()), L"Aufgabe erfolgreich abgeschlossen!");
  EXPECT_EQ(WindowText(window->Statistics()).rfind(L"  Bereinigte Registry-Schl\u00FCssel: 0     Freigegeben:", 0), 0u);
}

TEST(MainWindow, ShortcutsReachTheirCommands) {
  TempFolder folder;
  RecordedWindow window(folder.Path());
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  BYTE saved[256];
  std::copy(std::begin(keys), std::end(keys), std::begin(saved));
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  for (WPARAM key : {WPARAM('S'), WPARAM('O'), WPARAM('A')}) {
    MSG message = {window.Handle(), WM_KEYDOWN, key, 0, 0, {}};
    EXPECT_TRUE(window->TranslateShortcut(message));
  }
  SetKeyboardState(saved);
  MSG plain = {window.Handle(), WM_KEYDOWN, 'S', 0, 0, {}};
  EXPECT_FALSE(window->TranslateShortcut(plain));
  EXPECT_EQ(window.calls, (std::vector<std::wstring>{L"settings " + folder.Path(), L"options", L"about"}));
}

TEST(MainWindow, StatisticsStripShowsTheLastRunPieceByPiece) {
  TempFolder folder;
  std::wstring settings = folder / L"prisd.dat";
  settings::inifun::WriteIniValue(settings, L"Options", L"regnum", L"12");
  settings::inifun::WriteIniValue(settings, L"Options", L"filesize", L"1048576");
  settings::inifun::WriteIniValue(settings, L"Options", L"lastclean", L"07.12.2026 09:30:00");
  RecordedWindow window(folder.Path());
  EXPECT_EQ(WindowText(window->Statistics()), L"  Cleaned Registry Keys: 12     Released HD Space:1.00MB");
  EXPECT_EQ(WindowText(window->LastCleanLabel()), L"07.12.2026 09:30:00");
  EXPECT_EQ(window->CurrentPage(), ui::MainWindow::Page::Home);

  // No settings file: counters at 0 and an empty date.
  TempFolder empty;
  RecordedWindow fresh(empty.Path());
  EXPECT_EQ(WindowText(fresh->Statistics()), L"  Cleaned Registry Keys: 0     Released HD Space:0.00MB");
  EXPECT_EQ(WindowText(fresh->LastCleanLabel()), L"");
}

TEST(MainWindow, CloseSendsTheWindowToTheTrayAndExitEndsEverything) {
  TempFolder folder;
  settings::inifun::WriteIniValue(folder / L"prisd.dat", L"Options", L"bosskey", L"1");
  RecordedWindow window(folder.Path());
  bool splashUnloaded = false;
  window->SetBeforeExit([&] { splashUnloaded = true; });
  HWND hwnd = window.Handle();
  ShowWindow(hwnd, SW_SHOW);
  EXPECT_TRUE(window->Tray().Active());
  EXPECT_TRUE(HotKeyTaken());

  SendMessageW(hwnd, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(hwnd));
  EXPECT_FALSE(IsWindowVisible(hwnd));
  EXPECT_TRUE(window->Tray().Active());

  // A left click on the tray icon brings the window back at normal size.
  SendMessageW(hwnd, ui::TrayIcon::kCallbackMessage, 1, WM_LBUTTONUP);
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_FALSE(IsIconic(hwnd));
  // Other mouse events over the icon are ignored.
  SendMessageW(window.Handle(), WM_CLOSE, 0, 0);
  SendMessageW(hwnd, ui::TrayIcon::kCallbackMessage, 1, WM_MOUSEMOVE);
  SendMessageW(hwnd, ui::TrayIcon::kCallbackMessage, 1, WM_LBUTTONDOWN);
  EXPECT_FALSE(IsWindowVisible(hwnd));
  EXPECT_EQ(window.shownMenu, nullptr);

  Command(hwnd, ui::kExitCommand);
  EXPECT_TRUE(splashUnloaded);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_FALSE(window->Tray().Active());
  EXPECT_FALSE(HotKeyTaken());
  MSG quit;
  EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// The window grows, the result list and its state column with it; closing it remembers its size and
// place, and whether it filled the screen, for the next start.
TEST(MainWindow, GrowsWithItsListAndStartsWhereItWasLeft) {
  TempFolder folder;
  RECT small{}, grown{};
  {
    RecordedWindow window(folder.Path());
    HWND list = window->ResultList();
    ASSERT_TRUE(list);
    window->ShowMainWindow();
    GetClientRect(list, &small);
    SetWindowPos(window.Handle(), nullptr, 40, 30, 960, 700, SWP_NOZORDER);
    GetClientRect(list, &grown);
    EXPECT_GT(grown.right, small.right + 100);
    EXPECT_GT(grown.bottom, small.bottom + 100);
    int columns = 0;
    for (int column = 0; column < 5; ++column) columns += ListView_GetColumnWidth(list, column);
    // They fill it, but for the room of the scroll bar a long run brings.
    EXPECT_GE(columns, grown.right - GetSystemMetrics(SM_CXVSCROLL) - 2);
    // It never shrinks below the size its controls are laid out for.
    SetWindowPos(window.Handle(), nullptr, 0, 0, 200, 150, SWP_NOMOVE | SWP_NOZORDER);
    RECT least;
    GetWindowRect(window.Handle(), &least);
    EXPECT_GE(least.right - least.left, 700);
    SetWindowPos(window.Handle(), nullptr, 40, 30, 960, 700, SWP_NOZORDER);
    SendMessageW(window.Handle(), WM_CLOSE, 0, 0);
  }
  EXPECT_EQ(settings::inifun::ReadIniValue(folder / L"prisd.dat", L"Options", L"MainWindow"), L"40,30,1000,730,0");
  {
    RecordedWindow window(folder.Path());
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    GetWindowPlacement(window.Handle(), &placement);
    EXPECT_EQ(placement.rcNormalPosition.right - placement.rcNormalPosition.left, 960);
    window->ShowMainWindow();
    ShowWindow(window.Handle(), SW_MAXIMIZE);
    Command(window.Handle(), ui::kExitCommand);
  }
  EXPECT_EQ(settings::inifun::ReadIniValue(folder / L"prisd.dat", L"Options", L"MainWindow"), L"40,30,1000,730,1");
  RecordedWindow maximised(folder.Path());
  maximised->ShowMainWindow();
  EXPECT_TRUE(IsZoomed(maximised.Handle()));
  // A place that is no rectangle, or off every screen, is not used.
  for (const wchar_t* text : {L"40,30,1140", L"40,30,10,830,0", L"40,30,1140,830,2", L"x,30,1140,830,0"})
    EXPECT_FALSE(settings::ParseWindowPlace(text)) << text;
}

TEST(MainWindow, TrayMenuCleanNowRunsUnattendedAndHidesTheWindow) {
  TempFolder folder;
  settings::inifun::WriteIniValue(folder / L"prisd.dat", L"WINDOWS", L"clip", L"1");  // one item, so the run cleans
  RecordedWindow window(folder.Path());
  ShowWindow(window.Handle(), SW_SHOW);
  window.menuAnswer = ui::kTrayCleanNowCommand;
  SendMessageW(window.Handle(), ui::TrayIcon::kCallbackMessage, 1, WM_RBUTTONUP);
  EXPECT_EQ(window.shownMenu, window->TrayPopup());
  EXPECT_TRUE(window.Boxes().empty());
  auto queued = window->Notifications().Dispatcher().QueuedKeys();
  ASSERT_EQ(queued.size(), 1u);
  EXPECT_EQ(queued[0].rfind(L"Trellwipe Clean is done!", 0), 0u);
  EXPECT_FALSE(IsWindowVisible(window.Handle()));
  EXPECT_EQ(window->CurrentPage(), ui::MainWindow::Page::Status);

  // "Restore" from the same menu; a menu closed without a choice does nothing.
  window.menuAnswer = ui::kRestoreCommand;
  SendMessageW(window.Handle(), ui::TrayIcon::kCallbackMessage, 1, WM_RBUTTONUP);
  EXPECT_TRUE(IsWindowVisible(window.Handle()));
  window.menuAnswer = 0;
  SendMessageW(window.Handle(), ui::TrayIcon::kCallbackMessage, 1, WM_RBUTTONUP);
  EXPECT_TRUE(window.calls.empty());
}

// With more ticked items than a question can show, the first are named and the others counted.
TEST(MainWindow, TrayMenuCleanAndShutDownNamesTheFirstItemsAndCountsTheRest) {
  TempFolder folder;
  std::wstring settings = folder / L"prisd.dat";
  for (const settings::ItemFlag& flag : settings::ItemFlags().first(10)) {
    settings::inifun::WriteIniValue(settings, flag.section, flag.key, L"1");
  }
  RecordedWindow window(folder.Path());
  window.menuAnswer = ui::kTrayCleanShutdownCommand;
  window.messages.answers = {IDCANCEL};
  SendMessageW(window.Handle(), ui::TrayIcon::kCallbackMessage, 1, WM_RBUTTONUP);
  ASSERT_EQ(window.messages.shown.size(), 1u);
  const std::wstring& text = window.messages.shown[0].text;
  EXPECT_EQ(text.rfind(L"Trellwipe will clean these 10 ticked items, then shut down the computer:\r\n    ", 0), 0u)
      << text;
  EXPECT_NE(text.find(L"\r\n    and 2 more (Clean Settings lists them all)\r\n\r\nOK cleans"), std::wstring::npos)
      << text;
  size_t lines = 0;
  for (size_t at = text.find(L"\r\n    "); at != std::wstring::npos; at = text.find(L"\r\n    ", at + 1)) ++lines;
  EXPECT_EQ(lines, 9u) << text;
  EXPECT_TRUE(window.calls.empty());
}

// "Clean and Shut Down" asks first, naming the items and the shutdown, with Cancel the default:
// Cancel cleans nothing and keeps the computer on; OK cleans, then asks Windows.
TEST(MainWindow, TrayMenuCleanAndShutDownAsksFirstThenCleansAsksWindowsAndShowsARefusal) {
  TempFolder folder;
  std::wstring settings = folder / L"prisd.dat";
  settings::inifun::WriteIniValue(settings, L"WINDOWS", L"clip", L"1");
  RecordedWindow window(folder.Path());
  window.menuAnswer = ui::kTrayCleanShutdownCommand;
  window.messages.answers = {IDCANCEL};
  SendMessageW(window.Handle(), ui::TrayIcon::kCallbackMessage, 1, WM_RBUTTONUP);
  ASSERT_EQ(window.messages.shown.size(), 1u);
  const auto& question = window.messages.shown[0];
  EXPECT_EQ(question.caption, L"Clean and Shut Down");
  EXPECT_EQ(question.type & (MB_TYPEMASK | MB_DEFMASK), UINT(MB_OKCANCEL | MB_DEFBUTTON2));
  EXPECT_EQ(question.text,
            L"Trellwipe will clean these items, then shut down the computer:\r\n    Windows Clipboard\r\n\r\n"
            L"OK cleans and shuts down; Cancel does neither.");
  EXPECT_TRUE(settings::inifun::ReadIniValue(settings, L"Options", L"lastclean").empty());
  EXPECT_TRUE(window.calls.empty());

  SendMessageW(window.Handle(), ui::TrayIcon::kCallbackMessage, 1, WM_RBUTTONUP);
  EXPECT_FALSE(settings::inifun::ReadIniValue(settings, L"Options", L"lastclean").empty());
  EXPECT_EQ(window->Notifications().Dispatcher().QueuedKeys().size(), 1u);
  EXPECT_EQ(window.calls, (std::vector<std::wstring>{L"shut down"}));
  EXPECT_TRUE(window.Boxes().empty());

  window.shutdownAnswer = ERROR_ACCESS_DENIED;
  SendMessageW(window.Handle(), ui::TrayIcon::kCallbackMessage, 1, WM_RBUTTONUP);
  EXPECT_EQ(window.calls.size(), 2u);
  ASSERT_EQ(window.messages.shown.size(), 4u);
  const std::wstring& refusal = window.messages.shown[3].text;
  EXPECT_EQ(refusal.rfind(L"The computer was not shut down: ", 0), 0u);
  // The system's own words follow.
  EXPECT_NE(refusal.find(L"ccess"), std::wstring::npos) << refusal;
}

// Windows asks for the cursor at every mouse move: the hourglass is the answer for the whole run.
TEST(MainWindow, TheHourglassShowsOverTheWindowForTheWholeRun) {
  TempFolder folder;
  ui::MainWindow window(GetModuleHandleW(nullptr), folder.Path());
  ASSERT_TRUE(window.Create());
  const HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
  const LPARAM overClient = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
  window.SetBusyCursor(true);
  SetCursor(nullptr);
  EXPECT_TRUE(SendMessageW(window.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(window.Handle()), overClient));
  EXPECT_EQ(GetCursor(), wait);
  window.SetBusyCursor(false);
  SendMessageW(window.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(window.Handle()), overClient);
  EXPECT_NE(GetCursor(), wait);
}

TEST(MainWindow, MenuCommandsOpenTheirWindowsAndPages) {
  TempFolder folder;
  settings::inifun::WriteIniValue(folder / L"prisd.dat", L"WINDOWS", L"clip", L"1");  // one item, so the run cleans
  RecordedWindow window(folder.Path());
  HWND hwnd = window.Handle();
  Command(hwnd, ui::kCleanSettingsCommand);
  Command(hwnd, ui::kSearchEraseCommand);
  Command(hwnd, ui::kAboutCommand);
  Command(hwnd, ui::kWebsiteCommand);
  Command(hwnd, ui::kTellFriendCommand);
  NMHDR click = {window->WebLink(), 0, static_cast<UINT>(NM_CLICK)};
  SendMessageW(hwnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(window.calls,
            (std::vector<std::wstring>{L"settings " + folder.Path(), L"search", L"about",
                                       std::wstring(L"shell ") + toolkit::kProductWebPage, L"shell mailto:",
                                       std::wstring(L"shell ") + toolkit::kProductWebPage}));
  EXPECT_EQ(window.owners, (std::vector<HWND>{hwnd, hwnd, hwnd}));

  // "Clean Now" shows the status page first, then runs with a message box at the end.
  Command(hwnd, ui::kCleanNowCommand);
  EXPECT_EQ(window->CurrentPage(), ui::MainWindow::Page::Status);
  EXPECT_TRUE(IsWindowVisible(window->ResultList()) || !IsWindowVisible(hwnd));
  EXPECT_EQ(window.Boxes(), std::vector<std::wstring>{L"Task Complete"});
  // The status page's "Cancel" has no action of its own.
  SendMessageW(window->CancelButton(), BM_CLICK, 0, 0);
  EXPECT_EQ(window.Boxes().size(), 1u);
  EXPECT_EQ(window.calls.size(), 6u);
}

namespace {

HWND ChildButton(HWND dialog, const wchar_t* caption) { return FindWindowExW(dialog, nullptr, L"Button", caption); }

// Answers "The first cleaning" as a user would, from a timer that the question's own message loop
// runs: notes the items it lists, then presses a key or a button.
class FirstCleaningAnswer {
 public:
  explicit FirstCleaningAnswer(std::function<void(HWND dialog)> answer) : answer_(std::move(answer)) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 20, Tick);
  }
  ~FirstCleaningAnswer() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  int asked = 0;
  std::vector<std::wstring> listed;

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    FirstCleaningAnswer& self = *current_;
    HWND dialog = FindWindowW(L"#32770", L"The first cleaning");
    if (!dialog || dialog == self.answered_) return;
    self.answered_ = dialog;
    ++self.asked;
    self.listed = ListBoxItems(FindWindowExW(dialog, nullptr, L"ListBox", nullptr));
    self.answer_(dialog);
  }
  static inline FirstCleaningAnswer* current_ = nullptr;
  std::function<void(HWND)> answer_;
  HWND answered_ = nullptr;
  UINT_PTR timer_ = 0;
};

// A program folder whose selection was ticked for a new user: the clipboard, which a cleaning
// empties, and Safari's history, which is not on this computer.
std::wstring NewUsersSelection(const TempFolder& folder) {
  std::wstring settings = folder / L"prisd.dat";
  settings::inifun::WriteIniValue(settings, L"Options", L"DefaultSelection", L"1");
  settings::inifun::WriteIniValue(settings, L"WINDOWS", L"clip", L"1");
  settings::inifun::WriteIniValue(settings, L"Safari", L"History", L"1");
  return settings;
}

}  // namespace

// The first "Clean Now" with the selection ticked for a new user asks "The first cleaning", naming
// the items that would erase something: Cancel, Esc and the close box clean nothing, Preview shows
// the preview, Clean cleans.
TEST(MainWindow, TheFirstCleaningOfASelectionNeverSavedShowsWhatGoesFirst) {
  const struct {
    const char* name;
    std::function<void(HWND)> answer;
    bool previews, cleans;
  } cases[] = {
      {"Cancel", [](HWND dialog) { Press(ChildButton(dialog, L"Cancel")); }, false, false},
      {"Esc",
       [](HWND dialog) {
         HWND focus = GetFocus();
         PostMessageW(IsChild(dialog, focus) ? focus : dialog, WM_KEYDOWN, VK_ESCAPE, 0);
       },
       false, false},
      {"close box", [](HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }, false, false},
      {"Preview", [](HWND dialog) { Press(ChildButton(dialog, L"Preview")); }, true, false},
      {"Clean", [](HWND dialog) { Press(ChildButton(dialog, L"Clean")); }, false, true},
  };
  for (const auto& [name, answer, previews, cleans] : cases) {
    TempFolder folder;
    const std::wstring settings = NewUsersSelection(folder);
    RecordedWindow window(folder.Path());
    FirstCleaningAnswer user(answer);
    Command(window.Handle(), ui::kCleanNowCommand);
    EXPECT_EQ(user.asked, 1) << name;
    EXPECT_EQ(user.listed, std::vector<std::wstring>{L"Windows Clipboard"}) << name;
    EXPECT_EQ(WindowText(window->StatusLine()).rfind(L"Preview: ", 0) == 0, previews) << name;
    EXPECT_EQ(settings::inifun::ReadIniValue(settings, L"Options", L"lastclean").empty(), !cleans) << name;
    EXPECT_EQ(window.Boxes(), cleans ? std::vector<std::wstring>{L"Task Complete"} : std::vector<std::wstring>{})
        << name;
  }
}

// Once the user has seen the preview, a cleaning in the same run of the program is not asked about
// again; the next run of the program asks again.
TEST(MainWindow, AfterItsPreviewTheFirstCleaningIsNotAskedAgain) {
  TempFolder folder;
  const std::wstring settings = NewUsersSelection(folder);
  {
    RecordedWindow window(folder.Path());
    FirstCleaningAnswer user([](HWND dialog) { Press(ChildButton(dialog, L"Preview")); });
    Command(window.Handle(), ui::kCleanNowCommand);
    EXPECT_TRUE(settings::inifun::ReadIniValue(settings, L"Options", L"lastclean").empty());
    Command(window.Handle(), ui::kStartCleaningCommand);
    EXPECT_EQ(user.asked, 1);
    EXPECT_FALSE(settings::inifun::ReadIniValue(settings, L"Options", L"lastclean").empty());
  }
  RecordedWindow again(folder.Path());
  FirstCleaningAnswer user([](HWND dialog) { Press(ChildButton(dialog, L"Cancel")); });
  Command(again.Handle(), ui::kCleanNowCommand);
  EXPECT_EQ(user.asked, 1);
}

TEST(MainWindow, RunningBrowsersAreNamedBeforeAnAttendedRunAndNoCancelsIt) {
  TempFolder folder;
  std::wstring settings = folder / L"prisd.dat";
  RecordedWindow window(folder.Path());
  Command(window.Handle(), ui::kStartCleaningCommand);
  EXPECT_TRUE(window.Questions().empty());
  EXPECT_EQ(window.Boxes().size(), 1u);

  window.running = {L"Firefox", L"Chrome"};
  window.messages.answer = IDNO;
  settings::inifun::WriteIniValue(settings, L"Options", L"lastclean", L"");
  Command(window.Handle(), ui::kCleanNowCommand);
  ASSERT_EQ(window.Questions().size(), 1u);
  EXPECT_EQ(window.Questions()[0].rfind(std::wstring(catalogue::kRunningProgramsTitle) + L": ", 0), 0u);
  EXPECT_NE(window.Questions()[0].find(L"Firefox"), std::wstring::npos);
  EXPECT_NE(window.Questions()[0].find(L"Chrome"), std::wstring::npos);
  EXPECT_EQ(window.Boxes().size(), 1u);
  EXPECT_EQ(settings::inifun::ReadIniValue(settings, L"Options", L"lastclean"), L"");

  window.messages.answer = 0;
  Command(window.Handle(), ui::kStartCleaningCommand);
  EXPECT_EQ(window.Questions().size(), 2u);
  EXPECT_EQ(window.Boxes().size(), 2u);

  // An unattended run asks nothing.
  window.menuAnswer = ui::kTrayCleanNowCommand;
  SendMessageW(window.Handle(), ui::TrayIcon::kCallbackMessage, 1, WM_RBUTTONUP);
  EXPECT_EQ(window.Questions().size(), 2u);
  EXPECT_FALSE(settings::inifun::ReadIniValue(settings, L"Options", L"lastclean").empty());
}

TEST(MainWindow, OptionsReloadTheScheduleOnlyAfterOk) {
  TempFolder folder;
  std::wstring settings = folder / L"prisd.dat";
  RecordedWindow window(folder.Path());
  EXPECT_EQ(window->Schedule().dayFlags[1], L"0");
  window.onOptions = [&] {
    settings::inifun::WriteIniValue(settings, L"Options", L"CleanDays", L"0100000");
    settings::inifun::WriteIniValue(settings, L"Options", L"CleanTime", L"9:30");
  };
  Command(window.Handle(), ui::kCleanOptionsCommand);
  EXPECT_EQ(window->Schedule().dayFlags[1], L"0");
  EXPECT_EQ(window->Schedule().time, L"");

  window.optionsAnswer = true;
  Command(window.Handle(), ui::kCleanOptionsCommand);
  EXPECT_EQ(window->Schedule().dayFlags[1], L"1");
  EXPECT_EQ(window->Schedule().time, L"9:30");
  EXPECT_EQ(window.mainWindows, (std::vector<HWND>{window.Handle(), window.Handle()}));
}

TEST(MainWindow, SeparateToolsAndHelpStartOnlyWhenTheirFilesExist) {
  TempFolder folder;
  RecordedWindow window(folder.Path());
  HWND hwnd = window.Handle();
  Command(hwnd, ui::kCleanRegistryCommand);
  Command(hwnd, ui::kFileShredderCommand);
  Command(hwnd, ui::kHelpCommand);
  EXPECT_TRUE(window.calls.empty());

  MakeFile(folder / L"Keysweep.exe", 2);
  MakeFile(folder / L"Papermill.exe", 2);
  MakeFile(folder / L"help.chm", 4);
  Command(hwnd, ui::kCleanRegistryCommand);
  Command(hwnd, ui::kFileShredderCommand);
  Command(hwnd, ui::kHelpCommand);
  std::wstring windows = window->Run().Values().windowsFolder;
  ASSERT_EQ(window.calls.size(),
            GetFileAttributesW((windows + L"\\hh.exe").c_str()) == INVALID_FILE_ATTRIBUTES ? 2u : 3u);
  EXPECT_EQ(window.calls[0], L"start \"" + folder.Path() + L"\\Keysweep.exe\"");
  EXPECT_EQ(window.calls[1], L"start \"" + folder.Path() + L"\\Papermill.exe\"");
  if (window.calls.size() == 3) {
    EXPECT_EQ(window.calls[2], L"start \"" + windows + L"\\hh.exe\" \"" + folder.Path() + L"\\help.chm\"");
  }
}

TEST(MainWindow, AToolThatIsNotInstalledIsShownDisabledWithItsReason) {
  TempFolder folder;
  MakeFile(folder / L"Papermill.exe", 2);
  RecordedWindow window(folder.Path());
  const ui::NavigationBar& bar = window->Navigation();
  const int registry = 6, shredder = 5;
  ASSERT_STREQ(ui::NavigationImages()[registry].caption, L"Registry");
  EXPECT_FALSE(bar.Available(registry));
  EXPECT_TRUE(bar.Available(shredder));
  RECT rect = bar.ImageRect(registry);
  const LPARAM middle = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  SendMessageW(bar.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, middle);
  SendMessageW(bar.Handle(), WM_LBUTTONUP, 0, middle);
  EXPECT_TRUE(window.calls.empty());

  wchar_t tip[128] = L"";
  TTTOOLINFOW tool = {};
  tool.cbSize = sizeof(tool);
  tool.hwnd = bar.Handle();
  tool.uId = static_cast<UINT_PTR>(registry);
  tool.lpszText = tip;
  SendMessageW(bar.ToolTips(), TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&tool));
  EXPECT_STREQ(tip, L"The registry cleaner (Keysweep.exe) is not part of this installation.");
  HMENU menu = GetMenu(window.Handle());
  EXPECT_TRUE(GetMenuState(menu, ui::kCleanRegistryCommand, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_FALSE(GetMenuState(menu, ui::kFileShredderCommand, MF_BYCOMMAND) & MF_GRAYED);
}

TEST(MainWindow, HelpOpensTheShippedPageWhenThereIsNoCompiledHelp) {
  TempFolder folder;
  RecordedWindow window(folder.Path());
  Command(window.Handle(), ui::kHelpCommand);
  EXPECT_TRUE(window.calls.empty());
  WriteText(folder / L"help\\index.html", "<html></html>");
  Command(window.Handle(), ui::kHelpCommand);
  EXPECT_EQ(window.calls, std::vector<std::wstring>{L"shell " + folder.Path() + L"\\help\\index.html"});
}

TEST(MainWindow, NavigationImagesFrameUnderThePointerAndRunTheirActions) {
  TempFolder folder;
  RecordedWindow window(folder.Path());
  const ui::NavigationBar& bar = window->Navigation();
  auto center = [&](int image) {
    RECT rect = bar.ImageRect(image);
    return MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  };
  auto click = [&](int image) {
    SendMessageW(bar.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, center(image));
    SendMessageW(bar.Handle(), WM_LBUTTONUP, 0, center(image));
  };
  auto images = ui::NavigationImages();
  ASSERT_EQ(images.size(), 9u);
  for (int i = 0; i < static_cast<int>(images.size()); ++i) {
    SendMessageW(bar.Handle(), WM_MOUSEMOVE, 0, center(i));
    EXPECT_EQ(bar.Hovered(), i) << images[i].name;
  }
  SendMessageW(bar.Handle(), WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(bar.Hovered(), ui::NavigationBar::kNoImage);

  click(2);  // Image3: the status page without a run
  EXPECT_EQ(window->CurrentPage(), ui::MainWindow::Page::Status);
  EXPECT_EQ(ListView_GetItemCount(window->ResultList()), 0);
  click(0);  // Image1: the home page
  EXPECT_EQ(window->CurrentPage(), ui::MainWindow::Page::Home);
  click(1);  // Image2: the cleaning settings
  click(3);  // Image4: the file search
  click(4);  // Image5: the options
  EXPECT_EQ(window.calls, (std::vector<std::wstring>{L"settings " + folder.Path(), L"search", L"options"}));
  // A press on one image released over another is no click.
  SendMessageW(bar.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, center(1));
  SendMessageW(bar.Handle(), WM_LBUTTONUP, 0, center(3));
  EXPECT_EQ(window.calls.size(), 3u);
  click(7);  // Image10: exit
  EXPECT_FALSE(IsWindow(window.Handle()));
}

TEST(MainWindow, StartedWithMinHidesAndRunsOnceWhenWindowsStartupIsOn) {
  TempFolder folder;
  std::wstring settings = folder / L"prisd.dat";
  settings::inifun::WriteIniValue(settings, L"Options", L"WindowsStartup", L"1");
  RecordedWindow window(folder.Path(), L"min");
  window->ShowAfterSplash();
  EXPECT_FALSE(IsWindowVisible(window.Handle()));
  EXPECT_EQ(window->StartupCommandLine(), L"");
  PumpAll();
  auto queued = window->Notifications().Dispatcher().QueuedKeys();
  ASSERT_EQ(queued.size(), 1u);
  EXPECT_TRUE(window.Boxes().empty());
  std::wstring firstRun = settings::inifun::ReadIniValue(settings, L"Options", L"lastclean");
  EXPECT_FALSE(firstRun.empty());

  // A later restore from the tray starts nothing.
  settings::inifun::WriteIniValue(settings, L"Options", L"lastclean", L"");
  SendMessageW(window.Handle(), ui::TrayIcon::kCallbackMessage, 1, WM_LBUTTONUP);
  SendMessageW(window.Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
  PumpAll();
  EXPECT_EQ(settings::inifun::ReadIniValue(settings, L"Options", L"lastclean"), L"");
  EXPECT_TRUE(IsWindowVisible(window.Handle()));
}

// A selection the program ticked for a new user runs only when the user asks: not when Windows
// starts, not on the schedule, not before a shutdown.
TEST(MainWindow, NoUnattendedRunCleansASelectionTheUserNeverSaved) {
  TempFolder folder;
  std::wstring settings = folder / L"prisd.dat";
  settings::inifun::WriteIniValue(settings, L"Options", L"WindowsStartup", L"1");
  settings::inifun::WriteIniValue(settings, L"Options", L"WindowsShutdown", L"1");
  settings::inifun::WriteIniValue(settings, L"Options", L"CleanDays", L"1111111");
  settings::inifun::WriteIniValue(settings, L"Options", L"CleanTime", L"0:00");
  settings::inifun::WriteIniValue(settings, L"Options", L"DefaultSelection", L"1");
  RecordedWindow window(folder.Path(), L"min");
  window->ShowAfterSplash();
  PumpAll();
  SendMessageW(window.Handle(), WM_TIMER, ui::MainWindow::kScheduleTimer, 0);
  EXPECT_TRUE(SendMessageW(window.Handle(), WM_QUERYENDSESSION, 0, 0));
  PumpAll();
  EXPECT_EQ(settings::inifun::ReadIniValue(settings, L"Options", L"lastclean"), L"");
  EXPECT_TRUE(window->Notifications().Dispatcher().QueuedKeys().empty());
}

// The organisation's CleanAtStart cleans at Windows' start though the user's option is off, and its
// fixed selection alone, which needs nobody's saving.
TEST(MainWindow, CleanAtStartCleansTheFixedSelectionWhenWindowsStarts) {
  TempFolder folder;
  const std::wstring settings = folder / L"prisd.dat";
  WriteText(settings, "[Options]\r\nWindowsStartup=0\r\nDefaultSelection=1\r\n[WINDOWS]\r\nclip=1\r\n");
  MachinePolicyKey policy;
  PolicyKeys::SetNumber(policy.key.get(), L"", L"CleanAtStart", 1);
  SetString(policy.key.get(), L"Selection", L"1", L"WINDOWS/passwords");
  RecordedWindow window(folder.Path(), L"min");
  window->ShowAfterSplash();
  PumpAll();
  EXPECT_FALSE(settings::inifun::ReadIniValue(settings, L"Options", L"lastclean").empty());
  ASSERT_EQ(ListView_GetItemCount(window->ResultList()), 2);
  EXPECT_EQ(ListViewText(window->ResultList(), 0, 0), L"Windows Passwords(Only 9X/Me)");
}

TEST(MainWindow, OnlyExactlyMinStartsHidden) {
  TempFolder folder;
  std::wstring settings = folder / L"prisd.dat";
  settings::inifun::WriteIniValue(settings, L"Options", L"WindowsStartup", L"1");
  {
    RecordedWindow capitals(folder.Path(), L"MIN");
    capitals->ShowAfterSplash();
    PumpAll();
    EXPECT_TRUE(IsWindowVisible(capitals.Handle()));
    EXPECT_EQ(settings::inifun::ReadIniValue(settings, L"Options", L"lastclean"), L"");
  }
  settings::inifun::WriteIniValue(settings, L"Options", L"WindowsStartup", L"0");
  RecordedWindow quiet(folder.Path(), L"min");
  quiet->ShowAfterSplash();
  PumpAll();
  EXPECT_FALSE(IsWindowVisible(quiet.Handle()));
  EXPECT_TRUE(quiet->Tray().Active());
  EXPECT_EQ(settings::inifun::ReadIniValue(settings, L"Options", L"lastclean"), L"");
}

TEST(SplashWindow, LoadsTheMainWindowWhileShownAndHandsOverWhenItsTimerFires) {
  TempFolder folder;
  std::vector<std::wstring> events;
  ui::SplashWindow splash(
      GetModuleHandleW(nullptr), folder.Path(), [&] { events.push_back(L"load"); }, [&] { events.push_back(L"done"); });
  ASSERT_TRUE(splash.Create(false));
  EXPECT_EQ(events, std::vector<std::wstring>{L"load"});
  EXPECT_EQ(WindowText(splash.Handle()), L"Trellwipe");
  SendMessageW(splash.Handle(), WM_TIMER, ui::SplashWindow::kTimer, 0);
  EXPECT_FALSE(splash.Loaded());
  EXPECT_EQ(events, (std::vector<std::wstring>{L"load", L"done"}));

  // Unloaded by the exit sequence before its second is over: the main window is not shown.
  ui::SplashWindow early(GetModuleHandleW(nullptr), folder.Path(), nullptr, [&] { events.push_back(L"late"); });
  ASSERT_TRUE(early.Create(false));
  early.Unload();
  EXPECT_FALSE(early.Loaded());
  early.Unload();
  EXPECT_EQ(events.size(), 2u);
}

namespace {

// `count` files of one byte in folders of `perFolder`, below `top`; their paths.
std::vector<std::wstring> MakeManyFiles(const std::wstring& top, int count, int perFolder) {
  std::vector<std::wstring> paths;
  for (int i = 0; i < count; ++i) {
    std::wstring folder = top + L"\\d" + std::to_wstring(i / perFolder);
    if (i % perFolder == 0) MakeFolders(folder);
    paths.push_back(folder + L"\\f" + std::to_wstring(i));
    platform::FileHandle file(CreateFileW(paths.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    DWORD written = 0;
    WriteFile(file.get(), "x", 1, &written, nullptr);
  }
  return paths;
}

// What a user would see of a window during a long run: a timer that ticks every 10 ms and repaints a
// window of its own. The ticks handled and their longest gap tell whether the window answered.
class ResponsivenessProbe {
 public:
  explicit ResponsivenessProbe(std::function<void(ResponsivenessProbe&)> onTick) : onTick_(std::move(onTick)) {
    current_ = this;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = PaintCounter;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TrellwipePaintProbe";
    RegisterClassW(&windowClass);
    painted_ = CreateWindowW(L"TrellwipePaintProbe", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    timer_ = SetTimer(nullptr, 0, 10, Tick);
  }
  ~ResponsivenessProbe() {
    KillTimer(nullptr, timer_);
    DestroyWindow(painted_);
    current_ = nullptr;
  }
  size_t ticks = 0;
  int paints = 0;
  double longestGapMs = 0;

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    ResponsivenessProbe& probe = *current_;
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    if (probe.ticks++ > 0) {
      double gap =
          static_cast<double>(now.QuadPart - probe.last_.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
      probe.longestGapMs = std::max(probe.longestGapMs, gap);
    }
    probe.last_ = now;
    InvalidateRect(probe.painted_, nullptr, FALSE);
    if (probe.onTick_) probe.onTick_(probe);
  }
  static LRESULT CALLBACK PaintCounter(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT && current_) {
      PAINTSTRUCT paint;
      BeginPaint(hwnd, &paint);
      EndPaint(hwnd, &paint);
      ++current_->paints;
      return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }

  static inline ResponsivenessProbe* current_ = nullptr;
  std::function<void(ResponsivenessProbe&)> onTick_;
  HWND painted_ = nullptr;
  UINT_PTR timer_ = 0;
  LARGE_INTEGER last_{};
};

// Keys as a user types them, one step on each tick of a timer that whichever message loop runs
// handles (the program's, a modal window's, a run's): a step waits until it is `ready`, posts its key
// to the control with the focus (or, with none, to the active window as Windows does), and is over
// once `done`; a repeated step types again on each tick until then. When all are over, or one waits
// past every reasonable time, the program's loop is ended.
class KeyScript {
 public:
  struct Step {
    const char* what;
    std::function<bool()> ready;  // none: at once
    WPARAM key;
    bool repeat;
    std::function<bool()> done;
  };
  explicit KeyScript(std::vector<Step> steps) : steps_(std::move(steps)) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 20, Tick);
  }
  ~KeyScript() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  // The step that never came to its end, empty when every one did.
  std::string stuck;

 private:
  static constexpr int kPatience = 3000;
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    KeyScript& self = *current_;
    if (self.next_ == self.steps_.size()) return;
    const Step& step = self.steps_[self.next_];
    if (step.done()) {
      self.typed_ = false;
      self.waited_ = 0;
      if (++self.next_ == self.steps_.size()) PostQuitMessage(0);
      return;
    }
    if (++self.waited_ > kPatience) {
      self.stuck = step.what;
      self.next_ = self.steps_.size();
      PostQuitMessage(0);
      return;
    }
    if ((self.typed_ && !step.repeat) || (step.ready && !step.ready())) return;
    HWND target = GetFocus();
    const bool focused = target != nullptr;
    if (!focused) target = GetActiveWindow();
    PostMessageW(target, focused ? WM_KEYDOWN : WM_SYSKEYDOWN, step.key, 1);
    PostMessageW(target, focused ? WM_KEYUP : WM_SYSKEYUP, step.key, 0xC0000001);
    self.typed_ = true;
  }
  static inline KeyScript* current_ = nullptr;
  std::vector<Step> steps_;
  size_t next_ = 0;
  bool typed_ = false;
  int waited_ = 0;
  UINT_PTR timer_ = 0;
};

// The button of a window, or of a page inside it, that shows this text.
HWND ButtonShowing(HWND window, const std::wstring& text) {
  struct Search {
    std::wstring text;
    HWND found;
  } search{text, nullptr};
  EnumChildWindows(
      window,
      [](HWND child, LPARAM out) {
        auto& search = *reinterpret_cast<Search*>(out);
        if (toolkit::WithoutMnemonic(WindowText(child)) != search.text) return TRUE;
        search.found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A custom folder of many files, ticked to go.
class LongRun : public ::testing::Test {
 protected:
  void Prepare(int count) {
    files = MakeManyFiles(data / L"big", count, 1000);
    WriteText(program / L"cusd.dat", platform::Narrow(data / L"big") + "\tFolder\r\n");
    settings::inifun::WriteIniValue(program / L"prisd.dat", L"Custom", L"Custom", L"1");
  }
  // Files the run has reported gone so far.
  size_t Gone(RecordedWindow& window) {
    const engine::RunReport& report = window->Run().LastReport();
    return report.items.empty() ? 0 : report.items[0].files.size();
  }
  // Every file the run reports gone is gone, every other one is there.
  size_t ExpectLeftExactlyWhatWasNotReached(RecordedWindow& window) {
    std::set<std::wstring> gone;
    for (const engine::ItemReport& item : window->Run().LastReport().items) {
      for (const engine::FileRecord& file : item.files) gone.insert(file.path);
    }
    size_t left = 0;
    for (const std::wstring& path : files) {
      bool reported = gone.count(path) > 0;
      EXPECT_NE(Exists(path), reported) << path;
      if (!reported) ++left;
    }
    return left;
  }
  // A tick handler that acts once, when the run has reported `count` files gone.
  std::function<void(ResponsivenessProbe&)> OnceGone(RecordedWindow& window, size_t count, std::function<void()> act) {
    return [this, &window, count, act = std::move(act)](ResponsivenessProbe&) {
      if (!acted && Gone(window) >= count) {
        acted = true;
        act();
      }
    };
  }
  static void Report(const ResponsivenessProbe& probe) {
    std::cout << "[ probe    ] " << probe.ticks << " timer ticks, " << probe.paints
              << " paints, longest gap between handled ticks " << probe.longestGapMs << " ms\n";
  }

  TempFolder program, data;
  std::vector<std::wstring> files;
  bool acted = false;
};

}  // namespace

// A whole cleaning by keys alone: the first cleaning's question, the details of a row, a tick in the
// cleaning settings, and a long cleaning stopped with Esc.
TEST_F(LongRun, AWholeCleaningIsDrivenByTheKeyboardAlone) {
  const std::wstring settings = NewUsersSelection(program);
  Prepare(3000);
  settings::inifun::WriteIniValue(settings, L"Custom", L"Custom", L"0");
  RecordedWindow window(program.Path());
  window.onSettings = [](HWND owner, const std::wstring& folder) { dialogs::ShowCleaningSettings(owner, folder); };
  const ui::NavigationBar& bar = window->Navigation();
  auto focusIs = [](HWND control) { return [control] { return GetFocus() == control; }; };
  auto question = [] { return FindWindowW(L"#32770", L"The first cleaning"); };
  auto settingsWindow = [] { return FindWindowW(L"#32770", L"Cleaning Settings"); };
  auto focusIn = [](std::function<HWND()> dialog) {
    return [dialog] { return dialog() && IsChild(dialog(), GetFocus()); };
  };
  auto boxes = [&](size_t count) { return [&window, count] { return window.Boxes().size() == count; }; };
  HWND list = window->ResultList();
  auto customBox = [&] { return ButtonShowing(settingsWindow(), L"Custom Clean Items"); };
  auto tabs = [&] { return GetDlgItem(settingsWindow(), dialogs::kOuterTabsId); };
  KeyScript user({
      {"Down to Status", nullptr, VK_DOWN, true, [&] { return bar.Focused() == 2; }},
      {"Enter shows the status page", nullptr, VK_RETURN, false,
       [&] { return window->CurrentPage() == ui::MainWindow::Page::Status; }},
      {"Tab to Start Cleaning", nullptr, VK_TAB, true, focusIs(window->StartButton())},
      {"Enter asks the first cleaning's question", nullptr, VK_RETURN, false, [&] { return question() != nullptr; }},
      {"Enter answers Clean", focusIn(question), VK_RETURN, false, boxes(1)},
      {"Tab to the results", nullptr, VK_TAB, true, focusIs(list)},
      {"Home selects the first row", nullptr, VK_HOME, false,
       [&] { return ListView_GetNextItem(list, -1, LVNI_SELECTED) == 0; }},
      {"Enter opens its details", nullptr, VK_RETURN, false, [&] { return window.calls.size() == 1; }},
      {"Tab to the navigation bar", nullptr, VK_TAB, true, focusIs(window->Navigation().Handle())},
      {"Up to Settings", nullptr, VK_UP, true, [&] { return bar.Focused() == 1; }},
      {"Enter opens the cleaning settings", nullptr, VK_RETURN, false, focusIn(settingsWindow)},
      {"Tab to the tabs", nullptr, VK_TAB, true, [&] { return GetFocus() == tabs(); }},
      {"Right to Custom Item", nullptr, VK_RIGHT, true,
       [&] { return TabCtrl_GetCurSel(tabs()) == settings::kCustomItemTab; }},
      {"Tab to Custom Clean Items", nullptr, VK_TAB, true, [&] { return GetFocus() == customBox(); }},
      {"Space ticks it", nullptr, VK_SPACE, false,
       [&] { return SendMessageW(customBox(), BM_GETCHECK, 0, 0) == BST_CHECKED; }},
      {"Enter saves the settings", nullptr, VK_RETURN, false, [&] { return settingsWindow() == nullptr; }},
      {"Tab to Start Cleaning", nullptr, VK_TAB, true, focusIs(window->StartButton())},
      {"Enter starts the long cleaning", nullptr, VK_RETURN, false,
       [&] {
         // The custom item runs after the items the new user's selection ticked.
         const auto& items = window->Run().LastReport().items;
         return window->Run().Running() && !items.empty() && items.back().files.size() >= 300;
       }},
      {"Esc stops it", nullptr, VK_ESCAPE, false, boxes(2)},
  });
  ShowWindow(window.Handle(), SW_SHOW);
  SetForegroundWindow(window.Handle());
  SetFocus(window.Handle());
  toolkit::RunMessageLoop([&](MSG& message) { return window->TranslateShortcut(message); });

  EXPECT_EQ(user.stuck, "");
  EXPECT_EQ(window.calls,
            (std::vector<std::wstring>{L"details Windows Clipboard - Result", L"settings " + program.Path()}));
  EXPECT_EQ(settings::inifun::ReadIniValue(settings, L"Custom", L"Custom"), L"1");
  EXPECT_EQ(window.Boxes(), (std::vector<std::wstring>{L"Task Complete", L"Task Stopped"}));
  EXPECT_EQ(window->Run().Stopped(), run::StopReason::User);
  EXPECT_GT(ExpectLeftExactlyWhatWasNotReached(window), 0u);
  ShowWindow(window.Handle(), SW_HIDE);
}

TEST_F(LongRun, TheWindowAnswersThroughoutAndCancelStopsAtTheNextFile) {
  Prepare(20000);
  RecordedWindow window(program.Path());
  ResponsivenessProbe probe(OnceGone(window, 2000, [&] { SendMessageW(window->CancelButton(), BM_CLICK, 0, 0); }));
  Command(window.Handle(), ui::kStartCleaningCommand);
  Report(probe);
  ASSERT_TRUE(acted);
  EXPECT_GT(probe.ticks, 10u);
  EXPECT_GT(probe.paints, 0);
  EXPECT_EQ(window->Run().Stopped(), run::StopReason::User);
  HWND list = window->ResultList();
  ASSERT_EQ(ListView_GetItemCount(list), 2);
  EXPECT_EQ(ListViewText(list, 0, 0), L"Custom Item");
  EXPECT_EQ(ListViewText(list, 0, 1), L"Stopped");
  EXPECT_EQ(ListViewText(list, 1, 0), L"Task stopped: the cleaning was stopped before its end.");
  EXPECT_EQ(window.Boxes(), std::vector<std::wstring>{L"Task Stopped"});
  EXPECT_GT(ExpectLeftExactlyWhatWasNotReached(window), 0u);
  EXPECT_NE(settings::inifun::ReadIniValue(program / L"prisd.dat", L"Options", L"lastclean"), L"");
  // Outside a run, Cancel does nothing.
  SendMessageW(window->CancelButton(), BM_CLICK, 0, 0);
  EXPECT_EQ(ListView_GetItemCount(list), 2);
}

// What starts a run (the buttons, the File menu's and the tray's entries) waits while a cleaning runs
// and is back when it has ended or was stopped; Cancel is there only while it runs.
TEST_F(LongRun, StartCommandsWaitForTheCleaningAndCancelIsThereOnlyWhileItRuns) {
  RecordedWindow window(program.Path());
  auto states = [&] {
    auto on = [](HMENU menu, UINT command) { return !(GetMenuState(menu, command, MF_BYCOMMAND) & MF_GRAYED); };
    HMENU menu = GetMenu(window.Handle());
    HMENU tray = window->TrayPopup();
    return std::vector<bool>{IsWindowEnabled(window->StartButton()) != FALSE,
                             IsWindowEnabled(window->PreviewButton()) != FALSE,
                             on(menu, ui::kCleanNowCommand),
                             on(menu, ui::kPreviewCommand),
                             on(tray, ui::kTrayCleanNowCommand),
                             on(tray, ui::kTrayCleanShutdownCommand),
                             IsWindowEnabled(window->CancelButton()) == FALSE};
  };
  const std::vector<bool> idle(7, true), running(7, false);
  EXPECT_EQ(states(), idle);
  for (bool cancel : {false, true}) {
    Prepare(3000);
    acted = false;
    std::vector<bool> during;
    ResponsivenessProbe probe(OnceGone(window, 300, [&] {
      during = states();
      if (cancel) SendMessageW(window->CancelButton(), BM_CLICK, 0, 0);
    }));
    Command(window.Handle(), ui::kStartCleaningCommand);
    ASSERT_TRUE(acted) << cancel;
    EXPECT_EQ(window->Run().Stopped() == run::StopReason::User, cancel);
    EXPECT_EQ(during, running) << cancel;
    EXPECT_EQ(states(), idle) << cancel;
  }
}

TEST_F(LongRun, ExitStopsTheRunSavesWhatWentAndEndsTheProgram) {
  Prepare(5000);
  RecordedWindow window(program.Path());
  ResponsivenessProbe probe(OnceGone(window, 500, [&] { Command(window.Handle(), ui::kExitCommand); }));
  Command(window.Handle(), ui::kStartCleaningCommand);
  ASSERT_TRUE(acted);
  EXPECT_EQ(window.Handle(), nullptr);
  EXPECT_FALSE(window->Tray().Active());
  EXPECT_TRUE(window.Boxes().empty());
  EXPECT_GT(ExpectLeftExactlyWhatWasNotReached(window), 0u);
  EXPECT_NE(settings::inifun::ReadIniValue(program / L"prisd.dat", L"Options", L"lastclean"), L"");
}

// The session may end as soon as WM_ENDSESSION is answered: the run's totals are saved by then.
TEST_F(LongRun, TheEndOfTheSessionStopsTheRunWithEverySaveDone) {
  Prepare(5000);
  RecordedWindow window(program.Path());
  std::optional<LRESULT> allowed;
  std::wstring savedBeforeAnswer;
  ResponsivenessProbe probe(OnceGone(window, 500, [&] {
    allowed = SendMessageW(window.Handle(), WM_QUERYENDSESSION, 0, 0);
    SendMessageW(window.Handle(), WM_ENDSESSION, TRUE, 0);
    savedBeforeAnswer = settings::inifun::ReadIniValue(program / L"prisd.dat", L"Options", L"regnum");
  }));
  Command(window.Handle(), ui::kStartCleaningCommand);
  ASSERT_TRUE(allowed);
  EXPECT_EQ(*allowed, TRUE);
  EXPECT_NE(savedBeforeAnswer, L"");
  EXPECT_EQ(window.Handle(), nullptr);
  EXPECT_FALSE(window->Tray().Active());
  EXPECT_TRUE(window.Boxes().empty());
  EXPECT_GT(ExpectLeftExactlyWhatWasNotReached(window), 0u);
}

// "Windows Shutdown": the end of the session waits, with its reason, for a cleaning of the selection;
// then the program ends and lets the session go on. Forced, the session stops it as above.
TEST_F(LongRun, WindowsShutdownCleansFirstAndAForcedEndStopsIt) {
  Prepare(100);
  settings::inifun::WriteIniValue(program / L"prisd.dat", L"Options", L"WindowsShutdown", L"1");
  {
    RecordedWindow window(program.Path());
    EXPECT_EQ(SendMessageW(window.Handle(), WM_QUERYENDSESSION, 0, 0), FALSE);
    EXPECT_EQ(window.calls, std::vector<std::wstring>{L"block Trellwipe is cleaning your traces"});
    EXPECT_EQ(SendMessageW(window.Handle(), WM_QUERYENDSESSION, 0, 0), FALSE);
    PumpAll();
    EXPECT_EQ(window.calls, (std::vector<std::wstring>{L"block Trellwipe is cleaning your traces", L"unblock"}));
    EXPECT_EQ(window.Handle(), nullptr);
    EXPECT_TRUE(window.Boxes().empty());
    EXPECT_TRUE(window->Notifications().Dispatcher().QueuedKeys().empty());
    EXPECT_EQ(window->Notifications().OnScreen(), nullptr);
    EXPECT_EQ(ExpectLeftExactlyWhatWasNotReached(window), 0u);
  }
  Prepare(5000);
  RecordedWindow forced(program.Path());
  ResponsivenessProbe probe(OnceGone(forced, 500, [&] { SendMessageW(forced.Handle(), WM_ENDSESSION, TRUE, 0); }));
  EXPECT_EQ(SendMessageW(forced.Handle(), WM_QUERYENDSESSION, 0, 0), FALSE);
  PumpAll();
  ASSERT_TRUE(acted);
  EXPECT_EQ(forced.Handle(), nullptr);
  EXPECT_GT(ExpectLeftExactlyWhatWasNotReached(forced), 0u);
}

TEST(MainWindow, TheWeeklyLookForNewRulesLeavesThemWaitingAndItsPopUpShowsTheChanges) {
  TempFolder folder;
  std::string fresh;
  for (int n = 0; n < 60; ++n)
    fresh += "[Weekly " + std::to_string(n) + "]\r\nFileKey1=%Temp%\\Weekly|*.w" + std::to_string(n) + "\r\n";
  LoopbackServer server(HttpResponse(200, fresh));
  const std::wstring settings = folder / L"prisd.dat";
  settings::inifun::WriteIniValue(settings, L"Options", L"Winapp2Url", server.Url());
  settings::inifun::WriteIniValue(settings, L"Options", L"RulesCheckWeekly", L"1");
  settings::inifun::WriteIniValue(settings, L"Options", L"RulesChecked", L"2026-03-01");
  std::vector<size_t> reviewed;
  ui::MainWindowActions actions;
  actions.reviewRuleChanges = [&](HWND, const std::wstring&, const catalogue::rules::RulesDownload& download) {
    reviewed.push_back(download.changes.size());
    return false;
  };
  actions.trackPopupMenu = [](HMENU, HWND) { return 0u; };
  ui::MainWindow main(GetModuleHandleW(nullptr), folder.Path(), L"", actions);
  ASSERT_TRUE(main.Create());
  SYSTEMTIME day{2026, 3, 0, 7, 9, 0, 0, 0};
  main.SetClock([&] { return day; });
  auto tick = [&] { SendMessageW(main.Handle(), WM_TIMER, ui::MainWindow::kScheduleTimer, 0); };
  tick();  // six days after the last look
  EXPECT_EQ(settings::inifun::ReadIniValue(settings, L"Options", L"RulesChecked"), L"2026-03-01");
  day.wDay = 8;
  tick();
  EXPECT_EQ(settings::inifun::ReadIniValue(settings, L"Options", L"RulesChecked"), L"2026-03-08");
  auto queued = [&] { return main.Notifications().Dispatcher().QueuedKeys(); };
  for (int i = 0; queued().empty() && i < 3000; ++i) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    PumpAll();
  }
  ASSERT_EQ(queued(), std::vector<std::wstring>{L"New rules"});
  ExpectGone(folder / L"winapp2.ini");  // nothing is installed
  ExpectKept(folder / L"winapp2.ini.new");

  SendMessageW(main.Notifications().Host(), WM_TIMER, ui::NotificationSystem::kDispatchTimer, 0);
  ASSERT_TRUE(main.Notifications().OnScreen());
  HWND description = main.Notifications().OnScreen()->Control(ui::NotificationWindow::kDescriptionId);
  SendMessageW(description, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  SendMessageW(description, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(reviewed, std::vector<size_t>{60});
  ExpectGone(folder / L"winapp2.ini");
}
