#include "toolkit/theme.h"

#include <dwmapi.h>
#include <uxtheme.h>

#include <cmath>
#include <cwchar>

#include "platform/text.h"

namespace toolkit {

namespace {

// Windows 10 20H1's attribute; older SDK headers do not name it.
constexpr DWORD kImmersiveDarkMode = 20;

constexpr Palette kLight = {RGB(0xf0, 0xf0, 0xf0), RGB(0x00, 0x00, 0x00), RGB(0x2a, 0x5c, 0xaa), RGB(0xff, 0xff, 0xff),
                            RGB(0x6d, 0x6d, 0x6d), RGB(0xff, 0xff, 0xff), RGB(0xc0, 0x00, 0x00)};
constexpr Palette kDark = {RGB(0x1f, 0x1f, 0x1f), RGB(0xf0, 0xf0, 0xf0), RGB(0x8a, 0xb4, 0xf8), RGB(0x2b, 0x2b, 0x2b),
                           RGB(0x9a, 0x9a, 0x9a), RGB(0x1f, 0x1f, 0x1f), RGB(0xff, 0x8a, 0x80)};
// High contrast: each colour is the system's, the glyph on a circle of text colour in the window's.
constexpr struct {
  COLORREF Palette::*colour;
  int system;
} kHighContrast[] = {
    {&Palette::background, COLOR_WINDOW}, {&Palette::text, COLOR_WINDOWTEXT},      {&Palette::accent, COLOR_WINDOWTEXT},
    {&Palette::field, COLOR_WINDOW},      {&Palette::unavailable, COLOR_GRAYTEXT}, {&Palette::glyph, COLOR_WINDOW},
    {&Palette::alarm, COLOR_WINDOWTEXT},
};

std::function<platform::SystemTheme()>& SystemReader() {
  static std::function<platform::SystemTheme()> reader;
  return reader;
}

platform::Appearance& ChosenAppearance() {
  static platform::Appearance appearance = platform::Appearance::AsWindows;
  return appearance;
}

double Luminance(COLORREF colour) {
  auto channel = [](BYTE value) {
    const double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(GetRValue(colour)) + 0.7152 * channel(GetGValue(colour)) +
         0.0722 * channel(GetBValue(colour));
}

bool DropsVisualStyle(HWND control) {
  wchar_t name[16] = L"";
  GetClassNameW(control, name, 16);
  if (!platform::EqualsNoCase(name, L"Button")) return false;
  const LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
  return type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON;
}

}  // namespace

Theme ResolveTheme(platform::SystemTheme system, platform::Appearance appearance) {
  if (system.highContrast) return Theme::HighContrast;
  switch (appearance) {
    case platform::Appearance::Light: return Theme::Light;
    case platform::Appearance::Dark: return Theme::Dark;
    case platform::Appearance::AsWindows: break;
  }
  return system.appsDark ? Theme::Dark : Theme::Light;
}

void SetSystemThemeReader(std::function<platform::SystemTheme()> reader) { SystemReader() = std::move(reader); }

void SetAppearance(platform::Appearance appearance) { ChosenAppearance() = appearance; }

Theme ThemeInForce() {
  const auto& reader = SystemReader();
  return ResolveTheme(reader ? reader() : platform::ReadSystemTheme(), ChosenAppearance());
}

bool IsThemeChange(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SYSCOLORCHANGE || message == WM_THEMECHANGED) return true;
  if (message != WM_SETTINGCHANGE) return false;
  const auto* area = reinterpret_cast<const wchar_t*>(lParam);
  return wParam == SPI_SETHIGHCONTRAST || (area && std::wcscmp(area, L"ImmersiveColorSet") == 0);
}

Palette PaletteOf(Theme theme) {
  if (theme == Theme::Light) return kLight;
  if (theme == Theme::Dark) return kDark;
  Palette palette{};
  for (const auto& entry : kHighContrast) palette.*entry.colour = GetSysColor(entry.system);
  return palette;
}

double ContrastRatio(COLORREF one, COLORREF other) {
  const double a = Luminance(one), b = Luminance(other);
  return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

COLORREF Readable(COLORREF text, COLORREF background) {
  if (ContrastRatio(text, background) >= kLeastContrast) return text;
  constexpr COLORREF black = RGB(0, 0, 0), white = RGB(0xff, 0xff, 0xff);
  return ContrastRatio(black, background) >= ContrastRatio(white, background) ? black : white;
}

Skin ThemedSkin(const Skin& file, Theme theme) {
  Skin skin = file;
  if (theme != Theme::Light) {
    const Palette palette = PaletteOf(theme);
    skin.background = palette.background;
    skin.text = palette.text;
    skin.accent = palette.accent;
    skin.field = palette.field;
  }
  // Where the skin leaves a colour to the system, the system's is what the text stands on.
  const COLORREF background = skin.background.value_or(GetSysColor(COLOR_BTNFACE));
  if (skin.text) {
    skin.text = Readable(*skin.text, background);
    // A field the text cannot be read on takes the background's colour, which it can.
    if (skin.field && ContrastRatio(*skin.text, *skin.field) < kLeastContrast) skin.field = background;
  }
  if (skin.accent) skin.accent = Readable(*skin.accent, background);
  return skin;
}

void DressForTheme(HWND window, Theme theme) {
  if (!(GetWindowLongW(window, GWL_STYLE) & WS_CHILD)) {
    BOOL dark = theme == Theme::Dark;
    DwmSetWindowAttribute(window, kImmersiveDarkMode, &dark, sizeof(dark));
  }
  EnumChildWindows(
      window,
      [](HWND child, LPARAM light) {
        if (!DropsVisualStyle(child)) return TRUE;
        // Empty names switch the style off; nulls give the control its usual one back.
        if (light) {
          SetWindowTheme(child, nullptr, nullptr);
        } else {
          SetWindowTheme(child, L"", L"");
        }
        return TRUE;
      },
      theme == Theme::Light);
}

}  // namespace toolkit
