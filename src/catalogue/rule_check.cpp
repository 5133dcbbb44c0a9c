#include "catalogue/rule_check.h"

#include <algorithm>
#include <map>

#include "catalogue/rule_paths.h"
#include "catalogue/rules.h"
#include "engine/kept_data.h"
#include "platform/format.h"
#include "platform/text.h"

namespace catalogue::rules {

std::vector<std::wstring> KeptDataReached(const Rule& rule) {
  std::vector<std::wstring> reached;
  auto add = [&](const std::wstring& where, const engine::KeptEntry* entry) {
    if (entry) reached.push_back(where + L" reaches " + entry->holds + L" the user keeps");
  };
  for (const FileKey& key : rule.fileKeys) add(key.folder, engine::KeptFileReached(key.folder, key.patterns));
  for (const RegKey& key : rule.regKeys) {
    std::optional<RegistryPath> path = ParseRegistryPath(key.key);
    if (!path) continue;
    add(key.key, key.wholeKey ? engine::KeptKeyWithin(path->root, path->subkey)
                              : engine::KeptKeyHolding(path->root, path->subkey));
  }
  return reached;
}

std::vector<CheckedFile> CheckRuleFiles(const std::vector<RuleFileName>& files, const std::wstring& programFolder) {
  std::vector<CheckedFile> checked;
  std::map<std::wstring, std::wstring> seen;  // section and lower-case name: where it was first
  PathExpander refusals(PathExpander::Listings::Live, {}, engine::PathGuard(programFolder));
  for (const RuleFileName& file : files) {
    CheckedFile result;
    result.path = file.path;
    std::optional<std::vector<Rule>> read = ReadRuleFile(file.path, &result.findings);
    result.readable = read.has_value();
    for (const Rule& rule : read.value_or(std::vector<Rule>{})) {
      auto note = [&](FindingKind kind, const std::wstring& text) {
        result.findings.push_back({kind, rule.line, rule.name, text});
      };
      const std::wstring here =
          file.path.substr(file.path.find_last_of(L'\\') + 1) + L" line " + std::to_wstring(rule.line);
      auto [first, added] = seen.emplace(std::wstring(file.section) + L"/" + platform::ToLower(rule.name), here);
      if (!added) {
        note(FindingKind::DuplicateName,
             L"named before, in " + first->second + L": that entry counts, this one is left out");
        continue;
      }
      ++result.entries;
      if (rule.detectKeys.empty() && rule.detectFiles.empty() && rule.specialDetects.empty()) {
        note(FindingKind::NoDetection, L"no Detect, DetectFile or SpecialDetect: it applies on every computer");
      }
      const std::vector<std::wstring> climbing = ClimbingFolders(rule);
      for (const std::wstring& refused : RefusedFolders(rule, refusals)) {
        const bool climbs = std::find(climbing.begin(), climbing.end(), refused) != climbing.end();
        note(climbs ? FindingKind::Climbs : FindingKind::Refused, L"refused: " + refused);
      }
      for (const std::wstring& kept : KeptDataReached(rule)) note(FindingKind::KeptData, kept);
    }
    std::stable_sort(result.findings.begin(), result.findings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    checked.push_back(std::move(result));
  }
  return checked;
}

std::wstring FindingKindName(FindingKind kind, size_t count) {
  switch (kind) {
    case FindingKind::Skipped: return platform::Counted(count, L"line or entry skipped", L"lines or entries skipped");
    case FindingKind::UnknownKey: return platform::Counted(count, L"unknown key", L"unknown keys");
    case FindingKind::DuplicateName: return platform::Counted(count, L"duplicate name", L"duplicate names");
    case FindingKind::NoDetection:
      return platform::Counted(count, L"entry with no detection", L"entries with no detection");
    case FindingKind::Climbs:
      return platform::Counted(count, L"folder that climbs above its variable",
                               L"folders that climb above their variable");
    case FindingKind::Refused: return platform::Counted(count, L"refusal of the guard", L"refusals of the guard");
    case FindingKind::KeptData:
      return platform::Counted(count, L"reach of what a user keeps", L"reaches of what a user keeps");
  }
  return {};
}

}  // namespace catalogue::rules
