#include "engine/file_deletion.h"

#include <system_error>

#include "engine/secure_overwrite.h"
#include "platform/files.h"
#include "platform/handles.h"

namespace engine {

namespace {

// The helpers beside the walk's own thread: two deletions in flight keep Wine's server busy, and
// more wait in its queue without going faster.
constexpr unsigned kHelpers = 1;

}  // namespace

DWORD DeleteFileNow(const FileDeletion& file, bool overwrite, const std::function<void()>& yield,
                    ExpectedFinalPaths& places) {
  const std::wstring path = platform::ApiPath(file.path);
  platform::FileHandle handle;
  if (platform::RunsUnderWine()) {
    // Wine would delete (or overwrite) what a link leads to, outside the tree. The deletion's own
    // handle tells the entry from a link's target: two requests (its name, the deletion's mark)
    // more than a plain deletion.
    handle.reset(CreateFileW(path.c_str(), DELETE | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!handle) return GetLastError();
    if (!IsEntryItself(handle.get(), places.Of(file.path))) return kLinkLeftInPlace;
  }
  if (file.force && (file.attributes & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (overwrite) {
    handle.reset();
    return OverwriteAndDelete(file.path, yield);
  }
  if (!handle) return DeleteFileW(path.c_str()) ? ERROR_SUCCESS : GetLastError();
  FILE_DISPOSITION_INFO disposition{TRUE};
  return SetFileInformationByHandle(handle.get(), FileDispositionInfo, &disposition, sizeof disposition)
             ? ERROR_SUCCESS
             : GetLastError();
}

DeletionWorkers::~DeletionWorkers() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  work_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void DeletionWorkers::Start() {
  try {
    while (threads_.size() < kHelpers) threads_.emplace_back([this] { Work(); });
  } catch (const std::system_error&) {
    // Without a helper the walk's own thread deletes alone, as fast as before.
  }
}

void DeletionWorkers::DeleteUntaken(std::vector<FileDeletion>& files, bool pump) {
  const std::function<void()> yield = pump ? std::function<void()>([this] { ctx_.Pump(); }) : nullptr;
  ExpectedFinalPaths places = places_;
  for (size_t at; (at = next_.fetch_add(1)) < files.size();) {
    FileDeletion& file = files[at];
    if (!ctx_.Stopped()) {
      file.attempted = true;
      file.error = DeleteFileNow(file, ctx_.Overwriting(), yield, places);
    }
    if (pump) ctx_.Pump();
  }
}

void DeletionWorkers::Work() {
  unsigned long long joined = 0;
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    work_.wait(lock, [&] { return quit_ || (batch_ && generation_ != joined); });
    if (quit_) return;
    joined = generation_;
    std::vector<FileDeletion>& files = *batch_;
    ++busy_;
    lock.unlock();
    DeleteUntaken(files, false);
    lock.lock();
    if (--busy_ == 0) done_.notify_all();
  }
}

void DeletionWorkers::DeleteAll(std::vector<FileDeletion>& files, const ExpectedFinalPaths& places) {
  if (ctx_.Previewing()) {
    for (FileDeletion& file : files) file.attempted = true;
    return;
  }
  if (files.size() > 1 && threads_.empty()) Start();
  // A batch holds the files of one folder: its final path is asked once, not by every thread.
  places_ = places;
  if (!files.empty() && platform::RunsUnderWine()) places_.Of(files.front().path);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    batch_ = &files;
    next_.store(0);
    ++generation_;
  }
  work_.notify_all();
  DeleteUntaken(files, true);
  // Every file is taken; the helpers finish theirs while the window keeps working.
  std::unique_lock<std::mutex> lock(mutex_);
  while (busy_ > 0) {
    done_.wait_for(lock, ctx_.yieldInterval);
    lock.unlock();
    ctx_.Pump();
    lock.lock();
  }
  batch_ = nullptr;
}

}  // namespace engine
