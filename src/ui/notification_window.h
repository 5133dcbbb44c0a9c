#pragma once
// The notification pop-up (frmNotification) and the system that queues requests for it.
#include <windows.h>

#include <functional>
#include <string>

#include "platform/handles.h"
#include "toolkit/window_class.h"
#include "ui/notification_queue.h"

namespace ui {

// Starts the wave file and returns at once; an empty path or a file that cannot play stays silent,
// never the default system sound.
void PlayNotificationSound(const std::wstring& path);
// Above all non-topmost windows, without moving or resizing it.
void MakeTopmost(HWND window);

class NotificationWindow : public NotificationPopup {
 public:
  static constexpr UINT_PTR kPopupTimer = 1;  // tmrPopupController
  static constexpr int kIconId = 101;
  static constexpr int kTitleId = 102;
  static constexpr int kDescriptionId = 103;
  static constexpr int kBorderId = 104;
  using KeyHandler = std::function<void(const std::wstring& key)>;
  using SoundPlayer = std::function<void(const std::wstring& path)>;

  // Creates the pop-up hidden at its designed size and reads the work area.
  NotificationWindow(HINSTANCE instance, KeyHandler clicked, std::function<void()> finished,
                     SoundPlayer sound = PlayNotificationSound);
  NotificationWindow(const NotificationWindow&) = delete;
  NotificationWindow& operator=(const NotificationWindow&) = delete;

  const run::NotificationRequest& Request() const override { return request_; }
  void ShowNotification(const run::NotificationRequest& request) override;
  void UpdateNotification(const run::NotificationRequest& request) override;

  // Null once the pop-up has unloaded.
  HWND Handle() const { return window_.get(); }
  HWND Control(int id) const { return GetDlgItem(window_.get(), id); }
  const PopupAnimation& Animation() const { return animation_; }
  unsigned TimerInterval() const { return interval_; }

 private:
  template <typename T>
  friend LRESULT CALLBACK toolkit::ObjectProcedure(HWND, UINT, WPARAM, LPARAM);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void ApplyRequest();
  void Place();
  void StartTimer(unsigned interval);
  void Tick();
  int ToPixels(int twips) const { return MulDiv(twips, dpi_, 1440); }
  int ToTwips(int pixels) const { return MulDiv(pixels, 1440, dpi_); }

  KeyHandler clicked_;
  std::function<void()> finished_;
  SoundPlayer sound_;
  run::NotificationRequest request_;
  int dpi_ = 96;
  PopupAnimation animation_{0, 0, 0};
  unsigned interval_ = PopupAnimation::kStepInterval;
  platform::Font titleFont_;
  platform::Font descriptionFont_;
  platform::Icon icon_;
  HWND hwnd_ = nullptr;  // the pop-up while its procedure runs
  platform::Window window_;
  platform::Timer timer_;
};

// Owns the waiting requests and the pop-up on screen; a hidden window's timer hands the next request
// to a new pop-up every half second.
class NotificationSystem {
 public:
  static constexpr UINT_PTR kDispatchTimer = 1;  // tmrShowPopup
  static constexpr unsigned kDispatchInterval = 500;

  NotificationSystem(HINSTANCE instance, NotificationWindow::KeyHandler clicked,
                     NotificationWindow::SoundPlayer sound = PlayNotificationSound);
  NotificationSystem(const NotificationSystem&) = delete;
  NotificationSystem& operator=(const NotificationSystem&) = delete;

  void Queue(const run::NotificationRequest& request) { dispatcher_.Queue(request); }
  // The window that receives the dispatch timer; null when the platform refused it.
  HWND Host() const { return host_.get(); }
  NotificationWindow* OnScreen() const { return static_cast<NotificationWindow*>(dispatcher_.OnScreen()); }
  const NotificationDispatcher& Dispatcher() const { return dispatcher_; }

 private:
  template <typename T>
  friend LRESULT CALLBACK toolkit::ObjectProcedure(HWND, UINT, WPARAM, LPARAM);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

  HINSTANCE instance_;
  NotificationWindow::KeyHandler clicked_;
  NotificationWindow::SoundPlayer sound_;
  NotificationDispatcher dispatcher_;
  HWND hwnd_ = nullptr;  // the host while its procedure runs
  platform::Window host_;
  platform::Timer timer_;
};

}  // namespace ui
