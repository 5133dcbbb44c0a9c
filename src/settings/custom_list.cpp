#include "settings/custom_list.h"

#include <windows.h>

#include "engine/allerase.h"
#include "platform/files.h"
#include "platform/locale_format.h"
#include "platform/settings_folder.h"
#include "platform/text.h"
#include "platform/text_file.h"
#include "platform/translation.h"

namespace settings {

namespace {

std::wstring LocalDateTime(const FILETIME& utc) {
  SYSTEMTIME universal{}, local{};
  if (!FileTimeToSystemTime(&utc, &universal) || !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) {
    return L"";
  }
  return platform::ShownDateTime(local);
}

bool IsEntryPath(const std::wstring& path) {
  for (wchar_t c : path) {
    if (c < L' ') return false;
  }
  bool share = path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'\\';
  return platform::IsDrivePath(path) || share;
}

}  // namespace

std::wstring CustomListFile(const std::wstring& programFolder) {
  return platform::SettingsFolder(programFolder) + L"\\cusd.dat";
}

std::vector<CustomEntry> ReadCustomList(const std::wstring& file) {
  std::vector<CustomEntry> entries;
  for (const std::wstring& line : platform::ReadTextLines(file)) {
    size_t tab = line.find(L'\t');
    CustomEntry entry{line.substr(0, tab), L""};
    if (tab != std::wstring::npos) {
      size_t next = line.find(L'\t', tab + 1);
      entry.type = line.substr(tab + 1, next == std::wstring::npos ? next : next - tab - 1);
    }
    if (IsEntryPath(entry.path)) entries.push_back(std::move(entry));
  }
  return entries;
}

std::optional<std::wstring> StorablePath(const std::wstring& path) {
  if (platform::FitsCodePage(path)) return path;
  const std::wstring shortPath = platform::ShortPathName(path);
  // Compared by their full long forms, as the same file may be reached by a short and a long name.
  const std::wstring longForm = platform::LongPathName(path);
  if (shortPath.empty() || !platform::FitsCodePage(shortPath) || longForm.empty() ||
      platform::LongPathName(shortPath) != longForm) {
    return std::nullopt;
  }
  return shortPath;
}

std::vector<std::wstring> UnstorablePaths(const std::vector<CustomEntry>& entries) {
  std::vector<std::wstring> paths;
  for (const CustomEntry& entry : entries) {
    if (!StorablePath(entry.path)) paths.push_back(entry.path);
  }
  return paths;
}

CustomRow DescribeCustomEntry(const CustomEntry& entry) {
  CustomRow row{entry.path, L"", L"", L""};
  bool file = entry.type == L"File";
  if (!file && entry.type != L"Folder") return row;
  row.type = entry.type;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(entry.path.c_str(), GetFileExInfoStandard, &data)) return row;
  double bytes = file ? static_cast<double>((static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow)
                      : engine::allerase::FolderSize(entry.path);
  row.size = platform::ShownMegabytes(bytes) + L" MB";
  row.modified = LocalDateTime(data.ftLastWriteTime);
  return row;
}

std::vector<CustomRow> LoadCustomRows(const std::wstring& file) {
  std::vector<CustomRow> rows;
  for (const CustomEntry& entry : ReadCustomList(file)) {
    if (GetFileAttributesW(entry.path.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    rows.push_back(DescribeCustomEntry(entry));
  }
  return rows;
}

std::optional<std::string> CustomListText(const std::vector<CustomEntry>& entries) {
  std::wstring text;
  for (const CustomEntry& entry : entries) {
    std::optional<std::wstring> path = StorablePath(entry.path);
    if (!path) return std::nullopt;
    text += *path + L"\t" + entry.type + L"\r\n";
  }
  return platform::Narrow(text);
}

platform::Result<void> WriteCustomList(const std::wstring& file, const std::vector<CustomEntry>& entries) {
  std::optional<std::string> text = CustomListText(entries);
  if (!text) return platform::Failure{platform::Tr(L"a name has characters that this system's code page lacks")};
  return platform::ReplaceFileAtomically(file, *text);
}

}  // namespace settings
