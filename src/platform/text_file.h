#pragma once
// Whole-file reads and writes of the lists the user keeps: 8-bit text in the system's code page.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace platform {

// At most `limit` bytes from the start of the file; nothing when it cannot be opened or read.
std::optional<std::string> ReadFileBytes(const std::wstring& file, DWORD limit = MAXDWORD);

// Every line in order (CR LF or LF ends; a last line without one still counts), converted from the
// system's code page; none for a missing or empty file.
std::vector<std::wstring> ReadTextLines(const std::wstring& file);

bool WriteAll(HANDLE file, const std::string& bytes);

// Writes the content to a new sibling file, flushes it, then renames it over `file` in one step:
// the old file is never opened for writing, so a failure at any moment leaves it whole.
bool ReplaceFileAtomically(const std::wstring& file, const std::string& bytes);

}  // namespace platform
