// The options trellwipe-cli takes, as one table: what each asks for, and the help that names them.
#include <array>
#include <string_view>

#include "cli/cli.h"
#include "platform/translation.h"

namespace cli {

namespace {

// The arguments after --keep-site, --keep-path, --check-rules, --url and --only.
using TakeArgument = platform::Result<void> (*)(Arguments& parsed, const std::wstring& argument);

platform::Result<void> TakeSite(Arguments& parsed, const std::wstring& site) {
  parsed.site = site;
  return {};
}

platform::Result<void> TakePath(Arguments& parsed, const std::wstring& path) {
  parsed.path = path;
  return {};
}

platform::Result<void> TakeRuleFile(Arguments& parsed, const std::wstring& file) {
  parsed.ruleFile = file;
  return {};
}

platform::Result<void> TakeTranslationFile(Arguments& parsed, const std::wstring& file) {
  parsed.translationFile = file;
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
      return platform::Failure{
          platform::Fill(platform::Tr(L"Not an item name: \"{name}\" (expected SECTION/KEY, see --list)."),
                         {{L"name", name}})};
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
  // The mistake when the argument after it is missing, looked up where it is told; none: it may be.
  const wchar_t* needed = nullptr;
};

// The actions in the order the mistakes name them.
const Option kOptions[] = {
    {L"--list", Action::List},
    {L"--preview", Action::Preview},
    {L"--clean", Action::Clean},
    {L"--keep-site", Action::KeepSite, nullptr, TakeSite,
     platform::TrLater(
         L"--keep-site needs a site: --keep-site example.com (host:mail.example.com for that host only)")},
    {L"--unkeep-site", Action::UnkeepSite, nullptr, TakeSite,
     platform::TrLater(
         L"--unkeep-site needs a site: --unkeep-site example.com (host:mail.example.com for that host only)")},
    {L"--kept-sites", Action::KeptSites},
    {L"--keep-path", Action::KeepPath, nullptr, TakePath,
     platform::TrLater(L"--keep-path needs a file or folder: --keep-path \"{path}\"")},
    {L"--unkeep-path", Action::UnkeepPath, nullptr, TakePath,
     platform::TrLater(L"--unkeep-path needs a file or folder: --unkeep-path \"{path}\"")},
    {L"--kept-paths", Action::KeptPaths},
    {L"--check-rules", Action::CheckRules, nullptr, TakeRuleFile},
    {L"--update-rules", Action::UpdateRules},
    {L"--check-translation", Action::CheckTranslation, nullptr, TakeTranslationFile,
     platform::TrLater(L"--check-translation needs a file: --check-translation {file}")},
    {L"--accept", Action::None, &Arguments::accept},
    {L"--undo-rules-update", Action::UndoRulesUpdate},
    {L"--url", Action::None, nullptr, TakeUrl,
     platform::TrLater(L"--url needs an address: --update-rules --url https://example.com/winapp2.ini")},
    {L"--help", Action::Help},
    {L"-h", Action::Help},
    {L"/?", Action::Help},
    {L"--json", Action::None, &Arguments::json},
    {L"--yes", Action::None, &Arguments::yes},
    {L"--then-shutdown", Action::None, &Arguments::thenShutdown},
    {L"--all-users", Action::None, &Arguments::allUsers},
    {L"--only", Action::None, &Arguments::only, TakeItemNames,
     platform::TrLater(L"--only needs a list of items: --only SECTION/KEY[,SECTION/KEY...]")},
};

// The options that ask for an action, as a list a sentence ends with ("--list, ... and --help").
std::wstring ActionNames(const wchar_t* lastJoin) {
  const std::vector<std::wstring> names = ActionOptions();
  std::wstring text;
  for (size_t i = 0; i < names.size(); ++i) {
    text += (i == 0 ? L"" : i + 1 == names.size() ? L" " + std::wstring(lastJoin) + L" " : L", ") + names[i];
  }
  return text;
}

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
      return platform::Failure{platform::Fill(platform::Tr(L"Only one of {actions} may be given ({option})."),
                                              {{L"actions", ActionNames(platform::TrIn(L"the last of a list", L"and"))},
                                               {L"option", option.name}})};
    }
    parsed.action = option.action;
  }
  if (option.flag) parsed.*option.flag = true;
  if (!option.take) return {};
  if (at + 1 >= args.size() || args[at + 1].rfind(L"--", 0) == 0) {
    if (!option.needed) return {};
    // The examples are paths, whose backslashes no translator needs to copy.
    return platform::Failure{
        platform::Fill(platform::Tr(option.needed),
                       {{L"path", L"C:\\Users\\anna\\Documents\\report.txt"}, {L"file", L"lang\\de.po"}})};
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
      {parsed.only, {Action::Preview, Action::Clean}, platform::TrLater(L"--only goes with --preview or --clean.")},
      {parsed.yes, {Action::Clean, Action::Clean}, platform::TrLater(L"--yes goes with --clean.")},
      {parsed.allUsers,
       {Action::Preview, Action::Clean},
       platform::TrLater(L"--all-users goes with --preview or --clean.")},
      {parsed.thenShutdown, {Action::Clean, Action::Clean}, platform::TrLater(L"--then-shutdown goes with --clean.")},
      {parsed.accept,
       {Action::UpdateRules, Action::AcceptRules},
       platform::TrLater(L"--accept goes with --update-rules, or alone for the rules downloaded before.")},
      {!parsed.url.empty(),
       {Action::UpdateRules, Action::UpdateRules},
       platform::TrLater(L"--url goes with --update-rules.")},
  };
  for (const auto& pairing : pairings) {
    if (pairing.given && parsed.action != pairing.with[0] && parsed.action != pairing.with[1]) {
      return pairing.mistake;
    }
  }
  return nullptr;
}

}  // namespace

std::vector<std::wstring> ActionOptions() {
  std::vector<std::wstring> names;
  for (const Option& option : kOptions) {
    if (option.action != Action::None && std::wstring_view(option.name).starts_with(L"--")) {
      names.push_back(option.name);
    }
  }
  return names;
}

platform::Result<Arguments> ParseArguments(const std::vector<std::wstring>& args) {
  Arguments parsed;
  for (size_t at = 0; at < args.size(); ++at) {
    const Option* option = FindOption(args[at]);
    if (!option)
      return platform::Failure{
          platform::Fill(platform::Tr(L"Unknown argument: {argument}"), {{L"argument", args[at]}})};
    if (platform::Result<void> applied = Apply(*option, args, at, parsed); !applied) {
      return platform::Failure{applied.Reason()};
    }
  }
  if (parsed.accept && parsed.action == Action::None) parsed.action = Action::AcceptRules;
  if (parsed.action == Action::None) {
    return platform::Failure{platform::Fill(platform::Tr(L"Nothing to do: give {actions}."),
                                            {{L"actions", ActionNames(platform::TrIn(L"the last of a list", L"or"))}})};
  }
  if (const wchar_t* mistake = PairingMistake(parsed)) return platform::Failure{platform::Tr(mistake)};
  return parsed;
}

namespace {

constexpr const wchar_t* kHelpText = platform::TrLater(
    L"Usage: trellwipe-cli (--preview | --clean [--yes] [--then-shutdown]) [--only SECTION/KEY[,...]]\n"
    L"                     [--all-users] [--json]\n"
    L"       trellwipe-cli (--list | --help) [--json]\n"
    L"       trellwipe-cli (--keep-site SITE | --unkeep-site SITE | --kept-sites [--json])\n"
    L"       trellwipe-cli (--keep-path PATH | --unkeep-path PATH | --kept-paths [--json])\n"
    L"       trellwipe-cli --check-rules [FILE]\n"
    L"       trellwipe-cli (--update-rules [--url URL] [--accept] | --accept | --undo-rules-update)\n"
    L"       trellwipe-cli --check-translation FILE\n"
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
    L"  --keep-path     keeps a file, or a folder with everything in it, from every\n"
    L"                  cleaning, under any name or link that reaches it\n"
    L"  --unkeep-path   takes a file or folder off the files and folders to keep; the\n"
    L"                  next cleaning takes it again\n"
    L"  --kept-paths    the files and folders to keep, each with where it was kept from\n"
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
    L"  --check-translation  checks a translator's PO file against lang\\trellwipe.pot:\n"
    L"                  what is missing, untranslated, fuzzy, has other placeholders or\n"
    L"                  is no longer used, and the program's terms translated otherwise\n"
    L"                  than the file's glossary; exit code 0 nothing found, 1 findings,\n"
    L"                  2 unreadable\n"
    L"\n"
    L"Exit codes: 0 done, 1 bad arguments, 2 cleaned but some item left something behind\n"
    L"(what the keep lists keep is kept, not left behind), 3 stopped by Ctrl+C before the\n"
    L"end, 4 nothing cleaned: the selection was never saved (a selection an organisation\n"
    L"fixes exactly counts as saved) and --yes was not given, 5 cleaned but Windows\n"
    L"refused to shut down.\n");

}  // namespace

std::wstring HelpText() { return platform::Tr(kHelpText); }

}  // namespace cli
