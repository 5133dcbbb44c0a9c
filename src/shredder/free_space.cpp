#include "shredder/free_space.h"

#include <algorithm>
#include <chrono>
#include <cwctype>

#include "platform/drives.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace shredder {

namespace {

constexpr DWORD kChunk = 1 << 20;
// Below this a full drive takes no more: the last chunks are halved down to it.
constexpr DWORD kSmallestWrite = 4096;
// FAT32 holds no file of 4 GB; smaller files also let the next start find less to remove.
constexpr ULONGLONG kFileLength = ULONGLONG{1} << 30;
constexpr wchar_t kFillPrefix[] = L"fill-";

bool IsFull(DWORD error) { return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL; }

ULONGLONG FreeBytes(const std::wstring& root) {
  ULARGE_INTEGER available{};
  return GetDiskFreeSpaceExW(root.c_str(), &available, nullptr, nullptr) ? available.QuadPart : 0;
}

// The folder a wipe fills, made hidden; it goes again when the wipe ends, whatever happens.
class FillFolder {
 public:
  explicit FillFolder(std::wstring path) : path_(std::move(path)) {
    made_ = CreateDirectoryW(path_.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
    if (made_) SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  }
  ~FillFolder() { Free(); }
  FillFolder(const FillFolder&) = delete;
  FillFolder& operator=(const FillFolder&) = delete;

  bool Made() const { return made_; }

  // A new fill file, deleted by the system once closed, even when the process is killed.
  HANDLE NewFile() {
    std::wstring name = platform::JoinPath(path_, kFillPrefix + std::to_wstring(files_.size() + 1) + L".tmp");
    platform::FileHandle file(CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!file) return nullptr;
    files_.push_back(std::move(file));
    return files_.back().get();
  }

  bool Free() {
    files_.clear();
    return !made_ || RemoveDirectoryW(path_.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
  }

 private:
  std::wstring path_;
  bool made_ = false;
  std::vector<platform::FileHandle> files_;
};

// Writes zeros into one file until it holds kFileLength, the drive is full or the wipe must end;
// the error that ended it (ERROR_SUCCESS when the file is complete).
DWORD FillFile(HANDLE file, const std::vector<char>& zeros, ULONGLONG& written, ULONGLONG limit,
               const std::function<bool()>& keepGoing) {
  ULONGLONG inFile = 0;
  DWORD chunk = kChunk;
  while (inFile < kFileLength) {
    if (!keepGoing()) return ERROR_CANCELLED;
    if (limit && written >= limit) return ERROR_DISK_FULL;
    DWORD count =
        static_cast<DWORD>(std::min<ULONGLONG>({chunk, kFileLength - inFile, limit ? limit - written : chunk}));
    DWORD wrote = 0;
    if (!WriteFile(file, zeros.data(), count, &wrote, nullptr)) {
      DWORD error = GetLastError();
      if (!IsFull(error) || chunk <= kSmallestWrite) return error;
      chunk /= 2;
      continue;
    }
    inFile += wrote;
    written += wrote;
  }
  return ERROR_SUCCESS;
}

// Fills the folder with files of zeros until the drive is full, the limit is reached, the wipe must
// end or a write fails; the outcome, its error and the bytes written go into `result`.
void FillUntilFull(FillFolder& folder, ULONGLONG limit, const std::function<bool()>& keepGoing, WipeResult& result) {
  const std::vector<char> zeros(kChunk, 0);
  for (;;) {
    HANDLE file = folder.NewFile();
    if (!file) {
      DWORD error = GetLastError();
      // A drive too full for one more file is full.
      result.outcome = IsFull(error) ? WipeOutcome::Filled : WipeOutcome::Failed;
      result.error = IsFull(error) ? ERROR_SUCCESS : error;
      return;
    }
    DWORD error = FillFile(file, zeros, result.written, limit, keepGoing);
    // What was written reaches the disk before the space is handed back, or nothing was wiped; a
    // stop hands it back at once.
    if (error != ERROR_CANCELLED) FlushFileBuffers(file);
    if (error == ERROR_SUCCESS) continue;
    result.outcome = error == ERROR_CANCELLED ? WipeOutcome::Stopped
                     : IsFull(error)          ? WipeOutcome::Filled
                                              : WipeOutcome::Failed;
    if (result.outcome == WipeOutcome::Failed) result.error = error;
    return;
  }
}

// Deletes a wipe's own files from the folder, then the folder; whether it went.
bool RemoveWipeFolder(const std::wstring& folder) {
  platform::ListFolder(folder, [&](const platform::FolderEntry& entry) {
    if (!entry.IsFolder() && entry.name.starts_with(kFillPrefix)) {
      DeleteFileW(platform::ApiPath(platform::JoinPath(folder, entry.name)).c_str());
    }
  });
  return RemoveDirectoryW(platform::ApiPath(folder).c_str()) != FALSE;
}

bool IsWipeFolderName(const std::wstring& name) {
  const std::wstring base = kWipeFolderName;
  return name == base || (name.starts_with(base + L" (") && name.ends_with(L")"));
}

}  // namespace

std::optional<std::wstring> DriveRoot(const std::wstring& text) {
  if (text.empty() || !std::iswalpha(text[0]) || text[0] > 0x7f) return std::nullopt;
  if (text.size() > 1 && text[1] != L':') return std::nullopt;
  if (text.size() > 2 && !(text[2] == L'\\' && text.size() == 3)) return std::nullopt;
  return std::wstring{static_cast<wchar_t>(std::towupper(text[0])), L':', L'\\'};
}

std::vector<std::wstring> WipeableDrives() {
  std::vector<std::wstring> roots = platform::FixedDriveRoots();
  DWORD drives = GetLogicalDrives();
  for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
    std::wstring root{letter, L':', L'\\'};
    if ((drives & (1u << (letter - L'A'))) && GetDriveTypeW(root.c_str()) == DRIVE_REMOVABLE) roots.push_back(root);
  }
  std::sort(roots.begin(), roots.end());
  return roots;
}

std::wstring WipeFolder(const std::wstring& root) { return platform::JoinPath(root, kWipeFolderName); }

WipeResult WipeFreeSpace(const std::wstring& root, const WipeOptions& options) {
  WipeResult result;
  WipeProgress progress;
  progress.free = FreeBytes(root);
  if (options.limit) progress.free = std::min(progress.free, options.limit);
  const auto start = std::chrono::steady_clock::now();
  auto keepGoing = [&] {
    if (options.progress) {
      double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      progress.written = result.written;
      progress.secondsLeft = seconds > 0.5 && result.written > 0
                                 ? seconds *
                                       static_cast<double>(progress.free - std::min(progress.free, result.written)) /
                                       static_cast<double>(result.written)
                                 : -1;
      options.progress(progress);
    }
    return !(options.stop && options.stop->Requested());
  };
  // A folder of the wipe's name that is not an interrupted wipe's holds what someone keeps.
  result.folder = WipeFolder(root);
  for (int number = 2; GetFileAttributesW(platform::ApiPath(result.folder).c_str()) != INVALID_FILE_ATTRIBUTES &&
                       !RemoveWipeFolder(result.folder);
       ++number) {
    result.leftAlone.push_back(result.folder);
    result.folder = WipeFolder(root) + L" (" + std::to_wstring(number) + L")";
  }
  {
    FillFolder folder(result.folder);
    if (!folder.Made()) {
      result.error = GetLastError();
      return result;
    }
    FillUntilFull(folder, options.limit, keepGoing, result);
    progress.secondsLeft = 0;
    if (options.progress) {
      progress.written = result.written;
      options.progress(progress);
    }
    result.freed = folder.Free();
  }
  return result;
}

std::vector<std::wstring> RemoveWipeLeftovers(const std::vector<std::wstring>& roots) {
  std::vector<std::wstring> removed;
  for (const std::wstring& root : roots) {
    std::vector<std::wstring> folders;
    platform::ListFolder(root, [&](const platform::FolderEntry& entry) {
      if (entry.IsFolder() && !entry.IsLink() && IsWipeFolderName(entry.name))
        folders.push_back(platform::JoinPath(root, entry.name));
    });
    for (const std::wstring& folder : folders) {
      if (RemoveWipeFolder(folder)) removed.push_back(folder);
    }
  }
  return removed;
}

}  // namespace shredder
