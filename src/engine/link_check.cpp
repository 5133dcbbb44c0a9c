#include "engine/link_check.h"

#include <winternl.h>

#include <vector>

#include "platform/files.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace engine {

namespace {

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
  if (path.compare(0, slash, folder_) != 0) {
    folder_ = path.substr(0, slash);
    folderFinal_ = FolderFinalPath(folder_);
  }
  return folderFinal_.empty() ? std::wstring() : platform::JoinPath(folderFinal_, path.substr(slash + 1));
}

std::wstring ExpectedFinalPath(const std::wstring& path) { return ExpectedFinalPaths().Of(path); }

bool IsEntryItself(HANDLE handle, const std::wstring& expected) {
  std::wstring final = FinalPath(handle);
  return !final.empty() && platform::EqualsNoCase(final, expected);
}

bool IsWineLink(const std::wstring& path) {
  if (!platform::RunsUnderWine()) return false;
  platform::FileHandle file = OpenToLookAt(path, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS);
  // What cannot be opened is judged by the deletion itself, which then fails alike.
  return file && !IsEntryItself(file.get(), ExpectedFinalPath(path));
}

}  // namespace engine
