#include "catalogue/rule_check.h"

#include <algorithm>
#include <map>

#include "catalogue/rule_paths.h"
#include "catalogue/rules.h"
#include "engine/kept_data.h"
#include "platform/text.h"
#include "platform/translation.h"

namespace catalogue::rules {

std::vector<std::wstring> KeptDataReached(const Rule& rule) {
  std::vector<std::wstring> reached;
  auto add = [&](const std::wstring& where, const engine::KeptEntry* entry) {
    if (entry) {
      reached.push_back(platform::Fill(platform::Tr(L"{path} reaches {what} the user keeps"),
                                       {{L"path", where}, {L"what", entry->holds}}));
    }
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
  std::map<std::wstring, std::pair<std::wstring, size_t>> seen;  // section and lower-case name: file and line
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
      auto [first, added] = seen.emplace(std::wstring(file.section) + L"/" + platform::ToLower(rule.name),
                                         std::pair{file.path.substr(file.path.find_last_of(L'\\') + 1), rule.line});
      if (!added) {
        note(FindingKind::DuplicateName,
             platform::Fill(platform::Tr(
                                L"named before, in {file} line {line}: that entry counts, this one is left out"),
                            {{L"file", first->second.first}, {L"line", std::to_wstring(first->second.second)}}));
        continue;
      }
      ++result.entries;
      if (rule.detectKeys.empty() && rule.detectFiles.empty() && rule.specialDetects.empty()) {
        note(FindingKind::NoDetection,
             platform::Tr(L"no Detect, DetectFile or SpecialDetect: it applies on every computer"));
      }
      // RefusedFolders lists the climbing folders first.
      const size_t climbing = ClimbingFolders(rule).size();
      const std::vector<std::wstring> refused = RefusedFolders(rule, refusals);
      for (size_t i = 0; i < refused.size(); ++i) {
        note(i < climbing ? FindingKind::Climbs : FindingKind::Refused,
             platform::Fill(platform::Tr(L"refused: {path}"), {{L"path", refused[i]}}));
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
  using platform::FillCount;
  using platform::TrPlural;
  switch (kind) {
    case FindingKind::Skipped:
      return FillCount(TrPlural(L"{count} line or entry skipped", L"{count} lines or entries skipped", count), count);
    case FindingKind::UnknownKey:
      return FillCount(TrPlural(L"{count} unknown key", L"{count} unknown keys", count), count);
    case FindingKind::DuplicateName:
      return FillCount(TrPlural(L"{count} duplicate name", L"{count} duplicate names", count), count);
    case FindingKind::NoDetection:
      return FillCount(TrPlural(L"{count} entry with no detection", L"{count} entries with no detection", count),
                       count);
    case FindingKind::Climbs:
      return FillCount(TrPlural(L"{count} folder that climbs above its variable",
                                L"{count} folders that climb above their variable", count),
                       count);
    case FindingKind::Refused:
      return FillCount(TrPlural(L"{count} refusal of the guard", L"{count} refusals of the guard", count), count);
    case FindingKind::KeptData:
      return FillCount(TrPlural(L"{count} reach of what a user keeps", L"{count} reaches of what a user keeps", count),
                       count);
  }
  return {};
}

}  // namespace catalogue::rules
