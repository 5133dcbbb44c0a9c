#pragma once
// The user's own files and folders that every run deletes: "cusd.dat", one "path<TAB>type" line
// each, type "File" or "Folder".
#include <string>
#include <string_view>
#include <vector>

#include "engine/item_context.h"

namespace settings {

struct CustomEntry {
  std::wstring path;
  std::wstring type;  // "File" or "Folder"; anything else is left alone
};

std::wstring CustomListFile(const std::wstring& programFolder);

// The entries in file order; a line without a tab has an empty type.
std::vector<CustomEntry> ReadCustomList(const std::wstring& file);

// One row of the window's list: the stored path and type, and the size and date shown beside them.
struct CustomRow {
  std::wstring path;
  std::wstring type;
  std::wstring size;      // mebibytes and "MB"; empty for a type that is neither "File" nor "Folder"
  std::wstring modified;  // last modification, the system's general date-and-time form
};

// The list shows sizes of loaded entries with two forced digits on each side of the point and sizes
// of entries added since with no forced digit (00.50MB and .5MB for the same file).
constexpr std::wstring_view kLoadedSizePattern = L"00.00";
constexpr std::wstring_view kAddedSizePattern = L"##.##";

// A folder's size is that of all files below it.
CustomRow DescribeCustomEntry(const CustomEntry& entry, std::wstring_view sizePattern);

// The entries of the file whose paths still exist, described with kLoadedSizePattern.
std::vector<CustomRow> LoadCustomRows(const std::wstring& file);

// Replaces the file with the entries in order, or leaves it whole and returns false.
bool WriteCustomList(const std::wstring& file, const std::vector<CustomEntry>& entries);

// The run's custom-item stage: the row "Custom Item", then every entry that still exists.
void RunCustomItems(engine::ItemContext& context);

}  // namespace settings
