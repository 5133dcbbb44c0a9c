#pragma once
// Browsers and mail programs that hold their files open while they run: before an attended run the
// user learns which of those whose items are on are running now.
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "engine/browser_table.h"
#include "platform/process_watch.h"

namespace catalogue {

struct WatchedProgram {
  std::wstring name;                    // shown to the user
  std::vector<std::wstring> processes;  // executable names, compared without letter case
  // Its install folders, each under the program files folders (64- and 32-bit) and under the local
  // application data (a per-user install): a process of its name runs from one of them, or is another
  // program named as it is.
  std::vector<std::wstring> installs;
  std::vector<std::wstring> sections;  // settings sections of its built-in items
  std::vector<std::wstring> plugins;   // appnames of the shipped plug-ins that clean it
};

// The browsers of the table that have programs, then the mail programs.
std::vector<WatchedProgram> WatchedPrograms(std::span<const engine::Browser> browsers = engine::Browsers());
// A browser's program.
WatchedProgram ProgramOf(const engine::Browser& browser);
// The program as its processes show it, its install folders in full for the user whose local
// application data is given.
platform::Program ProcessesOf(const WatchedProgram& program, const std::wstring& localAppData);

// The full paths of the executables running now.
using ProcessLister = std::function<std::vector<std::wstring>()>;
// Those of the processes named as a watched program is.
std::vector<std::wstring> RunningWatchedExecutables();

// The names of the watched programs that run now, each from one of its install folders, and have at
// least one item on: a built-in flag in "prisd.dat" that passes the run test, or a ticked plug-in of
// the program folder's "plus-in".
std::vector<std::wstring> RunningProgramsWithItemsOn(const std::wstring& programFolder,
                                                     const std::wstring& localAppData,
                                                     const ProcessLister& processes = RunningWatchedExecutables,
                                                     std::span<const engine::Browser> browsers = engine::Browsers());

// The question put to the user before an attended run: Yes continues, No cancels.
extern const wchar_t kRunningProgramsTitle[];
std::wstring RunningProgramsQuestion(const std::vector<std::wstring>& programs);

}  // namespace catalogue
