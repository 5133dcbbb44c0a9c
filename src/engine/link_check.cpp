#include "engine/link_check.h"

#include <vector>

#include "platform/files.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace engine {

namespace {

// FILE_ID_INFO and its class, from Windows 8 on (the program runs on Windows 7 too).
struct FileIdInformation {
  ULONGLONG volumeSerialNumber;
  BYTE fileId[16];
};
constexpr auto kFileIdInfo = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);

// The serial number of the handle's volume: from the file's id where the system gives one (a plain
// query of the file), else from the volume itself, which costs Wine a volume query every time.
ULONGLONG VolumeOf(HANDLE handle) {
  FileIdInformation id;
  if (GetFileInformationByHandleEx(handle, kFileIdInfo, &id, sizeof id)) return id.volumeSerialNumber;
  BY_HANDLE_FILE_INFORMATION info;
  return GetFileInformationByHandle(handle, &info) ? info.dwVolumeSerialNumber : 0;
}

platform::FileHandle OpenToLookAt(const std::wstring& path, DWORD flags) {
  return platform::FileHandle(CreateFileW(platform::ApiPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, flags, nullptr));
}

}  // namespace

// The drive-letter form (GetFinalPathNameByHandleW) would cost Wine registry lookups at every file.
std::wstring FinalPath(HANDLE handle) {
  std::vector<BYTE> buffer(sizeof(FILE_NAME_INFO) + 32768 * sizeof(wchar_t));
  auto* name = reinterpret_cast<FILE_NAME_INFO*>(buffer.data());
  if (!GetFileInformationByHandleEx(handle, FileNameInfo, name, static_cast<DWORD>(buffer.size()))) return {};
  return std::to_wstring(VolumeOf(handle)) + L":" + std::wstring(name->FileName, name->FileNameLength / sizeof(wchar_t));
}

std::wstring FolderFinalPath(const std::wstring& folder) {
  platform::FileHandle handle = OpenToLookAt(folder, FILE_FLAG_BACKUP_SEMANTICS);
  return handle ? FinalPath(handle.get()) : std::wstring();
}

std::wstring ExpectedFinalPath(const std::wstring& path) {
  size_t slash = path.find_last_of(L'\\');
  std::wstring parent = slash == std::wstring::npos ? std::wstring() : FolderFinalPath(path.substr(0, slash));
  return parent.empty() ? parent : platform::JoinPath(parent, path.substr(slash + 1));
}

bool IsEntryItself(HANDLE handle, const std::wstring& expected) {
  std::wstring final = FinalPath(handle);
  return !final.empty() && platform::EqualsNoCase(final, expected);
}

bool IsWineLink(const std::wstring& path) {
  if (!platform::RunsUnderWine()) return false;
  platform::FileHandle file = OpenToLookAt(path, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS);
  // What cannot be opened is judged by the deletion itself, which then fails alike.
  if (!file) return false;
  // Asked afresh each time: a thread_local cache's strings outlive the C runtime's heap at the end of a
  // statically linked MinGW program, whose heap Wine then reports as used after being freed.
  size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring::npos) return false;
  const std::wstring parentFinal = FolderFinalPath(path.substr(0, slash));
  return !IsEntryItself(file.get(), platform::JoinPath(parentFinal, path.substr(slash + 1)));
}

}  // namespace engine
