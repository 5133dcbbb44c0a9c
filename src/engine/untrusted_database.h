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

// The system error of a failure the guard refused, whose reason is the guard's alone ("a link"): no
// system error has the bit that marks an application's own codes.
constexpr unsigned long kGuardRefusal = 0x20000001;

// Why a database stays, as the details show it: "refused: a link", "left whole: ...", "in use".
template <typename T>
std::wstring StaysBecause(const platform::Result<T>& failed) {
  return failed.SystemError() == kGuardRefusal ? RefusedText(failed.Reason()) : failed.Reason();
}

// Records that the database at `path` stays: refused by the guard, or left behind.
template <typename T>
void LeaveDatabase(const EraseContext& erase, const std::wstring& path, const platform::Result<T>& failed) {
  failed.SystemError() == kGuardRefusal ? erase.Refused(path, failed.Reason())
                                        : erase.LeftBehind(path, failed.Reason());
}

class UntrustedDatabase {
 public:
  enum class Use { Read, Clean };

  // The database at an exact path, or why it stays: in use by its browser; "left whole: " and why (a
  // journal or log its browser left unfinished, too large, not SQLite); or, as a kGuardRefusal, the
  // guard's reason (a link, or in a folder reached through one; a file of more than one name).
  // Every statement then stops at the context's Stop and at a deadline that grows with the size.
  static platform::Result<UntrustedDatabase> Open(const EraseContext& erase, const std::wstring& path, Use use);

  platform::SqliteDatabase& Db() { return db_; }
  // Whether the tables (those that exist) are plain tables that nothing of the schema acts on when
  // they are read or changed: no trigger on them, no generated column in them.
  platform::Result<void> CheckTables(std::span<const char* const> tables);
  // Whether a statement was cut short by the stop or the deadline: what it read is incomplete.
  bool Interrupted() const { return watch_->stopped || watch_->late; }
  // Why the last statement failed, "left whole: " and the stop, the deadline, or SQLite's words.
  std::wstring Failed();
  // Puts the cleaned copy in place of the file: written in full beside it, then renamed over it; its
  // size. Nothing is written after an interruption, nor a copy larger than the file was; a copy that
  // would be renamed through a link is a kGuardRefusal.
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
