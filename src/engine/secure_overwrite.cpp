#include "engine/secure_overwrite.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "engine/long_path.h"
#include "platform/handles.h"

namespace engine {

namespace {

constexpr DWORD kChunk = 1 << 20;

}  // namespace

bool OverwriteWithZeros(const std::wstring& path) {
  // FILE_FLAG_OPEN_REPARSE_POINT opens a link itself, never what it leads to; the attributes of the
  // opened handle then tell a link or folder apart without a race against a rename. Read-only is
  // checked too: a process whose rights pass over the attribute would otherwise write the file.
  platform::FileHandle file(CreateFileW(ApiPath(path).c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) return false;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file.get(), &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_READONLY))) {
    return false;
  }
  ULONGLONG remaining = (static_cast<ULONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  std::vector<char> zeros(static_cast<size_t>(std::min<ULONGLONG>(remaining, kChunk)));
  while (remaining > 0) {
    DWORD count = static_cast<DWORD>(std::min<ULONGLONG>(remaining, kChunk));
    DWORD written = 0;
    if (!WriteFile(file.get(), zeros.data(), count, &written, nullptr) || written != count) return false;
    remaining -= count;
  }
  return FlushFileBuffers(file.get()) != FALSE;
}

}  // namespace engine
