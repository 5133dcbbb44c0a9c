#include "ui/ie_windows.h"

#include <iterator>

namespace iewindows {

namespace {

// Process-wide: the hot keys that fill and re-apply it arrive at different times on the UI thread.
std::vector<HiddenWindow>& Hidden() {
  static std::vector<HiddenWindow> hidden;
  return hidden;
}

bool IsBrowserClass(const std::wstring& name) { return name == L"CabinetWClass" || name == L"IEFrame"; }

BOOL CALLBACK EnumBrowserWindow(HWND window, LPARAM) {
  if (!IsBrowserClass(GetClassNameText(window))) return TRUE;
  HiddenWindow record{window, {}};
  record.placement.length = sizeof(record.placement);
  // A window that closed during the enumeration has nothing to put back.
  if (!GetWindowPlacement(window, &record.placement)) return TRUE;
  Hidden().push_back(record);
  WINDOWPLACEMENT hide = record.placement;
  hide.showCmd = SW_HIDE;
  SetWindowPlacement(window, &hide);
  return TRUE;
}

}  // namespace

void HideBrowserWindows() {
  Hidden().clear();
  EnumWindows(EnumBrowserWindow, 0);
}

void RestoreBrowserWindows() {
  // A window closed since the hide makes its call fail; the others still come back.
  for (auto record = Hidden().rbegin(); record != Hidden().rend(); ++record)
    SetWindowPlacement(record->window, &record->placement);
}

const std::vector<HiddenWindow>& HiddenBrowserWindows() { return Hidden(); }

std::wstring GetClassNameText(HWND window) {
  wchar_t name[255];
  int length = GetClassNameW(window, name, static_cast<int>(std::size(name)));
  return std::wstring(name, length > 0 ? length : 0);
}

}  // namespace iewindows
