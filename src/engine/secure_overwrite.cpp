#include "engine/secure_overwrite.h"

#include <algorithm>
#include <vector>

#include "platform/files.h"
#include "platform/handles.h"

namespace engine {

namespace {

constexpr DWORD kChunk = 1 << 20;

bool WriteZeros(HANDLE file, ULONGLONG remaining, const std::function<void()>& yield) {
  std::vector<char> zeros(static_cast<size_t>(std::min<ULONGLONG>(remaining, kChunk)));
  while (remaining > 0) {
    if (yield) yield();
    DWORD count = static_cast<DWORD>(std::min<ULONGLONG>(remaining, kChunk));
    DWORD written = 0;
    if (!WriteFile(file, zeros.data(), count, &written, nullptr) || written != count) return false;
    remaining -= count;
  }
  return FlushFileBuffers(file) != FALSE;
}

}  // namespace

DWORD OverwriteAndDelete(const std::wstring& path, const std::function<void()>& yield) {
  // Asking for delete access at the open, not after the overwrite, is what keeps a file that cannot
  // be deleted from being zeroed in place. FILE_FLAG_OPEN_REPARSE_POINT opens a link itself, never
  // what it leads to; the attributes of the opened handle then tell a link or folder apart without a
  // race against a rename. Read-only is checked too: a process whose rights pass over the attribute
  // would otherwise write the file.
  platform::FileHandle file(CreateFileW(platform::ApiPath(path).c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES | DELETE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) return GetLastError();
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file.get(), &info)) return GetLastError();
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return ERROR_DIRECTORY;
  if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) return ERROR_ACCESS_DENIED;
  if (!(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    // A failed write still leaves the deletion the user asked for.
    WriteZeros(file.get(), (static_cast<ULONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow, yield);
  }
  FILE_DISPOSITION_INFO disposition{TRUE};
  if (!SetFileInformationByHandle(file.get(), FileDispositionInfo, &disposition, sizeof(disposition))) {
    return GetLastError();
  }
  return ERROR_SUCCESS;
}

}  // namespace engine
