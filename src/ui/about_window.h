#pragma once
// The about window: product name, version, copyright and the product's web page, closed with OK.
#include <windows.h>

#include <functional>
#include <string>

namespace ui {

class AboutWindow {
 public:
  // open: what a click on the web-page link does with the address.
  explicit AboutWindow(std::wstring programFolder,
                       std::function<void(const std::wstring&)> open = nullptr);
  ~AboutWindow();
  AboutWindow(const AboutWindow&) = delete;
  AboutWindow& operator=(const AboutWindow&) = delete;

  // Creates the window modeless, so that tests can drive it without a modal loop; false when the
  // platform refused.
  bool Create(HWND owner, bool visible);
  // Returns once the user has closed the window.
  void ShowModal(HWND owner);

  HWND Handle() const { return hwnd_; }

 private:
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Close();

  std::wstring programFolder_;
  std::function<void(const std::wstring&)> open_;
  bool modal_ = false;
  HWND hwnd_ = nullptr;
};

// Modal, skinned from the program folder of the running executable.
void ShowAbout(HWND owner);

}  // namespace ui
