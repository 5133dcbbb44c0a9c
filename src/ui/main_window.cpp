#include "ui/main_window.h"

#include <algorithm>

#include <commctrl.h>

#include "catalogue/catalogue.h"
#include "catalogue/running_programs.h"
#include "dialogs/about_window.h"
#include "dialogs/details_window.h"
#include "dialogs/locate_window.h"
#include "dialogs/options_window.h"
#include "dialogs/selection_window.h"
#include "engine/normal.h"
#include "engine/run_and_wait.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/messages.h"
#include "platform/window_text.h"
#include "settings/custom_list.h"
#include "settings/default_selection.h"
#include "settings/inifun.h"
#include "settings/item_flags.h"
#include "settings/last_run.h"
#include "settings/window_place.h"
#include "toolkit/dpi.h"
#include "toolkit/keyboard.h"
#include "toolkit/message_pump.h"
#include "toolkit/skin.h"
#include "ui/boss_key.h"
#include "ui/main_commands.h"
#include "ui/main_layout.h"

namespace ui {

namespace {

constexpr wchar_t kClassName[] = L"TrellwipeMainWindow";
constexpr UINT kLinkId = 201;

// The separate programs the main window starts from its program folder; without one, its image and
// menu entry are shown disabled with the reason.
struct Tool {
  UINT command;
  const wchar_t* file;
  const wchar_t* missing;
};
constexpr Tool kTools[] = {
    {kCleanRegistryCommand, L"\\Keysweep.exe", L"The registry cleaner (Keysweep.exe) is not part of this installation."},
    {kFileShredderCommand, L"\\Papermill.exe", L"The shredder (Papermill.exe) is not part of this installation."},
};
// Posted by the first activation: the start-up run begins once activation has been handled.
constexpr UINT kStartupRunMessage = WM_APP + 2;
constexpr UINT kShutdownRunMessage = WM_APP + 3;
constexpr wchar_t kFirstCleaningTitle[] = L"The first cleaning";

constexpr wchar_t kHomeText[] =
    L"Ensure your privacy by erasing kinds of tracks from your computer.\r\n\r\n"
    L"Trellwipe lets you protect your privacy and improve your computer's performance by removing unwanted "
    L"information and files. One click erases what your browsers, Windows and your programs keep about what "
    L"you did, and nothing else: you choose every kind of trace in the cleaning settings.";

constexpr wchar_t kHomeLists[] =
    L"Using this program, you can clean and remove:\r\n"
    L"    \x2022 the caches, cookies, histories and typed addresses of your browsers\r\n"
    L"    \x2022 Windows recent-document lists, run history, temporary folders and the recycle bin\r\n"
    L"    \x2022 the recent-file lists of Microsoft Office and other programs\r\n"
    L"    \x2022 messenger and e-mail traces\r\n"
    L"    \x2022 files and folders of your own choice, and the targets of plug-ins\r\n\r\n"
    L"You also can:\r\n"
    L"    \x2022 keep the cookies and typed addresses you want to keep\r\n"
    L"    \x2022 clean on a weekly schedule or when Windows starts\r\n"
    L"    \x2022 search for files by name and erase them\r\n"
    L"    \x2022 hide browser and folder windows at once with the boss key (Windows key + Z)";

UINT TrackAtPointer(HMENU popup, HWND owner) {
  POINT point;
  GetCursorPos(&point);
  UINT command = static_cast<UINT>(TrackPopupMenu(popup, TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, point.x,
                                                  point.y, 0, owner, nullptr));
  // Lets the menu close when the user clicks elsewhere next time.
  PostMessageW(owner, WM_NULL, 0, 0);
  return command;
}

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

}  // namespace

MainWindowActions DefaultActions() {
  MainWindowActions actions;
  actions.openSettings = settings::ShowCleaningSettings;
  actions.openOptions = [](HWND owner, HWND mainWindow, const std::wstring& programFolder) {
    return settings::ShowOptions(owner, programFolder, BossKeySwitchOf(mainWindow));
  };
  actions.openFileSearch = filesearch::ShowFileSearch;
  actions.openAbout = [](HWND owner) { ShowAbout(owner); };
  actions.startProgram = [](const std::wstring& commandLine) { engine::StartProcess(commandLine, SW_SHOWNORMAL); };
  actions.openWithShell = normal::OpenWithShell;
  actions.trackPopupMenu = TrackAtPointer;
  actions.runningPrograms = [](const std::wstring& programFolder) {
    return catalogue::RunningProgramsWithItemsOn(programFolder);
  };
  actions.showDetails = ShowDetails;
  actions.reviewRuleChanges = settings::ReviewRuleChanges;
  actions.blockShutdown = [](HWND owner, const std::wstring& reason) { ShutdownBlockReasonCreate(owner, reason.c_str()); };
  actions.unblockShutdown = [](HWND owner) { ShutdownBlockReasonDestroy(owner); };
  actions.requestShutdown = platform::RequestShutdown;
  return actions;
}

MainWindow::MainWindow(HINSTANCE instance, std::wstring programFolder, std::wstring commandLine,
                       MainWindowActions actions)
    : instance_(instance),
      programFolder_(std::move(programFolder)),
      commandLine_(std::move(commandLine)),
      actions_(std::move(actions)) {
  if (!actions_.showDetails) actions_.showDetails = ShowDetails;
}

MainWindow::~MainWindow() {
  notifications_.reset();
  tray_.Remove();
  if (hwnd_) DestroyWindow(hwnd_);
}

bool MainWindow::Create() {
  INITCOMMONCONTROLSEX controls = {sizeof(controls),
                                   ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES | ICC_LINK_CLASS};
  InitCommonControlsEx(&controls);
  HICON icon = LoadIconW(instance_, MAKEINTRESOURCEW(1));
  toolkit::RegisterWindowClass({kClassName, toolkit::ObjectProcedure<MainWindow>, instance_, IDC_ARROW,
                                reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                                icon ? icon : LoadIconW(nullptr, IDI_APPLICATION)});

  if (!CreateWindowExW(0, kClassName, toolkit::kMainCaption, WS_OVERLAPPEDWINDOW,
                       CW_USEDEFAULT, CW_USEDEFAULT, MainWindowSize(toolkit::kDesignDpi).cx, MainWindowSize(toolkit::kDesignDpi).cy,
                       nullptr, CreateMainMenu(), instance_, this)) {
    return false;
  }
  dpi_ = toolkit::WindowDpi(hwnd_);
  if (dpi_ != toolkit::kDesignDpi) {
    SIZE size = MainWindowSize(dpi_);
    SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  RestorePlace();
  toolkit::RegisterDialogKeys(hwnd_);
  accelerators_ = CreateMainAccelerators();
  trayMenu_ = CreateTrayMenu();
  CreateControls();

  notifications_ = std::make_unique<NotificationSystem>(instance_,
                                                        [this](const std::wstring& key) { NotificationClicked(key); });
  ApplySkin();
  ShowPage(Page::Home);
  // The folder and version values the catalogue reads are computed here, once.
  run_ = std::make_unique<run::CleanRun>(*this, programFolder_, run::ComputeProcessValues(), catalogue::Stages());
  const std::wstring settingsFile = settings::SettingsFile(programFolder_);
  schedule_ = settings::LoadSchedule(settingsFile);
  SetTimer(hwnd_, kScheduleTimer, 30000, nullptr);
  WatchBrowsers();
  settings::LastRun last = settings::LoadLastRun(settingsFile);
  run_->Counters() = {last.cleanedKeys, last.releasedBytes};
  ShowStatistics(last.lastClean, settings::TotalsText(last.cleanedKeys, last.releasedBytes));
  tray_.Add(hwnd_, reinterpret_cast<HICON>(GetClassLongPtrW(hwnd_, GCLP_HICON)), L"Trellwipe");
  if (inifun::FlagTest(inifun::ReadIniValue(settingsFile, L"Options", L"bosskey"))) {
    ArmBossKey(hwnd_, settings::BossKeyLetter(inifun::ReadIniValue(settingsFile, L"Options", L"bosskeyletter")));
  }
  return true;
}

HWND MainWindow::AddControl(const wchar_t* className, const wchar_t* text, DWORD style, UINT id, DWORD exStyle) {
  HWND control = CreateWindowExW(exStyle, className, text, WS_CHILD | style, 0, 0, 0, 0, hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), instance_, nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  return control;
}

void MainWindow::CreateControls() {
  MakeFonts();
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);

  navigation_.Create(hwnd_, instance_);
  navigation_.SetDpi(dpi_);
  MarkMissingTools();
  SendMessageW(navigation_.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);

  homeTitle_ = AddControl(L"STATIC", L"Trellwipe", SS_LEFT);
  SendMessageW(homeTitle_, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.get()), FALSE);
  homeText_ = AddControl(L"STATIC", kHomeText, SS_LEFT);
  homeLists_ = AddControl(L"STATIC", kHomeLists, SS_LEFT);
  homePage_ = {homeTitle_, homeText_, homeLists_};

  // The frame's mnemonic leads to the result list, the next control.
  frame_ = AddControl(L"BUTTON", L"St&atus", BS_GROUPBOX);
  list_ = AddControl(WC_LISTVIEWW, L"", WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_NOSORTHEADER, 0,
                     WS_EX_CLIENTEDGE);
  ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT);
  toolkit::KeepReturnKey(list_);
  const wchar_t* headers[kResultColumns] = {L"Item", L"State", L"Files", L"Size", L"Left behind"};
  for (int i = 0; i < kResultColumns; ++i) {
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    // Figures line up on the right.
    column.fmt = i >= 2 ? LVCFMT_RIGHT : LVCFMT_LEFT;
    column.pszText = const_cast<wchar_t*>(headers[i]);
    column.cx = ResultColumnWidth(i, dpi_);
    ListView_InsertColumn(list_, i, &column);
  }
  progress_ = AddControl(PROGRESS_CLASSW, L"", 0);
  SendMessageW(progress_, PBM_SETRANGE32, 0, 100);
  status_ = AddControl(L"STATIC", L"", SS_LEFTNOWORDWRAP | SS_ENDELLIPSIS);
  // Created in the order they read from left to right, which is the order Tab visits them.
  cancel_ = AddControl(L"BUTTON", L"&Cancel", WS_TABSTOP | BS_PUSHBUTTON, kCancelCommand);
  preview_ = AddControl(L"BUTTON", L"&Preview", WS_TABSTOP | BS_PUSHBUTTON, kPreviewCommand);
  start_ = AddControl(L"BUTTON", L"&Start Cleaning >>", WS_TABSTOP | BS_DEFPUSHBUTTON, kStartCleaningCommand);
  statusPage_ = {frame_, list_, progress_, status_, start_, cancel_, preview_};

  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, instance_, nullptr);
  TTTOOLINFOW tool = {};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = hwnd_;
  tool.uId = reinterpret_cast<UINT_PTR>(start_);
  tool.lpszText = const_cast<wchar_t*>(
      L"Close your browsers and other programs first: files that are in use cannot be erased.");
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));

  lastClean_ = AddControl(L"STATIC", L"", WS_VISIBLE | SS_LEFTNOWORDWRAP);
  totals_ = AddControl(L"STATIC", L"", WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_ENDELLIPSIS);
  // The link control clips a link to the advance of its letters, and the last "b" reaches past it;
  // the no-break space at the end gives it that room.
  link_ = AddControl(WC_LINK, L"<a>Trellwipe on the web\u00A0</a>", WS_VISIBLE | WS_TABSTOP, kLinkId);
  Layout();
}

void MainWindow::MakeFonts() {
  LOGFONTW message = toolkit::MessageFont(dpi_);
  font_.reset(CreateFontIndirectW(&message));
  LOGFONTW title = message;
  title.lfHeight = title.lfHeight * 2;
  title.lfWeight = FW_BOLD;
  titleFont_.reset(CreateFontIndirectW(&title));
}

void MainWindow::Layout() {
  RECT client;
  GetClientRect(hwnd_, &client);
  const MainLayout layout = LayOutMainWindow({client.right, client.bottom}, dpi_);
  const std::pair<HWND, const RECT&> places[] = {
      {navigation_.Handle(), layout.navigation}, {homeTitle_, layout.homeTitle}, {homeText_, layout.homeText},
      {homeLists_, layout.homeLists},           {frame_, layout.frame},         {list_, layout.list},
      {progress_, layout.progress},             {status_, layout.status},       {cancel_, layout.cancel},
      {preview_, layout.preview},               {start_, layout.start},         {lastClean_, layout.lastClean},
      {totals_, layout.totals},                 {link_, layout.link}};
  for (const auto& [control, rect] : places) {
    MoveWindow(control, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
  }
  // The state column, which holds the longest texts, takes what the list has beyond the others and
  // the scroll bar that a long run brings, so that the list never scrolls sideways.
  RECT list;
  GetClientRect(list_, &list);
  if (!(GetWindowLongW(list_, GWL_STYLE) & WS_VSCROLL)) {
    list.right -= MulDiv(GetSystemMetrics(SM_CXVSCROLL), static_cast<int>(dpi_), static_cast<int>(toolkit::SystemDpi()));
  }
  int others = 0;
  for (int column = 0; column < kResultColumns; ++column) {
    if (column == 1) continue;
    ListView_SetColumnWidth(list_, column, ResultColumnWidth(column, dpi_));
    others += ResultColumnWidth(column, dpi_);
  }
  ListView_SetColumnWidth(list_, 1, std::max<int>(ResultColumnWidth(1, dpi_), list.right - others));
}

void MainWindow::RestorePlace() {
  std::optional<settings::WindowPlace> place = settings::LoadWindowPlace(settings::SettingsFile(programFolder_));
  // A place on a screen that is gone (a second monitor unplugged) would put the window out of reach.
  if (!place || !MonitorFromRect(&place->normal, MONITOR_DEFAULTTONULL)) return;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  GetWindowPlacement(hwnd_, &placement);
  placement.rcNormalPosition = place->normal;
  placement.showCmd = SW_HIDE;
  SetWindowPlacement(hwnd_, &placement);
  showMaximised_ = place->maximised;
}

void MainWindow::SavePlace() {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  if (!hwnd_ || !GetWindowPlacement(hwnd_, &placement)) return;
  bool maximised = placement.showCmd == SW_SHOWMAXIMIZED || (placement.flags & WPF_RESTORETOMAXIMIZED);
  settings::SaveWindowPlace(settings::SettingsFile(programFolder_), {placement.rcNormalPosition, maximised});
}

void MainWindow::ChangeDpi(UINT dpi) {
  dpi_ = dpi;
  // The controls let go of the old fonts before they are deleted.
  platform::Font oldFont = std::move(font_), oldTitleFont = std::move(titleFont_);
  MakeFonts();
  EnumChildWindows(
      hwnd_,
      [](HWND child, LPARAM font) {
        SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(font_.get()));
  navigation_.SetDpi(dpi_);
  // The skin's font is sized for the old DPI too.
  ApplySkin();
  Layout();
}

void MainWindow::ApplySkin() {
  toolkit::ApplySkinFile(hwnd_, programFolder_);
  // The skin gives every control its font; the title keeps its own large bold one.
  SendMessageW(homeTitle_, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.get()), TRUE);
  // The link measures its lines when it gets its text, not when it gets a font: measured again in the
  // skin's font, its descenders are no longer cut.
  SetWindowTextW(link_, platform::WindowText(link_).c_str());
}

void MainWindow::ShowPage(Page page) {
  page_ = page;
  for (HWND control : homePage_) ShowWindow(control, page == Page::Home ? SW_SHOW : SW_HIDE);
  for (HWND control : statusPage_) ShowWindow(control, page == Page::Status ? SW_SHOW : SW_HIDE);
}

bool MainWindow::TranslateShortcut(MSG& message) {
  return hwnd_ && accelerators_ && TranslateAcceleratorW(hwnd_, accelerators_.get(), &message);
}

LRESULT MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == TaskbarCreatedMessage()) {
    tray_.Restore();
    return 0;
  }
  if (message == settings::RulesDownloadTask::Message()) {
    RulesChecked(wParam);
    return 0;
  }
  if (focus_.Handle(hwnd_, message, wParam, lParam)) return 0;
  switch (message) {
    case WM_HOTKEY:
      BossKeyMessage(message, wParam, lParam);
      break;
    case WM_TIMER:
      if (wParam == kScheduleTimer) CheckSchedule();
      if (wParam == kBrowserTimer) TickBrowserWatch();
      return 0;
    case kBrowserWatchMessage:
      TickBrowserWatch();
      return 0;
    case WM_COMMAND:
      if (lParam == 0 || HIWORD(wParam) == BN_CLICKED || reinterpret_cast<HWND>(lParam) == navigation_.Handle()) {
        Execute(LOWORD(wParam));
      }
      return 0;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->hwndFrom == link_ && (header->code == NM_CLICK || header->code == NM_RETURN)) {
        actions_.openWithShell(toolkit::kProductWebPage);
      } else if (header->hwndFrom == list_ && header->code == NM_DBLCLK) {
        ShowRowDetails(reinterpret_cast<NMITEMACTIVATE*>(lParam)->iItem);
      } else if (header->hwndFrom == list_ && header->code == LVN_KEYDOWN &&
                 reinterpret_cast<NMLVKEYDOWN*>(lParam)->wVKey == VK_RETURN) {
        ShowRowDetails(ListView_GetNextItem(list_, -1, LVNI_SELECTED));
      }
      return 0;
    }
    case TrayIcon::kCallbackMessage:
      TrayEvent(lParam);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) FirstActivation();
      break;
    case WM_SETCURSOR:
      // Asked at every mouse move: one SetCursor call would last only until the next one.
      if (!busy_ || LOWORD(lParam) != HTCLIENT) break;
      SetCursor(LoadCursorW(nullptr, IDC_WAIT));
      return TRUE;
    case WM_GETFONT:
      // The skin sizes its font from the window's, which follows the DPI.
      return reinterpret_cast<LRESULT>(font_.get());
    case DM_GETDEFID:
      // Enter starts the cleaning where its button shows; on the home page it does nothing.
      return page_ == Page::Status ? toolkit::DefaultButtonReply(kStartCleaningCommand) : 0;
    case WM_DPICHANGED:
      // The least size the window may take is the new DPI's already while it moves to the new rectangle.
      dpi_ = HIWORD(wParam) ? HIWORD(wParam) : toolkit::kDesignDpi;
      ChangeDpi(toolkit::MoveToSuggestedRect(hwnd_, wParam, lParam));
      return 0;
    case WM_SIZE:
      // Also sent while the window is made, before its controls are.
      if (!list_) return 0;
      Layout();
      // Under Wine a maximised window keeps, where its controls were, what they drew before: the
      // whole window is painted again.
      RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      return 0;
    case WM_GETMINMAXINFO: {
      // Never more than the screen allows: a window at 200 % on a small screen is as large as it can be.
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      const SIZE least = MainWindowSize(dpi_);
      limits->ptMinTrackSize = {std::min(least.cx, limits->ptMaxTrackSize.x), std::min(least.cy, limits->ptMaxTrackSize.y)};
      return 0;
    }
    case kStartupRunMessage:
      Clean(run::RunEnd::Notification);
      return 0;
    case kShutdownRunMessage:
      CleanBeforeShutdown();
      return 0;
    case WM_QUERYENDSESSION:
      return QueryEndSession() ? TRUE : FALSE;
    case WM_ENDSESSION:
      if (wParam) EndSession();
      return 0;
    case WM_CLOSE:
      // Closing only sends the window to the tray; Exit ends the program.
      SavePlace();
      ShowWindow(hwnd_, SW_MINIMIZE);
      ShowWindow(hwnd_, SW_HIDE);
      return 0;
    case WM_DESTROY:
      toolkit::UnregisterDialogKeys(hwnd_);
      DisarmBossKey(hwnd_);
      tray_.Remove();
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void MainWindow::Execute(UINT command) {
  switch (command) {
    case kCleanNowCommand:
      ShowPage(Page::Status);
      CleanAttended();
      break;
    case kStartCleaningCommand:
      CleanAttended();
      break;
    case kPreviewCommand:
      Preview();
      break;
    case kTrayCleanNowCommand:
      if (Clean(run::RunEnd::Notification) && hwnd_) ShowWindow(hwnd_, SW_HIDE);
      break;
    case kTrayCleanShutdownCommand:
      CleanThenShutDown();
      break;
    case kCancelCommand:
      run_->Stop(run::StopReason::User);
      break;
    case kCleanSettingsCommand:
      actions_.openSettings(hwnd_, programFolder_);
      break;
    case kCleanOptionsCommand:
      if (actions_.openOptions(hwnd_, hwnd_, programFolder_)) {
        schedule_ = settings::LoadSchedule(settings::SettingsFile(programFolder_));
        WatchBrowsers();
      }
      break;
    case kSearchEraseCommand:
      actions_.openFileSearch(hwnd_, programFolder_);
      break;
    case kAboutCommand:
      actions_.openAbout(hwnd_);
      break;
    case kCleanRegistryCommand:
    case kFileShredderCommand:
      StartTool(command);
      break;
    case kHelpCommand:
      OpenHelp();
      break;
    case kWebsiteCommand:
      actions_.openWithShell(toolkit::kProductWebPage);
      break;
    case kTellFriendCommand:
      actions_.openWithShell(L"mailto:");
      break;
    case kRestoreCommand:
      Restore();
      break;
    case kShowHomeCommand:
      ShowPage(Page::Home);
      break;
    case kShowStatusCommand:
      ShowPage(Page::Status);
      break;
    case kExitCommand:
      ExitProgram();
      break;
  }
}

bool MainWindow::ConfirmFirstCleaning() {
  if (run_->Running() || !settings::SelectionUnsaved(settings::SettingsFile(programFolder_))) return true;
  engine::RunReport report;
  SetBusyCursor(true);
  bool done = run_->Preview(report);
  SetBusyCursor(false);
  if (!done || report.stopped) return false;
  std::wstring text = L"This first cleaning uses the selection Trellwipe ticked for you. It is about to erase " +
                      engine::ErasureSummary(report.Totals()) + L", in these items:";
  for (const engine::ItemReport& item : report.items) text += L"\r\n    " + item.label;
  text += L"\r\n\r\nClean erases them now, Preview lists every file and key first, Cancel cleans nothing.";
  enum Choice { kClean, kPreview };
  int choice = platform::Choose(hwnd_, text, kFirstCleaningTitle, {L"Clean", L"Preview", L"Cancel"});
  if (choice == kPreview) Preview();
  return choice == kClean;
}

void MainWindow::CleanAttended() {
  if (!ConfirmFirstCleaning()) return;
  // Unattended runs do not ask; what such programs keep locked shows in the run's results.
  if (actions_.runningPrograms && !run_->Running()) {
    std::vector<std::wstring> running = actions_.runningPrograms(programFolder_);
    if (!running.empty() && platform::ShowMessage(hwnd_, catalogue::RunningProgramsQuestion(running),
                                                  catalogue::kRunningProgramsTitle, MB_YESNO | MB_ICONWARNING) != IDYES) {
      return;
    }
  }
  Clean(run::RunEnd::MessageBox);
}

bool MainWindow::Clean(run::RunEnd end) {
  bool ran = run_->CleanNow(end);
  if (ran && exitPending_) ExitProgram();
  return ran;
}

bool MainWindow::QueryEndSession() {
  if (shutdownRun_) return false;
  bool cleanFirst = !shutdownCleaned_ && !run_->Running() &&
                    inifun::FlagTest(inifun::ReadIniValue(settings::SettingsFile(programFolder_), L"Options",
                                                          L"WindowsShutdown")) &&
                    !settings::SelectionUnsaved(settings::SettingsFile(programFolder_));
  if (cleanFirst) {
    // The answer must come at once; the cleaning starts from the message loop.
    shutdownRun_ = true;
    if (actions_.blockShutdown) actions_.blockShutdown(hwnd_, kShutdownReason);
    PostMessageW(hwnd_, kShutdownRunMessage, 0, 0);
    return false;
  }
  if (run_->Running()) {
    run_->Stop(run::StopReason::Ending);
    exitPending_ = true;
  }
  return true;
}

// The session ends: this process may be ended as soon as the message is answered, so what a run
// under way has done is saved now, and the icon leaves the notification area.
void MainWindow::EndSession() {
  if (run_->Running()) {
    run_->Stop(run::StopReason::Ending);
    run_->SaveTotalsSoFar();
    exitPending_ = true;
    tray_.Remove();
    return;
  }
  ExitProgram();
}

void MainWindow::CleanBeforeShutdown() {
  Clean(run::RunEnd::Silent);
  shutdownRun_ = false;
  shutdownCleaned_ = true;
  if (hwnd_ && actions_.unblockShutdown) actions_.unblockShutdown(hwnd_);
  // Windows goes on with the end of the session once the program has ended.
  if (hwnd_) ExitProgram();
}

void MainWindow::CleanThenShutDown() {
  if (!Clean(run::RunEnd::Notification) || !hwnd_ || run_->Stopped() != run::StopReason::None) return;
  ShowWindow(hwnd_, SW_HIDE);
  DWORD error = actions_.requestShutdown ? actions_.requestShutdown() : ERROR_NOT_SUPPORTED;
  if (error != ERROR_SUCCESS) {
    platform::ShowMessage(hwnd_, platform::ShutdownRefusedText(error), L"Trellwipe", MB_OK | MB_ICONWARNING);
  }
}

void MainWindow::TrayEvent(LPARAM event) {
  if (event == WM_LBUTTONUP) {
    Restore();
  } else if (event == WM_RBUTTONUP) {
    SetForegroundWindow(hwnd_);
    if (UINT command = actions_.trackPopupMenu(TrayPopup(), hwnd_)) Execute(command);
  }
}

void MainWindow::Restore() {
  ShowWindow(hwnd_, SW_SHOW);
  ShowWindow(hwnd_, SW_RESTORE);
}

void MainWindow::ShowAfterSplash() {
  if (commandLine_ == L"min") {
    FirstActivation();
    return;
  }
  ShowWindow(hwnd_, SW_SHOW);
}

void MainWindow::FirstActivation() {
  // Exactly "min", the argument of the Windows Run entry; the comparison is case-sensitive.
  if (commandLine_ != L"min") return;
  ShowWindow(hwnd_, SW_HIDE);
  commandLine_.clear();
  if (inifun::FlagTest(inifun::ReadIniValue(settings::SettingsFile(programFolder_), L"Options", L"WindowsStartup")) &&
      !settings::SelectionUnsaved(settings::SettingsFile(programFolder_))) {
    PostMessageW(hwnd_, kStartupRunMessage, 0, 0);
  }
}

void MainWindow::StartTool(UINT command) {
  for (const Tool& tool : kTools) {
    std::wstring program = programFolder_ + tool.file;
    if (tool.command == command && platform::FileExists(program)) actions_.startProgram(Quoted(program));
  }
}

void MainWindow::MarkMissingTools() {
  for (const Tool& tool : kTools) {
    if (platform::FileExists(programFolder_ + tool.file)) continue;
    navigation_.SetUnavailable(tool.command, tool.missing);
    EnableMenuItem(GetMenu(hwnd_), tool.command, MF_BYCOMMAND | MF_GRAYED);
  }
}

void MainWindow::OpenHelp() {
  std::wstring viewer = run_->Values().windowsFolder + L"\\hh.exe";
  std::wstring help = programFolder_ + L"\\help.chm";
  if (platform::FileExists(viewer) && platform::FileExists(help)) {
    actions_.startProgram(Quoted(viewer) + L" " + Quoted(help));
    return;
  }
  // The help shipped as a web page, opened in the default browser, when there is no compiled help.
  std::wstring page = programFolder_ + L"\\help\\index.html";
  if (platform::FileExists(page)) actions_.openWithShell(page);
}

void MainWindow::CheckSchedule() {
  SYSTEMTIME now;
  if (clock_) {
    now = clock_();
  } else {
    GetLocalTime(&now);
  }
  CheckRules(now);
  if (!scheduleCheck_.Due(schedule_, now) || settings::SelectionUnsaved(settings::SettingsFile(programFolder_))) return;
  // A tick that arrives while a run is under way is refused by the run itself.
  if (Clean(run::RunEnd::Notification) && hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

// The day is noted when the look starts: without a network it waits for the next week, not the next tick.
void MainWindow::CheckRules(const SYSTEMTIME& today) {
  if (rulesCheck_ || !settings::RulesCheckDue(programFolder_, today)) return;
  settings::NoteRulesChecked(programFolder_, today);
  rulesCheck_ = std::make_unique<settings::RulesDownloadTask>(hwnd_, programFolder_, rules::CommunityAddress(programFolder_),
                                                              actions_.rulesDownloadLimits);
}

void MainWindow::RulesChecked(WPARAM what) {
  if (what != settings::RulesDownloadTask::kFinished || !rulesCheck_ || !rulesCheck_->Finished()) return;
  const rules::RulesDownload download = rulesCheck_->Result();
  rulesCheck_.reset();
  if (!download.pending) return;
  run::NotificationRequest request;
  request.key = kNewRulesNotification;
  request.title = L"New rules";
  request.description = L"A new winapp2.ini was downloaded: " + rules::ChangeSummary(download.changes) +
                        L". Click here to look at it; nothing changes until you press \"Use the new rules\".";
  request.enableClickEvent = true;
  notifications_->Queue(request);
}

void MainWindow::NotificationClicked(const std::wstring& key) {
  if (key != kNewRulesNotification) {
    ShowInformation(L"Trellwipe", NotificationClickMessage(key, L"Trellwipe"));
    return;
  }
  // The copy waits, installed only from the window that shows its changes.
  rules::RulesDownload pending = rules::PendingRules(programFolder_);
  if (pending.pending && actions_.reviewRuleChanges) actions_.reviewRuleChanges(hwnd_, programFolder_, pending);
}

void MainWindow::WatchBrowsers() {
  browserWatch_.reset();
  if (hwnd_) KillTimer(hwnd_, kBrowserTimer);
  std::vector<const catalogue::ClosingBrowser*> browsers =
      catalogue::BrowsersCleanedOnClose(programFolder_, run_->Values());
  if (browsers.empty()) return;
  catalogue::CloseHooks hooks;
  hooks.released = [this](const catalogue::ClosingBrowser& browser) {
    return catalogue::FilesReleased(browser, run_->Values());
  };
  hooks.clean = [this](const catalogue::ClosingBrowser& browser) { return CleanClosedBrowser(browser); };
  hooks.wake = [window = hwnd_] { PostMessageW(window, kBrowserWatchMessage, 0, 0); };
  browserWatch_ = std::make_unique<catalogue::BrowserCloseWatch>(std::move(browsers), std::move(hooks), closeTiming_);
}

void MainWindow::TickBrowserWatch() {
  if (!browserWatch_ || !hwnd_) return;
  browserWatch_->Tick();
  // The window may have gone with an exit after that cleaning.
  if (!hwnd_ || !browserWatch_) return;
  if (browserWatch_->Waiting()) {
    SetTimer(hwnd_, kBrowserTimer, static_cast<UINT>(browserWatch_->Timing().retry.count()), nullptr);
  } else {
    KillTimer(hwnd_, kBrowserTimer);
  }
}

bool MainWindow::CleanClosedBrowser(const catalogue::ClosingBrowser& browser) {
  if (run_->Running()) return false;
  // As at a scheduled time: a new user's selection is not cleaned before it was looked at and saved.
  if (settings::SelectionUnsaved(settings::SettingsFile(programFolder_))) return true;
  std::vector<catalogue::ItemName> items = catalogue::TickedItemsOf(browser, programFolder_);
  if (items.empty()) return true;
  const bool shown = IsWindowVisible(hwnd_);
  if (!run_->CleanOnly(catalogue::ChoiceOf(std::move(items)), run::RunEnd::Notification)) return false;
  if (exitPending_) {
    ExitProgram();
  } else if (hwnd_ && !shown) {
    // The end of the run shows the window; one that waited in the notification area goes back there.
    ShowWindow(hwnd_, SW_HIDE);
  }
  return true;
}

void MainWindow::Preview() {
  ShowPage(Page::Status);
  SetBusyCursor(true);
  engine::RunReport report;
  bool done = run_->Preview(report);
  SetBusyCursor(false);
  // Refused while a run is under way: its rows stay.
  if (!done) return;
  if (exitPending_) {
    ExitProgram();
    return;
  }
  ClearRows();
  AddPreviewRows(report);
  engine::ReportTotals totals = report.Totals();
  SetStatusLine((report.stopped ? L"Preview stopped: " : L"Preview: ") + std::to_wstring(report.items.size()) +
                L" items, " + std::to_wstring(totals.files) +
                L" files, " + platform::Megabytes(totals.bytes) + L" MB, " +
                std::to_wstring(totals.registryEntries) + L" registry entries. Nothing was erased." +
                engine::TooNewSummary(totals));
  previewReport_ = std::move(report);
  previewShown_ = true;
}

// One row per item; in a preview of every user, each user's rows between a row naming the user and a
// row of the user's totals, as a cleaning shows them.
void MainWindow::AddPreviewRows(const engine::RunReport& report) {
  auto addItems = [&](size_t first, size_t end) {
    for (size_t i = first; i < end; ++i) {
      const engine::ItemReport& item = report.items[i];
      AddRow(item.label);
      SetRowState(item.lookedFor.empty() ? engine::CountsText(item) : item.outcome);
      SetRowFigures(item);
    }
  };
  if (report.onlyCurrentUser) AddNoteRow(engine::kOnlyCurrentUser);
  if (report.users.empty()) addItems(0, report.items.size());
  for (const engine::UserGroup& group : report.users) {
    AddNoteRow(engine::UserGroupTitle(group));
    addItems(group.first, group.end);
    AddNoteRow(engine::UserGroupTotals(report, group));
  }
}

void MainWindow::ShowRowDetails(int row) {
  const engine::RunReport& report = previewShown_ ? previewReport_ : run_->LastReport();
  // A note row has no details; the item rows after one are further down by one row each.
  if (std::find(noteRows_.begin(), noteRows_.end(), row) != noteRows_.end()) return;
  row -= static_cast<int>(std::count_if(noteRows_.begin(), noteRows_.end(), [&](int note) { return note < row; }));
  // The final row of a run and rows of an earlier run have no details.
  if (row < 0 || row >= static_cast<int>(report.items.size()) || run_->Running()) return;
  const engine::ItemReport& item = report.items[row];
  actions_.showDetails(hwnd_, item.label + (report.preview ? L" - Preview" : L" - Result"), item, report.preview,
                       programFolder_);
}

void MainWindow::ShowStatusPage() { ShowPage(Page::Status); }

void MainWindow::SetBusyCursor(bool busy) {
  busy_ = busy;
  SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

void MainWindow::EnableStartButton(bool enabled) { EnableWindow(start_, enabled); }

void MainWindow::ClearRows() {
  ListView_DeleteAllItems(list_);
  currentRow_ = -1;
  noteRows_.clear();
  previewShown_ = false;
  UpdateWindow(list_);
}

void MainWindow::AddRow(const std::wstring& label) {
  LVITEMW item = {};
  item.mask = LVIF_TEXT;
  item.iItem = ListView_GetItemCount(list_);
  item.pszText = const_cast<wchar_t*>(label.c_str());
  currentRow_ = ListView_InsertItem(list_, &item);
  ListView_EnsureVisible(list_, currentRow_, FALSE);
}

void MainWindow::AddNoteRow(const std::wstring& text) {
  AddRow(text);
  noteRows_.push_back(currentRow_);
}

void MainWindow::SetRowState(const std::wstring& text) {
  if (currentRow_ < 0) return;
  ListView_SetItemText(list_, currentRow_, 1, const_cast<wchar_t*>(text.c_str()));
}

void MainWindow::SetRowFigures(const engine::ItemReport& item) {
  if (currentRow_ < 0) return;
  const std::wstring figures[] = {std::to_wstring(item.files.size()), platform::Megabytes(item.Bytes()) + L" MB",
                                  std::to_wstring(item.leftBehind.size())};
  for (int i = 0; i < 3; ++i) ListView_SetItemText(list_, currentRow_, 2 + i, const_cast<wchar_t*>(figures[i].c_str()));
}

void MainWindow::SetProgress(int value) { SendMessageW(progress_, PBM_SETPOS, value, 0); }

void MainWindow::SetStatusLine(const std::wstring& text) { SetWindowTextW(status_, text.c_str()); }

void MainWindow::PumpMessages() {
  toolkit::PumpWaitingMessages([this](MSG& message) { return TranslateShortcut(message); });
}

void MainWindow::FocusMainWindow() { SetFocus(hwnd_); }

void MainWindow::ShowInformation(const std::wstring& title, const std::wstring& text) {
  platform::ShowMessage(hwnd_, text, title, MB_OK | MB_ICONINFORMATION);
}

void MainWindow::QueueNotification(const run::NotificationRequest& request) { notifications_->Queue(request); }

void MainWindow::ShowStatistics(const std::wstring& lastClean, const std::wstring& totals) {
  SetWindowTextW(lastClean_, lastClean.c_str());
  SetWindowTextW(totals_, totals.c_str());
}

void MainWindow::ShowMainWindow() {
  if (!hwnd_) return;
  ShowWindow(hwnd_, showMaximised_ ? SW_SHOWMAXIMIZED : SW_SHOW);
  showMaximised_ = false;
}

void MainWindow::ExitProgram() {
  if (run_->Running()) {
    // The run unwinds first: it saves what went, then Clean carries the exit out.
    run_->Stop(run::StopReason::Ending);
    exitPending_ = true;
    return;
  }
  exitPending_ = false;
  SavePlace();
  if (beforeExit_) beforeExit_();
  if (hwnd_) DisarmBossKey(hwnd_);
  tray_.Remove();
  if (hwnd_) DestroyWindow(hwnd_);
  PostQuitMessage(0);
}

}  // namespace ui
