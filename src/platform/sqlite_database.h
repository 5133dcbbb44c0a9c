#pragma once
// A database file of SQLite, which the browsers keep their histories and cookies in: open while the
// object lives, its statements finalised as they end.
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

struct sqlite3;

namespace platform {

class SqliteDatabase {
 public:
  enum class Mode { ReadOnly, Existing, Create };
  // Opens the file for reading only, or for reading and writing; only Create makes a missing one.
  // Test with IsOpen().
  explicit SqliteDatabase(const std::wstring& path, Mode mode = Mode::Existing);
  // A database that another person could have written, taken from its bytes into memory: SQLite
  // never sees a file of it, so no journal beside the file is replayed. Its schema runs nothing of
  // its own (no trigger fires, no view is read, nothing it names is trusted) and the copy cannot grow
  // past twice its size; read-only unless `writable`.
  static Result<SqliteDatabase> FromImage(std::string_view image, bool writable);
  SqliteDatabase(SqliteDatabase&&) = default;
  SqliteDatabase& operator=(SqliteDatabase&&) = default;
  bool IsOpen() const { return db_ != nullptr; }

  // Every statement from now on ends, failing, once `stop` says so; it is asked every few thousand
  // steps of SQLite's work.
  void StopWhen(std::function<bool()> stop);
  // The database as a file would hold it; nothing for a database that is not in memory or fails.
  std::optional<std::string> Image();

  // Runs one or more statements of UTF-8 text; false, with Error() telling why, at the first that fails.
  bool Execute(const std::string& sql);
  // Runs one statement whose one parameter is bound to `parameter`.
  bool Execute(const std::string& sql, const std::wstring& parameter);
  // Every row of a query, each column as text; empty when it has none or fails.
  std::vector<std::vector<std::wstring>> Rows(const std::string& sql);
  // The first column of the first row of a query; empty text, or 0, when it has none or fails.
  std::wstring Text(const std::string& sql);
  long long Number(const std::string& sql);
  bool HasTable(const std::string& name);
  // The rows the last INSERT, UPDATE or DELETE changed.
  long long Changes() const;
  // Why the last call failed, in SQLite's words.
  std::wstring Error() const;

 private:
  struct Close {
    void operator()(sqlite3* db) const;
  };
  SqliteDatabase() = default;
  std::unique_ptr<std::function<bool()>> stop_;  // where SQLite's progress handler points, kept past db_
  std::unique_ptr<sqlite3, Close> db_;
  std::wstring error_;  // why the file did not open
};

}  // namespace platform
