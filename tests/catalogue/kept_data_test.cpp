// A new user's first cleaning and every built-in item on a profile of today's Chrome, Edge and
// Firefox: the traces go, and what the user keeps stays unless the item's label names it. The same
// for the items of Windows, the office suite and older browsers whose files or keys hold settings
// beside their traces.
#include <gtest/gtest.h>

#include "catalogue/catalogue_fixture.h"
#include "catalogue/office_version.h"
#include "engine/kept_data.h"
#include "support/firefox_places.h"

using namespace testing_support;

namespace {

constexpr wchar_t kChrome[] = L"Local\\Google\\Chrome\\User Data\\";
constexpr wchar_t kEdge[] = L"Local\\Microsoft\\Edge\\User Data\\";
constexpr wchar_t kFirefox[] = L"Roaming\\Mozilla\\Firefox\\Profiles\\abcd1234.default-release\\";
constexpr wchar_t kMozillaSuite[] = L"Roaming\\Mozilla\\Profiles\\default\\ab12cd34.slt\\";
constexpr wchar_t kRegedit[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit";

// Below the scratch root; `kind`: what it holds.
struct UserFile {
  const wchar_t* browser;
  const wchar_t* path;
  unsigned kind;
};

constexpr UserFile kUserFiles[] = {
    {kChrome, L"Local State", engine::kKeptPasswords},
    {kChrome, L"Default\\Login Data", engine::kKeptPasswords},
    {kChrome, L"Default\\Web Data", engine::kKeptAutofill},
    {kChrome, L"Default\\Bookmarks", engine::kKeptBookmarks},
    {kChrome, L"Default\\Preferences", engine::kKeptSettings},
    {kChrome, L"Default\\Secure Preferences", engine::kKeptSettings},
    {kChrome, L"Default\\Extensions\\abcdefghijklmnop\\1.0_0\\manifest.json", engine::kKeptExtensions},
    {kChrome, L"Default\\Sync Data\\LevelDB\\000003.log", engine::kKeptSync},
    {kChrome, L"Default\\Sync Data\\SyncData.sqlite3", engine::kKeptSync},
    {kEdge, L"Local State", engine::kKeptPasswords},
    {kEdge, L"Default\\Login Data", engine::kKeptPasswords},
    {kEdge, L"Default\\Web Data", engine::kKeptAutofill},
    {kEdge, L"Default\\Bookmarks", engine::kKeptBookmarks},
    {kEdge, L"Default\\Preferences", engine::kKeptSettings},
    {kFirefox, L"places.sqlite", engine::kKeptBookmarks},
    {kFirefox, L"favicons.sqlite", engine::kKeptBookmarks},
    {kFirefox, L"key4.db", engine::kKeptPasswords},
    {kFirefox, L"logins.json", engine::kKeptPasswords},
    {kFirefox, L"cert9.db", engine::kKeptSettings},
    {kFirefox, L"prefs.js", engine::kKeptSettings},
    {kMozillaSuite, L"localstore.rdf", engine::kKeptSettings},
};

// What the default selection erases on the same profile.
constexpr const wchar_t* kTraces[] = {
    L"Local\\Google\\Chrome\\User Data\\Default\\History",
    L"Local\\Google\\Chrome\\User Data\\Default\\Visited Links",
    L"Local\\Google\\Chrome\\User Data\\Default\\Cache\\Cache_Data\\f_000001",
    L"Local\\Mozilla\\Firefox\\Profiles\\abcd1234.default-release\\cache2\\entries\\0A1B2C3D",
};

class KeptData : public CatalogueTest {
 protected:
  TempFolder userTemp;
  ScopedEnvironment tmp{L"TMP", userTemp.Path()};
  ScopedEnvironment temp{L"TEMP", userTemp.Path()};

  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kRegedit); }

  std::wstring PathOf(const UserFile& file) const { return root / (std::wstring(file.browser) + file.path); }
  void Seed() {
    for (const UserFile& file : kUserFiles) MakeFile(PathOf(file), 16);
    ASSERT_TRUE(MakeFirefoxPlaces(root / kFirefox + L"places.sqlite"));
    for (const wchar_t* trace : kTraces) MakeFile(root / trace, 16);
    SetString(HKEY_CURRENT_USER, kRegedit, L"LastKey", L"Computer\\HKEY_CURRENT_USER\\Software");
    SetString(HKEY_CURRENT_USER, std::wstring(kRegedit) + L"\\Favorites", L"Run", L"Computer\\HKEY_CURRENT_USER");
  }
  // Every user file but those of the kinds `named` is still there.
  void ExpectKeptDataStays(unsigned named, const std::wstring& after) {
    for (const UserFile& file : kUserFiles) {
      if (file.kind & named) continue;
      ExpectKept(PathOf(file), ::testing::Message() << "lost after " << after << ": " << file.browser << file.path);
    }
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, std::wstring(kRegedit) + L"\\Favorites", L"Run")) << after;
  }
};

}  // namespace

TEST_F(KeptData, TheFirstCleaningAndEveryItemLeaveWhatTheUserKeeps) {
  Seed();
  ASSERT_TRUE(catalogue::InstallDefaultSelection(program.Path()));
  run::CleanRun(view, program.Path(), values, catalogue::Stages()).CleanNow();
  ExpectKeptDataStays(0, L"the default selection");
  for (const wchar_t* trace : kTraces) ExpectGone(root / trace, ::testing::Message() << "stayed: " << trace);
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kRegedit, L"LastKey"));
  {
    platform::SqliteDatabase places(root / kFirefox + L"places.sqlite");
    EXPECT_EQ(places.Number("SELECT count(*) FROM moz_historyvisits"), 0);
    EXPECT_EQ(places.Text(
                  "SELECT url FROM moz_places JOIN moz_bookmarks ON fk = moz_places.id WHERE moz_bookmarks.id = 3"),
              L"https://bookmarked.example/");
  }
  for (const catalogue::Item* item : catalogue::RunOrder()) {
    Run({{item->section, item->key}});
    ExpectKeptDataStays(item->names, item->label);
    Seed();
  }
}

// The items that name what they erase erase it, and only it.
TEST_F(KeptData, ItemsThatNameUserDataEraseIt) {
  Seed();
  Run({{L"Chrome", L"Forms"}});
  ExpectGone(root / kChrome + L"Default\\Web Data");
  ExpectGone(root / kChrome + L"Default\\Login Data");
  ExpectKept(root / kChrome + L"Local State");
  Run({{L"FIREFOX", L"passwords"}});
  ExpectGone(root / kFirefox + L"logins.json");
  ExpectKept(root / kFirefox + L"key4.db");
  Run({{L"FIREFOX", L"bookmarks"}});
  ExpectGone(root / kFirefox + L"places.sqlite");
  ExpectKept(root / kFirefox + L"prefs.js");
}

namespace {

// A file below the scratch root, a key (`value` null) or a value below HKEY_CURRENT_USER.
struct SeededEntry {
  const wchar_t* path;
  const wchar_t* value = nullptr;
  bool file = false;
};
constexpr SeededEntry File(const wchar_t* path) { return {path, nullptr, true}; }

constexpr wchar_t kTrayNotify[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\TrayNotify";

struct Beside {
  const wchar_t* section;
  const wchar_t* key;
  const wchar_t* officeVersion;  // the suite the run finds, or null
  SeededEntry kept;
  SeededEntry trace;  // null path: the item has no trace beside it
};

const Beside kBeside[] = {
    {L"WINDOWS", L"notification", nullptr, {kTrayNotify, L"IconStreams"}, {kTrayNotify, L"PastIconsStream"}},
    {L"Maxthon", L"pages", nullptr, File(L"Roaming\\Maxthon3\\Users\\guest\\Config.ini"),
     File(L"Roaming\\Maxthon3\\Users\\guest\\lasttabs.dat")},
    {L"Safari", L"RecentSearches", nullptr, File(L"Roaming\\Apple Computer\\Preferences\\com.apple.Safari.plist"), {}},
    {L"OFFICE",
     L"word",
     L"11.0",
     {L"Software\\Microsoft\\Office\\11.0\\Word\\Data"},
     {L"Software\\Microsoft\\Office\\11.0\\Word\\Recent Templates"}},
    {L"OFFICE",
     L"Access",
     L"11.0",
     {L"Software\\Microsoft\\Office\\11.0\\Access\\Settings"},
     {L"Software\\Microsoft\\Office\\11.0\\Access\\Internet\\Recent Templates"}},
    {L"OFFICE",
     L"Onenote",
     L"14.0",
     {L"Software\\Microsoft\\Office\\14.0\\OneNote\\OpenNotebooks"},
     {L"Software\\Microsoft\\Office\\14.0\\OneNote\\RecentNotebooks"}},
};

class KeptBeside : public CatalogueTest {
 protected:
  void TearDown() override {
    for (const wchar_t* top :
         {L"Software\\Microsoft\\Office\\11.0", L"Software\\Microsoft\\Office\\14.0", kTrayNotify}) {
      RegDeleteTreeW(HKEY_CURRENT_USER, top);
    }
  }
  void Make(const SeededEntry& entry) {
    if (entry.file) {
      MakeFile(root / entry.path, 16);
    } else {
      SetString(HKEY_CURRENT_USER, entry.path, entry.value ? entry.value : L"seeded", L"1");
    }
  }
  bool Present(const SeededEntry& entry) {
    if (entry.file) return Exists(root / entry.path);
    return entry.value ? ValueExists(HKEY_CURRENT_USER, entry.path, entry.value)
                       : KeyExists(HKEY_CURRENT_USER, entry.path);
  }
};

std::function<catalogue::WordProbe()> Suite(const wchar_t* version) {
  if (!version) return [] { return catalogue::WordProbe{}; };
  return [version] { return catalogue::WordProbe{true, version}; };
}

}  // namespace

TEST_F(KeptBeside, ItemsLeaveTheSettingsBesideTheirTraces) {
  for (const Beside& item : kBeside) {
    Make(item.kept);
    if (item.trace.path) Make(item.trace);
    catalogue::FakeWordProcessor word(Suite(item.officeVersion));
    Run({{item.section, item.key}});
    EXPECT_TRUE(Present(item.kept)) << item.key << ": " << item.kept.path;
    if (item.trace.path) {
      EXPECT_FALSE(Present(item.trace)) << item.key << ": " << item.trace.path;
    }
  }
}
