// The erasures of files and folders, each a set of steps for the one walk (engine/folder_walk.h).
#include <vector>

#include "engine/allerase.h"
#include "engine/cookie_database.h"
#include "engine/folder_walk.h"
#include "engine/kept_paths.h"
#include "engine/link_check.h"
#include "engine/path_guard.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/translation.h"

namespace engine::allerase {

namespace {

std::wstring Extension(const std::wstring& name) {
  size_t dot = name.find_last_of(L'.');
  return dot == std::wstring::npos ? std::wstring() : platform::ToLower(name.substr(dot + 1));
}

void ResetAttributes(const std::wstring& path) {
  SetFileAttributesW(platform::ApiPath(path).c_str(), FILE_ATTRIBUTE_NORMAL);
}

DWORD AttributesOf(const std::wstring& path) { return GetFileAttributesW(platform::ApiPath(path).c_str()); }

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
  FileSteps(const EraseContext& erase, const FileRule& rule, bool tree) : ctx_(erase), rule_(rule) {
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
double FileTreeWalk(const EraseContext& erase, const std::wstring& folder, const FileRule& rule) {
  FileSteps steps(erase, rule, true);
  WalkResult walked = Walk(erase, {folder}, steps);
  return walked.attempted + static_cast<double>(walked.listed) * kFolderVisit;
}

double FileTree(const EraseContext& erase, const std::wstring& folder, const FileRule& rule) {
  auto target = Start(erase, engine::GuardedFolder(erase, folder));
  return target ? FileTreeWalk(erase, *target, rule) : kFolderVisit;
}

double FilesInFolder(const EraseContext& erase, const std::wstring& folder, const FileRule& rule) {
  auto target = Start(erase, engine::GuardedFolder(erase, folder));
  if (!target) return 0;
  FileSteps steps(erase, rule, false);
  return Walk(erase, {*target}, steps).attempted;
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
  TreeDeletionSteps(const EraseContext& erase, bool force, bool recordSelf, const std::wstring& kept)
      : ctx_(erase), force_(force), recordSelf_(recordSelf), kept_(kept) {}
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
      ctx_.LeftBehind(path, platform::Tr(L"a link, left in place"));
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

FolderDeletion DeleteFolderTree(const EraseContext& erase, WalkedFolder folder, bool force, bool recordSelf = true,
                                const std::wstring& kept = {}) {
  TreeDeletionSteps steps(erase, force, recordSelf, kept);
  steps.result.attempted = Walk(erase, std::move(folder), steps).attempted;
  return steps.result;
}

// What a whole-folder deletion counts: the folder's size, taken from the listings before each file
// went (one listing of each folder serves both), or, when a stop cut the deletion short, the sizes
// of the files it reached.
double FolderFigure(const EraseContext& erase, const FolderDeletion& deletion) {
  return erase.Stopped() ? deletion.attempted : deletion.listed;
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
  NamedFolderSteps(const EraseContext& erase, const std::wstring& name) : ctx_(erase), name_(name) {}
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
  FilesWhereSteps(const EraseContext& erase, const FileTest& wanted, bool byName, bool removeEmptied)
      : ctx_(erase), wanted_(wanted), byName_(byName), removeEmptied_(removeEmptied) {}
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

double EraseNamedFilesInTree(const EraseContext& erase, const std::wstring& folder, const std::wstring& name) {
  return FileTree(erase, folder, {Match::Name, name});
}

double EraseAllFilesInTree(const EraseContext& erase, const std::wstring& folder) {
  return FileTree(erase, folder, {Match::All, {}});
}

double EraseFilesByExtensionInTree(const EraseContext& erase, const std::wstring& folder,
                                   const std::wstring& extension) {
  return FileTree(erase, folder, {Match::Extension, extension});
}

double EraseNamedFoldersInTree(const EraseContext& erase, const std::wstring& folder, const std::wstring& name) {
  auto target = Start(erase, engine::GuardedFolder(erase, folder));
  if (!target) return kFolderVisit;
  NamedFolderSteps steps(erase, name);
  size_t listed = Walk(erase, {*target, AttributesOf(*target)}, steps).listed;
  return steps.figure + static_cast<double>(listed) * kFolderVisit;
}

double RecreateFolder(const EraseContext& erase, const std::wstring& folder, const std::wstring& kept) {
  auto target = Start(erase, engine::GuardedFolder(erase, folder));
  if (!target) return 0;
  DWORD attributes = AttributesOf(*target);
  bool preview = erase.Previewing();
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) && !preview) {
    ResetAttributes(*target);
  }
  double size = 0;
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    std::wstring keptPath = kept.empty() ? kept : platform::JoinPath(*target, kept);
    // The folder itself comes back at once: only its contents count as erased, and what stays is
    // not released.
    size = FolderFigure(erase, DeleteFolderTree(erase, {*target}, true, false, keptPath));
  }
  if (!preview) CreateDirectoryW(platform::ApiPath(*target).c_str(), nullptr);
  return size;
}

double EraseFilesInFolder(const EraseContext& erase, const std::wstring& folder) {
  return FilesInFolder(erase, folder, {Match::All, {}});
}

double EraseNamedFileInFolder(const EraseContext& erase, const std::wstring& folder, const std::wstring& name) {
  return FilesInFolder(erase, folder, {Match::Name, name});
}

double EraseFilesByExtensionInFolder(const EraseContext& erase, const std::wstring& folder,
                                     const std::wstring& extension) {
  return FilesInFolder(erase, folder, {Match::Extension, extension});
}

double EraseFilesInFolderExcept(const EraseContext& erase, const std::wstring& folder,
                                const std::vector<std::wstring>& kept) {
  return FilesInFolder(erase, folder, {Match::NotKept, {}, &kept});
}

double EraseFile(const EraseContext& erase, const std::wstring& path) {
  auto target = Start(erase, engine::GuardedTarget(erase, path));
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!target || !GetFileAttributesExW(platform::ApiPath(*target).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return 0;
  }
  if (const engine::CookieSchema* schema = engine::CookieDatabaseSchema(*target)) {
    return engine::CleanCookieDatabase(erase, *target, *schema);
  }
  const Entry file{{},
                   data.dwFileAttributes,
                   (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                   data.ftLastWriteTime,
                   data.ftCreationTime,
                   erase.keepChangedFrom ? platform::ChangeTime(*target) : 0};
  if (engine::BelongsToCookieDatabase(*target) || erase.KeptAsTooNew(*target, file)) return 0;
  const double size = static_cast<double>(file.size);
  DeleteOneFile(erase, {*target, size, data.dwFileAttributes, false, erase.Reason()});
  return size;
}

double EraseFolder(const EraseContext& erase, const std::wstring& folder) {
  auto target = Start(erase, engine::GuardedFolder(erase, folder));
  if (!target) return 0;
  DWORD attributes = AttributesOf(*target);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
  return FolderFigure(erase, DeleteFolderTree(erase, {*target}, false));
}

double EraseFilesWhere(const EraseContext& erase, const std::wstring& folder, const FileTest& wanted, bool recurse,
                       bool removeEmptied, bool exactNames) {
  engine::GuardDecision decision = engine::GuardFolder(erase, folder);
  if (decision && (!Start(erase, decision.exact) || engine::KeepsPath(erase, decision.exact))) return 0;
  // Files of an exact name may go from a drive root or a protected folder; nothing walks from there.
  bool byName = exactNames && !recurse && !removeEmptied && engine::AllowsExactNames(decision);
  if (!decision && !byName) {
    if (decision.refusal != engine::Refusal::NotAFullPath) {
      erase.Refused(folder, engine::RefusalReason(decision.refusal));
    }
    return 0;
  }
  FilesWhereSteps steps(erase, wanted, byName, removeEmptied);
  steps.descends = recurse;
  return Walk(erase, {decision.exact}, steps).deleted;
}

void EraseNamedFilesOnDrive(const EraseContext& erase, const std::wstring& root, const std::wstring& name) {
  bool driveRoot = root.size() == 3 && platform::IsDrivePath(root);
  if (driveRoot && !name.empty()) FileTreeWalk(erase, root, {Match::NameAnyCase, name, nullptr, true});
}

double FolderSize(const std::wstring& folder) {
  SizeSteps steps;
  Walk(EraseContext{}, {folder}, steps);
  return steps.size;
}

}  // namespace engine::allerase
