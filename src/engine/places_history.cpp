#include "engine/places_history.h"

#include <windows.h>

#include <iterator>
#include <optional>
#include <string_view>
#include <vector>

#include "engine/path_guard.h"
#include "engine/untrusted_database.h"
#include "platform/files.h"
#include "platform/sqlite_database.h"
#include "platform/text.h"

namespace engine {

namespace {

// The tables Firefox's history needs; a database without them is not one.
constexpr const char* kRequiredTables[] = {"moz_places", "moz_historyvisits", "moz_bookmarks"};

// Each statement runs when its table exists (the tables came with Firefox's versions). The pages
// that a bookmark, a tag (a bookmark too) or a keyword refers to stay, without their visits.
struct Statement {
  const char* table;
  const char* sql;
};
constexpr Statement kErasure[] = {
    {"moz_historyvisits", "DELETE FROM moz_historyvisits"},
    {"moz_inputhistory", "DELETE FROM moz_inputhistory"},
    {"moz_places_metadata", "DELETE FROM moz_places_metadata"},
    {"moz_places_metadata_search_queries", "DELETE FROM moz_places_metadata_search_queries"},
    {"moz_places",
     "DELETE FROM moz_places WHERE id NOT IN (SELECT fk FROM moz_bookmarks WHERE fk IS NOT NULL)"
     " AND id NOT IN (SELECT place_id FROM moz_keywords WHERE place_id IS NOT NULL)"},
    {"moz_places", "UPDATE moz_places SET visit_count = 0, last_visit_date = NULL, typed = 0"},
    {"moz_annos", "DELETE FROM moz_annos WHERE place_id NOT IN (SELECT id FROM moz_places)"},
    {"moz_origins", "DELETE FROM moz_origins WHERE id NOT IN (SELECT origin_id FROM moz_places)"},
};

// Every table the erasure reads or changes: the keyword table stands in its statement.
std::vector<const char*> TablesRead() {
  std::vector<const char*> tables(std::begin(kRequiredTables), std::end(kRequiredTables));
  tables.push_back("moz_keywords");
  for (const Statement& statement : kErasure) tables.push_back(statement.table);
  return tables;
}

bool IsHistoryDatabase(platform::SqliteDatabase& db) {
  if (db.Text("PRAGMA quick_check") != L"ok") return false;
  for (const char* table : kRequiredTables) {
    if (!db.HasTable(table)) return false;
  }
  // The keyword statement names its table; a database without one has nothing to keep there.
  return db.HasTable("moz_keywords") || db.Execute("CREATE TEMP TABLE moz_keywords (place_id INTEGER)");
}

// All statements or none: a failure rolls back what went before it. The rows each table lost.
std::optional<DatabaseRecord::Tables> EraseInOneTransaction(platform::SqliteDatabase& db) {
  if (!db.Execute("BEGIN IMMEDIATE")) return std::nullopt;
  DatabaseRecord::Tables removed;
  for (const Statement& statement : kErasure) {
    if (!db.HasTable(statement.table)) continue;
    if (!db.Execute(statement.sql)) {
      db.Execute("ROLLBACK");
      return std::nullopt;
    }
    const long long rows = db.Changes();
    if (std::string_view(statement.sql).starts_with("DELETE") && rows > 0) {
      removed.emplace_back(platform::Widen(statement.table), static_cast<size_t>(rows));
    }
  }
  if (!db.Execute("COMMIT")) return std::nullopt;
  return removed;
}

}  // namespace

void EraseFirefoxHistory(const EraseContext& ctx, const std::wstring& places) {
  if (ctx.Stopped() || GetFileAttributesW(platform::ApiPath(places).c_str()) == INVALID_FILE_ATTRIBUTES) return;
  auto target = GuardedTarget(ctx, places);
  if (!target) return;
  using Use = UntrustedDatabase::Use;
  auto database = UntrustedDatabase::Open(ctx, *target, ctx.Previewing() ? Use::Read : Use::Clean);
  if (!database) {
    ctx.LeftBehind(*target, database.Reason());
    return;
  }
  platform::SqliteDatabase& db = database->Db();
  if (auto plain = database->CheckTables(TablesRead()); !plain) {
    ctx.LeftBehind(*target, plain.Reason());
    return;
  }
  if (!IsHistoryDatabase(db)) {
    ctx.LeftBehind(*target, database->Interrupted() ? database->Failed()
                                                    : L"left whole: not a history database, or a damaged one");
    return;
  }
  if (!ctx.Perform(L"Erase the history inside " + *target)) return;
  // The compaction leaves no page of what went behind.
  std::optional<DatabaseRecord::Tables> removed = EraseInOneTransaction(db);
  if (!removed || !db.Execute("VACUUM")) {
    ctx.LeftBehind(*target, database->Failed());
    return;
  }
  platform::Result<size_t> after = database->Replace();
  if (!after) {
    ctx.LeftBehind(*target, after.Reason());
    return;
  }
  ctx.Database({*target, std::move(*removed), static_cast<double>(database->SizeBefore() - *after)});
}

}  // namespace engine
