#pragma once
// The names of one folder (or a key's subkeys), listed once and asked by name. Wine answers a name
// that is not in a folder by reading the whole folder, so a task that asks about many names in one
// folder, and writes nothing while it asks, lists it once and looks the names up here instead.
#include <windows.h>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/files.h"

namespace engine {

class ListedNames {
 public:
  // The folder's entries as the system lists them through any link on its way, as a lookup of a
  // name in it would see them. Unlisted when it cannot be listed; then `missing` says whether the
  // system said nothing is there.
  static ListedNames Of(const std::wstring& folder);
  // A folder a listing above it does not hold: nothing is there.
  static ListedNames Missing();

  void Add(platform::FolderEntry entry);

  // What the listing says of a name: the entry, or none with `certain` when the system would find
  // none either. Letter case is ignored as the system ignores it. Not certain when the folder was
  // not listed, or for a name that may be a short (8.3) name, which the listing does not hold.
  struct Answer {
    const platform::FolderEntry* entry = nullptr;
    bool certain = false;
  };
  Answer Find(std::wstring_view name) const;

  bool Listed() const { return listed_; }
  bool IsMissing() const { return missing_; }
  const std::vector<platform::FolderEntry>& Entries() const { return entries_; }
  // Beside Entries, lower case, for platform::MatchesLoweredPattern.
  const std::vector<std::wstring>& LowerNames() const { return lowerNames_; }

 private:
  std::vector<platform::FolderEntry> entries_;
  std::vector<std::wstring> lowerNames_;
  std::unordered_multimap<std::wstring, size_t> byAsciiFold_;  // names of ASCII letters only, A-Z folded
  std::vector<size_t> beyondAscii_;                            // the others, compared one by one
  bool listed_ = true;
  bool missing_ = false;
};

// The listings of one task, each folder listed once, by the exact text of the folder. A folder that
// the listing of the folder above it does not hold is not asked for.
class FolderListings {
 public:
  const ListedNames& Of(const std::wstring& folder);

 private:
  std::unordered_map<std::wstring, ListedNames> folders_;
};

}  // namespace engine
