#pragma once
// Menus as tables: a window's menu bar, or a pop-up, is rows of texts and commands, built here and
// shown in the language in force (platform::Tr).
#include <windows.h>

#include <initializer_list>
#include <span>

namespace toolkit {

struct MenuEntry {
  const wchar_t* text;
  UINT command;
};
// The entries of a menu in groups, with a line between one group and the next.
using MenuGroups = std::initializer_list<std::initializer_list<MenuEntry>>;

// A drop-down menu of a menu bar, with its title.
struct Menu {
  const wchar_t* title;
  MenuGroups groups;
};

// Appends the menu to `bar` as a drop-down.
void AppendMenuTable(HMENU bar, const Menu& menu);
// A menu bar of the menus, from left to right, for a window to own.
HMENU CreateMenuBar(std::span<const Menu> menus);

// A WM_CONTEXTMENU from the keyboard (the menu key, Shift+F10) comes with both coordinates -1, which
// a 64-bit LPARAM holds as 0xFFFFFFFF rather than -1.
inline bool ContextMenuFromKeyboard(LPARAM at) {
  return static_cast<short>(LOWORD(at)) == -1 && static_cast<short>(HIWORD(at)) == -1;
}

}  // namespace toolkit
