#include "settings/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/languages.h"
#include "platform/text.h"
#include "settings/inifun.h"
#include "settings/item_flags.h"
#include "settings/preserved_value.h"
#include "support/test_support.h"

using namespace testing_support;
using settings::BoxState;

namespace {

class OptionsStore : public ::testing::Test {
 protected:
  TempFolder program;
  std::wstring file = settings::SettingsFile(program.Path());
  PreservedOptionValues registry;
  int arms = 0, disarms = 0;
  std::wstring armedLetters;
  settings::BossKeySwitch bossKey{[this](wchar_t letter) { ++arms, armedLetters += letter; },
                                  [this] { ++disarms; },
                                  {}};

  std::wstring Stored(const wchar_t* key) const { return settings::inifun::ReadIniValue(file, L"Options", key); }
  void Store(const wchar_t* key, const wchar_t* value) const {
    settings::inifun::WriteIniValue(file, L"Options", key, value);
  }
  bool HasKey(const std::string& key) const { return ReadText(file).find(key + "=") != std::string::npos; }
};

TEST(OptionsText, StartTimesRunEveryHalfHourWithoutLeadingZero) {
  std::vector<std::wstring> times = settings::StartTimes();
  ASSERT_EQ(times.size(), 48u);
  EXPECT_EQ(times[0], L"0:00");
  EXPECT_EQ(times[1], L"0:30");
  EXPECT_EQ(times[2], L"1:00");
  EXPECT_EQ(times[19], L"9:30");
  EXPECT_EQ(times[20], L"10:00");
  EXPECT_EQ(times[47], L"23:30");
}

TEST(OptionsText, RunEntryQuotesTheProgramAndAddsMin) {
  EXPECT_EQ(settings::RunEntryText(L"C:\\Tools\\X"), L"\"C:\\Tools\\X\\trellwipe.exe\" min");
}

TEST(OptionsText, CleanDaysMapCharactersToBoxStates) {
  using enum BoxState;
  EXPECT_EQ(settings::ParseCleanDays(L""), (std::array<BoxState, 7>{}));
  EXPECT_EQ(settings::ParseCleanDays(L"0100000"),
            (std::array<BoxState, 7>{Unticked, Ticked, Unticked, Unticked, Unticked, Unticked, Unticked}));
  // Characters that name no state, and those missing from a short text, leave their box unticked.
  EXPECT_EQ(settings::ParseCleanDays(L"12x9"),
            (std::array<BoxState, 7>{Ticked, Greyed, Unticked, Unticked, Unticked, Unticked, Unticked}));
  EXPECT_EQ(settings::ParseCleanDays(L"11111111"),
            (std::array<BoxState, 7>{Ticked, Ticked, Ticked, Ticked, Ticked, Ticked, Ticked}));
  EXPECT_EQ(settings::CleanDaysText({Ticked, Unticked, Greyed, Unticked, Unticked, Unticked, Ticked}), L"1020001");
  EXPECT_EQ(settings::CleanDaysText({}), L"0000000");
}

TEST_F(OptionsStore, NoSettingsFileLoadsEverythingOffAndOkStoresZeros) {
  ASSERT_TRUE(registry.run.KeyExists());
  registry.run.Set(L"\"C:\\Old\\trellwipe.exe\" min");

  settings::Options options = settings::LoadOptions(program.Path());
  EXPECT_FALSE(options.bossKey || options.startup || options.autoCheck || options.exitAfter || options.securely ||
               options.windowsStartup || options.windowsShutdown);
  EXPECT_EQ(options.days, (std::array<BoxState, 7>{}));
  EXPECT_EQ(options.cleanTime, L"");

  settings::SaveOptions(program.Path(), options, bossKey);
  for (const wchar_t* key : {L"startup", L"autoclean", L"exit", L"securely", L"WindowsStartup", L"WindowsShutdown"}) {
    EXPECT_EQ(Stored(key), L"0") << key;
  }
  EXPECT_EQ(Stored(L"CleanDays"), L"0000000");
  EXPECT_TRUE(HasKey("CleanTime"));
  EXPECT_EQ(Stored(L"CleanTime"), L"");
  EXPECT_FALSE(HasKey("bosskey"));
  EXPECT_EQ(arms + disarms, 0);
  EXPECT_FALSE(registry.run.Exists());
}

TEST_F(OptionsStore, FlagsLoadThroughTheFlagTest) {
  Store(L"bosskey", L"1");
  Store(L"startup", L"1.0");
  Store(L"autoclean", L"01");
  Store(L"exit", L"2");
  Store(L"securely", L"yes");
  Store(L"WindowsStartup", L" 1 ");
  Store(L"CleanDays", L"0120000");
  Store(L"CleanTime", L"9:30");
  settings::Options options = settings::LoadOptions(program.Path());
  EXPECT_TRUE(options.bossKey);
  EXPECT_TRUE(options.startup);
  EXPECT_TRUE(options.autoCheck);
  EXPECT_FALSE(options.exitAfter);
  EXPECT_FALSE(options.securely);
  EXPECT_TRUE(options.windowsStartup);
  EXPECT_FALSE(options.windowsShutdown);
  EXPECT_EQ(options.days[1], BoxState::Ticked);
  EXPECT_EQ(options.days[2], BoxState::Greyed);
  EXPECT_EQ(options.cleanTime, L"9:30");
}

TEST_F(OptionsStore, OkStoresEveryFlagDaysAndTime) {
  settings::Options options;
  options.startup = options.autoCheck = options.exitAfter = options.securely = true;
  options.windowsStartup = options.windowsShutdown = true;
  options.days = {BoxState::Unticked, BoxState::Ticked, BoxState::Greyed,  BoxState::Unticked,
                  BoxState::Unticked, BoxState::Ticked, BoxState::Unticked};
  options.cleanTime = L"23:30";
  settings::SaveOptions(program.Path(), options, bossKey);
  for (const wchar_t* key : {L"startup", L"autoclean", L"exit", L"securely", L"WindowsStartup", L"WindowsShutdown"}) {
    EXPECT_EQ(Stored(key), L"1") << key;
  }
  EXPECT_EQ(Stored(L"CleanDays"), L"0120010");
  EXPECT_EQ(Stored(L"CleanTime"), L"23:30");

  // The stored options open as they were saved.
  settings::Options reloaded = settings::LoadOptions(program.Path());
  EXPECT_EQ(reloaded.days, options.days);
  EXPECT_TRUE(reloaded.startup && reloaded.windowsShutdown);
}

TEST_F(OptionsStore, AgesLoadTheirChoicesAndAnythingElseAsTheDefault) {
  const struct {
    const wchar_t *temp, *recycle, *custom;
    settings::AgeOptions loaded;
  } cases[] = {
      {nullptr, nullptr, nullptr, {24, 0, false}}, {L"0", L"720", L"1", {0, 720, true}},
      {L"1", L"168", L"0", {1, 168, false}},       {L"12", L"-1", L"yes", {24, 0, false}},
      {L" 7", L"24h", L"", {24, 0, false}},
  };
  for (const auto& c : cases) {
    DeleteFileW(file.c_str());
    if (c.temp) Store(L"TempMinAgeHours", c.temp);
    if (c.recycle) Store(L"RecycleMinAgeHours", c.recycle);
    if (c.custom) Store(L"CustomFoldersMinAge", c.custom);
    const settings::AgeOptions ages = settings::LoadOptions(program.Path()).ages;
    EXPECT_EQ(ages.tempHours, c.loaded.tempHours) << (c.temp ? c.temp : L"none");
    EXPECT_EQ(ages.recycleHours, c.loaded.recycleHours) << (c.recycle ? c.recycle : L"none");
    EXPECT_EQ(ages.customFolders, c.loaded.customFolders) << (c.custom ? c.custom : L"none");
  }
}

TEST_F(OptionsStore, OkStoresTheAges) {
  settings::Options options;
  options.ages = {168, 1, true};
  ASSERT_TRUE(settings::SaveOptions(program.Path(), options, bossKey));
  EXPECT_EQ(Stored(L"TempMinAgeHours"), L"168");
  EXPECT_EQ(Stored(L"RecycleMinAgeHours"), L"1");
  EXPECT_EQ(Stored(L"CustomFoldersMinAge"), L"1");
}

TEST_F(OptionsStore, AppearanceStoresItsNumberAndAnythingElseReadsAsWindows) {
  using platform::Appearance;
  for (Appearance chosen : {Appearance::Light, Appearance::Dark, Appearance::AsWindows}) {
    settings::Options options;
    options.appearance = chosen;
    ASSERT_TRUE(settings::SaveOptions(program.Path(), options, bossKey));
    EXPECT_EQ(Stored(L"Appearance"), std::to_wstring(static_cast<int>(chosen)));
    EXPECT_EQ(settings::LoadOptions(program.Path()).appearance, chosen);
  }
  for (const wchar_t* stored : {L"3", L"-1", L"dark", L""}) {
    Store(L"Appearance", stored);
    EXPECT_EQ(settings::LoadAppearance(program.Path()), Appearance::AsWindows) << stored;
  }
}

TEST_F(OptionsStore, LanguageStoresItsCodeAndAnythingElseFollowsWindows) {
  for (const wchar_t* chosen : {L"de", L"pt_BR", L"en", L""}) {
    settings::Options options;
    options.language = chosen;
    ASSERT_TRUE(settings::SaveOptions(program.Path(), options, bossKey));
    EXPECT_EQ(Stored(L"Language"), chosen);
    EXPECT_EQ(settings::LoadOptions(program.Path()).language, chosen);
  }
  // A stored text that could name a file elsewhere is no language.
  for (const wchar_t* stored : {L"..\\..\\x", L"de.po", L"DE", L"d", L"de_", L"de_DE\\x", L"C:\\de"}) {
    Store(L"Language", stored);
    EXPECT_EQ(settings::StoredLanguage(program.Path()), L"") << stored;
    EXPECT_EQ(settings::StartLanguage(program.Path()), platform::WindowsLanguage()) << stored;
  }
}

TEST_F(OptionsStore, StartupWritesTheRunEntryWithItsTerminatingNul) {
  settings::Options options;
  options.startup = true;
  settings::SaveOptions(program.Path(), options, bossKey);
  EXPECT_EQ(Stored(L"startup"), L"1");
  DWORD type = 0;
  std::vector<BYTE> data;
  ASSERT_TRUE(registry.run.Read(type, data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  std::wstring expected = settings::RunEntryText(program.Path());
  ASSERT_EQ(data.size(), (expected.size() + 1) * sizeof(wchar_t));
  EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(data.data()), expected.size() + 1),
            expected + std::wstring(1, L'\0'));

  options.startup = false;
  settings::SaveOptions(program.Path(), options, bossKey);
  EXPECT_EQ(Stored(L"startup"), L"0");
  EXPECT_FALSE(registry.run.Exists());
  // Removing a value that is already gone is no failure.
  settings::SaveOptions(program.Path(), options, bossKey);
  EXPECT_FALSE(registry.run.Exists());
}

TEST_F(OptionsStore, BossKeySwitchesOnlyWhenItChanges) {
  settings::Options options;
  options.bossKey = false;
  settings::SaveOptions(program.Path(), options, bossKey);
  EXPECT_EQ(arms + disarms, 0);
  EXPECT_FALSE(HasKey("bosskey"));

  options.bossKey = true;
  settings::SaveOptions(program.Path(), options, bossKey);
  EXPECT_EQ(arms, 1);
  EXPECT_EQ(Stored(L"bosskey"), L"1");

  settings::SaveOptions(program.Path(), options, bossKey);
  EXPECT_EQ(arms, 1);
  EXPECT_EQ(disarms, 0);

  options.bossKey = false;
  settings::SaveOptions(program.Path(), options, bossKey);
  EXPECT_EQ(disarms, 1);
  EXPECT_EQ(Stored(L"bosskey"), L"0");
  settings::SaveOptions(program.Path(), options, bossKey);
  EXPECT_EQ(disarms, 1);
  EXPECT_EQ(arms, 1);
}

// Another letter frees the old keys and takes the new ones at once; a stored letter that is no letter
// reads as Z.
TEST_F(OptionsStore, AnotherBossKeyLetterReArmsWithIt) {
  EXPECT_EQ(settings::LoadOptions(program.Path()).bossKeyLetter, L'Z');
  settings::Options options;
  options.bossKey = true;
  settings::SaveOptions(program.Path(), options, bossKey);
  EXPECT_FALSE(HasKey("bosskeyletter"));
  options.bossKeyLetter = L'J';
  settings::SaveOptions(program.Path(), options, bossKey);
  settings::SaveOptions(program.Path(), options, bossKey);
  EXPECT_EQ(armedLetters, L"ZJ");
  EXPECT_EQ(disarms, 1);
  EXPECT_EQ(Stored(L"bosskeyletter"), L"J");
  EXPECT_EQ(settings::LoadOptions(program.Path()).bossKeyLetter, L'J');
  for (const wchar_t* text : {L"j", L"JJ", L"5", L""})
    EXPECT_EQ(settings::BossKeyLetter(text), *text == L'j' ? L'J' : L'Z') << text;
}

TEST_F(OptionsStore, StoredBossKeyCountsByTheFlagTest) {
  Store(L"bosskey", L"1.0");
  settings::Options options;
  options.bossKey = true;
  settings::SaveOptions(program.Path(), options, bossKey);
  EXPECT_EQ(arms, 0);
  EXPECT_EQ(Stored(L"bosskey"), L"1.0");
  options.bossKey = false;
  settings::SaveOptions(program.Path(), options, bossKey);
  EXPECT_EQ(disarms, 1);
  EXPECT_EQ(Stored(L"bosskey"), L"0");
}

TEST_F(OptionsStore, InternetExplorerValuesLoadFromTheUsersKey) {
  ASSERT_TRUE(registry.userStart.KeyExists());
  registry.userStart.Set(L"  http://start.example/");
  registry.userTitle.Remove();
  settings::Options options = settings::LoadOptions(program.Path());
  EXPECT_EQ(options.startPage, L"http://start.example/");
  EXPECT_EQ(options.windowTitle, L"");

  registry.userStart.Remove();
  registry.userTitle.Set(L"My browser");
  options = settings::LoadOptions(program.Path());
  EXPECT_EQ(options.startPage, L"Error");
  EXPECT_EQ(options.windowTitle, L"My browser");
}

TEST_F(OptionsStore, EmptyTextsWriteOneBlankUnderEveryExistingKey) {
  settings::Options options;
  options.startPage = L"http://home.example/";
  options.startPageChanged = options.windowTitleChanged = true;
  settings::SaveOptions(program.Path(), options, bossKey);
  for (const PreservedValue* start : {&registry.defaultStart, &registry.userStart, &registry.machineStart}) {
    if (start->KeyExists()) {
      EXPECT_EQ(start->Text(), L"http://home.example/");
    }
  }
  for (const PreservedValue* title : {&registry.defaultTitle, &registry.userTitle, &registry.machineTitle}) {
    if (title->KeyExists()) {
      EXPECT_EQ(title->Text(), L" ");
    }
  }
  EXPECT_EQ(registry.userTitle.Text(), L" ");
  EXPECT_EQ(registry.machineTitle.Text(), L" ");
}

TEST(OptionsIePages, AKeyThatDoesNotExistIsSkippedAndNotCreated) {
  TempRegistryKey first, second;
  std::wstring missing = first.FullPath() + L"\\Missing";
  std::wstring existing = second.FullPath();
  settings::WriteIePages({missing.c_str(), existing.c_str(), missing.c_str()}, L"", L"Title");
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, first.Subkey() + L"\\Missing"));
  PreservedValue start(HKEY_CURRENT_USER, second.Subkey(), L"Start Page");
  PreservedValue title(HKEY_CURRENT_USER, second.Subkey(), L"Window Title");
  EXPECT_EQ(start.Text(), L" ");
  EXPECT_EQ(title.Text(), L"Title");
}

}  // namespace

TEST(StartWithWindows, GoesUnderTheUsersRunKeyWhenTheMachinesCannotBeWritten) {
  TempRegistryKey machine, user, gone;
  platform::RegKey unwritableMachine, writableMachine, userRoot;
  // A key deleted while open takes no subkeys and no values, as a machine key refuses a standard user.
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, gone.Subkey().c_str(), 0, KEY_ALL_ACCESS, unwritableMachine.out()),
            ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, gone.Subkey().c_str()), ERROR_SUCCESS);
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, machine.Subkey().c_str(), 0, KEY_ALL_ACCESS, writableMachine.out()),
            ERROR_SUCCESS);
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, user.Subkey().c_str(), 0, KEY_ALL_ACCESS, userRoot.out()), ERROR_SUCCESS);
  const std::wstring machineRun = machine.Subkey() + L"\\" + settings::kRunKey;
  const std::wstring userRun = user.Subkey() + L"\\" + settings::kRunKey;

  settings::SetStartWithWindows(L"C:\\Tools\\X", true, unwritableMachine.get(), userRoot.get());
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, gone.Subkey()));
  ASSERT_TRUE(ValueExists(HKEY_CURRENT_USER, userRun, settings::kRunValue));
  wchar_t text[128] = L"";
  DWORD size = sizeof(text);
  RegGetValueW(HKEY_CURRENT_USER, userRun.c_str(), settings::kRunValue, RRF_RT_REG_SZ, nullptr, text, &size);
  EXPECT_EQ(std::wstring(text), L"\"C:\\Tools\\X\\trellwipe.exe\" min");

  // Once the machine's key takes the entry, the user's copy goes: the program must not start twice.
  settings::SetStartWithWindows(L"C:\\Tools\\X", true, writableMachine.get(), userRoot.get());
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, machineRun, settings::kRunValue));
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, userRun, settings::kRunValue));

  SetString(HKEY_CURRENT_USER, userRun, settings::kRunValue, L"stale");
  settings::SetStartWithWindows(L"C:\\Tools\\X", false, writableMachine.get(), userRoot.get());
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, machineRun, settings::kRunValue));
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, userRun, settings::kRunValue));
}

TEST_F(OptionsStore, TheLookForNewRulesIsDueWhenOnAndAWeekAfterTheLastOne) {
  const SYSTEMTIME today{2026, 3, 0, 10, 9, 30, 0, 0};  // 10 March 2026
  const struct {
    const wchar_t* on;
    const wchar_t* last;  // nullptr: none stored
    bool due;
  } cases[] = {
      {L"0", nullptr, false},      {L"1", nullptr, true},       {L"1", L"2026-03-04", false},
      {L"1", L"2026-03-03", true}, {L"1", L"2026-02-10", true}, {L"1", L"2026-03-10", false},
      {L"1", L"2026-04-01", true}, {L"1", L"last week", true},  {L"0", L"2026-01-01", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.on << " " << (c.last ? platform::Narrow(c.last) : "none"));
    DeleteFileW(file.c_str());
    Store(L"RulesCheckWeekly", c.on);
    if (c.last) Store(L"RulesChecked", c.last);
    EXPECT_EQ(settings::RulesCheckDue(program.Path(), today), c.due);
  }
  settings::NoteRulesChecked(program.Path(), today);
  EXPECT_EQ(Stored(L"RulesChecked"), L"2026-03-10");
}
