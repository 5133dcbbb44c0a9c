#include "filesearch/find_files.h"

#include <algorithm>
#include <chrono>
#include <optional>

#include "engine/path_guard.h"
#include "filesearch/extension_list.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "platform/translation.h"

namespace filesearch {

namespace {

constexpr std::int16_t kMaxHits = 32767;

std::wstring Upper(std::wstring text) {
  if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

bool ContainsNoCase(const std::wstring& text, const std::wstring& part) {
  return Upper(text).find(Upper(part)) != std::wstring::npos;
}

void Hit(Pattern& pattern) {
  if (pattern.hits < kMaxHits) ++pattern.hits;
}

// Whether a name, already in upper case, fits a pattern with at least one wildcard flag.
bool Fits(const std::wstring& upperName, const std::wstring& upperText, const Pattern& pattern) {
  if (pattern.leadingWildcard && pattern.trailingWildcard) return upperName.find(upperText) != std::wstring::npos;
  if (pattern.leadingWildcard) return upperName.ends_with(upperText);
  if (pattern.trailingWildcard) return upperName.starts_with(upperText);
  return false;
}

bool Excluded(const std::wstring& path) {
  return ContainsNoCase(path, L"win386.swp") || path.find(L"Recycled") != std::wstring::npos;
}

struct FoundEntry {
  std::wstring name;
  std::uint64_t size;
  FILETIME lastWrite;
};

// One enumeration of the folder: its files, and its sub-folders when asked for. Junctions and folder
// links are never queued, so the search stays inside the tree it was given.
std::vector<FoundEntry> ReadFolder(const std::wstring& folder, bool withSubFolders, FolderQueue& queue) {
  std::vector<FoundEntry> files;
  platform::ListFolder(folder, [&](const platform::FolderEntry& entry) {
    if (!entry.IsFolder()) {
      files.push_back({entry.name, entry.size, entry.lastWrite});
    } else if (withSubFolders && !entry.IsLink()) {
      queue.folders.push_back(folder + entry.name + L"\\");
    }
  });
  return files;
}

}  // namespace

std::vector<Pattern> PreparePatterns(const std::wstring& searchString) {
  std::vector<Pattern> patterns;
  size_t start = 0;
  while (true) {
    size_t end = searchString.find(L';', start);
    Pattern pattern;
    pattern.text = searchString.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
    if (pattern.text.starts_with(L'*')) {
      pattern.leadingWildcard = true;
      pattern.text.erase(0, 1);
    }
    if (pattern.text.ends_with(L'*')) {
      pattern.trailingWildcard = true;
      pattern.text.pop_back();
    }
    patterns.push_back(std::move(pattern));
    if (end == std::wstring::npos) break;
    start = end + 1;
  }
  return patterns;
}

namespace {

// The local last-modified time in the user's short format.
std::wstring LocalTimeText(const FILETIME& lastWrite) {
  FILETIME local{};
  SYSTEMTIME when{};
  FileTimeToLocalFileTime(&lastWrite, &local);
  FileTimeToSystemTime(&local, &when);
  return platform::GeneralDateTime(when);
}

std::wstring ItemText(const std::wstring& path, std::uint64_t size, const std::wstring& time) {
  return platform::Fill(platform::Tr(L"{path}   Size:{size}   LastModyfied:{time}"),
                        {{L"path", path}, {L"size", std::to_wstring(size)}, {L"time", time}});
}

// The items' time texts, which show whole seconds: a folder's files were mostly written close
// together, and the system formats a time again only when its second differs from the last one's.
class TimeTexts {
 public:
  const std::wstring& Of(const FILETIME& lastWrite) {
    const unsigned long long second = platform::FileTimeTicks(lastWrite) / platform::TicksOf(std::chrono::seconds(1));
    if (second != second_) {
      text_ = LocalTimeText(lastWrite);
      second_ = second;
    }
    return text_;
  }

 private:
  unsigned long long second_ = ~0ULL;
  std::wstring text_;
};

// One search over the files of the folders as they are read.
class Search {
 public:
  Search(SearchResult& result, SearchSink& sink) : result_(result), sink_(sink) {
    for (const Pattern& pattern : result.patterns) upperTexts_.push_back(Upper(pattern.text));
  }

  // False when a stop came.
  bool Folder(const std::wstring& folder, const std::vector<FoundEntry>& files) {
    // Whether each exact name is a file of the folder: asked of the system once per folder.
    std::vector<std::optional<bool>> exactHere(result_.patterns.size());
    for (const FoundEntry& file : files) {
      const std::wstring upperName = Upper(file.name);
      for (size_t i = 0; i < result_.patterns.size(); ++i) {
        Pattern& pattern = result_.patterns[i];
        if (!pattern.leadingWildcard && !pattern.trailingWildcard && !pattern.exactNameFound && !pattern.text.empty()) {
          if (!exactHere[i]) exactHere[i] = platform::FileExists(folder + pattern.text);
          if (*exactHere[i]) Exact(folder + pattern.text, pattern);
        }
        if (pattern.text.size() >= file.name.size()) break;
        if (Fits(upperName, upperTexts_[i], pattern) && Found(folder + file.name, file, pattern)) break;
        if (sink_.StopRequested()) return false;
      }
    }
    return true;
  }

 private:
  void Add(const std::wstring& item, const std::wstring& path, Pattern& pattern) {
    sink_.AddItem(item, path);
    ++result_.items;
    result_.widestItem = std::max(result_.widestItem, item.size());
    Hit(pattern);
  }
  void Exact(const std::wstring& item, Pattern& pattern) {
    Add(item, L"", pattern);
    pattern.exactNameFound = true;
  }
  bool Found(const std::wstring& path, const FoundEntry& file, Pattern& pattern) {
    if (Excluded(path)) return false;
    Add(ItemText(path, file.size, times_.Of(file.lastWrite)), path, pattern);
    result_.totalSize += file.size;
    return true;
  }

  SearchResult& result_;
  SearchSink& sink_;
  std::vector<std::wstring> upperTexts_;
  TimeTexts times_;
};

}  // namespace

SearchResult FindFiles(const std::wstring& startFolder, FolderQueue& queue, const std::wstring& searchString,
                       SearchSink& sink) {
  SearchResult result;
  sink.SearchStarted();
  if (searchString.empty()) return result;
  result.ran = true;
  result.patterns = PreparePatterns(searchString);
  Search search(result, sink);

  queue.folders.assign(1, startFolder.ends_with(L'\\') ? startFolder : startFolder + L"\\");
  for (queue.read = 0; queue.read < queue.folders.size(); ++queue.read) {
    sink.PumpMessages();
    const std::wstring folder = queue.folders[queue.read];
    std::vector<FoundEntry> files = ReadFolder(folder, sink.IncludeSubFolders(), queue);
    sink.ShowFolder(folder);
    sink.PumpMessages();
    // Also here, so that a tree of folders without files cannot outlast the stop.
    if (sink.StopRequested() || !search.Folder(folder, files)) {
      result.stopped = true;
      return result;
    }
  }
  return result;
}

std::wstring FileItem(const std::wstring& path, std::uint64_t size, const FILETIME& lastWrite) {
  return ItemText(path, size, LocalTimeText(lastWrite));
}

std::wstring SummaryText(size_t items, const std::vector<Pattern>& patterns, std::uint64_t totalSize) {
  std::wstring counts;
  for (const Pattern& pattern : patterns) {
    counts += L"    " + pattern.text + L" - " + std::to_wstring(pattern.hits);
  }
  return platform::Fill(platform::Tr(L"{count}  Files Found  {patterns}"),
                        {{L"count", std::to_wstring(items)}, {L"patterns", counts}}) +
         L"\r\n" +
         platform::Fill(platform::Tr(L"Total size: {size}"),
                        {{L"size", platform::SizeText(static_cast<double>(totalSize))}});
}

bool EraseFoundFile(const std::wstring& path, bool toRecycleBin, const std::wstring& programFolder) {
  if (platform::HasWildcard(path)) return false;
  engine::GuardDecision target = engine::GuardFoundFile(path, programFolder);
  if (!target) return false;
  if (toRecycleBin) return SendToRecycleBin(target.path);
  return DeleteFileW(platform::ApiPath(target.exact).c_str()) != FALSE;
}

}  // namespace filesearch
