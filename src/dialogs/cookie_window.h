#pragma once
// "Cookies Options": the current cookie files of the user's Cookies folder and "keepcook.dat".
#include <windows.h>

#include <string>

#include "dialogs/keep_list_window.h"

namespace keeplists {

// "Cookies Options": current cookie files of the user's Cookies folder and "keepcook.dat".
class CookieKeepListWindow : public KeepListWindow {
 public:
  explicit CookieKeepListWindow(const std::wstring& programFolder);
  HWND Preview() const { return PreviewText(); }

 private:
  void LoadLists() override;
  void ItemClicked(HWND list) override;
};

void ShowCookieKeepList(HWND owner, const std::wstring& programFolder);

}  // namespace keeplists
