// The cookie items and the shipped cookie definitions clean inside today's cookie databases: the
// cookies of the kept sites stay, every other cookie goes, and the file stays.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "catalogue/catalogue_fixture.h"
#include "catalogue/plugins.h"
#include "keeplists/keep_list_file.h"
#include "shipped_plugins.h"
#include "support/cookie_databases.h"
#include "support/held_file.h"

using namespace testing_support;

namespace {

using Hosts = std::vector<std::wstring>;

// Hosts with and without the leading dot, subdomains, look-alikes and an address.
const std::vector<std::string> kHosts = {".example.com", "example.com",     "mail.example.com", "example.com.evil.net",
                                         "kept.org",     ".mail.kept.org",  ".www.shop.co.uk",  "shop.co.uk",
                                         "other.co.uk",  ".ads.tracker.io", "127.0.0.1",        "notexample.com"};
// "site:example.com", "site:www.shop.co.uk" (kept as shop.co.uk) and "host:.mail.kept.org".
const Hosts kKeptHosts = {L".example.com 1", L".mail.kept.org 1",   L".www.shop.co.uk 1",
                          L"example.com 1",  L"mail.example.com 1", L"shop.co.uk 1"};

struct Database {
  const wchar_t* path;  // below the roaming or local folder
  bool local;
  const CookieTable* table;
};

// Several profiles of each browser, in both places Chromium has kept the file.
const Database kDatabases[] = {
    {L"\\Google\\Chrome\\User Data\\Default\\Network\\Cookies", true, &kChromiumCookies},
    {L"\\Google\\Chrome\\User Data\\Profile 1\\Cookies", true, &kChromiumCookies},
    {L"\\Microsoft\\Edge\\User Data\\Default\\Network\\Cookies", true, &kChromiumCookies},
    {L"\\Microsoft\\Edge\\User Data\\Profile 2\\Network\\Cookies", true, &kChromiumCookies},
    {L"\\Opera Software\\Opera Stable\\Network\\Cookies", false, &kChromiumCookies},
    {L"\\Opera Software\\Opera GX Stable\\Network\\Cookies", false, &kChromiumCookies},
    {L"\\Mozilla\\Firefox\\Profiles\\abcd1234.default-release\\cookies.sqlite", false, &kFirefoxCookies},
    {L"\\Mozilla\\Firefox\\Profiles\\efgh5678.work\\cookies.sqlite", false, &kFirefoxCookies},
};

class CookieDatabases : public CatalogueTest {
 protected:
  std::wstring Where(const Database& database) const {
    return (database.local ? values.localAppDataFolder : values.appDataFolder) + database.path;
  }
  void MakeAll() {
    for (const Database& database : kDatabases)
      ASSERT_TRUE(MakeCookieDatabase(Where(database), *database.table, kHosts));
  }
  void KeepSites(const std::string& lines) { WriteText(keeplists::CookieKeepListFile(program.Path()), lines); }
  // The built-in cookie items of Chrome and Firefox, and the shipped definitions of Edge's and Opera's cookies.
  engine::RunReport Clean() {
    std::wstring plugins = program / L"plus-in";
    for (const wchar_t* name : {L"Edge Cookies", L"Opera Cookies"}) {
      for (const ShippedFile& plugin : kShippedPlugins) {
        if (plugin.fileName == name + std::wstring(L".ppe")) WriteText(plugins + L"\\" + plugin.fileName, plugin.text);
      }
      EXPECT_TRUE(catalogue::plugins::WritePluginSwitch(plugins, name, true));
    }
    WriteText(program / L"prisd.dat", "[FIREFOX]\r\nCookies=1\r\n[Chrome]\r\nCookies=1\r\n");
    view = RecordingView();
    run::CleanRun run(view, program.Path(), values, catalogue::Stages());
    run.CleanNow();
    counters = run.Counters();
    return run.LastReport();
  }
  static std::vector<std::wstring> Reasons(const engine::RunReport& report, const std::wstring& path) {
    std::vector<std::wstring> reasons;
    for (const engine::ItemReport& item : report.items) {
      for (const auto& left : item.leftBehind) {
        if (left.path == path) reasons.push_back(left.reason);
      }
      for (const auto& kept : item.kept) {
        if (kept.path == path) reasons.push_back(L"kept: " + kept.what);
      }
    }
    return reasons;
  }
  static bool HasStep(const engine::RunReport& report, const std::wstring& text) {
    for (const engine::ItemReport& item : report.items) {
      if (std::find(item.steps.begin(), item.steps.end(), text) != item.steps.end()) return true;
    }
    return false;
  }
  run::RunCounters counters;
};

}  // namespace

TEST_F(CookieDatabases, ACleanLeavesExactlyTheKeptSitesCookiesInEveryProfile) {
  MakeAll();
  KeepSites(
      "C:\\Users\\me\\Cookies\\me@old[1].txt\r\nsite:example.com\r\nsite:www.shop.co.uk\r\nhost:.mail.kept.org\r\n");
  engine::RunReport report = Clean();
  for (const Database& database : kDatabases) {
    std::wstring path = Where(database);
    EXPECT_EQ(CookieHosts(path, *database.table), kKeptHosts) << path;
    // Compacted: what went cannot be read back from the file.
    std::string bytes = ReadText(path);
    EXPECT_EQ(bytes.find("tracker.io"), std::string::npos) << path;
    EXPECT_EQ(bytes.find("secret-value-4'"), std::string::npos) << path;
    EXPECT_TRUE(HasStep(report, L"Erase the cookies of tracker.io (1) inside " + path)) << path;
    EXPECT_TRUE(HasStep(report, L"Erase the cookies of kept.org (1) inside " + path)) << path;
    Hosts reasons = Reasons(report, path);
    EXPECT_NE(std::find(reasons.begin(), reasons.end(), L"kept: the cookies of example.com (3)"), reasons.end());
    EXPECT_NE(std::find(reasons.begin(), reasons.end(), L"kept: the cookies of kept.org (1)"), reasons.end());
  }
}

TEST_F(CookieDatabases, WithNothingKeptEveryCookieGoesTheFilesStayAndTheCompactionCounts) {
  MakeAll();
  Clean();
  for (const Database& database : kDatabases) {
    ExpectKept(Where(database));
    EXPECT_EQ(CookieHosts(Where(database), *database.table), Hosts{}) << Where(database);
  }
  // The plug-ins' fixed figures aside, the bytes freed by compacting eight files of several pages.
  EXPECT_GT(counters.releasedBytes, 2 * 50000 + 8 * 4096.0);
}

TEST_F(CookieDatabases, ADatabaseItsBrowserHoldsOpenIsLeftWhole) {
  MakeAll();
  std::wstring held = Where(kDatabases[0]);
  std::string before = ReadText(held);
  {
    HeldByAnotherProcess chrome(held, L"rw");
    ASSERT_TRUE(chrome.holding());
    EXPECT_EQ(Reasons(Clean(), held), Hosts{L"in use"});
  }
  EXPECT_EQ(ReadText(held), before);
  EXPECT_EQ(CookieHosts(Where(kDatabases[1]), kChromiumCookies), Hosts{});
}

TEST_F(CookieDatabases, ADamagedDatabaseIsLeftWholeAndNamed) {
  std::wstring damaged = Where(kDatabases[0]);
  std::string text = std::string("SQLite format 3") + '\0' + std::string(200, 'x');
  WriteText(damaged, text);
  EXPECT_EQ(Reasons(Clean(), damaged), Hosts{L"left whole: not a cookie database, or a damaged one"});
  EXPECT_EQ(ReadText(damaged), text);
}

TEST_F(CookieDatabases, InternetExplorersCookieFilesFollowTheSitesAndTheOldPathLines) {
  TempFolder cookies;
  ScopedRegistryValue folder{HKEY_CURRENT_USER,
                             L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", L"Cookies",
                             cookies.Path(), REG_EXPAND_SZ};
  const struct {
    const wchar_t* name;
    const char* host;
    bool stays;
  } kFiles[] = {
      {L"me@listed[1].txt", "listed.net/", true},    // named by its path, as older lists do
      {L"ABCD1234.txt", "mail.example.com/", true},  // of a kept site
      {L"me@other[1].txt", "other.net/", false},
      {L"EFGH5678.txt", "example.com.evil.net/", false},
  };
  for (const auto& file : kFiles)
    WriteText(cookies / file.name, std::string("id\nvalue\n") + file.host + "\n9729\n*\n");
  KeepSites(platform::Narrow(cookies / L"me@listed[1].txt") + "\r\nsite:example.com\r\n");
  Run({{L"EXPLORER", L"cookies"}});
  for (const auto& file : kFiles) EXPECT_EQ(Exists(cookies / file.name), file.stays) << file.name;
}

TEST_F(CookieDatabases, AKeptSitesSignInStorageStaysWhereAWalkWouldEraseIt) {
  KeepSites("site:example.com\r\n");
  std::wstring firefox = root / L"Firefox profile";
  std::wstring chrome = root / L"Chrome profile";
  const struct {
    std::wstring file;
    bool stays;
  } kFiles[] = {
      {firefox + L"\\storage\\default\\https+++mail.example.com\\ls\\data.sqlite", true},
      {firefox + L"\\storage\\default\\https+++example.com^userContextId=2\\idb\\1.sqlite", true},
      {firefox + L"\\storage\\default\\https+++tracker.io\\ls\\data.sqlite", false},
      {chrome + L"\\IndexedDB\\https_www.example.com_0.indexeddb.leveldb\\000003.log", true},
      {chrome + L"\\IndexedDB\\https_example.com.evil.net_0.indexeddb.leveldb\\000003.log", false},
  };
  for (const auto& file : kFiles) MakeFile(file.file, 10);
  engine::EraseContext erase;
  erase.programFolder = program.Path();
  engine::allerase::EraseAllFilesInTree(erase, firefox);
  engine::allerase::EraseNamedFoldersInTree(erase, chrome, L"indexeddb");
  for (const auto& file : kFiles) EXPECT_EQ(Exists(file.file), file.stays) << file.file;
}

TEST_F(CookieDatabases, AKeptSitesSignInStorageStaysWhereverAWalkStarts) {
  KeepSites("site:example.com\r\n");
  std::wstring storage = root / L"Firefox profile\\storage\\default";
  using Walk = std::function<void(const engine::EraseContext&, const std::wstring& origin)>;
  const std::pair<const char*, Walk> kWalks[] = {
      {"tree", [](auto& erase, auto& origin) { engine::allerase::EraseAllFilesInTree(erase, origin); }},
      {"named files below it",
       [](auto& erase, auto& origin) {
         engine::allerase::EraseNamedFilesInTree(erase, origin + L"\\ls", L"data.sqlite");
       }},
      {"files of a folder in it",
       [](auto& erase, auto& origin) { engine::allerase::EraseFilesInFolder(erase, origin + L"\\ls"); }},
      {"named folders",
       [](auto& erase, auto& origin) { engine::allerase::EraseNamedFoldersInTree(erase, origin, L"ls"); }},
      {"made again", [](auto& erase, auto& origin) { engine::allerase::RecreateFolder(erase, origin); }},
      {"folder", [](auto& erase, auto& origin) { engine::allerase::EraseFolder(erase, origin); }},
      {"pattern",
       [](auto& erase, auto& origin) {
         engine::allerase::EraseFilesWhere(
             erase, origin, [](auto&, auto&) { return true; }, true, true, false);
       }},
      {"file in it",
       [](auto& erase, auto& origin) { engine::allerase::EraseFile(erase, origin + L"\\ls\\data.sqlite"); }},
  };
  for (const auto& [name, walk] : kWalks) {
    for (const wchar_t* origin : {L"\\https+++mail.example.com", L"\\https+++tracker.io"}) {
      MakeFile(storage + origin + L"\\ls\\data.sqlite", 10);
    }
    engine::RunReport report;
    engine::RunRecorder recorder(report);
    recorder.BeginItem(L"rules", L"walk", L"walk");
    engine::EraseContext erase;
    erase.programFolder = program.Path();
    erase.recorder = &recorder;
    walk(erase, storage + L"\\https+++mail.example.com");
    walk(erase, storage + L"\\https+++tracker.io");
    ExpectKept(storage + L"\\https+++mail.example.com\\ls\\data.sqlite", ::testing::Message() << name);
    EXPECT_EQ(Reasons(report, storage + L"\\https+++mail.example.com"), Hosts{L"kept: the storage of example.com"})
        << name;
    ExpectGone(storage + L"\\https+++tracker.io\\ls\\data.sqlite", ::testing::Message() << name);
  }
}
