#pragma once
#include <string>

#include "engine/erase_context.h"
#include "engine/run_view.h"

namespace engine {

// Starts the command line with a hidden window and lets the view process messages until the
// process has ended; then gives the main window the focus again unless `refocus` is off. A command
// line that cannot be started ends the wait at once. The command line is recorded as a step; a
// preview starts nothing.
void RunAndWait(const EraseContext& erase, RunView& view, const std::wstring& commandLine, bool refocus = true);

// Starts the command line in a window shown as `show` (SW_HIDE, SW_SHOWMINIMIZED...) without waiting;
// returns the process id, 0 when it could not be started.
unsigned long StartProcess(const std::wstring& commandLine, int show);

}  // namespace engine
