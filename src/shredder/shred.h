#pragma once
// Shredding: files destroyed so that no undelete tool brings them back. Each file is opened once, with
// delete access; its whole allocated length is overwritten and flushed, it is renamed to a random name
// of the same length (so the old name leaves the folder's index), truncated and deleted, all through
// that one handle. A folder goes file by file, then its folders bottom-up, each renamed and removed.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/erase_context.h"
#include "engine/secure_overwrite.h"

namespace shredder {

struct Left {
  std::wstring path;
  std::wstring reason;  // "in use", "read-only", "a link, left in place", "refused: a drive root" ...
};

// What a list of paths holds, for the confirmation: the files that would be shredded and their sizes.
struct Measure {
  size_t files = 0;
  ULONGLONG bytes = 0;
  bool folder = false;
  std::wstring refusal;  // why the guard refuses the path; empty when it may go
};

struct ShredOptions {
  engine::Fill fill = engine::Fill::Zeros;
  // The program's own folder, which nothing may touch besides the running executable's.
  std::wstring programFolder;
  // Asked before every file and folder; a stop leaves what was not reached whole.
  const engine::StopSignal* stop = nullptr;
  // Between the chunks of a file and after each file, so a window keeps working.
  std::function<void()> pump;
  // The file being overwritten, the bytes written and its whole length; the last call for a file
  // comes once its content is on the disk.
  std::function<void(const std::wstring& path, ULONGLONG written, ULONGLONG length)> overwritten;
  // A file or folder renamed before it goes.
  std::function<void(const std::wstring& from, const std::wstring& to)> renamed;
};

struct ShredResult {
  size_t files = 0;
  size_t folders = 0;
  size_t links = 0;
  ULONGLONG bytes = 0;  // the lengths of the files shredded
  std::vector<Left> left;
  bool stopped = false;
};

// A folder of more files or bytes than this is asked about once more, by name and count.
inline constexpr size_t kLargeFolderFiles = 1000;
inline constexpr ULONGLONG kLargeFolderBytes = 1ULL << 30;
inline bool IsLargeFolder(const Measure& measure) {
  return measure.folder && (measure.files > kLargeFolderFiles || measure.bytes > kLargeFolderBytes);
}

// The files under a path (the path itself when it is a file) and their sizes; links are not followed,
// and a path the guard refuses is not walked at all.
Measure MeasurePath(const std::wstring& path, const std::wstring& programFolder = {});

// A path as typed on a command line: one relative to the current folder made full; a drive-relative
// one ("C:", "C:name") and text that names no path come back as they are, for the guard to refuse.
std::wstring TypedPath(const std::wstring& typed);

// Shreds every path, each judged by the shredder's guard first (drive roots, protected folders,
// anything inside the Windows and Program Files folders, the profile's AppData folders and the
// program folder are refused, however spelled). Links met are removed as links where the system
// lets a link be removed by itself, else left in place; never followed.
ShredResult Shred(const std::vector<std::wstring>& paths, const ShredOptions& options);

}  // namespace shredder
