#include "dialogs/locate_window.h"

#include <algorithm>

#include "dialogs/about_window.h"
#include "dialogs/extension_window.h"
#include "filesearch/extension_list.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "platform/translation.h"
#include "platform/window_text.h"
#include "toolkit/menus.h"
#include "toolkit/message_pump.h"
#include "toolkit/messages.h"

namespace dialogs {

namespace {

// The button captions the window switches between, looked up where they are shown.
constexpr const wchar_t* kFindCaption = platform::TrLater(L"&Find Files");
constexpr const wchar_t* kExitCaption = platform::TrLater(L"E&xit");
constexpr const wchar_t* kStopCaption = platform::TrLater(L"&Stop");
constexpr wchar_t kParentEntry[] = L"..";
constexpr WPARAM kInitialExtent = 700;
constexpr size_t kExtentPerCharacter = 9;

// The menus of the window's bar, from left to right.
const toolkit::Menu kMenus[] = {
    {platform::TrLater(L"&File"), {{{platform::TrLater(L"E&xit"), LocateWindow::kMenuExitId}}}},
    {platform::TrLater(L"&Options"),
     {{{platform::TrLater(L"Op&tions"), LocateWindow::kMenuOptionsId},
       {platform::TrLater(L"&Reset All"), LocateWindow::kMenuResetId}}}},
    {platform::TrLater(L"&Help"), {{{platform::TrLater(L"Abou&t"), LocateWindow::kMenuAboutId}}}},
};

constexpr const wchar_t* kDeleteWarning = platform::TrLater(
    L"Deleting file from your Hard Disk is risky... make sure you know what your doing!\r\n"
    L"Do you want to continue?\r\n"
    L"(if you click yes, this message will no apear again)");
constexpr wchar_t kDefaultDeleteDirs[] = L"c:\\windows\\temp\\;C:\\WINDOWS\\Temporary Internet Files\\;";

std::wstring WithBackslash(std::wstring folder) {
  if (!folder.ends_with(L'\\')) folder += L'\\';
  return folder;
}

// The folder list shows a folder without its last backslash, a drive root with it ("C:\").
std::wstring FolderForm(std::wstring folder) {
  while (folder.size() > 3 && folder.ends_with(L'\\')) folder.pop_back();
  if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
  return folder;
}

bool IsDriveRoot(const std::wstring& folder) { return folder.size() == 3 && folder[1] == L':'; }

// "True", "1" and any other non-zero number are true, as the stored texts were written.
bool SettingIsTrue(const std::wstring& value) {
  if (platform::EqualsNoCase(platform::Trim(value), L"true")) return true;
  std::optional<double> number = platform::ParseNumber(value);
  return number && *number != 0;
}

std::vector<std::wstring> SubFolders(const std::wstring& folder) {
  std::vector<std::wstring> names;
  platform::ListFolder(folder, [&](const platform::FolderEntry& entry) {
    if (entry.IsFolder()) names.push_back(entry.name);
  });
  std::sort(names.begin(), names.end(),
            [](const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) < 0; });
  return names;
}

}  // namespace

void ShowFileSearch(HWND owner, const std::wstring& programFolder) {
  LocateWindow window(programFolder);
  window.ShowModal(owner);
}

LocateWindow::LocateWindow(std::wstring programFolder, filesearch::DiskmoteSettings settings)
    : Dialog(programFolder, {{kFindId, BN_CLICKED, [this] { Find(); }},
                             {kExitId, BN_CLICKED, [this] { Action(); }},
                             {kDeleteId, BN_CLICKED, [this] { Delete(); }},
                             {kSelectAllId, BN_CLICKED, [this] { SelectAll(true); }},
                             {kSelectNoneId, BN_CLICKED, [this] { SelectAll(false); }},
                             {kOptionsId, BN_CLICKED, [this] { OpenOptions(); }},
                             {kRecycleId, BN_CLICKED, [this] { StoreCheck(kRecycleId, L"Recycele"); }},
                             {kSubFoldersId, BN_CLICKED, [this] { StoreCheck(kSubFoldersId, L"SubFolders"); }},
                             {kDriveId, CBN_SELCHANGE, [this] { DriveChanged(); }},
                             {kFolderId, LBN_DBLCLK, [this] { OpenSelectedFolder(); }},
                             {kSearchStringId, EN_CHANGE, [this] { SearchStringChanged(); }},
                             {IDOK, BN_CLICKED, [this] { EnterPressed(); }},
                             {IDCANCEL, BN_CLICKED, [this] { Close(); }},
                             {kMenuExitId, BN_CLICKED, [this] { Close(); }},
                             {kMenuOptionsId, BN_CLICKED, [this] { OpenOptions(); }},
                             {kMenuResetId, BN_CLICKED, [this] { ResetAll(); }},
                             {kMenuAboutId, BN_CLICKED, [this] { dialogs::ShowAbout(Handle()); }}}),
      programFolder_(std::move(programFolder)),
      settings_(std::move(settings)) {}

toolkit::DialogTemplate LocateWindow::Template() const {
  using namespace toolkit;
  static constexpr DialogItem kItems[] = {
      {kComboBoxClass, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, L"", 7, 7, 130, 120, kDriveId},
      {kStaticClass, SS_LEFT | SS_PATHELLIPSIS | SS_NOPREFIX, L"", 7, 24, 130, 8, kFolderPathId},
      {kListBoxClass, WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_WANTKEYBOARDINPUT,
       platform::TrLater(L"Folders"), 7, 34, 130, 98, kFolderId, WS_EX_CLIENTEDGE},
      {kStaticClass, SS_LEFT, platform::TrLater(L"Search S&tring"), 144, 7, 120, 8, kNoId},
      {kEditClass, ES_AUTOHSCROLL | WS_TABSTOP, L"", 144, 17, 249, 12, kSearchStringId, WS_EX_CLIENTEDGE},
      {kButtonClass, BS_GROUPBOX, platform::TrLater(L"Search and clean options"), 144, 36, 249, 30, kNoId},
      {kButtonClass, BS_AUTOCHECKBOX | WS_TABSTOP, platform::TrLater(L"Delete to &RecycleBin"), 151, 49, 110, 10,
       kRecycleId},
      {kButtonClass, BS_AUTOCHECKBOX | WS_TABSTOP, platform::TrLater(L"&Include Sub Directories"), 268, 49, 118, 10,
       kSubFoldersId},
      {kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, kFindCaption, 144, 76, 78, 14, kFindId},
      {kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, kExitCaption, 229, 76, 78, 14, kExitId},
      {kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, platform::TrLater(L"Option&s"), 315, 76, 78, 14, kOptionsId},
      {kListBoxClass, WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_EXTENDEDSEL,
       platform::TrLater(L"Results"), 7, 138, 386, 96, kResultsId, WS_EX_CLIENTEDGE},
      // An edit, not a label: a summary of many patterns wraps and scrolls instead of running over the
      // "Total size" line.
      {kEditClass, ES_MULTILINE | ES_READONLY | WS_VSCROLL, L"", 7, 236, 386, 22, kStatusId},
      {kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, platform::TrLater(L"&Delete selected"), 7, 261, 90, 14, kDeleteId},
      {kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, platform::TrLater(L"Sele&ct All"), 104, 261, 70, 14, kSelectAllId},
      {kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, platform::TrLater(L"Select N&one"), 181, 261, 70, 14, kSelectNoneId},
  };
  DialogTemplate dialog(DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX |
                            WS_THICKFRAME,
                        400, 282, platform::TrLater(L"Search & Erase"));
  dialog.Items(kItems);
  return dialog;
}

void LocateWindow::AttachMenu() {
  HMENU bar = toolkit::CreateMenuBar(kMenus);
  // The window owns its menu from here on and destroys it with itself. The bar takes its height
  // from the client area, which the window gets back by growing.
  RECT before, after, window;
  GetClientRect(Handle(), &before);
  if (!SetMenu(Handle(), bar)) {
    DestroyMenu(bar);
    return;
  }
  GetClientRect(Handle(), &after);
  GetWindowRect(Handle(), &window);
  SetWindowPos(Handle(), nullptr, 0, 0, window.right - window.left,
               window.bottom - window.top + before.bottom - after.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void LocateWindow::AnchorControls() {
  using namespace toolkit;
  const std::pair<WORD, unsigned> anchors[] = {
      {kSearchStringId, kGrowWide}, {kResultsId, kGrowWide | kGrowTall}, {kStatusId, kMoveDown | kGrowWide},
      {kDeleteId, kMoveDown},       {kSelectAllId, kMoveDown},           {kSelectNoneId, kMoveDown},
  };
  for (const auto& [id, anchor] : anchors) layout_.Add(Handle(), Control(id), anchor);
}

void LocateWindow::Load() {
  HWND hwnd = Handle();
  AttachMenu();
  AnchorControls();
  ShowStatus(L"");
  // Every opening starts from these choices; stored values are not read back.
  settings_.Set(L"StartUp", L"AppPath", WithBackslash(programFolder_));
  CheckDlgButton(hwnd, kRecycleId, BST_CHECKED);
  settings_.Set(L"StartUp", L"Recycele", L"1");
  CheckDlgButton(hwnd, kSubFoldersId, BST_CHECKED);
  settings_.Set(L"StartUp", L"SubFolders", L"1");
  settings_.Set(L"General", L"TipNumber", L"1");
  settings_.Set(L"General", L"Prompt", L"1");
  FillDrives();
  ChangeFolder(programFolder_);
  SetWindowTextW(Control(kFindId), platform::Tr(kFindCaption));
  if (std::optional<std::wstring> joined = filesearch::ReadJoinedExtensions(programFolder_)) SetSearchString(*joined);
  SendMessageW(Control(kResultsId), LB_SETHORIZONTALEXTENT, kInitialExtent, 0);
}

INT_PTR LocateWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_VKEYTOITEM:
      if (reinterpret_cast<HWND>(lParam) == Control(kFolderId)) {
        if (LOWORD(wParam) == VK_BACK) {
          OpenParentFolder();
          return -2;
        }
        if (LOWORD(wParam) == VK_RETURN) {
          OpenSelectedFolder();
          return -2;
        }
      }
      return -1;
    case WM_SETCURSOR:
      if (!searching_) return FALSE;
      SetCursor(LoadCursorW(nullptr, IDC_WAIT));
      SetWindowLongPtrW(Handle(), DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_SIZE: layout_.Apply(Handle()); return TRUE;
    case WM_GETMINMAXINFO: layout_.LimitTracking(*reinterpret_cast<MINMAXINFO*>(lParam)); return TRUE;
    case WM_CLOSE: Close(); return TRUE;
  }
  return FALSE;
}

void LocateWindow::EnterPressed() {
  if (GetFocus() == Control(kSearchStringId)) Find();
  if (GetFocus() == Control(kFolderId)) OpenSelectedFolder();
}

void LocateWindow::SearchStringChanged() {
  if (!platform::WindowText(Control(kSearchStringId)).empty() && !IsWindowEnabled(Control(kFindId))) {
    EnableWindow(Control(kFindId), TRUE);
  }
}

void LocateWindow::FillDrives() {
  HWND drives = Control(kDriveId);
  SendMessageW(drives, CB_RESETCONTENT, 0, 0);
  DWORD length = GetLogicalDriveStringsW(0, nullptr);
  std::wstring buffer(length + 1, L'\0');
  length = GetLogicalDriveStringsW(static_cast<DWORD>(buffer.size()), buffer.data());
  for (const wchar_t* root = buffer.c_str(); *root; root += wcslen(root) + 1) {
    SendMessageW(drives, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(root));
  }
}

void LocateWindow::FillFolders() {
  HWND list = Control(kFolderId);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  subFolders_ = SubFolders(folder_);
  if (!IsDriveRoot(folder_)) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kParentEntry));
  for (const std::wstring& name : subFolders_) {
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
  SetWindowTextW(Control(kFolderPathId), folder_.c_str());
  HWND drives = Control(kDriveId);
  LRESULT drive = SendMessageW(drives, CB_FINDSTRING, static_cast<WPARAM>(-1),
                               reinterpret_cast<LPARAM>(folder_.substr(0, 2).c_str()));
  SendMessageW(drives, CB_SETCURSEL, drive == CB_ERR ? static_cast<WPARAM>(-1) : static_cast<WPARAM>(drive), 0);
}

void LocateWindow::OpenSelectedFolder() {
  LRESULT selected = SendMessageW(Control(kFolderId), LB_GETCURSEL, 0, 0);
  if (selected == LB_ERR) return;
  size_t index = static_cast<size_t>(selected);
  if (!IsDriveRoot(folder_)) {
    if (index == 0) {
      OpenParentFolder();
      return;
    }
    --index;
  }
  if (index < subFolders_.size()) ChangeFolder(WithBackslash(folder_) + subFolders_[index]);
}

void LocateWindow::OpenParentFolder() {
  if (IsDriveRoot(folder_)) return;
  size_t slash = folder_.find_last_of(L'\\');
  if (slash != std::wstring::npos) ChangeFolder(folder_.substr(0, slash));
}

void LocateWindow::DriveChanged() {
  HWND drives = Control(kDriveId);
  LRESULT selected = SendMessageW(drives, CB_GETCURSEL, 0, 0);
  if (selected == CB_ERR) return;
  std::wstring root(static_cast<size_t>(SendMessageW(drives, CB_GETLBTEXTLEN, selected, 0)) + 1, L'\0');
  root.resize(static_cast<size_t>(SendMessageW(drives, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(root.data()))));
  // A drive that is not ready keeps the folder where it was.
  if (searching_ || GetFileAttributesW(root.c_str()) == INVALID_FILE_ATTRIBUTES) {
    FillFolders();
    return;
  }
  ChangeFolder(root);
}

void LocateWindow::ChangeFolder(const std::wstring& folder) {
  // A search keeps its folder until it has ended.
  if (searching_ || !Handle()) return;
  folder_ = FolderForm(folder);
  FillFolders();
  settings_.Set(L"StartUp", L"AppPath", folder_);
  ClearResults();
  stop_ = false;
  if (Search()) SetWindowTextW(Control(kExitId), platform::Tr(kExitCaption));
}

void LocateWindow::SetSearchString(const std::wstring& text) {
  if (Handle()) SetWindowTextW(Control(kSearchStringId), text.c_str());
}

void LocateWindow::Find() {
  if (searching_) return;
  SendMessageW(Control(kResultsId), LB_SETHORIZONTALEXTENT, kInitialExtent, 0);
  stop_ = false;
  ClearResults();
  Search();
}

void LocateWindow::Action() {
  if (platform::WindowText(Control(kExitId)) == platform::Tr(kStopCaption)) {
    stop_ = true;
    SetWindowTextW(Control(kExitId), platform::Tr(kExitCaption));
    return;
  }
  Close();
}

bool LocateWindow::Search() {
  searching_ = true;
  SetBusy(true);
  filesearch::SearchResult result =
      filesearch::FindFiles(folder_, queue_, platform::WindowText(Control(kSearchStringId)), *this);
  searching_ = false;
  SetBusy(false);
  if (closePending_ || !Handle()) {
    Close();
    return false;
  }
  if (result.stopped) return false;
  if (result.ran) {
    HWND list = Control(kResultsId);
    SendMessageW(list, LB_SETHORIZONTALEXTENT, kExtentPerCharacter * result.widestItem, 0);
    size_t items = static_cast<size_t>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    ShowStatus(filesearch::SummaryText(items, result.patterns, result.totalSize));
    SelectAll(true);
  }
  // Also after an empty search string, so that the button does not offer to stop a search that is not running.
  SetWindowTextW(Control(kExitId), platform::Tr(kExitCaption));
  return true;
}

void LocateWindow::Delete() {
  if (searching_) return;
  if (SettingIsTrue(settings_.Get(L"General", L"Prompt", L"1"))) {
    if (toolkit::ShowMessage(Handle(), platform::Tr(kDeleteWarning), platform::Tr(L"Note"),
                             MB_ICONWARNING | MB_YESNO) != IDYES)
      return;
    settings_.Set(L"General", L"Prompt", L"0");
  }
  HWND list = Control(kResultsId);
  const bool toRecycleBin = IsDlgButtonChecked(Handle(), kRecycleId) == BST_CHECKED;
  LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count && static_cast<size_t>(i) < paths_.size(); ++i) {
    if (SendMessageW(list, LB_GETSEL, i, 0) > 0 && !paths_[i].empty())
      filesearch::EraseFoundFile(paths_[i], toRecycleBin, programFolder_);
  }
  ClearResults();
  CheckDlgButton(Handle(), kSubFoldersId, BST_UNCHECKED);
  StoreCheck(kSubFoldersId, L"SubFolders");
  stop_ = false;
  Search();
}

void LocateWindow::ResetAll() {
  std::optional<double> uses = platform::ParseNumber(settings_.Get(L"General", L"Uses", L"1"));
  if (uses && *uses > 2 &&
      toolkit::ShowMessage(Handle(), platform::Tr(L"Do you want to reset all of the parameters to default? "),
                           platform::Tr(L"Are you sure?"), MB_YESNO) != IDYES) {
    return;
  }
  settings_.Set(L"StartUp", L"AppPath", WithBackslash(programFolder_));
  settings_.Set(L"StartUp", L"Log", L"1");
  CheckDlgButton(Handle(), kRecycleId, BST_CHECKED);
  settings_.Set(L"StartUp", L"Recycele", L"1");
  CheckDlgButton(Handle(), kSubFoldersId, BST_CHECKED);
  settings_.Set(L"StartUp", L"SubFolders", L"1");
  for (const wchar_t* key : {L"Tips", L"TipNumber", L"Prompt"}) settings_.Set(L"General", key, L"1");
  settings_.Set(L"General", L"DeleteDirs", kDefaultDeleteDirs);
  settings_.Set(L"General", L"MaxLogSize", L"80");
  filesearch::WriteDefaultExtensions(programFolder_);
  InvalidateRect(Handle(), nullptr, TRUE);
}

void LocateWindow::OpenOptions() {
  ExtensionWindow options(programFolder_, settings_, [this](const std::wstring& text) { SetSearchString(text); });
  options.ShowModal(Handle());
}

void LocateWindow::SelectAll(bool selected) {
  SendMessageW(Control(kResultsId), LB_SETSEL, selected ? TRUE : FALSE, static_cast<LPARAM>(-1));
}

void LocateWindow::ClearResults() {
  SendMessageW(Control(kResultsId), LB_RESETCONTENT, 0, 0);
  paths_.clear();
}

void LocateWindow::SetBusy(bool busy) { SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW)); }

void LocateWindow::StoreCheck(WORD id, const wchar_t* key) {
  settings_.Set(L"StartUp", key, IsDlgButtonChecked(Handle(), id) == BST_CHECKED ? L"1" : L"0");
}

void LocateWindow::Close() {
  if (!Handle()) return;
  // The search's loop is still on the stack: it ends at the stop, and the window goes after it.
  if (searching_) {
    stop_ = true;
    closePending_ = true;
    return;
  }
  closePending_ = false;
  Dialog::Close();
}

void LocateWindow::SearchStarted() { SetWindowTextW(Control(kExitId), platform::Tr(kStopCaption)); }

void LocateWindow::PumpMessages() {
  if (!Handle()) return;
  bool goesOn =
      toolkit::PumpWaitingMessages([this](MSG& message) { return Handle() && IsDialogMessageW(Handle(), &message); });
  if (!goesOn) stop_ = closePending_ = true;
}

bool LocateWindow::IncludeSubFolders() {
  return Handle() && IsDlgButtonChecked(Handle(), kSubFoldersId) == BST_CHECKED;
}

void LocateWindow::ShowFolder(const std::wstring& folder) {
  if (Handle()) ShowStatus(folder);
}

void LocateWindow::ShowStatus(const std::wstring& text) {
  HWND status = Control(kStatusId);
  SetWindowTextW(status, text.c_str());
  // The scroll bar only when the text has more lines than the box shows.
  RECT box;
  GetClientRect(status, &box);
  TEXTMETRICW metrics = {};
  {
    platform::WindowDc dc(status);
    platform::SelectedObject font(dc.get(), reinterpret_cast<HFONT>(SendMessageW(status, WM_GETFONT, 0, 0)));
    GetTextMetricsW(dc.get(), &metrics);
  }
  const LRESULT shown = metrics.tmHeight ? box.bottom / metrics.tmHeight : 1;
  ShowScrollBar(status, SB_VERT, SendMessageW(status, EM_GETLINECOUNT, 0, 0) > shown);
}

void LocateWindow::AddItem(const std::wstring& item, const std::wstring& path) {
  if (!Handle()) return;
  SendMessageW(Control(kResultsId), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  paths_.push_back(path);
}

}  // namespace dialogs
