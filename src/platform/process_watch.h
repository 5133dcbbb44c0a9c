#pragma once
// Notices when the last process of a program ends, and when one starts again, without touching the
// disk: a look at the process list every few seconds and, between the looks, a wait on the handles of
// the processes found, which ends as soon as one of them does.
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
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
// Whether a process of one of those executable names (letter case ignored) runs now.
bool AnyRuns(const std::vector<std::wstring>& names);

class ProcessWatch {
 public:
  // The executable names of one program's processes, compared without letter case.
  using Program = std::vector<std::wstring>;
  // Called on the watch's own thread when a program's first process is found (true) and when its last
  // one has ended (false). A program running when the watch starts is reported found at once.
  using Changed = std::function<void(size_t program, bool running)>;

  ProcessWatch(std::vector<Program> programs, Changed changed,
               std::chrono::milliseconds interval = std::chrono::seconds(5));
  // Stops the watch and waits for its thread.
  ~ProcessWatch();
  ProcessWatch(const ProcessWatch&) = delete;
  ProcessWatch& operator=(const ProcessWatch&) = delete;

 private:
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
  // Processes the last look found but could not open, by program: they count as running.
  std::vector<size_t> unopened_;
  std::vector<bool> running_;
  UniqueHandle stop_;
  std::thread thread_;
};

}  // namespace platform
