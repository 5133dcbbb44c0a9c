#pragma once
// Cleans a browser's ticked items once its last process has ended and its files are released. A
// browser that starts again before then is not cleaned; a cleaning that finds another one under way
// waits for its turn.
#include <windows.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "catalogue/closing_browsers.h"
#include "platform/process_watch.h"

namespace catalogue {

struct CloseTiming {
  // How often the process list is looked at.
  std::chrono::milliseconds look = std::chrono::seconds(5);
  // How often a closed browser's files, or a cleaning's turn, are tried again.
  std::chrono::milliseconds retry = std::chrono::seconds(1);
  // How long the files may stay held after the last process ended; the cleaning runs then anyway and
  // its rows say what stayed.
  std::chrono::milliseconds releaseLimit = std::chrono::seconds(30);
};

struct CloseHooks {
  std::function<bool(const ClosingBrowser&)> released = nullptr;
  // Cleans the browser's ticked items; false when a cleaning is under way, to be asked again later.
  std::function<bool(const ClosingBrowser&)> clean = nullptr;
  // Called on the watch's own thread: Tick() is due on the thread that owns this object.
  std::function<void()> wake = nullptr;
  std::function<ULONGLONG()> clock = GetTickCount64;
};

class BrowserCloseWatch {
 public:
  // Watches the browsers' processes that run from their install folders, for the user whose local
  // application data is given: another program of a browser's name is not that browser.
  BrowserCloseWatch(std::vector<const ClosingBrowser*> browsers, const std::wstring& localAppData, CloseHooks hooks,
                    CloseTiming timing = {});

  // Takes what the watch noticed, and cleans the browsers whose time has come.
  void Tick();
  // A closed browser waits for its files or its turn: Tick() again after `timing.retry`.
  bool Waiting() const;
  const CloseTiming& Timing() const { return timing_; }

 private:
  enum class State { Closed, Running, Releasing, Queued };
  struct Change {
    size_t browser;
    bool running;
  };
  void Take(const Change& change);

  std::vector<const ClosingBrowser*> browsers_;
  CloseHooks hooks_;
  CloseTiming timing_;
  std::vector<State> states_;
  std::vector<ULONGLONG> closedAt_;
  // A cleaning this object started lets messages through; a Tick() meanwhile only takes the news.
  bool cleaning_ = false;
  std::mutex mutex_;
  std::vector<Change> changes_;
  // Last: its thread stops before what it reports to goes.
  platform::ProcessWatch watch_;
};

}  // namespace catalogue
