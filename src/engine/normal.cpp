#include "engine/normal.h"

#include <windows.h>
#include <shellapi.h>

#include "engine/path_guard.h"

namespace normal {

void DeleteFileAtReboot(const engine::EraseContext& erase, const std::wstring& path) {
  auto target = engine::ErasablePath(path);
  if (target && erase.Perform(L"Delete at the next restart: " + *target)) {
    MoveFileExW(target->c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }
}

std::wstring ExpandUserProfile(const std::wstring& text) {
  constexpr std::wstring_view token = L"%USERPROFILE%";
  size_t at = text.find(token);
  if (at == std::wstring::npos) return text;
  wchar_t profile[MAX_PATH] = L"";
  DWORD n = GetEnvironmentVariableW(L"USERPROFILE", profile, MAX_PATH);
  std::wstring expanded = n > 0 && n < MAX_PATH ? profile : L"";
  return expanded + text.substr(at + token.size());
}

void OpenWithShell(const std::wstring& target) {
  ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

FileSelection ParseFileSelection(const std::wstring& raw) {
  FileSelection selection;
  wchar_t current[MAX_PATH] = L"";
  DWORD n = GetCurrentDirectoryW(MAX_PATH, current);
  std::wstring folder = n > 0 && n < MAX_PATH ? current : L"";
  std::wstring rest = raw.size() > folder.size() ? raw.substr(folder.size()) : std::wstring();
  if (rest.empty() || rest.front() != L'\0') {
    if (!rest.empty() && rest.front() == L'\\') rest.erase(0, 1);
    selection.names.push_back(rest);
  } else {
    size_t p = 0;
    while (p < rest.size()) {
      size_t next = rest.find(L'\0', p + 1);
      if (next == std::wstring::npos) next = rest.size();
      std::wstring name = rest.substr(p + 1, next - p - 1);
      // The dialog ends its list with NULs that start no name.
      if (!name.empty()) selection.names.push_back(name);
      p = next;
    }
  }
  selection.count = static_cast<uint16_t>(selection.names.size());
  selection.folder = folder;
  if (selection.folder.empty() || selection.folder.back() != L'\\') selection.folder += L'\\';
  return selection;
}

}  // namespace normal
