#include "platform/process_watch.h"

#include <winternl.h>

#include <algorithm>
#include <cstddef>

#include "platform/files.h"
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

std::wstring ExecutablePath(HANDLE process) {
  std::wstring path(32 * 1024, L'\0');
  DWORD size = static_cast<DWORD>(path.size());
  if (!QueryFullProcessImageNameW(process, 0, path.data(), &size)) return {};
  path.resize(size);
  // A program started by its short (8.3) name is known by its long one.
  std::wstring longPath = LongPathName(path);
  return longPath.empty() ? path : longPath;
}

bool Program::Named(std::wstring_view name) const {
  return std::any_of(names.begin(), names.end(), [&](const std::wstring& n) { return EqualsNoCase(n, name); });
}

bool Program::Runs(const std::wstring& executablePath) const {
  size_t slash = executablePath.find_last_of(L'\\');
  if (slash == std::wstring::npos || !Named(std::wstring_view(executablePath).substr(slash + 1))) return false;
  return std::any_of(folders.begin(), folders.end(),
                     [&](const std::wstring& folder) { return IsBelow(executablePath, folder); });
}

std::vector<std::wstring> RunningExecutables(const std::vector<std::wstring>& names) {
  const Program named{names, {}};
  std::vector<std::wstring> paths;
  for (const ProcessEntry& entry : ListProcesses()) {
    if (!named.Named(entry.name)) continue;
    UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.id));
    std::wstring path = process ? ExecutablePath(process.get()) : std::wstring();
    if (!path.empty()) paths.push_back(std::move(path));
  }
  return paths;
}

bool AnyRuns(const Program& program) {
  std::vector<std::wstring> paths = RunningExecutables(program.names);
  return std::any_of(paths.begin(), paths.end(), [&](const std::wstring& path) { return program.Runs(path); });
}

ProcessWatch::ProcessWatch(std::vector<Program> programs, Changed changed, std::chrono::milliseconds interval)
    : programs_(std::move(programs)),
      changed_(std::move(changed)),
      interval_(interval),
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
  for (const ProcessEntry& entry : ListProcesses()) {
    auto held = std::find_if(held_.begin(), held_.end(), [&](const Held& h) { return h.id == entry.id; });
    if (held != held_.end()) continue;
    if (std::none_of(programs_.begin(), programs_.end(),
                     [&](const Program& program) { return program.Named(entry.name); })) {
      continue;
    }
    // The handle keeps the id from being given to another process while it is held. A process the
    // system does not let this user ask is not known to be the program: it holds no cleaning back.
    UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.id));
    if (!process) continue;
    const std::wstring path = ExecutablePath(process.get());
    auto program = std::find_if(programs_.begin(), programs_.end(), [&](const Program& p) { return p.Runs(path); });
    held_.push_back({entry.id,
                     program == programs_.end() ? kNamesake : static_cast<size_t>(program - programs_.begin()),
                     std::move(process)});
  }
}

void ProcessWatch::DropEnded() {
  std::erase_if(held_, [](const Held& h) { return WaitForSingleObject(h.process.get(), 0) == WAIT_OBJECT_0; });
}

void ProcessWatch::Report() {
  for (size_t program = 0; program < programs_.size(); ++program) {
    bool running = std::any_of(held_.begin(), held_.end(), [&](const Held& h) { return h.program == program; });
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
    // A namesake's end changes nothing: the next look lets it go.
    std::vector<HANDLE> waits = {stop_.get()};
    for (const Held& held : held_) {
      if (held.program != kNamesake && waits.size() <= kWaitLimit) waits.push_back(held.process.get());
    }
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
