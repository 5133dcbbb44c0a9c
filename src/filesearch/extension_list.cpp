#include "filesearch/extension_list.h"

#include <windows.h>
#include <shellapi.h>

#include <string_view>

#include "engine/path_guard.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/settings_folder.h"
#include "platform/text.h"
#include "platform/text_file.h"

namespace filesearch {

namespace {

constexpr FILEOP_FLAGS kRecycleFlags = 0x54;  // allow undo, no confirmation, silent

// The file's lines as stored, without their line ends.
std::vector<std::string> RawLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::string_view rest = bytes;
  while (!rest.empty()) {
    size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    if (end != std::string_view::npos && line.ends_with('\r')) line.remove_suffix(1);
    lines.emplace_back(line);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  return lines;
}

}  // namespace

std::wstring ExtensionFile(const std::wstring& programFolder) {
  const std::wstring folder = platform::SettingsFolder(programFolder);
  const std::wstring file = platform::JoinPath(folder, kExtensionFileName);
  // A copy that keeps its settings away from itself starts from the list it ships with.
  if (!platform::EqualsNoCase(folder, programFolder) && !platform::FileExists(file)) {
    CopyFileW(platform::JoinPath(programFolder, kExtensionFileName).c_str(), file.c_str(), TRUE);
  }
  return file;
}

bool IsValidExtension(const std::wstring& text) {
  if (text.size() <= 2 || text.size() > kMaxExtensionLength || text[0] != L'*' || text[1] != L'.') return false;
  // A control character (a NUL from a damaged file above all) would cut the search string short, a
  // ";" would split it, and the rest cannot be in a file name.
  for (wchar_t c : text) {
    if (c < L' ' || std::wstring_view(L"\\/:\"<>|;").find(c) != std::wstring_view::npos) return false;
  }
  // "*.*" and the like match every file, which the search would then offer to erase.
  return text.find_first_not_of(L"*?", 2) != std::wstring::npos;
}

std::vector<std::wstring> ReadExtensions(const std::wstring& programFolder) {
  std::vector<std::wstring> valid;
  for (std::wstring& line : platform::ReadTextLines(ExtensionFile(programFolder))) {
    if (IsValidExtension(line)) valid.push_back(std::move(line));
  }
  return valid;
}

std::optional<std::wstring> ReadJoinedExtensions(const std::wstring& programFolder) {
  std::vector<std::wstring> entries = ReadExtensions(programFolder);
  if (entries.empty()) return std::nullopt;
  std::wstring joined;
  for (const std::wstring& entry : entries) joined += entry + L";";
  joined.pop_back();
  return joined;
}

platform::Result<void> AppendExtension(const std::wstring& programFolder, const std::wstring& text) {
  platform::FileHandle file(CreateFileW(ExtensionFile(programFolder).c_str(), FILE_APPEND_DATA | GENERIC_READ,
                                        FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr));
  if (!file) return platform::SystemFailure(GetLastError());
  std::string line = platform::Narrow(text) + "\r\n";
  // A hand-edited last line without its line end would otherwise run into the new entry.
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file.get(), &size) && size.QuadPart > 0) {
    LARGE_INTEGER last{};
    last.QuadPart = size.QuadPart - 1;
    char byte = 0;
    DWORD read = 0;
    if (SetFilePointerEx(file.get(), last, nullptr, FILE_BEGIN) && ReadFile(file.get(), &byte, 1, &read, nullptr) &&
        read == 1 && byte != '\n') {
      line.insert(0, "\r\n");
    }
  }
  if (!platform::WriteAll(file.get(), line)) return platform::SystemFailure(GetLastError());
  return {};
}

platform::Result<void> WriteDefaultExtensions(const std::wstring& programFolder) {
  std::string bytes;
  for (const wchar_t* entry : kDefaultExtensions) bytes += platform::Narrow(entry) + "\r\n";
  return platform::ReplaceFileAtomically(ExtensionFile(programFolder), bytes);
}

platform::Result<void> RemoveExtension(const std::wstring& programFolder, const std::wstring& entry) {
  const std::wstring file = ExtensionFile(programFolder);
  std::optional<std::string> bytes = platform::ReadFileBytes(file);
  if (!bytes) return platform::Failure{file + L" cannot be read"};
  const std::string dropped = platform::Narrow(entry);
  std::string kept;
  for (const std::string& line : RawLines(*bytes)) {
    if (line != dropped) kept += line + "\r\n";
  }
  // One rename replaces the list: "Ext.txt" is never missing, whatever fails.
  return platform::ReplaceFileAtomically(file, kept);
}

bool SendToRecycleBin(const std::wstring& path) {
  if (platform::HasWildcard(path)) return false;
  std::optional<std::wstring> target = engine::ErasablePath(path);
  if (!target) return false;
  if (!platform::FileExists(*target)) return false;
  std::wstring from = *target;
  from.push_back(L'\0');  // the list of names ends with an empty one
  SHFILEOPSTRUCTW operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = kRecycleFlags;
  return SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted;
}

}  // namespace filesearch
