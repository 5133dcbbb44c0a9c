// Runs filesearch::FindFiles once over a tree with the default patterns and reports how long the call
// took and what it found. The sink does what the search window's does per folder and per item, short
// of drawing: it empties the message queue and keeps every item text.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "filesearch/find_files.h"

namespace {

class KeepingSink : public filesearch::SearchSink {
 public:
  std::vector<std::wstring> items;
  void SearchStarted() override {}
  void PumpMessages() override {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
  bool IncludeSubFolders() override { return true; }
  void ShowFolder(const std::wstring&) override {}
  void AddItem(const std::wstring& item, const std::wstring&) override { items.push_back(item); }
  bool StopRequested() override { return false; }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bench_find_files <absolute folder> <search string>\n");
    return 2;
  }
  KeepingSink sink;
  filesearch::FolderQueue queue;

  LARGE_INTEGER frequency, start, stop;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  filesearch::SearchResult result = filesearch::FindFiles(argv[1], queue, argv[2], sink);
  QueryPerformanceCounter(&stop);

  const double ms =
      1000.0 * static_cast<double>(stop.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
  // The counts let the driver check that the walk saw the whole tree.
  std::printf("ms=%.1f folders=%zu items=%zu bytes=%llu\n", ms, queue.folders.size(), sink.items.size(),
              static_cast<unsigned long long>(result.totalSize));
  return 0;
}
