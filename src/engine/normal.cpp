#include "engine/normal.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "engine/path_guard.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/system_folders.h"
#include "platform/text.h"
#include "platform/translation.h"

namespace engine::normal {

namespace {

// Whether the system already deletes the file at the next restart: the list holds pairs of names,
// "\??\" and the path, then an empty name for a deletion.
bool PendingDeletion(const std::wstring& path) {
  platform::RegKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0, KEY_QUERY_VALUE,
                    key.out()) != ERROR_SUCCESS) {
    return false;
  }
  DWORD bytes = 0;
  if (RegQueryValueExW(key.get(), L"PendingFileRenameOperations", nullptr, nullptr, nullptr, &bytes) != ERROR_SUCCESS) {
    return false;
  }
  std::wstring list(bytes / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(key.get(), L"PendingFileRenameOperations", nullptr, nullptr,
                       reinterpret_cast<BYTE*>(list.data()), &bytes) != ERROR_SUCCESS) {
    return false;
  }
  list.resize(bytes / sizeof(wchar_t));
  std::vector<std::wstring> names;
  for (size_t start = 0; start < list.size();) {
    size_t end = list.find(L'\0', start);
    if (end == std::wstring::npos) end = list.size();
    names.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  for (size_t i = 0; i + 1 < names.size(); i += 2) {
    std::wstring source = names[i].starts_with(L"\\??\\") ? names[i].substr(4) : names[i];
    if (names[i + 1].empty() && platform::EqualsNoCase(source, path)) return true;
  }
  return false;
}

}  // namespace

void DeleteFileAtReboot(const engine::EraseContext& erase, const std::wstring& path) {
  auto target = engine::GuardedTarget(erase, path);
  if (!target) return;
  if (!platform::FileExists(*target)) return;
  if (erase.Perform(platform::Fill(platform::Tr(L"Delete at the next restart: {path}"), {{L"path", *target}})) &&
      !PendingDeletion(*target)) {
    MoveFileExW(target->c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }
}

std::wstring ExpandUserProfile(const std::wstring& text) {
  constexpr std::wstring_view token = L"%USERPROFILE%";
  size_t at = text.find(token);
  if (at == std::wstring::npos) return text;
  return platform::EnvironmentVariable(L"USERPROFILE") + text.substr(at + token.size());
}

void OpenWithShell(const std::wstring& target) {
  ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

FileSelection ParseFileSelection(const FileDialogResult& result) {
  FileSelection selection;
  const std::wstring& raw = result.raw;
  if (result.fileOffset == 0 || result.fileOffset >= raw.size()) return selection;
  // One file: "C:\dir\name" with the offset at "name". Several: "C:\dir", a NUL, then the names.
  std::wstring folder = raw.substr(0, result.fileOffset);
  while (!folder.empty() && folder.back() == L'\0') folder.pop_back();
  if (folder.empty()) return selection;
  if (folder.back() != L'\\') folder += L'\\';
  size_t start = result.fileOffset;
  while (start < raw.size()) {
    size_t end = raw.find(L'\0', start);
    if (end == std::wstring::npos) end = raw.size();
    // The dialog ends its list with NULs that start no name.
    if (end > start) selection.names.push_back(raw.substr(start, end - start));
    start = end + 1;
  }
  selection.count = static_cast<uint16_t>(selection.names.size());
  selection.folder = std::move(folder);
  return selection;
}

}  // namespace engine::normal
