#include "cli/cli.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <tuple>

#include "catalogue/catalogue.h"
#include "catalogue/rules.h"
#include "cli/reply.h"
#include "keeplists/keep_list_file.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/languages.h"
#include "platform/text.h"
#include "platform/translation.h"
#include "run/clean_run.h"
#include "run/item_context.h"
#include "settings/item_flags.h"
#include "settings/options.h"
#include "settings/policies.h"

namespace cli {

using platform::ToUtf8;

namespace {

std::string Number(double value) { return ToUtf8(platform::FormatNumber(value)); }

std::string TotalsJson(const engine::ReportTotals& totals) {
  return "{\"files\":" + std::to_string(totals.files) + ",\"bytes\":" + Number(totals.bytes) +
         ",\"folders\":" + std::to_string(totals.folders) +
         ",\"registryEntries\":" + std::to_string(totals.registryEntries) +
         ",\"steps\":" + std::to_string(totals.steps) + ",\"leftBehind\":" + std::to_string(totals.leftBehind) +
         ",\"tooNew\":" + std::to_string(totals.tooNew) + ",\"keptSites\":" + std::to_string(totals.keptSites) +
         ",\"keptAddresses\":" + std::to_string(totals.keptAddresses) +
         ",\"keptPaths\":" + std::to_string(totals.keptPaths) + ",\"databases\":" + std::to_string(totals.databases) +
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

// Why a file is there: the rule line and the pattern that named it, or the item (`item`, quoted), which
// named it itself.
std::string ReasonJson(const engine::RunReport& report, std::uint32_t reason, const std::string& item) {
  if (reason == 0 || reason > report.reasons.size()) return ",\"reason\":" + item;
  const engine::RuleReason& named = report.reasons[reason - 1];
  if (named.pattern.empty()) return ",\"reason\":" + Quote(named.line);
  return ",\"reason\":" + Quote(named.line) + ",\"pattern\":" + Quote(named.pattern);
}

// The reasons of a list of folders, keys or values, one object each in the list's order.
std::string ReasonsJson(const engine::RunReport& report, size_t count, const engine::EntryReasons& reasons,
                        const std::string& item) {
  std::string json = "[";
  for (size_t i = 0; i < count; ++i)
    json += std::string(i ? ",{" : "{") + ReasonJson(report, reasons[i], item).substr(1) + "}";
  return json + "]";
}

// "files":[...],"folders":[...],"registryKeys":[...],"registryValues":[...], the files written as they
// come, as an item may have a million, each with its reason.
void WriteEntriesJson(const engine::RunReport& report, const engine::ItemReport& item, bool again, Output& output) {
  const engine::CountedEntries& counted = item.alreadyCounted;
  const engine::FileRecords& files = again ? counted.files : item.files;
  const std::string itemReason = Quote(item.section + L"/" + item.key);
  output.Add("\"files\":[");
  for (size_t f = 0; f < files.size(); ++f) {
    engine::FileRecord file = files[f];
    output.Add(std::string(f ? "," : "") + "{\"path\":" + Quote(file.path) + ",\"size\":" + Number(file.size) +
               ReasonJson(report, file.reason, itemReason) + "}");
  }
  const auto& [folders, keys, values] =
      again ? std::tie(counted.folders, counted.keys, counted.values) : std::tie(item.folders, item.keys, item.values);
  output.Add("],\"folders\":" + Strings(folders) + ",\"registryKeys\":" + Strings(keys) +
             ",\"registryValues\":" + Strings(values));
  if (again) return;
  output.Add(",\"folderReasons\":" + ReasonsJson(report, folders.size(), item.folderReasons, itemReason) +
             ",\"registryKeyReasons\":" + ReasonsJson(report, keys.size(), item.keyReasons, itemReason) +
             ",\"registryValueReasons\":" + ReasonsJson(report, values.size(), item.valueReasons, itemReason));
}

engine::ReportTotals ItemTotals(const engine::ItemReport& item) {
  engine::RunReport single;
  single.items.push_back(item);
  return single.Totals();
}

std::wstring UnsavedSelectionText(const engine::RunReport& preview) {
  std::wstring text = platform::Fill(
      platform::Tr(L"The selection in prisd.dat is the one Trellwipe ticked for a new user, and nobody has saved it. "
                   L"A cleaning would erase {summary}, in these items:\n"),
      {{L"summary", engine::ErasureSummary(preview.Totals())}});
  for (const engine::ItemReport& item : preview.items) {
    if (item.ErasesSomething()) text += L"    " + item.label + L" [" + item.section + L"/" + item.key + L"]\n";
  }
  return text + platform::Tr(
                    L"Nothing was erased. To clean these items run trellwipe-cli --clean --yes; to see every "
                    L"file and key first, trellwipe-cli --preview; to choose the items, save a selection in "
                    L"Trellwipe's Cleaning Settings or name them with --only.\n");
}

// "3 files, 1.20 MB, 2 folders, 5 registry entries, 1 step": a run's totals in the report's words.
std::wstring TotalsText(const engine::ReportTotals& totals) {
  using platform::FillCount;
  return FillCount(platform::TrPlural(L"{count} file", L"{count} files", totals.files), totals.files) + L", " +
         platform::Fill(platform::Tr(L"{mb} MB"), {{L"mb", platform::Megabytes(totals.bytes)}}) + L", " +
         FillCount(platform::TrPlural(L"{count} folder", L"{count} folders", totals.folders), totals.folders) + L", " +
         FillCount(platform::TrPlural(L"{count} registry entry", L"{count} registry entries", totals.registryEntries),
                   totals.registryEntries) +
         L", " + FillCount(platform::TrPlural(L"{count} step", L"{count} steps", totals.steps), totals.steps);
}

bool SameItem(const ItemName& name, const std::wstring& section, const std::wstring& key) {
  return platform::EqualsNoCase(name.section, section) && platform::EqualsNoCase(name.key, key);
}

bool IsChosen(const Arguments& arguments, const std::wstring& section, const std::wstring& key) {
  return std::any_of(arguments.chosen.begin(), arguments.chosen.end(),
                     [&](const ItemName& name) { return SameItem(name, section, key); });
}

}  // namespace

std::wstring ListText(const std::vector<ListedItem>& items, const settings::Policies& policies) {
  std::wstring text;
  for (const ListedItem& item : items) {
    std::wstring state = item.on ? platform::TrIn(L"item state", L"on") : platform::TrIn(L"item state", L"off");
    state.resize(std::max<size_t>(state.size() + 1, 5), L' ');  // a column: "on   ", "off  "
    text += state + item.section + L"/" + item.key + L"\t" + item.label +
            (item.fixed ? L"\t" + std::wstring(platform::Tr(settings::kSetByOrganisation)) : L"") + L"\n";
  }
  const std::wstring lead = platform::Tr(settings::kSetByOrganisation) + std::wstring(L": ");
  for (const auto& [name, number] : policies.numbers) text += lead + name + L" = " + std::to_wstring(number) + L"\n";
  for (const auto& [name, value] : policies.texts) text += lead + name + L" = " + value + L"\n";
  for (const auto& [name, entries] : policies.lists) {
    std::wstring joined;
    for (const std::wstring& entry : entries) joined += (joined.empty() ? L"" : L", ") + entry;
    text += lead + name + L" = " + joined + L"\n";
  }
  return text;
}

std::string ListJson(const std::vector<ListedItem>& items, const settings::Policies& policies) {
  std::string json = "{\"items\":[";
  for (size_t i = 0; i < items.size(); ++i) {
    const ListedItem& item = items[i];
    json += std::string(i ? "," : "") + "{\"section\":" + Quote(item.section) + ",\"key\":" + Quote(item.key) +
            ",\"label\":" + Quote(item.label) + ",\"on\":" + (item.on ? "true" : "false") +
            ",\"setByOrganisation\":" + (item.fixed ? "true" : "false") + "}";
  }
  // A member for each setting the organisation fixes, with its value.
  std::string fixed;
  auto add = [&](const std::wstring& name, const std::string& value) {
    if (!fixed.empty()) fixed += ',';
    fixed += Quote(name) + ":" + value;
  };
  for (const auto& [name, number] : policies.numbers) add(name, std::to_string(number));
  for (const auto& [name, value] : policies.texts) add(name, Quote(value));
  for (const auto& [name, entries] : policies.lists) add(name, Strings(entries));
  return json + "],\"setByOrganisation\":{" + fixed + "},\"ignoredPolicies\":" + Strings(policies.ignored) + "}\n";
}

void Output::Add(std::string_view text) {
  out += text;
  // A report of a million files is handed on in pieces rather than held whole, each ending with a
  // line, so that no character is cut in two between pieces.
  if (!drain || out.size() < (1 << 16)) return;
  const size_t end = out.rfind('\n');
  if (end == std::string::npos) return;
  drain(out.substr(0, end + 1));
  out.erase(0, end + 1);
}

void WriteReportText(const engine::RunReport& report, Output& output) {
  if (report.stopped) {
    output.Add(ToUtf8(platform::Tr(L"Stopped by Ctrl+C before the end: what follows is what went up to then.\n")));
  }
  auto writeItems = [&](size_t first, size_t end) {
    for (size_t at = first; at < end; ++at) {
      const engine::ItemReport& item = report.items[at];
      // A stop or a program not on this computer is said first; what was left behind the counts say.
      const std::wstring said = item.outcome.substr(0, item.outcome.find(L','));
      const std::wstring lead =
          said == platform::Tr(run::kStoppedOutcome) || !item.lookedFor.empty() ? said + L", " : std::wstring();
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
  text += platform::Fill(report.preview ? platform::Tr(L"Would erase: {figures}") : platform::Tr(L"Erased: {figures}"),
                         {{L"figures", TotalsText(totals)}});
  // What went inside databases that stay, which no file figure shows.
  if (totals.databases) {
    const std::optional<double> bytes = report.preview ? std::nullopt : std::optional(totals.databaseBytes);
    text += L", " + engine::DatabaseSummary(totals.databases, totals.databaseRows, bytes);
  }
  text += platform::Fill(platform::Tr(L"; left behind: {left}; too new: {new}"),
                         {{L"left", std::to_wstring(totals.leftBehind)}, {L"new", std::to_wstring(totals.tooNew)}});
  if (std::wstring kept = engine::KeptSummary(totals); !kept.empty()) text += L"; " + kept;
  text += L"\n";
  text +=
      platform::Fill(platform::Tr(L"Estimated counters: Cleaned Registry Keys: {keys}, Released HD Space: {mb}MB\n"),
                     {{L"keys", platform::FormatNumber(totals.estimatedKeys)},
                      {L"mb", platform::Megabytes(totals.estimatedBytes)}});
  output.Add(ToUtf8(text));
}

void WriteReportJson(const engine::RunReport& report, Output& output, const std::vector<std::wstring>& overruled) {
  output.Add(std::string("{\"mode\":") + (report.preview ? "\"preview\"" : "\"clean\"") +
             ",\"stopped\":" + (report.stopped ? "true" : "false") + ",\"items\":[");
  for (size_t i = 0; i < report.items.size(); ++i) {
    const engine::ItemReport& item = report.items[i];
    output.Add(std::string(i ? "," : "") + "{\"section\":" + Quote(item.section) + ",\"key\":" + Quote(item.key) +
               ",\"label\":" + Quote(item.label) + ",\"outcome\":" + Quote(item.outcome) + ",");
    WriteEntriesJson(report, item, false, output);
    // What earlier items of the run counted already: no figure counts it again.
    output.Add(",\"alreadyCounted\":{");
    WriteEntriesJson(report, item, true, output);
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
             ",\"ignoredPolicies\":" + Strings(report.ignoredPolicies) +
             (overruled.empty() ? "" : ",\"overruledByOrganisation\":" + Strings(overruled)) +
             ",\"totals\":" + TotalsJson(totals) +
             ",\"estimated\":" + EstimatedJson(totals.estimatedKeys, totals.estimatedBytes) + "}\n");
}

std::wstring KeptSitesText(const std::vector<engine::KeptSite>& sites) {
  std::wstring text;
  for (const engine::KeptSite& site : sites) {
    text += site.name + (site.exactHost ? platform::Tr(L" (this host only)") : L"") + L"\n";
  }
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

namespace {

// Installs the pending rules and says what that unticked.
int AcceptRules(const std::wstring& programFolder, Reply& reply) {
  catalogue::rules::RulesAcceptance acceptance = catalogue::rules::AcceptPendingRules(programFolder);
  if (!acceptance.installed) {
    reply.why +=
        platform::Fill(platform::Tr(L"Nothing was installed: {problem}.\n"), {{L"problem", acceptance.problem}});
    return kExitRulesNotUpdated;
  }
  reply.said += platform::Tr(
      L"winapp2.ini.new is in place as winapp2.ini; the previous copy is winapp2.ini.bak "
      L"(trellwipe-cli --undo-rules-update puts it back).\n");
  if (!acceptance.unticked.empty()) {
    reply.said +=
        platform::Tr(L"Unticked, as their new form erases more (tick them again on the Rules tab after a look):\n");
    for (const std::wstring& name : acceptance.unticked) reply.said += L"  " + name + L"\n";
  }
  reply.stored += ",\"unticked\":" + Strings(acceptance.unticked);
  return kExitDone;
}

// --update-rules, --accept and --undo-rules-update; -1 for any other action.
int RulesUpdateAction(const Arguments& arguments, const std::wstring& programFolder, Reply& reply) {
  const bool fetches = arguments.action == Action::UpdateRules || arguments.action == Action::AcceptRules;
  if (fetches && settings::RulesUpdateOff(settings::PoliciesInForce())) {
    reply.why = platform::Tr(settings::kRulesUpdateOff) + std::wstring(L"\n");
    return kExitRulesNotUpdated;
  }
  if (arguments.action == Action::UpdateRules) {
    // The organisation's mirror is used whatever address the command names.
    const bool own = arguments.url.empty() || settings::RulesMirror(settings::PoliciesInForce());
    const std::wstring url = own ? catalogue::rules::CommunityAddress(programFolder) : arguments.url;
    catalogue::rules::RulesDownload download = catalogue::rules::DownloadCommunityRules(programFolder, url);
    const bool failed = !download.pending && !download.problem.empty();
    (failed ? reply.why : reply.said) += RulesDownloadText(url, download, programFolder);
    if (failed) return kExitRulesNotUpdated;
    if (!download.pending) return kExitDone;
    if (arguments.accept) return AcceptRules(programFolder, reply);
    reply.said += platform::Tr(L"Nothing is installed yet: trellwipe-cli --accept puts winapp2.ini.new in place.\n");
    return kExitDone;
  }
  if (arguments.action == Action::AcceptRules) return AcceptRules(programFolder, reply);
  if (arguments.action != Action::UndoRulesUpdate) return -1;
  if (platform::Result<void> undone = catalogue::rules::UndoRulesUpdate(programFolder); !undone) {
    reply.why = platform::Fill(platform::Tr(L"Nothing was restored: {reason}.\n"), {{L"reason", undone.Reason()}});
    return kExitRulesNotUpdated;
  }
  reply.said = platform::Tr(L"winapp2.ini.bak is back in place as winapp2.ini.\n");
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
    reply.why = platform::Tr(L"No rule file found: neither winapp2.ini nor a rules folder beside the program.\n");
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
        reply.why = platform::Fill(platform::Tr(L"Not kept: {reason}"), {{L"reason", kept.Reason()}}) + L"\n";
        return kExitBadArguments;
      }
      // The line as the keep list holds it: an address or an international name is stored otherwise.
      const std::wstring line = engine::KeptSiteLine(*kept);
      reply.said = platform::Fill(platform::Tr(L"Kept: {line}"), {{L"line", line}}) + L"\n";
      reply.stored = ",\"kept\":" + Quote(line);
      return kExitDone;
    }
    case Action::UnkeepSite: {
      platform::Result<std::vector<std::wstring>> removed = keeplists::UnkeepSite(programFolder, typed);
      if (!removed) {
        reply.why = platform::Fill(platform::Tr(L"Not taken off: {reason}"), {{L"reason", removed.Reason()}}) + L"\n";
        return kExitBadArguments;
      }
      for (const std::wstring& line : *removed) {
        reply.said += platform::Fill(platform::Tr(L"Taken off: {line}"), {{L"line", line}}) + L"\n";
      }
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
  // (or items named with --only) is needed to go on. A selection the organisation fixes is its saved
  // choice.
  bool unsavedClean = arguments.action == Action::Clean && !arguments.only && !arguments.yes &&
                      settings::SelectionAwaitsUser(settings::SettingsFile(programFolder));
  engine::RunReport preview;
  {
    ConsoleBreakStopsRun stopper(run);
    if (arguments.action == Action::Preview || unsavedClean) {
      preview = *run.Preview();
    } else {
      run.CleanNow(run::RunEnd::Notification, run::Trigger::Console);
    }
  }
  if (unsavedClean && !preview.stopped) {
    reply.why = UnsavedSelectionText(preview);
    return kExitSelectionUnsaved;
  }
  const engine::RunReport& report = arguments.action == Action::Preview || unsavedClean ? preview : run.LastReport();
  if (report.onlyCurrentUser) reply.why += platform::Tr(engine::kOnlyCurrentUser) + std::wstring(L"\n");
  if (arguments.json) {
    WriteReportJson(report, output, reply.overruled);
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

// What the arguments ask that the organisation's policies decide otherwise, said rather than passed over.
std::vector<std::wstring> Overruled(const Arguments& arguments, const settings::Policies& policies) {
  std::vector<std::wstring> overruled;
  const std::wstring lead = platform::Tr(settings::kSetByOrganisation) + std::wstring(L": ");
  if (arguments.allUsers && policies.Number(L"AllUsers") == 0u) {
    overruled.push_back(
        lead + platform::Tr(L"AllUsers = 0, so --all-users is not followed: only the current user is cleaned."));
  }
  if (std::optional<std::wstring> mirror = settings::RulesMirror(policies); mirror && !arguments.url.empty()) {
    overruled.push_back(
        lead + platform::Fill(platform::Tr(L"RulesUpdateUrl = {url}, so --url is not followed."), {{L"url", *mirror}}));
  }
  return overruled;
}

// The exit code of the call, with what it says in `reply` unless it wrote its report or list.
int Answer(const std::vector<std::wstring>& args, const std::wstring& programFolder, const run::ProcessValues& values,
           Output& output, Reply& reply, const platform::ShutdownRequest& shutdown,
           const std::function<bool()>& isAdministrator) {
  platform::Result<Arguments> parsed = ParseArguments(args);
  if (!parsed) {
    reply.why = parsed.Reason() + L"\n" + platform::Tr(L"Try trellwipe-cli --help.\n");
    return kExitBadArguments;
  }
  const Arguments& arguments = *parsed;
  reply.overruled = Overruled(arguments, settings::PoliciesInForce());
  for (const std::wstring& overruled : reply.overruled) reply.why += overruled + L"\n";
  if (arguments.action == Action::Help) {
    reply.said = HelpText();
    return kExitDone;
  }
  if (UsesSelection(arguments.action)) catalogue::InstallDefaultSelection(programFolder);
  if (int code = KeptSitesAction(arguments, programFolder, output, reply); code >= 0) return code;
  if (int code = KeptPathsAction(arguments, programFolder, output, reply); code >= 0) return code;
  if (arguments.action == Action::CheckRules) return CheckRules(arguments, programFolder, reply);
  if (arguments.action == Action::CheckTranslation) {
    TranslationCheck checked = CheckTranslation(arguments.translationFile, programFolder);
    reply.said = checked.said;
    reply.why = checked.why;
    return checked.code;
  }
  if (int code = RulesUpdateAction(arguments, programFolder, reply); code >= 0) return code;
  std::vector<ListedItem> items = ListItems(programFolder);
  if (arguments.action == Action::List) {
    const settings::Policies& policies = settings::PoliciesInForce();
    output.out += arguments.json ? ListJson(items, policies) : ToUtf8(ListText(items, policies));
    reply.reported = true;
    return kExitDone;
  }
  for (const ItemName& name : arguments.chosen) {
    bool known = std::any_of(items.begin(), items.end(),
                             [&](const ListedItem& item) { return SameItem(name, item.section, item.key); });
    if (!known) {
      reply.why = platform::Fill(platform::Tr(L"Unknown item: {item} (see trellwipe-cli --list)\n"),
                                 {{L"item", name.section + L"/" + name.key}});
      return kExitBadArguments;
    }
  }
  return CleanOrPreview(arguments, programFolder, values, output, reply, shutdown, isAdministrator);
}

}  // namespace

int Run(const std::vector<std::wstring>& args, const std::wstring& programFolder, const run::ProcessValues& values,
        Output& output, const platform::ShutdownRequest& shutdown, const std::function<bool()>& isAdministrator) {
  // A JSON document is read by scripts: it stays English whatever language the user reads.
  const bool json = std::find(args.begin(), args.end(), L"--json") != args.end();
  platform::UseLanguage(programFolder, json ? platform::kEnglish : settings::StartLanguage(programFolder));
  Reply reply;
  const int code = Answer(args, programFolder, values, output, reply, shutdown, isAdministrator);
  // The policy values ignored are said once, whatever the command.
  for (const std::wstring& ignored : settings::PoliciesInForce().ignored) output.err += ToUtf8(ignored + L"\n");
  output.err += ToUtf8(reply.why);
  if (reply.reported) return code;
  // Arguments that do not parse may still ask for JSON.
  output.out += json ? ReplyJson(code, reply) : ToUtf8(reply.said);
  return code;
}

}  // namespace cli
