#pragma once
// Where the main window's controls sit, for a client area at a DPI: the figures are designed at
// 96 DPI and scale with the monitor.
#include <windows.h>

#include <array>

namespace ui {

struct MainLayout {
  RECT navigation;
  // Home page.
  RECT homeTitle, homeText, homeLists;
  // Status page.
  RECT frame, list, progress, status, cancel, preview, start;
  // The statistics strip under both pages.
  RECT lastClean, totals, link;
};

MainLayout LayOutMainWindow(SIZE client, UINT dpi);

// The window's outer size at `dpi`.
SIZE MainWindowSize(UINT dpi);
// The least outer size at `dpi`, within the largest the system lets a window take: every control
// shows whole in it.
SIZE LeastWindowSize(UINT dpi, POINT largest);
// The result list's columns: Item, State, then the figures of the item's files, size and what it
// left behind. The figures keep their widths; Item and State share the rest of `room` (the list's
// width without its scroll bar), each at least as wide as the table says while the room allows, so
// that the usual states show whole; together they fill the room.
constexpr int kResultColumns = 5;
std::array<int, kResultColumns> ResultColumnWidths(int room, UINT dpi);

}  // namespace ui
