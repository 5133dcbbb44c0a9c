#include "keeplists/cookie_census.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <span>

#include "engine/cookie_database.h"
#include "engine/cookie_sites.h"
#include "engine/path_guard.h"
#include "engine/untrusted_database.h"
#include "keeplists/keep_list_file.h"
#include "platform/files.h"
#include "platform/system_folders.h"
#include "platform/text.h"

namespace keeplists {

namespace {

constexpr wchar_t kInternetExplorer[] = L"Internet Explorer";

void AddProfile(std::vector<CookieDatabaseFile>& found, const engine::Browser& browser, const std::wstring& profile) {
  for (const wchar_t* name : browser.cookies) {
    std::wstring path = platform::JoinPath(profile, name);
    if (platform::FileExists(path)) found.push_back({browser.shortName, path});
  }
}

void Count(std::map<std::wstring, SiteCookies>& sites, const std::wstring& host, const std::wstring& browser,
           long long cookies) {
  std::wstring site = engine::SiteOf(host);
  if (site.empty()) return;
  SiteCookies& entry = sites[site];
  entry.site = site;
  entry.cookies += cookies;
  if (std::find(entry.browsers.begin(), entry.browsers.end(), browser) == entry.browsers.end()) {
    entry.browsers.push_back(browser);
  }
}

}  // namespace

std::vector<CookieDatabaseFile> FindCookieDatabases(const std::wstring& localAppData,
                                                    const std::wstring& roamingAppData,
                                                    std::span<const engine::Browser> browsers) {
  std::vector<CookieDatabaseFile> found;
  for (const engine::Browser& browser : browsers) {
    if (!browser.profiles || browser.cookies.size() == 0) continue;
    std::wstring folder = platform::JoinPath(browser.roaming ? roamingAppData : localAppData, browser.profiles);
    if (browser.profileItself) {
      AddProfile(found, browser, folder);
      continue;
    }
    platform::ListFolder(folder, [&](const platform::FolderEntry& entry) {
      if (entry.IsFolder() && !entry.IsLink()) AddProfile(found, browser, platform::JoinPath(folder, entry.name));
    });
  }
  return found;
}

CookieCensus TakeCookieCensus(const std::vector<std::wstring>& ieCookieFiles,
                              const std::vector<CookieDatabaseFile>& databases) {
  std::map<std::wstring, SiteCookies> sites;
  CookieCensus census;
  for (const std::wstring& file : ieCookieFiles) {
    std::wstring host = CookieFileHost(file);
    if (!host.empty()) Count(sites, host, kInternetExplorer, 1);
  }
  // Read as every cookie database is: through a private copy, whatever its folder or journal hold.
  const engine::EraseContext reading;
  for (const CookieDatabaseFile& database : databases) {
    const std::wstring path = engine::ExactPath(database.path);
    const engine::CookieSchema* schema = engine::CookieDatabaseSchema(path);
    if (!schema) continue;
    auto opened = engine::UntrustedDatabase::Open(reading, path, engine::UntrustedDatabase::Use::Read);
    platform::Result<void> plain = opened ? opened->CheckTables(std::span(&schema->table, 1))
                                          : platform::Failure{opened.Reason(), opened.SystemError()};
    if (!plain) {
      census.unread.push_back(database.browser + L": " + database.path + L" (" + engine::StaysBecause(plain) + L")");
      continue;
    }
    const std::string host = schema->hostColumn;
    for (const auto& row :
         opened->Db().Rows("SELECT " + host + ", COUNT(*) FROM " + schema->table + " GROUP BY " + host)) {
      Count(sites, row[0], database.browser, _wtoi64(row[1].c_str()));
    }
  }
  for (auto& [site, entry] : sites) census.sites.push_back(std::move(entry));
  return census;
}

CookieCensus TakeUserCookieCensus() {
  return TakeCookieCensus(ListCurrentCookies(CookiesFolder()),
                          FindCookieDatabases(platform::KnownFolder(FOLDERID_LocalAppData),
                                              platform::KnownFolder(FOLDERID_RoamingAppData)));
}

std::wstring SiteRow(const SiteCookies& site) {
  std::wstring browsers;
  for (const std::wstring& browser : site.browsers) browsers += (browsers.empty() ? L"" : L", ") + browser;
  return site.site + L"  (" + browsers + L": " + std::to_wstring(site.cookies) + L")";
}

std::vector<SiteCookies> FilterSites(const std::vector<SiteCookies>& sites, std::wstring_view text) {
  std::wstring wanted = platform::ToLower(platform::Trim(text));
  std::vector<SiteCookies> shown;
  std::copy_if(sites.begin(), sites.end(), std::back_inserter(shown),
               [&](const SiteCookies& site) { return site.site.find(wanted) != std::wstring::npos; });
  return shown;
}

}  // namespace keeplists
