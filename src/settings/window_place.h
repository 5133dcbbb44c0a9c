#pragma once
// Where the main window was and whether it filled the screen, as "MainWindow" in section "Options"
// of the settings file: "left,top,right,bottom,maximised", the normal rectangle in pixels.
#include <windows.h>

#include <optional>
#include <string>
#include "platform/result.h"

namespace settings {

struct WindowPlace {
  RECT normal;
  bool maximised = false;
};

// Nothing for a text that is not five whole numbers with a rectangle of some size and a 0 or 1.
std::optional<WindowPlace> ParseWindowPlace(const std::wstring& text);
std::wstring WindowPlaceText(const WindowPlace& place);

std::optional<WindowPlace> LoadWindowPlace(const std::wstring& settingsFile);
platform::Result<void> SaveWindowPlace(const std::wstring& settingsFile, const WindowPlace& place);

}  // namespace settings
