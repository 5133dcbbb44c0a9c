#include "ui/main_layout.h"

#include <algorithm>

#include "toolkit/dpi.h"

namespace ui {

namespace {

RECT At(int left, int top, int width, int height) { return {left, top, left + std::max(width, 0), top + std::max(height, 0)}; }

}  // namespace

MainLayout LayOutMainWindow(SIZE client, UINT dpi) {
  auto s = [dpi](int pixels) { return toolkit::Scale(pixels, dpi); };
  const int gap = s(8), strip = s(26), navigation = s(132);
  const int left = navigation + gap, right = client.cx - gap;
  const int width = right - left, bottom = client.cy - strip;
  MainLayout layout{};
  layout.navigation = At(0, 0, navigation, client.cy);

  layout.homeTitle = At(left, gap, width, s(40));
  layout.homeText = At(left, gap + s(44), width, s(90));
  layout.homeLists = At(left, gap + s(140), width, bottom - gap - s(140));

  layout.frame = At(left, gap, width, bottom - gap);
  const int inner = left + s(10), innerWidth = width - s(20), frameBottom = bottom - s(10);
  const int buttonTop = frameBottom - s(44), buttonHeight = s(32);
  const int startWidth = s(160), otherWidth = s(96);
  layout.list = At(inner, gap + s(22), innerWidth, frameBottom - s(118) - gap - s(22));
  layout.progress = At(inner, frameBottom - s(110), innerWidth, s(18));
  layout.status = At(inner, frameBottom - s(84), innerWidth, s(20));
  layout.start = At(right - s(10) - startWidth, buttonTop, startWidth, buttonHeight);
  layout.preview = At(layout.start.left - gap - otherWidth, buttonTop, otherWidth, buttonHeight);
  layout.cancel = At(layout.preview.left - gap - otherWidth, buttonTop, otherWidth, buttonHeight);

  const int lastCleanWidth = s(140), linkWidth = s(190);
  layout.lastClean = At(left, bottom + s(4), lastCleanWidth, s(20));
  layout.totals = At(left + lastCleanWidth, bottom + s(4), width - lastCleanWidth - linkWidth, s(20));
  layout.link = At(right - linkWidth, bottom + s(4), linkWidth, s(20));
  return layout;
}

SIZE MainWindowSize(UINT dpi) { return {toolkit::Scale(800, dpi), toolkit::Scale(560, dpi)}; }

int ResultColumnWidth(int column, UINT dpi) {
  // Item, State (its least: the list gives it the rest), Files, Size, Left behind; with a scroll bar
  // they fit the list of the smallest window.
  constexpr int kWidths[kResultColumns] = {250, 120, 55, 75, 90};
  return toolkit::Scale(kWidths[column], dpi);
}

}  // namespace ui
