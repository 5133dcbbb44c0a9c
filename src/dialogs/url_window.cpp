#include "dialogs/url_window.h"

#include "keeplists/keep_list_file.h"
#include "platform/translation.h"

namespace dialogs {

UrlKeepListWindow::UrlKeepListWindow(const std::wstring& programFolder)
    : KeepListWindow({platform::TrLater(L"URL Drop-List Options"), platform::TrLater(L"URL Drop-List"),
                      platform::TrLater(L"&Current URL List"), platform::TrLater(L"URL &Keep List")},
                     keeplists::UrlKeepListFile(programFolder)) {}

void UrlKeepListWindow::LoadLists() {
  Fill(CurrentList(), keeplists::ListTypedUrls());
  LoadKeepListFile();
}

void ShowUrlKeepList(HWND owner, const std::wstring& programFolder) {
  UrlKeepListWindow window(programFolder);
  window.ShowModal(owner);
}

}  // namespace dialogs
