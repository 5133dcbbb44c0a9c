#include "engine/places_history.h"

#include <windows.h>

#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "engine/path_guard.h"
#include "engine/untrusted_database.h"
#include "platform/files.h"
#include "platform/sqlite_database.h"
#include "platform/text.h"
#include "platform/translation.h"

namespace engine {

namespace {

// The tables Firefox's history needs; a database without them is not one.
constexpr const char* kRequiredTables[] = {"moz_places", "moz_historyvisits", "moz_bookmarks"};

// Each removal runs when its table exists (the tables came with Firefox's versions): the rows of the
// table that match its condition go. The pages that a bookmark, a tag (a bookmark too) or a keyword
// refers to stay, without their visits: they are noted first, so that the conditions read the same
// before the removals and after them, and a preview counts on the file as it is what a cleaning removes.
struct Removal {
  const char* table;
  const char* condition;
};
constexpr char kNoteKeptPages[] =
    "CREATE TEMP TABLE kept_pages AS SELECT id FROM moz_places"
    " WHERE id IN (SELECT fk FROM moz_bookmarks WHERE fk IS NOT NULL)"
    " OR id IN (SELECT place_id FROM moz_keywords WHERE place_id IS NOT NULL)";
constexpr Removal kRemovals[] = {
    {"moz_historyvisits", "1"},
    {"moz_inputhistory", "1"},
    {"moz_places_metadata", "1"},
    {"moz_places_metadata_search_queries", "1"},
    {"moz_places", "id NOT IN (SELECT id FROM temp.kept_pages)"},
    {"moz_annos", "place_id NOT IN (SELECT id FROM temp.kept_pages)"},
    {"moz_origins", "id NOT IN (SELECT origin_id FROM moz_places WHERE id IN (SELECT id FROM temp.kept_pages))"},
};
// The pages that stay forget their visits.
constexpr char kForgetVisits[] = "UPDATE moz_places SET visit_count = 0, last_visit_date = NULL, typed = 0";

// Every table the erasure reads or changes: the keyword table stands in the kept pages' statement.
std::vector<const char*> TablesRead() {
  std::vector<const char*> tables(std::begin(kRequiredTables), std::end(kRequiredTables));
  tables.push_back("moz_keywords");
  for (const Removal& removal : kRemovals) tables.push_back(removal.table);
  return tables;
}

bool IsHistoryDatabase(platform::SqliteDatabase& db) {
  if (db.Text("PRAGMA quick_check") != L"ok") return false;
  for (const char* table : kRequiredTables) {
    if (!db.HasTable(table)) return false;
  }
  // The kept pages name the keyword table; a database without one has nothing to keep there.
  return (db.HasTable("moz_keywords") || db.Execute("CREATE TEMP TABLE moz_keywords (place_id INTEGER)")) &&
         db.Execute(kNoteKeptPages);
}

// All removals or none: a failure rolls back what went before it. The rows each table lost.
std::optional<DatabaseRecord::Tables> EraseInOneTransaction(platform::SqliteDatabase& db) {
  if (!db.Execute("BEGIN IMMEDIATE")) return std::nullopt;
  DatabaseRecord::Tables removed;
  for (const Removal& removal : kRemovals) {
    if (!db.HasTable(removal.table)) continue;
    if (!db.Execute(std::string("DELETE FROM ") + removal.table + " WHERE " + removal.condition)) {
      db.Execute("ROLLBACK");
      return std::nullopt;
    }
    if (const long long rows = db.Changes(); rows > 0) {
      removed.emplace_back(platform::Widen(removal.table), static_cast<size_t>(rows));
    }
  }
  if (!db.Execute(kForgetVisits) || !db.Execute("COMMIT")) {
    db.Execute("ROLLBACK");
    return std::nullopt;
  }
  return removed;
}

// The rows each table would lose, read from the file as it is; nothing when a count failed.
std::optional<DatabaseRecord::Tables> CountRemovals(platform::SqliteDatabase& db) {
  DatabaseRecord::Tables found;
  for (const Removal& removal : kRemovals) {
    if (!db.HasTable(removal.table)) continue;
    auto rows = db.Rows(std::string("SELECT COUNT(*) FROM ") + removal.table + " WHERE " + removal.condition);
    if (rows.size() != 1 || rows[0].size() != 1) return std::nullopt;
    if (const long long count = std::wcstoll(rows[0][0].c_str(), nullptr, 10); count > 0) {
      found.emplace_back(platform::Widen(removal.table), static_cast<size_t>(count));
    }
  }
  return found;
}

}  // namespace

void EraseFirefoxHistory(const EraseContext& erase, const std::wstring& places) {
  if (erase.Stopped() || GetFileAttributesW(platform::ApiPath(places).c_str()) == INVALID_FILE_ATTRIBUTES) return;
  auto target = GuardedTarget(erase, places);
  if (!target) return;
  using Use = UntrustedDatabase::Use;
  auto database = UntrustedDatabase::Open(erase, *target, erase.Previewing() ? Use::Read : Use::Clean);
  if (!database) {
    LeaveDatabase(erase, *target, database);
    return;
  }
  platform::SqliteDatabase& db = database->Db();
  if (auto plain = database->CheckTables(TablesRead()); !plain) {
    LeaveDatabase(erase, *target, plain);
    return;
  }
  if (!IsHistoryDatabase(db)) {
    erase.LeftBehind(*target, database->Interrupted()
                                  ? database->Failed()
                                  : platform::Tr(L"left whole: not a history database, or a damaged one"));
    return;
  }
  if (!erase.Perform(platform::Fill(platform::Tr(L"Erase the history inside {path}"), {{L"path", *target}}))) {
    // A preview names the erasure and, when it can count them, the rows it would remove.
    if (!erase.Previewing() || erase.Stopped()) return;
    if (std::optional<DatabaseRecord::Tables> found = CountRemovals(db); found && !database->Interrupted()) {
      erase.Database({*target, std::move(*found), std::nullopt});
    }
    return;
  }
  // The compaction leaves no page of what went behind.
  std::optional<DatabaseRecord::Tables> removed = EraseInOneTransaction(db);
  if (!removed || !db.Execute("VACUUM")) {
    erase.LeftBehind(*target, database->Failed());
    return;
  }
  platform::Result<size_t> after = database->Replace();
  if (!after) {
    LeaveDatabase(erase, *target, after);
    return;
  }
  erase.Database({*target, std::move(*removed), static_cast<double>(database->SizeBefore() - *after)});
}

}  // namespace engine
