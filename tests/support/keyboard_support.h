#pragma once
// Keyboard checks shared by the window tests: the tab order as the dialog manager walks it, the
// mnemonics of a window's labels, and key messages built in-process.
#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <map>
#include <string>
#include <vector>

#include "platform/window_text.h"
#include "toolkit/keyboard.h"

namespace testing_support {

// The tab stops GetNextDlgTabItem visits, once round, starting at `first`; empty when `first` is
// not among them.
inline std::vector<HWND> TabOrder(HWND window, HWND first) {
  std::vector<HWND> order;
  HWND next = first;
  while (next && order.size() < 1000) {
    if (std::find(order.begin(), order.end(), next) != order.end()) break;
    order.push_back(next);
    next = GetNextDlgTabItem(window, next, FALSE);
  }
  if (next != first) order.clear();
  return order;
}

inline std::wstring ClassOf(HWND window) {
  wchar_t name[64] = L"";
  GetClassNameW(window, name, 64);
  return name;
}

// Whether `child` and every window between it and `window` are shown by their own style: a control
// on a hidden page is not, whatever its own style says.
inline bool ShownIn(HWND window, HWND child) {
  for (HWND at = child; at && at != window; at = GetParent(at)) {
    if (!(GetWindowLongW(at, GWL_STYLE) & WS_VISIBLE)) return false;
  }
  return true;
}

// Every mnemonic letter of the window's buttons and labels, with the texts that carry it; with
// `shownOnly`, of those shown (one page of tabs: the keyboard reaches no other).
inline std::map<wchar_t, std::vector<std::wstring>> Mnemonics(HWND window, bool shownOnly = false) {
  struct Search {
    HWND window;
    std::map<wchar_t, std::vector<std::wstring>> found;
    bool shownOnly;
  } search{window, {}, shownOnly};
  EnumChildWindows(
      window,
      [](HWND child, LPARAM out) {
        auto& search = *reinterpret_cast<Search*>(out);
        if (search.shownOnly && !ShownIn(search.window, child)) return TRUE;
        std::wstring kind = ClassOf(child);
        bool label = _wcsicmp(kind.c_str(), L"Button") == 0 ||
                     (_wcsicmp(kind.c_str(), L"Static") == 0 && !(GetWindowLongW(child, GWL_STYLE) & SS_NOPREFIX));
        std::wstring text = platform::WindowText(child);
        if (wchar_t letter = label ? toolkit::MnemonicOf(text) : 0) search.found[letter].push_back(text);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The letters that more than one label of the window claims.
inline std::vector<std::wstring> SharedMnemonics(HWND window, bool shownOnly = false) {
  std::vector<std::wstring> shared;
  for (const auto& [letter, texts] : Mnemonics(window, shownOnly)) {
    if (texts.size() < 2) continue;
    std::wstring line(1, letter);
    for (const std::wstring& text : texts) line += L" \"" + text + L"\"";
    shared.push_back(line);
  }
  return shared;
}

inline MSG KeyDown(HWND target, WPARAM key) {
  MSG message = {};
  message.hwnd = target;
  message.message = WM_KEYDOWN;
  message.wParam = key;
  message.lParam = 1;
  return message;
}

// Alt+letter as it reaches a window once translated.
inline MSG AltLetter(HWND target, wchar_t letter) {
  MSG message = {};
  message.hwnd = target;
  message.message = WM_SYSCHAR;
  message.wParam = static_cast<WPARAM>(std::towlower(letter));
  message.lParam = 1 | (1 << 29);
  return message;
}

inline bool Feed(HWND window, MSG message) { return IsDialogMessageW(window, &message) != FALSE; }

}  // namespace testing_support
