#include "engine/secure_overwrite.h"

#include <algorithm>
#include <random>
#include <vector>

#include "platform/files.h"

namespace engine {

namespace {

constexpr DWORD kChunk = 1 << 20;

// Each chunk of a random fill is drawn afresh, so no two chunks of the file repeat.
void FillRandom(std::vector<char>& chunk, std::mt19937_64& engine) {
  for (size_t at = 0; at < chunk.size(); at += sizeof(std::uint64_t)) {
    std::uint64_t value = engine();
    std::copy_n(reinterpret_cast<const char*>(&value), std::min(sizeof value, chunk.size() - at), chunk.data() + at);
  }
}

}  // namespace

platform::FileHandle OpenForErasure(const std::wstring& path, DWORD access, DWORD flags) {
  return platform::FileHandle(CreateFileW(platform::ApiPath(path).c_str(), access | DELETE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, flags | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

bool OverwriteContent(HANDLE file, ULONGLONG length, Fill fill, const std::function<void(ULONGLONG)>& written) {
  std::vector<char> chunk(static_cast<size_t>(std::min<ULONGLONG>(length, kChunk)));
  // Seeded only for a random fill: the system's random source costs a call per file.
  std::mt19937_64 engine{fill == Fill::Random ? std::random_device{}() : 0};
  LARGE_INTEGER start{};
  if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return false;
  ULONGLONG done = 0;
  while (done < length) {
    if (written) written(done);
    DWORD count = static_cast<DWORD>(std::min<ULONGLONG>(length - done, kChunk));
    if (fill == Fill::Random) FillRandom(chunk, engine);
    DWORD wrote = 0;
    if (!WriteFile(file, chunk.data(), count, &wrote, nullptr) || wrote != count) return false;
    done += count;
  }
  if (!FlushFileBuffers(file)) return false;
  if (written) written(done);
  return true;
}

DWORD OverwriteAndDelete(const std::wstring& path, const std::function<void()>& yield) {
  // Asking for delete access at the open, not after the overwrite, is what keeps a file that cannot
  // be deleted from being zeroed in place. The attributes of the opened handle then tell a link or
  // folder apart without a race against a rename. Read-only is checked too: a process whose rights
  // pass over the attribute would otherwise write the file.
  platform::FileHandle file = OpenForErasure(path, GENERIC_WRITE | FILE_READ_ATTRIBUTES);
  if (!file) return GetLastError();
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file.get(), &info)) return GetLastError();
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return ERROR_DIRECTORY;
  if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) return ERROR_ACCESS_DENIED;
  if (!(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    // A failed write still leaves the deletion the user asked for.
    OverwriteContent(file.get(), (static_cast<ULONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow, Fill::Zeros,
                     [&](ULONGLONG) {
                       if (yield) yield();
                     });
  }
  FILE_DISPOSITION_INFO disposition{TRUE};
  if (!SetFileInformationByHandle(file.get(), FileDispositionInfo, &disposition, sizeof(disposition))) {
    return GetLastError();
  }
  return ERROR_SUCCESS;
}

}  // namespace engine
