#pragma once
// The cleaning-item flags of the settings file, with the selection window's check box for each.
#include <span>
#include <string>

namespace settings {

struct ItemFlag {
  const wchar_t* section;
  const wchar_t* key;
  const wchar_t* checkBox;  // control name in the selection window
  const wchar_t* caption;
  const wchar_t* tab;
  const wchar_t* subTab;  // browsers only
  const wchar_t* group;
};

std::span<const ItemFlag> ItemFlags();

// "prisd.dat" in the settings folder of the copy in `programFolder` (platform::SettingsFolder)
std::wstring SettingsFile(const std::wstring& programFolder);

}  // namespace settings
