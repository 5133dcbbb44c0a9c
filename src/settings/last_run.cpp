#include "settings/last_run.h"

#include "platform/format.h"
#include "platform/locale_format.h"
#include "platform/translation.h"
#include "settings/inifun.h"

namespace settings {

platform::Result<void> SaveLastRun(const std::wstring& settingsFile, const SYSTEMTIME& when, double cleanedKeys,
                                   double releasedBytes) {
  settings::inifun::IniBatch batch(settingsFile);
  batch.Set(L"Options", L"lastclean", platform::GeneralDateTime(when));
  batch.Set(L"Options", L"regnum", platform::FormatNumber(cleanedKeys));
  batch.Set(L"Options", L"filesize", platform::FormatNumber(releasedBytes));
  return batch.Commit();
}

LastRun LoadLastRun(const std::wstring& settingsFile) {
  LastRun run;
  run.lastClean = settings::inifun::ReadIniValue(settingsFile, L"Options", L"lastclean");
  run.cleanedKeys = platform::LeadingNumber(settings::inifun::ReadIniValue(settingsFile, L"Options", L"regnum"));
  run.releasedBytes = platform::LeadingNumber(settings::inifun::ReadIniValue(settingsFile, L"Options", L"filesize"));
  return run;
}

std::wstring TotalsText(double cleanedKeys, double releasedBytes) {
  return platform::Fill(platform::Tr(L"  Cleaned Registry Keys: {keys}     Released HD Space:{megabytes}MB"),
                        {{L"keys", platform::ShownNumber(cleanedKeys)},
                         {L"megabytes", platform::ShownMegabytes(releasedBytes)}});
}

}  // namespace settings
