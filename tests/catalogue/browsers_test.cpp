#include <gtest/gtest.h>

#include "catalogue/catalogue_fixture.h"
#include "support/policy_keys.h"

using namespace testing_support;

namespace {

class Browsers : public CatalogueTest {
 protected:
  TempFolder shell;
  ScopedRegistryValue cookies{HKEY_CURRENT_USER, kShellFolders, L"Cookies", shell / L"Cookies", REG_EXPAND_SZ};
  ScopedRegistryValue cache{HKEY_CURRENT_USER, kShellFolders, L"Cache", shell / L"Cache", REG_EXPAND_SZ};
  ScopedRegistryValue history{HKEY_CURRENT_USER, kShellFolders, L"History", shell / L"History", REG_EXPAND_SZ};
  ScopedRegistryValue favorites{HKEY_CURRENT_USER, kShellFolders, L"Favorites", shell / L"Favorites", REG_EXPAND_SZ};
};

std::wstring TypedUrl(const std::wstring& name) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kTypedUrls, 0, KEY_READ, &key) != ERROR_SUCCESS) return L"<no key>";
  wchar_t data[512] = L"";
  DWORD bytes = sizeof(data);
  LONG status = RegQueryValueExW(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data), &bytes);
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? data : L"<none>";
}

}  // namespace

TEST_F(Browsers, FixedCountsAndAmounts) {
  const std::tuple<const wchar_t*, const wchar_t*, double, double> expected[] = {
      {L"EXPLORER", L"history", 15, 500000},
      {L"EXPLORER", L"autocomplete", 9, 0},
      {L"EXPLORER", L"addons", 15, 500000},
      {L"EXPLORER", L"location", 3, 0},
      {L"EXPLORER", L"index", 0, 3500000},
      {L"AOL", L"Address", 13, 0},
      {L"AOL", L"history", 15, 500000},
      {L"MSN", L"Location", 3, 0},
      {L"MSN", L"cookies", 0, 0},
      {L"MSN", L"cache", 0, 500000},
      {L"MSN", L"history", 0, 0},
      {L"EXPLORER", L"downloadedhistory", 0, 0},
  };
  for (const auto& [section, key, keys, bytes] : expected) {
    run::RunCounters counters = Run({{section, key}});
    EXPECT_EQ(counters.cleanedKeys, keys) << section << L"/" << key;
    EXPECT_EQ(counters.releasedBytes, bytes) << section << L"/" << key;
  }
  values.ieMajorVersion = 6;
  EXPECT_EQ(Run({{L"EXPLORER", L"addons"}}).cleanedKeys, 0);
  EXPECT_EQ(view.rows[0].state, L"Done");
}

TEST_F(Browsers, OlderInternetExplorersAreToldWhatIsSupported) {
  std::wstring downloads = root / L"Downloads";
  MakeFile(downloads + L"\\setup.exe", 1000);
  ScopedRegistryValue directory(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Main",
                                L"Default Download Directory", downloads);
  values.ieMajorVersion = 8;
  Run({{L"EXPLORER", L"downloaded"}, {L"EXPLORER", L"downloadedhistory"}});
  ASSERT_EQ(view.rows.size(), 3u);
  EXPECT_EQ(view.rows[0].state, L"Only Support IE9, IE10.");
  EXPECT_EQ(view.rows[1].state, L"Only Support IE9, IE10.");
  ExpectKept(downloads + L"\\setup.exe");

  values.ieMajorVersion = 9;
  run::RunCounters counters = Run({{L"EXPLORER", L"downloaded"}});
  // The user's own Downloads folder, its second folder, may be refused: the row then says so.
  EXPECT_TRUE(view.rows[0].state.starts_with(L"Done")) << view.rows[0].state;
  EXPECT_GE(counters.releasedBytes, 1000);
  ExpectKept(downloads);
  ExpectGone(downloads + L"\\setup.exe");
}

// Only an index file that exists is scheduled, and only once however often the item runs.
TEST_F(Browsers, IndexFilesAreScheduledForTheNextRestart) {
  const std::wstring cacheIndex = engine::regfun::ResolveShellFolder(L"Cache") + L"\\Content.IE5\\index.dat";
  MakeFile(cacheIndex, 10);
  Run({});
  std::vector<int> withoutIndex = view.progress;
  Run({{L"EXPLORER", L"index"}});
  EXPECT_EQ(view.rows[0].label, L"IE Index.dat Files");
  EXPECT_EQ(view.rows[0].state, L"Need to reboot your computer!");
  // The index item sets no progress of its own.
  EXPECT_EQ(view.progress, withoutIndex);
  Run({{L"EXPLORER", L"index"}});
  std::wstring operations = PendingFileRenames();
  size_t first = operations.find(cacheIndex);
  ASSERT_NE(first, std::wstring::npos);
  EXPECT_EQ(operations.find(cacheIndex, first + 1), std::wstring::npos);
  EXPECT_EQ(operations.find(L"History\\History.IE5\\index.dat"), std::wstring::npos);
}

TEST_F(Browsers, TypedAddressesComeBackAsTheKeepList) {
  SetString(HKEY_CURRENT_USER, kTypedUrls, L"url1", L"http://forget.example/");
  SetString(HKEY_CURRENT_USER, kTypedUrls, L"url7", L"http://forget.too/");
  WriteText(program / L"keepurl.dat", "http://keep.example/\r\nhttp://second.example/   \r\nftp://third/\r\n");
  Run({{L"EXPLORER", L"location"}});
  EXPECT_EQ(TypedUrl(L"url1"), L"http://keep.example/");
  EXPECT_EQ(TypedUrl(L"url2"), L"http://second.example/");
  EXPECT_EQ(TypedUrl(L"url3"), L"ftp://third/");
  EXPECT_EQ(TypedUrl(L"url4"), L"<none>");
  EXPECT_EQ(TypedUrl(L"url7"), L"<none>");
  // Kept on purpose, so no failure: the end names the kept addresses.
  EXPECT_EQ(view.rows.back().label, L"Task complete Successfully! (kept: 3 addresses)");

  DeleteFileW((program / L"keepurl.dat").c_str());
  Run({{L"AOL", L"Address"}});
  EXPECT_EQ(TypedUrl(L"url1"), L"<none>");
  EXPECT_EQ(view.rows.back().label, L"Task complete Successfully!");
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kTypedUrls));

  // The organisation's addresses come after the user's own, whose keep list stays as it was.
  PolicyKeys keys;
  SetString(keys.machine.get(), L"Policies\\KeepAddresses", L"1", L"http://intranet.example/");
  keys.PutInForce();
  WriteText(program / L"keepurl.dat", "http://keep.example/\r\n");
  Run({{L"EXPLORER", L"location"}});
  EXPECT_EQ(TypedUrl(L"url1"), L"http://keep.example/");
  EXPECT_EQ(TypedUrl(L"url2"), L"http://intranet.example/");
  EXPECT_EQ(ReadText(program / L"keepurl.dat"), "http://keep.example/\r\n");
}

// A key that holds only the kept addresses, as the item leaves it (with no keep list, an empty key), is
// not erased and made again: the second run on a clean system counts no registry entry.
TEST_F(Browsers, TypedAddressesAlreadyAsKeptAreNoErasure) {
  for (const char* keepList : {"", "http://keep.example/\r\n"}) {
    SetString(HKEY_CURRENT_USER, kTypedUrls, L"url1", L"http://forget.example/");
    WriteText(program / L"keepurl.dat", keepList);
    for (size_t entries : {1, 0}) {
      EXPECT_EQ(Run({{L"EXPLORER", L"location"}}).cleanedKeys, 3) << keepList;
      EXPECT_EQ(view.rows[0].registryEntries, entries) << keepList;
    }
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kTypedUrls));
    EXPECT_EQ(TypedUrl(L"url1"), *keepList ? L"http://keep.example/" : L"<none>");
  }
}

TEST_F(Browsers, CookiePurgeSparesExactlyTheKeptPaths) {
  std::wstring folder = shell / L"Cookies";
  MakeFile(folder + L"\\me@kept.txt", 10);
  MakeFile(folder + L"\\me@CASE.txt", 20);
  MakeFile(folder + L"\\me@gone.txt", 40);
  MakeFile(folder + L"\\sub\\me@deep.txt", 80);
  SetFileAttributesW((folder + L"\\me@kept.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  WriteText(program / L"keepcook.dat", platform::Narrow(folder + L"\\me@kept.txt") + "\r\n" +
                                           platform::Narrow(folder + L"\\me@case.txt") + "\r\n");
  run::RunCounters counters = Run({{L"EXPLORER", L"cookies"}});
  EXPECT_EQ(counters.releasedBytes, 60);
  ExpectKept(folder + L"\\me@kept.txt");
  EXPECT_FALSE(Attributes(folder + L"\\me@kept.txt") & FILE_ATTRIBUTE_HIDDEN);
  ExpectGone(folder + L"\\me@CASE.txt");
  ExpectGone(folder + L"\\me@gone.txt");
  ExpectKept(folder + L"\\sub\\me@deep.txt");

  // Without a keep list every cookie goes.
  DeleteFileW((program / L"keepcook.dat").c_str());
  EXPECT_EQ(Run({{L"AOL", L"cookies"}}).releasedBytes, 10);
  ExpectGone(folder + L"\\me@kept.txt");
}

TEST_F(Browsers, CacheAndFavorites) {
  MakeFile(shell / L"Cache\\Content.IE5\\X1\\page.htm", 300);
  MakeFile(shell / L"Favorites\\Links\\site.url", 50);
  run::RunCounters counters = Run({{L"EXPLORER", L"cache"}, {L"EXPLORER", L"favorites"}});
  EXPECT_EQ(counters.releasedBytes, 300 + 3 * 10000 + 50);
  ExpectKept(shell / L"Cache\\Content.IE5\\X1");
  ExpectGone(shell / L"Cache\\Content.IE5\\X1\\page.htm");
  ExpectKept(shell / L"Favorites");
  ExpectGone(shell / L"Favorites\\Links");
}

TEST_F(Browsers, FirefoxCacheWorksInTheLocalProfileTree) {
  std::wstring roaming = values.appDataFolder + L"\\Mozilla\\Firefox\\Profiles\\abc.default";
  std::wstring local = values.localAppDataFolder + L"\\Mozilla\\Firefox\\Profiles\\abc.default";
  MakeFile(roaming + L"\\places.sqlite", 5);
  MakeFile(local + L"\\Cache\\0\\entry", 100);
  MakeFile(local + L"\\cache2\\entries\\0A1B", 100);
  MakeFile(local + L"\\places.sqlite", 7);
  Run({{L"FIREFOX", L"cache"}});
  ExpectKept(roaming + L"\\places.sqlite");
  ExpectGone(local + L"\\Cache");
  ExpectGone(local + L"\\cache2");
  // The file holds the bookmarks with the history: it never goes whole but through its own item.
  ExpectKept(local + L"\\places.sqlite");
}

TEST_F(Browsers, NetscapeUsesNavigatorOnlyWithoutTheNsbProfiles) {
  std::wstring navigator = values.appDataFolder + L"\\Netscape\\Navigator\\Profiles\\p\\cookies.txt";
  std::wstring nsb = values.appDataFolder + L"\\Netscape\\NSB\\Profiles\\p\\cookies.txt";
  MakeFile(navigator, 1);
  Run({{L"Netscape", L"Cookies"}});
  ExpectGone(navigator);
  MakeFile(navigator, 1);
  MakeFile(nsb, 1);
  Run({{L"Netscape", L"Cookies"}});
  ExpectGone(nsb);
  ExpectKept(navigator);
}

TEST_F(Browsers, ChromeAndSafariNameTheirFiles) {
  std::wstring data = values.localAppDataFolder + L"\\Google\\Chrome\\User Data";
  MakeFile(data + L"\\Default\\History", 1);
  MakeFile(data + L"\\Default\\Extensions\\x\\Web Data", 2);
  MakeFile(data + L"\\Default\\Bookmarks", 4);
  MakeFile(data + L"\\Local State", 8);
  std::wstring safari = values.localAppDataFolder + L"\\Apple Computer\\Safari\\History";
  MakeFile(safari + L"\\h1", 16);
  MakeFile(safari + L"\\old\\h2", 32);
  run::RunCounters counters = Run({{L"Chrome", L"History"}, {L"Safari", L"History"}});
  ExpectGone(data + L"\\Default\\History");
  ExpectKept(data + L"\\Default\\Extensions\\x\\Web Data");
  ExpectKept(data + L"\\Default\\Bookmarks");
  ExpectKept(data + L"\\Local State");
  ExpectGone(safari + L"\\h1");
  ExpectKept(safari + L"\\old\\h2");
  // Five names walked through the three folders of Default; Safari's single-folder operations count
  // no visits.
  EXPECT_EQ(counters.releasedBytes, 1 + 5 * 3 * 10000 + 16);
}

// An item none of whose folders and keys exists says "Not installed"; one folder there is enough
// for it to read "Done", and the items of Windows itself are always installed.
TEST_F(Browsers, AnItemWhoseProgramIsAbsentReadsNotInstalled) {
  const std::wstring opera = values.appDataFolder + L"\\Opera\\Opera";
  struct Case {
    const wchar_t* section;
    const wchar_t* key;
    bool seeded;
    const wchar_t* state;
  };
  const Case cases[] = {
      {L"Opera", L"Cookies", false, L"Not installed"},
      {L"Opera", L"Cookies", true, L"Done"},
      {L"WINDOWS", L"passwords", false, L"Done"},
  };
  for (const Case& c : cases) {
    if (c.seeded) MakeFile(opera + L"\\cookies4.dat", 40);
    Run({{c.section, c.key}});
    ASSERT_EQ(view.rows.size(), 2u) << c.section << L"/" << c.key;
    EXPECT_EQ(view.rows[0].state, c.state) << c.section << L"/" << c.key;
    EXPECT_EQ(view.rows[1].label, L"Task complete Successfully!");
    if (c.seeded) {
      ExpectGone(opera + L"\\cookies4.dat");
    }
  }
}
