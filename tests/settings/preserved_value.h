#pragma once
// The registry values the options window writes outside the settings file, kept as they were.
#include <windows.h>

#include <string>

#include "support/preserved_value.h"

namespace testing_support {

// Every value the options window writes outside the settings file.
struct PreservedOptionValues {
  static constexpr wchar_t kIeMain[] = L"Software\\Microsoft\\Internet Explorer\\Main";
  PreservedValue run{HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", L"Trellwipe"};
  PreservedValue userStart{HKEY_CURRENT_USER, kIeMain, L"Start Page"};
  PreservedValue userTitle{HKEY_CURRENT_USER, kIeMain, L"Window Title"};
  PreservedValue machineStart{HKEY_LOCAL_MACHINE, kIeMain, L"Start Page"};
  PreservedValue machineTitle{HKEY_LOCAL_MACHINE, kIeMain, L"Window Title"};
  PreservedValue defaultStart{HKEY_USERS, std::wstring(L".DEFAULT\\") + kIeMain, L"Start Page"};
  PreservedValue defaultTitle{HKEY_USERS, std::wstring(L".DEFAULT\\") + kIeMain, L"Window Title"};
};

}  // namespace testing_support
