#include "engine/plugins.h"

#include <gtest/gtest.h>

#include "catalogue/catalogue_fixture.h"

using namespace testing_support;

TEST(PluginRoots, SignedDecimalOrHexadecimal32BitNumbers) {
  EXPECT_EQ(plugins::ParseRoot(L"-2147483647"), HKEY_CURRENT_USER);
  EXPECT_EQ(plugins::ParseRoot(L"-2147483646"), HKEY_LOCAL_MACHINE);
  EXPECT_EQ(plugins::ParseRoot(L"&H80000001"), HKEY_CURRENT_USER);
  EXPECT_EQ(plugins::ParseRoot(L"&h80000003"), HKEY_USERS);
  // Not a number, or a number that names no predefined root: no root, the count still goes on.
  EXPECT_EQ(plugins::ParseRoot(L"HKCU"), HKEY{});
  EXPECT_EQ(plugins::ParseRoot(L" -2147483647"), HKEY{});
  EXPECT_EQ(plugins::ParseRoot(L"12"), HKEY{});
  EXPECT_EQ(plugins::ParseRoot(L""), HKEY{});
  // Outside 32 bits: the entry is skipped.
  EXPECT_FALSE(plugins::ParseRoot(L"2147483648"));
  EXPECT_FALSE(plugins::ParseRoot(L"-2147483649"));
  EXPECT_FALSE(plugins::ParseRoot(L"&H100000000"));
}

namespace {

class Plugins : public CatalogueTest {
 protected:
  std::wstring Folder() const { return program / L"plus-in"; }
  void Define(const std::wstring& fileName, const std::string& text) {
    WriteText(Folder() + L"\\" + fileName, text);
  }
  engine::RunCounters RunPlugins() {
    view = RecordingView();
    engine::CleanRun run(view, program.Path(), values);
    run.SetPluginStage(plugins::RunTickedPlugins);
    run.CleanNow();
    return run.Counters();
  }
};

}  // namespace

TEST_F(Plugins, TheListHoldsEveryDefinitionWithItsTick) {
  Define(L"Alpha.ppe", "[name]\r\nappname=Alpha\r\n[version]\r\nappver=1.2\r\n[dec]\r\ndecs=Cleans alpha\r\n[swich]\r\non=1\r\n");
  Define(L"Beta.PPE", "[name]\r\nappname=Beta\r\n[swich]\r\non=01\r\n");
  Define(L"Gamma.ppe.bak", "[name]\r\nappname=Gamma\r\n");
  auto entries = plugins::ListPlugins(Folder());
  ASSERT_EQ(entries.size(), 2u);
  std::sort(entries.begin(), entries.end(), [](auto& a, auto& b) { return a.name < b.name; });
  EXPECT_EQ(entries[0].name, L"Alpha");
  EXPECT_EQ(entries[0].version, L"1.2");
  EXPECT_EQ(entries[0].description, L"Alpha 1.2 Cleans alpha");
  EXPECT_TRUE(entries[0].ticked);
  EXPECT_EQ(entries[1].name, L"Beta");
  EXPECT_FALSE(entries[1].ticked);
  EXPECT_TRUE(plugins::ListPlugins(program / L"missing").empty());
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
  Define(L"App.ppe", "[name]\r\nappname=App\r\n[swich]\r\non=1\r\n"
                     "[regtree]\r\n1=-2147483647," + subkey + "\\one\r\n2=&H80000001," + subkey + "\\two\r\n"
                     "[reg]\r\n1=-2147483647," + subkey + ",last\r\n"
                     "[file]\r\n1=appdata,\\Vendor,recent.lst\r\n2=appdata,\\Keep,recent.lst\r\n"
                     "[fileext]\r\n1=" + platform::Narrow(root.Path()) + ",\\logs,log\r\n"
                     "[folder]\r\n1=localappdata,\\Vendor\\App\\cache\r\n2=localappdata,\\Vendor\\New\r\n");
  engine::RunCounters counters = RunPlugins();
  EXPECT_EQ(counters.cleanedKeys, 11 + 1);
  EXPECT_EQ(counters.releasedBytes, 30 + 7 + 100 + 0 + 50000);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key.Subkey() + L"\\one"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key.Subkey() + L"\\two"));
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, key.Subkey(), L"last"));
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, key.Subkey(), L"kept"));
  EXPECT_FALSE(Exists(values.appDataFolder + L"\\Vendor\\recent.lst"));
  EXPECT_TRUE(Exists(values.appDataFolder + L"\\Keep\\Recent.lst"));
  EXPECT_TRUE(Exists(root / L"logs\\sub\\b.log"));
  EXPECT_TRUE(Exists(values.localAppDataFolder + L"\\Vendor\\App\\cache"));
  EXPECT_FALSE(Exists(values.localAppDataFolder + L"\\Vendor\\App\\cache\\a.bin"));
  EXPECT_TRUE(Exists(values.localAppDataFolder + L"\\Vendor\\New"));
  ASSERT_EQ(view.rows.size(), 2u);
  EXPECT_EQ(view.rows[0].label, L"App");
  EXPECT_EQ(view.rows[0].state, L"Done");
  EXPECT_EQ(view.progress[view.progress.size() - 2], 97);
}

TEST_F(Plugins, UntickedMisnamedAndMalformedDefinitions) {
  MakeFile(values.appDataFolder + L"\\V\\x.dat", 5);
  Define(L"Off.ppe", "[name]\r\nappname=Off\r\n[swich]\r\non=0\r\n[file]\r\n1=appdata,\\V,x.dat\r\n");
  Define(L"Other.ppe", "[name]\r\nappname=Shown\r\n[swich]\r\non=1\r\n[file]\r\n1=appdata,\\V,x.dat\r\n");
  Define(L"Odd.ppe", "[name]\r\nappname=Odd\r\n[swich]\r\non=1\r\n"
                     "[regtree]\r\n1=HKCU,Software\\Nothing\r\n2=99999999999,Software\r\n"
                     "[file]\r\n1=appdata,\\V\r\n2=appdata, \\V,x.dat\r\n");
  engine::RunCounters counters = RunPlugins();
  // "Shown" looks for Shown.ppe and finds none; Odd's first root is no number (5 counted), its
  // second is out of range (skipped), its file lines lack a field or name a relative folder.
  EXPECT_EQ(counters.cleanedKeys, 1 + 1 + 5);
  EXPECT_EQ(counters.releasedBytes, 2 * 50000);
  EXPECT_TRUE(Exists(values.appDataFolder + L"\\V\\x.dat"));
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
  RunPlugins();
  EXPECT_TRUE(Exists(values.appDataFolder + L"\\V\\x.dat"));
  ASSERT_EQ(view.rows.size(), 2u);
  EXPECT_EQ(view.rows[0].label, L"..\\Outside");
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
  EXPECT_TRUE(plugins::WritePluginSwitch(folder.Path(), L"Alpha", false));
  EXPECT_EQ(inifun::ReadIniValue(alpha, L"swich", L"on"), L"0");
  EXPECT_EQ(inifun::ReadIniValue(alpha, L"name", L"appname"), L"Alpha");
  EXPECT_EQ(inifun::ReadIniSection(L"file", alpha).Count(), 1u);
  EXPECT_TRUE(plugins::WritePluginSwitch(folder.Path(), L"Alpha", true));
  EXPECT_EQ(inifun::ReadIniValue(alpha, L"swich", L"on"), L"1");

  // A definition listed under another name: the switch goes into a new file of that name.
  EXPECT_TRUE(plugins::WritePluginSwitch(folder.Path(), L"Renamed", true));
  EXPECT_EQ(inifun::ReadIniValue(folder / L"Renamed.ppe", L"swich", L"on"), L"1");
  EXPECT_EQ(FileNames(folder.Path()), (std::vector<std::wstring>{L"Alpha.ppe", L"Renamed.ppe"}));

  // Nothing can be written: the definition stays as it was and no copy is left behind.
  std::string before = ReadText(alpha);
  SetFileAttributesW(alpha.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(plugins::WritePluginSwitch(folder.Path(), L"Alpha", false));
  SetFileAttributesW(alpha.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadText(alpha), before);
  EXPECT_FALSE(plugins::WritePluginSwitch(folder / L"missing", L"Alpha", false));
  // Names from a definition that would lead elsewhere, or to a file without a name.
  MakeFolders(folder / L"inner");
  EXPECT_FALSE(plugins::WritePluginSwitch(folder / L"inner", L"..\\Escaped", true));
  EXPECT_FALSE(plugins::WritePluginSwitch(folder / L"inner", L"../Escaped", true));
  EXPECT_FALSE(plugins::WritePluginSwitch(folder / L"inner", L"C:Escaped", true));
  EXPECT_FALSE(plugins::WritePluginSwitch(folder / L"inner", L"", true));
  RemoveDirectoryW((folder / L"inner").c_str());
  EXPECT_FALSE(Exists(folder / L"missing"));
  EXPECT_EQ(FileNames(folder.Path()), (std::vector<std::wstring>{L"Alpha.ppe", L"Renamed.ppe"}));
}
