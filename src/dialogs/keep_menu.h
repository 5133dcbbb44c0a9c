#pragma once
// What a preview's menus keep of a file the run found, in the details' lines and the preview's rows
// alike: the file, its folder, or what the rule line that named it matches in that folder.
#include <windows.h>

#include <string>

namespace dialogs {

enum class KeepWhat { File, Folder, Matches };

// "Keep this file", "Keep this folder", "Keep everything this rule line matches in this folder", in
// the language in force.
std::wstring KeepEntryText(KeepWhat what);

// The path an entry keeps for `file`: the file, its folder, or its folder joined with `pattern`.
std::wstring PathToKeep(KeepWhat what, const std::wstring& file, const std::wstring& pattern = {});

// Puts the path on the files and folders to keep, as kept from the details; a refusal is shown, with
// its reason, in a message owned by `owner`. False when it was not kept.
bool KeepFromPreview(HWND owner, const std::wstring& programFolder, const std::wstring& path);

}  // namespace dialogs
