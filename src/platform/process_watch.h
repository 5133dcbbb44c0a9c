#pragma once
// Notices when the last process of a program ends, and when one starts again, without touching the
// disk: a look at the process list every few seconds and, between the looks, a wait on the handles of
// the processes found, which ends as soon as one of them does.
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/handles.h"

namespace platform {

struct ProcessEntry {
  DWORD id;
  std::wstring name;  // the executable's file name
};
// The processes running now.
std::vector<ProcessEntry> ListProcesses();
// The full path of the process's executable; empty when the system does not tell it.
std::wstring ExecutablePath(HANDLE process);

// A program as its processes show it: any program may be named as it is, so a process is the
// program's only when its executable lies in one of the folders the program is installed in.
struct Program {
  std::vector<std::wstring> names;    // its executables' file names, letter case ignored
  std::vector<std::wstring> folders;  // full paths, at any depth below which its executables lie
  bool Named(std::wstring_view name) const;
  bool Runs(const std::wstring& executablePath) const;
};
// The executables of the running processes of those file names (letter case ignored); a process
// whose executable the system does not tell is left out.
std::vector<std::wstring> RunningExecutables(const std::vector<std::wstring>& names);
// Whether a process of the program runs now.
bool AnyRuns(const Program& program);

class ProcessWatch {
 public:
  // Called on the watch's own thread when a program's first process is found (true) and when its last
  // one has ended (false). A program running when the watch starts is reported found at once.
  using Changed = std::function<void(size_t program, bool running)>;

  ProcessWatch(std::vector<Program> programs, Changed changed,
               std::chrono::milliseconds interval = std::chrono::seconds(5));
  // Stops the watch and waits for its thread.
  ~ProcessWatch();
  ProcessWatch(const ProcessWatch&) = delete;
  ProcessWatch& operator=(const ProcessWatch&) = delete;

  const std::vector<Program>& Programs() const { return programs_; }

 private:
  // A process of a watched program's name that is not the program's: held, so that it is asked once.
  static constexpr size_t kNamesake = static_cast<size_t>(-1);
  struct Held {
    DWORD id;
    size_t program;
    UniqueHandle process;
  };
  void Watch();
  void Look();
  void DropEnded();
  void Report();

  std::vector<Program> programs_;
  Changed changed_;
  std::chrono::milliseconds interval_;
  std::vector<Held> held_;
  std::vector<bool> running_;
  UniqueHandle stop_;
  std::thread thread_;
};

}  // namespace platform
