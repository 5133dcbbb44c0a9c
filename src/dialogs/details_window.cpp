#include "dialogs/details_window.h"

#include <algorithm>

#include "platform/handles.h"
#include "toolkit/dpi.h"
#include "toolkit/keyboard.h"
#include "toolkit/skin.h"

namespace ui {

namespace {

constexpr wchar_t kClassName[] = L"TrellwipeDetailsWindow";
constexpr UINT kCloseId = IDCANCEL;
constexpr int kGap = 8;

}  // namespace

DetailsWindow::DetailsWindow(std::wstring title, engine::ItemReport item, bool preview, std::wstring programFolder)
    : title_(std::move(title)), item_(std::move(item)), lines_(item_, preview), programFolder_(std::move(programFolder)) {}

DetailsWindow::~DetailsWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

bool DetailsWindow::Create(HWND owner, bool visible) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  toolkit::RegisterWindowClass({kClassName, toolkit::ObjectProcedure<DetailsWindow>, instance});
  if (!CreateWindowExW(WS_EX_DLGMODALFRAME, kClassName, title_.c_str(),
                       WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, CW_USEDEFAULT, CW_USEDEFAULT, 640, 400,
                       owner, nullptr, instance, this)) {
    return false;
  }
  dpi_ = toolkit::WindowDpi(hwnd_);
  if (dpi_ != toolkit::kDesignDpi) {
    SetWindowPos(hwnd_, nullptr, 0, 0, toolkit::Scale(640, dpi_), toolkit::Scale(400, dpi_), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  LOGFONTW font = toolkit::MessageFont(dpi_);
  font_.reset(CreateFontIndirectW(&font));
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  list_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_OWNERDATA |
                              LVS_SINGLESEL,
                          0, 0, 0, 0, hwnd_, nullptr, instance, nullptr);
  close_ = CreateWindowExW(0, L"BUTTON", L"&Close", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 0, 0, 0,
                           hwnd_, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kCloseId)), instance, nullptr);
  for (HWND control : {list_, close_}) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  }
  ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT);
  LVCOLUMNW column = {};
  column.mask = LVCF_WIDTH;
  ListView_InsertColumn(list_, 0, &column);
  ListView_SetItemCountEx(list_, static_cast<int>(lines_.size()), 0);
  Layout();
  toolkit::ApplySkinFile(hwnd_, programFolder_);
  if (visible) {
    ShowWindow(hwnd_, SW_SHOW);
    SetFocus(close_);
  }
  return true;
}

void DetailsWindow::ShowModal(HWND owner) {
  if (!Create(owner, true)) return;
  if (owner) EnableWindow(owner, FALSE);
  MSG message;
  while (!closed_) {
    if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
      // The program is ending: the main loop must see the quit message too.
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (IsDialogMessageW(hwnd_, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (owner) {
    EnableWindow(owner, TRUE);
    SetForegroundWindow(owner);
  }
  if (hwnd_) DestroyWindow(hwnd_);
}

// Long paths scroll sideways instead of being cut: the column is as wide as the widest line shown
// so far, measured when the list first asks for it.
void DetailsWindow::ShowLine(NMLVDISPINFOW& info) {
  if (!(info.item.mask & LVIF_TEXT) || info.item.iItem < 0 || static_cast<size_t>(info.item.iItem) >= lines_.size()) {
    return;
  }
  const std::wstring line = lines_[info.item.iItem];
  lstrcpynW(info.item.pszText, line.c_str(), info.item.cchTextMax);
  platform::WindowDc dc(list_);
  platform::SelectedObject font(dc.get(), font_.get());
  SIZE size{};
  GetTextExtentPoint32W(dc.get(), line.c_str(), static_cast<int>(line.size()), &size);
  const int width = size.cx + 2 * toolkit::Scale(kGap, dpi_);
  if (width > columnWidth_) {
    columnWidth_ = width;
    FitColumn();
  }
}

// At least as wide as the list, so that every row is drawn and asked for.
void DetailsWindow::FitColumn() {
  RECT client;
  GetClientRect(list_, &client);
  ListView_SetColumnWidth(list_, 0, std::max<int>(columnWidth_, client.right));
}

DetailsLayout LayOutDetailsWindow(SIZE client, UINT dpi) {
  const int gap = toolkit::Scale(kGap, dpi), buttonWidth = toolkit::Scale(96, dpi), buttonHeight = toolkit::Scale(28, dpi);
  DetailsLayout layout{};
  layout.lines = {gap, gap, client.cx - gap, std::max<LONG>(gap, client.cy - 2 * gap - buttonHeight)};
  layout.close = {client.cx - gap - buttonWidth, client.cy - gap - buttonHeight, client.cx - gap, client.cy - gap};
  return layout;
}

void DetailsWindow::Layout() {
  RECT client;
  GetClientRect(hwnd_, &client);
  const DetailsLayout layout = LayOutDetailsWindow({client.right, client.bottom}, dpi_);
  for (const auto& [control, rect] : {std::pair{list_, layout.lines}, std::pair{close_, layout.close}}) {
    MoveWindow(control, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
  }
  FitColumn();
}

LRESULT DetailsWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  if (focus_.Handle(hwnd_, message, wParam, lParam)) return 0;
  switch (message) {
    case WM_SIZE:
      if (list_) Layout();
      return 0;
    case WM_GETFONT:
      // The skin sizes its font from the window's, which follows the DPI.
      return reinterpret_cast<LRESULT>(font_.get());
    case DM_GETDEFID:
      return toolkit::DefaultButtonReply(kCloseId);
    case WM_DPICHANGED: {
      dpi_ = toolkit::MoveToSuggestedRect(hwnd_, wParam, lParam);
      // The controls let go of the old font before it is deleted.
      platform::Font oldFont = std::move(font_);
      LOGFONTW font = toolkit::MessageFont(dpi_);
      font_.reset(CreateFontIndirectW(&font));
      for (HWND control : {list_, close_}) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
      }
      toolkit::ApplySkinFile(hwnd_, programFolder_);
      // The lines are measured again in the new font as they are shown.
      columnWidth_ = 0;
      Layout();
      return 0;
    }
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->hwndFrom == list_ && header->code == LVN_GETDISPINFOW) {
        ShowLine(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
        return 0;
      }
      break;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == kCloseId) {
        SendMessageW(hwnd_, WM_CLOSE, 0, 0);
        return 0;
      }
      break;
    case WM_CLOSE:
      closed_ = true;
      DestroyWindow(hwnd_);
      return 0;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void ShowDetails(HWND owner, const std::wstring& title, const engine::ItemReport& item, bool preview,
                 const std::wstring& programFolder) {
  DetailsWindow window(title, item, preview, programFolder);
  window.ShowModal(owner);
}

}  // namespace ui
