#include "engine/cookie_database.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <optional>
#include <span>

#include "engine/cookie_sites.h"
#include "engine/untrusted_database.h"
#include "platform/files.h"
#include "platform/locale_format.h"
#include "platform/sqlite_database.h"
#include "platform/table.h"
#include "platform/text.h"
#include "platform/text_file.h"
#include "platform/translation.h"

namespace engine {

namespace {

constexpr CookieSchema kSchemas[] = {
    {L"Cookies", "cookies", "host_key"},
    {L"cookies.sqlite", "moz_cookies", "host"},
};
constexpr const wchar_t* kSidecars[] = {L"-journal", L"-wal", L"-shm"};
constexpr char kSqliteHeader[] = "SQLite format 3";  // with its NUL, the file's first 16 bytes

std::wstring NameOf(const std::wstring& path) { return path.substr(path.find_last_of(L'\\') + 1); }

const CookieSchema* SchemaByName(const std::wstring& name) {
  return platform::FindRow(kSchemas, &CookieSchema::fileName, name, platform::EqualsNoCase);
}

struct SiteCount {
  long long gone = 0;
  long long kept = 0;
};

// The cookies of each site, and the hosts (as stored) whose cookies stay.
struct Census {
  std::map<std::wstring, SiteCount> sites;
  std::vector<std::wstring> keptHosts;
};

Census TakeCensus(platform::SqliteDatabase& db, const CookieSchema& schema, const KeptSites& kept) {
  Census census;
  std::string column = schema.hostColumn;
  for (const auto& row : db.Rows("SELECT " + column + ", COUNT(*) FROM " + schema.table + " GROUP BY " + column)) {
    long long count = _wtoi64(row[1].c_str());
    SiteCount& site = census.sites[SiteOf(row[0])];
    if (kept.Keeps(row[0])) {
      site.kept += count;
      census.keptHosts.push_back(row[0]);
    } else {
      site.gone += count;
    }
  }
  return census;
}

// All or nothing: the kept hosts go to a table of their own, and one statement deletes the rest; the
// rows it deleted.
std::optional<size_t> DeleteAllBut(platform::SqliteDatabase& db, const CookieSchema& schema,
                                   const std::vector<std::wstring>& hosts) {
  if (!db.Execute("BEGIN IMMEDIATE; CREATE TEMP TABLE kept_hosts (host TEXT PRIMARY KEY)")) return std::nullopt;
  bool done = true;
  for (const std::wstring& host : hosts) done = done && db.Execute("INSERT OR IGNORE INTO kept_hosts VALUES (?)", host);
  std::string column = schema.hostColumn;
  done = done && db.Execute("DELETE FROM " + std::string(schema.table) + " WHERE " + column +
                            " NOT IN (SELECT host FROM kept_hosts)");
  const long long deleted = db.Changes();
  if (!done) {
    db.Execute("ROLLBACK");
    return std::nullopt;
  }
  if (!db.Execute("COMMIT")) return std::nullopt;
  return static_cast<size_t>(deleted);
}

void RecordSites(const EraseContext& erase, const std::wstring& path, const Census& census) {
  for (const auto& [site, count] : census.sites) {
    if (count.gone)
      erase.Step(platform::Fill(platform::Tr(L"Erase the cookies of {site} ({count}) inside {path}"),
                                {{L"site", site}, {L"count", platform::ShownNumber(count.gone)}, {L"path", path}}));
    if (count.kept) {
      erase.Kept(path, KeptFor::Site, site,
                 platform::Fill(platform::Tr(L"the cookies of {site} ({count})"),
                                {{L"site", site}, {L"count", platform::ShownNumber(count.kept)}}));
    }
  }
}

}  // namespace

const CookieSchema* CookieDatabaseSchema(const std::wstring& path) {
  const CookieSchema* schema = SchemaByName(NameOf(path));
  if (!schema) return nullptr;
  std::optional<std::string> header = platform::ReadFileBytes(path, sizeof(kSqliteHeader));
  return header && *header == std::string(kSqliteHeader, sizeof(kSqliteHeader)) ? schema : nullptr;
}

bool NamesCookieDatabase(std::wstring_view name) { return SchemaByName(std::wstring(name)) != nullptr; }

bool BelongsToCookieDatabase(const std::wstring& path) {
  std::wstring name = platform::ToLower(NameOf(path));
  for (const wchar_t* sidecar : kSidecars) {
    if (name.ends_with(sidecar)) {
      std::wstring database = path.substr(0, path.size() - wcslen(sidecar));
      return SchemaByName(NameOf(database)) && CookieDatabaseSchema(database);
    }
  }
  return false;
}

bool KeepsSiteStorage(const EraseContext& erase, const std::wstring& folder) {
  std::wstring host = StorageFolderHost(folder);
  if (host.empty() || erase.programFolder.empty() ||
      !LoadKeptSites(CookieKeepListFile(erase.programFolder), erase.addedKeptSites).Keeps(host)) {
    return false;
  }
  erase.Kept(folder, KeptFor::Site, SiteOf(host),
             platform::Fill(platform::Tr(L"the storage of {site}"), {{L"site", SiteOf(host)}}));
  return true;
}

bool InKeptSiteStorage(const EraseContext& erase, const std::wstring& path) {
  for (size_t end = path.size(); end != std::wstring::npos && end > 0; end = path.rfind(L'\\', end - 1)) {
    if (KeepsSiteStorage(erase, path.substr(0, end))) return true;
  }
  return false;
}

double CleanCookieDatabase(const EraseContext& erase, const std::wstring& path, const CookieSchema& schema) {
  if (erase.Stopped()) return 0;
  using Use = UntrustedDatabase::Use;
  auto database = UntrustedDatabase::Open(erase, path, erase.Previewing() ? Use::Read : Use::Clean);
  if (!database) {
    LeaveDatabase(erase, path, database);
    return 0;
  }
  platform::SqliteDatabase& db = database->Db();
  if (auto plain = database->CheckTables(std::span(&schema.table, 1)); !plain) {
    LeaveDatabase(erase, path, plain);
    return 0;
  }
  if (db.Text("PRAGMA quick_check") != L"ok" || !db.HasTable(schema.table)) {
    erase.LeftBehind(path, database->Interrupted()
                               ? database->Failed()
                               : platform::Tr(L"left whole: not a cookie database, or a damaged one"));
    return 0;
  }
  KeptSites kept = erase.programFolder.empty()
                       ? KeptSites()
                       : LoadKeptSites(CookieKeepListFile(erase.programFolder), erase.addedKeptSites);
  Census census = TakeCensus(db, schema, kept);
  if (database->Interrupted()) {
    erase.LeftBehind(path, database->Failed());
    return 0;
  }
  if (erase.Previewing()) {
    RecordSites(erase, path, census);
    return 0;
  }
  // The compaction leaves no page of what went behind.
  std::optional<size_t> deleted = DeleteAllBut(db, schema, census.keptHosts);
  if (!deleted || !db.Execute("DROP TABLE kept_hosts; VACUUM")) {
    erase.LeftBehind(path, database->Failed());
    return 0;
  }
  platform::Result<size_t> after = database->Replace();
  if (!after) {
    LeaveDatabase(erase, path, after);
    return 0;
  }
  RecordSites(erase, path, census);
  const double freed = static_cast<double>(database->SizeBefore() - *after);
  DatabaseRecord record{path, {}, freed};
  if (*deleted) record.tables.emplace_back(platform::Widen(schema.table), *deleted);
  erase.Database(std::move(record));
  return freed;
}

}  // namespace engine
