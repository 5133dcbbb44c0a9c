#include "ui/navigation_bar.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include <iterator>

#include "platform/handles.h"
#include "platform/translation.h"
#include "toolkit/dpi.h"
#include "toolkit/theme.h"
#include "ui/main_commands.h"

namespace ui {

namespace {

constexpr wchar_t kClassName[] = L"TrellwipeNavigation";
constexpr int kImageHeight = 44;
constexpr int kMargin = 6;
constexpr int kGlyph = 28;

// The pictograms, drawn in white inside each image's circle: strokes on a 20-unit square (centred in
// the circle) and dots, so that they stay crisp at every DPI.
struct Stroke {
  int count = 0;
  POINT points[8] = {};
};
struct Pictogram {
  Stroke strokes[4] = {};
  RECT ring = {};     // an open circle; an empty rectangle is none
  RECT dots[3] = {};  // filled circles
};

constexpr Pictogram kHouse = {{{3, {{2, 10}, {10, 2}, {18, 10}}},
                               {4, {{5, 8}, {5, 17}, {15, 17}, {15, 8}}},
                               {4, {{8, 17}, {8, 12}, {12, 12}, {12, 17}}}}};
constexpr Pictogram kCheckList = {{{3, {{2, 5}, {4, 7}, {7, 3}}},
                                   {2, {{10, 5}, {18, 5}}},
                                   {3, {{2, 13}, {4, 15}, {7, 11}}},
                                   {2, {{10, 13}, {18, 13}}}}};
constexpr Pictogram kProgressList = {{{2, {{2, 3}, {18, 3}}},
                                      {2, {{2, 8}, {13, 8}}},
                                      {5, {{2, 12}, {18, 12}, {18, 17}, {2, 17}, {2, 12}}},
                                      {2, {{4, 14}, {11, 14}}}}};
constexpr Pictogram kMagnifier = {{{2, {{12, 12}, {18, 18}}}}, {2, 2, 13, 13}};
constexpr Pictogram kSliders = {{{2, {{2, 4}, {18, 4}}}, {2, {{2, 10}, {18, 10}}}, {2, {{2, 16}, {18, 16}}}},
                                {},
                                {{4, 2, 9, 7}, {11, 8, 16, 13}, {6, 14, 11, 19}}};
constexpr Pictogram kShredder = {{{5, {{5, 8}, {5, 1}, {15, 1}, {15, 8}, {5, 8}}},
                                  {2, {{2, 10}, {18, 10}}},
                                  {6, {{6, 13}, {6, 19}, {10, 19}, {10, 13}, {14, 13}, {14, 19}}}}};
constexpr Pictogram kRegistry = {{{5, {{2, 2}, {9, 2}, {9, 9}, {2, 9}, {2, 2}}},
                                  {5, {{11, 2}, {18, 2}, {18, 9}, {11, 9}, {11, 2}}},
                                  {5, {{2, 11}, {9, 11}, {9, 18}, {2, 18}, {2, 11}}},
                                  {5, {{11, 11}, {18, 11}, {18, 18}, {11, 18}, {11, 11}}}}};
constexpr Pictogram kDoor = {
    {{5, {{3, 2}, {11, 2}, {11, 18}, {3, 18}, {3, 2}}}, {2, {{9, 10}, {19, 10}}}, {3, {{15, 6}, {19, 10}, {15, 14}}}}};
constexpr Pictogram kQuestion = {{{8, {{5, 6}, {6, 3}, {10, 1}, {14, 3}, {15, 6}, {13, 9}, {10, 11}, {10, 13}}}},
                                 {},
                                 {{8, 15, 12, 19}}};

constexpr NavigationImage kImages[] = {
    {L"Image1", platform::TrLater(L"Home"), kShowHomeCommand, RGB(0x2e, 0x7d, 0x32), RGB(0x81, 0xc7, 0x84)},
    {L"Image2", platform::TrLater(L"Settings"), kCleanSettingsCommand, RGB(0x15, 0x65, 0xc0), RGB(0x64, 0xb5, 0xf6)},
    {L"Image3", platform::TrLater(L"Status"), kShowStatusCommand, RGB(0x00, 0x83, 0x8f), RGB(0x4d, 0xd0, 0xe1)},
    {L"Image4", platform::TrLater(L"Search"), kSearchEraseCommand, RGB(0x6a, 0x1b, 0x9a), RGB(0xba, 0x68, 0xc8)},
    {L"Image5", platform::TrLater(L"Options"), kCleanOptionsCommand, RGB(0x45, 0x5a, 0x64), RGB(0x90, 0xa4, 0xae)},
    {L"Image6", platform::TrLater(L"Shredder"), kFileShredderCommand, RGB(0xc6, 0x28, 0x28), RGB(0xe5, 0x73, 0x73)},
    {L"Image9", platform::TrLater(L"Registry"), kCleanRegistryCommand, RGB(0xef, 0x6c, 0x00), RGB(0xff, 0xb7, 0x4d)},
    {L"Image10", platform::TrLater(L"Exit"), kExitCommand, RGB(0x61, 0x61, 0x61), RGB(0xbd, 0xbd, 0xbd)},
    {L"Image11", platform::TrLater(L"Help"), kHelpCommand, RGB(0x02, 0x77, 0xbd), RGB(0x4f, 0xc3, 0xf7)},
};
constexpr const Pictogram* kPictograms[] = {
    &kHouse, &kCheckList, &kProgressList, &kMagnifier, &kSliders, &kShredder, &kRegistry, &kDoor, &kQuestion,
};
constexpr int kHelpIndex = static_cast<int>(std::size(kImages)) - 1;
static_assert(std::size(kPictograms) == std::size(kImages));

// A pictogram in `glyph`, the circle's square: the 20 units sit in its middle 20/28.
void DrawPictogram(HDC dc, const Pictogram& pictogram, const RECT& glyph, UINT dpi, COLORREF colour) {
  const int size = glyph.right - glyph.left;
  auto at = [&](POINT unit) {
    return POINT{glyph.left + MulDiv(unit.x + 4, size, 28), glyph.top + MulDiv(unit.y + 4, size, 28)};
  };
  LOGBRUSH stroke = {BS_SOLID, colour, 0};
  platform::Pen pen(ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND,
                                 std::max(1, toolkit::Scale(2, dpi)), &stroke, 0, nullptr));
  platform::SelectedObject selectedPen(dc, pen.get());
  for (const Stroke& stroke : pictogram.strokes) {
    POINT points[8];
    for (int i = 0; i < stroke.count; ++i) points[i] = at(stroke.points[i]);
    if (stroke.count) Polyline(dc, points, stroke.count);
  }
  if (!IsRectEmpty(&pictogram.ring)) {
    platform::SelectedObject hollow(dc, GetStockObject(NULL_BRUSH));
    const POINT topLeft = at({pictogram.ring.left, pictogram.ring.top});
    const POINT bottomRight = at({pictogram.ring.right, pictogram.ring.bottom});
    Ellipse(dc, topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
  }
  platform::Brush fill(CreateSolidBrush(colour));
  platform::SelectedObject brush(dc, fill.get());
  platform::SelectedObject noPen(dc, GetStockObject(NULL_PEN));
  for (const RECT& dot : pictogram.dots) {
    if (IsRectEmpty(&dot)) continue;
    const POINT topLeft = at({dot.left, dot.top}), bottomRight = at({dot.right, dot.bottom});
    Ellipse(dc, topLeft.x, topLeft.y, bottomRight.x + 1, bottomRight.y + 1);
  }
}

// The tip of an unavailable image says why.
void SupplyTip(NMTTDISPINFOW& tip, HWND tips, std::vector<std::wstring>& reasons) {
  if (tip.hdr.hwndFrom == tips && tip.hdr.code == TTN_GETDISPINFOW && tip.hdr.idFrom < reasons.size()) {
    tip.lpszText = reasons[tip.hdr.idFrom].data();
  }
}

}  // namespace

std::span<const NavigationImage> NavigationImages() { return kImages; }

bool NavigationBar::Create(HWND parent, HINSTANCE instance) {
  toolkit::RegisterWindowClass({kClassName, toolkit::ObjectProcedure<NavigationBar>, instance, IDC_HAND, nullptr});
  unavailable_.assign(std::size(kImages), L"");
  if (!CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 0, 0, parent, nullptr, instance,
                       this)) {
    return false;
  }
  // One tip per image; its text is asked for when it shows, and only an unavailable image has one.
  tips_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, instance, nullptr));
  for (UINT_PTR i = 0; i < std::size(kImages); ++i) {
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = i;
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tips_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  return true;
}

void NavigationBar::SetDpi(UINT dpi) {
  dpi_ = dpi;
  if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
  PlaceTips();
}

void NavigationBar::SetUnavailable(UINT command, std::wstring reason) {
  for (size_t i = 0; i < std::size(kImages); ++i) {
    if (kImages[i].command != command) continue;
    unavailable_[i] = std::move(reason);
    toolkit::DrawnItemsAccessible::NotifyState(hwnd_, static_cast<int>(i));
  }
  if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void NavigationBar::SetCurrent(UINT command) {
  for (int i = 0; i < static_cast<int>(std::size(kImages)); ++i) {
    if (kImages[i].command != command || i == current_) continue;
    toolkit::DrawnItemsAccessible::NotifyState(hwnd_, current_);
    current_ = i;
    toolkit::DrawnItemsAccessible::NotifyState(hwnd_, current_);
  }
}

int NavigationBar::ItemCount() const { return static_cast<int>(std::size(kImages)); }

toolkit::DrawnItem NavigationBar::Item(int index) const {
  toolkit::DrawnItem item;
  item.name = platform::Tr(kImages[index].caption);
  item.place = ImageRect(index);
  item.description = unavailable_[index];
  item.action = L"Press";
  if (index == current_) item.state |= STATE_SYSTEM_SELECTED;
  if (!Available(index)) item.state |= STATE_SYSTEM_UNAVAILABLE;
  return item;
}

void NavigationBar::DoDefault(int index) {
  // Posted: a screen reader's call returns before the command opens a window or ends the program.
  if (Available(index)) PostMessageW(GetParent(hwnd_), WM_COMMAND, MAKEWPARAM(kImages[index].command, 0), 0);
}

bool NavigationBar::Available(int index) const {
  return index < 0 || static_cast<size_t>(index) >= unavailable_.size() || unavailable_[index].empty();
}

void NavigationBar::PlaceTips() {
  if (!tips_) return;
  for (UINT_PTR i = 0; i < std::size(kImages); ++i) {
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.hwnd = hwnd_;
    tool.uId = i;
    tool.rect = ImageRect(static_cast<int>(i));
    SendMessageW(tips_.get(), TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

RECT NavigationBar::ImageRect(int index) const {
  RECT client = {};
  GetClientRect(hwnd_, &client);
  const int margin = toolkit::Scale(kMargin, dpi_), height = toolkit::Scale(kImageHeight, dpi_);
  int top = index == kHelpIndex ? client.bottom - margin - height : margin + index * height;
  return {margin, top, client.right - margin, top + height - toolkit::Scale(2, dpi_)};
}

RECT NavigationBar::CaptionRect(int index) const {
  const RECT image = ImageRect(index);
  return {image.left + toolkit::Scale(kGlyph, dpi_) + toolkit::Scale(12, dpi_), image.top, image.right, image.bottom};
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
    case WM_MOUSELEAVE: SetHovered(kNoImage); return 0;
    case WM_LBUTTONDOWN: pressed_ = ImageAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return 0;
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
      if (clicked && Available(image)) {
        SendMessageW(GetParent(hwnd_), WM_COMMAND, MAKEWPARAM(kImages[image].command, 0),
                     reinterpret_cast<LPARAM>(hwnd_));
      }
      return 0;
    }
    case WM_SIZE:
      PlaceTips();
      InvalidateRect(hwnd_, nullptr, TRUE);
      return 0;
    case WM_NOTIFY: SupplyTip(*reinterpret_cast<NMTTDISPINFOW*>(lParam), tips_.get(), unavailable_); return 0;
    case WM_SETFOCUS:
      toolkit::DrawnItemsAccessible::NotifyFocus(hwnd_, focused_);
      InvalidateRect(hwnd_, nullptr, TRUE);
      return 0;
    case WM_UPDATEUISTATE:
      // Windows hides the focus rectangle until the keyboard is used, and shows it from then on.
      DefWindowProcW(hwnd_, message, wParam, lParam);
      [[fallthrough]];
    case WM_KILLFOCUS: InvalidateRect(hwnd_, nullptr, TRUE); return 0;
    case WM_GETOBJECT: return accessible_.Answer(hwnd_, *this, L"Navigation", ROLE_SYSTEM_TOOLBAR, wParam, lParam);
    case WM_DESTROY: accessible_.Detach(); return 0;
    case WM_GETDLGCODE: {
      const auto* key = reinterpret_cast<const MSG*>(lParam);
      bool enter = key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN;
      return DLGC_WANTARROWS | (enter ? DLGC_WANTMESSAGE : 0);
    }
    case WM_KEYDOWN: Key(wParam); return 0;
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam)) InvalidateRect(hwnd_, nullptr, TRUE);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(font_);
    case WM_PAINT: return toolkit::PaintWindow(hwnd_, [this](HDC dc) { Paint(dc); });
    case WM_PRINTCLIENT: Paint(reinterpret_cast<HDC>(wParam)); return 0;  // PrintWindow, a magnifier's copy
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void NavigationBar::Key(WPARAM key) {
  const int count = static_cast<int>(std::size(kImages));
  switch (key) {
    case VK_UP:
    case VK_LEFT: focused_ = (focused_ + count - 1) % count; break;
    case VK_DOWN:
    case VK_RIGHT: focused_ = (focused_ + 1) % count; break;
    case VK_HOME: focused_ = 0; break;
    case VK_END: focused_ = count - 1; break;
    case VK_RETURN:
    case VK_SPACE:
      if (!Available(focused_)) return;
      // As with a click, the parent may end the process on this command.
      SendMessageW(GetParent(hwnd_), WM_COMMAND, MAKEWPARAM(kImages[focused_].command, 0),
                   reinterpret_cast<LPARAM>(hwnd_));
      return;
    default: return;
  }
  toolkit::DrawnItemsAccessible::NotifyFocus(hwnd_, focused_);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void NavigationBar::SetHovered(int index) {
  if (index == hovered_) return;
  hovered_ = index;
  InvalidateRect(hwnd_, nullptr, TRUE);
}

COLORREF NavigationBar::CircleColour(int index, toolkit::Theme theme, const toolkit::Palette& palette) const {
  if (!Available(index)) return palette.unavailable;
  switch (theme) {
    case toolkit::Theme::HighContrast: return palette.text;
    case toolkit::Theme::Dark: return kImages[index].darkColour;
    case toolkit::Theme::Light: break;
  }
  return kImages[index].colour;
}

void NavigationBar::Paint(HDC dc) {
  RECT client;
  GetClientRect(hwnd_, &client);
  // The parent's static-control colours, so that a skin reaches the bar as well.
  auto background = reinterpret_cast<HBRUSH>(
      SendMessageW(GetParent(hwnd_), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd_)));
  FillRect(dc, &client, background ? background : GetSysColorBrush(COLOR_BTNFACE));
  SetBkMode(dc, TRANSPARENT);
  const toolkit::Theme theme = toolkit::ThemeInForce();
  const toolkit::Palette palette = toolkit::PaletteOf(theme);
  const COLORREF textColour = GetTextColor(dc);
  platform::SelectedObject font(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
  const int glyphSize = toolkit::Scale(kGlyph, dpi_), inset = toolkit::Scale(4, dpi_);
  for (int i = 0; i < static_cast<int>(std::size(kImages)); ++i) {
    RECT rect = ImageRect(i);
    // In high contrast the current page shows as the system shows a selection.
    const bool selected = theme == toolkit::Theme::HighContrast && i == current_;
    if (selected) FillRect(dc, &rect, GetSysColorBrush(COLOR_HIGHLIGHT));
    int middle = (rect.top + rect.bottom) / 2;
    RECT glyph = {rect.left + inset, middle - glyphSize / 2, rect.left + inset + glyphSize, middle + glyphSize / 2};
    {
      platform::Brush brush(CreateSolidBrush(CircleColour(i, theme, palette)));
      platform::SelectedObject fill(dc, brush.get());
      platform::SelectedObject pen(dc, GetStockObject(NULL_PEN));
      Ellipse(dc, glyph.left, glyph.top, glyph.right, glyph.bottom);
    }
    DrawPictogram(dc, *kPictograms[i], glyph, dpi_, palette.glyph);
    RECT text = CaptionRect(i);
    SetTextColor(dc, !Available(i) ? palette.unavailable : selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : textColour);
    DrawTextW(dc, platform::Tr(kImages[i].caption), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    if (i == hovered_) FrameRect(dc, &rect, GetSysColorBrush(COLOR_HIGHLIGHT));
    if (i == focused_ && GetFocus() == hwnd_ && !(SendMessageW(hwnd_, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS)) {
      RECT focus = rect;
      InflateRect(&focus, -toolkit::Scale(2, dpi_), -toolkit::Scale(2, dpi_));
      DrawFocusRect(dc, &focus);
    }
  }
  SetTextColor(dc, textColour);
}

}  // namespace ui
