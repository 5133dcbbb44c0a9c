// Firefox's history goes from inside "places.sqlite"; its bookmarks, tags and keywords stay.
#include <gtest/gtest.h>

#include "catalogue/catalogue_fixture.h"
#include "platform/sqlite_database.h"
#include "support/firefox_places.h"
#include "support/held_file.h"

using namespace testing_support;

namespace {

class FirefoxHistory : public CatalogueTest {
 protected:
  std::wstring places = root / L"Roaming\\Mozilla\\Firefox\\Profiles\\abcd1234.default-release\\places.sqlite";

  void MakePlaces() { ASSERT_TRUE(MakeFirefoxPlaces(places)); }
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
    ASSERT_TRUE(
        foreign.Execute("CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url TEXT);"
                        "INSERT INTO moz_places VALUES (1, 'https://stays.example/')"));
  }
  EXPECT_TRUE(LeftBehindReason(RunHistory()).starts_with(L"left whole: "));
  EXPECT_EQ(platform::SqliteDatabase(places).Number("SELECT count(*) FROM moz_places"), 1);
}
