#include <vector>

#include "engine/allerase.h"
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
  platform::FindHandle find(FindFirstFileExW(platform::JoinPath(folder, L"*").c_str(), FindExInfoBasic,
                                             &data, FindExSearchNameMatch, nullptr,
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

void ResetAttributes(const std::wstring& path) { SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL); }

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
  if (DeleteFileW(path.c_str())) {
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
  if (RemoveDirectoryW(folder.c_str())) {
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

double FileTreeWalk(const EraseContext& ctx, const std::wstring& folder, const FileRule& rule) {
  Listing listing = List(folder);
  double figure = EraseFiles(ctx, folder, listing.files, rule);
  for (const Entry& sub : listing.folders) {
    if (!sub.IsLink()) figure += FileTreeWalk(ctx, platform::JoinPath(folder, sub.name), rule);
  }
  return figure + kFolderVisit;
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

// Deletes a folder's contents and then the folder; true when the folder is gone. Links inside are
// removed as links, never walked; without `force`, read-only files stay (and so does the folder that
// holds them). `recordSelf` is off for a folder that is created again at once.
bool DeleteFolderTree(const EraseContext& ctx, const std::wstring& folder, bool force, bool recordSelf = true) {
  Listing listing = List(folder);
  bool emptied = true;
  for (const Entry& file : listing.files) {
    emptied &= DeleteOneFile(ctx, platform::JoinPath(folder, file.name), file.size, file.attributes, force);
  }
  for (const Entry& sub : listing.folders) {
    std::wstring path = platform::JoinPath(folder, sub.name);
    if (!sub.IsLink()) {
      if (force && (sub.attributes & FILE_ATTRIBUTE_READONLY) && !ctx.Previewing()) ResetAttributes(path);
      emptied &= DeleteFolderTree(ctx, path, force);
      continue;
    }
    // RemoveDirectoryW removes a junction or folder link itself, never what it leads to. (Wine
    // cannot remove its Unix links this way; they are then left in place.)
    emptied &= RemoveOneFolder(ctx, path, true, true);
  }
  return RemoveOneFolder(ctx, folder, emptied, recordSelf);
}

double FolderSizeWalk(const std::wstring& folder) {
  Listing listing = List(folder);
  double size = 0;
  for (const Entry& file : listing.files) size += file.size;
  for (const Entry& sub : listing.folders) {
    if (!sub.IsLink()) size += FolderSizeWalk(platform::JoinPath(folder, sub.name));
  }
  return size;
}

double NamedFoldersWalk(const EraseContext& ctx, const std::wstring& folder, const std::wstring& name,
                        DWORD folderAttributes) {
  Listing listing = List(folder);
  double figure = 0;
  std::vector<const Entry*> remaining;
  for (const Entry& sub : listing.folders) {
    if ((folderAttributes & FILE_ATTRIBUTE_HIDDEN) && !ctx.Previewing()) ResetAttributes(folder);
    if (sub.IsLink()) continue;
    if (platform::ToLower(sub.name) == name) {
      std::wstring path = platform::JoinPath(folder, sub.name);
      figure += FolderSizeWalk(path);
      DeleteFolderTree(ctx, path, false);
    } else {
      remaining.push_back(&sub);
    }
  }
  for (const Entry* sub : remaining) {
    figure += NamedFoldersWalk(ctx, platform::JoinPath(folder, sub->name), name, sub->attributes);
  }
  return figure + kFolderVisit;
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
  return NamedFoldersWalk(ctx, *target, name, GetFileAttributesW(target->c_str()));
}

double RecreateFolder(const EraseContext& ctx, const std::wstring& folder) {
  auto target = engine::ErasablePath(folder);
  if (!target) return 0;
  DWORD attributes = GetFileAttributesW(target->c_str());
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
  if (!preview) CreateDirectoryW(target->c_str(), nullptr);
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
  if (!target || !GetFileAttributesExW(target->c_str(), GetFileExInfoStandard, &data) ||
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
  DWORD attributes = GetFileAttributesW(target->c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
  double size = FolderSizeWalk(*target);
  DeleteFolderTree(ctx, *target, false);
  return size;
}

double FolderSize(const std::wstring& folder) { return FolderSizeWalk(folder); }

}  // namespace allerase
