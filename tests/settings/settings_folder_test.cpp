#include "platform/settings_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filesearch/extension_list.h"
#include "keeplists/keep_list_file.h"
#include "platform/files.h"
#include "platform/system_folders.h"
#include "platform/text.h"
#include "settings/custom_list.h"
#include "settings/item_flags.h"
#include "settings/last_run.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

constexpr const wchar_t* kKeptFiles[] = {L"prisd.dat", L"cusd.dat", L"keepurl.dat", L"keepcook.dat", L"Ext.txt"};

// The user's settings folder without the files, before the test and again after it.
struct UserFolderCleared {
  std::wstring folder = platform::UserSettingsFolder();
  UserFolderCleared() { Clear(); }
  ~UserFolderCleared() { Clear(); }
  void Clear() const {
    for (const wchar_t* name : kKeptFiles) DeleteFileW(platform::JoinPath(folder, name).c_str());
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
