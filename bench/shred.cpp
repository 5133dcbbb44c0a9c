// Times one of four jobs in-process and prints what it did, so the driver can check the work as well
// as the time:
//   bench_shred shred FOLDER        shredder::Shred of the folder          ms= files= bytes=
//   bench_shred erase FOLDER        engine::allerase::EraseAllFilesInTree of it     ms= figure=
//   bench_shred wipe ROOT BYTES     shredder::WipeFreeSpace, BYTES at most  ms= written=
//   bench_shred write FILE BYTES    one plain file of BYTES, flushed, then deleted   ms= written=
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/allerase.h"
#include "platform/handles.h"
#include "shredder/free_space.h"
#include "shredder/shred.h"

namespace {

double Milliseconds(const LARGE_INTEGER& start) {
  LARGE_INTEGER stop, frequency;
  QueryPerformanceCounter(&stop);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(stop.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The peer of the wipe: the same bytes written the plain way, in the same chunks, and flushed.
ULONGLONG WritePlain(const std::wstring& path, ULONGLONG bytes) {
  platform::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!file) return 0;
  std::vector<char> zeros(1 << 20, 0);
  ULONGLONG written = 0;
  while (written < bytes) {
    DWORD count = static_cast<DWORD>(std::min<ULONGLONG>(zeros.size(), bytes - written)), wrote = 0;
    if (!WriteFile(file.get(), zeros.data(), count, &wrote, nullptr) || wrote != count) break;
    written += wrote;
  }
  FlushFileBuffers(file.get());
  file.reset();
  DeleteFileW(path.c_str());
  return written;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring job = argc > 2 ? argv[1] : L"";
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  if (job == L"shred" && argc == 3) {
    shredder::ShredResult result = shredder::Shred({argv[2]}, {});
    std::printf("ms=%.1f files=%zu bytes=%llu left=%zu\n", Milliseconds(start), result.files, result.bytes,
                result.left.size());
  } else if (job == L"erase" && argc == 3) {
    double figure = engine::allerase::EraseAllFilesInTree(engine::EraseContext{}, argv[2]);
    std::printf("ms=%.1f figure=%.0f\n", Milliseconds(start), figure);
  } else if (job == L"wipe" && argc == 4) {
    shredder::WipeOptions options;
    options.limit = std::stoull(argv[3]);
    shredder::WipeResult result = shredder::WipeFreeSpace(argv[2], options);
    std::printf("ms=%.1f written=%llu freed=%d\n", Milliseconds(start), result.written, result.freed ? 1 : 0);
  } else if (job == L"write" && argc == 4) {
    ULONGLONG written = WritePlain(argv[2], std::stoull(argv[3]));
    std::printf("ms=%.1f written=%llu\n", Milliseconds(start), written);
  } else {
    std::fprintf(stderr, "usage: bench_shred shred|erase FOLDER, or wipe ROOT BYTES, or write FILE BYTES\n");
    return 2;
  }
  return 0;
}
