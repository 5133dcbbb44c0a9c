#pragma once
// The notification pop-ups' rules without any window: which request is shown next, how a request
// with a title already on screen is merged, and how the pop-up slides in and out.
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "run/run_view.h"

namespace ui {

// The pop-up as the dispatcher sees it; the window implements it.
class NotificationPopup {
 public:
  virtual ~NotificationPopup() = default;
  virtual const run::NotificationRequest& Request() const = 0;
  virtual void ShowNotification(const run::NotificationRequest& request) = 0;
  // Replaces the texts on screen and slides in again, silently.
  virtual void UpdateNotification(const run::NotificationRequest& request) = 0;
};

// Waiting requests, oldest first, each under a unique key; at most one pop-up on screen.
class NotificationDispatcher {
 public:
  using PopupFactory = std::function<std::unique_ptr<NotificationPopup>()>;
  explicit NotificationDispatcher(PopupFactory factory) : factory_(std::move(factory)) {}

  void Queue(const run::NotificationRequest& request);
  // No error when nothing waits under the key.
  void RemoveQueued(const std::wstring& key);
  // The half-second dispatch: shows the oldest request when no pop-up is on screen.
  void Tick();
  // The pop-up on screen has unloaded.
  void Finished();

  NotificationPopup* OnScreen() const { return onScreen_.get(); }
  std::vector<std::wstring> QueuedKeys() const;
  const run::NotificationRequest* Queued(const std::wstring& key) const;

 private:
  PopupFactory factory_;
  std::vector<std::pair<std::wstring, run::NotificationRequest>> queue_;
  std::unique_ptr<NotificationPopup> onScreen_;
  // Finished arrives from inside the pop-up's own message handler, so the object outlives it until
  // the next tick.
  std::unique_ptr<NotificationPopup> retired_;
};

// A window's outer bounds in twips.
struct TwipsRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const TwipsRect&) const = default;
};

// Slides the pop-up up out of the work area's bottom edge, holds it, and slides it back down.
class PopupAnimation {
 public:
  static constexpr unsigned kStepInterval = 15;
  static constexpr unsigned kStayTime = 5000;
  static constexpr int kStep = 20;

  PopupAnimation(int fullHeight, int workAreaBottom, int workAreaRight)
      : fullHeight_(fullHeight), workAreaBottom_(workAreaBottom), workAreaRight_(workAreaRight) {}

  // A new width keeps the right margin; the height and top stay.
  void SetWidth(int width);
  // A 10-twip strip at the work area's bottom, growing.
  void Start();
  // Back to growing from the current height.
  void Restart() { growing_ = true; }

  struct Step {
    unsigned nextInterval;
    bool unload;
  };
  Step Tick();

  const TwipsRect& Bounds() const { return bounds_; }
  bool Growing() const { return growing_; }
  int FullHeight() const { return fullHeight_; }

 private:
  int fullHeight_;
  int workAreaBottom_;
  int workAreaRight_;
  TwipsRect bounds_;
  bool growing_ = true;
};

// What the main window says when a pop-up's description was clicked.
std::wstring NotificationClickMessage(const std::wstring& key, const std::wstring& applicationTitle);

}  // namespace ui
