#pragma once
// Papermill's console form, for scripts:
//   Papermill.exe --shred [--random] [--yes] PATH...   exit 0 when every path went, 1 when something
//                                                stayed; a large folder needs --yes
//   Papermill.exe --wipe-free-space DRIVE      exit 0 when the free space was wiped and freed again
//   Papermill.exe --help
// Exit code 2: bad usage (a large folder without --yes), or a wipe that failed.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/erase_context.h"

namespace papermill {

enum ExitCode { kDone = 0, kSomethingLeft = 1, kBadUsageOrFailure = 2 };

// Whether the command line asks for the console form rather than the window.
bool IsConsoleForm(const std::vector<std::wstring>& args);

struct ConsoleContext {
  std::wstring programFolder;
  // Each line of the report, and each line of errors.
  std::function<void(const std::wstring&)> out;
  std::function<void(const std::wstring&)> err;
  // Ctrl+C.
  const engine::StopSignal* stop = nullptr;
  // As WipeOptions::limit.
  ULONGLONG wipeLimit = 0;
};

int RunConsole(const std::vector<std::wstring>& args, const ConsoleContext& context);

// Why the organisation's policy refuses shredding (`shred`) or a free-space wipe; nothing when it
// allows it.
std::optional<std::wstring> Refusal(bool shred);

// PAPERMILL_WIPE_LIMIT, in bytes: the most a wipe writes, as if the drive had only that much free
// space; 0 when unset.
ULONGLONG WipeLimitFromEnvironment();

}  // namespace papermill
