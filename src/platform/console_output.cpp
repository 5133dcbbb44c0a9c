#include "platform/console_output.h"

#include <string>

namespace platform {

bool WriteOut(HANDLE handle, std::string_view utf8) {
  if (!handle || handle == INVALID_HANDLE_VALUE) return false;
  DWORD mode = 0;
  if (GetConsoleMode(handle, &mode)) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
    for (size_t at = 0; at < wide.size();) {
      DWORD written = 0;
      if (!WriteConsoleW(handle, wide.data() + at, static_cast<DWORD>(wide.size() - at), &written, nullptr) ||
          written == 0) {
        return false;
      }
      at += written;
    }
    return true;
  }
  for (size_t at = 0; at < utf8.size();) {
    DWORD written = 0;
    if (!WriteFile(handle, utf8.data() + at, static_cast<DWORD>(utf8.size() - at), &written, nullptr) || written == 0) {
      return false;
    }
    at += written;
  }
  return true;
}

}  // namespace platform
