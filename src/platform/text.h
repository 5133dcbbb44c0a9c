#pragma once
// Wide text inside the program; the system's 8-bit code page at the registry, INI and file borders.
#include <string>
#include <string_view>

namespace platform {

std::wstring Widen(std::string_view narrow);
std::string Narrow(std::wstring_view wide);
// Whether the system's code page holds every character of the text, so that it comes back whole
// from a file or the registry.
bool FitsCodePage(std::wstring_view wide);

// Blanks only (space and tab), as the settings and registry readers trim.
std::wstring Trim(std::wstring_view text);
std::wstring ToLower(std::wstring_view text);
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);

// The text cut at its first NUL character.
std::wstring CutAtNul(std::wstring_view text);

// Joins a folder and a relative part with exactly one backslash between them.
std::wstring JoinPath(std::wstring_view folder, std::wstring_view part);

}  // namespace platform
