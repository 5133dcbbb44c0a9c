#pragma once
// Asked by every registry deletion of a key: no step, from a built-in item, a plug-in or a rule,
// takes a root or a branch that holds every program's settings.
#include <windows.h>

#include <string_view>

#include "platform/translation.h"

namespace engine {

// The root itself; a key of the first level below HKEY_LOCAL_MACHINE or HKEY_USERS (a hive of its
// own, or a whole user's); and, below any root or a user's hive in HKEY_USERS, "Software",
// "Software\Classes", "Software\Microsoft", "Software\Microsoft\Windows" and its "CurrentVersion",
// "Software\Policies", "Software\Wow6432Node" with the same branches below it, "SYSTEM" with its
// control sets, "Control Panel" and "Environment". Separators doubled or at the ends and letter case
// do not matter. A vendor's key below them is no such branch.
bool IsProtectedRegistryKey(HKEY root, std::wstring_view subkey);

// Why the guard refuses such a key, for the run's details.
constexpr const wchar_t* kProtectedKeyReason = platform::TrLater(L"a protected registry key");

}  // namespace engine
