#include "engine/untrusted_database.h"

#include <windows.h>

#include <optional>
#include <utility>

#include "engine/link_check.h"
#include "engine/path_guard.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "platform/text_file.h"
#include "platform/translation.h"

namespace engine {

namespace {

constexpr char kSqliteHeader[] = "SQLite format 3";  // with its NUL, the file's first 16 bytes
// Header bytes 18 and 19: 2 in write-ahead-log mode, 1 with a rollback journal.
constexpr size_t kWriteVersion = 18, kReadVersion = 19;
constexpr size_t kJournalHeader = 28, kLogHeader = 32;
// Today's largest histories are a few hundred megabytes at most; the copy lives in memory.
constexpr size_t kLargest = size_t{512} << 20;
// Cleaning a browser's database takes a fraction of a second per few megabytes; a schema made to
// stall a run meets the deadline.
constexpr std::chrono::seconds kLeastTime{5};
constexpr size_t kBytesPerSecond = size_t{4} << 20;

// Why the database stays whole, when another part of the system says why.
platform::Failure LeftWhole(const std::wstring& why) {
  return {platform::Fill(platform::Tr(L"left whole: {reason}"), {{L"reason", why}})};
}

platform::FileHandle OpenShared(const std::wstring& path, DWORD access, DWORD share) {
  return platform::FileHandle(CreateFileW(platform::ApiPath(path).c_str(), access, share, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// A rollback journal that is not empty and whose header is not zeroed, or a log that holds frames:
// changes the browser did not finish, which SQLite would play into the file (and a journal's trailer
// may name other files for it to delete). The empty ones a browser leaves when it closes are normal.
bool Unfinished(const std::wstring& path) {
  std::optional<std::string> journal = platform::ReadFileBytes(platform::ApiPath(path + L"-journal"), kJournalHeader);
  if (journal && journal->find_first_not_of('\0') != std::string::npos) return true;
  WIN32_FILE_ATTRIBUTE_DATA log;
  return GetFileAttributesExW(platform::ApiPath(path + L"-wal").c_str(), GetFileExInfoStandard, &log) &&
         (log.nFileSizeHigh || log.nFileSizeLow > kLogHeader);
}

std::optional<std::string> ReadWhole(HANDLE file, size_t size) {
  std::string bytes(size, '\0');
  for (size_t done = 0; done < size;) {
    DWORD read = 0;
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - done, 1 << 24));
    if (!ReadFile(file, bytes.data() + done, chunk, &read, nullptr) || read == 0) return std::nullopt;
    done += read;
  }
  return bytes;
}

// The file's bytes through a handle that opens the entry itself, or why it stays whole.
platform::Result<std::string> ReadDatabase(const std::wstring& path) {
  // Shared for reading only: a browser that runs holds the file for writing.
  platform::FileHandle file = OpenShared(path, GENERIC_READ, FILE_SHARE_READ);
  if (!file) {
    DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
      return platform::Failure{platform::Tr(L"in use")};
    return LeftWhole(platform::SystemFailure(error).reason);
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file.get(), &info)) {
    return LeftWhole(platform::SystemFailure(GetLastError()).reason);
  }
  if ((info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) ||
      !OpensAsNamed(file.get(), path)) {
    return platform::Failure{RefusalReason(Refusal::Link), kGuardRefusal};
  }
  // Another name of the file may lie anywhere on the drive.
  if (info.nNumberOfLinks > 1) return platform::Failure{platform::Tr(L"a file with more than one name"), kGuardRefusal};
  ULONGLONG size = (static_cast<ULONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  if (size > kLargest) return platform::Failure{platform::Tr(L"left whole: larger than 512 MB")};
  if (Unfinished(path)) {
    return platform::Failure{platform::Tr(
        L"left whole: the browser did not close it cleanly; open and close the browser, then clean again")};
  }
  std::optional<std::string> bytes = ReadWhole(file.get(), static_cast<size_t>(size));
  if (!bytes) return LeftWhole(platform::SystemFailure(GetLastError()).reason);
  if (bytes->compare(0, sizeof(kSqliteHeader), kSqliteHeader, sizeof(kSqliteHeader)) != 0) {
    return platform::Failure{platform::Tr(L"left whole: not an SQLite database")};
  }
  return std::move(*bytes);
}

bool InWriteAheadLogMode(const std::string& image) {
  return image.size() > kReadVersion && image[kWriteVersion] == 2 && image[kReadVersion] == 2;
}

void SetJournalMode(std::string& image, char mode) { image[kWriteVersion] = image[kReadVersion] = mode; }

std::string Quoted(const char* name) { return std::string("'") + name + "'"; }

}  // namespace

UntrustedDatabase::UntrustedDatabase(std::wstring path, platform::SqliteDatabase db, size_t size, bool wal,
                                     std::unique_ptr<Watch> watch)
    : path_(std::move(path)), watch_(std::move(watch)), db_(std::move(db)), size_(size), wal_(wal) {
  Watch* watching = watch_.get();
  db_.StopWhen([watching] {
    watching->erase->Pump();
    watching->stopped = watching->stopped || watching->erase->Stopped();
    watching->late = watching->late || std::chrono::steady_clock::now() > watching->deadline;
    return watching->stopped || watching->late;
  });
}

platform::Result<UntrustedDatabase> UntrustedDatabase::Open(const EraseContext& erase, const std::wstring& path,
                                                            Use use) {
  platform::Result<std::string> image = ReadDatabase(path);
  if (!image) return platform::Failure{image.Reason(), image.SystemError()};
  // The copy in memory keeps no log; the file goes back in its own mode.
  const bool wal = InWriteAheadLogMode(*image);
  if (wal) SetJournalMode(*image, 1);
  platform::Result<platform::SqliteDatabase> db = platform::SqliteDatabase::FromImage(*image, use == Use::Clean);
  if (!db) {
    return platform::Failure{platform::Fill(platform::Tr(L"left whole: not a database, or a damaged one ({reason})"),
                                            {{L"reason", db.Reason()}})};
  }
  const auto allowed = kLeastTime + std::chrono::seconds(image->size() / kBytesPerSecond);
  auto watch = std::make_unique<Watch>(Watch{&erase, std::chrono::steady_clock::now() + allowed, allowed});
  return UntrustedDatabase(path, std::move(*db), image->size(), wal, std::move(watch));
}

platform::Result<void> UntrustedDatabase::CheckTables(std::span<const char* const> tables) {
  for (const char* table : tables) {
    const std::wstring name = platform::Widen(table);
    auto rows = db_.Rows("SELECT type, sql FROM sqlite_master WHERE name = " + Quoted(table) + " COLLATE NOCASE");
    if (rows.empty()) continue;
    if (rows[0][0] != L"table" || platform::ToLower(rows[0][1]).starts_with(L"create virtual")) {
      return platform::Failure{
          platform::Fill(platform::Tr(L"left whole: {table} is not a plain table"), {{L"table", name}})};
    }
    if (db_.Number("SELECT COUNT(*) FROM sqlite_master WHERE type = 'trigger' AND tbl_name = " + Quoted(table) +
                   " COLLATE NOCASE")) {
      return platform::Failure{
          platform::Fill(platform::Tr(L"left whole: a trigger acts on {table}"), {{L"table", name}})};
    }
    if (db_.Number("SELECT COUNT(*) FROM pragma_table_xinfo(" + Quoted(table) + ") WHERE hidden IN (2, 3)")) {
      return platform::Failure{
          platform::Fill(platform::Tr(L"left whole: a generated column in {table}"), {{L"table", name}})};
    }
  }
  return {};
}

std::wstring UntrustedDatabase::Failed() {
  if (watch_->stopped) return platform::Tr(L"left whole: the run was stopped");
  if (watch_->late) {
    return platform::Fill(platform::Tr(L"left whole: its cleaning took longer than {seconds} seconds"),
                          {{L"seconds", std::to_wstring(watch_->allowed.count())}});
  }
  return LeftWhole(db_.Error()).reason;
}

platform::Result<size_t> UntrustedDatabase::Replace() {
  if (Interrupted()) return platform::Failure{Failed()};
  std::optional<std::string> image = db_.Image();
  if (!image) return platform::Failure{Failed()};
  if (image->size() > size_)
    return platform::Failure{platform::Tr(L"left whole: cleaned, it would be larger than before")};
  if (wal_) SetJournalMode(*image, 2);
  auto written = platform::PendingReplacement::Write(platform::ApiPath(path_), *image);
  if (!written) return LeftWhole(written.Reason());
  // The copy takes the file's place only from the file's own folder, reached through no link.
  platform::FileHandle copy =
      OpenShared(written->Written(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  if (!copy || !OpensAsNamed(copy.get(), ExactPath(written->Written()))) {
    return platform::Failure{RefusalReason(Refusal::Link), kGuardRefusal};
  }
  copy.reset();
  if (auto committed = written->Commit(); !committed) return LeftWhole(committed.Reason());
  return image->size();
}

}  // namespace engine
