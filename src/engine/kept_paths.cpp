#include "engine/kept_paths.h"

#include <algorithm>

#include "engine/erase_context.h"
#include "engine/guard_memo.h"
#include "engine/path_guard.h"
#include "platform/files.h"
#include "platform/text.h"

namespace engine {

namespace {

// A name as Windows reads it: letter case ignored, trailing dots and blanks dropped. A listing's
// "report." then counts as the kept "report": the list keeps more, never less.
std::wstring ReadName(std::wstring_view name) {
  size_t last = name.find_last_not_of(L". ");
  return platform::ToLower(last == std::wstring_view::npos ? std::wstring_view() : name.substr(0, last + 1));
}

// The folder above a canonical path, with a root's separator; none for a root.
std::optional<std::wstring> ParentOf(const std::wstring& path) {
  const size_t root = platform::RootLength(path);
  const size_t slash = path.find_last_of(L'\\');
  if (path.size() <= root || slash == std::wstring::npos) return std::nullopt;
  return path.substr(0, std::max(slash, root));
}

}  // namespace

KeptPaths::KeptPaths(const std::vector<std::wstring>& paths) {
  for (const std::wstring& path : paths) {
    const size_t slash = path.find_last_of(L"\\/");
    if (slash != std::wstring::npos && platform::HasWildcard(std::wstring_view(path).substr(slash + 1))) {
      // A pattern keeps nothing once its folder is gone.
      const std::wstring folder = IdentityPath(path.substr(0, slash));
      const std::wstring pattern = platform::ToLower(path.substr(slash + 1));
      std::optional<Identity> parent = folder.empty() ? std::nullopt : At(folder);
      if (parent && pattern.find(L':') == std::wstring::npos) {
        entries_.push_back({path, platform::JoinPath(folder, pattern), {}, parent, pattern, true});
      }
      continue;
    }
    if (CanonicalPath(path).empty()) continue;
    std::wstring leadsTo = IdentityPath(path);
    std::optional<Identity> self = At(leadsTo);
    if (!self) continue;
    std::optional<std::wstring> parent = ParentOf(leadsTo);
    std::wstring name = parent ? ReadName(leadsTo.substr(leadsTo.find_last_of(L'\\') + 1)) : std::wstring();
    entries_.push_back({path, leadsTo, *self, parent ? At(*parent) : std::nullopt, std::move(name)});
  }
}

KeptPaths KeptPaths::Everything(std::wstring why) {
  KeptPaths all(std::vector<std::wstring>{});
  all.everything_ = std::move(why);
  return all;
}

std::optional<KeptPaths::Identity> KeptPaths::Of(HANDLE opened) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(opened, &info)) return std::nullopt;
  return Identity{info.dwVolumeSerialNumber, (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

std::optional<KeptPaths::Identity> KeptPaths::At(const std::wstring& path) {
  platform::FileHandle handle = guarding::OpenToIdentify(path);
  return handle ? Of(handle.get()) : std::nullopt;
}

const KeptPaths::Entry* KeptPaths::Find(const Identity& identity) const {
  auto found =
      std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return !e.pattern && e.self == identity; });
  return found == entries_.end() ? nullptr : &*found;
}

const KeptPaths::Entry* KeptPaths::Matching(const Identity& parent, const std::wstring& name) const {
  auto found = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) {
    return e.pattern && e.parent == parent && platform::MatchesLoweredPattern(name, e.name);
  });
  return found == entries_.end() ? nullptr : &*found;
}

const std::wstring* KeptPaths::Is(HANDLE opened) const {
  if (everything_) return &*everything_;
  // Asking a handle its volume costs Wine a request to its mount manager: not at every folder for
  // a list none of whose entries is there.
  if (entries_.empty()) return nullptr;
  std::optional<Identity> identity = Of(opened);
  const Entry* entry = identity ? Find(*identity) : nullptr;
  return entry ? &entry->path : nullptr;
}

const std::wstring* KeptPaths::Holding(const std::wstring& path) const {
  if (everything_) return &*everything_;
  if (entries_.empty()) return nullptr;
  std::wstring below;  // the name of the part below, read as Windows reads names
  for (std::optional<std::wstring> part = IdentityPath(path); part && !part->empty(); part = ParentOf(*part)) {
    std::optional<Identity> identity = At(*part);
    const Entry* entry = identity ? Find(*identity) : nullptr;
    if (!entry && identity && !below.empty()) entry = Matching(*identity, below);
    if (entry) return &entry->path;
    below = ReadName(part->substr(part->find_last_of(L'\\') + 1));
  }
  return nullptr;
}

std::vector<std::wstring> KeptPaths::Within(const std::wstring& folder) const {
  if (const std::wstring* holding = Holding(folder)) return {*holding};
  std::vector<std::wstring> within;
  std::optional<Identity> identity = entries_.empty() ? std::nullopt : At(IdentityPath(folder));
  if (!identity) return within;
  for (const Entry& entry : entries_) {
    for (std::optional<std::wstring> part = ParentOf(entry.leadsTo); part; part = ParentOf(*part)) {
      if (At(*part) == identity) {
        within.push_back(entry.path);
        break;
      }
    }
  }
  return within;
}

std::vector<KeptPaths::Name> KeptPaths::NamesIn(HANDLE folder) const {
  std::vector<Name> names;
  std::optional<Identity> identity = entries_.empty() ? std::nullopt : Of(folder);
  for (const Entry& entry : entries_) {
    if (identity && entry.parent == identity) names.push_back({entry.name, &entry.path, entry.pattern});
  }
  return names;
}

const std::wstring* KeptPaths::Named(const std::vector<Name>& names, const std::wstring& name) {
  if (names.empty()) return nullptr;
  const std::wstring read = ReadName(name);
  auto found = std::find_if(names.begin(), names.end(), [&](const Name& kept) {
    return kept.pattern ? platform::MatchesLoweredPattern(read, kept.name) : kept.name == read;
  });
  return found == names.end() ? nullptr : found->entry;
}

void KeptByYou(const EraseContext& erase, const std::wstring& path, const std::wstring& entry) {
  erase.Kept(path, KeptFor::Path, entry, L"kept by you");
}

bool KeepsPath(const EraseContext& erase, const std::wstring& exact) {
  const std::wstring* entry = erase.keptPaths ? erase.keptPaths->Holding(exact) : nullptr;
  if (entry) KeptByYou(erase, exact, *entry);
  return entry != nullptr;
}

bool KeepsWithin(const EraseContext& erase, const std::vector<std::wstring>& folders) {
  if (!erase.keptPaths || erase.keptPaths->Empty()) return false;
  return std::any_of(folders.begin(), folders.end(),
                     [&](const std::wstring& folder) { return !erase.keptPaths->Within(folder).empty(); });
}

bool KeepsFolder(const EraseContext& erase, const std::wstring& folder, HANDLE opened) {
  const std::wstring* entry = erase.keptPaths ? erase.keptPaths->Is(opened) : nullptr;
  if (entry) KeptByYou(erase, folder, *entry);
  return entry != nullptr;
}

}  // namespace engine
