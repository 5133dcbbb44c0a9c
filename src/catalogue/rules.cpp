// The rule files' stage: every rule that is ticked and applies here, after the plug-ins, one row
// each, through the same primitives, guard and report as the built-in items.
#include "catalogue/rules.h"

#include <algorithm>
#include <map>

#include "catalogue/catalogue.h"
#include "catalogue/rule_paths.h"
#include "engine/allerase.h"
#include "engine/path_guard.h"
#include "platform/text.h"
#include "settings/inifun.h"
#include "settings/item_flags.h"

namespace rules {

namespace {

// The files and keys no part of a rule erases, as this machine names them.
struct Exclusions {
  struct Files {
    std::wstring folder;  // canonical
    std::vector<std::wstring> patterns;
    bool below;  // PATH: the whole tree, not only the folder's own files
  };
  std::vector<Files> files;
  std::vector<std::wstring> keys;  // "HKCU\..." as written, compared by root and subkey

  bool Excludes(const std::wstring& path) const {
    size_t slash = path.find_last_of(L'\\');
    const std::wstring folder = path.substr(0, slash), name = path.substr(slash + 1);
    for (const Files& exclusion : files) {
      bool inside = platform::EqualsNoCase(folder, exclusion.folder) ||
                    (exclusion.below && platform::IsBelow(folder, exclusion.folder));
      if (!inside) continue;
      if (exclusion.patterns.empty()) return true;
      for (const std::wstring& pattern : exclusion.patterns) {
        if (platform::MatchesPattern(name, pattern)) return true;
      }
    }
    return false;
  }
};

Exclusions ExpandExclusions(const Rule& rule, PathExpander& expander) {
  Exclusions exclusions;
  for (const ExcludeKey& key : rule.excludeKeys) {
    if (key.kind == ExcludeKind::Registry) {
      exclusions.keys.push_back(key.location);
      continue;
    }
    for (const std::wstring& folder : expander.Expand(key.location)) {
      exclusions.files.push_back({engine::CanonicalPath(folder), key.patterns, key.kind == ExcludeKind::Path});
    }
  }
  return exclusions;
}

bool HasWildcard(const std::wstring& pattern) { return pattern.find_first_of(L"*?") != std::wstring::npos; }

bool ExactNames(const FileKey& key) {
  return std::none_of(key.patterns.begin(), key.patterns.end(), HasWildcard);
}

void RunFileKey(const FileKey& key, const Exclusions& exclusions, PathExpander& expander,
                run::ItemContext& context) {
  auto wanted = [&](const std::wstring& name, const std::wstring& path) {
    for (const std::wstring& pattern : key.patterns) {
      // The walk builds its paths from a canonical folder and the names it lists.
      if (platform::MatchesPattern(name, pattern)) return !exclusions.Excludes(path);
    }
    return false;
  };
  for (const std::wstring& folder : expander.Expand(key.folder)) {
    if (context.erase.Stopped()) return;
    context.AddBytes(
        allerase::EraseFilesWhere(context.erase, folder, wanted, key.recurse, key.removeSelf, ExactNames(key)));
  }
}

void RunRegKey(const RegKey& key, const Exclusions& exclusions, PathExpander& expander, run::ItemContext& context) {
  std::optional<RegistryPath> named = ParseRegistryPath(key.key);
  if (!named) return;
  std::vector<std::wstring> kept;
  for (const std::wstring& excluded : exclusions.keys) {
    std::optional<RegistryPath> keptPath = ParseRegistryPath(excluded);
    if (keptPath && keptPath->root == named->root) kept.push_back(keptPath->subkey);
  }
  for (const RegistryPath& path : expander.ExpandKey(*named)) {
    if (context.erase.Stopped()) return;
    if (key.wholeKey) {
      context.AddKeys(allerase::DeleteRegistryTreeExcept(context.erase, path.root, path.subkey, kept));
      continue;
    }
    auto isKept = [&](const std::wstring& keptKey) {
      return platform::EqualsNoCase(path.subkey, keptKey) || platform::IsBelow(path.subkey, keptKey);
    };
    if (std::none_of(kept.begin(), kept.end(), isKept)) {
      context.AddKeys(allerase::DeleteRegistryValue(context.erase, path.root, path.subkey, key.value));
    }
  }
}

// The ticks of the rules in the settings file, by lower-case name.
std::map<std::wstring, std::wstring> StoredTicks(const std::wstring& programFolder) {
  return inifun::ReadIniKeys(settings::SettingsFile(programFolder), kRuleSection);
}

std::wstring StoredTick(const std::map<std::wstring, std::wstring>& ticks, const std::wstring& name) {
  auto found = ticks.find(platform::ToLower(name));
  return found == ticks.end() ? L"" : found->second;
}

class RuleStage : public run::Stage {
 public:
  void Run(run::ItemContext& context) const override {
    const std::map<std::wstring, std::wstring> ticks = StoredTicks(context.programFolder);
    PathExpander expander;
    PathExpander detector(PathExpander::Listings::Remembered);
    for (const Rule& rule : LoadRules(context.programFolder)) {
      if (context.erase.Stopped()) return;
      bool runs = context.choice ? context.choice(kRuleSection, rule.name)
                                 : inifun::RunTest(StoredTick(ticks, rule.name));
      if (!runs || !Detected(rule, detector)) continue;
      context.view.PumpMessages();
      context.BeginItem(kRuleSection, rule.name, rule.name);
      RunRule(rule, expander, context);
      context.EndItem();
    }
  }
};

}  // namespace

std::vector<RuleChoice> RuleChoices(const std::wstring& programFolder) {
  const std::map<std::wstring, std::wstring> ticks = StoredTicks(programFolder);
  PathExpander detector(PathExpander::Listings::Remembered);
  std::vector<RuleChoice> choices;
  for (Rule& rule : LoadRules(programFolder)) {
    const std::wstring stored = StoredTick(ticks, rule.name);
    const bool detected = Detected(rule, detector);
    choices.push_back({std::move(rule), detected, inifun::RunTest(stored), !stored.empty()});
  }
  std::stable_sort(choices.begin(), choices.end(), [](const RuleChoice& a, const RuleChoice& b) {
    int category = platform::CompareNoCase(a.rule.category, b.rule.category);
    return category != 0 ? category < 0 : platform::CompareNoCase(a.rule.name, b.rule.name) < 0;
  });
  return choices;
}

bool Shown(const RuleChoice& choice, std::wstring_view search, bool showNotFound) {
  if (!choice.detected && !showNotFound) return false;
  const std::wstring wanted = platform::ToLower(platform::Trim(search));
  return platform::ToLower(choice.rule.name).find(wanted) != std::wstring::npos ||
         platform::ToLower(choice.rule.category).find(wanted) != std::wstring::npos;
}

std::vector<std::wstring> RefusedFolders(const Rule& rule, const std::wstring& programFolder) {
  PathExpander expander;
  std::vector<std::wstring> refused;
  for (const FileKey& key : rule.fileKeys) {
    for (const std::wstring& folder : expander.Expand(key.folder)) {
      engine::GuardDecision decision = engine::GuardPath(folder, programFolder);
      bool byName = ExactNames(key) && !key.recurse && engine::AllowsExactNames(decision);
      if (decision || byName || decision.refusal == engine::Refusal::NotAFullPath) continue;
      refused.push_back(folder + L" is " + engine::RefusalDescription(decision.refusal));
    }
  }
  return refused;
}

void RunRule(const Rule& rule, PathExpander& expander, run::ItemContext& context) {
  const Exclusions exclusions = ExpandExclusions(rule, expander);
  for (const FileKey& key : rule.fileKeys) RunFileKey(key, exclusions, expander, context);
  for (const RegKey& key : rule.regKeys) {
    if (context.erase.Stopped()) return;
    RunRegKey(key, exclusions, expander, context);
  }
}

}  // namespace rules

namespace catalogue {

std::unique_ptr<const run::Stage> RuleStage() { return std::make_unique<rules::RuleStage>(); }

}  // namespace catalogue
