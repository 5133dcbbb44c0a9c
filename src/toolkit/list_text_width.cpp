#include "toolkit/list_text_width.h"

#include <algorithm>

#include "platform/handles.h"

namespace toolkit {

namespace {

constexpr std::int32_t kItemMargin = 8;

}  // namespace

std::wstring ListItemText(HWND list, LRESULT index) {
  LRESULT length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
  if (length == LB_ERR) return L"";
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  length = SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(length == LB_ERR ? 0 : static_cast<size_t>(length));
  return text;
}

std::int32_t ListTextWidth(HWND list) {
  // A memory DC measures like the screen without borrowing, and having to give back, a window's DC.
  platform::MemoryDc dc(CreateCompatibleDC(nullptr));
  if (!dc) return 0;
  platform::SelectedObject font(dc.get(), reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
  std::int32_t widest = 0;
  LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring text = ListItemText(list, i);
    SIZE size{};
    if (!GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size)) continue;
    widest = std::max(widest, static_cast<std::int32_t>(size.cx) + kItemMargin);
  }
  return widest;
}

void ResetHorizontalExtent(HWND list) { SendMessageW(list, LB_SETHORIZONTALEXTENT, ListTextWidth(list), 0); }

}  // namespace toolkit
