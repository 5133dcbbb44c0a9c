#pragma once
// The about window: product name, version, copyright and the product's web page, closed with OK.
#include <windows.h>

#include <functional>
#include <string>

#include "toolkit/dialog.h"

namespace dialogs {

class AboutWindow : public toolkit::Dialog {
 public:
  // open: what a click on the web-page link does with the address.
  explicit AboutWindow(std::wstring programFolder, std::function<void(const std::wstring&)> open = nullptr);

 private:
  toolkit::DialogTemplate Template() const override;
  void Load() override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  std::wstring programFolder_;
  std::function<void(const std::wstring&)> open_;
};

// Modal, skinned from the program folder of the running executable.
void ShowAbout(HWND owner);

}  // namespace dialogs
