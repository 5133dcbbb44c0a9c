#pragma once
// Folder and version values the catalogue reads, computed once when the main window loads.
#include <optional>
#include <string>

#include "engine/run_report.h"
#include "engine/user_scope.h"

namespace run {

struct ProcessValues {
  std::wstring appDataFolder;       // AppDataFolder
  std::wstring localAppDataFolder;  // LocalAppDataFolder
  std::wstring windowsFolder;       // WindowsFolder
  int ieMajorVersion = 0;           // IEMajorVersion: first digit of Internet Explorer's version
  std::wstring windowsVersion;      // WindowsVersion, for example "6.1"
  engine::UserScope user;           // whose profile the folders above are; the current user's by default
  // Why the application data folders above are empty when another user's hive named them outside
  // that user's profile (engine::ReadUserFolder); the items that would use one record this.
  std::optional<engine::LeftRecord> appDataRefused = {}, localAppDataRefused = {};
};

ProcessValues ComputeProcessValues();
// The values of another user of this computer: the folders from that user's hive and profile folder,
// each only where it leads inside that profile, the computer's own values as in `computer`.
ProcessValues UserValues(const ProcessValues& computer, const engine::UserScope& user);

}  // namespace run
