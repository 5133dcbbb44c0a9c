#include "catalogue/overlaps.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

#include "catalogue/catalogue.h"
#include "catalogue/plugins.h"
#include "platform/text.h"
#include "platform/translation.h"

namespace catalogue {

namespace {

// A place as written: the parts of its folder, the first a variable ("%localappdata%") or a drive,
// wildcards allowed in any; the patterns of the files that go there; whether the folders below count
// too and, when only folders of one name below it do, that name.
struct Reach {
  std::vector<std::wstring> folder;
  std::vector<std::wstring> names;
  bool tree = false;
  std::wstring within;
};

Reach Place(std::vector<std::wstring> folder, std::vector<std::wstring> names, bool tree, std::wstring within = L"") {
  return Reach{std::move(folder), std::move(names), tree, std::move(within)};
}

std::vector<std::wstring> Parts(std::wstring_view path) {
  std::vector<std::wstring> parts;
  for (size_t start = 0; start <= path.size();) {
    size_t slash = std::min(path.find(L'\\', start), path.size());
    if (slash > start) parts.push_back(platform::ToLower(path.substr(start, slash - start)));
    start = slash + 1;
  }
  if (!parts.empty() && parts.front() == L"%systemroot%") parts.front() = L"%windir%";
  return parts;
}

std::wstring Variable(Base base) {
  switch (base) {
    case Base::AppData: return L"%appdata%";
    case Base::LocalAppData: return L"%localappdata%";
    case Base::Windows: return L"%windir%";
    case Base::Documents: return L"%documents%";
    default: return L"";
  }
}

// What a step's files and folders are; none for keys, figures, calls and the Netscape profiles,
// whose folder depends on which Netscape is there.
std::optional<Reach> ReachOf(const Step& step) {
  if (step.base == Base::NetscapeProfiles) return std::nullopt;
  const std::vector<std::wstring> folder = Parts(Variable(step.base) + step.path);
  const std::wstring extension = std::wstring(L"*.") + step.name;
  switch (step.op) {
    case Op::AllFilesInTree:
    case Op::RecreateFolder: return Place(folder, {L"*"}, true);
    case Op::NamedFilesInTree: return Place(folder, {step.name}, true);
    case Op::ExtensionInTree: return Place(folder, {extension}, true);
    case Op::NamedFoldersInTree: return Place(folder, {L"*"}, true, platform::ToLower(step.name));
    case Op::FilesInFolder: return Place(folder, {L"*"}, false);
    case Op::NamedFileInFolder: return Place(folder, {step.name}, false);
    default: return std::nullopt;
  }
}

Reach ReachOf(const plugins::FolderLine& line) {
  const std::wstring& base = line.fields[0];
  const std::wstring variable = base == L"appdata" || base == L"localappdata" ? L"%" + base + L"%" : base;
  const std::vector<std::wstring> folder = Parts(variable + line.fields[1]);
  if (line.section == L"file") return Place(folder, {line.fields[2]}, false);
  if (line.section == L"fileext") return Place(folder, {L"*." + line.fields[2]}, false);
  if (line.section == L"filetree") return Place(folder, {line.fields[2]}, true);
  if (line.section == L"foldertree") return Place(folder, {L"*"}, true, platform::ToLower(line.fields[2]));
  return Place(folder, {L"*"}, true);  // "folder" and "alltree": everything in it
}

bool PartsMeet(const std::wstring& a, const std::wstring& b) {
  return platform::MatchesPattern(a, b) || platform::MatchesPattern(b, a);
}

// Whether a file that one of `names` names as it is written can match one of `patterns`.
bool AnyMatches(const std::vector<std::wstring>& names, const std::vector<std::wstring>& patterns) {
  return std::any_of(names.begin(), names.end(), [&](const std::wstring& name) {
    return std::any_of(patterns.begin(), patterns.end(),
                       [&](const std::wstring& pattern) { return platform::MatchesPattern(name, pattern); });
  });
}

// `above`'s folder holds `below`'s: whether what `above` erases in the folders below its own reaches
// what `below` erases. A "*" below meets only a "*" above: "History" in every folder of a profile
// does not make its cache folder the history.
bool Covers(const Reach& above, const Reach& below) {
  if (!above.tree) return false;
  if (!above.within.empty()) {
    auto part = below.folder.begin() + static_cast<std::ptrdiff_t>(above.folder.size());
    const bool inside = below.tree || std::any_of(part, below.folder.end(), [&](const std::wstring& name) {
                          return platform::EqualsNoCase(name, above.within);
                        });
    if (!inside) return false;
  }
  return AnyMatches(below.names, above.names);
}

bool Meet(const Reach& a, const Reach& b) {
  const size_t common = std::min(a.folder.size(), b.folder.size());
  for (size_t i = 0; i < common; ++i) {
    if (!PartsMeet(a.folder[i], b.folder[i])) return false;
  }
  if (a.folder.size() != b.folder.size()) return a.folder.size() < b.folder.size() ? Covers(a, b) : Covers(b, a);
  // The same folder: where only one of them keeps to folders of a name below it, the other's tree
  // must reach them.
  if (a.within.empty() != b.within.empty()) {
    if (!(a.within.empty() ? a : b).tree) return false;
  } else if (!PartsMeet(a.within, b.within)) {
    return false;
  }
  return AnyMatches(a.names, b.names) || AnyMatches(b.names, a.names);
}

// The built-in items that name places, with those places, in run order: found once, as thousands of
// rules are compared with them.
const std::vector<std::pair<const wchar_t*, std::vector<Reach>>>& BuiltInReaches() {
  static const auto reaches = [] {
    std::vector<std::pair<const wchar_t*, std::vector<Reach>>> items;
    for (const Item* item : RunOrder()) {
      std::vector<Reach> own;
      for (const Step& step : item->steps) {
        if (std::optional<Reach> reach = ReachOf(step)) own.push_back(std::move(*reach));
      }
      if (!own.empty()) items.emplace_back(item->label, std::move(own));
    }
    return items;
  }();
  return reaches;
}

std::vector<std::wstring> CoveredBy(const std::vector<Reach>& reaches) {
  std::vector<std::wstring> labels;
  for (const auto& [label, own] : BuiltInReaches()) {
    const bool meets = std::any_of(own.begin(), own.end(), [&](const Reach& place) {
      return std::any_of(reaches.begin(), reaches.end(), [&](const Reach& other) { return Meet(place, other); });
    });
    if (meets) labels.emplace_back(label);
  }
  return labels;
}

}  // namespace

std::vector<std::wstring> AlsoCoveredBy(const rules::Rule& rule) {
  std::vector<Reach> reaches;
  for (const rules::FileKey& key : rule.fileKeys)
    reaches.push_back(Place(Parts(key.folder), key.patterns, key.recurse));
  return CoveredBy(reaches);
}

std::vector<std::wstring> PluginAlsoCoveredBy(const std::wstring& definitionFile) {
  std::vector<Reach> reaches;
  for (const plugins::FolderLine& line : plugins::FolderLines(definitionFile)) reaches.push_back(ReachOf(line));
  return CoveredBy(reaches);
}

std::wstring AlsoCoveredText(const std::vector<std::wstring>& labels) {
  std::wstring text;
  for (const std::wstring& label : labels)
    text += (text.empty() ? L"" : L", ") + std::wstring(platform::Tr(label.c_str()));
  return text.empty() ? text : platform::Fill(platform::Tr(L"also covered by {names}"), {{L"names", text}});
}

}  // namespace catalogue
