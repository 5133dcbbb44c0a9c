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

DetailsWindow::DetailsWindow(std::wstring title, std::vector<std::wstring> lines, std::wstring programFolder)
    : title_(std::move(title)), lines_(std::move(lines)), programFolder_(std::move(programFolder)) {}

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
  list_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT |
                              LBS_NOSEL,
                          0, 0, 0, 0, hwnd_, nullptr, instance, nullptr);
  close_ = CreateWindowExW(0, L"BUTTON", L"&Close", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 0, 0, 0,
                           hwnd_, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kCloseId)), instance, nullptr);
  for (HWND control : {list_, close_}) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  }
  for (const std::wstring& line : lines_) SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  SetScrollExtent();
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

// Long paths scroll sideways instead of being cut.
void DetailsWindow::SetScrollExtent() {
  int widest = 0;
  platform::WindowDc dc(list_);
  platform::SelectedObject font(dc.get(), font_.get());
  for (const std::wstring& line : lines_) {
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), line.c_str(), static_cast<int>(line.size()), &size);
    widest = std::max(widest, static_cast<int>(size.cx));
  }
  SendMessageW(list_, LB_SETHORIZONTALEXTENT, widest + 2 * toolkit::Scale(kGap, dpi_), 0);
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
      SetScrollExtent();
      Layout();
      return 0;
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

void ShowDetails(HWND owner, const std::wstring& title, const std::vector<std::wstring>& lines,
                 const std::wstring& programFolder) {
  DetailsWindow window(title, lines, programFolder);
  window.ShowModal(owner);
}

}  // namespace ui
