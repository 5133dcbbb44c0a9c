#include "engine/run_report.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

using testing_support::AllDetailLines;

namespace {

engine::ItemReport Sample() {
  engine::ItemReport item;
  item.label = L"Chrome Cache";
  for (int i = 0; i < 12; ++i) item.files.push_back({L"C:\\c\\f" + std::to_wstring(i), 297097.5 * 1});
  item.keys = {L"HKEY_CURRENT_USER\\A", L"HKEY_CURRENT_USER\\B"};
  item.values = {L"HKEY_CURRENT_USER\\A\\x", L"HKEY_CURRENT_USER\\A\\y", L"HKEY_CURRENT_USER\\B\\z"};
  return item;
}

}  // namespace

TEST(RunReport, CountsTextShowsRealCountsWithStepsAndLeftoversOnlyWhenThereAreAny) {
  engine::ItemReport item = Sample();
  EXPECT_EQ(engine::CountsText(item), L"12 files, 3.40 MB, 5 registry entries");
  item.steps = {L"Empty the clipboard"};
  item.leftBehind = {{L"C:\\c\\busy", L"in use", {}}};
  EXPECT_EQ(engine::CountsText(item), L"12 files, 3.40 MB, 5 registry entries, 1 step, 1 left behind");
  engine::ItemReport single;
  single.files = {{L"C:\\one", 0}};
  single.keys = {L"HKEY_CURRENT_USER\\K"};
  EXPECT_EQ(engine::CountsText(single), L"1 file, 0.00 MB, 1 registry entry");
}

TEST(RunReport, DetailLinesNameEveryPathAndSayWhatStayed) {
  engine::ItemReport item;
  item.files = {{L"C:\\c\\a.bin", 1234}};
  item.folders = {L"C:\\c\\sub"};
  item.keys = {L"HKEY_CURRENT_USER\\K"};
  item.values = {L"HKEY_CURRENT_USER\\K\\v"};
  item.steps = {L"Empty the recycle bin"};
  EXPECT_EQ(AllDetailLines(item, true),
            (std::vector<std::wstring>{L"Would erase file: C:\\c\\a.bin (1234 bytes)",
                                       L"Would remove folder: C:\\c\\sub", L"Would delete key: HKEY_CURRENT_USER\\K",
                                       L"Would delete value: HKEY_CURRENT_USER\\K\\v",
                                       L"Would run: Empty the recycle bin"}));
  item.leftBehind = {{L"C:\\c\\locked.bin", L"in use", {}}, {L"C:\\c", L"not empty", {}}};
  std::vector<std::wstring> real = AllDetailLines(item, false);
  ASSERT_EQ(real.size(), 8u);
  EXPECT_EQ(real[0], L"This item left 2 entries behind.");
  EXPECT_EQ(real[1], L"Erased file: C:\\c\\a.bin (1234 bytes)");
  EXPECT_EQ(real[6], L"Left behind (in use): C:\\c\\locked.bin");
  EXPECT_EQ(AllDetailLines(engine::ItemReport{}, true), std::vector<std::wstring>{L"Nothing to erase."});
  EXPECT_EQ(AllDetailLines(engine::ItemReport{}, false), std::vector<std::wstring>{L"Nothing was erased."});
}

TEST(RunReport, TotalsAddUpTheItemsAndRecordsOutsideAnItemAreDropped) {
  engine::RunReport report;
  engine::RunRecorder recorder(report);
  recorder.File(L"C:\\before", 5);
  recorder.BeginItem(L"A", L"a", L"First");
  recorder.File(L"C:\\x", 100);
  recorder.Folder(L"C:\\d");
  recorder.Value(L"HKEY_CURRENT_USER\\K", L"");
  recorder.EndItem();
  recorder.Key(L"HKEY_CURRENT_USER\\dropped");
  recorder.BeginItem(L"B", L"b", L"Second");
  recorder.File(L"C:\\y", 50);
  recorder.LeftBehind(L"C:\\z", L"read-only");
  recorder.Step(L"Empty the clipboard");
  report.items[0].estimatedBytes = 10100;
  report.items[1].estimatedKeys = 3;
  ASSERT_EQ(report.items.size(), 2u);
  EXPECT_EQ(report.items[0].values, std::vector<std::wstring>{L"HKEY_CURRENT_USER\\K\\(Default)"});
  engine::ReportTotals totals = report.Totals();
  EXPECT_EQ(totals.files, 2u);
  EXPECT_EQ(totals.bytes, 150);
  EXPECT_EQ(totals.folders, 1u);
  EXPECT_EQ(totals.registryEntries, 1u);
  EXPECT_EQ(totals.steps, 1u);
  EXPECT_EQ(totals.leftBehind, 1u);
  EXPECT_EQ(totals.estimatedBytes, 10100);
  EXPECT_EQ(totals.estimatedKeys, 3);
  EXPECT_TRUE(report.LeftSomethingBehind());
  report.items[1].leftBehind.clear();
  EXPECT_FALSE(report.LeftSomethingBehind());
}

TEST(RunReport, AnItemRecordsEachPathOnce) {
  engine::RunReport report;
  engine::RunRecorder recorder(report);
  // A folder emptied and then re-created: in a preview its file is met by both steps.
  recorder.BeginItem(L"WINDOWS", L"temp", L"Windows Temp");
  recorder.File(L"C:\\users\\me\\Temp\\a.tmp", 30);
  recorder.File(L"C:\\Users\\Me\\TEMP\\A.TMP", 30);
  recorder.Folder(L"C:\\users\\me\\Temp\\sub");
  recorder.Folder(L"C:\\users\\me\\Temp\\sub");
  recorder.Key(L"HKEY_CURRENT_USER\\K");
  recorder.Key(L"HKEY_CURRENT_USER\\K");
  recorder.Value(L"HKEY_CURRENT_USER\\K", L"v");
  recorder.Value(L"HKEY_CURRENT_USER\\K", L"v");
  // A file and a folder of the same path are different entries.
  recorder.Folder(L"C:\\users\\me\\Temp\\a.tmp");
  recorder.EndItem();
  ASSERT_EQ(report.items.size(), 1u);
  EXPECT_EQ(report.items[0].files.size(), 1u);
  EXPECT_EQ(report.items[0].folders.size(), 2u);
  EXPECT_EQ(report.items[0].keys.size(), 1u);
  EXPECT_EQ(report.items[0].values.size(), 1u);
  EXPECT_EQ(report.items[0].alreadyCounted.size(), 0u);
}

// A file kept for its age is listed once in the run, by the first item that kept it, and counted once.
TEST(RunReport, AFileTooNewIsListedOnceInTheRun) {
  engine::RunReport report;
  engine::RunRecorder recorder(report);
  recorder.BeginItem(L"WINDOWS", L"temp", L"Windows Temp");
  recorder.TooNew(L"C:\\users\\me\\Temp\\a.tmp");
  recorder.TooNew(L"C:\\Users\\Me\\TEMP\\A.TMP");
  recorder.EndItem();
  recorder.BeginItem(L"rules", L"User Temporary Files *", L"User Temporary Files *");
  recorder.TooNew(L"C:\\users\\me\\Temp\\a.tmp");
  recorder.TooNew(L"C:\\users\\me\\Temp\\b.tmp");
  recorder.EndItem();
  ASSERT_EQ(report.items.size(), 2u);
  EXPECT_EQ(report.items[0].tooNew, std::vector<std::wstring>{L"C:\\users\\me\\Temp\\a.tmp"});
  EXPECT_EQ(report.items[1].tooNew, std::vector<std::wstring>{L"C:\\users\\me\\Temp\\b.tmp"});
  EXPECT_EQ(report.Totals().tooNew, 2u);
  EXPECT_EQ(engine::TooNewSummary(report.Totals()), L" Too new to erase: 2 files.");
  EXPECT_EQ(engine::CountsText(report.items[1]), L"0 files, 0.00 MB, 0 registry entries, 1 too new");
}

// What a later item meets again, by any letter case, or below a key an earlier item erased, it lists
// as already counted, once; the run's figures count each entry once.
TEST(RunReport, ARunCountsEachEntryOnceAndLaterItemsListItAsAlreadyCounted) {
  engine::RunReport report;
  engine::RunRecorder recorder(report);
  const std::wstring key = L"HKEY_CURRENT_USER\\Software\\Tool";
  recorder.BeginItem(L"WINDOWS", L"temp", L"Windows Temp");
  recorder.File(L"C:\\users\\me\\Temp\\a.tmp", 30);
  recorder.Folder(L"C:\\users\\me\\Temp\\sub");
  recorder.Key(key);  // a leaf key, erased with its values
  recorder.Key(key + L"Other");
  recorder.EndItem();
  for (const wchar_t* label : {L"User Temporary Files", L"Custom Item"}) {
    recorder.BeginItem(L"rules", label, label);
    recorder.File(L"C:\\Users\\Me\\TEMP\\A.TMP", 30);
    recorder.File(L"C:\\users\\me\\Temp\\a.tmp", 30);
    recorder.File(L"C:\\users\\me\\Temp\\b.tmp", 20);
    recorder.Folder(L"C:\\users\\me\\temp\\sub");
    recorder.Key(key);
    recorder.Key(key + L"\\Sub");
    recorder.Value(key, L"v");
    recorder.Value(key + L"Other2", L"v");  // not below the key erased: a name that begins alike
    recorder.EndItem();
  }
  ASSERT_EQ(report.items.size(), 3u);
  const engine::ItemReport& second = report.items[1];
  EXPECT_EQ(second.files.size(), 1u);
  EXPECT_EQ(second.values, std::vector<std::wstring>{key + L"Other2\\v"});
  EXPECT_EQ(second.alreadyCounted.files.size(), 1u);
  EXPECT_EQ(second.alreadyCounted.folders.size(), 1u);
  EXPECT_EQ(second.alreadyCounted.keys, (std::vector<std::wstring>{key, key + L"\\Sub"}));
  EXPECT_EQ(second.alreadyCounted.values, std::vector<std::wstring>{key + L"\\v"});
  EXPECT_EQ(report.items[2].alreadyCounted.size(), 7u);
  EXPECT_TRUE(report.items[2].files.empty() && report.items[2].values.empty());
  engine::ReportTotals totals = report.Totals();
  EXPECT_EQ(totals.files, 2u);
  EXPECT_EQ(totals.bytes, 50);
  EXPECT_EQ(totals.folders, 1u);
  EXPECT_EQ(totals.registryEntries, 3u);
  EXPECT_EQ(engine::CountsText(second), L"1 file, 0.00 MB, 1 registry entry, 5 already counted");
  std::vector<std::wstring> details = AllDetailLines(second, true);
  ASSERT_EQ(details.size(), 7u);
  EXPECT_EQ(details[2], L"Would erase file: C:\\Users\\Me\\TEMP\\A.TMP (30 bytes, already counted)");
  EXPECT_EQ(details[4], L"Would delete key: " + key + L" (already counted)");
}

// What the keep lists keep is kept, not left behind: each site or address counts once however many
// items kept it, and the details say where it stays.
TEST(RunReport, KeptSitesAndAddressesCountApartFromWhatWasLeftBehind) {
  engine::RunReport report;
  engine::RunRecorder recorder(report);
  const std::wstring chrome = L"C:\\Chrome\\Cookies", firefox = L"C:\\Firefox\\cookies.sqlite";
  EXPECT_EQ(engine::KeptSummary(report.Totals()), L"");
  recorder.BeginItem(L"Chrome", L"Cookies", L"Chrome Cookies");
  recorder.Kept(chrome, engine::KeptFor::Site, L"example.com", L"the cookies of example.com (3)");
  recorder.EndItem();
  recorder.BeginItem(L"FIREFOX", L"Cookies", L"Firefox Cookies");
  recorder.Kept(firefox, engine::KeptFor::Site, L"Example.com", L"the cookies of Example.com (1)");
  recorder.Kept(L"HKEY_CURRENT_USER\\T\\url1", engine::KeptFor::Address, L"http://a.org/", L"the typed address");
  recorder.EndItem();
  const engine::ReportTotals totals = report.Totals();
  EXPECT_EQ(totals.leftBehind, 0u);
  EXPECT_FALSE(report.LeftSomethingBehind());
  EXPECT_EQ(engine::KeptSummary(totals), L"kept: 1 site, 1 address");
  EXPECT_EQ(engine::CountsText(report.items[1]), L"0 files, 0.00 MB, 0 registry entries, 2 kept");
  engine::DetailLines lines(report.items[0], false);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], L"Kept (the cookies of example.com (3)): " + chrome);
}
