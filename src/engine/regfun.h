#pragma once
// Registry access by full textual path, "HKEY_CURRENT_USER\Software\...".
#include <windows.h>

#include <string>

#include "engine/erase_context.h"
#include "engine/user_scope.h"

namespace regfun {

// Longest value text that can be read: a value of 255 characters or more reads as "Error".
constexpr size_t kValueBuffer = 255;

constexpr wchar_t kUserShellFolders[] =
    L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// The predefined root for an upper-case root name, or nullptr for any other name.
HKEY RootKeyFromName(const std::wstring& name);
// The name of a predefined root, "HKEY_CURRENT_USER"...; empty for any other handle.
std::wstring RootName(HKEY root);

// Replaces `path` by its subkey part and returns the root. A path that does not begin with "HKEY_"
// or that ends with a backslash shows "Incorrect Format:" and gives nullptr.
HKEY SplitRegistryPath(std::wstring& path);

// "Error" when the key or value cannot be read; empty text for an unknown root name.
std::wstring ReadRegistryString(const std::wstring& path, const std::wstring& valueName);
// The value cut at its first NUL, "error" on failure.
std::wstring ReadRegistryValueRaw(HKEY root, const std::wstring& subkey, const std::wstring& valueName,
                                  DWORD& type);
void CreateRegistryKey(const std::wstring& path);
// Writes into an existing key only.
void WriteRegistryString(const std::wstring& path, const std::wstring& valueName, const std::wstring& text);
// The same inside a run: recorded as steps, and left undone in a preview.
void CreateRegistryKey(const engine::EraseContext& erase, const std::wstring& path);
void WriteRegistryString(const engine::EraseContext& erase, const std::wstring& path, const std::wstring& valueName,
                         const std::wstring& text);
std::wstring TrimAtNul(const std::wstring& text);

// A folder from the user's "User Shell Folders" (or another key of the same shape), with
// %USERPROFILE% expanded; "Error" when it cannot be read.
std::wstring ResolveShellFolder(const std::wstring& valueName, const std::wstring& key = kUserShellFolders);

// The same for a user: the current user's as above; another user's from that user's hive, with
// %USERPROFILE% expanded to that user's profile folder, and when it cannot be read (or is no full
// path), the usual place `relative` in the profile folder ("\AppData\Roaming"); without a usual
// place, empty text, which names no folder.
std::wstring ResolveUserFolder(const engine::UserScope& user, const std::wstring& valueName,
                               const std::wstring& relative, const std::wstring& key = kUserShellFolders);

}  // namespace regfun
