#pragma once
// Hides every Windows Explorer folder window and Internet Explorer frame at once, remembering where each
// one was, and later puts them back.
#include <windows.h>

#include <string>
#include <vector>

namespace iewindows {

struct HiddenWindow {
  HWND window;
  WINDOWPLACEMENT placement;  // as read before hiding, show command included
};
static_assert(sizeof(WINDOWPLACEMENT) == 44);

// Forgets the previous hide, then records and hides every top-level window of class "CabinetWClass" or
// "IEFrame" (exact, case-sensitive), including windows that are already hidden.
void HideBrowserWindows();
// Re-applies the recorded placements, last found first. The records stay, so a second restore repeats
// the first; a window closed since the hide is skipped.
void RestoreBrowserWindows();
// The records of the last hide in the order the enumeration found the windows; empty before any hide.
const std::vector<HiddenWindow>& HiddenBrowserWindows();

std::wstring GetClassNameText(HWND window);

}  // namespace iewindows
