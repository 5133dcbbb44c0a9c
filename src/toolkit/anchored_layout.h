#pragma once
// Keeps a resizable window's controls where they were designed as the window grows: each control's
// edges either stay at their distance from the window's top left, or move with its right or bottom.
#include <windows.h>

#include <vector>

namespace toolkit {

enum Anchor : unsigned {
  kMoveRight = 1,  // the control moves right as the window widens
  kMoveDown = 2,   // the control moves down as the window grows taller
  kGrowWide = 4,   // its right edge follows the window's
  kGrowTall = 8,   // its bottom edge follows the window's
};

class AnchoredLayout {
 public:
  // Notes where `control` lies in `parent`'s client area now, the smallest size the window takes.
  void Add(HWND parent, HWND control, unsigned anchors);
  // Moves every control by the client area's growth beyond the size it had at Add.
  void Apply(HWND parent) const;
  // WM_GETMINMAXINFO: the window never gets smaller than its designed size.
  void LimitTracking(MINMAXINFO& limits) const;

 private:
  struct Placed {
    HWND control;
    RECT designed;
    unsigned anchors;
  };
  std::vector<Placed> controls_;
  SIZE designedClient_ = {};
  SIZE designedWindow_ = {};
};

}  // namespace toolkit
