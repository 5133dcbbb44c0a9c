#include "settings/options.h"

#include <cwctype>

#include "engine/regfun.h"
#include "platform/handles.h"
#include "settings/inifun.h"
#include "settings/item_flags.h"

namespace settings {

namespace {

constexpr wchar_t kSection[] = L"Options";

std::wstring Flag(bool on) { return on ? L"1" : L"0"; }

bool WriteRunValue(HKEY root, const std::wstring& text) {
  platform::RegKey key;
  if (RegCreateKeyExW(root, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.out(), nullptr) != ERROR_SUCCESS) {
    return false;
  }
  // A REG_SZ value carries its terminating NUL; without it a reader may run past the end of the text.
  return RegSetValueExW(key.get(), kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

void DeleteRunValue(HKEY root) {
  platform::RegKey key;
  if (RegOpenKeyExW(root, kRunKey, 0, KEY_SET_VALUE, key.out()) != ERROR_SUCCESS) return;
  RegDeleteValueW(key.get(), kRunValue);
}

}  // namespace

void SetStartWithWindows(const std::wstring& programFolder, bool on, HKEY machine, HKEY user) {
  if (!on) {
    DeleteRunValue(machine);
    DeleteRunValue(user);
    return;
  }
  // One entry only, or the program would start twice.
  if (WriteRunValue(machine, RunEntryText(programFolder))) {
    DeleteRunValue(user);
  } else {
    WriteRunValue(user, RunEntryText(programFolder));
  }
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

Options LoadOptions(const std::wstring& programFolder) {
  const std::wstring file = SettingsFile(programFolder);
  auto flag = [&](const wchar_t* key) { return inifun::FlagTest(inifun::ReadIniValue(file, kSection, key)); };
  Options options;
  options.startPage = regfun::ReadRegistryString(kIeMainKeys[1], L"Start Page");
  options.windowTitle = regfun::ReadRegistryString(kIeMainKeys[1], L"Window Title");
  if (options.windowTitle == L"Error") options.windowTitle.clear();
  options.bossKey = flag(L"bosskey");
  options.bossKeyLetter = BossKeyLetter(inifun::ReadIniValue(file, kSection, L"bosskeyletter"));
  options.startup = flag(L"startup");
  options.autoCheck = flag(L"autoclean");
  options.exitAfter = flag(L"exit");
  options.securely = flag(L"securely");
  options.windowsStartup = flag(L"WindowsStartup");
  options.windowsShutdown = flag(L"WindowsShutdown");
  options.days = ParseCleanDays(inifun::ReadIniValue(file, kSection, L"CleanDays"));
  options.cleanTime = inifun::ReadIniValue(file, kSection, L"CleanTime");
  return options;
}

void WriteIePages(const std::array<const wchar_t*, 3>& keys, const std::optional<std::wstring>& startPage,
                  const std::optional<std::wstring>& windowTitle) {
  auto write = [](const wchar_t* key, const wchar_t* name, const std::optional<std::wstring>& text) {
    if (text) regfun::WriteRegistryString(key, name, text->empty() ? L" " : *text);
  };
  write(keys[0], L"Start Page", startPage);
  write(keys[0], L"Window Title", windowTitle);
  write(keys[1], L"Start Page", startPage);
  write(keys[1], L"Window Title", windowTitle);
  write(keys[2], L"Window Title", windowTitle);
  write(keys[2], L"Start Page", startPage);
}

bool SaveOptions(const std::wstring& programFolder, const Options& options, const BossKeySwitch& bossKey) {
  const std::wstring file = SettingsFile(programFolder);
  inifun::IniBatch batch(file);
  auto store = [&](const wchar_t* key, const std::wstring& value) { batch.Set(kSection, key, value); };

  // Arming twice or disarming keys that were never armed would disturb the main window's hot keys.
  bool armed = inifun::FlagTest(inifun::ReadIniValue(file, kSection, L"bosskey"));
  // Another letter takes effect at once: the old keys are freed, the new ones taken.
  bool newLetter = options.bossKeyLetter != BossKeyLetter(inifun::ReadIniValue(file, kSection, L"bosskeyletter"));
  bool arm = options.bossKey && (!armed || newLetter);
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
  store(L"CleanDays", CleanDaysText(options.days));
  store(L"CleanTime", options.cleanTime);
  for (const auto& [key, on] : options.cleanOnClose) store(key.c_str(), Flag(on));
  // The file is the one step that can fail; when it does, the registry and the hot keys stay as they
  // were too, so what the window shows next time is what is in force.
  if (!batch.Commit()) return false;

  WriteIePages(kIeMainKeys, options.startPageChanged ? std::optional(options.startPage) : std::nullopt,
               options.windowTitleChanged ? std::optional(options.windowTitle) : std::nullopt);
  if (disarm && bossKey.disarm) bossKey.disarm();
  if (arm && bossKey.arm) bossKey.arm(options.bossKeyLetter);
  SetStartWithWindows(programFolder, options.startup);
  return true;
}

}  // namespace settings
