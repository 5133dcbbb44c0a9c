#pragma once
// Whether what the system opens at a path is the entry there or what a link there leads to. Windows
// opens a link itself when asked (FILE_FLAG_OPEN_REPARSE_POINT); Wine opens, and so writes and deletes,
// what a link to a file leads to, and lists such a link as a plain file.
#include <windows.h>

#include <string>

namespace engine {

// Where the handle's file is: its volume and its path on that volume once every link is followed;
// empty when the system cannot tell.
std::wstring FinalPath(HANDLE handle);
// The same for a folder, by its path.
std::wstring FolderFinalPath(const std::wstring& folder);
// Where the entry at `path` is when it is no link: its parent's final path and its own name.
std::wstring ExpectedFinalPath(const std::wstring& path);

// The same for the entries of one folder after another, asking each folder's final path once: a
// walk deletes the files of a folder in a row, and the question costs Wine an open of the folder.
class ExpectedFinalPaths {
 public:
  std::wstring Of(const std::wstring& path);
  // Learns a folder's final path from the handle a walk opened it with.
  void Learn(const std::wstring& folder, HANDLE opened);

 private:
  void Learned(std::wstring folder, std::wstring final);

  std::wstring folder_;
  std::wstring folderFinal_;
};
// The path with every part's trailing dots and blanks dropped, as Wine names an open file.
std::wstring LoosePath(const std::wstring& path);
// Whether the handle is the entry whose expected final path is given, not what a link leads to.
bool IsEntryItself(HANDLE handle, const std::wstring& expected);

// Whether the open file is the entry at the exact full path itself, reached through no link or
// junction on its way from the drive: its final path is the drive's own followed by the path's parts.
bool OpensAsNamed(HANDLE handle, const std::wstring& exact);

// Under Wine, whether the file or folder at `path` is a link leading elsewhere, which no deletion may
// go through (Wine deletes a file, or an empty folder, that a link leads to); always false on
// Windows, where deleting a link removes the link itself.
bool IsWineLink(const std::wstring& path);

}  // namespace engine
