#pragma once
// Whole-file reads and writes of the lists the user keeps: 8-bit text in the system's code page.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/result.h"

namespace platform {

// At most `limit` bytes from the start of the file; nothing when it cannot be opened or read.
std::optional<std::string> ReadFileBytes(const std::wstring& file, DWORD limit = MAXDWORD);

// Every line in order (CR LF or LF ends; a last line without one still counts), converted from the
// system's code page; none for a missing or empty file.
std::vector<std::wstring> ReadTextLines(const std::wstring& file);

bool WriteAll(HANDLE file, const std::string& bytes);

// Whether ReplaceFileAtomically could replace the file now: its folder takes a new file, and the file,
// when it exists, is not read-only and not held open by anyone who forbids writing or deleting it.
// A save of several files asks this for all of them before it writes the first.
Result<void> CanReplaceFile(const std::wstring& file);

// A replacement written in full to a new sibling file and flushed, but not yet renamed over the file,
// so that a save of several files can write all of them before it puts the first in place. The
// sibling is removed unless Commit moved it.
class PendingReplacement {
 public:
  // Writes the content to a new sibling of `file`; a read-only file is refused as by
  // ReplaceFileAtomically, and a failure leaves no sibling.
  static Result<PendingReplacement> Write(const std::wstring& file, const std::string& bytes);
  // The content is what `write` writes to the new sibling's handle; false from it means not written.
  static Result<PendingReplacement> Write(const std::wstring& file, const std::function<bool(HANDLE)>& write);
  PendingReplacement(PendingReplacement&& other) noexcept;
  ~PendingReplacement();
  PendingReplacement(const PendingReplacement&) = delete;
  PendingReplacement& operator=(const PendingReplacement&) = delete;
  PendingReplacement& operator=(PendingReplacement&&) = delete;

  // The sibling holding the content, for a look at it before Commit.
  const std::wstring& Written() const { return temp_; }
  // Renames the written content over the file in one step; a failure leaves the old file in place.
  Result<void> Commit();

 private:
  PendingReplacement(std::wstring file, std::wstring temp) : file_(std::move(file)), temp_(std::move(temp)) {}
  std::wstring file_, temp_;
};

// Writes the content to a new sibling file, flushes it, then renames it over `file` in one step:
// the old file is never opened for writing, so a failure at any moment leaves it whole and the
// sibling is removed. A read-only file is refused: Windows would refuse the rename, and a user who
// protected a list means it to stay.
Result<void> ReplaceFileAtomically(const std::wstring& file, const std::string& bytes);

// A copy of `from` put in place of `to` as ReplaceFileAtomically puts it, read a megabyte at a time.
Result<void> CopyFileAtomically(const std::wstring& from, const std::wstring& to);

// While one lives, the content writes of ReplaceFileAtomically stop with ERROR_DISK_FULL after
// `bytesBeforeFull` bytes, as on a full disk; tests use it to reach that failure.
class ScopedDiskFull {
 public:
  explicit ScopedDiskFull(size_t bytesBeforeFull);
  ~ScopedDiskFull();
  ScopedDiskFull(const ScopedDiskFull&) = delete;
  ScopedDiskFull& operator=(const ScopedDiskFull&) = delete;
};

}  // namespace platform
