#include "ui/main_commands.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>

#include "catalogue/item_list.h"
#include "catalogue/running_programs.h"
#include "dialogs/first_cleaning_window.h"
#include "platform/files.h"
#include "platform/product_name.h"
#include "platform/translation.h"
#include "settings/item_flags.h"
#include "settings/policies.h"
#include "toolkit/menus.h"
#include "toolkit/messages.h"
#include "ui/main_window.h"

namespace ui {

namespace {

// The separate programs the main window starts from its program folder; without one, its image and
// menu entry are shown disabled with the reason.
struct Tool {
  UINT command;
  const wchar_t* file;
  const wchar_t* missing;
};
constexpr Tool kTools[] = {
    {kCleanRegistryCommand, L"\\Keysweep.exe",
     platform::TrLater(L"The registry cleaner (Keysweep.exe) is not part of this installation.")},
    {kFileShredderCommand, L"\\Papermill.exe",
     platform::TrLater(L"The shredder (Papermill.exe) is not part of this installation.")},
};

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

// The items are named while they fit in a few lines; more are counted.
constexpr size_t kNamedItems = 8;

// What "Clean and Shut Down" is about to do: the ticked items it cleans, and then the shutdown.
std::wstring CleanShutdownQuestion(const std::wstring& programFolder) {
  std::vector<std::wstring> ticked;
  for (const catalogue::ListedItem& item : catalogue::ListItems(programFolder)) {
    if (item.on) ticked.push_back(item.label);
  }
  std::wstring text;
  if (ticked.empty()) {
    text = platform::Tr(
        L"No item is ticked in Clean Settings: Trellwipe will clean nothing, then shut down the computer.");
  } else {
    // The first ones by name, the others counted, so that the question stays on the screen.
    const size_t named = std::min(ticked.size(), kNamedItems);
    text = ticked.size() > named
               ? platform::Fill(platform::Tr(
                                    L"Trellwipe will clean these {count} ticked items, then shut down the computer:"),
                                {{L"count", std::to_wstring(ticked.size())}})
               : platform::Tr(L"Trellwipe will clean these items, then shut down the computer:");
    for (size_t i = 0; i < named; ++i) text += L"\r\n    " + ticked[i];
    if (ticked.size() > named) {
      const size_t more = ticked.size() - named;
      text +=
          L"\r\n    " + platform::Fill(platform::TrPlural(L"and {count} more (Clean Settings lists them all)",
                                                          L"and {count} more (Clean Settings lists them all)", more),
                                       {{L"count", std::to_wstring(more)}});
    }
  }
  return text + L"\r\n\r\n" + platform::Tr(L"OK cleans and shuts down; Cancel does neither.");
}

// The menus of the main window's bar, from left to right.
const toolkit::Menu kMainMenus[] = {
    {platform::TrLater(L"File(&F)"),
     {{{platform::TrLater(L"Clean Now\tCtrl+N"), kCleanNowCommand}, {platform::TrLater(L"Preview"), kPreviewCommand}},
      {{platform::TrLater(L"Clean Settings\tCtrl+S"), kCleanSettingsCommand}},
      {{platform::TrLater(L"Clean Options\tCtrl+O"), kCleanOptionsCommand},
       {platform::TrLater(L"Files and folders to keep"), kKeptPathsCommand}},
      {{platform::TrLater(L"Exit\tCtrl+X"), kExitCommand}}}},
    {platform::TrLater(L"Tool(&T)"),
     {{{platform::TrLater(L"Clean Registry"), kCleanRegistryCommand}},
      {{platform::TrLater(L"Search and Erase"), kSearchEraseCommand}},
      {{platform::TrLater(L"File Shredder"), kFileShredderCommand}}}},
    {platform::TrLater(L"Help(&H)"),
     {{{platform::TrLater(L"Help\tF1"), kHelpCommand}},
      {{platform::TrLater(L"Our Website\tCtrl+W"), kWebsiteCommand}},
      {{platform::TrLater(L"Tell a Friend"), kTellFriendCommand}},
      {{platform::TrLater(L"About\tCtrl+A"), kAboutCommand}}}},
};

// The notification area icon's menu: the one drop-down of a bar of its own.
const toolkit::Menu kTrayMenu = {L"Systray",
                                 {{{platform::TrLater(L"Trellwipe On the Web"), kWebsiteCommand},
                                   {platform::TrLater(L"Help"), kHelpCommand}},
                                  {{platform::TrLater(L"Options"), kCleanOptionsCommand}},
                                  {{platform::TrLater(L"Settings"), kCleanSettingsCommand}},
                                  {{platform::TrLater(L"Restore"), kRestoreCommand}},
                                  {{platform::TrLater(L"Clean Now"), kTrayCleanNowCommand},
                                   {platform::TrLater(L"Clean and Shut Down"), kTrayCleanShutdownCommand}},
                                  {{platform::TrLater(L"Exit"), kExitCommand}}}};

struct Shortcut {
  BYTE modifiers;
  WORD key;
  UINT command;
};

constexpr Shortcut kShortcuts[] = {
    {FCONTROL, 'N', kCleanNowCommand},
    {FCONTROL, 'S', kCleanSettingsCommand},
    {FCONTROL, 'O', kCleanOptionsCommand},
    {FCONTROL, 'X', kExitCommand},
    {0, VK_F1, kHelpCommand},
    {FCONTROL, 'W', kWebsiteCommand},
    {FCONTROL, 'A', kAboutCommand},
};

}  // namespace

HMENU CreateMainMenu() { return toolkit::CreateMenuBar(kMainMenus); }

platform::Accelerators CreateMainAccelerators() {
  ACCEL table[std::size(kShortcuts)];
  for (size_t i = 0; i < std::size(kShortcuts); ++i) {
    table[i] = {static_cast<BYTE>(FVIRTKEY | kShortcuts[i].modifiers), kShortcuts[i].key,
                static_cast<WORD>(kShortcuts[i].command)};
  }
  return platform::Accelerators(CreateAcceleratorTableW(table, static_cast<int>(std::size(table))));
}

platform::Menu CreateTrayMenu() {
  platform::Menu systray(CreateMenu());
  toolkit::AppendMenuTable(systray.get(), kTrayMenu);
  return systray;
}

// What the main window does for each command.

void MainWindow::Execute(UINT command) {
  switch (command) {
    case kCleanNowCommand:
      ShowPage(Page::Status);
      CleanAttended();
      break;
    case kStartCleaningCommand: CleanAttended(); break;
    case kPreviewCommand: Preview(); break;
    case kTrayCleanNowCommand:
      if (Clean(run::RunEnd::Notification, run::Trigger::Button) && hwnd_) ShowWindow(hwnd_, SW_HIDE);
      break;
    case kTrayCleanShutdownCommand: CleanThenShutDown(); break;
    // Esc, which the dialog manager sends as IDCANCEL, stops a run as Cancel does; outside one it does nothing.
    case IDCANCEL:
    case kCancelCommand: run_->Stop(run::StopReason::User); break;
    case kCleanSettingsCommand: actions_.openSettings(hwnd_, programFolder_); break;
    case kCleanOptionsCommand:
      if (actions_.openOptions(hwnd_, hwnd_, programFolder_)) {
        schedule_ = settings::LoadSchedule(settings::SettingsFile(programFolder_));
        WatchBrowsers();
        ApplySkin();
      }
      break;
    case kSearchEraseCommand: actions_.openFileSearch(hwnd_, programFolder_); break;
    case kKeptPathsCommand: actions_.openKeptPaths(hwnd_, programFolder_); break;
    case kRowDetailsCommand: ShowRowDetails(ListView_GetNextItem(list_, -1, LVNI_SELECTED)); break;
    case kKeepRowFileCommand:
    case kKeepRowFolderCommand: KeepRowPath(command == kKeepRowFolderCommand); break;
    case kAboutCommand: actions_.openAbout(hwnd_); break;
    case kCleanRegistryCommand:
    case kFileShredderCommand: StartTool(command); break;
    case kHelpCommand: OpenHelp(); break;
    case kWebsiteCommand: actions_.openWithShell(toolkit::kProductWebPage); break;
    case kTellFriendCommand: actions_.openWithShell(L"mailto:"); break;
    case kRestoreCommand: Restore(); break;
    case kShowHomeCommand: ShowPage(Page::Home); break;
    case kShowStatusCommand: ShowPage(Page::Status); break;
    case kExitCommand: ExitProgram(); break;
  }
}

bool MainWindow::ConfirmFirstCleaning() {
  if (run_->Running() || previewSeen_ || !settings::SelectionAwaitsUser(settings::SettingsFile(programFolder_))) {
    return true;
  }
  SetBusyCursor(true);
  std::optional<engine::RunReport> previewed = run_->Preview();
  SetBusyCursor(false);
  if (!previewed || previewed->stopped) return false;
  dialogs::FirstCleaningChoice choice = dialogs::AskFirstCleaning(hwnd_, *previewed, programFolder_);
  if (choice == dialogs::FirstCleaningChoice::Preview) Preview();
  return choice == dialogs::FirstCleaningChoice::Clean;
}

void MainWindow::CleanAttended() {
  if (!ConfirmFirstCleaning()) return;
  // Unattended runs do not ask; what such programs keep locked shows in the run's results.
  if (actions_.runningPrograms && !run_->Running()) {
    std::vector<std::wstring> running = actions_.runningPrograms(programFolder_, run_->Values());
    if (!running.empty() &&
        toolkit::ShowMessage(hwnd_, catalogue::RunningProgramsQuestion(running), catalogue::kRunningProgramsTitle,
                             MB_YESNO | MB_ICONWARNING) != IDYES) {
      return;
    }
  }
  Clean(run::RunEnd::MessageBox, run::Trigger::Button);
}

bool MainWindow::Clean(run::RunEnd end, run::Trigger trigger) {
  bool ran = run_->CleanNow(end, trigger);
  if (ran && exitPending_) ExitProgram();
  return ran;
}

bool MainWindow::QueryEndSession() {
  if (shutdownRun_) return false;
  bool cleanFirst = !shutdownCleaned_ && !run_->Running() &&
                    settings::OptionSwitch(settings::SettingsFile(programFolder_), L"WindowsShutdown") &&
                    !settings::SelectionAwaitsUser(settings::SettingsFile(programFolder_));
  if (cleanFirst) {
    // The answer must come at once; the cleaning starts from the message loop.
    shutdownRun_ = true;
    if (actions_.blockShutdown) actions_.blockShutdown(hwnd_, platform::Tr(kShutdownReason));
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
  Clean(run::RunEnd::Silent, run::Trigger::Shutdown);
  shutdownRun_ = false;
  shutdownCleaned_ = true;
  if (hwnd_ && actions_.unblockShutdown) actions_.unblockShutdown(hwnd_);
  // Windows goes on with the end of the session once the program has ended.
  if (hwnd_) ExitProgram();
}

void MainWindow::CleanThenShutDown() {
  // The computer goes off: nothing starts before the user has said so, and a stray click cancels.
  if (!run_->Running() &&
      toolkit::ShowMessage(hwnd_, CleanShutdownQuestion(programFolder_), platform::Tr(L"Clean and Shut Down"),
                           MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2) != IDOK) {
    return;
  }
  if (!Clean(run::RunEnd::Notification, run::Trigger::Button) || !hwnd_ || run_->Stopped() != run::StopReason::None)
    return;
  ShowWindow(hwnd_, SW_HIDE);
  DWORD error = actions_.requestShutdown ? actions_.requestShutdown() : ERROR_NOT_SUPPORTED;
  if (error != ERROR_SUCCESS) {
    toolkit::ShowMessage(hwnd_, platform::ShutdownRefusedText(error), platform::kProductName, MB_OK | MB_ICONWARNING);
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

void MainWindow::StartTool(UINT command) {
  for (const Tool& tool : kTools) {
    std::wstring program = programFolder_ + tool.file;
    if (tool.command == command && platform::FileExists(program)) actions_.startProgram(Quoted(program));
  }
}

void MainWindow::MarkMissingTools() {
  for (const Tool& tool : kTools) {
    if (platform::FileExists(programFolder_ + tool.file)) continue;
    navigation_.SetUnavailable(tool.command, platform::Tr(tool.missing));
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

}  // namespace ui
