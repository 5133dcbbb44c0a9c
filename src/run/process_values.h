#pragma once
// Folder and version values the catalogue reads, computed once when the main window loads.
#include <string>

#include "engine/user_scope.h"

namespace run {

struct ProcessValues {
  std::wstring appDataFolder;       // AppDataFolder
  std::wstring localAppDataFolder;  // LocalAppDataFolder
  std::wstring windowsFolder;       // WindowsFolder
  int ieMajorVersion = 0;           // IEMajorVersion: first digit of Internet Explorer's version
  std::wstring windowsVersion;      // WindowsVersion, for example "6.1"
  engine::UserScope user;           // whose profile the folders above are; the current user's by default
};

ProcessValues ComputeProcessValues();
// The values of another user of this computer: the folders from that user's hive and profile folder,
// the computer's own values as in `computer`.
ProcessValues UserValues(const ProcessValues& computer, const engine::UserScope& user);

}  // namespace run
