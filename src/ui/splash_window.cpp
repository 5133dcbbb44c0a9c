#include "ui/splash_window.h"

#include <algorithm>

#include "platform/handles.h"
#include "platform/product_name.h"
#include "platform/translation.h"
#include "toolkit/dpi.h"
#include "toolkit/product.h"
#include "toolkit/skin.h"

namespace ui {

namespace {

constexpr wchar_t kClassName[] = L"TrellwipeSplash";
constexpr int kWidth = 420;
constexpr int kHeight = 220;
constexpr UINT kShownFor = 1000;  // milliseconds

platform::Font MakeFont(int height, int weight) {
  LOGFONTW font = {};
  font.lfHeight = -height;
  font.lfWeight = weight;
  font.lfQuality = CLEARTYPE_QUALITY;
  wcscpy(font.lfFaceName, L"Tahoma");
  return platform::Font(CreateFontIndirectW(&font));
}

}  // namespace

SplashWindow::SplashWindow(HINSTANCE instance, std::wstring programFolder, std::function<void()> load,
                           std::function<void()> done)
    : instance_(instance), programFolder_(std::move(programFolder)), load_(std::move(load)), done_(std::move(done)) {}

SplashWindow::~SplashWindow() { Unload(); }

bool SplashWindow::Create(bool visible) {
  toolkit::RegisterWindowClass(
      {kClassName, toolkit::ObjectProcedure<SplashWindow>, instance_, IDC_APPSTARTING, GetSysColorBrush(COLOR_WINDOW)});

  // No frame: the picture is the whole window; the caption names it to the system.
  if (!CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, platform::kProductName, WS_POPUP | WS_BORDER, 0, 0, kWidth,
                       kHeight, nullptr, nullptr, instance_, this)) {
    return false;
  }
  // Sized and centred once the window knows the DPI of the monitor it is on.
  dpi_ = toolkit::WindowDpi(hwnd_);
  const RECT work = toolkit::WorkAreaOf(hwnd_);
  const int width = toolkit::Scale(kWidth, dpi_), height = toolkit::Scale(kHeight, dpi_);
  SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  MakeFonts();
  toolkit::ApplySkinFile(hwnd_, programFolder_);
  if (visible) {
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd_);
  }
  if (load_) load_();
  if (hwnd_ && SetTimer(hwnd_, kTimer, kShownFor, nullptr)) timer_ = platform::Timer({hwnd_, kTimer});
  return true;
}

void SplashWindow::MakeFonts() {
  titleFont_ = MakeFont(toolkit::Scale(40, dpi_), FW_BOLD);
  textFont_ = MakeFont(toolkit::Scale(14, dpi_), FW_NORMAL);
}

void SplashWindow::Unload() {
  if (!hwnd_) return;
  timer_.reset();
  DestroyWindow(hwnd_);
}

LRESULT SplashWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam != kTimer) break;
      Unload();
      if (done_) done_();
      return 0;
    case WM_DPICHANGED:
      dpi_ = toolkit::MoveToSuggestedRect(hwnd_, wParam, lParam);
      MakeFonts();
      InvalidateRect(hwnd_, nullptr, TRUE);
      return 0;
    case WM_PAINT: return toolkit::PaintWindow(hwnd_, [this](HDC dc) { Paint(dc); });
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void SplashWindow::Paint(HDC dc) {
  RECT client;
  GetClientRect(hwnd_, &client);
  // The product picture: a band in the accent colour with the name and the version.
  RECT band = {0, 0, client.right, client.bottom * 2 / 3};
  platform::Brush accent(CreateSolidBrush(RGB(0x1f, 0x4e, 0x79)));
  FillRect(dc, &band, accent.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0xff, 0xff, 0xff));
  {
    platform::SelectedObject title(dc, titleFont_.get());
    DrawTextW(dc, platform::kProductName, -1, &band, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  platform::SelectedObject text(dc, textFont_.get());
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  // Broken into lines where the window is too narrow for it, and centred in the space under the band.
  const int margin = toolkit::Scale(8, dpi_);
  RECT line = {margin, band.bottom, client.right - margin, client.bottom};
  const std::wstring tagline = std::wstring(toolkit::kVersionText) + L"  -  " +
                               platform::Tr(L"Ensure your privacy by erasing kinds of tracks from your computer.");
  RECT needed = line;
  DrawTextW(dc, tagline.c_str(), -1, &needed, DT_CENTER | DT_WORDBREAK | DT_CALCRECT);
  OffsetRect(&line, 0, std::max(0L, (line.bottom - line.top - (needed.bottom - needed.top)) / 2));
  DrawTextW(dc, tagline.c_str(), -1, &line, DT_CENTER | DT_WORDBREAK);
}

}  // namespace ui
