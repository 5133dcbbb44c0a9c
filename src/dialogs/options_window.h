#pragma once
// "Options": everything that is not a cleaning item.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "catalogue/closing_browsers.h"
#include "settings/options.h"
#include "toolkit/dialog.h"

namespace dialogs {

// Control identifiers of `Frmoption`. The hundreds name the tab a control sits on.
namespace option_ids {
constexpr WORD SSTab1 = 1000;
constexpr WORD Command1 = IDOK;
constexpr WORD Command2 = IDCANCEL;
// "General"
constexpr WORD GeneralFrame = 1101, Check2 = 1102, Check3 = 1103, Check4 = 1104, Check6 = 1106, chkRulesWeekly = 1107;
// Beside each box a policy may fix: "Set by your organisation" while it does, else nothing.
constexpr WORD noteRulesWeekly = 1108;
constexpr WORD BossKeyFrame = 1110, Check1 = 1111, BossKeyLabel = 1112;
constexpr WORD BossKeyLetterLabel = 1113, cmbBossKeyLetter = 1114, BossKeyTaken = 1115;
constexpr WORD LanguageLabel = 1116, cmbLanguage = 1117;
// "Schedule"
constexpr WORD ScheduleFrame = 1201, StartCleanLabel = 1202, cmbStartTime = 1203, noteStartTime = 1204;
constexpr WORD chkSunday = 1210, chkMonday = 1211, chkTuesday = 1212, chkWednesday = 1213, chkThursday = 1214;
constexpr WORD chkFriday = 1215, chkSaturday = 1216;
constexpr WORD chkDaily = 1220, noteDays = 1221;
constexpr WORD RunAtFrame = 1230, RunAtLabel = 1231, Check7 = 1232, Check8 = 1233, noteStartup = 1234;
constexpr WORD noteShutdown = 1235;
constexpr WORD chkAllUsers = 1240, noteAllUsers = 1241;  // shown only with administrator rights
// "Homepage"
constexpr WORD HomepageFrame = 1301, HomepageLabel = 1302, PreventLabel = 1303;
constexpr WORD IeHomePageFrame = 1310, ResetLabel = 1311, Text1 = 1312, TitleLabel = 1313, Text2 = 1314;
// "Cleaning"
constexpr WORD TempAgeFrame = 1501, TempAgeLabel = 1502, cmbTempAge = 1503, TempAgeNote = 1504, chkCustomAge = 1505;
constexpr WORD noteTempAge = 1506;
constexpr WORD RecycleAgeFrame = 1510, RecycleAgeLabel = 1511, cmbRecycleAge = 1512;
// "Appearance"
constexpr WORD AppearanceFrame = 1601, AppearanceLabel = 1602, cmbAppearance = 1603, AppearanceNote = 1604;
// "Automatic": one row per browser found, its name and its box, in the order of the browsers given.
constexpr WORD AutomaticFrame = 1401, NoBrowserLabel = 1402;
constexpr WORD BrowserName = 1410;       // to 1419
constexpr WORD chkCleanOnClose = 1420;   // to 1429
constexpr WORD noteCleanOnClose = 1430;  // to 1439: under each box a policy fixes, and only there
}  // namespace option_ids

class OptionsWindow : public toolkit::Dialog {
 public:
  // `bossKey` arms or disarms the boss key when OK changes it; `browsers` are those offered a cleaning
  // when they close (the ones found on this computer).
  OptionsWindow(settings::BossKeySwitch bossKey, std::wstring programFolder,
                std::vector<const catalogue::ClosingBrowser*> browsers = FoundBrowsers());
  static std::vector<const catalogue::ClosingBrowser*> FoundBrowsers();

  // The tab shown, counted from 0.
  int Page() const { return page_; }
  // Whether the program runs with administrator rights, asked at load; the system by default.
  void SetAdministratorCheck(std::function<bool()> check) { isAdministrator_ = std::move(check); }
  // How OK writes the Run entry's value; the system's registry by default.
  void SetRunValueWriter(settings::RunValueWriter write) { writeRun_ = std::move(write); }
  bool Accepted() const { return accepted_; }

 private:
  toolkit::DialogTemplate Template() const override;
  void Load() override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void ShowPage(int page);
  // Says whether another program holds the chosen boss key, while the boss key is on.
  void ShowBossKeyState();
  wchar_t ChosenLetter() const;
  // "Run daily" gives every day its state.
  void TickEveryDay();
  // The languages to choose from: Windows' (empty), English, each installed one, and the one stored.
  void FillLanguages();
  // Greys each control a policy fixes and writes the note beside it.
  void ShowFixed();
  // The options the controls show, with the user's own value kept for each one a policy fixes.
  settings::Options Read() const;
  void Accept();

  settings::BossKeySwitch bossKey_;
  std::wstring programFolder_;
  std::vector<const catalogue::ClosingBrowser*> browsers_;
  // The Internet Explorer texts as the window showed them at load.
  std::wstring shownStartPage_, shownWindowTitle_;
  // The options as stored, without the policies over them.
  settings::Options own_;
  bool accepted_ = false;
  int page_ = 0;
  std::function<bool()> isAdministrator_;
  settings::RunValueWriter writeRun_ = settings::WriteRunValue;
  // The codes the language list shows, in its order.
  std::vector<std::wstring> languages_;
  // Cleaning every user needs administrator rights: without them its box stays hidden, and unchanged.
  bool administrator_ = false;
};

// Opens the window modally. True when the user pressed OK, so that the caller reloads its copy of the
// schedule.
bool ShowOptions(HWND owner, const std::wstring& programFolder, settings::BossKeySwitch bossKey);

}  // namespace dialogs
