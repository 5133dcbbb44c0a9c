#include "engine/file_deletion.h"

#include <system_error>

#include "engine/secure_overwrite.h"
#include "platform/files.h"

namespace engine {

namespace {

// The helpers beside the walk's own thread: two deletions in flight keep Wine's server busy, and
// more wait in its queue without going faster.
constexpr unsigned kHelpers = 1;

}  // namespace

DWORD DeleteFileNow(const FileDeletion& file, bool overwrite, const std::function<void()>& yield) {
  const std::wstring path = platform::ApiPath(file.path);
  if (file.force && (file.attributes & FILE_ATTRIBUTE_READONLY)) SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (overwrite) return OverwriteAndDelete(file.path, yield);
  return DeleteFileW(path.c_str()) ? ERROR_SUCCESS : GetLastError();
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

bool DeletionWorkers::DeleteNext(std::unique_lock<std::mutex>& lock, const std::function<void()>& yield) {
  if (!batch_ || next_ >= batch_->size()) return false;
  FileDeletion& file = (*batch_)[next_++];
  lock.unlock();
  if (!ctx_.Stopped()) {
    file.attempted = true;
    file.error = DeleteFileNow(file, ctx_.Overwriting(), yield);
  }
  lock.lock();
  if (++finished_ == batch_->size()) done_.notify_all();
  return true;
}

void DeletionWorkers::Work() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!quit_) {
    // Only the walk's thread may let the window work.
    if (!DeleteNext(lock, {})) work_.wait(lock);
  }
}

void DeletionWorkers::DeleteAll(std::vector<FileDeletion>& files) {
  if (ctx_.Previewing()) {
    for (FileDeletion& file : files) file.attempted = true;
    return;
  }
  if (files.size() > 1 && threads_.empty()) Start();
  std::unique_lock<std::mutex> lock(mutex_);
  batch_ = &files;
  next_ = finished_ = 0;
  work_.notify_all();
  const std::function<void()> pump = [this] { ctx_.Pump(); };
  while (DeleteNext(lock, pump)) {
    lock.unlock();
    ctx_.Pump();
    lock.lock();
  }
  while (finished_ < files.size()) {
    done_.wait_for(lock, ctx_.yieldInterval);
    lock.unlock();
    ctx_.Pump();
    lock.lock();
  }
  batch_ = nullptr;
}

}  // namespace engine
