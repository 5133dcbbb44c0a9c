#include "dialogs/cookie_window.h"

#include <optional>

#include "keeplists/keep_list_file.h"
#include "toolkit/list_text_width.h"

namespace keeplists {

CookieKeepListWindow::CookieKeepListWindow(const std::wstring& programFolder)
    : KeepListWindow({L"Cookies Options", L"Cookies", L"&Current Cookies List", L"Cookies &Keep List", true},
                     CookieKeepListFile(programFolder)) {}

void CookieKeepListWindow::LoadLists() {
  SendMessageW(CurrentList(), LB_RESETCONTENT, 0, 0);
  SendMessageW(KeepList(), LB_RESETCONTENT, 0, 0);
  std::wstring folder = CookiesFolder();
  SetWindowTextW(PreviewText(), L"");
  Fill(CurrentList(), ListCurrentCookies(folder));
  LoadKeepListFile();
}

void CookieKeepListWindow::ItemClicked(HWND list) {
  std::wstring path = toolkit::ListItemText(list, SendMessageW(list, LB_GETCURSEL, 0, 0));
  // A cookie that is gone since the load leaves the last preview in place.
  if (std::optional<std::wstring> text = ReadCookiePreview(path)) SetWindowTextW(PreviewText(), text->c_str());
}

void ShowCookieKeepList(HWND owner, const std::wstring& programFolder) {
  CookieKeepListWindow window(programFolder);
  window.ShowModal(owner);
}

}  // namespace keeplists
