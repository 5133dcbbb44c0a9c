#include "catalogue/plugins.h"

#include <cwctype>
#include <type_traits>

#include "catalogue/catalogue.h"
#include "engine/allerase.h"
#include "engine/regfun.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/settings_folder.h"
#include "platform/text.h"
#include "platform/text_file.h"
#include "platform/translation.h"
#include "settings/inifun.h"

namespace catalogue::plugins {

namespace {

std::vector<std::wstring> SplitFields(const std::wstring& value) {
  std::vector<std::wstring> fields;
  size_t start = 0;
  for (;;) {
    size_t comma = value.find(L',', start);
    fields.push_back(value.substr(start, comma - start));
    if (comma == std::wstring::npos) return fields;
    start = comma + 1;
  }
}

// Everything after the first "=", or the whole line.
std::wstring ValueOf(const std::wstring& line) {
  size_t equals = line.find(L'=');
  return equals == std::wstring::npos ? line : line.substr(equals + 1);
}

std::wstring BaseFolder(const std::wstring& base, const run::ProcessValues& values) {
  if (base == L"appdata") return values.appDataFolder;
  if (base == L"localappdata") return values.localAppDataFolder;
  return base;
}

// The folder a line names in a run: its base, then the folder below it. None where the base is an
// application data folder that another user's hive named outside the profile: the item says so.
std::optional<std::wstring> LineFolder(const std::vector<std::wstring>& fields, const run::ItemContext& context) {
  const std::wstring& base = fields[0];
  if (base != L"appdata" && base != L"localappdata") return base + fields[1];
  const std::wstring folder = base == L"appdata" ? context.AppDataFolder() : context.LocalAppDataFolder();
  if (folder.empty()) return std::nullopt;
  return folder + fields[1];
}

bool IsRegistrySection(const std::wstring& section) { return section == L"regtree" || section == L"reg"; }
bool IsTreeSection(const std::wstring& section) {
  return section == L"filetree" || section == L"foldertree" || section == L"alltree";
}

// A "*" segment of a tree section's folder stands for every subfolder there; links are not followed.
std::vector<std::wstring> ExpandFolders(const std::wstring& path) {
  size_t star = path.find(L"\\*");
  while (star != std::wstring::npos && star + 2 < path.size() && path[star + 2] != L'\\') {
    star = path.find(L"\\*", star + 2);
  }
  if (star == std::wstring::npos) return {path};
  std::wstring parent = path.substr(0, star);
  std::wstring rest = path.substr(star + 2);
  std::vector<std::wstring> folders;
  std::vector<std::wstring> names;
  platform::ListFolder(parent, [&](const platform::FolderEntry& entry) {
    if (entry.IsFolder() && !entry.IsLink()) names.push_back(entry.name);
  });
  for (const std::wstring& name : names) {
    for (std::wstring& folder : ExpandFolders(parent + L"\\" + name + rest)) folders.push_back(std::move(folder));
  }
  return folders;
}

void RunRegistryEntry(const std::wstring& section, const std::vector<std::wstring>& fields, run::ItemContext& context) {
  if (fields.size() < (section == L"reg" ? 3u : 2u)) return;
  auto parsed = ParseRoot(fields[0]);
  if (!parsed) return;
  const auto [root, subkey] = context.values.user.Key(*parsed, fields[1]);
  context.AddKeys(section == L"reg" ? engine::allerase::DeleteRegistryValue(context.erase, root, subkey, fields[2])
                                    : engine::allerase::DeleteRegistryTree(context.erase, root, subkey));
}

// The fields a line of a file section needs: base, folder and, but for "folder" and "alltree", a name.
bool Complete(const std::wstring& section, const std::vector<std::wstring>& fields) {
  return fields.size() >= (section == L"folder" || section == L"alltree" ? 2u : 3u);
}

void RunFolderEntry(const std::wstring& section, const std::vector<std::wstring>& fields, run::ItemContext& context) {
  if (!Complete(section, fields)) return;
  const std::optional<std::wstring> folder = LineFolder(fields, context);
  if (!folder) return;
  if (section == L"file") {
    context.AddBytes(engine::allerase::EraseNamedFileInFolder(context.erase, *folder, fields[2]));
  } else if (section == L"fileext") {
    context.AddBytes(engine::allerase::EraseFilesByExtensionInFolder(context.erase, *folder, fields[2]));
  } else {
    context.AddBytes(engine::allerase::RecreateFolder(context.erase, *folder));
  }
}

void RunTreeEntry(const std::wstring& section, const std::vector<std::wstring>& fields, run::ItemContext& context) {
  if (!Complete(section, fields)) return;
  // An empty name matches no file or folder; the walk would only count its folder visits.
  if (section != L"alltree" && fields[2].empty()) return;
  const std::optional<std::wstring> named = LineFolder(fields, context);
  if (!named) return;
  for (const std::wstring& folder : ExpandFolders(*named)) {
    if (section == L"filetree") {
      context.AddBytes(engine::allerase::EraseNamedFilesInTree(context.erase, folder, fields[2]));
    } else if (section == L"foldertree") {
      context.AddBytes(engine::allerase::EraseNamedFoldersInTree(context.erase, folder, platform::ToLower(fields[2])));
    } else {
      context.AddBytes(engine::allerase::EraseAllFilesInTree(context.erase, folder));
    }
  }
}

void RunEntry(const std::wstring& section, const std::vector<std::wstring>& fields, run::ItemContext& context) {
  if (IsRegistrySection(section)) {
    RunRegistryEntry(section, fields, context);
  } else if (IsTreeSection(section)) {
    RunTreeEntry(section, fields, context);
  } else {
    RunFolderEntry(section, fields, context);
  }
}

// Whether a line names what is the user's own: a key of HKEY_CURRENT_USER, or a folder below one of
// the user's application data folders. Any other target (a folder named whole, a key of the computer)
// is the computer's.
bool OfTheUser(const std::wstring& section, const std::vector<std::wstring>& fields) {
  if (!IsRegistrySection(section)) return fields[0] == L"appdata" || fields[0] == L"localappdata";
  std::optional<HKEY> root = ParseRoot(fields[0]);
  return root && *root == HKEY_CURRENT_USER;
}

// Calls `line` with each executed line's section and fields (and, where it takes it, the line's key), in
// the order the run executes them: for another user than the current one, only the lines that name
// what is that user's own, the others being cleaned once, in the current user's run. Without values,
// every line.
template <typename Line>
void ForEachLine(const std::wstring& definitionFile, const run::ProcessValues* values, Line line) {
  for (const wchar_t* section : kSections) {
    for (const std::wstring& text : settings::inifun::ReadIniSection(definitionFile, section)) {
      std::wstring value = ValueOf(text);
      if (value.empty()) break;
      std::vector<std::wstring> fields = SplitFields(value);
      if (values && !values->user.Current() && !OfTheUser(section, fields)) continue;
      if constexpr (std::is_invocable_v<Line, std::wstring, std::vector<std::wstring>, std::wstring>) {
        line(std::wstring(section), fields, text.substr(0, text.find(L'=')));
      } else {
        line(std::wstring(section), fields);
      }
    }
  }
}

std::wstring Extension(const std::wstring& name) {
  size_t dot = name.find_last_of(L'.');
  return dot == std::wstring::npos ? std::wstring() : name.substr(dot + 1);
}

}  // namespace

const std::vector<const wchar_t*> kSections = {L"regtree", L"reg",      L"file",       L"fileext",
                                               L"folder",  L"filetree", L"foldertree", L"alltree"};

std::wstring PluginFolder(const std::wstring& programFolder) { return programFolder + L"\\plus-in"; }

std::wstring PluginSwitchFolder(const std::wstring& programFolder) {
  return PluginFolder(platform::SettingsFolder(programFolder));
}

std::vector<PluginEntry> ListPlugins(const std::wstring& folder) {
  std::vector<PluginEntry> entries;
  platform::ListFolder(folder, [&](const platform::FolderEntry& found) {
    if (found.IsFolder() || !platform::EqualsNoCase(Extension(found.name), L"ppe")) return;
    PluginEntry entry;
    entry.file = platform::JoinPath(folder, found.name);
    entry.name = settings::inifun::ReadIniValue(entry.file, L"name", L"appname");
    entry.version = settings::inifun::ReadIniValue(entry.file, L"version", L"appver");
    entry.description =
        entry.name + L" " + entry.version + L" " + settings::inifun::ReadIniValue(entry.file, L"dec", L"decs");
    entry.ticked = settings::inifun::ReadIniValue(entry.file, L"swich", L"on") == L"1";
    entries.push_back(std::move(entry));
  });
  return entries;
}

bool IsPluginName(const std::wstring& name) {
  return !name.empty() && name.find_first_of(L"\\/:") == std::wstring::npos;
}

std::vector<PluginEntry> ProgramPlugins(const std::wstring& programFolder) {
  std::vector<PluginEntry> entries = ListPlugins(PluginFolder(programFolder));
  const std::wstring switches = PluginSwitchFolder(programFolder);
  if (platform::EqualsNoCase(switches, PluginFolder(programFolder))) return entries;
  for (PluginEntry& entry : entries) {
    if (!IsPluginName(entry.name)) continue;
    const std::wstring own = settings::inifun::ReadIniValue(switches + L"\\" + entry.name + L".ppe", L"swich", L"on");
    if (!own.empty()) entry.ticked = own == L"1";
  }
  return entries;
}

platform::Result<void> SetPluginSwitch(const std::wstring& programFolder, const std::wstring& name, bool on) {
  const std::wstring folder = PluginSwitchFolder(programFolder);
  // A portable copy's folder is the program's own, which the program never makes.
  if (!platform::EqualsNoCase(folder, PluginFolder(programFolder))) CreateDirectoryW(folder.c_str(), nullptr);
  return WritePluginSwitch(folder, name, on);
}

platform::Result<void> WritePluginSwitch(const std::wstring& folder, const std::wstring& name, bool on) {
  if (!IsPluginName(name)) return platform::Failure{L"\"" + name + L"\" is no plug-in's name"};
  const std::wstring file = folder + L"\\" + name + L".ppe";
  const wchar_t* value = on ? L"1" : L"0";
  // A switch already as asked is not written: a read-only definition stays quiet until it is changed.
  if (platform::FileExists(file) && settings::inifun::ReadIniValue(file, L"swich", L"on") == value) return {};
  // Written as every settings value is: a whole new file renamed into place, a read-only one refused.
  return settings::inifun::WriteIniValue(file, L"swich", L"on", value);
}

std::optional<HKEY> ParseRoot(const std::wstring& field) {
  long long number = 0;
  bool hex = field.size() > 2 && (field[0] == L'&') && (field[1] == L'H' || field[1] == L'h');
  std::wstring digits = hex ? field.substr(2) : field;
  bool negative = !hex && !digits.empty() && digits[0] == L'-';
  if (!hex && !digits.empty() && (digits[0] == L'-' || digits[0] == L'+')) digits.erase(0, 1);
  if (digits.empty()) return HKEY{};
  for (wchar_t c : digits) {
    int digit = hex ? (std::iswdigit(c)    ? c - L'0'
                       : std::iswxdigit(c) ? (std::towupper(c) - L'A' + 10)
                                           : -1)
                    : (std::iswdigit(c) ? c - L'0' : -1);
    if (digit < 0) return HKEY{};
    number = number * (hex ? 16 : 10) + digit;
    if (number > 0xFFFFFFFFLL) return std::nullopt;
  }
  if (negative) number = -number;
  if (!hex && (number < INT32_MIN || number > INT32_MAX)) return std::nullopt;
  uint32_t bits = static_cast<uint32_t>(number);
  // Only the predefined roots: any other number could happen to equal a key handle the process
  // holds open, and a deletion under it would reach an unrelated key.
  if (bits < 0x80000000u || bits > 0x80000006u) return HKEY{};
  return reinterpret_cast<HKEY>(static_cast<intptr_t>(static_cast<int32_t>(bits)));
}

void ProcessShell(const std::wstring& definitionFile, run::ItemContext& context) {
  engine::RunRecorder* recorder = context.erase.recorder;
  // What each line erases names the line: "plus-in/app.ppe [file] 2".
  const std::wstring file =
      std::wstring(kPluginSection) + L"/" + definitionFile.substr(definitionFile.find_last_of(L"\\/") + 1);
  ForEachLine(definitionFile, &context.values,
              [&](const std::wstring& section, const std::vector<std::wstring>& fields, const std::wstring& key) {
                if (context.erase.Stopped()) return;
                if (recorder) recorder->Because(recorder->ReasonFor(file + L" [" + section + L"] " + key, L""));
                RunEntry(section, fields, context);
              });
  if (recorder) recorder->Because(0);
}

bool NamesAny(const std::wstring& definitionFile, const run::ProcessValues& values) {
  bool any = false;
  ForEachLine(definitionFile, &values, [&](const std::wstring&, const std::vector<std::wstring>&) { any = true; });
  return any;
}

std::vector<FolderLine> FolderLines(const std::wstring& definitionFile) {
  std::vector<FolderLine> lines;
  ForEachLine(definitionFile, nullptr, [&](const std::wstring& section, const std::vector<std::wstring>& fields) {
    if (IsRegistrySection(section) || !Complete(section, fields)) return;
    // A line whose name is empty erases nothing.
    if (section != L"folder" && section != L"alltree" && fields[2].empty()) return;
    lines.push_back({section, fields});
  });
  return lines;
}

std::vector<std::wstring> NamedFolders(const std::wstring& definitionFile, const run::ProcessValues& values) {
  std::vector<std::wstring> folders;
  ForEachLine(definitionFile, &values, [&](const std::wstring& section, const std::vector<std::wstring>& fields) {
    if (IsRegistrySection(section) || !Complete(section, fields)) return;
    std::wstring folder = BaseFolder(fields[0], values) + fields[1];
    if (!IsTreeSection(section)) {
      folders.push_back(folder);
      return;
    }
    for (std::wstring& expanded : ExpandFolders(folder)) folders.push_back(std::move(expanded));
  });
  return folders;
}

std::vector<std::wstring> AbsentTargets(const std::wstring& definitionFile, const run::ProcessValues& values) {
  std::vector<std::wstring> absent;
  bool found = false;
  ForEachLine(definitionFile, &values, [&](const std::wstring& section, const std::vector<std::wstring>& fields) {
    if (found || fields.size() < 2) return;
    if (IsRegistrySection(section)) {
      std::optional<HKEY> parsed = ParseRoot(fields[0]);
      if (!parsed || !*parsed) return;
      const auto [root, subkey] = values.user.Key(*parsed, fields[1]);
      // A key that cannot be opened for another reason than its absence counts as there.
      HKEY key = nullptr;
      const LONG opened = RegOpenKeyExW(root, subkey.c_str(), 0, KEY_QUERY_VALUE, &key);
      if (opened == ERROR_SUCCESS) RegCloseKey(key);
      found = opened != ERROR_FILE_NOT_FOUND && opened != ERROR_PATH_NOT_FOUND;
      absent.push_back(engine::regfun::RootName(root) + L"\\" + subkey);
      return;
    }
    const std::wstring folder = BaseFolder(fields[0], values) + fields[1];
    for (const std::wstring& expanded : IsTreeSection(section) ? ExpandFolders(folder) : std::vector{folder}) {
      found = found || GetFileAttributesW(expanded.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    absent.push_back(folder);
  });
  return found ? std::vector<std::wstring>() : absent;
}

}  // namespace catalogue::plugins

namespace catalogue {

namespace {

// Every plug-in that runs in this call, in list order, each with its own row; a plug-in counts 1
// registry entry and 50000 bytes beyond what it erased.
class Plugins : public run::Stage {
 public:
  void Run(run::ItemContext& context) const override {
    std::wstring folder = catalogue::plugins::PluginFolder(context.programFolder);
    for (const catalogue::plugins::PluginEntry& entry : catalogue::plugins::ProgramPlugins(context.programFolder)) {
      if (context.erase.Stopped()) break;
      if (!context.Runs(catalogue::plugins::kPluginSection, entry.name, [&] { return entry.ticked; })) continue;
      const std::wstring file = folder + L"\\" + entry.name + L".ppe";
      // Another user's run opens no row for a plug-in that names nothing of that user's.
      if (!context.values.user.Current() &&
          !(catalogue::plugins::IsPluginName(entry.name) && catalogue::plugins::NamesAny(file, context.values))) {
        continue;
      }
      context.BeginItem(catalogue::plugins::kPluginSection, entry.name, entry.name);
      // A plug-in's row reads "Cleaning " and its name, without the dots.
      context.view.SetRowState(platform::Fill(platform::Tr(L"Cleaning {name}"), {{L"name", entry.name}}));
      context.view.PumpMessages();
      if (catalogue::plugins::IsPluginName(entry.name)) {
        std::vector<std::wstring> absent = catalogue::plugins::AbsentTargets(file, context.values);
        catalogue::plugins::ProcessShell(file, context);
        if (!absent.empty()) context.NotInstalled(std::move(absent));
      }
      context.view.PumpMessages();
      if (!context.erase.Stopped()) {
        context.AddKeys(1);
        context.AddBytes(50000);
      }
      context.EndItem();
    }
    context.SetProgress(kPluginProgress);
  }
  bool ForEveryUser() const override { return true; }
};

}  // namespace

std::unique_ptr<const run::Stage> PluginStage() { return std::make_unique<Plugins>(); }

}  // namespace catalogue
