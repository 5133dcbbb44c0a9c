#pragma once
// "Cookies Options": the sites that have cookies in Internet Explorer and in today's browsers, and
// "keepcook.dat". The window edits a copy of the keep list: OK stores it, Cancel leaves the file as
// it was.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "keeplists/cookie_census.h"
#include "toolkit/dialog.h"

namespace dialogs {

class CookieKeepListWindow : public toolkit::Dialog {
 public:
  using Census = std::function<keeplists::CookieCensus()>;
  explicit CookieKeepListWindow(const std::wstring& programFolder, Census census = keeplists::TakeUserCookieCensus);
  HWND SearchBox() const { return Control(kSearchId); }
  HWND SiteList() const { return Control(kSitesId); }
  HWND KeepList() const { return Control(kKeepId); }
  HWND AddButton() const { return Control(kAddId); }
  HWND RemoveButton() const { return Control(kRemoveId); }
  HWND Note() const { return Control(kNoteId); }
  HWND ExactHostBox() const { return Control(kExactHostId); }

 private:
  static constexpr WORD kSearchId = 1001, kSitesId = 1002, kKeepId = 1003, kAddId = 1004, kRemoveId = 1005,
                        kNoteId = 1006, kExactHostId = 1007;
  toolkit::DialogTemplate Template() const override;
  void Load() override;
  void ShowSites();
  void ShowKeepList();
  void Add();
  void Remove();
  void Store();

  std::wstring programFolder_;
  Census census_;
  std::vector<keeplists::SiteCookies> sites_;
  std::vector<keeplists::SiteCookies> shown_;  // the rows of the site list, as filtered
  std::vector<std::wstring> lines_;            // the keep list being edited
  std::wstring note_;                          // the note as the window opened
};

void ShowCookieKeepList(HWND owner, const std::wstring& programFolder);

}  // namespace dialogs
