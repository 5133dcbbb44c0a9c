#include "run/clean_run.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "catalogue/catalogue.h"
#include "engine/allerase.h"
#include "platform/drives.h"
#include "platform/format.h"
#include "platform/text.h"
#include "settings/inifun.h"
#include "settings/item_flags.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

SYSTEMTIME FixedTime() {
  SYSTEMTIME when = {};
  when.wYear = 2026;
  when.wMonth = 12;
  when.wDay = 8;
  when.wHour = 9;
  when.wMinute = 30;
  return when;
}

class CleanRunTest : public ::testing::Test {
 protected:
  void SetUp() override { run.SetClock(FixedTime); }
  std::wstring Settings() const { return folder / L"prisd.dat"; }
  void Set(const wchar_t* section, const wchar_t* key, const wchar_t* value) {
    settings::inifun::WriteIniValue(Settings(), section, key, value);
  }
  std::wstring Get(const wchar_t* section, const wchar_t* key) const {
    return settings::inifun::ReadIniValue(Settings(), section, key);
  }
  std::vector<std::wstring> Labels() const {
    std::vector<std::wstring> labels;
    for (const Row& row : view.rows) labels.push_back(row.label);
    return labels;
  }

  TempFolder folder;
  RecordingView view;
  run::CleanRun run{view, folder.Path(), run::ProcessValues{}, catalogue::Stages()};
};

// The bar's fixed stops of a run with every flag off.
const std::vector<int> kAllOffProgress = {1,  5,  6,  8,  10, 11, 11, 11, 11, 12, 12,  // Internet Explorer
                                          12, 13, 14, 15, 15, 16, 17, 18, 19, 20, 21,
                                          22, 23, 24,                      // Firefox, Opera, Netscape
                                          25, 26, 27, 28, 29, 30, 31, 32,  // AOL, MSN
                                          33, 34, 35, 36, 37, 38, 39, 40, 41, 41, 41,
                                          41, 42, 43,                      // Windows
                                          44, 45, 46, 47, 48,              // messengers
                                          49, 50, 51, 52, 53, 54, 55,      // office
                                          59, 60, 62, 64, 65, 67, 69, 70,  // mail
                                          80, 97, 100};

}  // namespace

// Nothing ticked runs nothing and says so, rather than report a success.
TEST_F(CleanRunTest, EveryFlagOffLeavesOnlyTheFinalRowAndSavesZeros) {
  constexpr wchar_t kNothing[] = L"Nothing was cleaned: no item is ticked in Clean Settings.";
  ASSERT_TRUE(run.CleanNow());
  EXPECT_EQ(Labels(), std::vector<std::wstring>{kNothing});
  EXPECT_EQ(view.rows[0].state, L"");
  EXPECT_EQ(view.progress, kAllOffProgress);
  EXPECT_EQ(Get(L"Options", L"regnum"), L"0");
  EXPECT_EQ(Get(L"Options", L"filesize"), L"0");
  EXPECT_EQ(Get(L"Options", L"lastclean"), platform::GeneralDateTime(FixedTime()));
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].first, L"Nothing to Clean");
  EXPECT_EQ(view.messages[0].second, kNothing);
  EXPECT_EQ(view.totals, L"  Cleaned Registry Keys: 0     Released HD Space:0.00MB");
  EXPECT_EQ(view.lastClean, platform::GeneralDateTime(FixedTime()));
  EXPECT_EQ(view.statusLines.back(), kNothing);
  EXPECT_TRUE(view.statusPageShown);
  EXPECT_TRUE(view.startEnabled);
  EXPECT_FALSE(view.busy);
  EXPECT_TRUE(view.mainWindowShown);
  EXPECT_TRUE(view.notifications.empty());
}

TEST_F(CleanRunTest, SwitchedOnItemsGetRowsInRunOrder) {
  Set(L"mail", L"accounts", L"1");
  Set(L"EXPLORER", L"location", L"1");
  Set(L"FIREFOX", L"Cache", L" 1 ");
  Set(L"Opera", L"Cookies", L"01");     // exactly "1" only
  Set(L"Maxthon", L"keywords", L"01");  // any text worth 1
  Set(L"Maxthon", L"pages", L"x");
  Set(L"WINDOWS", L"recent", L"1");
  Set(L"Messenger", L"icqsign", L"1");
  Set(L"OFFICE", L"Viewer", L"1");
  Set(L"outlook", L"address", L"2");
  ASSERT_TRUE(run.CleanNow());
  std::vector<std::wstring> expected = {L"IE Location Bar History",
                                        L"Firefox Cache",
                                        L"Maxthon Typed Urls",
                                        L"Recent Documents History",
                                        L"AOL Messenger Sign in history",
                                        L"Microsoft Snapshot Viewer",
                                        L"Windows Live Mail accounts",
                                        L"Task complete Successfully!"};
  EXPECT_EQ(Labels(), expected);
  // The scratch profile has none of these programs: an item of one whose folders and keys are all
  // absent says so; Windows' own items and items of their own logic are done.
  const std::vector<std::wstring> states = {L"Done",          L"Not installed", L"Not installed", L"Done",
                                            L"Not installed", L"Not installed", L"Done"};
  ASSERT_EQ(view.rows.size(), states.size() + 1);
  for (size_t i = 0; i < states.size(); ++i) EXPECT_EQ(view.rows[i].state, states[i]) << view.rows[i].label;
  EXPECT_TRUE(std::is_sorted(view.progress.begin(), view.progress.end()));
  EXPECT_EQ(view.progress.back(), 100);
  EXPECT_EQ(view.statusLines[1], L"Cleaning IE Location Bar History ......");
  // Each row is opened after the window had a chance to repaint.
  EXPECT_GE(view.pumps, 7);
}

TEST_F(CleanRunTest, ExitAfterCleaningEndsTheProgramWithoutSavingOrReporting) {
  Set(L"Options", L"exit", L"1");
  Set(L"Options", L"lastclean", L"earlier");
  Set(L"Options", L"regnum", L"12");
  Set(L"Options", L"filesize", L"1048576");
  Set(L"EXPLORER", L"cache", L"1");
  ASSERT_TRUE(run.CleanNow());
  EXPECT_TRUE(view.exited);
  EXPECT_EQ(Labels(), std::vector<std::wstring>{L"IE Internet Cache"});
  EXPECT_TRUE(view.messages.empty());
  EXPECT_TRUE(view.notifications.empty());
  EXPECT_EQ(Get(L"Options", L"lastclean"), L"earlier");
  EXPECT_EQ(Get(L"Options", L"regnum"), L"12");
  EXPECT_EQ(Get(L"Options", L"filesize"), L"1048576");
  EXPECT_EQ(view.progress.back(), 97);
}

namespace {

// A stage that runs the test's function.
class TestStage : public run::Stage {
 public:
  explicit TestStage(std::function<void(run::ItemContext&)> body) : body_(std::move(body)) {}
  void Run(run::ItemContext& context) const override { body_(context); }

 private:
  std::function<void(run::ItemContext&)> body_;
};

run::Stages StagesOf(std::unique_ptr<const run::Stage> first, std::function<void(run::ItemContext&)> second) {
  run::Stages stages;
  stages.push_back(std::move(first));
  stages.push_back(std::make_unique<TestStage>(std::move(second)));
  return stages;
}

}  // namespace

TEST_F(CleanRunTest, StagesAddToTheTotalsThatAreSavedAndShown) {
  Set(L"Custom", L"Custom", L"1");
  TempFolder data;
  MakeFile(data / L"big.bin", 3500000);
  WriteText(folder / L"cusd.dat", platform::Narrow(data / L"big.bin") + "\tFile\r\n");
  run::CleanRun staged(view, folder.Path(), run::ProcessValues{},
                       StagesOf(catalogue::CustomItemsStage(), [](run::ItemContext& item) { item.AddKeys(33); }));
  staged.SetClock(FixedTime);
  ASSERT_TRUE(staged.CleanNow());
  EXPECT_EQ(Labels(), (std::vector<std::wstring>{L"Custom Item", L"Task complete Successfully!"}));
  EXPECT_EQ(Get(L"Options", L"regnum"), L"33");
  EXPECT_EQ(Get(L"Options", L"filesize"), L"3500000");
  EXPECT_EQ(view.totals, L"  Cleaned Registry Keys: 33     Released HD Space:3.34MB");
  EXPECT_EQ(view.messages[0].second,
            L"Task complete Successfully! Cleaned Registry Keys: 33, Released HD Space: 3.34MB\n"
            L"Trellwipe's running estimates are above; measured in this cleaning: 1 file, 3.34 MB, 0 registry "
            L"entries.");
  EXPECT_EQ(staged.Counters().cleanedKeys, 33);

  // The custom stage runs only when its own flag is exactly "1".
  Set(L"Custom", L"Custom", L"01");
  MakeFile(data / L"big.bin", 3500000);
  ASSERT_TRUE(staged.CleanNow());
  EXPECT_EQ(Labels(), std::vector<std::wstring>{L"Nothing was cleaned: no item is ticked in Clean Settings."});
  ExpectKept(data / L"big.bin");
  EXPECT_EQ(Get(L"Options", L"regnum"), L"33");
  EXPECT_EQ(Get(L"Options", L"filesize"), L"0");
}

// A screen reader is told of the start, with the first item, and of the end; not of each item.
TEST_F(CleanRunTest, TheStartAndTheEndAreAnnounced) {
  Set(L"Custom", L"Custom", L"1");
  TempFolder data;
  MakeFile(data / L"trace.txt", 524288);
  WriteText(folder / L"cusd.dat", platform::Narrow(data / L"trace.txt") + "\tFile\r\n");
  ASSERT_TRUE(run.CleanNow());
  EXPECT_EQ(view.announced, (std::vector<std::wstring>{
                                L"Cleaning Custom Item ......",
                                L"Task complete Successfully!",
                            }));
}

// Each row says what its item left behind and carries its figures; the end says how many items
// left something, and a run that left nothing keeps its plain texts.
TEST_F(CleanRunTest, RowsAndTheEndSayWhatWasLeftBehind) {
  struct Case {
    std::vector<size_t> left;  // entries each item leaves behind
    std::vector<std::wstring> states;
    std::wstring last;
  };
  const Case cases[] = {
      {{0, 0}, {L"Done", L"Done"}, L"Task complete Successfully!"},
      {{3, 0}, {L"Done, 3 left behind", L"Done"}, L"Task complete: 1 item left something behind; its row says what."},
      {{1, 2},
       {L"Done, 1 left behind", L"Done, 2 left behind"},
       L"Task complete: 2 items left something behind; their rows say what."},
  };
  for (const Case& c : cases) {
    view = RecordingView();
    run::Stages stages;
    stages.push_back(std::make_unique<TestStage>([&c](run::ItemContext& item) {
      for (size_t i = 0; i < c.left.size(); ++i) {
        item.BeginItem(L"Test", L"item", L"Item " + std::to_wstring(i));
        item.erase.recorder->File(L"C:\\gone\\" + std::to_wstring(i), 2048);
        for (size_t n = 0; n < c.left[i]; ++n) {
          item.erase.recorder->LeftBehind(L"C:\\held\\" + std::to_wstring(n), L"in use");
        }
        item.EndItem();
      }
    }));
    run::CleanRun staged(view, folder.Path(), run::ProcessValues{}, std::move(stages));
    ASSERT_TRUE(staged.CleanNow());
    ASSERT_EQ(view.rows.size(), c.left.size() + 1);
    for (size_t i = 0; i < c.left.size(); ++i) {
      EXPECT_EQ(view.rows[i].state, c.states[i]);
      EXPECT_EQ(view.rows[i].files, 1u);
      EXPECT_EQ(view.rows[i].bytes, 2048);
      EXPECT_EQ(view.rows[i].leftBehind, c.left[i]);
    }
    EXPECT_EQ(view.rows.back().label, c.last);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].first, L"Task Complete");
    EXPECT_EQ(view.messages[0].second,
              c.last +
                  L" Cleaned Registry Keys: 0, Released HD Space: 0.00MB\nTrellwipe's running estimates are above; "
                  L"measured in this cleaning: " +
                  std::to_wstring(c.left.size()) + L" files, 0.00 MB, 0 registry entries.");
  }
}

// Two browsers keep the cookies of the one site the user keeps: their rows read "Done", and the
// end, its message and the pop-up of a run in the background name what was kept.
TEST_F(CleanRunTest, WhatTheKeepListsKeptIsNamedAtTheEndAndNoRowReadsAsAFailure) {
  for (bool background : {false, true}) {
    view = RecordingView();
    run::Stages stages;
    stages.push_back(std::make_unique<TestStage>([](run::ItemContext& item) {
      for (const wchar_t* browser : {L"Chrome", L"FIREFOX"}) {
        item.BeginItem(browser, L"Cookies", browser + std::wstring(L" Cookies"));
        item.erase.Kept(L"C:\\" + std::wstring(browser), engine::KeptFor::Site, L"example.com",
                        L"the cookies of example.com (2)");
        item.EndItem();
      }
    }));
    run::CleanRun run(view, folder.Path(), run::ProcessValues{}, std::move(stages));
    ASSERT_TRUE(run.CleanNow(background));
    ASSERT_EQ(view.rows.size(), 3u);
    for (size_t i = 0; i < 2; ++i) {
      EXPECT_EQ(view.rows[i].state, L"Done");
      EXPECT_EQ(view.rows[i].leftBehind, 0u);
    }
    const std::wstring last = L"Task complete Successfully! (kept: 1 site)";
    EXPECT_EQ(view.rows.back().label, last);
    const std::wstring counters = L" Cleaned Registry Keys: 0";
    if (background) {
      ASSERT_EQ(view.notifications.size(), 1u);
      EXPECT_EQ(view.notifications[0].description.rfind(L"Trellwipe Clean is done! (kept: 1 site)" + counters, 0), 0u)
          << view.notifications[0].description;
    } else {
      ASSERT_EQ(view.messages.size(), 1u);
      EXPECT_EQ(view.messages[0].second.rfind(last + counters, 0), 0u) << view.messages[0].second;
    }
  }
}

// Three items reach one tree and two reach one registry key: the preview counts each file and entry
// once, as they are on the disk, the later items list what the earlier ones counted, marked so, and
// the clean after the preview counts the same.
TEST_F(CleanRunTest, APreviewAndTheCleanAfterItCountATreeReachedByThreeItemsOnce) {
  TempFolder data;
  const std::wstring tree = data / L"Cache";
  const std::pair<const wchar_t*, size_t> files[] = {
      {L"a.tmp", 100}, {L"b.log", 2000}, {L"sub\\c.tmp", 30000}, {L"sub\\deep\\d.tmp", 400}, {L"sub\\e.log", 5}};
  double bytes = 0;
  for (const auto& [name, size] : files) {
    MakeFile(tree + L"\\" + name, size);
    bytes += size;
  }
  TempRegistryKey temp;
  const std::wstring key = temp.Subkey() + L"\\Tool";
  SetString(HKEY_CURRENT_USER, key, L"v", L"1");
  SetString(HKEY_CURRENT_USER, key + L"\\Sub", L"w", L"2");
  using Steps = std::function<void(const engine::EraseContext&)>;
  const Steps items[] = {
      [&](auto& c) {
        engine::allerase::EraseFilesByExtensionInTree(c, tree, L"tmp");
        engine::allerase::DeleteRegistryTree(c, HKEY_CURRENT_USER, key);
      },
      [&](auto& c) {
        engine::allerase::EraseAllFilesInTree(c, tree);
        engine::allerase::DeleteRegistryValue(c, HKEY_CURRENT_USER, key + L"\\Sub", L"w");
      },
      [&](auto& c) {
        engine::allerase::RecreateFolder(c, tree);
        engine::allerase::DeleteRegistryKey(c, HKEY_CURRENT_USER, key + L"\\Sub");
      },
  };
  run::Stages stages;
  stages.push_back(std::make_unique<TestStage>([&](run::ItemContext& item) {
    for (const Steps& steps : items) {
      item.BeginItem(L"Test", L"item", L"Item");
      steps(item.erase);
      item.EndItem();
    }
  }));
  run::CleanRun staged(view, folder.Path(), run::ProcessValues{}, std::move(stages));
  std::optional<engine::RunReport> previewing = staged.Preview();
  ASSERT_TRUE(previewing);
  const engine::RunReport& preview = *previewing;
  const engine::ReportTotals previewed = preview.Totals();
  EXPECT_EQ(previewed.files, std::size(files));
  EXPECT_EQ(previewed.bytes, bytes);
  EXPECT_EQ(previewed.registryEntries, 4u);  // two keys, two values
  ASSERT_EQ(preview.items.size(), 3u);
  EXPECT_EQ(preview.items[1].files.size(), 2u);
  EXPECT_EQ(preview.items[2].alreadyCounted.files.size(), std::size(files));
  std::vector<std::wstring> details = AllDetailLines(preview.items[1], true);
  EXPECT_EQ(details.back(), L"Would delete value: " + temp.FullPath() + L"\\Tool\\Sub\\w (already counted)");
  EXPECT_EQ(preview.items[2].alreadyCounted.keys, std::vector<std::wstring>{temp.FullPath() + L"\\Tool\\Sub"});

  ASSERT_TRUE(staged.CleanNow());
  const engine::ReportTotals cleaned = staged.LastReport().Totals();
  EXPECT_EQ(cleaned.files, previewed.files);
  EXPECT_EQ(cleaned.bytes, previewed.bytes);
  EXPECT_EQ(cleaned.folders, previewed.folders);
  EXPECT_EQ(cleaned.registryEntries, previewed.registryEntries);
  EXPECT_TRUE(FolderNames(tree).empty());
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key));  // the last item's key, gone with the tree, is not made again
  ASSERT_EQ(view.messages.size(), 1u);
  const std::wstring& text = view.messages[0].second;
  EXPECT_EQ(text.substr(text.find(L'\n')),
            L"\nTrellwipe's running estimates are above; measured in this cleaning: 5 files, 0.03 MB, 4 registry "
            L"entries.");
}

TEST_F(CleanRunTest, UnattendedRunEndsWithANotification) {
  run::CleanRun run(view, folder.Path(), run::ProcessValues{},
                    StagesOf(catalogue::PluginStage(), [](run::ItemContext& item) {
                      item.BeginItem(L"Test", L"item", L"Test Item");
                      item.AddKeys(5);
                      item.EndItem();
                    }));
  ASSERT_TRUE(run.CleanNow(true));
  EXPECT_TRUE(view.messages.empty());
  ASSERT_EQ(view.notifications.size(), 1u);
  const run::NotificationRequest& note = view.notifications[0];
  EXPECT_EQ(note.key, L"www");
  EXPECT_EQ(note.title, L"Trellwipe");
  EXPECT_EQ(note.description,
            L"Trellwipe Clean is done! Cleaned Registry Keys: 5 Released HD Space:0.00MB\n"
            L"Trellwipe's running estimates are above; measured in this cleaning: 0 files, 0.00 MB, 0 registry "
            L"entries.");
  EXPECT_TRUE(note.allowDuplicateTitles);
  EXPECT_TRUE(note.enableClickEvent);
  EXPECT_EQ(note.icon, L"");
  EXPECT_EQ(note.soundFile, folder.Path() + L"\\Sounds\\Message.wav");
  EXPECT_FALSE(run.BackgroundRun());
  EXPECT_TRUE(view.mainWindowShown);
}

namespace {

// A view whose message pump delivers a tray or timer request for another run, and which switches an
// item on in the settings file while the run is under way.
class BusyView : public RecordingView {
 public:
  run::CleanRun* run = nullptr;
  std::wstring settings;
  std::vector<bool> nestedResults;
  void PumpMessages() override {
    RecordingView::PumpMessages();
    if (run && nestedResults.size() < 3) nestedResults.push_back(run->CleanNow(true));
  }
  void AddRow(const std::wstring& label) override {
    RecordingView::AddRow(label);
    if (label == L"IE Location Bar History") settings::inifun::WriteIniValue(settings, L"WINDOWS", L"recent", L"1");
  }
};

}  // namespace

TEST(CleanRunNesting, ASecondRunDuringARunIsRefusedAndFlagsAreReadWhenReached) {
  TempFolder folder;
  BusyView view;
  view.settings = folder / L"prisd.dat";
  settings::inifun::WriteIniValue(view.settings, L"EXPLORER", L"location", L"1");
  run::CleanRun run(view, folder.Path(), run::ProcessValues{}, catalogue::Stages());
  view.run = &run;
  ASSERT_TRUE(run.CleanNow());
  // One request at each of the two rows.
  EXPECT_EQ(view.nestedResults, (std::vector<bool>{false, false}));
  ASSERT_EQ(view.rows.size(), 3u);
  EXPECT_EQ(view.rows[1].label, L"Recent Documents History");
  // The refused unattended request did not turn this attended run into one.
  EXPECT_EQ(view.messages.size(), 1u);
  EXPECT_TRUE(view.notifications.empty());
  view.run = nullptr;
  EXPECT_TRUE(run.CleanNow());
}

// Drive Z: as Wine maps it, the whole Unix file system: a run with every item on still ends, as no
// walk crosses that drive.
TEST(WholeUnixDrive, ARunWithEveryItemOnEnds) {
  ASSERT_EQ(GetDriveTypeW(L"Z:\\"), UINT{DRIVE_FIXED}) << "run through scripts/wine-emulator.sh, which maps Z:";
  EXPECT_EQ(platform::FixedDriveRoots(), std::vector<std::wstring>{L"C:\\"});
  TempFolder program;
  const std::wstring settingsFile = program / L"prisd.dat";
  for (const settings::ItemFlag& flag : settings::ItemFlags()) {
    settings::inifun::WriteIniValue(settingsFile, flag.section, flag.key, L"1");
  }
  RecordingView view;
  run::CleanRun run(view, program.Path(), run::ComputeProcessValues(), catalogue::Stages());
  ASSERT_TRUE(run.CleanNow(true));
  ASSERT_FALSE(view.rows.empty());
  // What the sandbox's links and protected folders keep is left behind and said so; the run ends.
  EXPECT_TRUE(view.rows.back().label.starts_with(L"Task complete")) << view.rows.back().label;
  auto thumbs =
      std::find_if(view.rows.begin(), view.rows.end(), [](const Row& row) { return row.label == L"Thumbs.db"; });
  ASSERT_NE(thumbs, view.rows.end());
  EXPECT_TRUE(thumbs->state.starts_with(L"Done")) << thumbs->state;
}

// The user stops a preview and a cleaning from the window's turn: both end at the next file.
TEST(StoppedRun, APreviewAndACleaningEndWhereTheStopReachedThem) {
  TempFolder program, data;
  for (int i = 0; i < 2000; ++i) MakeFile(data / (L"f" + std::to_wstring(i)), 10);
  WriteText(program / L"cusd.dat", platform::Narrow(data.Path()) + "\tFolder\r\n");
  settings::inifun::WriteIniValue(program / L"prisd.dat", L"Custom", L"Custom", L"1");
  struct StoppingView : RecordingView {
    std::function<void()> onPump;
    void PumpMessages() override {
      if (onPump) onPump();
    }
  } view;
  run::CleanRun run(view, program.Path(), run::ProcessValues{}, catalogue::Stages());

  view.onPump = [&] { run.Stop(run::StopReason::User); };
  std::optional<engine::RunReport> previewing = run.Preview();
  ASSERT_TRUE(previewing);
  const engine::RunReport& preview = *previewing;
  EXPECT_TRUE(preview.stopped);
  EXPECT_EQ(run.Stopped(), run::StopReason::User);
  EXPECT_EQ(FolderNames(data.Path()).size(), 2000u);

  // Cancel once a tenth of the files went.
  view.onPump = [&] {
    if (FolderNames(data.Path()).size() <= 1800) run.Stop(run::StopReason::User);
  };
  ASSERT_TRUE(run.CleanNow());
  ASSERT_EQ(view.rows.size(), 2u);
  EXPECT_EQ(view.rows[0].state, L"Stopped");
  EXPECT_EQ(view.rows[1].label, L"Task stopped: the cleaning was stopped before its end.");
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].first, L"Task Stopped");
  size_t gone = run.LastReport().items.at(0).files.size();
  EXPECT_GE(gone, 200u);
  EXPECT_LT(gone, 2000u);
  EXPECT_EQ(FolderNames(data.Path()).size(), 2000u - gone);
  EXPECT_EQ(run.Counters().releasedBytes, 10.0 * static_cast<double>(gone));
  EXPECT_TRUE(run.LastReport().stopped);
}
