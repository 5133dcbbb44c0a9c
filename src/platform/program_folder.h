#pragma once
#include <string>

namespace platform {

// The folder that holds the running executable, without a trailing backslash: every file the
// program keeps beside itself is addressed from it.
std::wstring ProgramFolder();

}  // namespace platform
