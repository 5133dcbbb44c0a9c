#include "platform/settings_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/plugins.h"
#include "catalogue/rule_file.h"
#include "catalogue/rule_update.h"
#include "filesearch/extension_list.h"
#include "keeplists/keep_list_file.h"
#include "platform/files.h"
#include "platform/system_folders.h"
#include "platform/text.h"
#include "settings/custom_list.h"
#include "settings/inifun.h"
#include "settings/item_flags.h"
#include "settings/last_run.h"
#include "support/loopback_server.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

constexpr const wchar_t* kKeptFiles[] = {L"prisd.dat", L"cusd.dat", L"keepurl.dat", L"keepcook.dat", L"Ext.txt"};
// What a plug-in's switch and a rules update write.
constexpr const wchar_t* kWrittenFiles[] = {L"plus-in\\Alpha.ppe", L"winapp2.ini", L"winapp2.ini.bak",
                                            L"winapp2.ini.new"};

// The user's settings folder without the files, before the test and again after it.
struct UserFolderCleared {
  std::wstring folder = platform::UserSettingsFolder();
  UserFolderCleared() { Clear(); }
  ~UserFolderCleared() { Clear(); }
  void Clear() const {
    for (const wchar_t* name : kKeptFiles) DeleteFileW(platform::JoinPath(folder, name).c_str());
    for (const wchar_t* name : kWrittenFiles) DeleteFileW(platform::JoinPath(folder, name).c_str());
    RemoveDirectoryW(platform::JoinPath(folder, L"plus-in").c_str());
    RemoveDirectoryW(folder.c_str());
  }
};

std::vector<std::wstring> Names(const std::wstring& folder) {
  std::vector<std::wstring> names;
  platform::ListFolder(folder, [&](const platform::FolderEntry& entry) { names.push_back(entry.name); });
  return names;
}

}  // namespace

// A portable copy keeps its settings and lists beside itself; a copy whose folder refuses a new file
// reads and writes them in the user's "%APPDATA%\Trellwipe" and leaves its own folder as it shipped.
TEST(SettingsFolder, IsTheProgramFolderOnlyWhereTheUserCanWriteIt) {
  UserFolderCleared cleared;
  ASSERT_FALSE(cleared.folder.empty());
  ASSERT_TRUE(platform::EqualsNoCase(cleared.folder, platform::EnvironmentVariable(L"APPDATA") + L"\\Trellwipe"));
  TempFolder scratch;
  EXPECT_FALSE(platform::ProbeWritable(scratch / L"missing"));
  const platform::WriteProbe refused = [](const std::wstring&) -> platform::Result<void> {
    return platform::SystemFailure(ERROR_ACCESS_DENIED);
  };
  for (bool writable : {true, false}) {
    TempFolder program;
    WriteText(program / L"Ext.txt", "*.tmp\r\n");
    const std::wstring& expected = writable ? program.Path() : cleared.folder;
    const std::wstring& other = writable ? cleared.folder : program.Path();
    const std::wstring chosen =
        writable ? platform::SettingsFolder(program.Path()) : platform::DecideSettingsFolder(program.Path(), refused);
    EXPECT_EQ(chosen, expected);
    EXPECT_EQ(platform::SettingsFolder(program.Path()), expected);

    const SYSTEMTIME when{2026, 12, 5, 11, 9, 0, 0, 0};
    ASSERT_TRUE(settings::SaveLastRun(settings::SettingsFile(program.Path()), when, 7, 1024));
    ASSERT_TRUE(settings::WriteCustomList(settings::CustomListFile(program.Path()), {{L"C:\\data\\a.txt", L"File"}}));
    ASSERT_TRUE(keeplists::AppendToKeepList(keeplists::UrlKeepListFile(program.Path()), L"www.example.org"));
    ASSERT_TRUE(keeplists::AppendToKeepList(keeplists::CookieKeepListFile(program.Path()), L"example.org"));
    ASSERT_TRUE(filesearch::AppendExtension(program.Path(), L"*.bak"));

    for (const wchar_t* name : kKeptFiles) {
      EXPECT_TRUE(platform::FileExists(platform::JoinPath(expected, name))) << writable << name;
    }
    EXPECT_EQ(settings::LoadLastRun(settings::SettingsFile(program.Path())).cleanedKeys, 7);
    EXPECT_EQ(settings::ReadCustomList(settings::CustomListFile(program.Path())).size(), 1u);
    EXPECT_EQ(keeplists::LoadKeptUrls(program.Path()), std::vector<std::wstring>{L"www.example.org"});
    EXPECT_EQ(keeplists::LoadKeptCookies(program.Path()), std::vector<std::wstring>{L"example.org"});
    // The search's extensions start from the list the program ships with.
    EXPECT_EQ(filesearch::ReadExtensions(program.Path()), (std::vector<std::wstring>{L"*.tmp", L"*.bak"}));
    // The other folder got none of it, and the probe left nothing behind.
    EXPECT_EQ(Names(program.Path()).size(), writable ? std::size(kKeptFiles) : 1u) << writable;
    EXPECT_EQ(ReadText(program / L"Ext.txt"), writable ? "*.tmp\r\n*.bak\r\n" : "*.tmp\r\n");
    for (const wchar_t* name : {L"prisd.dat", L"cusd.dat", L"keepurl.dat", L"keepcook.dat"}) {
      EXPECT_FALSE(platform::FileExists(platform::JoinPath(other, name))) << writable << name;
    }
  }
}

// The plug-ins' switches and the community's rule file a copy writes follow its settings: beside a
// portable copy, in its own files; for a copy whose folder refuses a new file, in the settings folder,
// read from there before what the program folder ships, which stays as it shipped.
TEST(SettingsFolder, PluginSwitchesAndUpdatedRulesAreWrittenThereAndReadFromThereFirst) {
  UserFolderCleared cleared;
  const platform::WriteProbe refused = [](const std::wstring&) -> platform::Result<void> {
    return platform::SystemFailure(ERROR_ACCESS_DENIED);
  };
  const std::string definition = "[name]\r\nappname=Alpha\r\n[swich]\r\non=0\r\n";
  const std::string shipped = "[Old Rule]\r\nFileKey1=%Temp%\\Old|*.tmp\r\n";
  std::string rules;
  for (int n = 0; n < 60; ++n) rules += "[New Rule " + std::to_string(n) + "]\r\nFileKey1=%Temp%\\New|*.tmp\r\n";
  LoopbackServer server(HttpResponse(200, rules));
  for (bool writable : {true, false}) {
    TempFolder program;
    WriteText(program / L"plus-in\\Alpha.ppe", definition);
    WriteText(program / L"winapp2.ini", shipped);
    const std::wstring settings =
        writable ? platform::SettingsFolder(program.Path()) : platform::DecideSettingsFolder(program.Path(), refused);
    ASSERT_TRUE(catalogue::plugins::SetPluginSwitch(program.Path(), L"Alpha", true)) << writable;
    const std::vector<catalogue::plugins::PluginEntry> plugins = catalogue::plugins::ProgramPlugins(program.Path());
    ASSERT_EQ(plugins.size(), 1u);
    EXPECT_TRUE(plugins[0].ticked) << writable;
    EXPECT_EQ(settings::inifun::ReadIniValue(settings + L"\\plus-in\\Alpha.ppe", L"swich", L"on"), L"1");

    const catalogue::rules::RulesDownload download =
        catalogue::rules::DownloadCommunityRules(program.Path(), server.Url());
    ASSERT_TRUE(download.pending) << download.problem;
    ASSERT_TRUE(catalogue::rules::AcceptPendingRules(program.Path()).installed);
    EXPECT_EQ(catalogue::rules::CommunityFile(program.Path()), settings + L"\\winapp2.ini");
    EXPECT_EQ(ReadText(settings + L"\\winapp2.ini"), rules);
    EXPECT_EQ(ReadText(settings + L"\\winapp2.ini.bak"), shipped);
    // What the program folder ships is written only where it is the settings folder.
    EXPECT_EQ(ReadText(program / L"plus-in\\Alpha.ppe") == definition, !writable);
    EXPECT_EQ(ReadText(program / L"winapp2.ini") == shipped, !writable);
    ASSERT_TRUE(catalogue::rules::UndoRulesUpdate(program.Path()));
    EXPECT_EQ(ReadText(catalogue::rules::CommunityFile(program.Path())), shipped);
  }
}
