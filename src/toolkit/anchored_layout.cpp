#include "toolkit/anchored_layout.h"

#include <algorithm>

namespace toolkit {

void AnchoredLayout::Add(HWND parent, HWND control, unsigned anchors) {
  if (controls_.empty()) {
    RECT client, window;
    GetClientRect(parent, &client);
    GetWindowRect(parent, &window);
    designedClient_ = {client.right, client.bottom};
    designedWindow_ = {window.right - window.left, window.bottom - window.top};
  }
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  controls_.push_back({control, rect, anchors});
}

void AnchoredLayout::Apply(HWND parent) const {
  RECT client;
  GetClientRect(parent, &client);
  const int wider = std::max(0L, client.right - designedClient_.cx);
  const int taller = std::max(0L, client.bottom - designedClient_.cy);
  for (const Placed& placed : controls_) {
    RECT rect = placed.designed;
    if (placed.anchors & kMoveRight) OffsetRect(&rect, wider, 0);
    if (placed.anchors & kMoveDown) OffsetRect(&rect, 0, taller);
    if (placed.anchors & kGrowWide) rect.right += wider;
    if (placed.anchors & kGrowTall) rect.bottom += taller;
    SetWindowPos(placed.control, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  InvalidateRect(parent, nullptr, TRUE);
}

void AnchoredLayout::LimitTracking(MINMAXINFO& limits) const {
  if (controls_.empty()) return;
  limits.ptMinTrackSize = {designedWindow_.cx, designedWindow_.cy};
}

}  // namespace toolkit
