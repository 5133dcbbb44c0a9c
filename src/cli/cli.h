#pragma once
// trellwipe-cli: the cleaning run for scripts. Lists the items, previews or cleans the selection of
// the settings file (or the items named with --only) and reports as text or JSON. It never shows a
// window or waits for input.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/item_list.h"
#include "catalogue/rule_check.h"
#include "catalogue/rule_update.h"
#include "cli/reply.h"
#include "engine/cookie_sites.h"
#include "engine/run_report.h"
#include "platform/result.h"
#include "platform/shutdown.h"
#include "run/process_values.h"
#include "settings/policies.h"

namespace cli {

// What the program returns; the rule actions give their own figures.
enum ExitCode : int {
  kExitDone = 0,
  kExitBadArguments = 1,
  kExitLeftBehind = 2,
  kExitStopped = 3,
  // --clean of a selection the user never saved and no policy fixes exactly, without --only or --yes:
  // nothing was erased.
  kExitSelectionUnsaved = 4,
  // --then-shutdown after a cleaning: Windows refused to shut down.
  kExitShutdownRefused = 5,

  // --check-rules: the files read and nothing found, something found, or a file that cannot be read.
  kExitRulesClean = 0,
  kExitRulesFindings = 1,
  kExitRulesUnreadable = 2,

  // --update-rules, --accept and --undo-rules-update: done (for --update-rules alone: the download
  // waits for --accept), or nothing downloaded, installed or put back.
  kExitRulesNotUpdated = 2,

  // --check-translation: every entry translated and usable, something found, or a file that cannot be
  // read.
  kExitTranslationClean = 0,
  kExitTranslationFindings = 1,
  kExitTranslationUnreadable = 2,
};

enum class Action {
  None,
  Help,
  List,
  Preview,
  Clean,
  KeepSite,
  UnkeepSite,
  KeptSites,
  KeepPath,
  UnkeepPath,
  KeptPaths,
  CheckRules,
  UpdateRules,
  AcceptRules,
  UndoRulesUpdate,
  CheckTranslation
};

struct ItemName {
  std::wstring section;
  std::wstring key;
};

struct Arguments {
  Action action = Action::None;
  bool json = false;
  bool only = false;
  std::vector<ItemName> chosen;  // the items of --only
  bool yes = false;              // --yes: clean even a selection the user never saved
  bool thenShutdown = false;     // --then-shutdown: shut Windows down after the cleaning
  bool allUsers = false;         // --all-users: every user of the computer, not only the current one
  std::wstring site;             // of --keep-site and --unkeep-site
  std::wstring path;             // of --keep-path and --unkeep-path
  std::wstring ruleFile;         // of --check-rules; empty: the rule files the program reads
  std::wstring url;              // of --update-rules; empty: the address of the settings file
  bool accept = false;           // --accept: the downloaded rules go in place
  std::wstring translationFile;  // of --check-translation
};

// A failure with the message for unknown options, a missing or second action, a malformed --only,
// and --only, --yes, --then-shutdown, --all-users or --url beside an action they do not go with.
platform::Result<Arguments> ParseArguments(const std::vector<std::wstring>& args);
// The options that ask for an action, in the order the mistakes name them; an action's other
// spellings (-h, /?) are left out.
std::vector<std::wstring> ActionOptions();

using catalogue::ListedItem;
using catalogue::ListItems;

// Each item, "Set by your organisation" after the items a policy fixes, then each setting the
// policies fix with its value; the JSON has "setByOrganisation" for each item, and as an object with
// a member per fixed setting, and the values ignored as "ignoredPolicies".
std::wstring ListText(const std::vector<ListedItem>& items, const settings::Policies& policies);
std::string ListJson(const std::vector<ListedItem>& items, const settings::Policies& policies);

// The cookie keep list's sites, one a line ("example.com", or "mail.example.com (this host only)").
std::wstring KeptSitesText(const std::vector<engine::KeptSite>& sites);
std::string KeptSitesJson(const std::vector<engine::KeptSite>& sites);

std::wstring HelpText();

// The findings of --check-rules, file by file and line by line, and a summary.
std::wstring CheckedRulesText(const std::vector<catalogue::rules::CheckedFile>& files);

// What --update-rules downloaded: one line per entry it adds, removes or changes, with its marks, and
// the counts; or why nothing waits, and what stays in the program folder then.
std::wstring RulesDownloadText(const std::wstring& url, const catalogue::rules::RulesDownload& download,
                               const std::wstring& programFolder);

// What --check-translation found in a PO file: its completeness against the catalogue template
// (lang\trellwipe.pot beside the file, else in the program folder), entries missing, untranslated,
// fuzzy, with other placeholders or no longer in the catalogue, and the glossary's terms translated
// otherwise.
struct TranslationCheck {
  int code;
  std::wstring said;  // for the output
  std::wstring why;   // for the error output
};
TranslationCheck CheckTranslation(const std::wstring& file, const std::wstring& programFolder);

struct Output {
  std::string out;  // UTF-8
  std::string err;  // UTF-8
  // When set, takes the whole lines `out` holds whenever it has grown long, and leaves it the rest,
  // so that a report of a million files is written as it is made instead of being held whole.
  std::function<void(const std::string&)> drain;

  void Add(std::string_view text);
};

// The exit code of --keep-path, --unkeep-path or --kept-paths on the list of files and folders to
// keep, with what it said in `reply` or listed in `output`; -1 for any other action.
int KeptPathsAction(const Arguments& arguments, const std::wstring& programFolder, Output& output, Reply& reply);

void WriteReportText(const engine::RunReport& report, Output& output);
// UTF-8 JSON: the items with their paths, sizes, failures and totals, the run's totals and its
// estimated counters; and, as "overruledByOrganisation", what the command asked that a policy
// decided otherwise.
void WriteReportJson(const engine::RunReport& report, Output& output, const std::vector<std::wstring>& overruled = {});

// The console's Ctrl+C or Ctrl+Break: stops the run or preview that Run has under way, which then
// reports what went up to then and returns kExitStopped. False for other events, or outside a run.
bool StopOnConsoleBreak(unsigned long event);

// The whole program: `args` without the program's name; returns the exit code. With --json the
// output is one JSON document however the call ends: a report, a list, or, for any other answer, an
// object with "exitCode", the output's words as "message", the error output's as "reason", and what
// a command stored ("kept", "removed", "unticked"). A program folder without a settings file gets the
// selection of a new user only from a command that reads or changes the selection: --help, --list
// and the keep-list and rule-check commands write none. `shutdown` is asked
// once a --clean --then-shutdown has run to its end (not when stopped or never started); without
// one the request counts as refused.
// `isAdministrator` answers whether the program runs with administrator rights, which --all-users
// needs; without one the system is asked.
int Run(const std::vector<std::wstring>& args, const std::wstring& programFolder, const run::ProcessValues& values,
        Output& output, const platform::ShutdownRequest& shutdown = {},
        const std::function<bool()>& isAdministrator = {});

}  // namespace cli
