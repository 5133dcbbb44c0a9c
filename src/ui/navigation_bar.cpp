#include "ui/navigation_bar.h"

#include <windowsx.h>

#include <iterator>

#include "platform/handles.h"
#include "toolkit/dpi.h"
#include "ui/main_commands.h"

namespace ui {

namespace {

constexpr wchar_t kClassName[] = L"TrellwipeNavigation";
constexpr int kImageHeight = 44;
constexpr int kMargin = 6;
constexpr int kGlyph = 28;

constexpr NavigationImage kImages[] = {
    {L"Image1", L"Home", kShowHomeCommand, RGB(0x2e, 0x7d, 0x32)},
    {L"Image2", L"Settings", kCleanSettingsCommand, RGB(0x15, 0x65, 0xc0)},
    {L"Image3", L"Status", kShowStatusCommand, RGB(0x00, 0x83, 0x8f)},
    {L"Image4", L"Search", kSearchEraseCommand, RGB(0x6a, 0x1b, 0x9a)},
    {L"Image5", L"Options", kCleanOptionsCommand, RGB(0x45, 0x5a, 0x64)},
    {L"Image6", L"Shredder", kFileShredderCommand, RGB(0xc6, 0x28, 0x28)},
    {L"Image9", L"Registry", kCleanRegistryCommand, RGB(0xef, 0x6c, 0x00)},
    {L"Image10", L"Exit", kExitCommand, RGB(0x61, 0x61, 0x61)},
    {L"Image11", L"Help", kHelpCommand, RGB(0x02, 0x77, 0xbd)},
};
constexpr int kHelpIndex = static_cast<int>(std::size(kImages)) - 1;

}  // namespace

std::span<const NavigationImage> NavigationImages() { return kImages; }

bool NavigationBar::Create(HWND parent, HINSTANCE instance) {
  toolkit::RegisterWindowClass({kClassName, toolkit::ObjectProcedure<NavigationBar>, instance, IDC_HAND, nullptr});
  return CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 0, 0, parent, nullptr,
                         instance, this) != nullptr;
}

void NavigationBar::SetDpi(UINT dpi) {
  dpi_ = dpi;
  if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

RECT NavigationBar::ImageRect(int index) const {
  RECT client = {};
  GetClientRect(hwnd_, &client);
  const int margin = toolkit::Scale(kMargin, dpi_), height = toolkit::Scale(kImageHeight, dpi_);
  int top = index == kHelpIndex ? client.bottom - margin - height : margin + index * height;
  return {margin, top, client.right - margin, top + height - toolkit::Scale(2, dpi_)};
}

int NavigationBar::ImageAt(POINT point) const {
  for (int i = 0; i < static_cast<int>(std::size(kImages)); ++i) {
    RECT rect = ImageRect(i);
    if (PtInRect(&rect, point)) return i;
  }
  return kNoImage;
}

LRESULT NavigationBar::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEMOVE: {
      SetHovered(ImageAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}));
      TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, hwnd_, 0};
      TrackMouseEvent(&track);
      return 0;
    }
    case WM_MOUSELEAVE:
      SetHovered(kNoImage);
      return 0;
    case WM_LBUTTONDOWN:
      pressed_ = ImageAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_LBUTTONUP: {
      int image = ImageAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      bool clicked = image != kNoImage && image == pressed_;
      pressed_ = kNoImage;
      // The keyboard goes on from the image last clicked.
      if (clicked && image != focused_) {
        focused_ = image;
        InvalidateRect(hwnd_, nullptr, TRUE);
      }
      // The parent may end the process on this command; nothing of this object is used after it.
      if (clicked) {
        SendMessageW(GetParent(hwnd_), WM_COMMAND, MAKEWPARAM(kImages[image].command, 0),
                     reinterpret_cast<LPARAM>(hwnd_));
      }
      return 0;
    }
    case WM_SIZE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRect(hwnd_, nullptr, TRUE);
      return 0;
    case WM_GETDLGCODE: {
      const auto* key = reinterpret_cast<const MSG*>(lParam);
      bool enter = key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN;
      return DLGC_WANTARROWS | (enter ? DLGC_WANTMESSAGE : 0);
    }
    case WM_KEYDOWN:
      Key(wParam);
      return 0;
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam)) InvalidateRect(hwnd_, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd_, &paint);
      Paint(dc);
      EndPaint(hwnd_, &paint);
      return 0;
    }
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void NavigationBar::Key(WPARAM key) {
  const int count = static_cast<int>(std::size(kImages));
  switch (key) {
    case VK_UP:
    case VK_LEFT:
      focused_ = (focused_ + count - 1) % count;
      break;
    case VK_DOWN:
    case VK_RIGHT:
      focused_ = (focused_ + 1) % count;
      break;
    case VK_HOME:
      focused_ = 0;
      break;
    case VK_END:
      focused_ = count - 1;
      break;
    case VK_RETURN:
    case VK_SPACE:
      // As with a click, the parent may end the process on this command.
      SendMessageW(GetParent(hwnd_), WM_COMMAND, MAKEWPARAM(kImages[focused_].command, 0),
                   reinterpret_cast<LPARAM>(hwnd_));
      return;
    default:
      return;
  }
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void NavigationBar::SetHovered(int index) {
  if (index == hovered_) return;
  hovered_ = index;
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void NavigationBar::Paint(HDC dc) {
  RECT client;
  GetClientRect(hwnd_, &client);
  // The parent's static-control colours, so that a skin reaches the bar as well.
  auto background = reinterpret_cast<HBRUSH>(
      SendMessageW(GetParent(hwnd_), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd_)));
  FillRect(dc, &client, background ? background : GetSysColorBrush(COLOR_BTNFACE));
  SetBkMode(dc, TRANSPARENT);
  platform::SelectedObject font(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
  const int glyphSize = toolkit::Scale(kGlyph, dpi_), inset = toolkit::Scale(4, dpi_);
  for (int i = 0; i < static_cast<int>(std::size(kImages)); ++i) {
    RECT rect = ImageRect(i);
    int middle = (rect.top + rect.bottom) / 2;
    {
      platform::Brush brush(CreateSolidBrush(kImages[i].colour));
      platform::SelectedObject fill(dc, brush.get());
      platform::SelectedObject pen(dc, GetStockObject(NULL_PEN));
      Ellipse(dc, rect.left + inset, middle - glyphSize / 2, rect.left + inset + glyphSize, middle + glyphSize / 2);
    }
    RECT glyph = {rect.left + inset, middle - glyphSize / 2, rect.left + inset + glyphSize, middle + glyphSize / 2};
    COLORREF oldColour = SetTextColor(dc, RGB(0xff, 0xff, 0xff));
    DrawTextW(dc, kImages[i].caption, 1, &glyph, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SetTextColor(dc, oldColour);
    RECT text = {rect.left + glyphSize + toolkit::Scale(12, dpi_), rect.top, rect.right, rect.bottom};
    DrawTextW(dc, kImages[i].caption, -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    if (i == hovered_) FrameRect(dc, &rect, GetSysColorBrush(COLOR_HIGHLIGHT));
    if (i == focused_ && GetFocus() == hwnd_) {
      RECT focus = rect;
      InflateRect(&focus, -toolkit::Scale(2, dpi_), -toolkit::Scale(2, dpi_));
      DrawFocusRect(dc, &focus);
    }
  }
}

}  // namespace ui
