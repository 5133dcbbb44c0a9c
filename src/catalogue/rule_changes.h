#pragma once
// What a new copy of a rule file changes against the installed one, entry by entry, with what each
// new or changed entry would do on this computer: whether it applies here, what the guard refuses of
// it and what it reaches that a user keeps. Nothing is read from the network and nothing is written.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/rule_file.h"

namespace catalogue::rules {

enum class ChangeKind { Added, Removed, Changed };

struct RuleChange {
  ChangeKind kind = ChangeKind::Added;
  std::wstring name;                   // as the new file writes it; for a removed entry, as the old one did
  bool erasesMore = false;             // changed: its new form erases what the old one left
  bool appliesHere = false;            // added or changed: its detection finds its program here
  std::vector<std::wstring> refused;   // added or changed: what the guard refuses, and why
  std::vector<std::wstring> keptData;  // added or changed: what it reaches that a user keeps
};

// Whether `after` erases what `before` left: a file key or registry key that no key of `before`
// covers (a new one, a folder outside the old ones, a wider file pattern, RECURSE or REMOVESELF
// added, a whole key where a value was), or an exclusion dropped. Folders are compared where they
// lead on this computer: variables expanded, "." and ".." resolved, letter case ignored; a folder
// is covered only at or, where the old key recurses, below the old key's.
bool ErasesMore(const Rule& before, const Rule& after);

// The entries of `after` not in `before` (added), those of `before` not in `after` (removed) and
// those in both whose keys differ (changed), matched by name whatever its letter case; in the order
// of `after`, the removed ones last in the order of `before`.
std::vector<RuleChange> CompareRules(const std::vector<Rule>& before, const std::vector<Rule>& after,
                                     const std::wstring& programFolder);

// How far a comparison is: the entries of the new file compared, of all; false stops it.
using CompareProgress = std::function<bool(size_t compared, size_t entries)>;
// CompareRules, telling `progress` before each entry of `after` and once at the end; none when it
// was stopped.
std::optional<std::vector<RuleChange>> CompareRules(const std::vector<Rule>& before, const std::vector<Rule>& after,
                                                    const std::wstring& programFolder, const CompareProgress& progress);

// "erases more", "applies here", "refused: ...", "reaches kept data: ..." for a list or a line.
std::vector<std::wstring> ChangeMarks(const RuleChange& change);
// "added", "removed", "changed".
const wchar_t* ChangeKindName(ChangeKind kind);

// "3 added, 1 removed, 2 changed (1 erases more); 4 apply here, 1 refused in part, 1 reaches kept data".
std::wstring ChangeSummary(const std::vector<RuleChange>& changes);

// A change the user should look at before it counts: it is refused in part or reaches kept data.
inline bool Alarming(const RuleChange& change) { return !change.refused.empty() || !change.keptData.empty(); }

}  // namespace catalogue::rules
