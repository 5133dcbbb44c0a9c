#pragma once
// The user's own files and folders that every run deletes: "cusd.dat", one "path<TAB>type" line
// each, type "File" or "Folder".
#include <string>
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

// The run's custom-item stage: the row "Custom Item", then every entry that still exists.
void RunCustomItems(engine::ItemContext& context);

}  // namespace settings
