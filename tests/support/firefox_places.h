#pragma once
// A small "places.sqlite" as Firefox keeps it: the history and the bookmarks in one database.
#include <windows.h>

#include <string>

#include "platform/sqlite_database.h"
#include "support/test_support.h"

namespace testing_support {

// The parts of Firefox's schema the cleaning works on, with a bookmarked page, a page with a keyword,
// a tagged page and two pages only visited.
constexpr char kFirefoxPlaces[] =
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

// Makes the database at `path` (its folders too), replacing any file there.
inline bool MakeFirefoxPlaces(const std::wstring& path) {
  MakeFile(path, 0);
  DeleteFileW(path.c_str());
  platform::SqliteDatabase db(path, platform::SqliteDatabase::Mode::Create);
  return db.Execute(kFirefoxPlaces);
}

}  // namespace testing_support
