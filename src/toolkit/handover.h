#pragma once
// Explorer starts one process for each item of a selection a verb is given: the first start opens a
// window, and each later one hands its paths to that window and ends, so the user is asked or told
// once. A program names its own handover: the marker its WM_COPYDATA carries, the caption of the window
// that takes the paths, and the mutex that orders its starts.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/handles.h"

namespace toolkit {

struct Handover {
  ULONG_PTR marker;
  const wchar_t* caption;  // in English; the window wears it in the language in force
  const wchar_t* turnName;
};

// Sends the paths to the window of that caption of a process of the same program file; false when
// there is none, it refuses them, or it does not answer within seconds.
bool HandToRunningWindow(const Handover& handover, const std::vector<std::wstring>& paths);

// The paths a WM_COPYDATA of HandToRunningWindow carries; none for any other marker or for a message
// that is malformed or too large.
std::optional<std::vector<std::wstring>> HandedPaths(const Handover& handover, const COPYDATASTRUCT& data);

// The turn of one start: held from the start until its window is open, so that the starts of one
// selection find the window the first one opened. A turn not given within seconds is not waited for.
class StartingTurn {
 public:
  explicit StartingTurn(const Handover& handover);
  ~StartingTurn() { Release(); }
  StartingTurn(const StartingTurn&) = delete;
  StartingTurn& operator=(const StartingTurn&) = delete;
  void Release();

 private:
  platform::UniqueHandle mutex_;
  bool held_ = false;
};

}  // namespace toolkit
