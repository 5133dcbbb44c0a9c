#pragma once
// Scaling of hand-placed layouts to the DPI of the monitor a window is on. The program declares
// per-monitor awareness, so the system no longer stretches it: every pixel figure designed at 96 DPI
// goes through Scale, and fonts are made for the window's DPI.
#include <windows.h>

namespace toolkit {

constexpr UINT kDesignDpi = 96;

// The window's DPI; on systems without per-window DPI, the system's (96 unless the user scaled it).
UINT WindowDpi(HWND window);
// The work area (the screen less the task bar) of the monitor the window is on, in screen pixels.
RECT WorkAreaOf(HWND window);
// The DPI the system stretches unaware programs from.
UINT SystemDpi();

inline int Scale(int designPixels, UINT dpi) { return MulDiv(designPixels, static_cast<int>(dpi), kDesignDpi); }
RECT ScaleRect(const RECT& design, UINT dpi);

// The system's message font (what dialogs and menus use) at `dpi`.
LOGFONTW MessageFont(UINT dpi);

// WM_DPICHANGED: the new DPI from wParam, and the window moved to the rectangle the system
// suggests in lParam.
UINT MoveToSuggestedRect(HWND window, WPARAM wParam, LPARAM lParam);

}  // namespace toolkit
