#pragma once
// Asking Windows to shut the computer down after a cleaning. Callers take the request as a function
// object so that tests record it instead of ending the machine they run on.
#include <windows.h>

#include <functional>
#include <string>

namespace platform {

// 0 when Windows took the request, else the system's error code.
using ShutdownRequest = std::function<DWORD()>;

// Enables the shutdown privilege of this process's token, then asks for a power-off with a planned
// reason; open programs are asked to close as usual, none is forced.
DWORD RequestShutdown();

// "The computer was not shut down: " with the system's text for `error`.
std::wstring ShutdownRefusedText(DWORD error);

}  // namespace platform
