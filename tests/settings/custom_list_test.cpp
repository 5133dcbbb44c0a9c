#include "settings/custom_list.h"
#include "catalogue/catalogue.h"

#include <gtest/gtest.h>

#include "catalogue/catalogue_fixture.h"

using namespace testing_support;

namespace {

class CustomItems : public CatalogueTest {
 protected:
  run::RunCounters RunCustom(bool on = true) {
    std::wstring settings = program / L"prisd.dat";
    settings::inifun::WriteIniValue(settings, L"Custom", L"Custom", on ? L"1" : L"0");
    view = RecordingView();
    run::CleanRun run(view, program.Path(), values, catalogue::Stages());
    run.CleanNow();
    report = run.LastReport();
    return run.Counters();
  }
  std::wstring List() const { return program / L"cusd.dat"; }
  engine::RunReport report;
};

}  // namespace

TEST_F(CustomItems, TheListFileDecidesTheRow) {
  RunCustom(false);
  EXPECT_EQ(view.rows.size(), 1u);

  RunCustom();
  ASSERT_EQ(view.rows.size(), 2u);
  EXPECT_EQ(view.rows[0].label, L"Custom Item");
  EXPECT_EQ(view.rows[0].state, L"Fail, Can't find file!");

  WriteText(List(), "");
  RunCustom();
  EXPECT_EQ(view.rows[0].state, L"Done");
}

TEST_F(CustomItems, FilesAndFoldersGoWithTheirSizesCounted) {
  std::wstring file = root / L"secret.doc";
  std::wstring folder = root / L"Project";
  std::wstring stubborn = root / L"Locked";
  MakeFile(file, 524288);
  MakeFile(folder + L"\\a.txt", 100);
  MakeFile(folder + L"\\sub\\b.txt", 50);
  MakeFile(stubborn + L"\\ro.txt", 25);
  SetFileAttributesW((stubborn + L"\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  MakeFile(root / L"other.txt", 7);
  std::string text = platform::Narrow(file) + "\tFile\r\n" + platform::Narrow(folder) + "\tFolder\r\n" +
                     platform::Narrow(stubborn) + "\tFolder\r\n" + platform::Narrow(root / L"gone.txt") + "\tFile\r\n" +
                     platform::Narrow(root / L"other.txt") + "\tThing\r\n" + platform::Narrow(root / L"other.txt") +
                     "\r\nC:\\\tFolder\r\n";
  WriteText(List(), text);
  run::RunCounters counters = RunCustom();
  EXPECT_EQ(counters.releasedBytes, 524288 + 150 + 25);
  ExpectGone(file);
  ExpectGone(folder);
  // A read-only file is not forced: it and its folder stay, and the size still counts.
  ExpectKept(stubborn + L"\\ro.txt");
  ExpectKept(root / L"other.txt");
  EXPECT_TRUE(view.rows[0].state.starts_with(L"Done")) << view.rows[0].state;
}

TEST(CustomList, LinesSplitAtTheTab) {
  TempFolder folder;
  WriteText(folder / L"cusd.dat", "C:\\a b\\c.txt\tFile\r\nC:\\d\tFolder\r\nC:\\e\r\n");
  auto entries = settings::ReadCustomList(folder / L"cusd.dat");
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].path, L"C:\\a b\\c.txt");
  EXPECT_EQ(entries[0].type, L"File");
  EXPECT_EQ(entries[1].type, L"Folder");
  EXPECT_EQ(entries[2].path, L"C:\\e");
  EXPECT_EQ(entries[2].type, L"");
  EXPECT_TRUE(settings::ReadCustomList(folder / L"missing.dat").empty());
}

TEST(CustomList, LoadedRowsDropVanishedPathsAndShowSizesWithForcedDigits) {
  TempFolder folder;
  std::wstring file = folder / L"half.bin";
  std::wstring tree = folder / L"Tree";
  MakeFile(file, 524288);
  MakeFile(tree + L"\\a.bin", 1048576);
  MakeFile(tree + L"\\sub\\b.bin", 2097152);
  std::string text = platform::Narrow(file) + "\tFile\r\n" + platform::Narrow(folder / L"gone.txt") + "\tFile\r\n" +
                     platform::Narrow(tree) + "\tFolder\r\n" + platform::Narrow(file) + "\tOther\r\n";
  WriteText(folder / L"cusd.dat", text);
  auto rows = settings::LoadCustomRows(folder / L"cusd.dat");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].path, file);
  EXPECT_EQ(rows[0].type, L"File");
  EXPECT_EQ(rows[0].size, L"0.50 MB");
  EXPECT_FALSE(rows[0].modified.empty());
  EXPECT_EQ(rows[1].type, L"Folder");
  EXPECT_EQ(rows[1].size, L"3.00 MB");
  EXPECT_FALSE(rows[1].modified.empty());
  // A type the list does not know keeps only its path.
  EXPECT_EQ(rows[2].path, file);
  EXPECT_EQ(rows[2].type, L"");
  EXPECT_EQ(rows[2].size, L"");
  EXPECT_EQ(rows[2].modified, L"");
  EXPECT_TRUE(settings::LoadCustomRows(folder / L"missing.dat").empty());

  settings::CustomRow added = settings::DescribeCustomEntry({file, L"File"});
  EXPECT_EQ(added.size, L"0.50 MB");
  EXPECT_EQ(added.modified, rows[0].modified);
}

TEST(CustomList, WrittenWholeOrNotAtAll) {
  TempFolder folder;
  std::wstring list = folder / L"cusd.dat";
  WriteText(list, "old\tFile\r\n");
  ASSERT_TRUE(settings::WriteCustomList(list, {{L"C:\\a b.txt", L"File"}, {L"C:\\d", L"Folder"}, {L"C:\\e", L""}}));
  EXPECT_EQ(ReadText(list), "C:\\a b.txt\tFile\r\nC:\\d\tFolder\r\nC:\\e\t\r\n");
  ASSERT_TRUE(settings::WriteCustomList(list, {}));
  ExpectKept(list);
  EXPECT_EQ(ReadText(list), "");

  // A folder in the file's place cannot be replaced: false, and the folder stays as it was.
  std::wstring blocked = folder / L"blocked\\cusd.dat";
  MakeFile(blocked + L"\\inside.txt", 3);
  EXPECT_FALSE(settings::WriteCustomList(blocked, {{L"C:\\x", L"File"}}));
  ExpectKept(blocked + L"\\inside.txt");
}

// The program folder, a drive root and a protected folder under its short name are refused, each
// named in the run's details; nothing in them goes.
TEST_F(CustomItems, RefusedFoldersAreReportedAndKept) {
  MakeFile(program / L"plus-in\\Example.ppe", 10);
  wchar_t programFiles[MAX_PATH] = L"", shortName[MAX_PATH] = L"";
  GetEnvironmentVariableW(L"ProgramFiles", programFiles, MAX_PATH);
  GetShortPathNameW(programFiles, shortName, MAX_PATH);
  MakeFile(std::wstring(programFiles) + L"\\Example\\app.exe", 10);
  const std::wstring refused[] = {program.Path(), L"C:\\", shortName};
  std::string text;
  for (const std::wstring& path : refused) text += platform::Narrow(path) + "\tFolder\r\n";
  WriteText(List(), text);
  RunCustom();
  ASSERT_TRUE(view.rows[0].state.starts_with(L"Done")) << view.rows[0].state;
  ASSERT_EQ(report.items.size(), 1u);
  const std::vector<engine::LeftRecord>& left = report.items[0].leftBehind;
  ASSERT_EQ(left.size(), 3u);
  for (size_t i = 0; i < left.size(); ++i) {
    EXPECT_EQ(left[i].path, refused[i]);
    EXPECT_TRUE(left[i].reason.starts_with(L"refused: ")) << left[i].reason;
  }
  ExpectKept(program / L"plus-in\\Example.ppe");
  ExpectKept(std::wstring(programFiles) + L"\\Example\\app.exe");
  DeleteFileW((std::wstring(programFiles) + L"\\Example\\app.exe").c_str());
  RemoveDirectoryW((std::wstring(programFiles) + L"\\Example").c_str());
}
