#include "platform/shutdown.h"

#include <memory>

#include "platform/handles.h"
#include "platform/result.h"
#include "platform/translation.h"

namespace platform {

DWORD RequestShutdown() {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw)) return GetLastError();
  UniqueHandle token(raw);
  TOKEN_PRIVILEGES privileges = {};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid)) return GetLastError();
  // Succeeds without the privilege too, then says so through the last error.
  AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
  if (DWORD error = GetLastError(); error != ERROR_SUCCESS) return error;
  if (!ExitWindowsEx(EWX_SHUTDOWN | EWX_POWEROFF,
                     SHTDN_REASON_MAJOR_APPLICATION | SHTDN_REASON_MINOR_MAINTENANCE | SHTDN_REASON_FLAG_PLANNED)) {
    return GetLastError();
  }
  return ERROR_SUCCESS;
}

std::wstring ShutdownRefusedText(DWORD error) {
  wchar_t* buffer = nullptr;
  DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::unique_ptr<wchar_t, decltype(&LocalFree)> owned(buffer, &LocalFree);
  std::wstring reason = length ? std::wstring(buffer, length) : SystemFailure(error).reason;
  while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r' || reason.back() == L' '))
    reason.pop_back();
  return Fill(Tr(L"The computer was not shut down: {reason}"), {{L"reason", reason}});
}

}  // namespace platform
