// The shipped browser definitions against seeded profiles: each removes exactly its kind.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "catalogue/catalogue.h"
#include "catalogue/catalogue_fixture.h"
#include "catalogue/plugins.h"
#include "platform/handles.h"
#include "shipped_plugins.h"

using namespace testing_support;

namespace {

enum Kind { Cache, Cookies, History, Sessions, Kept };

struct Seed {
  std::wstring path;  // below the seeded roaming or local folder
  Kind kind;
  bool local;
};

// What a Chromium profile holds, below the profile folder.
const std::vector<std::pair<std::wstring, Kind>> kChromiumFiles = {
    {L"Cache\\Cache_Data\\data_0", Cache},
    {L"Cache\\Cache_Data\\f_000001", Cache},
    {L"Code Cache\\js\\index", Cache},
    {L"Code Cache\\wasm\\0a1b", Cache},
    {L"GPUCache\\data_1", Cache},
    {L"Network\\Cookies", Cookies},
    {L"Network\\Cookies-journal", Cookies},
    {L"Cookies", Cookies},
    {L"History", History},
    {L"History-journal", History},
    {L"Visited Links", History},
    {L"Top Sites", History},
    {L"Sessions\\Session_13300000000000000", Sessions},
    {L"Sessions\\Tabs_13300000000000000", Sessions},
    {L"Current Session", Sessions},
    {L"Current Tabs", Sessions},
    {L"Last Session", Sessions},
    {L"Last Tabs", Sessions},
    {L"Login Data", Kept},
    {L"Login Data-journal", Kept},
    {L"Bookmarks", Kept},
    {L"Bookmarks.bak", Kept},
    {L"Preferences", Kept},
    {L"Web Data", Kept},
    {L"Favicons", Kept},
    {L"Network\\Network Persistent State", Kept},
    {L"Extension Cookies", Kept},
    // An extension whose own folders carry the names of cache and session folders.
    {L"Extensions\\abcdefgh\\1.0_0\\manifest.json", Kept},
    {L"Extensions\\abcdefgh\\1.0_0\\cache\\worker.js", Kept},
    {L"Extensions\\abcdefgh\\1.0_0\\Sessions\\store.js", Kept},
};

std::vector<Seed> ChromiumProfile(const std::wstring& userData) {
  std::vector<Seed> seeds;
  for (const wchar_t* profile : {L"\\Default\\", L"\\Profile 1\\"}) {
    for (const auto& [file, kind] : kChromiumFiles) seeds.push_back({userData + profile + file, kind, true});
  }
  seeds.push_back({userData + L"\\Local State", Kept, true});
  return seeds;
}

// Opera keeps its profile itself under the roaming folder, and only its cache under the local one.
std::vector<Seed> OperaProfile() {
  std::wstring p = L"\\Opera Software\\Opera Stable\\";
  std::vector<Seed> seeds;
  for (const auto& [file, kind] : kChromiumFiles) seeds.push_back({p + file, kind, file.starts_with(L"Cache\\")});
  return seeds;
}

std::vector<Seed> FirefoxProfiles() {
  std::vector<Seed> seeds;
  for (const wchar_t* profile : {L"abcd1234.default-release", L"efgh5678.work"}) {
    std::wstring p = std::wstring(L"\\Mozilla\\Firefox\\Profiles\\") + profile + L"\\";
    for (const auto& [file, kind] : std::vector<std::pair<std::wstring, Kind>>{
             {L"cookies.sqlite", Cookies},
             {L"cookies.sqlite-wal", Cookies},
             {L"formhistory.sqlite", History},
             {L"sessionstore.jsonlz4", Sessions},
             {L"sessionstore-backups\\recovery.jsonlz4", Sessions},
             {L"sessionstore-backups\\previous.jsonlz4", Sessions},
             {L"places.sqlite", Kept},
             {L"favicons.sqlite", Kept},
             {L"logins.json", Kept},
             {L"key4.db", Kept},
             {L"prefs.js", Kept},
             {L"extensions\\addon@example.xpi", Kept},
         }) {
      seeds.push_back({p + file, kind, false});
    }
    for (const auto& [file, kind] : std::vector<std::pair<std::wstring, Kind>>{
             {L"cache2\\entries\\0A1B2C3D", Cache},
             {L"cache2\\entries\\4E5F6A7B", Cache},
             {L"cache2\\index", Cache},
             {L"startupCache\\startupCache.8.little", Kept},
             {L"thumbnails\\a.png", Kept},
         }) {
      seeds.push_back({p + file, kind, true});
    }
  }
  seeds.push_back({L"\\Mozilla\\Firefox\\profiles.ini", Kept, false});
  return seeds;
}

struct BrowserCase {
  const wchar_t* plugin;
  Kind kind;
  std::vector<Seed> (*seeds)();
};

std::vector<Seed> Edge() { return ChromiumProfile(L"\\Microsoft\\Edge\\User Data"); }
std::vector<Seed> Chrome() { return ChromiumProfile(L"\\Google\\Chrome\\User Data"); }
std::vector<Seed> Brave() { return ChromiumProfile(L"\\BraveSoftware\\Brave-Browser\\User Data"); }
std::vector<Seed> Vivaldi() { return ChromiumProfile(L"\\Vivaldi\\User Data"); }

const BrowserCase kCases[] = {
    {L"Edge Cache", Cache, Edge},
    {L"Edge Cookies", Cookies, Edge},
    {L"Edge History", History, Edge},
    {L"Edge Sessions", Sessions, Edge},
    {L"Chrome Cache", Cache, Chrome},
    {L"Chrome Cookies", Cookies, Chrome},
    {L"Chrome History", History, Chrome},
    {L"Chrome Sessions", Sessions, Chrome},
    {L"Brave Cache", Cache, Brave},
    {L"Brave Cookies", Cookies, Brave},
    {L"Brave History", History, Brave},
    {L"Brave Sessions", Sessions, Brave},
    {L"Vivaldi Cache", Cache, Vivaldi},
    {L"Vivaldi Cookies", Cookies, Vivaldi},
    {L"Vivaldi History", History, Vivaldi},
    {L"Vivaldi Sessions", Sessions, Vivaldi},
    {L"Opera Cache", Cache, OperaProfile},
    {L"Opera Cookies", Cookies, OperaProfile},
    {L"Opera History", History, OperaProfile},
    {L"Opera Sessions", Sessions, OperaProfile},
    {L"Firefox Cache", Cache, FirefoxProfiles},
    {L"Firefox Cookies", Cookies, FirefoxProfiles},
    {L"Firefox History", History, FirefoxProfiles},
    {L"Firefox Sessions", Sessions, FirefoxProfiles},
};

const ShippedFile* Shipped(const std::wstring& name) {
  for (const ShippedFile& plugin : kShippedPlugins) {
    if (plugin.fileName == name + L".ppe") return &plugin;
  }
  return nullptr;
}

class BrowserPlugins : public CatalogueTest, public ::testing::WithParamInterface<BrowserCase> {
 protected:
  std::wstring Where(const Seed& seed) const {
    return (seed.local ? values.localAppDataFolder : values.appDataFolder) + seed.path;
  }
  // Every browser's profiles at once, so a definition is also seen to leave the others alone.
  std::vector<Seed> SeedAll() {
    std::vector<Seed> all;
    for (auto* seeds : {Edge, Chrome, Brave, Vivaldi, OperaProfile, FirefoxProfiles}) {
      for (Seed& seed : seeds()) all.push_back(std::move(seed));
    }
    for (const Seed& seed : all) MakeFile(Where(seed), 10);
    return all;
  }
  void Install(const std::wstring& name) {
    const ShippedFile* shipped = Shipped(name);
    ASSERT_TRUE(shipped) << name;
    std::wstring folder = program / L"plus-in";
    WriteText(folder + L"\\" + shipped->fileName, shipped->text);
    ASSERT_TRUE(catalogue::plugins::WritePluginSwitch(folder, name, true));
  }
};

}  // namespace

TEST_P(BrowserPlugins, RemovesExactlyItsKindFromItsOwnBrowser) {
  const BrowserCase& tested = GetParam();
  std::vector<Seed> all = SeedAll();
  std::vector<Seed> own = tested.seeds();
  std::set<std::wstring> target;
  for (const Seed& seed : own) {
    if (seed.kind == tested.kind) target.insert(Where(seed));
  }
  ASSERT_FALSE(target.empty());
  Install(tested.plugin);
  run::RunCounters counters = RunAsTicked();
  for (const Seed& seed : all) {
    std::wstring path = Where(seed);
    EXPECT_EQ(Exists(path), !target.count(path)) << path;
  }
  // Each file counts its 10 bytes; every walk adds its folder visits, the plug-in its fixed 50000.
  EXPECT_GE(counters.releasedBytes, 50000 + 10.0 * target.size());
  ASSERT_EQ(view.rows.size(), 2u);
  EXPECT_EQ(view.rows[0].label, tested.plugin);
  EXPECT_EQ(view.rows[0].state, L"Done");
}

INSTANTIATE_TEST_SUITE_P(Shipped, BrowserPlugins, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<BrowserCase>& info) {
                           std::string name = platform::Narrow(info.param.plugin);
                           name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
                           return name;
                         });

TEST(ShippedBrowserPlugins, EveryDefinitionBeyondTheExamplesIsTestedAgainstProfiles) {
  std::set<std::wstring> tested;
  for (const BrowserCase& c : kCases) tested.insert(std::wstring(c.plugin) + L".ppe");
  for (const ShippedFile& plugin : kShippedPlugins) {
    std::wstring file = plugin.fileName;
    if (file == L"7-Zip.ppe" || file == L"VLC.ppe" || file == L"Windows Media Player.ppe") continue;
    EXPECT_TRUE(tested.count(file)) << file;
  }
  EXPECT_EQ(tested.size(), std::size(kCases));
}

TEST_F(BrowserPlugins, FirefoxCacheRemovesTheCacheFoldersWhole) {
  SeedAll();
  Install(L"Firefox Cache");
  Install(L"Chrome Cookies");
  RunAsTicked();
  for (const wchar_t* profile : {L"abcd1234.default-release", L"efgh5678.work"}) {
    std::wstring local = values.localAppDataFolder + L"\\Mozilla\\Firefox\\Profiles\\" + profile;
    ExpectGone(local + L"\\cache2", ::testing::Message() << profile);
    ExpectKept(local + L"\\startupCache\\startupCache.8.little", ::testing::Message() << profile);
  }
  ExpectGone(values.localAppDataFolder + L"\\Google\\Chrome\\User Data\\Default\\Network\\Cookies");
  ExpectKept(values.localAppDataFolder + L"\\Google\\Chrome\\User Data\\Default\\Network");
}

TEST_F(BrowserPlugins, WithoutTheBrowsersOnlyTheFixedAmountsAndExistingFoldersCount) {
  Install(L"Firefox Cache");
  Install(L"Chrome Cookies");
  run::RunCounters counters = RunAsTicked();
  // Firefox's walk visits its (missing) start folder; Chrome's "User Data\*" names no profile.
  EXPECT_EQ(counters.releasedBytes, 2 * 50000 + 10000);
  EXPECT_EQ(counters.cleanedKeys, 2);
}

TEST_F(BrowserPlugins, SecurelyCleaningZerosAFileTheBrowserHoldsOpenBeforeItGoes) {
  std::wstring network = values.localAppDataFolder + L"\\Google\\Chrome\\User Data\\Default\\Network";
  const std::string secret = "SID=secret-session-cookie; domain=.example.com";
  Install(L"Chrome Cookies");
  for (bool securely : {true, false}) {
    SCOPED_TRACE(securely ? "securely on" : "securely off");
    WriteText(network + L"\\Cookies", secret);
    settings::inifun::WriteIniValue(program / L"prisd.dat", L"Options", L"securely", securely ? L"1" : L"0");
    // As the browser opens its cookie database: others may read, write and delete it.
    platform::FileHandle held(CreateFileW((network + L"\\Cookies").c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    run::RunCounters counters = RunAsTicked();
    EXPECT_EQ(ReadThrough(held.get()), securely ? std::string(secret.size(), '\0') : secret);
    held.reset();
    ExpectGone(network + L"\\Cookies");
    // The figures do not depend on the overwrite: the file, two folder visits and the fixed amount.
    EXPECT_EQ(counters.releasedBytes, secret.size() + 2 * 10000 + 2 * 10000 + 50000);
  }
}
