#pragma once
// Explorer starts one Papermill for each item of a selection it shreds: the first start opens the
// window, and each later one hands its items to that window and ends, so the user is asked once.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/handles.h"

namespace papermill {

// Sends the paths to the window of a Papermill of the same program file that runs already; false when
// there is none, it is busy shredding or wiping, or it does not answer within seconds.
bool HandToRunningWindow(const std::vector<std::wstring>& paths);

// The paths a WM_COPYDATA of HandToRunningWindow carries; none for any other.
std::optional<std::vector<std::wstring>> HandedPaths(const COPYDATASTRUCT& data);

// The turn of one start: held from the start until its window is open, so that the starts of one
// selection find the window the first one opened. A turn not given within seconds is not waited for.
class StartingTurn {
 public:
  StartingTurn();
  ~StartingTurn() { Release(); }
  StartingTurn(const StartingTurn&) = delete;
  StartingTurn& operator=(const StartingTurn&) = delete;
  void Release();

 private:
  platform::UniqueHandle mutex_;
  bool held_ = false;
};

}  // namespace papermill
