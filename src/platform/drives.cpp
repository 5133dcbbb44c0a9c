#include "platform/drives.h"

#include <windows.h>

#include <cstring>

namespace platform {

namespace {

// Wine's own export names the Unix path of a Windows path; Windows has no such function.
bool MapsWholeUnixFileSystem(const std::wstring& root) {
  using UnixFileName = char*(CDECL*)(const wchar_t*);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  auto unixFileName =
      kernel
          ? reinterpret_cast<UnixFileName>(reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_unix_file_name")))
          : nullptr;
  if (!unixFileName) return false;
  char* name = unixFileName(root.c_str());
  if (!name) return false;
  bool whole = std::strcmp(name, "/") == 0;
  HeapFree(GetProcessHeap(), 0, name);
  return whole;
}

}  // namespace

std::vector<std::wstring> FixedDriveRoots() {
  std::vector<std::wstring> roots;
  DWORD drives = GetLogicalDrives();
  for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
    if (!(drives & (1u << (letter - L'A')))) continue;
    std::wstring root{letter, L':', L'\\'};
    if (GetDriveTypeW(root.c_str()) == DRIVE_FIXED && !MapsWholeUnixFileSystem(root)) roots.push_back(root);
  }
  return roots;
}

}  // namespace platform
