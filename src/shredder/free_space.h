#pragma once
// Wiping a drive's free space: files of zeros fill a hidden folder of the drive until the drive is
// full, are flushed to the disk and then deleted, so what deleted files left in the free space is
// overwritten. The files are opened to be deleted when closed, so the space comes back when the wipe
// ends, is stopped or the process is killed; a folder an interrupted wipe left is removed at the next
// start.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/erase_context.h"

namespace shredder {

// The hidden folder a wipe fills, at the root of its drive; a fixed name, so the next start knows it.
// When a folder of that name holds anything but a wipe's own files, it is left alone and the wipe
// takes the name with " (2)", " (3)" ... after it.
inline constexpr wchar_t kWipeFolderName[] = L"Papermill free space wipe";

// "C", "c:", "C:\" or "C:" followed by anything give "C:\"; nothing for text that names no drive.
std::optional<std::wstring> DriveRoot(const std::wstring& text);

// The drives whose free space may be wiped: fixed and removable drives, without Wine's drive of the
// whole Unix file system.
std::vector<std::wstring> WipeableDrives();

std::wstring WipeFolder(const std::wstring& root);

struct WipeProgress {
  ULONGLONG written = 0;
  ULONGLONG free = 0;       // the free space when the wipe started
  double secondsLeft = -1;  // below 0 until the rate is known
};

struct WipeOptions {
  const engine::StopSignal* stop = nullptr;
  // Told the progress between the chunks written, from the thread that wipes.
  std::function<void(const WipeProgress&)> progress;
  // When not 0, the drive counts as full once this many bytes are written (a small drive for tests,
  // and a way to try the wipe without filling a real disk).
  ULONGLONG limit = 0;
};

enum class WipeOutcome { Filled, Stopped, Failed };

struct WipeResult {
  WipeOutcome outcome = WipeOutcome::Failed;
  ULONGLONG written = 0;
  DWORD error = ERROR_SUCCESS;          // why it failed
  bool freed = false;                   // the folder and its files are gone again
  std::wstring folder;                  // the folder it filled
  std::vector<std::wstring> leftAlone;  // folders of a wipe's name that hold something else
};

// Fills the free space of the drive of `root` ("C:\") and frees it again, whatever happens.
WipeResult WipeFreeSpace(const std::wstring& root, const WipeOptions& options);

// The wipe folders that interrupted wipes left on the wipeable drives, under any of a wipe's names,
// removed; the folders that were found and removed. Only the fill files a wipe makes go; anything
// else keeps its folder.
std::vector<std::wstring> RemoveWipeLeftovers(const std::vector<std::wstring>& roots = WipeableDrives());

}  // namespace shredder
