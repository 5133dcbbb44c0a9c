#pragma once
// The notification-area icon of the main window: added at load, removed by the exit sequence or when
// the owner goes away.
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace ui {

class TrayIcon {
 public:
  // The icon's mouse events arrive at the owner as this message with the mouse message in lParam.
  // Not the mouse-move message itself: a real mouse move over the window at x = 514 would otherwise
  // read as a left click on the icon.
  static constexpr UINT kCallbackMessage = WM_APP + 1;

  TrayIcon() = default;
  ~TrayIcon() { Remove(); }
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  bool Add(HWND owner, HICON icon, const std::wstring& tip);
  // Adds the icon again after Explorer (re)started: a start with Windows can come before the taskbar.
  void Restore();
  void Remove();
  // Added and not removed since, whether or not a taskbar showed it: without one (no Explorer yet, or
  // no display) the icon comes when the taskbar does.
  bool Active() const { return wanted_; }

 private:
  NOTIFYICONDATAW data_ = {};
  bool wanted_ = false;
  bool shown_ = false;
};

// The message Explorer broadcasts when the taskbar is created anew.
UINT TaskbarCreatedMessage();

}  // namespace ui
