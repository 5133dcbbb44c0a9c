#pragma once
// The system's file and folder pickers, opened where PickerStart says and remembering where the user
// went.
#include <windows.h>

#include <optional>
#include <string>

namespace toolkit {

struct FilePicker {
  const wchar_t* title;
  const wchar_t* filter;  // pairs of NUL-ended texts, ended by a second NUL
  DWORD flags;            // besides multiple selection, the Explorer look and links taken as files
  DWORD bufferSize;       // characters for the names picked
};

// What the open-file dialog gave: one full path, or the folder and the names, each ended by a NUL;
// `nameOffset` is where the first name starts.
struct PickedFiles {
  std::wstring text;
  WORD nameOffset;
};

std::optional<PickedFiles> PickFiles(HWND owner, const FilePicker& picker);
// The folder the folder browser gave, nullopt when the user chose none or no folder of the file system.
std::optional<std::wstring> PickFolder(HWND owner, const wchar_t* title, UINT flags);

}  // namespace toolkit
