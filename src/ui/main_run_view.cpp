#include "ui/main_window.h"

#include <commctrl.h>

#include "dialogs/keep_menu.h"
#include "platform/handles.h"
#include "platform/translation.h"
#include "run/item_context.h"
#include "toolkit/list_view.h"
#include "toolkit/live_region.h"
#include "toolkit/menus.h"
#include "toolkit/message_pump.h"
#include "toolkit/messages.h"
#include "ui/boss_key.h"
#include "ui/main_commands.h"

// The status page as the cleaning run and the preview fill it: its rows, progress and status line.
namespace ui {

void MainWindow::Preview() {
  // Its button and menu entry wait for a run; the busy cursor stays the run's.
  if (run_->Running()) return;
  ShowPage(Page::Status);
  SetBusyCursor(true);
  std::optional<engine::RunReport> previewed = run_->Preview();
  SetBusyCursor(false);
  // Refused while a run is under way: its rows stay.
  if (!previewed) return;
  engine::RunReport& report = *previewed;
  if (exitPending_) {
    ExitProgram();
    return;
  }
  ClearRows();
  AddPreviewRows(report);
  engine::ReportTotals totals = report.Totals();
  const std::wstring said =
      platform::Fill(report.stopped
                         ? platform::Tr(L"Preview stopped: {number} items, {files} files, {megabytes} MB, {entries} "
                                        L"registry entries. Nothing was erased.")
                         : platform::Tr(L"Preview: {number} items, {files} files, {megabytes} MB, {entries} registry "
                                        L"entries. Nothing was erased."),
                     {{L"number", platform::ShownNumber(static_cast<double>(report.items.size()))},
                      {L"files", platform::ShownNumber(static_cast<double>(totals.files))},
                      {L"megabytes", platform::ShownMegabytes(totals.bytes)},
                      {L"entries", platform::ShownNumber(static_cast<double>(totals.registryEntries))}});
  AnnounceStatusLine(said + engine::TooNewSummary(totals));
  previewSeen_ = previewSeen_ || !report.stopped;
  previewReport_ = std::move(report);
  previewShown_ = true;
}

// One row per item, its state beside the figures its columns show; in a preview of every user, each
// user's rows between a row naming the user and a row of the user's totals, as a cleaning shows them.
void MainWindow::AddPreviewRows(const engine::RunReport& report) {
  auto addItems = [&](size_t first, size_t end) {
    for (size_t i = first; i < end; ++i) {
      const engine::ItemReport& item = report.items[i];
      AddRow(item.label);
      SetRowState(item.lookedFor.empty() ? engine::PreviewState(item) : item.outcome);
      SetRowFigures(item);
    }
  };
  for (const std::wstring& ignored : report.ignoredPolicies) AddNoteRow(ignored);
  if (report.onlyCurrentUser) AddNoteRow(platform::Tr(engine::kOnlyCurrentUser));
  if (report.users.empty()) addItems(0, report.items.size());
  for (const engine::UserGroup& group : report.users) {
    AddNoteRow(engine::UserGroupTitle(group));
    addItems(group.first, group.end);
    AddNoteRow(engine::UserGroupTotals(report, group));
  }
}

namespace {

struct FoundPath {
  std::wstring path;
  bool folder = false;
};

// The one file or folder a previewed item found; none when it found none or more than one.
std::optional<FoundPath> OnlyFound(const engine::ItemReport& item) {
  if (item.files.size() + item.folders.size() != 1) return std::nullopt;
  return item.files.size() == 1 ? FoundPath{item.files[0].path, false} : FoundPath{item.folders[0], true};
}

}  // namespace

const engine::ItemReport* MainWindow::RowItem(int row) const {
  const engine::RunReport& report = previewShown_ ? previewReport_ : run_->LastReport();
  LVITEMW shown{};
  shown.mask = LVIF_PARAM;
  shown.iItem = row;
  if (row < 0 || !ListView_GetItem(list_, &shown) || shown.lParam == kNoItem || run_->Running()) return nullptr;
  const size_t index = static_cast<size_t>(shown.lParam - 1);
  return index < report.items.size() ? &report.items[index] : nullptr;
}

void MainWindow::ShowRowDetails(int row) {
  const engine::ItemReport* item = RowItem(row);
  if (!item) return;
  const engine::RunReport& report = previewShown_ ? previewReport_ : run_->LastReport();
  const std::wstring caption =
      platform::Fill(report.preview ? platform::Tr(L"{name} - Preview") : platform::Tr(L"{name} - Result"),
                     {{L"name", item->label}});
  actions_.showDetails(hwnd_, caption, *item, report.reasons, report.preview, programFolder_);
}

void MainWindow::ShowRowMenu(LPARAM at) {
  const int row = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
  const engine::ItemReport* item = RowItem(row);
  if (!item) return;
  platform::Menu menu(CreatePopupMenu());
  AppendMenuW(menu.get(), MF_STRING, kRowDetailsCommand, platform::Tr(L"Details"));
  SetMenuDefaultItem(menu.get(), kRowDetailsCommand, FALSE);
  // Only a preview's rows are what the next cleaning would erase.
  const std::optional<FoundPath> found = previewShown_ ? OnlyFound(*item) : std::nullopt;
  if (found && !found->folder) {
    AppendMenuW(menu.get(), MF_STRING, kKeepRowFileCommand, dialogs::KeepEntryText(dialogs::KeepWhat::File).c_str());
  }
  if (found) {
    AppendMenuW(menu.get(), MF_STRING, kKeepRowFolderCommand,
                dialogs::KeepEntryText(dialogs::KeepWhat::Folder).c_str());
  }
  UINT command = 0;
  if (toolkit::ContextMenuFromKeyboard(at)) {
    // From the keyboard: under the row rather than wherever the pointer is.
    RECT place{};
    place.left = LVIR_BOUNDS;
    SendMessageW(list_, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&place));
    POINT point{place.left, place.bottom};
    ClientToScreen(list_, &point);
    command = static_cast<UINT>(TrackPopupMenu(menu.get(), TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, point.x,
                                               point.y, 0, hwnd_, nullptr));
  } else {
    command = actions_.trackPopupMenu(menu.get(), hwnd_);
  }
  if (command) Execute(command);
}

void MainWindow::KeepRowPath(bool folder) {
  const engine::ItemReport* item = previewShown_ ? RowItem(ListView_GetNextItem(list_, -1, LVNI_SELECTED)) : nullptr;
  const std::optional<FoundPath> found = item ? OnlyFound(*item) : std::nullopt;
  if (!found || (found->folder && !folder)) return;
  dialogs::KeepFromPreview(hwnd_, programFolder_,
                           found->folder
                               ? found->path
                               : dialogs::PathToKeep(folder ? dialogs::KeepWhat::Folder : dialogs::KeepWhat::File,
                                                     found->path));
}

void MainWindow::ShowStatusPage() { ShowPage(Page::Status); }

void MainWindow::SetBusyCursor(bool busy) {
  busy_ = busy;
  SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

void MainWindow::EnableStartCommands(bool enabled) {
  // What starts a run waits while one is under way; Cancel, which stops it, is there only then.
  const UINT state = MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED);
  // A button greyed with the focus leaves the keyboard nowhere: the focus goes to the one that comes on.
  const HWND focus = GetFocus();
  EnableWindow(enabled ? start_ : cancel_, TRUE);
  const bool focusGreys = enabled ? focus == cancel_ : (focus == start_ || focus == preview_);
  if (focusGreys) SetFocus(enabled ? start_ : cancel_);
  EnableWindow(start_, enabled);
  EnableWindow(preview_, enabled);
  EnableWindow(cancel_, !enabled);
  for (UINT command : {kCleanNowCommand, kPreviewCommand}) EnableMenuItem(GetMenu(hwnd_), command, state);
  for (UINT command : {kTrayCleanNowCommand, kTrayCleanShutdownCommand}) EnableMenuItem(TrayPopup(), command, state);
}

void MainWindow::ClearRows() {
  ListView_DeleteAllItems(list_);
  currentRow_ = -1;
  itemRows_ = 0;
  notInstalledFrom_ = 0;
  previewShown_ = false;
  UpdateWindow(list_);
}

void MainWindow::AddRow(const std::wstring& label) {
  // Rows come in the report's order: the n-th item row shows the n-th item.
  InsertRow(notInstalledFrom_++, label, ++itemRows_);
}

void MainWindow::AddNoteRow(const std::wstring& text) {
  // A note closes the rows of programs not installed above it: a user's items stay in the user's group.
  InsertRow(ListView_GetItemCount(list_), text, kNoItem);
  notInstalledFrom_ = ListView_GetItemCount(list_);
}

void MainWindow::InsertRow(int at, const std::wstring& label, LPARAM item) {
  LVITEMW row{};
  row.mask = LVIF_TEXT | LVIF_PARAM;
  row.iItem = at;
  row.pszText = const_cast<wchar_t*>(label.c_str());
  row.lParam = item;
  currentRow_ = ListView_InsertItem(list_, &row);
  ListView_EnsureVisible(list_, currentRow_, FALSE);
}

void MainWindow::SetRowState(const std::wstring& text) {
  if (currentRow_ < 0) return;
  // An item whose program is not here joins the others of its kind at the bottom of its group, after
  // the items that had something to do.
  const bool notInstalled = text.starts_with(platform::Tr(run::kNotInstalledOutcome)) ||
                            text.starts_with(platform::Tr(run::kNotFoundOutcome));
  if (notInstalled && currentRow_ < notInstalledFrom_) {
    LVITEMW moved{};
    moved.mask = LVIF_PARAM;
    moved.iItem = currentRow_;
    ListView_GetItem(list_, &moved);
    const std::wstring label = toolkit::ListCellText(list_, currentRow_, 0);
    ListView_DeleteItem(list_, currentRow_);
    --notInstalledFrom_;
    InsertRow(ListView_GetItemCount(list_), label, moved.lParam);
  }
  toolkit::SetListCellText(list_, currentRow_, 1, text);
}

void MainWindow::SetRowFigures(const engine::ItemReport& item) {
  if (currentRow_ < 0) return;
  const std::wstring figures[] = {platform::ShownNumber(static_cast<double>(item.files.size())),
                                  platform::ShownMegabytes(item.Bytes()) + L" MB",
                                  platform::ShownNumber(static_cast<double>(item.leftBehind.size()))};
  for (int i = 0; i < 3; ++i) toolkit::SetListCellText(list_, currentRow_, 2 + i, figures[i]);
}

void MainWindow::SetProgress(int value) { SendMessageW(progress_, PBM_SETPOS, value, 0); }

void MainWindow::SetStatusLine(const std::wstring& text) { SetWindowTextW(status_, text.c_str()); }

void MainWindow::AnnounceStatusLine(const std::wstring& text) {
  SetStatusLine(text);
  toolkit::AnnounceText(status_);
}

void MainWindow::PumpMessages() {
  toolkit::PumpWaitingMessages([this](MSG& message) { return TranslateShortcut(message); });
}

void MainWindow::FocusMainWindow() { SetFocus(hwnd_); }

void MainWindow::ShowInformation(const std::wstring& title, const std::wstring& text) {
  toolkit::ShowMessage(hwnd_, text, title, MB_OK | MB_ICONINFORMATION);
}

void MainWindow::QueueNotification(const run::NotificationRequest& request) { notifications_->Queue(request); }

void MainWindow::ShowStatistics(const std::wstring& lastClean, const std::wstring& totals, const std::wstring& tip) {
  SetWindowTextW(lastClean_, lastClean.c_str());
  SetWindowTextW(totals_, totals.c_str());
  SetTip(totals_, tip, TTM_UPDATETIPTEXTW);
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
