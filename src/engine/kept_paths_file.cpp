#include "engine/kept_paths_file.h"

#include <windows.h>

#include <functional>
#include <optional>

#include "engine/path_guard.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/settings_folder.h"
#include "platform/text.h"
#include "platform/text_file.h"
#include "platform/translation.h"

namespace engine {

namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// Far more than any list a user makes; a larger file is not read whole into memory.
constexpr DWORD kLargestList = 64 * 1024 * 1024;
// Without a program folder the list would land in the root of the current drive.
constexpr const wchar_t* kNoFolder = platform::TrLater(L"There is no settings folder to keep the list in.");

// The file's lines as written, each without its line end; none for a missing file.
platform::Result<std::vector<std::string>> RawLines(const std::wstring& file) {
  std::vector<std::string> lines;
  if (!platform::FileExists(file)) return lines;
  std::optional<std::string> bytes = platform::ReadFileBytes(file, kLargestList + 1);
  if (!bytes || bytes->size() > kLargestList)
    return platform::Failure{platform::Fill(platform::Tr(L"{file} cannot be read."), {{L"file", file}})};
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

// The form the list stores: the long form of a full path; for a pattern in its last part, the long
// form of its folder and the pattern as typed. Empty for text that names no full path.
std::wstring ListedForm(std::wstring_view typed) {
  const size_t slash = typed.find_last_of(L"\\/");
  const std::wstring_view last = slash == std::wstring_view::npos ? typed : typed.substr(slash + 1);
  if (!platform::HasWildcard(last)) return engine::CanonicalPath(std::wstring(typed));
  if (last.find(L':') != std::wstring_view::npos) return {};
  const std::wstring folder = engine::CanonicalPath(std::wstring(typed.substr(0, slash)));
  return folder.empty() ? folder : platform::JoinPath(folder, last);
}

// Whether the entry names the typed path or its long form, the form the list stores. An entry written
// by hand in another form is named by its own text.
bool Names(const KeptPathLine& entry, std::wstring_view typed, const std::wstring& canonical) {
  return platform::EqualsNoCase(entry.path, typed) ||
         (!canonical.empty() && platform::EqualsNoCase(entry.path, canonical));
}

// Held while a change reads the list and writes it anew: Explorer starts one program for each file of a
// selection it keeps, and one change must not write over the entry another added. Named after the
// file (its name takes no backslash, and no more than a path's length).
class ListChange {
 public:
  explicit ListChange(const std::wstring& file) {
    const std::wstring name =
        L"Local\\Trellwipe.keeppath." + std::to_wstring(std::hash<std::wstring>{}(platform::ToLower(file)));
    mutex_.reset(CreateMutexW(nullptr, FALSE, name.c_str()));
    // A change that takes longer than this is stuck: this one gives up rather than hang.
    const DWORD waited = mutex_ ? WaitForSingleObject(mutex_.get(), 10000) : WAIT_FAILED;
    held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
  }
  ~ListChange() {
    if (held_) ReleaseMutex(mutex_.get());
  }
  ListChange(const ListChange&) = delete;
  ListChange& operator=(const ListChange&) = delete;
  bool Held() const { return held_; }

 private:
  platform::UniqueHandle mutex_;
  bool held_ = false;
};

constexpr const wchar_t* kBusy =
    platform::TrLater(L"Another program is changing the list of files and folders to keep.");

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
  const std::wstring canonical = ListedForm(typed);
  if (canonical.empty())
    return platform::Failure{
        platform::Fill(platform::Tr(L"\"{path}\" is not a full path."), {{L"path", std::wstring(typed)}})};
  if (programFolder.empty()) return platform::Failure{platform::Tr(kNoFolder)};
  const std::wstring file = KeptPathsFile(programFolder);
  ListChange change(file);
  if (!change.Held()) return platform::Failure{platform::Tr(kBusy)};
  platform::Result<std::vector<std::string>> lines = RawLines(file);
  if (!lines) return platform::Failure{lines.Reason()};
  for (const std::string& line : *lines) {
    if (KeptPathLine entry = Decode(line); Names(entry, typed, canonical)) return entry;
  }
  KeptPathLine entry{canonical, std::wstring(from)};
  lines->push_back(platform::ToUtf8(entry.path + L"\t" + entry.from));
  if (platform::Result<void> written = Write(file, *lines); !written) {
    return platform::Failure{platform::Fill(platform::Tr(L"{file} cannot be written: {reason}"),
                                            {{L"file", file}, {L"reason", written.Reason()}})};
  }
  return entry;
}

platform::Result<std::vector<KeptPathLine>> UnkeepPath(const std::wstring& programFolder, std::wstring_view typed) {
  if (programFolder.empty()) return platform::Failure{platform::Tr(kNoFolder)};
  const std::wstring canonical = ListedForm(typed);
  const std::wstring file = KeptPathsFile(programFolder);
  ListChange change(file);
  if (!change.Held()) return platform::Failure{platform::Tr(kBusy)};
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
    return platform::Failure{
        platform::Fill(platform::Tr(L"\"{path}\" is not on the list of files and folders to keep."),
                       {{L"path", std::wstring(typed)}})};
  if (platform::Result<void> written = Write(file, staying); !written) {
    return platform::Failure{platform::Fill(platform::Tr(L"{file} cannot be written: {reason}"),
                                            {{L"file", file}, {L"reason", written.Reason()}})};
  }
  return removed;
}

}  // namespace engine
