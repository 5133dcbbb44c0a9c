#include <vector>

#include "engine/allerase.h"
#include "engine/long_path.h"
#include "engine/path_guard.h"
#include "engine/secure_overwrite.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace allerase {

namespace {

struct Entry {
  std::wstring name;
  DWORD attributes;
  double size;
  bool IsFolder() const { return attributes & FILE_ATTRIBUTE_DIRECTORY; }
  // Junctions and symbolic links: never walked, so no erasure leaves the tree it was given.
  bool IsLink() const { return attributes & FILE_ATTRIBUTE_REPARSE_POINT; }
  bool IsHidden() const { return attributes & FILE_ATTRIBUTE_HIDDEN; }
};

struct Listing {
  bool opened = false;
  std::vector<Entry> files;
  std::vector<Entry> folders;
};

// The folder's entries in the file system's order, read whole before anything is deleted.
Listing List(const std::wstring& folder) {
  Listing listing;
  WIN32_FIND_DATAW data;
  platform::FindHandle find(FindFirstFileExW(engine::ApiPath(platform::JoinPath(folder, L"*")).c_str(),
                                             FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                             FIND_FIRST_EX_LARGE_FETCH));
  if (!find) return listing;
  listing.opened = true;
  do {
    std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    Entry entry{name, data.dwFileAttributes,
                static_cast<double>((static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow)};
    (entry.IsFolder() ? listing.folders : listing.files).push_back(std::move(entry));
  } while (FindNextFileW(find.get(), &data));
  return listing;
}

std::wstring Extension(const std::wstring& name) {
  size_t dot = name.find_last_of(L'.');
  return dot == std::wstring::npos ? std::wstring() : platform::ToLower(name.substr(dot + 1));
}

void ResetAttributes(const std::wstring& path) {
  SetFileAttributesW(engine::ApiPath(path).c_str(), FILE_ATTRIBUTE_NORMAL);
}

DWORD AttributesOf(const std::wstring& path) { return GetFileAttributesW(engine::ApiPath(path).c_str()); }

// Why the platform refused; nothing when the entry was already gone, which leaves nothing behind.
const wchar_t* RefusalReason(DWORD error, DWORD attributes) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return nullptr;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return L"in use";
    case ERROR_ACCESS_DENIED: return (attributes & FILE_ATTRIBUTE_READONLY) ? L"read-only" : L"access denied";
    case ERROR_DIR_NOT_EMPTY: return L"not empty";
    default: return L"refused";
  }
}

// Deletes one file, or in a preview tells whether the deletion would go through: a read-only file
// stays unless `force` resets it first. Every file deletion of the module goes through here, so a
// secure run overwrites each file before it goes.
bool DeleteOneFile(const EraseContext& ctx, const std::wstring& path, double size, DWORD attributes, bool force) {
  bool readOnly = attributes & FILE_ATTRIBUTE_READONLY;
  if (ctx.Previewing()) {
    if (readOnly && !force) {
      ctx.LeftBehind(path, L"read-only");
      return false;
    }
    ctx.File(path, size);
    return true;
  }
  if (force && readOnly) ResetAttributes(path);
  if (ctx.Overwriting()) engine::OverwriteWithZeros(path);
  if (DeleteFileW(engine::ApiPath(path).c_str())) {
    ctx.File(path, size);
    return true;
  }
  if (const wchar_t* reason = RefusalReason(GetLastError(), force ? 0 : attributes)) ctx.LeftBehind(path, reason);
  return false;
}

// Removes an emptied folder; in a preview, `emptied` tells whether it would be empty by then.
bool RemoveOneFolder(const EraseContext& ctx, const std::wstring& folder, bool emptied, bool record) {
  if (ctx.Previewing()) {
    if (record) emptied ? ctx.Folder(folder) : ctx.LeftBehind(folder, L"not empty");
    return emptied;
  }
  if (RemoveDirectoryW(engine::ApiPath(folder).c_str())) {
    if (record) ctx.Folder(folder);
    return true;
  }
  const wchar_t* reason = RefusalReason(GetLastError(), 0);
  if (record && reason) ctx.LeftBehind(folder, reason);
  return false;
}

enum class Match { All, Name, Extension, NotKept };

struct FileRule {
  Match match;
  std::wstring text;
  bool yieldAfterEachFile;
  const std::vector<std::wstring>* kept = nullptr;
  bool Matches(const std::wstring& name, const std::wstring& path) const {
    switch (match) {
      case Match::All: return true;
      case Match::Name: return name == text;
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
// then deleted, and stays counted when the deletion fails.
double EraseFiles(const EraseContext& ctx, const std::wstring& folder, const std::vector<Entry>& files,
                  const FileRule& rule) {
  double figure = 0;
  for (const Entry& file : files) {
    std::wstring path = platform::JoinPath(folder, file.name);
    DWORD attributes = file.attributes;
    if (file.IsHidden()) {
      if (!ctx.Previewing()) ResetAttributes(path);
      attributes = FILE_ATTRIBUTE_NORMAL;
    }
    if (rule.Matches(file.name, path)) {
      figure += file.size;
      DeleteOneFile(ctx, path, file.size, attributes, false);
    }
    if (rule.yieldAfterEachFile) ctx.Pump();
  }
  return figure;
}

// Depth first, with a list of folders still to visit instead of recursion: a tree as deep as a path
// can reach must not exhaust the stack.
double FileTreeWalk(const EraseContext& ctx, const std::wstring& folder, const FileRule& rule) {
  double figure = 0;
  std::vector<std::wstring> pending{folder};
  while (!pending.empty()) {
    std::wstring current = std::move(pending.back());
    pending.pop_back();
    Listing listing = List(current);
    figure += EraseFiles(ctx, current, listing.files, rule) + kFolderVisit;
    for (auto sub = listing.folders.rbegin(); sub != listing.folders.rend(); ++sub) {
      if (!sub->IsLink()) pending.push_back(platform::JoinPath(current, sub->name));
    }
  }
  return figure;
}

double FileTree(const EraseContext& ctx, const std::wstring& folder, const FileRule& rule) {
  auto target = engine::ErasablePath(folder);
  return target ? FileTreeWalk(ctx, *target, rule) : kFolderVisit;
}

double FilesInFolder(const EraseContext& ctx, const std::wstring& folder, const FileRule& rule) {
  auto target = engine::ErasablePath(folder);
  if (!target) return 0;
  return EraseFiles(ctx, *target, List(*target).files, rule);
}

// One folder of a tree being deleted: its listing, the subfolder to go into next, and whether
// everything met in it so far went.
struct DeletionFrame {
  std::wstring path;
  Listing listing;
  bool record;
  size_t next = 0;
  bool emptied = true;
};

// Deletes a folder's contents and then the folder; true when the folder is gone. Links inside are
// removed as links, never walked; without `force`, read-only files stay (and so does the folder that
// holds them). `recordSelf` is off for a folder that is created again at once. The folders being
// deleted are kept on a list of their own rather than on the call stack, whatever the depth.
bool DeleteFolderTree(const EraseContext& ctx, const std::wstring& folder, bool force, bool recordSelf = true) {
  std::vector<DeletionFrame> open;
  auto enter = [&](const std::wstring& path, bool record) {
    DeletionFrame frame{path, List(path), record};
    for (const Entry& file : frame.listing.files) {
      frame.emptied &= DeleteOneFile(ctx, platform::JoinPath(path, file.name), file.size, file.attributes, force);
    }
    open.push_back(std::move(frame));
  };
  enter(folder, recordSelf);
  bool removed = false;
  while (!open.empty()) {
    DeletionFrame& top = open.back();
    if (top.next < top.listing.folders.size()) {
      const Entry& sub = top.listing.folders[top.next++];
      std::wstring path = platform::JoinPath(top.path, sub.name);
      if (sub.IsLink()) {
        // RemoveDirectoryW removes a junction or folder link itself, never what it leads to. (Wine
        // cannot remove its Unix links this way; they are then left in place.)
        top.emptied &= RemoveOneFolder(ctx, path, true, true);
        continue;
      }
      if (force && (sub.attributes & FILE_ATTRIBUTE_READONLY) && !ctx.Previewing()) ResetAttributes(path);
      enter(path, true);
      continue;
    }
    removed = RemoveOneFolder(ctx, top.path, top.emptied, top.record);
    open.pop_back();
    if (!open.empty()) open.back().emptied &= removed;
  }
  return removed;
}

double FolderSizeWalk(const std::wstring& folder) {
  double size = 0;
  std::vector<std::wstring> pending{folder};
  while (!pending.empty()) {
    std::wstring current = std::move(pending.back());
    pending.pop_back();
    Listing listing = List(current);
    for (const Entry& file : listing.files) size += file.size;
    for (const Entry& sub : listing.folders) {
      if (!sub.IsLink()) pending.push_back(platform::JoinPath(current, sub.name));
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
  while (!pending.empty()) {
    PendingFolder current = std::move(pending.back());
    pending.pop_back();
    Listing listing = List(current.path);
    std::vector<PendingFolder> remaining;
    for (const Entry& sub : listing.folders) {
      if ((current.attributes & FILE_ATTRIBUTE_HIDDEN) && !ctx.Previewing()) ResetAttributes(current.path);
      if (sub.IsLink()) continue;
      std::wstring path = platform::JoinPath(current.path, sub.name);
      if (platform::ToLower(sub.name) == name) {
        figure += FolderSizeWalk(path);
        DeleteFolderTree(ctx, path, false);
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
  return FileTree(ctx, folder, {Match::Name, name, true});
}

double EraseAllFilesInTree(const EraseContext& ctx, const std::wstring& folder) {
  return FileTree(ctx, folder, {Match::All, {}, false});
}

double EraseFilesByExtensionInTree(const EraseContext& ctx, const std::wstring& folder,
                                   const std::wstring& extension) {
  return FileTree(ctx, folder, {Match::Extension, extension, false});
}

double EraseNamedFoldersInTree(const EraseContext& ctx, const std::wstring& folder, const std::wstring& name) {
  auto target = engine::ErasablePath(folder);
  if (!target) return kFolderVisit;
  return NamedFoldersWalk(ctx, *target, name, AttributesOf(*target));
}

double RecreateFolder(const EraseContext& ctx, const std::wstring& folder) {
  auto target = engine::ErasablePath(folder);
  if (!target) return 0;
  DWORD attributes = AttributesOf(*target);
  bool preview = ctx.Previewing();
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) && !preview) {
    ResetAttributes(*target);
  }
  double size = 0;
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    size = FolderSizeWalk(*target);
    // The folder itself comes back at once: only its contents count as erased.
    DeleteFolderTree(ctx, *target, true, false);
  }
  if (!preview) CreateDirectoryW(engine::ApiPath(*target).c_str(), nullptr);
  return size;
}

double EraseFilesInFolder(const EraseContext& ctx, const std::wstring& folder) {
  return FilesInFolder(ctx, folder, {Match::All, {}, false});
}

double EraseNamedFileInFolder(const EraseContext& ctx, const std::wstring& folder, const std::wstring& name) {
  return FilesInFolder(ctx, folder, {Match::Name, name, true});
}

double EraseFilesByExtensionInFolder(const EraseContext& ctx, const std::wstring& folder,
                                     const std::wstring& extension) {
  return FilesInFolder(ctx, folder, {Match::Extension, extension, true});
}

double EraseFilesInFolderExcept(const EraseContext& ctx, const std::wstring& folder,
                                const std::vector<std::wstring>& kept) {
  return FilesInFolder(ctx, folder, {Match::NotKept, {}, true, &kept});
}

double EraseFile(const EraseContext& ctx, const std::wstring& path) {
  auto target = engine::ErasablePath(path);
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!target || !GetFileAttributesExW(engine::ApiPath(*target).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return 0;
  }
  double size = static_cast<double>((static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
  DeleteOneFile(ctx, *target, size, data.dwFileAttributes, false);
  return size;
}

double EraseFolder(const EraseContext& ctx, const std::wstring& folder) {
  auto target = engine::ErasablePath(folder);
  if (!target) return 0;
  DWORD attributes = AttributesOf(*target);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
  double size = FolderSizeWalk(*target);
  DeleteFolderTree(ctx, *target, false);
  return size;
}

double FolderSize(const std::wstring& folder) { return FolderSizeWalk(folder); }

}  // namespace allerase
