#include "settings/options.h"

#include <cwchar>
#include <cwctype>

#include "engine/regfun.h"
#include "platform/handles.h"
#include "platform/languages.h"
#include "settings/inifun.h"
#include "settings/item_flags.h"
#include "settings/policies.h"

namespace settings {

namespace {

constexpr wchar_t kSection[] = L"Options";

std::wstring Flag(bool on) { return on ? L"1" : L"0"; }

// The hours of a stored age choice; `otherwise` for a text that names none.
int StoredHours(const std::wstring& text, int otherwise) {
  for (const AgeChoice& choice : kAgeChoices) {
    if (text == std::to_wstring(choice.hours)) return choice.hours;
  }
  return otherwise;
}

void DeleteRunValue(HKEY root) {
  platform::RegKey key;
  if (RegOpenKeyExW(root, kRunKey, 0, KEY_SET_VALUE, key.out()) != ERROR_SUCCESS) return;
  RegDeleteValueW(key.get(), kRunValue);
}

}  // namespace

LONG WriteRunValue(HKEY root, const std::wstring& text) {
  platform::RegKey key;
  LONG status = RegCreateKeyExW(root, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.out(), nullptr);
  if (status != ERROR_SUCCESS) return status;
  // A REG_SZ value carries its terminating NUL; without it a reader may run past the end of the text.
  return RegSetValueExW(key.get(), kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

StartEntry SetStartWithWindows(const std::wstring& programFolder, bool on, HKEY machine, HKEY user,
                               const RunValueWriter& write) {
  if (!on) {
    DeleteRunValue(machine);
    DeleteRunValue(user);
    return {};
  }
  // One entry only, or the program would start twice.
  StartEntry entry{StartEntryPlace::Machine, write(machine, RunEntryText(programFolder))};
  if (entry.machineError == ERROR_SUCCESS) {
    DeleteRunValue(user);
  } else {
    entry.place = write(user, RunEntryText(programFolder)) == ERROR_SUCCESS ? StartEntryPlace::UserOnly
                                                                            : StartEntryPlace::Nowhere;
  }
  return entry;
}

std::optional<std::wstring> StartEntryNote(const StartEntry& entry, bool switchedOn) {
  const bool rights = entry.machineError == ERROR_ACCESS_DENIED;
  if (entry.place == StartEntryPlace::Nowhere) {
    return rights
               ? platform::Tr(L"Trellwipe could not set itself to start with Windows: this needs administrator rights.")
               : platform::Fill(platform::Tr(L"Trellwipe could not set itself to start with Windows (error {code})."),
                                {{L"code", std::to_wstring(entry.machineError)}});
  }
  if (entry.place == StartEntryPlace::UserOnly && rights && switchedOn) {
    return platform::Tr(
        L"Trellwipe starts with Windows for you only: starting it for every user of this computer "
        L"needs administrator rights.");
  }
  return std::nullopt;
}

std::vector<std::wstring> StartTimes() {
  std::vector<std::wstring> times;
  for (int hour = 0; hour < 24; ++hour) {
    times.push_back(std::to_wstring(hour) + L":00");
    times.push_back(std::to_wstring(hour) + L":30");
  }
  return times;
}

std::wstring RunEntryText(const std::wstring& programFolder) {
  return L"\"" + programFolder + L"\\trellwipe.exe\" min";
}

std::array<BoxState, 7> ParseCleanDays(const std::wstring& text) {
  std::wstring days = text.empty() ? L"0000000" : text;
  std::array<BoxState, 7> boxes{};
  for (size_t day = 0; day < boxes.size() && day < days.size(); ++day) {
    if (days[day] == L'1') boxes[day] = BoxState::Ticked;
    if (days[day] == L'2') boxes[day] = BoxState::Greyed;
  }
  return boxes;
}

std::wstring CleanDaysText(const std::array<BoxState, 7>& days) {
  std::wstring text;
  for (BoxState day : days) text += static_cast<wchar_t>(L'0' + static_cast<int>(day));
  return text;
}

wchar_t BossKeyLetter(const std::wstring& text) {
  if (text.size() != 1) return L'Z';
  wchar_t letter = static_cast<wchar_t>(std::towupper(text[0]));
  return letter >= L'A' && letter <= L'Z' ? letter : L'Z';
}

namespace {

// Days since 1601 of a date; nothing for no valid date.
std::optional<long long> DayNumber(const SYSTEMTIME& date) {
  SYSTEMTIME midnight{date.wYear, date.wMonth, 0, date.wDay, 0, 0, 0, 0};
  FILETIME time;
  if (!SystemTimeToFileTime(&midnight, &time)) return std::nullopt;
  return static_cast<long long>((static_cast<unsigned long long>(time.dwHighDateTime) << 32 | time.dwLowDateTime) /
                                (864000000000ull));
}

// The same of a "YYYY-MM-DD" text.
std::optional<long long> DayNumber(const std::wstring& text) {
  unsigned year = 0, month = 0, day = 0;
  wchar_t rest = 0;
  if (swscanf(text.c_str(), L"%4u-%2u-%2u%lc", &year, &month, &day, &rest) != 3) return std::nullopt;
  SYSTEMTIME date{};
  date.wYear = static_cast<WORD>(year);
  date.wMonth = static_cast<WORD>(month);
  date.wDay = static_cast<WORD>(day);
  return DayNumber(date);
}

}  // namespace

bool RulesCheckDue(const std::wstring& programFolder, const SYSTEMTIME& today) {
  const std::wstring file = SettingsFile(programFolder);
  if (!OptionSwitch(file, kRulesCheckKey)) return false;
  std::optional<long long> last = DayNumber(settings::inifun::ReadIniValue(file, kSection, kRulesCheckedKey));
  std::optional<long long> now = DayNumber(today);
  return !last || !now || *now - *last >= 7 || *now < *last;
}

platform::Result<void> NoteRulesChecked(const std::wstring& programFolder, const SYSTEMTIME& today) {
  wchar_t text[16];
  swprintf(text, 16, L"%04u-%02u-%02u", today.wYear, today.wMonth, today.wDay);
  return settings::inifun::WriteIniValue(SettingsFile(programFolder), kSection, kRulesCheckedKey, text);
}

namespace {

// The ages as the settings file stores them.
AgeOptions StoredAgeOptions(const std::wstring& programFolder) {
  const std::wstring file = SettingsFile(programFolder);
  const AgeOptions defaults;
  AgeOptions ages;
  ages.tempHours = StoredHours(settings::inifun::ReadIniValue(file, kSection, L"TempMinAgeHours"), defaults.tempHours);
  ages.recycleHours =
      StoredHours(settings::inifun::ReadIniValue(file, kSection, L"RecycleMinAgeHours"), defaults.recycleHours);
  ages.customFolders =
      settings::inifun::FlagTest(settings::inifun::ReadIniValue(file, kSection, L"CustomFoldersMinAge"));
  return ages;
}

}  // namespace

AgeOptions LoadAgeOptions(const std::wstring& programFolder) {
  Options options;
  options.ages = StoredAgeOptions(programFolder);
  ApplyPolicies(PoliciesInForce(), options);
  return options.ages;
}

platform::Appearance LoadAppearance(const std::wstring& programFolder) {
  const std::wstring stored = settings::inifun::ReadIniValue(SettingsFile(programFolder), kSection, kAppearanceKey);
  for (const AppearanceChoice& choice : kAppearanceChoices) {
    if (stored == std::to_wstring(static_cast<int>(choice.appearance))) return choice.appearance;
  }
  return platform::Appearance::AsWindows;
}

std::wstring StoredLanguage(const std::wstring& programFolder) {
  std::wstring code = settings::inifun::ReadIniValue(SettingsFile(programFolder), kSection, kLanguageKey);
  return platform::IsLanguageCode(code) ? code : L"";
}

std::wstring StartLanguage(const std::wstring& programFolder) {
  std::wstring chosen = StoredLanguage(programFolder);
  return chosen.empty() ? platform::WindowsLanguage() : chosen;
}

Options LoadOptions(const std::wstring& programFolder) {
  const std::wstring file = SettingsFile(programFolder);
  auto flag = [&](const wchar_t* key) {
    return settings::inifun::FlagTest(settings::inifun::ReadIniValue(file, kSection, key));
  };
  Options options;
  options.startPage = engine::regfun::ReadRegistryString(kIeMainKeys[1], L"Start Page");
  options.windowTitle = engine::regfun::ReadRegistryString(kIeMainKeys[1], L"Window Title");
  if (options.windowTitle == L"Error") options.windowTitle.clear();
  options.bossKey = flag(L"bosskey");
  options.bossKeyLetter = BossKeyLetter(settings::inifun::ReadIniValue(file, kSection, L"bosskeyletter"));
  options.startup = flag(L"startup");
  options.autoCheck = flag(L"autoclean");
  options.exitAfter = flag(L"exit");
  options.securely = flag(L"securely");
  options.windowsStartup = flag(L"WindowsStartup");
  options.windowsShutdown = flag(L"WindowsShutdown");
  options.weeklyRulesCheck = flag(kRulesCheckKey);
  options.allUsers = flag(L"AllUsers");
  options.days = ParseCleanDays(settings::inifun::ReadIniValue(file, kSection, L"CleanDays"));
  options.cleanTime = settings::inifun::ReadIniValue(file, kSection, L"CleanTime");
  options.ages = StoredAgeOptions(programFolder);
  options.appearance = LoadAppearance(programFolder);
  options.language = StoredLanguage(programFolder);
  return options;
}

void WriteIePages(const std::array<const wchar_t*, 3>& keys, const std::optional<std::wstring>& startPage,
                  const std::optional<std::wstring>& windowTitle) {
  auto write = [](const wchar_t* key, const wchar_t* name, const std::optional<std::wstring>& text) {
    if (text) engine::regfun::WriteRegistryString(key, name, text->empty() ? L" " : *text);
  };
  write(keys[0], L"Start Page", startPage);
  write(keys[0], L"Window Title", windowTitle);
  write(keys[1], L"Start Page", startPage);
  write(keys[1], L"Window Title", windowTitle);
  write(keys[2], L"Window Title", windowTitle);
  write(keys[2], L"Start Page", startPage);
}

platform::Result<std::optional<std::wstring>> SaveOptions(const std::wstring& programFolder, const Options& options,
                                                          const BossKeySwitch& bossKey,
                                                          const RunValueWriter& writeRun) {
  const std::wstring file = SettingsFile(programFolder);
  settings::inifun::IniBatch batch(file);
  auto store = [&](const wchar_t* key, const std::wstring& value) { batch.Set(kSection, key, value); };

  // Arming twice or disarming keys that were never armed would disturb the main window's hot keys.
  bool armed = settings::inifun::FlagTest(settings::inifun::ReadIniValue(file, kSection, L"bosskey"));
  // Another letter takes effect at once: the old keys are freed, the new ones taken.
  bool newLetter =
      options.bossKeyLetter != BossKeyLetter(settings::inifun::ReadIniValue(file, kSection, L"bosskeyletter"));
  bool arm = options.bossKey && (!armed || newLetter);
  const bool switchedOn =
      options.startup && !settings::inifun::FlagTest(settings::inifun::ReadIniValue(file, kSection, L"startup"));
  bool disarm = armed && (!options.bossKey || newLetter);
  if (options.bossKey && !armed) store(L"bosskey", L"1");
  if (!options.bossKey && armed) store(L"bosskey", L"0");
  if (newLetter) store(L"bosskeyletter", std::wstring(1, options.bossKeyLetter));
  store(L"startup", Flag(options.startup));
  store(L"autoclean", Flag(options.autoCheck));
  store(L"exit", Flag(options.exitAfter));
  store(L"securely", Flag(options.securely));
  store(L"WindowsStartup", Flag(options.windowsStartup));
  store(L"WindowsShutdown", Flag(options.windowsShutdown));
  store(kRulesCheckKey, Flag(options.weeklyRulesCheck));
  store(L"AllUsers", Flag(options.allUsers));
  store(L"CleanDays", CleanDaysText(options.days));
  store(L"CleanTime", options.cleanTime);
  store(L"TempMinAgeHours", std::to_wstring(options.ages.tempHours));
  store(L"RecycleMinAgeHours", std::to_wstring(options.ages.recycleHours));
  store(L"CustomFoldersMinAge", Flag(options.ages.customFolders));
  store(kAppearanceKey, std::to_wstring(static_cast<int>(options.appearance)));
  store(kLanguageKey, options.language);
  for (const auto& [key, on] : options.cleanOnClose) store(key.c_str(), Flag(on));
  // The file is the one step that can fail; when it does, the registry and the hot keys stay as they
  // were too, so what the window shows next time is what is in force.
  if (platform::Result<void> stored = batch.Commit(); !stored) {
    return platform::Failure{stored.Reason(), stored.SystemError()};
  }

  WriteIePages(kIeMainKeys, options.startPageChanged ? std::optional(options.startPage) : std::nullopt,
               options.windowTitleChanged ? std::optional(options.windowTitle) : std::nullopt);
  if (disarm && bossKey.disarm) bossKey.disarm();
  if (arm && bossKey.arm) bossKey.arm(options.bossKeyLetter);
  StartEntry entry =
      SetStartWithWindows(programFolder, options.startup, HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, writeRun);
  // The box shows next time what is in force.
  if (entry.place == StartEntryPlace::Nowhere) settings::inifun::WriteIniValue(file, kSection, L"startup", L"0");
  return StartEntryNote(entry, switchedOn);
}

}  // namespace settings
