#pragma once
// A database file of SQLite, which the browsers keep their histories and cookies in: open while the
// object lives, its statements finalised as they end.
#include <memory>
#include <string>
#include <vector>

struct sqlite3;

namespace platform {

class SqliteDatabase {
 public:
  enum class Mode { ReadOnly, Existing, Create };
  // Opens the file for reading only, or for reading and writing; only Create makes a missing one.
  // Test with IsOpen().
  explicit SqliteDatabase(const std::wstring& path, Mode mode = Mode::Existing);
  bool IsOpen() const { return db_ != nullptr; }

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
  // Why the last call failed, in SQLite's words.
  std::wstring Error() const;

 private:
  struct Close {
    void operator()(sqlite3* db) const;
  };
  std::unique_ptr<sqlite3, Close> db_;
  std::wstring error_;  // why the file did not open
};

// A browser that runs holds its database open: then nobody else may open it alone.
bool HeldOpen(const std::wstring& path);

}  // namespace platform
