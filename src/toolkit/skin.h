#pragma once
// The skin service: colours and a font read from a skin file and applied to a window and its children.
//
// A skin file is 8-bit text in the system's code page, one "key=value" a line; blank lines, lines
// starting with ";" or "#" and "[section]" lines are ignored, as are unknown keys and malformed values:
//   background=#RRGGBB   window and dialog background, and the background of static texts
//   text=#RRGGBB         text of static texts, buttons, edit boxes and lists
//   accent=#RRGGBB       text of group boxes and the bar of progress bars
//   field=#RRGGBB        background of edit boxes and lists
//   font=Face name       font of every child window
//   fontsize=9           its height in points (6 to 72)
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace toolkit {

struct Skin {
  std::optional<COLORREF> background;
  std::optional<COLORREF> text;
  std::optional<COLORREF> accent;
  std::optional<COLORREF> field;
  std::wstring fontFace;  // empty: the window's own font face
  int fontPoints = 0;     // 0: the window's own font size
};

// program folder + "\skins\frmmain.skn"
std::wstring SkinFile(const std::wstring& programFolder);

// "#RRGGBB" (letter case free); nothing for any other text.
std::optional<COLORREF> ParseColour(std::wstring_view text);

Skin ParseSkin(std::string_view content);
// Nothing when the file cannot be read.
std::optional<Skin> LoadSkin(const std::wstring& file);

// Skins the window and its children from now until the window is destroyed, without the window's
// cooperation: the window is subclassed, its children get the skin font, and the GDI objects are
// freed when the window goes. Applying again replaces the earlier skin.
void ApplySkin(HWND window, const Skin& skin);

// Applies program folder + "\skins\frmmain.skn" to the window in the theme in force (toolkit/theme.h);
// in light, a missing or unreadable file leaves the plain look. Applying again follows a new theme.
void ApplySkinFile(HWND window, const std::wstring& programFolder);

}  // namespace toolkit
