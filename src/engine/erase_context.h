#pragma once
// What every erasure primitive is handed by its caller: where to yield, when to stop, whether to
// erase or only look, whether to overwrite files first, and where to record what was (or would be)
// erased.
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/run_report.h"
#include "platform/files.h"

namespace engine {

struct ProtectedIdentities;  // the guard's, in path_guard.h
class KeptPaths;             // the user's files and folders to keep, in kept_paths.h

// A request to stop a run at its next file, folder or key: from the window (Cancel, Exit, the end of
// the Windows session) or from the console's Ctrl+C, which arrives on a thread of its own.
class StopSignal {
 public:
  void Request() { requested_.store(true); }
  void Reset() { requested_.store(false); }
  bool Requested() const { return requested_.load(std::memory_order_relaxed); }

 private:
  std::atomic<bool> requested_{false};
};

enum class EraseMode {
  Erase,    // delete, and record what went and what stayed
  Preview,  // delete nothing, write nothing, start nothing; record what exists and would go
};

struct EraseContext {
  // Lets the window process pending messages. The walks call Pump() at every file, folder and key;
  // it passes the call on once `yieldInterval` has gone by since the last time, so the window
  // answers within a few tens of milliseconds while small files cost no extra round of messages.
  std::function<void()> pump;
  std::chrono::milliseconds yieldInterval{20};
  // Asked by the walks at every file, folder and key; none outside a run.
  const StopSignal* stop = nullptr;
  EraseMode mode = EraseMode::Erase;
  // Overwrite a file's content with zeros before deleting it (real erasure only).
  bool secure = false;
  // Receives the records of the item being run; none outside a run.
  RunRecorder* recorder = nullptr;
  // The program folder of the run, in its canonical form: nothing in it is ever erased, and no walk
  // enters it.
  std::wstring programFolder = {};
  // The files and folders the user keeps from every cleaning, learned at the start of the run; none
  // outside one, or when the list is empty.
  std::shared_ptr<const KeptPaths> keptPaths = {};
  // Sites the organisation keeps signed in, beside those of the user's keep list (never written to it).
  std::vector<std::wstring> addedKeptSites = {};
  // The kinds of kept data (engine::KeptKind) the running item names and so may erase; every other
  // file or key that holds what a user keeps stays.
  unsigned keptAllowed = 0;
  // Files made, written or changed at or after this moment (platform::FileTimeTicks) stay, listed as
  // too new, and so do the folders that hold them; 0 lets files of any age go. Only the items that
  // erase temporary files set it: an installer or a running program may still need a fresh one. The
  // change time counts too, which only the listings that read it give: a file unpacked a moment ago
  // may carry a write and creation time of years ago.
  unsigned long long keepChangedFrom = 0;
  // The moment ages are counted back from (platform::FileTimeTicks): the start of the run.
  unsigned long long startedAt = platform::NowTicks();
  // What the guard learned at its first question of the run: which objects on the disk the protected
  // folders are. They do not move while a run lasts, and every walk asks at every folder.
  mutable std::shared_ptr<const ProtectedIdentities> protectedIdentities = {};

  void Pump() const {
    if (!pump) return;
    auto now = std::chrono::steady_clock::now();
    if (lastYield != std::chrono::steady_clock::time_point{} && now - lastYield < yieldInterval) return;
    pump();
    // Counted from the end of the round: a message box opened from it may have taken long.
    lastYield = std::chrono::steady_clock::now();
  }
  bool Stopped() const { return stop && stop->Requested(); }
  bool Previewing() const { return mode == EraseMode::Preview; }
  bool Overwriting() const { return secure && mode == EraseMode::Erase; }
  // Keeps the files made, written or changed within `age` before the start; a zero age keeps none.
  void KeepChangedWithin(std::chrono::seconds age) {
    keepChangedFrom = age.count() > 0 ? startedAt - platform::TicksOf(age) : 0;
  }
  // Whether the file stays for its age.
  bool TooNew(const platform::FolderEntry& file) const { return keepChangedFrom && file.Newest() >= keepChangedFrom; }
  // Records an entry that stays for its age.
  void KeptForAge(const std::wstring& path) const {
    if (recorder) recorder->TooNew(path);
  }
  // Records a file that stays for its age; true when it is one.
  bool KeptAsTooNew(const std::wstring& path, const platform::FolderEntry& file) const {
    if (!TooNew(file)) return false;
    KeptForAge(path);
    return true;
  }

  void File(const std::wstring& path, double size) const {
    if (recorder) recorder->File(path, size);
  }
  void File(const std::wstring& path, double size, std::uint32_t reason) const {
    if (recorder) recorder->File(path, size, reason);
  }
  // Why the files judged from now on are there (RunRecorder::Reason).
  std::uint32_t Reason() const { return recorder ? recorder->Reason() : 0; }
  void Folder(const std::wstring& path) const {
    if (recorder) recorder->Folder(path);
  }
  void Key(const std::wstring& path) const {
    if (recorder) recorder->Key(path);
  }
  void Value(const std::wstring& key, const std::wstring& name) const {
    if (recorder) recorder->Value(key, name);
  }
  void Step(const std::wstring& description) const {
    if (recorder) recorder->Step(description);
  }
  void Database(DatabaseRecord record) const {
    if (recorder) recorder->Database(std::move(record));
  }
  void LeftBehind(const std::wstring& path, const std::wstring& reason) const {
    if (recorder) recorder->LeftBehind(path, reason);
  }
  // Records what the guard refused to erase at `path`, and why.
  void Refused(const std::wstring& path, const std::wstring& why) const {
    if (recorder) recorder->Refused(path, why);
  }
  // Records what stays at `path` because a keep list of the user keeps it: kept, not left behind.
  void Kept(const std::wstring& path, KeptFor kind, const std::wstring& name, const std::wstring& what) const {
    if (recorder) recorder->Kept(path, kind, name, what);
  }
  // Records a step that runs a command, empties the clipboard or the recycle bin..., and says
  // whether it may really be done now.
  // A stopped run performs no further step.
  bool Perform(const std::wstring& description) const {
    if (Stopped()) return false;
    Step(description);
    return !Previewing();
  }

  // When Pump last passed the call on.
  mutable std::chrono::steady_clock::time_point lastYield = {};
};

}  // namespace engine
