#include "papermill/papermill_window.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <array>

#include "papermill/console.h"
#include "papermill/handover.h"
#include "papermill/report.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "platform/translation.h"
#include "platform/window_text.h"
#include "toolkit/dpi.h"
#include "toolkit/list_text_width.h"
#include "toolkit/list_view.h"
#include "toolkit/message_pump.h"
#include "toolkit/messages.h"
#include "toolkit/pickers.h"

namespace papermill {

namespace {

constexpr UINT kWipeProgressMessage = WM_APP + 1;
constexpr UINT kWipeDoneMessage = WM_APP + 2;
constexpr int kProgressRange = 1000;
constexpr DWORD kFileDialogBuffer = 65536;
constexpr const wchar_t* kPathColumn = platform::TrLater(L"Path");
constexpr const wchar_t* kSizeColumn = platform::TrLater(L"Size");

// The controls a running shred or wipe leaves usable: Stop, the help and the lists to read.
constexpr WORD kIdleOnly[] = {PapermillWindow::kAddFilesId, PapermillWindow::kAddFolderId, PapermillWindow::kRemoveId,
                              PapermillWindow::kRandomId,   PapermillWindow::kShredId,     PapermillWindow::kDriveId,
                              PapermillWindow::kWipeId};

std::vector<std::wstring> PickFiles(HWND owner) {
  // The filter's name and pattern, each ended by a NUL, and a second NUL after the last pair.
  const std::wstring filter = platform::Tr(L"All files") + std::wstring(1, L'\0') + L"*.*" + std::wstring(1, L'\0');
  std::optional<toolkit::PickedFiles> picked =
      toolkit::PickFiles(owner, {platform::Tr(L"Files to shred"), filter.c_str(), OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                                 kFileDialogBuffer});
  if (!picked) return {};
  // One file: its full path. Several: the folder, then each name, NUL-separated.
  std::vector<std::wstring> parts;
  for (size_t at = 0; at < picked->text.size();) {
    size_t end = std::min(picked->text.find(L'\0', at), picked->text.size());
    parts.push_back(picked->text.substr(at, end - at));
    at = end + 1;
  }
  if (parts.size() <= 1) return parts;
  std::vector<std::wstring> files;
  for (size_t i = 1; i < parts.size(); ++i) files.push_back(platform::JoinPath(parts[0], parts[i]));
  return files;
}

std::wstring PickFolder(HWND owner) {
  return toolkit::PickFolder(owner, platform::Tr(L"Folder to shred, with everything in it"),
                             BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE)
      .value_or(L"");
}

}  // namespace

Pickers SystemPickers() { return {PickFiles, PickFolder}; }

PapermillWindow::PapermillWindow(std::wstring programFolder, std::vector<std::wstring> paths, Pickers pickers,
                                 ULONGLONG wipeLimit)
    : Dialog(programFolder),
      programFolder_(std::move(programFolder)),
      queue_(std::move(paths)),
      pickers_(std::move(pickers)),
      wipeLimit_(wipeLimit) {}

PapermillWindow::~PapermillWindow() { EndWorker(); }

toolkit::DialogTemplate PapermillWindow::Template() const {
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  toolkit::DialogTemplate dialog(DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 340, 300, kTitle);
  using toolkit::kButtonClass, toolkit::kStaticClass, toolkit::kNoId;
  dialog.Item(kStaticClass, SS_LEFT, platform::TrLater(L"&Files and folders to shred (drop them here too):"), 7, 7, 326,
              8, kNoId);
  dialog.Item(WC_LISTVIEWW, LVS_REPORT | LVS_SHOWSELALWAYS | WS_TABSTOP | WS_BORDER,
              platform::TrLater(L"Files and folders to shred"), 7, 17, 326, 96, kQueueId);
  dialog.Item(kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, platform::TrLater(L"&Add files..."), 7, 118, 62, 14,
              kAddFilesId);
  dialog.Item(kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, platform::TrLater(L"Add f&older..."), 73, 118, 62, 14,
              kAddFolderId);
  dialog.Item(kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, platform::TrLater(L"&Remove"), 139, 118, 50, 14, kRemoveId);
  dialog.Item(kButtonClass, BS_DEFPUSHBUTTON | WS_TABSTOP, platform::TrLater(L"&Shred..."), 271, 118, 62, 14, kShredId);
  dialog.Item(kButtonClass, BS_AUTOCHECKBOX | WS_TABSTOP,
              platform::TrLater(L"Overwrite with ran&dom data instead of zeros"), 7, 137, 200, 10, kRandomId);
  dialog.Item(kButtonClass, BS_GROUPBOX, platform::TrLater(L"Free space"), 7, 152, 326, 32, kNoId);
  dialog.Item(kStaticClass, SS_LEFT, platform::TrLater(L"Dri&ve:"), 14, 167, 24, 8, kNoId);
  dialog.Item(toolkit::kComboBoxClass, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, L"", 40, 165, 60, 100, kDriveId);
  dialog.Item(kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, platform::TrLater(L"&Wipe free space"), 106, 164, 80, 14,
              kWipeId);
  dialog.Item(kButtonClass, BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED, platform::TrLater(L"S&top"), 190, 164, 50, 14,
              kStopId);
  dialog.Item(PROGRESS_CLASSW, 0, L"", 7, 190, 326, 8, kProgressId);
  dialog.Item(kStaticClass, SS_LEFT | SS_NOPREFIX, L"", 7, 202, 326, 18, kStatusId);
  dialog.Item(kStaticClass, SS_LEFT, platform::TrLater(L"What stayed, and wh&y:"), 7, 222, 326, 8, kNoId);
  dialog.Item(toolkit::kListBoxClass, WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOSEL,
              platform::TrLater(L"What stayed, and why"), 7, 232, 326, 42, kResultsId, WS_EX_CLIENTEDGE);
  dialog.Item(kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, platform::TrLater(L"&Help"), 7, 279, 50, 14, kHelpId);
  dialog.Item(kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, platform::TrLater(L"&Close"), 283, 279, 50, 14, IDCANCEL);
  return dialog;
}

void PapermillWindow::Load() {
  HWND hwnd = Handle();
  if (HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1))) {
    SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  }
  HWND list = Control(kQueueId);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
  RECT client;
  GetClientRect(list, &client);
  // Shares of the list's width in pixels, so no scaling.
  toolkit::AddListColumns(list, {{kPathColumn, client.right * 3 / 4}, {kSizeColumn, client.right / 4 - 4}},
                          toolkit::kDesignDpi);
  SendDlgItemMessageW(hwnd, kProgressId, PBM_SETRANGE32, 0, kProgressRange);
  DragAcceptFiles(hwnd, TRUE);
  FillDrives();
  std::vector<std::wstring> initial = std::move(queue_);
  queue_.clear();
  Add(initial);
  SetStatus(platform::Tr(L"Add files or folders, or drop them here. Shredding cannot be undone."));
  if (open_) open_();
}

void PapermillWindow::FillDrives() {
  HWND combo = Control(kDriveId);
  for (const std::wstring& root : shredder::WipeableDrives()) {
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(root.c_str()));
  }
  SendMessageW(combo, CB_SETCURSEL, 0, 0);
}

void PapermillWindow::Add(const std::vector<std::wstring>& paths) {
  HWND list = Control(kQueueId);
  for (const std::wstring& path : paths) {
    if (path.empty()) continue;
    bool queued = std::any_of(queue_.begin(), queue_.end(),
                              [&](const std::wstring& known) { return platform::EqualsNoCase(known, path); });
    if (queued) continue;
    shredder::Measure measure = shredder::MeasurePath(path, programFolder_);
    toolkit::SetListCellText(list, toolkit::AppendListRow(list, path), 1, MeasureText(measure));
    queue_.push_back(path);
  }
  FitColumns();
}

void PapermillWindow::FitColumns() {
  HWND list = Control(kQueueId);
  const int padding = toolkit::Scale(16, toolkit::WindowDpi(Handle()));
  std::array<int, 2> widths{ListView_GetStringWidth(list, platform::Tr(kPathColumn)),
                            ListView_GetStringWidth(list, platform::Tr(kSizeColumn))};
  for (int row = 0; row < ListView_GetItemCount(list); ++row) {
    for (int column = 0; column < 2; ++column) {
      wchar_t text[1024] = L"";
      ListView_GetItemText(list, row, column, text, static_cast<int>(std::size(text)));
      widths[static_cast<size_t>(column)] =
          std::max(widths[static_cast<size_t>(column)], ListView_GetStringWidth(list, text));
    }
  }
  RECT client;
  GetClientRect(list, &client);
  const int size = widths[1] + padding;
  ListView_SetColumnWidth(list, 0, std::max(widths[0] + padding, static_cast<int>(client.right) - size));
  ListView_SetColumnWidth(list, 1, size);
}

void PapermillWindow::Drop(HDROP drop) {
  std::vector<std::wstring> paths;
  UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
    path.resize(DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
    paths.push_back(path);
  }
  DragFinish(drop);
  Add(paths);
}

void PapermillWindow::RemoveSelected() {
  HWND list = Control(kQueueId);
  for (int row = ListView_GetItemCount(list) - 1; row >= 0; --row) {
    if (ListView_GetItemState(list, row, LVIS_SELECTED) & LVIS_SELECTED) {
      ListView_DeleteItem(list, row);
      queue_.erase(queue_.begin() + row);
    }
  }
}

int PapermillWindow::Say(const std::wstring& text, UINT type) {
  return toolkit::ShowMessage(Handle(), text, platform::Tr(kTitle), type);
}

void PapermillWindow::SetStatus(const std::wstring& text) { SetDlgItemTextW(Handle(), kStatusId, text.c_str()); }

void PapermillWindow::ShowResults(const std::vector<std::wstring>& lines) {
  HWND results = Control(kResultsId);
  SendMessageW(results, LB_RESETCONTENT, 0, 0);
  for (const std::wstring& line : lines) SendMessageW(results, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  // Long paths scroll sideways instead of being cut.
  toolkit::ResetHorizontalExtent(results);
}

void PapermillWindow::SetBusy(bool busy) {
  for (WORD id : kIdleOnly) EnableWindow(Control(id), !busy);
  EnableWindow(Control(kStopId), busy);
  if (busy) SetFocus(Control(kStopId));
}

void PapermillWindow::Shred() {
  if (std::optional<std::wstring> refused = Refusal(true)) return SetStatus(*refused);
  if (queue_.empty()) {
    Say(platform::Tr(L"Add the files and folders to shred first."), MB_OK | MB_ICONINFORMATION);
    return;
  }
  size_t files = 0, refused = 0;
  ULONGLONG bytes = 0;
  std::vector<std::pair<std::wstring, shredder::Measure>> large;
  for (const std::wstring& path : queue_) {
    shredder::Measure measure = shredder::MeasurePath(path, programFolder_);
    files += measure.files;
    bytes += measure.bytes;
    refused += !measure.refusal.empty();
    if (shredder::IsLargeFolder(measure)) large.emplace_back(path, measure);
  }
  auto asked = [&](const std::wstring& question) {
    return Say(question, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
  };
  if (!asked(ShredQuestion(files, bytes, refused))) return;
  for (const auto& [path, measure] : large) {
    if (!asked(LargeFolderQuestion(path, measure))) return;
  }
  shredding_ = true;
  stop_.Reset();
  SetBusy(true);
  ShowResults({});
  SetStatus(platform::Tr(L"Shredding..."));
  ULONGLONG done = 0;
  shredder::ShredOptions options;
  options.fill = IsDlgButtonChecked(Handle(), kRandomId) == BST_CHECKED ? engine::Fill::Random : engine::Fill::Zeros;
  options.programFolder = programFolder_;
  options.stop = &stop_;
  options.pump = [] { toolkit::PumpWaitingMessages(); };
  options.overwritten = [&](const std::wstring& path, ULONGLONG written, ULONGLONG length) {
    SendDlgItemMessageW(Handle(), kProgressId, PBM_SETPOS,
                        bytes ? static_cast<WPARAM>(std::min<ULONGLONG>(done + written, bytes) * kProgressRange / bytes)
                              : 0,
                        0);
    if (written == length) done += length;
    SetStatus(platform::Fill(platform::Tr(L"Shredding {path}"), {{L"path", path}}));
  };
  shredder::ShredResult result = shredder::Shred(queue_, options);
  std::vector<std::wstring> lines;
  for (const shredder::Left& left : result.left) lines.push_back(LeftLine(left));
  ShowResults(lines);
  // What went leaves the queue; what stayed is still there to try again.
  std::vector<std::wstring> remaining;
  for (const std::wstring& path : queue_) {
    if (GetFileAttributesW(platform::ApiPath(path).c_str()) != INVALID_FILE_ATTRIBUTES) remaining.push_back(path);
  }
  ListView_DeleteAllItems(Control(kQueueId));
  queue_.clear();
  Add(remaining);
  SendDlgItemMessageW(Handle(), kProgressId, PBM_SETPOS, kProgressRange, 0);
  SetStatus(ShredSummary(result));
  shredding_ = false;
  SetBusy(false);
  CloseWhenIdle();
}

void PapermillWindow::StartWipe() {
  // A drop-down list's text is its selected entry's.
  const std::wstring root = platform::WindowText(Control(kDriveId));
  if (root.empty()) return;
  if (std::optional<std::wstring> refused = Refusal(false)) return SetStatus(*refused);
  std::wstring question =
      platform::Fill(platform::Tr(L"Wipe the free space of {drive}?\r\n\r\nThe drive is filled with zeros for a while, "
                                  L"which programs may notice; then the space is freed again, also when you stop the "
                                  L"wipe."),
                     {{L"drive", root}});
  if (Say(question, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  EndWorker();
  wipeRoot_ = root;
  stop_.Reset();
  SetBusy(true);
  ShowResults({});
  SendDlgItemMessageW(Handle(), kProgressId, PBM_SETPOS, 0, 0);
  SetStatus(platform::Fill(platform::Tr(L"Wiping the free space of {drive}..."), {{L"drive", root}}));
  HWND hwnd = Handle();
  shredder::WipeOptions options;
  options.stop = &stop_;
  options.limit = wipeLimit_;
  options.progress = [this, hwnd](const shredder::WipeProgress& progress) {
    {
      std::lock_guard<std::mutex> lock(wipeMutex_);
      wipe_.progress = progress;
    }
    PostMessageW(hwnd, kWipeProgressMessage, 0, 0);
  };
  worker_ = std::thread([this, hwnd, root, options] {
    shredder::WipeResult result = shredder::WipeFreeSpace(root, options);
    {
      std::lock_guard<std::mutex> lock(wipeMutex_);
      wipe_.result = result;
    }
    PostMessageW(hwnd, kWipeDoneMessage, 0, 0);
  });
}

void PapermillWindow::ShowWipeProgress() {
  shredder::WipeProgress progress;
  {
    std::lock_guard<std::mutex> lock(wipeMutex_);
    progress = wipe_.progress;
  }
  if (!Wiping()) return;
  WPARAM position =
      progress.free ? static_cast<WPARAM>(std::min(progress.written, progress.free) * kProgressRange / progress.free)
                    : 0;
  SendDlgItemMessageW(Handle(), kProgressId, PBM_SETPOS, position, 0);
  SetStatus(WipeProgressText(progress));
}

void PapermillWindow::EndWipe() {
  EndWorker();
  shredder::WipeResult result;
  {
    std::lock_guard<std::mutex> lock(wipeMutex_);
    result = wipe_.result;
  }
  SetStatus(WipeSummary(wipeRoot_, result));
  SetBusy(false);
  CloseWhenIdle();
}

void PapermillWindow::EndWorker() {
  if (!worker_.joinable()) return;
  stop_.Request();
  worker_.join();
}

bool PapermillWindow::CloseWhenIdle() {
  if (!closePending_ || shredding_ || Wiping()) return false;
  Close(IDCANCEL);
  return true;
}

void PapermillWindow::Command(WORD id) {
  switch (id) {
    case kAddFilesId: Add(pickers_.files(Handle())); break;
    case kAddFolderId: Add({pickers_.folder(Handle())}); break;
    case kRemoveId: RemoveSelected(); break;
    case kShredId: Shred(); break;
    case kWipeId: StartWipe(); break;
    case kStopId: stop_.Request(); break;
    case kHelpId:
      Say(platform::Fill(
              platform::Tr(
                  L"Papermill destroys the files and folders you give it: each file is overwritten once over "
                  L"its whole length (with zeros, or random data when ticked), flushed to the disk, renamed to "
                  L"a random name and deleted. Links are removed as links, never followed; drive roots, the "
                  L"folders Windows, your programs and your profile need, and Trellwipe's own folder are "
                  L"refused. A file in use stays whole and is listed with its reason.\r\n\r\nWipe free space "
                  L"fills the chosen drive with zeros in a hidden folder (\"{folder}\"), then frees the space "
                  L"again, also when stopped.\r\n\r\n"),
              {{L"folder", shredder::kWipeFolderName}}) +
              LimitsText(),
          MB_OK | MB_ICONINFORMATION);
      break;
    case IDCANCEL:
      // A running shred or wipe stops first and frees what it holds; the window closes after it.
      closePending_ = true;
      stop_.Request();
      CloseWhenIdle();
      break;
  }
}

INT_PTR PapermillWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: Command(LOWORD(wParam)); return TRUE;
    case WM_DROPFILES:
      if (!shredding_ && !Wiping()) {
        Drop(reinterpret_cast<HDROP>(wParam));
      } else {
        DragFinish(reinterpret_cast<HDROP>(wParam));
      }
      return TRUE;
    case WM_COPYDATA: {
      // Another start's items join the queue, unless a shredding or a wipe is under way.
      std::optional<std::vector<std::wstring>> paths =
          toolkit::HandedPaths(kHandover, *reinterpret_cast<COPYDATASTRUCT*>(lParam));
      const bool taken = paths && !shredding_ && !Wiping();
      if (taken) {
        Add(*paths);
        SetForegroundWindow(Handle());
      }
      SetWindowLongPtrW(Handle(), DWLP_MSGRESULT, taken);
      return TRUE;
    }
    case kWipeProgressMessage: ShowWipeProgress(); return TRUE;
    case kWipeDoneMessage: EndWipe(); return TRUE;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->idFrom == kQueueId && header->code == LVN_KEYDOWN &&
          reinterpret_cast<NMLVKEYDOWN*>(lParam)->wVKey == VK_DELETE) {
        RemoveSelected();
        return TRUE;
      }
      return FALSE;
    }
  }
  return FALSE;
}

void PapermillWindow::Unload() { EndWorker(); }

}  // namespace papermill
