// Every window in every theme, drawn as PrintWindow draws it: each text of a static text, button or
// edit box, and each entry of the navigation bar, stands out from its background by the least
// contrast, measured on the pixels. With TRELLWIPE_SCREENSHOTS naming a folder, the main window and
// the options in each theme are saved there as PNG files.
#include <windows.h>
#include <commctrl.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/text.h"
#include "platform/window_text.h"
#include "shipped_skin.h"
#include "support/every_dialog.h"
#include "support/test_support.h"
#include "support/window_support.h"
#include "toolkit/theme.h"
#include "ui/main_window.h"

using namespace testing_support;

namespace {

struct ThemeCase {
  const char* name;
  platform::SystemTheme system;
};
constexpr ThemeCase kThemes[] = {{"light", {false, false}}, {"dark", {false, true}}, {"high-contrast", {true, false}}};

// Windows' "High Contrast Black", which the test prefix is given while the theme is on.
constexpr int kElements[] = {COLOR_WINDOW,    COLOR_WINDOWTEXT,    COLOR_BTNFACE,  COLOR_BTNTEXT,
                             COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT, COLOR_GRAYTEXT, COLOR_HOTLIGHT};
constexpr COLORREF kHighContrastBlack[] = {RGB(0, 0, 0),          RGB(0xff, 0xff, 0xff), RGB(0, 0, 0),
                                           RGB(0xff, 0xff, 0xff), RGB(0x1a, 0xeb, 0xff), RGB(0, 0, 0),
                                           RGB(0x3f, 0xf2, 0x3f), RGB(0xff, 0xff, 0x00)};
static_assert(std::size(kElements) == std::size(kHighContrastBlack));

// The theme the seam reports, and the system's colours to match, until the end of the scope.
class ThemeInPlace {
 public:
  explicit ThemeInPlace(platform::SystemTheme theme) {
    for (int element : kElements) saved_.push_back(GetSysColor(element));
    if (theme.highContrast) SetSysColors(static_cast<int>(std::size(kElements)), kElements, kHighContrastBlack);
    toolkit::SetSystemThemeReader([theme] { return theme; });
  }
  ~ThemeInPlace() {
    toolkit::SetSystemThemeReader({});
    SetSysColors(static_cast<int>(std::size(kElements)), kElements, saved_.data());
  }
  ThemeInPlace(const ThemeInPlace&) = delete;
  ThemeInPlace& operator=(const ThemeInPlace&) = delete;

 private:
  std::vector<COLORREF> saved_;
};

SIZE ClientSize(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return {std::max(1L, client.right), std::max(1L, client.bottom)};
}

COLORREF At(const Canvas& canvas, int x, int y) {
  const DWORD pixel = canvas.Pixel(x, y);
  return RGB((pixel >> 16) & 0xff, (pixel >> 8) & 0xff, pixel & 0xff);
}

// What the window draws of itself, without its children.
void Print(HWND window, const Canvas& canvas) {
  PrintWindow(window, canvas.Dc(), PW_CLIENTONLY);
  GdiFlush();
}

// The colours of `area`, the most frequent first.
std::vector<COLORREF> Ranked(const Canvas& canvas, RECT area) {
  std::map<COLORREF, int> counts;
  for (int y = std::max(0L, area.top); y < std::min(area.bottom, canvas.Size().cy); ++y) {
    for (int x = std::max(0L, area.left); x < std::min(area.right, canvas.Size().cx); ++x) ++counts[At(canvas, x, y)];
  }
  std::vector<std::pair<int, COLORREF>> ranked;
  for (const auto& [colour, count] : counts) ranked.emplace_back(count, colour);
  std::sort(ranked.rbegin(), ranked.rend());
  std::vector<COLORREF> colours;
  for (const auto& entry : ranked) colours.push_back(entry.second);
  return colours;
}

// The contrast of a text in `area`: the colour most pixels have is its background, the next its text.
double TextContrast(const Canvas& canvas, RECT area) {
  const std::vector<COLORREF> colours = Ranked(canvas, area);
  return colours.size() < 2 ? 1.0 : toolkit::ContrastRatio(colours[0], colours[1]);
}

COLORREF Background(HWND window) {
  Canvas canvas(ClientSize(window));
  Print(window, canvas);
  return Ranked(canvas, {0, 0, canvas.Size().cx, canvas.Size().cy}).front();
}

bool IsClass(HWND window, const wchar_t* name) {
  wchar_t own[64] = L"";
  GetClassNameW(window, own, 64);
  return platform::EqualsNoCase(own, name);
}

bool ShownInside(HWND control, HWND top) {
  for (HWND window = control; window && window != top; window = GetParent(window)) {
    if (!(GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE)) return false;
  }
  return true;
}

// Where a control draws its text: a box or option button beside its mark, a group box in its title, a
// push button inside its frame; nothing for a control that draws no text of its own.
std::optional<RECT> TextArea(HWND control) {
  const std::wstring text = platform::WindowText(control);
  const SIZE size = ClientSize(control);
  RECT area = {0, 0, size.cx, size.cy};
  // A link is left out: its links are drawn in the system's link colour, which the program cannot set.
  const bool drawsText = IsClass(control, L"Static") || IsClass(control, L"Edit") || IsClass(control, L"Button");
  if (text.empty() || !drawsText || !IsWindowEnabled(control)) return std::nullopt;
  if (!IsClass(control, L"Button")) return area;
  switch (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON: InflateRect(&area, -4, -4); return area;
    case BS_GROUPBOX: {
      platform::WindowDc dc(control);
      platform::SelectedObject font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
      SIZE title{};
      GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &title);
      // The title stands 7 pixels in, on the background it fills behind it.
      return RECT{7, 0, std::min(size.cx, 7 + title.cx), title.cy};
    }
    default: area.left += GetSystemMetrics(SM_CXMENUCHECK) + 2; return area;
  }
}

// The window as the screen would show it: itself, then each child over it, the lowest first, each
// drawn by PrintWindow at its place.
void Compose(HWND window, const Canvas& canvas, POINT origin) {
  // A control draws as if its client area began the DC: it draws on a copy of what lies under it.
  Canvas own(ClientSize(window));
  BitBlt(own.Dc(), 0, 0, own.Size().cx, own.Size().cy, canvas.Dc(), origin.x, origin.y, SRCCOPY);
  PrintWindow(window, own.Dc(), PW_CLIENTONLY);
  BitBlt(canvas.Dc(), origin.x, origin.y, own.Size().cx, own.Size().cy, own.Dc(), 0, 0, SRCCOPY);
  std::vector<HWND> children;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  // GW_HWNDNEXT runs from the top of the pile down.
  for (auto child = children.rbegin(); child != children.rend(); ++child) {
    if (!(GetWindowLongW(*child, GWL_STYLE) & WS_VISIBLE)) continue;
    POINT at{};
    MapWindowPoints(*child, window, &at, 1);
    Compose(*child, canvas, {origin.x + at.x, origin.y + at.y});
  }
  GdiFlush();
}

// Where each text of the window stands, in the control's client area: the controls' own texts, the
// rows a list shows (in the colours the list or its window gave them) and the navigation bar's entries.
std::vector<std::pair<HWND, RECT>> Texts(HWND top, const ui::NavigationBar* navigation) {
  std::vector<std::pair<HWND, RECT>> texts;
  for (HWND control : Children(top)) {
    if (!ShownInside(control, top)) continue;
    if (std::optional<RECT> area = TextArea(control)) texts.emplace_back(control, *area);
    if (!IsClass(control, WC_LISTVIEWW)) continue;
    const int first = ListView_GetTopIndex(control);
    const int last = std::min(ListView_GetItemCount(control), first + ListView_GetCountPerPage(control));
    for (int row = first; row < last; ++row) {
      RECT bounds{};
      ListView_GetItemRect(control, row, &bounds, LVIR_BOUNDS);
      texts.emplace_back(control, bounds);
    }
  }
  for (int i = 0; navigation && i < static_cast<int>(ui::NavigationImages().size()); ++i) {
    // The caption, right of the circle.
    RECT caption = navigation->ImageRect(i);
    caption.left += 40;
    texts.emplace_back(navigation->Handle(), caption);
  }
  return texts;
}

struct Finding {
  std::wstring text;
  double contrast;
};

// Every text of the window, as composed on `canvas`, with less than the least contrast.
std::vector<Finding> FaintTexts(HWND top, const Canvas& canvas, const ui::NavigationBar* navigation) {
  std::vector<Finding> faint;
  for (auto [control, area] : Texts(top, navigation)) {
    MapWindowPoints(control, top, reinterpret_cast<POINT*>(&area), 2);
    const double contrast = TextContrast(canvas, area);
    if (contrast < toolkit::kLeastContrast) faint.push_back({platform::WindowText(control), contrast});
  }
  return faint;
}

void SavePng(const Canvas& canvas, const std::wstring& file) {
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
  {
    Gdiplus::Bitmap image(static_cast<HBITMAP>(GetCurrentObject(canvas.Dc(), OBJ_BITMAP)), nullptr);
    const CLSID png = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
    EXPECT_EQ(image.Save(file.c_str(), &png, nullptr), Gdiplus::Ok) << platform::Narrow(file);
  }
  Gdiplus::GdiplusShutdown(token);
}

void SaveWhenAsked(const Canvas& canvas, const std::string& name) {
  const char* folder = std::getenv("TRELLWIPE_SCREENSHOTS");
  if (!folder) return;
  CreateDirectoryW(platform::Widen(folder).c_str(), nullptr);
  SavePng(canvas, platform::Widen(folder) + L"\\" + platform::Widen(name) + L".png");
}

std::string Listed(const std::vector<Finding>& faint) {
  std::string text;
  for (const Finding& finding : faint) {
    text += "\n  \"" + platform::Narrow(finding.text) + "\": " + std::to_string(finding.contrast);
  }
  return text;
}

TEST(Themes, EveryWindowsTextsKeepTheirContrastInEveryTheme) {
  TempFolder program;
  WriteText(toolkit::SkinFile(program.Path()), kShippedSkin);
  for (const ThemeCase& theme : kThemes) {
    ThemeInPlace inPlace(theme.system);
    for (const auto& [name, make] : EveryWindow(program)) {
      std::unique_ptr<toolkit::Dialog> dialog = make();
      ASSERT_TRUE(dialog->Create(nullptr, false)) << name;
      Canvas canvas(ClientSize(dialog->Handle()));
      Compose(dialog->Handle(), canvas, {0, 0});
      EXPECT_EQ(Listed(FaintTexts(dialog->Handle(), canvas, nullptr)), "") << name << ", " << theme.name;
      if (std::string(name) == "Options") SaveWhenAsked(canvas, std::string("options-") + theme.name);
    }
    ui::MainWindowActions actions;
    actions.trackPopupMenu = [](HMENU, HWND) { return 0u; };
    ui::MainWindow main(GetModuleHandleW(nullptr), program.Path(), L"", std::move(actions));
    ASSERT_TRUE(main.Create());
    Canvas canvas(ClientSize(main.Handle()));
    Compose(main.Handle(), canvas, {0, 0});
    EXPECT_EQ(Listed(FaintTexts(main.Handle(), canvas, &main.Navigation())), "") << "main window, " << theme.name;
    SaveWhenAsked(canvas, std::string("main-") + theme.name);
    DrainQuit();
  }
}

// Windows' apps turn dark and light again while the windows are open.
TEST(Themes, OpenWindowsFollowASwitchOfWindowsTheme) {
  TempFolder program;
  WriteText(toolkit::SkinFile(program.Path()), kShippedSkin);
  platform::SystemTheme system;
  toolkit::SetSystemThemeReader([&system] { return system; });
  dialogs::AboutWindow about(program.Path());
  ASSERT_TRUE(about.Create(nullptr, false));
  ui::MainWindowActions actions;
  actions.trackPopupMenu = [](HMENU, HWND) { return 0u; };
  ui::MainWindow main(GetModuleHandleW(nullptr), program.Path(), L"", std::move(actions));
  ASSERT_TRUE(main.Create());
  for (bool dark : {true, false}) {
    system.appsDark = dark;
    for (HWND window : {about.Handle(), main.Handle()}) {
      SendMessageW(window, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"));
    }
    const COLORREF expected =
        dark ? toolkit::PaletteOf(toolkit::Theme::Dark).background : *toolkit::ParseSkin(kShippedSkin).background;
    EXPECT_EQ(Background(about.Handle()), expected) << dark;
    EXPECT_EQ(Background(main.Handle()), expected) << dark;
    EXPECT_EQ(Background(main.Navigation().Handle()), expected) << dark;
  }
  toolkit::SetSystemThemeReader({});
  DrainQuit();
}

}  // namespace
