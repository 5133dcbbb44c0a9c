#pragma once
// The erasure primitives. None reports an error: each returns its figure whatever happened, and
// records into the context what it erased and what stayed; in a preview it erases nothing and
// records what exists and would go.
// File operations return the bytes they count as released; the four tree walks add 10000 for every
// folder they visit, the starting folder included. Registry deletions return fixed counts.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/erase_context.h"

namespace engine::allerase {

using engine::EraseContext;

constexpr double kFolderVisit = 10000;
constexpr double kKeyCount = 3;
constexpr double kTreeCount = 5;
constexpr double kValueCount = 1;

// Files whose name equals `name` exactly (letter case counts), at every depth.
double EraseNamedFilesInTree(const EraseContext& erase, const std::wstring& folder, const std::wstring& name);
// Every file at every depth; the folders stay.
double EraseAllFilesInTree(const EraseContext& erase, const std::wstring& folder);
// Files whose lower-cased extension equals `extension` (lower case, no dot), at every depth.
double EraseFilesByExtensionInTree(const EraseContext& erase, const std::wstring& folder,
                                   const std::wstring& extension);
// Subfolders whose lower-cased name equals `name`, with their contents, at every depth.
double EraseNamedFoldersInTree(const EraseContext& erase, const std::wstring& folder, const std::wstring& name);
// Deletes the folder with its contents and creates it again, empty; returns its former size. `kept`,
// a path relative to the folder, names one file that stays, with the folders that hold it, and is
// not counted.
double RecreateFolder(const EraseContext& erase, const std::wstring& folder, const std::wstring& kept = {});
// Files directly in the folder; read-only files stay.
double EraseFilesInFolder(const EraseContext& erase, const std::wstring& folder);
double EraseNamedFileInFolder(const EraseContext& erase, const std::wstring& folder, const std::wstring& name);
double EraseFilesByExtensionInFolder(const EraseContext& erase, const std::wstring& folder,
                                     const std::wstring& extension);

// Files directly in the folder whose full path is no line of `kept` (letter case counts); with an
// empty list, every file.
double EraseFilesInFolderExcept(const EraseContext& erase, const std::wstring& folder,
                                const std::vector<std::wstring>& kept);

// One file, counted before its deletion; a read-only file stays.
double EraseFile(const EraseContext& erase, const std::wstring& path);
// A folder with everything in it, counted before its deletion; read-only files (and the folders
// that hold them) stay.
double EraseFolder(const EraseContext& erase, const std::wstring& folder);

// Whether a file (its name and full path) is to go.
using FileTest = std::function<bool(const std::wstring& name, const std::wstring& path)>;

// Files directly in the folder, and with `recurse` at every depth below it, that `wanted` takes; no
// link is walked, no walk enters the program folder, and no other file's attributes change. With `removeEmptied`, every
// folder walked that is left empty goes once all below it is done, the named one last (not after a stop). A
// drive root or a protected folder is refused, but for `exactNames` that do not recurse: files of
// an exact name may go from there. Counts the sizes of the files it deleted (or, in a preview,
// would delete).
double EraseFilesWhere(const EraseContext& erase, const std::wstring& folder, const FileTest& wanted, bool recurse,
                       bool removeEmptied, bool exactNames);

// Files named `name` (letter case ignored, as Windows matches names) in every folder of the drive
// whose root ("C:\") is given. Only such a walk, which deletes nothing but files of one exact name,
// may start at a drive root and pass through protected folders; it changes no other file's
// attributes, never follows a link and leaves the program folder alone. Nothing is counted.
void EraseNamedFilesOnDrive(const EraseContext& erase, const std::wstring& root, const std::wstring& name);

// Total size of the files in a folder and below it; links met inside are not followed.
double FolderSize(const std::wstring& folder);

// The key deletions refuse a root or a branch of every program's settings (IsProtectedRegistryKey):
// nothing is deleted or counted, and the details name the key.
// A key that still has subkeys is left in place.
double DeleteRegistryKey(const EraseContext& erase, HKEY root, const std::wstring& subkey);
double DeleteRegistryTree(const EraseContext& erase, HKEY root, const std::wstring& subkey);
// A key tree but the kept keys below it (full subkeys under the same root), which stay with the keys
// that hold them; a kept key at or above the tree keeps all of it. Counts as a tree.
double DeleteRegistryTreeExcept(const EraseContext& erase, HKEY root, const std::wstring& subkey,
                                const std::vector<std::wstring>& kept);
// An empty value name deletes the key's default value.
double DeleteRegistryValue(const EraseContext& erase, HKEY root, const std::wstring& subkey,
                           const std::wstring& valueName);

}  // namespace engine::allerase
