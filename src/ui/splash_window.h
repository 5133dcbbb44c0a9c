#pragma once
// "Frmsplash": the start-up window, shown for one second while the main window loads hidden.
#include <windows.h>

#include <functional>
#include <string>

#include "platform/handles.h"
#include "toolkit/window_class.h"

namespace ui {

class SplashWindow {
 public:
  // The timer that ends the splash.
  static constexpr UINT_PTR kTimer = 1;

  // load runs while the splash shows (the main window's load); done when the timer fired, after the
  // splash is gone.
  SplashWindow(HINSTANCE instance, std::wstring programFolder, std::function<void()> load, std::function<void()> done);
  ~SplashWindow();
  SplashWindow(const SplashWindow&) = delete;
  SplashWindow& operator=(const SplashWindow&) = delete;

  bool Create(bool visible);
  HWND Handle() const { return hwnd_; }
  bool Loaded() const { return hwnd_ != nullptr; }
  UINT Dpi() const { return dpi_; }
  // Unloads the window without calling done; nothing happens when it is gone already.
  void Unload();

 private:
  template <typename T>
  friend LRESULT CALLBACK toolkit::ObjectProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Paint(HDC dc);
  void MakeFonts();

  HINSTANCE instance_;
  std::wstring programFolder_;
  std::function<void()> load_;
  std::function<void()> done_;
  HWND hwnd_ = nullptr;
  platform::Timer timer_;
  UINT dpi_ = 96;
  platform::Font titleFont_;
  platform::Font textFont_;
};

}  // namespace ui
