#pragma once
#include <functional>
#include <string>

#include "engine/erase_context.h"

namespace engine {

// Starts the command line with a hidden window and lets the window work (the context's pump) until
// the process has ended or the run is stopped; then calls `afterwards` (the main window takes the
// focus back). A command line that cannot be started ends the wait at once. The command line is
// recorded as a step; a preview starts nothing.
void RunAndWait(const EraseContext& erase, const std::wstring& commandLine,
                const std::function<void()>& afterwards = {});

// Starts the command line in a window shown as `show` (SW_HIDE, SW_SHOWMINIMIZED...) without waiting;
// returns the process id, 0 when it could not be started.
unsigned long StartProcess(const std::wstring& commandLine, int show);

}  // namespace engine
