// The items that erase temporary files, and the Recycle Bin, keep what is younger than the ages the
// options set: files of set last-write times, and Recycle Bin items of set deletion times, on both
// sides of each bound.
#include <windows.h>
#include <gtest/gtest.h>
#include <shellapi.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/catalogue_fixture.h"
#include "engine/kept_paths_file.h"
#include "platform/files.h"
#include "platform/system_folders.h"

using namespace testing_support;
using namespace std::chrono_literals;

namespace {

using Options = std::vector<std::pair<const wchar_t*, std::wstring>>;
using Items = std::vector<std::pair<const wchar_t*, const wchar_t*>>;

struct Bound {
  const wchar_t* hours;        // as stored
  std::chrono::seconds young;  // within the age: stays
  std::chrono::seconds old;    // beyond it: goes
};

// "0" is any age: a file of a minute goes too.
const Bound kBounds[] = {
    {L"0", 1min, 2h}, {L"1", 50min, 70min}, {L"24", 23h, 25h}, {L"168", 167h, 169h}, {L"720", 719h, 721h},
};

bool AnyAge(const Bound& bound) { return std::wstring(bound.hours) == L"0"; }

// Noon of 1 June 2019, a date an archive may give the files unpacked from it.
unsigned long long Noon2019() {
  const SYSTEMTIME noon{2019, 6, 0, 1, 12, 0, 0, 0};
  FILETIME time{};
  SystemTimeToFileTime(&noon, &time);
  return platform::FileTimeTicks(time);
}

size_t TooNewLines(const engine::ItemReport& item, bool preview) {
  engine::DetailLines lines(item, preview);
  size_t count = 0;
  for (size_t i = 0; i < lines.size(); ++i) count += lines[i].starts_with(L"Too new, kept: ");
  return count;
}

class Ages : public CatalogueTest {
 protected:
  // Runs (or previews) the items with the options given, the ages judged `later` than now; the report
  // of its one item.
  engine::ItemReport RunWith(const Items& items, const Options& options, bool preview,
                             std::chrono::seconds later = {}) {
    std::wstring settings = program / L"prisd.dat";
    DeleteFileW(settings.c_str());
    for (const auto& [section, key] : items) settings::inifun::WriteIniValue(settings, section, key, L"1");
    for (const auto& [key, value] : options) settings::inifun::WriteIniValue(settings, L"Options", key, value);
    view = RecordingView();
    run::CleanRun cleaning(view, program.Path(), values, catalogue::Stages());
    cleaning.SetAgeClock([later] { return platform::NowTicks() + platform::TicksOf(later); });
    engine::RunReport report;
    if (preview) {
      report = *cleaning.Preview();
    } else {
      cleaning.CleanNow();
      report = cleaning.LastReport();
    }
    EXPECT_EQ(report.items.size(), 1u);
    return report.items.empty() ? engine::ItemReport{} : report.items[0];
  }

  // Young and old files in `folder` and in a subfolder each, for every bound, judged `old` after they
  // were made: the old ones are made now, the young ones written `old - young` later (their change
  // time, which no program sets, is now: no file made here can be older). With `keeps`, the young
  // ones and the subfolder that holds one stay, and only the old ones are counted, in the preview and
  // in the run; the end message tells the kept files apart.
  void ExpectYoungFilesKept(const std::wstring& folder, bool keeps, const Items& items, const Options& more = {}) {
    for (const Bound& bound : kBounds) {
      SCOPED_TRACE(bound.hours);
      const unsigned long long youngWritten = platform::NowTicks() + platform::TicksOf(bound.old - bound.young);
      for (const wchar_t* young : {L"\\young.tmp", L"\\young\\a.tmp"}) {
        MakeFile(folder + young, 100);
        SetFileTimes(folder + young, youngWritten);
      }
      MakeFile(folder + L"\\old.tmp", 10);
      MakeFile(folder + L"\\old\\b.tmp", 10);
      Options options = more;
      options.push_back({L"TempMinAgeHours", bound.hours});
      const bool kept = keeps && !AnyAge(bound);
      for (bool preview : {true, false}) {
        engine::ItemReport item = RunWith(items, options, preview, bound.old);
        EXPECT_EQ(item.Bytes(), kept ? 20 : 220) << preview;
        EXPECT_EQ(item.tooNew.size(), kept ? 2u : 0u) << preview;
        EXPECT_EQ(engine::CountsText(item).find(L", 2 too new") != std::wstring::npos, kept) << preview;
        EXPECT_EQ(TooNewLines(item, preview), kept ? 2u : 0u) << preview;
        EXPECT_TRUE(item.leftBehind.empty()) << preview;
      }
      EXPECT_EQ(Exists(folder + L"\\young.tmp"), kept);
      EXPECT_EQ(Exists(folder + L"\\young\\a.tmp"), kept);
      ExpectGone(folder + L"\\old.tmp");
      ExpectGone(folder + L"\\old\\b.tmp");
      ASSERT_EQ(view.messages.size(), 1u);
      EXPECT_EQ(view.messages[0].second.find(L"Too new to erase: 2 files.") != std::wstring::npos, kept);
    }
  }
};

TEST_F(Ages, TheTempItemKeepsFilesWrittenWithinTheAge) {
  const std::wstring temp = root / L"temp";
  ScopedEnvironment variable(L"TEMP", temp);
  ExpectYoungFilesKept(temp, true, {{L"WINDOWS", L"temp"}});
}

// A file unpacked a moment ago keeps the dates of its archive: by its creation and write times it is
// years old, by its change time it is new, and it stays.
TEST_F(Ages, AFileUnpackedAMomentAgoWithAnOldDateIsTooNew) {
  const std::wstring temp = root / L"temp";
  const std::wstring unpacked = temp + L"\\setup\\unpacked.dll";
  ScopedEnvironment variable(L"TEMP", temp);
  MakeFile(unpacked, 100);
  SetFileTimes(unpacked, Noon2019(), true);
  for (bool preview : {true, false}) {
    engine::ItemReport item = RunWith({{L"WINDOWS", L"temp"}}, {{L"TempMinAgeHours", L"24"}}, preview);
    EXPECT_EQ(item.tooNew, std::vector<std::wstring>{unpacked}) << preview;
    EXPECT_EQ(item.Bytes(), 0) << preview;
  }
  ExpectKept(unpacked);
}

TEST_F(Ages, AShippedRuleOfTheTempFolderKeepsFilesWrittenWithinTheAge) {
  const std::wstring temp = root / L"temp";
  // The rules' %Temp% is the system's temp path, which TMP names first.
  ScopedEnvironment variable(L"TMP", temp);
  WriteText(program / L"rules\\temp.ini",
            "[Temporary Test Files *]\r\nSection=Windows\r\nDetectFile=%Temp%\r\nFileKey1=%Temp%|*\r\n"
            "FileKey2=%Temp%\\*|*|REMOVESELF\r\n");
  ExpectYoungFilesKept(temp, true, {{L"rules", L"Temporary Test Files *"}});
}

TEST_F(Ages, ACustomFolderKeepsYoungFilesOnlyWhenTheOptionsSaySo) {
  const std::wstring folder = root / L"mine";
  WriteText(program / L"cusd.dat", platform::Narrow(folder) + "\tFolder\r\n");
  for (bool chosen : {false, true}) {
    SCOPED_TRACE(chosen);
    ExpectYoungFilesKept(folder, chosen, {{L"Custom", L"Custom"}}, {{L"CustomFoldersMinAge", chosen ? L"1" : L"0"}});
  }
}

// A Recycle Bin of the user's on drive C:, with items in "$I"/"$R" pairs.
class RecycleBinAges : public Ages {
 protected:
  ~RecycleBinAges() override {
    SHFILEOPSTRUCTW remove{};
    std::wstring from = L"C:\\$Recycle.Bin";
    from.push_back(L'\0');
    remove.wFunc = FO_DELETE;
    remove.pFrom = from.c_str();
    remove.fFlags = FOF_NO_UI;
    SHFileOperationW(&remove);
  }

  // An item deleted `ago`, of a 100-byte file, or of a folder holding one.
  void Recycle(const std::wstring& id, std::chrono::seconds ago, bool folder = false) {
    const unsigned long long deleted = platform::NowTicks() - platform::TicksOf(ago);
    std::string info(24, '\0');
    info[0] = 2;  // the version of Windows 10
    info[8] = 100;
    for (int i = 0; i < 8; ++i) info[16 + i] = static_cast<char>(deleted >> (8 * i));
    info += std::string("\x0e\0\0\0", 4) + std::string(28, '\0');
    WriteText(bin + L"\\$I" + id, info);
    MakeFile(bin + L"\\$R" + id + (folder ? L"\\inside.txt" : L""), 100);
  }
  bool Has(const std::wstring& id) const { return Exists(bin + L"\\$I" + id) && Exists(bin + L"\\$R" + id); }
  bool HasNeither(const std::wstring& id) const { return !Exists(bin + L"\\$I" + id) && !Exists(bin + L"\\$R" + id); }

  const std::wstring bin = L"C:\\$Recycle.Bin\\" + platform::UserSid();
};

TEST_F(RecycleBinAges, OnlyItemsDeletedBeforeTheAgeGoEachWithItsInfoFile) {
  ASSERT_FALSE(platform::UserSid().empty());
  for (const Bound& bound : kBounds) {
    if (AnyAge(bound)) continue;  // the shell empties the whole bin, as it always did
    SCOPED_TRACE(bound.hours);
    Recycle(L"YOUNG1.txt", bound.young);
    Recycle(L"OLD001.txt", bound.old);
    Recycle(L"OLDDIR", bound.old, true);
    engine::ItemReport preview = RunWith({{L"WINDOWS", L"recycle"}}, {{L"RecycleMinAgeHours", bound.hours}}, true);
    EXPECT_EQ(preview.tooNew, std::vector<std::wstring>{bin + L"\\$RYOUNG1.txt"});
    EXPECT_EQ(TooNewLines(preview, true), 1u);
    EXPECT_TRUE(Has(L"OLD001.txt"));
    engine::ItemReport item = RunWith({{L"WINDOWS", L"recycle"}}, {{L"RecycleMinAgeHours", bound.hours}}, false);
    EXPECT_EQ(item.tooNew.size(), 1u);
    EXPECT_EQ(item.steps, std::vector<std::wstring>{});  // the shell's emptying is not asked for
    EXPECT_TRUE(Has(L"YOUNG1.txt"));
    EXPECT_TRUE(HasNeither(L"OLD001.txt"));
    EXPECT_TRUE(HasNeither(L"OLDDIR"));
    EXPECT_EQ(item.files.size(), 4u);  // the old file and the file in the old folder, with their $I files
  }
}

TEST_F(RecycleBinAges, AnItemThatStaysKeepsItsInfoFile) {
  Recycle(L"STAYS1.txt", 48h);
  const std::wstring item = bin + L"\\$RSTAYS1.txt";
  SetFileAttributesW(item.c_str(), FILE_ATTRIBUTE_READONLY);
  engine::ItemReport report = RunWith({{L"WINDOWS", L"recycle"}}, {{L"RecycleMinAgeHours", L"24"}}, false);
  EXPECT_TRUE(Has(L"STAYS1.txt"));
  ASSERT_EQ(report.leftBehind.size(), 1u);
  EXPECT_EQ(report.leftBehind[0].path, item);
  SetFileAttributesW(item.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The shell empties a bin whole, sparing nothing: a bin that holds what the user keeps is emptied
// item by item around it, and the row says why. A kept item keeps its "$I" file, and a folder that
// holds a kept file stays with it.
TEST_F(RecycleBinAges, ABinHoldingWhatTheUserKeepsIsEmptiedItemByItemAroundIt) {
  Recycle(L"KEPT01.txt", 48h);
  Recycle(L"GOES01.txt", 48h);
  Recycle(L"HOLDER", 48h, true);
  for (const std::wstring& kept : {bin + L"\\$RKEPT01.txt", bin + L"\\$RHOLDER\\inside.txt"}) {
    ASSERT_TRUE(engine::KeepPath(program.Path(), kept, L"a test"));
  }
  engine::ItemReport item = RunWith({{L"WINDOWS", L"recycle"}}, {{L"RecycleMinAgeHours", L"0"}}, false);
  EXPECT_TRUE(item.steps.empty());  // the shell was not asked
  EXPECT_EQ(item.outcome, L"Done, item by item: the Recycle Bin holds files you keep");
  EXPECT_TRUE(Has(L"KEPT01.txt"));
  EXPECT_TRUE(Has(L"HOLDER"));
  EXPECT_TRUE(Exists(bin + L"\\$RHOLDER\\inside.txt"));
  EXPECT_TRUE(HasNeither(L"GOES01.txt"));
  EXPECT_EQ(item.kept.size(), 2u);
  EXPECT_TRUE(item.leftBehind.empty());
}

}  // namespace
