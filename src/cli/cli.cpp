#include "cli/cli.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <map>

#include "catalogue/catalogue.h"
#include "catalogue/rules.h"
#include "keeplists/keep_list_file.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/text.h"
#include "run/clean_run.h"
#include "run/item_context.h"
#include "settings/default_selection.h"
#include "settings/item_flags.h"

namespace cli {

using platform::ToUtf8;

namespace {

std::string Quote(std::wstring_view text) {
  std::string quoted = "\"";
  for (char c : ToUtf8(text)) {
    switch (c) {
      case '"': quoted += "\\\""; break;
      case '\\': quoted += "\\\\"; break;
      case '\n': quoted += "\\n"; break;
      case '\r': quoted += "\\r"; break;
      case '\t': quoted += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escape[8];
          snprintf(escape, sizeof(escape), "\\u%04x", c);
          quoted += escape;
        } else {
          quoted += c;
        }
    }
  }
  return quoted + "\"";
}

std::string Number(double value) { return ToUtf8(platform::FormatNumber(value)); }

std::string Strings(const std::vector<std::wstring>& texts) {
  std::string json = "[";
  for (size_t i = 0; i < texts.size(); ++i) {
    if (i) json += ',';
    json += Quote(texts[i]);
  }
  return json + "]";
}

// What a command says when it writes no report or list of its own.
struct Reply {
  std::wstring said;      // for the output
  std::wstring why;       // for the error output: why nothing, or not all, was done
  std::string stored;     // JSON members naming what the command stored, each led by a comma
  bool reported = false;  // the command wrote its report or list to the output itself
};

std::string WithoutLastLineEnd(std::wstring text) {
  if (text.ends_with(L'\n')) text.pop_back();
  return Quote(text);
}

std::string ReplyJson(int code, const Reply& reply) {
  std::string json = "{\"exitCode\":" + std::to_string(code);
  if (!reply.said.empty()) json += ",\"message\":" + WithoutLastLineEnd(reply.said);
  if (!reply.why.empty()) json += ",\"reason\":" + WithoutLastLineEnd(reply.why);
  return json + reply.stored + "}\n";
}

std::string TotalsJson(const engine::ReportTotals& totals) {
  return "{\"files\":" + std::to_string(totals.files) + ",\"bytes\":" + Number(totals.bytes) +
         ",\"folders\":" + std::to_string(totals.folders) +
         ",\"registryEntries\":" + std::to_string(totals.registryEntries) +
         ",\"steps\":" + std::to_string(totals.steps) + ",\"leftBehind\":" + std::to_string(totals.leftBehind) +
         ",\"tooNew\":" + std::to_string(totals.tooNew) + ",\"keptSites\":" + std::to_string(totals.keptSites) +
         ",\"keptAddresses\":" + std::to_string(totals.keptAddresses) +
         ",\"databases\":" + std::to_string(totals.databases) +
         ",\"databaseRows\":" + std::to_string(totals.databaseRows) +
         ",\"databaseBytes\":" + Number(totals.databaseBytes) + "}";
}

// Each database cleaned inside: its path, the rows each table lost, the bytes its compaction freed.
std::string DatabasesJson(const std::vector<engine::DatabaseRecord>& databases) {
  std::string json = "[";
  for (size_t d = 0; d < databases.size(); ++d) {
    const engine::DatabaseRecord& database = databases[d];
    json += std::string(d ? "," : "") + "{\"path\":" + Quote(database.path) + ",\"tables\":[";
    for (size_t t = 0; t < database.tables.size(); ++t) {
      json += std::string(t ? "," : "") + "{\"table\":" + Quote(database.tables[t].first) +
              ",\"rows\":" + std::to_string(database.tables[t].second) + "}";
    }
    json += "],\"bytesFreed\":" + (database.bytesFreed ? Number(*database.bytesFreed) : "null") + "}";
  }
  return json + "]";
}

std::string EstimatedJson(double keys, double bytes) {
  return "{\"cleanedKeys\":" + Number(keys) + ",\"releasedBytes\":" + Number(bytes) + "}";
}

// "files":[...],"folders":[...],"registryKeys":[...],"registryValues":[...], the files written as they
// come, as an item may have a million.
void WriteEntriesJson(const engine::FileRecords& files, const std::vector<std::wstring>& folders,
                      const std::vector<std::wstring>& keys, const std::vector<std::wstring>& values, Output& output) {
  output.Add("\"files\":[");
  for (size_t f = 0; f < files.size(); ++f) {
    engine::FileRecord file = files[f];
    output.Add(std::string(f ? "," : "") + "{\"path\":" + Quote(file.path) + ",\"size\":" + Number(file.size) + "}");
  }
  output.Add("],\"folders\":" + Strings(folders) + ",\"registryKeys\":" + Strings(keys) +
             ",\"registryValues\":" + Strings(values));
}

engine::ReportTotals ItemTotals(const engine::ItemReport& item) {
  engine::RunReport single;
  single.items.push_back(item);
  return single.Totals();
}

std::wstring UnsavedSelectionText(const engine::RunReport& preview) {
  std::wstring text =
      L"The selection in prisd.dat is the one Trellwipe ticked for a new user, and nobody has saved it. "
      L"A cleaning would erase " +
      engine::ErasureSummary(preview.Totals()) + L", in these items:\n";
  for (const engine::ItemReport& item : preview.items) {
    if (item.ErasesSomething()) text += L"    " + item.label + L" [" + item.section + L"/" + item.key + L"]\n";
  }
  return text +
         L"Nothing was erased. To clean these items run trellwipe-cli --clean --yes; to see every file and "
         L"key first, trellwipe-cli --preview; to choose the items, save a selection in Trellwipe's "
         L"Cleaning Settings or name them with --only.\n";
}

bool SameItem(const ItemName& name, const std::wstring& section, const std::wstring& key) {
  return platform::EqualsNoCase(name.section, section) && platform::EqualsNoCase(name.key, key);
}

bool IsChosen(const Arguments& arguments, const std::wstring& section, const std::wstring& key) {
  return std::any_of(arguments.chosen.begin(), arguments.chosen.end(),
                     [&](const ItemName& name) { return SameItem(name, section, key); });
}

// The arguments after --keep-site, --check-rules, --url and --only.
using TakeArgument = platform::Result<void> (*)(Arguments& parsed, const std::wstring& argument);

platform::Result<void> TakeSite(Arguments& parsed, const std::wstring& site) {
  parsed.site = site;
  return {};
}

platform::Result<void> TakeRuleFile(Arguments& parsed, const std::wstring& file) {
  parsed.ruleFile = file;
  return {};
}

platform::Result<void> TakeUrl(Arguments& parsed, const std::wstring& url) {
  parsed.url = url;
  return {};
}

// "SECTION/KEY[,SECTION/KEY...]"
platform::Result<void> TakeItemNames(Arguments& parsed, const std::wstring& list) {
  for (size_t start = 0;;) {
    size_t comma = list.find(L',', start);
    std::wstring name = list.substr(start, comma == std::wstring::npos ? comma : comma - start);
    size_t slash = name.find(L'/');
    if (slash == std::wstring::npos || slash == 0 || slash + 1 == name.size()) {
      return platform::Failure{L"Not an item name: \"" + name + L"\" (expected SECTION/KEY, see --list)."};
    }
    parsed.chosen.push_back({name.substr(0, slash), name.substr(slash + 1)});
    if (comma == std::wstring::npos) return {};
    start = comma + 1;
  }
}

// An option: the action it asks for, the switch it sets, and what it does with the argument after it.
struct Option {
  const wchar_t* name;
  Action action = Action::None;
  bool Arguments::*flag = nullptr;
  TakeArgument take = nullptr;
  const wchar_t* needed = nullptr;  // the mistake when the argument after it is missing; none: it may be
};

const Option kOptions[] = {
    {L"--help", Action::Help},
    {L"-h", Action::Help},
    {L"/?", Action::Help},
    {L"--list", Action::List},
    {L"--preview", Action::Preview},
    {L"--clean", Action::Clean},
    {L"--keep-site", Action::KeepSite, nullptr, TakeSite,
     L"--keep-site needs a site: --keep-site example.com (host:mail.example.com for that host only)"},
    {L"--unkeep-site", Action::UnkeepSite, nullptr, TakeSite,
     L"--unkeep-site needs a site: --unkeep-site example.com (host:mail.example.com for that host only)"},
    {L"--check-rules", Action::CheckRules, nullptr, TakeRuleFile},
    {L"--update-rules", Action::UpdateRules},
    {L"--accept", Action::None, &Arguments::accept},
    {L"--undo-rules-update", Action::UndoRulesUpdate},
    {L"--url", Action::None, nullptr, TakeUrl,
     L"--url needs an address: --update-rules --url https://example.com/winapp2.ini"},
    {L"--kept-sites", Action::KeptSites},
    {L"--json", Action::None, &Arguments::json},
    {L"--yes", Action::None, &Arguments::yes},
    {L"--then-shutdown", Action::None, &Arguments::thenShutdown},
    {L"--all-users", Action::None, &Arguments::allUsers},
    {L"--only", Action::None, &Arguments::only, TakeItemNames,
     L"--only needs a list of items: --only SECTION/KEY[,SECTION/KEY...]"},
};

const Option* FindOption(const std::wstring& arg) {
  for (const Option& option : kOptions) {
    if (arg == option.name) return &option;
  }
  return nullptr;
}

// Sets what the option at `at` says, and moves `at` past the argument it takes.
platform::Result<void> Apply(const Option& option, const std::vector<std::wstring>& args, size_t& at,
                             Arguments& parsed) {
  if (option.action != Action::None) {
    if (parsed.action != Action::None) {
      return platform::Failure{
          L"Only one of --list, --preview, --clean, --keep-site, --unkeep-site, --kept-sites, --check-rules, "
          L"--update-rules, --undo-rules-update and --help may be given (" +
          std::wstring(option.name) + L")."};
    }
    parsed.action = option.action;
  }
  if (option.flag) parsed.*option.flag = true;
  if (!option.take) return {};
  if (at + 1 >= args.size() || args[at + 1].rfind(L"--", 0) == 0) {
    return option.needed ? platform::Failure{option.needed} : platform::Result<void>();
  }
  return option.take(parsed, args[++at]);
}

// The mistake of the first option given beside an action it does not go with; none when all go.
const wchar_t* PairingMistake(const Arguments& parsed) {
  // Each option with the actions it goes with, in the order their mistakes are told.
  const struct {
    bool given;
    std::array<Action, 2> with;
    const wchar_t* mistake;
  } pairings[] = {
      {parsed.only, {Action::Preview, Action::Clean}, L"--only goes with --preview or --clean."},
      {parsed.yes, {Action::Clean, Action::Clean}, L"--yes goes with --clean."},
      {parsed.allUsers, {Action::Preview, Action::Clean}, L"--all-users goes with --preview or --clean."},
      {parsed.thenShutdown, {Action::Clean, Action::Clean}, L"--then-shutdown goes with --clean."},
      {parsed.accept,
       {Action::UpdateRules, Action::AcceptRules},
       L"--accept goes with --update-rules, or alone for the rules downloaded before."},
      {!parsed.url.empty(), {Action::UpdateRules, Action::UpdateRules}, L"--url goes with --update-rules."},
  };
  for (const auto& pairing : pairings) {
    if (pairing.given && parsed.action != pairing.with[0] && parsed.action != pairing.with[1]) {
      return pairing.mistake;
    }
  }
  return nullptr;
}

}  // namespace

platform::Result<Arguments> ParseArguments(const std::vector<std::wstring>& args) {
  Arguments parsed;
  for (size_t at = 0; at < args.size(); ++at) {
    const Option* option = FindOption(args[at]);
    if (!option) return platform::Failure{L"Unknown argument: " + args[at]};
    if (platform::Result<void> applied = Apply(*option, args, at, parsed); !applied) {
      return platform::Failure{applied.Reason()};
    }
  }
  if (parsed.accept && parsed.action == Action::None) parsed.action = Action::AcceptRules;
  if (parsed.action == Action::None) {
    return platform::Failure{
        L"Nothing to do: give --list, --preview, --clean, --kept-sites, --check-rules, --update-rules or --help."};
  }
  if (const wchar_t* mistake = PairingMistake(parsed)) return platform::Failure{mistake};
  return parsed;
}

std::wstring ListText(const std::vector<ListedItem>& items) {
  std::wstring text;
  for (const ListedItem& item : items) {
    text += (item.on ? L"on   " : L"off  ") + item.section + L"/" + item.key + L"\t" + item.label + L"\n";
  }
  return text;
}

std::string ListJson(const std::vector<ListedItem>& items) {
  std::string json = "{\"items\":[";
  for (size_t i = 0; i < items.size(); ++i) {
    const ListedItem& item = items[i];
    json += std::string(i ? "," : "") + "{\"section\":" + Quote(item.section) + ",\"key\":" + Quote(item.key) +
            ",\"label\":" + Quote(item.label) + ",\"on\":" + (item.on ? "true" : "false") + "}";
  }
  return json + "]}\n";
}

void Output::Add(std::string_view text) {
  out += text;
  // A report of a million files is handed on in pieces rather than held whole.
  if (drain && out.size() >= (1 << 16)) {
    drain(out);
    out.clear();
  }
}

void WriteReportText(const engine::RunReport& report, Output& output) {
  if (report.stopped) output.Add("Stopped by Ctrl+C before the end: what follows is what went up to then.\n");
  auto writeItems = [&](size_t first, size_t end) {
    for (size_t at = first; at < end; ++at) {
      const engine::ItemReport& item = report.items[at];
      // A stop or a program not on this computer is said first; what was left behind the counts say.
      const std::wstring said = item.outcome.substr(0, item.outcome.find(L','));
      const std::wstring lead = said == run::kStoppedOutcome || !item.lookedFor.empty() ? said + L", " : std::wstring();
      output.Add(ToUtf8(item.label + L" [" + item.section + L"/" + item.key + L"]: " + lead + engine::CountsText(item) +
                        L"\n"));
      engine::DetailLines lines(item, report.preview);
      for (size_t i = 0; i < lines.size(); ++i) output.Add("    " + ToUtf8(lines[i]) + "\n");
    }
  };
  if (report.users.empty()) writeItems(0, report.items.size());
  // Every user's items under the user's name, with the user's totals.
  for (const engine::UserGroup& user : report.users) {
    output.Add(ToUtf8(engine::UserGroupTitle(user) + L":\n"));
    writeItems(user.first, user.end);
    output.Add(ToUtf8(engine::UserGroupTotals(report, user) + L"\n"));
  }
  std::wstring text;
  engine::ReportTotals totals = report.Totals();
  text += std::wstring(report.preview ? L"Would erase: " : L"Erased: ") +
          platform::Counted(totals.files, L"file", L"files") + L", " + platform::Megabytes(totals.bytes) + L" MB" +
          L", " + platform::Counted(totals.folders, L"folder", L"folders") + L", " +
          platform::Counted(totals.registryEntries, L"registry entry", L"registry entries") + L", " +
          platform::Counted(totals.steps, L"step", L"steps");
  // What went inside databases that stay, which no file figure shows.
  if (totals.databases) {
    const std::optional<double> bytes = report.preview ? std::nullopt : std::optional(totals.databaseBytes);
    text += L", " + engine::DatabaseSummary(totals.databases, totals.databaseRows, bytes);
  }
  text += L"; left behind: " + std::to_wstring(totals.leftBehind) + L"; too new: " + std::to_wstring(totals.tooNew);
  if (std::wstring kept = engine::KeptSummary(totals); !kept.empty()) text += L"; " + kept;
  text += L"\n";
  text += L"Estimated counters: Cleaned Registry Keys: " + platform::FormatNumber(totals.estimatedKeys) +
          L", Released HD Space: " + platform::Megabytes(totals.estimatedBytes) + L"MB\n";
  output.Add(ToUtf8(text));
}

void WriteReportJson(const engine::RunReport& report, Output& output) {
  output.Add(std::string("{\"mode\":") + (report.preview ? "\"preview\"" : "\"clean\"") +
             ",\"stopped\":" + (report.stopped ? "true" : "false") + ",\"items\":[");
  for (size_t i = 0; i < report.items.size(); ++i) {
    const engine::ItemReport& item = report.items[i];
    output.Add(std::string(i ? "," : "") + "{\"section\":" + Quote(item.section) + ",\"key\":" + Quote(item.key) +
               ",\"label\":" + Quote(item.label) + ",\"outcome\":" + Quote(item.outcome) + ",");
    WriteEntriesJson(item.files, item.folders, item.keys, item.values, output);
    // What earlier items of the run counted already: no figure counts it again.
    const engine::CountedEntries& again = item.alreadyCounted;
    output.Add(",\"alreadyCounted\":{");
    WriteEntriesJson(again.files, again.folders, again.keys, again.values, output);
    std::string json =
        "},\"steps\":" + Strings(item.steps) + ",\"databases\":" + DatabasesJson(item.databases) + ",\"leftBehind\":[";
    for (size_t l = 0; l < item.leftBehind.size(); ++l) {
      json += std::string(l ? "," : "") + "{\"path\":" + Quote(item.leftBehind[l].path) +
              ",\"reason\":" + Quote(item.leftBehind[l].reason) + "}";
    }
    json += "],\"kept\":[";
    for (size_t k = 0; k < item.kept.size(); ++k) {
      json += std::string(k ? "," : "") + "{\"path\":" + Quote(item.kept[k].path) +
              ",\"what\":" + Quote(item.kept[k].what) + "}";
    }
    json += "],\"tooNew\":" + Strings(item.tooNew) +
            ",\"installed\":" + std::string(item.lookedFor.empty() ? "true" : "false") +
            ",\"lookedFor\":" + Strings(item.lookedFor) + ",\"totals\":" + TotalsJson(ItemTotals(item)) +
            ",\"estimated\":" + EstimatedJson(item.estimatedKeys, item.estimatedBytes) + "}";
    output.Add(json);
  }
  // Each user's group by its items' places in "items", with its totals.
  output.Add("],\"users\":[");
  for (size_t u = 0; u < report.users.size(); ++u) {
    const engine::UserGroup& user = report.users[u];
    output.Add(std::string(u ? "," : "") + "{\"user\":" + Quote(user.name) + ",\"profile\":" + Quote(user.folder) +
               ",\"firstItem\":" + std::to_string(user.first) + ",\"items\":" + std::to_string(user.end - user.first) +
               ",\"totals\":" + TotalsJson(report.Totals(user.first, user.end)) + "}");
  }
  engine::ReportTotals totals = report.Totals();
  output.Add(std::string("],\"onlyCurrentUser\":") + (report.onlyCurrentUser ? "true" : "false") +
             ",\"totals\":" + TotalsJson(totals) +
             ",\"estimated\":" + EstimatedJson(totals.estimatedKeys, totals.estimatedBytes) + "}\n");
}

std::wstring KeptSitesText(const std::vector<engine::KeptSite>& sites) {
  std::wstring text;
  for (const engine::KeptSite& site : sites) text += site.name + (site.exactHost ? L" (this host only)\n" : L"\n");
  return text;
}

std::string KeptSitesJson(const std::vector<engine::KeptSite>& sites) {
  std::string json = "[";
  for (const engine::KeptSite& site : sites) {
    if (json.size() > 1) json += ',';
    json += "{\"site\":" + Quote(site.name) + ",\"exactHost\":" + (site.exactHost ? "true" : "false") + "}";
  }
  return json + "]\n";
}

std::wstring HelpText() {
  return L"Usage: trellwipe-cli (--list | --preview | --clean [--yes] [--then-shutdown] | --help) [--only SECTION/KEY[,...]]\n"
         L"                     [--all-users] [--json]\n"
         L"       trellwipe-cli (--keep-site SITE | --unkeep-site SITE | --kept-sites [--json])\n"
         L"       trellwipe-cli --check-rules [FILE]\n"
         L"       trellwipe-cli (--update-rules [--url URL] [--accept] | --accept | --undo-rules-update)\n"
         L"\n"
         L"  --list      every item with its section, key, label and whether it is on\n"
         L"  --preview   what a cleaning would erase now; erases and writes nothing\n"
         L"  --clean     cleans, and saves the totals as the program does\n"
         L"  --yes       cleans even the selection Trellwipe ticked for a new user, which\n"
         L"              nobody saved yet; without it --clean only names what would go\n"
         L"  --then-shutdown  after a cleaning that ran to its end, shuts Windows down;\n"
         L"              not after Ctrl+C or when nothing was cleaned\n"
         L"  --only      the items for this call instead of the selection in prisd.dat,\n"
         L"              named as --list shows them (Custom/Custom, plus-in/<appname>,\n"
         L"              winapp2/<entry name>, rules/<entry name>)\n"
         L"  --all-users every user of this computer, each in a group of its own with its\n"
         L"              totals (needs administrator rights; without them only the\n"
         L"              current user, and the error output says so)\n"
         L"  --json      one JSON document on the output, whatever the command and however\n"
         L"              it ends: the report or the list, else \"exitCode\" with what the\n"
         L"              command said (\"message\"), why it did not (\"reason\") and what it\n"
         L"              stored (\"kept\", \"removed\", \"unticked\"); every command takes it\n"
         L"  --keep-site     keeps the cookies of a site (mail.example.com keeps example.com;\n"
         L"                  host:mail.example.com keeps that host only) on the cookie keep list\n"
         L"  --unkeep-site   takes a site or host off the cookie keep list and names the\n"
         L"                  lines it took off\n"
         L"  --kept-sites    the sites on the cookie keep list\n"
         L"  --check-rules   checks a rule file (without FILE: winapp2.ini and the files of\n"
         L"                  the rules folder) and names, by entry and line, what is skipped,\n"
         L"                  unknown, named twice, detects nothing, refused, or reaches what\n"
         L"                  a user keeps; exit code 0 nothing found, 1 findings, 2 unreadable\n"
         L"  --update-rules  downloads winapp2.ini (from URL, else from the address in\n"
         L"                  prisd.dat or the community's own) as winapp2.ini.new when it\n"
         L"                  came whole and reads as a rule file, and lists what it adds,\n"
         L"                  removes and changes; nothing counts until it is accepted;\n"
         L"                  exit code 2 when nothing was downloaded\n"
         L"  --accept        puts the downloaded winapp2.ini.new in place (with\n"
         L"                  --update-rules: the one just downloaded); ticked entries that\n"
         L"                  now erase more are unticked; the old copy is kept as\n"
         L"                  winapp2.ini.bak\n"
         L"  --undo-rules-update  puts winapp2.ini.bak back in place of winapp2.ini\n"
         L"\n"
         L"Exit codes: 0 done, 1 bad arguments, 2 cleaned but some item left something behind\n"
         L"(what the keep lists keep is kept, not left behind), 3 stopped by Ctrl+C before the\n"
         L"end, 4 nothing cleaned: the selection was never saved and --yes was not given,\n"
         L"5 cleaned but Windows refused to shut down.\n";
}

std::wstring CheckedRulesText(const std::vector<catalogue::rules::CheckedFile>& files) {
  std::wstring text;
  std::map<catalogue::rules::FindingKind, size_t> counts;
  size_t entries = 0;
  for (const catalogue::rules::CheckedFile& file : files) {
    if (!file.readable) {
      text += file.path + L": cannot be read\n";
      continue;
    }
    entries += file.entries;
    text += file.path + L": " + platform::Counted(file.entries, L"entry", L"entries") + L", " +
            platform::Counted(file.findings.size(), L"finding", L"findings") + L"\n";
    for (const catalogue::rules::Finding& finding : file.findings) {
      ++counts[finding.kind];
      text += L"  line " + std::to_wstring(finding.line) +
              (finding.entry.empty() ? L"" : L" [" + finding.entry + L"]") + L": " + finding.text + L"\n";
    }
  }
  text += L"Summary: " + platform::Counted(files.size(), L"file", L"files") + L", " +
          platform::Counted(entries, L"entry", L"entries") + L"; ";
  if (counts.empty()) return text + L"no findings\n";
  std::wstring separator;
  for (const auto& [kind, count] : counts) {
    text += separator + catalogue::rules::FindingKindName(kind, count);
    separator = L", ";
  }
  return text + L"\n";
}

std::wstring RulesDownloadText(const std::wstring& url, const catalogue::rules::RulesDownload& download,
                               const std::wstring& programFolder) {
  if (!download.pending) {
    if (!download.problem.empty()) {
      return L"winapp2.ini was not downloaded from " + url + L": " + download.problem + L". " +
             catalogue::rules::RulesInPlaceText(programFolder) + L"\n";
    }
    return L"winapp2.ini from " + url + L" is the same as the file in place: nothing to accept.\n";
  }
  std::wstring text = L"winapp2.ini.new downloaded from " + url + L": " +
                      platform::Counted(download.newEntries, L"entry", L"entries") + L"; the file in place has " +
                      std::to_wstring(download.oldEntries) + L".\n";
  for (const catalogue::rules::RuleChange& change : download.changes) {
    text += L"  " + std::wstring(catalogue::rules::ChangeKindName(change.kind)) + L" [" + change.name + L"]";
    for (const std::wstring& mark : catalogue::rules::ChangeMarks(change)) text += L"; " + mark;
    text += L"\n";
  }
  return text + catalogue::rules::ChangeSummary(download.changes) + L".\n";
}

namespace {

// Installs the pending rules and says what that unticked.
int AcceptRules(const std::wstring& programFolder, Reply& reply) {
  catalogue::rules::RulesAcceptance acceptance = catalogue::rules::AcceptPendingRules(programFolder);
  if (!acceptance.installed) {
    reply.why += L"Nothing was installed: " + acceptance.problem + L".\n";
    return kExitRulesNotUpdated;
  }
  reply.said +=
      L"winapp2.ini.new is in place as winapp2.ini; the previous copy is winapp2.ini.bak "
      L"(trellwipe-cli --undo-rules-update puts it back).\n";
  if (!acceptance.unticked.empty()) {
    reply.said += L"Unticked, as their new form erases more (tick them again on the Rules tab after a look):\n";
    for (const std::wstring& name : acceptance.unticked) reply.said += L"  " + name + L"\n";
  }
  reply.stored += ",\"unticked\":" + Strings(acceptance.unticked);
  return kExitDone;
}

// --update-rules, --accept and --undo-rules-update; -1 for any other action.
int RulesUpdateAction(const Arguments& arguments, const std::wstring& programFolder, Reply& reply) {
  if (arguments.action == Action::UpdateRules) {
    const std::wstring url = arguments.url.empty() ? catalogue::rules::CommunityAddress(programFolder) : arguments.url;
    catalogue::rules::RulesDownload download = catalogue::rules::DownloadCommunityRules(programFolder, url);
    const bool failed = !download.pending && !download.problem.empty();
    (failed ? reply.why : reply.said) += RulesDownloadText(url, download, programFolder);
    if (failed) return kExitRulesNotUpdated;
    if (!download.pending) return kExitDone;
    if (arguments.accept) return AcceptRules(programFolder, reply);
    reply.said += L"Nothing is installed yet: trellwipe-cli --accept puts winapp2.ini.new in place.\n";
    return kExitDone;
  }
  if (arguments.action == Action::AcceptRules) return AcceptRules(programFolder, reply);
  if (arguments.action != Action::UndoRulesUpdate) return -1;
  if (platform::Result<void> undone = catalogue::rules::UndoRulesUpdate(programFolder); !undone) {
    reply.why = L"Nothing was restored: " + undone.Reason() + L".\n";
    return kExitRulesNotUpdated;
  }
  reply.said = L"winapp2.ini.bak is back in place as winapp2.ini.\n";
  return kExitDone;
}

// The rule files --check-rules reads: the one named, or those of the program folder that are there.
int CheckRules(const Arguments& arguments, const std::wstring& programFolder, Reply& reply) {
  std::vector<catalogue::rules::RuleFileName> files;
  if (!arguments.ruleFile.empty()) {
    files.push_back({arguments.ruleFile, catalogue::rules::kCommunitySection});
  } else {
    for (catalogue::rules::RuleFileName& file : catalogue::rules::RuleFiles(programFolder)) {
      if (platform::FileExists(file.path)) files.push_back(std::move(file));
    }
  }
  if (files.empty()) {
    reply.why = L"No rule file found: neither winapp2.ini nor a rules folder beside the program.\n";
    return kExitRulesUnreadable;
  }
  const std::vector<catalogue::rules::CheckedFile> checked = catalogue::rules::CheckRuleFiles(files, programFolder);
  reply.said = CheckedRulesText(checked);
  if (std::any_of(checked.begin(), checked.end(),
                  [](const catalogue::rules::CheckedFile& file) { return !file.readable; })) {
    return kExitRulesUnreadable;
  }
  bool found = std::any_of(checked.begin(), checked.end(),
                           [](const catalogue::rules::CheckedFile& file) { return !file.findings.empty(); });
  return found ? kExitRulesFindings : kExitRulesClean;
}

// The run that a Ctrl+C or Ctrl+Break stops; the console calls its handler on a thread of its own.
std::atomic<run::CleanRun*> consoleRun{nullptr};

BOOL WINAPI ConsoleBreakHandler(DWORD event) { return StopOnConsoleBreak(event) ? TRUE : FALSE; }

// Lets the console's break stop the run for as long as the object lives.
class ConsoleBreakStopsRun {
 public:
  explicit ConsoleBreakStopsRun(run::CleanRun& run) {
    consoleRun.store(&run);
    SetConsoleCtrlHandler(ConsoleBreakHandler, TRUE);
  }
  ~ConsoleBreakStopsRun() {
    SetConsoleCtrlHandler(ConsoleBreakHandler, FALSE);
    consoleRun.store(nullptr);
  }
  ConsoleBreakStopsRun(const ConsoleBreakStopsRun&) = delete;
  ConsoleBreakStopsRun& operator=(const ConsoleBreakStopsRun&) = delete;
};

}  // namespace

bool StopOnConsoleBreak(unsigned long event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return false;
  run::CleanRun* run = consoleRun.load();
  if (!run) return false;
  run->Stop(run::StopReason::User);
  return true;
}

namespace {

// The exit code of an action on the cookie keep list; -1 for any other action.
int KeptSitesAction(const Arguments& arguments, const std::wstring& programFolder, Output& output, Reply& reply) {
  std::wstring_view typed = arguments.site;
  bool exactHost = platform::ToLower(typed.substr(0, 5)) == L"host:";
  if (exactHost) typed.remove_prefix(5);
  switch (arguments.action) {
    case Action::KeptSites: {
      std::vector<engine::KeptSite> sites = keeplists::LoadKeptSites(programFolder);
      output.out += arguments.json ? KeptSitesJson(sites) : ToUtf8(KeptSitesText(sites));
      reply.reported = true;
      return kExitDone;
    }
    case Action::KeepSite: {
      platform::Result<engine::KeptSite> kept = keeplists::KeepSite(programFolder, typed, exactHost);
      if (!kept) {
        reply.why = L"Not kept: " + kept.Reason() + L"\n";
        return kExitBadArguments;
      }
      // The line as the keep list holds it: an address or an international name is stored otherwise.
      const std::wstring line = engine::KeptSiteLine(*kept);
      reply.said = L"Kept: " + line + L"\n";
      reply.stored = ",\"kept\":" + Quote(line);
      return kExitDone;
    }
    case Action::UnkeepSite: {
      platform::Result<std::vector<std::wstring>> removed = keeplists::UnkeepSite(programFolder, typed);
      if (!removed) {
        reply.why = L"Not taken off: " + removed.Reason() + L"\n";
        return kExitBadArguments;
      }
      for (const std::wstring& line : *removed) reply.said += L"Taken off: " + line + L"\n";
      reply.stored = ",\"removed\":" + Strings(*removed);
      return kExitDone;
    }
    default: return -1;
  }
}

// --preview and --clean of the items the arguments choose, reported as they ask.
int CleanOrPreview(const Arguments& arguments, const std::wstring& programFolder, const run::ProcessValues& values,
                   Output& output, Reply& reply, const platform::ShutdownRequest& shutdown,
                   const std::function<bool()>& isAdministrator) {
  // Nothing to show and nothing to ask: the run reports through the returned report only.
  run::NullView view;
  run::CleanRun run(view, programFolder, values, catalogue::Stages());
  run.SetUsers(arguments.allUsers ? run::Users::Every : run::Users::Current);
  if (isAdministrator) run.SetAdministratorCheck(isAdministrator);
  if (arguments.only) {
    run.SetItemChoice(
        [&](const std::wstring& section, const std::wstring& key) { return IsChosen(arguments, section, key); });
  }

  // A selection nobody saved is not cleaned by surprise: what it would erase is named, and --yes
  // (or items named with --only) is needed to go on.
  bool unsavedClean = arguments.action == Action::Clean && !arguments.only && !arguments.yes &&
                      settings::SelectionUnsaved(settings::SettingsFile(programFolder));
  engine::RunReport preview;
  {
    ConsoleBreakStopsRun stopper(run);
    if (arguments.action == Action::Preview || unsavedClean) {
      preview = *run.Preview();
    } else {
      run.CleanNow(true);
    }
  }
  if (unsavedClean && !preview.stopped) {
    reply.why = UnsavedSelectionText(preview);
    return kExitSelectionUnsaved;
  }
  const engine::RunReport& report = arguments.action == Action::Preview || unsavedClean ? preview : run.LastReport();
  if (report.onlyCurrentUser) reply.why += engine::kOnlyCurrentUser + std::wstring(L"\n");
  if (arguments.json) {
    WriteReportJson(report, output);
  } else {
    WriteReportText(report, output);
  }
  reply.reported = true;
  if (report.stopped) return kExitStopped;
  // What a locked file left behind does not hold the shutdown back: the cleaning ran to its end.
  if (arguments.thenShutdown) {
    DWORD error = shutdown ? shutdown() : ERROR_NOT_SUPPORTED;
    if (error != ERROR_SUCCESS) {
      reply.why += platform::ShutdownRefusedText(error) + L"\n";
      return kExitShutdownRefused;
    }
  }
  bool leftBehind = arguments.action == Action::Clean && report.LeftSomethingBehind();
  return leftBehind ? kExitLeftBehind : kExitDone;
}

// The commands that read the selection or change its ticks; the others leave a program folder
// without a settings file as it is.
bool UsesSelection(Action action) {
  return action == Action::Preview || action == Action::Clean || action == Action::UpdateRules ||
         action == Action::AcceptRules;
}

// The exit code of the call, with what it says in `reply` unless it wrote its report or list.
int Answer(const std::vector<std::wstring>& args, const std::wstring& programFolder, const run::ProcessValues& values,
           Output& output, Reply& reply, const platform::ShutdownRequest& shutdown,
           const std::function<bool()>& isAdministrator) {
  platform::Result<Arguments> parsed = ParseArguments(args);
  if (!parsed) {
    reply.why = parsed.Reason() + L"\nTry trellwipe-cli --help.\n";
    return kExitBadArguments;
  }
  const Arguments& arguments = *parsed;
  if (arguments.action == Action::Help) {
    reply.said = HelpText();
    return kExitDone;
  }
  if (UsesSelection(arguments.action)) catalogue::InstallDefaultSelection(programFolder);
  if (int code = KeptSitesAction(arguments, programFolder, output, reply); code >= 0) return code;
  if (arguments.action == Action::CheckRules) return CheckRules(arguments, programFolder, reply);
  if (int code = RulesUpdateAction(arguments, programFolder, reply); code >= 0) return code;
  std::vector<ListedItem> items = ListItems(programFolder);
  if (arguments.action == Action::List) {
    output.out += arguments.json ? ListJson(items) : ToUtf8(ListText(items));
    reply.reported = true;
    return kExitDone;
  }
  for (const ItemName& name : arguments.chosen) {
    bool known = std::any_of(items.begin(), items.end(),
                             [&](const ListedItem& item) { return SameItem(name, item.section, item.key); });
    if (!known) {
      reply.why = L"Unknown item: " + name.section + L"/" + name.key + L" (see trellwipe-cli --list)\n";
      return kExitBadArguments;
    }
  }
  return CleanOrPreview(arguments, programFolder, values, output, reply, shutdown, isAdministrator);
}

}  // namespace

int Run(const std::vector<std::wstring>& args, const std::wstring& programFolder, const run::ProcessValues& values,
        Output& output, const platform::ShutdownRequest& shutdown, const std::function<bool()>& isAdministrator) {
  Reply reply;
  const int code = Answer(args, programFolder, values, output, reply, shutdown, isAdministrator);
  output.err += ToUtf8(reply.why);
  if (reply.reported) return code;
  // Arguments that do not parse may still ask for JSON.
  const bool json = std::find(args.begin(), args.end(), L"--json") != args.end();
  output.out += json ? ReplyJson(code, reply) : ToUtf8(reply.said);
  return code;
}

}  // namespace cli
