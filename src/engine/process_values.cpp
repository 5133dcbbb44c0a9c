#include "engine/process_values.h"

#include <windows.h>

#include <cwctype>

#include "engine/regfun.h"
#include "platform/text.h"
#include "settings/inifun.h"

namespace engine {

ProcessValues ComputeProcessValues() {
  ProcessValues values;
  values.windowsVersion = inifun::GetWindowsVersionText();
  values.appDataFolder = regfun::ResolveShellFolder(L"AppData");
  values.localAppDataFolder = regfun::ResolveShellFolder(L"Local AppData");
  wchar_t windows[256] = L"";
  UINT n = GetWindowsDirectoryW(windows, 256);
  values.windowsFolder = platform::Trim(n > 0 && n < 256 ? windows : L"");
  std::wstring ie = platform::Trim(
      regfun::ReadRegistryString(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Internet Explorer", L"Version"));
  values.ieMajorVersion = !ie.empty() && std::iswdigit(ie[0]) ? ie[0] - L'0' : 0;
  return values;
}

std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of(L'\\'));
}

}  // namespace engine
