#pragma once
// Running the rules of the rule files: the run's last stage (catalogue::RuleStage) and the erasure
// of one rule.
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/rule_file.h"
#include "catalogue/rule_paths.h"
#include "engine/path_guard.h"
#include "run/item_context.h"
#include "settings/inifun.h"

namespace catalogue::rules {

// A rule as the selection window and the console program list it.
struct RuleChoice {
  Rule rule;
  bool detected = false;  // it applies on this machine
  bool ticked = false;    // as the next run sees it
  bool stored = false;    // the settings file holds its tick, on or off
};

// Every rule of the rule files, by category and then by name.
std::vector<RuleChoice> RuleChoices(const std::wstring& programFolder);

// Puts the ticks of the choices into the batch, each in its entry's section, with the one-time move
// of the ticks that the project's own entries had in the community file's section.
void StoreTicks(settings::inifun::IniBatch& batch, const std::vector<RuleChoice>& choices,
                const std::wstring& programFolder);

// Puts "0" into the batch for each entry of the community file named in `names` (letter case
// ignored) that reads as ticked now; returns their names as the file in place writes them.
std::vector<std::wstring> UntickCommunityEntries(settings::inifun::IniBatch& batch,
                                                 const std::vector<std::wstring>& names,
                                                 const std::wstring& programFolder);

// Puts the ticks of a new user into the batch: the project's own entries marked "Default=True".
void StoreDefaultTicks(settings::inifun::IniBatch& batch, const std::wstring& programFolder);
// Whether a new user starts with the rule ticked.
bool TickedByDefault(const Rule& rule);

// Whether a list shows the rule: it applies here or `showNotFound` asks for all, and the search text
// is part of its name or category, letter case ignored, or names the browser its name names
// (NamesSearchedBrowser).
bool Shown(const RuleChoice& choice, std::wstring_view search, bool showNotFound);

// The folders of the rule's file keys that climb above the variable they start from
// (VariableClimbedAbove), each as "<folder> is outside the folder <variable> names: ...". A run
// refuses such a key whole, wherever it leads.
std::vector<std::wstring> ClimbingFolders(const Rule& rule);

// What the rule names that a run will refuse, each as "<folder or key> is <why>", in the language in
// force: first the climbing folders, as ClimbingFolders lists them; then a folder that its variables
// and wildcards lead to a drive root, a protected folder or the program folder, unless the key takes
// only files of exact names from a drive root or protected folder; a folder or key whose expansion is
// too broad; a key that holds every program's settings.
std::vector<std::wstring> RefusedFolders(const Rule& rule, const engine::PathGuard& guard);
// The same for the many rules of one task, with one live expander for them all (its variables looked
// up once) and the guard it holds.
std::vector<std::wstring> RefusedFolders(const Rule& rule, PathExpander& expander);

// Erases (or previews) what the rule names, but what its exclusions keep: the files of its file
// keys, then its registry keys and values. Counts the sizes of the files, 5 per registry key and 1
// per value.
void RunRule(const Rule& rule, PathExpander& expander, run::ItemContext& context);

}  // namespace catalogue::rules
