#include "catalogue/rules.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>

#include "catalogue/catalogue_fixture.h"
#include "catalogue/rule_file.h"
#include "catalogue/rule_paths.h"
#include "cli/cli.h"
#include "support/generated_rules.h"

using namespace testing_support;

TEST(RuleFile, ReadsEveryKeyAndFlagOfAnEntry) {
  std::vector<catalogue::rules::Rule> parsed = catalogue::rules::ParseRules(
      "; a comment\r\n"
      "[Sample Viewer *]\r\n"
      "langsecref=3023\r\n"
      "Detect=HKCU\\Software\\Sample\r\n"
      "DETECT2=HKLM\\Software\\Sample\r\n"
      "DetectFile=%LocalAppData%\\Sample*\r\n"
      "SpecialDetect=DET_CHROME\r\n"
      "DetectOS=6.2|\r\n"
      "Default=False\r\n"
      "Warning=Also erases the session.\r\n"
      "FileKey1=%LocalAppData%\\Sample\\Cache|*.tmp; *.log |RECURSE\r\n"
      "FileKey2=%LocalAppData%\\Sample\\Temp|*|REMOVESELF\r\n"
      "FileKey3=%LocalAppData%\\Sample|state.db\r\n"
      "RegKey1=HKCU\\Software\\Sample\\Recent\r\n"
      "RegKey2=HKCU\\Software\\Sample|LastFolder\r\n"
      "ExcludeKey1=FILE|%LocalAppData%\\Sample\\Cache\\|keep.db\r\n"
      "ExcludeKey2=PATH|%LocalAppData%\\Sample\\Temp\\|*.cfg;*.ini\r\n"
      "ExcludeKey3=REG|HKCU\\Software\\Sample\\Recent\\Pinned\r\n"
      "ExcludeKey4=FILE|%LocalAppData%\\Sample\\one.db\r\n"
      "\r\n[Games Thing *]\nSection=Games\nRegKey1=HKCU\\Software\\Thing\n");
  ASSERT_EQ(parsed.size(), 2u);
  const catalogue::rules::Rule& rule = parsed[0];
  EXPECT_EQ(rule.name, L"Sample Viewer *");
  EXPECT_EQ(rule.category, L"Multimedia");
  EXPECT_EQ(rule.detectKeys, (std::vector<std::wstring>{L"HKCU\\Software\\Sample", L"HKLM\\Software\\Sample"}));
  EXPECT_EQ(rule.detectFiles, std::vector<std::wstring>{L"%LocalAppData%\\Sample*"});
  EXPECT_EQ(rule.specialDetects, std::vector<std::wstring>{L"DET_CHROME"});
  EXPECT_EQ(rule.windows.lowest, 602);
  EXPECT_EQ(rule.windows.highest, INT_MAX);
  EXPECT_EQ(rule.warning, L"Also erases the session.");
  ASSERT_EQ(rule.fileKeys.size(), 3u);
  EXPECT_EQ(rule.fileKeys[0].patterns, (std::vector<std::wstring>{L"*.tmp", L"*.log"}));
  EXPECT_TRUE(rule.fileKeys[0].recurse);
  EXPECT_FALSE(rule.fileKeys[0].removeSelf);
  EXPECT_TRUE(rule.fileKeys[1].recurse && rule.fileKeys[1].removeSelf);
  EXPECT_FALSE(rule.fileKeys[2].recurse);
  ASSERT_EQ(rule.regKeys.size(), 2u);
  EXPECT_TRUE(rule.regKeys[0].wholeKey);
  EXPECT_FALSE(rule.regKeys[1].wholeKey);
  EXPECT_EQ(rule.regKeys[1].value, L"LastFolder");
  ASSERT_EQ(rule.excludeKeys.size(), 4u);
  EXPECT_EQ(rule.excludeKeys[0].kind, catalogue::rules::ExcludeKind::File);
  EXPECT_EQ(rule.excludeKeys[0].location, L"%LocalAppData%\\Sample\\Cache");
  EXPECT_EQ(rule.excludeKeys[1].kind, catalogue::rules::ExcludeKind::Path);
  EXPECT_EQ(rule.excludeKeys[1].patterns, (std::vector<std::wstring>{L"*.cfg", L"*.ini"}));
  EXPECT_EQ(rule.excludeKeys[2].kind, catalogue::rules::ExcludeKind::Registry);
  // A FILE exclusion written as one path names its file in the last part.
  EXPECT_EQ(rule.excludeKeys[3].location, L"%LocalAppData%\\Sample");
  EXPECT_EQ(rule.excludeKeys[3].patterns, std::vector<std::wstring>{L"one.db"});
  EXPECT_EQ(parsed[1].category, L"Games");
}

// A browser's common name finds the entries that call it by another of its names, and no others.
TEST(RuleSearch, ABrowsersNameFindsItsEntriesByEveryNameTheyCallItBy) {
  const struct {
    const wchar_t* search;
    std::vector<const wchar_t*> found;
  } kCases[] = {
      {L"Edge", {L"Microsoft Edge Cache *", L"MSEdge Logs *", L"MS Edge Sessions *"}},
      {L"chrome", {L"Google Chrome Cache *", L"Chrome Cookies *"}},
      {L"Google Chrome", {L"Google Chrome Cache *", L"Chrome Cookies *"}},
      {L"Firefox", {L"Mozilla Cache *", L"Mozilla Firefox History *"}},
      {L"Internet Explorer", {L"IE Temporary Files *", L"Internet Explorer Cache *"}},
  };
  const wchar_t* kEntries[] = {L"Microsoft Edge Cache *",    L"MSEdge Logs *",
                               L"MS Edge Sessions *",        L"Google Chrome Cache *",
                               L"Chrome Cookies *",          L"Mozilla Cache *",
                               L"Mozilla Firefox History *", L"IE Temporary Files *",
                               L"Internet Explorer Cache *", L"Recent Files *"};
  for (const auto& c : kCases) {
    std::vector<const wchar_t*> found;
    for (const wchar_t* name : kEntries) {
      catalogue::rules::RuleChoice choice;
      choice.rule.name = name;
      choice.detected = true;
      if (catalogue::rules::Shown(choice, c.search, false)) found.push_back(name);
    }
    EXPECT_EQ(std::vector<std::wstring>(found.begin(), found.end()),
              std::vector<std::wstring>(c.found.begin(), c.found.end()))
        << c.search;
  }
}

TEST(RuleFile, SkipsWhatItCannotUseAndKeepsTheRest) {
  std::string junk = std::string("\x00\x01\xff\xfe", 4);
  std::vector<catalogue::rules::Rule> parsed = catalogue::rules::ParseRules(
      "\xEF\xBB\xBF"
      "FileKey1=%Temp%|*.tmp\r\n"  // outside any entry
      "[Caf\xC3\xA9 *]\r\n"
      "no equals sign\r\n"
      "Unknown=1\r\n"
      "FileKey1=%Temp%\r\n"
      "FileKey2=|*.tmp\r\n"
      "FileKey3=%Temp%|;\r\n"
      "RegKey1=\r\n"
      "ExcludeKey1=DISK|C:\\|x\r\n"
      "ExcludeKey2=FILE|nofolder\r\n"
      "FileKey4=%Temp%" +
      junk +
      "|*\r\n"
      "FileKey5=%Temp%\\Caf\xC3\xA9|*.log\r\n"
      "[Nothing To Erase *]\r\nLangSecRef=3021\r\nDetect=HKCU\\Software\\X\r\n"
      "[Key=Value *]\r\nRegKey1=HKCU\\Software\\X\r\n"
      "[]\r\nRegKey1=HKCU\\Software\\X\r\n"
      "[Unknown Category *]\r\nLangSecRef=99999999999\r\nRegKey1=HKCU\\Software\\X\r\n");
  ASSERT_EQ(parsed.size(), 2u);
  EXPECT_EQ(parsed[0].name, L"Caf\u00e9 *");
  ASSERT_EQ(parsed[0].fileKeys.size(), 1u);
  EXPECT_EQ(parsed[0].fileKeys[0].folder, L"%Temp%\\Caf\u00e9");
  EXPECT_TRUE(parsed[0].regKeys.empty());
  EXPECT_TRUE(parsed[0].excludeKeys.empty());
  EXPECT_EQ(parsed[1].category, L"Other");
  // Not UTF-8: the system's code page.
  std::vector<catalogue::rules::Rule> latin =
      catalogue::rules::ParseRules("[Caf\xE9 *]\r\nRegKey1=HKCU\\Software\\X\r\n");
  ASSERT_EQ(latin.size(), 1u);
  EXPECT_EQ(latin[0].name, L"Caf\u00e9 *");
}

namespace {

class Rules : public CatalogueTest {
 protected:
  // Rule paths name the scratch folder through a variable of their own.
  ScopedEnvironment variable{L"TRELLWIPE_RULE_ROOT", root.Path()};
  TempRegistryKey key;

  void RuleFile(const std::string& text, const std::wstring& name = L"winapp2.ini") { WriteText(program / name, text); }
  std::string Key() const { return "HKCU\\" + platform::Narrow(key.Subkey()); }
  // Ticks exactly these entries and runs (or previews) them.
  engine::RunReport Run(std::initializer_list<const wchar_t*> ticked, bool preview = false) {
    std::wstring settings = program / L"prisd.dat";
    DeleteFileW(settings.c_str());
    for (const wchar_t* name : ticked)
      settings::inifun::WriteIniValue(settings, catalogue::rules::kCommunitySection, name, L"1");
    view = RecordingView();
    run::CleanRun run(view, program.Path(), values, catalogue::Stages());
    if (preview) return *run.Preview();
    run.CleanNow();
    return run.LastReport();
  }
  static std::vector<std::wstring> Files(const engine::RunReport& report) {
    std::vector<std::wstring> files;
    for (const engine::ItemReport& item : report.items) {
      for (const engine::FileRecord& file : item.files) files.push_back(file.path);
    }
    std::sort(files.begin(), files.end());
    return files;
  }
};

}  // namespace

TEST_F(Rules, LoadsTheCommunityFileThenItsOwnFilesAndEachNameOnceInEach) {
  // Ten megabytes of nonsense with a line of 200,000 characters ahead of a good entry.
  std::string big(10 * 1024 * 1024, 'x');
  for (size_t i = 0; i < big.size(); i += 997) big[i] = static_cast<char>(i % 2 ? '\n' : '\0');
  big.replace(0, 200000, std::string(200000, 'y'));
  big += "\r\n[First *]\r\nRegKey1=HKCU\\Software\\A\r\n";
  RuleFile(big);
  RuleFile("[Second *]\r\nRegKey1=HKCU\\Software\\B\r\n[first *]\r\nRegKey1=HKCU\\Software\\C\r\n", L"rules\\b.ini");
  RuleFile("[Third *]\r\nRegKey1=HKCU\\Software\\D\r\n[Second *]\r\nRegKey1=HKCU\\Software\\E\r\n", L"rules\\A.INI");
  RuleFile("[Ignored *]\r\nRegKey1=HKCU\\Software\\F\r\n", L"rules\\notes.txt");
  std::vector<catalogue::rules::Rule> loaded = catalogue::rules::LoadRules(program.Path());
  std::vector<std::wstring> names;
  for (const catalogue::rules::Rule& rule : loaded)
    names.push_back(rule.section + L"/" + rule.name + L" " + rule.regKeys[0].key);
  // The two files' entries keep apart: "first *" of the project's own files is no second "First *".
  EXPECT_EQ(names,
            (std::vector<std::wstring>{L"winapp2/First * HKCU\\Software\\A", L"rules/Third * HKCU\\Software\\D",
                                       L"rules/Second * HKCU\\Software\\E", L"rules/first * HKCU\\Software\\C"}));
  EXPECT_TRUE(catalogue::rules::LoadRules(root / L"nowhere").empty());
}

TEST_F(Rules, VariablesNameTheFoldersOfThisMachine) {
  auto environment = [](const wchar_t* name) {
    wchar_t value[MAX_PATH] = L"";
    GetEnvironmentVariableW(name, value, MAX_PATH);
    std::wstring text = value;
    while (text.size() > 3 && text.back() == L'\\') text.pop_back();
    return text;
  };
  const struct {
    const wchar_t* variable;
    std::vector<std::wstring> expected;
  } kCases[] = {
      {L"%AppData%", {environment(L"APPDATA")}},
      {L"%LOCALAPPDATA%", {environment(L"LOCALAPPDATA")}},
      {L"%UserProfile%", {environment(L"USERPROFILE")}},
      {L"%ProgramData%", {environment(L"ProgramData")}},
      {L"%CommonAppData%", {environment(L"ProgramData")}},
      {L"%AllUsersProfile%", {environment(L"ProgramData")}},
      {L"%ProgramFiles%", {environment(L"ProgramW6432"), environment(L"ProgramFiles(x86)")}},
      {L"%CommonProgramFiles%", {environment(L"CommonProgramW6432"), environment(L"CommonProgramFiles(x86)")}},
      {L"%Public%", {environment(L"PUBLIC")}},
      {L"%SystemDrive%", {environment(L"SystemDrive")}},
      {L"%WinDir%", {environment(L"windir")}},
      {L"%SystemRoot%", {environment(L"SystemRoot")}},
      {L"%Temp%", {environment(L"TEMP")}},
      {L"%Tmp%", {environment(L"TEMP")}},
      {L"%HomeDrive%", {environment(L"HOMEDRIVE")}},
      {L"%Documents%", {environment(L"USERPROFILE") + L"\\Documents"}},
      {L"%Music%", {environment(L"USERPROFILE") + L"\\Music"}},
      {L"%Pictures%", {environment(L"USERPROFILE") + L"\\Pictures"}},
      {L"%Video%", {environment(L"USERPROFILE") + L"\\Videos"}},
      {L"%LocalLowAppData%", {environment(L"USERPROFILE") + L"\\AppData\\LocalLow"}},
      {L"%TRELLWIPE_RULE_ROOT%", {root.Path()}},
      {L"%TRELLWIPE_NO_SUCH_VARIABLE%", {}},
  };
  // The personal folders follow the shell's own record of them, wherever the user moved them.
  ScopedRegistryValue shellDocuments{HKEY_CURRENT_USER,
                                     L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                                     L"Personal", environment(L"USERPROFILE") + L"\\Documents", REG_EXPAND_SZ};
  catalogue::rules::PathExpander expander;
  for (const auto& test : kCases) {
    std::vector<std::wstring> got;
    for (const std::wstring& path : expander.Expand(test.variable + std::wstring(L"\\x")).found) {
      got.push_back(platform::ToLower(path));
    }
    std::vector<std::wstring> wanted;
    for (const std::wstring& path : test.expected) wanted.push_back(platform::ToLower(path + L"\\x"));
    EXPECT_EQ(got, wanted) << test.variable;
  }
}

TEST_F(Rules, DetectionByKeyByFileWithWildcardsByProgramAndByWindowsVersion) {
  MakeFile(root / L"Apps\\Viewer 2\\bin\\viewer.exe", 1);
  SetString(HKEY_CURRENT_USER, key.Subkey() + L"\\Present", L"v", L"1");
  const std::string base = "%TRELLWIPE_RULE_ROOT%\\Apps";
  const int version = catalogue::rules::VersionNumber(settings::inifun::GetWindowsVersionText()).value();
  const std::string below = std::to_string(version / 100) + "." + std::to_string(version % 100);
  const struct {
    std::string keys;
    bool detected;
  } kCases[] = {
      {"", true},
      {"Detect=" + Key() + "\\Present", true},
      {"Detect=HKEY_CURRENT_USER\\" + platform::Narrow(key.Subkey()) + "\\present", true},
      {"Detect=" + Key() + "\\Absent", false},
      {"Detect=" + Key() + "\\Absent\r\nDetectFile=" + base + "\\Viewer*\\bin\\viewer.exe", true},
      {"DetectFile=" + base + "\\V?ewer 2", true},
      {"DetectFile=" + base + "\\*\\*\\*.exe", true},
      {"DetectFile=" + base + "\\Viewer 3*", false},
      {"DetectFile=%TRELLWIPE_NO_SUCH_VARIABLE%\\Apps", false},
      {"SpecialDetect=DET_NO_SUCH_PROGRAM", false},
      {"DetectOS=" + below + "|", true},
      {"DetectOS=|" + below, true},
      {"DetectOS=" + std::to_string(version / 100 + 1) + ".0|", false},
      {"DetectOS=|5.1\r\nDetect=" + Key() + "\\Present", false},
  };
  catalogue::rules::PathExpander expander;
  for (const auto& test : kCases) {
    std::vector<catalogue::rules::Rule> rule =
        catalogue::rules::ParseRules("[R *]\r\n" + test.keys + "\r\nRegKey1=HKCU\\Software\\X\r\n");
    ASSERT_EQ(rule.size(), 1u);
    EXPECT_EQ(catalogue::rules::Detected(rule[0], expander), test.detected) << test.keys;
  }
}

TEST_F(Rules, FileKeysMatchTheirPatternsRecurseAndRemoveTheFoldersTheyEmpty) {
  const std::wstring app = root / L"App";
  MakeFile(app + L"\\Logs\\a.log", 10);
  MakeFile(app + L"\\Logs\\b.TMP", 20);
  MakeFile(app + L"\\Logs\\notes.txt", 1);
  MakeFile(app + L"\\Logs\\old\\c.log", 40);  // not a recursing key: stays
  MakeFile(app + L"\\Cache\\x\\y\\d.bin", 100);
  MakeFile(app + L"\\Cache\\e.bin", 200);
  MakeFile(app + L"\\Temp\\1\\f.bin", 300);
  MakeFile(app + L"\\Temp\\2\\keep.cfg", 1);
  MakeFile(app + L"\\Temp\\2\\g.bin", 400);
  MakeFile(app + L"\\Gone\\h\\i.bin", 500);
  MakeFile(app + L"\\Profiles\\one\\Cache2\\j.bin", 600);
  MakeFile(app + L"\\Profiles\\two\\Cache2\\k.bin", 700);
  MakeFile(app + L"\\state.db", 800);
  RuleFile(
      "[App Files *]\r\nLangSecRef=3021\r\n"
      "FileKey1=%TRELLWIPE_RULE_ROOT%\\App\\Logs|*.log;*.tmp\r\n"
      "FileKey2=%TRELLWIPE_RULE_ROOT%\\App\\Cache|*|RECURSE\r\n"
      "FileKey3=%TRELLWIPE_RULE_ROOT%\\App\\Temp|*.bin|REMOVESELF\r\n"
      "FileKey4=%TRELLWIPE_RULE_ROOT%\\App\\Gone|*.*|REMOVESELF\r\n"
      "FileKey5=%TRELLWIPE_RULE_ROOT%\\App\\Profiles\\*\\Cache?|*\r\n"
      "FileKey6=%TRELLWIPE_RULE_ROOT%\\App|state.db\r\n"
      "[Unticked *]\r\nFileKey1=%TRELLWIPE_RULE_ROOT%\\App|*|RECURSE\r\n"
      "[Not Here *]\r\nDetectFile=%TRELLWIPE_RULE_ROOT%\\Nowhere\r\nFileKey1=%TRELLWIPE_RULE_ROOT%\\App|*|RECURSE\r\n");
  engine::RunReport report = Run({L"App Files *", L"Not Here *"});
  ASSERT_EQ(report.items.size(), 2u);
  EXPECT_EQ(report.items[0].label, L"App Files *");
  EXPECT_EQ(report.items[0].section, L"winapp2");
  // The entry whose program is not here erases nothing and says what it looked for.
  EXPECT_EQ(report.items[1].label, L"Not Here *");
  EXPECT_EQ(report.items[1].outcome, L"Not installed");
  EXPECT_EQ(report.items[1].lookedFor, std::vector<std::wstring>{L"%TRELLWIPE_RULE_ROOT%\\Nowhere"});
  EXPECT_EQ(view.rows.size(), 2u + 1u);  // the entries, then the run's final row
  EXPECT_EQ(view.rows[0].label, L"App Files *");
  EXPECT_EQ(report.items[0].estimatedBytes, 10 + 20 + 100 + 200 + 300 + 400 + 500 + 600 + 700 + 800);
  EXPECT_EQ(FolderNames(app), (std::vector<std::wstring>{L"Cache", L"Logs", L"Profiles", L"Temp"}));
  EXPECT_EQ(FolderNames(app + L"\\Logs"), (std::vector<std::wstring>{L"notes.txt", L"old"}));
  ExpectKept(app + L"\\Logs\\old\\c.log");
  // RECURSE empties the tree and leaves its folders; REMOVESELF removes what it emptied, not what
  // still holds a file it was not asked for.
  EXPECT_EQ(FolderNames(app + L"\\Cache"), std::vector<std::wstring>{L"x"});
  ExpectKept(app + L"\\Cache\\x\\y");
  EXPECT_EQ(FolderNames(app + L"\\Temp"), std::vector<std::wstring>{L"2"});
  EXPECT_EQ(FolderNames(app + L"\\Temp\\2"), std::vector<std::wstring>{L"keep.cfg"});
  EXPECT_TRUE(FolderNames(app + L"\\Profiles\\one\\Cache2").empty());
  EXPECT_TRUE(FolderNames(app + L"\\Profiles\\two\\Cache2").empty());
}

TEST_F(Rules, RegistryKeysCountFiveAndValuesOne) {
  SetString(HKEY_CURRENT_USER, key.Subkey() + L"\\Recent\\deep", L"a", L"1");
  SetString(HKEY_CURRENT_USER, key.Subkey(), L"LastFolder", L"C:\\x");
  SetString(HKEY_CURRENT_USER, key.Subkey(), L"Kept", L"1");
  RuleFile("[App Keys *]\r\nRegKey1=" + Key() + "\\Recent\r\nRegKey2=" + Key() + "|LastFolder\r\n");
  engine::RunReport report = Run({L"App Keys *"});
  ASSERT_EQ(report.items.size(), 1u);
  EXPECT_EQ(report.items[0].estimatedKeys, 5 + 1);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key.Subkey() + L"\\Recent"));
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, key.Subkey(), L"LastFolder"));
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, key.Subkey(), L"Kept"));
}

TEST_F(Rules, ExclusionsOfEachKindKeepWhatTheyName) {
  const std::wstring app = root / L"App";
  MakeFile(app + L"\\Cache\\keep.db", 1);
  MakeFile(app + L"\\Cache\\sub\\keep.db", 2);  // FILE keeps only its own folder's file
  MakeFile(app + L"\\Cache\\a.bin", 4);
  MakeFile(app + L"\\Data\\x.cfg", 8);
  MakeFile(app + L"\\Data\\deep\\y.CFG", 16);
  MakeFile(app + L"\\Data\\deep\\z.bin", 32);
  SetString(HKEY_CURRENT_USER, key.Subkey() + L"\\Recent\\Pinned\\one", L"a", L"1");
  SetString(HKEY_CURRENT_USER, key.Subkey() + L"\\Recent\\Other", L"a", L"1");
  SetString(HKEY_CURRENT_USER, key.Subkey() + L"\\Recent", L"top", L"1");
  SetString(HKEY_CURRENT_USER, key.Subkey() + L"\\Pinned", L"LastFolder", L"1");
  RuleFile(
      "[App Kept *]\r\n"
      "FileKey1=%TRELLWIPE_RULE_ROOT%\\App\\Cache|*|RECURSE\r\n"
      "FileKey2=%TRELLWIPE_RULE_ROOT%\\App\\Data|*|RECURSE\r\n"
      "RegKey1=" +
      Key() +
      "\\Recent\r\n"
      "RegKey2=" +
      Key() +
      "\\Pinned|LastFolder\r\n"
      "ExcludeKey1=FILE|%TRELLWIPE_RULE_ROOT%\\App\\Cache\\|keep.db\r\n"
      "ExcludeKey2=PATH|%TRELLWIPE_RULE_ROOT%\\App\\Data\\|*.cfg\r\n"
      "ExcludeKey3=REG|" +
      Key() +
      "\\Recent\\Pinned\r\n"
      "ExcludeKey4=REG|HKEY_CURRENT_USER\\" +
      platform::Narrow(key.Subkey()) + "\\Pinned\r\n");
  Run({L"App Kept *"});
  ExpectKept(app + L"\\Cache\\keep.db");
  ExpectGone(app + L"\\Cache\\sub\\keep.db");
  ExpectGone(app + L"\\Cache\\a.bin");
  ExpectKept(app + L"\\Data\\x.cfg");
  ExpectKept(app + L"\\Data\\deep\\y.CFG");
  ExpectGone(app + L"\\Data\\deep\\z.bin");
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, key.Subkey() + L"\\Recent\\Pinned\\one", L"a"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key.Subkey() + L"\\Recent\\Other"));
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, key.Subkey() + L"\\Recent", L"top"));
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, key.Subkey() + L"\\Pinned", L"LastFolder"));
}

namespace {

// Run through the emulator, which gives these tests drive Y: over the sandbox that holds the prefix
// and the link C:\linkfixture\up to C:\linkfixture\app.
class RuleIdentityGuard : public Rules {};

}  // namespace

// An exclusion holds whatever name of its folder the exclusion and the file key each use.
TEST_F(RuleIdentityGuard, ExclusionsHoldUnderEveryNameOfTheirFolder) {
  const std::string onC = "C:\\linkfixture\\app", onY = "Y:\\prefix\\drive_c\\linkfixture\\app",
                    linked = "C:\\linkfixture\\up";
  const std::pair<std::string, std::string> spellings[] = {{onY, onC}, {onC, onY}, {onC, linked}, {linked, onC}};
  for (const auto& [excluded, walked] : spellings) {
    MakeFile(L"C:\\linkfixture\\app\\Cache\\keep.db", 1);
    MakeFile(L"C:\\linkfixture\\app\\Cache\\a.bin", 2);
    RuleFile("[App Cache *]\r\nFileKey1=" + walked + "\\Cache|*\r\nExcludeKey1=FILE|" + excluded +
             "\\Cache\\|keep.db\r\n");
    Run({L"App Cache *"});
    SCOPED_TRACE(excluded + " kept in " + walked);
    ExpectKept(L"C:\\linkfixture\\app\\Cache\\keep.db");
    ExpectGone(L"C:\\linkfixture\\app\\Cache\\a.bin");
  }
}

TEST_F(Rules, APreviewListsWhatTheCleanErasesAndErasesNothing) {
  const std::wstring app = root / L"App";
  MakeFile(app + L"\\Cache\\x\\a.bin", 10);
  MakeFile(app + L"\\Cache\\b.bin", 20);
  MakeFile(app + L"\\Temp\\c\\d.tmp", 30);
  SetString(HKEY_CURRENT_USER, key.Subkey() + L"\\Recent", L"a", L"1");
  RuleFile(
      "[App Both *]\r\n"
      "FileKey1=%TRELLWIPE_RULE_ROOT%\\App\\Cache|*|RECURSE\r\n"
      "FileKey2=%TRELLWIPE_RULE_ROOT%\\App\\Temp|*|REMOVESELF\r\n"
      "RegKey1=" +
      Key() + "\\Recent\r\n");
  engine::RunReport preview = Run({L"App Both *"}, true);
  ExpectKept(app + L"\\Temp\\c\\d.tmp");
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, key.Subkey() + L"\\Recent"));
  engine::RunReport clean = Run({L"App Both *"});
  EXPECT_EQ(Files(preview), Files(clean));
  EXPECT_EQ(Files(clean).size(), 3u);
  ASSERT_EQ(preview.items.size(), 1u);
  ASSERT_EQ(clean.items.size(), 1u);
  EXPECT_EQ(preview.items[0].keys, clean.items[0].keys);
  EXPECT_EQ(preview.items[0].estimatedBytes, clean.items[0].estimatedBytes);
  ExpectGone(app + L"\\Temp");
}

namespace {

// The link fixture's tree\sub\cache leads out of the tree, to files no rule may reach.
class RulePathGuard : public Rules {
 protected:
  ScopedEnvironment programVariable{L"TRELLWIPE_RULE_PROGRAM", program.Path()};
  static std::wstring LinkFixture() {
    wchar_t fixture[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"TRELLWIPE_LINK_FIXTURE", fixture, MAX_PATH);
    return fixture;
  }
  static std::wstring ShortName(const std::wstring& path) {
    wchar_t name[MAX_PATH] = L"";
    GetShortPathNameW(path.c_str(), name, MAX_PATH);
    return name;
  }
};

}  // namespace

TEST_F(RulePathGuard, NeitherWildcardsNorWalksGoThroughLinks) {
  const std::wstring fixture = LinkFixture();
  ASSERT_FALSE(fixture.empty()) << "run through the project's emulator script";
  catalogue::rules::PathExpander expander;
  EXPECT_EQ(expander.Expand(fixture + L"\\tree\\sub\\*").found, std::vector<std::wstring>{});
  EXPECT_EQ(expander.Expand(fixture + L"\\tree\\sub\\*", catalogue::rules::PathExpander::Target::FoldersOrFiles).found,
            std::vector<std::wstring>{fixture + L"\\tree\\sub\\own.txt"});
  RuleFile("[Linked *]\r\nFileKey1=" + platform::Narrow(fixture) +
           "\\tree|*|REMOVESELF\r\n"
           "FileKey2=" +
           platform::Narrow(fixture) + "\\tree\\*\\*|*|RECURSE\r\n");
  Run({L"Linked *"});
  ExpectGone(fixture + L"\\tree\\sub\\own.txt");
  ExpectKept(fixture + L"\\outside\\precious.txt");
  ExpectKept(fixture + L"\\outside\\cache\\precious.bin");
}

// A rule may name a file of an exact name in a protected folder or a drive root; it never walks
// from one, never removes one, and never touches the program folder, however it spells them.
TEST_F(RulePathGuard, RootsProtectedFoldersAndTheProgramFolderAreRefusedHoweverSpelled) {
  wchar_t windows[MAX_PATH] = L"";
  GetWindowsDirectoryW(windows, MAX_PATH);
  wchar_t programFiles[MAX_PATH] = L"";
  SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, programFiles);
  const std::wstring drive = std::wstring(windows).substr(0, 3);
  const struct {
    std::string folder;     // as the rule writes it
    std::string flags;      // "|RECURSE" or "|REMOVESELF" or none
    std::wstring sentinel;  // where a file of the pattern lies that must stay
  } kRefused[] = {
      {"%SystemDrive%\\", "|RECURSE", drive + L"trellwipe-sentinel-1.tmp"},
      {"%SystemDrive%\\.", "", drive + L"trellwipe-sentinel-2.tmp"},
      {"%WinDir%", "", std::wstring(windows) + L"\\trellwipe-sentinel-3.tmp"},
      {"%SystemRoot%\\System32\\..\\System32", "|RECURSE",
       std::wstring(windows) + L"\\system32\\trellwipe-sentinel-4.tmp"},
      {platform::Narrow(ShortName(programFiles)), "|REMOVESELF",
       std::wstring(programFiles) + L"\\trellwipe-sentinel-5.tmp"},
      {"%UserProfile%", "|RECURSE", root.Path() + L"\\trellwipe-sentinel-6.tmp"},
      {"%LocalAppData%\\..\\..", "|REMOVESELF", root.Path() + L"\\trellwipe-sentinel-7.tmp"},
      {"%UserProfile%\\..", "|RECURSE", root.Path() + L"\\trellwipe-sentinel-8.tmp"},
      {"%TRELLWIPE_RULE_PROGRAM%", "", program / L"trellwipe-sentinel-9.tmp"},
      {platform::Narrow(program.Path()) + "\\..\\" +
           platform::Narrow(program.Path().substr(program.Path().rfind(L'\\') + 1)) + "\\sub",
       "|RECURSE", program / L"sub\\trellwipe-sentinel-10.tmp"},
      // Above its variable's folder, wherever it then leads: here back into it.
      {"%TRELLWIPE_RULE_ROOT%\\Vendor\\Cache\\..\\..\\..\\" +
           platform::Narrow(root.Path().substr(root.Path().rfind(L'\\') + 1)) + "\\Documents",
       "|RECURSE", root / L"Documents\\letters\\trellwipe-sentinel-11.tmp"},
  };
  std::string text;
  int n = 0;
  for (const auto& test : kRefused) {
    MakeFile(test.sentinel, 5);
    text += "[Refused " + std::to_string(++n) + " *]\r\nFileKey1=" + test.folder + "|trellwipe-sentinel-*.tmp" +
            test.flags + "\r\n";
  }
  // Exact names are allowed where walks are not.
  const std::wstring exactInWindows = std::wstring(windows) + L"\\trellwipe-rule-exact.tmp";
  const std::wstring exactAtRoot = drive + L"trellwipe-rule-exact.tmp";
  MakeFile(exactInWindows, 7);
  MakeFile(exactAtRoot, 9);
  text +=
      "[Exact *]\r\nFileKey1=%WinDir%|trellwipe-rule-exact.tmp\r\nFileKey2=%SystemDrive%\\|trellwipe-rule-exact.tmp\r\n";
  RuleFile(text);
  // The selection window learns the same from RefusedFolders before any run.
  for (const catalogue::rules::Rule& rule : catalogue::rules::LoadRules(program.Path())) {
    EXPECT_EQ(catalogue::rules::RefusedFolders(rule, engine::PathGuard(program.Path())).size(),
              rule.name == L"Exact *" ? 0u : 1u)
        << rule.name;
  }
  std::vector<const wchar_t*> ticked;
  std::vector<std::wstring> names;
  for (int i = 1; i <= n; ++i) names.push_back(L"Refused " + std::to_wstring(i) + L" *");
  names.push_back(L"Exact *");
  for (const std::wstring& name : names) ticked.push_back(name.c_str());
  std::wstring settings = program / L"prisd.dat";
  for (const wchar_t* name : ticked)
    settings::inifun::WriteIniValue(settings, catalogue::rules::kCommunitySection, name, L"1");
  run::CleanRun run(view, program.Path(), values, catalogue::Stages());
  run.CleanNow();
  const engine::RunReport& report = run.LastReport();
  ASSERT_EQ(report.items.size(), names.size());
  for (int i = 0; i < n; ++i) {
    const auto& test = kRefused[i];
    ExpectKept(test.sentinel, ::testing::Message() << test.folder);
    ASSERT_EQ(report.items[i].leftBehind.size(), 1u) << test.folder;
    EXPECT_TRUE(report.items[i].leftBehind[0].reason.starts_with(L"refused: ")) << test.folder;
    DeleteFileW(test.sentinel.c_str());
  }
  ExpectGone(exactInWindows);
  ExpectGone(exactAtRoot);
  EXPECT_EQ(report.items.back().estimatedBytes, 7 + 9);
}

TEST_F(Rules, TheConsoleProgramListsAndPicksTheEntriesFoundHere) {
  MakeFolders(root / L"Found");
  MakeFile(root / L"Found\\a.log", 3);
  MakeFile(root / L"Other\\b.log", 5);
  RuleFile(
      "[Found App *]\r\nDetectFile=%TRELLWIPE_RULE_ROOT%\\Found\r\nFileKey1=%TRELLWIPE_RULE_ROOT%\\Found|*.log\r\n"
      "[Missing App *]\r\nDetectFile=%TRELLWIPE_RULE_ROOT%\\Missing\r\nFileKey1=%TRELLWIPE_RULE_ROOT%\\Found|*\r\n"
      "[Other App *]\r\nFileKey1=%TRELLWIPE_RULE_ROOT%\\Other|*.log\r\n");
  settings::inifun::WriteIniValue(program / L"prisd.dat", catalogue::rules::kCommunitySection, L"Other App *", L"1");
  cli::Output listed;
  ASSERT_EQ(cli::Run({L"--list"}, program.Path(), values, listed), 0);
  EXPECT_NE(listed.out.find("winapp2/Found App *"), std::string::npos);
  EXPECT_NE(listed.out.find("winapp2/Other App *"), std::string::npos);
  EXPECT_EQ(listed.out.find("Missing App"), std::string::npos);
  cli::Output json;
  ASSERT_EQ(cli::Run({L"--list", L"--json"}, program.Path(), values, json), 0);
  EXPECT_NE(json.out.find("\"winapp2\""), std::string::npos);

  cli::Output missing;
  EXPECT_EQ(cli::Run({L"--clean", L"--only", L"winapp2/Missing App *"}, program.Path(), values, missing), 1);
  cli::Output cleaned;
  ASSERT_EQ(cli::Run({L"--clean", L"--only", L"winapp2/Found App *"}, program.Path(), values, cleaned), 0);
  ExpectGone(root / L"Found\\a.log");
  ExpectKept(root / L"Other\\b.log");  // ticked, but not chosen for this call
}

// A file the user writes beside the shipped ones is listed under "My rules" and runs like them; a
// file named like a shipped one is taken as the shipped one, which an installation replaces.
TEST_F(Rules, TheUsersOwnFilesAreListedUnderMyRulesAndRun) {
  MakeFile(root / L"Example Editor\\Cache\\page.bin", 7);
  RuleFile(
      "[Example Editor Cache *]\r\nSection=Applications\r\nDetectFile=%TRELLWIPE_RULE_ROOT%\\Example Editor\r\n"
      "FileKey1=%TRELLWIPE_RULE_ROOT%\\Example Editor\\Cache|*|RECURSE\r\n",
      L"rules\\example editor.ini");
  RuleFile("[Written Over *]\r\nSection=Browsers\r\nRegKey1=HKCU\\Software\\Example\r\n", L"rules\\Browsers.INI");
  std::vector<std::wstring> listed;
  for (const catalogue::rules::RuleChoice& choice : catalogue::rules::RuleChoices(program.Path())) {
    listed.push_back(choice.rule.section + L"/" + choice.rule.name + L" in " + choice.rule.category);
  }
  EXPECT_EQ(listed, (std::vector<std::wstring>{L"rules/Written Over * in Browsers",
                                               L"rules/Example Editor Cache * in My rules"}));
  cli::Output cleaned;
  ASSERT_EQ(cli::Run({L"--clean", L"--only", L"rules/Example Editor Cache *"}, program.Path(), values, cleaned), 0)
      << cleaned.err;
  ExpectGone(root / L"Example Editor\\Cache\\page.bin");
  ExpectKept(root / L"Example Editor\\Cache");
}

// The community file's size and shape: it lists, previews and cleans; the entries of programs
// that are present do their work and the rest are passed over.
TEST_F(Rules, AGeneratedFileOfFourThousandEntriesListsPreviewsAndCleans) {
  constexpr int kEntries = 4000;
  RuleFile(GeneratedRules(kEntries, "%TRELLWIPE_RULE_ROOT%"));
  std::string ticks = "[winapp2]\r\n";
  for (int i = 0; i < kEntries; ++i) ticks += GeneratedProgram(i) + " *=1\r\n";
  WriteText(program / L"prisd.dat", ticks);
  std::vector<int> present;
  for (int i = 0; i < kEntries; i += 400) {
    present.push_back(i);
    const std::wstring folder = root / platform::Widen(GeneratedProgram(i));
    MakeFile(folder + L"\\Cache\\sub\\a.bin", 10);
    MakeFile(folder + L"\\Cache\\keep.db", 1);
    MakeFile(folder + L"\\Logs\\b.log", 20);
    MakeFile(folder + L"\\Temp1\\c.bin", 30);
  }
  cli::Output listed;
  ASSERT_EQ(cli::Run({L"--list"}, program.Path(), values, listed), 0);
  size_t count = 0;
  for (size_t at = 0; (at = listed.out.find("winapp2/", at)) != std::string::npos; ++at) ++count;
  EXPECT_EQ(count, present.size());

  cli::Output preview;
  ASSERT_EQ(cli::Run({L"--preview", L"--json"}, program.Path(), values, preview), 0) << preview.err;
  ExpectKept(root / platform::Widen(GeneratedProgram(0)) + L"\\Logs\\b.log");
  cli::Output cleaned;
  ASSERT_EQ(cli::Run({L"--clean", L"--json"}, program.Path(), values, cleaned), 0) << cleaned.err;
  for (int i : present) {
    const std::wstring folder = root / platform::Widen(GeneratedProgram(i));
    ExpectGone(folder + L"\\Cache\\sub\\a.bin");
    EXPECT_EQ(Exists(folder + L"\\Cache\\keep.db"), i % 4 == 0) << i;  // every fourth entry keeps it
    ExpectGone(folder + L"\\Logs\\b.log");
    ExpectGone(folder + L"\\Temp1");
  }
}

TEST(RuleFile, ReadsUtf16AndKeepsNoMoreThanItsBudget) {
  const std::wstring text = L"[Wide \u00e9 *]\r\nRegKey1=HKCU\\Software\\Wide\r\n";
  std::string little = "\xFF\xFE", big = "\xFE\xFF";
  for (wchar_t c : text) {
    little.push_back(static_cast<char>(c & 0xFF));
    little.push_back(static_cast<char>(c >> 8));
    big.push_back(static_cast<char>(c >> 8));
    big.push_back(static_cast<char>(c & 0xFF));
  }
  for (const std::string& file : {little, big}) {
    std::vector<catalogue::rules::Rule> parsed = catalogue::rules::ParseRules(file);
    ASSERT_EQ(parsed.size(), 1u);
    EXPECT_EQ(parsed[0].name, L"Wide \u00e9 *");
    EXPECT_EQ(parsed[0].regKeys[0].key, L"HKCU\\Software\\Wide");
  }
  // The entries past the budget are left out, the one it ran out in too.
  const std::string entries = "[One *]\r\nRegKey1=HKCU\\Software\\One\r\n[Two *]\r\nRegKey1=HKCU\\Software\\Two\r\n";
  EXPECT_EQ(catalogue::rules::ParseRules(entries, 2 * catalogue::rules::kKeyCost + 40).size(), 1u);
  EXPECT_EQ(catalogue::rules::ParseRules(entries).size(), 2u);
}

// A file far larger than any rule file is read to its end, by whole lines: the line that lies across
// the 64 MiB mark keeps its pattern, and a line too long for a key is passed over whole.
TEST_F(Rules, AFileOfAnySizeIsReadByWholeLines) {
  const std::wstring app = root / L"App";
  MakeFile(app + L"\\a.txt", 1);
  MakeFile(app + L"\\b.log", 2);
  const std::string head = "[Logs *]\r\n";
  const std::string key = "FileKey1=%TRELLWIPE_RULE_ROOT%\\App|*";
  std::string text = head;
  text.append(std::string(200000, 'z') + "|*\r\n");  // longer than any path: no key
  const size_t mark = 64 * 1024 * 1024;
  const size_t filler = mark - text.size() - key.size();
  for (size_t left = filler; left > 0;) {
    size_t line = std::min<size_t>(left, 1000);
    if (line < 3) {
      text.append(line, '\n');
    } else {
      text.append(1, ';').append(line - 3, 'c').append("\r\n");
    }
    left -= line;
  }
  text += key + ".log\r\n";
  ASSERT_EQ(text.substr(mark - 1, 1), "*");
  RuleFile(text);
  Run({L"Logs *"});
  ExpectKept(app + L"\\a.txt");
  ExpectGone(app + L"\\b.log");
}

// Wildcards and ".." that multiply the paths without end: each path once, and past the bound of
// paths or of time the key is too broad and gives nothing.
TEST_F(Rules, ExpansionStopsAtItsBoundsAndTheRunGoesOn) {
  std::string bomb = "%SystemDrive%";
  for (int i = 0; i < 10; ++i) bomb += "\\*\\..";
  catalogue::rules::PathExpander detector(catalogue::rules::PathExpander::Listings::Remembered);
  catalogue::rules::Expansion<std::wstring> collapsed = detector.Expand(platform::Widen(bomb));
  EXPECT_FALSE(collapsed.tooBroad);
  EXPECT_EQ(collapsed.found.size(), 1u);
  for (int a = 0; a < 11; ++a) {
    for (int b = 0; b < 11; ++b)
      MakeFolders(root / (L"Wide\\" + std::to_wstring(a) + L"\\" + std::to_wstring(b) + L"\\x"));
  }
  catalogue::rules::PathExpander expander(catalogue::rules::PathExpander::Listings::Live, {100});
  EXPECT_EQ(expander.Expand(root / L"Wide\\*").found.size(), 11u);
  catalogue::rules::Expansion<std::wstring> wide = expander.Expand(root / L"Wide\\*\\*");
  EXPECT_TRUE(wide.tooBroad);
  EXPECT_TRUE(wide.found.empty());
  catalogue::rules::PathExpander hurried(catalogue::rules::PathExpander::Listings::Live,
                                         {100, std::chrono::milliseconds(-1)});
  EXPECT_TRUE(hurried.Expand(root / L"Wide\\*").tooBroad);

  MakeFile(root / L"Small\\gone.bin", 2);
  SetString(HKEY_CURRENT_USER, key.Subkey() + L"\\Kept", L"v", L"1");
  RuleFile("[Bomb *]\r\nDetectFile=" + bomb + "\r\nFileKey1=" + bomb +
           "\\*|*\r\n"
           "FileKey2=%TRELLWIPE_RULE_ROOT%\\Small|*\r\nRegKey1=HKCU\\*\r\nRegKey2=HKCU\\*\\" +
           platform::Narrow(key.Subkey().substr(key.Subkey().find(L'\\') + 1)) + "\r\n");
  cli::Output listed;
  ASSERT_EQ(cli::Run({L"--list"}, program.Path(), values, listed), 0);
  EXPECT_NE(listed.out.find("winapp2/Bomb *"), std::string::npos);
  std::vector<std::wstring> refused = catalogue::rules::RefusedFolders(catalogue::rules::LoadRules(program.Path())[0],
                                                                       engine::PathGuard(program.Path()));
  EXPECT_EQ(refused.size(), 3u);
  engine::RunReport report = Run({L"Bomb *"});
  ASSERT_EQ(report.items.size(), 1u);
  std::vector<std::wstring> reasons;
  for (const engine::LeftRecord& left : report.items[0].leftBehind) reasons.push_back(left.reason);
  EXPECT_EQ(reasons, std::vector<std::wstring>(3, L"refused: too broad"));
  ExpectGone(root / L"Small\\gone.bin");
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, key.Subkey() + L"\\Kept", L"v"));
}

// A wildcard just below a drive root or a protected folder, for every file, names every folder there.
TEST_F(Rules, EveryFileInEveryFolderJustBelowAProtectedFolderIsTooBroad) {
  wchar_t profile[MAX_PATH] = L"";
  GetEnvironmentVariableW(L"USERPROFILE", profile, MAX_PATH);
  const std::wstring sentinel = std::wstring(profile) + L"\\trellwipe-sentinel\\kept.bin";
  MakeFile(sentinel, 1);
  const struct {
    std::string key;
    bool tooBroad;
  } kCases[] = {
      {"%SystemDrive%\\*|*", true},
      {"%SystemDrive%\\*\\*|*.*", true},
      {"%WinDir%\\*|*", true},
      {"%ProgramFiles%\\*|**", true},
      {"%UserProfile%\\*|*|RECURSE", true},
      {"%UserProfile%\\Desktop\\..\\*|*", true},
      {"%ProgramFiles%\\*\\Vendor\\Cache|*", false},
      {"%UserProfile%\\*|kept.log", false},
  };
  std::string text;
  for (const auto& test : kCases) {
    const std::vector<catalogue::rules::Rule> rule =
        catalogue::rules::ParseRules("[R *]\r\nFileKey1=" + test.key + "\r\n");
    ASSERT_EQ(rule.size(), 1u);
    std::vector<std::wstring> refused = catalogue::rules::RefusedFolders(rule[0], engine::PathGuard(program.Path()));
    EXPECT_EQ(std::any_of(refused.begin(), refused.end(),
                          [](const std::wstring& why) { return why.find(L" is too broad") != std::wstring::npos; }),
              test.tooBroad)
        << test.key;
  }
  RuleFile("[Profile *]\r\nFileKey1=%UserProfile%\\*|*\r\n");
  engine::RunReport report = Run({L"Profile *"});
  ExpectKept(sentinel);
  ASSERT_EQ(report.items.size(), 1u);
  ASSERT_EQ(report.items[0].leftBehind.size(), 1u);
  EXPECT_EQ(report.items[0].leftBehind[0].reason, L"refused: too broad");
  RemoveTree(std::wstring(profile) + L"\\trellwipe-sentinel");
}

// Every spelling of a registry exclusion keeps its key: doubled and trailing separators, the long
// root name, another letter case, the user's hive in HKEY_USERS, HKEY_CLASSES_ROOT.
TEST_F(Rules, RegistryExclusionsHoldUnderAnySpelling) {
  const std::string subkey = platform::Narrow(key.Subkey());
  std::string doubled;
  for (char c : subkey) doubled += c == '\\' ? std::string("\\\\") : std::string(1, c);
  SetString(HKEY_CURRENT_USER, key.Subkey() + L"\\Recent\\Pinned", L"a", L"1");
  std::string userHive;  // the hive in HKEY_USERS that holds this test's key
  wchar_t name[256];
  for (DWORD i = 0, length = 256; RegEnumKeyExW(HKEY_USERS, i, name, &length, nullptr, nullptr, nullptr, nullptr) == 0;
       ++i, length = 256) {
    if (KeyExists(HKEY_USERS, std::wstring(name) + L"\\" + key.Subkey())) userHive = platform::Narrow(name);
  }
  ASSERT_FALSE(userHive.empty());
  const std::string kSpellings[] = {
      "HKCU\\\\" + doubled + "\\\\Recent\\\\Pinned",
      "hkey_current_user\\" + subkey + "\\RECENT\\pinned\\",
      "HKEY_CURRENT_USER\\\\" + subkey + "\\Recent\\Pinned\\\\",
      "HKU\\" + userHive + "\\" + subkey + "\\Recent\\Pinned",
  };
  for (const std::string& spelling : kSpellings) {
    SetString(HKEY_CURRENT_USER, key.Subkey() + L"\\Recent\\Pinned", L"a", L"1");
    SetString(HKEY_CURRENT_USER, key.Subkey() + L"\\Recent\\Other", L"a", L"1");
    RuleFile("[Kept *]\r\nRegKey1=HKEY_CURRENT_USER\\" + subkey +
             "\\Recent\r\n"
             "RegKey2=" +
             Key() + "\\Recent\\Pinned|a\r\nExcludeKey1=REG|" + spelling + "\r\n");
    Run({L"Kept *"});
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, key.Subkey() + L"\\Recent\\Pinned", L"a")) << spelling;
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key.Subkey() + L"\\Recent\\Other")) << spelling;
  }
  const std::wstring classes = L"Software\\Classes\\TrellwipeRuleTest";
  SetString(HKEY_CURRENT_USER, classes + L"\\Kept", L"a", L"1");
  SetString(HKEY_CURRENT_USER, classes + L"\\Other", L"a", L"1");
  RuleFile("[Classes *]\r\nRegKey1=HKCU\\" + platform::Narrow(classes) +
           "\r\nExcludeKey1=REG|HKCR\\TrellwipeRuleTest\\Kept\r\n");
  Run({L"Classes *"});
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, classes + L"\\Kept", L"a"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, classes + L"\\Other"));
  RegDeleteTreeW(HKEY_CURRENT_USER, classes.c_str());
}

// A rule that names a hive or a branch of every program's settings is refused there, however it
// spells it, and says so; asked in a preview, which deletes nothing either way.
TEST_F(Rules, NoRuleTakesAHiveOrABranchOfEveryProgramsSettings) {
  RuleFile(
      "[Hives *]\r\nRegKey1=HKCU\\Software\r\nRegKey2=HKEY_LOCAL_MACHINE\\\\SOFTWARE\\\r\n"
      "RegKey3=hkcu\\control panel\r\nRegKey4=HKCU\\Software\\Wine\\TrellwipeNoSuchKey\r\n");
  EXPECT_EQ(catalogue::rules::RefusedFolders(catalogue::rules::LoadRules(program.Path()).at(0),
                                             engine::PathGuard(program.Path()))
                .size(),
            3u);
  engine::RunReport report = Run({L"Hives *"}, true);
  ASSERT_EQ(report.items.size(), 1u);
  EXPECT_TRUE(report.items[0].keys.empty());
  ASSERT_EQ(report.items[0].leftBehind.size(), 3u);
  for (const engine::LeftRecord& left : report.items[0].leftBehind) {
    EXPECT_EQ(left.reason, L"refused: a protected registry key") << left.path;
  }
}

namespace {

// The project's own rule file and a community file with an entry of the same name.
class RuleNames : public Rules {
 protected:
  RuleNames() {
    MakeFile(root / L"Shipped\\trace.tmp", 1);
    MakeFile(root / L"Documents\\letter.doc", 2);
    RuleFile("[Temporary Files *]\r\nDefault=True\r\nFileKey1=%TRELLWIPE_RULE_ROOT%\\Shipped|*\r\n",
             L"rules\\windows.ini");
    RuleFile("[Temporary Files *]\r\nDefault=True\r\nFileKey1=%TRELLWIPE_RULE_ROOT%\\Documents|*\r\n");
  }
  std::wstring Stored(const wchar_t* section, const wchar_t* key) const {
    return settings::inifun::ReadIniValue(program / L"prisd.dat", section, key);
  }
  std::vector<std::wstring> Ticks() const {
    std::vector<std::wstring> ticks;
    for (const catalogue::rules::RuleChoice& choice : catalogue::rules::RuleChoices(program.Path())) {
      ticks.push_back(choice.rule.section + L"/" + choice.rule.name + (choice.ticked ? L" on" : L" off"));
    }
    return ticks;
  }
};

}  // namespace

TEST_F(RuleNames, ACommunityEntryNeverTakesTheNameTheTickOrTheDefaultOfAShippedOne) {
  ASSERT_TRUE(catalogue::InstallDefaultSelection(program.Path()));
  EXPECT_EQ(Stored(L"rules", L"Temporary Files *"), L"1");
  EXPECT_EQ(Stored(L"winapp2", L"Temporary Files *"), L"");
  cli::Output listed;
  ASSERT_EQ(cli::Run({L"--list"}, program.Path(), values, listed), 0);
  EXPECT_NE(listed.out.find("on   rules/Temporary Files *"), std::string::npos) << listed.out;
  EXPECT_NE(listed.out.find("off  winapp2/Temporary Files *"), std::string::npos) << listed.out;
  // The rules alone: the built-in items a new user starts with would empty the temporary folder.
  run::Stages stages;
  stages.push_back(catalogue::RuleStage());
  view = RecordingView();
  run::CleanRun run(view, program.Path(), values, std::move(stages));
  run.CleanNow();
  ExpectGone(root / L"Shipped\\trace.tmp");
  ExpectKept(root / L"Documents\\letter.doc");
}

// Ticks stored before the sections parted lie in "winapp2": a shipped entry's goes over to "rules"
// at the next save, once; afterwards "winapp2" holds the community file's ticks alone.
TEST_F(RuleNames, TheShippedEntriesTicksMoveOverOnce) {
  WriteText(program / L"prisd.dat", "[winapp2]\r\nTemporary Files *=1\r\n");
  EXPECT_EQ(Ticks(), (std::vector<std::wstring>{L"winapp2/Temporary Files * off", L"rules/Temporary Files * on"}));
  auto save = [&] {
    settings::inifun::IniBatch batch(program / L"prisd.dat");
    catalogue::rules::StoreTicks(batch, catalogue::rules::RuleChoices(program.Path()), program.Path());
    ASSERT_TRUE(batch.Commit());
  };
  save();
  EXPECT_EQ(Stored(L"rules", L"Temporary Files *"), L"1");
  EXPECT_EQ(Stored(L"winapp2", L"Temporary Files *"), L"0");
  settings::inifun::WriteIniValue(program / L"prisd.dat", L"winapp2", L"Temporary Files *", L"1");
  settings::inifun::WriteIniValue(program / L"prisd.dat", L"rules", L"Temporary Files *", L"0");
  save();
  EXPECT_EQ(Ticks(), (std::vector<std::wstring>{L"winapp2/Temporary Files * on", L"rules/Temporary Files * off"}));
}

// Community entries that reach what today's browsers and Regedit keep: the traces beside go, the
// kept files and keys stay, each named in the details.
TEST_F(Rules, EntriesThatReachWhatUsersKeepAreRefused) {
  const std::wstring chrome = root / L"Chrome\\User Data";
  const std::wstring firefox = root / L"Mozilla\\Firefox\\Profiles\\abcd.default-release";
  const std::wstring regedit = L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit";
  for (const wchar_t* file : {L"\\Local State", L"\\Default\\Preferences", L"\\Default\\Web Data",
                              L"\\Default\\Login Data-journal", L"\\Default\\History", L"\\Default\\Bookmarks.bak",
                              L"\\Default\\Account Web Data", L"\\Default\\Collections\\collectionsSQLite"}) {
    MakeFile(chrome + file, 3);
  }
  for (const wchar_t* file :
       {L"\\places.sqlite", L"\\places.sqlite-wal", L"\\cookies.sqlite", L"\\signons.sqlite", L"\\abook.sqlite",
        L"\\key3.db", L"\\autofill-profiles.json", L"\\bookmarkbackups\\bookmarks-2026-12-01.jsonlz4"}) {
    MakeFile(firefox + file, 5);
  }
  SetString(HKEY_CURRENT_USER, regedit, L"LastKey", L"Computer");
  SetString(HKEY_CURRENT_USER, regedit + L"\\Favorites", L"Run", L"Computer\\HKEY_CURRENT_USER");
  RuleFile(
      "[Chromium Everything *]\r\nFileKey1=%TRELLWIPE_RULE_ROOT%\\Chrome\\User Data|*|RECURSE\r\n"
      "[Firefox History *]\r\nFileKey1=%TRELLWIPE_RULE_ROOT%\\Mozilla\\Firefox\\Profiles\\*|*.sqlite;*.sqlite-wal\r\n"
      "FileKey2=%TRELLWIPE_RULE_ROOT%\\Mozilla\\Firefox\\Profiles\\*|*.db;*.json;*.jsonlz4|RECURSE\r\n"
      "[Regedit *]\r\nRegKey1=HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit\r\n"
      "RegKey2=HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit\\Favorites|Run\r\n");
  engine::RunReport report = Run({L"Chromium Everything *", L"Firefox History *", L"Regedit *"});
  ExpectGone(chrome + L"\\Default\\History");
  ExpectGone(firefox + L"\\cookies.sqlite");
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, regedit, L"LastKey"));
  std::vector<std::pair<std::wstring, std::wstring>> refused;
  for (const engine::ItemReport& item : report.items) {
    for (const auto& left : item.leftBehind) refused.emplace_back(left.path, left.reason);
  }
  const std::pair<std::wstring, std::wstring> expected[] = {
      {chrome + L"\\Local State", L"refused: holds the key to saved passwords and settings the user keeps"},
      {chrome + L"\\Default\\Login Data-journal", L"refused: holds saved passwords the user keeps"},
      {chrome + L"\\Default\\Preferences", L"refused: holds settings the user keeps"},
      {chrome + L"\\Default\\Web Data", L"refused: holds autofill, cards and addresses the user keeps"},
      {firefox + L"\\places.sqlite", L"refused: holds bookmarks the user keeps"},
      {firefox + L"\\places.sqlite-wal", L"refused: holds bookmarks the user keeps"},
      {chrome + L"\\Default\\Bookmarks.bak", L"refused: holds bookmarks the user keeps"},
      {chrome + L"\\Default\\Account Web Data", L"refused: holds autofill, cards and addresses the user keeps"},
      {chrome + L"\\Default\\Collections\\collectionsSQLite", L"refused: holds collections the user keeps"},
      {firefox + L"\\signons.sqlite", L"refused: holds saved passwords the user keeps"},
      {firefox + L"\\key3.db", L"refused: holds saved passwords the user keeps"},
      {firefox + L"\\autofill-profiles.json", L"refused: holds addresses and cards the user keeps"},
      {firefox + L"\\bookmarkbackups\\bookmarks-2026-12-01.jsonlz4", L"refused: holds bookmarks the user keeps"},
      {firefox + L"\\abook.sqlite", L"refused: holds address books the user keeps"},
      {L"HKEY_CURRENT_USER\\" + regedit + L"\\Favorites", L"refused: holds Regedit's favourites the user keeps"},
      {L"HKEY_CURRENT_USER\\" + regedit + L"\\Favorites\\Run", L"refused: holds Regedit's favourites the user keeps"},
  };
  for (const auto& [path, reason] : expected) {
    EXPECT_NE(std::find(refused.begin(), refused.end(), std::pair(path, reason)), refused.end()) << path;
    if (!path.starts_with(L"HKEY_")) {
      ExpectKept(path);
    }
  }
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, regedit + L"\\Favorites", L"Run"));
  RegDeleteTreeW(HKEY_CURRENT_USER, regedit.c_str());
}
