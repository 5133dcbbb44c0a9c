#pragma once
// Where the settings and list files live. A portable copy and a per-user install keep them beside the
// program; a copy whose folder the user cannot write (a per-machine install under Program Files)
// keeps them in the user's roaming application data. What ships with the program stays beside it.
#include <functional>
#include <string>

#include "platform/result.h"

namespace platform {

// "%APPDATA%\Trellwipe", whether or not it exists; empty when the shell knows no such folder.
std::wstring UserSettingsFolder();

// Whether the user can make files in the folder, found by making one of a unique name that goes again
// as it is closed. A refusal is an answer, not an error to show.
Result<void> ProbeWritable(const std::wstring& folder);

using WriteProbe = std::function<Result<void>(const std::wstring& folder)>;

// Decides for the copy in `programFolder` with `probe`, makes the user's folder when it is chosen and
// keeps the answer for SettingsFolder, which from then on gives it.
std::wstring DecideSettingsFolder(const std::wstring& programFolder, const WriteProbe& probe);

// The settings folder of the copy in `programFolder` (without a trailing backslash): the program
// folder when the user can write it, else UserSettingsFolder. Decided once per program folder by
// really writing there (ProbeWritable); an empty or missing program folder is given back as it is.
std::wstring SettingsFolder(const std::wstring& programFolder);

}  // namespace platform
