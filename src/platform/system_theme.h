#pragma once
// What Windows asks of a program's colours: a high-contrast theme, and dark apps; and the user's own
// choice between following Windows and a fixed light or dark look.
#include <windows.h>

namespace platform {

// Stored as its number; a number it does not name reads as AsWindows.
enum class Appearance { AsWindows = 0, Light = 1, Dark = 2 };

struct SystemTheme {
  bool highContrast = false;  // SPI_GETHIGHCONTRAST
  bool appsDark = false;      // "AppsUseLightTheme" = 0
};

// The key and value that say whether the user's apps are light.
constexpr wchar_t kPersonalizeKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
constexpr wchar_t kAppsUseLightTheme[] = L"AppsUseLightTheme";

// Read now; a value missing or of another type leaves apps light (Windows before 10 has none).
SystemTheme ReadSystemTheme();

}  // namespace platform
