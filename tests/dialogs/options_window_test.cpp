#include "dialogs/options_window.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/text.h"
#include "platform/window_text.h"
#include "settings/inifun.h"
#include "settings/item_flags.h"
#include "settings/preserved_value.h"
#include "support/keyboard_support.h"
#include "support/message_recorder.h"
#include "support/policy_keys.h"
#include "support/test_support.h"
#include "toolkit/keyboard.h"
#include "ui/boss_key.h"

using namespace testing_support;
using platform::WindowText;
namespace ids = dialogs::option_ids;

namespace {

bool Shown(HWND control) { return GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE; }

// True when the hide key is free, that is when nothing armed it; the probe is undone at once.
bool HideKeyFree(HWND window) {
  if (!RegisterHotKey(window, ui::kHideHotKey, ui::kHideModifiers, ui::kBossKey)) {
    EXPECT_EQ(GetLastError(), 1409u);
    return false;
  }
  UnregisterHotKey(window, ui::kHideHotKey);
  return true;
}

class OptionsWindowTest : public ::testing::Test {
 protected:
  TempFolder program;
  std::wstring file = settings::SettingsFile(program.Path());
  PreservedOptionValues registry;
  platform::Window mainWindow{CreateWindowExW(0, L"STATIC", L"main", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                              GetModuleHandleW(nullptr), nullptr)};
  dialogs::OptionsWindow window{ui::BossKeySwitchOf(mainWindow.get()), program.Path()};

  void TearDown() override { ui::DisarmBossKey(mainWindow.get()); }

  HWND Item(WORD id) const { return window.Control(id); }
  UINT State(WORD id) const { return IsDlgButtonChecked(window.Handle(), id); }
  void Press(WORD id) const { SendMessageW(Item(id), BM_CLICK, 0, 0); }
  std::wstring Stored(const wchar_t* key) const { return settings::inifun::ReadIniValue(file, L"Options", key); }
  void Store(const wchar_t* key, const wchar_t* value) const {
    settings::inifun::WriteIniValue(file, L"Options", key, value);
  }

  void SelectTab(int tab) const {
    HWND control = Item(ids::SSTab1);
    SendMessageW(control, TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
    NMHDR header{control, ids::SSTab1, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(window.Handle(), WM_NOTIFY, ids::SSTab1, reinterpret_cast<LPARAM>(&header));
  }
};

TEST_F(OptionsWindowTest, ShowsEveryControlWithItsCaption) {
  ASSERT_TRUE(mainWindow);
  ASSERT_TRUE(window.Create(nullptr, false));
  EXPECT_FALSE(IsWindowVisible(window.Handle()));
  EXPECT_EQ(WindowText(window.Handle()), L"Options");

  HWND tab = Item(ids::SSTab1);
  ASSERT_EQ(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), 6);
  const wchar_t* tabs[] = {L"General", L"Schedule", L"Homepage", L"Automatic", L"Cleaning", L"Appearance"};
  for (int i = 0; i < 6; ++i) {
    wchar_t text[32] = L"";
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 32;
    SendMessageW(tab, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(text, tabs[i]);
  }

  const std::pair<WORD, const wchar_t*> captions[] = {
      {ids::Command1, L"OK"},
      {ids::Command2, L"Cancel"},
      {ids::GeneralFrame, L"General"},
      {ids::Check2, L"Load Trellwipe on Windows Start Up"},
      {ids::Check3, L"Automatically check for new versions"},
      {ids::Check4, L"Exit after cleaning"},
      {ids::Check6, L"Enable Securely Cleaning"},
      {ids::chkRulesWeekly, L"Check for new rules once a week"},
      {ids::BossKeyFrame, L"Boss Key"},
      {ids::Check1, L"Enable Boss Key"},
      {ids::BossKeyLabel,
       L"If this is checked, you can press the Hotkey Windows key + Z to hide all IE windows, and windows key + Shift + "
       L"Z to show all IE windows. you can hide the browser windows and folder windows when your boss or anyone else "
       L"you don't want to see your screen comes in."},
      {ids::ScheduleFrame, L"Schedule"},
      {ids::StartCleanLabel, L"Start clean at"},
      {ids::chkSunday, L"Sunday"},
      {ids::chkSunday + 3, L"Wednesday"},
      {ids::chkSunday + 6, L"Saturday"},
      {ids::chkDaily, L"Run daily"},
      {ids::RunAtFrame, L"Schedule"},
      {ids::RunAtLabel, L"Run Cleaning at"},
      {ids::Check7, L"Windows Startup"},
      {ids::Check8, L"Windows Shutdown"},
      {ids::HomepageLabel, L"Internet Explorer Home Page Settings"},
      {ids::PreventLabel, L"Prevent your home page from being changed by websites"},
      {ids::IeHomePageFrame, L"IE Home Page"},
      {ids::ResetLabel, L"Reset HomePage To"},
      {ids::TitleLabel, L"Window Title"},
      {ids::TempAgeFrame, L"Temporary files"},
      {ids::TempAgeLabel, L"Erase only files last changed at least this long ago:"},
      {ids::chkCustomAge, L"Apply this age to my custom folders too"},
      {ids::RecycleAgeFrame, L"Recycle Bin"},
      {ids::RecycleAgeLabel, L"Erase only items deleted at least this long ago:"},
      {ids::AppearanceLabel, L"Appearance:"},
      {ids::AppearanceNote, L"A high-contrast theme of Windows is always followed."},
  };
  for (const auto& [id, caption] : captions) {
    ASSERT_TRUE(Item(id)) << id;
    EXPECT_EQ(toolkit::WithoutMnemonic(WindowText(Item(id))), caption) << id;
  }

  HWND times = Item(ids::cmbStartTime);
  ASSERT_EQ(SendMessageW(times, CB_GETCOUNT, 0, 0), 48);
  wchar_t text[16] = L"";
  SendMessageW(times, CB_GETLBTEXT, 19, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, L"9:30");
}

TEST_F(OptionsWindowTest, TabsShowOnlyTheirOwnControls) {
  ASSERT_TRUE(window.Create(nullptr, false));
  EXPECT_EQ(window.Page(), 0);
  EXPECT_TRUE(Shown(Item(ids::Check1)));
  EXPECT_FALSE(Shown(Item(ids::cmbStartTime)));
  EXPECT_FALSE(Shown(Item(ids::Text1)));

  SelectTab(1);
  EXPECT_EQ(window.Page(), 1);
  EXPECT_FALSE(Shown(Item(ids::Check1)));
  EXPECT_TRUE(Shown(Item(ids::cmbStartTime)));
  EXPECT_TRUE(Shown(Item(ids::chkDaily)));

  SelectTab(2);
  EXPECT_TRUE(Shown(Item(ids::Text1)));
  EXPECT_TRUE(Shown(Item(ids::Text2)));
  EXPECT_FALSE(Shown(Item(ids::chkSunday)));
  EXPECT_FALSE(Shown(Item(ids::cmbTempAge)));
  EXPECT_TRUE(Shown(Item(ids::Command1)));

  SelectTab(3);
  EXPECT_TRUE(Shown(Item(ids::AutomaticFrame)));
  EXPECT_FALSE(Shown(Item(ids::Text1)));
  EXPECT_FALSE(Shown(Item(ids::cmbTempAge)));
  EXPECT_TRUE(Shown(Item(ids::Command2)));

  SelectTab(4);
  EXPECT_EQ(window.Page(), 4);
  EXPECT_FALSE(Shown(Item(ids::AutomaticFrame)));
  for (WORD id : {ids::cmbTempAge, ids::chkCustomAge, ids::cmbRecycleAge}) EXPECT_TRUE(Shown(Item(id))) << id;
  EXPECT_FALSE(Shown(Item(ids::Text1)));
}

TEST_F(OptionsWindowTest, TheAgesOpenAsStoredAndOkStoresTheChoice) {
  ASSERT_TRUE(window.Create(nullptr, false));
  const std::vector<std::wstring> choices = {L"any age", L"1 hour", L"24 hours", L"7 days", L"30 days"};
  for (WORD id : {ids::cmbTempAge, ids::cmbRecycleAge}) {
    std::vector<std::wstring> listed;
    for (int i = 0; i < SendMessageW(Item(id), CB_GETCOUNT, 0, 0); ++i) {
      wchar_t text[32] = L"";
      SendMessageW(Item(id), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      listed.push_back(text);
    }
    EXPECT_EQ(listed, choices) << id;
  }
  // Nothing stored: 24 hours for the temporary files, any age for the Recycle Bin.
  EXPECT_EQ(WindowText(Item(ids::cmbTempAge)), L"24 hours");
  EXPECT_EQ(WindowText(Item(ids::cmbRecycleAge)), L"any age");
  EXPECT_EQ(State(ids::chkCustomAge), static_cast<UINT>(BST_UNCHECKED));
  SendMessageW(Item(ids::cmbTempAge), CB_SETCURSEL, 3, 0);
  SendMessageW(Item(ids::cmbRecycleAge), CB_SETCURSEL, 4, 0);
  Press(ids::chkCustomAge);
  Press(ids::Command1);
  EXPECT_EQ(Stored(L"TempMinAgeHours"), L"168");
  EXPECT_EQ(Stored(L"RecycleMinAgeHours"), L"720");
  EXPECT_EQ(Stored(L"CustomFoldersMinAge"), L"1");

  ASSERT_TRUE(window.Create(nullptr, false));
  EXPECT_EQ(WindowText(Item(ids::cmbTempAge)), L"7 days");
  EXPECT_EQ(WindowText(Item(ids::cmbRecycleAge)), L"30 days");
  EXPECT_EQ(State(ids::chkCustomAge), static_cast<UINT>(BST_CHECKED));
}

TEST_F(OptionsWindowTest, TheAppearanceOpensAsStoredAndOkStoresTheChoice) {
  Store(L"Appearance", L"1");
  ASSERT_TRUE(window.Create(nullptr, false));
  SelectTab(5);
  EXPECT_TRUE(Shown(Item(ids::cmbAppearance)));
  std::vector<std::wstring> listed;
  for (int i = 0; i < SendMessageW(Item(ids::cmbAppearance), CB_GETCOUNT, 0, 0); ++i) {
    wchar_t text[32] = L"";
    SendMessageW(Item(ids::cmbAppearance), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    listed.push_back(text);
  }
  EXPECT_EQ(listed, (std::vector<std::wstring>{L"as Windows", L"light", L"dark"}));
  EXPECT_EQ(WindowText(Item(ids::cmbAppearance)), L"light");
  SendMessageW(Item(ids::cmbAppearance), CB_SETCURSEL, 2, 0);
  Press(ids::Command1);
  EXPECT_EQ(Stored(L"Appearance"), L"2");
}

TEST_F(OptionsWindowTest, NoSettingsFileOpensUntickedAndOkStoresZeros) {
  registry.run.Set(L"\"C:\\Old\\trellwipe.exe\" min");
  ASSERT_TRUE(window.Create(nullptr, false));
  for (WORD id : {ids::Check1, ids::Check2, ids::Check3, ids::Check4, ids::Check6, ids::Check7, ids::Check8,
                  ids::chkDaily, ids::chkRulesWeekly}) {
    EXPECT_EQ(State(id), static_cast<UINT>(BST_UNCHECKED)) << id;
  }
  for (int day = 0; day < 7; ++day) EXPECT_EQ(State(ids::chkSunday + day), static_cast<UINT>(BST_UNCHECKED));
  EXPECT_EQ(WindowText(Item(ids::cmbStartTime)), L"");

  Press(ids::Command1);
  EXPECT_TRUE(window.Accepted());
  EXPECT_EQ(window.Handle(), nullptr);
  for (const wchar_t* key :
       {L"startup", L"autoclean", L"exit", L"securely", L"WindowsStartup", L"WindowsShutdown", L"RulesCheckWeekly"}) {
    EXPECT_EQ(Stored(key), L"0") << key;
  }
  EXPECT_EQ(Stored(L"CleanDays"), L"0000000");
  EXPECT_NE(ReadText(file).find("CleanTime=\r\n"), std::string::npos);
  EXPECT_EQ(ReadText(file).find("bosskey"), std::string::npos);
  EXPECT_FALSE(registry.run.Exists());
  EXPECT_TRUE(HideKeyFree(mainWindow.get()));
}

TEST_F(OptionsWindowTest, StoredOptionsOpenInTheirBoxes) {
  Store(L"startup", L"1");
  Store(L"exit", L"1");
  Store(L"WindowsShutdown", L"01");
  Store(L"RulesCheckWeekly", L"1");
  Store(L"CleanDays", L"0120001");
  Store(L"CleanTime", L"9:30");
  ASSERT_TRUE(window.Create(nullptr, false));
  EXPECT_EQ(State(ids::Check2), static_cast<UINT>(BST_CHECKED));
  EXPECT_EQ(State(ids::Check3), static_cast<UINT>(BST_UNCHECKED));
  EXPECT_EQ(State(ids::Check4), static_cast<UINT>(BST_CHECKED));
  EXPECT_EQ(State(ids::Check8), static_cast<UINT>(BST_CHECKED));
  EXPECT_EQ(State(ids::chkRulesWeekly), static_cast<UINT>(BST_CHECKED));
  const UINT days[] = {BST_UNCHECKED, BST_CHECKED,   BST_INDETERMINATE, BST_UNCHECKED,
                       BST_UNCHECKED, BST_UNCHECKED, BST_CHECKED};
  for (int day = 0; day < 7; ++day) EXPECT_EQ(State(ids::chkSunday + day), days[day]) << day;
  EXPECT_EQ(State(ids::chkDaily), static_cast<UINT>(BST_UNCHECKED));
  EXPECT_EQ(WindowText(Item(ids::cmbStartTime)), L"9:30");

  // A greyed day is stored as it was; the start time is stored as chosen.
  SendMessageW(Item(ids::cmbStartTime), CB_SETCURSEL, 47, 0);
  Press(ids::Command1);
  EXPECT_EQ(Stored(L"CleanDays"), L"0120001");
  EXPECT_EQ(Stored(L"CleanTime"), L"23:30");
  EXPECT_EQ(Stored(L"startup"), L"1");
  EXPECT_EQ(Stored(L"RulesCheckWeekly"), L"1");
  EXPECT_EQ(registry.run.Text(), settings::RunEntryText(program.Path()));
}

TEST_F(OptionsWindowTest, AStartTimeTheListLacksShowsNoText) {
  Store(L"CleanTime", L"9:15");
  ASSERT_TRUE(window.Create(nullptr, false));
  EXPECT_EQ(WindowText(Item(ids::cmbStartTime)), L"");
  Press(ids::Command1);
  EXPECT_EQ(Stored(L"CleanTime"), L"");
}

TEST_F(OptionsWindowTest, RunDailyTicksAndUnticksAllDays) {
  Store(L"CleanDays", L"1020100");
  ASSERT_TRUE(window.Create(nullptr, false));
  Press(ids::chkDaily);
  EXPECT_EQ(State(ids::chkDaily), static_cast<UINT>(BST_CHECKED));
  for (int day = 0; day < 7; ++day) EXPECT_EQ(State(ids::chkSunday + day), static_cast<UINT>(BST_CHECKED)) << day;
  Press(ids::chkSunday + 3);
  EXPECT_EQ(State(ids::chkSunday + 3), static_cast<UINT>(BST_UNCHECKED));
  Press(ids::chkDaily);
  for (int day = 0; day < 7; ++day) EXPECT_EQ(State(ids::chkSunday + day), static_cast<UINT>(BST_UNCHECKED)) << day;
  Press(ids::chkSunday + 1);
  Press(ids::Command1);
  EXPECT_EQ(Stored(L"CleanDays"), L"0100000");
}

TEST_F(OptionsWindowTest, BossKeyIsArmedWhenTickedAndNotYetStored) {
  ASSERT_TRUE(window.Create(nullptr, false));
  Press(ids::Check1);
  Press(ids::Command1);
  EXPECT_EQ(Stored(L"bosskey"), L"1");
  EXPECT_FALSE(HideKeyFree(mainWindow.get()));

  // Unticked again: both keys are released.
  dialogs::OptionsWindow again(ui::BossKeySwitchOf(mainWindow.get()), program.Path());
  ASSERT_TRUE(again.Create(nullptr, false));
  EXPECT_EQ(IsDlgButtonChecked(again.Handle(), ids::Check1), static_cast<UINT>(BST_CHECKED));
  SendMessageW(again.Control(ids::Check1), BM_CLICK, 0, 0);
  SendMessageW(again.Control(ids::Command1), BM_CLICK, 0, 0);
  EXPECT_EQ(Stored(L"bosskey"), L"0");
  EXPECT_TRUE(HideKeyFree(mainWindow.get()));
}

// Where another program holds Windows key + Z, the window says so while the boss key is on, and
// another letter chosen there becomes the boss key at OK.
TEST_F(OptionsWindowTest, ABossKeyAnotherProgramHoldsIsNamedAndAnotherLetterTakesItsPlace) {
  platform::Window other{CreateWindowExW(0, L"STATIC", L"other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                         GetModuleHandleW(nullptr), nullptr)};
  ASSERT_TRUE(RegisterHotKey(other.get(), 1, MOD_WIN, 'Z'));
  ASSERT_TRUE(window.Create(nullptr, false));
  EXPECT_EQ(WindowText(Item(ids::BossKeyTaken)), L"");
  Press(ids::Check1);
  EXPECT_EQ(WindowText(Item(ids::BossKeyTaken)), L"Windows key + Z is taken by another program: choose another key.");
  SendMessageW(Item(ids::cmbBossKeyLetter), CB_SETCURSEL, 'J' - 'A', 0);
  SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(ids::cmbBossKeyLetter, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(Item(ids::cmbBossKeyLetter)));
  EXPECT_EQ(WindowText(Item(ids::BossKeyTaken)), L"");
  Press(ids::Command1);
  EXPECT_EQ(Stored(L"bosskeyletter"), L"J");
  EXPECT_FALSE(RegisterHotKey(other.get(), 2, MOD_WIN, 'J'));
  UnregisterHotKey(other.get(), 1);
}

TEST_F(OptionsWindowTest, BossKeyAlreadyStoredIsNotRegisteredAgain) {
  Store(L"bosskey", L"1");
  ASSERT_TRUE(window.Create(nullptr, false));
  EXPECT_EQ(State(ids::Check1), static_cast<UINT>(BST_CHECKED));
  Press(ids::Command1);
  EXPECT_TRUE(HideKeyFree(mainWindow.get()));
  EXPECT_EQ(Stored(L"bosskey"), L"1");
}

// What the window could not read, or the user did not change, is not written back: no "Error" start
// page, no blank title where there was none.
TEST_F(OptionsWindowTest, OkWritesOnlyTheInternetExplorerTextsTheUserChanged) {
  ASSERT_TRUE(registry.userStart.KeyExists());
  registry.userStart.Set(L"http://start.example/");
  registry.userTitle.Remove();
  registry.machineTitle.Remove();
  ASSERT_TRUE(window.Create(nullptr, false));
  EXPECT_EQ(WindowText(Item(ids::Text1)), L"http://start.example/");
  EXPECT_EQ(WindowText(Item(ids::Text2)), L"");
  Press(ids::Command1);
  EXPECT_FALSE(registry.userTitle.Exists());
  EXPECT_FALSE(registry.machineTitle.Exists());
  EXPECT_EQ(registry.userStart.Text(), L"http://start.example/");

  registry.userStart.Remove();
  registry.machineStart.Remove();
  ASSERT_TRUE(window.Create(nullptr, false));
  EXPECT_EQ(WindowText(Item(ids::Text1)), L"Error");
  SetWindowTextW(Item(ids::Text2), L"");
  Press(ids::Command1);
  EXPECT_FALSE(registry.userStart.Exists());
  EXPECT_FALSE(registry.machineStart.Exists());
  EXPECT_FALSE(registry.userTitle.Exists());
}

TEST_F(OptionsWindowTest, EditedHomePageIsWrittenOnOk) {
  ASSERT_TRUE(window.Create(nullptr, false));
  SetWindowTextW(Item(ids::Text1), L"http://home.example/");
  SetWindowTextW(Item(ids::Text2), L"Quiet");
  Press(ids::Command1);
  EXPECT_EQ(registry.userStart.Text(), L"http://home.example/");
  EXPECT_EQ(registry.userTitle.Text(), L"Quiet");
  EXPECT_EQ(registry.machineStart.Text(), L"http://home.example/");
  EXPECT_EQ(registry.machineTitle.Text(), L"Quiet");
}

TEST_F(OptionsWindowTest, CancelStoresNothing) {
  registry.run.Set(L"kept");
  registry.userTitle.Set(L"Before");
  ASSERT_TRUE(window.Create(nullptr, false));
  Press(ids::Check1);
  Press(ids::Check2);
  Press(ids::chkDaily);
  SetWindowTextW(Item(ids::Text2), L"After");
  Press(ids::Command2);
  EXPECT_FALSE(window.Accepted());
  EXPECT_EQ(window.Handle(), nullptr);
  ExpectGone(file);
  EXPECT_EQ(registry.run.Text(), L"kept");
  EXPECT_EQ(registry.userTitle.Text(), L"Before");
  EXPECT_TRUE(HideKeyFree(mainWindow.get()));
}

TEST_F(OptionsWindowTest, SkinFileOfTheProgramFolderIsApplied) {
  WriteText(program / L"skins\\frmmain.skn", "font=Courier New\r\nfontsize=13\r\n");
  ASSERT_TRUE(window.Create(nullptr, false));
  auto font = reinterpret_cast<HFONT>(SendMessageW(Item(ids::Check2), WM_GETFONT, 0, 0));
  LOGFONTW logFont{};
  ASSERT_TRUE(GetObjectW(font, sizeof(logFont), &logFont));
  EXPECT_STREQ(logFont.lfFaceName, L"Courier New");
}

// The modal form, closed from a timer that the dialog's own message loop runs.
int closeWith = IDCANCEL;

void CALLBACK CloseOptions(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = FindWindowW(L"#32770", L"Options");
  if (!dialog) return;
  KillTimer(nullptr, timer);
  SendMessageW(GetDlgItem(dialog, closeWith), BM_CLICK, 0, 0);
}

TEST_F(OptionsWindowTest, ShowOptionsIsTrueOnlyForOk) {
  closeWith = IDCANCEL;
  SetTimer(nullptr, 0, 50, CloseOptions);
  EXPECT_FALSE(dialogs::ShowOptions(nullptr, program.Path(), ui::BossKeySwitchOf(mainWindow.get())));
  ExpectGone(file);

  closeWith = IDOK;
  SetTimer(nullptr, 0, 50, CloseOptions);
  EXPECT_TRUE(dialogs::ShowOptions(nullptr, program.Path(), ui::BossKeySwitchOf(mainWindow.get())));
  EXPECT_EQ(Stored(L"CleanDays"), L"0000000");
}

TEST_F(OptionsWindowTest, TabRunsThroughTheShownPageThenOkCancelAndTheTabStrip) {
  ASSERT_TRUE(window.Create(nullptr, false));
  HWND hwnd = window.Handle();
  EXPECT_EQ(TabOrder(hwnd, Item(ids::Check2)),
            (std::vector<HWND>{Item(ids::Check2), Item(ids::Check3), Item(ids::Check4), Item(ids::Check6),
                               Item(ids::chkRulesWeekly), Item(ids::cmbLanguage), Item(ids::Check1),
                               Item(ids::cmbBossKeyLetter), Item(ids::Command1), Item(ids::Command2),
                               Item(ids::SSTab1)}));
  // The arrow keys on the strip change the page.
  EXPECT_TRUE(Feed(hwnd, KeyDown(Item(ids::SSTab1), VK_RIGHT)));
  std::vector<HWND> schedule = {Item(ids::cmbStartTime)};
  for (int day = 0; day < 7; ++day) schedule.push_back(Item(static_cast<WORD>(ids::chkSunday + day)));
  // The box for every user is there: the tests run with administrator rights.
  schedule.insert(schedule.end(), {Item(ids::chkDaily), Item(ids::Check7), Item(ids::Check8), Item(ids::chkAllUsers),
                                   Item(ids::Command1), Item(ids::Command2), Item(ids::SSTab1)});
  EXPECT_EQ(TabOrder(hwnd, Item(ids::cmbStartTime)), schedule);
  SelectTab(2);
  EXPECT_EQ(TabOrder(hwnd, Item(ids::Text1)),
            (std::vector<HWND>{Item(ids::Text1), Item(ids::Text2), Item(ids::Command1), Item(ids::Command2),
                               Item(ids::SSTab1)}));
}

TEST_F(OptionsWindowTest, LettersReachOnlyTheShownPageAndNoTwoLabelsShareOne) {
  ASSERT_TRUE(window.Create(nullptr, false));
  HWND hwnd = window.Handle();
  // A letter may come again on another page, which the keyboard does not reach while this one shows.
  for (int page = 5; page >= 0; --page) {
    SelectTab(page);
    EXPECT_EQ(SharedMnemonics(hwnd, true), std::vector<std::wstring>{}) << page;
  }
  auto letter = [&](WORD id) { return toolkit::MnemonicOf(WindowText(Item(id))); };
  for (WORD id :
       {ids::Check2, ids::Check3, ids::Check4, ids::Check6, ids::chkRulesWeekly, ids::Check1, ids::StartCleanLabel,
        ids::chkSunday, ids::chkDaily, ids::Check7, ids::Check8, ids::ResetLabel, ids::TitleLabel}) {
    EXPECT_NE(letter(id), 0) << id;
  }
  EXPECT_TRUE(Feed(hwnd, AltLetter(Item(ids::Check3), letter(ids::Check2))));
  EXPECT_EQ(State(ids::Check2), static_cast<UINT>(BST_CHECKED));
  EXPECT_TRUE(Feed(hwnd, AltLetter(Item(ids::Check3), letter(ids::chkSunday))));
  EXPECT_EQ(State(ids::chkSunday), static_cast<UINT>(BST_UNCHECKED));  // on the hidden page

  SelectTab(1);
  EXPECT_TRUE(Feed(hwnd, AltLetter(Item(ids::cmbStartTime), letter(ids::chkSunday))));
  EXPECT_EQ(State(ids::chkSunday), static_cast<UINT>(BST_CHECKED));
  EXPECT_TRUE(Feed(hwnd, AltLetter(Item(ids::cmbStartTime), letter(ids::chkSunday))));
  EXPECT_EQ(State(ids::chkSunday), static_cast<UINT>(BST_UNCHECKED));
  EXPECT_TRUE(Feed(hwnd, AltLetter(Item(ids::cmbStartTime), letter(ids::Check2))));
  EXPECT_EQ(State(ids::Check2), static_cast<UINT>(BST_CHECKED));
}

TEST_F(OptionsWindowTest, EscapeStoresNothingAndEnterStoresLikeOk) {
  ASSERT_TRUE(window.Create(nullptr, false));
  Press(ids::Check4);
  EXPECT_TRUE(Feed(window.Handle(), KeyDown(Item(ids::Check4), VK_ESCAPE)));
  EXPECT_EQ(window.Handle(), nullptr);
  ExpectGone(file);

  ASSERT_TRUE(window.Create(nullptr, false));
  Press(ids::Check4);
  EXPECT_TRUE(Feed(window.Handle(), KeyDown(Item(ids::Check4), VK_RETURN)));
  EXPECT_EQ(window.Handle(), nullptr);
  EXPECT_EQ(Stored(L"exit"), L"1");
}

// The browsers found are listed, each with its own box, stored under its own key on OK.
TEST_F(OptionsWindowTest, AutomaticListsTheBrowsersFoundAndStoresTheirBoxes) {
  auto browser = [](std::wstring_view key) {
    for (const catalogue::ClosingBrowser* each : catalogue::ClosingBrowsers()) {
      if (each->key == key) return each;
    }
    return static_cast<const catalogue::ClosingBrowser*>(nullptr);
  };
  dialogs::OptionsWindow automatic{settings::BossKeySwitch{},
                                   program.Path(),
                                   {browser(L"CleanOnCloseChrome"), browser(L"CleanOnCloseFirefox")}};
  Store(L"CleanOnCloseFirefox", L"1");
  ASSERT_TRUE(automatic.Create(nullptr, false));
  EXPECT_EQ(WindowText(automatic.Control(ids::BrowserName)), L"Google Chrome");
  EXPECT_EQ(WindowText(automatic.Control(ids::BrowserName + 1)), L"Mozilla Firefox");
  EXPECT_EQ(automatic.Control(ids::BrowserName + 2), nullptr);
  EXPECT_EQ(automatic.Control(ids::NoBrowserLabel), nullptr);
  for (WORD row : {0, 1}) {
    EXPECT_EQ(WindowText(automatic.Control(ids::chkCleanOnClose + row)),
              L"Clean this browser's ticked items when its last window closes");
  }
  EXPECT_EQ(IsDlgButtonChecked(automatic.Handle(), ids::chkCleanOnClose), static_cast<UINT>(BST_UNCHECKED));
  EXPECT_EQ(IsDlgButtonChecked(automatic.Handle(), ids::chkCleanOnClose + 1), static_cast<UINT>(BST_CHECKED));
  for (WORD id : {ids::chkCleanOnClose, static_cast<WORD>(ids::chkCleanOnClose + 1), ids::Command1}) {
    SendMessageW(automatic.Control(id), BM_CLICK, 0, 0);
  }
  EXPECT_EQ(Stored(L"CleanOnCloseChrome"), L"1");
  EXPECT_EQ(Stored(L"CleanOnCloseFirefox"), L"0");
  EXPECT_EQ(Stored(L"CleanOnCloseEdge"), L"");  // not listed, not stored
}

TEST_F(OptionsWindowTest, APolicyGreysItsControlsWithTheNoteAndOkKeepsTheUsersOwnValues) {
  PolicyKeys keys;
  PolicyKeys::Set(keys.machine, {{L"CleanAtShutdown", 1},
                                 {L"RulesUpdate", 0},
                                 {L"CleanOnCloseChrome", 1},
                                 {L"CleanOnCloseFirefox", 0},
                                 {L"CleanOnCloseInternetExplorer", 1}});
  PolicyKeys::Set(keys.user, L"TempMinAgeHours", 720);
  keys.PutInForce();
  Store(L"WindowsShutdown", L"0");
  Store(L"TempMinAgeHours", L"24");
  Store(L"RulesCheckWeekly", L"1");
  Store(L"CleanOnCloseChrome", L"0");
  dialogs::OptionsWindow options{settings::BossKeySwitch{}, program.Path(), catalogue::ClosingBrowsers()};
  ASSERT_TRUE(options.Create(nullptr, false));
  const std::pair<WORD, WORD> kFixed[] = {{ids::Check8, ids::noteShutdown},
                                          {ids::cmbTempAge, ids::noteTempAge},
                                          {ids::chkRulesWeekly, ids::noteRulesWeekly},
                                          {ids::chkCleanOnClose, ids::noteCleanOnClose}};
  for (const auto& [control, note] : kFixed) {
    EXPECT_FALSE(IsWindowEnabled(options.Control(control))) << control;
    EXPECT_EQ(WindowText(options.Control(note)), L"Set by your organisation") << control;
  }
  EXPECT_EQ(IsDlgButtonChecked(options.Handle(), ids::Check8), static_cast<UINT>(BST_CHECKED));
  EXPECT_EQ(IsDlgButtonChecked(options.Handle(), ids::chkRulesWeekly), static_cast<UINT>(BST_UNCHECKED));
  EXPECT_EQ(IsDlgButtonChecked(options.Handle(), ids::chkCleanOnClose), static_cast<UINT>(BST_CHECKED));
  EXPECT_EQ(WindowText(options.Control(ids::cmbTempAge)), L"30 days");
  // What no policy fixes stays the user's to change.
  EXPECT_TRUE(IsWindowEnabled(options.Control(ids::Check7)));
  EXPECT_EQ(WindowText(options.Control(ids::noteStartup)), L"");
  // Each browser's row a policy fixes has a note of its own under its box, inside the grown frame.
  const std::vector<const catalogue::ClosingBrowser*> browsers = catalogue::ClosingBrowsers();
  RECT frame{}, last{};
  GetWindowRect(options.Control(ids::AutomaticFrame), &frame);
  for (size_t row = 0; row < browsers.size(); ++row) {
    const std::wstring key = browsers[row]->key;
    const bool fixed =
        key == L"CleanOnCloseChrome" || key == L"CleanOnCloseFirefox" || key == L"CleanOnCloseInternetExplorer";
    HWND box = options.Control(static_cast<WORD>(ids::chkCleanOnClose + row));
    HWND note = options.Control(static_cast<WORD>(ids::noteCleanOnClose + row));
    EXPECT_EQ(note ? WindowText(note) : L"", fixed ? L"Set by your organisation" : L"") << platform::Narrow(key);
    EXPECT_EQ(IsWindowEnabled(box) == FALSE, fixed) << platform::Narrow(key);
    GetWindowRect(note ? note : box, &last);
  }
  EXPECT_LE(last.bottom, frame.bottom);

  SendMessageW(options.Control(ids::Command1), BM_CLICK, 0, 0);
  EXPECT_EQ(Stored(L"WindowsShutdown"), L"0");
  EXPECT_EQ(Stored(L"TempMinAgeHours"), L"24");
  EXPECT_EQ(Stored(L"RulesCheckWeekly"), L"1");
  EXPECT_EQ(Stored(L"CleanOnCloseChrome"), L"0");
}

TEST_F(OptionsWindowTest, AutomaticSaysSoWhenNoBrowserIsFound) {
  dialogs::OptionsWindow automatic{settings::BossKeySwitch{}, program.Path(), {}};
  ASSERT_TRUE(automatic.Create(nullptr, false));
  EXPECT_EQ(WindowText(automatic.Control(ids::NoBrowserLabel)),
            L"None of the browsers this option serves was found on this computer.");
  EXPECT_EQ(automatic.Control(ids::chkCleanOnClose), nullptr);
}

}  // namespace

// Cleaning every user needs administrator rights: the box is there only with them, below the
// schedule, and its choice goes to "AllUsers"; without them it stays hidden and the stored choice as
// it was.
TEST_F(OptionsWindowTest, TheEveryUserBoxShowsOnlyWithAdministratorRightsAndStoresAllUsers) {
  for (bool administrator : {true, false}) {
    Store(L"AllUsers", L"1");
    dialogs::OptionsWindow options(settings::BossKeySwitch{}, program.Path());
    options.SetAdministratorCheck([&] { return administrator; });
    ASSERT_TRUE(options.Create(nullptr, false));
    HWND tab = options.Control(ids::SSTab1);
    SendMessageW(tab, TCM_SETCURSEL, 1, 0);
    NMHDR header{tab, ids::SSTab1, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(options.Handle(), WM_NOTIFY, ids::SSTab1, reinterpret_cast<LPARAM>(&header));
    HWND box = options.Control(ids::chkAllUsers);
    EXPECT_EQ(Shown(box), administrator);
    EXPECT_EQ(IsDlgButtonChecked(options.Handle(), ids::chkAllUsers), static_cast<UINT>(BST_CHECKED));
    if (administrator) {
      EXPECT_EQ(WindowText(box), L"Clean e&very user of this computer");
      SendMessageW(box, BM_CLICK, 0, 0);
    }
    SendMessageW(options.Control(ids::Command1), BM_CLICK, 0, 0);
    EXPECT_EQ(Stored(L"AllUsers"), administrator ? L"0" : L"1") << administrator;
  }
}

// Where no Run key takes the entry, OK says why and the box is stored as it really is, off; the
// user's own key alone is told once, as the box is ticked, and the machine's key needs no word.
TEST_F(OptionsWindowTest, OkTellsWhereTheStartWithWindowsEntryCouldNotGo) {
  const std::wstring refusedEverywhere =
      L"Trellwipe could not set itself to start with Windows: this needs administrator rights.";
  const std::wstring userOnly =
      L"Trellwipe starts with Windows for you only: starting it for every user of this computer needs "
      L"administrator rights.";
  const struct {
    LONG machine, user;
    const wchar_t* storedBefore;
    std::wstring told;  // empty: nothing
    const wchar_t* storedAfter;
  } cases[] = {
      {ERROR_SUCCESS, ERROR_SUCCESS, L"0", L"", L"1"},
      {ERROR_ACCESS_DENIED, ERROR_SUCCESS, L"0", userOnly, L"1"},
      {ERROR_ACCESS_DENIED, ERROR_SUCCESS, L"1", L"", L"1"},
      {ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED, L"1", refusedEverywhere, L"0"},
  };
  for (const auto& c : cases) {
    Store(L"startup", c.storedBefore);
    MessageRecorder messages;
    std::vector<HKEY> written;
    dialogs::OptionsWindow options(settings::BossKeySwitch{}, program.Path());
    options.SetRunValueWriter([&](HKEY root, const std::wstring&) {
      written.push_back(root);
      return root == HKEY_LOCAL_MACHINE ? c.machine : c.user;
    });
    ASSERT_TRUE(options.Create(nullptr, false));
    CheckDlgButton(options.Handle(), ids::Check2, BST_CHECKED);
    SendMessageW(options.Control(ids::Command1), BM_CLICK, 0, 0);
    EXPECT_TRUE(options.Accepted());
    EXPECT_EQ(written.front(), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(messages.Texts(), c.told.empty() ? std::vector<std::wstring>{} : std::vector<std::wstring>{c.told})
        << c.machine << c.storedBefore;
    EXPECT_EQ(Stored(L"startup"), c.storedAfter) << c.machine << c.user;
  }
}
