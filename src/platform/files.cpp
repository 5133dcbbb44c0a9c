#include "platform/files.h"

#include <vector>

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

// The path name calls: asked for the size first, then for the text.
template <typename Call>
std::wstring AskedTwice(Call call) {
  DWORD n = call(nullptr, 0);
  if (n == 0) return {};
  std::wstring text(n, L'\0');
  n = call(text.data(), n);
  if (n == 0 || n >= text.size()) return {};
  text.resize(n);
  return text;
}

}  // namespace

bool IsDrivePath(std::wstring_view path) {
  const wchar_t letter = path.empty() ? L'\0' : static_cast<wchar_t>(path[0] | 0x20);
  return path.size() >= 3 && letter >= L'a' && letter <= L'z' && path[1] == L':' && path[2] == L'\\';
}

size_t RootLength(std::wstring_view full) {
  if (IsDrivePath(full)) return 3;
  if (!full.starts_with(L"\\\\")) return 0;
  size_t server = full.find(L'\\', 2);
  if (server == std::wstring_view::npos || server == 2) return 0;
  size_t share = full.find(L'\\', server + 1);
  if (share == server + 1) return 0;
  return share == std::wstring_view::npos ? full.size() : share + 1;
}

std::wstring FullPathName(const std::wstring& path) {
  return AskedTwice([&](wchar_t* buffer, DWORD size) { return GetFullPathNameW(path.c_str(), size, buffer, nullptr); });
}

std::wstring LongPathName(const std::wstring& path) {
  return AskedTwice([&](wchar_t* buffer, DWORD size) { return GetLongPathNameW(path.c_str(), buffer, size); });
}

std::wstring ShortPathName(const std::wstring& path) {
  return AskedTwice([&](wchar_t* buffer, DWORD size) { return GetShortPathNameW(path.c_str(), buffer, size); });
}

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
  if (IsDrivePath(path)) return L"\\\\?\\" + path;
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

Result<void> ListFolder(const std::wstring& folder, const std::function<void(const FolderEntry&)>& each) {
  WIN32_FIND_DATAW data;
  FindHandle find(FindFirstFileExW(ApiPath(JoinPath(folder, L"*")).c_str(), FindExInfoBasic, &data,
                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (!find) return SystemFailure(GetLastError());
  do {
    FolderEntry entry{data.cFileName, data.dwFileAttributes,
                      (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow, data.ftLastWriteTime,
                      data.ftCreationTime};
    if (entry.name == L"." || entry.name == L"..") continue;
    each(entry);
  } while (FindNextFileW(find.get(), &data));
  return {};
}

FileHandle OpenFolder(const std::wstring& folder) {
  return FileHandle(CreateFileW(ApiPath(folder).c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

Result<void> ListOpenFolder(HANDLE folder, const std::function<void(const FolderEntry&)>& each) {
  // As many entries at once as FindFirstFileExW's large fetch takes; aligned as the entries are.
  std::vector<ULONGLONG> buffer(64 * 1024 / sizeof(ULONGLONG));
  const DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(ULONGLONG));
  auto ticks = [](const LARGE_INTEGER& time) { return static_cast<unsigned long long>(time.QuadPart); };
  auto filetime = [](const LARGE_INTEGER& time) { return FILETIME{time.LowPart, static_cast<DWORD>(time.HighPart)}; };
  while (GetFileInformationByHandleEx(folder, FileIdBothDirectoryInfo, buffer.data(), bytes)) {
    const auto* start = reinterpret_cast<const BYTE*>(buffer.data());
    for (DWORD offset = 0;;) {
      const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(start + offset);
      FolderEntry entry{std::wstring(info->FileName, info->FileNameLength / sizeof(wchar_t)),
                        info->FileAttributes,
                        static_cast<ULONGLONG>(info->EndOfFile.QuadPart),
                        filetime(info->LastWriteTime),
                        filetime(info->CreationTime),
                        ticks(info->ChangeTime)};
      if (entry.name != L"." && entry.name != L"..") each(entry);
      if (info->NextEntryOffset == 0) break;
      offset += info->NextEntryOffset;
    }
  }
  DWORD error = GetLastError();
  if (error != ERROR_NO_MORE_FILES) return SystemFailure(error);
  return {};
}

unsigned long long ChangeTime(const std::wstring& path) {
  FileHandle file(CreateFileW(ApiPath(path).c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  FILE_BASIC_INFO info;
  if (!file || !GetFileInformationByHandleEx(file.get(), FileBasicInfo, &info, sizeof(info))) return 0;
  return static_cast<unsigned long long>(info.ChangeTime.QuadPart);
}

}  // namespace platform
