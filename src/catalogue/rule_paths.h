#pragma once
// What the paths and keys of a rule name on this machine now.
#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "catalogue/rule_file.h"
#include "platform/files.h"

namespace rules {

// A registry path of a rule ("HKCU\Software\..." or "HKEY_CURRENT_USER\..."): its root and subkey;
// nothing for an unknown root or no subkey.
struct RegistryPath {
  HKEY root;
  std::wstring subkey;
};
std::optional<RegistryPath> ParseRegistryPath(const std::wstring& text);

// What the paths of rules name now. Each variable is looked up once for the life of the object, so
// one expander serves one load of the rules or one run.
class PathExpander {
 public:
  // How an expander looks at folders. A run lists every folder as it reaches it. Detection looks at
  // thousands of paths below a few folders, for programs that are mostly not there: it lists each
  // folder (and each key's subkeys) once for the life of the object, and stops at the first part
  // that is missing.
  enum class Listings { Live, Remembered };
  explicit PathExpander(Listings listings = Listings::Live) : remembered_(listings == Listings::Remembered) {}

  // The paths a rule's path names: each %Variable% replaced (%ProgramFiles% and %CommonProgramFiles%
  // name both the 64-bit and the 32-bit folder, any other name an environment variable), then each
  // part that holds "*" or "?" replaced by the entries there whose names match, letter case ignored
  // and links never among them. Folders only, unless `lastMayBeFile` lets the last part match files
  // too. Nothing for a variable that names nothing. A remembering expander gives only paths that
  // exist.
  std::vector<std::wstring> Expand(const std::wstring& text, bool lastMayBeFile = false);

  // A file or folder that the path names is there.
  bool Exists(const std::wstring& text);
  // The keys a rule's key names: each part that holds "*" or "?" replaced by the subkeys there
  // whose names match, letter case ignored.
  std::vector<RegistryPath> ExpandKey(const RegistryPath& path);
  // A key the path names is there, in the 64-bit or the 32-bit view of the registry.
  bool KeyExists(const RegistryPath& path);

 private:
  struct Listing {
    std::vector<platform::FolderEntry> entries;
    std::vector<std::wstring> lowerNames;             // beside `entries`
    std::unordered_map<std::wstring, size_t> byName;  // lower-case name: place in `entries`
  };
  const std::vector<std::wstring>& Variable(const std::wstring& name);
  std::vector<std::wstring> ReplaceVariables(const std::wstring& text);
  std::vector<std::wstring> ExpandWildcards(const std::wstring& path, bool lastMayBeFile);
  const Listing& Listed(const std::wstring& folder);
  const Listing& Subkeys(HKEY root, REGSAM view, const std::wstring& subkey);
  std::vector<std::wstring> ExpandSubkeys(HKEY root, REGSAM view, const std::wstring& subkey);

  bool remembered_;
  std::map<std::wstring, std::vector<std::wstring>> variables_;
  std::unordered_map<std::wstring, Listing> folders_;  // by lower-case path
  std::unordered_map<std::wstring, Listing> keys_;     // by root, view and lower-case subkey
};

// The rule applies here: this Windows is within its DetectOS versions, and one of its Detect keys
// exists, or one of its DetectFile paths, or a program its SpecialDetect names; a rule with none of
// them applies everywhere.
bool Detected(const Rule& rule, PathExpander& expander);

}  // namespace rules
