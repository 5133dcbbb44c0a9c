#pragma once
// "Files and folders to keep": the paths the user keeps from every cleaning, in "keeppath.dat" of the
// settings folder (platform::SettingsFolder). Unlike the other keep lists the file is UTF-8: a path
// the system's code page cannot hold would come back as another path, and the file it names would go.
// One entry a line, ended by CR LF: the path, then a tab and where it was kept from. A path whose last
// part has a wildcard keeps what matches it in that folder. The file is
// anyone's to edit: a line that is not valid UTF-8 is read in the code page rather than lost, a line
// that names no full path keeps nothing, and lines the program did not write stay when it rewrites.
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace engine {

std::wstring KeptPathsFile(const std::wstring& programFolder);

// Where an entry was kept from, as the list shows it.
constexpr wchar_t kKeptFromConsole[] = L"the console";
constexpr wchar_t kKeptFromDetails[] = L"the details";
constexpr wchar_t kKeptFromExplorer[] = L"Explorer";
constexpr wchar_t kKeptByHand[] = L"by hand";

struct KeptPathLine {
  std::wstring path;
  std::wstring from;  // empty for a line without one
  bool operator==(const KeptPathLine&) const = default;
};

// Every entry in the order of its lines; none for a missing file or without a program folder. Why not when the file is
// there but cannot be read: a run must then keep everything rather than nothing.
platform::Result<std::vector<KeptPathLine>> LoadKeptPaths(const std::wstring& programFolder);

// Each change replaces the whole list in one rename: a failure or a kill at any moment leaves the old
// list or the new one.
// Adds the full path (or folder and pattern), in its long form, unless the list keeps it already; gives the entry that
// keeps it. Why not for text that names no full path, without a program folder, or when the list
// cannot be read or written.
platform::Result<KeptPathLine> KeepPath(const std::wstring& programFolder, std::wstring_view typed,
                                        std::wstring_view from);
// Removes every entry that names the path (as typed, or in its long form, letter case ignored) and
// gives those it removed; why not when none does, or when the list cannot be written.
platform::Result<std::vector<KeptPathLine>> UnkeepPath(const std::wstring& programFolder, std::wstring_view typed);

}  // namespace engine
