#pragma once
// A browser's database as another person could have written it: the file, or the folders above it,
// may be links to anything; a journal planted beside it names files for SQLite to delete or pages
// for it to write; its schema may run code of its own. SQLite therefore never sees the file: its
// bytes are read through one handle that opens the entry itself, cleaned in memory, and written back
// beside it, to replace it in one rename, only when the cleaning is complete.
#include <chrono>
#include <memory>
#include <span>
#include <string>

#include "engine/erase_context.h"
#include "platform/result.h"
#include "platform/sqlite_database.h"

namespace engine {

class UntrustedDatabase {
 public:
  enum class Use { Read, Clean };

  // The database at an exact path, or why it stays whole, after "left whole: " or "refused: " as the
  // run's details show it: in use by its browser; a link, or in a folder reached through one; a file
  // of more than one name; a journal or log its browser left unfinished; too large; not SQLite.
  // Every statement then stops at the context's Stop and at a deadline that grows with the size.
  static platform::Result<UntrustedDatabase> Open(const EraseContext& erase, const std::wstring& path, Use use);

  platform::SqliteDatabase& Db() { return db_; }
  // Whether the tables (those that exist) are plain tables that nothing of the schema acts on when
  // they are read or changed: no trigger on them, no generated column in them.
  platform::Result<void> CheckTables(std::span<const char* const> tables);
  // Whether a statement was cut short by the stop or the deadline: what it read is incomplete.
  bool Interrupted() const { return watch_->stopped || watch_->late; }
  // Why the last statement failed, after "left whole: ": the stop, the deadline, or SQLite's words.
  std::wstring Failed();
  // Puts the cleaned copy in place of the file: written in full beside it, then renamed over it; its
  // size. Nothing is written after an interruption, nor a copy larger than the file was.
  platform::Result<size_t> Replace();
  size_t SizeBefore() const { return size_; }

 private:
  // What SQLite's progress handler asks; it stays where it is while the object moves.
  struct Watch {
    const EraseContext* erase;
    std::chrono::steady_clock::time_point deadline;
    std::chrono::seconds allowed;
    bool stopped = false, late = false;
  };
  UntrustedDatabase(std::wstring path, platform::SqliteDatabase db, size_t size, bool wal,
                    std::unique_ptr<Watch> watch);

  std::wstring path_;
  std::unique_ptr<Watch> watch_;  // outlives the database, whose handler points to it
  platform::SqliteDatabase db_;
  size_t size_;
  bool wal_;  // the file is in write-ahead-log mode, which the copy in memory cannot be
};

}  // namespace engine
