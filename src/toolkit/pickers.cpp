#include "toolkit/pickers.h"

#include <commdlg.h>
#include <shlobj.h>

#include "platform/com_ptr.h"
#include "platform/shell_memory.h"
#include "platform/text.h"
#include "toolkit/picker_start.h"

namespace toolkit {

std::optional<PickedFiles> PickFiles(HWND owner, const FilePicker& picker) {
  std::wstring buffer(picker.bufferSize, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = picker.filter;
  dialog.lpstrFile = buffer.data();
  dialog.nMaxFile = picker.bufferSize;
  dialog.lpstrTitle = picker.title;
  const std::wstring start = PickerStart(Pick::Files);
  dialog.lpstrInitialDir = start.c_str();
  dialog.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_NODEREFERENCELINKS | picker.flags;
  if (!GetOpenFileNameW(&dialog)) return std::nullopt;
  RememberPickedFiles(buffer, dialog.nFileOffset);
  // The list ends with a second NUL.
  size_t end = buffer.find(std::wstring_view(L"\0\0", 2));
  return PickedFiles{buffer.substr(0, end), dialog.nFileOffset};
}

std::optional<std::wstring> PickFolder(HWND owner, const wchar_t* title, UINT flags) {
  platform::ComApartment apartment;  // the folder browser is a COM component
  wchar_t display[MAX_PATH] = L"";
  BROWSEINFOW browse{};
  browse.hwndOwner = owner;
  browse.pszDisplayName = display;
  browse.lpszTitle = title;
  browse.ulFlags = flags;
  const std::wstring start = PickerStart(Pick::Folder);
  StartFolderBrowserAt(browse, start);
  platform::ShellMemory<ITEMIDLIST> chosen(SHBrowseForFolderW(&browse));
  wchar_t path[MAX_PATH] = L"";
  if (!chosen || !SHGetPathFromIDListW(chosen.get(), path)) return std::nullopt;
  std::wstring folder = platform::CutAtNul(std::wstring_view(path, MAX_PATH));
  RememberPickedFolder(folder);
  return folder;
}

}  // namespace toolkit
