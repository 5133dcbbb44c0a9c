#pragma once
// Registry access by full textual path, "HKEY_CURRENT_USER\Software\...".
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "engine/erase_context.h"
#include "platform/result.h"

namespace engine::regfun {

// Longest value text that can be read: a value of 255 characters or more reads as "Error".
constexpr size_t kValueBuffer = 255;

constexpr wchar_t kUserShellFolders[] =
    L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// The predefined root for an upper-case root name, or nullptr for any other name.
HKEY RootKeyFromName(const std::wstring& name);
// The same for a rule file's root name, short ("HKCU") or long, in any letter case; nullptr also for
// the roots a rule cannot name (performance data, dynamic data).
HKEY RootKeyFromRuleName(std::wstring_view name);
// The name of a predefined root, "HKEY_CURRENT_USER"...; empty for any other handle.
std::wstring RootName(HKEY root);

struct SplitPath {
  HKEY root = nullptr;  // nullptr for an unknown root name
  std::wstring subkey;
};
// The root and subkey of a path; a path that does not begin with "HKEY_" or that ends with a
// backslash fails with "Incorrect Format:", two line feeds and the path, for a caller that shows it.
platform::Result<SplitPath> SplitRegistryPath(const std::wstring& path);

// The reads, creations and writes by path do nothing for a malformed path or an unknown root name.
// "Error" when the key or value cannot be read; empty text for a malformed path or an unknown root.
std::wstring ReadRegistryString(const std::wstring& path, const std::wstring& valueName);
struct RegistryText {
  std::wstring text;
  DWORD type = REG_NONE;  // REG_SZ or REG_EXPAND_SZ
};
// The value cut at its first NUL, with its type; nothing when the key or a text value of fewer than
// 255 characters cannot be read.
std::optional<RegistryText> ReadRegistryValueRaw(HKEY root, const std::wstring& subkey, const std::wstring& valueName);
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

}  // namespace engine::regfun
