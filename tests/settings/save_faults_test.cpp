// Saves that meet a file they may not replace or a disk that fills up: the old files stay whole,
// no temporary file is left, and the windows tell the user and stay open.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/options_window.h"
#include "dialogs/selection_window.h"
#include "dialogs/url_window.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "platform/text_file.h"
#include "settings/inifun.h"
#include "settings/item_flags.h"
#include "settings/last_run.h"
#include "settings/options.h"
#include "settings/preserved_value.h"
#include "support/message_recorder.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

// The ways a test can keep a file from being replaced under Wine, where the tests run as root:
// Unix permission bits do not stop root, but Wine honours the read-only attribute that the program
// itself checks, and share modes of another open handle.
enum class Block { ReadOnly, HeldOpen };

class Blocked {
 public:
  Blocked(const std::wstring& file, Block how) : file_(file) {
    if (how == Block::ReadOnly) {
      SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
    } else {
      holder_.reset(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    }
  }
  ~Blocked() { SetFileAttributesW(file_.c_str(), FILE_ATTRIBUTE_NORMAL); }
  Blocked(const Blocked&) = delete;
  Blocked& operator=(const Blocked&) = delete;

 private:
  std::wstring file_;
  platform::FileHandle holder_;
};

const char kOldSettings[] =
    "[Options]\r\nexit=1\r\nCleanTime=9:30\r\n[EXPLORER]\r\nlocation=1\r\n[Mine]\r\nkept=yes\r\n";

}  // namespace

TEST(AtomicReplace, ABlockedFileIsRefusedUntouchedWithWhyAndNoTemporaryFileStays) {
  TempFolder folder;
  std::wstring file = folder / L"list.dat";
  const std::wstring kSharingViolation = platform::SystemFailure(ERROR_SHARING_VIOLATION).reason;
  for (Block how : {Block::ReadOnly, Block::HeldOpen}) {
    WriteText(file, "old\r\n");
    {
      Blocked blocked(file, how);
      platform::Result<void> replaceable = platform::CanReplaceFile(file);
      ASSERT_FALSE(replaceable);
      EXPECT_EQ(replaceable.Reason(), how == Block::ReadOnly ? L"it is read-only" : kSharingViolation);
      platform::Result<void> replaced = platform::ReplaceFileAtomically(file, "new\r\n");
      ASSERT_FALSE(replaced);
      if (how == Block::ReadOnly) {
        EXPECT_EQ(replaced.Reason(), L"it is read-only");
      } else {
        // A holder that lets others only read refuses the rename, not the write of the sibling.
        EXPECT_NE(replaced.SystemError(), 0u);
      }
    }
    EXPECT_EQ(ReadText(file), "old\r\n");
    EXPECT_EQ(FolderNames(folder.Path()), std::vector<std::wstring>{L"list.dat"});
    EXPECT_TRUE(platform::CanReplaceFile(file));
    EXPECT_EQ(FolderNames(folder.Path()), std::vector<std::wstring>{L"list.dat"});
  }
  // A missing file in an existing folder can be created; one in a missing folder cannot.
  EXPECT_TRUE(platform::CanReplaceFile(folder / L"new.dat"));
  EXPECT_FALSE(platform::CanReplaceFile(folder / L"missing\\new.dat"));
  EXPECT_EQ(platform::CanReplaceFile(folder.Path()).Reason(), L"it is a folder");
}

TEST(AtomicReplace, AFullDiskKeepsTheOldFileRemovesTheTemporaryOneAndSaysWhy) {
  TempFolder folder;
  std::wstring file = folder / L"list.dat";
  WriteText(file, "old\r\n");
  std::string big(100000, 'x');
  for (size_t room : {size_t{0}, size_t{4096}, big.size() - 1}) {
    platform::ScopedDiskFull full(room);
    platform::Result<void> replaced = platform::ReplaceFileAtomically(file, big);
    ASSERT_FALSE(replaced) << room;
    EXPECT_EQ(replaced.Reason(), platform::SystemFailure(ERROR_DISK_FULL).reason);
    EXPECT_EQ(ReadText(file), "old\r\n");
    EXPECT_EQ(FolderNames(folder.Path()), std::vector<std::wstring>{L"list.dat"});
  }
  {
    // Exactly enough room: the write completes.
    platform::ScopedDiskFull full(big.size());
    EXPECT_TRUE(platform::ReplaceFileAtomically(file, big));
  }
  EXPECT_EQ(ReadText(file), big);
}

TEST(IniBatchSave, ChangesOnlyTheNamedValuesAndKeepsEveryOtherByte) {
  TempFolder folder;
  std::wstring file = folder / L"prisd.dat";
  // Comments, a line without "=", odd blanks, a repeated section and no line end at the very end.
  WriteText(file,
            "; note\r\n[Options]\r\n  Exit = 0 \r\nloose line\r\nCleanTime=1:00\r\n\r\n[opera]\nImages=1\n"
            "[Options]\r\nexit=9\r\n[last]\r\nx=1");
  settings::inifun::IniBatch batch(file);
  batch.Set(L"OPTIONS", L"exit", L"1");
  batch.Set(L"Options", L"CleanDays", L"0100000");
  batch.Set(L"OPERA", L"images", L"0");
  batch.Set(L"Last", L"y", L"2");
  batch.Set(L"setting", L"tab1", L"3");
  batch.Set(L"setting", L"TAB1", L"4");
  batch.Set(L"Options", L"long", std::wstring(200, L'v'));
  ASSERT_TRUE(batch.Commit());
  EXPECT_EQ(ReadText(file),
            "; note\r\n[Options]\r\n  Exit =1\r\nloose line\r\nCleanTime=1:00\r\nCleanDays=0100000\r\nlong=" +
                std::string(128, 'v') +
                "\r\n\r\n[opera]\nImages=0\n[Options]\r\nexit=9\r\n[last]\r\nx=1\r\ny=2\r\n[setting]\r\ntab1=4\r\n");
  // The profile functions see the new file at once.
  EXPECT_EQ(settings::inifun::ReadIniValue(file, L"Options", L"exit"), L"1");
  EXPECT_EQ(settings::inifun::ReadIniValue(file, L"Options", L"CleanDays"), L"0100000");
  EXPECT_EQ(settings::inifun::ReadIniValue(file, L"setting", L"tab1"), L"4");
  EXPECT_EQ(FolderNames(folder.Path()), std::vector<std::wstring>{L"prisd.dat"});

  // A missing file is created; a missing folder is a failure.
  settings::inifun::IniBatch fresh(folder / L"fresh.dat");
  fresh.Set(L"Options", L"exit", L"1");
  ASSERT_TRUE(fresh.Commit());
  EXPECT_EQ(ReadText(folder / L"fresh.dat"), "[Options]\r\nexit=1\r\n");
  settings::inifun::IniBatch nowhere(folder / L"missing\\prisd.dat");
  nowhere.Set(L"Options", L"exit", L"1");
  EXPECT_FALSE(nowhere.Commit());
}

TEST(IniBatchSave, AUnicodeSettingsFileStaysUnicode) {
  TempFolder folder;
  std::wstring file = folder / L"prisd.dat";
  std::wstring text = L"[Options]\r\nexit=0\r\n[Other]\r\nname=\u65e5\u672c\r\n";
  std::string bytes("\xFF\xFE", 2);
  bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
  WriteText(file, bytes);
  settings::inifun::IniBatch batch(file);
  batch.Set(L"Options", L"exit", L"1");
  ASSERT_TRUE(batch.Commit());
  EXPECT_EQ(settings::inifun::ReadIniValue(file, L"Options", L"exit"), L"1");
  EXPECT_EQ(settings::inifun::ReadIniValue(file, L"Other", L"name"), L"\u65e5\u672c");
  EXPECT_TRUE(ReadText(file).starts_with("\xFF\xFE"));
}

TEST(IniBatchSave, ABlockedOrFullSaveLandsNotAtAll) {
  TempFolder folder;
  std::wstring file = folder / L"prisd.dat";
  SYSTEMTIME when{2026, 12, 2, 8, 9, 30, 0, 0};
  for (Block how : {Block::ReadOnly, Block::HeldOpen}) {
    WriteText(file, kOldSettings);
    {
      Blocked blocked(file, how);
      EXPECT_FALSE(settings::SaveLastRun(file, when, 33, 3500000));
    }
    EXPECT_EQ(ReadText(file), kOldSettings);
  }
  {
    platform::ScopedDiskFull full(20);
    EXPECT_FALSE(settings::SaveLastRun(file, when, 33, 3500000));
  }
  EXPECT_EQ(ReadText(file), kOldSettings);
  EXPECT_EQ(FolderNames(folder.Path()), std::vector<std::wstring>{L"prisd.dat"});
  ASSERT_TRUE(settings::SaveLastRun(file, when, 33, 3500000));
  EXPECT_EQ(settings::LoadLastRun(file).cleanedKeys, 33);
  EXPECT_EQ(settings::inifun::ReadIniValue(file, L"Mine", L"kept"), L"yes");
}

namespace {

class OptionsSaveFault : public ::testing::Test {
 protected:
  TempFolder program;
  std::wstring file = settings::SettingsFile(program.Path());
  PreservedOptionValues registry;
  int arms = 0;
  settings::BossKeySwitch bossKey{[this](wchar_t) { ++arms; }, [] {}, {}};

  settings::Options Changed() const {
    settings::Options options = settings::LoadOptions(program.Path());
    options.bossKey = true;
    options.startup = true;
    options.exitAfter = false;
    options.cleanTime = L"23:30";
    options.startPage = L"http://changed.example/";
    options.startPageChanged = true;
    return options;
  }
};

}  // namespace

TEST_F(OptionsSaveFault, AFileThatCannotBeWrittenStoresAndSwitchesNothing) {
  WriteText(file, kOldSettings);
  std::wstring runBefore = registry.run.Text();
  std::wstring pageBefore = registry.userStart.Text();
  for (Block how : {Block::ReadOnly, Block::HeldOpen}) {
    Blocked blocked(file, how);
    EXPECT_FALSE(settings::SaveOptions(program.Path(), Changed(), bossKey));
  }
  {
    platform::ScopedDiskFull full(10);
    EXPECT_FALSE(settings::SaveOptions(program.Path(), Changed(), bossKey));
  }
  EXPECT_EQ(ReadText(file), kOldSettings);
  EXPECT_EQ(arms, 0);
  EXPECT_EQ(registry.run.Text(), runBefore);
  EXPECT_EQ(registry.userStart.Text(), pageBefore);

  ASSERT_TRUE(settings::SaveOptions(program.Path(), Changed(), bossKey));
  EXPECT_EQ(arms, 1);
  EXPECT_EQ(registry.run.Text(), settings::RunEntryText(program.Path()));
  EXPECT_EQ(settings::inifun::ReadIniValue(file, L"Options", L"CleanTime"), L"23:30");
  EXPECT_EQ(settings::inifun::ReadIniValue(file, L"Options", L"exit"), L"0");
  EXPECT_EQ(settings::inifun::ReadIniValue(file, L"Mine", L"kept"), L"yes");
  EXPECT_EQ(settings::inifun::ReadIniValue(file, L"EXPLORER", L"location"), L"1");
}

TEST_F(OptionsSaveFault, OkInTheWindowReportsTheFileAndStaysOpen) {
  WriteText(file, kOldSettings);
  dialogs::OptionsWindow window({}, program.Path());
  MessageRecorder messages;
  ASSERT_TRUE(window.Create(nullptr, false));
  SendMessageW(window.Control(dialogs::option_ids::Check4), BM_CLICK, 0, 0);
  {
    Blocked blocked(file, Block::ReadOnly);
    SendMessageW(window.Control(dialogs::option_ids::Command1), BM_CLICK, 0, 0);
  }
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].owner, window.Handle());
  EXPECT_NE(messages.shown[0].text.find(file), std::wstring::npos) << messages.shown[0].text;
  EXPECT_NE(window.Handle(), nullptr);
  EXPECT_FALSE(window.Accepted());
  EXPECT_EQ(ReadText(file), kOldSettings);

  // Once the file may be written, the same OK saves and closes.
  SendMessageW(window.Control(dialogs::option_ids::Command1), BM_CLICK, 0, 0);
  EXPECT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(window.Handle(), nullptr);
  EXPECT_TRUE(window.Accepted());
  EXPECT_NE(ReadText(file), kOldSettings);
  EXPECT_EQ(settings::inifun::ReadIniValue(file, L"Mine", L"kept"), L"yes");
}

namespace {

class SelectionSaveFault : public ::testing::Test {
 protected:
  TempFolder program, data;
  std::wstring settingsFile = settings::SettingsFile(program.Path());
  std::wstring listFile = program / L"cusd.dat";
  std::wstring plugin = program / L"plus-in\\Alpha.ppe";
  std::string oldList;
  std::string oldPlugin = "[name]\r\nappname=Alpha\r\n[swich]\r\non=1\r\n";
  MessageRecorder messages;
  std::unique_ptr<dialogs::SelectionWindow> window;

  void SetUp() override {
    MakeFile(data / L"a.txt", 10);
    oldList = platform::Narrow(data / L"a.txt") + "\tFile\r\n";
    WriteText(settingsFile, kOldSettings);
    WriteText(listFile, oldList);
    WriteText(plugin, oldPlugin);
  }

  void Open() {
    window = std::make_unique<dialogs::SelectionWindow>(program.Path(), dialogs::SelectionServices{});
    ASSERT_TRUE(window->Create(nullptr, false));
    // Changes in all three files: an item box, the custom list and a plug-in switch.
    SendMessageW(window->CheckBox(L"Check1"), BM_CLICK, 0, 0);
    SendMessageW(window->Button(L"Command2"), BM_CLICK, 0, 0);
    ListView_SetCheckState(window->PluginList(), 0, FALSE);
  }
  void Ok() const { SendMessageW(window->Button(L"Command1"), BM_CLICK, 0, 0); }

  void ExpectNothingWritten() const {
    EXPECT_EQ(ReadText(settingsFile), kOldSettings);
    EXPECT_EQ(ReadText(listFile), oldList);
    EXPECT_EQ(ReadText(plugin), oldPlugin);
    EXPECT_EQ(FolderNames(program.Path()), (std::vector<std::wstring>{L"cusd.dat", L"plus-in", L"prisd.dat"}));
  }
};

}  // namespace

TEST_F(SelectionSaveFault, EitherFileBlockedWritesNothingAndKeepsTheWindowOpen) {
  for (const std::wstring& file : {settingsFile, listFile}) {
    for (Block how : {Block::ReadOnly, Block::HeldOpen}) {
      messages.shown.clear();
      Open();
      {
        Blocked blocked(file, how);
        Ok();
      }
      ASSERT_EQ(messages.shown.size(), 1u);
      EXPECT_NE(messages.shown[0].text.find(file), std::wstring::npos) << messages.shown[0].text;
      EXPECT_NE(window->Handle(), nullptr);
      ExpectNothingWritten();
      window.reset();
    }
  }
}

TEST_F(SelectionSaveFault, AFullDiskIsReportedAndTheOldFilesStay) {
  Open();
  {
    platform::ScopedDiskFull full(0);
    Ok();
  }
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_NE(window->Handle(), nullptr);
  ExpectNothingWritten();

  Ok();
  EXPECT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(window->Handle(), nullptr);
  EXPECT_EQ(settings::inifun::ReadIniValue(settingsFile, L"EXPLORER", L"location"), L"0");
  EXPECT_EQ(settings::inifun::ReadIniValue(settingsFile, L"Mine", L"kept"), L"yes");
  EXPECT_EQ(ReadText(listFile), "");
  EXPECT_EQ(settings::inifun::ReadIniValue(plugin, L"swich", L"on"), L"0");
}

TEST(KeepListSaveFault, AddAndRemoveThatCannotWriteAreReportedAndUndoneOnScreen) {
  TempFolder program;
  KeyRemovedIfNew typedUrls{HKEY_CURRENT_USER, kTypedUrls};
  ScopedRegistryValue url{HKEY_CURRENT_USER, kTypedUrls, L"url1", L"http://typed.example/"};
  std::wstring keepFile = program / L"keepurl.dat";
  WriteText(keepFile, "http://kept.example/\r\n");
  dialogs::UrlKeepListWindow window(program.Path());
  MessageRecorder messages;
  ASSERT_TRUE(window.Create(nullptr, false));
  auto count = [&] { return SendMessageW(window.KeepList(), LB_GETCOUNT, 0, 0); };
  ASSERT_EQ(count(), 1);

  for (Block how : {Block::ReadOnly, Block::HeldOpen}) {
    messages.shown.clear();
    Blocked blocked(keepFile, how);
    SendMessageW(window.CurrentList(), LB_SETCURSEL, 0, 0);
    SendMessageW(window.AddButton(), BM_CLICK, 0, 0);
    EXPECT_EQ(count(), 1);
    SendMessageW(window.KeepList(), LB_SETCURSEL, 0, 0);
    SendMessageW(window.RemoveButton(), BM_CLICK, 0, 0);
    EXPECT_EQ(count(), 1);
    ASSERT_EQ(messages.shown.size(), 2u);
    for (const std::wstring& report : messages.Texts()) EXPECT_NE(report.find(keepFile), std::wstring::npos) << report;
  }
  EXPECT_EQ(ReadText(keepFile), "http://kept.example/\r\n");
  EXPECT_EQ(FolderNames(program.Path()), std::vector<std::wstring>{L"keepurl.dat"});

  wchar_t typed[256] = L"";
  SendMessageW(window.CurrentList(), LB_GETTEXT, 0, reinterpret_cast<LPARAM>(typed));
  SendMessageW(window.CurrentList(), LB_SETCURSEL, 0, 0);
  SendMessageW(window.AddButton(), BM_CLICK, 0, 0);
  EXPECT_EQ(ReadText(keepFile), "http://kept.example/\r\n" + platform::Narrow(typed) + "\r\n");
  EXPECT_EQ(count(), 2);
}
