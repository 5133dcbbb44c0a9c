#pragma once
// Asked by every erasure before it touches a folder or file it was named. It decides on the path's
// canonical form, so a short (8.3) name, "..", trailing dots, "\\?\" or another letter case never
// slip a protected folder past it, nor does a link that leads to one. The erasure then acts on the
// exact form, the entry named: "report." and "report" are two files on the drives Wine reaches and,
// through "\\?\" names, on Windows.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/erase_context.h"
#include "engine/listed_names.h"

namespace engine {

enum class Refusal {
  None,
  NotAFullPath,     // empty or relative text (a failed lookup gives "Error"), a device path
  DriveRoot,        // a drive or share root
  ProtectedFolder,  // the Windows folder, System32, Program Files, the profiles and every user's profile
  ProgramFolder,    // the program's own folder or the user's settings folder, or anything in them
  Link,             // a folder that is a link or junction, which no walk starts from
  NoIdentity,       // a folder or file whose identity the system does not tell
};

// The protected folders as objects on the disk, whatever they are called: the drive roots, the
// folders GuardPath protects and the program folders. Each is known by its file number, which costs
// Wine no more than the file's status; the volume, which costs Wine a request to its mount manager,
// is compared only when a number matches.
struct ProtectedIdentities {
  struct Folder {
    LONGLONG number;
    std::wstring path;
    Refusal refusal;
  };
  std::vector<Folder> folders;
};

struct GuardDecision {
  std::wstring path;   // the canonical form; empty for text that is no full path
  std::wstring exact;  // the exact form, to act on; empty alike
  Refusal refusal = Refusal::None;
  explicit operator bool() const { return refusal == Refusal::None; }
};

// The canonical form of a full path: "\\?\" dropped, "." and ".." resolved, trailing separators,
// dots and blanks removed, and the long name of every part that exists. Empty for text that is no
// full path ("X:\..." or "\\server\share\...").
std::wstring CanonicalPath(const std::wstring& path);

// The exact form of a full path: "\\?\" dropped, "/" read as "\\", "." and ".." resolved, the long
// name of every part that exists, but every part's own trailing dots and blanks kept. Paths that a walk
// builds from it and a listing's names are exact too; platform::ApiPath gives the system their
// "\\?\" form, which it takes literally. Empty for text that is no full path.
std::wstring ExactPath(const std::wstring& path);

// The canonical path of what the path leads to, every link or junction on its way followed, by the
// drive the system names the object on: one folder reached through a link or another drive letter
// gives one text (a share of a drive keeps the share's name on Windows). For what does not exist,
// the longest part that does leads and the rest follows as written. The canonical path itself when
// the system does not tell; empty for text that is no full path.
std::wstring IdentityPath(const std::wstring& path);

// Where the folders of a walk's files lead (IdentityPath), learned once per folder as the walk goes
// from one to the next.
class WalkedFolders {
 public:
  // For the folder that holds the file, an exact path that a walk built from its listing: the
  // names' canonical form, which such a path has already, is not looked up again.
  const std::wstring& LeadsTo(const std::wstring& file);

 private:
  std::wstring folder_, leadsTo_;
};

// The same for a folder, from the handle a walk opened it with, without opening it again.
std::wstring FolderLeadsTo(const std::wstring& folder, HANDLE opened);

// A folder known by what it is on the disk, for the comparisons that names cannot settle: through a
// share of the drive, the system names a folder by the share, not by the drive.
class FolderIdentity {
 public:
  // Of what the path leads to; none when nothing is there or the system does not tell.
  static std::optional<FolderIdentity> Of(const std::wstring& path);
  // Whether `folder`, a path without links (IdentityPath), is this folder or, with `orBelow`, a
  // folder below it: asked of the folder and of each one above it by file number, then by volume.
  bool Holds(const std::wstring& folder, bool orBelow) const;

 private:
  FolderIdentity(LONGLONG number, std::wstring path) : number_(number), path_(std::move(path)) {}
  LONGLONG number_;
  std::wstring path_;  // opened again to compare the volume when a number matches
};

// Whether an erasure may work on the path. Folders below the protected ones stay valid targets;
// nothing in the program folder is. The folder of the running executable always counts as a program
// folder; `programFolder` names the one the caller works for, when it is another.
GuardDecision GuardPath(const std::wstring& path, const std::wstring& programFolder = {});

// GuardPath for the many paths of one task (the entries of a rule file, a window's list): the
// protected folders' identities, which cost Wine tens of milliseconds to learn, are learned once,
// at the first path whose names leave it free. A copy shares what the guard learned.
class PathGuard {
 public:
  // What the checks learn of the disk, which Wine answers a part of a path at a time: the long name
  // of each part, where each opened path leads and what each folder on the way is. A task that writes
  // nothing while it asks keeps it from one check to the next (ForTheTask); each answer is kept by the
  // text the system was asked with, so another spelling is asked afresh. Names are looked up in one
  // listing of their folder per task (ListedNames), asked of the system only where it cannot tell.
  enum class Memory { PerCheck, ForTheTask };
  explicit PathGuard(std::wstring programFolder = {}, Memory memory = Memory::ForTheTask);
  GuardDecision Check(const std::wstring& path) const;
  const std::wstring& ProgramFolder() const { return programFolder_; }
  // The names in a folder, from the one listing of it that also answers the checks' lookups of
  // names there; none for a guard that asks the system afresh at each check.
  const ListedNames* Names(const std::wstring& folder) const;

 private:
  struct Learned;
  std::wstring programFolder_;
  Memory memory_;
  std::shared_ptr<Learned> learned_;
};

// A drive root or a protected folder, from which files of exact names may still go when nothing
// walks below it: the one freedom a list of names gets there.
inline bool AllowsExactNames(const GuardDecision& decision) {
  return decision.refusal == Refusal::DriveRoot || decision.refusal == Refusal::ProtectedFolder;
}

// The exact path when GuardPath allows it.
std::optional<std::wstring> ErasablePath(const std::wstring& path, const std::wstring& programFolder = {});

// The file search deletes nothing in the program folder, the Windows folder or the Program Files
// folders, at any depth; a drive root or protected folder itself is refused as by GuardPath.
GuardDecision GuardFoundFile(const std::wstring& path, const std::wstring& programFolder);

// The shredder's guard, at least as careful as the search's: also the profile's own top folders
// (AppData and its Local, Roaming and LocalLow), which programs need, are refused as wholes.
GuardDecision GuardShredTarget(const std::wstring& path, const std::wstring& programFolder);

// The exact path when GuardPath allows it for the context's program folder. A refused full path
// is recorded as left behind, so that a run never passes over a folder it was named in silence.
std::optional<std::wstring> GuardedTarget(const EraseContext& erase, const std::wstring& path);

// GuardPath for a folder that a walk starts from, with the identities the run learned, which is also
// refused when it is a link or junction: what it leads to is outside the tree named.
GuardDecision GuardFolder(const EraseContext& erase, const std::wstring& path);
// The exact path when GuardFolder allows it; a refusal is recorded as by GuardedTarget.
std::optional<std::wstring> GuardedFolder(const EraseContext& erase, const std::wstring& path);

// What the guard says of a folder that a walk meets on its way down, by what the folder is, however
// the walk reached it: a drive root, a protected folder or the program folder is refused, and so is
// a folder whose identity cannot be read. `throughProtected` lets a walk over a whole drive pass the
// protected folders; never a drive root or the program folder.
Refusal FolderRefusal(const EraseContext& erase, const std::wstring& folder, bool throughProtected = false);
// The same for the folder as the walk opened it (platform::OpenFolder), which it then lists.
Refusal FolderRefusal(const EraseContext& erase, const std::wstring& folder, HANDLE opened, bool throughProtected);

// Whether a folder that a walk met on its way down is the program folder (the context's or the
// executable's), by its name or by what it is.
bool IsProgramFolder(const EraseContext& erase, const std::wstring& folder);

// For the run's details, after "refused: ".
const wchar_t* RefusalReason(Refusal refusal);

// For a message that names the path: "<path> is <this>".
const wchar_t* RefusalDescription(Refusal refusal);

}  // namespace engine
