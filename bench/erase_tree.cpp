// Erases every file of one tree with engine::allerase::EraseAllFilesInTree and reports how long the call took,
// with or without an age threshold.
// The driver times the whole process from outside as it does for the peer; the inner figure shows how
// much of that is Wine start-up rather than the walk.
#include <windows.h>

#include <cstdio>
#include <string>

#include "engine/allerase.h"
#include "engine/erase_context.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 2 && !(argc == 3 && std::wstring(argv[2]) == L"--age")) {
    std::fprintf(stderr, "usage: bench_erase <absolute folder> [--age]\n");
    return 2;
  }
  const std::wstring folder = argv[1];
  engine::EraseContext ctx;
  // With --age the walk keeps the files changed from now on, as the temporary files' items keep the
  // young ones: it reads every file's change time, and the tree made before goes all the same.
  if (argc == 3) ctx.keepChangedFrom = ctx.startedAt;

  LARGE_INTEGER frequency, start, stop;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  const double figure = engine::allerase::EraseAllFilesInTree(ctx, folder);
  QueryPerformanceCounter(&stop);

  const double ms =
      1000.0 * static_cast<double>(stop.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
  // The figure lets the driver check that the walk saw the whole tree, so a walk that stopped early
  // cannot pass for a fast one.
  std::printf("ms=%.1f figure=%.0f\n", ms, figure);
  return 0;
}
