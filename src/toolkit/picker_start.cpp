#include "toolkit/picker_start.h"

#include <knownfolders.h>

#include "platform/system_folders.h"

namespace toolkit {

namespace {

// Process-wide: the pickers of every window of the process share it, as the user sees one program.
std::wstring& LastFolder() {
  static std::wstring last;
  return last;
}

bool IsFolder(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int CALLBACK SelectAtStart(HWND browser, UINT message, LPARAM, LPARAM folder) {
  if (message == BFFM_INITIALIZED) SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, folder);
  return 0;
}

}  // namespace

std::wstring PickerStart(Pick pick) {
  if (IsFolder(LastFolder())) return LastFolder();
  return platform::KnownFolder(pick == Pick::Files ? FOLDERID_Documents : FOLDERID_Profile);
}

void RememberPickedFolder(const std::wstring& folder) { LastFolder() = folder; }

void RememberPickedFiles(std::wstring_view result, WORD nameOffset) {
  std::wstring_view folder = result.substr(0, nameOffset);
  // Several names follow the folder after a NUL; one full path keeps its separator, so "C:" stays a root.
  if (!folder.empty() && folder.back() == L'\0') folder.remove_suffix(1);
  LastFolder() = folder;
}

void StartFolderBrowserAt(BROWSEINFOW& browse, const std::wstring& folder) {
  browse.lpfn = SelectAtStart;
  browse.lParam = reinterpret_cast<LPARAM>(folder.c_str());
}

}  // namespace toolkit
