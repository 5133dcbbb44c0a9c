#pragma once
// The boss key: two system-wide hot keys on the main window. Win+Z hides every Explorer and Internet
// Explorer window, Win+Shift+Z brings them back where they were.
#include <windows.h>

#include "settings/options.h"

namespace ui {

constexpr int kHideHotKey = 95;
constexpr UINT kHideModifiers = MOD_WIN;
constexpr int kRestoreHotKey = 111;
constexpr UINT kRestoreModifiers = MOD_WIN | MOD_SHIFT;
constexpr UINT kBossKey = 'Z';

// Registers both hot keys on the window. A key that is already taken, by another program or by an
// earlier arming, stays as it is: the failure is ignored.
void ArmBossKey(HWND window);
void DisarmBossKey(HWND window);
// What the options window arms and disarms when its "Enable Boss Key" changes.
settings::BossKeySwitch BossKeySwitchOf(HWND window);

// The armed window passes every message here before handling it as it would anyway: a boss-key hot key
// hides or restores, everything else is ignored.
void BossKeyMessage(UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace ui
