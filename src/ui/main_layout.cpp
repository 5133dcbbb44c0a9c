#include "ui/main_layout.h"

#include <algorithm>

#include <commctrl.h>

#include "platform/product_name.h"
#include "platform/translation.h"
#include "platform/window_text.h"
#include "settings/inifun.h"
#include "settings/item_flags.h"
#include "settings/options.h"
#include "settings/window_place.h"
#include "toolkit/dpi.h"
#include "toolkit/keyboard.h"
#include "toolkit/list_view.h"
#include "toolkit/skin.h"
#include "toolkit/theme.h"
#include "ui/main_commands.h"
#include "ui/main_window.h"

namespace ui {

namespace {

constexpr UINT kLinkId = 201;

constexpr const wchar_t* kHomeText = platform::TrLater(
    L"Ensure your privacy by erasing kinds of tracks from your computer.\r\n\r\n"
    L"Trellwipe lets you protect your privacy and improve your computer's performance by removing unwanted "
    L"information and files. One click erases what your browsers, Windows and your programs keep about what "
    L"you did, and nothing else: you choose every kind of trace in the cleaning settings.");

constexpr const wchar_t* kHomeLists = platform::TrLater(
    L"Using this program, you can clean and remove:\r\n"
    L"    • the caches, cookies, histories and typed addresses of your browsers\r\n"
    L"    • Windows recent-document lists, run history, temporary folders and the recycle bin\r\n"
    L"    • the recent-file lists of Microsoft Office and other programs\r\n"
    L"    • messenger and e-mail traces\r\n"
    L"    • files and folders of your own choice, and the targets of plug-ins\r\n\r\n"
    L"You also can:\r\n"
    L"    • keep the cookies and typed addresses you want to keep\r\n"
    L"    • clean on a weekly schedule or when Windows starts\r\n"
    L"    • search for files by name and erase them\r\n"
    L"    • hide browser and folder windows at once with the boss key (Windows key + Z)");

// Item and State with their least widths (they share what the figures leave), then the figures, lined
// up on the right.
constexpr toolkit::ListColumn kResultColumnTable[kResultColumns] = {{platform::TrLater(L"Item"), 200},
                                                                    {platform::TrLater(L"State"), 150},
                                                                    {platform::TrLater(L"Files"), 50, LVCFMT_RIGHT},
                                                                    {platform::TrLater(L"Size"), 75, LVCFMT_RIGHT},
                                                                    {platform::TrLater(L"Left behind"), 80,
                                                                     LVCFMT_RIGHT}};
// The part of what the figures leave that State takes: its texts ("Done, 7 rows removed inside 1
// database, ...") run longer than most items' names.
constexpr int kStateShare = 40;

RECT At(int left, int top, int width, int height) {
  return {left, top, left + std::max(width, 0), top + std::max(height, 0)};
}

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

// Never more than the screen allows: a window at 200 % on a small screen is as large as it can be.
SIZE LeastWindowSize(UINT dpi, POINT largest) {
  const SIZE designed = MainWindowSize(dpi);
  return {std::min<LONG>(designed.cx, largest.x), std::min<LONG>(designed.cy, largest.y)};
}

std::array<int, kResultColumns> ResultColumnWidths(int room, UINT dpi) {
  std::array<int, kResultColumns> widths{};
  int rest = room;
  for (int column = 2; column < kResultColumns; ++column) {
    widths[column] = toolkit::Scale(kResultColumnTable[column].width, dpi);
    rest -= widths[column];
  }
  rest = std::max(rest, 0);
  const int leastItem = toolkit::Scale(kResultColumnTable[0].width, dpi);
  const int leastState = toolkit::Scale(kResultColumnTable[1].width, dpi);
  // Narrower than both leasts (a window at 200 % on a small screen): they shrink alike rather than
  // let the list scroll sideways.
  widths[1] = rest < leastItem + leastState ? MulDiv(rest, leastState, leastItem + leastState)
                                            : std::max(leastState, rest * kStateShare / 100);
  widths[0] = rest - widths[1];
  return widths;
}

// The main window's controls: made, placed by LayOutMainWindow, sized to the DPI and skinned.

HWND MainWindow::AddControl(RECT MainLayout::*place, const wchar_t* className, const wchar_t* text, DWORD style,
                            UINT id, DWORD exStyle) {
  HWND control = CreateWindowExW(exStyle, className, platform::Tr(text), WS_CHILD | style, 0, 0, 0, 0, hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), instance_, nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  places_.push_back({control, place});
  return control;
}

void MainWindow::CreateControls() {
  MakeFonts();
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);

  navigation_.Create(hwnd_, instance_);
  navigation_.SetDpi(dpi_);
  places_.push_back({navigation_.Handle(), &MainLayout::navigation});
  MarkMissingTools();
  SendMessageW(navigation_.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);

  homeTitle_ = AddControl(&MainLayout::homeTitle, L"STATIC", platform::kProductName, SS_LEFT);
  SendMessageW(homeTitle_, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.get()), FALSE);
  homeText_ = AddControl(&MainLayout::homeText, L"STATIC", kHomeText, SS_LEFT);
  homeLists_ = AddControl(&MainLayout::homeLists, L"STATIC", kHomeLists, SS_LEFT);
  homePage_ = {homeTitle_, homeText_, homeLists_};

  // The frame's mnemonic leads to the result list, the next control.
  frame_ = AddControl(&MainLayout::frame, L"BUTTON", platform::TrLater(L"St&atus"), BS_GROUPBOX);
  // Never shown: the name a screen reader gives the list.
  list_ = AddControl(&MainLayout::list, WC_LISTVIEWW, platform::TrLater(L"Results"),
                     WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_NOSORTHEADER, 0, WS_EX_CLIENTEDGE);
  ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT);
  toolkit::KeepReturnKey(list_);
  toolkit::AddListColumns(list_, kResultColumnTable, dpi_);
  progress_ = AddControl(&MainLayout::progress, PROGRESS_CLASSW, L"", 0);
  SendMessageW(progress_, PBM_SETRANGE32, 0, 100);
  status_ = AddControl(&MainLayout::status, L"STATIC", L"", SS_LEFTNOWORDWRAP | SS_ENDELLIPSIS);
  // Created in the order they read from left to right, which is the order Tab visits them.
  cancel_ = AddControl(&MainLayout::cancel, L"BUTTON", platform::TrLater(L"&Cancel"),
                       WS_TABSTOP | WS_DISABLED | BS_PUSHBUTTON, kCancelCommand);
  preview_ = AddControl(&MainLayout::preview, L"BUTTON", platform::TrLater(L"&Preview"), WS_TABSTOP | BS_PUSHBUTTON,
                        kPreviewCommand);
  start_ = AddControl(&MainLayout::start, L"BUTTON", platform::TrLater(L"&Start Cleaning >>"),
                      WS_TABSTOP | BS_DEFPUSHBUTTON, kStartCleaningCommand);
  statusPage_ = {frame_, list_, progress_, status_, start_, cancel_, preview_};

  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, instance_, nullptr);
  SetTip(start_, platform::Tr(L"Close your browsers and other programs first: files that are in use cannot be erased."),
         TTM_ADDTOOLW);

  lastClean_ = AddControl(&MainLayout::lastClean, L"STATIC", L"", WS_VISIBLE | SS_LEFTNOWORDWRAP);
  // Its tip says what the figures are; a static control passes the mouse to its tip only with SS_NOTIFY.
  totals_ =
      AddControl(&MainLayout::totals, L"STATIC", L"", WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_ENDELLIPSIS | SS_NOTIFY);
  SetTip(totals_, platform::Tr(run::kEstimatesTip), TTM_ADDTOOLW);
  // The link control clips a link to the advance of its letters, and the last "b" reaches past it;
  // the no-break space at the end gives it that room.
  const std::wstring link = L"<a>" + std::wstring(platform::Tr(L"Trellwipe on the web")) + L"\u00A0</a>";
  link_ = AddControl(&MainLayout::link, WC_LINK, link.c_str(), WS_VISIBLE | WS_TABSTOP, kLinkId);
  Layout();
}

void MainWindow::SetTip(HWND control, const std::wstring& text, UINT message) {
  TTTOOLINFOW tool = {};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = hwnd_;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = const_cast<wchar_t*>(text.c_str());
  SendMessageW(tooltip_, message, 0, reinterpret_cast<LPARAM>(&tool));
}

void MainWindow::MakeFonts() {
  LOGFONTW message = toolkit::MessageFont(dpi_);
  font_.reset(CreateFontIndirectW(&message));
  LOGFONTW title = message;
  title.lfHeight = title.lfHeight * 2;
  title.lfWeight = FW_BOLD;
  titleFont_.reset(CreateFontIndirectW(&title));
}

void MainWindow::Layout() {
  RECT client;
  GetClientRect(hwnd_, &client);
  const MainLayout layout = LayOutMainWindow({client.right, client.bottom}, dpi_);
  for (const auto& [control, place] : places_) {
    const RECT& rect = layout.*place;
    MoveWindow(control, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
  }
  // The columns fill the list but for the scroll bar that a long run brings, so that the list never
  // scrolls sideways.
  RECT list;
  GetClientRect(list_, &list);
  if (!(GetWindowLongW(list_, GWL_STYLE) & WS_VSCROLL)) {
    list.right -=
        MulDiv(GetSystemMetrics(SM_CXVSCROLL), static_cast<int>(dpi_), static_cast<int>(toolkit::SystemDpi()));
  }
  const std::array<int, kResultColumns> widths = ResultColumnWidths(list.right, dpi_);
  for (int column = 0; column < kResultColumns; ++column) ListView_SetColumnWidth(list_, column, widths[column]);
}

void MainWindow::KeepLeastSize() {
  RECT window;
  GetWindowRect(hwnd_, &window);
  const SIZE now = {window.right - window.left, window.bottom - window.top};
  const SIZE least = LeastWindowSize(dpi_, {GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)});
  // The size set here comes back as a WM_SIZE of its own.
  if (growing_ || (now.cx >= least.cx && now.cy >= least.cy)) return;
  growing_ = true;
  SetWindowPos(hwnd_, nullptr, 0, 0, std::max(now.cx, least.cx), std::max(now.cy, least.cy),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  growing_ = false;
}

void MainWindow::RestorePlace() {
  std::optional<settings::WindowPlace> place = settings::LoadWindowPlace(settings::SettingsFile(programFolder_));
  // A place on a screen that is gone (a second monitor unplugged) would put the window out of reach.
  if (!place || !MonitorFromRect(&place->normal, MONITOR_DEFAULTTONULL)) return;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  GetWindowPlacement(hwnd_, &placement);
  placement.rcNormalPosition = place->normal;
  placement.showCmd = SW_HIDE;
  SetWindowPlacement(hwnd_, &placement);
  showMaximised_ = place->maximised;
}

void MainWindow::SavePlace() {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  if (!hwnd_ || !GetWindowPlacement(hwnd_, &placement)) return;
  bool maximised = placement.showCmd == SW_SHOWMAXIMIZED || (placement.flags & WPF_RESTORETOMAXIMIZED);
  settings::SaveWindowPlace(settings::SettingsFile(programFolder_), {placement.rcNormalPosition, maximised});
}

void MainWindow::ChangeDpi(UINT dpi) {
  dpi_ = dpi;
  // The controls let go of the old fonts before they are deleted.
  platform::Font oldFont = std::move(font_), oldTitleFont = std::move(titleFont_);
  MakeFonts();
  EnumChildWindows(
      hwnd_,
      [](HWND child, LPARAM font) {
        SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(font_.get()));
  navigation_.SetDpi(dpi_);
  // The skin's font is sized for the old DPI too.
  ApplySkin();
  Layout();
}

void MainWindow::ApplySkin() {
  // The user's "Appearance" holds for every window opened from here on.
  toolkit::SetAppearance(settings::LoadAppearance(programFolder_));
  toolkit::ApplySkinFile(hwnd_, programFolder_);
  // The skin gives every control its font; the title keeps its own large bold one.
  SendMessageW(homeTitle_, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.get()), TRUE);
  // The link measures its lines when it gets its text, not when it gets a font: measured again in the
  // skin's font, its descenders are no longer cut.
  SetWindowTextW(link_, platform::WindowText(link_).c_str());
}

void MainWindow::ShowPage(Page page) {
  page_ = page;
  navigation_.SetCurrent(page == Page::Home ? kShowHomeCommand : kShowStatusCommand);
  for (HWND control : homePage_) ShowWindow(control, page == Page::Home ? SW_SHOW : SW_HIDE);
  for (HWND control : statusPage_) ShowWindow(control, page == Page::Status ? SW_SHOW : SW_HIDE);
}

}  // namespace ui
