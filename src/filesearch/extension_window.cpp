#include "filesearch/extension_window.h"

#include <algorithm>

#include "filesearch/extension_list.h"
#include "platform/text.h"
#include "toolkit/skin.h"

namespace filesearch {

namespace {
constexpr wchar_t kAddStart[] = L"*.";
}

ExtensionWindow::ExtensionWindow(std::wstring programFolder, DiskmoteSettings settings,
                                 SearchStringSink searchString, MessageSink messages)
    : programFolder_(std::move(programFolder)),
      settings_(std::move(settings)),
      searchString_(std::move(searchString)),
      messages_(std::move(messages)) {}

ExtensionWindow::~ExtensionWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

DialogTemplate ExtensionWindow::Template() {
  DialogTemplate dialog(DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 250, 150, L"Options");
  dialog.Item(kButtonClass, BS_GROUPBOX, 0, L"Extention List:", 7, 4, 112, 139, kNoId);
  dialog.Item(kListBoxClass, WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, WS_EX_CLIENTEDGE, L"",
              14, 16, 98, 120, kFileTypesId);
  dialog.Item(kButtonClass, BS_GROUPBOX, 0, L"Extention Options:", 125, 4, 118, 139, kNoId);
  dialog.Item(kStaticClass, SS_LEFT, 0, L"Extention:", 132, 18, 104, 8, kNoId);
  dialog.Item(kEditClass, ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, kAddStart, 132, 28, 104, 12, kAddTextId);
  dialog.Item(kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, 0, L"&Add", 132, 48, 104, 14, kAddId);
  dialog.Item(kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, 0, L"&Remove", 132, 66, 104, 14, kRemoveId);
  dialog.Item(kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, 0, L"&Default", 132, 84, 104, 14, kDefaultId);
  dialog.Item(kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, 0, L"D&one", 132, 122, 104, 14, kDoneId);
  return dialog;
}

bool ExtensionWindow::Create(HWND owner, bool visible) {
  if (hwnd_) return false;
  modal_ = false;
  if (!CreateModeless(Template(), owner, Procedure, reinterpret_cast<LPARAM>(this))) return false;
  if (visible) ShowWindow(hwnd_, SW_SHOW);
  return true;
}

void ExtensionWindow::ShowModal(HWND owner) {
  if (hwnd_) return;
  modal_ = true;
  RunModal(Template(), owner, Procedure, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK ExtensionWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    reinterpret_cast<ExtensionWindow*>(lParam)->Load(hwnd);
    return TRUE;
  }
  auto* self = reinterpret_cast<ExtensionWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  return self ? self->Handle(message, wParam, lParam) : FALSE;
}

void ExtensionWindow::Load(HWND hwnd) {
  hwnd_ = hwnd;
  fileTypes_ = GetDlgItem(hwnd, kFileTypesId);
  addText_ = GetDlgItem(hwnd, kAddTextId);
  toolkit::ApplySkinFile(hwnd, programFolder_);
  if (settings_.Get(L"General", L"MaxLogSize").empty()) settings_.Set(L"General", L"MaxLogSize", L"80");
  FillList();
}

INT_PTR ExtensionWindow::Handle(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) return FALSE;
      switch (LOWORD(wParam)) {
        case kAddId: Add(); return TRUE;
        case kRemoveId: Remove(); return TRUE;
        case kDefaultId: Default(); return TRUE;
        case kDoneId:
        case IDCANCEL: Close(); return TRUE;
        case IDOK:
          // Enter in the text field adds what was typed.
          if (GetFocus() == addText_) Add();
          return TRUE;
      }
      return FALSE;
    case WM_DESTROY:
      SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
      hwnd_ = fileTypes_ = addText_ = nullptr;
      return TRUE;
  }
  return FALSE;
}

void ExtensionWindow::FillList() {
  SendMessageW(fileTypes_, LB_RESETCONTENT, 0, 0);
  for (const std::wstring& entry : ReadExtensions(programFolder_)) {
    SendMessageW(fileTypes_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
  }
}

// A list with no valid entry leaves the search string as it was.
void ExtensionWindow::PushSearchString() {
  if (!searchString_) return;
  if (std::optional<std::wstring> joined = ReadJoinedExtensions(programFolder_)) searchString_(*joined);
}

void ExtensionWindow::Add() {
  std::wstring text = platform::Trim(WindowText(addText_));
  if (IsValidExtension(text)) {
    // The same pattern in another letter case finds the same files: it is not added twice.
    std::vector<std::wstring> entries = ReadExtensions(programFolder_);
    bool listed = std::any_of(entries.begin(), entries.end(),
                              [&](const std::wstring& entry) { return platform::EqualsNoCase(entry, text); });
    if (!listed) AppendExtension(programFolder_, text);
    FillList();
    PushSearchString();
    SetWindowTextW(addText_, kAddStart);
    return;
  }
  ShowMessage(messages_, hwnd_, L"Please fill a legal extention name and try again!", L"Error",
              MB_ICONERROR | MB_OK);
  SetWindowTextW(addText_, kAddStart);
  SetFocus(addText_);
}

void ExtensionWindow::Remove() {
  LRESULT selected = SendMessageW(fileTypes_, LB_GETCURSEL, 0, 0);
  // Nothing selected removes nothing.
  if (selected != LB_ERR) {
    std::wstring entry(static_cast<size_t>(SendMessageW(fileTypes_, LB_GETTEXTLEN, selected, 0)) + 1, L'\0');
    entry.resize(static_cast<size_t>(
        SendMessageW(fileTypes_, LB_GETTEXT, selected, reinterpret_cast<LPARAM>(entry.data()))));
    RemoveExtension(programFolder_, entry);
  }
  FillList();
  PushSearchString();
}

void ExtensionWindow::Default() {
  if (ShowMessage(messages_, hwnd_, L"Are you sure you want to Return to the defaul settings?", L"Warnning:",
                  MB_YESNO) != IDYES) {
    return;
  }
  WriteDefaultExtensions(programFolder_);
  FillList();
  PushSearchString();
}

void ExtensionWindow::Close() {
  if (modal_) {
    EndDialog(hwnd_, IDOK);
  } else {
    DestroyWindow(hwnd_);
  }
}

}  // namespace filesearch
