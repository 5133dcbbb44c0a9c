#include "ui/explorer_keep.h"

#include <shellapi.h>

#include "engine/kept_paths_file.h"
#include "toolkit/list_text_width.h"

namespace ui {

std::optional<std::vector<std::wstring>> PathsToKeep(const std::wstring& commandLine) {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(commandLine.c_str(), &count);
  std::optional<std::vector<std::wstring>> paths;
  if (argv && count >= 2 && CompareStringOrdinal(argv[1], -1, kKeepOption, -1, TRUE) == CSTR_EQUAL) {
    paths.emplace(argv + 2, argv + count);
  }
  LocalFree(argv);
  return paths;
}

ExplorerKeepWindow::ExplorerKeepWindow(std::wstring programFolder, const std::vector<std::wstring>& paths)
    : Dialog(programFolder, {{IDOK, BN_CLICKED, [this] { Close(); }}, {IDCANCEL, BN_CLICKED, [this] { Close(); }}}),
      programFolder_(std::move(programFolder)) {
  Keep(paths);
}

toolkit::DialogTemplate ExplorerKeepWindow::Template() const {
  toolkit::DialogTemplate dialog(DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 320, 170,
                                 kKeepHandover.caption);
  dialog.Item(toolkit::kStaticClass, SS_LEFT | SS_NOPREFIX, L"", 10, 8, 300, 10, kHeadingId);
  dialog.Item(toolkit::kListBoxClass, WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOSEL, L"", 10,
              20, 300, 122, kListId, WS_EX_CLIENTEDGE);
  dialog.Item(toolkit::kButtonClass, BS_DEFPUSHBUTTON | WS_TABSTOP, platform::TrLater(L"OK"), 260, 148, 50, 14, IDOK);
  return dialog;
}

void ExplorerKeepWindow::Load() {
  Show();
  if (open_) open_();
}

INT_PTR ExplorerKeepWindow::OnMessage(UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_COPYDATA) return FALSE;
  // A later start's paths are kept here too, one after another, so no two starts rewrite the list at once.
  std::optional<std::vector<std::wstring>> paths =
      toolkit::HandedPaths(kKeepHandover, *reinterpret_cast<COPYDATASTRUCT*>(lParam));
  if (paths) {
    Keep(*paths);
    Show();
    SetForegroundWindow(Handle());
  }
  SetWindowLongPtrW(Handle(), DWLP_MSGRESULT, paths.has_value());
  return TRUE;
}

void ExplorerKeepWindow::Keep(const std::vector<std::wstring>& paths) {
  for (const std::wstring& path : paths) {
    platform::Result<engine::KeptPathLine> entry = engine::KeepPath(programFolder_, path, engine::kKeptFromExplorer);
    if (entry) {
      kept_.push_back(entry->path);
    } else {
      refused_.push_back(platform::Fill(platform::Tr(L"Not kept: {reason}"), {{L"reason", entry.Reason()}}));
    }
  }
}

void ExplorerKeepWindow::Show() {
  const wchar_t* heading = !kept_.empty()     ? platform::TrLater(L"Trellwipe keeps these from every cleaning:")
                           : refused_.empty() ? platform::TrLater(L"Nothing was chosen to keep.")
                                              : platform::TrLater(L"Trellwipe could not keep these:");
  SetDlgItemTextW(Handle(), kHeadingId, platform::Tr(heading));
  HWND list = Control(kListId);
  // The heading names the list for a screen reader too.
  SetWindowTextW(list, platform::Tr(heading));
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const auto* lines : {&kept_, &refused_}) {
    for (const std::wstring& line : *lines) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  }
  toolkit::ResetHorizontalExtent(list);
}

bool KeepFromExplorer(const std::wstring& programFolder, const std::vector<std::wstring>& paths) {
  toolkit::StartingTurn turn(kKeepHandover);
  if (!paths.empty() && toolkit::HandToRunningWindow(kKeepHandover, paths)) return true;
  ExplorerKeepWindow window(programFolder, paths);
  window.WhenOpen([&] { turn.Release(); });
  window.ShowModal(nullptr);
  return window.AllKept();
}

}  // namespace ui
