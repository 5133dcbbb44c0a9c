#pragma once
// The extension list "Ext.txt" in the settings folder (platform::SettingsFolder): the name patterns
// the search tool offers, one a line in the system's code page. Only valid entries (IsValidExtension)
// are read; other lines stay in the file untouched.
#include <optional>
#include <string>
#include <vector>
#include "platform/result.h"

namespace filesearch {

inline constexpr wchar_t kExtensionFileName[] = L"Ext.txt";
// The entries the default operation writes, in order.
inline constexpr const wchar_t* kDefaultExtensions[] = {L"*.tmp", L"*.gid", L"*.swp", L"*.chk"};

std::wstring ExtensionFile(const std::wstring& programFolder);

// "*." and at least one more character, up to kMaxExtensionLength in all: no control character,
// nothing Windows forbids in a file name but the wildcards, no ";" (the joined list's separator),
// and not wildcards alone after "*." ("*.*" would match every file).
inline constexpr size_t kMaxExtensionLength = 64;
bool IsValidExtension(const std::wstring& text);

// The valid entries in file order; none for a missing file.
std::vector<std::wstring> ReadExtensions(const std::wstring& programFolder);

// The valid entries joined by ";"; nothing when the file is missing or holds no valid entry.
std::optional<std::wstring> ReadJoinedExtensions(const std::wstring& programFolder);

// Adds the text as the file's last line, creating the file when absent.
platform::Result<void> AppendExtension(const std::wstring& programFolder, const std::wstring& text);

// Replaces the file with the four default entries.
platform::Result<void> WriteDefaultExtensions(const std::wstring& programFolder);

// Drops every line equal to `entry` (letter case counts), duplicates included; every other line,
// invalid ones too, is kept in order. The new list is written whole to "temp" in the settings folder
// and then renamed over "Ext.txt" in one step. Does nothing when "Ext.txt" does not exist.
platform::Result<void> RemoveExtension(const std::wstring& programFolder, const std::wstring& entry);

// Moves one file to the recycle bin without any dialog. Refuses a relative path, a folder and a path
// with wildcards, which the shell would expand.
bool SendToRecycleBin(const std::wstring& path);

}  // namespace filesearch
