#include "dialogs/details_window.h"

#include <algorithm>

#include "dialogs/keep_menu.h"
#include "platform/handles.h"
#include "platform/translation.h"
#include "toolkit/dpi.h"
#include "toolkit/list_view.h"
#include "toolkit/menus.h"
#include "toolkit/skin.h"

namespace dialogs {

namespace {

constexpr UINT kCloseId = IDCANCEL;
constexpr int kGap = 8;
// The window's size in pixels at 96 DPI.
constexpr SIZE kDesignSize = {640, 400};

}  // namespace

DetailsWindow::DetailsWindow(std::wstring title, engine::ItemReport item, std::vector<engine::RuleReason> reasons,
                             bool preview, std::wstring programFolder)
    : Dialog(programFolder, {{kCloseId, BN_CLICKED, [this] { Close(); }},
                             {kKeepFileCommand, BN_CLICKED, [this] { Keep(KeepWhat::File); }},
                             {kKeepFolderCommand, BN_CLICKED, [this] { Keep(KeepWhat::Folder); }},
                             {kKeepMatchesCommand, BN_CLICKED, [this] { Keep(KeepWhat::Matches); }},
                             {kGroupByReasonId, BN_CLICKED, [this] { Group(); }}}),
      title_(std::move(title)),
      item_(std::move(item)),
      reasons_(std::move(reasons)),
      lines_(item_, preview, &reasons_),
      programFolder_(std::move(programFolder)) {}

toolkit::DialogTemplate DetailsWindow::Template() const {
  // Sized in pixels for its monitor once it exists.
  return {DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, 320, 200, title_.c_str()};
}

void DetailsWindow::MakeControls() {
  HWND hwnd = Handle();
  HINSTANCE instance = GetModuleHandleW(nullptr);
  dpi_ = toolkit::WindowDpi(hwnd);
  SetWindowPos(hwnd, nullptr, 0, 0, toolkit::Scale(kDesignSize.cx, dpi_), toolkit::Scale(kDesignSize.cy, dpi_),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  // The button comes first, so that it has the focus as the window opens; Tab goes on to the lines.
  close_ =
      CreateWindowExW(0, L"BUTTON", platform::Tr(L"&Close"), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0,
                      0, 0, 0, hwnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kCloseId)), instance, nullptr);
  group_ = CreateWindowExW(0, L"BUTTON", platform::Tr(L"&Group by reason"),
                           WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 0, 0, 0, hwnd,
                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kGroupByReasonId)), instance, nullptr);
  list_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, platform::Tr(L"Details"),
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_OWNERDATA |
                              LVS_OWNERDRAWFIXED | LVS_SINGLESEL,
                          0, 0, 0, 0, hwnd, nullptr, instance, nullptr);
  MakeFont();
  ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT);
  // One column without a header, sized with the list.
  toolkit::AddListColumns(list_, {{L"", 0}}, toolkit::kDesignDpi);
  ListView_SetItemCountEx(list_, static_cast<int>(lines_.size()), 0);
}

void DetailsWindow::Load() {
  SendMessageW(Handle(), DM_SETDEFID, kCloseId, 0);
  Layout();
}

void DetailsWindow::MakeFont() {
  // The controls let go of the old font before it is deleted.
  platform::Font oldFont = std::move(font_);
  LOGFONTW font = toolkit::MessageFont(dpi_);
  font_.reset(CreateFontIndirectW(&font));
  for (HWND control : {list_, close_, group_}) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
  }
}

void DetailsWindow::ShowLine(NMLVDISPINFOW& info) {
  if (!(info.item.mask & LVIF_TEXT) || info.item.iItem < 0 || static_cast<size_t>(info.item.iItem) >= lines_.size()) {
    return;
  }
  lstrcpynW(info.item.pszText, lines_[info.item.iItem].c_str(), info.item.cchTextMax);
}

// The rows are drawn here because the list draws no more than 259 characters of a line, and a deep
// path is longer. Long paths scroll sideways instead of being cut: the column is as wide as the
// widest line drawn so far.
void DetailsWindow::DrawLine(const DRAWITEMSTRUCT& draw) {
  if (draw.itemID >= lines_.size()) return;
  const std::wstring line = lines_[draw.itemID];
  const bool selected = draw.itemState & ODS_SELECTED;
  COLORREF back = ListView_GetBkColor(list_);
  if (back == CLR_NONE) back = GetSysColor(COLOR_WINDOW);
  platform::Brush brush(CreateSolidBrush(selected ? GetSysColor(COLOR_HIGHLIGHT) : back));
  FillRect(draw.hDC, &draw.rcItem, brush.get());
  platform::SelectedObject font(draw.hDC, font_.get());
  SetBkMode(draw.hDC, TRANSPARENT);
  SetTextColor(draw.hDC, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : ListView_GetTextColor(list_));
  const int gap = toolkit::Scale(kGap, dpi_);
  RECT text = draw.rcItem;
  text.left += gap;
  DrawTextW(draw.hDC, line.c_str(), static_cast<int>(line.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  if (draw.itemState & ODS_FOCUS) DrawFocusRect(draw.hDC, &draw.rcItem);
  SIZE size{};
  GetTextExtentPoint32W(draw.hDC, line.c_str(), static_cast<int>(line.size()), &size);
  if (size.cx + 2 * gap > columnWidth_) {
    columnWidth_ = size.cx + 2 * gap;
    FitColumn();
  }
}

// A row as high as the list's own rows would be in the window's font.
void DetailsWindow::MeasureLine(MEASUREITEMSTRUCT& measure) const {
  platform::WindowDc dc(Handle());
  platform::SelectedObject font(dc.get(), font_.get());
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc.get(), &metrics);
  measure.itemHeight = metrics.tmHeight + toolkit::Scale(2, dpi_);
}

// At least as wide as the list, so that every row is drawn and asked for.
void DetailsWindow::FitColumn() {
  RECT client;
  GetClientRect(list_, &client);
  ListView_SetColumnWidth(list_, 0, std::max<int>(columnWidth_, client.right));
}

std::optional<engine::FileRecord> DetailsWindow::SelectedFile() const {
  const int selected = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
  if (selected < 0 || programFolder_.empty()) return std::nullopt;
  return lines_.FileAt(static_cast<size_t>(selected));
}

const engine::RuleReason* DetailsWindow::SelectedReason() const {
  const std::optional<engine::FileRecord> file = SelectedFile();
  if (!file || file->reason == 0 || file->reason > reasons_.size()) return nullptr;
  const engine::RuleReason& reason = reasons_[file->reason - 1];
  // A pattern that reaches into another folder is no name in this one.
  return reason.pattern.empty() || reason.pattern.find_first_of(L"\\/:") != std::wstring::npos ? nullptr : &reason;
}

void DetailsWindow::ShowKeepMenu(LPARAM at) {
  const UINT state = SelectedFile() ? MF_STRING : MF_STRING | MF_GRAYED;
  platform::Menu menu(CreatePopupMenu());
  AppendMenuW(menu.get(), state, kKeepFileCommand, KeepEntryText(KeepWhat::File).c_str());
  AppendMenuW(menu.get(), state, kKeepFolderCommand, KeepEntryText(KeepWhat::Folder).c_str());
  AppendMenuW(menu.get(), SelectedReason() ? MF_STRING : MF_STRING | MF_GRAYED, kKeepMatchesCommand,
              KeepEntryText(KeepWhat::Matches).c_str());
  POINT point{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
  if (toolkit::ContextMenuFromKeyboard(at)) {
    RECT row{};
    row.left = LVIR_BOUNDS;
    const int selected = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
    if (selected < 0 || !SendMessageW(list_, LVM_GETITEMRECT, selected, reinterpret_cast<LPARAM>(&row))) row = {};
    point = {row.left, row.bottom};
    ClientToScreen(list_, &point);
  }
  // The choice comes back as a command.
  TrackPopupMenu(menu.get(), TPM_RIGHTBUTTON, point.x, point.y, 0, Handle(), nullptr);
}

void DetailsWindow::Keep(KeepWhat what) {
  const std::optional<engine::FileRecord> file = SelectedFile();
  const engine::RuleReason* reason = SelectedReason();
  if (!file || (what == KeepWhat::Matches && !reason)) return;
  KeepFromPreview(Handle(), programFolder_, PathToKeep(what, file->path, reason ? reason->pattern : L""));
}

void DetailsWindow::Group() {
  lines_.GroupByReason(SendMessageW(group_, BM_GETCHECK, 0, 0) == BST_CHECKED);
  InvalidateRect(list_, nullptr, TRUE);
}

DetailsLayout LayOutDetailsWindow(SIZE client, UINT dpi) {
  const int gap = toolkit::Scale(kGap, dpi), buttonWidth = toolkit::Scale(96, dpi),
            buttonHeight = toolkit::Scale(28, dpi);
  DetailsLayout layout{};
  layout.lines = {gap, gap, client.cx - gap, std::max<LONG>(gap, client.cy - 2 * gap - buttonHeight)};
  layout.close = {client.cx - gap - buttonWidth, client.cy - gap - buttonHeight, client.cx - gap, client.cy - gap};
  layout.group = {gap, layout.close.top, std::max<LONG>(gap, layout.close.left - gap), layout.close.bottom};
  return layout;
}

void DetailsWindow::Layout() {
  RECT client;
  GetClientRect(Handle(), &client);
  const DetailsLayout layout = LayOutDetailsWindow({client.right, client.bottom}, dpi_);
  for (const auto& [control, rect] :
       {std::pair{list_, layout.lines}, std::pair{close_, layout.close}, std::pair{group_, layout.group}}) {
    MoveWindow(control, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
  }
  FitColumn();
}

INT_PTR DetailsWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      if (list_) Layout();
      return TRUE;
    case WM_GETFONT:
      // The skin sizes its font from the window's, which follows the DPI.
      SetWindowLongPtrW(Handle(), DWLP_MSGRESULT, reinterpret_cast<LONG_PTR>(font_.get()));
      return TRUE;
    case WM_DPICHANGED:
      dpi_ = toolkit::MoveToSuggestedRect(Handle(), wParam, lParam);
      MakeFont();
      // The skin's font follows the window's.
      toolkit::ApplySkinFile(Handle(), programFolder_);
      // The lines are measured again in the new font as they are shown.
      columnWidth_ = 0;
      Layout();
      return TRUE;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) != list_) break;
      ShowKeepMenu(lParam);
      return TRUE;
    case WM_MEASUREITEM:
      if (wParam == 0 && reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->CtlType == ODT_LISTVIEW) {
        MeasureLine(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
      }
      break;
    case WM_DRAWITEM:
      if (reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem == list_) {
        DrawLine(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        return TRUE;
      }
      break;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->hwndFrom == list_ && header->code == LVN_GETDISPINFOW) {
        ShowLine(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
        return TRUE;
      }
      break;
    }
  }
  return FALSE;
}

void ShowDetails(HWND owner, const std::wstring& title, const engine::ItemReport& item,
                 const std::vector<engine::RuleReason>& reasons, bool preview, const std::wstring& programFolder) {
  DetailsWindow(title, item, reasons, preview, programFolder).ShowModal(owner);
}

}  // namespace dialogs
