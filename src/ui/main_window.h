#pragma once
// "frmMainCode": the hub of the program. Its home and status pages, menus, navigation images, tray
// icon and statistics strip reach every other window, and its status page shows the cleaning run.
// Its code: main_window.cpp (creation, messages, the schedule and the browser watch), main_layout.cpp
// (the controls and their places), main_commands.cpp (what each command does) and main_run_view.cpp
// (the status page as a run or a preview fills it).
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/browser_close_watch.h"
#include "dialogs/rule_update_window.h"
#include "platform/handles.h"
#include "platform/shutdown.h"
#include "platform/translation.h"
#include "run/clean_run.h"
#include "run/run_view.h"
#include "settings/policies.h"
#include "settings/schedule.h"
#include "toolkit/keyboard.h"
#include "toolkit/product.h"
#include "toolkit/window_class.h"
#include "ui/main_layout.h"
#include "ui/navigation_bar.h"
#include "ui/notification_window.h"
#include "ui/tray_icon.h"

namespace ui {

// What the main window starts outside itself: other windows, programs and shell targets. Tests
// replace them so that nothing modal or external runs.
struct MainWindowActions {
  std::function<void(HWND owner, const std::wstring& programFolder)> openSettings;
  // True when the user pressed OK.
  std::function<bool(HWND owner, HWND mainWindow, const std::wstring& programFolder)> openOptions;
  std::function<void(HWND owner, const std::wstring& programFolder)> openFileSearch;
  std::function<void(HWND owner, const std::wstring& programFolder)> openKeptPaths;
  std::function<void(HWND owner)> openAbout;
  // A separate program with a normal window, not waited for.
  std::function<void(const std::wstring& commandLine)> startProgram;
  std::function<void(const std::wstring& target)> openWithShell;
  // Shows the pop-up at the pointer and returns the chosen command, 0 when none.
  std::function<UINT(HMENU popup, HWND owner)> trackPopupMenu;
  // The browsers and mail programs running now whose items are on; none when left empty.
  std::function<std::vector<std::wstring>(const std::wstring& programFolder, const run::ProcessValues& values)>
      runningPrograms;
  // The details of a result row, modal; the window's default when left empty.
  std::function<void(HWND owner, const std::wstring& title, const engine::ItemReport& item,
                     const std::vector<engine::RuleReason>& reasons, bool preview, const std::wstring& programFolder)>
      showDetails;
  // Holds the end of the Windows session with a reason the user sees, and lets it go.
  std::function<void(HWND owner, const std::wstring& reason)> blockShutdown;
  std::function<void(HWND owner)> unblockShutdown;
  // "Clean and Shut Down" after its run: 0 when Windows took the request, else the error; when left
  // empty the request counts as refused.
  platform::ShutdownRequest requestShutdown;
  // Shows what a downloaded copy of the rules changes; true when the user put it in place.
  std::function<bool(HWND owner, const std::wstring& programFolder, const catalogue::rules::RulesDownload& download)>
      reviewRuleChanges;
  platform::DownloadLimits rulesDownloadLimits;
  // Where the organisation's policies are read, at start and whenever Windows says policy changed.
  settings::PolicyPlace policyPlace;
};

// The key of the pop-up that says new rules wait to be looked at.
constexpr wchar_t kNewRulesNotification[] = L"RULES";

// The reason shown while a cleaning holds the end of the Windows session.
constexpr const wchar_t* kShutdownReason = platform::TrLater(L"Trellwipe is cleaning your traces");
MainWindowActions DefaultActions();

class MainWindow : public run::RunView {
 public:
  // Checks the schedule every 30 seconds for as long as the window lives.
  static constexpr UINT_PTR kScheduleTimer = 1;
  // Runs only while a closed browser waits for its files or its turn.
  static constexpr UINT_PTR kBrowserTimer = 2;
  // Posted by the browser watch's thread when a watched browser started or closed.
  static constexpr UINT kBrowserWatchMessage = WM_APP + 4;
  // Posted by the first activation: the start-up run begins once activation has been handled.
  static constexpr UINT kStartupRunMessage = WM_APP + 2;
  static constexpr UINT kShutdownRunMessage = WM_APP + 3;
  enum class Page { Home, Status };

  // commandLine: the program's arguments without its name ("min" when started with Windows).
  MainWindow(HINSTANCE instance, std::wstring programFolder, std::wstring commandLine = L"",
             MainWindowActions actions = DefaultActions());
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Loads the window hidden; false when the platform refused.
  bool Create();
  // The start-up window's timer: show the window, unless started with "min".
  void ShowAfterSplash();
  // Runs first in the exit sequence (the start-up window unloads itself there).
  void SetBeforeExit(std::function<void()> beforeExit) { beforeExit_ = std::move(beforeExit); }
  // How often the browsers cleaned when they close are looked at and tried (for tests).
  void SetCloseTiming(const catalogue::CloseTiming& timing) { closeTiming_ = timing; }
  // (Re)starts the watch of the browsers whose option is on; none is watched when none is.
  void WatchBrowsers();
  // Reads the policies and puts what they fix in force without a restart: the schedule, the browsers
  // watched, and what the next run cleans. A window open at the time shows them when opened again.
  void ReadPolicies();
  const catalogue::BrowserCloseWatch* BrowserWatch() const { return browserWatch_.get(); }
  // The schedule check's clock (the local time by default).
  void SetClock(std::function<SYSTEMTIME()> clock) { clock_ = std::move(clock); }
  // Lets the menu shortcuts reach the window from the program's message loop.
  bool TranslateShortcut(MSG& message);

  HWND Handle() const { return hwnd_; }
  UINT Dpi() const { return dpi_; }
  Page CurrentPage() const { return page_; }
  const std::wstring& StartupCommandLine() const { return commandLine_; }
  HWND ResultList() const { return list_; }
  HWND StartButton() const { return start_; }
  HWND CancelButton() const { return cancel_; }
  HWND PreviewButton() const { return preview_; }
  HWND Progress() const { return progress_; }
  HWND StatusLine() const { return status_; }
  HWND LastCleanLabel() const { return lastClean_; }
  HWND Statistics() const { return totals_; }
  HWND ToolTips() const { return tooltip_; }
  HWND WebLink() const { return link_; }
  const NavigationBar& Navigation() const { return navigation_; }
  const TrayIcon& Tray() const { return tray_; }
  HMENU TrayPopup() const { return GetSubMenu(trayMenu_.get(), 0); }
  const settings::Schedule& Schedule() const { return schedule_; }
  NotificationSystem& Notifications() { return *notifications_; }
  run::CleanRun& Run() { return *run_; }

  void ShowStatusPage() override;
  void SetBusyCursor(bool busy) override;
  HWND OwnerWindow() const override { return hwnd_; }
  void EnableStartCommands(bool enabled) override;
  void ClearRows() override;
  void AddRow(const std::wstring& label) override;
  void AddNoteRow(const std::wstring& text) override;
  void SetRowState(const std::wstring& text) override;
  void SetRowFigures(const engine::ItemReport& item) override;
  void SetProgress(int value) override;
  void SetStatusLine(const std::wstring& text) override;
  void AnnounceStatusLine(const std::wstring& text) override;
  void PumpMessages() override;
  void FocusMainWindow() override;
  void ShowInformation(const std::wstring& title, const std::wstring& text) override;
  void QueueNotification(const run::NotificationRequest& request) override;
  void ShowStatistics(const std::wstring& lastClean, const std::wstring& totals, const std::wstring& tip) override;
  void ShowMainWindow() override;
  // The exit sequence: the start-up window, the boss key, the tray icon, then the window; the
  // message loop ends.
  void ExitProgram() override;

 private:
  template <typename T>
  friend LRESULT CALLBACK toolkit::ObjectProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  // The messages of one concern each; none for a message they leave to DefWindowProc.
  std::optional<LRESULT> HandleInput(UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<LRESULT> HandleSizing(UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<LRESULT> HandleLifecycle(UINT message, WPARAM wParam, LPARAM lParam);
  // WM_NOTIFY: the web link opens, a row's details show on a double click or Enter.
  void Notified(const NMHDR& header);
  void CreateControls();
  HWND AddControl(RECT MainLayout::*place, const wchar_t* className, const wchar_t* text, DWORD style, UINT id = 0,
                  DWORD exStyle = 0);
  // Adds (TTM_ADDTOOLW) or changes (TTM_UPDATETIPTEXTW) the tip of a control.
  void SetTip(HWND control, const std::wstring& text, UINT message);
  void MakeFonts();
  void Layout();
  // WM_SIZE: a window manager that is not told the least size (Wine's) lets the window be dragged
  // smaller than its controls need; it takes its least size back.
  void KeepLeastSize();
  // The size and place the window had when it was last closed, or the program ended.
  void RestorePlace();
  void SavePlace();
  void ApplySkin();
  void ChangeDpi(UINT dpi);
  void ShowPage(Page page);
  void Execute(UINT command);
  // An attended run, once the user has agreed to clean while programs that hold their files run.
  void CleanAttended();
  // Before a cleaning with the selection ticked for a new user, unless the user has seen a preview of
  // it since the program started: what is about to go, by the preview's totals and the names of the
  // items that erase something. True cleans; Preview shows the preview instead.
  bool ConfirmFirstCleaning();
  // Every run starts here: an Exit or the end of the session that arrived meanwhile stopped it, and
  // is carried out once it has unwound.
  bool Clean(run::RunEnd end, run::Trigger trigger);
  // WM_QUERYENDSESSION: true lets the session end.
  bool QueryEndSession();
  void EndSession();
  void CleanBeforeShutdown();
  // "Clean and Shut Down", once the user has said OK to the question naming the items and the
  // shutdown: a run stopped or refused never shuts down; a refusal is shown.
  void CleanThenShutDown();
  void TrayEvent(LPARAM event);
  void Restore();
  void FirstActivation();
  void StartTool(UINT command);
  void MarkMissingTools();
  void OpenHelp();
  void CheckSchedule();
  // The weekly look for new rules ("RulesCheckWeekly"): a download in the background that, when the
  // rules changed, leaves them waiting and says so in a pop-up; a click on it shows the changes.
  void CheckRules(const SYSTEMTIME& today);
  void RulesChecked(WPARAM what);
  void NotificationClicked(const std::wstring& key);
  // A watched browser closed: exactly its ticked items, reported by a pop-up. False while a run is
  // under way, so that it waits for its turn.
  bool CleanClosedBrowser(const catalogue::ClosingBrowser& browser);
  void TickBrowserWatch();
  void Preview();
  void AddPreviewRows(const engine::RunReport& report);
  // The item a row shows; null for a note row, the final row of a run, rows of an earlier run, and
  // while a run is under way.
  const engine::ItemReport* RowItem(int row) const;
  void ShowRowDetails(int row);
  // The selected row's menu at the pointer or, from the keyboard (`at` -1), at the row: its details
  // and, for a previewed item that found one file or folder, what keeps it.
  void ShowRowMenu(LPARAM at);
  // Keeps the one file the selected row's item found, or its folder (or the one folder it found).
  void KeepRowPath(bool folder);
  // Inserts a row at `at` with its first column, and makes it the current row.
  void InsertRow(int at, const std::wstring& label, LPARAM item);

  HINSTANCE instance_;
  std::wstring programFolder_;
  std::wstring commandLine_;
  MainWindowActions actions_;
  HWND hwnd_ = nullptr;
  UINT dpi_ = 96;
  toolkit::FocusKeeper focus_;
  Page page_ = Page::Home;
  std::vector<HWND> homePage_;
  std::vector<HWND> statusPage_;
  // Each control and where the layout puts it, in the order they were made.
  std::vector<std::pair<HWND, RECT MainLayout::*>> places_;
  HWND homeTitle_ = nullptr;
  HWND homeText_ = nullptr;
  HWND homeLists_ = nullptr;
  HWND frame_ = nullptr;
  HWND list_ = nullptr;
  HWND progress_ = nullptr;
  HWND status_ = nullptr;
  HWND start_ = nullptr;
  HWND cancel_ = nullptr;
  HWND preview_ = nullptr;
  HWND tooltip_ = nullptr;
  HWND lastClean_ = nullptr;
  HWND totals_ = nullptr;
  HWND link_ = nullptr;
  NavigationBar navigation_;
  platform::Font font_;
  platform::Font titleFont_;
  platform::Accelerators accelerators_;
  platform::Menu trayMenu_;
  TrayIcon tray_;
  // Each row keeps the place of its item in the report + 1, or kNoItem.
  static constexpr LPARAM kNoItem = 0;
  int currentRow_ = -1;
  int itemRows_ = 0;
  // The rows of programs not installed close the current group, from this row to the list's end.
  int notInstalledFrom_ = 0;
  // The rows show this preview, not the last run, until the list is cleared.
  bool previewShown_ = false;
  // A whole preview was shown since the program started: the first cleaning's question, which only
  // tells what the preview lists, is not asked again.
  bool previewSeen_ = false;
  bool busy_ = false;           // a run is under way: the hourglass shows over the window
  bool growing_ = false;        // KeepLeastSize is setting the least size
  bool showMaximised_ = false;  // the first show fills the screen, as the window did when last closed
  engine::RunReport previewReport_;
  std::unique_ptr<run::CleanRun> run_;
  settings::Schedule schedule_;
  settings::ScheduleCheck scheduleCheck_;
  platform::Timer scheduleTimer_;
  platform::Timer browserTimer_;
  std::function<SYSTEMTIME()> clock_;
  std::unique_ptr<NotificationSystem> notifications_;
  std::unique_ptr<dialogs::RulesDownloadTask> rulesCheck_;
  catalogue::CloseTiming closeTiming_;
  std::unique_ptr<catalogue::BrowserCloseWatch> browserWatch_;
  std::function<void()> beforeExit_;
  // Exit (or the end of the session) came while a run was under way; it is done when the run ends.
  bool exitPending_ = false;
  // The cleaning that "Windows Shutdown" starts holds the session's end until it is done.
  bool shutdownRun_ = false;
  bool shutdownCleaned_ = false;
};

}  // namespace ui
