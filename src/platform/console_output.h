#pragma once
// Text for a standard handle. A console window is given wide characters, which it shows in any
// language whatever its code page; a file or pipe is given UTF-8, which a script reads the same way
// on every system.
#include <windows.h>

#include <string_view>

namespace platform {

// Writes the UTF-8 text whole to the handle, as the handle takes it; false when it could not.
bool WriteOut(HANDLE handle, std::string_view utf8);

}  // namespace platform
