#include "platform/system_folders.h"

#include <sddl.h>

#include <vector>

#include "platform/handles.h"
#include "platform/shell_memory.h"

namespace platform {

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  const HRESULT result = SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path);
  ShellMemory<wchar_t> owned(path);
  return SUCCEEDED(result) ? std::wstring(path) : std::wstring();
}

std::wstring EnvironmentVariable(const std::wstring& name) {
  DWORD n = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
  if (n == 0) return {};
  std::wstring value(n, L'\0');
  n = GetEnvironmentVariableW(name.c_str(), value.data(), n);
  value.resize(n < value.size() ? n : 0);
  return value;
}

std::wstring ExpandEnvironment(const std::wstring& text) {
  DWORD n = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
  if (n == 0) return {};
  std::wstring value(n, L'\0');
  n = ExpandEnvironmentStringsW(text.c_str(), value.data(), n);
  value.resize(n > 0 && n <= value.size() ? n - 1 : 0);
  return value;
}

std::wstring WindowsFolder() {
  wchar_t buffer[MAX_PATH] = L"";
  UINT n = GetWindowsDirectoryW(buffer, MAX_PATH);
  return n > 0 && n < MAX_PATH ? buffer : L"";
}

std::wstring TempFolder() {
  wchar_t buffer[MAX_PATH + 1] = L"";
  DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  std::wstring folder = n > 0 && n <= MAX_PATH ? buffer : L"";
  while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
  return folder;
}

std::wstring UserSid() {
  platform::UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.out())) return L"";
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  wchar_t* text = nullptr;
  if (size == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size) ||
      !ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
    return L"";
  }
  std::wstring sid = text;
  LocalFree(text);
  return sid;
}

}  // namespace platform
