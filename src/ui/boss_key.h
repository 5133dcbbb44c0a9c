#pragma once
// The boss key: two system-wide hot keys on the main window. Win+Z hides every Explorer, Internet
// Explorer and today's browsers' window, Win+Shift+Z brings them back where they were. Another letter
// than Z can be chosen where another program holds Win+Z.
#include <windows.h>

#include "settings/options.h"

namespace ui {

constexpr int kHideHotKey = 95;
constexpr UINT kHideModifiers = MOD_WIN;
constexpr int kRestoreHotKey = 111;
constexpr UINT kRestoreModifiers = MOD_WIN | MOD_SHIFT;
constexpr UINT kBossKey = 'Z';

// Registers both hot keys with the letter on the window. A key that is already taken, by another
// program or by an earlier arming, stays as it is; false when the hide key is not the window's then.
bool ArmBossKey(HWND window, wchar_t letter = kBossKey);
void DisarmBossKey(HWND window);
// Whether Windows key + the letter is free for the window's boss key, or already is it.
bool BossKeyFree(HWND window, wchar_t letter);
// What the options window arms, disarms and asks when its "Enable Boss Key" or its letter changes.
settings::BossKeySwitch BossKeySwitchOf(HWND window);

// The armed window passes every message here before handling it as it would anyway: a boss-key hot key
// hides or restores, everything else is ignored.
void BossKeyMessage(UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace ui
