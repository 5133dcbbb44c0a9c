#include "support/snapshot.h"

#include <vector>

#include "platform/handles.h"
#include "support/test_support.h"

namespace testing_support {

std::wstring FolderSnapshot(const std::wstring& folder) {
  std::wstring text;
  WIN32_FIND_DATAW data;
  platform::FindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &data));
  if (!find) return text;
  std::vector<std::wstring> folders;
  do {
    std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    std::wstring path = folder + L"\\" + name;
    text += path + L" " + std::to_wstring(data.dwFileAttributes) + L" " + std::to_wstring(data.nFileSizeLow) + L" " +
            std::to_wstring(data.ftLastWriteTime.dwLowDateTime) + L"\n";
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      folders.push_back(path);
    } else {
      std::string content = ReadText(path);
      text += std::wstring(content.begin(), content.end()) + L"\n";
    }
  } while (FindNextFileW(find.get(), &data));
  for (const std::wstring& sub : folders) text += FolderSnapshot(sub);
  return text;
}

std::wstring RegistrySnapshot(HKEY root, const std::wstring& subkey) {
  platform::RegKey key;
  if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ, key.out()) != ERROR_SUCCESS) return L"";
  std::wstring text = L"[" + subkey + L"]\n";
  for (DWORD i = 0;; ++i) {
    wchar_t name[512];
    DWORD length = 512, type = 0;
    BYTE value[4096];
    DWORD bytes = sizeof(value);
    if (RegEnumValueW(key.get(), i, name, &length, nullptr, &type, value, &bytes) != ERROR_SUCCESS) break;
    text += std::wstring(name, length) + L" " + std::to_wstring(type) + L" ";
    for (DWORD b = 0; b < bytes; ++b) text += std::to_wstring(value[b]) + L",";
    text += L"\n";
  }
  for (DWORD i = 0;; ++i) {
    wchar_t name[512];
    DWORD length = 512;
    if (RegEnumKeyExW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    text += RegistrySnapshot(root, subkey + L"\\" + std::wstring(name, length));
  }
  return text;
}

}  // namespace testing_support
