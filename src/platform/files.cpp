#include "platform/files.h"

#include "platform/handles.h"
#include "platform/text.h"

namespace platform {

namespace {

// The extended form is taken literally, so a path the system would still have to normalise keeps
// its plain form.
bool Canonical(const std::wstring& path) {
  if (path.find(L'/') != std::wstring::npos || path.find(L"\\\\", 1) != std::wstring::npos) return false;
  for (const wchar_t* part : {L"\\.\\", L"\\..\\"}) {
    if (path.find(part) != std::wstring::npos) return false;
  }
  return !path.ends_with(L"\\.") && !path.ends_with(L"\\..");
}

}  // namespace

bool RunsUnderWine() {
  // Wine's own export, which names the Unix path of a Windows path; Windows has no such function.
  static const bool wine = [] {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return kernel && GetProcAddress(kernel, "wine_get_unix_file_name") != nullptr;
  }();
  return wine;
}

std::wstring ApiPath(const std::wstring& path) {
  if (!Canonical(path)) return path;
  if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return L"\\\\?\\" + path;
  if (path.size() > 2 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?' && path[2] != L'.') {
    return L"\\\\?\\UNC\\" + path.substr(2);
  }
  return path;
}

bool FileExists(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(ApiPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(ApiPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

unsigned long long FileTimeTicks(const FILETIME& time) {
  return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

unsigned long long NowTicks() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return FileTimeTicks(now);
}

bool ListFolder(const std::wstring& folder, const std::function<void(const FolderEntry&)>& each) {
  WIN32_FIND_DATAW data;
  FindHandle find(FindFirstFileExW(ApiPath(JoinPath(folder, L"*")).c_str(), FindExInfoBasic, &data,
                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (!find) return false;
  do {
    FolderEntry entry{data.cFileName, data.dwFileAttributes,
                      (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow, data.ftLastWriteTime};
    if (entry.name == L"." || entry.name == L"..") continue;
    each(entry);
  } while (FindNextFileW(find.get(), &data));
  return true;
}

}  // namespace platform
