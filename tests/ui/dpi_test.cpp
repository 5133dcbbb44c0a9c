#include "toolkit/dpi.h"
#include "support/window_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "dialogs/details_window.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "support/test_support.h"
#include "trellwipe_manifest.h"
#include "ui/main_commands.h"
#include "ui/main_layout.h"
#include "ui/main_window.h"
#include "ui/splash_window.h"

using namespace testing_support;

namespace {

constexpr UINT kDpis[] = {96, 120, 144, 192};

bool Overlap(const RECT& a, const RECT& b) {
  RECT both;
  return IntersectRect(&both, &a, &b) != FALSE;
}

bool Empty(const RECT& rect) { return rect.right <= rect.left || rect.bottom <= rect.top; }

RECT Doubled(const RECT& rect) { return {rect.left * 2, rect.top * 2, rect.right * 2, rect.bottom * 2}; }

using Named = std::vector<std::pair<const char*, RECT>>;

// Every pair of the list is apart.
void ExpectApart(const Named& rects, UINT dpi) {
  for (size_t i = 0; i < rects.size(); ++i) {
    for (size_t j = i + 1; j < rects.size(); ++j) {
      EXPECT_FALSE(Overlap(rects[i].second, rects[j].second))
          << rects[i].first << " / " << rects[j].first << " at " << dpi;
    }
  }
}

TEST(Dpi, ScaleFollowsTheDpiFromTheDesignedNinetySix) {
  EXPECT_EQ(toolkit::Scale(160, 96), 160);
  EXPECT_EQ(toolkit::Scale(160, 120), 200);
  EXPECT_EQ(toolkit::Scale(160, 144), 240);
  EXPECT_EQ(toolkit::Scale(160, 192), 320);
  EXPECT_EQ(toolkit::Scale(7, 120), 9);  // rounded, not cut
  EXPECT_EQ(toolkit::Scale(-8, 144), -12);
  RECT scaled = toolkit::ScaleRect({10, 20, 30, 40}, 144), expected = {15, 30, 45, 60};
  EXPECT_TRUE(EqualRect(&scaled, &expected));
}

TEST(Dpi, WindowsAndFontsKnowTheirDpi) {
  platform::Window window(
      CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
  ASSERT_TRUE(window);
  UINT dpi = toolkit::WindowDpi(window.get());
  EXPECT_GE(dpi, 96u);
  EXPECT_EQ(toolkit::WindowDpi(nullptr), toolkit::SystemDpi());
  LOGFONTW normal = toolkit::MessageFont(96), doubled = toolkit::MessageFont(192);
  ASSERT_NE(normal.lfHeight, 0);
  EXPECT_NEAR(doubled.lfHeight, normal.lfHeight * 2, 1);
  EXPECT_STREQ(doubled.lfFaceName, normal.lfFaceName);
}

TEST(Dpi, TheManifestDeclaresPerMonitorAwarenessBesideCommonControlsAndAsInvoker) {
  const std::string manifest = kTrellwipeManifest;
  for (const char* part :
       {"<application xmlns=\"urn:schemas-microsoft-com:asm.v3\">", "<windowsSettings>",
        "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>",
        "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2, "
        "PerMonitor</dpiAwareness>",
        "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"", "level=\"asInvoker\""}) {
    EXPECT_NE(manifest.find(part), std::string::npos) << part;
  }
}

TEST(MainLayout, EveryControlStaysInsideTheClientAreaApartFromTheOthersAndScales) {
  const SIZE designed = {784, 501};
  const ui::MainLayout base = ui::LayOutMainWindow(designed, 96);
  for (UINT dpi : kDpis) {
    const SIZE client = {toolkit::Scale(designed.cx, dpi), toolkit::Scale(designed.cy, dpi)};
    const RECT area = {0, 0, client.cx, client.cy};
    const ui::MainLayout l = ui::LayOutMainWindow(client, dpi);
    const Named all = {{"navigation", l.navigation}, {"homeTitle", l.homeTitle},
                       {"homeText", l.homeText},     {"homeLists", l.homeLists},
                       {"frame", l.frame},           {"list", l.list},
                       {"progress", l.progress},     {"status", l.status},
                       {"cancel", l.cancel},         {"preview", l.preview},
                       {"start", l.start},           {"lastClean", l.lastClean},
                       {"totals", l.totals},         {"link", l.link}};
    for (const auto& [name, rect] : all) {
      EXPECT_TRUE(Inside(rect, area)) << name << " at " << dpi;
      EXPECT_FALSE(Empty(rect)) << name << " at " << dpi;
    }
    ExpectApart({{"homeTitle", l.homeTitle}, {"homeText", l.homeText}, {"homeLists", l.homeLists}}, dpi);
    const Named status = {{"list", l.list},     {"progress", l.progress}, {"status", l.status},
                          {"cancel", l.cancel}, {"preview", l.preview},   {"start", l.start}};
    ExpectApart(status, dpi);
    for (const auto& [name, rect] : status) EXPECT_TRUE(Inside(rect, l.frame)) << name << " at " << dpi;
    // The strip, the navigation and either page lie side by side.
    ExpectApart({{"navigation", l.navigation},
                 {"frame", l.frame},
                 {"lastClean", l.lastClean},
                 {"totals", l.totals},
                 {"link", l.link}},
                dpi);
    ExpectApart({{"navigation", l.navigation}, {"homeLists", l.homeLists}, {"totals", l.totals}}, dpi);

    EXPECT_EQ(l.start.right - l.start.left, toolkit::Scale(160, dpi)) << dpi;
    EXPECT_EQ(l.start.bottom - l.start.top, toolkit::Scale(32, dpi)) << dpi;
    EXPECT_EQ(l.cancel.right - l.cancel.left, toolkit::Scale(96, dpi)) << dpi;
    EXPECT_EQ(l.navigation.right, toolkit::Scale(132, dpi)) << dpi;
    EXPECT_EQ(ui::MainWindowSize(dpi).cx, toolkit::Scale(800, dpi));
  }
  // Twice the DPI on twice the area is the same picture twice as large.
  const ui::MainLayout twice = ui::LayOutMainWindow({designed.cx * 2, designed.cy * 2}, 192);
  for (auto member :
       {&ui::MainLayout::navigation, &ui::MainLayout::homeLists, &ui::MainLayout::list, &ui::MainLayout::start,
        &ui::MainLayout::cancel, &ui::MainLayout::totals, &ui::MainLayout::link}) {
    RECT expected = Doubled(base.*member);
    EXPECT_TRUE(EqualRect(&(twice.*member), &expected));
  }
}

// The width of `text` in the message font at `dpi`, with the room a list's cell leaves around it.
int CellWidth(const wchar_t* text, UINT dpi) {
  LOGFONTW message = toolkit::MessageFont(dpi);
  platform::Font font(CreateFontIndirectW(&message));
  platform::WindowDc dc(nullptr);
  platform::SelectedObject selected(dc.get(), font.get());
  SIZE size{};
  GetTextExtentPoint32W(dc.get(), text, static_cast<int>(wcslen(text)), &size);
  return size.cx + toolkit::Scale(12, dpi);
}

// At the least size, a larger one and a screen too small for it, at 100, 150 and 200 %: the columns
// fill the list but for its scroll bar; at the least size and above, the usual states show whole and
// no column is narrower than its header.
TEST(MainLayout, TheResultColumnsShareTheListAndShowTheirHeadersAndUsualStates) {
  const wchar_t* headers[ui::kResultColumns] = {L"Item", L"State", L"Files", L"Size", L"Left behind"};
  const wchar_t* states[] = {L"Done",      L"Not installed", L"Not found",        L"Stopped",
                             L"Would run", L"Would erase",   L"Nothing to erase", L"Done, 1 left behind"};
  const struct {
    int percent;  // of the least client area
    bool whole;   // wide enough for every text
  } sizes[] = {{100, true}, {150, true}, {60, false}};
  for (UINT dpi : {96u, 144u, 192u}) {
    for (const auto& [percent, whole] : sizes) {
      const SIZE client = {toolkit::Scale(784, dpi) * percent / 100, toolkit::Scale(501, dpi)};
      const RECT list = ui::LayOutMainWindow(client, dpi).list;
      // The list's client area without its edges and its scroll bar.
      const int room = list.right - list.left - toolkit::Scale(4, dpi) - toolkit::Scale(17, dpi);
      const std::array<int, ui::kResultColumns> widths = ui::ResultColumnWidths(room, dpi);
      int sum = 0;
      for (int width : widths) sum += width;
      EXPECT_EQ(sum, room) << dpi << " at " << percent << "%";
      if (!whole) continue;
      for (int column = 0; column < ui::kResultColumns; ++column) {
        EXPECT_GE(widths[column], CellWidth(headers[column], dpi)) << headers[column] << " at " << dpi;
      }
      for (const wchar_t* state : states) {
        EXPECT_GE(widths[1], CellWidth(state, dpi)) << platform::Narrow(state) << " at " << dpi << ", " << percent;
      }
      EXPECT_GE(widths[0], CellWidth(L"IE Downloaded History(Only IE9, IE10)", dpi)) << dpi << " at " << percent;
    }
  }
}

TEST(MainLayout, AClientAreaTooSmallYieldsNoNegativeSizes) {
  const ui::MainLayout l = ui::LayOutMainWindow({100, 60}, 144);
  for (const RECT& rect : {l.homeLists, l.frame, l.list, l.totals}) {
    EXPECT_GE(rect.right, rect.left);
    EXPECT_GE(rect.bottom, rect.top);
  }
}

TEST(DetailsLayout, TheListAndTheButtonStayInsideApartAndScale) {
  for (UINT dpi : kDpis) {
    const SIZE client = {toolkit::Scale(624, dpi), toolkit::Scale(361, dpi)};
    const RECT area = {0, 0, client.cx, client.cy};
    const dialogs::DetailsLayout l = dialogs::LayOutDetailsWindow(client, dpi);
    EXPECT_TRUE(Inside(l.lines, area)) << dpi;
    EXPECT_TRUE(Inside(l.close, area)) << dpi;
    EXPECT_FALSE(Overlap(l.lines, l.close)) << dpi;
    EXPECT_EQ(l.close.right - l.close.left, toolkit::Scale(96, dpi));
    EXPECT_EQ(l.close.bottom - l.close.top, toolkit::Scale(28, dpi));
  }
  const dialogs::DetailsLayout tiny = dialogs::LayOutDetailsWindow({20, 20}, 192);
  EXPECT_GE(tiny.lines.bottom, tiny.lines.top);
}

int FontHeight(HWND control) {
  LOGFONTW font = {};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(font), &font);
  return font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
}

SIZE SizeOf(HWND control) {
  RECT rect;
  GetWindowRect(control, &rect);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

void SendDpiChange(HWND window, UINT dpi, RECT suggested) {
  SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

TEST(MainWindowDpi, AChangeOfMonitorMovesTheWindowAndScalesControlsFontsAndColumns) {
  TempFolder program;
  ui::MainWindowActions actions;
  actions.showDetails = [](HWND, const std::wstring&, const engine::ItemReport&, const std::vector<engine::RuleReason>&,
                           bool, const std::wstring&) {};
  std::optional<ui::MainWindow> window(std::in_place, GetModuleHandleW(nullptr), program.Path(), L"", actions);
  ASSERT_TRUE(window->Create());
  HWND hwnd = window->Handle();
  EXPECT_EQ(window->Dpi(), toolkit::WindowDpi(hwnd));
  SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(ui::kShowStatusCommand, 0), 0);
  const UINT start = window->Dpi();
  const int startFont = FontHeight(window->StartButton());

  for (UINT dpi : {192u, 120u, 96u}) {
    // The system keeps a window within the largest size it can track.
    RECT suggested = {40, 30, 40 + std::min(toolkit::Scale(800, dpi), GetSystemMetrics(SM_CXMAXTRACK)),
                      30 + std::min(toolkit::Scale(560, dpi), GetSystemMetrics(SM_CYMAXTRACK))};
    SendDpiChange(hwnd, dpi, suggested);
    EXPECT_EQ(window->Dpi(), dpi);
    RECT now;
    GetWindowRect(hwnd, &now);
    EXPECT_TRUE(EqualRect(&now, &suggested)) << dpi;
    EXPECT_EQ(SizeOf(window->StartButton()).cx, toolkit::Scale(160, dpi)) << dpi;
    EXPECT_EQ(SizeOf(window->StartButton()).cy, toolkit::Scale(32, dpi)) << dpi;
    EXPECT_EQ(SizeOf(window->Navigation().Handle()).cx, toolkit::Scale(132, dpi)) << dpi;
    EXPECT_EQ(ListView_GetColumnWidth(window->ResultList(), 2), toolkit::Scale(50, dpi)) << dpi;
    EXPECT_NEAR(FontHeight(window->StartButton()), MulDiv(startFont, static_cast<int>(dpi), static_cast<int>(start)), 1)
        << dpi;
    EXPECT_EQ(FontHeight(window->ResultList()), FontHeight(window->StartButton())) << dpi;
    RECT image = window->Navigation().ImageRect(1);
    EXPECT_EQ(image.top, toolkit::Scale(6, dpi) + toolkit::Scale(44, dpi)) << dpi;
    RECT list, client;
    GetWindowRect(window->ResultList(), &list);
    GetClientRect(hwnd, &client);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&list), 2);
    EXPECT_TRUE(Inside(list, client)) << dpi;
  }
  window.reset();
  DrainQuit();
}

// A window manager that takes whatever size the window is dragged to: the window is not asked for
// its least size.
WNDPROC heldProcedure = nullptr;
LRESULT CALLBACK AnySize(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_WINDOWPOSCHANGING) return 0;
  return CallWindowProcW(heldProcedure, hwnd, message, wParam, lParam);
}

RECT InClient(HWND control) {
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// At each DPI the least size is the window's answer, and dragged smaller under such a window manager
// the window takes it back: the buttons, the status line and the strip stay whole and apart.
TEST(MainWindowDpi, DraggedSmallerTheWindowTakesItsLeastSizeBack) {
  TempFolder program;
  std::optional<ui::MainWindow> window(std::in_place, GetModuleHandleW(nullptr), program.Path(), L"",
                                       ui::MainWindowActions{});
  ASSERT_TRUE(window->Create());
  HWND hwnd = window->Handle();
  SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(ui::kShowStatusCommand, 0), 0);
  heldProcedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AnySize)));
  const POINT largest = {GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
  for (UINT dpi : {96u, 144u, 192u}) {
    const SIZE designed = ui::MainWindowSize(dpi);
    const SIZE least = {std::min<LONG>(designed.cx, largest.x), std::min<LONG>(designed.cy, largest.y)};
    SendDpiChange(hwnd, dpi, {0, 0, least.cx, least.cy});
    MINMAXINFO limits{};
    limits.ptMaxTrackSize = largest;
    SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, least.cx) << dpi;
    EXPECT_EQ(limits.ptMinTrackSize.y, least.cy) << dpi;

    SetWindowPos(hwnd, nullptr, 0, 0, least.cx / 2, least.cy / 3, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(SizeOf(hwnd).cx, least.cx) << dpi;
    EXPECT_EQ(SizeOf(hwnd).cy, least.cy) << dpi;
    RECT client;
    GetClientRect(hwnd, &client);
    const Named shown = {{"start", InClient(window->StartButton())},
                         {"preview", InClient(window->PreviewButton())},
                         {"status", InClient(window->StatusLine())},
                         {"lastClean", InClient(window->LastCleanLabel())},
                         {"totals", InClient(window->Statistics())},
                         {"link", InClient(window->WebLink())},
                         {"navigation", InClient(window->Navigation().Handle())}};
    for (const auto& [name, rect] : shown) {
      EXPECT_TRUE(Inside(rect, client)) << name << " at " << dpi;
      EXPECT_FALSE(Empty(rect)) << name << " at " << dpi;
    }
    ExpectApart(shown, dpi);
  }
  SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(heldProcedure));
  window.reset();
  DrainQuit();
}

TEST(MainWindowDpi, TheSkinFontStaysAfterAChangeOfMonitor) {
  TempFolder program;
  WriteText(program / L"skins\\frmmain.skn", "font=Courier New\r\n");
  std::optional<ui::MainWindow> window(std::in_place, GetModuleHandleW(nullptr), program.Path(), L"",
                                       ui::MainWindowActions{});
  ASSERT_TRUE(window->Create());
  RECT suggested = {0, 0, 700, 500};
  SendDpiChange(window->Handle(), 120, suggested);
  LOGFONTW font = {};
  ASSERT_TRUE(
      GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window->StartButton(), WM_GETFONT, 0, 0)), sizeof(font), &font));
  EXPECT_STREQ(font.lfFaceName, L"Courier New");
  EXPECT_NEAR(-font.lfHeight, -toolkit::MessageFont(120).lfHeight, 1);
  window.reset();
  DrainQuit();
}

TEST(DetailsWindowDpi, AChangeOfMonitorScalesTheButtonAndTheFont) {
  engine::ItemReport item;
  item.files = {{L"C:\\a", 1}};
  dialogs::DetailsWindow window(L"Chrome Cache - Result", item, {}, false, L"");
  ASSERT_TRUE(window.Create(nullptr, false));
  EXPECT_EQ(window.Dpi(), toolkit::WindowDpi(window.Handle()));
  const int font = FontHeight(window.CloseButton());
  const UINT start = window.Dpi();
  RECT suggested = {10, 10, 10 + toolkit::Scale(640, 144), 10 + toolkit::Scale(400, 144)};
  SendDpiChange(window.Handle(), 144, suggested);
  EXPECT_EQ(window.Dpi(), 144u);
  EXPECT_EQ(SizeOf(window.CloseButton()).cx, toolkit::Scale(96, 144));
  EXPECT_EQ(SizeOf(window.CloseButton()).cy, toolkit::Scale(28, 144));
  EXPECT_NEAR(FontHeight(window.Lines()), MulDiv(font, 144, static_cast<int>(start)), 1);
  RECT now;
  GetWindowRect(window.Handle(), &now);
  EXPECT_TRUE(EqualRect(&now, &suggested));
}

TEST(SplashWindowDpi, TheStartUpWindowIsSizedForItsMonitor) {
  TempFolder program;
  ui::SplashWindow splash(GetModuleHandleW(nullptr), program.Path(), nullptr, nullptr);
  ASSERT_TRUE(splash.Create(false));
  EXPECT_EQ(splash.Dpi(), toolkit::WindowDpi(splash.Handle()));
  EXPECT_EQ(SizeOf(splash.Handle()).cx, toolkit::Scale(420, splash.Dpi()));
  EXPECT_EQ(SizeOf(splash.Handle()).cy, toolkit::Scale(220, splash.Dpi()));
  RECT suggested = {0, 0, toolkit::Scale(420, 192), toolkit::Scale(220, 192)};
  SendDpiChange(splash.Handle(), 192, suggested);
  EXPECT_EQ(splash.Dpi(), 192u);
  EXPECT_EQ(SizeOf(splash.Handle()).cx, toolkit::Scale(420, 192));
  splash.Unload();
}

}  // namespace
