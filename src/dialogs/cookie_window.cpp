#include "dialogs/cookie_window.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "engine/cookie_sites.h"
#include "keeplists/keep_list_file.h"
#include "platform/text.h"
#include "platform/translation.h"
#include "platform/window_text.h"
#include "toolkit/list_text_width.h"
#include "toolkit/messages.h"

namespace dialogs {

namespace {

using toolkit::kButtonClass;
using toolkit::kEditClass;
using toolkit::kListBoxClass;
using toolkit::kNoId;
using toolkit::kStaticClass;

constexpr DWORD kListStyle = WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
// A site row's mark: the whole site kept, or only some of its hosts.
std::wstring KeptMark(const engine::KeptSites& kept, const std::wstring& site) {
  if (kept.Entries().contains({false, site})) return platform::Tr(L"  - kept");
  std::wstring hosts;
  for (const engine::KeptSite& entry : kept.Entries()) {
    if (entry.exactHost && engine::SiteOf(entry.name) == site) hosts += (hosts.empty() ? L"" : L", ") + entry.name;
  }
  return hosts.empty() ? hosts : platform::Fill(platform::Tr(L"  - kept: {hosts} only"), {{L"hosts", hosts}});
}

// A keep-list line as the user reads it: a site entry by its name and what it keeps, an older line
// (a cookie file's path) as it is.
std::wstring KeepListRow(const std::wstring& line) {
  std::optional<engine::KeptSite> site = engine::ParseKeptSite(line);
  if (!site) return line;
  return site->name + (site->exactHost ? platform::Tr(L"  (this host only)") : platform::Tr(L"  (the whole site)"));
}

void Fill(HWND list, const std::vector<std::wstring>& rows) {
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const std::wstring& row : rows) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
  // Long paths differ only at their ends: the list scrolls sideways to them.
  toolkit::ResetHorizontalExtent(list);
}

}  // namespace

CookieKeepListWindow::CookieKeepListWindow(const std::wstring& programFolder, Census census)
    : Dialog(programFolder, {{kSearchId, EN_CHANGE, [this] { ShowSites(); }},
                             {kAddId, BN_CLICKED, [this] { Add(); }},
                             {kRemoveId, BN_CLICKED, [this] { Remove(); }},
                             {IDOK, BN_CLICKED, [this] { Store(); }},
                             {IDCANCEL, BN_CLICKED, [this] { Close(IDCANCEL); }}}),
      programFolder_(programFolder),
      census_(std::move(census)) {}

toolkit::DialogTemplate CookieKeepListWindow::Template() const {
  toolkit::DialogTemplate dialog(DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 400, 246,
                                 platform::TrLater(L"Cookies Options"));
  dialog.Item(kButtonClass, BS_GROUPBOX, platform::TrLater(L"Cookies"), 7, 4, 386, 216, kNoId);
  dialog.Item(kStaticClass, SS_LEFT, platform::TrLater(L"&Search:"), 14, 17, 40, 8, kNoId);
  dialog.Item(kEditClass, ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP, L"", 56, 15, 118, 12, kSearchId, WS_EX_CLIENTEDGE);
  dialog.Item(kStaticClass, SS_LEFT, platform::TrLater(L"Sites with &cookies"), 14, 32, 160, 8, kNoId);
  dialog.Item(kListBoxClass, kListStyle, platform::TrLater(L"Sites with cookies"), 14, 42, 160, 108, kSitesId,
              WS_EX_CLIENTEDGE);
  // Tab reaches it before Add, whose choice it changes.
  dialog.Item(kButtonClass, BS_AUTOCHECKBOX | WS_TABSTOP,
              platform::TrLater(L"Add keeps only the exact &host (mail.example.com), not its whole site"), 14, 154, 372,
              10, kExactHostId);
  dialog.Item(kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, platform::TrLater(L"&Add >"), 180, 72, 40, 14, kAddId);
  dialog.Item(kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, platform::TrLater(L"< &Remove"), 180, 92, 40, 14, kRemoveId);
  dialog.Item(kStaticClass, SS_LEFT, platform::TrLater(L"Cookies &Keep List"), 226, 32, 160, 8, kNoId);
  dialog.Item(kListBoxClass, kListStyle, platform::TrLater(L"Cookies Keep List"), 226, 42, 160, 108, kKeepId,
              WS_EX_CLIENTEDGE);
  // Wrapped, with room for the explanation and what Add stored; the browsers not read scroll below.
  dialog.Item(kEditClass, ES_MULTILINE | ES_READONLY | WS_VSCROLL, L"", 14, 168, 372, 46, kNoteId, WS_EX_CLIENTEDGE);
  dialog.Item(kButtonClass, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, platform::TrLater(L"OK"), 289, 226, 50, 14, IDOK);
  dialog.Item(kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, platform::TrLater(L"Cancel"), 343, 226, 50, 14, IDCANCEL);
  return dialog;
}

void CookieKeepListWindow::Load() {
  keeplists::CookieCensus census = census_();
  sites_ = std::move(census.sites);
  note_ = platform::Tr(
      L"A site you keep stays signed in: cleaning spares its cookies in every browser. Type a site (or "
      L"paste its address) in the search box and press Add to keep one that has no cookies yet.");
  // A database its browser holds open is not read: its sites are missing until the browser closes.
  for (const std::wstring& unread : census.unread)
    note_ += L"\r\n" + platform::Fill(platform::Tr(L"Not read while its browser runs: {file}"), {{L"file", unread}});
  SetWindowTextW(Note(), note_.c_str());
  lines_ = keeplists::LoadKeepList(keeplists::CookieKeepListFile(programFolder_));
  ShowKeepList();
}

void CookieKeepListWindow::ShowSites() {
  LRESULT selected = SendMessageW(SiteList(), LB_GETCURSEL, 0, 0);
  std::wstring picked =
      selected != LB_ERR && selected < static_cast<LRESULT>(shown_.size()) ? shown_[selected].site : L"";
  shown_ = keeplists::FilterSites(sites_, platform::WindowText(SearchBox()));
  engine::KeptSites kept;
  for (const std::wstring& line : lines_) {
    if (std::optional<engine::KeptSite> site = engine::ParseKeptSite(line)) kept.Add(*site);
  }
  std::vector<std::wstring> rows;
  for (const keeplists::SiteCookies& site : shown_) rows.push_back(SiteRow(site) + KeptMark(kept, site.site));
  Fill(SiteList(), rows);
  // The site picked stays picked while it is shown.
  auto still = std::find_if(shown_.begin(), shown_.end(),
                            [&](const keeplists::SiteCookies& site) { return site.site == picked; });
  if (still != shown_.end()) SendMessageW(SiteList(), LB_SETCURSEL, still - shown_.begin(), 0);
}

void CookieKeepListWindow::ShowKeepList() {
  std::vector<std::wstring> rows;
  std::transform(lines_.begin(), lines_.end(), std::back_inserter(rows), KeepListRow);
  Fill(KeepList(), rows);
  ShowSites();
}

void CookieKeepListWindow::Add() {
  LRESULT selected = SendMessageW(SiteList(), LB_GETCURSEL, 0, 0);
  // The site picked in the list, or else the one typed in the search box.
  std::wstring typed = selected != LB_ERR && selected < static_cast<LRESULT>(shown_.size())
                           ? shown_[selected].site
                           : platform::Trim(platform::WindowText(SearchBox()));
  if (typed.empty()) return;  // nothing picked, nothing typed
  bool exactHost = SendMessageW(ExactHostBox(), BM_GETCHECK, 0, 0) == BST_CHECKED;
  platform::Result<engine::KeptSite> site = engine::KeptSiteFor(typed, exactHost);
  if (!site) {
    toolkit::Tell(Handle(), site.Reason());
    return;
  }
  std::wstring line = engine::KeptSiteLine(*site);
  if (std::find(lines_.begin(), lines_.end(), line) == lines_.end()) lines_.push_back(line);
  ShowKeepList();
  // An address or an international name is kept under another name than the one typed.
  std::wstring note =
      note_ + L"\r\n" + platform::Fill(platform::Tr(L"Added: {site} (stored when you press OK)"), {{L"site", line}});
  SetWindowTextW(Note(), note.c_str());
}

void CookieKeepListWindow::Remove() {
  LRESULT selected = SendMessageW(KeepList(), LB_GETCURSEL, 0, 0);
  if (selected == LB_ERR || selected >= static_cast<LRESULT>(lines_.size())) return;
  lines_.erase(lines_.begin() + selected);
  ShowKeepList();
}

void CookieKeepListWindow::Store() {
  std::wstring file = keeplists::CookieKeepListFile(programFolder_);
  bool unchanged = lines_ == keeplists::LoadKeepList(file) && (keeplists::KeepListExists(file) || lines_.empty());
  if (!unchanged && !keeplists::RewriteKeepList(file, lines_)) {
    toolkit::Tell(Handle(),
                  platform::Fill(platform::Tr(L"Can't write {file}: the list is not changed."), {{L"file", file}}));
    return;
  }
  Close(IDOK);
}

void ShowCookieKeepList(HWND owner, const std::wstring& programFolder) {
  CookieKeepListWindow window(programFolder);
  window.ShowModal(owner);
}

}  // namespace dialogs
