// A cleaning of every user of the computer: a second profile made by the test (a profile-list entry
// with a made-up SID, its folder and its hive file inside the test's own folder) is cleaned through
// its own folders and its hive, loaded for the run and unloaded after, each user in a group of its own.
#include <gtest/gtest.h>

#include <array>
#include <map>

#include "catalogue/catalogue.h"
#include "catalogue/closing_browsers.h"
#include "catalogue/office_version.h"
#include "cli/cli.h"
#include "engine/path_guard.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/system_folders.h"
#include "platform/text.h"
#include "platform/user_profiles.h"
#include "run/clean_run.h"
#include "settings/inifun.h"
#include "support/mini_json.h"
#include "support/policy_keys.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

constexpr wchar_t kRunMru[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
constexpr wchar_t kToolRecent[] = L"Software\\TrellwipeTestTool\\Recent";
constexpr wchar_t kRecentDocs[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs";
constexpr wchar_t kWordFiles[] = L"Software\\Microsoft\\Office\\16.0\\Word\\File MRU";
constexpr wchar_t kPluginKey[] = L"Software\\TrellwipePlugTool";
// In the classes hive, as HKEY_CURRENT_USER\Software\Classes shows it.
constexpr wchar_t kLocalTrayNotify[] = L"Local Settings\\Software\\Microsoft\\Windows\\CurrentVersion\\TrayNotify";

// A key saved to a hive file as Windows makes them.
void SaveHive(const std::wstring& subkey, const std::wstring& file) {
  platform::PrivilegesHeld backup({L"SeBackupPrivilege"});
  platform::RegKey hive;
  RegOpenKeyExW(HKEY_CURRENT_USER, subkey.c_str(), 0, KEY_READ, hive.out());
  EXPECT_EQ(RegSaveKeyW(hive.get(), file.c_str(), nullptr), ERROR_SUCCESS);
}

// Another user who is not signed in: listed in the profile list, with a profile folder and a hive
// file of the same making as Windows' own (a key filled, then saved with RegSaveKeyW).
class SecondUser {
 public:
  // In a folder of the test's own unless `at` names one.
  explicit SecondUser(const std::wstring& at = {}, const std::wstring& id = L"S-1-5-21-1111-2222-3333-1001")
      : sid(id), folder(at.empty() ? root / L"anna" : at) {
    MakeFolders(folder);
    const std::wstring made = Made();
    SetString(HKEY_CURRENT_USER, made + L"\\" + kRunMru, L"a", L"secret-tool\\1");
    SetString(HKEY_CURRENT_USER, made + L"\\" + kToolRecent, L"1", L"anna's file");
    SetString(HKEY_CURRENT_USER, made + L"\\Environment", L"TEMP", L"%USERPROFILE%\\AppData\\Local\\Temp",
              REG_EXPAND_SZ);
    SetString(HKEY_CURRENT_USER, made + L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
              L"Local AppData", L"%USERPROFILE%\\AppData\\Local", REG_EXPAND_SZ);
    // The traces of the items that reach the user's hive through their own code.
    SetString(HKEY_CURRENT_USER, made + L"\\" + kTypedUrls, L"url1", L"http://anna.example/");
    SetString(HKEY_CURRENT_USER, made + L"\\" + kRecentDocs, L"0", L"letter.txt");
    SetString(HKEY_CURRENT_USER, made + L"\\" + kWordFiles, L"Item 1", L"[F00000000]*C:\\anna\\letter.docx");
    SetString(HKEY_CURRENT_USER, made + L"\\" + kPluginKey, L"last", L"anna's project");
    SetString(HKEY_CURRENT_USER, made + L"\\Software\\Microsoft\\Windows Mail", L"Store Root", folder + L"\\Mail");
    SaveHive(made, Hive());
    const std::wstring classes = scratch.Subkey() + L"\\Classes";
    SetString(HKEY_CURRENT_USER, classes + L"\\" + kLocalTrayNotify, L"PastIconsStream", L"anna's icons");
    MakeFolders(folder + L"\\AppData\\Local\\Microsoft\\Windows");
    SaveHive(classes, ClassesHive());
    SetString(HKEY_LOCAL_MACHINE, ListEntry(), L"ProfileImagePath", folder, REG_EXPAND_SZ);
  }
  ~SecondUser() { RegDeleteKeyW(HKEY_LOCAL_MACHINE, ListEntry().c_str()); }

  // Values the user writes into their own hive: {key below HKEY_CURRENT_USER, name, value}.
  void Write(const std::vector<std::array<std::wstring, 3>>& written) {
    for (const auto& [key, name, value] : written) SetString(HKEY_CURRENT_USER, Made() + L"\\" + key, name, value);
    DeleteFileW(Hive().c_str());
    SaveHive(Made(), Hive());
  }

  std::wstring ListEntry() const { return std::wstring(platform::kProfileListKey) + L"\\" + sid; }
  // The name the run loads the hive under.
  std::wstring LoadedHive() const { return L"Trellwipe-" + sid; }
  std::wstring Hive() const { return folder + L"\\NTUSER.DAT"; }
  std::wstring ClassesHive() const { return folder + L"\\AppData\\Local\\Microsoft\\Windows\\UsrClass.dat"; }

  TempFolder root;
  const std::wstring sid;
  const std::wstring folder;
  const std::wstring trace = folder + L"\\AppData\\Local\\Temp\\setup\\trace.tmp";
  const std::wstring kept = folder + L"\\Documents\\letter.txt";

 private:
  std::wstring Made() const { return scratch.Subkey() + L"\\Hive"; }

  TempRegistryKey scratch;
};

class EveryUser : public ::testing::Test {
 protected:
  void SetUp() override {
    // The traces are made now: any age lets the temporary folders' go.
    settings::inifun::WriteIniValue(program / L"prisd.dat", L"Options", L"TempMinAgeHours", L"0");
    values.windowsFolder = me / L"Windows";
    values.localAppDataFolder = me / L"Local";
    MakeFile(user.trace, 300);
    MakeFile(user.kept, 20);
    MakeFile(mine, 100);
    SetString(HKEY_CURRENT_USER, kRunMru, L"a", L"my-tool\\1");
  }
  int Clean(std::vector<std::wstring> extra, const std::function<bool()>& administrator) {
    std::vector<std::wstring> args{L"--clean", L"--only", L"WINDOWS/temp,WINDOWS/run"};
    args.insert(args.end(), extra.begin(), extra.end());
    return cli::Run(args, program.Path(), values, output, {}, administrator);
  }

  SecondUser user;
  TempFolder program, me;
  const std::wstring mine = me / L"Temp\\mine.tmp";
  ScopedEnvironment temp{L"TEMP", me / L"Temp"};
  run::ProcessValues values;
  cli::Output output;
};

// Three files of their own content in a folder the test makes (and removes at its end): their paths
// and contents.
class Victims {
 public:
  explicit Victims(const std::wstring& folder) : folder_(folder) {
    for (const wchar_t* name : {L"plan.doc", L"data.bin", L"deep\\notes.txt"}) {
      const std::wstring path = folder + L"\\" + name;
      MakeFolders(path.substr(0, path.find_last_of(L'\\')));
      WriteText(path, "kept whole: " + platform::Narrow(path));
      files_.emplace(path, ReadText(path));
    }
  }
  ~Victims() { RemoveTree(folder_); }
  // Every file is there with the content it was made with.
  void ExpectWhole() const {
    for (const auto& [path, content] : files_) EXPECT_EQ(ReadText(path), content) << platform::Narrow(path);
  }

 private:
  std::wstring folder_;
  std::map<std::wstring, std::string> files_;
};

bool Lists(const Json& list, const std::wstring& path) {
  for (size_t i = 0; i < list.size(); ++i) {
    const Json& entry = list[i];
    if ((entry.type == Json::Type::String ? entry.text : entry["path"].text) == platform::Narrow(path)) return true;
  }
  return false;
}

}  // namespace

TEST_F(EveryUser, EachProfileIsCleanedThroughItsFoldersAndHiveInAGroupOfItsOwn) {
  ASSERT_EQ(Clean({L"--all-users", L"--json"}, [] { return true; }), cli::kExitDone) << output.out << output.err;
  Json report = JsonReader::Parse(output.out);
  const Json& users = report["users"];
  ASSERT_EQ(users.size(), 2u) << output.out;
  EXPECT_EQ(users[1]["user"].text, "anna");
  EXPECT_EQ(users[1]["profile"].text, platform::Narrow(user.folder));
  const size_t first = static_cast<size_t>(users[1]["firstItem"].number);
  ASSERT_EQ(users[1]["items"].number, 2);
  // In run order: "Start Menu Run History", then "Windows Temp".
  const Json& runList = report["items"][first];
  const Json& temp = report["items"][first + 1];
  EXPECT_TRUE(Lists(temp["files"], user.trace)) << output.out;
  EXPECT_TRUE(Lists(runList["registryKeys"], L"HKEY_USERS\\" + user.LoadedHive() + L"\\" + kRunMru)) << output.out;
  EXPECT_TRUE(Lists(report["items"][1]["files"], mine)) << output.out;
  EXPECT_EQ(report["totals"]["files"].number, users[0]["totals"]["files"].number + users[1]["totals"]["files"].number);

  ExpectGone(user.trace);
  ExpectGone(mine);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kRunMru));
  // The profile folder, its temp folder and what the user keeps stay; the hive is unloaded.
  ExpectKept(user.folder + L"\\AppData\\Local\\Temp");
  ExpectKept(user.kept);
  EXPECT_FALSE(KeyExists(HKEY_USERS, user.LoadedHive()));
}

TEST_F(EveryUser, TheTextNamesEachUserWithItsTotals) {
  ASSERT_EQ(Clean({L"--all-users"}, [] { return true; }), cli::kExitDone) << output.err;
  const size_t title = output.out.find("User anna (" + platform::Narrow(user.folder) + "):\n");
  const size_t totals = output.out.find("Totals of anna: 1 file (0.00 MB) and 1 registry entry\n");
  EXPECT_NE(title, std::string::npos) << output.out;
  EXPECT_NE(totals, std::string::npos) << output.out;
  EXPECT_LT(title, totals);
  EXPECT_NE(output.out.find("Erased: 2 files"), std::string::npos) << output.out;
}

TEST_F(EveryUser, WithoutAdministratorRightsOnlyTheCurrentUserIsCleanedAndTheErrorOutputSaysSo) {
  ASSERT_EQ(Clean({L"--all-users", L"--json"}, [] { return false; }), cli::kExitDone) << output.err;
  EXPECT_NE(output.err.find("administrator rights"), std::string::npos) << output.err;
  Json report = JsonReader::Parse(output.out);
  EXPECT_TRUE(report["onlyCurrentUser"].boolean);
  EXPECT_EQ(report["users"].size(), 0u);
  ExpectGone(mine);
  ExpectKept(user.trace);
}

// With administrator rights (a task the organisation runs), AllUsers decides whom a cleaning reaches,
// whatever the command asks; a --all-users it overrules is said on the error output and in the JSON.
TEST_F(EveryUser, TheOrganisationsAllUsersDecidesWithAdministratorRights) {
  const struct {
    DWORD allUsers;
    std::vector<std::wstring> extra;
    size_t users;
    const char* overruled;
  } kCases[] = {
      {1, {L"--json"}, 2, nullptr},
      {0,
       {L"--all-users", L"--json"},
       0,
       "Set by your organisation: AllUsers = 0, so --all-users is not followed: only the current user is cleaned."},
  };
  for (const auto& c : kCases) {
    MakeFile(user.trace, 300);
    MachinePolicyKey policy;
    PolicyKeys::SetNumber(policy.key.get(), L"", L"AllUsers", c.allUsers);
    settings::ReadPoliciesInForce();
    output = {};
    ASSERT_EQ(Clean(c.extra, [] { return true; }), cli::kExitDone) << output.err;
    Json report = JsonReader::Parse(output.out);
    EXPECT_EQ(report["users"].size(), c.users) << output.out;
    EXPECT_EQ(platform::FileExists(user.trace), c.users == 0) << c.allUsers;
    if (!c.overruled) continue;
    EXPECT_EQ(output.err, std::string(c.overruled) + "\n");
    EXPECT_EQ(report["overruledByOrganisation"][0].text, c.overruled);
  }
}

TEST_F(EveryUser, EveryProfileFolderIsProtectedAsAWholeAndItsContentsAreNot) {
  EXPECT_EQ(engine::GuardPath(user.folder).refusal, engine::Refusal::ProtectedFolder);
  EXPECT_TRUE(engine::GuardPath(user.folder + L"\\AppData\\Local\\Temp"));
  // The current user's run alone never reaches the other profile.
  ASSERT_EQ(Clean({}, [] { return true; }), cli::kExitDone) << output.err;
  ExpectKept(user.trace);
  ExpectGone(mine);
}

// A rule of a rule file cleans each user's folders named by a user's variable and the user's keys of
// HKEY_CURRENT_USER.
TEST_F(EveryUser, ARuleCleansEachUsersOwnFoldersAndKeys) {
  WriteText(program / L"winapp2.ini",
            "[Test Tool *]\r\nLangSecRef=3021\r\nFileKey1=%AppData%\\TrellwipeTestTool|*.log\r\n"
            "RegKey1=HKCU\\Software\\TrellwipeTestTool\\Recent\r\n");
  const std::wstring annas = user.folder + L"\\AppData\\Roaming\\TrellwipeTestTool\\a.log";
  const std::wstring own = platform::KnownFolder(FOLDERID_RoamingAppData) + L"\\TrellwipeTestTool\\b.log";
  MakeFile(annas, 10);
  MakeFile(own, 10);
  std::vector<std::wstring> args{L"--clean", L"--all-users", L"--json", L"--only", L"winapp2/Test Tool *"};
  ASSERT_EQ(cli::Run(args, program.Path(), values, output, {}, [] { return true; }), cli::kExitDone) << output.err;
  Json report = JsonReader::Parse(output.out);
  ASSERT_EQ(report["users"].size(), 2u) << output.out;
  ASSERT_EQ(report["users"][1]["items"].number, 1) << output.out;
  const Json& annasRule = report["items"][static_cast<size_t>(report["users"][1]["firstItem"].number)];
  EXPECT_TRUE(Lists(annasRule["files"], annas)) << output.out;
  EXPECT_TRUE(Lists(annasRule["registryKeys"], L"HKEY_USERS\\" + user.LoadedHive() + L"\\" + kToolRecent))
      << output.out;
  ExpectGone(annas);
  ExpectGone(own);
}

TEST_F(EveryUser, EachUsersBrowserCookieDatabasesGo) {
  const std::wstring firefox =
      user.folder + L"\\AppData\\Roaming\\Mozilla\\Firefox\\Profiles\\x.default\\cookies.sqlite";
  const std::wstring chrome = user.folder + L"\\AppData\\Local\\Google\\Chrome\\User Data\\Default\\Network\\Cookies";
  MakeFile(firefox, 30);
  MakeFile(chrome, 40);
  std::vector<std::wstring> args{L"--clean", L"--all-users", L"--only", L"FIREFOX/Cookies,Chrome/Cookies"};
  ASSERT_EQ(cli::Run(args, program.Path(), values, output, {}, [] { return true; }), cli::kExitDone) << output.err;
  ExpectGone(firefox, ::testing::Message() << output.out);
  ExpectGone(chrome, ::testing::Message() << output.out);
  EXPECT_NE(output.out.find("Totals of anna: 2 files"), std::string::npos) << output.out;
}

// The items whose own code finds a user's folders and keys clean the other user's, each reached
// through that user's shell folders and hives; the classes hive is loaded beside the user's own and
// unloaded after. Under Wine a loaded hive's changes never reach its file: the run's report says
// what went.
TEST_F(EveryUser, EachItemOfItsOwnCodeCleansTheOtherUsersTraces) {
  const std::wstring cookie = user.folder + L"\\AppData\\Roaming\\Microsoft\\Windows\\Cookies\\anna@site.txt";
  const std::wstring account = user.folder + L"\\Mail\\anna.oeaccount";
  const std::wstring pluginFile = user.folder + L"\\AppData\\Roaming\\TrellwipePlugTool\\last.dat";
  WriteText(program / L"plus-in\\PlugTool.ppe",
            "[name]\r\nappname=PlugTool\r\n[swich]\r\non=0\r\n[regtree]\r\n1=&H80000001,Software\\TrellwipePlugTool\r\n"
            "[file]\r\n1=appdata,\\TrellwipePlugTool,last.dat\r\n");
  const std::wstring hive = L"HKEY_USERS\\" + user.LoadedHive() + L"\\";
  const std::wstring classes = L"HKEY_USERS\\" + user.LoadedHive() + L"_Classes\\";
  const struct {
    const wchar_t* only;
    std::wstring line;  // what the report says went
  } kCases[] = {
      {L"EXPLORER/cookies", L"Erased file: " + cookie},
      {L"EXPLORER/location", L"Deleted key: " + hive + kTypedUrls},
      {L"WINDOWS/recent", L"Deleted key: " + hive + kRecentDocs},
      {L"OFFICE/word", L"Deleted key: " + hive + kWordFiles},
      {L"mail/accounts", L"Erased file: " + account},
      {L"plus-in/PlugTool", L"Erased file: " + pluginFile},
      {L"plus-in/PlugTool", L"Deleted key: " + hive + kPluginKey},
      {L"WINDOWS/notification", L"Deleted value: " + classes + kLocalTrayNotify + L"\\PastIconsStream"},
  };
  MakeFile(cookie, 10);
  MakeFile(account, 10);
  MakeFile(pluginFile, 10);
  catalogue::FakeWordProcessor word([] { return catalogue::WordProbe{true, L"16.0"}; });
  for (const auto& item : kCases) {
    cli::Output run;
    std::vector<std::wstring> args{L"--clean", L"--all-users", L"--only", item.only};
    ASSERT_EQ(cli::Run(args, program.Path(), values, run, {}, [] { return true; }), cli::kExitDone) << run.err;
    EXPECT_NE(run.out.find(platform::Narrow(item.line)), std::string::npos) << platform::Narrow(item.line) << "\n"
                                                                            << run.out;
    EXPECT_FALSE(KeyExists(HKEY_USERS, user.LoadedHive() + L"_Classes"));
  }
  EXPECT_FALSE(Exists(cookie) || Exists(account) || Exists(pluginFile));
}

// A browser that closed belongs to this session: its cleaning leaves other users' traces, whose own
// browsers may still be open, even with every user's cleaning on.
TEST_F(EveryUser, TheCleaningOfAClosedBrowserStaysWithTheCurrentUser) {
  settings::inifun::WriteIniValue(program / L"prisd.dat", L"Options", run::kAllUsersKey, L"1");
  RecordingView view;
  run::CleanRun run{view, program.Path(), values, catalogue::Stages()};
  run.SetAdministratorCheck([] { return true; });
  ASSERT_TRUE(run.CleanOnly(catalogue::ChoiceOf({{L"WINDOWS", L"temp"}}), run::RunEnd::Silent));
  ExpectGone(mine);
  ExpectKept(user.trace);
  EXPECT_TRUE(run.LastReport().users.empty());
  // The choice of whose profiles a run cleans comes back with the next run.
  run.SetItemChoice(catalogue::ChoiceOf({{L"WINDOWS", L"temp"}}));
  run.CleanNow(run::RunEnd::Silent);
  EXPECT_EQ(run.LastReport().users.size(), 2u);
}

// The other user writes their own hive: its shell folders and environment may name any folder of the
// computer, here the administrator's documents, a program's folder under Program Files (through ".."
// from the profile) and a folder of Windows. None of them is that user's: each is refused with the
// value that named it, and its files stay as they were.
TEST_F(EveryUser, FoldersTheOtherUsersHiveNamesOutsideTheProfileAreRefused) {
  const std::wstring documents = platform::KnownFolder(FOLDERID_Documents) + L"\\Work";
  const std::wstring programs = platform::KnownFolder(FOLDERID_ProgramFiles);
  const std::wstring windows = platform::WindowsFolder() + L"\\VictimSys";
  std::wstring history = L"%USERPROFILE%";  // up to the drive's root, then down to the program's folder
  for (size_t at = user.folder.find(L'\\'); at != std::wstring::npos; at = user.folder.find(L'\\', at + 1)) {
    history += L"\\..";
  }
  history += programs.substr(2) + L"\\VictimApp";
  user.Write(
      {{kShellFolders, L"Cache", documents}, {kShellFolders, L"History", history}, {L"Environment", L"TEMP", windows}});
  const Victims victims[] = {Victims(documents), Victims(programs + L"\\VictimApp"), Victims(windows)};
  std::vector<std::wstring> args{L"--clean", L"--all-users", L"--only",
                                 L"EXPLORER/cache,EXPLORER/history,WINDOWS/temp"};
  EXPECT_EQ(cli::Run(args, program.Path(), values, output, {}, [] { return true; }), cli::kExitLeftBehind)
      << output.out;
  for (const Victims& folder : victims) folder.ExpectWhole();
  for (const std::wstring& value : {L"Cache=" + documents, L"History=" + history, L"TEMP=" + windows}) {
    EXPECT_NE(output.out.find(
                  platform::Narrow(L"Left behind (refused: " + value + L" leads outside anna's profile): ")),
              std::string::npos)
        << platform::Narrow(value) << "\n"
        << output.out;
  }
}

// A folder inside the profile is the user's only where it leads, every link followed: a cache named
// through a link inside the profile that leads out of it is refused, and an ordinary cache inside the
// profile is cleaned.
TEST_F(EveryUser, AFolderLeadingOutOfTheProfileThroughALinkIsRefusedAndOneInsideIsCleaned) {
  wchar_t fixture[MAX_PATH] = L"";
  ASSERT_GT(GetEnvironmentVariableW(L"TRELLWIPE_LINK_FIXTURE", fixture, MAX_PATH), 0u)
      << "run through scripts/wine-emulator.sh, which makes the linked tree";
  // tree\sub\cache leads to outside, whose cache folder holds precious.bin.
  SecondUser linked(std::wstring(fixture) + L"\\tree", L"S-1-5-21-1111-2222-3333-1002");
  linked.Write({{kShellFolders, L"Cache", L"%USERPROFILE%\\sub\\cache\\cache"}});
  user.Write({{kShellFolders, L"Cache", L"%USERPROFILE%\\AppData\\Local\\Microsoft\\Windows\\INetCache"}});
  const std::wstring cached = user.folder + L"\\AppData\\Local\\Microsoft\\Windows\\INetCache\\IE\\page.htm";
  MakeFile(cached, 10);
  std::vector<std::wstring> args{L"--clean", L"--all-users", L"--only", L"EXPLORER/cache"};
  EXPECT_EQ(cli::Run(args, program.Path(), values, output, {}, [] { return true; }), cli::kExitLeftBehind)
      << output.out;
  EXPECT_EQ(ReadText(std::wstring(fixture) + L"\\outside\\cache\\precious.bin"), "0123456789");
  ExpectGone(cached, ::testing::Message() << output.out);
  const std::wstring reason = L"refused: Cache=%USERPROFILE%\\sub\\cache\\cache leads outside tree's profile";
  const std::wstring refused = L"Left behind (" + reason + L"): " + fixture + L"\\outside\\cache\n";
  EXPECT_NE(output.out.find(platform::Narrow(refused)), std::string::npos) << output.out;
}

// Windows names its own temp folder for every process without a user's: a user's TEMP may share it.
TEST_F(EveryUser, TheOtherUsersTempMayBeTheSystemsOwn) {
  const std::wstring temp = platform::WindowsFolder() + L"\\Temp";
  user.Write({{L"Environment", L"TEMP", temp}});
  TempFolder scratch;  // only for a name of its own
  const std::wstring file = temp + L"\\" + scratch.Path().substr(scratch.Path().find_last_of(L'\\') + 1) + L".tmp";
  MakeFile(file, 10);
  std::vector<std::wstring> args{L"--preview", L"--all-users", L"--only", L"WINDOWS/temp"};
  EXPECT_EQ(cli::Run(args, program.Path(), values, output, {}, [] { return true; }), cli::kExitDone) << output.out;
  // The walk names the file as the folder's listing spells it: Wine's is "temp".
  EXPECT_NE(platform::ToLower(platform::Widen(output.out)).find(platform::ToLower(L"Would erase file: " + file)),
            std::wstring::npos)
      << output.out;
  EXPECT_EQ(output.out.find("refused: TEMP="), std::string::npos) << output.out;
  DeleteFileW(file.c_str());
}

// A rule's variable of the user's own places names the other user's folder only inside the profile.
TEST_F(EveryUser, ARuleVariableTheOtherUsersHiveNamesOutsideTheProfileIsRefused) {
  const std::wstring documents = platform::KnownFolder(FOLDERID_Documents) + L"\\Work";
  user.Write({{kShellFolders, L"AppData", documents}});
  const Victims victims(documents + L"\\TrellwipeTestTool");
  WriteText(program / L"winapp2.ini",
            "[Test Tool *]\r\nLangSecRef=3021\r\nFileKey1=%AppData%\\TrellwipeTestTool|*.*\r\n");
  std::vector<std::wstring> args{L"--clean", L"--all-users", L"--only", L"winapp2/Test Tool *"};
  EXPECT_EQ(cli::Run(args, program.Path(), values, output, {}, [] { return true; }), cli::kExitLeftBehind)
      << output.out;
  victims.ExpectWhole();
  const std::wstring refused = L"Left behind (refused: AppData=" + documents + L" leads outside anna's profile): ";
  EXPECT_NE(output.out.find(platform::Narrow(refused)), std::string::npos) << output.out;
}
