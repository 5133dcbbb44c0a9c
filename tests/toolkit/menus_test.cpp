// Where a pop-up menu is asked for.
#include "toolkit/menus.h"

#include <gtest/gtest.h>

// Windows sends the keyboard's coordinates as MAKELPARAM(-1, -1), which a 64-bit LPARAM holds as
// 0xFFFFFFFF; a point of the pointer, even at one edge's -1, is no keyboard.
TEST(Menus, AContextMenuFromTheKeyboardIsToldByBothCoordinates) {
  const std::pair<LPARAM, bool> cases[] = {
      {MAKELPARAM(-1, -1), true},    {-1, true}, {MAKELPARAM(-1, 20), false}, {MAKELPARAM(20, -1), false},
      {MAKELPARAM(300, 200), false},
  };
  for (const auto& [at, keyboard] : cases) EXPECT_EQ(toolkit::ContextMenuFromKeyboard(at), keyboard) << at;
}
