#include "engine/link_check.h"

#include <winternl.h>

#include <algorithm>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace engine {

namespace {

// How Wine begins the name of an open file: the drive-letter form of the NT namespace.
constexpr std::wstring_view kWinePrefix = L"\\??\\";

platform::FileHandle OpenToLookAt(const std::wstring& path, DWORD flags) {
  return platform::FileHandle(CreateFileW(platform::ApiPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, flags, nullptr));
}

}  // namespace

// The object's own name holds its volume: a device on Windows, a drive letter under Wine. The
// drive-letter form (GetFinalPathNameByHandleW) and the volume's serial number would each cost Wine a
// request to its mount manager at every file, five times the deletion itself.
std::wstring FinalPath(HANDLE handle) {
  std::vector<BYTE> buffer(sizeof(OBJECT_NAME_INFORMATION) + 2 * MAX_PATH * sizeof(wchar_t));
  ULONG needed = 0;
  // A longer name says how much room it needs; asked again once with that room.
  for (int ask = 0; ask < 2; ++ask) {
    auto* name = reinterpret_cast<OBJECT_NAME_INFORMATION*>(buffer.data());
    if (NtQueryObject(handle, ObjectNameInformation, name, static_cast<ULONG>(buffer.size()), &needed) >= 0) {
      return std::wstring(name->Name.Buffer, name->Name.Length / sizeof(wchar_t));
    }
    if (needed <= buffer.size()) break;
    buffer.resize(needed);
  }
  return {};
}

std::wstring FolderFinalPath(const std::wstring& folder) {
  platform::FileHandle handle = OpenToLookAt(folder, FILE_FLAG_BACKUP_SEMANTICS);
  return handle ? FinalPath(handle.get()) : std::wstring();
}

std::wstring ExpectedFinalPaths::Of(const std::wstring& path) {
  size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring::npos) return {};
  // A drive's root keeps its separator: "C:" alone names the drive's current folder.
  size_t parent = slash == 2 && path[1] == L':' ? 3 : slash;
  if (path.compare(0, parent, folder_) != 0) {
    std::wstring folder = path.substr(0, parent);
    std::wstring final = FolderFinalPath(folder);
    Learned(std::move(folder), std::move(final));
  }
  return folderFinal_.empty() ? std::wstring() : platform::JoinPath(folderFinal_, path.substr(slash + 1));
}

void ExpectedFinalPaths::Learn(const std::wstring& folder, HANDLE opened) { Learned(folder, FinalPath(opened)); }

void ExpectedFinalPaths::Learned(std::wstring folder, std::wstring final) {
  folder_ = std::move(folder);
  folderFinal_ = std::move(final);
  // Wine names a folder without the trailing dots and blanks of its last part: where that is all
  // that differs, the folder is where its own name says.
  std::wstring own = std::wstring(kWinePrefix) + folder_;
  if (platform::EqualsNoCase(LoosePath(folderFinal_), LoosePath(own))) folderFinal_ = own;
}

std::wstring ExpectedFinalPath(const std::wstring& path) { return ExpectedFinalPaths().Of(path); }

namespace {

bool SameFile(HANDLE a, HANDLE b) {
  BY_HANDLE_FILE_INFORMATION one, other;
  return GetFileInformationByHandle(a, &one) && GetFileInformationByHandle(b, &other) &&
         one.dwVolumeSerialNumber == other.dwVolumeSerialNumber && one.nFileIndexHigh == other.nFileIndexHigh &&
         one.nFileIndexLow == other.nFileIndexLow;
}

}  // namespace

std::wstring LoosePath(const std::wstring& path) {
  std::wstring loose;
  for (size_t start = 0; start <= path.size();) {
    size_t end = std::min(path.find(L'\\', start), path.size());
    std::wstring part = path.substr(start, end - start);
    while (!part.empty() && (part.back() == L'.' || part.back() == L' ')) part.pop_back();
    loose += part;
    if (end < path.size()) loose += L'\\';
    start = end + 1;
  }
  return loose;
}

bool IsEntryItself(HANDLE handle, const std::wstring& expected) {
  std::wstring final = FinalPath(handle);
  if (final.empty()) return false;
  if (platform::EqualsNoCase(final, expected)) return true;
  // Wine names an open file as the plain form of its path reads, without the trailing dots of its
  // folders' names nor the trailing dots and blanks of its own ("report." is "report"). The entry
  // itself when that is all that differs, unless the plain name is this very file too: a link
  // "report." that leads to "report".
  const size_t prefix = kWinePrefix.size();
  if (!final.starts_with(kWinePrefix) || !expected.starts_with(kWinePrefix)) return false;
  std::wstring plain = expected.substr(prefix);
  const std::wstring full = platform::FullPathName(plain);
  if (full.empty()) return false;
  if (!platform::EqualsNoCase(final.substr(prefix), full)) return false;
  platform::FileHandle named = OpenToLookAt(L"\\\\?\\" + full, FILE_FLAG_BACKUP_SEMANTICS);
  return !named || !SameFile(handle, named.get());
}

bool OpensAsNamed(HANDLE handle, const std::wstring& exact) {
  const size_t root = platform::RootLength(exact);
  const std::wstring drive = root ? FolderFinalPath(exact.substr(0, root)) : std::wstring();
  return !drive.empty() && IsEntryItself(handle, platform::JoinPath(drive, exact.substr(root)));
}

bool IsWineLink(const std::wstring& path) {
  if (!platform::RunsUnderWine()) return false;
  platform::FileHandle file = OpenToLookAt(path, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS);
  // What cannot be opened is judged by the deletion itself, which then fails alike.
  return file && !IsEntryItself(file.get(), ExpectedFinalPath(path));
}

}  // namespace engine
