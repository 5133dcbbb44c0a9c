#pragma once
// Wide text inside the program; the system's 8-bit code page at the registry, INI and file borders.
#include <optional>
#include <string>
#include <string_view>

#include "platform/result.h"

namespace platform {

std::wstring Widen(std::string_view narrow);
std::string Narrow(std::wstring_view wide);
// Whether the system's code page holds every character of the text, so that it comes back whole
// from a file or the registry.
bool FitsCodePage(std::wstring_view wide);

// UTF-8 for the console, SQLite and rule files; nothing when the bytes are not valid UTF-8.
std::string ToUtf8(std::wstring_view wide);
std::optional<std::wstring> FromUtf8(std::string_view bytes);

// The ASCII form of an international host name, as browsers store it ("пример.рф" ->
// "xn--e1afmkfd.xn--p1ai"); the system's error for a name that has none.
Result<std::wstring> AsciiHostName(std::wstring_view name);

// Blanks only (space and tab), as the settings and registry readers trim.
std::wstring Trim(std::wstring_view text);
std::wstring ToLower(std::wstring_view text);
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);
// Below zero, zero or above zero as `a` sorts before, with or after `b` in the user's language,
// letter case ignored: the order of a list the user reads.
int CompareNoCase(std::wstring_view a, std::wstring_view b);

// Whether `path` lies below `folder` (a separator follows it), letter case ignored; for paths and
// registry keys, `folder` without a separator at its end.
bool IsBelow(std::wstring_view path, std::wstring_view folder);

// Whether a file name matches a pattern the way Windows matches them: letter case ignored, "*" for
// any run of characters, "?" for one; "*.*" matches every name, with or without a dot.
bool MatchesPattern(std::wstring_view name, std::wstring_view pattern);
// Whether a pattern holds "*" or "?".
bool HasWildcard(std::wstring_view pattern);
// The same for a name and a pattern that ToLower gave already: many names against one pattern.
bool MatchesLoweredPattern(std::wstring_view name, std::wstring_view pattern);

// The text cut at its first NUL character.
std::wstring CutAtNul(std::wstring_view text);

// Joins a folder and a relative part with exactly one backslash between them.
std::wstring JoinPath(std::wstring_view folder, std::wstring_view part);

}  // namespace platform
