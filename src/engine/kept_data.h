#pragma once
// What a user keeps in today's browsers and programs: the files and keys that hold it, whatever an
// item's label, a plug-in or a rule file calls them. Every erasure asks before it deletes a file, a
// key or a value, beside the guard for protected folders; only an item that names that data (its
// label says "Bookmarks", "Passwords", ...) may take it.
#include <windows.h>

#include <span>
#include <string>
#include <vector>

#include "engine/browser_table.h"

namespace engine {

// Kinds of kept data, as bits: an item names the kinds its label promises to erase.
enum KeptKind : unsigned {
  kKeptSettings = 1u << 0,
  kKeptPasswords = 1u << 1,  // saved passwords and the key that decrypts them
  kKeptAutofill = 1u << 2,   // form entries, cards, addresses
  kKeptBookmarks = 1u << 3,
  kKeptExtensions = 1u << 4,
  kKeptSync = 1u << 5,
  kKeptFavourites = 1u << 6,
  kKeptContacts = 1u << 7,  // address books
};

struct KeptEntry {
  const wchar_t* name;   // a file or folder name; for a key, its path below HKEY_CURRENT_USER
  const wchar_t* holds;  // "holds " + this + " the user keeps", looked up where it is shown
  unsigned kind;
};

// The entry a file holds: by its name (or the name of a folder it lies in) inside a browser's
// profile. `path` is a canonical full path. Null when it holds nothing a user keeps.
const KeptEntry* KeptFile(const std::wstring& path, std::span<const Browser> browsers = Browsers());

// KeptFile for the files of one folder, whose own parts are looked at once: a walk asks it of every
// file it meets there.
class KeptFolder {
 public:
  explicit KeptFolder(const std::wstring& folder, std::span<const Browser> browsers = Browsers());
  // KeptFile of the folder's file of that name.
  const KeptEntry* File(const std::wstring& name) const;

 private:
  struct Judged {
    size_t family;
    const KeptEntry* entry;  // what the folder's own parts name; null: the file's name decides
  };
  std::vector<Judged> families_;  // those whose home folder the folder is or lies in, in their order
};

// The entry of a file that a rule's file key would reach, judged on its text: `folder` lies in a kept
// folder, or it is a browser's profile folder or the one that holds them and one of `patterns`
// matches a kept name or its database's companions. Null when it reaches none.
const KeptEntry* KeptFileReached(const std::wstring& folder, const std::vector<std::wstring>& patterns,
                                 std::span<const Browser> browsers = Browsers());

// The kept key at or below a key (root and subkey, below HKEY_CURRENT_USER or a user's hive in
// HKEY_USERS): a deletion of that key's tree would erase it.
const KeptEntry* KeptKeyWithin(HKEY root, const std::wstring& subkey);

// The kept key a key lies in (itself or one above it): none of its keys or values may go.
const KeptEntry* KeptKeyHolding(HKEY root, const std::wstring& subkey);

// Whether an erasure whose item names `allowed` kinds must leave the entry: null entries never.
inline bool Refuses(const KeptEntry* entry, unsigned allowed) { return entry && !(entry->kind & allowed); }

// Why the guard refuses it, for the run's details: "holds <what> the user keeps".
std::wstring KeptRefusal(const KeptEntry& entry);

// The full text of a kept key, as the details name it.
std::wstring KeptKeyPath(const KeptEntry& entry);

}  // namespace engine
