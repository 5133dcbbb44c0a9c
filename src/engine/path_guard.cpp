#include "engine/path_guard.h"

#include <windows.h>
#include <shlobj.h>

#include <cwctype>
#include <vector>

#include "platform/text.h"

namespace engine {

namespace {

std::wstring StripTrailingSlashes(std::wstring path) {
  while (path.size() > 1 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  return path;
}

std::optional<std::wstring> FullPath(const std::wstring& path) {
  DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (n == 0) return std::nullopt;
  std::wstring full(n, L'\0');
  n = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
  if (n == 0 || n >= full.size()) return std::nullopt;
  full.resize(n);
  return StripTrailingSlashes(full);
}

bool IsDriveAbsolute(const std::wstring& p) {
  return p.size() >= 3 && std::iswalpha(p[0]) && p[1] == L':' && (p[2] == L'\\' || p[2] == L'/');
}

bool IsUncPath(const std::wstring& p) {
  return p.size() > 2 && (p[0] == L'\\' || p[0] == L'/') && (p[1] == L'\\' || p[1] == L'/') &&
         p[2] != L'?' && p[2] != L'.';
}

// "\\server\share" has exactly one separator after the server name.
bool IsShareRoot(const std::wstring& full) {
  if (!IsUncPath(full)) return false;
  size_t server = full.find(L'\\', 2);
  return server == std::wstring::npos || full.find(L'\\', server + 1) == std::wstring::npos;
}

std::wstring KnownFolder(int csidl) {
  wchar_t buffer[MAX_PATH] = L"";
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer))) return {};
  return buffer;
}

std::wstring Environment(const wchar_t* name) {
  wchar_t buffer[MAX_PATH] = L"";
  DWORD n = GetEnvironmentVariableW(name, buffer, MAX_PATH);
  return n > 0 && n < MAX_PATH ? buffer : L"";
}

std::vector<std::wstring> ProtectedFolders() {
  std::vector<std::wstring> folders;
  wchar_t windows[MAX_PATH] = L"";
  if (GetWindowsDirectoryW(windows, MAX_PATH)) folders.push_back(windows);
  if (GetSystemDirectoryW(windows, MAX_PATH)) folders.push_back(windows);
  for (int csidl : {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_PROFILE, CSIDL_WINDOWS}) {
    folders.push_back(KnownFolder(csidl));
  }
  for (const wchar_t* name : {L"USERPROFILE", L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432",
                              L"SystemRoot", L"windir"}) {
    folders.push_back(Environment(name));
  }
  // The folder that holds every user's profile.
  std::wstring profile = KnownFolder(CSIDL_PROFILE);
  size_t slash = profile.find_last_of(L'\\');
  if (slash != std::wstring::npos) folders.push_back(profile.substr(0, slash));
  std::vector<std::wstring> canonical;
  for (const std::wstring& folder : folders) {
    if (folder.empty()) continue;
    if (auto full = FullPath(folder)) canonical.push_back(*full);
  }
  return canonical;
}

}  // namespace

std::optional<std::wstring> ErasablePath(const std::wstring& path) {
  if (!IsDriveAbsolute(path) && !IsUncPath(path)) return std::nullopt;
  auto full = FullPath(path);
  if (!full) return std::nullopt;
  if (full->size() <= 3 || IsShareRoot(*full)) return std::nullopt;  // "C:\" and "C:"
  for (const std::wstring& folder : ProtectedFolders()) {
    if (platform::EqualsNoCase(*full, folder)) return std::nullopt;
  }
  return full;
}

}  // namespace engine
