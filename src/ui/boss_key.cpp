#include "ui/boss_key.h"

#include "ui/ie_windows.h"

namespace ui {

void ArmBossKey(HWND window) {
  RegisterHotKey(window, kHideHotKey, kHideModifiers, kBossKey);
  RegisterHotKey(window, kRestoreHotKey, kRestoreModifiers, kBossKey);
}

void DisarmBossKey(HWND window) {
  UnregisterHotKey(window, kHideHotKey);
  UnregisterHotKey(window, kRestoreHotKey);
}

settings::BossKeySwitch BossKeySwitchOf(HWND window) {
  return {[window] { ArmBossKey(window); }, [window] { DisarmBossKey(window); }};
}

void BossKeyMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_HOTKEY) return;
  UINT modifiers = LOWORD(lParam);
  UINT key = HIWORD(lParam);
  if (key != kBossKey) return;
  if (wParam == static_cast<WPARAM>(kHideHotKey) && modifiers == kHideModifiers)
    iewindows::HideBrowserWindows();
  else if (wParam == static_cast<WPARAM>(kRestoreHotKey) && modifiers == kRestoreModifiers)
    iewindows::RestoreBrowserWindows();
}

}  // namespace ui
