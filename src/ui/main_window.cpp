#include "ui/main_window.h"

#include <commctrl.h>

#include "catalogue/catalogue.h"
#include "catalogue/running_programs.h"
#include "dialogs/about_window.h"
#include "dialogs/details_window.h"
#include "dialogs/kept_paths_window.h"
#include "dialogs/locate_window.h"
#include "dialogs/options_window.h"
#include "dialogs/selection_window.h"
#include "engine/normal.h"
#include "engine/run_and_wait.h"
#include "platform/product_name.h"
#include "platform/translation.h"
#include "settings/inifun.h"
#include "settings/item_flags.h"
#include "settings/last_run.h"
#include "settings/policies.h"
#include "toolkit/dpi.h"
#include "toolkit/keyboard.h"
#include "toolkit/theme.h"
#include "ui/boss_key.h"
#include "ui/main_commands.h"
#include "ui/main_layout.h"

namespace ui {

namespace {

constexpr wchar_t kClassName[] = L"TrellwipeMainWindow";

UINT TrackAtPointer(HMENU popup, HWND owner) {
  POINT point;
  GetCursorPos(&point);
  UINT command = static_cast<UINT>(
      TrackPopupMenu(popup, TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, point.x, point.y, 0, owner, nullptr));
  // Lets the menu close when the user clicks elsewhere next time.
  PostMessageW(owner, WM_NULL, 0, 0);
  return command;
}

}  // namespace

MainWindowActions DefaultActions() {
  MainWindowActions actions;
  actions.openSettings = dialogs::ShowCleaningSettings;
  actions.openOptions = [](HWND owner, HWND mainWindow, const std::wstring& programFolder) {
    return dialogs::ShowOptions(owner, programFolder, BossKeySwitchOf(mainWindow));
  };
  actions.openFileSearch = dialogs::ShowFileSearch;
  actions.openKeptPaths = dialogs::ShowKeptPaths;
  actions.openAbout = [](HWND owner) { dialogs::ShowAbout(owner); };
  actions.startProgram = [](const std::wstring& commandLine) { engine::StartProcess(commandLine, SW_SHOWNORMAL); };
  actions.openWithShell = engine::normal::OpenWithShell;
  actions.trackPopupMenu = TrackAtPointer;
  actions.runningPrograms = [](const std::wstring& programFolder, const run::ProcessValues& values) {
    return catalogue::RunningProgramsWithItemsOn(programFolder, values.localAppDataFolder);
  };
  actions.showDetails = dialogs::ShowDetails;
  actions.reviewRuleChanges = dialogs::ReviewRuleChanges;
  actions.blockShutdown = [](HWND owner, const std::wstring& reason) {
    ShutdownBlockReasonCreate(owner, reason.c_str());
  };
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
  if (!actions_.showDetails) actions_.showDetails = dialogs::ShowDetails;
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

  if (!CreateWindowExW(0, kClassName, toolkit::kMainCaption, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                       MainWindowSize(toolkit::kDesignDpi).cx, MainWindowSize(toolkit::kDesignDpi).cy, nullptr,
                       CreateMainMenu(), instance_, this)) {
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

  notifications_ =
      std::make_unique<NotificationSystem>(instance_, [this](const std::wstring& key) { NotificationClicked(key); });
  ApplySkin();
  ShowPage(Page::Home);
  // The folder and version values the catalogue reads are computed here, once.
  run_ = std::make_unique<run::CleanRun>(*this, programFolder_, run::ComputeProcessValues(), catalogue::Stages());
  const std::wstring settingsFile = settings::SettingsFile(programFolder_);
  SetTimer(hwnd_, kScheduleTimer, 30000, nullptr);
  scheduleTimer_ = platform::Timer({hwnd_, kScheduleTimer});
  ReadPolicies();
  settings::LastRun last = settings::LoadLastRun(settingsFile);
  run_->Counters() = {last.cleanedKeys, last.releasedBytes};
  ShowStatistics(last.lastClean, settings::TotalsText(last.cleanedKeys, last.releasedBytes),
                 platform::Tr(run::kEstimatesTip));
  tray_.Add(hwnd_, reinterpret_cast<HICON>(GetClassLongPtrW(hwnd_, GCLP_HICON)), platform::kProductName);
  if (settings::inifun::FlagTest(settings::inifun::ReadIniValue(settingsFile, L"Options", L"bosskey"))) {
    ArmBossKey(hwnd_,
               settings::BossKeyLetter(settings::inifun::ReadIniValue(settingsFile, L"Options", L"bosskeyletter")));
  }
  return true;
}

bool MainWindow::TranslateShortcut(MSG& message) {
  return hwnd_ && accelerators_ && TranslateAcceleratorW(hwnd_, accelerators_.get(), &message);
}

LRESULT MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == TaskbarCreatedMessage()) {
    tray_.Restore();
    return 0;
  }
  if (message == dialogs::RulesDownloadTask::Message()) {
    RulesChecked(wParam);
    return 0;
  }
  if (focus_.Handle(hwnd_, message, wParam, lParam)) return 0;
  // Windows switched theme: the skin, the navigation bar and the title bar follow.
  if (toolkit::IsThemeChange(message, wParam, lParam)) ApplySkin();
  for (auto handle : {&MainWindow::HandleInput, &MainWindow::HandleSizing, &MainWindow::HandleLifecycle}) {
    if (std::optional<LRESULT> handled = (this->*handle)(message, wParam, lParam)) return *handled;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

std::optional<LRESULT> MainWindow::HandleInput(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (lParam == 0 || HIWORD(wParam) == BN_CLICKED || reinterpret_cast<HWND>(lParam) == navigation_.Handle()) {
        Execute(LOWORD(wParam));
      }
      return 0;
    case WM_NOTIFY: Notified(*reinterpret_cast<NMHDR*>(lParam)); return 0;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) != list_) return std::nullopt;
      ShowRowMenu(lParam);
      return 0;
    case TrayIcon::kCallbackMessage: TrayEvent(lParam); return 0;
    case WM_HOTKEY: BossKeyMessage(message, wParam, lParam); return std::nullopt;
    case WM_SETCURSOR:
      // Asked at every mouse move: one SetCursor call would last only until the next one.
      if (!busy_ || LOWORD(lParam) != HTCLIENT) return std::nullopt;
      SetCursor(LoadCursorW(nullptr, IDC_WAIT));
      return TRUE;
    case DM_GETDEFID:
      // Enter starts the cleaning where its button shows; on the home page it does nothing.
      return page_ == Page::Status ? toolkit::DefaultButtonReply(kStartCleaningCommand) : 0;
  }
  return std::nullopt;
}

void MainWindow::Notified(const NMHDR& header) {
  if (header.hwndFrom == link_ && (header.code == NM_CLICK || header.code == NM_RETURN)) {
    actions_.openWithShell(toolkit::kProductWebPage);
  } else if (header.hwndFrom == list_ && header.code == NM_DBLCLK) {
    ShowRowDetails(reinterpret_cast<const NMITEMACTIVATE&>(header).iItem);
  } else if (header.hwndFrom == list_ && header.code == LVN_KEYDOWN &&
             reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_RETURN) {
    ShowRowDetails(ListView_GetNextItem(list_, -1, LVNI_SELECTED));
  }
}

std::optional<LRESULT> MainWindow::HandleSizing(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETFONT:
      // The skin sizes its font from the window's, which follows the DPI.
      return reinterpret_cast<LRESULT>(font_.get());
    case WM_DPICHANGED:
      // The least size the window may take is the new DPI's already while it moves to the new rectangle.
      dpi_ = HIWORD(wParam) ? HIWORD(wParam) : toolkit::kDesignDpi;
      ChangeDpi(toolkit::MoveToSuggestedRect(hwnd_, wParam, lParam));
      return 0;
    case WM_SIZE:
      // Also sent while the window is made, before its controls are.
      if (!list_) return 0;
      if (wParam == SIZE_RESTORED) KeepLeastSize();
      Layout();
      // Under Wine a maximised window keeps, where its controls were, what they drew before: the
      // whole window is painted again.
      RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      return 0;
    case WM_GETMINMAXINFO: {
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      const SIZE least = LeastWindowSize(dpi_, limits->ptMaxTrackSize);
      limits->ptMinTrackSize = {least.cx, least.cy};
      return 0;
    }
  }
  return std::nullopt;
}

std::optional<LRESULT> MainWindow::HandleLifecycle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kScheduleTimer) CheckSchedule();
      if (wParam == kBrowserTimer) TickBrowserWatch();
      return 0;
    case kBrowserWatchMessage: TickBrowserWatch(); return 0;
    case kStartupRunMessage: Clean(run::RunEnd::Notification, run::Trigger::Start); return 0;
    case kShutdownRunMessage: CleanBeforeShutdown(); return 0;
    case WM_QUERYENDSESSION: return QueryEndSession() ? TRUE : FALSE;
    case WM_ENDSESSION:
      if (wParam) EndSession();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) FirstActivation();
      return std::nullopt;
    case WM_SETTINGCHANGE:
      // Group Policy and Intune announce a change of policy this way.
      if (lParam && wcscmp(reinterpret_cast<const wchar_t*>(lParam), L"Policy") == 0) ReadPolicies();
      return std::nullopt;
    case WM_CLOSE:
      // Closing only sends the window to the tray; Exit ends the program.
      SavePlace();
      ShowWindow(hwnd_, SW_MINIMIZE);
      ShowWindow(hwnd_, SW_HIDE);
      return 0;
    case WM_DESTROY:
      scheduleTimer_.reset();
      browserTimer_.reset();
      toolkit::UnregisterDialogKeys(hwnd_);
      DisarmBossKey(hwnd_);
      tray_.Remove();
      return std::nullopt;
  }
  return std::nullopt;
}

void MainWindow::ShowAfterSplash() {
  if (commandLine_ == L"min") {
    FirstActivation();
    return;
  }
  ShowWindow(hwnd_, SW_SHOW);
}

void MainWindow::ReadPolicies() {
  settings::ReadPoliciesInForce(actions_.policyPlace);
  schedule_ = settings::LoadSchedule(settings::SettingsFile(programFolder_));
  WatchBrowsers();
}

void MainWindow::FirstActivation() {
  // Exactly "min", the argument of the Windows Run entry; the comparison is case-sensitive.
  if (commandLine_ != L"min") return;
  ShowWindow(hwnd_, SW_HIDE);
  commandLine_.clear();
  if (settings::OptionSwitch(settings::SettingsFile(programFolder_), L"WindowsStartup") &&
      !settings::SelectionAwaitsUser(settings::SettingsFile(programFolder_))) {
    PostMessageW(hwnd_, kStartupRunMessage, 0, 0);
  }
}

void MainWindow::CheckSchedule() {
  SYSTEMTIME now;
  if (clock_) {
    now = clock_();
  } else {
    GetLocalTime(&now);
  }
  CheckRules(now);
  if (!scheduleCheck_.Due(schedule_, now) || settings::SelectionAwaitsUser(settings::SettingsFile(programFolder_)))
    return;
  // A tick that arrives while a run is under way is refused by the run itself.
  if (Clean(run::RunEnd::Notification, run::Trigger::Schedule) && hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

// The day is noted when the look starts: without a network it waits for the next week, not the next tick.
void MainWindow::CheckRules(const SYSTEMTIME& today) {
  if (rulesCheck_ || !settings::RulesCheckDue(programFolder_, today)) return;
  settings::NoteRulesChecked(programFolder_, today);
  rulesCheck_ = std::make_unique<dialogs::RulesDownloadTask>(hwnd_, programFolder_,
                                                             catalogue::rules::CommunityAddress(programFolder_),
                                                             actions_.rulesDownloadLimits);
}

void MainWindow::RulesChecked(WPARAM what) {
  if (what != dialogs::RulesDownloadTask::kFinished || !rulesCheck_ || !rulesCheck_->Finished()) return;
  const catalogue::rules::RulesDownload download = rulesCheck_->Result();
  rulesCheck_.reset();
  if (!download.pending) return;
  run::NotificationRequest request;
  request.key = kNewRulesNotification;
  request.title = platform::Tr(L"New rules");
  request.description = platform::Fill(platform::Tr(L"A new winapp2.ini was downloaded: {changes}. Click here to look "
                                                    L"at it; nothing changes until you press \"Use the new rules\"."),
                                       {{L"changes", catalogue::rules::ChangeSummary(download.changes)}});
  request.enableClickEvent = true;
  notifications_->Queue(request);
}

void MainWindow::NotificationClicked(const std::wstring& key) {
  if (key != kNewRulesNotification) {
    ShowInformation(platform::kProductName, NotificationClickMessage(key, platform::kProductName));
    return;
  }
  // The copy waits, installed only from the window that shows its changes.
  catalogue::rules::RulesDownload pending = catalogue::rules::PendingRules(programFolder_);
  if (pending.pending && actions_.reviewRuleChanges) actions_.reviewRuleChanges(hwnd_, programFolder_, pending);
}

void MainWindow::WatchBrowsers() {
  browserWatch_.reset();
  browserTimer_.reset();
  std::vector<const catalogue::ClosingBrowser*> browsers =
      catalogue::BrowsersCleanedOnClose(programFolder_, run_->Values());
  if (browsers.empty()) return;
  catalogue::CloseHooks hooks;
  hooks.released = [this](const catalogue::ClosingBrowser& browser) {
    return catalogue::FilesReleased(browser, run_->Values());
  };
  hooks.clean = [this](const catalogue::ClosingBrowser& browser) { return CleanClosedBrowser(browser); };
  hooks.wake = [window = hwnd_] { PostMessageW(window, kBrowserWatchMessage, 0, 0); };
  browserWatch_ = std::make_unique<catalogue::BrowserCloseWatch>(std::move(browsers), run_->Values().localAppDataFolder,
                                                                 std::move(hooks), closeTiming_);
}

void MainWindow::TickBrowserWatch() {
  if (!browserWatch_ || !hwnd_) return;
  browserWatch_->Tick();
  // The window may have gone with an exit after that cleaning.
  if (!hwnd_ || !browserWatch_) return;
  if (browserWatch_->Waiting()) {
    SetTimer(hwnd_, kBrowserTimer, static_cast<UINT>(browserWatch_->Timing().retry.count()), nullptr);
    if (!browserTimer_) browserTimer_ = platform::Timer({hwnd_, kBrowserTimer});
  } else {
    browserTimer_.reset();
  }
}

bool MainWindow::CleanClosedBrowser(const catalogue::ClosingBrowser& browser) {
  if (run_->Running()) return false;
  // As at a scheduled time: a new user's selection is not cleaned before it was looked at and saved.
  if (settings::SelectionAwaitsUser(settings::SettingsFile(programFolder_))) return true;
  std::vector<catalogue::ItemName> items = catalogue::TickedItemsOf(browser, programFolder_);
  if (items.empty()) return true;
  const bool shown = IsWindowVisible(hwnd_);
  if (!run_->CleanOnly(catalogue::ChoiceOf(std::move(items)), run::RunEnd::Notification, run::Trigger::BrowserClose))
    return false;
  if (exitPending_) {
    ExitProgram();
  } else if (hwnd_ && !shown) {
    // The end of the run shows the window; one that waited in the notification area goes back there.
    ShowWindow(hwnd_, SW_HIDE);
  }
  return true;
}

}  // namespace ui
