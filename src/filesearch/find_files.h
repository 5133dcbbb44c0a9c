#pragma once
// The search behind "Search & Erase": a breadth-first walk from one folder that lists every file whose
// name fits one of the patterns of a search string such as "*.tmp;*.gid". It knows no window; what it
// finds goes to a sink as it is found.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace filesearch {

// One piece of the search string, its leading and trailing "*" taken off and kept as flags.
struct Pattern {
  std::wstring text;
  bool leadingWildcard = false;
  bool trailingWildcard = false;
  bool exactNameFound = false;
  std::int16_t hits = 0;  // stays at 32767 once there
};

// Splits at every ";" (an empty piece is a pattern of empty text) and prepares each piece.
std::vector<Pattern> PreparePatterns(const std::wstring& searchString);

// Folders still to be opened, each ending with "\"; entries are appended while earlier ones are read.
struct FolderQueue {
  std::vector<std::wstring> folders;
  size_t read = 0;
};

class SearchSink {
 public:
  virtual ~SearchSink() = default;
  // Called once before anything else, also for an empty search string.
  virtual void SearchStarted() = 0;
  virtual void PumpMessages() = 0;
  // Asked at every folder, so the choice may change while the search runs.
  virtual bool IncludeSubFolders() = 0;
  virtual void ShowFolder(const std::wstring& folder) = 0;
  // `path` is the file to delete for this item; empty for an exact-name item, which deletes nothing.
  virtual void AddItem(const std::wstring& item, const std::wstring& path) = 0;
  virtual bool StopRequested() = 0;
};

struct SearchResult {
  bool ran = false;      // false for an empty search string
  bool stopped = false;  // ended by the stop flag: no summary
  std::vector<Pattern> patterns;
  std::uint64_t totalSize = 0;
  size_t items = 0;
  size_t widestItem = 0;  // in characters
};

SearchResult FindFiles(const std::wstring& startFolder, FolderQueue& queue, const std::wstring& searchString,
                       SearchSink& sink);

// A found file's item: its path, size and last-modified time in the user's short format.
std::wstring FileItem(const std::wstring& path, std::uint64_t size, const FILETIME& lastWrite);

// "<items>  Files Found      <pattern> - <hits>...", a line break, "Total size: <size>" ("11 KB", "3.57 MB").
std::wstring SummaryText(size_t items, const std::vector<Pattern>& patterns, std::uint64_t totalSize);

// Deletes one found file, into the recycle bin or for good; refuses what is not a plain absolute
// file path, and any file in the program folder, the Windows folder or the Program Files folders.
bool EraseFoundFile(const std::wstring& path, bool toRecycleBin, const std::wstring& programFolder);

}  // namespace filesearch
