// What the protected folders are on the disk, and what a path is: by file number, then by volume.
#include <windows.h>
#include <winternl.h>

#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/guard_memo.h"
#include "engine/path_guard.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/user_profiles.h"

namespace engine {

using platform::RootLength;

namespace guarding {

platform::FileHandle OpenToIdentify(const std::wstring& path) {
  return platform::FileHandle(CreateFileW(platform::ApiPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                          nullptr));
}

std::optional<LONGLONG> FileNumber(HANDLE handle) {
  IO_STATUS_BLOCK io{};
  FILE_INTERNAL_INFORMATION info{};
  if (NtQueryInformationFile(handle, &io, &info, sizeof info, FileInternalInformation) < 0) return std::nullopt;
  return info.IndexNumber.QuadPart;
}

std::shared_ptr<const ProtectedIdentities> LearnIdentities(const std::vector<std::wstring>& programFolders) {
  auto identities = std::make_shared<ProtectedIdentities>();
  auto add = [&](const std::wstring& path, Refusal refusal) {
    platform::FileHandle handle = OpenToIdentify(path);
    std::optional<LONGLONG> number = handle ? FileNumber(handle.get()) : std::nullopt;
    if (number) identities->folders.push_back({*number, path, refusal});
  };
  for (const std::wstring& folder : programFolders) add(folder, Refusal::ProgramFolder);
  for (const std::wstring& folder : ProtectedFolders()) add(folder, Refusal::ProtectedFolder);
  // Every user's profile folder as a whole, wherever the profile list puts it, read afresh for each
  // run as users come and go: a run that cleans another user's profile erases in it, never the
  // folder itself.
  for (const platform::UserProfile& user : platform::ProfileListEntries()) add(user.folder, Refusal::ProtectedFolder);
  // A drive without a disk in it fails at once, without asking the user for one.
  DWORD errorMode = 0;
  SetThreadErrorMode(SEM_FAILCRITICALERRORS, &errorMode);
  wchar_t drives[4 * 26 + 1] = L"";
  DWORD length = GetLogicalDriveStringsW(static_cast<DWORD>(std::size(drives)), drives);
  for (const wchar_t* drive = drives; length && length < std::size(drives) && *drive; drive += wcslen(drive) + 1) {
    if (GetDriveTypeW(drive) != DRIVE_NO_ROOT_DIR) add(drive, Refusal::DriveRoot);
  }
  SetThreadErrorMode(errorMode, nullptr);
  return identities;
}

bool SameVolumeAndNumber(HANDLE a, HANDLE b) {
  BY_HANDLE_FILE_INFORMATION one, other;
  return GetFileInformationByHandle(a, &one) && GetFileInformationByHandle(b, &other) &&
         one.dwVolumeSerialNumber == other.dwVolumeSerialNumber && one.nFileIndexHigh == other.nFileIndexHigh &&
         one.nFileIndexLow == other.nFileIndexLow;
}

Refusal IdentityRefusal(HANDLE handle, const ProtectedIdentities& identities) {
  std::optional<LONGLONG> number = FileNumber(handle);
  if (!number) return Refusal::NoIdentity;
  for (const ProtectedIdentities::Folder& folder : identities.folders) {
    if (folder.number != *number) continue;
    platform::FileHandle protectedOne = OpenToIdentify(folder.path);
    if (protectedOne && SameVolumeAndNumber(handle, protectedOne.get())) return folder.refusal;
  }
  return Refusal::None;
}

Refusal DecideByIdentity(const std::wstring& exact, const ProtectedIdentities& identities, GuardMemo& memo) {
  const size_t root = RootLength(exact);
  std::wstring part = exact;
  for (bool self = true;; self = false) {
    const std::optional<Refusal>& refusal = Remembered(memo.identities, part, [&]() -> std::optional<Refusal> {
      if (KnownMissing(part, memo)) return std::nullopt;
      platform::FileHandle handle = OpenToIdentify(part);
      if (handle) return IdentityRefusal(handle.get(), identities);
      return IsMissing(GetLastError()) ? std::nullopt : std::optional(Refusal::NoIdentity);
    });
    if (refusal &&
        (refusal == Refusal::NoIdentity || refusal == Refusal::ProgramFolder || (self && refusal != Refusal::None))) {
      return *refusal;
    }
    size_t slash = part.find_last_of(L'\\');
    if (part.size() <= root || slash == std::wstring::npos) return Refusal::None;
    part.resize(std::max(slash, root));
  }
}

}  // namespace guarding

using namespace guarding;

std::optional<FolderIdentity> FolderIdentity::Of(const std::wstring& path) {
  std::wstring leadsTo = IdentityPath(path);
  platform::FileHandle handle = OpenToIdentify(leadsTo);
  std::optional<LONGLONG> number = handle ? FileNumber(handle.get()) : std::nullopt;
  if (!number) return std::nullopt;
  return FolderIdentity(*number, std::move(leadsTo));
}

bool FolderIdentity::Holds(const std::wstring& folder, bool orBelow) const {
  const size_t root = RootLength(folder);
  std::wstring part = folder;
  for (;;) {
    platform::FileHandle handle = OpenToIdentify(part);
    if (handle && FileNumber(handle.get()) == number_) {
      platform::FileHandle self = OpenToIdentify(path_);
      if (self && SameVolumeAndNumber(handle.get(), self.get())) return true;
    }
    size_t slash = part.find_last_of(L'\\');
    if (!orBelow || part.size() <= root || slash == std::wstring::npos) return false;
    part.resize(std::max(slash, root));
  }
}

}  // namespace engine
