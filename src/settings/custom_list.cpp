#include "settings/custom_list.h"

#include <windows.h>

#include "engine/allerase.h"
#include "platform/format.h"
#include "platform/text.h"
#include "platform/text_file.h"

namespace settings {

namespace {

std::wstring LocalDateTime(const FILETIME& utc) {
  SYSTEMTIME universal{}, local{};
  if (!FileTimeToSystemTime(&utc, &universal) || !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) {
    return L"";
  }
  return platform::GeneralDateTime(local);
}

}  // namespace

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

CustomRow DescribeCustomEntry(const CustomEntry& entry, std::wstring_view sizePattern) {
  CustomRow row{entry.path, L"", L"", L""};
  bool file = entry.type == L"File";
  if (!file && entry.type != L"Folder") return row;
  row.type = entry.type;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(entry.path.c_str(), GetFileExInfoStandard, &data)) return row;
  double bytes = file ? static_cast<double>((static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow)
                      : allerase::FolderSize(entry.path);
  row.size = platform::FormatPattern(bytes / 1048576, sizePattern) + L"MB";
  row.modified = LocalDateTime(data.ftLastWriteTime);
  return row;
}

std::vector<CustomRow> LoadCustomRows(const std::wstring& file) {
  std::vector<CustomRow> rows;
  for (const CustomEntry& entry : ReadCustomList(file)) {
    if (GetFileAttributesW(entry.path.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    rows.push_back(DescribeCustomEntry(entry, kLoadedSizePattern));
  }
  return rows;
}

bool WriteCustomList(const std::wstring& file, const std::vector<CustomEntry>& entries) {
  std::wstring text;
  for (const CustomEntry& entry : entries) text += entry.path + L"\t" + entry.type + L"\r\n";
  return platform::ReplaceFileAtomically(file, platform::Narrow(text));
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
