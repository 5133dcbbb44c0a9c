#pragma once
// Path and shell utilities the catalogue and the windows share.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/erase_context.h"

namespace normal {

// Asks the system to delete the file at the next restart; the result is ignored. Recorded as a
// step, and left undone in a preview.
void DeleteFileAtReboot(const engine::EraseContext& erase, const std::wstring& path);

// The value of USERPROFILE followed by what comes after the first "%USERPROFILE%" token (anything
// before the token is dropped); text without the token comes back unchanged.
std::wstring ExpandUserProfile(const std::wstring& text);

// Opens a document, program or web address with the shell's default action; the result is ignored.
void OpenWithShell(const std::wstring& target);

struct FileSelection {
  uint16_t count = 0;
  std::wstring folder;              // the current directory, ending in a backslash
  std::vector<std::wstring> names;  // names[0] is file 1
};

// The raw result of a multi-select file-open dialog: one full path, or NUL-separated names after
// the folder.
FileSelection ParseFileSelection(const std::wstring& raw);

}  // namespace normal
