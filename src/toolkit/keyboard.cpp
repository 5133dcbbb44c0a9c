#include "toolkit/keyboard.h"

#include <commctrl.h>

#include <algorithm>
#include <cwctype>
#include <vector>

namespace toolkit {

namespace {

// One user-interface thread, so a plain list is enough.
std::vector<HWND>& DialogKeyWindows() {
  static std::vector<HWND> windows;
  return windows;
}

LRESULT CALLBACK ReturnKeyProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
  if (message == WM_GETDLGCODE && lParam) {
    const auto* key = reinterpret_cast<const MSG*>(lParam);
    if (key->message == WM_KEYDOWN && key->wParam == VK_RETURN) {
      return DefSubclassProc(hwnd, message, wParam, lParam) | DLGC_WANTMESSAGE;
    }
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, ReturnKeyProcedure, id);
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

std::wstring WithoutMnemonic(std::wstring_view label) {
  std::wstring shown;
  for (size_t i = 0; i < label.size(); ++i) {
    // "&x" shows x, "&&" shows '&'; a '&' at the very end shows nothing.
    if (label[i] == L'&') ++i;
    if (i < label.size()) shown += label[i];
  }
  return shown;
}

wchar_t MnemonicOf(std::wstring_view label) {
  for (size_t i = 0; i + 1 < label.size(); ++i) {
    if (label[i] != L'&') continue;
    if (label[i + 1] != L'&') return static_cast<wchar_t>(std::towupper(label[i + 1]));
    ++i;
  }
  return 0;
}

void RegisterDialogKeys(HWND window) {
  auto& windows = DialogKeyWindows();
  if (window && std::find(windows.begin(), windows.end(), window) == windows.end()) windows.push_back(window);
}

void UnregisterDialogKeys(HWND window) { std::erase(DialogKeyWindows(), window); }

bool TranslateDialogKeys(MSG& message) {
  if (!message.hwnd) return false;
  // A copy: handling the key may destroy a window, which unregisters it.
  const std::vector<HWND> windows = DialogKeyWindows();
  for (HWND window : windows) {
    if ((message.hwnd == window || IsChild(window, message.hwnd)) && IsDialogMessageW(window, &message)) return true;
  }
  return false;
}

void KeepReturnKey(HWND control) { SetWindowSubclass(control, ReturnKeyProcedure, 1, 0); }

bool FocusKeeper::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(window, focus)) control_ = focus;
      }
      return false;
    case WM_SETFOCUS: {
      // The window itself got the focus: it goes on to the remembered control or the first tab stop.
      HWND target = control_ && IsChild(window, control_) && IsWindowVisible(control_) && IsWindowEnabled(control_)
                        ? control_
                        : GetNextDlgTabItem(window, nullptr, FALSE);
      if (target && target != window) SetFocus(target);
      return true;
    }
    case WM_NEXTDLGCTL: {
      HWND target =
          LOWORD(lParam) ? reinterpret_cast<HWND>(wParam) : GetNextDlgTabItem(window, GetFocus(), wParam != 0);
      if (target && IsChild(window, target)) SetFocus(target);
      return true;
    }
    default: return false;
  }
}

}  // namespace toolkit
