#include "dialogs/url_window.h"

#include "keeplists/keep_list_file.h"

namespace dialogs {

UrlKeepListWindow::UrlKeepListWindow(const std::wstring& programFolder)
    : KeepListWindow({L"URL Drop-List Options", L"URL Drop-List", L"&Current URL List", L"URL &Keep List"},
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
