#include "engine/path_guard.h"

#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <cwctype>
#include <iterator>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/link_check.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/program_folder.h"
#include "platform/system_folders.h"
#include "platform/table.h"
#include "platform/text.h"
#include "platform/user_profiles.h"

namespace engine {

// What checks learned of the disk, each answer by the exact text the system was asked with.
struct GuardMemo {
  // A path: the same with the long name of its last part; none when the system finds no such entry.
  std::unordered_map<std::wstring, std::optional<std::wstring>> longNames;
  // A path: where what it names leads ("" when to no drive or share path); none when it does not open.
  std::unordered_map<std::wstring, std::optional<std::wstring>> finalPaths;
  // A path: which protected folder the object there is (or None, or NoIdentity); none when missing.
  std::unordered_map<std::wstring, std::optional<Refusal>> identities;
  // Paths the system said nothing is at: nothing at or below them is asked for.
  std::unordered_set<std::wstring> missing;
  // For a task only: the names of each folder, listed once, which answer for the system where they can.
  std::optional<FolderListings> listings;
};

struct PathGuard::Learned {
  GuardMemo disk;  // kept from one check to the next only for the task
  std::optional<std::vector<std::wstring>> programs;
  std::shared_ptr<const ProtectedIdentities> identities;
};

namespace {

template <typename Key, typename Compute>
const auto& Remembered(std::unordered_map<std::wstring, Key>& memo, const std::wstring& asked, Compute compute) {
  auto found = memo.find(asked);
  if (found == memo.end()) found = memo.emplace(asked, compute()).first;
  return found->second;
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsMissing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// The path, or a folder above it, is one the system said is not there.
bool KnownMissing(const std::wstring& path, const GuardMemo& memo) {
  if (memo.missing.empty()) return false;
  if (memo.missing.contains(path)) return true;
  for (size_t slash = path.find_last_of(L'\\'); slash != std::wstring::npos && slash > 0;
       slash = path.find_last_of(L'\\', slash - 1)) {
    if (memo.missing.contains(path.substr(0, slash))) return true;
  }
  return false;
}

bool IsDriveAbsolute(const std::wstring& p) {
  return p.size() >= 3 && std::iswalpha(p[0]) && p[1] == L':' && IsSeparator(p[2]);
}

bool IsUncPath(const std::wstring& p) {
  return p.size() > 2 && IsSeparator(p[0]) && IsSeparator(p[1]) && p[2] != L'?' && p[2] != L'.';
}

// "\\?\C:\x" is "C:\x" and "\\?\UNC\server\share" is "\\server\share" to the guard.
std::wstring WithoutExtendedPrefix(const std::wstring& p) {
  if (p.size() < 4 || !IsSeparator(p[0]) || !IsSeparator(p[1]) || p[2] != L'?' || !IsSeparator(p[3])) return p;
  std::wstring rest = p.substr(4);
  if (rest.size() >= 4 && platform::EqualsNoCase(rest.substr(0, 3), L"UNC") && IsSeparator(rest[3])) {
    return L"\\\\" + rest.substr(4);
  }
  return rest;
}

using platform::FullPathName;
using platform::RootLength;

// The root with its separator, then the parts with their trailing dots and blanks dropped: the last
// part only, as Windows drops them, or every part; parts left empty vanish.
std::wstring TrimmedParts(const std::wstring& full, size_t root, bool everyPart) {
  std::wstring result = full.substr(0, root);
  if (!result.empty() && result.back() != L'\\') result += L'\\';
  size_t start = root;
  while (start < full.size()) {
    size_t end = full.find(L'\\', start);
    if (end == std::wstring::npos) end = full.size();
    std::wstring part = full.substr(start, end - start);
    if (everyPart || end >= full.find_last_not_of(L"\\. ")) {
      while (!part.empty() && (part.back() == L'.' || part.back() == L' ')) part.pop_back();
    }
    if (!part.empty()) {
      if (result.back() != L'\\') result += L'\\';
      result += part;
    }
    start = end + 1;
  }
  return result;
}

// The path with its last part as its folder lists it, by its long name: what GetLongPathNameW asks
// of each part, asked in the literal form, so that a part's own trailing dots and blanks count. A
// part with a wildcard names no one entry.
std::optional<std::wstring> ListedName(const std::wstring& path, GuardMemo& memo) {
  const size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring::npos || path.find_first_of(L"*?<>\"", slash) != std::wstring::npos) return std::nullopt;
  if (memo.listings) {
    const ListedNames::Answer listed = memo.listings->Of(path.substr(0, std::max(slash, RootLength(path))))
                                           .Find(std::wstring_view(path).substr(slash + 1));
    if (listed.entry) return path.substr(0, slash + 1) + listed.entry->name;
    if (listed.certain) {
      memo.missing.insert(path);
      return std::nullopt;
    }
  }
  WIN32_FIND_DATAW data;
  platform::FindHandle find(
      FindFirstFileExW(platform::ApiPath(path).c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
  if (!find) {
    if (IsMissing(GetLastError())) memo.missing.insert(path);
    return std::nullopt;
  }
  return path.substr(0, slash + 1) + data.cFileName;
}

// The long names of the longest part of the path that exists, and the rest as written. Each part is
// asked once per memo, below the long form of the parts before it.
std::wstring WithLongNames(const std::wstring& path, size_t root, GuardMemo& memo) {
  std::wstring resolved = path.substr(0, root);
  bool found = true;
  for (size_t start = root; start < path.size();) {
    const size_t end = std::min(path.find(L'\\', start), path.size());
    if (end > start) {
      std::wstring asked = resolved;
      if (!asked.empty() && asked.back() != L'\\') asked += L'\\';
      asked.append(path, start, end - start);
      const std::optional<std::wstring>* listed =
          found ? &Remembered(memo.longNames, asked, [&] { return ListedName(asked, memo); }) : nullptr;
      found = listed && *listed;
      resolved = found ? **listed : std::move(asked);
    }
    start = end + 1;
  }
  return resolved;
}

// Where the open object is, by its drive or share path; empty when the system cannot tell.
std::wstring FinalDrivePath(HANDLE handle) {
  std::wstring buffer(32768, L'\0');
  DWORD n = GetFinalPathNameByHandleW(handle, buffer.data(), 32768, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (n == 0 || n >= 32768) return {};
  buffer.resize(n);
  std::wstring target = WithoutExtendedPrefix(buffer);
  return IsDriveAbsolute(target) || IsUncPath(target) ? target : std::wstring();
}

// Where the path leads once every link on its way is followed; empty when the system cannot tell or
// the target has no drive or share path.
std::optional<std::wstring> FinalPath(const std::wstring& path) {
  platform::FileHandle handle(CreateFileW(platform::ApiPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) return std::nullopt;
  return FinalDrivePath(handle.get());
}

std::wstring LinkTarget(const std::wstring& canonical, size_t root, GuardMemo& memo) {
  std::wstring existing = canonical;
  std::wstring rest;
  for (;;) {
    const std::optional<std::wstring>& target = Remembered(memo.finalPaths, existing, [&] {
      return KnownMissing(existing, memo) ? std::nullopt : FinalPath(existing);
    });
    if (target) return target->empty() ? std::wstring() : platform::JoinPath(*target, rest);
    size_t slash = existing.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash < root) return {};
    rest = existing.substr(slash + 1) + (rest.empty() ? L"" : L"\\" + rest);
    existing.resize(slash);
  }
}

bool SamePath(const std::wstring& a, const std::wstring& b) { return platform::EqualsNoCase(a, b); }

void AddCanonical(std::vector<std::wstring>& folders, const std::wstring& folder) {
  std::wstring canonical = CanonicalPath(folder);
  if (!canonical.empty()) folders.push_back(canonical);
}

// The Windows and Program Files folders, every spelling the system gives them. Like the lists below,
// learned once: they do not move while the program runs, and a run asks the guard at every step.
std::vector<std::wstring> LearnSystemFolders() {
  std::vector<std::wstring> folders;
  AddCanonical(folders, platform::WindowsFolder());
  for (const KNOWNFOLDERID* id : {&FOLDERID_Windows, &FOLDERID_ProgramFiles, &FOLDERID_ProgramFilesX86}) {
    AddCanonical(folders, platform::KnownFolder(*id));
  }
  for (const wchar_t* name : {L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432", L"SystemRoot", L"windir"}) {
    AddCanonical(folders, platform::EnvironmentVariable(name));
  }
  return folders;
}

const std::vector<std::wstring>& SystemFolders() {
  static const std::vector<std::wstring> folders = LearnSystemFolders();
  return folders;
}

std::vector<std::wstring> LearnProtectedFolders() {
  std::vector<std::wstring> folders = SystemFolders();
  wchar_t system[MAX_PATH] = L"";
  if (GetSystemDirectoryW(system, MAX_PATH)) AddCanonical(folders, system);
  AddCanonical(folders, platform::KnownFolder(FOLDERID_SystemX86));
  AddCanonical(folders, platform::KnownFolder(FOLDERID_Profile));
  AddCanonical(folders, platform::EnvironmentVariable(L"USERPROFILE"));
  // The folder that holds every user's profile.
  std::wstring profile = CanonicalPath(platform::KnownFolder(FOLDERID_Profile));
  size_t slash = profile.find_last_of(L'\\');
  if (slash != std::wstring::npos) AddCanonical(folders, profile.substr(0, slash));
  return folders;
}

const std::vector<std::wstring>& ProtectedFolders() {
  static const std::vector<std::wstring> folders = LearnProtectedFolders();
  return folders;
}

const std::wstring& ExecutableFolder() {
  static const std::wstring executable = CanonicalPath(platform::ProgramFolder());
  return executable;
}

std::vector<std::wstring> ProgramFolders(const std::wstring& programFolder) {
  const std::wstring& executable = ExecutableFolder();
  std::vector<std::wstring> folders;
  if (!executable.empty()) folders.push_back(executable);
  if (!programFolder.empty()) AddCanonical(folders, programFolder);
  return folders;
}

// Opened to learn what the object is, never what a link there leads to (where the system can tell),
// whatever other programs hold it with.
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

// Which protected folder the opened object is, if any.
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

// The exact path by what it is, and by what the folders above it are: a protected object refused
// itself, anything in the program folder refused at any depth. What is not there is no protected
// object; what is there and does not tell what it is, is refused.
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

Refusal Decide(const std::wstring& canonical, const std::vector<std::wstring>& programFolders) {
  size_t root = RootLength(canonical);
  if (root == 0 || canonical.size() <= root) return Refusal::DriveRoot;
  for (const std::wstring& folder : ProtectedFolders()) {
    if (SamePath(canonical, folder)) return Refusal::ProtectedFolder;
  }
  for (const std::wstring& folder : programFolders) {
    if (SamePath(canonical, folder) || platform::IsBelow(canonical, folder)) return Refusal::ProgramFolder;
  }
  return Refusal::None;
}

}  // namespace

namespace {

// `everyPart` trims the trailing dots and blanks of every part, not only of the last one: a stricter
// form for the guard to decide on, which may name another folder than the one Windows would open.
std::wstring Canonical(const std::wstring& path, bool everyPart, GuardMemo& memo) {
  std::wstring plain = WithoutExtendedPrefix(path);
  if (!IsDriveAbsolute(plain) && !IsUncPath(plain)) return {};
  std::wstring full = FullPathName(plain);
  if (!IsDriveAbsolute(full) && !IsUncPath(full)) return {};
  size_t root = RootLength(full);
  if (root == 0) return {};
  if (IsDriveAbsolute(full)) full[0] = static_cast<wchar_t>(std::towupper(full[0]));
  std::wstring canonical = WithLongNames(TrimmedParts(full, root, everyPart), root, memo);
  // A share root keeps no separator at its end, a drive root keeps its one.
  while (canonical.size() > 3 && canonical.back() == L'\\') canonical.pop_back();
  return canonical;
}

std::wstring Exact(const std::wstring& path, GuardMemo& memo) {
  std::wstring plain = WithoutExtendedPrefix(path);
  std::replace(plain.begin(), plain.end(), L'/', L'\\');
  if (!IsDriveAbsolute(plain) && !IsUncPath(plain)) return {};
  size_t root = RootLength(plain);
  if (root == 0) return {};
  if (IsDriveAbsolute(plain)) plain[0] = static_cast<wchar_t>(std::towupper(plain[0]));
  std::wstring rootText = plain.substr(0, root);
  if (rootText.back() != L'\\') rootText += L'\\';
  std::vector<std::wstring> parts;
  for (size_t start = root; start < plain.size();) {
    size_t end = std::min(plain.find(L'\\', start), plain.size());
    std::wstring part = plain.substr(start, end - start);
    if (part == L"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != L".") {
      parts.push_back(std::move(part));
    }
    start = end + 1;
  }
  std::wstring exact = rootText;
  for (const std::wstring& part : parts) exact = platform::JoinPath(exact, part);
  exact = WithLongNames(exact, rootText.size(), memo);
  while (exact.size() > 3 && exact.back() == L'\\') exact.pop_back();
  return exact;
}

}  // namespace

std::wstring CanonicalPath(const std::wstring& path) {
  GuardMemo memo;
  return Canonical(path, false, memo);
}

std::wstring ExactPath(const std::wstring& path) {
  GuardMemo memo;
  return Exact(path, memo);
}

namespace {

std::wstring WithoutTrailingSeparators(std::wstring path) {
  while (path.size() > 3 && path.back() == L'\\') path.pop_back();
  return path;
}

std::wstring LeadsTo(const std::wstring& full) {
  GuardMemo memo;
  std::wstring target = LinkTarget(full, RootLength(full), memo);
  return target.empty() ? full : WithoutTrailingSeparators(std::move(target));
}

}  // namespace

std::wstring IdentityPath(const std::wstring& path) {
  std::wstring canonical = CanonicalPath(path);
  return canonical.empty() ? canonical : LeadsTo(canonical);
}

const std::wstring& WalkedFolders::LeadsTo(const std::wstring& file) {
  // A root keeps its separator.
  std::wstring folder = file.substr(0, std::max<size_t>(file.find_last_of(L'\\'), 3));
  if (folder != folder_) {
    leadsTo_ = engine::LeadsTo(folder);
    folder_ = std::move(folder);
  }
  return leadsTo_;
}

std::wstring FolderLeadsTo(const std::wstring& folder, HANDLE opened) {
  std::wstring target = FinalDrivePath(opened);
  return target.empty() ? folder : WithoutTrailingSeparators(std::move(target));
}

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

namespace {

// The canonical form of where the links on the way of a canonical or exact path lead.
std::wstring CanonicalTarget(const std::wstring& path, GuardMemo& memo) {
  return Canonical(LinkTarget(path, RootLength(path), memo), false, memo);
}

// `identities` is asked only when the names leave the path free.
template <typename Identities>
GuardDecision Guard(const std::wstring& path, const std::vector<std::wstring>& programs, const Identities& identities,
                    GuardMemo& memo) {
  GuardDecision decision{Canonical(path, false, memo), Exact(path, memo), Refusal::None};
  if (decision.path.empty() || decision.exact.empty()) {
    decision.refusal = Refusal::NotAFullPath;
    return decision;
  }
  // The path as Windows opens it, every part trimmed, as named, and where the links on the ways of
  // the first and the last lead.
  const bool sameEntry = decision.exact == decision.path;
  for (const std::wstring& form :
       {decision.path, Canonical(path, true, memo), decision.exact, CanonicalTarget(decision.path, memo),
        sameEntry ? std::wstring() : CanonicalTarget(decision.exact, memo)}) {
    if (form.empty()) continue;
    decision.refusal = Decide(form, programs);
    if (!decision) return decision;
  }
  decision.refusal = DecideByIdentity(decision.exact, identities(), memo);
  return decision;
}

const ProtectedIdentities& Identities(const EraseContext& erase) {
  if (!erase.protectedIdentities) erase.protectedIdentities = LearnIdentities(ProgramFolders(erase.programFolder));
  return *erase.protectedIdentities;
}

// A run erases between its checks: each learns the disk afresh.
GuardDecision GuardForRun(const EraseContext& erase, const std::wstring& path) {
  GuardMemo memo;
  return Guard(
      path, ProgramFolders(erase.programFolder), [&]() -> const auto& { return Identities(erase); }, memo);
}

}  // namespace

GuardDecision GuardPath(const std::wstring& path, const std::wstring& programFolder) {
  return PathGuard(programFolder, PathGuard::Memory::PerCheck).Check(path);
}

PathGuard::PathGuard(std::wstring programFolder, Memory memory)
    : programFolder_(std::move(programFolder)), memory_(memory), learned_(std::make_shared<Learned>()) {
  if (memory_ == Memory::ForTheTask) learned_->disk.listings.emplace();
}

const ListedNames* PathGuard::Names(const std::wstring& folder) const {
  std::optional<FolderListings>& listings = learned_->disk.listings;
  return listings ? &listings->Of(folder) : nullptr;
}

GuardDecision PathGuard::Check(const std::wstring& path) const {
  Learned& learned = *learned_;
  const bool remembers = memory_ == Memory::ForTheTask;
  if (!remembers || !learned.programs) learned.programs = ProgramFolders(programFolder_);
  GuardMemo once;
  return Guard(
      path, *learned.programs,
      [&]() -> const ProtectedIdentities& {
        if (!learned.identities) learned.identities = LearnIdentities(*learned.programs);
        return *learned.identities;
      },
      remembers ? learned.disk : once);
}

std::optional<std::wstring> ErasablePath(const std::wstring& path, const std::wstring& programFolder) {
  GuardDecision decision = GuardPath(path, programFolder);
  if (!decision) return std::nullopt;
  return decision.exact;
}

namespace {

std::optional<std::wstring> Recorded(const EraseContext& erase, const std::wstring& path,
                                     const GuardDecision& decision) {
  if (decision) return decision.exact;
  if (decision.refusal != Refusal::NotAFullPath) {
    erase.LeftBehind(path, std::wstring(L"refused: ") + RefusalReason(decision.refusal));
  }
  return std::nullopt;
}

bool IsLink(const std::wstring& exact) {
  DWORD attributes = GetFileAttributesW(platform::ApiPath(exact).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) || IsWineLink(exact);
}

}  // namespace

std::optional<std::wstring> GuardedTarget(const EraseContext& erase, const std::wstring& path) {
  return Recorded(erase, path, GuardForRun(erase, path));
}

GuardDecision GuardFolder(const EraseContext& erase, const std::wstring& path) {
  GuardDecision decision = GuardForRun(erase, path);
  if (decision && IsLink(decision.exact)) decision.refusal = Refusal::Link;
  return decision;
}

std::optional<std::wstring> GuardedFolder(const EraseContext& erase, const std::wstring& path) {
  return Recorded(erase, path, GuardFolder(erase, path));
}

namespace {

bool NamesProgramFolder(const EraseContext& erase, const std::wstring& folder) {
  return (!erase.programFolder.empty() && SamePath(folder, erase.programFolder)) ||
         (!ExecutableFolder().empty() && SamePath(folder, ExecutableFolder()));
}

}  // namespace

Refusal FolderRefusal(const EraseContext& erase, const std::wstring& folder, bool throughProtected) {
  if (NamesProgramFolder(erase, folder)) return Refusal::ProgramFolder;
  platform::FileHandle handle = OpenToIdentify(folder);
  if (!handle) return IsMissing(GetLastError()) ? Refusal::None : Refusal::NoIdentity;
  return FolderRefusal(erase, folder, handle.get(), throughProtected);
}

Refusal FolderRefusal(const EraseContext& erase, const std::wstring& folder, HANDLE opened, bool throughProtected) {
  if (NamesProgramFolder(erase, folder)) return Refusal::ProgramFolder;
  Refusal refusal = IdentityRefusal(opened, Identities(erase));
  return throughProtected && refusal == Refusal::ProtectedFolder ? Refusal::None : refusal;
}

bool IsProgramFolder(const EraseContext& erase, const std::wstring& folder) {
  return FolderRefusal(erase, folder) == Refusal::ProgramFolder;
}

GuardDecision GuardFoundFile(const std::wstring& path, const std::wstring& programFolder) {
  GuardDecision decision = GuardPath(path, programFolder);
  if (!decision) return decision;
  // Below them by name, or through a link on the way.
  GuardMemo memo;
  const std::wstring forms[] = {decision.path, CanonicalTarget(decision.path, memo)};
  for (const std::wstring& folder : SystemFolders()) {
    for (const std::wstring& form : forms) {
      if (platform::IsBelow(form, folder)) decision.refusal = Refusal::ProtectedFolder;
    }
  }
  return decision;
}

namespace {

std::vector<std::wstring> LearnProgramDataFolders() {
  std::vector<std::wstring> folders;
  for (const KNOWNFOLDERID* id : {&FOLDERID_RoamingAppData, &FOLDERID_LocalAppData, &FOLDERID_LocalAppDataLow}) {
    AddCanonical(folders, platform::KnownFolder(*id));
  }
  const std::wstring profile = platform::KnownFolder(FOLDERID_Profile);
  if (!profile.empty()) {
    for (const wchar_t* name : {L"AppData", L"AppData\\Local", L"AppData\\Roaming", L"AppData\\LocalLow"}) {
      AddCanonical(folders, platform::JoinPath(profile, name));
    }
  }
  return folders;
}

}  // namespace

GuardDecision GuardShredTarget(const std::wstring& path, const std::wstring& programFolder) {
  static const std::vector<std::wstring> programData = LearnProgramDataFolders();
  GuardDecision decision = GuardFoundFile(path, programFolder);
  for (const std::wstring& folder : programData) {
    if (decision && SamePath(decision.path, folder)) decision.refusal = Refusal::ProtectedFolder;
  }
  return decision;
}

namespace {

// The details' reason and a message's description of each refusal.
struct RefusalTexts {
  Refusal refusal;
  const wchar_t* reason;
  const wchar_t* description;
};
constexpr RefusalTexts kRefusalTexts[] = {
    {Refusal::None, L"", L""},
    {Refusal::NotAFullPath, L"not a full path", L"not a full path"},
    {Refusal::DriveRoot, L"a drive root", L"the root of a drive"},
    {Refusal::ProtectedFolder, L"a protected folder", L"a folder that Windows, your programs or your profile need"},
    {Refusal::ProgramFolder, L"Trellwipe's own folder", L"in Trellwipe's own folder"},
    {Refusal::Link, L"a link", L"a link or junction, which leads out of the folder named"},
    {Refusal::NoIdentity, L"its identity cannot be read", L"a file or folder whose identity the system does not tell"},
};

const RefusalTexts& TextsOf(Refusal refusal) {
  return *platform::FindRow(kRefusalTexts, &RefusalTexts::refusal, refusal);
}

}  // namespace

const wchar_t* RefusalReason(Refusal refusal) { return TextsOf(refusal).reason; }

const wchar_t* RefusalDescription(Refusal refusal) { return TextsOf(refusal).description; }

}  // namespace engine
