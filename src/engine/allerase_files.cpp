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

namespace engine::allerase {

namespace {

using Entry = platform::FolderEntry;
using engine::DeletionWorkers;
using engine::FileDeletion;

struct Listing {
  bool opened = false;
  std::vector<Entry> files;
  std::vector<Entry> folders;
};

// The folder's entries in the file system's order, read whole through the walk's handle of it
// before anything is deleted. A folder of many thousand entries takes a while to list: the window
// keeps working meanwhile. A folder the user may not list (one that needs administrator rights) is
// named in the details.
// `error` is why the folder could not be opened.
Listing List(const EraseContext& ctx, const std::wstring& folder, const platform::FileHandle& opened, DWORD error) {
  Listing listing;
  auto each = [&](const Entry& entry) {
    ctx.Pump();
    (entry.IsFolder() ? listing.folders : listing.files).push_back(entry);
  };
  if (opened) {
    platform::Result<void> listed = platform::ListOpenFolder(opened.get(), each);
    error = listed ? ERROR_SUCCESS : listed.SystemError();
  }
  listing.opened = error == ERROR_SUCCESS;
  if (error == ERROR_ACCESS_DENIED) ctx.LeftBehind(folder, L"access denied");
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

// What a user keeps in a folder's files and the running item may not erase: known by the path as
// named and by where the folder leads, as a link above a browser's profile folder may name it
// otherwise. Both are judged once for the folder, then by each file's name.
class KeptInFolder {
 public:
  KeptInFolder(const std::wstring& folder, const std::wstring& leadsTo) : named_(folder) {
    if (leadsTo != folder) reached_.emplace(leadsTo);
  }
  const engine::KeptEntry* Refused(const EraseContext& ctx, const std::wstring& name) const {
    const engine::KeptEntry* entry = named_.File(name);
    if (!entry && reached_) entry = reached_->File(name);
    return engine::Refuses(entry, ctx.keptAllowed) ? entry : nullptr;
  }

 private:
  engine::KeptFolder named_;
  std::optional<engine::KeptFolder> reached_;
};

std::wstring FolderOf(const std::wstring& path) {
  // A root keeps its separator.
  return path.substr(0, std::max<size_t>(path.find_last_of(L'\\'), 3));
}

// One file on its own, deleted (in a preview, judged) and recorded at once; a file that holds what
// a user keeps stays, and the details say why.
bool DeleteOneFile(const EraseContext& ctx, FileDeletion file) {
  engine::WalkedFolders folders;
  const KeptInFolder inFolder(FolderOf(file.path), folders.LeadsTo(file.path));
  if (const engine::KeptEntry* kept = inFolder.Refused(ctx, file.path.substr(file.path.find_last_of(L'\\') + 1))) {
    ctx.LeftBehind(file.path, engine::KeptRefusal(*kept));
    return false;
  }
  engine::ExpectedFinalPaths places;
  if (!ctx.Previewing())
    file.error = engine::DeleteFileNow(
        file, ctx.Overwriting(), [&] { ctx.Pump(); }, places);
  return RecordDeletion(ctx, file);
}

// The file deletions of one folder: handed over in the walk's order, deleted side by side, then
// recorded in that order, so the details read as if they went one by one.
class FolderDeletions {
 public:
  FolderDeletions(const EraseContext& ctx, DeletionWorkers& workers) : ctx_(ctx), workers_(workers) {}
  // Where the folder lies, from the handle the walk listed it with: its files' kept data and, under
  // Wine, each deletion's check that it is no link are judged by it without opening the folder again.
  void Learn(const std::wstring& folder, HANDLE opened) {
    kept_.emplace(folder, engine::FolderLeadsTo(folder, opened));
    if (!ctx_.Previewing() && platform::RunsUnderWine()) places_.Learn(folder, opened);
  }
  // False for a file that holds what a user keeps: it stays, its refusal recorded after what went
  // before it. A cookie database stays too, cleaned inside, and counts the bytes it shed. A file
  // written too recently stays on purpose (`keeps`), and so does its folder.
  bool Add(std::wstring path, const Entry& file, DWORD attributes, bool force) {
    if (!kept_) kept_.emplace(FolderOf(path), engine::WalkedFolders().LeadsTo(path));
    if (ctx_.KeptAsTooNew(path, file)) {
      keeps = true;
      return false;
    }
    const double size = static_cast<double>(file.size);
    if (const engine::KeptEntry* kept = kept_->Refused(ctx_, file.name)) {
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
    workers_.DeleteAll(files_, places_);
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
  bool keeps = false;  // a file too new stays

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
  std::optional<KeptInFolder> kept_;  // learned with the folder, or at its first file
  engine::ExpectedFinalPaths places_;
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

// Every walk asks here at every folder it meets on its way down, of the folder as it opened it: it
// never enters a drive root, a protected folder (but a walk over a whole drive) or the program
// folder, however it reached it, and says so in the details. Nor does it enter a kept site's sign-in
// storage. A folder it could not open is known by its path.
bool Enters(const EraseContext& ctx, const std::wstring& folder, const platform::FileHandle& opened,
            bool throughProtected) {
  engine::Refusal refusal = opened ? engine::FolderRefusal(ctx, folder, opened.get(), throughProtected)
                                   : engine::FolderRefusal(ctx, folder, throughProtected);
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

// A folder a walk has entered.
struct WalkedFolder {
  std::wstring path;
  DWORD attributes = 0;  // as its parent's listing gave them; the starting folder's own
  bool guarded = true;   // the guard let the walk in already: a start its caller asked about
  bool emptied = true;   // everything met in it so far went
  bool keeps = false;    // something in it stays on purpose, and so do the folder and those above it
};

// What one walk does where the walks differ. The walker lists every folder once and keeps the rules
// they share: it never goes through a link, and enters a folder only when Enters allows it; a link
// or a refused folder stays, and so does the folder that holds it (`keeps`).
class WalkSteps {
 public:
  // False: the walk does not go below its starting folder, whose subfolders all stay.
  bool descends = true;
  // A walk over a whole drive, which passes the protected folders.
  bool throughProtected = false;

  // A folder just listed, before its files.
  virtual void Listed(WalkedFolder&, const Listing&) {}
  // One file of the folder: what goes is handed to `deletions`, which deletes the folder's files
  // side by side once they are all met, before anything of its subfolders is touched.
  virtual void File(WalkedFolder&, const Entry&, std::wstring, FolderDeletions&) {}
  // A subfolder that is no link: whether to walk it (the guard judges it once the walk gets there), or
  // whether the walk dealt with it otherwise, through a walk of its own that the guard judges alike.
  virtual bool Enter(WalkedFolder&, const Entry&, const std::wstring&) { return true; }
  // A subfolder that is a link.
  virtual void Link(WalkedFolder& parent, const std::wstring&) { parent.keeps = true; }
  // A folder whose contents are all done, and the folder that holds it (none for the starting one).
  virtual void Leave(WalkedFolder&, WalkedFolder*) {}

 protected:
  ~WalkSteps() = default;
};

struct WalkResult {
  size_t listed = 0;     // the folders listed, the starting one included
  double attempted = 0;  // the sizes of the files whose deletion was attempted
  double deleted = 0;    // the sizes of those that went (in a preview: would go)
};

// Depth first, each folder's files before its subfolders, in the listing's order; a folder is left
// once everything below it is done. Each folder is opened once: the guard judges what it is, it is
// listed and its files are judged and deleted through that one handle. The folders still open, with
// the subfolders each has left to walk, are kept on a list rather than on the call stack: a tree as
// deep as a path can reach must not exhaust the stack. A stop ends it before the next file, and it
// then enters, judges and leaves no further folder.
class Walker {
 public:
  Walker(const EraseContext& ctx, WalkSteps& steps) : ctx_(ctx), steps_(steps), workers_(ctx) {}

  WalkResult Run(WalkedFolder start) {
    if (!ctx_.Stopped()) Enter(std::move(start));
    while (!open_.empty() && !ctx_.Stopped()) {
      Open& top = open_.back();
      if (top.next < top.subfolders.size()) {
        Enter(std::move(top.subfolders[top.next++]));
        continue;
      }
      WalkedFolder done = std::move(top.folder);
      open_.pop_back();
      steps_.Leave(done, open_.empty() ? nullptr : &open_.back().folder);
    }
    return result_;
  }

 private:
  struct Open {
    WalkedFolder folder;
    std::vector<WalkedFolder> subfolders = {};  // the ones to walk, in the listing's order
    size_t next = 0;
  };

  void Enter(WalkedFolder folder) {
    platform::FileHandle handle = platform::OpenFolder(folder.path);
    const DWORD openError = handle ? ERROR_SUCCESS : GetLastError();
    if (!folder.guarded && !Enters(ctx_, folder.path, handle, steps_.throughProtected)) {
      if (!open_.empty()) open_.back().folder.keeps = true;
      return;
    }
    Listing listing = List(ctx_, folder.path, handle, openError);
    ++result_.listed;
    steps_.Listed(folder, listing);
    FolderDeletions deletions(ctx_, workers_);
    if (handle) deletions.Learn(folder.path, handle.get());
    for (const Entry& file : listing.files) {
      if (ctx_.Stopped()) break;
      ctx_.Pump();
      steps_.File(folder, file, platform::JoinPath(folder.path, file.name), deletions);
    }
    deletions.Finish();
    result_.attempted += deletions.attempted;
    result_.deleted += deletions.deleted;
    folder.emptied &= deletions.allGone;
    folder.keeps |= deletions.keeps;
    handle.reset();
    open_.push_back({std::move(folder)});
    Subfolders(open_.back(), listing);
  }

  // The subfolders to walk; the guard judges each when the walk gets there.
  void Subfolders(Open& entered, const Listing& listing) {
    WalkedFolder& parent = entered.folder;
    for (const Entry& sub : listing.folders) {
      if (ctx_.Stopped()) break;
      std::wstring path = platform::JoinPath(parent.path, sub.name);
      if (!steps_.descends) {
        parent.keeps = true;
      } else if (sub.IsLink()) {
        steps_.Link(parent, path);
      } else if (steps_.Enter(parent, sub, path)) {
        entered.subfolders.push_back({std::move(path), sub.attributes, false});
      }
    }
  }

  const EraseContext& ctx_;
  WalkSteps& steps_;
  WalkResult result_;
  DeletionWorkers workers_;
  std::vector<Open> open_;
};

WalkResult Walk(const EraseContext& ctx, WalkedFolder start, WalkSteps& steps) {
  return Walker(ctx, steps).Run(std::move(start));
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

// The files that a rule takes: hidden ones lose the attribute whether they match or not; a match is
// counted, then deleted, and stays counted when the deletion fails.
class FileSteps final : public WalkSteps {
 public:
  FileSteps(const EraseContext& ctx, const FileRule& rule, bool tree) : ctx_(ctx), rule_(rule) {
    descends = tree;
    throughProtected = rule.wholeDrive;
  }
  void File(WalkedFolder&, const Entry& file, std::wstring path, FolderDeletions& deletions) override {
    DWORD attributes = file.attributes;
    const bool matches = rule_.Matches(file.name, path);
    // A file kept for its age keeps its attributes too.
    if (file.IsHidden() && !rule_.wholeDrive && !(matches && ctx_.TooNew(file))) {
      if (!ctx_.Previewing()) ResetAttributes(path);
      attributes = FILE_ATTRIBUTE_NORMAL;
    }
    if (!matches) return;
    if (rule_.wholeDrive) {
      // The guard records a refusal: what went before it is recorded first.
      deletions.Finish();
      if (!engine::GuardedTarget(ctx_, path)) return;
    }
    deletions.Add(std::move(path), file, attributes, false);
  }

 private:
  const EraseContext& ctx_;
  const FileRule& rule_;
};

// The tree walks count every folder they list too.
double FileTreeWalk(const EraseContext& ctx, const std::wstring& folder, const FileRule& rule) {
  FileSteps steps(ctx, rule, true);
  WalkResult walked = Walk(ctx, {folder}, steps);
  return walked.attempted + static_cast<double>(walked.listed) * kFolderVisit;
}

double FileTree(const EraseContext& ctx, const std::wstring& folder, const FileRule& rule) {
  auto target = Start(ctx, engine::GuardedFolder(ctx, folder));
  return target ? FileTreeWalk(ctx, *target, rule) : kFolderVisit;
}

double FilesInFolder(const EraseContext& ctx, const std::wstring& folder, const FileRule& rule) {
  auto target = Start(ctx, engine::GuardedFolder(ctx, folder));
  if (!target) return 0;
  FileSteps steps(ctx, rule, false);
  return Walk(ctx, {*target}, steps).attempted;
}

struct FolderDeletion {
  bool removed = false;  // the folder is gone
  double attempted = 0;  // the sizes of the files whose deletion was attempted
  double listed = 0;     // the sizes of every file met, but the one kept: the folder's size before
};

// A folder's contents and then the folder. Links inside are removed as links, never walked; without
// `force`, read-only files stay (and so does the folder that holds them). `recordSelf` is off for a
// folder that is created again at once. `kept`, a full path, names a file that stays with the
// folders that hold it, none of them counted as left behind. A stop leaves every folder not yet
// emptied as it is.
class TreeDeletionSteps final : public WalkSteps {
 public:
  TreeDeletionSteps(const EraseContext& ctx, bool force, bool recordSelf, const std::wstring& kept)
      : ctx_(ctx), force_(force), recordSelf_(recordSelf), kept_(kept) {}
  void File(WalkedFolder& folder, const Entry& file, std::wstring path, FolderDeletions& deletions) override {
    if (!kept_.empty() && platform::EqualsNoCase(path, kept_)) {
      folder.keeps = true;
    } else if (deletions.Add(std::move(path), file, file.attributes, force_)) {
      result.listed += static_cast<double>(file.size);
    }
  }
  void Listed(WalkedFolder& folder, const Listing&) override {
    if (force_ && (folder.attributes & FILE_ATTRIBUTE_READONLY) && !ctx_.Previewing()) ResetAttributes(folder.path);
  }
  void Link(WalkedFolder& parent, const std::wstring& path) override {
    // RemoveDirectoryW removes a junction or folder link itself, never what it leads to. Wine removes
    // what its Unix link leads to when that is empty, so there the link stays.
    if (!ctx_.Previewing() && engine::IsWineLink(path)) {
      ctx_.LeftBehind(path, L"a link, left in place");
      parent.emptied = false;
    } else {
      parent.emptied &= RemoveOneFolder(ctx_, path, true, true);
    }
  }
  void Leave(WalkedFolder& folder, WalkedFolder* parent) override {
    bool removed = !folder.keeps && RemoveOneFolder(ctx_, folder.path, folder.emptied, parent || recordSelf_);
    if (!parent) {
      result.removed = removed;
    } else if (folder.keeps) {
      parent->keeps = true;
    } else {
      parent->emptied &= removed;
    }
  }
  FolderDeletion result;

 private:
  const EraseContext& ctx_;
  bool force_, recordSelf_;
  const std::wstring& kept_;
};

FolderDeletion DeleteFolderTree(const EraseContext& ctx, WalkedFolder folder, bool force, bool recordSelf = true,
                                const std::wstring& kept = {}) {
  TreeDeletionSteps steps(ctx, force, recordSelf, kept);
  steps.result.attempted = Walk(ctx, std::move(folder), steps).attempted;
  return steps.result;
}

// What a whole-folder deletion counts: the folder's size, taken from the listings before each file
// went (one listing of each folder serves both), or, when a stop cut the deletion short, the sizes
// of the files it reached.
double FolderFigure(const EraseContext& ctx, const FolderDeletion& deletion) {
  return ctx.Stopped() ? deletion.attempted : deletion.listed;
}

class SizeSteps final : public WalkSteps {
 public:
  void File(WalkedFolder&, const Entry& file, std::wstring, FolderDeletions&) override {
    size += static_cast<double>(file.size);
  }
  double size = 0;
};

// Subfolders of a name, deleted whole where the walk meets them; every other folder is walked, and a
// hidden one that holds folders loses the attribute.
class NamedFolderSteps final : public WalkSteps {
 public:
  NamedFolderSteps(const EraseContext& ctx, const std::wstring& name) : ctx_(ctx), name_(name) {}
  void Listed(WalkedFolder& folder, const Listing& listing) override {
    if ((folder.attributes & FILE_ATTRIBUTE_HIDDEN) && !listing.folders.empty() && !ctx_.Previewing()) {
      ResetAttributes(folder.path);
    }
  }
  bool Enter(WalkedFolder&, const Entry& sub, const std::wstring& path) override {
    if (platform::ToLower(sub.name) != name_) return true;
    figure += FolderFigure(ctx_, DeleteFolderTree(ctx_, {path, sub.attributes, false}, false));
    return false;
  }
  double figure = 0;

 private:
  const EraseContext& ctx_;
  const std::wstring& name_;
};

// The files a test takes; with `removeEmptied`, every folder walked that is left empty goes once
// everything below it is done.
class FilesWhereSteps final : public WalkSteps {
 public:
  FilesWhereSteps(const EraseContext& ctx, const FileTest& wanted, bool byName, bool removeEmptied)
      : ctx_(ctx), wanted_(wanted), byName_(byName), removeEmptied_(removeEmptied) {}
  void Listed(WalkedFolder& folder, const Listing& listing) override { folder.emptied = listing.opened; }
  void File(WalkedFolder& folder, const Entry& file, std::wstring path, FolderDeletions& deletions) override {
    if (!wanted_(file.name, path)) {
      folder.emptied = false;
      return;
    }
    if (byName_) {
      // The guard records a refusal: what went before it is recorded first.
      deletions.Finish();
      if (!engine::GuardedTarget(ctx_, path)) {
        folder.emptied = false;
        return;
      }
    }
    deletions.Add(std::move(path), file, file.attributes, false);
  }
  void Leave(WalkedFolder& folder, WalkedFolder* parent) override {
    if (!removeEmptied_) return;
    bool removed = !folder.keeps && folder.emptied && RemoveOneFolder(ctx_, folder.path, true, true);
    if (!removed && parent) parent->emptied = false;
  }

 private:
  const EraseContext& ctx_;
  const FileTest& wanted_;
  bool byName_, removeEmptied_;
};

}  // namespace

double EraseNamedFilesInTree(const EraseContext& ctx, const std::wstring& folder, const std::wstring& name) {
  return FileTree(ctx, folder, {Match::Name, name});
}

double EraseAllFilesInTree(const EraseContext& ctx, const std::wstring& folder) {
  return FileTree(ctx, folder, {Match::All, {}});
}

double EraseFilesByExtensionInTree(const EraseContext& ctx, const std::wstring& folder, const std::wstring& extension) {
  return FileTree(ctx, folder, {Match::Extension, extension});
}

double EraseNamedFoldersInTree(const EraseContext& ctx, const std::wstring& folder, const std::wstring& name) {
  auto target = Start(ctx, engine::GuardedFolder(ctx, folder));
  if (!target) return kFolderVisit;
  NamedFolderSteps steps(ctx, name);
  size_t listed = Walk(ctx, {*target, AttributesOf(*target)}, steps).listed;
  return steps.figure + static_cast<double>(listed) * kFolderVisit;
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
    size = FolderFigure(ctx, DeleteFolderTree(ctx, {*target}, true, false, keptPath));
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
  const Entry file{{},
                   data.dwFileAttributes,
                   (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                   data.ftLastWriteTime,
                   data.ftCreationTime,
                   ctx.keepChangedFrom ? platform::ChangeTime(*target) : 0};
  if (engine::BelongsToCookieDatabase(*target) || ctx.KeptAsTooNew(*target, file)) return 0;
  const double size = static_cast<double>(file.size);
  DeleteOneFile(ctx, {*target, size, data.dwFileAttributes, false});
  return size;
}

double EraseFolder(const EraseContext& ctx, const std::wstring& folder) {
  auto target = Start(ctx, engine::GuardedFolder(ctx, folder));
  if (!target) return 0;
  DWORD attributes = AttributesOf(*target);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
  return FolderFigure(ctx, DeleteFolderTree(ctx, {*target}, false));
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
  FilesWhereSteps steps(ctx, wanted, byName, removeEmptied);
  steps.descends = recurse;
  return Walk(ctx, {decision.exact}, steps).deleted;
}

void EraseNamedFilesOnDrive(const EraseContext& ctx, const std::wstring& root, const std::wstring& name) {
  bool driveRoot = root.size() == 3 && platform::IsDrivePath(root);
  if (driveRoot && !name.empty()) FileTreeWalk(ctx, root, {Match::NameAnyCase, name, nullptr, true});
}

double FolderSize(const std::wstring& folder) {
  SizeSteps steps;
  Walk(EraseContext{}, {folder}, steps);
  return steps.size;
}

}  // namespace engine::allerase
