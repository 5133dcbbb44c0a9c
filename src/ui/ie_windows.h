#pragma once
// Hides every Windows Explorer folder window, Internet Explorer frame and today's browsers' windows at
// once, remembering where each one was, and later puts them back.
#include <windows.h>

#include <span>
#include <string>
#include <vector>

#include "engine/browser_table.h"

// The windows the boss key hides and puts back.
namespace ui::iewindows {

struct HiddenWindow {
  HWND window;
  WINDOWPLACEMENT placement;  // as read before hiding, show command included
};
static_assert(sizeof(WINDOWPLACEMENT) == 44);

// Whether the boss key hides a top-level window of this class (exact, case-sensitive), made by this
// program (the executable's file name), visible or not: every "CabinetWClass" window and every window
// of a browser's class that hides every window ("IEFrame"), hidden ones included, and the visible main
// windows of the other browsers' programs (Chrome, Edge, Brave, Vivaldi, Opera, Firefox), whose
// classes other programs built on the same engines share.
bool HidesWindow(const std::wstring& className, const std::wstring& program, bool shownMainWindow,
                 std::span<const engine::Browser> browsers = engine::Browsers());

// Forgets the previous hide, then records and hides every top-level window HidesWindow names.
void HideBrowserWindows();
// Re-applies the recorded placements, last found first. The records stay, so a second restore repeats
// the first; a window closed since the hide is skipped.
void RestoreBrowserWindows();
// The records of the last hide in the order the enumeration found the windows; empty before any hide.
const std::vector<HiddenWindow>& HiddenBrowserWindows();

std::wstring GetClassNameText(HWND window);

}  // namespace ui::iewindows
