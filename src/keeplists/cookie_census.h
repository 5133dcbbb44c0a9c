#pragma once
// The sites that have cookies on this computer, for the cookie keep list window: Internet Explorer's
// cookie files and the cookie databases of every profile of the browser table's browsers, read only
// (a database its browser holds open is skipped and named, never written).
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/browser_table.h"

namespace keeplists {

struct CookieDatabaseFile {
  std::wstring browser;
  std::wstring path;
};

// The cookie databases of every profile below the user's local and roaming application data folders.
std::vector<CookieDatabaseFile> FindCookieDatabases(const std::wstring& localAppData,
                                                    const std::wstring& roamingAppData,
                                                    std::span<const engine::Browser> browsers = engine::Browsers());

struct SiteCookies {
  std::wstring site;
  std::vector<std::wstring> browsers;  // in the order of the sources, each once
  long long cookies = 0;
};

struct CookieCensus {
  std::vector<SiteCookies> sites;    // sorted by site
  std::vector<std::wstring> unread;  // "Chrome: <path> (in use)"
};

// Every site of the Internet Explorer cookie files and of the databases, with its browsers and count.
CookieCensus TakeCookieCensus(const std::vector<std::wstring>& ieCookieFiles,
                              const std::vector<CookieDatabaseFile>& databases);

// The census of this user: the Cookies folder and the profiles of the known folders.
CookieCensus TakeUserCookieCensus();

// "example.com  (Chrome, Firefox: 12)": a row of the window's list.
std::wstring SiteRow(const SiteCookies& site);
// The sites whose name contains the text, letter case aside; all for empty text.
std::vector<SiteCookies> FilterSites(const std::vector<SiteCookies>& sites, std::wstring_view text);

}  // namespace keeplists
