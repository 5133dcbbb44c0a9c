#pragma once
// The user's own files and folders that every run deletes: "cusd.dat", one "path<TAB>type" line
// each, type "File" or "Folder".
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include "platform/result.h"

namespace settings {

struct CustomEntry {
  std::wstring path;
  std::wstring type;  // "File" or "Folder"; anything else is left alone
};

// "cusd.dat" in the settings folder of the copy in `programFolder` (platform::SettingsFolder)
std::wstring CustomListFile(const std::wstring& programFolder);

// The entries in file order; a line without a tab has an empty type. A line whose path is not a full
// path ("X:\..." or "\\server\...") or holds control characters is no entry: a damaged file must not
// make the run erase a file named by a fragment of it, relative to wherever the program runs.
std::vector<CustomEntry> ReadCustomList(const std::wstring& file);

// The path as the list file, in the system's code page, can hold it: the path itself when the code
// page has all its characters, else its short (8.3) name when the file system gives one that the code
// page holds and that leads to the same file or folder; nothing when neither can be stored.
std::optional<std::wstring> StorablePath(const std::wstring& path);

// The paths among the entries that StorablePath cannot store, in order.
std::vector<std::wstring> UnstorablePaths(const std::vector<CustomEntry>& entries);

// One row of the window's list: the stored path and type, and the size and date shown beside them.
struct CustomRow {
  std::wstring path;
  std::wstring type;
  std::wstring size;      // "3.57 MB"; empty for a type that is neither "File" nor "Folder"
  std::wstring modified;  // last modification, the system's general date-and-time form
};

// A folder's size is that of all files below it.
CustomRow DescribeCustomEntry(const CustomEntry& entry);

// The entries of the file whose paths still exist, described.
std::vector<CustomRow> LoadCustomRows(const std::wstring& file);

// The file's content for the entries in order, each path as StorablePath gives it; nothing when a
// path cannot be stored at all.
std::optional<std::string> CustomListText(const std::vector<CustomEntry>& entries);

// Replaces the file with CustomListText, or leaves the file whole and says why.
platform::Result<void> WriteCustomList(const std::wstring& file, const std::vector<CustomEntry>& entries);

}  // namespace settings
