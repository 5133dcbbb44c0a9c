#include "engine/kept_paths_file.h"

#include <optional>

#include "engine/path_guard.h"
#include "platform/files.h"
#include "platform/settings_folder.h"
#include "platform/text.h"
#include "platform/text_file.h"

namespace engine {

namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// Far more than any list a user makes; a larger file is not read whole into memory.
constexpr DWORD kLargestList = 64 * 1024 * 1024;
// Without a program folder the list would land in the root of the current drive.
constexpr wchar_t kNoFolder[] = L"There is no settings folder to keep the list in.";

// The file's lines as written, each without its line end; none for a missing file.
platform::Result<std::vector<std::string>> RawLines(const std::wstring& file) {
  std::vector<std::string> lines;
  if (!platform::FileExists(file)) return lines;
  std::optional<std::string> bytes = platform::ReadFileBytes(file, kLargestList + 1);
  if (!bytes || bytes->size() > kLargestList) return platform::Failure{file + L" cannot be read."};
  std::string_view text = *bytes;
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (line.ends_with('\r')) line.remove_suffix(1);
    lines.emplace_back(line);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return lines;
}

// A line in UTF-8, or, when it is not, in the code page of a list written by hand.
KeptPathLine Decode(std::string_view line) {
  std::optional<std::wstring> utf8 = platform::FromUtf8(line);
  std::wstring text = platform::CutAtNul(utf8 ? *utf8 : platform::Widen(line));
  size_t tab = text.find(L'\t');
  if (tab == std::wstring::npos) return {std::move(text), {}};
  return {text.substr(0, tab), text.substr(tab + 1)};
}

// Whether the entry names the typed path or its long form, the form the list stores. An entry written
// by hand in another form is named by its own text.
bool Names(const KeptPathLine& entry, std::wstring_view typed, const std::wstring& canonical) {
  return platform::EqualsNoCase(entry.path, typed) ||
         (!canonical.empty() && platform::EqualsNoCase(entry.path, canonical));
}

platform::Result<void> Write(const std::wstring& file, const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + kLineEnd;
  return platform::ReplaceFileAtomically(file, bytes);
}

}  // namespace

std::wstring KeptPathsFile(const std::wstring& programFolder) {
  return platform::SettingsFolder(programFolder) + L"\\keeppath.dat";
}

platform::Result<std::vector<KeptPathLine>> LoadKeptPaths(const std::wstring& programFolder) {
  if (programFolder.empty()) return std::vector<KeptPathLine>{};
  platform::Result<std::vector<std::string>> lines = RawLines(KeptPathsFile(programFolder));
  if (!lines) return platform::Failure{lines.Reason()};
  std::vector<KeptPathLine> entries;
  for (const std::string& line : *lines) {
    if (KeptPathLine entry = Decode(line); !entry.path.empty()) entries.push_back(std::move(entry));
  }
  return entries;
}

platform::Result<KeptPathLine> KeepPath(const std::wstring& programFolder, std::wstring_view typed,
                                        std::wstring_view from) {
  const std::wstring canonical = engine::CanonicalPath(std::wstring(typed));
  if (canonical.empty()) return platform::Failure{L"\"" + std::wstring(typed) + L"\" is not a full path."};
  if (programFolder.empty()) return platform::Failure{kNoFolder};
  const std::wstring file = KeptPathsFile(programFolder);
  platform::Result<std::vector<std::string>> lines = RawLines(file);
  if (!lines) return platform::Failure{lines.Reason()};
  for (const std::string& line : *lines) {
    if (KeptPathLine entry = Decode(line); Names(entry, typed, canonical)) return entry;
  }
  KeptPathLine entry{canonical, std::wstring(from)};
  lines->push_back(platform::ToUtf8(entry.path + L"\t" + entry.from));
  if (platform::Result<void> written = Write(file, *lines); !written) {
    return platform::Failure{file + L" cannot be written: " + written.Reason()};
  }
  return entry;
}

platform::Result<std::vector<KeptPathLine>> UnkeepPath(const std::wstring& programFolder, std::wstring_view typed) {
  if (programFolder.empty()) return platform::Failure{kNoFolder};
  const std::wstring canonical = engine::CanonicalPath(std::wstring(typed));
  const std::wstring file = KeptPathsFile(programFolder);
  platform::Result<std::vector<std::string>> lines = RawLines(file);
  if (!lines) return platform::Failure{lines.Reason()};
  std::vector<std::string> staying;
  std::vector<KeptPathLine> removed;
  for (std::string& line : *lines) {
    KeptPathLine entry = Decode(line);
    if (!entry.path.empty() && Names(entry, typed, canonical)) {
      removed.push_back(std::move(entry));
    } else {
      staying.push_back(std::move(line));
    }
  }
  if (removed.empty())
    return platform::Failure{L"\"" + std::wstring(typed) + L"\" is not on the list of files and folders to keep."};
  if (platform::Result<void> written = Write(file, staying); !written) {
    return platform::Failure{file + L" cannot be written: " + written.Reason()};
  }
  return removed;
}

}  // namespace engine
