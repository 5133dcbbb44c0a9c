#pragma once
// Horizontal scrolling of the keep-list windows' list boxes: wide enough for the widest item.
#include <windows.h>

#include <cstdint>
#include <string>

namespace toolkit {

// The item's text; empty for an index the list does not hold.
std::wstring ListItemText(HWND list, LRESULT index);

// Pixels needed to show the list's widest item on one line in the list's font, plus 8; 0 when empty.
std::int32_t ListTextWidth(HWND list);

// Sets the list's horizontal scroll extent to ListTextWidth(list).
void ResetHorizontalExtent(HWND list);

}  // namespace toolkit
