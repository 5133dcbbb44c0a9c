#pragma once
// Path and shell utilities the catalogue and the windows share.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/erase_context.h"

namespace engine::normal {

// Asks the system to delete the file at the next restart, once: a file that does not exist, or that
// the system already deletes then, is not added again. The result is ignored. Recorded as a step,
// and left undone in a preview.
void DeleteFileAtReboot(const engine::EraseContext& erase, const std::wstring& path);

// The value of USERPROFILE followed by what comes after the first "%USERPROFILE%" token (anything
// before the token is dropped); text without the token comes back unchanged.
std::wstring ExpandUserProfile(const std::wstring& text);

// Opens a document, program or web address with the shell's default action; the result is ignored.
void OpenWithShell(const std::wstring& target);

struct FileSelection {
  uint16_t count = 0;
  std::wstring folder;              // the folder of the chosen files, ending in a backslash
  std::vector<std::wstring> names;  // names[0] is file 1
};

// What a multi-select file-open dialog gave back: its buffer up to the end of the list (one full
// path, or the folder and NUL-separated names), and where the first name starts in it.
struct FileDialogResult {
  std::wstring raw;
  size_t fileOffset = 0;  // the dialog's nFileOffset
};

// The folder and the names of a dialog's result, cut at its own file offset: the process's current
// folder plays no part, as the dialog need not have changed it. Nothing for an offset outside the
// text.
FileSelection ParseFileSelection(const FileDialogResult& result);

}  // namespace engine::normal
