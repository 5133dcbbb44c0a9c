#include "toolkit/dpi.h"

#include "platform/handles.h"

namespace toolkit {

namespace {

// Missing before Windows 10, so looked up rather than linked.
template <typename Function>
Function User32Function(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using SystemParametersInfoForDpiFunction = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);

}  // namespace

UINT SystemDpi() {
  platform::WindowDc screen(nullptr);
  int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
  return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

UINT WindowDpi(HWND window) {
  static const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
  if (getDpiForWindow && window) {
    if (UINT dpi = getDpiForWindow(window)) return dpi;
  }
  return SystemDpi();
}

RECT WorkAreaOf(HWND window) {
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) work = monitor.rcWork;
  return work;
}

RECT ScaleRect(const RECT& design, UINT dpi) {
  return {Scale(design.left, dpi), Scale(design.top, dpi), Scale(design.right, dpi), Scale(design.bottom, dpi)};
}

LOGFONTW MessageFont(UINT dpi) {
  static const auto forDpi = User32Function<SystemParametersInfoForDpiFunction>("SystemParametersInfoForDpi");
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof(metrics);
  if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi)) return metrics.lfMessageFont;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  LOGFONTW font = metrics.lfMessageFont;
  font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(SystemDpi()));
  return font;
}

UINT MoveToSuggestedRect(HWND window, WPARAM wParam, LPARAM lParam) {
  if (const auto* suggested = reinterpret_cast<const RECT*>(lParam)) {
    SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  UINT dpi = HIWORD(wParam);
  return dpi ? dpi : kDesignDpi;
}

}  // namespace toolkit
