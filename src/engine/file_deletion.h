#pragma once
// The file deletions of one folder, done side by side. Under Wine every deletion costs two round
// trips to the server, which answers one request at a time; with a second deletion in flight it
// works on one while the answer to the other travels back. The walk's own thread deletes too, and
// lets the window work while it waits; the walk records the outcomes afterwards, in its own order.
#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/erase_context.h"
#include "engine/link_check.h"

namespace engine {

struct FileDeletion {
  std::wstring path;
  double size = 0;
  DWORD attributes = 0;      // as the listing gave them
  bool force = false;        // a read-only file loses the attribute first
  std::uint32_t reason = 0;  // why it is there, as the run recorded it when the file was judged
  // Set by the deletion:
  bool attempted = false;  // false when a stop came first
  DWORD error = ERROR_SUCCESS;
};

// A link left in place (ERROR_STOPPED_ON_SYMLINK, which MinGW's headers lack).
constexpr DWORD kLinkLeftInPlace = 681;

// Deletes one file now: a secure run (`overwrite`) writes zeros over it first, calling `yield`
// between the chunks of a large file. Returns the system's error, 0 when the file went, and
// kLinkLeftInPlace for a link that stays (under Wine, where deleting it would delete its target;
// `places` tells there where the file is when it is no link).
DWORD DeleteFileNow(const FileDeletion& file, bool overwrite, const std::function<void()>& yield,
                    ExpectedFinalPaths& places);

// Helper threads for the deletions of one walk. They start with the first batch of more than one
// file and end with the object, which a walk keeps for as long as it runs: once the walk has
// returned, nothing of it is being deleted any more.
class DeletionWorkers {
 public:
  explicit DeletionWorkers(const EraseContext& erase) : ctx_(erase) {}
  ~DeletionWorkers();
  DeletionWorkers(const DeletionWorkers&) = delete;
  DeletionWorkers& operator=(const DeletionWorkers&) = delete;

  // Deletes the files and returns when each is gone or refused, or was skipped because the run was
  // stopped (not attempted). In a preview nothing is deleted and every file counts as attempted.
  // `places` may know already where the files' folder is.
  void DeleteAll(std::vector<FileDeletion>& files, const ExpectedFinalPaths& places);

 private:
  void Start();
  void Work();
  // Deletes the files of the batch that no other thread has taken yet, one at a time; `pump` tells
  // whether this is the walk's thread, the only one that may let the window work.
  void DeleteUntaken(std::vector<FileDeletion>& files, bool pump);

  const EraseContext& ctx_;
  std::vector<std::thread> threads_;
  // Taking a file costs one atomic step; the lock is only taken at the start and the end of a batch,
  // since under Wine a wait on a lock that is held is a round trip to the server.
  std::atomic<size_t> next_{0};
  std::mutex mutex_;
  std::condition_variable work_;
  std::condition_variable done_;
  std::vector<FileDeletion>* batch_ = nullptr;  // the batch under way, none between batches
  ExpectedFinalPaths places_;                   // where the batch's folder is, set before it starts
  unsigned long long generation_ = 0;           // counts the batches, so a helper joins each once
  unsigned busy_ = 0;                           // helpers still deleting files of the batch
  bool quit_ = false;
};

}  // namespace engine
