#pragma once
// What the guard's files share: what its checks learn of the disk, the forms of a path it decides
// on, and what the protected folders are on the disk. For the guard's own files only.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/listed_names.h"
#include "engine/path_guard.h"
#include "platform/handles.h"

namespace engine::guarding {

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

template <typename Key, typename Compute>
const auto& Remembered(std::unordered_map<std::wstring, Key>& memo, const std::wstring& asked, Compute compute) {
  auto found = memo.find(asked);
  if (found == memo.end()) found = memo.emplace(asked, compute()).first;
  return found->second;
}

inline bool IsMissing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// The path, or a folder above it, is one the system said is not there.
bool KnownMissing(const std::wstring& path, const GuardMemo& memo);

// The canonical form of a full path (CanonicalPath), with every part trimmed for `everyPart`.
std::wstring Canonical(const std::wstring& path, bool everyPart, GuardMemo& memo);
// The exact form of a full path (ExactPath).
std::wstring Exact(const std::wstring& path, GuardMemo& memo);
// Where the links on the way of a canonical or exact path lead; empty when the system cannot tell.
std::wstring LinkTarget(const std::wstring& canonical, size_t root, GuardMemo& memo);
// The canonical form of that.
std::wstring CanonicalTarget(const std::wstring& path, GuardMemo& memo);

// The protected folders by their canonical names, learned once; the program folders, the caller's
// and the executable's, with the user's settings folder (platform::UserSettingsFolder).
const std::vector<std::wstring>& ProtectedFolders();
std::vector<std::wstring> ProgramFolders(const std::wstring& programFolder);

// Opened to learn what the object is, never what a link there leads to (where the system can tell),
// whatever other programs hold it with.
platform::FileHandle OpenToIdentify(const std::wstring& path);

std::optional<LONGLONG> FileNumber(HANDLE handle);
bool SameVolumeAndNumber(HANDLE a, HANDLE b);
std::shared_ptr<const ProtectedIdentities> LearnIdentities(const std::vector<std::wstring>& programFolders);
// Which protected folder the opened object is, if any.
Refusal IdentityRefusal(HANDLE handle, const ProtectedIdentities& identities);
// The exact path by what it is, and by what the folders above it are: a protected object refused
// itself, anything in the program folder refused at any depth. What is not there is no protected
// object; what is there and does not tell what it is, is refused.
Refusal DecideByIdentity(const std::wstring& exact, const ProtectedIdentities& identities, GuardMemo& memo);

}  // namespace engine::guarding
