#include "run/process_values.h"

#include <windows.h>

#include <cwctype>

#include "engine/regfun.h"
#include "engine/user_folders.h"
#include "platform/text.h"
#include "settings/inifun.h"

namespace run {

ProcessValues ComputeProcessValues() {
  ProcessValues values;
  values.windowsVersion = settings::inifun::GetWindowsVersionText();
  values.appDataFolder = engine::regfun::ResolveShellFolder(L"AppData");
  values.localAppDataFolder = engine::regfun::ResolveShellFolder(L"Local AppData");
  wchar_t windows[256] = L"";
  UINT n = GetWindowsDirectoryW(windows, 256);
  values.windowsFolder = platform::Trim(n > 0 && n < 256 ? windows : L"");
  std::wstring ie = platform::Trim(
      engine::regfun::ReadRegistryString(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Internet Explorer", L"Version"));
  values.ieMajorVersion = !ie.empty() && std::iswdigit(ie[0]) ? ie[0] - L'0' : 0;
  return values;
}

ProcessValues UserValues(const ProcessValues& computer, const engine::UserScope& user) {
  ProcessValues values = computer;
  values.user = user;
  engine::UserFolder appData = engine::ReadUserFolder(user, L"AppData", L"\\AppData\\Roaming");
  engine::UserFolder localAppData = engine::ReadUserFolder(user, L"Local AppData", L"\\AppData\\Local");
  values.appDataFolder = appData.path;
  values.localAppDataFolder = localAppData.path;
  values.appDataRefused = appData.refused;
  values.localAppDataRefused = localAppData.refused;
  return values;
}

}  // namespace run
