// Databases another user of the computer planted where a cleaning meets them: a journal whose trailer
// names a file for SQLite to delete, a journal whose page SQLite would write into a database that is
// a link, a schema that runs code of its own. None may steer the cleaning: each database is left whole
// with its reason, and what it aimed at stays byte for byte. Today's browsers still clean.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

#include "catalogue/catalogue_fixture.h"
#include "engine/cookie_database.h"
#include "engine/cookie_sites.h"
#include "engine/places_history.h"
#include "support/cookie_databases.h"
#include "support/firefox_places.h"

using namespace testing_support;

namespace {

constexpr wchar_t kUnfinished[] =
    L"left whole: the browser did not close it cleanly; open and close the browser, then clean again";
constexpr uint32_t kPageSize = 4096;

std::string BigEndian(uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
          static_cast<char>(value)};
}

// A rollback journal as SQLite leaves it when a change did not finish: a header padded to a sector of
// 512 bytes, the page records (number, the page as it was, checksum), and, for a change over several
// databases, a trailer naming the super-journal. SQLite plays such a journal into the database it
// finds it beside, then deletes the super-journal when no journal it lists points back to it.
std::string HotJournal(uint32_t databasePages, const std::vector<std::pair<uint32_t, char>>& pages,
                       const std::string& superJournal = {}) {
  const std::string magic = "\xd9\xd5\x05\xf9\x20\xa1\x63\xd7";
  std::string journal = magic + BigEndian(static_cast<uint32_t>(pages.size())) + BigEndian(0) +
                        BigEndian(databasePages) + BigEndian(512) + BigEndian(kPageSize);
  journal.resize(512, '\0');
  for (const auto& [number, fill] : pages) {
    uint32_t checksum = 0;
    for (int at = kPageSize - 200; at > 0; at -= 200) checksum += static_cast<unsigned char>(fill);
    journal += BigEndian(number) + std::string(kPageSize, fill) + BigEndian(checksum);
  }
  if (!superJournal.empty()) {
    uint32_t checksum = 0;
    for (char c : superJournal) checksum += static_cast<uint32_t>(static_cast<signed char>(c));
    journal += BigEndian(0x40000000 / kPageSize + 1) + superJournal + BigEndian(superJournal.size()) +
               BigEndian(checksum) + magic;
  }
  return journal;
}

uint32_t PagesOf(const std::wstring& path) { return static_cast<uint32_t>(ReadText(path).size() / kPageSize); }

std::wstring Fixture() {
  wchar_t fixture[MAX_PATH] = L"";
  GetEnvironmentVariableW(L"TRELLWIPE_LINK_FIXTURE", fixture, MAX_PATH);
  return fixture;
}

class PlantedDatabases : public CatalogueTest {
 protected:
  // The reasons the run's details give for the path.
  std::vector<std::wstring> Reasons(const std::wstring& path) const {
    std::vector<std::wstring> reasons;
    for (const engine::ItemReport& item : report.items) {
      for (const auto& left : item.leftBehind) {
        if (left.path == path) reasons.push_back(left.reason);
      }
    }
    return reasons;
  }
  // Runs one erasure as an item of a run does, with its records in `report`.
  void Erase(const std::function<void(const engine::EraseContext&)>& erasure, engine::EraseContext erase = {}) {
    report = {};
    engine::RunRecorder recorder(report);
    recorder.BeginItem(L"planted", L"planted", L"planted");
    erase.recorder = &recorder;
    erase.programFolder = program.Path();
    erasure(erase);
  }
  void CleanCookies(const std::wstring& path, engine::EraseContext erase = {}) {
    Erase([&](const engine::EraseContext& erase) { engine::CleanCookieDatabase(erase, path, *Schema(path)); }, erase);
  }
  static const engine::CookieSchema* Schema(const std::wstring& path) {
    const engine::CookieSchema* schema = engine::CookieDatabaseSchema(path);
    EXPECT_NE(schema, nullptr) << platform::Narrow(path);
    return schema;
  }

  const std::wstring victim = documents / L"Thesis\\final.txt";
  const std::string thesis = "Chapter one. What the user wrote and never chose to lose.";
  engine::RunReport report;
};

}  // namespace

// The Windows Temp item meets a "Cookies" that any user may drop in the Windows temp folder.
TEST_F(PlantedDatabases, AJournalNamingASuperJournalDeletesNothingFromTheWindowsTempFolder) {
  WriteText(victim, thesis);
  const std::wstring cookies = values.windowsFolder + L"\\temp\\Cookies";
  ASSERT_TRUE(MakeCookieDatabase(cookies, kChromiumCookies, {"tracker.io"}));
  const std::string database = ReadText(cookies);
  WriteText(cookies + L"-journal", HotJournal(PagesOf(cookies), {}, platform::Narrow(victim)));
  // The walk the Windows Temp item makes there (the whole item would also empty the test's own
  // folders in the user's temp folder).
  Erase([&](const engine::EraseContext& erase) {
    engine::allerase::EraseAllFilesInTree(erase, values.windowsFolder + L"\\temp");
  });
  EXPECT_EQ(ReadText(victim), thesis);
  EXPECT_TRUE(ReadText(cookies) == database);  // byte for byte
  // Named each time the item's walks meet it.
  const std::vector<std::wstring> reasons = Reasons(cookies);
  EXPECT_EQ(std::set<std::wstring>(reasons.begin(), reasons.end()), std::set<std::wstring>{kUnfinished});
}

// The emulator makes profile\places.sqlite a link to a program file of C:\windows\system32.
TEST_F(PlantedDatabases, ADatabaseThatIsALinkTakesNoPageOfAJournal) {
  const std::wstring places = Fixture() + L"\\profile\\places.sqlite";
  const std::wstring target = L"C:\\windows\\system32\\trellwipe-victim.dll";
  const std::string program = ReadText(target);
  ASSERT_EQ(program.size(), 2 * kPageSize);
  WriteText(places + L"-journal", HotJournal(2, {{1, 'X'}}));
  Erase([&](const engine::EraseContext& erase) { engine::EraseFirefoxHistory(erase, places); });
  EXPECT_TRUE(ReadText(target) == program);
  EXPECT_EQ(Reasons(places), std::vector<std::wstring>{L"refused: a link"});
}

// The emulator makes tree\sub\cache a link to the folder "outside".
TEST_F(PlantedDatabases, ADatabaseReachedThroughALinkOrWithAnotherNameStaysWhole) {
  const std::wstring outside = Fixture() + L"\\outside\\Cookies";
  ASSERT_TRUE(MakeCookieDatabase(outside, kChromiumCookies, {"tracker.io"}));
  const std::wstring hardLinked = root / L"Profile\\Cookies";
  ASSERT_TRUE(MakeCookieDatabase(root / L"Elsewhere\\Cookies", kChromiumCookies, {"tracker.io"}));
  MakeFolders(root / L"Profile");
  ASSERT_TRUE(CreateHardLinkW(hardLinked.c_str(), (root / L"Elsewhere\\Cookies").c_str(), nullptr));
  const std::string database = ReadText(outside);
  const struct {
    std::wstring path;
    const wchar_t* reason;
  } kCases[] = {
      {Fixture() + L"\\tree\\sub\\cache\\Cookies", L"refused: a link"},
      {hardLinked, L"refused: a file with more than one name"},
  };
  for (const auto& planted : kCases) {
    CleanCookies(planted.path);
    EXPECT_TRUE(ReadText(planted.path) == database) << platform::Narrow(planted.path);
    EXPECT_EQ(Reasons(planted.path), std::vector<std::wstring>{planted.reason}) << platform::Narrow(planted.path);
  }
}

TEST_F(PlantedDatabases, ASchemaThatRunsCodeOfItsOwnIsLeftWholeAtOnce) {
  // Chromium's table, but that the site's column may be computed.
  const auto table = [](const std::string& host) {
    return "CREATE TABLE cookies (creation_utc INTEGER NOT NULL, " + host +
           ", top_frame_site_key TEXT NOT NULL, name TEXT NOT NULL, value TEXT NOT NULL, encrypted_value BLOB NOT"
           " NULL, path TEXT NOT NULL, expires_utc INTEGER NOT NULL, site TEXT)";
  };
  const std::string plain = table("host_key TEXT");
  const struct {
    std::string schema;
    const char* insert;
    const wchar_t* reason;
  } kSchemas[] = {
      {plain + ";CREATE TRIGGER stall BEFORE DELETE ON cookies BEGIN SELECT COUNT(*) FROM (WITH RECURSIVE c(x) AS"
               " (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT x FROM c); END",
       kChromiumCookies.insert, L"left whole: a trigger acts on cookies"},
      {plain + ";CREATE TABLE filler (b BLOB);CREATE TRIGGER fill AFTER DELETE ON cookies BEGIN"
               " INSERT INTO filler VALUES (randomblob(2000000)); END",
       kChromiumCookies.insert, L"left whole: a trigger acts on cookies"},
      {table("host_key TEXT GENERATED ALWAYS AS (substr(printf('%.*c', 5000, 'x'), 1, 0) || site)"),
       "INSERT INTO cookies (site, name, value, creation_utc, top_frame_site_key, encrypted_value, path,"
       " expires_utc) VALUES ('%s', 'n%d', 'secret-value-%d', 1, '', x'00', '/', 0)",
       L"left whole: a generated column in cookies"},
  };
  for (const auto& planted : kSchemas) {
    const CookieTable planting = {planted.schema.c_str(), planted.insert, kChromiumCookies.hosts};
    const std::wstring cookies = root / L"Network\\Cookies";
    ASSERT_TRUE(MakeCookieDatabase(cookies, planting, std::vector<std::string>(150, "tracker.io")));
    const std::string database = ReadText(cookies);
    for (engine::EraseMode mode : {engine::EraseMode::Preview, engine::EraseMode::Erase}) {
      engine::EraseContext erase;
      erase.mode = mode;
      CleanCookies(cookies, erase);
      EXPECT_EQ(Reasons(cookies), std::vector<std::wstring>{planted.reason}) << planted.schema;
    }
    EXPECT_TRUE(ReadText(cookies) == database) << planted.schema;
  }
}

TEST_F(PlantedDatabases, AStopEndsTheCleaningOfADatabaseAndLeavesItWhole) {
  const std::wstring cookies = root / L"Network\\Cookies";
  std::vector<std::string> hosts;
  for (int i = 0; i < 3000; ++i) hosts.push_back("site" + std::to_string(i % 300) + ".example");
  ASSERT_TRUE(MakeCookieDatabase(cookies, kChromiumCookies, hosts));
  const std::string database = ReadText(cookies);
  engine::StopSignal stop;
  engine::EraseContext erase;
  erase.stop = &stop;
  erase.pump = [&] { stop.Request(); };
  erase.yieldInterval = {};
  CleanCookies(cookies, erase);
  EXPECT_EQ(Reasons(cookies), std::vector<std::wstring>{L"left whole: the run was stopped"});
  EXPECT_TRUE(ReadText(cookies) == database);  // byte for byte
}

// What browsers leave beside a database they closed cleanly does not stop the cleaning; what they
// leave when they did not, does.
TEST_F(PlantedDatabases, TodaysJournalsAndLogsAreJudgedByWhatTheyHold) {
  const std::wstring cookies = root / L"Profile\\cookies.sqlite";
  const struct {
    const char* name;
    const wchar_t* sidecar;
    std::string content;
    bool writeAheadLog;
    bool cleaned;
  } kCases[] = {
      {"none", nullptr, "", false, true},
      {"empty journal", L"-journal", "", false, true},
      {"zeroed journal", L"-journal", std::string(512, '\0'), false, true},
      {"empty log", L"-wal", "", true, true},
      {"log without frames", L"-wal", std::string(32, '\x37'), true, true},
      {"unfinished journal", L"-journal", HotJournal(2, {{2, 'J'}}), false, false},
      {"log with a frame", L"-wal", std::string(32 + 24 + kPageSize, '\x37'), true, false},
  };
  for (const auto& sidecar : kCases) {
    ASSERT_TRUE(MakeCookieDatabase(cookies, kFirefoxCookies, {"tracker.io", "kept.org"}));
    if (sidecar.writeAheadLog) {
      platform::SqliteDatabase db(cookies);
      ASSERT_EQ(db.Text("PRAGMA journal_mode = WAL"), L"wal");
    }
    if (sidecar.sidecar) WriteText(cookies + sidecar.sidecar, sidecar.content);
    const std::string database = ReadText(cookies);
    WriteText(engine::CookieKeepListFile(program.Path()), "site:kept.org\r\n");
    CleanCookies(cookies);
    if (sidecar.cleaned) {
      EXPECT_EQ(CookieHosts(cookies, kFirefoxCookies), std::vector<std::wstring>{L"kept.org 1"}) << sidecar.name;
      // A database in write-ahead-log mode stays in it.
      EXPECT_EQ(ReadText(cookies)[18], sidecar.writeAheadLog ? 2 : 1) << sidecar.name;
    } else {
      EXPECT_TRUE(ReadText(cookies) == database) << sidecar.name;
      EXPECT_EQ(Reasons(cookies), std::vector<std::wstring>{kUnfinished}) << sidecar.name;
    }
    for (const wchar_t* end : {L"-journal", L"-wal", L"-shm"}) DeleteFileW((cookies + end).c_str());
  }
}
