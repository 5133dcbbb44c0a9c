#pragma once
// Asked by every erasure before it touches a folder or file it was named. It decides on the path's
// canonical form, so a short (8.3) name, "..", trailing dots, "\\?\" or another letter case never
// slip a protected folder past it, nor does a link that leads to one. The erasure then acts on the
// exact form, the entry named: "report." and "report" are two files on the drives Wine reaches and,
// through "\\?\" names, on Windows.
#include <optional>
#include <string>

#include "engine/erase_context.h"

namespace engine {

enum class Refusal {
  None,
  NotAFullPath,     // empty or relative text (a failed lookup gives "Error"), a device path
  DriveRoot,        // a drive or share root
  ProtectedFolder,  // the Windows folder, System32, Program Files, the profiles and the user's profile
  ProgramFolder,    // the program's own folder or anything in it
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

// Whether an erasure may work on the path. Folders below the protected ones stay valid targets;
// nothing in the program folder is. The folder of the running executable always counts as a program
// folder; `programFolder` names the one the caller works for, when it is another.
GuardDecision GuardPath(const std::wstring& path, const std::wstring& programFolder = {});

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

// Whether a folder that a walk met on its way down is the program folder (the context's or the
// executable's), which no walk from above enters. `folder` is built from a canonical start and the
// names the file system listed, long names both, so a comparison of texts settles it.
bool IsProgramFolder(const EraseContext& erase, const std::wstring& folder);

// For the run's details, after "refused: ".
const wchar_t* RefusalReason(Refusal refusal);

// For a message that names the path: "<path> is <this>".
const wchar_t* RefusalDescription(Refusal refusal);

}  // namespace engine
