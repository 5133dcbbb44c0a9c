#pragma once
// Where this system keeps its folders: the shell's known folders, the environment, the Windows and
// temp folders, and the user's name for them.
#include <windows.h>

#include <shlobj.h>

#include <string>

namespace platform {

// The folder as the shell records it (a personal folder the user moved included), whether or not it
// exists yet; empty when the shell knows none.
std::wstring KnownFolder(REFKNOWNFOLDERID id);

// The variable's value; empty when it is not set.
std::wstring EnvironmentVariable(const std::wstring& name);
// The text with every %VARIABLE% of this process's environment put in, of any length; empty when
// the system cannot expand it.
std::wstring ExpandEnvironment(const std::wstring& text);

std::wstring WindowsFolder();
// Without the separator at its end.
std::wstring TempFolder();

// The user's security identifier as text ("S-1-5-21-..."): the name of the user's hive in
// HKEY_USERS and of the user's folder in each drive's Recycle Bin. Empty when it cannot be read.
std::wstring UserSid();

}  // namespace platform
