// A cleaning of every user of the computer: a second profile made by the test (a profile-list entry
// with a made-up SID, its folder and its hive file inside the test's own folder) is cleaned through
// its own folders and its hive, loaded for the run and unloaded after, each user in a group of its own.
#include <gtest/gtest.h>

#include "cli/cli.h"
#include "engine/path_guard.h"
#include "platform/handles.h"
#include "platform/system_folders.h"
#include "platform/text.h"
#include "platform/user_profiles.h"
#include "settings/inifun.h"
#include "support/mini_json.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

constexpr wchar_t kRunMru[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
constexpr wchar_t kToolRecent[] = L"Software\\TrellwipeTestTool\\Recent";

// Another user who is not signed in: listed in the profile list, with a profile folder and a hive
// file of the same making as Windows' own (a key filled, then saved with RegSaveKeyW).
class SecondUser {
 public:
  SecondUser() {
    MakeFolders(folder);
    const std::wstring made = scratch.Subkey() + L"\\Hive";
    SetString(HKEY_CURRENT_USER, made + L"\\" + kRunMru, L"a", L"secret-tool\\1");
    SetString(HKEY_CURRENT_USER, made + L"\\" + kToolRecent, L"1", L"anna's file");
    SetString(HKEY_CURRENT_USER, made + L"\\Environment", L"TEMP", L"%USERPROFILE%\\AppData\\Local\\Temp",
              REG_EXPAND_SZ);
    SetString(HKEY_CURRENT_USER, made + L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
              L"Local AppData", L"%USERPROFILE%\\AppData\\Local", REG_EXPAND_SZ);
    platform::PrivilegesHeld backup({L"SeBackupPrivilege"});
    platform::RegKey hive;
    RegOpenKeyExW(HKEY_CURRENT_USER, made.c_str(), 0, KEY_READ, hive.out());
    EXPECT_EQ(RegSaveKeyW(hive.get(), (folder + L"\\NTUSER.DAT").c_str(), nullptr), ERROR_SUCCESS);
    SetString(HKEY_LOCAL_MACHINE, ListEntry(), L"ProfileImagePath", folder, REG_EXPAND_SZ);
  }
  ~SecondUser() { RegDeleteKeyW(HKEY_LOCAL_MACHINE, ListEntry().c_str()); }

  std::wstring ListEntry() const { return std::wstring(platform::kProfileListKey) + L"\\" + sid; }
  // The name the run loads the hive under.
  std::wstring LoadedHive() const { return L"Trellwipe-" + sid; }

  TempFolder root;
  const std::wstring sid = L"S-1-5-21-1111-2222-3333-1001";
  const std::wstring folder = root / L"anna";
  const std::wstring trace = folder + L"\\AppData\\Local\\Temp\\setup\\trace.tmp";
  const std::wstring kept = folder + L"\\Documents\\letter.txt";

 private:
  TempRegistryKey scratch;
};

class EveryUser : public ::testing::Test {
 protected:
  void SetUp() override {
    // The traces are made now: any age lets the temporary folders' go.
    inifun::WriteIniValue(program / L"prisd.dat", L"Options", L"TempMinAgeHours", L"0");
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

  EXPECT_FALSE(Exists(user.trace));
  EXPECT_FALSE(Exists(mine));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kRunMru));
  // The profile folder, its temp folder and what the user keeps stay; the hive is unloaded.
  EXPECT_TRUE(Exists(user.folder + L"\\AppData\\Local\\Temp"));
  EXPECT_TRUE(Exists(user.kept));
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
  EXPECT_FALSE(Exists(mine));
  EXPECT_TRUE(Exists(user.trace));
}

TEST_F(EveryUser, EveryProfileFolderIsProtectedAsAWholeAndItsContentsAreNot) {
  EXPECT_EQ(engine::GuardPath(user.folder).refusal, engine::Refusal::ProtectedFolder);
  EXPECT_TRUE(engine::GuardPath(user.folder + L"\\AppData\\Local\\Temp"));
  // The current user's run alone never reaches the other profile.
  ASSERT_EQ(Clean({}, [] { return true; }), cli::kExitDone) << output.err;
  EXPECT_TRUE(Exists(user.trace));
  EXPECT_FALSE(Exists(mine));
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
  EXPECT_FALSE(Exists(annas));
  EXPECT_FALSE(Exists(own));
}

TEST_F(EveryUser, EachUsersBrowserCookieDatabasesGo) {
  const std::wstring firefox = user.folder + L"\\AppData\\Roaming\\Mozilla\\Firefox\\Profiles\\x.default\\cookies.sqlite";
  const std::wstring chrome = user.folder + L"\\AppData\\Local\\Google\\Chrome\\User Data\\Default\\Network\\Cookies";
  MakeFile(firefox, 30);
  MakeFile(chrome, 40);
  std::vector<std::wstring> args{L"--clean", L"--all-users", L"--only", L"FIREFOX/Cookies,Chrome/Cookies"};
  ASSERT_EQ(cli::Run(args, program.Path(), values, output, {}, [] { return true; }), cli::kExitDone) << output.err;
  EXPECT_FALSE(Exists(firefox)) << output.out;
  EXPECT_FALSE(Exists(chrome)) << output.out;
  EXPECT_NE(output.out.find("Totals of anna: 2 files"), std::string::npos) << output.out;
}
