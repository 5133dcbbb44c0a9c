#pragma once
// A check of rule files before anyone runs them: what the program passes over, names twice or
// refuses, and what would reach the data a user keeps. It erases nothing and writes nothing.
#include <string>
#include <vector>

#include "catalogue/rule_file.h"

namespace catalogue::rules {

struct CheckedFile {
  std::wstring path;
  bool readable = false;
  size_t entries = 0;             // the entries read and kept
  std::vector<Finding> findings;  // by line
};

// Each file read as LoadRules reads it, with what it skips and the keys it does not know; an entry
// whose name came before in the same section (of this file or an earlier one of the list); an entry
// that detects nothing; each folder that climbs above its variable (ClimbingFolders); each other
// folder or key the guard refuses (RefusedFolders, on this machine); and each file key or registry
// key that reaches what a user keeps.
std::vector<CheckedFile> CheckRuleFiles(const std::vector<RuleFileName>& files, const std::wstring& programFolder);

// What the entry's file keys and registry keys reach that a user keeps, each as "<folder or key>
// reaches <what> the user keeps".
std::vector<std::wstring> KeptDataReached(const Rule& rule);

// "a skipped line or entry", "an unknown key", ... for a summary.
std::wstring FindingKindName(FindingKind kind, size_t count);

}  // namespace catalogue::rules
