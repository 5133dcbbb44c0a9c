#pragma once
// What the window tests read from controls and do to them, as a user would.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace testing_support {

// The items of a list box, in order.
inline std::vector<std::wstring> ListBoxItems(HWND list) {
  std::vector<std::wstring> items;
  LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring text(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
    text.resize(static_cast<size_t>(SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
    items.push_back(text);
  }
  return items;
}

// One cell of a report-view list.
inline std::wstring ListViewText(HWND list, int row, int column) {
  wchar_t text[1024] = L"";
  ListView_GetItemText(list, row, column, text, 1024);
  return text;
}

// The entries of a menu: their texts, "-" for a separator.
inline std::vector<std::wstring> MenuTexts(HMENU menu) {
  std::vector<std::wstring> texts;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t buffer[128] = L"";
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STRING;
    info.dwTypeData = buffer;
    info.cch = 128;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    texts.push_back(info.fType & MFT_SEPARATOR ? L"-" : buffer);
  }
  return texts;
}

inline void Press(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }

// Dispatches the messages waiting.
inline void PumpAll() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// The exit sequence posts WM_QUIT; a test that ran it leaves none behind for the next.
inline void DrainQuit() {
  MSG message;
  while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

}  // namespace testing_support
