#include "platform/process_watch.h"

#include <winternl.h>

#include <algorithm>
#include <cstddef>

#include "platform/text.h"

namespace platform {

namespace {

// WaitForMultipleObjects takes 64 handles, one of them the stop event; processes past that are
// noticed at the next look.
constexpr size_t kWaitLimit = MAXIMUM_WAIT_OBJECTS - 1;

}  // namespace

// One question to the system, where a toolhelp snapshot costs a mapping of the list and one more
// for every process read from it: the look every few seconds is the watch's whole cost while it waits.
std::vector<ProcessEntry> ListProcesses() {
  std::vector<ProcessEntry> processes;
  constexpr NTSTATUS kTooSmall = static_cast<NTSTATUS>(0xC0000004L);  // STATUS_INFO_LENGTH_MISMATCH
  std::vector<std::byte> buffer(256 * 1024);
  NTSTATUS status;
  ULONG needed = 0;
  auto ask = [&] {
    return NtQuerySystemInformation(SystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                                    &needed);
  };
  while ((status = ask()) == kTooSmall && buffer.size() < 64 * 1024 * 1024) {
    buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 64 * 1024));
  }
  if (status < 0) return processes;
  for (size_t offset = 0;;) {
    const auto* entry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer.data() + offset);
    std::wstring name(entry->ImageName.Buffer ? entry->ImageName.Buffer : L"",
                      entry->ImageName.Length / sizeof(wchar_t));
    size_t slash = name.find_last_of(L"\\/");
    processes.push_back({static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(entry->UniqueProcessId)),
                         slash == std::wstring::npos ? name : name.substr(slash + 1)});
    if (entry->NextEntryOffset == 0) break;
    offset += entry->NextEntryOffset;
  }
  return processes;
}

bool AnyRuns(const std::vector<std::wstring>& names) {
  for (const ProcessEntry& entry : ListProcesses()) {
    if (std::any_of(names.begin(), names.end(), [&](const std::wstring& n) { return EqualsNoCase(n, entry.name); })) {
      return true;
    }
  }
  return false;
}

ProcessWatch::ProcessWatch(std::vector<Program> programs, Changed changed, std::chrono::milliseconds interval)
    : programs_(std::move(programs)),
      changed_(std::move(changed)),
      interval_(interval),
      unopened_(programs_.size()),
      running_(programs_.size()),
      stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  if (stop_) thread_ = std::thread([this] { Watch(); });
}

ProcessWatch::~ProcessWatch() {
  if (!thread_.joinable()) return;
  SetEvent(stop_.get());
  thread_.join();
}

void ProcessWatch::Look() {
  std::fill(unopened_.begin(), unopened_.end(), 0);
  for (const ProcessEntry& entry : ListProcesses()) {
    auto held = std::find_if(held_.begin(), held_.end(), [&](const Held& h) { return h.id == entry.id; });
    if (held != held_.end()) continue;
    for (size_t program = 0; program < programs_.size(); ++program) {
      const Program& names = programs_[program];
      if (std::none_of(names.begin(), names.end(),
                       [&](const std::wstring& n) { return EqualsNoCase(n, entry.name); })) {
        continue;
      }
      // The handle keeps the id from being given to another process while it is held.
      UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, entry.id));
      if (process) {
        held_.push_back({entry.id, program, std::move(process)});
      } else {
        ++unopened_[program];
      }
    }
  }
}

void ProcessWatch::DropEnded() {
  std::erase_if(held_, [](const Held& h) { return WaitForSingleObject(h.process.get(), 0) == WAIT_OBJECT_0; });
}

void ProcessWatch::Report() {
  for (size_t program = 0; program < programs_.size(); ++program) {
    bool running = unopened_[program] > 0 ||
                   std::any_of(held_.begin(), held_.end(), [&](const Held& h) { return h.program == program; });
    if (running == running_[program]) continue;
    running_[program] = running;
    changed_(program, running);
  }
}

void ProcessWatch::Watch() {
  for (;;) {
    Look();
    DropEnded();
    Report();
    std::vector<HANDLE> waits = {stop_.get()};
    for (size_t i = 0; i < held_.size() && i < kWaitLimit; ++i) waits.push_back(held_[i].process.get());
    DWORD woken = WaitForMultipleObjects(static_cast<DWORD>(waits.size()), waits.data(), FALSE,
                                         static_cast<DWORD>(interval_.count()));
    // A handle the system refuses to wait on leaves the watch to its looks.
    if (woken == WAIT_FAILED) woken = WaitForSingleObject(stop_.get(), static_cast<DWORD>(interval_.count()));
    if (woken == WAIT_OBJECT_0) return;
    if (woken != WAIT_TIMEOUT) {
      // A process ended: what ended is reported before the next look may find a new one.
      DropEnded();
      Report();
    }
  }
}

}  // namespace platform
