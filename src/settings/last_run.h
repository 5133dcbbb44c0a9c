#pragma once
// The statistics of the last run in section "Options" of the settings file.
#include <windows.h>

#include <string>
#include "platform/result.h"

namespace settings {

struct LastRun {
  std::wstring lastClean;    // "lastclean" as stored
  double cleanedKeys = 0;    // numeric value of "regnum"
  double releasedBytes = 0;  // numeric value of "filesize"
};

// The three values land together or not at all; a failure when the file could not be replaced.
platform::Result<void> SaveLastRun(const std::wstring& settingsFile, const SYSTEMTIME& when, double cleanedKeys,
                                   double releasedBytes);
LastRun LoadLastRun(const std::wstring& settingsFile);

// The statistics strip's totals: "  Cleaned Registry Keys: 33     Released HD Space:3.34MB".
std::wstring TotalsText(double cleanedKeys, double releasedBytes);

}  // namespace settings
