#include <optional>
#include <vector>

#include "engine/allerase.h"
#include "engine/cookie_database.h"
#include "engine/file_deletion.h"
#include "engine/kept_data.h"
#include "engine/link_check.h"
#include "engine/path_guard.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace allerase {

namespace {

using Entry = platform::FolderEntry;
using engine::DeletionWorkers;
using engine::FileDeletion;

struct Listing {
  bool opened = false;
  std::vector<Entry> files;
  std::vector<Entry> folders;
};

// The folder's entries in the file system's order, read whole before anything is deleted. A folder
// of many thousand entries takes a while to list: the window keeps working meanwhile. A folder the
// user may not list (one that needs administrator rights) is named in the details.
Listing List(const EraseContext& ctx, const std::wstring& folder) {
  Listing listing;
  listing.opened = platform::ListFolder(folder, [&](const Entry& entry) {
    ctx.Pump();
    (entry.IsFolder() ? listing.folders : listing.files).push_back(entry);
  });
  if (!listing.opened && GetLastError() == ERROR_ACCESS_DENIED) ctx.LeftBehind(folder, L"access denied");
  return listing;
}

std::wstring Extension(const std::wstring& name) {
  size_t dot = name.find_last_of(L'.');
  return dot == std::wstring::npos ? std::wstring() : platform::ToLower(name.substr(dot + 1));
}

void ResetAttributes(const std::wstring& path) {
  SetFileAttributesW(platform::ApiPath(path).c_str(), FILE_ATTRIBUTE_NORMAL);
}

DWORD AttributesOf(const std::wstring& path) { return GetFileAttributesW(platform::ApiPath(path).c_str()); }

// Why the platform refused; nothing when the entry was already gone, which leaves nothing behind.
const wchar_t* RefusalReason(DWORD error, DWORD attributes) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return nullptr;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return L"in use";
    case ERROR_ACCESS_DENIED: return (attributes & FILE_ATTRIBUTE_READONLY) ? L"read-only" : L"access denied";
    case ERROR_DIR_NOT_EMPTY: return L"not empty";
    case engine::kLinkLeftInPlace: return L"a link, left in place";
    default: return L"refused";
  }
}

// Records what became of a deletion, or in a preview what would: a read-only file stays unless the
// deletion was to force it. Tells whether the file went (would go).
bool RecordDeletion(const EraseContext& ctx, const FileDeletion& file) {
  if (ctx.Previewing() && (file.attributes & FILE_ATTRIBUTE_READONLY) && !file.force) {
    ctx.LeftBehind(file.path, L"read-only");
    return false;
  }
  if (ctx.Previewing() || file.error == ERROR_SUCCESS) {
    ctx.File(file.path, file.size);
    return true;
  }
  if (const wchar_t* reason = RefusalReason(file.error, file.force ? 0 : file.attributes)) {
    ctx.LeftBehind(file.path, reason);
  }
  return false;
}

// What a user keeps in the file and the running item may not erase: known by the path as named and
// by where the file's folder leads, as a link above a browser's profile folder may name it otherwise.
const engine::KeptEntry* RefusedKept(const EraseContext& ctx, engine::WalkedFolders& folders,
                                     const std::wstring& path) {
  const engine::KeptEntry* entry = engine::KeptFile(path);
  if (!entry) {
    const std::wstring& leadsTo = folders.LeadsTo(path);
    size_t slash = path.find_last_of(L'\\');
    if (path.compare(0, slash, leadsTo) != 0) entry = engine::KeptFile(platform::JoinPath(leadsTo, path.substr(slash + 1)));
  }
  return engine::Refuses(entry, ctx.keptAllowed) ? entry : nullptr;
}

// One file on its own, deleted (in a preview, judged) and recorded at once; a file that holds what
// a user keeps stays, and the details say why.
bool DeleteOneFile(const EraseContext& ctx, FileDeletion file) {
  engine::WalkedFolders folder;
  if (const engine::KeptEntry* kept = RefusedKept(ctx, folder, file.path)) {
    ctx.LeftBehind(file.path, engine::KeptRefusal(*kept));
    return false;
  }
  engine::ExpectedFinalPaths places;
  if (!ctx.Previewing()) file.error = engine::DeleteFileNow(file, ctx.Overwriting(), [&] { ctx.Pump(); }, places);
  return RecordDeletion(ctx, file);
}

// The file deletions of one folder: handed over in the walk's order, deleted side by side, then
// recorded in that order, so the details read as if they went one by one.
class FolderDeletions {
 public:
  FolderDeletions(const EraseContext& ctx, DeletionWorkers& workers) : ctx_(ctx), workers_(workers) {}
  // False for a file that holds what a user keeps: it stays, its refusal recorded after what went
  // before it. A cookie database stays too, cleaned inside, and counts the bytes it shed.
  bool Add(std::wstring path, double size, DWORD attributes, bool force) {
    if (const engine::KeptEntry* kept = RefusedKept(ctx_, folder_, path)) {
      Finish();
      ctx_.LeftBehind(path, engine::KeptRefusal(*kept));
      allGone = false;
      return false;
    }
    if (StaysAsCookieDatabase(path)) {
      allGone = false;
      return false;
    }
    files_.push_back({std::move(path), size, attributes, force});
    return true;
  }
  // Deletes what was handed over and records it. Called before the walk records anything of its
  // own, and at the end of the folder.
  void Finish() {
    workers_.DeleteAll(files_);
    for (const FileDeletion& file : files_) {
      if (!file.attempted) {
        allGone = false;
        continue;
      }
      attempted += file.size;
      bool gone = RecordDeletion(ctx_, file);
      if (gone) deleted += file.size;
      allGone &= gone;
    }
    files_.clear();
  }

  double attempted = 0;  // the sizes of the files whose deletion was attempted
  double deleted = 0;    // the sizes of those that went (in a preview: would go)
  bool allGone = true;

 private:
  bool StaysAsCookieDatabase(const std::wstring& path) {
    const engine::CookieSchema* schema = engine::CookieDatabaseSchema(path);
    if (!schema && !engine::BelongsToCookieDatabase(path)) return false;
    Finish();
    double freed = schema ? engine::CleanCookieDatabase(ctx_, path, *schema) : 0;
    attempted += freed;
    deleted += freed;
    return true;
  }

  const EraseContext& ctx_;
  DeletionWorkers& workers_;
  std::vector<FileDeletion> files_;
  engine::WalkedFolders folder_;
};

// Removes an emptied folder; in a preview, `emptied` tells whether it would be empty by then.
bool RemoveOneFolder(const EraseContext& ctx, const std::wstring& folder, bool emptied, bool record) {
  if (ctx.Previewing()) {
    if (record) emptied ? ctx.Folder(folder) : ctx.LeftBehind(folder, L"not empty");
    return emptied;
  }
  if (RemoveDirectoryW(platform::ApiPath(folder).c_str())) {
    if (record) ctx.Folder(folder);
    return true;
  }
  const wchar_t* reason = RefusalReason(GetLastError(), 0);
  if (record && reason) ctx.LeftBehind(folder, reason);
  return false;
}

// Every walk asks here at every folder it meets on its way down: it never enters a drive root, a
// protected folder (but a walk over a whole drive) or the program folder, however it reached it, and
// says so in the details. Nor does it enter a kept site's sign-in storage.
bool Enters(const EraseContext& ctx, const std::wstring& folder, bool throughProtected = false) {
  engine::Refusal refusal = engine::FolderRefusal(ctx, folder, throughProtected);
  if (refusal == engine::Refusal::None) return !engine::KeepsSiteStorage(ctx, folder);
  ctx.LeftBehind(folder, std::wstring(L"refused: ") + engine::RefusalReason(refusal));
  return false;
}

// Where a walk, or a single file's erasure, starts once the guard allowed it: nowhere in a kept site's
// sign-in storage, which stays whole however it was named.
std::optional<std::wstring> Start(const EraseContext& ctx, std::optional<std::wstring> start) {
  if (start && engine::InKeptSiteStorage(ctx, *start)) return std::nullopt;
  return start;
}

enum class Match { All, Name, Extension, NotKept, NameAnyCase };

struct FileRule {
  Match match;
  std::wstring text;
  const std::vector<std::wstring>* kept = nullptr;
  // A walk over a whole drive: it leaves the attributes of the files it passes alone, and asks the
  // guard about every file it would delete.
  bool wholeDrive = false;
  bool Matches(const std::wstring& name, const std::wstring& path) const {
    switch (match) {
      case Match::All: return true;
      case Match::Name: return name == text;
      case Match::NameAnyCase: return platform::EqualsNoCase(name, text);
      case Match::Extension: return Extension(name) == text;
      case Match::NotKept:
        for (const std::wstring& line : *kept) {
          if (line == path) return false;
        }
        return true;
    }
    return false;
  }
};

// One folder's files: hidden ones lose the attribute whether they match or not; a match is counted,
// then deleted, and stays counted when the deletion fails. A stop ends it before the next file.
double EraseFiles(const EraseContext& ctx, DeletionWorkers& workers, const std::wstring& folder,
                  const std::vector<Entry>& files, const FileRule& rule) {
  FolderDeletions deletions(ctx, workers);
  for (const Entry& file : files) {
    if (ctx.Stopped()) break;
    ctx.Pump();
    std::wstring path = platform::JoinPath(folder, file.name);
    DWORD attributes = file.attributes;
    if (file.IsHidden() && !rule.wholeDrive) {
      if (!ctx.Previewing()) ResetAttributes(path);
      attributes = FILE_ATTRIBUTE_NORMAL;
    }
    if (!rule.Matches(file.name, path)) continue;
    if (rule.wholeDrive) {
      // The guard records a refusal: what went before it is recorded first.
      deletions.Finish();
      if (!engine::GuardedTarget(ctx, path)) continue;
    }
    deletions.Add(std::move(path), static_cast<double>(file.size), attributes, false);
  }
  deletions.Finish();
  return deletions.attempted;
}

// Depth first, with a list of folders still to visit instead of recursion: a tree as deep as a path
// can reach must not exhaust the stack.
double FileTreeWalk(const EraseContext& ctx, const std::wstring& folder, const FileRule& rule) {
  DeletionWorkers workers(ctx);
  double figure = 0;
  std::vector<std::wstring> pending{folder};
  while (!pending.empty() && !ctx.Stopped()) {
    std::wstring current = std::move(pending.back());
    pending.pop_back();
    Listing listing = List(ctx, current);
    figure += EraseFiles(ctx, workers, current, listing.files, rule) + kFolderVisit;
    for (auto sub = listing.folders.rbegin(); sub != listing.folders.rend(); ++sub) {
      std::wstring path = platform::JoinPath(current, sub->name);
      if (!sub->IsLink() && Enters(ctx, path, rule.wholeDrive)) pending.push_back(std::move(path));
    }
  }
  return figure;
}

double FileTree(const EraseContext& ctx, const std::wstring& folder, const FileRule& rule) {
  auto target = Start(ctx, engine::GuardedFolder(ctx, folder));
  return target ? FileTreeWalk(ctx, *target, rule) : kFolderVisit;
}

double FilesInFolder(const EraseContext& ctx, const std::wstring& folder, const FileRule& rule) {
  auto target = Start(ctx, engine::GuardedFolder(ctx, folder));
  if (!target) return 0;
  DeletionWorkers workers(ctx);
  return EraseFiles(ctx, workers, *target, List(ctx, *target).files, rule);
}

// One folder of a tree being deleted: its listing, the subfolder to go into next, whether everything
// met in it so far went, and whether it holds the file to keep.
struct DeletionFrame {
  std::wstring path;
  Listing listing;
  bool record;
  size_t next = 0;
  bool emptied = true;
  bool keeps = false;
};

struct FolderDeletion {
  bool removed = false;  // the folder is gone
  double attempted = 0;  // the sizes of the files whose deletion was attempted
  double listed = 0;     // the sizes of every file met, but the one kept: the folder's size before
};

// Deletes a folder's contents and then the folder. Links inside are
// removed as links, never walked; without `force`, read-only files stay (and so does the folder that
// holds them). `recordSelf` is off for a folder that is created again at once. `kept`, a full path,
// names a file that stays with the folders that hold it, none of them counted as left behind. The
// folders being deleted are kept on a list of their own rather than on the call stack, whatever the
// depth. A stop leaves every folder not yet emptied as it is.
FolderDeletion DeleteFolderTree(const EraseContext& ctx, const std::wstring& folder, bool force,
                                bool recordSelf = true, const std::wstring& kept = {}) {
  FolderDeletion result;
  DeletionWorkers workers(ctx);
  std::vector<DeletionFrame> open;
  auto enter = [&](const std::wstring& path, bool record) {
    DeletionFrame frame{path, List(ctx, path), record};
    FolderDeletions deletions(ctx, workers);
    for (const Entry& file : frame.listing.files) {
      if (ctx.Stopped()) break;
      ctx.Pump();
      std::wstring filePath = platform::JoinPath(path, file.name);
      if (!kept.empty() && platform::EqualsNoCase(filePath, kept)) {
        frame.keeps = true;
        continue;
      }
      if (deletions.Add(std::move(filePath), static_cast<double>(file.size), file.attributes, force)) {
        result.listed += static_cast<double>(file.size);
      }
    }
    // The folder's files are all done before anything else of it is touched.
    deletions.Finish();
    result.attempted += deletions.attempted;
    frame.emptied &= deletions.allGone;
    open.push_back(std::move(frame));
  };
  enter(folder, recordSelf);
  bool removed = false;
  while (!open.empty()) {
    if (ctx.Stopped()) return result;
    DeletionFrame& top = open.back();
    if (top.next < top.listing.folders.size()) {
      const Entry& sub = top.listing.folders[top.next++];
      std::wstring path = platform::JoinPath(top.path, sub.name);
      if (sub.IsLink()) {
        // RemoveDirectoryW removes a junction or folder link itself, never what it leads to. Wine
        // removes what its Unix link leads to when that is empty, so there the link stays.
        if (!ctx.Previewing() && engine::IsWineLink(path)) {
          ctx.LeftBehind(path, L"a link, left in place");
          top.emptied = false;
        } else {
          top.emptied &= RemoveOneFolder(ctx, path, true, true);
        }
        continue;
      }
      if (!Enters(ctx, path)) {
        top.keeps = true;  // it stays, and so do the folders that hold it
        continue;
      }
      if (force && (sub.attributes & FILE_ATTRIBUTE_READONLY) && !ctx.Previewing()) ResetAttributes(path);
      enter(path, true);
      continue;
    }
    bool keeps = top.keeps;
    removed = !keeps && RemoveOneFolder(ctx, top.path, top.emptied, top.record);
    open.pop_back();
    if (open.empty()) break;
    if (keeps) {
      open.back().keeps = true;
    } else {
      open.back().emptied &= removed;
    }
  }
  result.removed = removed;
  return result;
}

// What a whole-folder deletion counts: the folder's size, taken from the listings before each file
// went (one listing of each folder serves both), or, when a stop cut the deletion short, the sizes
// of the files it reached.
double FolderFigure(const EraseContext& ctx, const FolderDeletion& deletion) {
  return ctx.Stopped() ? deletion.attempted : deletion.listed;
}

double FolderSizeWalk(const EraseContext& ctx, const std::wstring& folder) {
  double size = 0;
  std::vector<std::wstring> pending{folder};
  while (!pending.empty() && !ctx.Stopped()) {
    std::wstring current = std::move(pending.back());
    pending.pop_back();
    Listing listing = List(ctx, current);
    for (const Entry& file : listing.files) size += file.size;
    for (const Entry& sub : listing.folders) {
      std::wstring path = platform::JoinPath(current, sub.name);
      if (!sub.IsLink() && Enters(ctx, path)) pending.push_back(std::move(path));
    }
  }
  return size;
}

struct PendingFolder {
  std::wstring path;
  DWORD attributes;
};

double NamedFoldersWalk(const EraseContext& ctx, const std::wstring& folder, const std::wstring& name,
                        DWORD folderAttributes) {
  double figure = 0;
  std::vector<PendingFolder> pending{{folder, folderAttributes}};
  while (!pending.empty() && !ctx.Stopped()) {
    PendingFolder current = std::move(pending.back());
    pending.pop_back();
    Listing listing = List(ctx, current.path);
    std::vector<PendingFolder> remaining;
    for (const Entry& sub : listing.folders) {
      if ((current.attributes & FILE_ATTRIBUTE_HIDDEN) && !ctx.Previewing()) ResetAttributes(current.path);
      if (sub.IsLink()) continue;
      std::wstring path = platform::JoinPath(current.path, sub.name);
      if (!Enters(ctx, path)) continue;
      if (platform::ToLower(sub.name) == name) {
        figure += FolderFigure(ctx, DeleteFolderTree(ctx, path, false));
      } else {
        remaining.push_back({std::move(path), sub.attributes});
      }
    }
    for (auto sub = remaining.rbegin(); sub != remaining.rend(); ++sub) pending.push_back(std::move(*sub));
    figure += kFolderVisit;
  }
  return figure;
}

}  // namespace

double EraseNamedFilesInTree(const EraseContext& ctx, const std::wstring& folder, const std::wstring& name) {
  return FileTree(ctx, folder, {Match::Name, name});
}

double EraseAllFilesInTree(const EraseContext& ctx, const std::wstring& folder) {
  return FileTree(ctx, folder, {Match::All, {}});
}

double EraseFilesByExtensionInTree(const EraseContext& ctx, const std::wstring& folder,
                                   const std::wstring& extension) {
  return FileTree(ctx, folder, {Match::Extension, extension});
}

double EraseNamedFoldersInTree(const EraseContext& ctx, const std::wstring& folder, const std::wstring& name) {
  auto target = Start(ctx, engine::GuardedFolder(ctx, folder));
  if (!target) return kFolderVisit;
  return NamedFoldersWalk(ctx, *target, name, AttributesOf(*target));
}

double RecreateFolder(const EraseContext& ctx, const std::wstring& folder, const std::wstring& kept) {
  auto target = Start(ctx, engine::GuardedFolder(ctx, folder));
  if (!target) return 0;
  DWORD attributes = AttributesOf(*target);
  bool preview = ctx.Previewing();
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) && !preview) {
    ResetAttributes(*target);
  }
  double size = 0;
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    std::wstring keptPath = kept.empty() ? kept : platform::JoinPath(*target, kept);
    // The folder itself comes back at once: only its contents count as erased, and what stays is
    // not released.
    size = FolderFigure(ctx, DeleteFolderTree(ctx, *target, true, false, keptPath));
  }
  if (!preview) CreateDirectoryW(platform::ApiPath(*target).c_str(), nullptr);
  return size;
}

double EraseFilesInFolder(const EraseContext& ctx, const std::wstring& folder) {
  return FilesInFolder(ctx, folder, {Match::All, {}});
}

double EraseNamedFileInFolder(const EraseContext& ctx, const std::wstring& folder, const std::wstring& name) {
  return FilesInFolder(ctx, folder, {Match::Name, name});
}

double EraseFilesByExtensionInFolder(const EraseContext& ctx, const std::wstring& folder,
                                     const std::wstring& extension) {
  return FilesInFolder(ctx, folder, {Match::Extension, extension});
}

double EraseFilesInFolderExcept(const EraseContext& ctx, const std::wstring& folder,
                                const std::vector<std::wstring>& kept) {
  return FilesInFolder(ctx, folder, {Match::NotKept, {}, &kept});
}

double EraseFile(const EraseContext& ctx, const std::wstring& path) {
  auto target = Start(ctx, engine::GuardedTarget(ctx, path));
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!target || !GetFileAttributesExW(platform::ApiPath(*target).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return 0;
  }
  if (const engine::CookieSchema* schema = engine::CookieDatabaseSchema(*target)) {
    return engine::CleanCookieDatabase(ctx, *target, *schema);
  }
  if (engine::BelongsToCookieDatabase(*target)) return 0;
  double size = static_cast<double>((static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
  DeleteOneFile(ctx, {*target, size, data.dwFileAttributes, false});
  return size;
}

double EraseFolder(const EraseContext& ctx, const std::wstring& folder) {
  auto target = Start(ctx, engine::GuardedFolder(ctx, folder));
  if (!target) return 0;
  DWORD attributes = AttributesOf(*target);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
  return FolderFigure(ctx, DeleteFolderTree(ctx, *target, false));
}

double EraseFilesWhere(const EraseContext& ctx, const std::wstring& folder, const FileTest& wanted, bool recurse,
                       bool removeEmptied, bool exactNames) {
  engine::GuardDecision decision = engine::GuardFolder(ctx, folder);
  if (decision && !Start(ctx, decision.exact)) return 0;
  // Files of an exact name may go from a drive root or a protected folder; nothing walks from there.
  bool byName = exactNames && !recurse && !removeEmptied && engine::AllowsExactNames(decision);
  if (!decision && !byName) {
    if (decision.refusal != engine::Refusal::NotAFullPath) {
      ctx.LeftBehind(folder, std::wstring(L"refused: ") + engine::RefusalReason(decision.refusal));
    }
    return 0;
  }
  // Every folder met, its parent's place in the list, and whether nothing stays in it.
  struct Visited {
    std::wstring path;
    size_t parent;
    bool empty = true;
  };
  std::vector<Visited> visited{{decision.exact, 0}};
  DeletionWorkers workers(ctx);
  double figure = 0;
  for (size_t at = 0; at < visited.size() && !ctx.Stopped(); ++at) {
    const std::wstring current = visited[at].path;
    Listing listing = List(ctx, current);
    bool empty = listing.opened;
    FolderDeletions deletions(ctx, workers);
    for (const Entry& file : listing.files) {
      if (ctx.Stopped()) break;
      ctx.Pump();
      std::wstring path = platform::JoinPath(current, file.name);
      if (!wanted(file.name, path)) {
        empty = false;
        continue;
      }
      if (byName) {
        // The guard records a refusal: what went before it is recorded first.
        deletions.Finish();
        if (!engine::GuardedTarget(ctx, path)) {
          empty = false;
          continue;
        }
      }
      deletions.Add(std::move(path), static_cast<double>(file.size), file.attributes, false);
    }
    deletions.Finish();
    figure += deletions.deleted;
    empty &= deletions.allGone;
    for (const Entry& sub : listing.folders) {
      std::wstring path = platform::JoinPath(current, sub.name);
      if (recurse && !sub.IsLink() && Enters(ctx, path)) {
        visited.push_back({path, at});
      } else {
        empty = false;  // a link or a folder it does not walk stays
      }
    }
    visited[at].empty = empty;
  }
  if (removeEmptied && !ctx.Stopped()) {
    // Deepest first, so a folder is judged after everything below it.
    for (size_t at = visited.size(); at-- > 0;) {
      bool removed = visited[at].empty && RemoveOneFolder(ctx, visited[at].path, true, true);
      if (!removed && at > 0) visited[visited[at].parent].empty = false;
    }
  }
  return figure;
}

void EraseNamedFilesOnDrive(const EraseContext& ctx, const std::wstring& root, const std::wstring& name) {
  bool driveRoot = root.size() == 3 && root[1] == L':' && root[2] == L'\\';
  if (driveRoot && !name.empty()) FileTreeWalk(ctx, root, {Match::NameAnyCase, name, nullptr, true});
}

double FolderSize(const std::wstring& folder) { return FolderSizeWalk(EraseContext{}, folder); }

}  // namespace allerase
