#include "catalogue/plugins.h"
#include "catalogue/catalogue.h"

#include <gtest/gtest.h>

#include "catalogue/catalogue_fixture.h"

using namespace testing_support;

TEST(PluginRoots, SignedDecimalOrHexadecimal32BitNumbers) {
  EXPECT_EQ(catalogue::plugins::ParseRoot(L"-2147483647"), HKEY_CURRENT_USER);
  EXPECT_EQ(catalogue::plugins::ParseRoot(L"-2147483646"), HKEY_LOCAL_MACHINE);
  EXPECT_EQ(catalogue::plugins::ParseRoot(L"&H80000001"), HKEY_CURRENT_USER);
  EXPECT_EQ(catalogue::plugins::ParseRoot(L"&h80000003"), HKEY_USERS);
  // Not a number, or a number that names no predefined root: no root, the count still goes on.
  EXPECT_EQ(catalogue::plugins::ParseRoot(L"HKCU"), HKEY{});
  EXPECT_EQ(catalogue::plugins::ParseRoot(L" -2147483647"), HKEY{});
  EXPECT_EQ(catalogue::plugins::ParseRoot(L"12"), HKEY{});
  EXPECT_EQ(catalogue::plugins::ParseRoot(L""), HKEY{});
  // Outside 32 bits: the entry is skipped.
  EXPECT_FALSE(catalogue::plugins::ParseRoot(L"2147483648"));
  EXPECT_FALSE(catalogue::plugins::ParseRoot(L"-2147483649"));
  EXPECT_FALSE(catalogue::plugins::ParseRoot(L"&H100000000"));
}

namespace {

class Plugins : public CatalogueTest {
 protected:
  std::wstring Folder() const { return program / L"plus-in"; }
  void Define(const std::wstring& fileName, const std::string& text) { WriteText(Folder() + L"\\" + fileName, text); }
};

}  // namespace

TEST_F(Plugins, TheListHoldsEveryDefinitionWithItsTick) {
  Define(L"Alpha.ppe",
         "[name]\r\nappname=Alpha\r\n[version]\r\nappver=1.2\r\n[dec]\r\ndecs=Cleans alpha\r\n[swich]\r\non=1\r\n");
  Define(L"Beta.PPE", "[name]\r\nappname=Beta\r\n[swich]\r\non=01\r\n");
  Define(L"Gamma.ppe.bak", "[name]\r\nappname=Gamma\r\n");
  auto entries = catalogue::plugins::ListPlugins(Folder());
  ASSERT_EQ(entries.size(), 2u);
  std::sort(entries.begin(), entries.end(), [](auto& a, auto& b) { return a.name < b.name; });
  EXPECT_EQ(entries[0].name, L"Alpha");
  EXPECT_EQ(entries[0].version, L"1.2");
  EXPECT_EQ(entries[0].description, L"Alpha 1.2 Cleans alpha");
  EXPECT_TRUE(entries[0].ticked);
  EXPECT_EQ(entries[1].name, L"Beta");
  EXPECT_FALSE(entries[1].ticked);
  EXPECT_TRUE(catalogue::plugins::ListPlugins(program / L"missing").empty());
}

TEST_F(Plugins, ATickedPluginErasesItsEntriesAndCountsItsFixedAmounts) {
  TempRegistryKey key;
  SetString(HKEY_CURRENT_USER, key.Subkey() + L"\\one\\deep", L"x", L"y");
  SetString(HKEY_CURRENT_USER, key.Subkey() + L"\\two", L"x", L"y");
  SetString(HKEY_CURRENT_USER, key.Subkey(), L"last", L"y");
  SetString(HKEY_CURRENT_USER, key.Subkey(), L"kept", L"y");
  MakeFile(values.localAppDataFolder + L"\\Vendor\\App\\cache\\a.bin", 100);
  MakeFile(values.appDataFolder + L"\\Vendor\\recent.lst", 30);
  MakeFile(values.appDataFolder + L"\\Keep\\Recent.lst", 60);
  MakeFile(root / L"logs\\a.LOG", 7);
  MakeFile(root / L"logs\\sub\\b.log", 9);
  std::string subkey = platform::Narrow(key.Subkey());
  Define(L"App.ppe",
         "[name]\r\nappname=App\r\n[swich]\r\non=1\r\n"
         "[regtree]\r\n1=-2147483647," +
             subkey + "\\one\r\n2=&H80000001," + subkey +
             "\\two\r\n"
             "[reg]\r\n1=-2147483647," +
             subkey +
             ",last\r\n"
             "[file]\r\n1=appdata,\\Vendor,recent.lst\r\n2=appdata,\\Keep,recent.lst\r\n"
             "[fileext]\r\n1=" +
             platform::Narrow(root.Path()) +
             ",\\logs,log\r\n"
             "[folder]\r\n1=localappdata,\\Vendor\\App\\cache\r\n2=localappdata,\\Vendor\\New\r\n");
  run::RunCounters counters = RunAsTicked();
  EXPECT_EQ(counters.cleanedKeys, 11 + 1);
  EXPECT_EQ(counters.releasedBytes, 30 + 7 + 100 + 0 + 50000);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key.Subkey() + L"\\one"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key.Subkey() + L"\\two"));
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, key.Subkey(), L"last"));
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, key.Subkey(), L"kept"));
  ExpectGone(values.appDataFolder + L"\\Vendor\\recent.lst");
  ExpectKept(values.appDataFolder + L"\\Keep\\Recent.lst");
  ExpectKept(root / L"logs\\sub\\b.log");
  ExpectKept(values.localAppDataFolder + L"\\Vendor\\App\\cache");
  ExpectGone(values.localAppDataFolder + L"\\Vendor\\App\\cache\\a.bin");
  ExpectKept(values.localAppDataFolder + L"\\Vendor\\New");
  ASSERT_EQ(view.rows.size(), 2u);
  EXPECT_EQ(view.rows[0].label, L"App");
  EXPECT_EQ(view.rows[0].state, L"Done");
  EXPECT_EQ(view.progress[view.progress.size() - 2], 97);
}

TEST_F(Plugins, UntickedMisnamedAndMalformedDefinitions) {
  MakeFile(values.appDataFolder + L"\\V\\x.dat", 5);
  Define(L"Off.ppe", "[name]\r\nappname=Off\r\n[swich]\r\non=0\r\n[file]\r\n1=appdata,\\V,x.dat\r\n");
  Define(L"Other.ppe", "[name]\r\nappname=Shown\r\n[swich]\r\non=1\r\n[file]\r\n1=appdata,\\V,x.dat\r\n");
  Define(L"Odd.ppe",
         "[name]\r\nappname=Odd\r\n[swich]\r\non=1\r\n"
         "[regtree]\r\n1=HKCU,Software\\Nothing\r\n2=99999999999,Software\r\n"
         "[file]\r\n1=appdata,\\V\r\n2=appdata, \\V,x.dat\r\n");
  run::RunCounters counters = RunAsTicked();
  // "Shown" looks for Shown.ppe and finds none; Odd's first root is no number (5 counted), its
  // second is out of range (skipped), its file lines lack a field or name a relative folder.
  EXPECT_EQ(counters.cleanedKeys, 1 + 1 + 5);
  EXPECT_EQ(counters.releasedBytes, 2 * 50000);
  ExpectKept(values.appDataFolder + L"\\V\\x.dat");
  std::vector<std::wstring> labels;
  for (const Row& row : view.rows) labels.push_back(row.label);
  std::sort(labels.begin(), labels.end() - 1);
  EXPECT_EQ(labels, (std::vector<std::wstring>{L"Odd", L"Shown", L"Task complete Successfully!"}));
}

TEST_F(Plugins, AnAppnameWithAPathRunsNoDefinitionOutsideTheFolder) {
  MakeFile(values.appDataFolder + L"\\V\\x.dat", 5);
  // The definition the name points at lies beside the plug-in folder and would delete x.dat.
  WriteText(program / L"Outside.ppe", "[name]\r\nappname=Outside\r\n[file]\r\n1=appdata,\\V,x.dat\r\n");
  Define(L"Sly.ppe", "[name]\r\nappname=..\\Outside\r\n[swich]\r\non=1\r\n");
  RunAsTicked();
  ExpectKept(values.appDataFolder + L"\\V\\x.dat");
  ASSERT_EQ(view.rows.size(), 2u);
  EXPECT_EQ(view.rows[0].label, L"..\\Outside");
}

TEST_F(Plugins, TreeSectionsEraseAtEveryDepth) {
  std::wstring tree = root / L"tree", all = root / L"all";
  MakeFile(tree + L"\\a\\History", 5);
  MakeFile(tree + L"\\a\\b\\History", 7);
  MakeFile(tree + L"\\x\\history", 3);  // letter case counts for file names
  MakeFile(tree + L"\\x\\Cache\\f", 11);
  MakeFile(tree + L"\\x\\y\\CACHE\\g", 13);
  MakeFile(tree + L"\\x\\cachex\\h", 1);
  MakeFile(all + L"\\s.bin", 19);
  MakeFile(all + L"\\p\\q\\r.bin", 17);
  std::string base = platform::Narrow(root.Path());
  Define(L"Trees.ppe",
         "[name]\r\nappname=Trees\r\n[swich]\r\non=1\r\n"
         "[filetree]\r\n1=" +
             base +
             ",\\tree,History\r\n"
             "[foldertree]\r\n1=" +
             base +
             ",\\tree,Cache\r\n"
             "[alltree]\r\n1=" +
             base + ",\\all\r\n");
  run::RunCounters counters = RunAsTicked();
  // filetree visits all 8 folders of the tree; foldertree the 6 that are not deleted; alltree 3.
  EXPECT_EQ(counters.releasedBytes, (5 + 7 + 8 * 10000) + (11 + 13 + 6 * 10000) + (19 + 17 + 3 * 10000) + 50000);
  EXPECT_EQ(counters.cleanedKeys, 1);
  ExpectGone(tree + L"\\a\\History");
  ExpectGone(tree + L"\\a\\b\\History");
  ExpectKept(tree + L"\\x\\history");
  ExpectGone(tree + L"\\x\\Cache");
  ExpectGone(tree + L"\\x\\y\\CACHE");
  ExpectKept(tree + L"\\x\\y");
  ExpectKept(tree + L"\\x\\cachex\\h");
  ExpectGone(all + L"\\s.bin");
  ExpectGone(all + L"\\p\\q\\r.bin");
  ExpectKept(all + L"\\p\\q");
}

TEST_F(Plugins, AStarSegmentOfATreeSectionStandsForEverySubfolder) {
  std::wstring profiles = values.localAppDataFolder + L"\\Vendor\\User Data";
  MakeFile(profiles + L"\\Default\\Network\\Cookies", 3);
  MakeFile(profiles + L"\\Profile 1\\Network\\Cookies", 5);
  MakeFile(profiles + L"\\Profile 2\\Cookies", 7);  // no "Network" folder below this one
  MakeFile(profiles + L"\\Network\\Cookies", 100);  // beside the profiles, not in one
  MakeFile(profiles + L"\\Local State", 1);         // a file: no folder for the star
  MakeFile(profiles + L"\\Default\\Cache\\data_0", 11);
  MakeFile(profiles + L"\\Default\\Cache\\Cache_Data\\f_1", 13);
  Define(L"Stars.ppe",
         "[name]\r\nappname=Stars\r\n[swich]\r\non=1\r\n"
         "[filetree]\r\n1=localappdata,\\Vendor\\User Data\\*\\Network,Cookies\r\n"
         "2=localappdata,\\Vendor\\Missing\\*,Cookies\r\n"
         "[alltree]\r\n1=localappdata,\\Vendor\\User Data\\*\\Cache\r\n"
         "2=localappdata,\\Vendor\\User Data\\Def*\\Cache\r\n");
  run::RunCounters counters = RunAsTicked();
  // The star finds Default, Profile 1, Profile 2 and Network. A start folder that is missing counts
  // its one visit, as every tree walk does; a missing folder above the star counts nothing; "Def*"
  // is no star segment and names a folder that does not exist.
  double cookies = (3 + 10000) + (5 + 10000) + 10000 + 10000;
  double cache = (11 + 13 + 2 * 10000) + 3 * 10000 + 10000;
  EXPECT_EQ(counters.releasedBytes, cookies + cache + 50000);
  ExpectGone(profiles + L"\\Default\\Network\\Cookies");
  ExpectGone(profiles + L"\\Profile 1\\Network\\Cookies");
  ExpectKept(profiles + L"\\Profile 2\\Cookies");
  ExpectKept(profiles + L"\\Network\\Cookies");
  ExpectKept(profiles + L"\\Local State");
  ExpectGone(profiles + L"\\Default\\Cache\\data_0");
  ExpectGone(profiles + L"\\Default\\Cache\\Cache_Data\\f_1");
  ExpectKept(profiles + L"\\Default\\Cache\\Cache_Data");
}

TEST_F(Plugins, OldSectionsKeepTheirResultsBesideTreeSections) {
  auto seed = [&] {
    MakeFile(values.appDataFolder + L"\\V\\x.dat", 5);
    MakeFile(values.appDataFolder + L"\\V\\sub\\x.dat", 6);
    MakeFile(values.appDataFolder + L"\\V\\a.log", 7);
    MakeFile(values.appDataFolder + L"\\W\\sub\\x.dat", 8);
    MakeFile(values.localAppDataFolder + L"\\C\\z.bin", 9);
  };
  const std::string old =
      "[name]\r\nappname=Old\r\n[swich]\r\non=1\r\n"
      "[file]\r\n1=appdata,\\V,x.dat\r\n2=appdata,\\W\\*,x.dat\r\n"
      "[fileext]\r\n1=appdata,\\V,log\r\n"
      "[folder]\r\n1=localappdata,\\C\r\n";
  seed();
  Define(L"Old.ppe", old);
  run::RunCounters before = RunAsTicked();
  // "*" in the five sections is no more than a character of a folder name, as it always was.
  EXPECT_EQ(before.releasedBytes, 5 + 7 + 9 + 50000);
  ExpectGone(values.appDataFolder + L"\\V\\x.dat");
  ExpectKept(values.appDataFolder + L"\\V\\sub\\x.dat");
  ExpectKept(values.appDataFolder + L"\\W\\sub\\x.dat");

  // The same lines with tree lines that lack a field or a name: the results are those of before.
  seed();
  Define(L"Old.ppe", old +
                         "[filetree]\r\n1=appdata,\\V\r\n2=appdata,\\V,\r\n"
                         "[foldertree]\r\n1=appdata,\\V,\r\n[alltree]\r\n1=appdata\r\n");
  run::RunCounters after = RunAsTicked();
  EXPECT_EQ(after.releasedBytes, before.releasedBytes);
  EXPECT_EQ(after.cleanedKeys, before.cleanedKeys);
  ExpectKept(values.appDataFolder + L"\\V\\sub\\x.dat");
  ExpectKept(values.localAppDataFolder + L"\\C");
}

TEST_F(Plugins, TreeSectionsNeitherExpandNorEnterLinks) {
  wchar_t fixture[MAX_PATH] = L"";
  ASSERT_GT(GetEnvironmentVariableW(L"TRELLWIPE_LINK_FIXTURE", fixture, MAX_PATH), 0u)
      << "run through scripts/wine-emulator.sh, which makes the linked tree";
  std::string tree = platform::Narrow(fixture) + "\\tree";
  ASSERT_TRUE(Attributes(platform::Widen(tree) + L"\\sub\\cache") & FILE_ATTRIBUTE_REPARSE_POINT);
  Define(L"Links.ppe",
         "[name]\r\nappname=Links\r\n[swich]\r\non=1\r\n"
         "[filetree]\r\n1=" +
             tree +
             ",\\*\\*,precious.txt\r\n"
             "[foldertree]\r\n1=" +
             tree +
             ",,cache\r\n"
             "[alltree]\r\n1=" +
             tree + ",\\sub\\*\r\n");
  run::RunCounters counters = RunAsTicked();
  // "sub\*" finds only the link, so "*\*" and the alltree line walk nothing; foldertree visits two.
  EXPECT_EQ(counters.releasedBytes, 2 * 10000 + 50000);
  ExpectKept(platform::Widen(tree) + L"\\sub\\own.txt");
  EXPECT_EQ(ReadText(std::wstring(fixture) + L"\\outside\\precious.txt"), "0123456789");
  ExpectKept(std::wstring(fixture) + L"\\outside\\cache\\precious.bin");
}

namespace {

std::vector<std::wstring> FileNames(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (data.cFileName != std::wstring(L".") && data.cFileName != std::wstring(L"..")) names.push_back(data.cFileName);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

TEST(PluginSwitch, WrittenIntoTheFileNamedAfterTheAppnameThroughACopy) {
  TempFolder folder;
  std::wstring alpha = folder / L"Alpha.ppe";
  WriteText(alpha, "[name]\r\nappname=Alpha\r\n[swich]\r\non=1\r\n[file]\r\n1=appdata,\\V,x.dat\r\n");
  EXPECT_TRUE(catalogue::plugins::WritePluginSwitch(folder.Path(), L"Alpha", false));
  EXPECT_EQ(settings::inifun::ReadIniValue(alpha, L"swich", L"on"), L"0");
  EXPECT_EQ(settings::inifun::ReadIniValue(alpha, L"name", L"appname"), L"Alpha");
  EXPECT_EQ(settings::inifun::ReadIniSection(alpha, L"file").Count(), 1u);
  EXPECT_TRUE(catalogue::plugins::WritePluginSwitch(folder.Path(), L"Alpha", true));
  EXPECT_EQ(settings::inifun::ReadIniValue(alpha, L"swich", L"on"), L"1");

  // A definition listed under another name: the switch goes into a new file of that name.
  EXPECT_TRUE(catalogue::plugins::WritePluginSwitch(folder.Path(), L"Renamed", true));
  EXPECT_EQ(settings::inifun::ReadIniValue(folder / L"Renamed.ppe", L"swich", L"on"), L"1");
  EXPECT_EQ(FileNames(folder.Path()), (std::vector<std::wstring>{L"Alpha.ppe", L"Renamed.ppe"}));

  // Nothing can be written: the definition stays as it was and no copy is left behind.
  std::string before = ReadText(alpha);
  SetFileAttributesW(alpha.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(catalogue::plugins::WritePluginSwitch(folder.Path(), L"Alpha", false));
  SetFileAttributesW(alpha.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadText(alpha), before);
  EXPECT_FALSE(catalogue::plugins::WritePluginSwitch(folder / L"missing", L"Alpha", false));
  // Names from a definition that would lead elsewhere, or to a file without a name.
  MakeFolders(folder / L"inner");
  EXPECT_FALSE(catalogue::plugins::WritePluginSwitch(folder / L"inner", L"..\\Escaped", true));
  EXPECT_FALSE(catalogue::plugins::WritePluginSwitch(folder / L"inner", L"../Escaped", true));
  EXPECT_FALSE(catalogue::plugins::WritePluginSwitch(folder / L"inner", L"C:Escaped", true));
  EXPECT_FALSE(catalogue::plugins::WritePluginSwitch(folder / L"inner", L"", true));
  RemoveDirectoryW((folder / L"inner").c_str());
  ExpectGone(folder / L"missing");
  EXPECT_EQ(FileNames(folder.Path()), (std::vector<std::wstring>{L"Alpha.ppe", L"Renamed.ppe"}));
}

// A plug-in, a rule or the custom list that finds nothing of what it names says so, with what it
// looked for; one thing there is enough for "Done".
TEST_F(Plugins, APluginARuleOrACustomListThatFindsNothingSaysWhatItLookedFor) {
  ScopedEnvironment variable{L"TRELLWIPE_RULE_ROOT", root.Path()};
  const std::wstring cache = values.localAppDataFolder + L"\\Tool\\Cache";
  const std::wstring custom = root / L"mine.txt";
  struct Case {
    const char* plugin;  // a definition, ticked
    const char* rule;    // a rule file's text, its entry "Tool *" ticked
    bool customList;     // "mine.txt" in the custom list, which is ticked
    std::wstring seeded;
    const wchar_t* state;
    std::vector<std::wstring> lookedFor;
  };
  const char* plugin =
      "[name]\r\nappname=Tool\r\n[swich]\r\non=1\r\n[folder]\r\n1=localappdata,\\Tool\\Cache\r\n"
      "[regtree]\r\n1=-2147483647,Software\\TrellwipeAbsentTool\r\n";
  const char* rule = "[Tool *]\r\nDetectFile=%TRELLWIPE_RULE_ROOT%\\Tool\r\nFileKey1=%TRELLWIPE_RULE_ROOT%\\Tool|*\r\n";
  const Case cases[] = {
      {plugin, nullptr, false, L"", L"Not installed", {L"HKEY_CURRENT_USER\\Software\\TrellwipeAbsentTool", cache}},
      {plugin, nullptr, false, cache + L"\\a.tmp", L"Done", {}},
      {nullptr, rule, false, L"", L"Not installed", {L"%TRELLWIPE_RULE_ROOT%\\Tool"}},
      {nullptr, rule, false, root / L"Tool\\a.tmp", L"Done", {}},
      {nullptr, nullptr, true, L"", L"Not found", {custom}},
      {nullptr, nullptr, true, custom, L"Done", {}},
  };
  for (const Case& c : cases) {
    RemoveTree(Folder());
    RemoveTree(program / L"rules");
    RemoveTree(values.localAppDataFolder);
    RemoveTree(root / L"Tool");
    DeleteFileW(custom.c_str());
    std::string settings = "[rules]\r\nTool *=1\r\n[Custom]\r\nCustom=0\r\n";
    if (c.plugin) Define(L"Tool.ppe", c.plugin);
    if (c.rule) WriteText(program / L"rules\\own.ini", c.rule);
    if (c.customList) {
      WriteText(program / L"cusd.dat", platform::Narrow(custom) + "\tFile\r\n");
      settings = "[Custom]\r\nCustom=1\r\n";
    }
    WriteText(program / L"prisd.dat", settings);
    if (!c.seeded.empty()) MakeFile(c.seeded, 10);
    view = RecordingView();
    run::CleanRun run(view, program.Path(), values, catalogue::Stages());
    run.CleanNow();
    ASSERT_EQ(view.rows.size(), 2u) << c.state;
    EXPECT_EQ(view.rows[0].state, c.state) << view.rows[0].label;
    ASSERT_EQ(run.LastReport().items.size(), 1u);
    EXPECT_EQ(run.LastReport().items[0].lookedFor, c.lookedFor) << view.rows[0].label;
    if (!c.seeded.empty()) {
      ExpectGone(c.seeded, ::testing::Message() << view.rows[0].label);
    }
  }
}
