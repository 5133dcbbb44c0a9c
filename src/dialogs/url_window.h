#pragma once
// "URL Drop-List Options": the typed URLs of Internet Explorer's address bar and "keepurl.dat".
#include <windows.h>

#include <string>

#include "dialogs/keep_list_window.h"

namespace dialogs {

class UrlKeepListWindow : public KeepListWindow {
 public:
  explicit UrlKeepListWindow(const std::wstring& programFolder);

 private:
  void LoadLists() override;
};

void ShowUrlKeepList(HWND owner, const std::wstring& programFolder);

}  // namespace dialogs
