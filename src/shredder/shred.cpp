#include "shredder/shred.h"

#include <algorithm>
#include <random>

#include "engine/link_check.h"
#include "engine/path_guard.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/translation.h"

namespace shredder {

namespace {

using engine::ExpectedFinalPath, engine::IsEntryItself;

constexpr wchar_t kNameCharacters[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
constexpr int kRenameTries = 8;
constexpr ULONGLONG kDefaultCluster = 4096;
constexpr const wchar_t* kLinkLeft = platform::TrLater(L"a link, left in place");

std::wstring Parent(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }
std::wstring NameOf(const std::wstring& path) { return path.substr(path.find_last_of(L'\\') + 1); }

const wchar_t* OpenFailure(DWORD error, DWORD attributes) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return platform::Tr(L"not found");
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return platform::Tr(L"in use");
    case ERROR_ACCESS_DENIED:
      return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)
                 ? platform::Tr(L"read-only")
                 : platform::Tr(L"access denied");
    default: return platform::Tr(L"refused");
  }
}

bool SetInformation(HANDLE handle, FILE_INFO_BY_HANDLE_CLASS kind, void* data, size_t size) {
  return SetFileInformationByHandle(handle, kind, data, static_cast<DWORD>(size)) != FALSE;
}

bool Dispose(HANDLE handle) {
  FILE_DISPOSITION_INFO disposition{TRUE};
  return SetInformation(handle, FileDispositionInfo, &disposition, sizeof disposition);
}

bool RenameThrough(HANDLE handle, const std::wstring& to) {
  std::wstring target = platform::ApiPath(to);
  std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
  std::copy(target.begin(), target.end(), info->FileName);
  return SetInformation(handle, FileRenameInfo, info, buffer.size());
}

ULONGLONG ClusterSize(const std::wstring& path) {
  wchar_t volume[MAX_PATH] = L"";
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  if (!GetVolumePathNameW(path.c_str(), volume, MAX_PATH) ||
      !GetDiskFreeSpaceW(volume, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters)) {
    return kDefaultCluster;
  }
  return std::max<ULONGLONG>(1, ULONGLONG{sectorsPerCluster} * bytesPerSector);
}

// One shredding of a list of paths: the options, the result it fills and the random names it draws.
class Shredding {
 public:
  Shredding(const ShredOptions& options, ShredResult& result) : options_(options), result_(result) {
    guardContext_.programFolder = engine::CanonicalPath(options.programFolder);
  }

  void Target(const std::wstring& path) {
    engine::GuardDecision decision = engine::GuardShredTarget(path, options_.programFolder);
    if (!decision) {
      Leave(path,
            platform::Fill(platform::Tr(L"refused: {reason}"), {{L"reason", engine::RefusalReason(decision.refusal)}}));
      return;
    }
    const std::wstring& target = decision.exact;
    DWORD attributes = GetFileAttributesW(platform::ApiPath(target).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      Leave(target, platform::Tr(L"not found"));
      return;
    }
    cluster_ = ClusterSize(target);
    std::wstring expected = ExpectedFinalPath(target);
    bool folder = attributes & FILE_ATTRIBUTE_DIRECTORY;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      RemoveLink(target, expected, folder);
    } else if (folder) {
      Folder(target, expected);
    } else {
      File(target, expected);
    }
  }

  bool Stopped() {
    if (options_.stop && options_.stop->Requested()) result_.stopped = true;
    return result_.stopped;
  }

 private:
  void Pump() const {
    if (options_.pump) options_.pump();
  }

  bool Leave(const std::wstring& path, const std::wstring& reason) {
    result_.left.push_back({path, reason});
    return false;
  }

  // Renames through the handle to a random name of the same length in the same folder; the path it
  // then has.
  std::wstring RenameToRandom(HANDLE handle, const std::wstring& path) {
    std::uniform_int_distribution<size_t> pick(0, std::size(kNameCharacters) - 2);
    std::wstring folder = Parent(path);
    size_t length = NameOf(path).size();
    for (int attempt = 0; attempt < kRenameTries; ++attempt) {
      std::wstring name(length, L'\0');
      for (wchar_t& c : name) c = kNameCharacters[pick(random_)];
      std::wstring renamed = platform::JoinPath(folder, name);
      if (RenameThrough(handle, renamed)) {
        if (options_.renamed) options_.renamed(path, renamed);
        return renamed;
      }
      if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    return path;
  }

  // True when the file went; what stays is listed with its reason.
  bool File(const std::wstring& path, const std::wstring& expected) {
    platform::FileHandle file = engine::OpenForErasure(path, GENERIC_WRITE | FILE_READ_ATTRIBUTES);
    if (!file) {
      DWORD error = GetLastError();
      return Leave(path, OpenFailure(error, GetFileAttributesW(platform::ApiPath(path).c_str())));
    }
    if (!IsEntryItself(file.get(), expected)) return Leave(path, platform::Tr(kLinkLeft));
    FILE_BASIC_INFO basic;
    FILE_STANDARD_INFO standard;
    if (!GetFileInformationByHandleEx(file.get(), FileBasicInfo, &basic, sizeof basic) ||
        !GetFileInformationByHandleEx(file.get(), FileStandardInfo, &standard, sizeof standard)) {
      return Leave(path, platform::Tr(L"refused"));
    }
    if (basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return DisposeLink(file.get(), path);
    if (standard.Directory) return Leave(path, platform::Tr(L"a folder"));
    // Writing this file would change what its other names (hard links elsewhere) hold.
    if (standard.NumberOfLinks > 1) return Leave(path, platform::Tr(L"has other names (hard links)"));
    if (basic.FileAttributes & FILE_ATTRIBUTE_READONLY) return Leave(path, platform::Tr(L"read-only"));
    const ULONGLONG size = static_cast<ULONGLONG>(standard.EndOfFile.QuadPart);
    // The whole allocation: the slack after the end of the last cluster holds old bytes too.
    const ULONGLONG length = std::max<ULONGLONG>(static_cast<ULONGLONG>(standard.AllocationSize.QuadPart),
                                                 (size + cluster_ - 1) / cluster_ * cluster_);
    bool overwritten = engine::OverwriteContent(file.get(), length, options_.fill, [&](ULONGLONG written) {
      if (options_.overwritten) options_.overwritten(path, written, length);
      Pump();
    });
    if (!overwritten) {
      // The room the overwrite took past the end goes back.
      FILE_END_OF_FILE_INFO end{standard.EndOfFile};
      SetInformation(file.get(), FileEndOfFileInfo, &end, sizeof end);
      return Leave(path, platform::Tr(L"could not be overwritten"));
    }
    std::wstring renamed = RenameToRandom(file.get(), path);
    FILE_END_OF_FILE_INFO end{};
    SetInformation(file.get(), FileEndOfFileInfo, &end, sizeof end);
    if (!Dispose(file.get())) return Leave(renamed, platform::Tr(L"overwritten, but could not be deleted"));
    ++result_.files;
    result_.bytes += size;
    return true;
  }

  bool DisposeLink(HANDLE link, const std::wstring& path) {
    if (!Dispose(link)) return Leave(path, platform::Tr(kLinkLeft));
    ++result_.links;
    return true;
  }

  // A link goes only where the system opens the link itself (Windows); Wine opens what it leads to,
  // and any deletion there would reach the target, so the link stays.
  bool RemoveLink(const std::wstring& path, const std::wstring& expected, bool folder) {
    platform::FileHandle link =
        engine::OpenForErasure(path, FILE_READ_ATTRIBUTES, folder ? FILE_FLAG_BACKUP_SEMANTICS : 0);
    if (!link) return Leave(path, OpenFailure(GetLastError(), INVALID_FILE_ATTRIBUTES));
    FILE_BASIC_INFO basic;
    if (!IsEntryItself(link.get(), expected) ||
        !GetFileInformationByHandleEx(link.get(), FileBasicInfo, &basic, sizeof basic) ||
        !(basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      return Leave(path, platform::Tr(kLinkLeft));
    }
    return DisposeLink(link.get(), path);
  }

  struct Visit {
    std::wstring path;
    std::wstring final;
    size_t parent;
    bool emptied = true;
    bool listed = true;  // a folder that could not be listed is reported as such
  };

  // Every file first, walking the folders without recursion and never through a link; then the
  // folders, deepest first, each only when everything in it went.
  void Folder(const std::wstring& top, const std::wstring& expected) {
    std::vector<Visit> visits{{top, expected, 0}};
    for (size_t at = 0; at < visits.size(); ++at) {
      if (Stopped()) return;
      std::vector<platform::FolderEntry> entries;
      platform::Result<void> listed =
          platform::ListFolder(visits[at].path, [&](const platform::FolderEntry& e) { entries.push_back(e); });
      if (!listed) {
        visits[at].emptied = visits[at].listed =
            Leave(visits[at].path, OpenFailure(listed.SystemError(), INVALID_FILE_ATTRIBUTES));
        continue;
      }
      for (const platform::FolderEntry& entry : entries) {
        if (Stopped()) return;
        std::wstring path = platform::JoinPath(visits[at].path, entry.name);
        std::wstring final = platform::JoinPath(visits[at].final, entry.name);
        bool went = true;
        if (entry.IsLink()) {
          went = RemoveLink(path, final, entry.IsFolder());
        } else if (entry.IsFolder()) {
          if (engine::IsProgramFolder(guardContext_, path)) {
            went = Leave(path, platform::Fill(platform::Tr(L"refused: {reason}"),
                                              {{L"reason", engine::RefusalReason(engine::Refusal::ProgramFolder)}}));
          } else {
            visits.push_back({path, final, at});
          }
        } else {
          went = File(path, final);
        }
        visits[at].emptied &= went;
        Pump();
      }
    }
    for (size_t at = visits.size(); at-- > 0;) {
      if (Stopped()) return;
      if (!visits[at].emptied && visits[at].listed) Leave(visits[at].path, platform::Tr(L"something in it stayed"));
      bool removed = visits[at].emptied && RemoveFolder(visits[at]);
      if (!removed && at > 0) visits[visits[at].parent].emptied = false;
    }
  }

  bool RemoveFolder(const Visit& visit) {
    platform::FileHandle folder = engine::OpenForErasure(visit.path, FILE_READ_ATTRIBUTES, FILE_FLAG_BACKUP_SEMANTICS);
    if (!folder) return Leave(visit.path, OpenFailure(GetLastError(), INVALID_FILE_ATTRIBUTES));
    if (!IsEntryItself(folder.get(), visit.final)) return Leave(visit.path, platform::Tr(kLinkLeft));
    std::wstring renamed = RenameToRandom(folder.get(), visit.path);
    if (!Dispose(folder.get())) {
      DWORD error = GetLastError();
      // The folder keeps its own name while it stays.
      if (renamed != visit.path) RenameThrough(folder.get(), visit.path);
      return Leave(visit.path, error == ERROR_DIR_NOT_EMPTY ? platform::Tr(L"not empty") : platform::Tr(L"refused"));
    }
    ++result_.folders;
    return true;
  }

  const ShredOptions& options_;
  ShredResult& result_;
  engine::EraseContext guardContext_;
  ULONGLONG cluster_ = kDefaultCluster;
  std::mt19937_64 random_{std::random_device{}()};
};

}  // namespace

Measure MeasurePath(const std::wstring& path, const std::wstring& programFolder) {
  Measure measure;
  engine::GuardDecision decision = engine::GuardShredTarget(path, programFolder);
  if (!decision) {
    measure.refusal =
        platform::Fill(platform::Tr(L"refused: {reason}"), {{L"reason", engine::RefusalReason(decision.refusal)}});
    return measure;
  }
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(platform::ApiPath(decision.exact).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return measure;
  }
  if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    measure.files = 1;
    measure.bytes = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return measure;
  }
  measure.folder = true;
  std::vector<std::wstring> pending{decision.exact};
  while (!pending.empty()) {
    std::wstring folder = std::move(pending.back());
    pending.pop_back();
    platform::ListFolder(folder, [&](const platform::FolderEntry& entry) {
      if (entry.IsLink()) return;
      if (entry.IsFolder()) {
        pending.push_back(platform::JoinPath(folder, entry.name));
      } else {
        ++measure.files;
        measure.bytes += entry.size;
      }
    });
  }
  return measure;
}

std::wstring TypedPath(const std::wstring& typed) {
  auto separator = [&](size_t at) { return typed.size() > at && (typed[at] == L'\\' || typed[at] == L'/'); };
  // "C:" or "C:name" names the current folder of drive C:, which someone who typed it rarely means;
  // "C:\\..." and "\\\\..." are full already.
  if (typed.empty() || (typed.size() >= 2 && typed[1] == L':') || (separator(0) && separator(1))) return typed;
  // Joined as typed, not made full by the system, which would drop the trailing dots and blanks of
  // the name: the guard resolves "." and "..".
  DWORD n = GetCurrentDirectoryW(0, nullptr);
  std::wstring current(n, L'\0');
  n = n ? GetCurrentDirectoryW(n, current.data()) : 0;
  if (n == 0 || n >= current.size()) return typed;
  current.resize(n);
  return separator(0) ? current.substr(0, 2) + typed : platform::JoinPath(current, typed);
}

ShredResult Shred(const std::vector<std::wstring>& paths, const ShredOptions& options) {
  ShredResult result;
  Shredding shredding(options, result);
  for (const std::wstring& path : paths) {
    if (shredding.Stopped()) break;
    shredding.Target(path);
  }
  return result;
}

}  // namespace shredder
