#pragma once
// Browsers and mail programs that hold their files open while they run: before an attended run the
// user learns which of those whose items are on are running now.
#include <functional>
#include <string>
#include <vector>

namespace catalogue {

struct WatchedProgram {
  std::wstring name;                    // shown to the user
  std::vector<std::wstring> processes;  // executable names, compared without letter case
  std::vector<std::wstring> sections;   // settings sections of its built-in items
  std::vector<std::wstring> plugins;    // appnames of the shipped plug-ins that clean it
};

const std::vector<WatchedProgram>& WatchedPrograms();

// The executable names of the processes running now.
using ProcessLister = std::function<std::vector<std::wstring>()>;
std::vector<std::wstring> RunningProcessNames();

// The names of the watched programs that run now and have at least one item on: a built-in flag
// in "prisd.dat" that passes the run test, or a ticked plug-in of the program folder's "plus-in".
std::vector<std::wstring> RunningProgramsWithItemsOn(const std::wstring& programFolder,
                                                     const ProcessLister& processes = RunningProcessNames);

// The question put to the user before an attended run: Yes continues, No cancels.
extern const wchar_t kRunningProgramsTitle[];
std::wstring RunningProgramsQuestion(const std::vector<std::wstring>& programs);

}  // namespace catalogue
