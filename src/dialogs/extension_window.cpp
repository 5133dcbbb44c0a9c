#include "dialogs/extension_window.h"

#include <algorithm>

#include "filesearch/extension_list.h"
#include "platform/text.h"
#include "platform/translation.h"
#include "platform/window_text.h"
#include "toolkit/messages.h"

namespace dialogs {

namespace {
constexpr wchar_t kAddStart[] = L"*.";
}

ExtensionWindow::ExtensionWindow(std::wstring programFolder, filesearch::DiskmoteSettings settings,
                                 SearchStringSink searchString)
    : Dialog(programFolder, {{kAddId, BN_CLICKED, [this] { Add(); }},
                             {kRemoveId, BN_CLICKED, [this] { Remove(); }},
                             {kDefaultId, BN_CLICKED, [this] { Default(); }},
                             {kDoneId, BN_CLICKED, [this] { Close(); }},
                             {IDCANCEL, BN_CLICKED, [this] { Close(); }},
                             {IDOK, BN_CLICKED, [this] { EnterPressed(); }}}),
      programFolder_(std::move(programFolder)),
      settings_(std::move(settings)),
      searchString_(std::move(searchString)) {}

toolkit::DialogTemplate ExtensionWindow::Template() const {
  using namespace toolkit;
  static constexpr DialogItem kItems[] = {
      {kButtonClass, BS_GROUPBOX, platform::TrLater(L"Extention List:"), 7, 4, 112, 139, kNoId},
      {kListBoxClass, WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, platform::TrLater(L"Extention List"),
       14, 16, 98, 120, kFileTypesId, WS_EX_CLIENTEDGE},
      {kButtonClass, BS_GROUPBOX, platform::TrLater(L"Extention Options:"), 125, 4, 118, 139, kNoId},
      {kStaticClass, SS_LEFT, platform::TrLater(L"Extention:"), 132, 18, 104, 8, kNoId},
      {kEditClass, ES_AUTOHSCROLL | WS_TABSTOP, kAddStart, 132, 28, 104, 12, kAddTextId, WS_EX_CLIENTEDGE},
      {kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, platform::TrLater(L"&Add"), 132, 48, 104, 14, kAddId},
      {kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, platform::TrLater(L"&Remove"), 132, 66, 104, 14, kRemoveId},
      {kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, platform::TrLater(L"&Default"), 132, 84, 104, 14, kDefaultId},
      {kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, platform::TrLater(L"D&one"), 132, 122, 104, 14, kDoneId},
  };
  DialogTemplate dialog(DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 250, 150,
                        platform::TrLater(L"Options"));
  dialog.Items(kItems);
  return dialog;
}

void ExtensionWindow::Load() {
  if (settings_.Get(L"General", L"MaxLogSize").empty()) settings_.Set(L"General", L"MaxLogSize", L"80");
  FillList();
}

void ExtensionWindow::EnterPressed() {
  if (GetFocus() == AddText()) Add();
}

void ExtensionWindow::FillList() {
  SendMessageW(FileTypes(), LB_RESETCONTENT, 0, 0);
  for (const std::wstring& entry : filesearch::ReadExtensions(programFolder_)) {
    SendMessageW(FileTypes(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
  }
}

// A list with no valid entry leaves the search string as it was.
void ExtensionWindow::PushSearchString() {
  if (!searchString_) return;
  if (std::optional<std::wstring> joined = filesearch::ReadJoinedExtensions(programFolder_)) searchString_(*joined);
}

void ExtensionWindow::TellIfNotWritten(const platform::Result<void>& written, const wchar_t* message) const {
  if (written) return;
  toolkit::Tell(Handle(), platform::Fill(message, {{L"file", filesearch::ExtensionFile(programFolder_)},
                                                   {L"reason", written.Reason()}}));
}

void ExtensionWindow::Add() {
  std::wstring text = platform::Trim(platform::WindowText(AddText()));
  if (filesearch::IsValidExtension(text)) {
    // The same pattern in another letter case finds the same files: it is not added twice.
    std::vector<std::wstring> entries = filesearch::ReadExtensions(programFolder_);
    bool listed = std::any_of(entries.begin(), entries.end(),
                              [&](const std::wstring& entry) { return platform::EqualsNoCase(entry, text); });
    if (!listed)
      TellIfNotWritten(filesearch::AppendExtension(programFolder_, text),
                       platform::Tr(L"Can't write {file} ({reason}): the pattern is not added."));
    FillList();
    PushSearchString();
    SetWindowTextW(AddText(), kAddStart);
    return;
  }
  toolkit::ShowMessage(Handle(), platform::Tr(L"Please fill a legal extention name and try again!"),
                       platform::Tr(L"Error"), MB_ICONERROR | MB_OK);
  SetWindowTextW(AddText(), kAddStart);
  SetFocus(AddText());
}

void ExtensionWindow::Remove() {
  LRESULT selected = SendMessageW(FileTypes(), LB_GETCURSEL, 0, 0);
  // Nothing selected removes nothing.
  if (selected != LB_ERR) {
    std::wstring entry(static_cast<size_t>(SendMessageW(FileTypes(), LB_GETTEXTLEN, selected, 0)) + 1, L'\0');
    entry.resize(
        static_cast<size_t>(SendMessageW(FileTypes(), LB_GETTEXT, selected, reinterpret_cast<LPARAM>(entry.data()))));
    TellIfNotWritten(filesearch::RemoveExtension(programFolder_, entry),
                     platform::Tr(L"Can't write {file} ({reason}): the pattern is not removed."));
  }
  FillList();
  PushSearchString();
}

void ExtensionWindow::Default() {
  if (toolkit::ShowMessage(Handle(), platform::Tr(L"Are you sure you want to Return to the defaul settings?"),
                           platform::Tr(L"Warnning:"), MB_YESNO) != IDYES) {
    return;
  }
  filesearch::WriteDefaultExtensions(programFolder_);
  FillList();
  PushSearchString();
}

}  // namespace dialogs
