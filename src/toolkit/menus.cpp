#include "toolkit/menus.h"

#include "platform/translation.h"

namespace toolkit {

void AppendMenuTable(HMENU bar, const Menu& menu) {
  HMENU popup = CreatePopupMenu();
  for (const std::initializer_list<MenuEntry>& group : menu.groups) {
    if (&group != menu.groups.begin()) AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
    for (const MenuEntry& entry : group) AppendMenuW(popup, MF_STRING, entry.command, platform::Tr(entry.text));
  }
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), platform::Tr(menu.title));
}

HMENU CreateMenuBar(std::span<const Menu> menus) {
  HMENU bar = CreateMenu();
  for (const Menu& menu : menus) AppendMenuTable(bar, menu);
  return bar;
}

}  // namespace toolkit
