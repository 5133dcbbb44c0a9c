#include "engine/path_guard.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "engine/guard_memo.h"
#include "engine/kept_paths.h"
#include "engine/link_check.h"
#include "platform/files.h"
#include "platform/program_folder.h"
#include "platform/settings_folder.h"
#include "platform/system_folders.h"
#include "platform/table.h"
#include "platform/text.h"
#include "platform/translation.h"

namespace engine {

using namespace guarding;
using platform::RootLength;

struct PathGuard::Learned {
  GuardMemo disk;  // kept from one check to the next only for the task
  std::optional<std::vector<std::wstring>> programs;
  std::shared_ptr<const ProtectedIdentities> identities;
};

namespace {

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

const std::wstring& ExecutableFolder() {
  static const std::wstring executable = CanonicalPath(platform::ProgramFolder());
  return executable;
}

// Where a copy that cannot write its own folder keeps the user's settings: Trellwipe's own as much.
const std::wstring& UserSettingsFolder() {
  static const std::wstring settings = CanonicalPath(platform::UserSettingsFolder());
  return settings;
}

}  // namespace

namespace guarding {

const std::vector<std::wstring>& ProtectedFolders() {
  static const std::vector<std::wstring> folders = LearnProtectedFolders();
  return folders;
}

std::vector<std::wstring> ProgramFolders(const std::wstring& programFolder) {
  const std::wstring& executable = ExecutableFolder();
  std::vector<std::wstring> folders;
  if (!executable.empty()) folders.push_back(executable);
  if (!UserSettingsFolder().empty()) folders.push_back(UserSettingsFolder());
  if (!programFolder.empty()) AddCanonical(folders, programFolder);
  return folders;
}

}  // namespace guarding

namespace {

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
  if (decision) return KeepsPath(erase, decision.exact) ? std::nullopt : std::optional(decision.exact);
  if (decision.refusal != Refusal::NotAFullPath) {
    erase.Refused(path, RefusalReason(decision.refusal));
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

// The details' reason and a message's description of each refusal; a window shows the description in
// the language in force.
struct RefusalTexts {
  Refusal refusal;
  const wchar_t* reason;
  const wchar_t* description;
};
constexpr RefusalTexts kRefusalTexts[] = {
    {Refusal::None, L"", L""},
    {Refusal::NotAFullPath, platform::TrLater(L"not a full path"), platform::TrLater(L"not a full path")},
    {Refusal::DriveRoot, platform::TrLater(L"a drive root"), platform::TrLater(L"the root of a drive")},
    {Refusal::ProtectedFolder, platform::TrLater(L"a protected folder"),
     platform::TrLater(L"a folder that Windows, your programs or your profile need")},
    {Refusal::ProgramFolder, platform::TrLater(L"Trellwipe's own folder"),
     platform::TrLater(L"in Trellwipe's own folder")},
    {Refusal::Link, platform::TrLater(L"a link"),
     platform::TrLater(L"a link or junction, which leads out of the folder named")},
    {Refusal::NoIdentity, platform::TrLater(L"its identity cannot be read"),
     platform::TrLater(L"a file or folder whose identity the system does not tell")},
};

const RefusalTexts& TextsOf(Refusal refusal) {
  return *platform::FindRow(kRefusalTexts, &RefusalTexts::refusal, refusal);
}

}  // namespace

const wchar_t* RefusalReason(Refusal refusal) { return platform::Tr(TextsOf(refusal).reason); }

const wchar_t* RefusalDescription(Refusal refusal) { return TextsOf(refusal).description; }

}  // namespace engine
