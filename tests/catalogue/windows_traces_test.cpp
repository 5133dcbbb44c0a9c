#include <gtest/gtest.h>

#include "catalogue/catalogue_fixture.h"

using namespace testing_support;

namespace {

constexpr wchar_t kExplorer[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";

std::wstring Explorer(const wchar_t* key) { return kExplorer + std::wstring(key); }

// Longer than the temporary files' default age, which keeps younger ones: the runs of the temporary
// folders judge the files made now as that old.
constexpr std::chrono::hours kOld(48);

class WindowsTraces : public CatalogueTest {};

}  // namespace

TEST_F(WindowsTraces, RegistryItemsCountTheirFixedAmountsWhetherOrNotKeysExist) {
  const std::pair<const wchar_t*, double> expected[] = {
      {L"run", 3},
      {L"search", 33},
      {L"open", 10},
      {L"wordpad", 3},
      {L"paint", 3},
      {L"picturelocation", 3},
      {L"DirectX", 6},
      {L"findcomputer", 12},
      {L"findfiles", 15},
      {L"mapnetwork", 3},
      {L"management", 3},
      {L"notification", 4},
      {L"registryeditor", 5},
      {L"menuorder", 5},
      {L"recentlyused", 25},
      {L"streams", 10},
      {L"userassist", 5},
      {L"unread", 5},
      {L"recent", 1},
      {L"recycle", 1},
      {L"passwords", 0},
      {L"swap", 0},
      {L"clip", 0},
      {L"thumbs", 0},
  };
  for (const auto& [key, keys] : expected) {
    run::RunCounters counters = Run({{L"WINDOWS", key}});
    EXPECT_EQ(counters.cleanedKeys, keys) << key;
    ASSERT_EQ(view.rows.size(), 2u) << key;
    EXPECT_TRUE(view.rows[0].state.starts_with(L"Done")) << key << view.rows[0].state;
  }
}

TEST_F(WindowsTraces, RegistryItemsRemoveTheirKeysAndValues) {
  SetString(HKEY_CURRENT_USER, Explorer(L"RunMRU"), L"a", L"cmd\\1");
  SetString(HKEY_CURRENT_USER, Explorer(L"UserAssist\\{GUID}\\Count"), L"x", L"y");
  SetString(HKEY_CURRENT_USER, Explorer(L"TypedPaths"), L"url1", L"C:\\");
  SetString(HKEY_CURRENT_USER, Explorer(L"TrayNotify"), L"PastIconsStream", L"1");
  SetString(HKEY_CURRENT_USER, Explorer(L"TrayNotify"), L"Other", L"stays");
  SetString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Direct3D\\MostRecentApplication", L"Name", L"game.exe");
  // A key with subkeys survives the plain key deletion.
  SetString(HKEY_CURRENT_USER, Explorer(L"WordWheelQuery\\child"), L"x", L"y");
  Run({{L"WINDOWS", L"run"},
       {L"WINDOWS", L"userassist"},
       {L"WINDOWS", L"streams"},
       {L"WINDOWS", L"notification"},
       {L"WINDOWS", L"DirectX"},
       {L"WINDOWS", L"search"}});
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Explorer(L"RunMRU")));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Explorer(L"UserAssist")));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Explorer(L"TypedPaths")));
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, Explorer(L"TrayNotify"), L"PastIconsStream"));
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, Explorer(L"TrayNotify"), L"Other"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Direct3D\\MostRecentApplication"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Explorer(L"WordWheelQuery\\child")));
  engine::allerase::DeleteRegistryTree({}, HKEY_CURRENT_USER, Explorer(L"WordWheelQuery"));
  engine::allerase::DeleteRegistryTree({}, HKEY_CURRENT_USER, Explorer(L"TrayNotify"));
}

TEST_F(WindowsTraces, TempEmptiesAndRecreatesTheThreeTemporaryFolders) {
  values.localAppDataFolder = root / L"u\\Local Settings\\Application Data";
  std::wstring t1 = root / L"u\\Local Settings\\temp";
  std::wstring t2 = values.windowsFolder + L"\\temp";
  std::wstring t3 = root / L"t3";
  MakeFile(t1 + L"\\a.tmp", 100);
  MakeFile(t1 + L"\\sub\\b.tmp", 50);
  MakeFile(t2 + L"\\c.tmp", 30);
  agesJudgedLater = kOld;
  MakeFolders(t3);
  ScopedEnvironment temp(L"TEMP", t3);
  run::RunCounters counters = Run({{L"WINDOWS", L"temp"}});
  // T1: 150 bytes and two folders; T2: 30 bytes and one folder; T3: one empty folder.
  EXPECT_EQ(counters.releasedBytes, 150 + 20000 + 30 + 10000 + 10000);
  for (const std::wstring& folder : {t1, t2, t3}) EXPECT_TRUE(Attributes(folder) & FILE_ATTRIBUTE_DIRECTORY);
  ExpectGone(t1 + L"\\sub");
  ExpectGone(t2 + L"\\c.tmp");
}

TEST_F(WindowsTraces, TempWithoutApplicationDataAndWithTempAtADriveRootErasesNothingOutside) {
  MakeFile(root / L"Windows\\temp\\c.tmp", 30);
  agesJudgedLater = kOld;
  std::wstring sentinel = L"C:\\trellwipe-root-sentinel.txt";
  MakeFile(sentinel, 1);
  ScopedEnvironment temp(L"TEMP", L"C:\\");
  run::RunCounters counters = Run({{L"WINDOWS", L"temp"}});
  // T2 only, and the drive root named by TEMP counts as a missing folder.
  EXPECT_EQ(counters.releasedBytes, 30 + 10000 + 10000);
  ExpectKept(sentinel);
  DeleteFileW(sentinel.c_str());
}

TEST_F(WindowsTraces, RecycleMeasuresRecyclerAndEmptiesTheBins) {
  MakeFile(L"C:\\RECYCLER\\S-1-5\\Dc1.txt", 5000);
  run::RunCounters counters = Run({{L"WINDOWS", L"recycle"}});
  EXPECT_EQ(counters.releasedBytes, 105000);
  EXPECT_EQ(counters.cleanedKeys, 1);
  DeleteFileW(L"C:\\RECYCLER\\S-1-5\\Dc1.txt");
  RemoveDirectoryW(L"C:\\RECYCLER\\S-1-5");
  RemoveDirectoryW(L"C:\\RECYCLER");
}

TEST_F(WindowsTraces, ScandiskDeletesOnlyFilesDirectlyInFoundFolders) {
  MakeFile(L"C:\\Found.003\\FILE0000.CHK", 70);
  MakeFile(L"C:\\Found.003\\deeper\\FILE0001.CHK", 9);
  run::RunCounters counters = Run({{L"WINDOWS", L"scandisk"}});
  EXPECT_EQ(counters.releasedBytes, 70);
  ExpectGone(L"C:\\Found.003\\FILE0000.CHK");
  ExpectKept(L"C:\\Found.003\\deeper\\FILE0001.CHK");
  DeleteFileW(L"C:\\Found.003\\deeper\\FILE0001.CHK");
  RemoveDirectoryW(L"C:\\Found.003\\deeper");
  RemoveDirectoryW(L"C:\\Found.003");
}

TEST_F(WindowsTraces, RecentSearchFoldersAndAMissingDocumentsFolder) {
  MakeFile(values.appDataFolder + L"\\Microsoft\\Windows\\Recent\\doc.lnk", 400);
  MakeFile(documents / L"Searches\\everything.search-ms", 25);
  run::RunCounters counters = Run({{L"WINDOWS", L"recent"}, {L"WINDOWS", L"searchfolders"}});
  EXPECT_EQ(counters.cleanedKeys, 1);
  EXPECT_EQ(counters.releasedBytes, 400 + 25 + 10000);
  ExpectKept(values.appDataFolder + L"\\Microsoft\\Windows\\Recent");
  ExpectGone(values.appDataFolder + L"\\Microsoft\\Windows\\Recent\\doc.lnk");
  ExpectKept(documents / L"Searches");

  // A failed lookup names no folder: the tree step counts its visit as on a missing folder, and no
  // "Error" folder appears.
  ScopedRegistryValue broken(HKEY_CURRENT_USER,
                             L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", L"Personal",
                             std::wstring(300, L'x'), REG_EXPAND_SZ);
  values.appDataFolder = L"Error";
  counters = Run({{L"WINDOWS", L"recent"}, {L"WINDOWS", L"searchfolders"}});
  EXPECT_EQ(counters.releasedBytes, 10000);
  ExpectGone(L"Error");
}

// Explorer's pinned Quick Access folders stay; every other recent entry and jump list goes.
TEST_F(WindowsTraces, RecentDocumentsKeepTheQuickAccessPins) {
  const std::wstring recent = values.appDataFolder + L"\\Microsoft\\Windows\\Recent";
  const std::wstring pins = recent + L"\\AutomaticDestinations\\f01b4d95cf55d32a.automaticDestinations-ms";
  MakeFile(pins, 3000);
  MakeFile(recent + L"\\AutomaticDestinations\\5f7b5f1e01b83767.automaticDestinations-ms", 200);
  MakeFile(recent + L"\\CustomDestinations\\abc.customDestinations-ms", 100);
  MakeFile(recent + L"\\report.docx.lnk", 50);
  run::RunCounters counters = Run({{L"WINDOWS", L"recent"}});
  EXPECT_EQ(counters.releasedBytes, 350);
  EXPECT_EQ(ReadText(pins), std::string(3000, 'x'));
  EXPECT_EQ(FolderNames(recent + L"\\AutomaticDestinations"),
            std::vector<std::wstring>{L"f01b4d95cf55d32a.automaticDestinations-ms"});
  EXPECT_EQ(FolderNames(recent), std::vector<std::wstring>{L"AutomaticDestinations"});
}

// Every "Thumbs.db" of the fixed drives goes, whatever its attributes; other files keep theirs, and
// nothing in the program folder is touched. Nothing is counted.
TEST_F(WindowsTraces, ThumbsDeletesTheThumbnailCachesOfEveryFixedDriveOnly) {
  TempFolder pictures;
  MakeFile(pictures / L"Holiday\\Thumbs.db", 10);
  MakeFile(pictures / L"THUMBS.DB", 10);
  MakeFile(pictures / L"Holiday\\thumbs.db.bak", 10);
  MakeFile(pictures / L"hidden.jpg", 10);
  MakeFile(program / L"Thumbs.db", 10);
  SetFileAttributesW((pictures / L"THUMBS.DB").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  SetFileAttributesW((pictures / L"hidden.jpg").c_str(), FILE_ATTRIBUTE_HIDDEN);
  run::RunCounters counters = Run({{L"WINDOWS", L"thumbs"}});
  EXPECT_EQ(counters.releasedBytes, 0);
  EXPECT_TRUE(view.rows[0].state.starts_with(L"Done")) << view.rows[0].state;
  ExpectGone(pictures / L"Holiday\\Thumbs.db");
  ExpectGone(pictures / L"THUMBS.DB");
  ExpectKept(pictures / L"Holiday\\thumbs.db.bak");
  EXPECT_TRUE(Attributes(pictures / L"hidden.jpg") & FILE_ATTRIBUTE_HIDDEN);
  ExpectKept(program / L"Thumbs.db");
}

TEST_F(WindowsTraces, ClipEmptiesTheClipboard) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, 8);
  wcscpy(static_cast<wchar_t*>(GlobalLock(text)), L"abc");
  GlobalUnlock(text);
  SetClipboardData(CF_UNICODETEXT, text);
  CloseClipboard();
  ASSERT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  Run({{L"WINDOWS", L"clip"}});
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
}
