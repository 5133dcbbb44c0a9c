#include "platform/sqlite_database.h"

#include <windows.h>

#include <sqlite3.h>

#include <algorithm>
#include <utility>

#include "platform/text.h"
#include "platform/translation.h"

namespace platform {

namespace {

struct Finalize {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalize>;

// The query's statement, its one parameter (if any) bound to `parameter`, stepped to its first row;
// null when it has none or fails.
Statement FirstRow(sqlite3* db, const std::string& sql, const std::string& parameter = {}) {
  sqlite3_stmt* raw = nullptr;
  if (!db || sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr) != SQLITE_OK) return {};
  Statement statement(raw);
  if (sqlite3_bind_parameter_count(raw) == 1) {
    sqlite3_bind_text(raw, 1, parameter.c_str(), static_cast<int>(parameter.size()), SQLITE_TRANSIENT);
  }
  return sqlite3_step(raw) == SQLITE_ROW ? std::move(statement) : Statement();
}

}  // namespace

void SqliteDatabase::Close::operator()(sqlite3* db) const { sqlite3_close_v2(db); }

SqliteDatabase::SqliteDatabase(const std::wstring& path, Mode mode) {
  // The file name goes to SQLite as UTF-8, which the wide path converts to without loss.
  const std::string name = ToUtf8(path);
  int flags = mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY
                                     : SQLITE_OPEN_READWRITE | (mode == Mode::Create ? SQLITE_OPEN_CREATE : 0);
  sqlite3* raw = nullptr;
  int status = sqlite3_open_v2(name.c_str(), &raw, flags, nullptr);
  db_.reset(raw);
  if (status != SQLITE_OK) {
    error_ = Error();
    db_.reset();
  }
}

Result<SqliteDatabase> SqliteDatabase::FromImage(std::string_view image, bool writable) {
  SqliteDatabase database;
  sqlite3* raw = nullptr;
  int status = sqlite3_open_v2(":memory:", &raw, SQLITE_OPEN_READWRITE, nullptr);
  database.db_.reset(raw);
  if (status != SQLITE_OK) return Failure{database.Error()};
  for (auto [option, value] : {std::pair{SQLITE_DBCONFIG_DEFENSIVE, 1},
                               {SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0},
                               {SQLITE_DBCONFIG_ENABLE_TRIGGER, 0},
                               {SQLITE_DBCONFIG_ENABLE_VIEW, 0}}) {
    sqlite3_db_config(raw, option, value, nullptr);
  }
  // No value of a browser's database comes near this; a schema that builds one is stopped.
  sqlite3_limit(raw, SQLITE_LIMIT_LENGTH, 16 << 20);
  auto* copy = static_cast<unsigned char*>(sqlite3_malloc64(image.size()));
  if (!copy && !image.empty()) return Failure{Tr(L"out of memory")};
  std::copy(image.begin(), image.end(), copy);
  const unsigned flags =
      SQLITE_DESERIALIZE_FREEONCLOSE | (writable ? SQLITE_DESERIALIZE_RESIZEABLE : SQLITE_DESERIALIZE_READONLY);
  if (sqlite3_deserialize(raw, "main", copy, image.size(), image.size(), flags) != SQLITE_OK) {
    return Failure{database.Error()};
  }
  sqlite3_int64 limit = static_cast<sqlite3_int64>(image.size()) * 2 + (1 << 20);
  sqlite3_file_control(raw, "main", SQLITE_FCNTL_SIZE_LIMIT, &limit);
  if (!database.Execute("PRAGMA temp_store = MEMORY")) return Failure{database.Error()};
  return database;
}

void SqliteDatabase::StopWhen(std::function<bool()> stop) {
  if (!db_) return;
  stop_ = std::make_unique<std::function<bool()>>(std::move(stop));
  sqlite3_progress_handler(
      db_.get(), 4000, [](void* stop) { return (*static_cast<std::function<bool()>*>(stop))() ? 1 : 0; }, stop_.get());
}

std::optional<std::string> SqliteDatabase::Image() {
  sqlite3_int64 size = 0;
  unsigned char* bytes = db_ ? sqlite3_serialize(db_.get(), "main", &size, 0) : nullptr;
  if (!bytes) return std::nullopt;
  std::string image(reinterpret_cast<const char*>(bytes), static_cast<size_t>(size));
  sqlite3_free(bytes);
  return image;
}

bool SqliteDatabase::Execute(const std::string& sql) {
  return db_ && sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool SqliteDatabase::Execute(const std::string& sql, const std::wstring& parameter) {
  sqlite3_stmt* raw = nullptr;
  if (!db_ || sqlite3_prepare_v2(db_.get(), sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr) != SQLITE_OK)
    return false;
  Statement statement(raw);
  sqlite3_bind_text16(raw, 1, parameter.c_str(), static_cast<int>(parameter.size() * sizeof(wchar_t)),
                      SQLITE_TRANSIENT);
  return sqlite3_step(raw) == SQLITE_DONE;
}

std::vector<std::vector<std::wstring>> SqliteDatabase::Rows(const std::string& sql) {
  std::vector<std::vector<std::wstring>> rows;
  for (Statement row = FirstRow(db_.get(), sql); row;) {
    std::vector<std::wstring>& columns = rows.emplace_back();
    for (int column = 0; column < sqlite3_column_count(row.get()); ++column) {
      const void* text = sqlite3_column_text16(row.get(), column);
      columns.push_back(text ? static_cast<const wchar_t*>(text) : L"");
    }
    if (sqlite3_step(row.get()) != SQLITE_ROW) break;
  }
  return rows;
}

std::wstring SqliteDatabase::Text(const std::string& sql) {
  Statement row = FirstRow(db_.get(), sql);
  const void* text = row ? sqlite3_column_text16(row.get(), 0) : nullptr;
  return text ? std::wstring(static_cast<const wchar_t*>(text)) : std::wstring();
}

long long SqliteDatabase::Number(const std::string& sql) {
  Statement row = FirstRow(db_.get(), sql);
  return row ? sqlite3_column_int64(row.get(), 0) : 0;
}

bool SqliteDatabase::HasTable(const std::string& name) {
  return FirstRow(db_.get(), "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?", name) != nullptr;
}

long long SqliteDatabase::Changes() const { return db_ ? sqlite3_changes64(db_.get()) : 0; }

std::wstring SqliteDatabase::Error() const {
  if (!db_) return error_;
  return static_cast<const wchar_t*>(sqlite3_errmsg16(db_.get()));
}

}  // namespace platform
