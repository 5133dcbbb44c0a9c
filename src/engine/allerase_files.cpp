#include <vector>

#include "engine/allerase.h"
#include "engine/path_guard.h"
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
    if (file.IsHidden()) ResetAttributes(path);
    if (rule.Matches(file.name, path)) {
      figure += file.size;
      DeleteFileW(path.c_str());
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

// Deletes a folder's contents and then the folder. Links inside are removed as links, never walked;
// without `force`, read-only files stay (and so does the folder that holds them).
void DeleteFolderTree(const std::wstring& folder, bool force) {
  Listing listing = List(folder);
  for (const Entry& file : listing.files) {
    std::wstring path = platform::JoinPath(folder, file.name);
    if (force && (file.attributes & FILE_ATTRIBUTE_READONLY)) ResetAttributes(path);
    DeleteFileW(path.c_str());
  }
  for (const Entry& sub : listing.folders) {
    std::wstring path = platform::JoinPath(folder, sub.name);
    if (!sub.IsLink()) {
      if (force && (sub.attributes & FILE_ATTRIBUTE_READONLY)) ResetAttributes(path);
      DeleteFolderTree(path, force);
      continue;
    }
    // RemoveDirectoryW removes a junction or folder link itself, never what it leads to. (Wine
    // cannot remove its Unix links this way; they are then left in place.)
    RemoveDirectoryW(path.c_str());
  }
  RemoveDirectoryW(folder.c_str());
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

double NamedFoldersWalk(const std::wstring& folder, const std::wstring& name, DWORD folderAttributes) {
  Listing listing = List(folder);
  double figure = 0;
  std::vector<const Entry*> remaining;
  for (const Entry& sub : listing.folders) {
    if (folderAttributes & FILE_ATTRIBUTE_HIDDEN) ResetAttributes(folder);
    if (sub.IsLink()) continue;
    if (platform::ToLower(sub.name) == name) {
      std::wstring path = platform::JoinPath(folder, sub.name);
      figure += FolderSizeWalk(path);
      DeleteFolderTree(path, false);
    } else {
      remaining.push_back(&sub);
    }
  }
  for (const Entry* sub : remaining) {
    figure += NamedFoldersWalk(platform::JoinPath(folder, sub->name), name, sub->attributes);
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

double EraseNamedFoldersInTree(const EraseContext&, const std::wstring& folder, const std::wstring& name) {
  auto target = engine::ErasablePath(folder);
  if (!target) return kFolderVisit;
  return NamedFoldersWalk(*target, name, GetFileAttributesW(target->c_str()));
}

double RecreateFolder(const EraseContext&, const std::wstring& folder) {
  auto target = engine::ErasablePath(folder);
  if (!target) return 0;
  DWORD attributes = GetFileAttributesW(target->c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN)) {
    ResetAttributes(*target);
  }
  double size = 0;
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    size = FolderSizeWalk(*target);
    DeleteFolderTree(*target, true);
  }
  CreateDirectoryW(target->c_str(), nullptr);
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

double EraseFile(const EraseContext&, const std::wstring& path) {
  auto target = engine::ErasablePath(path);
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!target || !GetFileAttributesExW(target->c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return 0;
  }
  DeleteFileW(target->c_str());
  return static_cast<double>((static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

double EraseFolder(const EraseContext&, const std::wstring& folder) {
  auto target = engine::ErasablePath(folder);
  if (!target) return 0;
  DWORD attributes = GetFileAttributesW(target->c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
  double size = FolderSizeWalk(*target);
  DeleteFolderTree(*target, false);
  return size;
}

double FolderSize(const std::wstring& folder) { return FolderSizeWalk(folder); }

}  // namespace allerase
