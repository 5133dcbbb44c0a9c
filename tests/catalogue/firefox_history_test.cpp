// Firefox's history goes from inside "places.sqlite"; its bookmarks, tags and keywords stay.
#include <gtest/gtest.h>

#include "catalogue/catalogue_fixture.h"
#include "platform/sqlite_database.h"
#include "support/held_file.h"

using namespace testing_support;

namespace {

// The parts of Firefox's schema the cleaning works on, with a bookmarked page, a page with a keyword,
// a tagged page and two pages only visited.
constexpr char kPlaces[] =
    "CREATE TABLE moz_origins (id INTEGER PRIMARY KEY, host TEXT);"
    "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url TEXT, title TEXT, visit_count INTEGER, "
    "  last_visit_date INTEGER, typed INTEGER, origin_id INTEGER);"
    "CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, place_id INTEGER, visit_date INTEGER);"
    "CREATE TABLE moz_inputhistory (place_id INTEGER, input TEXT, use_count REAL);"
    "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER, parent INTEGER, title TEXT);"
    "CREATE TABLE moz_keywords (id INTEGER PRIMARY KEY, keyword TEXT, place_id INTEGER);"
    "CREATE TABLE moz_annos (id INTEGER PRIMARY KEY, place_id INTEGER, content TEXT);"
    "INSERT INTO moz_origins VALUES (1, 'bookmarked.example'), (2, 'secret-origin.example');"
    "INSERT INTO moz_places VALUES (1, 'https://bookmarked.example/', 'Kept', 3, 1, 1, 1),"
    "  (2, 'https://keyword.example/?q=%s', 'Search', 2, 1, 0, 1),"
    "  (3, 'https://tagged.example/', 'Tagged', 1, 1, 0, 1),"
    "  (4, 'https://secret-origin.example/visited-only-page', 'Visited', 5, 1, 1, 2),"
    "  (5, 'https://secret-origin.example/another-visited-page', 'Visited', 1, 1, 0, 2);"
    "INSERT INTO moz_historyvisits (place_id, visit_date) VALUES (1, 1), (4, 2), (4, 3), (5, 4);"
    "INSERT INTO moz_inputhistory VALUES (4, 'secret-typed-input', 1);"
    "INSERT INTO moz_bookmarks VALUES (1, 2, NULL, 0, 'root'), (2, 2, NULL, 1, 'Toolbar'),"
    "  (3, 1, 1, 2, 'Kept'), (4, 2, NULL, 1, 'my-tag'), (5, 1, 3, 4, NULL);"
    "INSERT INTO moz_keywords VALUES (1, 'k', 2);"
    "INSERT INTO moz_annos VALUES (1, 4, 'secret-download-annotation'), (2, 1, 'kept annotation');";

class FirefoxHistory : public CatalogueTest {
 protected:
  std::wstring places = root / L"Roaming\\Mozilla\\Firefox\\Profiles\\abcd1234.default-release\\places.sqlite";

  void MakePlaces() {
    MakeFile(places, 0);
    DeleteFileW(places.c_str());
    platform::SqliteDatabase db(places, platform::SqliteDatabase::Mode::Create);
    ASSERT_TRUE(db.Execute(kPlaces)) << db.Error();
  }
  engine::RunReport RunHistory() {
    WriteText(program / L"prisd.dat", "[FIREFOX]\r\nHistory=1\r\n");
    run::CleanRun run(view, program.Path(), values, catalogue::Stages());
    run.CleanNow();
    return run.LastReport();
  }
  std::wstring LeftBehindReason(const engine::RunReport& report) const {
    for (const engine::ItemReport& item : report.items) {
      for (const auto& left : item.leftBehind) {
        if (left.path == places) return left.reason;
      }
    }
    return L"";
  }
};

}  // namespace

TEST_F(FirefoxHistory, VisitsAndVisitedPagesGoBookmarksTagsAndKeywordsStay) {
  MakePlaces();
  RunHistory();
  platform::SqliteDatabase db(places);
  ASSERT_TRUE(db.IsOpen());
  EXPECT_EQ(db.Number("SELECT count(*) FROM moz_bookmarks"), 5);
  EXPECT_EQ(db.Text("SELECT url FROM moz_places JOIN moz_bookmarks ON fk = moz_places.id WHERE moz_bookmarks.id = 3"),
            L"https://bookmarked.example/");
  EXPECT_EQ(db.Number("SELECT count(*) FROM moz_places"), 3);
  EXPECT_EQ(db.Text("SELECT keyword FROM moz_keywords JOIN moz_places ON place_id = moz_places.id"), L"k");
  EXPECT_EQ(db.Number("SELECT count(*) FROM moz_historyvisits"), 0);
  EXPECT_EQ(db.Number("SELECT count(*) FROM moz_inputhistory"), 0);
  EXPECT_EQ(db.Number("SELECT sum(visit_count) + sum(typed) FROM moz_places"), 0);
  EXPECT_EQ(db.Number("SELECT count(*) FROM moz_origins"), 1);
  EXPECT_EQ(db.Text("SELECT content FROM moz_annos"), L"kept annotation");
  // Compacted: not a byte of what went can be read back from the file.
  std::string bytes = ReadText(places);
  for (const char* gone : {"visited-only-page", "another-visited-page", "secret-typed-input", "secret-origin",
                           "secret-download-annotation"}) {
    EXPECT_EQ(bytes.find(gone), std::string::npos) << gone;
  }
}

TEST_F(FirefoxHistory, ADatabaseItsBrowserHoldsOpenIsLeftInUse) {
  MakePlaces();
  std::string before = ReadText(places);
  {
    HeldByAnotherProcess firefox(places, L"rw");
    ASSERT_TRUE(firefox.holding());
    EXPECT_EQ(LeftBehindReason(RunHistory()), L"in use");
  }
  EXPECT_EQ(ReadText(places), before);
}

TEST_F(FirefoxHistory, ADamagedOrForeignDatabaseIsLeftWhole) {
  const std::string kDamaged[] = {
      std::string("SQLite format 3") + '\0' + std::string(200, 'x'),  // a header and garbage
      "not a database at all",
  };
  for (const std::string& text : kDamaged) {
    WriteText(places, text);
    EXPECT_TRUE(LeftBehindReason(RunHistory()).starts_with(L"left whole: ")) << text;
    EXPECT_EQ(ReadText(places), text);
  }
  DeleteFileW(places.c_str());
  {
    platform::SqliteDatabase foreign(places, platform::SqliteDatabase::Mode::Create);
    ASSERT_TRUE(foreign.Execute("CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url TEXT);"
                                "INSERT INTO moz_places VALUES (1, 'https://stays.example/')"));
  }
  EXPECT_TRUE(LeftBehindReason(RunHistory()).starts_with(L"left whole: "));
  EXPECT_EQ(platform::SqliteDatabase(places).Number("SELECT count(*) FROM moz_places"), 1);
}
