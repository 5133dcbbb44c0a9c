#include "dialogs/kept_paths_window.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include "platform/table.h"
#include "platform/translation.h"
#include "toolkit/dpi.h"
#include "toolkit/list_view.h"
#include "toolkit/messages.h"
#include "toolkit/pickers.h"

namespace dialogs {

namespace {

using toolkit::kButtonClass;

constexpr toolkit::ListColumn kColumns[] = {{platform::TrLater(L"File or folder"), 420},
                                            {platform::TrLater(L"Kept from"), 120}};

// What the list stores for each source, and what the window shows for it.
struct KeptFrom {
  const wchar_t* stored;
  const wchar_t* shown;
};
constexpr KeptFrom kSources[] = {{engine::kKeptFromDetails, platform::TrLater(L"the details")},
                                 {engine::kKeptFromExplorer, platform::TrLater(L"Explorer")},
                                 {engine::kKeptFromConsole, platform::TrLater(L"the console")},
                                 {engine::kKeptByHand, platform::TrLater(L"by hand")}};

}  // namespace

KeptPathPickers SystemKeptPathPickers() {
  return {[](HWND owner) -> std::optional<std::wstring> {
            std::optional<toolkit::PickedFiles> picked =
                toolkit::PickFiles(owner, {platform::Tr(L"File to keep"), L"*.*\0*.*\0",
                                           OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, 32767});
            if (!picked) return std::nullopt;
            return picked->text.substr(0, picked->text.find(L'\0'));
          },
          [](HWND owner) {
            return toolkit::PickFolder(owner, platform::Tr(L"Folder to keep, with everything in it"),
                                       BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE);
          }};
}

std::wstring KeptFromText(const std::wstring& from) {
  const std::wstring_view stored = from.empty() ? std::wstring_view(engine::kKeptByHand) : std::wstring_view(from);
  const KeptFrom* source = platform::FindRow(kSources, &KeptFrom::stored, stored);
  return source ? platform::Tr(source->shown) : from;
}

KeptPathsWindow::KeptPathsWindow(std::wstring programFolder, KeptPathPickers pickers)
    : Dialog(programFolder, {{kAddFileId, BN_CLICKED, [this] { Add(pickers_.file(Handle())); }},
                             {kAddFolderId, BN_CLICKED, [this] { Add(pickers_.folder(Handle())); }},
                             {kRemoveId, BN_CLICKED, [this] { Remove(); }},
                             {IDCANCEL, BN_CLICKED, [this] { Close(IDCANCEL); }}}),
      programFolder_(std::move(programFolder)),
      pickers_(std::move(pickers)) {}

toolkit::DialogTemplate KeptPathsWindow::Template() const {
  toolkit::DialogTemplate dialog(DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 400, 200,
                                 platform::TrLater(L"Files and folders to keep"));
  // The list's class, before the window is made from the template.
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  dialog.Item(WC_LISTVIEWW, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP,
              platform::TrLater(L"Files and folders to keep"), 7, 7, 386, 166, kListId);
  dialog.Item(kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, platform::TrLater(L"Add &File..."), 7, 179, 80, 14, kAddFileId);
  dialog.Item(kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, platform::TrLater(L"Add F&older..."), 93, 179, 80, 14,
              kAddFolderId);
  dialog.Item(kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, platform::TrLater(L"&Remove"), 179, 179, 64, 14, kRemoveId);
  dialog.Item(kButtonClass, BS_DEFPUSHBUTTON | WS_TABSTOP, platform::TrLater(L"&Close"), 339, 179, 54, 14, IDCANCEL);
  return dialog;
}

void KeptPathsWindow::Load() {
  SendMessageW(Handle(), DM_SETDEFID, IDCANCEL, 0);
  ListView_SetExtendedListViewStyle(List(), LVS_EX_FULLROWSELECT);
  toolkit::AddListColumns(List(), kColumns, toolkit::WindowDpi(List()));
  Fill();
}

void KeptPathsWindow::Fill() {
  HWND list = List();
  ListView_DeleteAllItems(list);
  platform::Result<std::vector<engine::KeptPathLine>> entries = engine::LoadKeptPaths(programFolder_);
  entries_ = entries ? std::move(*entries) : std::vector<engine::KeptPathLine>{};
  // The run then keeps everything; the window says why the list is empty.
  if (!entries) toolkit::Tell(Handle(), entries.Reason());
  for (const engine::KeptPathLine& entry : entries_) {
    toolkit::SetListCellText(list, toolkit::AppendListRow(list, entry.path), 1, KeptFromText(entry.from));
  }
}

void KeptPathsWindow::Add(const std::optional<std::wstring>& path) {
  if (!path) return;
  platform::Result<engine::KeptPathLine> kept = engine::KeepPath(programFolder_, *path, engine::kKeptByHand);
  if (!kept) toolkit::Tell(Handle(), platform::Fill(platform::Tr(L"Not kept: {reason}"), {{L"reason", kept.Reason()}}));
  Fill();
}

void KeptPathsWindow::Remove() {
  const int selected = ListView_GetNextItem(List(), -1, LVNI_SELECTED);
  if (selected < 0 || static_cast<size_t>(selected) >= entries_.size()) return;
  platform::Result<std::vector<engine::KeptPathLine>> removed =
      engine::UnkeepPath(programFolder_, entries_[selected].path);
  if (!removed) {
    toolkit::Tell(Handle(), platform::Fill(platform::Tr(L"Still kept: {reason}"), {{L"reason", removed.Reason()}}));
  }
  Fill();
}

void ShowKeptPaths(HWND owner, const std::wstring& programFolder) { KeptPathsWindow(programFolder).ShowModal(owner); }

}  // namespace dialogs
