#pragma once
// What the window tests read from controls and do to them, as a user would.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "platform/handles.h"

namespace testing_support {

// Whether the rectangle lies wholly inside the other.
inline bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

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

// The captions of a tab control's tabs, in order.
inline std::vector<std::wstring> TabCaptions(HWND tabs) {
  std::vector<std::wstring> captions;
  for (int i = 0, n = TabCtrl_GetItemCount(tabs); i < n; ++i) {
    wchar_t text[128] = L"";
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 128;
    TabCtrl_GetItem(tabs, i, &item);
    captions.push_back(text);
  }
  return captions;
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

// Every window below `parent`, at any depth.
inline std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM out) {
        reinterpret_cast<std::vector<HWND>*>(out)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&children));
  return children;
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

// A 32-bit bitmap of `size`, top row first, selected into a memory DC: what a window or a test draws
// there is read back pixel by pixel.
class Canvas {
 public:
  explicit Canvas(SIZE size) : size_(size), dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    bitmap_ = CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
    previous_ = SelectObject(dc_.get(), bitmap_);
  }
  ~Canvas() {
    SelectObject(dc_.get(), previous_);
    DeleteObject(bitmap_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  HDC Dc() const { return dc_.get(); }
  SIZE Size() const { return size_; }
  // The colour at a point, once everything drawn has reached the bitmap.
  DWORD Pixel(int x, int y) const {
    GdiFlush();
    return static_cast<const DWORD*>(bits_)[y * size_.cx + x] & 0xFFFFFF;
  }

 private:
  SIZE size_;
  platform::MemoryDc dc_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  void* bits_ = nullptr;
};

}  // namespace testing_support
