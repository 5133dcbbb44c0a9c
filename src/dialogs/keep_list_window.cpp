#include "dialogs/keep_list_window.h"

#include "keeplists/keep_list_file.h"
#include "platform/text.h"
#include "platform/translation.h"
#include "toolkit/keyboard.h"
#include "toolkit/list_text_width.h"
#include "toolkit/messages.h"

namespace dialogs {

namespace {

using toolkit::kButtonClass;
using toolkit::kListBoxClass;
using toolkit::kNoId;
using toolkit::kStaticClass;

constexpr DWORD kListStyle = WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;

}  // namespace

KeepListWindow::KeepListWindow(Texts texts, std::wstring keepListFile)
    // The keep list lies in the program folder, beside the skin.
    : Dialog(keepListFile.substr(0, keepListFile.find_last_of(L'\\')),
             {{kAddId, BN_CLICKED, [this] { Add(); }},
              {kRemoveId, BN_CLICKED, [this] { Remove(); }},
              {IDCANCEL, BN_CLICKED, [this] { Close(IDCANCEL); }}}),
      texts_(texts),
      keepListFile_(std::move(keepListFile)) {}

toolkit::DialogTemplate KeepListWindow::Template() const {
  const short height = 146;
  toolkit::DialogTemplate dialog(DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 400, height,
                                 texts_.caption);
  dialog.Item(kButtonClass, BS_GROUPBOX, texts_.frame, 7, 4, 386, static_cast<short>(height - 11), kNoId);
  dialog.Item(kStaticClass, SS_LEFT, texts_.currentHeading, 14, 16, 160, 8, kNoId);
  dialog.Item(kListBoxClass, kListStyle | WS_GROUP,
              toolkit::WithoutMnemonic(platform::Tr(texts_.currentHeading)).c_str(), 14, 26, 160, 108, kCurrentListId,
              WS_EX_CLIENTEDGE);
  dialog.Item(kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, platform::TrLater(L"&Add >"), 180, 56, 40, 14, kAddId);
  dialog.Item(kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, platform::TrLater(L"< &Remove"), 180, 76, 40, 14, kRemoveId);
  dialog.Item(kStaticClass, SS_LEFT, texts_.keepHeading, 226, 16, 160, 8, kNoId);
  dialog.Item(kListBoxClass, kListStyle, toolkit::WithoutMnemonic(platform::Tr(texts_.keepHeading)).c_str(), 226, 26,
              160, 108, kKeepListId, WS_EX_CLIENTEDGE);
  return dialog;
}

void KeepListWindow::Load() { LoadLists(); }

void KeepListWindow::Fill(HWND list, const std::vector<std::wstring>& items) {
  for (const std::wstring& item : items) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  // Long paths differ only at their ends: the list scrolls sideways to them.
  toolkit::ResetHorizontalExtent(list);
}

void KeepListWindow::LoadKeepListFile() {
  if (!keeplists::KeepListExists(keepListFile_)) return;
  HWND keep = KeepList();
  SendMessageW(keep, LB_RESETCONTENT, 0, 0);
  Fill(keep, keeplists::LoadKeepList(keepListFile_));
}

void KeepListWindow::Add() {
  HWND current = CurrentList(), keep = KeepList();
  std::wstring text = toolkit::ListItemText(current, SendMessageW(current, LB_GETCURSEL, 0, 0));
  // The file, in the system's code page, would keep another name than the entry's, and the entry
  // meant to be spared would go.
  if (!platform::FitsCodePage(keeplists::WithoutTrailingBlanks(text))) {
    toolkit::Tell(Handle(), platform::Fill(platform::Tr(L"Can't keep \"{entry}\": its name has characters that this "
                                                        L"system's code page lacks, so {file} cannot hold it."),
                                           {{L"entry", text}, {L"file", keepListFile_}}));
    return;
  }
  for (LRESULT i = 0, count = SendMessageW(keep, LB_GETCOUNT, 0, 0); i < count; ++i) {
    if (toolkit::ListItemText(keep, i) == keeplists::WithoutTrailingBlanks(text)) return;
  }
  LRESULT added = SendMessageW(keep, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  // The list on screen shows what the file keeps, so an entry the file did not take goes again.
  if (!keeplists::AppendToKeepList(keepListFile_, text)) {
    if (added >= 0) SendMessageW(keep, LB_DELETESTRING, added, 0);
    toolkit::Tell(Handle(), platform::Fill(platform::Tr(L"Can't write {file}: \"{entry}\" is not kept."),
                                           {{L"file", keepListFile_}, {L"entry", text}}));
  }
  toolkit::ResetHorizontalExtent(keep);
}

void KeepListWindow::Remove() {
  HWND keep = KeepList();
  LRESULT selected = SendMessageW(keep, LB_GETCURSEL, 0, 0);
  std::wstring removed = selected != LB_ERR ? toolkit::ListItemText(keep, selected) : std::wstring();
  if (selected != LB_ERR) SendMessageW(keep, LB_DELETESTRING, selected, 0);
  std::vector<std::wstring> remaining;
  LRESULT count = SendMessageW(keep, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) remaining.push_back(toolkit::ListItemText(keep, i));
  // The file still keeps the entry, so the list on screen does too.
  if (!keeplists::RewriteKeepList(keepListFile_, remaining)) {
    if (selected != LB_ERR) SendMessageW(keep, LB_INSERTSTRING, selected, reinterpret_cast<LPARAM>(removed.c_str()));
    toolkit::Tell(Handle(), platform::Fill(platform::Tr(L"Can't write {file}: the list is not changed."),
                                           {{L"file", keepListFile_}}));
  }
  InvalidateRect(keep, nullptr, TRUE);
  toolkit::ResetHorizontalExtent(keep);
}

}  // namespace dialogs
