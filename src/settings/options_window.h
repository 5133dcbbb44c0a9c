#pragma once
// "Options": everything that is not a cleaning item.
#include <windows.h>

#include <functional>
#include <string>

#include "settings/options.h"

namespace settings {

// Control identifiers of `Frmoption`. The hundreds name the tab a control sits on.
namespace option_ids {
constexpr WORD SSTab1 = 1000;
constexpr WORD Command1 = IDOK;
constexpr WORD Command2 = IDCANCEL;
// "General"
constexpr WORD GeneralFrame = 1101, Check2 = 1102, Check3 = 1103, Check4 = 1104, Check6 = 1106;
constexpr WORD BossKeyFrame = 1110, Check1 = 1111, BossKeyLabel = 1112;
// "Schedule"
constexpr WORD ScheduleFrame = 1201, StartCleanLabel = 1202, cmbStartTime = 1203;
constexpr WORD chkSunday = 1210;  // to chkSaturday = 1216
constexpr WORD chkDaily = 1220;
constexpr WORD RunAtFrame = 1230, RunAtLabel = 1231, Check7 = 1232, Check8 = 1233;
// "Homepage"
constexpr WORD HomepageFrame = 1301, HomepageLabel = 1302, PreventLabel = 1303;
constexpr WORD IeHomePageFrame = 1310, ResetLabel = 1311, Text1 = 1312, TitleLabel = 1313, Text2 = 1314;
}  // namespace option_ids

class OptionsWindow {
 public:
  // The boss key is armed or disarmed on mainWindow; nothing is armed when it is null.
  OptionsWindow(HWND mainWindow, std::wstring programFolder);
  ~OptionsWindow();
  OptionsWindow(const OptionsWindow&) = delete;
  OptionsWindow& operator=(const OptionsWindow&) = delete;

  // Creates and loads the window modeless, so that tests can drive it without a modal loop; false
  // when the platform refused.
  bool Create(HWND owner, bool visible);
  // Creates and loads the window and returns once the user has closed it: true for OK.
  bool ShowModal(HWND owner);

  HWND Handle() const { return hwnd_; }
  HWND Control(WORD id) const { return hwnd_ ? GetDlgItem(hwnd_, id) : nullptr; }
  // The tab shown, counted from 0.
  int Page() const { return page_; }
  bool Accepted() const { return accepted_; }
  // How OK tells the user that the options could not be saved (a message box); tests replace it so
  // that nothing blocks.
  void SetReport(std::function<void(HWND owner, const std::wstring& message)> report) { report_ = std::move(report); }

 private:
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Initialize(HWND hwnd);
  void ShowPage(int page);
  void Clicked(WORD id);
  Options Read() const;
  void Accept();
  void Close();

  HWND mainWindow_;
  std::wstring programFolder_;
  // The Internet Explorer texts as the window showed them at load.
  std::wstring shownStartPage_, shownWindowTitle_;
  bool modal_ = false;
  bool accepted_ = false;
  int page_ = 0;
  HWND hwnd_ = nullptr;
  std::function<void(HWND owner, const std::wstring& message)> report_ = [](HWND owner, const std::wstring& message) {
    MessageBoxW(owner, message.c_str(), L"Trellwipe", MB_OK | MB_ICONEXCLAMATION);
  };
};

// Opens the window modally. The boss key is armed or disarmed on mainWindow when the user changes it.
// True when the user pressed OK, so that the caller reloads its copy of the schedule.
bool ShowOptions(HWND owner, HWND mainWindow, const std::wstring& programFolder);

}  // namespace settings
