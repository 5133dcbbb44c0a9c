#pragma once
// What the paths and keys of a rule name on this machine now.
#include <windows.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "catalogue/rule_file.h"
#include "engine/path_guard.h"
#include "engine/run_report.h"
#include "engine/user_scope.h"
#include "platform/files.h"

namespace catalogue::rules {

// A registry path of a rule ("HKCU\Software\..." or "HKEY_CURRENT_USER\..."): its root and subkey,
// with no separator doubled or at either end, so that two spellings of one key compare equal (letter
// case ignored); nothing for an unknown root or no subkey.
struct RegistryPath {
  HKEY root;
  std::wstring subkey;
};
std::optional<RegistryPath> ParseRegistryPath(const std::wstring& text);

// Every name the registry gives the key: itself, and through the roots that are views of others
// (HKEY_CLASSES_ROOT of the user's and the machine's "Software\Classes", HKEY_CURRENT_USER of the
// user's hive in HKEY_USERS, HKEY_CURRENT_CONFIG of the machine's current hardware profile).
std::vector<RegistryPath> RegistrySpellings(const RegistryPath& path);

// The bounds of one path's or key's expansion: past either, it gives nothing and says it was too
// broad, and the run goes on with the next.
struct ExpansionBounds {
  size_t paths = 10000;
  std::chrono::milliseconds time{5000};
};

// What a rule's path or key stands for now.
template <typename Found>
struct Expansion {
  std::vector<Found> found;
  bool tooBroad = false;  // past a bound, or a wildcard where none may stand; `found` is then empty
  // Another user's folders that a variable of the path would have named outside that user's profile
  // (engine::ReadUserFolder): the path names nothing there.
  std::vector<engine::LeftRecord> refused = {};
};

// What the paths of rules name now. Each variable is looked up once for the life of the object, so
// one expander serves one load of the rules or one run.
class PathExpander {
 public:
  // How an expander looks at folders. A run lists every folder as it reaches it. Detection looks at
  // thousands of paths below a few folders, for programs that are mostly not there: it lists each
  // folder (and each key's subkeys) once for the life of the object, and stops at the first part
  // that is missing.
  enum class Listings { Live, Remembered };
  // The guard asked which folders a wildcard must not list; by default one that learns the disk
  // afresh for each check while a run erases, and once for all of a remembering expander's. A guard
  // for a task (PathGuard::Memory::ForTheTask) also gives the folders' listings, one per folder for
  // the task, which the guard's own lookups share.
  explicit PathExpander(Listings listings = Listings::Live, ExpansionBounds bounds = {},
                        std::optional<engine::PathGuard> guard = std::nullopt)
      : remembered_(listings == Listings::Remembered),
        bounds_(bounds),
        guard_(guard ? std::move(*guard)
                     : engine::PathGuard({}, remembered_ ? engine::PathGuard::Memory::ForTheTask
                                                         : engine::PathGuard::Memory::PerCheck)) {}

  // What the caller wants of a path.
  enum class Target {
    Folders,
    FoldersOrFiles,  // the last part may match files too
    // Folders whose every file goes: a wildcard just below a drive root or a protected folder with
    // no named folder after it ("C:\*", "%UserProfile%\*\*") is too broad.
    EveryFileIn,
  };

  // The paths a rule's path names: each %Variable% replaced (%ProgramFiles% and %CommonProgramFiles%
  // name both the 64-bit and the 32-bit folder, any other name an environment variable), "." and
  // ".." resolved, then each part that holds "*" or "?" replaced by the entries there whose names
  // match, letter case ignored and links never among them; each path once. Nothing for a variable
  // that names nothing. A remembering expander gives only paths that exist.
  Expansion<std::wstring> Expand(const std::wstring& text, Target target = Target::Folders);
  // The paths a rule's path names before any wildcard is looked up: each %Variable% replaced as
  // Expand replaces it, then ResolvedText; nothing for a variable that names nothing.
  std::vector<std::wstring> Resolve(const std::wstring& text);

  // Another user's run: the variables of a user's own places (%AppData%, %UserProfile%, %Temp%...)
  // name that user's, from the user's hive and profile folder (a folder of the hive only inside the
  // profile), and the keys of HKEY_CURRENT_USER lie in that user's hive.
  void SetUser(const engine::UserScope& user);
  // The key as the user of the expander reaches it.
  RegistryPath UserKey(const RegistryPath& path) const;

  // The guard that the wildcards ask.
  const engine::PathGuard& Guard() const { return guard_; }

  // A file or folder that the path names is there.
  bool Exists(const std::wstring& text);
  // The keys a rule's key names: each part that holds "*" or "?" replaced by the subkeys there
  // whose names match, letter case ignored. A wildcard in the first part below the root, which
  // would stand for every program's settings, is too broad.
  Expansion<RegistryPath> ExpandKey(const RegistryPath& path);
  // A key the path names is there, in the 64-bit or the 32-bit view of the registry.
  bool KeyExists(const RegistryPath& path);

 private:
  const std::vector<std::wstring>& Variable(const std::wstring& name);
  std::vector<std::wstring> ReplaceVariables(const std::wstring& text, std::vector<engine::LeftRecord>& refused);
  void ExpandWildcards(const std::wstring& path, Target target, Expansion<std::wstring>& expansion,
                       std::chrono::steady_clock::time_point start);
  const engine::ListedNames& Listed(const std::wstring& folder);
  const engine::ListedNames& Subkeys(HKEY root, REGSAM view, const std::wstring& subkey);
  Expansion<std::wstring> ExpandSubkeys(HKEY root, REGSAM view, const std::wstring& subkey);
  // Past the bounds of the expansion that began at `start`.
  bool Past(size_t paths, std::chrono::steady_clock::time_point start) const;

  bool remembered_;
  ExpansionBounds bounds_;
  engine::UserScope user_;
  std::map<std::wstring, std::vector<std::wstring>> variables_;
  std::map<std::wstring, engine::LeftRecord> refusedVariables_;  // by lower-case name, with no value
  engine::ListedNames listed_;                                   // a live expander's latest listing
  std::unordered_map<std::wstring, engine::ListedNames> keys_;   // by root, view and lower-case subkey
  // For the folders a wildcard must not list; a guard for a task also lists each folder once for it.
  engine::PathGuard guard_;
};

// The path begins with a variable of a user's own places: it names a folder of each user's.
bool NamesUserFolder(const std::wstring& text);

// The path with "/" read as "\", no separator doubled, and "." and ".." resolved by the text as
// Windows resolves them: a ".." never climbs above a drive or share root, and one with nothing
// before it to climb from in a path without a root stays.
std::wstring ResolvedText(std::wstring path);

// The variable the path starts from ("%LocalAppData%"), when a ".." of the path climbs above the
// folder that variable names ("%LocalAppData%\..\Roaming", "%AppData%\Vendor\..\..\Documents"):
// such a path leads outside the tree it names, whatever the variable names. Nothing otherwise.
std::optional<std::wstring> VariableClimbedAbove(const std::wstring& text);

// The rule applies here: this Windows is within its DetectOS versions, and one of its Detect keys
// exists, or one of its DetectFile paths, or a program its SpecialDetect names; a rule with none of
// them applies everywhere.
bool Detected(const Rule& rule, PathExpander& expander);

// The keys and files, as the rule writes them, whose absence leaves it undetected on this Windows;
// empty when it is detected by nothing (it applies everywhere) or is for another Windows.
std::vector<std::wstring> DetectionTargets(const Rule& rule);

}  // namespace catalogue::rules
