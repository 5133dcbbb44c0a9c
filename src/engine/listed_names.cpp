#include "engine/listed_names.h"

#include <algorithm>

#include "platform/text.h"

namespace engine {

namespace {

bool IsAscii(std::wstring_view name) {
  return std::all_of(name.begin(), name.end(), [](wchar_t c) { return c < 0x80; });
}

std::wstring AsciiFolded(std::wstring_view name) {
  std::wstring folded(name);
  for (wchar_t& c : folded) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return folded;
}

// A name the system may know as an entry's short (8.3) name: at most eight characters, then at most
// a dot and three more, and no blank.
bool MayBeShortName(std::wstring_view name) {
  if (name.empty() || name.size() > 12 || name.find(L' ') != std::wstring_view::npos) return false;
  const size_t dot = name.find(L'.');
  if (dot == std::wstring_view::npos) return name.size() <= 8;
  return dot >= 1 && dot <= 8 && name.size() - dot - 1 <= 3 && name.find(L'.', dot + 1) == std::wstring_view::npos;
}

// A part that names one entry as it is written: no "." or "..", no wildcard, nothing the system
// would read another way.
bool PlainName(std::wstring_view name) {
  return !name.empty() && name != L"." && name != L".." && name.find_first_of(L"/*?<>\"") == std::wstring_view::npos;
}

}  // namespace

ListedNames ListedNames::Of(const std::wstring& folder) {
  ListedNames names;
  platform::Result<void> listed =
      platform::ListFolder(folder, [&](const platform::FolderEntry& entry) { names.Add(entry); });
  if (listed) return names;
  ListedNames unlisted;
  unlisted.listed_ = false;
  unlisted.missing_ = listed.SystemError() == ERROR_FILE_NOT_FOUND || listed.SystemError() == ERROR_PATH_NOT_FOUND;
  return unlisted;
}

ListedNames ListedNames::Missing() {
  ListedNames missing;
  missing.listed_ = false;
  missing.missing_ = true;
  return missing;
}

void ListedNames::Add(platform::FolderEntry entry) {
  const size_t at = entries_.size();
  if (IsAscii(entry.name)) {
    byAsciiFold_.emplace(AsciiFolded(entry.name), at);
  } else {
    beyondAscii_.push_back(at);
  }
  lowerNames_.push_back(platform::ToLower(entry.name));
  entries_.push_back(std::move(entry));
}

ListedNames::Answer ListedNames::Find(std::wstring_view name) const {
  if (!listed_) return {nullptr, missing_};
  // The entry of exactly that name, else the first the system would take for it.
  const platform::FolderEntry* found = nullptr;
  auto consider = [&](size_t at) {
    const platform::FolderEntry& entry = entries_[at];
    if (entry.name == name || (!found && platform::EqualsNoCase(entry.name, name))) found = &entry;
  };
  if (IsAscii(name)) {
    auto [first, last] = byAsciiFold_.equal_range(AsciiFolded(name));
    for (auto at = first; at != last; ++at) consider(at->second);
    // The system's letter case reaches beyond ASCII: a few other letters count as ASCII ones.
    for (size_t at : beyondAscii_) consider(at);
  } else {
    for (size_t at = 0; at < entries_.size(); ++at) consider(at);
  }
  return {found, found || !MayBeShortName(name)};
}

const ListedNames& FolderListings::Of(const std::wstring& folder) {
  if (auto known = folders_.find(folder); known != folders_.end()) return known->second;
  auto missingAbove = [&] {
    const size_t root = platform::RootLength(folder), slash = folder.find_last_of(L'\\');
    if (root == 0 || folder.size() <= root || slash == std::wstring::npos || slash + 1 < root) return false;
    const std::wstring name = folder.substr(slash + 1);
    if (!PlainName(name)) return false;
    const ListedNames::Answer above = Of(folder.substr(0, std::max(slash, root))).Find(name);
    return above.certain && !above.entry;
  };
  return folders_.emplace(folder, missingAbove() ? ListedNames::Missing() : ListedNames::Of(folder)).first->second;
}

}  // namespace engine
