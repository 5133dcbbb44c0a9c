#include "settings/custom_list.h"

#include <windows.h>

#include "engine/allerase.h"
#include "platform/text_file.h"

namespace settings {

std::wstring CustomListFile(const std::wstring& programFolder) { return programFolder + L"\\cusd.dat"; }

std::vector<CustomEntry> ReadCustomList(const std::wstring& file) {
  std::vector<CustomEntry> entries;
  for (const std::wstring& line : platform::ReadTextLines(file)) {
    size_t tab = line.find(L'\t');
    if (tab == std::wstring::npos) {
      entries.push_back({line, L""});
      continue;
    }
    size_t next = line.find(L'\t', tab + 1);
    entries.push_back({line.substr(0, tab), line.substr(tab + 1, next == std::wstring::npos ? next : next - tab - 1)});
  }
  return entries;
}

void RunCustomItems(engine::ItemContext& context) {
  context.view.AddRow(L"Custom Item");
  std::wstring file = CustomListFile(context.programFolder);
  DWORD attributes = GetFileAttributesW(file.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    context.view.SetRowState(L"Fail, Can't find file!");
    return;
  }
  for (const CustomEntry& entry : ReadCustomList(file)) {
    if (entry.type == L"File") {
      context.AddBytes(allerase::EraseFile(context.erase, entry.path));
    } else if (entry.type == L"Folder") {
      context.AddBytes(allerase::EraseFolder(context.erase, entry.path));
    }
  }
  context.view.SetRowState(L"Done");
}

}  // namespace settings
