#include <gtest/gtest.h>

#include <functional>

#include "engine/allerase.h"
#include "engine/normal.h"
#include "engine/run_and_wait.h"
#include "platform/handles.h"
#include "support/recorded_call.h"
#include "support/seeded_profile.h"
#include "support/snapshot.h"

using namespace testing_support;

namespace {

// Plain, hidden, read-only and hidden read-only files at two depths, and folders named "cache".
void SeedTree(const std::wstring& top) {
  MakeFile(top + L"\\a.log", 10);
  MakeFile(top + L"\\b.txt", 20);
  MakeFile(top + L"\\hidden.log", 30);
  SetFileAttributesW((top + L"\\hidden.log").c_str(), FILE_ATTRIBUTE_HIDDEN);
  MakeFile(top + L"\\locked.log", 40);
  SetFileAttributesW((top + L"\\locked.log").c_str(), FILE_ATTRIBUTE_READONLY);
  MakeFile(top + L"\\sub\\c.log", 50);
  MakeFile(top + L"\\sub\\both.log", 60);
  SetFileAttributesW((top + L"\\sub\\both.log").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
  MakeFile(top + L"\\sub\\Cache\\d.bin", 70);
  MakeFile(top + L"\\cache\\e.bin", 80);
  MakeFile(top + L"\\cache\\stuck.bin", 90);
  SetFileAttributesW((top + L"\\cache\\stuck.bin").c_str(), FILE_ATTRIBUTE_READONLY);
}

void ClearReadOnly(const std::wstring& top) {
  for (const wchar_t* file : {L"\\locked.log", L"\\sub\\both.log", L"\\cache\\stuck.bin"}) {
    SetFileAttributesW((top + file).c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

}  // namespace

TEST(PreviewPrimitives, EachFileWalkListsWhatItsRealRunRemovesAndLeavesTheTreeAsItWas) {
  using namespace engine::allerase;
  const std::pair<const char*, std::function<double(const engine::EraseContext&, const std::wstring&)>> kCalls[] = {
      {"all files in tree", [](auto& c, auto& f) { return EraseAllFilesInTree(c, f); }},
      {"named files in tree", [](auto& c, auto& f) { return EraseNamedFilesInTree(c, f, L"c.log"); }},
      {"extension in tree", [](auto& c, auto& f) { return EraseFilesByExtensionInTree(c, f, L"log"); }},
      {"named folders in tree", [](auto& c, auto& f) { return EraseNamedFoldersInTree(c, f, L"cache"); }},
      {"recreate folder", [](auto& c, auto& f) { return RecreateFolder(c, f); }},
      {"files in folder", [](auto& c, auto& f) { return EraseFilesInFolder(c, f); }},
      {"named file in folder", [](auto& c, auto& f) { return EraseNamedFileInFolder(c, f, L"hidden.log"); }},
      {"extension in folder", [](auto& c, auto& f) { return EraseFilesByExtensionInFolder(c, f, L"log"); }},
      {"files except kept", [](auto& c, auto& f) { return EraseFilesInFolderExcept(c, f, {f + L"\\b.txt"}); }},
      {"one file", [](auto& c, auto& f) { return EraseFile(c, f + L"\\a.log"); }},
      {"one read-only file", [](auto& c, auto& f) { return EraseFile(c, f + L"\\locked.log"); }},
      {"folder", [](auto& c, auto& f) { return EraseFolder(c, f + L"\\sub"); }},
  };
  for (const auto& [name, call] : kCalls) {
    TempFolder folder;
    std::wstring top = folder / L"tree";
    SeedTree(top);
    std::wstring before = FolderSnapshot(folder.Path());
    Recorded preview = Call(engine::EraseMode::Preview, [&](auto& c) { return call(c, top); });
    EXPECT_EQ(FolderSnapshot(folder.Path()), before) << name;
    Recorded erased = Call(engine::EraseMode::Erase, [&](auto& c) { return call(c, top); });
    EXPECT_EQ(ReportLines(preview.report), ReportLines(erased.report)) << name;
    EXPECT_EQ(preview.figure, erased.figure) << name;
    EXPECT_FALSE(erased.report.items[0].files.empty() && erased.report.items[0].leftBehind.empty()) << name;
    for (const engine::FileRecord& file : erased.report.items[0].files)
      ExpectGone(file.path, ::testing::Message() << name);
    for (const engine::LeftRecord& left : erased.report.items[0].leftBehind) {
      ExpectKept(left.path, ::testing::Message() << name);
    }
    ClearReadOnly(top);
  }
}

TEST(PreviewPrimitives, ReadOnlyFilesAndTheFoldersHoldingThemAreLeftBehindWithTheirReason) {
  TempFolder folder;
  SeedTree(folder / L"tree");
  Recorded erased = Call(engine::EraseMode::Erase, [&](auto& c) {
    return engine::allerase::EraseNamedFoldersInTree(c, folder / L"tree", L"cache");
  });
  const engine::ItemReport& item = erased.report.items[0];
  ASSERT_EQ(item.leftBehind.size(), 2u);
  EXPECT_EQ(item.leftBehind[0].path, folder / L"tree\\cache\\stuck.bin");
  EXPECT_EQ(item.leftBehind[0].reason, L"read-only");
  EXPECT_EQ(item.leftBehind[1].path, folder / L"tree\\cache");
  EXPECT_EQ(item.leftBehind[1].reason, L"not empty");
  EXPECT_EQ(item.folders, std::vector<std::wstring>{folder / L"tree\\sub\\Cache"});
  ClearReadOnly(folder / L"tree");
}

TEST(PreviewPrimitives, ALockedFileIsLeftBehindAsInUse) {
  TempFolder folder;
  std::wstring file = folder / L"cache\\open.bin";
  MakeFile(file, 100);
  MakeFile(folder / L"cache\\free.bin", 5);
  platform::FileHandle held(
      CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  Recorded erased = Call(engine::EraseMode::Erase,
                         [&](auto& c) { return engine::allerase::EraseAllFilesInTree(c, folder / L"cache"); });
  EXPECT_EQ(erased.figure, 10105);  // the estimate still counts the locked file
  const engine::ItemReport& item = erased.report.items[0];
  ASSERT_EQ(item.leftBehind.size(), 1u);
  EXPECT_EQ(item.leftBehind[0].path, file);
  EXPECT_EQ(item.leftBehind[0].reason, L"in use");
  ASSERT_EQ(item.files.size(), 1u);
  EXPECT_EQ(item.files[0].path, folder / L"cache\\free.bin");
  ExpectKept(file);
}

TEST(PreviewPrimitives, RecreateInAPreviewCreatesNoMissingFolder) {
  TempFolder folder;
  Recorded preview =
      Call(engine::EraseMode::Preview, [&](auto& c) { return engine::allerase::RecreateFolder(c, folder / L"new"); });
  ExpectGone(folder / L"new");
  EXPECT_EQ(ReportLines(preview.report), std::vector<std::wstring>{L"item s/k item"});
  Call(engine::EraseMode::Erase, [&](auto& c) { return engine::allerase::RecreateFolder(c, folder / L"new"); });
  ExpectKept(folder / L"new");
}

TEST(PreviewPrimitives, RegistryDeletionsListExistingTargetsOnlyAndKeepTheirCounts) {
  TempRegistryKey temp;
  std::wstring leaf = temp.Subkey() + L"\\Leaf";
  std::wstring parent = temp.Subkey() + L"\\Parent";
  std::wstring tree = temp.Subkey() + L"\\Tree";
  SetString(HKEY_CURRENT_USER, leaf, L"v", L"1");
  SetString(HKEY_CURRENT_USER, parent + L"\\child", L"x", L"y");
  SetString(HKEY_CURRENT_USER, tree, L"", L"default");
  SetString(HKEY_CURRENT_USER, tree + L"\\Sub", L"s", L"2");
  SetString(HKEY_CURRENT_USER, temp.Subkey(), L"Gone", L"3");
  SetString(HKEY_CURRENT_USER, temp.Subkey(), L"Stays", L"4");
  auto calls = [&](const engine::EraseContext& c) {
    return engine::allerase::DeleteRegistryKey(c, HKEY_CURRENT_USER, leaf) +
           engine::allerase::DeleteRegistryKey(c, HKEY_CURRENT_USER, parent) +
           engine::allerase::DeleteRegistryKey(c, HKEY_CURRENT_USER, temp.Subkey() + L"\\Absent") +
           engine::allerase::DeleteRegistryTree(c, HKEY_CURRENT_USER, tree) +
           engine::allerase::DeleteRegistryTree(c, HKEY_CURRENT_USER, temp.Subkey() + L"\\AbsentTree") +
           engine::allerase::DeleteRegistryValue(c, HKEY_CURRENT_USER, temp.Subkey(), L"Gone") +
           engine::allerase::DeleteRegistryValue(c, HKEY_CURRENT_USER, temp.Subkey(), L"Absent");
  };
  std::wstring before = RegistrySnapshot(HKEY_CURRENT_USER, temp.Subkey());
  Recorded preview = Call(engine::EraseMode::Preview, calls);
  EXPECT_EQ(RegistrySnapshot(HKEY_CURRENT_USER, temp.Subkey()), before);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, temp.Subkey() + L"\\Absent"));
  EXPECT_EQ(preview.figure, 3 + 3 + 3 + 5 + 5 + 1 + 1);
  const std::wstring hkcu = L"HKEY_CURRENT_USER\\";
  const engine::ItemReport& item = preview.report.items[0];
  EXPECT_EQ(item.keys, (std::vector<std::wstring>{hkcu + leaf, hkcu + tree, hkcu + tree + L"\\Sub"}));
  EXPECT_EQ(item.values, (std::vector<std::wstring>{hkcu + tree + L"\\(Default)", hkcu + tree + L"\\Sub\\s",
                                                    hkcu + temp.Subkey() + L"\\Gone"}));
  Recorded erased = Call(engine::EraseMode::Erase, calls);
  EXPECT_EQ(ReportLines(preview.report), ReportLines(erased.report));
  EXPECT_EQ(erased.figure, preview.figure);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, leaf));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, tree));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, parent + L"\\child"));
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, temp.Subkey(), L"Stays"));
}

TEST(PreviewPrimitives, StepsAreRecordedButNotDoneInAPreview) {
  TempFolder folder;
  std::wstring marker = folder / L"ran.txt";
  std::wstring command = L"cmd.exe /c echo x>\"" + marker + L"\"";
  std::wstring reboot = folder / L"index.dat";
  MakeFile(reboot, 1);
  Recorded preview = Call(engine::EraseMode::Preview, [&](auto& c) {
    engine::RunAndWait(c, command);
    engine::normal::DeleteFileAtReboot(c, reboot);
    return 0.0;
  });
  ExpectGone(marker);
  EXPECT_EQ(PendingFileRenames().find(reboot), std::wstring::npos);
  EXPECT_EQ(preview.report.items[0].steps,
            (std::vector<std::wstring>{command, L"Delete at the next restart: " + reboot}));
  Recorded done = Call(engine::EraseMode::Erase, [&](auto& c) {
    engine::RunAndWait(c, command);
    return 0.0;
  });
  ExpectKept(marker);
  EXPECT_EQ(done.report.items[0].steps, std::vector<std::wstring>{command});
}

TEST(PreviewOfAWholeRun, ListsExactlyWhatTheFollowingCleanRemovesAndChangesNothing) {
  SeededProfile profile;
  RecordingView view;
  std::unique_ptr<run::CleanRun> made = profile.MakeRun(view);
  run::CleanRun& run = *made;
  settings::inifun::WriteIniValue(profile.Settings(), L"Options", L"lastclean", L"earlier");
  std::wstring files = FolderSnapshot(profile.root.Path());
  std::wstring program = FolderSnapshot(profile.program.Path());
  std::wstring registry = RegistrySnapshot(HKEY_CURRENT_USER, profile.registry.Subkey());
  std::string settingsText = ReadText(profile.Settings());

  std::optional<engine::RunReport> previewed = run.Preview();
  ASSERT_TRUE(previewed);
  const engine::RunReport& preview = *previewed;
  EXPECT_TRUE(preview.preview);
  EXPECT_EQ(FolderSnapshot(profile.root.Path()), files);
  EXPECT_EQ(FolderSnapshot(profile.program.Path()), program);
  EXPECT_EQ(RegistrySnapshot(HKEY_CURRENT_USER, profile.registry.Subkey()), registry);
  EXPECT_EQ(ReadText(profile.Settings()), settingsText);
  EXPECT_TRUE(view.rows.empty());
  EXPECT_TRUE(view.progress.empty());
  EXPECT_TRUE(view.messages.empty());

  std::vector<std::wstring> labels;
  for (const engine::ItemReport& item : preview.items) labels.push_back(item.label);
  EXPECT_EQ(labels, (std::vector<std::wstring>{L"Firefox Address Bar History", L"Firefox Cookies", L"Firefox Cache",
                                               L"Chrome Cache", L"Windows Clipboard", L"Custom Item", L"Tool"}));
  EXPECT_EQ(preview.items[3].files.size(), 6u);  // the hidden cache file too
  EXPECT_EQ(preview.items[4].steps, std::vector<std::wstring>{L"Empty the clipboard"});
  EXPECT_EQ(preview.items[5].section + L"/" + preview.items[5].key, L"Custom/Custom");
  EXPECT_EQ(preview.items[5].files.size(), 3u);
  EXPECT_EQ(preview.items[5].folders.size(), 2u);
  EXPECT_EQ(preview.items[6].section + L"/" + preview.items[6].key, L"plus-in/Tool");
  EXPECT_EQ(preview.items[6].RegistryEntries(), 5u);  // two keys, three values
  EXPECT_EQ(preview.items[6].estimatedKeys, 5 + 1 + 1);

  ASSERT_TRUE(run.CleanNow());
  const engine::RunReport& cleaned = run.LastReport();
  EXPECT_FALSE(cleaned.preview);
  EXPECT_EQ(ReportLines(preview), ReportLines(cleaned));
  EXPECT_FALSE(cleaned.LeftSomethingBehind());
  EXPECT_EQ(cleaned.Totals().estimatedBytes,
            std::stod(settings::inifun::ReadIniValue(profile.Settings(), L"Options", L"filesize")));
  EXPECT_EQ(cleaned.Totals().estimatedKeys,
            std::stod(settings::inifun::ReadIniValue(profile.Settings(), L"Options", L"regnum")));
  ASSERT_EQ(cleaned.items.size(), preview.items.size());
  for (size_t i = 0; i < preview.items.size(); ++i) {
    EXPECT_EQ(preview.items[i].estimatedKeys, cleaned.items[i].estimatedKeys) << i;
    // The cache's two later walks no longer meet the two cache folders its first walk removed; the
    // preview still sees them.
    EXPECT_EQ(preview.items[i].estimatedBytes, cleaned.items[i].estimatedBytes + (i == 2 ? 2 * 20000 : 0)) << i;
  }
  for (const engine::ItemReport& item : cleaned.items) {
    for (const engine::FileRecord& file : item.files) ExpectGone(file.path);
  }
  ExpectKept(profile.values.appDataFolder + L"\\Mozilla\\Firefox\\Profiles\\abc.default\\prefs.js");
  ExpectKept(profile.pluginLogs + L"\\keep.txt");
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, profile.registry.Subkey() + L"\\Settings", L"Kept"));
  // The rows of a real run read as before.
  ASSERT_EQ(view.rows.size(), 8u);
  EXPECT_EQ(view.rows[3].label, L"Chrome Cache");
  EXPECT_EQ(view.rows[3].state, L"Done");
  EXPECT_EQ(cleaned.items[3].outcome, L"Done");
}

TEST(RealRunReport, ALockedFileIsLeftBehindInTheReportAndItsRowSaysSo) {
  SeededProfile profile;
  RecordingView view;
  std::unique_ptr<run::CleanRun> made = profile.MakeRun(view);
  run::CleanRun& run = *made;
  std::wstring locked = profile.values.localAppDataFolder + L"\\Google\\Chrome\\User Data\\Default\\Cache\\f_000002";
  platform::FileHandle held(
      CreateFileW(locked.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  ASSERT_TRUE(run.CleanNow());
  const engine::RunReport& report = run.LastReport();
  EXPECT_TRUE(report.LeftSomethingBehind());
  const engine::ItemReport& chrome = report.items[3];
  ASSERT_EQ(chrome.leftBehind.size(), 1u);
  EXPECT_EQ(chrome.leftBehind[0].path, locked);
  EXPECT_EQ(chrome.leftBehind[0].reason, L"in use");
  EXPECT_EQ(chrome.files.size(), 5u);
  std::vector<std::wstring> details = AllDetailLines(chrome, false);
  EXPECT_EQ(details.front(), L"This item left 1 entry behind.");
  EXPECT_EQ(details.back(), L"Left behind (in use): " + locked);
  EXPECT_EQ(view.rows[3].state, L"Done, 1 left behind");
  ExpectKept(locked);
}

class SecureErasure : public ::testing::Test {
 protected:
  // Runs the custom item on a file the test holds open with every sharing mode, so that the run can
  // delete it while the test still reads what was left in it.
  std::string ContentAfterRun(bool securely) {
    SeededProfile profile;
    settings::inifun::WriteIniValue(profile.Settings(), L"Options", L"securely", securely ? L"1" : L"0");
    WriteText(profile.customFile, "secret secret secret");
    platform::FileHandle held(CreateFileW(profile.customFile.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(held);
    RecordingView view;
    std::unique_ptr<run::CleanRun> made = profile.MakeRun(view);
    run::CleanRun& run = *made;
    run.CleanNow();
    EXPECT_FALSE(run.LastReport().items[5].files.empty());
    std::string content(20, '?');
    DWORD read = 0;
    SetFilePointer(held.get(), 0, nullptr, FILE_BEGIN);
    ReadFile(held.get(), content.data(), static_cast<DWORD>(content.size()), &read, nullptr);
    content.resize(read);
    return content;
  }
};

TEST_F(SecureErasure, OffDeletesWithoutOverwriting) { EXPECT_EQ(ContentAfterRun(false), "secret secret secret"); }

TEST_F(SecureErasure, OnOverwritesEveryErasedFileWithZerosFirst) {
  EXPECT_EQ(ContentAfterRun(true), std::string(20, '\0'));
}
