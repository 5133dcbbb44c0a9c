#include "catalogue/rule_paths.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <unordered_set>

#include "engine/path_guard.h"
#include "engine/regfun.h"
#include "engine/user_folders.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/system_folders.h"
#include "platform/table.h"
#include "platform/text.h"
#include "settings/inifun.h"

namespace catalogue::rules {

using platform::HasWildcard;
using platform::RootLength;

namespace {

void Add(std::vector<std::wstring>& values, const std::wstring& value) {
  if (value.empty()) return;
  for (const std::wstring& known : values) {
    if (platform::EqualsNoCase(known, value)) return;
  }
  values.push_back(value);
}

// The format's own names of known folders, each with the folders it stands for.
struct KnownVariable {
  std::array<const wchar_t*, 3> names;
  std::array<const KNOWNFOLDERID*, 2> folders;
};
const KnownVariable kKnownVariables[] = {
    {{L"appdata"}, {&FOLDERID_RoamingAppData}},
    {{L"localappdata"}, {&FOLDERID_LocalAppData}},
    {{L"locallowappdata"}, {&FOLDERID_LocalAppDataLow}},
    {{L"userprofile"}, {&FOLDERID_Profile}},
    {{L"programdata", L"commonappdata", L"allusersprofile"}, {&FOLDERID_ProgramData}},
    {{L"programfiles"}, {&FOLDERID_ProgramFiles, &FOLDERID_ProgramFilesX86}},
    {{L"commonprogramfiles"}, {&FOLDERID_ProgramFilesCommon, &FOLDERID_ProgramFilesCommonX86}},
    {{L"public"}, {&FOLDERID_Public}},
    {{L"documents"}, {&FOLDERID_Documents}},
    {{L"music"}, {&FOLDERID_Music}},
    {{L"pictures"}, {&FOLDERID_Pictures}},
    {{L"video"}, {&FOLDERID_Videos}},
};

// What a variable of the format names: the format's own names first, then the environment.
std::vector<std::wstring> VariableValues(const std::wstring& name) {
  const std::wstring lower = platform::ToLower(name);
  std::vector<std::wstring> values;
  for (const KnownVariable& variable : kKnownVariables) {
    if (std::none_of(variable.names.begin(), variable.names.end(),
                     [&](const wchar_t* known) { return known && lower == known; })) {
      continue;
    }
    for (const KNOWNFOLDERID* folder : variable.folders) {
      if (folder) Add(values, platform::KnownFolder(*folder));
    }
  }
  if (lower == L"windir" || lower == L"systemroot") {
    Add(values, platform::WindowsFolder());
  } else if (lower == L"systemdrive") {
    const std::wstring drive = platform::EnvironmentVariable(name);
    Add(values, drive.empty() ? platform::WindowsFolder().substr(0, 2) : drive);
  } else if (lower == L"temp" || lower == L"tmp") {
    Add(values, platform::TempFolder());
  }
  if (values.empty()) Add(values, platform::EnvironmentVariable(name));
  return values;
}

// The variables of a user's own places: where another user's is found (a value of the user's hive,
// read as engine::ReadUserFolder does) and its usual place in the profile folder.
struct UserVariable {
  const wchar_t* name;   // lower case
  const wchar_t* value;  // none: always the usual place
  const wchar_t* relative;
  const wchar_t* key = engine::regfun::kUserShellFolders;
};
const UserVariable kUserVariables[] = {
    {L"appdata", L"AppData", L"\\AppData\\Roaming"},
    {L"localappdata", L"Local AppData", L"\\AppData\\Local"},
    {L"locallowappdata", nullptr, L"\\AppData\\LocalLow"},
    {L"userprofile", nullptr, L""},
    {L"temp", L"TEMP", L"\\AppData\\Local\\Temp", L"HKEY_CURRENT_USER\\Environment"},
    {L"tmp", L"TEMP", L"\\AppData\\Local\\Temp", L"HKEY_CURRENT_USER\\Environment"},
    {L"documents", L"Personal", L"\\Documents"},
    {L"music", L"My Music", L"\\Music"},
    {L"pictures", L"My Pictures", L"\\Pictures"},
    {L"video", L"My Video", L"\\Videos"},
};

const UserVariable* UserVariableNamed(const std::wstring& lower) {
  return platform::FindRow(kUserVariables, &UserVariable::name, lower);
}

}  // namespace

bool NamesUserFolder(const std::wstring& text) {
  const size_t close = text.starts_with(L'%') ? text.find(L'%', 1) : std::wstring::npos;
  return close != std::wstring::npos && UserVariableNamed(platform::ToLower(text.substr(1, close - 1)));
}

void PathExpander::SetUser(const engine::UserScope& user) {
  user_ = user;
  variables_.clear();
  refusedVariables_.clear();
}

RegistryPath PathExpander::UserKey(const RegistryPath& path) const {
  auto [root, subkey] = user_.Key(path.root, path.subkey);
  return {root, std::move(subkey)};
}

const std::vector<std::wstring>& PathExpander::Variable(const std::wstring& name) {
  const std::wstring key = platform::ToLower(name);
  auto found = variables_.find(key);
  if (found != variables_.end()) return found->second;
  const UserVariable* own = user_.Current() ? nullptr : UserVariableNamed(key);
  std::vector<std::wstring> values;
  if (own && own->value) {
    engine::UserFolder folder = engine::ReadUserFolder(user_, own->value, own->relative, own->key);
    Add(values, folder.path);
    if (folder.refused) refusedVariables_.emplace(key, std::move(*folder.refused));
  }
  if (own && !own->value) Add(values, user_.profile + own->relative);
  return variables_.emplace(key, own ? values : VariableValues(name)).first->second;
}

// Every %Variable% replaced; several texts where a variable names several folders.
std::vector<std::wstring> PathExpander::ReplaceVariables(const std::wstring& text,
                                                         std::vector<engine::LeftRecord>& refused) {
  std::vector<std::wstring> results{L""};
  size_t at = 0;
  while (at < text.size()) {
    size_t open = text.find(L'%', at);
    size_t close = open == std::wstring::npos ? open : text.find(L'%', open + 1);
    if (close == std::wstring::npos) {
      for (std::wstring& result : results) result += text.substr(at);
      break;
    }
    const std::wstring name = text.substr(open + 1, close - open - 1);
    const std::vector<std::wstring>& values = Variable(name);
    if (values.empty()) {
      auto refusal = refusedVariables_.find(platform::ToLower(name));
      if (refusal != refusedVariables_.end()) refused.push_back(refusal->second);
      return {};
    }
    std::vector<std::wstring> next;
    for (const std::wstring& result : results) {
      for (const std::wstring& value : values) next.push_back(result + text.substr(at, open - at) + value);
    }
    results = std::move(next);
    at = close + 1;
  }
  return results;
}

namespace {

std::vector<std::wstring> Parts(const std::wstring& path, size_t from) {
  std::vector<std::wstring> parts;
  for (size_t start = from; start <= path.size();) {
    size_t end = path.find(L'\\', start);
    if (end == std::wstring::npos) end = path.size();
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

}  // namespace

const engine::ListedNames& PathExpander::Listed(const std::wstring& folder) {
  if (const engine::ListedNames* names = guard_.Names(folder)) return *names;
  // Listed afresh each time: a run changes the folders it walks.
  listed_ = engine::ListedNames::Of(folder);
  return listed_;
}

bool PathExpander::Past(size_t paths, std::chrono::steady_clock::time_point start) const {
  return paths > bounds_.paths || std::chrono::steady_clock::now() - start > bounds_.time;
}

namespace {

// Only wildcards, "." and ".." follow the part: no folder is named after it.
bool NothingNamedAfter(const std::vector<std::wstring>& parts, size_t at) {
  return std::all_of(parts.begin() + static_cast<std::ptrdiff_t>(at) + 1, parts.end(),
                     [](const std::wstring& part) { return HasWildcard(part) || part == L"." || part == L".."; });
}

// Adds each path once, letter case ignored: "*\.." leads many paths back to one.
class PathSet {
 public:
  void Add(std::wstring path) {
    if (seen_.insert(platform::ToLower(path)).second) paths_.push_back(std::move(path));
  }
  size_t size() const { return paths_.size(); }
  std::vector<std::wstring> Take() { return std::move(paths_); }

 private:
  std::unordered_set<std::wstring> seen_;
  std::vector<std::wstring> paths_;
};

}  // namespace

// Each part that holds a wildcard stands for the matching entries; links are never among them, so
// no expansion leads out of the tree it names. "." and ".." are resolved as Windows resolves them,
// by the text. A remembering expander also drops the paths whose other parts are missing.
void PathExpander::ExpandWildcards(const std::wstring& path, Target target, Expansion<std::wstring>& expansion,
                                   std::chrono::steady_clock::time_point start) {
  size_t root = RootLength(path);
  if (root == 0) return;
  std::vector<std::wstring> prefixes{path.substr(0, root)};
  const std::vector<std::wstring> parts = Parts(path, root);
  for (size_t i = 0; i < parts.size() && !prefixes.empty(); ++i) {
    const bool last = i + 1 == parts.size();
    const std::wstring& part = parts[i];
    if (HasWildcard(part) && target == Target::EveryFileIn && NothingNamedAfter(parts, i) &&
        std::any_of(prefixes.begin(), prefixes.end(),
                    [&](const std::wstring& prefix) { return engine::AllowsExactNames(guard_.Check(prefix)); })) {
      expansion.tooBroad = true;
      return;
    }
    PathSet next;
    for (const std::wstring& prefix : prefixes) {
      if (Past(expansion.found.size() + next.size(), start)) {
        expansion.tooBroad = true;
        return;
      }
      if (part == L".") {
        next.Add(prefix);
        continue;
      }
      if (part == L"..") {
        size_t slash = prefix.find_last_of(L'\\');
        next.Add(prefix.size() <= root || slash < root ? prefix.substr(0, root) : prefix.substr(0, slash));
        continue;
      }
      if (!HasWildcard(part) && !remembered_) {
        next.Add(platform::JoinPath(prefix, part));
        continue;
      }
      const engine::ListedNames& listing = Listed(prefix);
      auto fits = [&](const platform::FolderEntry& entry) {
        return entry.IsFolder() ? !HasWildcard(part) || !entry.IsLink() : last && target == Target::FoldersOrFiles;
      };
      if (!HasWildcard(part)) {
        const platform::FolderEntry* found = listing.Find(part).entry;
        if (found && fits(*found)) next.Add(platform::JoinPath(prefix, found->name));
        continue;
      }
      const std::wstring pattern = platform::ToLower(part);
      const std::vector<platform::FolderEntry>& entries = listing.Entries();
      for (size_t e = 0; e < entries.size(); ++e) {
        if (fits(entries[e]) && platform::MatchesLoweredPattern(listing.LowerNames()[e], pattern)) {
          next.Add(platform::JoinPath(prefix, entries[e].name));
        }
      }
    }
    prefixes = next.Take();
  }
  if (Past(expansion.found.size() + prefixes.size(), start)) {
    expansion.tooBroad = true;
    return;
  }
  for (std::wstring& found : prefixes) expansion.found.push_back(std::move(found));
}

Expansion<std::wstring> PathExpander::Expand(const std::wstring& text, Target target) {
  const auto start = std::chrono::steady_clock::now();
  Expansion<std::wstring> expansion;
  for (std::wstring replaced : ReplaceVariables(text, expansion.refused)) {
    for (wchar_t& c : replaced) {
      if (c == L'/') c = L'\\';
    }
    ExpandWildcards(replaced, target, expansion, start);
    if (expansion.tooBroad) return {{}, true};
  }
  return expansion;
}

std::vector<std::wstring> PathExpander::Resolve(const std::wstring& text) {
  // A comparison of folders: a refused variable names nothing to compare, and erases nothing.
  std::vector<engine::LeftRecord> refused;
  std::vector<std::wstring> paths = ReplaceVariables(text, refused);
  for (std::wstring& path : paths) path = ResolvedText(std::move(path));
  return paths;
}

std::wstring ResolvedText(std::wstring path) {
  std::replace(path.begin(), path.end(), L'/', L'\\');
  const size_t root = RootLength(path);
  std::vector<std::wstring> kept;
  for (std::wstring& part : Parts(path, root)) {
    if (part == L".") continue;
    if (part == L".." && (root > 0 || (!kept.empty() && kept.back() != L".."))) {
      if (!kept.empty()) kept.pop_back();
      continue;
    }
    kept.push_back(std::move(part));
  }
  std::wstring resolved = path.substr(0, root);
  for (const std::wstring& part : kept) resolved += (resolved.empty() || resolved.back() == L'\\' ? L"" : L"\\") + part;
  return resolved;
}

std::optional<std::wstring> VariableClimbedAbove(const std::wstring& text) {
  const size_t close = text.starts_with(L'%') ? text.find(L'%', 1) : std::wstring::npos;
  if (close == std::wstring::npos) return std::nullopt;
  std::wstring rest = text.substr(close + 1);
  std::replace(rest.begin(), rest.end(), L'/', L'\\');
  const std::vector<std::wstring> parts = Parts(rest, 0);
  // Text right after the variable, with no separator between, ends the name of the variable's own
  // folder ("%ProgramFiles% (x86)"): no part of its own.
  ptrdiff_t depth = 0;
  for (size_t i = rest.starts_with(L'\\') ? 0 : 1; i < parts.size(); ++i) {
    if (parts[i] == L"..") --depth;
    if (depth < 0) return text.substr(0, close + 1);
    if (parts[i] != L"." && parts[i] != L"..") ++depth;
  }
  return std::nullopt;
}

bool PathExpander::Exists(const std::wstring& text) {
  for (const std::wstring& path : Expand(text, Target::FoldersOrFiles).found) {
    if (remembered_ || platform::FileExists(path) || platform::FolderExists(path)) return true;
  }
  return false;
}

const engine::ListedNames& PathExpander::Subkeys(HKEY root, REGSAM view, const std::wstring& subkey) {
  const std::wstring cacheName = std::to_wstring(reinterpret_cast<ULONG_PTR>(root)) + L"|" + std::to_wstring(view) +
                                 L"|" + platform::ToLower(subkey);
  auto [at, added] = keys_.try_emplace(cacheName);
  if (!added) return at->second;
  engine::ListedNames& listing = at->second;
  platform::RegKey key;
  const wchar_t* name = subkey.empty() ? nullptr : subkey.c_str();
  if (RegOpenKeyExW(root, name, 0, KEY_ENUMERATE_SUB_KEYS | view, key.out()) != ERROR_SUCCESS) return listing;
  wchar_t child[256];
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(std::size(child));
    if (RegEnumKeyExW(key.get(), index, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    listing.Add({std::wstring(child, length)});
  }
  return listing;
}

// Each part of the subkey that holds a wildcard stands for the matching subkeys. A remembering
// expander also drops the keys whose other parts are missing.
Expansion<std::wstring> PathExpander::ExpandSubkeys(HKEY root, REGSAM view, const std::wstring& subkey) {
  const auto start = std::chrono::steady_clock::now();
  // A live expander lists afresh: a run deletes the keys it expands.
  if (!remembered_) keys_.clear();
  std::vector<std::wstring> prefixes{L""};
  for (const std::wstring& part : Parts(subkey, 0)) {
    std::vector<std::wstring> next;
    for (const std::wstring& prefix : prefixes) {
      if (Past(next.size(), start)) return {{}, true};
      auto join = [&](const std::wstring& name) { return prefix.empty() ? name : prefix + L"\\" + name; };
      if (!HasWildcard(part) && !remembered_) {
        next.push_back(join(part));
        continue;
      }
      const engine::ListedNames& listing = Subkeys(root, view, prefix);
      if (!HasWildcard(part)) {
        if (const platform::FolderEntry* found = listing.Find(part).entry) next.push_back(join(found->name));
        continue;
      }
      const std::wstring pattern = platform::ToLower(part);
      for (size_t e = 0; e < listing.Entries().size(); ++e) {
        if (platform::MatchesLoweredPattern(listing.LowerNames()[e], pattern))
          next.push_back(join(listing.Entries()[e].name));
      }
    }
    prefixes = std::move(next);
  }
  if (Past(prefixes.size(), start)) return {{}, true};
  return {std::move(prefixes), false};
}

Expansion<RegistryPath> PathExpander::ExpandKey(const RegistryPath& named) {
  // The first part below the root as the rule writes it, before a user's hive comes in front of it.
  const std::vector<std::wstring> parts = Parts(named.subkey, 0);
  if (parts.empty() || HasWildcard(parts[0])) return {{}, true};
  const RegistryPath path = UserKey(named);
  Expansion<std::wstring> subkeys = ExpandSubkeys(path.root, KEY_WOW64_64KEY, path.subkey);
  Expansion<RegistryPath> keys{{}, subkeys.tooBroad};
  for (std::wstring& subkey : subkeys.found) keys.found.push_back({path.root, std::move(subkey)});
  return keys;
}

bool PathExpander::KeyExists(const RegistryPath& named) {
  const RegistryPath path = UserKey(named);
  for (REGSAM view : {REGSAM{KEY_WOW64_64KEY}, REGSAM{KEY_WOW64_32KEY}}) {
    for (const std::wstring& subkey : ExpandSubkeys(path.root, view, path.subkey).found) {
      if (remembered_) return true;
      platform::RegKey key;
      if (RegOpenKeyExW(path.root, subkey.c_str(), 0, KEY_READ | view, key.out()) == ERROR_SUCCESS) return true;
    }
  }
  return false;
}

std::optional<RegistryPath> ParseRegistryPath(const std::wstring& text) {
  size_t slash = text.find(L'\\');
  if (slash == std::wstring::npos) return std::nullopt;
  const std::wstring root = platform::Trim(std::wstring_view(text).substr(0, slash));
  const HKEY key = engine::regfun::RootKeyFromRuleName(root);
  if (!key) return std::nullopt;
  std::wstring subkey;
  for (const std::wstring& part : Parts(text, slash + 1)) subkey += (subkey.empty() ? L"" : L"\\") + part;
  if (subkey.empty()) return std::nullopt;
  return RegistryPath{key, subkey};
}
namespace {

// A key at or below `prefix` as the same key at or below `other`; either prefix may be empty (the
// root itself).
std::optional<std::wstring> Rebased(const std::wstring& subkey, const std::wstring& prefix, const std::wstring& other) {
  std::wstring rest;
  if (prefix.empty()) {
    rest = subkey;
  } else if (platform::IsBelow(subkey, prefix)) {
    rest = subkey.substr(prefix.size() + 1);
  } else if (!platform::EqualsNoCase(subkey, prefix)) {
    return std::nullopt;
  }
  std::wstring rebased = other.empty() || rest.empty() ? other + rest : other + L"\\" + rest;
  if (rebased.empty()) return std::nullopt;
  return rebased;
}

}  // namespace

std::vector<RegistryPath> RegistrySpellings(const RegistryPath& path) {
  static const std::wstring sid = platform::UserSid();
  const std::wstring classes = L"Software\\Classes";
  // A key below the first root and prefix is the same as below the second.
  struct View {
    HKEY root;
    std::wstring prefix;
    HKEY other;
    std::wstring otherPrefix;
  };
  std::vector<View> views = {
      {HKEY_CURRENT_USER, classes, HKEY_CLASSES_ROOT, L""},
      {HKEY_LOCAL_MACHINE, classes, HKEY_CLASSES_ROOT, L""},
      {HKEY_CURRENT_CONFIG, L"", HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Hardware Profiles\\Current"},
  };
  if (!sid.empty()) {
    views.push_back({HKEY_CURRENT_USER, L"", HKEY_USERS, sid});
    views.push_back({HKEY_USERS, sid + L"_Classes", HKEY_CURRENT_USER, classes});
  }
  std::vector<RegistryPath> spellings{path};
  auto add = [&](HKEY root, std::optional<std::wstring> subkey) {
    if (!subkey) return;
    for (const RegistryPath& known : spellings) {
      if (known.root == root && platform::EqualsNoCase(known.subkey, *subkey)) return;
    }
    spellings.push_back({root, std::move(*subkey)});
  };
  // Each spelling found is spelt again in turn: HKCR, HKCU\Software\Classes, HKEY_USERS\<user>_Classes.
  for (size_t i = 0; i < spellings.size(); ++i) {
    const RegistryPath from = spellings[i];
    for (const View& view : views) {
      if (from.root == view.root) add(view.other, Rebased(from.subkey, view.prefix, view.otherPrefix));
      if (from.root == view.other) add(view.root, Rebased(from.subkey, view.otherPrefix, view.prefix));
    }
  }
  return spellings;
}

namespace {

// The programs an older file names with SpecialDetect, by the folder each keeps its profile in.
struct SpecialDetect {
  const wchar_t* name;
  const wchar_t* folder;
};
constexpr SpecialDetect kSpecialDetects[] = {
    {L"DET_CHROME", L"%LocalAppData%\\Google\\Chrome\\User Data"},
    {L"DET_MOZILLA", L"%AppData%\\Mozilla\\Firefox"},
    {L"DET_THUNDERBIRD", L"%AppData%\\Thunderbird"},
    {L"DET_OPERA", L"%AppData%\\Opera Software"},
};

// The folder of the program a SpecialDetect name stands for; null for a name this program does not know.
const wchar_t* SpecialDetectFolder(const std::wstring& name) {
  const SpecialDetect* special = platform::FindRow(kSpecialDetects, &SpecialDetect::name, name, platform::EqualsNoCase);
  return special ? special->folder : nullptr;
}

int RunningWindows() {
  static const int version = VersionNumber(settings::inifun::GetWindowsVersionText()).value_or(0);
  return version;
}

}  // namespace

std::vector<std::wstring> DetectionTargets(const Rule& rule) {
  if (RunningWindows() < rule.windows.lowest || RunningWindows() > rule.windows.highest) return {};
  std::vector<std::wstring> targets = rule.detectKeys;
  targets.insert(targets.end(), rule.detectFiles.begin(), rule.detectFiles.end());
  for (const std::wstring& name : rule.specialDetects) {
    if (const wchar_t* folder = SpecialDetectFolder(name)) targets.push_back(folder);
  }
  return targets;
}

bool Detected(const Rule& rule, PathExpander& expander) {
  if (RunningWindows() < rule.windows.lowest || RunningWindows() > rule.windows.highest) return false;
  if (rule.detectKeys.empty() && rule.detectFiles.empty() && rule.specialDetects.empty()) return true;
  for (const std::wstring& key : rule.detectKeys) {
    std::optional<RegistryPath> path = ParseRegistryPath(key);
    if (path && expander.KeyExists(*path)) return true;
  }
  for (const std::wstring& file : rule.detectFiles) {
    if (expander.Exists(file)) return true;
  }
  // A name this program does not know detects nothing.
  for (const std::wstring& name : rule.specialDetects) {
    const wchar_t* folder = SpecialDetectFolder(name);
    if (folder && expander.Exists(folder)) return true;
  }
  return false;
}

}  // namespace catalogue::rules
