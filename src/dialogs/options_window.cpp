#include "dialogs/options_window.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "platform/languages.h"
#include "platform/translation.h"
#include "platform/user_profiles.h"
#include "platform/window_text.h"
#include "settings/item_flags.h"
#include "settings/policies.h"
#include "toolkit/dialog_template.h"
#include "toolkit/messages.h"

namespace dialogs {

namespace {

using namespace option_ids;
using platform::TrLater;
using toolkit::DialogItem;
using toolkit::kButtonClass;
using toolkit::kComboBoxClass;
using toolkit::kEditClass;
using toolkit::kStaticClass;

// The tabs in their order, each with the hundreds of its controls' identifiers.
struct Tab {
  const wchar_t* title;
  int hundreds;
};
constexpr Tab kTabs[] = {{TrLater(L"General"), 11},   {TrLater(L"Schedule"), 12}, {TrLater(L"Homepage"), 13},
                         {TrLater(L"Automatic"), 14}, {TrLater(L"Cleaning"), 15}, {TrLater(L"Appearance"), 16}};
// With a blank after each comma and full stop: without them the label could break a line only
// inside a word.
constexpr const wchar_t* kBossKeyText = TrLater(
    L"If this is checked, you can press the Hotkey Windows key + Z to hide all IE windows, and windows key + Shift + "
    L"Z to show all IE windows. you can hide the browser windows and folder windows when your boss or anyone else "
    L"you don't want to see your screen comes in.");

constexpr DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;
// The day boxes toggle themselves: an automatic three-state box would offer the greyed state to a click.
constexpr DWORD kDayCheck = BS_3STATE | WS_TABSTOP;
constexpr DWORD kFrame = BS_GROUPBOX;

// The tab a control sits on; -1 for the tab control and the two buttons, which belong to none.
int PageOf(int id) {
  for (size_t page = 0; page < std::size(kTabs); ++page) {
    if (id / 100 == kTabs[page].hundreds) return static_cast<int>(page);
  }
  return -1;
}

constexpr const wchar_t* kTempAgeNote = TrLater(
    L"Windows Temp, your temporary folder and the shipped rules for them leave younger files alone: an "
    L"installer or a running program may still need them.");

void FillAgeChoices(HWND combo, int hours) {
  for (const settings::AgeChoice& choice : settings::kAgeChoices)
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(platform::Tr(choice.text)));
  for (size_t i = 0; i < std::size(settings::kAgeChoices); ++i) {
    if (settings::kAgeChoices[i].hours == hours) SendMessageW(combo, CB_SETCURSEL, i, 0);
  }
}

int ChosenHours(HWND combo) {
  LRESULT chosen = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  return chosen >= 0 && static_cast<size_t>(chosen) < std::size(settings::kAgeChoices)
             ? settings::kAgeChoices[chosen].hours
             : 0;
}

void FillAppearanceChoices(HWND combo, platform::Appearance appearance) {
  for (size_t i = 0; i < std::size(settings::kAppearanceChoices); ++i) {
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(platform::Tr(settings::kAppearanceChoices[i].text)));
    if (settings::kAppearanceChoices[i].appearance == appearance) SendMessageW(combo, CB_SETCURSEL, i, 0);
  }
}

constexpr const wchar_t* kCleanOnCloseText = TrLater(L"Clean this browser's ticked items when its last window closes");

// The controls that every opening has, tab by tab, in the order they are made, which is the tab order;
// the browsers' rows follow them.
constexpr DialogItem kItems[] = {
    // "General"
    {kButtonClass, kFrame, TrLater(L"General"), 12, 24, 256, 84, GeneralFrame},
    {kButtonClass, kCheck | WS_GROUP, TrLater(L"&Load Trellwipe on Windows Start Up"), 20, 36, 240, 10, Check2},
    {kButtonClass, kCheck, TrLater(L"Automatically &check for new versions"), 20, 50, 240, 10, Check3},
    {kButtonClass, kCheck, TrLater(L"E&xit after cleaning"), 20, 64, 240, 10, Check4},
    {kButtonClass, kCheck, TrLater(L"Enable &Securely Cleaning"), 20, 78, 240, 10, Check6},
    {kButtonClass, kCheck, TrLater(L"Check for new rules &once a week"), 20, 92, 240, 10, chkRulesWeekly},
    {kStaticClass, SS_LEFT, L"", 32, 101, 228, 8, noteRulesWeekly},
    {kStaticClass, SS_LEFT, TrLater(L"Lan&guage:"), 20, 116, 60, 10, LanguageLabel},
    {kComboBoxClass, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, L"", 84, 114, 120, 100, cmbLanguage},
    {kButtonClass, kFrame, TrLater(L"Boss Key"), 12, 130, 256, 92, BossKeyFrame},
    {kButtonClass, kCheck, TrLater(L"Enable &Boss Key"), 20, 142, 110, 10, Check1},
    {kStaticClass, SS_RIGHT, TrLater(L"Windows &key +"), 132, 143, 84, 10, BossKeyLetterLabel},
    {kComboBoxClass, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, L"", 220, 141, 40, 160, cmbBossKeyLetter},
    {kStaticClass, SS_LEFT, kBossKeyText, 20, 156, 228, 44, BossKeyLabel},
    {kStaticClass, SS_LEFT, L"", 20, 202, 240, 18, BossKeyTaken},
    // "Schedule"
    {kButtonClass, kFrame, TrLater(L"Schedule"), 12, 24, 256, 92, ScheduleFrame},
    {kStaticClass, SS_LEFT, TrLater(L"Start clean &at"), 20, 38, 60, 10, StartCleanLabel},
    {kComboBoxClass, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP, L"", 84, 36, 60, 120, cmbStartTime},
    {kStaticClass, SS_LEFT, L"", 150, 38, 110, 10, noteStartTime},
    {kButtonClass, kDayCheck, TrLater(L"S&unday"), 20, 56, 56, 10, chkSunday},
    {kButtonClass, kDayCheck, TrLater(L"&Monday"), 80, 56, 56, 10, chkMonday},
    {kButtonClass, kDayCheck, TrLater(L"&Tuesday"), 140, 56, 56, 10, chkTuesday},
    {kButtonClass, kDayCheck, TrLater(L"&Wednesday"), 200, 56, 56, 10, chkWednesday},
    {kButtonClass, kDayCheck, TrLater(L"T&hursday"), 20, 70, 56, 10, chkThursday},
    {kButtonClass, kDayCheck, TrLater(L"&Friday"), 80, 70, 56, 10, chkFriday},
    {kButtonClass, kDayCheck, TrLater(L"Satu&rday"), 140, 70, 56, 10, chkSaturday},
    {kButtonClass, kCheck, TrLater(L"Run &daily"), 20, 90, 100, 10, chkDaily},
    {kStaticClass, SS_LEFT, L"", 130, 90, 130, 10, noteDays},
    {kButtonClass, kFrame, TrLater(L"Schedule"), 12, 120, 256, 56, RunAtFrame},
    {kStaticClass, SS_LEFT, TrLater(L"Run Cleaning at"), 20, 134, 100, 10, RunAtLabel},
    {kButtonClass, kCheck, TrLater(L"Windows Startu&p"), 20, 150, 100, 10, Check7},
    {kButtonClass, kCheck, TrLater(L"Windows Shutdow&n"), 130, 150, 100, 10, Check8},
    {kStaticClass, SS_LEFT, L"", 20, 161, 108, 10, noteStartup},
    {kStaticClass, SS_LEFT, L"", 130, 161, 130, 10, noteShutdown},
    {kButtonClass, kCheck, TrLater(L"Clean e&very user of this computer"), 20, 180, 240, 10, chkAllUsers},
    {kStaticClass, SS_LEFT, L"", 20, 191, 240, 10, noteAllUsers},
    // "Homepage"
    {kButtonClass, kFrame, L"", 12, 24, 256, 40, HomepageFrame},
    {kStaticClass, SS_LEFT, TrLater(L"Internet Explorer Home Page Settings"), 20, 34, 240, 10, HomepageLabel},
    {kStaticClass, SS_LEFT, TrLater(L"Prevent your home page from being changed by websites"), 20, 48, 240, 10,
     PreventLabel},
    {kButtonClass, kFrame, TrLater(L"IE Home Page"), 12, 70, 256, 56, IeHomePageFrame},
    {kStaticClass, SS_LEFT, TrLater(L"R&eset HomePage To"), 20, 86, 76, 10, ResetLabel},
    {kEditClass, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_GROUP, L"", 100, 84, 160, 12, Text1},
    {kStaticClass, SS_LEFT, TrLater(L"W&indow Title"), 20, 106, 76, 10, TitleLabel},
    {kEditClass, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, L"", 100, 104, 160, 12, Text2},
    // "Cleaning"
    {kButtonClass, kFrame, TrLater(L"Temporary files"), 12, 24, 256, 86, TempAgeFrame},
    {kStaticClass, SS_LEFT, TrLater(L"Erase only files last changed at least this long a&go:"), 20, 38, 240, 10,
     TempAgeLabel},
    {kComboBoxClass, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP, L"", 20, 50, 80, 100, cmbTempAge},
    {kStaticClass, SS_LEFT, L"", 106, 52, 154, 10, noteTempAge},
    {kStaticClass, SS_LEFT, kTempAgeNote, 20, 66, 240, 26, TempAgeNote},
    {kButtonClass, kCheck, TrLater(L"Appl&y this age to my custom folders too"), 20, 94, 240, 10, chkCustomAge},
    {kButtonClass, kFrame, TrLater(L"Recycle Bin"), 12, 116, 256, 46, RecycleAgeFrame},
    {kStaticClass, SS_LEFT, TrLater(L"Erase only items deleted at least this long ag&o:"), 20, 130, 240, 10,
     RecycleAgeLabel},
    {kComboBoxClass, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, L"", 20, 142, 80, 100, cmbRecycleAge},
    // "Automatic"
    // "Appearance"
    {kButtonClass, kFrame, TrLater(L"Colours"), 12, 24, 256, 62, AppearanceFrame},
    {kStaticClass, SS_LEFT, TrLater(L"&Appearance:"), 20, 38, 60, 10, AppearanceLabel},
    {kComboBoxClass, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP, L"", 84, 36, 80, 60, cmbAppearance},
    {kStaticClass, SS_LEFT, TrLater(L"A high-contrast theme of Windows is always followed."), 20, 56, 240, 20,
     AppearanceNote},
};

// The controls an option's policy fixes, with the note beside them; the schedule's days fix the day
// boxes too.
struct FixableControl {
  const wchar_t* option;  // in section "Options"
  WORD control;
  WORD note;
};
constexpr FixableControl kFixable[] = {
    {settings::kRulesCheckKey, chkRulesWeekly, noteRulesWeekly},
    {L"CleanTime", cmbStartTime, noteStartTime},
    {L"CleanDays", chkDaily, noteDays},
    {L"WindowsStartup", Check7, noteStartup},
    {L"WindowsShutdown", Check8, noteShutdown},
    {L"AllUsers", chkAllUsers, noteAllUsers},
    {L"TempMinAgeHours", cmbTempAge, noteTempAge},
};

bool BrowserFixed(const catalogue::ClosingBrowser* browser) {
  return settings::OptionFixed(settings::PoliciesInForce(), browser->key);
}

// The top of each browser's row, then the bottom of the last: a row a policy fixes has its note under
// its box.
std::vector<short> BrowserRowTops(const std::vector<const catalogue::ClosingBrowser*>& browsers) {
  std::vector<short> tops{38};
  for (const catalogue::ClosingBrowser* browser : browsers) {
    tops.push_back(static_cast<short>(tops.back() + (BrowserFixed(browser) ? 29 : 21)));
  }
  return tops;
}

toolkit::DialogTemplate OptionsTemplate(const std::vector<const catalogue::ClosingBrowser*>& browsers) {
  const std::vector<short> tops = BrowserRowTops(browsers);
  // The window grows by what the rows need below the frame's usual bottom.
  const auto grown = static_cast<short>(std::max(0, tops.back() - 186));
  toolkit::DialogTemplate d(DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 280,
                            static_cast<short>(254 + grown), TrLater(L"Options"));
  d.Item(WC_TABCONTROLW, WS_CLIPSIBLINGS | WS_TABSTOP, L"Pages", 6, 6, 268, static_cast<short>(220 + grown), SSTab1);
  d.Items(kItems);
  d.Item(kButtonClass, kFrame, TrLater(L"When a browser closes"), 12, 24, 256, static_cast<short>(166 + grown),
         AutomaticFrame);
  if (browsers.empty()) {
    d.Item(kStaticClass, SS_LEFT, TrLater(L"None of the browsers this option serves was found on this computer."), 20,
           38, 240, 20, NoBrowserLabel);
  }
  for (size_t row = 0; row < browsers.size(); ++row) {
    const short y = tops[row];
    auto id = static_cast<WORD>(row);
    d.Item(kStaticClass, SS_LEFT | SS_NOPREFIX, browsers[row]->name, 20, static_cast<short>(y + 4), 66, 10,
           static_cast<WORD>(BrowserName + id));
    d.Item(kButtonClass, kCheck | BS_MULTILINE | (row == 0 ? WS_GROUP : 0), kCleanOnCloseText, 90, y, 172, 18,
           static_cast<WORD>(chkCleanOnClose + id));
    if (BrowserFixed(browsers[row])) {
      d.Item(kStaticClass, SS_LEFT, L"", 102, static_cast<short>(y + 18), 160, 8,
             static_cast<WORD>(noteCleanOnClose + id));
    }
  }
  d.Item(kButtonClass, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, TrLater(L"OK"), 164, static_cast<short>(232 + grown),
         50, 14, Command1);
  d.Item(kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, TrLater(L"Cancel"), 220, static_cast<short>(232 + grown), 50, 14,
         Command2);
  return d;
}

void InsertTabs(HWND tab) {
  for (size_t i = 0; i < std::size(kTabs); ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(platform::Tr(kTabs[i].title));
    SendMessageW(tab, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  // The pages' controls are the tab control's siblings and must stay above it.
  SetWindowPos(tab, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void RegisterTabClass() {
  INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_TAB_CLASSES};
  InitCommonControlsEx(&classes);
}

}  // namespace

OptionsWindow::OptionsWindow(settings::BossKeySwitch bossKey, std::wstring programFolder,
                             std::vector<const catalogue::ClosingBrowser*> browsers)
    : Dialog(programFolder, {{chkDaily, BN_CLICKED, [this] { TickEveryDay(); }},
                             {Check1, BN_CLICKED, [this] { ShowBossKeyState(); }},
                             {cmbBossKeyLetter, CBN_SELCHANGE, [this] { ShowBossKeyState(); }},
                             {Command1, BN_CLICKED, [this] { Accept(); }},
                             {Command2, BN_CLICKED, [this] { Close(IDCANCEL); }}}),
      bossKey_(std::move(bossKey)),
      programFolder_(std::move(programFolder)),
      browsers_(std::move(browsers)),
      isAdministrator_(platform::RunsAsAdministrator) {}

std::vector<const catalogue::ClosingBrowser*> OptionsWindow::FoundBrowsers() {
  return catalogue::FoundClosingBrowsers(run::ComputeProcessValues());
}

toolkit::DialogTemplate OptionsWindow::Template() const {
  RegisterTabClass();
  return OptionsTemplate(browsers_);
}

void OptionsWindow::Load() {
  accepted_ = false;

  InsertTabs(Control(SSTab1));
  own_ = settings::LoadOptions(programFolder_);
  settings::Options options = own_;
  settings::ApplyPolicies(settings::PoliciesInForce(), options);
  shownStartPage_ = options.startPage;
  shownWindowTitle_ = options.windowTitle;
  SetWindowTextW(Control(Text1), options.startPage.c_str());
  SetWindowTextW(Control(Text2), options.windowTitle.c_str());
  auto tick = [&](WORD id, bool on) { CheckDlgButton(Handle(), id, on ? BST_CHECKED : BST_UNCHECKED); };
  tick(Check1, options.bossKey);
  HWND letters = Control(cmbBossKeyLetter);
  for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
    const wchar_t text[] = {letter, L'\0'};
    SendMessageW(letters, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  }
  SendMessageW(letters, CB_SETCURSEL, options.bossKeyLetter - L'A', 0);
  ShowBossKeyState();
  tick(Check2, options.startup);
  tick(Check3, options.autoCheck);
  tick(Check4, options.exitAfter);
  tick(Check6, options.securely);
  tick(Check7, options.windowsStartup);
  tick(Check8, options.windowsShutdown);
  tick(chkRulesWeekly, options.weeklyRulesCheck);
  tick(chkAllUsers, options.allUsers);
  administrator_ = isAdministrator_();
  for (size_t row = 0; row < browsers_.size(); ++row) {
    tick(static_cast<WORD>(chkCleanOnClose + row),
         settings::OptionSwitch(settings::SettingsFile(programFolder_), browsers_[row]->key));
  }
  HWND times = Control(cmbStartTime);
  for (const std::wstring& time : settings::StartTimes()) {
    SendMessageW(times, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(time.c_str()));
  }
  for (int day = 0; day < 7; ++day) {
    CheckDlgButton(Handle(), chkSunday + day, static_cast<UINT>(options.days[static_cast<size_t>(day)]));
  }
  // A stored time that the list does not hold leaves the list showing no text.
  LRESULT match = options.cleanTime.empty() ? CB_ERR
                                            : SendMessageW(times, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                           reinterpret_cast<LPARAM>(options.cleanTime.c_str()));
  SendMessageW(times, CB_SETCURSEL, match == CB_ERR ? static_cast<WPARAM>(-1) : static_cast<WPARAM>(match), 0);
  FillAgeChoices(Control(cmbTempAge), options.ages.tempHours);
  FillAgeChoices(Control(cmbRecycleAge), options.ages.recycleHours);
  tick(chkCustomAge, options.ages.customFolders);
  ShowFixed();
  FillAppearanceChoices(Control(cmbAppearance), options.appearance);
  FillLanguages();
  ShowPage(0);
}

void OptionsWindow::ShowFixed() {
  const settings::Policies& policies = settings::PoliciesInForce();
  auto fix = [&](WORD control, WORD note) {
    EnableWindow(Control(control), FALSE);
    SetWindowTextW(Control(note), platform::Tr(settings::kSetByOrganisation));
  };
  for (const FixableControl& fixable : kFixable) {
    if (settings::OptionFixed(policies, fixable.option)) fix(fixable.control, fixable.note);
  }
  if (settings::OptionFixed(policies, L"CleanDays")) {
    for (WORD day = 0; day < 7; ++day) EnableWindow(Control(chkSunday + day), FALSE);
  }
  for (size_t row = 0; row < browsers_.size(); ++row) {
    if (settings::OptionFixed(policies, browsers_[row]->key)) {
      fix(static_cast<WORD>(chkCleanOnClose + row), static_cast<WORD>(noteCleanOnClose + row));
    }
  }
}

void OptionsWindow::ShowPage(int page) {
  page_ = page;
  EnumChildWindows(
      Handle(),
      [](HWND child, LPARAM shown) {
        int id = GetDlgCtrlID(child);
        int childPage = PageOf(id);
        if (childPage >= 0) ShowWindow(child, childPage == shown ? SW_SHOWNA : SW_HIDE);
        return TRUE;
      },
      page);
  if (!administrator_) {
    ShowWindow(Control(chkAllUsers), SW_HIDE);
    ShowWindow(Control(noteAllUsers), SW_HIDE);
  }
  // The frames do not paint their insides: what the hidden page drew there is painted over.
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

INT_PTR OptionsWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      // A day box toggles itself (see kDayCheck).
      const WORD id = LOWORD(wParam);
      if (HIWORD(wParam) != BN_CLICKED || id < chkSunday || id >= chkSunday + 7) return FALSE;
      CheckDlgButton(Handle(), id, IsDlgButtonChecked(Handle(), id) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
      return TRUE;
    }
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->idFrom == SSTab1 && header->code == TCN_SELCHANGE) {
        ShowPage(static_cast<int>(SendMessageW(header->hwndFrom, TCM_GETCURSEL, 0, 0)));
      }
      return TRUE;
    }
  }
  return FALSE;
}

void OptionsWindow::TickEveryDay() {
  UINT state = IsDlgButtonChecked(Handle(), chkDaily) == BST_CHECKED ? BST_CHECKED : BST_UNCHECKED;
  for (int day = 0; day < 7; ++day) CheckDlgButton(Handle(), chkSunday + day, state);
}

settings::Options OptionsWindow::Read() const {
  auto ticked = [&](WORD id) { return IsDlgButtonChecked(Handle(), id) == BST_CHECKED; };
  settings::Options options;
  options.bossKey = ticked(Check1);
  options.bossKeyLetter = ChosenLetter();
  options.startup = ticked(Check2);
  options.autoCheck = ticked(Check3);
  options.exitAfter = ticked(Check4);
  options.securely = ticked(Check6);
  options.windowsStartup = ticked(Check7);
  options.windowsShutdown = ticked(Check8);
  options.weeklyRulesCheck = ticked(chkRulesWeekly);
  options.allUsers = ticked(chkAllUsers);
  for (int day = 0; day < 7; ++day) {
    UINT state = IsDlgButtonChecked(Handle(), chkSunday + day);
    options.days[static_cast<size_t>(day)] = state == BST_CHECKED         ? settings::BoxState::Ticked
                                             : state == BST_INDETERMINATE ? settings::BoxState::Greyed
                                                                          : settings::BoxState::Unticked;
  }
  options.cleanTime = platform::WindowText(Control(cmbStartTime));
  options.startPage = platform::WindowText(Control(Text1));
  options.windowTitle = platform::WindowText(Control(Text2));
  for (size_t row = 0; row < browsers_.size(); ++row) {
    options.cleanOnClose.emplace_back(browsers_[row]->key, ticked(static_cast<WORD>(chkCleanOnClose + row)));
  }
  options.startPageChanged = options.startPage != shownStartPage_;
  options.windowTitleChanged = options.windowTitle != shownWindowTitle_;
  options.ages.tempHours = ChosenHours(Control(cmbTempAge));
  options.ages.recycleHours = ChosenHours(Control(cmbRecycleAge));
  options.ages.customFolders = ticked(chkCustomAge);
  settings::ApplyPolicies(settings::PoliciesInForce(), options, &own_);
  const LRESULT appearance = SendMessageW(Control(cmbAppearance), CB_GETCURSEL, 0, 0);
  if (appearance >= 0 && static_cast<size_t>(appearance) < std::size(settings::kAppearanceChoices)) {
    options.appearance = settings::kAppearanceChoices[appearance].appearance;
  }
  const LRESULT language = SendMessageW(Control(cmbLanguage), CB_GETCURSEL, 0, 0);
  options.language = language >= 0 && static_cast<size_t>(language) < languages_.size() ? languages_[language] : L"";
  return options;
}

void OptionsWindow::FillLanguages() {
  languages_ = {L"", platform::kEnglish};
  for (const std::wstring& code : platform::InstalledLanguages(programFolder_)) languages_.push_back(code);
  if (std::find(languages_.begin(), languages_.end(), own_.language) == languages_.end()) {
    languages_.push_back(own_.language);
  }
  HWND combo = Control(cmbLanguage);
  for (size_t i = 0; i < languages_.size(); ++i) {
    const std::wstring name = i == 0 ? platform::Tr(L"as Windows") : platform::LanguageName(languages_[i]);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    if (languages_[i] == own_.language) SendMessageW(combo, CB_SETCURSEL, i, 0);
  }
}

wchar_t OptionsWindow::ChosenLetter() const {
  LRESULT chosen = SendMessageW(Control(cmbBossKeyLetter), CB_GETCURSEL, 0, 0);
  return chosen >= 0 && chosen < 26 ? static_cast<wchar_t>(L'A' + chosen) : L'Z';
}

void OptionsWindow::ShowBossKeyState() {
  const wchar_t letter = ChosenLetter();
  bool taken = IsDlgButtonChecked(Handle(), Check1) == BST_CHECKED && bossKey_.free && !bossKey_.free(letter);
  std::wstring text;
  if (taken) {
    text = platform::Fill(platform::Tr(L"Windows key + {letter} is taken by another program: choose another key."),
                          {{L"letter", std::wstring(1, letter)}});
  }
  SetWindowTextW(Control(BossKeyTaken), text.c_str());
}

void OptionsWindow::Accept() {
  // The window stays open with the user's choices, so that they can be saved once the file allows it.
  const settings::Options options = Read();
  auto saved = settings::SaveOptions(programFolder_, options, bossKey_, writeRun_);
  if (!saved) {
    toolkit::Tell(Handle(),
                  platform::Fill(platform::Tr(L"Can't write {file} ({reason}): the options are not saved."),
                                 {{L"file", settings::SettingsFile(programFolder_)}, {L"reason", saved.Reason()}}));
    return;
  }
  if (*saved) toolkit::Tell(Handle(), **saved);
  if (options.language != own_.language) {
    toolkit::Tell(Handle(), platform::Tr(L"Trellwipe shows the language chosen from its next start."));
  }
  accepted_ = true;
  Close(IDOK);
}

bool ShowOptions(HWND owner, const std::wstring& programFolder, settings::BossKeySwitch bossKey) {
  return OptionsWindow(std::move(bossKey), programFolder).ShowModal(owner) == IDOK;
}

}  // namespace dialogs
