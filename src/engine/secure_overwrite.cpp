#include "engine/secure_overwrite.h"

#include <algorithm>
#include <random>
#include <vector>

#include "platform/files.h"

namespace engine {

namespace {

constexpr DWORD kChunk = 1 << 20;
// The file system's block, the smallest part of a sparse file that holds data or not.
constexpr DWORD kBlock = 4096;

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
  // A sparse file's holes take no room and read as zeros: writing them would make the file take room
  // it never had, as much as a whole drive. Only the blocks that hold anything but zeros are written
  // then, read through a second handle, and nothing past the end of the file.
  FILE_STANDARD_INFO standard;
  platform::FileHandle reader;
  if (GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard) &&
      standard.AllocationSize.QuadPart < standard.EndOfFile.QuadPart) {
    reader.reset(ReOpenFile(file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0));
    if (!reader) return false;
    length = std::min(length, static_cast<ULONGLONG>(standard.EndOfFile.QuadPart));
  }
  std::vector<char> chunk(static_cast<size_t>(std::min<ULONGLONG>(length, kChunk)));
  std::vector<char> old(reader ? chunk.size() : 0);
  // Seeded only for a random fill: the system's random source costs a call per file.
  std::mt19937_64 engine{fill == Fill::Random ? std::random_device{}() : 0};
  auto writeAt = [&](ULONGLONG at, const char* data, DWORD count) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(at);
    DWORD wrote = 0;
    return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) && WriteFile(file, data, count, &wrote, nullptr) &&
           wrote == count;
  };
  ULONGLONG done = 0;
  while (done < length) {
    if (written) written(done);
    DWORD count = static_cast<DWORD>(std::min<ULONGLONG>(length - done, kChunk));
    if (fill == Fill::Random) FillRandom(chunk, engine);
    if (!reader) {
      if (!writeAt(done, chunk.data(), count)) return false;
    } else {
      DWORD read = 0;
      LARGE_INTEGER position;
      position.QuadPart = static_cast<LONGLONG>(done);
      if (!SetFilePointerEx(reader.get(), position, nullptr, FILE_BEGIN) ||
          !ReadFile(reader.get(), old.data(), count, &read, nullptr)) {
        return false;
      }
      for (DWORD block = 0; block < read; block += kBlock) {
        DWORD size = std::min(kBlock, read - block);
        bool data = std::any_of(old.begin() + block, old.begin() + block + size, [](char c) { return c != 0; });
        if (data && !writeAt(done + block, chunk.data() + block, size)) return false;
      }
    }
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
