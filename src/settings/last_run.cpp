#include "settings/last_run.h"

#include "platform/format.h"
#include "settings/inifun.h"

namespace settings {

void SaveLastRun(const std::wstring& settingsFile, const SYSTEMTIME& when, double cleanedKeys,
                 double releasedBytes) {
  inifun::WriteIniValue(settingsFile, L"Options", L"lastclean", platform::GeneralDateTime(when));
  inifun::WriteIniValue(settingsFile, L"Options", L"regnum", platform::FormatNumber(cleanedKeys));
  inifun::WriteIniValue(settingsFile, L"Options", L"filesize", platform::FormatNumber(releasedBytes));
}

LastRun LoadLastRun(const std::wstring& settingsFile) {
  LastRun run;
  run.lastClean = inifun::ReadIniValue(settingsFile, L"Options", L"lastclean");
  run.cleanedKeys = platform::LeadingNumber(inifun::ReadIniValue(settingsFile, L"Options", L"regnum"));
  run.releasedBytes = platform::LeadingNumber(inifun::ReadIniValue(settingsFile, L"Options", L"filesize"));
  return run;
}

std::wstring Megabytes(double bytes) { return platform::FormatPattern(bytes / 1048576, L"0.00"); }

std::wstring TotalsText(double cleanedKeys, double releasedBytes) {
  return L"  Cleaned Registry Keys: " + platform::FormatNumber(cleanedKeys) + L"     Released HD Space:" +
         Megabytes(releasedBytes) + L"MB";
}

}  // namespace settings
