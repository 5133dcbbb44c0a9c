#pragma once
// The options that are not cleaning items: section "Options" of the settings file, the Windows Run
// entry and Internet Explorer's start page and window title.
#include <windows.h>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>
#include "platform/result.h"
#include "platform/system_theme.h"
#include "platform/translation.h"

namespace settings {

constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";  // the machine's, else the user's
constexpr wchar_t kRunValue[] = L"Trellwipe";

// Written in this order of keys; the HKEY_LOCAL_MACHINE key takes the title first.
constexpr std::array<const wchar_t*, 3> kIeMainKeys = {
    L"HKEY_USERS\\.DEFAULT\\Software\\Microsoft\\Internet Explorer\\Main",
    L"HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main",
    L"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Internet Explorer\\Main",
};

// A check box state as stored: 0 unticked, 1 ticked, 2 greyed.
enum class BoxState { Unticked = 0, Ticked = 1, Greyed = 2 };

// How old a temporary file, or an item in the Recycle Bin, must be before a run erases it: "any age",
// 1 hour, 24 hours, 7 days, 30 days; stored as its hours.
struct AgeChoice {
  const wchar_t* text;
  int hours;
};
constexpr AgeChoice kAgeChoices[] = {{platform::TrLater(L"any age"), 0},
                                     {platform::TrLater(L"1 hour"), 1},
                                     {platform::TrLater(L"24 hours"), 24},
                                     {platform::TrLater(L"7 days"), 7 * 24},
                                     {platform::TrLater(L"30 days"), 30 * 24}};

// "Appearance": the windows' colours follow Windows, or stay light or dark; stored as its number.
struct AppearanceChoice {
  const wchar_t* text;
  platform::Appearance appearance;
};
constexpr AppearanceChoice kAppearanceChoices[] = {{platform::TrLater(L"as Windows"), platform::Appearance::AsWindows},
                                                   {platform::TrLater(L"light"), platform::Appearance::Light},
                                                   {platform::TrLater(L"dark"), platform::Appearance::Dark}};
constexpr wchar_t kAppearanceKey[] = L"Appearance";

// The stored choice; a text that names none reads as AsWindows.
platform::Appearance LoadAppearance(const std::wstring& programFolder);

// "Language": the code of the translation chosen (platform::kEnglish for English); empty, or a text
// that is no language code, follows Windows' display language.
constexpr wchar_t kLanguageKey[] = L"Language";
std::wstring StoredLanguage(const std::wstring& programFolder);
// The language a start puts in force: the one chosen, else Windows' display language.
std::wstring StartLanguage(const std::wstring& programFolder);

struct AgeOptions {
  int tempHours = 24;          // "TempMinAgeHours": the temporary files' age
  int recycleHours = 0;        // "RecycleMinAgeHours": how long ago an item went to the Recycle Bin
  bool customFolders = false;  // "CustomFoldersMinAge": the custom folders keep young files too
};

// The ages a run keeps to: the stored ones, a stored text that is none of the choices read as the
// default, with the policies in force over them.
AgeOptions LoadAgeOptions(const std::wstring& programFolder);

struct Options {
  bool bossKey = false;            // "bosskey"
  wchar_t bossKeyLetter = L'Z';    // "bosskeyletter": the letter of both boss-key hot keys
  bool startup = false;            // "startup": the Run entry
  bool autoCheck = false;          // "autoclean"
  bool exitAfter = false;          // "exit"
  bool securely = false;           // "securely"
  bool windowsStartup = false;     // "WindowsStartup"
  bool windowsShutdown = false;    // "WindowsShutdown"
  bool weeklyRulesCheck = false;   // kRulesCheckKey: the program in the notification area looks for new rules
  bool allUsers = false;           // "AllUsers": Clean Now and the schedule clean every user of the computer
  std::array<BoxState, 7> days{};  // "CleanDays", Sunday first
  std::wstring cleanTime;          // "CleanTime"
  std::wstring startPage;          // "Start Page", "Error" when it cannot be read
  std::wstring windowTitle;        // "Window Title", empty when it cannot be read
  // Only a text the user changed is written to Internet Explorer: a value that could not be read
  // must never come back as "Error" or a blank.
  bool startPageChanged = false;
  bool windowTitleChanged = false;
  AgeOptions ages;
  platform::Appearance appearance = platform::Appearance::AsWindows;  // kAppearanceKey
  std::wstring language;                                              // kLanguageKey
  // The browsers the window offers to clean when they close: each one's key and whether its box is
  // ticked. The window fills it; each key is stored "1" or "0".
  std::vector<std::pair<std::wstring, bool>> cleanOnClose;
};

// The weekly look for new rules: the option, and the day of the last look as "YYYY-MM-DD", in
// section "Options".
constexpr wchar_t kRulesCheckKey[] = L"RulesCheckWeekly";
constexpr wchar_t kRulesCheckedKey[] = L"RulesChecked";

// The look is due on `today`: the option is on and no look is stored, or the last was seven days or
// more before (or after, for a clock put back).
bool RulesCheckDue(const std::wstring& programFolder, const SYSTEMTIME& today);
// Stores `today` as the day of the last look.
platform::Result<void> NoteRulesChecked(const std::wstring& programFolder, const SYSTEMTIME& today);

// How the boss key is switched on the main window; the options only decide when, and with which
// letter.
struct BossKeySwitch {
  std::function<void(wchar_t letter)> arm;
  std::function<void()> disarm;
  // Whether Windows key + the letter can be the boss key: no other program holds it.
  std::function<bool(wchar_t letter)> free;
};

// The letter a stored "bosskeyletter" names: one letter A to Z in either case; "Z" otherwise.
wchar_t BossKeyLetter(const std::wstring& text);

// "0:00", "0:30", "1:00" ... "23:30".
std::vector<std::wstring> StartTimes();

// Sets the Run entry's value under one root's Run key: ERROR_SUCCESS, or the system's error code.
using RunValueWriter = std::function<LONG(HKEY root, const std::wstring& text)>;
LONG WriteRunValue(HKEY root, const std::wstring& text);

// Where a Run entry asked for went, and why the machine's key did not take it.
enum class StartEntryPlace { Machine, UserOnly, Nowhere };
struct StartEntry {
  StartEntryPlace place = StartEntryPlace::Machine;
  LONG machineError = ERROR_SUCCESS;
};

// Writes or removes the Run entry. A standard user cannot write the machine's Run key; the entry then
// goes under the user's own, which Windows starts as well. Removing clears both.
StartEntry SetStartWithWindows(const std::wstring& programFolder, bool on, HKEY machine = HKEY_LOCAL_MACHINE,
                               HKEY user = HKEY_CURRENT_USER, const RunValueWriter& write = WriteRunValue);

// What the options window tells of an entry the machine's key refused: always when it went nowhere,
// and when it went under the user's key only if the option was switched on just now. None otherwise.
std::optional<std::wstring> StartEntryNote(const StartEntry& entry, bool switchedOn);

// "C:\Tools\X" gives "\"C:\Tools\X\trellwipe.exe\" min".
std::wstring RunEntryText(const std::wstring& programFolder);

// The day boxes of a "CleanDays" text; an empty text counts as "0000000", and a character other than
// 0, 1 or 2 (or a missing one) leaves its box unticked.
std::array<BoxState, 7> ParseCleanDays(const std::wstring& text);
std::wstring CleanDaysText(const std::array<BoxState, 7>& days);

// The options as the settings file stores them, with no policy over them (settings::ApplyPolicies).
Options LoadOptions(const std::wstring& programFolder);

// Stores the flags (the boss key's, and its letter, only when they change), "CleanDays", "CleanTime" and the ages in
// one replacement of the settings file, then the Internet Explorer values, the boss key's switch and the Run entry.
// A failure, with nothing stored or switched, when the settings file cannot be written; else StartEntryNote, with
// "startup" stored off when no Run key took the entry.
platform::Result<std::optional<std::wstring>> SaveOptions(const std::wstring& programFolder, const Options& options,
                                                          const BossKeySwitch& bossKey,
                                                          const RunValueWriter& writeRun = WriteRunValue);

// Writes "Start Page" and "Window Title", each when given, under each existing key (an empty text
// becomes one blank); a key that does not exist is skipped and not created.
void WriteIePages(const std::array<const wchar_t*, 3>& keys, const std::optional<std::wstring>& startPage,
                  const std::optional<std::wstring>& windowTitle);

}  // namespace settings
