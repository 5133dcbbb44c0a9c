#pragma once
// Folder and version values the catalogue reads, computed once when the main window loads.
#include <string>

namespace run {

struct ProcessValues {
  std::wstring appDataFolder;       // AppDataFolder
  std::wstring localAppDataFolder;  // LocalAppDataFolder
  std::wstring windowsFolder;       // WindowsFolder
  int ieMajorVersion = 0;           // IEMajorVersion: first digit of Internet Explorer's version
  std::wstring windowsVersion;      // WindowsVersion, for example "6.1"
};

ProcessValues ComputeProcessValues();

}  // namespace run
