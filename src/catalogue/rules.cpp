// The rule files' stage: every rule that is ticked and applies here, after the plug-ins, one row
// each, through the same primitives, guard and report as the built-in items.
#include "catalogue/rules.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "catalogue/browser_rules.h"
#include "catalogue/catalogue.h"
#include "catalogue/rule_paths.h"
#include "engine/allerase.h"
#include "engine/path_guard.h"
#include "engine/registry_guard.h"
#include "engine/user_folders.h"
#include "platform/text.h"
#include "platform/translation.h"
#include "settings/inifun.h"
#include "settings/item_flags.h"
#include "settings/options.h"

namespace catalogue::rules {

namespace {

// Why the guard refused a folder or key whose expansion was too broad, for the run's details.
constexpr const wchar_t* kTooBroad = platform::TrLater(L"too broad");

// The same, said of the folder or key for a check or the selection window.
std::wstring TooBroad(const std::wstring& path) {
  return platform::Fill(platform::Tr(L"{path} is too broad: it stands for every folder just below a drive root or a "
                                     L"protected folder, or for more folders or keys than a rule may name"),
                        {{L"path", path}});
}

// Why the guard refused a file key whose folder climbs above its variable, for the run's details.
constexpr const wchar_t* kClimbs = platform::TrLater(L"outside its variable's folder");

// The temporary folders as rule files name them.
constexpr const wchar_t* kTempFolders[] = {L"%temp%", L"%tmp%", L"%windir%\\temp", L"%localappdata%\\temp"};

// The files and keys no part of a rule erases, as this machine names them.
struct Exclusions {
  struct Files {
    std::wstring folder;                             // where it leads, whatever name the rule gave it
    std::optional<engine::FolderIdentity> identity;  // for a name that leads elsewhere, such as a share
    std::vector<std::wstring> patterns;
    bool below;  // PATH: the whole tree, not only the folder's own files

    bool Keeps(const std::wstring& name) const {
      return patterns.empty() || std::any_of(patterns.begin(), patterns.end(), [&](const std::wstring& pattern) {
               return platform::MatchesPattern(name, pattern);
             });
    }
  };
  std::vector<Files> files;
  std::vector<RegistryPath> keys;
  // A folder whose expansion was too broad: what it keeps is not known, so no file key runs.
  std::wstring unknownFolder;

  // The exclusions that hold `folder`, where the folder of a file leads (engine::IdentityPath):
  // by its name, else, where one of the two is a share's name, which no drive's name equals, by what
  // it is on the disk. Asked once per folder of a walk.
  std::vector<const Files*> Holding(const std::wstring& folder) const {
    std::vector<const Files*> holding;
    for (const Files& exclusion : files) {
      const bool share = folder.starts_with(L"\\\\") || exclusion.folder.starts_with(L"\\\\");
      if (platform::EqualsNoCase(folder, exclusion.folder) ||
          (exclusion.below && platform::IsBelow(folder, exclusion.folder)) ||
          (share && exclusion.identity && exclusion.identity->Holds(folder, exclusion.below))) {
        holding.push_back(&exclusion);
      }
    }
    return holding;
  }
};

Exclusions ExpandExclusions(const Rule& rule, PathExpander& expander) {
  Exclusions exclusions;
  for (const ExcludeKey& key : rule.excludeKeys) {
    if (key.kind == ExcludeKind::Registry) {
      if (std::optional<RegistryPath> path = ParseRegistryPath(key.location)) exclusions.keys.push_back(*path);
      continue;
    }
    Expansion<std::wstring> folders = expander.Expand(key.location);
    if (folders.tooBroad) exclusions.unknownFolder = key.location;
    for (const std::wstring& folder : folders.found) {
      exclusions.files.push_back({engine::IdentityPath(folder), engine::FolderIdentity::Of(folder), key.patterns,
                                  key.kind == ExcludeKind::Path});
    }
  }
  return exclusions;
}

bool ExactNames(const FileKey& key) {
  return std::none_of(key.patterns.begin(), key.patterns.end(), platform::HasWildcard);
}

// A pattern that every name matches: "*", "*.*".
bool EveryFile(const FileKey& key) {
  return std::any_of(key.patterns.begin(), key.patterns.end(), [](const std::wstring& pattern) {
    return pattern == L"*.*" || pattern.find_first_not_of(L'*') == std::wstring::npos;
  });
}

Expansion<std::wstring> ExpandFolder(const FileKey& key, PathExpander& expander) {
  return expander.Expand(key.folder,
                         EveryFile(key) ? PathExpander::Target::EveryFileIn : PathExpander::Target::Folders);
}

// The reason of each of the key's patterns, as the run records it beside the files they take: the
// rule file, the key's line and name ("rules/browsers.ini:212 FileKey3") and the pattern.
std::vector<std::uint32_t> PatternReasons(const Rule& rule, const FileKey& key, const run::ItemContext& context) {
  std::vector<std::uint32_t> reasons(key.patterns.size());
  if (!context.erase.recorder) return reasons;
  const std::wstring line = rule.file + L":" + std::to_wstring(key.line) + L" " + key.name;
  for (size_t i = 0; i < key.patterns.size(); ++i)
    reasons[i] = context.erase.recorder->ReasonFor(line, key.patterns[i]);
  return reasons;
}

void RunFileKey(const Rule& rule, const FileKey& key, const Exclusions& exclusions, PathExpander& expander,
                run::ItemContext& context) {
  // An exclusion holds under any name of the folder it keeps.
  engine::WalkedFolders walked;
  std::wstring judged;  // the folder whose holding exclusions are known
  std::vector<const Exclusions::Files*> holding;
  const std::vector<std::uint32_t> reasons = PatternReasons(rule, key, context);
  engine::RunRecorder* recorder = context.erase.recorder;
  auto excluded = [&](const std::wstring& name, const std::wstring& path) {
    if (exclusions.files.empty()) return false;
    if (const std::wstring& folder = walked.LeadsTo(path); folder != judged) {
      holding = exclusions.Holding(folder);
      judged = folder;
    }
    return std::any_of(holding.begin(), holding.end(),
                       [&](const Exclusions::Files* kept) { return kept->Keeps(name); });
  };
  // The first pattern that matches decides, and is the file's reason.
  auto wanted = [&](const std::wstring& name, const std::wstring& path) {
    for (size_t i = 0; i < key.patterns.size(); ++i) {
      if (!platform::MatchesPattern(name, key.patterns[i])) continue;
      if (excluded(name, path)) return false;
      if (recorder) recorder->Because(reasons[i]);
      return true;
    }
    return false;
  };
  if (!exclusions.unknownFolder.empty()) {
    context.erase.Refused(exclusions.unknownFolder, platform::Tr(kTooBroad));
    return;
  }
  if (VariableClimbedAbove(key.folder)) {
    context.erase.Refused(key.folder, platform::Tr(kClimbs));
    return;
  }
  Expansion<std::wstring> folders = ExpandFolder(key, expander);
  if (folders.tooBroad) context.erase.Refused(key.folder, platform::Tr(kTooBroad));
  for (const engine::LeftRecord& refused : folders.refused) engine::RecordRefusal(context.erase, refused);
  for (const std::wstring& folder : folders.found) {
    if (context.erase.Stopped()) return;
    context.AddBytes(
        engine::allerase::EraseFilesWhere(context.erase, folder, wanted, key.recurse, key.removeSelf, ExactNames(key)));
  }
  if (recorder) recorder->Because(0);
}

// A file key of the project's own rules in a temporary folder: like the Windows Temp item, it keeps
// the files younger than the age the options set. The community file's entries keep their own ways.
bool ErasesTempFiles(const Rule& rule, const FileKey& key) {
  if (rule.section != kShippedSection) return false;
  return std::any_of(std::begin(kTempFolders), std::end(kTempFolders), [&](const wchar_t* temp) {
    return platform::EqualsNoCase(key.folder, temp) || platform::IsBelow(key.folder, temp);
  });
}

void RunRegKey(const RegKey& key, const Exclusions& exclusions, PathExpander& expander, run::ItemContext& context) {
  std::optional<RegistryPath> written = ParseRegistryPath(key.key);
  if (!written) return;
  // Keys and exclusions alike as the run's user reaches them.
  const RegistryPath named = expander.UserKey(*written);
  std::vector<std::wstring> kept;
  for (const RegistryPath& excluded : exclusions.keys) {
    for (const RegistryPath& spelled : RegistrySpellings(expander.UserKey(excluded))) {
      if (spelled.root == named.root) kept.push_back(spelled.subkey);
    }
  }
  Expansion<RegistryPath> keys = expander.ExpandKey(*written);
  if (keys.tooBroad) context.erase.Refused(key.key, platform::Tr(kTooBroad));
  for (const RegistryPath& path : keys.found) {
    if (context.erase.Stopped()) return;
    if (key.wholeKey) {
      context.AddKeys(engine::allerase::DeleteRegistryTreeExcept(context.erase, path.root, path.subkey, kept));
      continue;
    }
    auto isKept = [&](const std::wstring& keptKey) {
      return platform::EqualsNoCase(path.subkey, keptKey) || platform::IsBelow(path.subkey, keptKey);
    };
    if (std::none_of(kept.begin(), kept.end(), isKept)) {
      context.AddKeys(engine::allerase::DeleteRegistryValue(context.erase, path.root, path.subkey, key.value));
    }
  }
}

// Another user's run takes only the keys of that user's own: folders below a user's variable and keys
// of HKEY_CURRENT_USER.
bool Takes(const FileKey& key, const run::ItemContext& context) {
  return context.values.user.Current() || NamesUserFolder(key.folder);
}
bool Takes(const RegKey& key, const run::ItemContext& context) {
  if (context.values.user.Current()) return true;
  const std::optional<RegistryPath> path = ParseRegistryPath(key.key);
  return path && path->root == HKEY_CURRENT_USER;
}

// Ticks stored before the two sections parted all lie in the community file's section. Until a save
// moves them (and notes it here), an entry of the project's own reads its tick from there, and an
// entry of the community file with the same name reads as never ticked: it takes no tick that was
// meant for the other.
constexpr wchar_t kMovedSection[] = L"setting";
constexpr wchar_t kMovedKey[] = L"ruleticks";

class StoredTicks {
 public:
  // `all`: the rules loaded, by which the ticks still to move are known.
  StoredTicks(const std::wstring& programFolder, const std::vector<Rule>& all) {
    const std::wstring file = settings::SettingsFile(programFolder);
    community_ = settings::inifun::ReadIniKeys(file, kCommunitySection);
    shipped_ = settings::inifun::ReadIniKeys(file, kShippedSection);
    if (!settings::inifun::ReadIniValue(file, kMovedSection, kMovedKey).empty()) return;
    for (const Rule& rule : all) {
      const std::wstring name = platform::ToLower(rule.name);
      if (rule.section == kShippedSection && community_.contains(name)) toMove_.emplace(name, rule.name);
    }
    moved_ = false;
  }

  // The stored text of the rule's tick; empty when none is stored.
  std::wstring Of(const Rule& rule) const {
    const std::wstring name = platform::ToLower(rule.name);
    if (!toMove_.contains(name)) return Find(rule.section == kShippedSection ? shipped_ : community_, name);
    if (rule.section == kCommunitySection) return L"";
    return Find(shipped_.contains(name) ? shipped_ : community_, name);
  }

  // The move, once: each tick an entry of the project's own reads from the community file's section
  // is stored in its own, and cleared where it lay.
  void Move(settings::inifun::IniBatch& batch) const {
    if (moved_) return;
    for (const auto& [name, written] : toMove_) {
      if (!shipped_.contains(name)) batch.Set(kShippedSection, written, Find(community_, name));
      batch.Set(kCommunitySection, written, L"0");
    }
    batch.Set(kMovedSection, kMovedKey, L"1");
  }

 private:
  static std::wstring Find(const std::map<std::wstring, std::wstring>& ticks, const std::wstring& name) {
    auto found = ticks.find(name);
    return found == ticks.end() ? L"" : found->second;
  }

  std::map<std::wstring, std::wstring> community_, shipped_;  // by lower-case name
  std::map<std::wstring, std::wstring> toMove_;               // lower-case name: the name as written
  bool moved_ = true;
};

class RuleStage : public run::Stage {
 public:
  void Run(run::ItemContext& context) const override {
    const std::vector<Rule> all = LoadRules(context.programFolder);
    const StoredTicks ticks(context.programFolder, all);
    PathExpander expander;
    PathExpander detector(PathExpander::Listings::Remembered);
    expander.SetUser(context.values.user);
    detector.SetUser(context.values.user);
    for (const Rule& rule : all) {
      if (context.erase.Stopped()) return;
      bool runs = context.Runs(rule.section, rule.name, [&] { return settings::inifun::RunTest(ticks.Of(rule)); });
      const auto takes = [&](const auto& key) { return Takes(key, context); };
      // Another user's run opens no row for a rule with nothing of that user's to clean.
      runs = runs && (context.values.user.Current() || std::any_of(rule.fileKeys.begin(), rule.fileKeys.end(), takes) ||
                      std::any_of(rule.regKeys.begin(), rule.regKeys.end(), takes));
      if (!runs) continue;
      // A ticked rule of a program not on this computer says so; one for another Windows is passed over.
      const bool detected = Detected(rule, detector);
      std::vector<std::wstring> lookedFor = detected ? std::vector<std::wstring>() : DetectionTargets(rule);
      if (!detected && lookedFor.empty()) continue;
      context.view.PumpMessages();
      context.BeginItem(rule.section, rule.name, ShownName(rule));
      if (detected) {
        RunRule(rule, expander, context);
      } else {
        context.NotInstalled(std::move(lookedFor));
      }
      context.EndItem();
    }
  }
  bool ForEveryUser() const override { return true; }
};

}  // namespace

std::vector<RuleChoice> RuleChoices(const std::wstring& programFolder) {
  std::vector<Rule> all = LoadRules(programFolder);
  const StoredTicks ticks(programFolder, all);
  PathExpander detector(PathExpander::Listings::Remembered);
  std::vector<RuleChoice> choices;
  for (Rule& rule : all) {
    const std::wstring stored = ticks.Of(rule);
    const bool detected = Detected(rule, detector);
    choices.push_back({std::move(rule), detected, settings::inifun::RunTest(stored), !stored.empty()});
  }
  std::stable_sort(choices.begin(), choices.end(), [](const RuleChoice& a, const RuleChoice& b) {
    int category = platform::CompareNoCase(a.rule.category, b.rule.category);
    return category != 0 ? category < 0 : platform::CompareNoCase(a.rule.name, b.rule.name) < 0;
  });
  return choices;
}

void StoreTicks(settings::inifun::IniBatch& batch, const std::vector<RuleChoice>& choices,
                const std::wstring& programFolder) {
  std::vector<Rule> all;
  for (const RuleChoice& choice : choices) all.push_back(choice.rule);
  StoredTicks(programFolder, all).Move(batch);
  // An entry never ticked needs no line: it reads as off.
  for (const RuleChoice& choice : choices) {
    if (choice.ticked || choice.stored) batch.Set(choice.rule.section, choice.rule.name, choice.ticked ? L"1" : L"0");
  }
}

std::vector<std::wstring> UntickCommunityEntries(settings::inifun::IniBatch& batch,
                                                 const std::vector<std::wstring>& names,
                                                 const std::wstring& programFolder) {
  std::set<std::wstring> wanted;
  for (const std::wstring& name : names) wanted.insert(platform::ToLower(name));
  const std::vector<Rule> all = LoadRules(programFolder);
  const StoredTicks ticks(programFolder, all);
  std::vector<std::wstring> unticked;
  for (const Rule& rule : all) {
    if (rule.section != kCommunitySection || !wanted.count(platform::ToLower(rule.name))) continue;
    if (!settings::inifun::RunTest(ticks.Of(rule))) continue;
    batch.Set(rule.section, rule.name, L"0");
    unticked.push_back(rule.name);
  }
  return unticked;
}

// A rule with a warning costs the user more than traces (cookies sign them out): never by default.
bool TickedByDefault(const Rule& rule) { return rule.byDefault && rule.warning.empty(); }

void StoreDefaultTicks(settings::inifun::IniBatch& batch, const std::wstring& programFolder) {
  batch.Set(kMovedSection, kMovedKey, L"1");
  for (const Rule& rule : LoadRules(programFolder)) {
    if (TickedByDefault(rule)) batch.Set(rule.section, rule.name, L"1");
  }
}

bool Shown(const RuleChoice& choice, std::wstring_view search, bool showNotFound) {
  if (!choice.detected && !showNotFound) return false;
  const std::wstring wanted = platform::ToLower(platform::Trim(search));
  return platform::ToLower(choice.rule.name).find(wanted) != std::wstring::npos ||
         platform::ToLower(choice.rule.category).find(wanted) != std::wstring::npos ||
         NamesSearchedBrowser(choice.rule.name, search);
}

std::vector<std::wstring> ClimbingFolders(const Rule& rule) {
  std::vector<std::wstring> climbing;
  for (const FileKey& key : rule.fileKeys) {
    if (std::optional<std::wstring> variable = VariableClimbedAbove(key.folder)) {
      climbing.push_back(
          platform::Fill(platform::Tr(L"{path} is outside the folder {variable} names: its \"..\" climb above it"),
                         {{L"path", key.folder}, {L"variable", *variable}}));
    }
  }
  return climbing;
}

std::vector<std::wstring> RefusedFolders(const Rule& rule, const engine::PathGuard& guard) {
  PathExpander expander(PathExpander::Listings::Live, {}, guard);
  return RefusedFolders(rule, expander);
}

std::vector<std::wstring> RefusedFolders(const Rule& rule, PathExpander& expander) {
  const engine::PathGuard& guard = expander.Guard();
  std::vector<std::wstring> refused = ClimbingFolders(rule);
  for (const RegKey& key : rule.regKeys) {
    std::optional<RegistryPath> named = ParseRegistryPath(key.key);
    if (!named) continue;
    Expansion<RegistryPath> keys = expander.ExpandKey(*named);
    if (keys.tooBroad) refused.push_back(TooBroad(key.key));
    for (const RegistryPath& path : keys.found) {
      if (key.wholeKey && engine::IsProtectedRegistryKey(path.root, path.subkey)) {
        refused.push_back(
            platform::Fill(platform::Tr(L"{path} is a registry key that holds the settings of every program"),
                           {{L"path", key.key}}));
      }
    }
  }
  for (const FileKey& key : rule.fileKeys) {
    if (VariableClimbedAbove(key.folder)) continue;  // refused whole, above
    Expansion<std::wstring> folders = ExpandFolder(key, expander);
    if (folders.tooBroad) refused.push_back(TooBroad(key.folder));
    for (const std::wstring& folder : folders.found) {
      engine::GuardDecision decision = guard.Check(folder);
      bool byName = ExactNames(key) && !key.recurse && engine::AllowsExactNames(decision);
      if (decision || byName || decision.refusal == engine::Refusal::NotAFullPath) continue;
      refused.push_back(platform::Fill(platform::Tr(L"{path} is {refusal}"),
                                       {{L"path", folder},
                                        {L"refusal", platform::Tr(engine::RefusalDescription(decision.refusal))}}));
    }
  }
  return refused;
}

void RunRule(const Rule& rule, PathExpander& expander, run::ItemContext& context) {
  const Exclusions exclusions = ExpandExclusions(rule, expander);
  for (const FileKey& key : rule.fileKeys) {
    if (!Takes(key, context)) continue;
    if (!ErasesTempFiles(rule, key)) {
      RunFileKey(rule, key, exclusions, expander, context);
      continue;
    }
    catalogue::KeepingYoungFiles(context, settings::LoadAgeOptions(context.programFolder).tempHours,
                                 [&](run::ItemContext& aged) { RunFileKey(rule, key, exclusions, expander, aged); });
  }
  engine::RunRecorder* recorder = context.erase.recorder;
  for (const RegKey& key : rule.regKeys) {
    if (context.erase.Stopped()) return;
    if (!Takes(key, context)) continue;
    if (recorder)
      recorder->Because(recorder->ReasonFor(rule.file + L":" + std::to_wstring(key.line) + L" " + key.name, L""));
    RunRegKey(key, exclusions, expander, context);
  }
  if (recorder) recorder->Because(0);
}

}  // namespace catalogue::rules

namespace catalogue {

std::unique_ptr<const run::Stage> RuleStage() { return std::make_unique<catalogue::rules::RuleStage>(); }

}  // namespace catalogue
