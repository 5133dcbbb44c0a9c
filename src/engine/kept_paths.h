#pragma once
// The files and folders the user keeps from every cleaning, known by what they are on the disk (volume
// and file number), not by their names: a kept file stays however a walk or a step names it, through
// another drive letter, a link above it, a short name or another letter case; a kept folder stays with
// its whole tree. An entry whose last part has a wildcard ("C:\\Logs\\*.log") keeps what matches it
// directly in that folder, the folder known by what it is. The guard asks here at every start, a walk
// at every folder it enters, and a folder's deletions at every file.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace engine {

struct EraseContext;

class KeptPaths {
 public:
  // Learns what each path is now. A path that is not there, or no full path, keeps nothing: what
  // appears there later is another object.
  explicit KeptPaths(const std::vector<std::wstring>& paths);
  // Keeps everything: the list is there but cannot be read, and any file may be on it. `why` stands
  // for the entry in the details.
  static KeptPaths Everything(std::wstring why);
  bool Empty() const { return entries_.empty() && !everything_; }

  // The kept entry (as the list names it) that the opened object is; null when none.
  const std::wstring* Is(HANDLE opened) const;
  // The kept entry that the path is or lies in, asked of what the path leads to, part by part.
  const std::wstring* Holding(const std::wstring& path) const;
  // The kept entries at or below the folder, or the one the folder lies in: what a step that erases
  // the folder whole (a shell call, a program's own clearing) would take with it.
  std::vector<std::wstring> Within(const std::wstring& folder) const;
  // The kept files directly in the opened folder, by their names lower-cased.
  struct Name {
    std::wstring name;          // or the pattern
    const std::wstring* entry;  // as the list names it
    bool pattern = false;
  };
  std::vector<Name> NamesIn(HANDLE folder) const;
  // The entry of a listed name among those (letter case, trailing dots and blanks aside, as Windows
  // reads names); null when none.
  static const std::wstring* Named(const std::vector<Name>& names, const std::wstring& name);

 private:
  struct Identity {
    DWORD volume = 0;
    ULONGLONG number = 0;
    bool operator==(const Identity&) const = default;
  };
  struct Entry {
    std::wstring path;     // as the list names it
    std::wstring leadsTo;  // the canonical path it led to when learned
    Identity self;         // for a pattern: none of its own
    std::optional<Identity> parent;
    std::wstring name;  // lower case, for the walks of the parent
    bool pattern = false;
  };
  // The entry of a pattern that keeps `name` directly in the folder `parent`; null when none.
  const Entry* Matching(const Identity& parent, const std::wstring& name) const;
  static std::optional<Identity> Of(HANDLE opened);
  static std::optional<Identity> At(const std::wstring& path);
  const Entry* Find(const Identity& identity) const;

  std::vector<Entry> entries_;
  std::optional<std::wstring> everything_;
};

// Whether the exact path is kept by the user or lies in what is: then it stays, recorded as kept by
// you, never as left behind.
bool KeepsPath(const EraseContext& erase, const std::wstring& exact);
// The same for a folder a walk opened, before it lists it.
bool KeepsFolder(const EraseContext& erase, const std::wstring& folder, HANDLE opened);
// Whether the user keeps something at, in or above one of the folders: a step that erases them whole
// and cannot spare a single file (a shell call, a program's own clearing) must then go otherwise.
bool KeepsWithin(const EraseContext& erase, const std::vector<std::wstring>& folders);
// Records what stays because the user keeps it.
void KeptByYou(const EraseContext& erase, const std::wstring& path, const std::wstring& entry);

}  // namespace engine
