#pragma once
// Running the rules of the rule files: the run's last stage (catalogue::RuleStage) and the erasure
// of one rule.
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/rule_file.h"
#include "catalogue/rule_paths.h"
#include "run/item_context.h"

namespace rules {

// A rule as the selection window and the console program list it.
struct RuleChoice {
  Rule rule;
  bool detected = false;  // it applies on this machine
  bool ticked = false;    // as the next run sees it
  bool stored = false;    // the settings file holds its tick, on or off
};

// Every rule of the rule files, by category and then by name.
std::vector<RuleChoice> RuleChoices(const std::wstring& programFolder);

// Whether a list shows the rule: it applies here or `showNotFound` asks for all, and the search text
// is part of its name or category, letter case ignored.
bool Shown(const RuleChoice& choice, std::wstring_view search, bool showNotFound);

// What the rule names that a run will refuse, each as "<folder> is <what the guard says it is>": a
// folder that its variables and wildcards lead to a drive root, a protected folder or the program
// folder, unless the key takes only files of exact names from a drive root or protected folder.
std::vector<std::wstring> RefusedFolders(const Rule& rule, const std::wstring& programFolder);

// Erases (or previews) what the rule names, but what its exclusions keep: the files of its file
// keys, then its registry keys and values. Counts the sizes of the files, 5 per registry key and 1
// per value.
void RunRule(const Rule& rule, PathExpander& expander, run::ItemContext& context);

}  // namespace rules
