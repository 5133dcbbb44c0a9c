#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/catalogue_fixture.h"
#include "catalogue/office_version.h"

using namespace testing_support;
using catalogue::FakeWordProcessor;
using catalogue::WordProbe;

namespace {

std::wstring SuiteKey(const std::wstring& version, const std::wstring& suffix) {
  return L"Software\\Microsoft\\Office\\" + version + suffix;
}

std::function<WordProbe()> Reports(const wchar_t* version) {
  return [version] { return WordProbe{true, version}; };
}

std::function<WordProbe()> NotInstalled() {
  return [] { return WordProbe{}; };
}

// Keys made for a test under HKCU. Afterwards the topmost key each seeding had to create is
// deleted with everything below it, so keys that were there before stay.
class SeededKeys {
 public:
  ~SeededKeys() {
    for (auto top = created_.rbegin(); top != created_.rend(); ++top) {
      engine::allerase::DeleteRegistryTree({}, HKEY_CURRENT_USER, *top);
    }
  }
  void Add(const std::wstring& subkey, const std::wstring& value = L"seeded") {
    for (size_t end = subkey.find(L'\\');; end = subkey.find(L'\\', end + 1)) {
      std::wstring prefix = subkey.substr(0, end);
      if (!KeyExists(HKEY_CURRENT_USER, prefix)) {
        created_.push_back(prefix);
        break;
      }
      if (end == std::wstring::npos) break;
    }
    SetString(HKEY_CURRENT_USER, subkey, value, L"1");
  }

 private:
  std::vector<std::wstring> created_;
};

bool Present(const std::wstring& subkey) { return KeyExists(HKEY_CURRENT_USER, subkey); }

class Office : public CatalogueTest {
 protected:
  SeededKeys seeded;
};

struct ItemCount {
  const wchar_t* key;
  const wchar_t* label;
  double before2007;
  double since2010;
};

const ItemCount kItemCounts[] = {
    {L"word", L"Microsoft Word", 15, 10},
    {L"excel", L"Microsoft Excel", 15, 10},
    {L"Powerpoint", L"Microsoft Powerpoint", 25, 10},
    {L"FrontPage", L"Microsoft FrontPage", 21, 21},
    {L"Access", L"Microsoft Access", 10, 10},
    {L"Publisher", L"Microsoft Publisher", 15, 15},
    {L"InfoPath", L"Microsoft InfoPath", 30, 30},
    {L"Onenote", L"Microsoft Onenote", 15, 15},
    {L"Lync", L"Microsoft Lync Settings", 5, 5},
    {L"SkyDrive", L"Microsoft SkyDrive Settings", 5, 5},
    {L"Project", L"Microsoft Project", 25, 25},
    {L"Visio", L"Microsoft Visio", 15, 15},
    {L"Organizer", L"Clip Organizer", 11, 11},
    {L"Settings", L"Microsoft Office Settings", 15, 15},
    {L"Picture", L"Microsoft Office Picture Manager", 7, 7},
    {L"Viewer", L"Microsoft Snapshot Viewer", 15, 15},
};

}  // namespace

TEST(OfficeGeneration, FirstGenerationNumberFoundAnywhereInTheVersionTextWins) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"8.0", L"Office97"},
      {L"9.0", L"Office2000"},
      {L"10.0", L"Office2002"},
      {L"11.0", L"Office2003"},
      {L"12.0", L"Office2007"},
      {L"14.0", L"Office2010"},
      {L"15.0", L"Office2013"},
      {L"16.0", L"Office2016"},
      {L"0", L""},
      {L"", L""},
      {L"13.0", L""},
      {L"18.0", L"Office97"},
      {L"15.0.4128", L"Office97"},
      {L"11.9", L"Office2000"},
      {L"110.0", L"Office2002"},
      {L"Version 14", L"Office2010"},
  };
  for (const auto& [version, generation] : cases) {
    EXPECT_EQ(catalogue::GenerationName({true, version}), generation) << version;
  }
}

TEST(OfficeGeneration, NoAutomationObjectMeansNoSuiteWhateverTheVersionText) {
  EXPECT_EQ(catalogue::GenerationName({false, L"0"}), L"NoOffice");
  EXPECT_EQ(catalogue::GenerationName({false, L"14.0"}), L"NoOffice");
}

// The test prefix has no word processor registered.
TEST(OfficeGeneration, RealAutomationServerIsMissingUnderTest) {
  WordProbe probe = catalogue::ProbeWordProcessor();
  EXPECT_FALSE(probe.created);
  EXPECT_EQ(probe.version, L"0");
  EXPECT_EQ(catalogue::DetectOfficeVersion(), L"NoOffice");
}

TEST(OfficeGeneration, FakeWordProcessorsNestAndUninstall) {
  {
    FakeWordProcessor outer(Reports(L"12.0"));
    {
      FakeWordProcessor inner(Reports(L"14.0"));
      EXPECT_EQ(catalogue::DetectOfficeVersion(), L"Office2010");
    }
    EXPECT_EQ(catalogue::DetectOfficeVersion(), L"Office2007");
  }
  EXPECT_EQ(catalogue::DetectOfficeVersion(), L"NoOffice");
}

TEST_F(Office, EachItemCountsItsStepsOnEveryBranchWhetherOrNotKeysExist) {
  struct Suite {
    const wchar_t* name;
    std::function<WordProbe()> probe;
    bool since2010;
  };
  const Suite suites[] = {
      {L"11.0", Reports(L"11.0"), false}, {L"14.0", Reports(L"14.0"), true}, {L"15.0", Reports(L"15.0"), true},
      {L"16.0", Reports(L"16.0"), true},  {L"none", NotInstalled(), false},
  };
  for (const Suite& suite : suites) {
    FakeWordProcessor word(suite.probe);
    for (const ItemCount& item : kItemCounts) {
      run::RunCounters counters = Run({{L"OFFICE", item.key}});
      EXPECT_EQ(counters.cleanedKeys, suite.since2010 ? item.since2010 : item.before2007)
          << suite.name << " " << item.key;
      EXPECT_EQ(counters.releasedBytes, 0) << suite.name << " " << item.key;
      ASSERT_EQ(view.rows.size(), 2u) << suite.name << " " << item.key;
      EXPECT_EQ(view.rows[0].label, item.label);
      // Without the suite's keys the item reads "Not installed".
      EXPECT_TRUE(view.rows[0].state == L"Done" || view.rows[0].state == L"Not installed") << view.rows[0].state;
    }
  }
}

TEST_F(Office, WithoutAWordProcessorWordTakesTheOldBranchAndStillCounts) {
  EXPECT_EQ(Run({{L"OFFICE", L"word"}}).cleanedKeys, 15);
}

TEST_F(Office, EveryGenerationErasesUnderItsOwnVersionNumber) {
  const wchar_t* numbers[] = {L"8.0", L"9.0", L"10.0", L"11.0", L"12.0", L"14.0", L"15.0", L"16.0"};
  for (const wchar_t* version : numbers) {
    for (const wchar_t* number : numbers) seeded.Add(SuiteKey(number, L"\\Lync"));
    FakeWordProcessor word(Reports(version));
    Run({{L"OFFICE", L"Lync"}});
    for (const wchar_t* number : numbers) {
      EXPECT_EQ(Present(SuiteKey(number, L"\\Lync")), std::wstring(number) != version) << version << " " << number;
    }
  }
}

TEST_F(Office, Version14WordAndAccessEraseTheirNewListsOnly) {
  for (const wchar_t* suffix : {L"\\Word\\File MRU", L"\\Word\\Place MRU", L"\\Word\\Data", L"\\Access\\File MRU",
                                L"\\Access\\Place MRU", L"\\Access\\Settings"}) {
    seeded.Add(SuiteKey(L"14.0", suffix));
  }
  seeded.Add(SuiteKey(L"12.0", L"\\Word\\File MRU"));
  FakeWordProcessor word(Reports(L"14.0"));
  EXPECT_EQ(Run({{L"OFFICE", L"word"}}).cleanedKeys, 10);
  EXPECT_FALSE(Present(SuiteKey(L"14.0", L"\\Word\\File MRU")));
  EXPECT_FALSE(Present(SuiteKey(L"14.0", L"\\Word\\Place MRU")));
  EXPECT_TRUE(Present(SuiteKey(L"14.0", L"\\Word\\Data")));
  EXPECT_TRUE(Present(SuiteKey(L"12.0", L"\\Word\\File MRU")));
  Run({{L"OFFICE", L"Access"}});
  EXPECT_FALSE(Present(SuiteKey(L"14.0", L"\\Access\\File MRU")));
  EXPECT_FALSE(Present(SuiteKey(L"14.0", L"\\Access\\Place MRU")));
  EXPECT_TRUE(Present(SuiteKey(L"14.0", L"\\Access\\Settings")));
}

// Today's suite (2016 to 365) keeps a signed-in account's recent lists under "User MRU": they go with
// the old ones, and the options beside them stay.
TEST_F(Office, Version16ErasesTheAccountsRecentListsToo) {
  for (const wchar_t* suffix :
       {L"\\Word\\File MRU", L"\\Word\\User MRU\\ADAL_1\\File MRU", L"\\Word\\User MRU\\ADAL_1\\Place MRU",
        L"\\Word\\User MRU\\LiveId_2\\File MRU", L"\\Word\\Options", L"\\Excel\\User MRU\\ADAL_1\\File MRU"}) {
    seeded.Add(SuiteKey(L"16.0", suffix));
  }
  FakeWordProcessor word(Reports(L"16.0"));
  EXPECT_EQ(Run({{L"OFFICE", L"word"}}).cleanedKeys, 10);
  for (const wchar_t* gone : {L"\\Word\\File MRU", L"\\Word\\User MRU\\ADAL_1\\File MRU",
                              L"\\Word\\User MRU\\ADAL_1\\Place MRU", L"\\Word\\User MRU\\LiveId_2\\File MRU"}) {
    EXPECT_FALSE(Present(SuiteKey(L"16.0", gone))) << gone;
  }
  EXPECT_TRUE(Present(SuiteKey(L"16.0", L"\\Word\\Options")));
  EXPECT_TRUE(Present(SuiteKey(L"16.0", L"\\Word\\User MRU\\ADAL_1")));
  EXPECT_TRUE(Present(SuiteKey(L"16.0", L"\\Excel\\User MRU\\ADAL_1\\File MRU")));
}

TEST_F(Office, Version12TakesTheOldBranchForAccessAndTheNewOneForWord) {
  for (const wchar_t* suffix : {L"\\Access\\Settings", L"\\Access\\Internet\\Recent Templates", L"\\Access\\File MRU",
                                L"\\Word\\File MRU", L"\\Word\\Place MRU", L"\\Word\\Recent Templates"}) {
    seeded.Add(SuiteKey(L"12.0", suffix));
  }
  FakeWordProcessor word(Reports(L"12.0"));
  EXPECT_EQ(Run({{L"OFFICE", L"Access"}, {L"OFFICE", L"word"}}).cleanedKeys, 10 + 10);
  EXPECT_TRUE(Present(SuiteKey(L"12.0", L"\\Access\\Settings")));  // Access's options
  EXPECT_FALSE(Present(SuiteKey(L"12.0", L"\\Access\\Internet\\Recent Templates")));
  EXPECT_TRUE(Present(SuiteKey(L"12.0", L"\\Access\\Internet")));
  EXPECT_TRUE(Present(SuiteKey(L"12.0", L"\\Access\\File MRU")));
  EXPECT_FALSE(Present(SuiteKey(L"12.0", L"\\Word\\File MRU")));
  EXPECT_FALSE(Present(SuiteKey(L"12.0", L"\\Word\\Place MRU")));
  EXPECT_TRUE(Present(SuiteKey(L"12.0", L"\\Word\\Recent Templates")));
}

TEST_F(Office, Version11PowerpointErasesItsFiveOldLists) {
  const wchar_t* old[] = {L"\\PowerPoint\\Recent File List", L"\\PowerPoint\\Recent Templates",
                          L"\\PowerPoint\\RecentFolderList", L"\\PowerPoint\\RecentTemplateList",
                          L"\\PowerPoint\\ProjectTemplateLocation"};
  for (const wchar_t* suffix : old) seeded.Add(SuiteKey(L"11.0", suffix));
  seeded.Add(SuiteKey(L"11.0", L"\\PowerPoint\\File MRU"));
  seeded.Add(SuiteKey(L"14.0", L"\\PowerPoint\\Recent File List"));
  FakeWordProcessor word(Reports(L"11.0"));
  EXPECT_EQ(Run({{L"OFFICE", L"Powerpoint"}}).cleanedKeys, 25);
  for (const wchar_t* suffix : old) EXPECT_FALSE(Present(SuiteKey(L"11.0", suffix))) << suffix;
  EXPECT_TRUE(Present(SuiteKey(L"11.0", L"\\PowerPoint\\File MRU")));
  EXPECT_TRUE(Present(SuiteKey(L"14.0", L"\\PowerPoint\\Recent File List")));
}

TEST_F(Office, PictureOrganizerAndSettingsEraseNamedValuesAndWizardKeys) {
  const std::wstring options = SuiteKey(L"14.0", L"\\OIS\\Options");
  const std::wstring shortcutMru =
      SuiteKey(L"14.0",
               L"\\Common\\Open Find\\Microsoft Office Picture Manager\\Settings\\Add Picture Shortcut\\File Name MRU");
  const std::wstring organizer = SuiteKey(L"14.0", L"\\Clip Organizer");
  const std::wstring wizard = L"Software\\Microsoft\\OfficeProfileWizard\\14.0";
  for (const wchar_t* name : {L"LastTreeConfig", L"LastTreeSelection", L"ShowThumbnails"}) seeded.Add(options, name);
  seeded.Add(shortcutMru);
  seeded.Add(organizer, L"MRUKeywords");
  seeded.Add(organizer, L"Layout");
  seeded.Add(organizer + L"\\File MRU");
  for (const wchar_t* suffix : {L"\\RecentFileList", L"\\File MRU", L"\\Place MRU"}) seeded.Add(wizard + suffix);
  FakeWordProcessor word(Reports(L"14.0"));

  EXPECT_EQ(Run({{L"OFFICE", L"Picture"}}).cleanedKeys, 7);
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, options, L"LastTreeConfig"));
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, options, L"LastTreeSelection"));
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, options, L"ShowThumbnails"));
  EXPECT_FALSE(Present(shortcutMru));
  EXPECT_TRUE(Present(SuiteKey(L"14.0", L"\\Common\\Open Find\\Microsoft Office Picture Manager\\Settings")));

  EXPECT_EQ(Run({{L"OFFICE", L"Organizer"}}).cleanedKeys, 11);
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, organizer, L"MRUKeywords"));
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, organizer, L"Layout"));
  EXPECT_FALSE(Present(organizer + L"\\File MRU"));

  EXPECT_EQ(Run({{L"OFFICE", L"Settings"}}).cleanedKeys, 15);
  for (const wchar_t* suffix : {L"\\RecentFileList", L"\\File MRU", L"\\Place MRU"}) {
    EXPECT_FALSE(Present(wizard + suffix)) << suffix;
  }
  EXPECT_TRUE(Present(wizard));
}

TEST_F(Office, FrontPageAndSnapshotViewerUseFixedKeysWithoutASuite) {
  const std::wstring explorer = L"Software\\Microsoft\\FrontPage\\Explorer\\FrontPage Explorer";
  const std::wstring viewer = L"Software\\Microsoft\\Snapshot Viewer";
  for (const wchar_t* list :
       {L"\\Recent File List", L"\\Recent Page List", L"\\Recent Web List", L"\\Recently Created Servers"}) {
    seeded.Add(explorer + list);
  }
  seeded.Add(explorer + L"\\Settings", L"LastWebOpen");
  seeded.Add(explorer + L"\\Settings", L"Toolbar");
  for (const wchar_t* list : {L"\\Recent File List", L"\\File MRU", L"\\Place MRU"}) seeded.Add(viewer + list);
  FakeWordProcessor word(NotInstalled());
  EXPECT_EQ(Run({{L"OFFICE", L"FrontPage"}, {L"OFFICE", L"Viewer"}}).cleanedKeys, 21 + 15);
  for (const wchar_t* list :
       {L"\\Recent File List", L"\\Recent Page List", L"\\Recent Web List", L"\\Recently Created Servers"}) {
    EXPECT_FALSE(Present(explorer + list)) << list;
  }
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, explorer + L"\\Settings", L"LastWebOpen"));
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, explorer + L"\\Settings", L"Toolbar"));
  for (const wchar_t* list : {L"\\Recent File List", L"\\File MRU", L"\\Place MRU"}) {
    EXPECT_FALSE(Present(viewer + list)) << list;
  }
}

// Without a version number the keys would begin "Software\Microsoft\Office\\": the
// version-independent keys that a collapsed double backslash would name must survive.
TEST_F(Office, UnknownOrMissingSuiteErasesNothingOutsideAVersionBranch) {
  const std::wstring kept[] = {SuiteKey(L"", L"Word\\Data"), SuiteKey(L"", L"Lync"), SuiteKey(L"17.0", L"\\Lync"),
                               L"Software\\Microsoft\\OfficeProfileWizard\\RecentFileList"};
  for (const std::wstring& key : kept) seeded.Add(key);
  seeded.Add(SuiteKey(L"", L"Clip Organizer"), L"MRUKeywords");
  seeded.Add(SuiteKey(L"", L"OIS\\Options"), L"LastTreeConfig");
  for (std::function<WordProbe()> probe : {Reports(L"17.0"), NotInstalled()}) {
    FakeWordProcessor word(probe);
    run::RunCounters counters = Run({{L"OFFICE", L"word"},
                                     {L"OFFICE", L"Lync"},
                                     {L"OFFICE", L"Settings"},
                                     {L"OFFICE", L"Organizer"},
                                     {L"OFFICE", L"Picture"}});
    EXPECT_EQ(counters.cleanedKeys, 15 + 5 + 15 + 11 + 7);
    for (const std::wstring& key : kept) EXPECT_TRUE(Present(key)) << key;
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, SuiteKey(L"", L"Clip Organizer"), L"MRUKeywords"));
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, SuiteKey(L"", L"OIS\\Options"), L"LastTreeConfig"));
  }
}

TEST_F(Office, SuiteIsAskedOncePerRunAfterTheMessengersAndBeforeTheFirstOfficeItem) {
  int calls = 0;
  size_t rowsAtCall = 0;
  int progressAtCall = 0;
  FakeWordProcessor word([&] {
    ++calls;
    rowsAtCall = view.rows.size();
    progressAtCall = view.progress.empty() ? 0 : view.progress.back();
    return WordProbe{true, L"14.0"};
  });
  Run({});
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(progressAtCall, 48);

  run::RunCounters counters = Run({{L"Messenger", L"icqsearch"}, {L"OFFICE", L"word"}, {L"OFFICE", L"Access"}});
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(progressAtCall, 48);
  EXPECT_EQ(rowsAtCall, 1u);
  ASSERT_GE(view.rows.size(), 3u);
  EXPECT_EQ(view.rows[1].label, L"Microsoft Word");
  EXPECT_EQ(counters.cleanedKeys, 3 + 10 + 10);
}
