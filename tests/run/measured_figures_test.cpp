#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "cli/cli.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/handles.h"
#include "platform/sqlite_database.h"
#include "platform/text.h"
#include "settings/inifun.h"
#include "support/mini_json.h"
#include "support/seeded_profile.h"

using namespace testing_support;

namespace {

constexpr const char* kHistoryTables[] = {"moz_historyvisits", "moz_inputhistory", "moz_places", "moz_annos",
                                          "moz_origins"};

void AddFiles(const std::wstring& folder, std::map<std::wstring, double>& files) {
  platform::ListFolder(folder, [&](const platform::FolderEntry& entry) {
    const std::wstring path = folder + L"\\" + entry.name;
    if (entry.IsFolder()) {
      AddFiles(path, files);
    } else {
      files[path] = static_cast<double>(entry.size);
    }
  });
}

void AddRegistry(const std::wstring& subkey, std::set<std::wstring>& entries) {
  platform::RegKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, subkey.c_str(), 0, KEY_READ, key.out()) != ERROR_SUCCESS) return;
  entries.insert(subkey);
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    if (RegEnumValueW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    entries.insert(subkey + L"\\:" + name);
  }
  std::vector<std::wstring> children;
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    if (RegEnumKeyExW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    children.push_back(subkey + L"\\" + name);
  }
  for (const std::wstring& child : children) AddRegistry(child, entries);
}

// What the profile holds, as the test reads it itself: every file with its size, every registry key and
// value, the rows of each table of the history database.
struct Disk {
  explicit Disk(const SeededProfile& profile) {
    AddFiles(profile.root.Path(), files);
    AddRegistry(profile.registry.Subkey(), registry);
    platform::SqliteDatabase db(Places(profile), platform::SqliteDatabase::Mode::ReadOnly);
    for (const char* table : kHistoryTables)
      rows[platform::Widen(table)] = db.Number("SELECT COUNT(*) FROM " + std::string(table));
  }
  static std::wstring Places(const SeededProfile& profile) {
    return profile.values.appDataFolder + L"\\Mozilla\\Firefox\\Profiles\\abc.default\\places.sqlite";
  }
  std::map<std::wstring, double> files;
  std::set<std::wstring> registry;
  std::map<std::wstring, long long> rows;
};

// The difference between two readings: files gone and their bytes, what the files that stayed shed,
// the registry entries gone, and the rows each table lost.
struct Gone {
  Gone(const Disk& before, const Disk& after) {
    for (const auto& [path, size] : before.files) {
      auto kept = after.files.find(path);
      if (kept == after.files.end()) {
        ++files;
        bytes += size;
      } else {
        shed += size - kept->second;
      }
    }
    for (const std::wstring& entry : before.registry) registryEntries += after.registry.count(entry) ? 0 : 1;
    for (const auto& [table, count] : before.rows) {
      if (long long lost = count - after.rows.at(table)) tables[table] = static_cast<size_t>(lost);
      rows += static_cast<size_t>(count - after.rows.at(table));
    }
  }
  // "64 files, 5.16 MB, 6 registry entries, 7 rows removed inside 1 database, 0.09 MB freed"
  std::wstring Figures() const {
    return std::to_wstring(files) + L" files, " + platform::Megabytes(bytes) + L" MB, " +
           std::to_wstring(registryEntries) + L" registry entries, " + Inside();
  }
  std::wstring Inside() const {
    return std::to_wstring(rows) + L" rows removed inside 1 database, " + platform::Megabytes(shed) + L" MB freed";
  }
  size_t files = 0, registryEntries = 0, rows = 0;
  double bytes = 0, shed = 0;
  std::map<std::wstring, size_t> tables;
};

// The sample traces with a history of a few thousand visits, so that its compaction frees pages.
void SeedTraces(SeededProfile& profile) {
  platform::SqliteDatabase db(Disk::Places(profile));
  ASSERT_TRUE(
      db.Execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                 "INSERT INTO moz_historyvisits (place_id, visit_date) SELECT 4, i FROM n"));
}

}  // namespace

// A cleaning of the sample traces, ended by its message, by its pop-up and by the console: every place
// that shows its figures shows what the disk and the registry lost, the rows and bytes inside the
// history database too.
TEST(MeasuredFigures, EveryPlaceShowsWhatTheDiskLost) {
  for (run::RunEnd end : {run::RunEnd::MessageBox, run::RunEnd::Notification}) {
    SeededProfile profile;
    SeedTraces(profile);
    const Disk before(profile);
    RecordingView view;
    std::unique_ptr<run::CleanRun> run = profile.MakeRun(view);
    ASSERT_TRUE(run->CleanNow(end));
    const Gone gone(before, Disk(profile));
    ASSERT_GT(gone.shed, 0);
    ASSERT_EQ(gone.tables.size(), 5u);

    size_t files = 0, entries = 0, erasedLines = 0;
    double bytes = 0;
    for (const Row& row : view.rows) {
      files += row.files;
      bytes += row.bytes;
      entries += row.registryEntries;
    }
    EXPECT_EQ(files, gone.files);
    EXPECT_EQ(bytes, gone.bytes);
    EXPECT_EQ(entries, gone.registryEntries);
    EXPECT_EQ(view.rows[0].label, L"Firefox Address Bar History");
    EXPECT_EQ(view.rows[0].state, L"Done, " + gone.Inside());

    const std::wstring places = Disk::Places(profile);
    std::vector<std::wstring> history = AllDetailLines(run->LastReport().items[0], false);
    for (const auto& [table, rows] : gone.tables) {
      const std::wstring line = L"Removed " + std::to_wstring(rows) + (rows == 1 ? L" row" : L" rows") + L" from " +
                                table + L" inside " + places;
      EXPECT_NE(std::find(history.begin(), history.end(), line), history.end()) << line;
    }
    EXPECT_NE(std::find(history.begin(), history.end(),
                        L"Compacted " + places + L": " + platform::FormatNumber(gone.shed) + L" bytes freed"),
              history.end());
    for (const engine::ItemReport& item : run->LastReport().items) {
      for (const std::wstring& line : AllDetailLines(item, false)) {
        erasedLines += line.starts_with(L"Erased file: ") && !line.ends_with(L"already counted)");
      }
    }
    EXPECT_EQ(erasedLines, gone.files);

    const std::wstring said =
        end == run::RunEnd::MessageBox ? view.messages.at(0).second : view.notifications.at(0).description;
    const std::wstring measured =
        L"\nTrellwipe's running estimates are above; measured in this cleaning: " + gone.Figures() + L".";
    EXPECT_TRUE(said.ends_with(measured)) << said;
    EXPECT_EQ(view.statisticsTip,
              L"These are Trellwipe's running estimates; measured in the last cleaning: " + gone.Figures());
  }

  SeededProfile profile;
  SeedTraces(profile);
  const Disk before(profile);
  cli::Output output;
  ASSERT_EQ(cli::Run({L"--clean", L"--json"}, profile.program.Path(), profile.values, output, {}), cli::kExitDone)
      << output.err;
  const Gone gone(before, Disk(profile));
  const Json json = JsonReader::Parse(output.out);
  const Json& totals = json["totals"];
  EXPECT_EQ(totals["files"].number, gone.files);
  EXPECT_EQ(totals["bytes"].number, gone.bytes);
  EXPECT_EQ(totals["registryEntries"].number, gone.registryEntries);
  EXPECT_EQ(totals["databaseRows"].number, gone.rows);
  EXPECT_EQ(totals["databaseBytes"].number, gone.shed);
  const Json& database = json["items"][0]["databases"][0];
  EXPECT_EQ(database["path"].text, platform::Narrow(Disk::Places(profile)));
  ASSERT_EQ(database["tables"].size(), gone.tables.size());
  for (const Json& table : database["tables"].items) {
    EXPECT_EQ(table["rows"].number, gone.tables.at(platform::Widen(table["table"].text))) << table["table"].text;
  }
}

// Both Firefox items clean inside the same history: the preview counts, from the file as it is, the
// rows the cleaning then removes, once, and the second item of either says the first did it.
TEST(MeasuredFigures, APreviewCountsTheRowsOfADatabaseAndASecondItemCountsThemNoMore) {
  SeededProfile profile;
  SeedTraces(profile);
  settings::inifun::WriteIniValue(profile.Settings(), L"FIREFOX", L"History", L"1");
  const std::wstring places = Disk::Places(profile);
  const Disk before(profile);
  RecordingView view;
  std::unique_ptr<run::CleanRun> run = profile.MakeRun(view);
  const std::optional<engine::RunReport> preview = run->Preview();
  ASSERT_TRUE(preview);
  ASSERT_TRUE(run->CleanNow());
  const Gone gone(before, Disk(profile));
  ASSERT_EQ(gone.tables.size(), 5u);

  for (const engine::RunReport* report : {&*preview, &run->LastReport()}) {
    const engine::ItemReport& first = report->items.at(0);
    ASSERT_EQ(first.label, L"Firefox Address Bar History");
    ASSERT_EQ(first.databases.size(), 1u) << report->preview;
    const std::map<std::wstring, size_t> counted(first.databases[0].tables.begin(), first.databases[0].tables.end());
    EXPECT_EQ(counted, gone.tables) << report->preview;
    const auto second = std::find_if(report->items.begin(), report->items.end(), [](const engine::ItemReport& item) {
      return item.label == L"Firefox History Files";
    });
    ASSERT_NE(second, report->items.end());
    EXPECT_TRUE(second->databases.empty()) << report->preview;
    EXPECT_EQ(AllDetailLines(*second, report->preview).back(),
              (report->preview ? L"Would clean inside: " : L"Cleaned inside: ") + places + L" (already counted)");
  }
  const std::vector<std::wstring> previewed = AllDetailLines(preview->items[0], true);
  const std::wstring visits = L"Would remove " + std::to_wstring(gone.tables.at(L"moz_historyvisits")) +
                              L" rows from moz_historyvisits inside " + places;
  EXPECT_NE(std::find(previewed.begin(), previewed.end(), visits), previewed.end()) << visits;
  EXPECT_EQ(engine::PreviewState(preview->items[0]),
            L"Would erase, " + std::to_wstring(gone.rows) + L" rows to remove inside 1 database");
  const auto row = std::find_if(view.rows.begin(), view.rows.end(),
                                [](const Row& shown) { return shown.label == L"Firefox History Files"; });
  ASSERT_NE(row, view.rows.end());
  EXPECT_EQ(row->state, L"Done");
}

// A user's totals row, closing the user's items in a cleaning of every user, names the work inside
// databases as the items' rows do; a preview names the rows alone.
TEST(MeasuredFigures, AUsersTotalsNameTheWorkInsideDatabases) {
  for (bool preview : {false, true}) {
    engine::RunReport report;
    report.preview = preview;
    engine::ItemReport item;
    item.files = {{L"C:\\Users\\anna\\a.tmp", 1048576}};
    item.databases.resize(1);
    item.databases[0].path = L"C:\\Users\\anna\\places.sqlite";
    item.databases[0].tables = {{L"moz_places", 3}, {L"moz_historyvisits", 4}};
    if (!preview) item.databases[0].bytesFreed = 94372;
    report.items = {item, item};
    report.items[1].databases[0].path = L"C:\\Users\\anna\\other.sqlite";
    EXPECT_EQ(engine::UserGroupTotals(report, {L"anna", L"C:\\Users\\anna", 0, 2}),
              preview
                  ? L"Totals of anna: 2 files (2.00 MB) and 0 registry entries, 14 rows to remove inside 2 databases"
                  : L"Totals of anna: 2 files (2.00 MB) and 0 registry entries, 14 rows removed inside 2 "
                    L"databases, 0.18 MB freed");
  }
}
