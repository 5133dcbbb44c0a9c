#pragma once
// Where the system's file and folder pickers open: where the user's files are, not the program folder
// the process happens to run in (where every file is refused), and after a first pick where the user
// last was.
#include <windows.h>

#include <shlobj.h>

#include <string>
#include <string_view>

namespace toolkit {

enum class Pick { Files, Folder };

// The folder of the process's last pick while it still exists; else Documents for files and the
// profile for folders.
std::wstring PickerStart(Pick pick);

// Remembers the folder the folder browser gave.
void RememberPickedFolder(const std::wstring& folder);
// Remembers the folder of the files the open-file dialog gave: the text before the first name's
// offset, whether it is one full path or the folder followed by several names.
void RememberPickedFiles(std::wstring_view result, WORD nameOffset);

// Opens the folder browser at `folder`, which must outlive the browser.
void StartFolderBrowserAt(BROWSEINFOW& browse, const std::wstring& folder);

}  // namespace toolkit
