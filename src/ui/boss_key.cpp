#include "ui/boss_key.h"

#include "ui/ie_windows.h"

namespace ui {

namespace {

// Process-wide, as the hot keys are: the letter the last arming chose, and whether its hide key is
// the main window's.
struct Armed {
  UINT letter = kBossKey;
  HWND window = nullptr;
};

Armed& Current() {
  static Armed armed;
  return armed;
}

constexpr int kProbeHotKey = 0xBFF0;

}  // namespace

bool ArmBossKey(HWND window, wchar_t letter) {
  Current().letter = letter;
  bool hide = RegisterHotKey(window, kHideHotKey, kHideModifiers, letter) ||
              (GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED && Current().window == window);
  RegisterHotKey(window, kRestoreHotKey, kRestoreModifiers, letter);
  Current().window = hide ? window : nullptr;
  return hide;
}

void DisarmBossKey(HWND window) {
  UnregisterHotKey(window, kHideHotKey);
  UnregisterHotKey(window, kRestoreHotKey);
  Current().window = nullptr;
}

bool BossKeyFree(HWND window, wchar_t letter) {
  if (Current().window == window && window && Current().letter == letter) return true;
  if (!RegisterHotKey(nullptr, kProbeHotKey, kHideModifiers, letter)) return false;
  UnregisterHotKey(nullptr, kProbeHotKey);
  return true;
}

settings::BossKeySwitch BossKeySwitchOf(HWND window) {
  return {[window](wchar_t letter) { ArmBossKey(window, letter); }, [window] { DisarmBossKey(window); },
          [window](wchar_t letter) { return BossKeyFree(window, letter); }};
}

void BossKeyMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_HOTKEY) return;
  UINT modifiers = LOWORD(lParam);
  UINT key = HIWORD(lParam);
  if (key != Current().letter) return;
  if (wParam == static_cast<WPARAM>(kHideHotKey) && modifiers == kHideModifiers)
    ui::iewindows::HideBrowserWindows();
  else if (wParam == static_cast<WPARAM>(kRestoreHotKey) && modifiers == kRestoreModifiers)
    ui::iewindows::RestoreBrowserWindows();
}

}  // namespace ui
