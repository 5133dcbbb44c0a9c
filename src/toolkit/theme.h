#pragma once
// The theme in force: light (the skin's colours), dark, or high contrast (the system's colours). It
// follows Windows unless the user chose a fixed light or dark look; a high-contrast theme always wins.
// Every colour the program draws with in a theme is in this one place, and every text keeps at least
// 4.5:1 contrast against its background.
#include <windows.h>

#include <functional>

#include "platform/system_theme.h"
#include "toolkit/skin.h"

namespace toolkit {

enum class Theme { Light, Dark, HighContrast };

// The least contrast of a text against its background.
constexpr double kLeastContrast = 4.5;

Theme ResolveTheme(platform::SystemTheme system, platform::Appearance appearance);

// Where the system's theme is read from; an empty reader puts back platform::ReadSystemTheme. Wine
// always says high contrast is off, so tests give their own.
void SetSystemThemeReader(std::function<platform::SystemTheme()> reader);
// The user's choice, for the windows skinned from now on.
void SetAppearance(platform::Appearance appearance);
// Asked afresh at each call.
Theme ThemeInForce();

// A message after which the theme in force may differ: the system's colours changed, high contrast
// was switched, or Windows' app colour ("ImmersiveColorSet").
bool IsThemeChange(UINT message, WPARAM wParam, LPARAM lParam);

// The colours of a theme. Light has no palette of its own beyond what the skin leaves out.
struct Palette {
  COLORREF background;   // windows, static texts, the navigation bar
  COLORREF text;         // every text, in fields too
  COLORREF accent;       // group box titles and progress bars
  COLORREF field;        // edit boxes and lists
  COLORREF unavailable;  // what cannot be used now
  COLORREF glyph;        // the strokes of a pictogram on its coloured circle
  COLORREF alarm;        // a list row that warns, on the field
};
// High contrast: the system's colours at the time of the call.
Palette PaletteOf(Theme theme);

// The WCAG 2 contrast ratio of two colours, 1 to 21.
double ContrastRatio(COLORREF one, COLORREF other);
// `text` where it has the least contrast against `background`; else black or white, whichever has more.
COLORREF Readable(COLORREF text, COLORREF background);

// The skin a window wears in `theme`: the file's in light, the palette's colours (with the file's font)
// otherwise; its texts readable in every case.
Skin ThemedSkin(const Skin& file, Theme theme);

// What the skin's colours cannot reach: the title bar of a top-level window turns dark (Windows 10
// 20H1 and later; elsewhere the call fails, which is fine), and check boxes, option buttons and group
// boxes drop the visual style that would draw their text in its own colour.
void DressForTheme(HWND window, Theme theme);

}  // namespace toolkit
