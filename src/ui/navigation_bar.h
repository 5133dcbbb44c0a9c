#pragma once
// The column of navigation images beside the main window's pages. A click on an image sends its
// command to the parent as WM_COMMAND; the image under the pointer carries a thin frame. From the
// keyboard the bar is one tab stop: the arrow keys move the focus between images, Enter or Space
// sends the focused image's command. A screen reader meets the bar as a tool bar of push buttons, the
// current page's selected. It draws in the theme in force: its circles take the system's colours in high
// contrast, where the current page's entry shows in the selection's colours.
#include <windows.h>

#include "toolkit/drawn_items_accessible.h"
#include "toolkit/theme.h"
#include "toolkit/window_class.h"

#include <span>
#include <string>
#include <vector>

#include "platform/handles.h"

namespace ui {

struct NavigationImage {
  const wchar_t* name;  // Image1 ... Image11
  const wchar_t* caption;
  UINT command;
  COLORREF colour;      // the circle behind the pictogram
  COLORREF darkColour;  // the same in the dark theme, lighter under a dark pictogram
};

// Image1 to Image6, Image9 and Image10 from the top; Image11 (help) alone at the bottom.
std::span<const NavigationImage> NavigationImages();

class NavigationBar final : private toolkit::DrawnItems {
 public:
  static constexpr int kNoImage = -1;

  // A child of parent; false when the platform refused.
  bool Create(HWND parent, HINSTANCE instance);
  HWND Handle() const { return hwnd_; }
  // The image with the frame, kNoImage when the pointer is elsewhere.
  int Hovered() const { return hovered_; }
  // The image the arrow keys have reached.
  int Focused() const { return focused_; }
  // Sizes follow the DPI of the parent window.
  void SetDpi(UINT dpi);
  // The image of `command` is drawn grey, does nothing when clicked, and shows `reason` as its tip.
  void SetUnavailable(UINT command, std::wstring reason);
  bool Available(int index) const;
  // The image of the page shown; its entry reads as selected.
  void SetCurrent(UINT command);
  HWND ToolTips() const { return tips_.get(); }
  // Where image i sits in the bar's client area.
  RECT ImageRect(int index) const;
  // Where image i's caption is drawn, on one line and cut at its right edge.
  RECT CaptionRect(int index) const;
  int ImageAt(POINT point) const;

 private:
  template <typename T>
  friend LRESULT CALLBACK toolkit::ObjectProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void SetHovered(int index);
  void Key(WPARAM key);
  void Paint(HDC dc);
  COLORREF CircleColour(int index, toolkit::Theme theme, const toolkit::Palette& palette) const;
  void PlaceTips();
  int ItemCount() const override;
  toolkit::DrawnItem Item(int index) const override;
  int FocusedItem() const override { return focused_; }
  void DoDefault(int index) override;

  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;  // owned by whoever set it
  int hovered_ = kNoImage;
  int pressed_ = kNoImage;
  int focused_ = 0;
  int current_ = 0;
  UINT dpi_ = 96;
  std::vector<std::wstring> unavailable_;  // per image: why it is unavailable, empty when it is not
  platform::Window tips_;
  toolkit::DrawnItemsAccessible accessible_;
};

}  // namespace ui
