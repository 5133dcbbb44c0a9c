#pragma once
// Where this system keeps its folders: the shell's known folders, the environment, the Windows and
// temp folders.
#include <windows.h>

#include <shlobj.h>

#include <string>

namespace platform {

// The folder as the shell records it (a personal folder the user moved included), whether or not it
// exists yet; empty when the shell knows none.
std::wstring KnownFolder(REFKNOWNFOLDERID id);

// The variable's value; empty when it is not set.
std::wstring EnvironmentVariable(const std::wstring& name);

std::wstring WindowsFolder();
// Without the separator at its end.
std::wstring TempFolder();

}  // namespace platform
