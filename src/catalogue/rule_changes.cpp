#include "catalogue/rule_changes.h"

#include <algorithm>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

#include "catalogue/rule_check.h"
#include "catalogue/rule_paths.h"
#include "catalogue/rules.h"
#include "platform/format.h"
#include "platform/text.h"
#include "platform/translation.h"

namespace catalogue::rules {

namespace {

std::wstring FolderText(std::wstring_view folder) {
  std::wstring text = platform::ToLower(folder);
  while (!text.empty() && text.back() == L'\\') text.pop_back();
  return text;
}

// A registry key as one text for every spelling of its root; the text itself when it names none.
std::wstring KeyText(const std::wstring& key) {
  std::optional<RegistryPath> path = ParseRegistryPath(key);
  if (!path) return platform::ToLower(key);
  return std::to_wstring(reinterpret_cast<uintptr_t>(path->root)) + L"\\" + platform::ToLower(path->subkey);
}

bool Universal(const std::wstring& pattern) {
  return pattern == L"*.*" || pattern.find_first_not_of(L'*') == std::wstring::npos;
}

// Every name `pattern` matches is matched by `by`, as far as it can be told from their text: the same
// pattern, a pattern of every name, or an exact name the other matches.
bool PatternCovered(const std::wstring& pattern, const std::wstring& by) {
  if (Universal(by) || platform::EqualsNoCase(pattern, by)) return true;
  return !platform::HasWildcard(pattern) && platform::MatchesPattern(pattern, by);
}

// A file key at one of the folders it names on this computer.
struct PlacedKey {
  std::wstring folder;  // as FolderText gives it
  const FileKey* key;
};

// Each key at each folder it names: its variables expanded and "." and ".." resolved, so that no
// spelling hides where it leads; a key whose variable names nothing here at its written text.
std::vector<PlacedKey> Placed(const std::vector<FileKey>& keys, PathExpander& expander) {
  std::vector<PlacedKey> placed;
  for (const FileKey& key : keys) {
    std::vector<std::wstring> folders = expander.Resolve(key.folder);
    if (folders.empty()) folders.push_back(ResolvedText(key.folder));
    for (const std::wstring& folder : folders) placed.push_back({FolderText(folder), &key});
  }
  return placed;
}

bool FileKeyCovered(const PlacedKey& placed, const PlacedKey& byPlaced) {
  const FileKey &key = *placed.key, &by = *byPlaced.key;
  const bool inside =
      placed.folder == byPlaced.folder || (by.recurse && platform::IsBelow(placed.folder, byPlaced.folder));
  if (!inside || (key.recurse && !by.recurse) || (key.removeSelf && !by.removeSelf)) return false;
  return std::all_of(key.patterns.begin(), key.patterns.end(), [&](const std::wstring& pattern) {
    return std::any_of(by.patterns.begin(), by.patterns.end(),
                       [&](const std::wstring& other) { return PatternCovered(pattern, other); });
  });
}

bool RegKeyCovered(const RegKey& key, const RegKey& by) {
  const std::wstring text = KeyText(key.key), byText = KeyText(by.key);
  if (by.wholeKey) return text == byText || platform::IsBelow(text, byText);
  return !key.wholeKey && text == byText && platform::EqualsNoCase(key.value, by.value);
}

bool SameExclusion(const ExcludeKey& a, const ExcludeKey& b) {
  if (a.kind != b.kind || FolderText(a.location) != FolderText(b.location) || a.patterns.size() != b.patterns.size()) {
    return false;
  }
  return std::equal(a.patterns.begin(), a.patterns.end(), b.patterns.begin(),
                    [](const std::wstring& x, const std::wstring& y) { return platform::EqualsNoCase(x, y); });
}

template <typename Key, typename Covered>
bool EveryOneCovered(const std::vector<Key>& keys, const std::vector<Key>& by, Covered covered) {
  return std::all_of(keys.begin(), keys.end(), [&](const Key& key) {
    return std::any_of(by.begin(), by.end(), [&](const Key& other) { return covered(key, other); });
  });
}

// Everything an entry says but where it was read.
auto Form(const Rule& rule) {
  auto files = [](const std::vector<FileKey>& keys) {
    std::vector<std::tuple<std::wstring, std::vector<std::wstring>, bool, bool>> form;
    for (const FileKey& key : keys) form.emplace_back(key.folder, key.patterns, key.recurse, key.removeSelf);
    return form;
  };
  auto registry = [](const std::vector<RegKey>& keys) {
    std::vector<std::tuple<std::wstring, std::wstring, bool>> form;
    for (const RegKey& key : keys) form.emplace_back(key.key, key.value, key.wholeKey);
    return form;
  };
  auto exclusions = [](const std::vector<ExcludeKey>& keys) {
    std::vector<std::tuple<ExcludeKind, std::wstring, std::vector<std::wstring>>> form;
    for (const ExcludeKey& key : keys) form.emplace_back(key.kind, key.location, key.patterns);
    return form;
  };
  return std::make_tuple(rule.category, rule.detectKeys, rule.detectFiles, rule.specialDetects, rule.windows.lowest,
                         rule.windows.highest, rule.warning, rule.byDefault, files(rule.fileKeys),
                         registry(rule.regKeys), exclusions(rule.excludeKeys));
}

}  // namespace

bool ErasesMore(const Rule& before, const Rule& after) {
  PathExpander expander;
  return !EveryOneCovered(Placed(after.fileKeys, expander), Placed(before.fileKeys, expander), FileKeyCovered) ||
         !EveryOneCovered(after.regKeys, before.regKeys, RegKeyCovered) ||
         !EveryOneCovered(before.excludeKeys, after.excludeKeys, SameExclusion);
}

namespace {

// What the checks of one comparison share: the variables, folders and keys looked up, and the
// guard's answers; the guard lists each folder once for them all.
struct Comparison {
  explicit Comparison(const std::wstring& programFolder) : guard(programFolder) {}
  const engine::PathGuard guard;
  PathExpander detector{PathExpander::Listings::Remembered, {}, guard};
  PathExpander refusals{PathExpander::Listings::Live, {}, guard};
};

// What an added or changed entry would do here.
void Mark(RuleChange& change, const Rule& rule, Comparison& comparison) {
  change.appliesHere = Detected(rule, comparison.detector);
  change.refused = RefusedFolders(rule, comparison.refusals);
  change.keptData = KeptDataReached(rule);
}

}  // namespace

std::vector<RuleChange> CompareRules(const std::vector<Rule>& before, const std::vector<Rule>& after,
                                     const std::wstring& programFolder) {
  return *CompareRules(before, after, programFolder, [](size_t, size_t) { return true; });
}

std::optional<std::vector<RuleChange>> CompareRules(const std::vector<Rule>& before, const std::vector<Rule>& after,
                                                    const std::wstring& programFolder,
                                                    const CompareProgress& progress) {
  std::unordered_map<std::wstring, const Rule*> old;  // by lower-case name; the first of a name counts
  for (const Rule& rule : before) old.emplace(platform::ToLower(rule.name), &rule);
  std::unordered_set<std::wstring> seen;
  Comparison comparison(programFolder);
  std::vector<RuleChange> changes;
  for (size_t compared = 0; compared < after.size(); ++compared) {
    if (!progress(compared, after.size())) return std::nullopt;
    const Rule& rule = after[compared];
    const std::wstring name = platform::ToLower(rule.name);
    if (!seen.insert(name).second) continue;
    auto was = old.find(name);
    RuleChange change;
    change.kind = was == old.end() ? ChangeKind::Added : ChangeKind::Changed;
    change.name = rule.name;
    if (change.kind == ChangeKind::Changed) {
      if (Form(*was->second) == Form(rule)) continue;
      change.erasesMore = ErasesMore(*was->second, rule);
    }
    Mark(change, rule, comparison);
    changes.push_back(std::move(change));
  }
  if (!progress(after.size(), after.size())) return std::nullopt;
  for (const Rule& rule : before) {
    const std::wstring name = platform::ToLower(rule.name);
    if (!seen.insert(name).second) continue;
    RuleChange change;
    change.kind = ChangeKind::Removed;
    change.name = rule.name;
    changes.push_back(std::move(change));
  }
  return changes;
}

std::vector<std::wstring> ChangeMarks(const RuleChange& change) {
  std::vector<std::wstring> marks;
  if (change.erasesMore) marks.push_back(platform::Tr(L"erases more"));
  if (change.appliesHere) marks.push_back(platform::Tr(L"applies here"));
  for (const std::wstring& refused : change.refused) {
    marks.push_back(platform::Fill(platform::Tr(L"refused: {path}"), {{L"path", refused}}));
  }
  for (const std::wstring& kept : change.keptData) {
    marks.push_back(platform::Fill(platform::Tr(L"reaches kept data: {path}"), {{L"path", kept}}));
  }
  return marks;
}

std::wstring ChangeSummary(const std::vector<RuleChange>& changes) {
  auto count = [&](auto wanted) { return static_cast<size_t>(std::count_if(changes.begin(), changes.end(), wanted)); };
  auto of = [&](ChangeKind kind) {
    return std::to_wstring(count([&](const RuleChange& c) { return c.kind == kind; })) + L" " + ChangeKindName(kind);
  };
  const size_t more = count([](const RuleChange&c) { return c.erasesMore; }),
               here = count([](const RuleChange&c) { return c.appliesHere; }),
               refused = count([](const RuleChange&c) { return !c.refused.empty(); }),
               kept = count([](const RuleChange&c) { return !c.keptData.empty(); });
  using platform::FillCount;
  return of(ChangeKind::Added) + L", " + of(ChangeKind::Removed) + L", " + of(ChangeKind::Changed) + L" (" +
         FillCount(platform::TrPlural(L"{count} erases more", L"{count} erase more", more), more) + L"); " +
         FillCount(platform::TrPlural(L"{count} applies here", L"{count} apply here", here), here) + L", " +
         FillCount(platform::Tr(L"{count} refused in part"), refused) + L", " +
         FillCount(platform::TrPlural(L"{count} reaches kept data", L"{count} reach kept data", kept), kept);
}

const wchar_t* ChangeKindName(ChangeKind kind) {
  switch (kind) {
    case ChangeKind::Added: return platform::TrIn(L"rule change", L"added");
    case ChangeKind::Removed: return platform::TrIn(L"rule change", L"removed");
    case ChangeKind::Changed: return platform::TrIn(L"rule change", L"changed");
  }
  return L"";
}

}  // namespace catalogue::rules
