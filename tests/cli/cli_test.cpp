#include "cli/cli.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <set>
#include <thread>

#include "keeplists/keep_list_file.h"
#include "platform/handles.h"
#include "platform/languages.h"
#include "platform/shutdown.h"
#include "platform/text.h"
#include "settings/inifun.h"
#include "settings/item_flags.h"
#include "settings/options.h"
#include "shipped_plugins.h"
#include "shipped_rules.h"
#include "shipped_translations.h"
#include "support/cookie_databases.h"
#include "support/loopback_server.h"
#include "support/mini_json.h"
#include "support/policy_keys.h"
#include "support/seeded_profile.h"
#include "support/snapshot.h"

using namespace testing_support;

namespace {

struct Call {
  int code = -1;
  cli::Output output;
};

// The shutdown requests of the calls, answered with `answer`: a test never shuts the machine down.
struct ShutdownRecorder {
  DWORD answer = ERROR_SUCCESS;
  int asked = 0;
  platform::ShutdownRequest Request() {
    return [this] {
      ++asked;
      return answer;
    };
  }
};

Call RunCli(SeededProfile& profile, std::vector<std::wstring> args, const platform::ShutdownRequest& shutdown = {}) {
  Call call;
  call.code = cli::Run(args, profile.program.Path(), profile.values, call.output, shutdown);
  return call;
}

// The one JSON document the call wrote; a failure that shows what it wrote instead.
Json OneDocument(const Call& call) {
  try {
    return JsonReader::Parse(call.output.out);
  } catch (const std::exception& error) {
    ADD_FAILURE() << error.what() << " in \"" << call.output.out << "\"";
    return {};
  }
}

}  // namespace

TEST(CliArguments, OneActionIsNeededAndEveryMistakeIsAClearError) {
  platform::Result<cli::Arguments> parsed =
      cli::ParseArguments({L"--preview", L"--json", L"--only", L"FIREFOX/cache,Custom/Custom"});
  ASSERT_TRUE(parsed) << parsed.Reason();
  EXPECT_EQ(parsed->action, cli::Action::Preview);
  EXPECT_TRUE(parsed->json);
  ASSERT_EQ(parsed->chosen.size(), 2u);
  EXPECT_EQ(parsed->chosen[1].section, L"Custom");
  EXPECT_EQ(parsed->chosen[1].key, L"Custom");
  // The action options as a sentence ends with them: "--list, --preview, ... and --help".
  const std::vector<std::wstring> actions = cli::ActionOptions();
  ASSERT_GE(actions.size(), 2u);
  auto listed = [&actions](const std::wstring& lastJoin) {
    std::wstring text = actions.front();
    for (size_t i = 1; i + 1 < actions.size(); ++i) text += L", " + actions[i];
    return text + L" " + lastJoin + L" " + actions.back();
  };
  const std::wstring kOneAction = L"Only one of " + listed(L"and") + L" may be given (";
  const std::wstring kNothingToDo = L"Nothing to do: give " + listed(L"or") + L".";
  const std::wstring kOnlyNeeds = L"--only needs a list of items: --only SECTION/KEY[,SECTION/KEY...]";
  const std::wstring kSiteExample = L" example.com (host:mail.example.com for that host only)";
  const struct {
    std::vector<std::wstring> args;
    std::wstring mistake;
  } kWrong[] = {
      {{}, kNothingToDo},
      {{L"--json"}, kNothingToDo},
      {{L"--clean", L"--preview"}, kOneAction + L"--preview)."},
      {{L"--clean", L"--only"}, kOnlyNeeds},
      {{L"--clean", L"--only", L"--json"}, kOnlyNeeds},
      {{L"--clean", L"--only", L"FIREFOX", L"--force"},
       L"Not an item name: \"FIREFOX\" (expected SECTION/KEY, see --list)."},
      {{L"--clean", L"--only", L"FIREFOX/cache,"}, L"Not an item name: \"\" (expected SECTION/KEY, see --list)."},
      {{L"--list", L"--only", L"FIREFOX/cache"}, L"--only goes with --preview or --clean."},
      {{L"--clean", L"--force"}, L"Unknown argument: --force"},
      {{L"--preview", L"--yes"}, L"--yes goes with --clean."},
      {{L"--preview", L"--then-shutdown"}, L"--then-shutdown goes with --clean."},
      {{L"--list", L"--all-users"}, L"--all-users goes with --preview or --clean."},
      {{L"--keep-site"}, L"--keep-site needs a site: --keep-site" + kSiteExample},
      {{L"--unkeep-site", L"--json"}, L"--unkeep-site needs a site: --unkeep-site" + kSiteExample},
      {{L"--keep-site", L"example.com", L"--kept-sites"}, kOneAction + L"--kept-sites)."},
      {{L"--keep-path", L"--json"},
       L"--keep-path needs a file or folder: --keep-path \"C:\\Users\\anna\\Documents\\report.txt\""},
      {{L"-h", L"/?"}, kOneAction + L"/?)."},
      {{L"--update-rules", L"--url"}, L"--url needs an address: --update-rules --url https://example.com/winapp2.ini"},
      {{L"--list", L"--url", L"http://127.0.0.1/winapp2.ini"}, L"--url goes with --update-rules."},
      {{L"--update-rules", L"--undo-rules-update"}, kOneAction + L"--undo-rules-update)."},
      {{L"--list", L"--accept"}, L"--accept goes with --update-rules, or alone for the rules downloaded before."},
      {{L"--accept", L"--url", L"http://127.0.0.1/winapp2.ini"}, L"--url goes with --update-rules."},
  };
  for (const auto& wrong : kWrong) {
    platform::Result<cli::Arguments> refused = cli::ParseArguments(wrong.args);
    ASSERT_FALSE(refused) << wrong.args.size();
    EXPECT_EQ(refused.Reason(), wrong.mistake);
  }
}

TEST(Cli, BadArgumentsAndUnknownItemsExitWith1AndTouchNothing) {
  SeededProfile profile;
  std::wstring before = FolderSnapshot(profile.root.Path());
  Call unknown = RunCli(profile, {L"--clean", L"--only", L"FIREFOX/cache,Nowhere/nothing"});
  EXPECT_EQ(unknown.code, cli::kExitBadArguments);
  EXPECT_NE(unknown.output.err.find("Unknown item: Nowhere/nothing"), std::string::npos);
  EXPECT_TRUE(unknown.output.out.empty());
  Call bad = RunCli(profile, {L"--clean", L"--verbose"});
  EXPECT_EQ(bad.code, cli::kExitBadArguments);
  EXPECT_NE(bad.output.err.find("Unknown argument: --verbose"), std::string::npos);
  EXPECT_EQ(FolderSnapshot(profile.root.Path()), before);
  EXPECT_EQ(settings::inifun::ReadIniValue(profile.Settings(), L"Options", L"lastclean"), L"");
  Call help = RunCli(profile, {L"--help"});
  EXPECT_EQ(help.code, cli::kExitDone);
  EXPECT_NE(help.output.out.find("Exit codes: 0 done, 1 bad arguments, 2"), std::string::npos);
}

// With German chosen the console speaks German; a JSON document, which scripts read, stays English.
TEST(Cli, SpeaksTheLanguageChosenButItsJsonStaysEnglish) {
  SeededProfile profile;
  WriteText(profile.program / L"lang\\de.po", ShippedLanguage(L"de.po"));
  settings::inifun::WriteIniValue(profile.Settings(), L"Options", settings::kLanguageKey, L"de");
  struct EnglishAfterwards {
    ~EnglishAfterwards() { platform::UseLanguage(L"", platform::kEnglish); }
  } english;
  Call told = RunCli(profile, {L"--clean", L"--verbose"});
  EXPECT_EQ(told.output.err, platform::ToUtf8(L"Unbekanntes Argument: --verbose\nSiehe trellwipe-cli --help.\n"));
  Call help = RunCli(profile, {L"--help"});
  EXPECT_NE(help.output.out.find(platform::ToUtf8(L"Exit-Codes: 0 erledigt")), std::string::npos);
  // A rule file's findings are whole sentences of the language, the file's own names left as written.
  WriteText(profile.root / L"odd.ini",
            "[Odd *]\r\nDetectFile=%WinDir%\r\nColour=blue\r\nRegKey1=HKCU\\Software\\Odd\r\n");
  const std::string rules = RunCli(profile, {L"--check-rules", profile.root / L"odd.ini"}).output.out;
  EXPECT_NE(rules.find(platform::ToUtf8(L"  Zeile 3 [Odd *]: unbekannter Schlüssel \"Colour\": ignoriert\n")),
            std::string::npos)
      << rules;
  EXPECT_NE(rules.find(platform::ToUtf8(L"; 1 unbekannter Schlüssel\n")), std::string::npos) << rules;
  // A cleaning's line for each file, and why a file stayed, read German too.
  platform::FileHandle held(
      CreateFileW(profile.customFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  const std::string clean = RunCli(profile, {L"--clean", L"--only", L"Custom/Custom"}).output.out;
  for (const std::wstring& line : {L"    Datei gelöscht: " + profile.customFolder + L"\\a.doc (10 Bytes)\n",
                                   L"    Zurückgelassen (in Benutzung): " + profile.customFile + L"\n"}) {
    EXPECT_NE(clean.find(platform::ToUtf8(line)), std::string::npos) << clean;
  }
  Json json = OneDocument(RunCli(profile, {L"--clean", L"--verbose", L"--json"}));
  if (json.type != Json::Type::Object) return;
  EXPECT_EQ(json["exitCode"].number, cli::kExitBadArguments);
  EXPECT_EQ(json["reason"].text, "Unknown argument: --verbose\nTry trellwipe-cli --help.");
}

TEST(Cli, ListShowsEverySectionKeyLabelAndSwitch) {
  SeededProfile profile;
  Call list = RunCli(profile, {L"--list", L"--json"});
  ASSERT_EQ(list.code, cli::kExitDone);
  Json json = JsonReader::Parse(list.output.out);
  const Json& items = json["items"];
  ASSERT_GT(items.size(), 140u);
  EXPECT_EQ(items[0]["section"].text, "EXPLORER");
  EXPECT_EQ(items[0]["key"].text, "location");
  EXPECT_EQ(items[0]["label"].text, "IE Location Bar History");
  EXPECT_FALSE(items[0]["on"].boolean);
  size_t on = 0;
  for (const Json& item : items.items) on += item["on"].boolean;
  EXPECT_EQ(on, std::size(SeededProfile::kItems) + 1);  // and the ticked plug-in
  EXPECT_EQ(items[items.size() - 1]["section"].text, "plus-in");
  EXPECT_EQ(items[items.size() - 1]["key"].text, "Tool");
  Call text = RunCli(profile, {L"--list"});
  EXPECT_NE(text.output.out.find("on   Chrome/Cache\tChrome Cache\n"), std::string::npos);
  EXPECT_NE(text.output.out.find("off  Chrome/Cookies\tChrome Cookies\n"), std::string::npos);
}

// With every shipped plug-in and rule beside the built-in items, each line is named once, and the name
// --only takes is the line's own.
TEST(Cli, EveryListedNameIsUniqueAndTypesBackWithOnly) {
  SeededProfile profile;
  for (const ShippedFile& file : kShippedPlugins)
    WriteText(catalogue::plugins::PluginFolder(profile.program.Path()) + L"\\" + file.fileName, file.text);
  for (const ShippedFile& file : kShippedRules)
    WriteText(profile.program / (L"rules\\" + std::wstring(file.fileName)), file.text);
  Call list = RunCli(profile, {L"--list", L"--json"});
  ASSERT_EQ(list.code, cli::kExitDone);
  const Json json = OneDocument(list);
  std::set<std::string> labels, names;
  for (const Json& item : json["items"].items) {
    EXPECT_TRUE(labels.insert(item["label"].text).second) << item["label"].text;
    EXPECT_TRUE(names.insert(item["section"].text + "/" + item["key"].text).second) << item["key"].text;
  }
  EXPECT_TRUE(labels.count("Chrome Cache") && labels.count("Chrome Cache (plug-in)"));
  EXPECT_EQ(RunCli(profile, {L"--preview", L"--only", L"plus-in/Chrome Cache"}).code, cli::kExitDone);
}

TEST(Cli, JsonReportParsesAndItsTotalsMatchItsItems) {
  SeededProfile profile;
  std::wstring before = FolderSnapshot(profile.root.Path());
  Call preview = RunCli(profile, {L"--preview", L"--json"});
  ASSERT_EQ(preview.code, cli::kExitDone) << preview.output.err;
  EXPECT_EQ(FolderSnapshot(profile.root.Path()), before);
  Json json = JsonReader::Parse(preview.output.out);
  EXPECT_EQ(json["mode"].text, "preview");
  double files = 0, bytes = 0, entries = 0, keys = 0, estimatedBytes = 0;
  for (const Json& item : json["items"].items) {
    double itemBytes = 0;
    for (const Json& file : item["files"].items) itemBytes += file["size"].number;
    EXPECT_EQ(item["totals"]["files"].number, item["files"].size());
    EXPECT_EQ(item["totals"]["bytes"].number, itemBytes);
    EXPECT_EQ(item["totals"]["registryEntries"].number, item["registryKeys"].size() + item["registryValues"].size());
    files += item["files"].size();
    bytes += itemBytes;
    entries += item["registryKeys"].size() + item["registryValues"].size();
    keys += item["estimated"]["cleanedKeys"].number;
    estimatedBytes += item["estimated"]["releasedBytes"].number;
  }
  EXPECT_EQ(json["items"].size(), 7u);
  EXPECT_EQ(files, 1 + 2 + 6 + 3 + 1);  // the history goes inside "places.sqlite", which stays
  EXPECT_EQ(json["totals"]["files"].number, files);
  EXPECT_EQ(json["totals"]["bytes"].number, bytes);
  EXPECT_EQ(json["totals"]["registryEntries"].number, entries);
  EXPECT_EQ(json["estimated"]["cleanedKeys"].number, keys);
  EXPECT_EQ(json["estimated"]["releasedBytes"].number, estimatedBytes);

  Call clean = RunCli(profile, {L"--clean", L"--json"});
  ASSERT_EQ(clean.code, cli::kExitDone) << clean.output.err;
  Json cleaned = JsonReader::Parse(clean.output.out);
  EXPECT_EQ(cleaned["mode"].text, "clean");
  EXPECT_EQ(cleaned["totals"]["files"].number, files);
  EXPECT_EQ(cleaned["estimated"]["releasedBytes"].number,
            std::stod(settings::inifun::ReadIniValue(profile.Settings(), L"Options", L"filesize")));
}

// A temporary file younger than the chosen age is listed under "tooNew", outside the files and their
// totals.
TEST(Cli, JsonListsTheFilesTooNewToErase) {
  SeededProfile profile;
  const std::wstring temp = profile.root.Path() + L"\\temp";
  ScopedEnvironment variable(L"TEMP", temp);
  MakeFileWrittenAgo(temp + L"\\young.tmp", 10, std::chrono::minutes(5));
  Call preview = RunCli(profile, {L"--preview", L"--only", L"WINDOWS/temp", L"--json"});
  ASSERT_EQ(preview.code, cli::kExitDone) << preview.output.err;
  Json json = JsonReader::Parse(preview.output.out);
  ASSERT_EQ(json["items"].size(), 1u);
  const Json& item = json["items"].items[0];
  ASSERT_EQ(item["tooNew"].size(), 1u);
  EXPECT_EQ(item["tooNew"].items[0].text, platform::Narrow(temp + L"\\young.tmp"));
  EXPECT_EQ(item["files"].size(), 0u);
  EXPECT_EQ(item["totals"]["tooNew"].number, 1);
  EXPECT_EQ(json["totals"]["tooNew"].number, 1);
}

// A file a second item reaches is listed under its "alreadyCounted", outside its files and totals.
TEST(Cli, JsonListsWhatAnEarlierItemCountedApartFromTheItemsFiles) {
  engine::RunReport report;
  engine::RunRecorder recorder(report);
  for (const wchar_t* key : {L"a", L"b"}) {
    recorder.BeginItem(L"s", key, key);
    recorder.File(L"C:\\t\\f", 7);
    recorder.EndItem();
  }
  cli::Output output;
  cli::WriteReportJson(report, output);
  Json json = JsonReader::Parse(output.out);
  EXPECT_EQ(json["totals"]["files"].number, 1);
  EXPECT_EQ(json["items"][1]["files"].size(), 0u);
  EXPECT_EQ(json["items"][1]["totals"]["bytes"].number, 0);
  EXPECT_EQ(json["items"][1]["alreadyCounted"]["files"][0]["path"].text, "C:\\t\\f");
}

TEST(Cli, OnlyChoosesTheItemsOfThisCallWithoutChangingTheSelection) {
  SeededProfile profile;
  std::string settingsText = ReadText(profile.Settings());
  std::wstring cookies = profile.values.appDataFolder + L"\\Mozilla\\Firefox\\Profiles\\abc.default\\cookies.sqlite";
  std::wstring prefs = profile.values.appDataFolder + L"\\Mozilla\\Firefox\\Profiles\\abc.default\\prefs.js";
  Call preview = RunCli(profile, {L"--preview", L"--only", L"firefox/COOKIES,plus-in/Tool"});
  ASSERT_EQ(preview.code, cli::kExitDone);
  EXPECT_EQ(ReadText(profile.Settings()), settingsText);
  EXPECT_NE(preview.output.out.find("Firefox Cookies [FIREFOX/Cookies]: 1 file"), std::string::npos)
      << preview.output.out;
  EXPECT_NE(preview.output.out.find("Tool [plus-in/Tool]"), std::string::npos);
  EXPECT_EQ(preview.output.out.find("Chrome Cache"), std::string::npos);
  ExpectKept(cookies);
  Call clean = RunCli(profile, {L"--clean", L"--only", L"FIREFOX/Cookies"});
  ASSERT_EQ(clean.code, cli::kExitDone);
  ExpectGone(cookies);
  ExpectKept(prefs);
  ExpectKept(profile.hiddenCacheFile);
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, profile.registry.Subkey() + L"\\History"));
  EXPECT_EQ(settings::inifun::ReadIniValue(profile.Settings(), L"FIREFOX", L"Cookies"), L"1");
  EXPECT_EQ(settings::inifun::ReadIniValue(profile.Settings(), L"Chrome", L"Cache"), L"1");
}

// The selection Trellwipe ticked for a new user, never saved, is not cleaned by surprise: --clean
// names what would go and how to go on, erases nothing and exits with 4; --yes cleans it, and items
// named with --only are the user's own choice.
TEST(Cli, ASelectionNeverSavedIsCleanedOnlyWithYesOrItemsNamed) {
  SeededProfile profile;
  settings::inifun::WriteIniValue(profile.Settings(), L"Options", L"DefaultSelection", L"1");
  settings::inifun::WriteIniValue(profile.Settings(), L"Safari", L"history", L"1");
  std::wstring before = FolderSnapshot(profile.root.Path());
  Call held = RunCli(profile, {L"--clean", L"--json"});
  EXPECT_EQ(held.code, cli::kExitSelectionUnsaved);
  EXPECT_EQ(FolderSnapshot(profile.root.Path()), before);
  EXPECT_EQ(settings::inifun::ReadIniValue(profile.Settings(), L"Options", L"lastclean"), L"");
  EXPECT_EQ(OneDocument(held).members.at("exitCode").number, cli::kExitSelectionUnsaved);
  for (const char* said : {"A cleaning would erase 13 files (", "\n    Chrome Cache [Chrome/Cache]\n",
                           "\n    Tool [plus-in/Tool]\n", "Nothing was erased.", "trellwipe-cli --clean --yes"}) {
    EXPECT_NE(held.output.err.find(said), std::string::npos) << said << "\n" << held.output.err;
  }
  // Safari is ticked but not on this computer: it would erase nothing, so it is not named.
  EXPECT_EQ(held.output.err.find("[Safari/History]"), std::string::npos) << held.output.err;

  Call only = RunCli(profile, {L"--clean", L"--only", L"Chrome/Cache"});
  EXPECT_EQ(only.code, cli::kExitDone) << only.output.err;
  ExpectGone(profile.hiddenCacheFile);
  ExpectKept(profile.customFile);
  Call yes = RunCli(profile, {L"--clean", L"--yes"});
  EXPECT_EQ(yes.code, cli::kExitDone) << yes.output.err;
  ExpectGone(profile.customFile);
  EXPECT_EQ(settings::inifun::ReadIniValue(profile.Settings(), L"Options", L"DefaultSelection"), L"1");
}

// The cookies of a site the user keeps stay in both browsers: the cleaning is done, says what it
// kept, and exits with 0, so a scheduled script never asks for it again.
TEST(Cli, ACleanThatKeepsASiteIsDoneAndExitsWith0) {
  SeededProfile profile;
  const std::wstring chrome =
      profile.values.localAppDataFolder + L"\\Google\\Chrome\\User Data\\Default\\Network\\Cookies";
  const std::wstring firefox =
      profile.values.appDataFolder + L"\\Mozilla\\Firefox\\Profiles\\abc.default\\cookies.sqlite";
  ASSERT_TRUE(MakeCookieDatabase(chrome, kChromiumCookies, {"example.com", "ads.tracker.io"}));
  ASSERT_TRUE(MakeCookieDatabase(firefox, kFirefoxCookies, {".example.com", "ads.tracker.io"}));
  WriteText(keeplists::CookieKeepListFile(profile.program.Path()), "site:example.com\r\n");
  Call clean = RunCli(profile, {L"--clean", L"--only", L"Chrome/Cookies,FIREFOX/Cookies"});
  EXPECT_EQ(clean.code, cli::kExitDone) << clean.output.out;
  EXPECT_EQ(CookieHosts(chrome, kChromiumCookies), std::vector<std::wstring>{L"example.com 1"});
  for (const std::string& said : {std::string("; left behind: 0; too new: 0; kept: 1 site\n"),
                                  "    Kept (the cookies of example.com (1)): " + platform::Narrow(firefox) + "\n"}) {
    EXPECT_NE(clean.output.out.find(said), std::string::npos) << said << "\n" << clean.output.out;
  }
  EXPECT_EQ(clean.output.out.find("Left behind"), std::string::npos) << clean.output.out;
}

TEST(Cli, ALockedFileMakesTheCleanExitWith2AndShowsAsLeftBehind) {
  SeededProfile profile;
  platform::FileHandle held(
      CreateFileW(profile.customFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  Call clean = RunCli(profile, {L"--clean", L"--only", L"Custom/Custom"});
  EXPECT_EQ(clean.code, cli::kExitLeftBehind);
  EXPECT_NE(clean.output.out.find("Left behind (in use): " + platform::Narrow(profile.customFile)), std::string::npos)
      << clean.output.out;
  held.reset();
  Call again = RunCli(profile, {L"--clean", L"--only", L"Custom/Custom", L"--json"});
  EXPECT_EQ(again.code, cli::kExitDone);
  Json json = JsonReader::Parse(again.output.out);
  EXPECT_EQ(json["totals"]["leftBehind"].number, 0);
  EXPECT_EQ(json["items"][0]["files"][0]["path"].text, platform::Narrow(profile.customFile));
}

// --then-shutdown asks once the cleaning has run, reports a refusal with 5, and never asks when
// nothing was cleaned.
TEST(Cli, ThenShutdownAsksOnlyAfterACleaningAndReportsARefusal) {
  struct Case {
    std::vector<std::wstring> args;
    bool unsaved;
    DWORD answer;
    int code;
    int asked;
    const char* said;
  };
  const Case kCases[] = {
      {{L"--clean", L"--only", L"Custom/Custom", L"--then-shutdown"}, false, ERROR_SUCCESS, cli::kExitDone, 1, ""},
      {{L"--then-shutdown", L"--clean", L"--only", L"Custom/Custom"},
       false,
       ERROR_PRIVILEGE_NOT_HELD,
       cli::kExitShutdownRefused,
       1,
       "The computer was not shut down: "},
      {{L"--clean", L"--then-shutdown", L"--verbose"}, false, ERROR_SUCCESS, cli::kExitBadArguments, 0, "--verbose"},
      {{L"--clean", L"--then-shutdown"}, true, ERROR_SUCCESS, cli::kExitSelectionUnsaved, 0, "Nothing was erased."},
  };
  for (const Case& c : kCases) {
    SeededProfile profile;
    if (c.unsaved) settings::inifun::WriteIniValue(profile.Settings(), L"Options", L"DefaultSelection", L"1");
    ShutdownRecorder shutdown{c.answer};
    Call call = RunCli(profile, c.args, shutdown.Request());
    EXPECT_EQ(call.code, c.code) << call.output.err;
    EXPECT_EQ(shutdown.asked, c.asked) << c.said;
    EXPECT_NE(call.output.err.find(c.said), std::string::npos) << call.output.err;
    EXPECT_EQ(Exists(profile.customFile), c.code != cli::kExitDone && c.code != cli::kExitShutdownRefused);
  }
}

// Ctrl+C arrives on a thread of its own; the run stops at its next file, says so and exits with 3.
TEST(Cli, CtrlCStopsTheCleaningAndTheReportTellsWhatWent) {
  TempFolder program, data;
  std::vector<std::wstring> files;
  for (int i = 0; i < 5000; ++i) {
    files.push_back(data / (L"d" + std::to_wstring(i / 500) + L"\\f" + std::to_wstring(i)));
    MakeFile(files.back(), 1);
  }
  WriteText(program / L"cusd.dat", platform::Narrow(data.Path()) + "\tFolder\r\n");
  EXPECT_FALSE(cli::StopOnConsoleBreak(CTRL_C_EVENT));  // no run to stop
  std::atomic<bool> broke{false};
  std::thread user([&] {
    // Ctrl+C once the cleaning has begun to delete.
    for (int i = 0; i < 6000 && !broke; ++i) {
      if (!Exists(files.front()) || !Exists(files.back())) broke = cli::StopOnConsoleBreak(CTRL_C_EVENT);
      Sleep(5);
    }
  });
  cli::Output output;
  ShutdownRecorder shutdown;
  int code = cli::Run({L"--clean", L"--json", L"--only", L"Custom/Custom", L"--then-shutdown"}, program.Path(), {},
                      output, shutdown.Request());
  user.join();
  ASSERT_TRUE(broke);
  EXPECT_EQ(code, cli::kExitStopped);
  EXPECT_EQ(shutdown.asked, 0);  // a stopped cleaning never shuts down
  Json report = JsonReader::Parse(output.out);
  EXPECT_TRUE(report["stopped"].boolean);
  std::set<std::wstring> gone;
  for (const Json& file : report["items"][0]["files"].items) {
    gone.insert(std::wstring(file["path"].text.begin(), file["path"].text.end()));  // the paths are ASCII
  }
  EXPECT_EQ(report["items"][0]["outcome"].text, "Stopped");
  size_t left = 0;
  for (const std::wstring& file : files) {
    EXPECT_NE(Exists(file), gone.count(file) > 0) << file;
    left += Exists(file);
  }
  EXPECT_GT(left, 0u);
}

// A stopped cleaning says so before its items, and the item the stop cut short says "Stopped".
TEST(Cli, TheTextOfAStoppedCleaningSaysSoFirstAndNamesTheStoppedItem) {
  engine::RunReport report;
  report.stopped = true;
  engine::ItemReport item;
  item.section = item.key = L"Custom";
  item.label = L"Custom Files";
  item.outcome = L"Stopped";
  report.items.push_back(item);
  cli::Output output;
  cli::WriteReportText(report, output);
  EXPECT_EQ(output.out.rfind("Stopped by Ctrl+C before the end: what follows is what went up to then.\n", 0), 0u)
      << output.out;
  EXPECT_NE(output.out.find("Custom Files [Custom/Custom]: Stopped, "), std::string::npos) << output.out;
}

TEST(Cli, KeepSiteUnkeepSiteAndKeptSitesEditTheCookieKeepListBesideItsOldLines) {
  SeededProfile profile;
  std::wstring list = profile.program / L"keepcook.dat";
  WriteText(list, "C:\\Users\\me\\Cookies\\me@old[1].txt\r\n");
  for (const wchar_t* site : {L"mail.Example.com", L"example.com", L"host:login.bank.co.uk", L"tracker.io"}) {
    EXPECT_EQ(RunCli(profile, {L"--keep-site", site}).code, cli::kExitDone) << site;
  }
  EXPECT_EQ(RunCli(profile, {L"--unkeep-site", L"ads.tracker.io"}).code, cli::kExitDone);
  EXPECT_EQ(RunCli(profile, {L"--unkeep-site", L"nowhere.net"}).code, cli::kExitBadArguments);
  EXPECT_EQ(RunCli(profile, {L"--keep-site", L"C:\\Users"}).code, cli::kExitBadArguments);
  EXPECT_EQ(ReadText(list), "C:\\Users\\me\\Cookies\\me@old[1].txt\r\nsite:example.com\r\nhost:login.bank.co.uk\r\n");
  EXPECT_EQ(RunCli(profile, {L"--kept-sites"}).output.out, "example.com\nlogin.bank.co.uk (this host only)\n");
  EXPECT_EQ(RunCli(profile, {L"--kept-sites", L"--json"}).output.out,
            "[{\"site\":\"example.com\",\"exactHost\":false},{\"site\":\"login.bank.co.uk\",\"exactHost\":true}]\n");
}

// A folder kept from the console stays out of the next preview, listed as kept by you and never as
// left behind; taken off again, the preview takes it again.
TEST(Cli, KeepPathKeepsAFolderFromThePreviewUntilUnkeepPathTakesItOff) {
  SeededProfile profile;
  const std::wstring deep = profile.customFolder + L"\\deep";
  auto preview = [&] {
    return OneDocument(RunCli(profile, {L"--preview", L"--json", L"--only", L"Custom/Custom"}))["items"][0];
  };
  ASSERT_EQ(preview()["files"].size(), 3u);
  EXPECT_EQ(RunCli(profile, {L"--keep-path", L"relative\\deep"}).code, cli::kExitBadArguments);
  Call kept = RunCli(profile, {L"--keep-path", platform::ToLower(deep), L"--json"});
  ASSERT_EQ(kept.code, cli::kExitDone) << kept.output.err;
  EXPECT_TRUE(platform::EqualsNoCase(platform::Widen(OneDocument(kept)["kept"].text), deep));
  Json item = preview();
  EXPECT_EQ(item["files"].size(), 2u);
  ASSERT_EQ(item["kept"].size(), 1u);
  EXPECT_EQ(item["kept"][0]["what"].text, "kept by you");
  EXPECT_EQ(item["totals"]["keptPaths"].number, 1);
  EXPECT_EQ(item["totals"]["leftBehind"].number, 0);
  Json listed = OneDocument(RunCli(profile, {L"--kept-paths", L"--json"}));
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0]["from"].text, "the console");
  EXPECT_EQ(RunCli(profile, {L"--unkeep-path", deep}).code, cli::kExitDone);
  EXPECT_EQ(RunCli(profile, {L"--unkeep-path", deep}).code, cli::kExitBadArguments);
  EXPECT_EQ(preview()["files"].size(), 3u);
}

// An international name or a pasted address is kept in the form browsers store, and the console says
// what it stored; what no host can be is refused with the reason, and the list stays as it was.
TEST(Cli, KeepSiteStoresTheFormBrowsersStoreAndRefusesWhatIsNoSite) {
  SeededProfile profile;
  const std::wstring list = profile.program / L"keepcook.dat";
  const struct {
    std::wstring typed;
    std::string stored;
  } kKept[] = {
      {L"\u043F\u0440\u0438\u043C\u0435\u0440.\u0440\u0444", "site:xn--e1afmkfd.xn--p1ai"},  // "пример.рф"
      {L"https://www.mybank.co.uk/login", "site:mybank.co.uk"},
      {L"host:https://me@Mail.Example.com:8443/inbox?x=1#top", "host:mail.example.com"},
  };
  std::string lines;
  for (const auto& c : kKept) {
    Call call = RunCli(profile, {L"--keep-site", c.typed});
    EXPECT_EQ(call.code, cli::kExitDone) << call.output.err;
    EXPECT_EQ(call.output.out, "Kept: " + c.stored + "\n");
    lines += c.stored + "\r\n";
  }
  EXPECT_EQ(ReadText(list), lines);
  const std::wstring huge = std::wstring(30000, L'a') + L".com";
  const struct {
    std::wstring typed;
    std::string error;
  } kRefused[] = {
      {huge, "\"" + std::string(60, 'a') + "...\" is not a site: a site's name has at most 253 characters."},
      {L"C:\\Users", "\"C:\\Users\" is not a site: a site's name cannot hold \":\"."},
  };
  for (const auto& c : kRefused) {
    Call call = RunCli(profile, {L"--keep-site", c.typed});
    EXPECT_EQ(call.code, cli::kExitBadArguments);
    EXPECT_EQ(call.output.out, "");
    EXPECT_EQ(call.output.err, "Not kept: " + c.error + "\n");
  }
  EXPECT_EQ(ReadText(list), lines);
  // Taken off by the name typed, as it was kept.
  EXPECT_EQ(RunCli(profile, {L"--unkeep-site", kKept[0].typed}).code, cli::kExitDone);
  EXPECT_EQ(ReadText(list), "site:mybank.co.uk\r\nhost:mail.example.com\r\n");
}

// An item whose program is not on this computer says so in the text and the JSON, with what was
// looked for; an installed one carries its files, bytes and entries left behind.
TEST(Cli, TheReportSaysWhichItemIsNotInstalledAndWhatWasLookedFor) {
  SeededProfile profile;
  const std::string opera = platform::Narrow(profile.values.appDataFolder + L"\\Opera\\Opera");
  Call text = RunCli(profile, {L"--preview", L"--only", L"Opera/Cookies,Chrome/Cache"});
  ASSERT_EQ(text.code, cli::kExitDone) << text.output.err;
  const std::string lines[] = {
      "Opera Cookies [Opera/Cookies]: Not installed, 0 files, 0.00 MB, 0 registry entries\n",
      "    Looked for: " + opera + "\n",
      "Chrome Cache [Chrome/Cache]: 6 files, 0.01 MB, 0 registry entries\n",
  };
  for (const std::string& line : lines) {
    EXPECT_NE(text.output.out.find(line), std::string::npos) << line << text.output.out;
  }

  Call json = RunCli(profile, {L"--preview", L"--only", L"Opera/Cookies,Chrome/Cache", L"--json"});
  Json report = JsonReader::Parse(json.output.out);
  ASSERT_EQ(report["items"].size(), 2u);
  const Json& absent = report["items"][0];
  EXPECT_EQ(absent["outcome"].text, "Not installed");
  EXPECT_FALSE(absent["installed"].boolean);
  ASSERT_EQ(absent["lookedFor"].size(), 1u);
  EXPECT_EQ(absent["lookedFor"][0].text, opera);
  const Json& present = report["items"][1];
  EXPECT_TRUE(present["installed"].boolean);
  EXPECT_EQ(present["totals"]["files"].number, 6);
  EXPECT_EQ(present["totals"]["leftBehind"].number, 0);
}

TEST(Cli, UpdateRulesListsTheChangesAndInstallsOnlyWithAcceptUntickingWhatErasesMore) {
  TempFolder program;
  auto entries = [](int first, int count, const char* recurse = "") {
    std::string text;
    for (int n = first; n < first + count; ++n) {
      text += "[Cli Update " + std::to_string(n) + "]\r\nFileKey1=%Temp%\\Cli Update " + std::to_string(n) + "|*.tmp" +
              (n == 7 ? recurse : "") + "\r\n";
    }
    return text;
  };
  const std::wstring file = program / L"winapp2.ini";
  const std::wstring settings = program / L"prisd.dat";
  WriteText(file, entries(0, 50));
  settings::inifun::WriteIniValue(settings, L"winapp2", L"Cli Update 7", L"1");
  settings::inifun::WriteIniValue(settings, L"winapp2", L"Cli Update 8", L"1");
  auto run = [&](std::vector<std::wstring> args) {
    Call call;
    call.code = cli::Run(args, program.Path(), {}, call.output);
    return call;
  };
  {
    LoopbackServer missing(HttpResponse(404, ""));
    Call refused = run({L"--update-rules", L"--url", missing.Url()});
    EXPECT_EQ(refused.code, cli::kExitRulesNotUpdated);
    EXPECT_NE(refused.output.err.find("the server answered 404. The winapp2.ini in place is unchanged."),
              std::string::npos);
    LoopbackServer cut(HttpResponse(200, "; # of entries: 4,067\r\n" + entries(0, 60)));
    Call incomplete = run({L"--update-rules", L"--url", cut.Url()});
    EXPECT_EQ(incomplete.code, cli::kExitRulesNotUpdated);
    EXPECT_NE(incomplete.output.err.find(": the download is incomplete: its header declares 4067 entries, but it "
                                         "holds 60. The winapp2.ini in place is unchanged.\n"),
              std::string::npos)
        << incomplete.output.err;
  }
  const std::string fresh = entries(5, 55, "|RECURSE");
  LoopbackServer server(HttpResponse(200, fresh));
  Call listed = run({L"--update-rules", L"--url", server.Url()});
  EXPECT_EQ(listed.code, cli::kExitDone) << listed.output.err;
  const std::string& out = listed.output.out;
  EXPECT_NE(out.find(": 55 entries; the file in place has 50.\n"), std::string::npos) << out;
  EXPECT_NE(out.find("  added [Cli Update 59]; applies here\n"), std::string::npos) << out;
  EXPECT_NE(out.find("  changed [Cli Update 7]; erases more; applies here\n"), std::string::npos) << out;
  EXPECT_NE(out.find("  removed [Cli Update 0]\n"), std::string::npos) << out;
  EXPECT_NE(out.find("10 added, 5 removed, 1 changed (1 erases more);"), std::string::npos) << out;
  EXPECT_NE(out.find("Nothing is installed yet"), std::string::npos) << out;
  EXPECT_EQ(ReadText(file), entries(0, 50));

  Call accepted = run({L"--accept"});
  EXPECT_EQ(accepted.code, cli::kExitDone) << accepted.output.err;
  EXPECT_NE(accepted.output.out.find("erases more (tick them again on the Rules tab after a look):\n  Cli Update 7\n"),
            std::string::npos)
      << accepted.output.out;
  EXPECT_EQ(ReadText(file), fresh);
  EXPECT_EQ(settings::inifun::ReadIniValue(settings, L"winapp2", L"Cli Update 7"), L"0");
  EXPECT_EQ(settings::inifun::ReadIniValue(settings, L"winapp2", L"Cli Update 8"), L"1");
  EXPECT_EQ(run({L"--accept"}).code, cli::kExitRulesNotUpdated);

  EXPECT_EQ(run({L"--undo-rules-update"}).code, cli::kExitDone);
  EXPECT_EQ(ReadText(file), entries(0, 50));
  EXPECT_EQ(run({L"--undo-rules-update"}).code, cli::kExitRulesNotUpdated);
  EXPECT_EQ(run({L"--update-rules", L"--url", server.Url(), L"--accept"}).code, cli::kExitDone);
  EXPECT_EQ(ReadText(file), fresh);
}

// Whatever way a call with --json ends, a script reads one document: when nothing ran it carries the
// exit code and the reason, as the error output words it.
TEST(Cli, JsonIsOneDocumentWithTheExitCodeAndTheReasonWhenNothingRan) {
  std::wstring closed;
  { closed = LoopbackServer(HttpResponse(200, "")).Url(); }
  const struct {
    std::vector<std::wstring> args;
    bool unsaved;
    int code;
    const char* reason;
  } kCases[] = {
      {{L"--clean", L"--json"}, true, cli::kExitSelectionUnsaved, "Nothing was erased."},
      {{L"--clean", L"--json", L"--verbose"}, false, cli::kExitBadArguments, "Unknown argument: --verbose"},
      {{L"--json", L"--preview", L"--only", L"Nowhere/nothing"},
       false,
       cli::kExitBadArguments,
       "Unknown item: Nowhere/nothing"},
      {{L"--keep-site", L"C:\\Users", L"--json"}, false, cli::kExitBadArguments, "Not kept: \"C:\\Users\" is not"},
      {{L"--unkeep-site", L"nowhere.net", L"--json"},
       false,
       cli::kExitBadArguments,
       "Not taken off: \"nowhere.net\" is not on the keep list."},
      {{L"--check-rules", L"--json"}, false, cli::kExitRulesUnreadable, "No rule file found"},
      {{L"--update-rules", L"--url", closed, L"--json"},
       false,
       cli::kExitRulesNotUpdated,
       "winapp2.ini was not downloaded from "},
      {{L"--accept", L"--json"}, false, cli::kExitRulesNotUpdated, "Nothing was installed: "},
      {{L"--undo-rules-update", L"--json"}, false, cli::kExitRulesNotUpdated, "Nothing was restored: "},
  };
  for (const auto& c : kCases) {
    SeededProfile profile;
    if (c.unsaved) settings::inifun::WriteIniValue(profile.Settings(), L"Options", L"DefaultSelection", L"1");
    Call call = RunCli(profile, c.args);
    EXPECT_EQ(call.code, c.code) << c.reason;
    EXPECT_NE(call.output.err.find(c.reason), std::string::npos) << call.output.err;
    Json json = OneDocument(call);
    if (json.type != Json::Type::Object) continue;
    EXPECT_EQ(json["exitCode"].number, c.code) << c.reason;
    EXPECT_EQ(json["reason"].text + "\n", call.output.err);
  }
}

// A command that changes a list says what it stored, in words and in its JSON document.
TEST(Cli, EveryCommandThatChangesAListSaysWhatItStored) {
  SeededProfile profile;
  const struct {
    std::vector<std::wstring> args;
    const char* said;
    const char* member;
    std::string stored;
  } kChanges[] = {
      {{L"--keep-site", L"Mail.Example.com"}, "Kept: ", "kept", "site:example.com"},
      {{L"--keep-site", L"host:mail.example.com"}, "Kept: ", "kept", "host:mail.example.com"},
      {{L"--unkeep-site", L"www.example.com"}, "Taken off: ", "removed", "site:example.com"},
      {{L"--unkeep-site", L"mail.example.com"}, "Taken off: ", "removed", "host:mail.example.com"},
  };
  for (const auto& c : kChanges) {
    const std::string list = ReadText(profile.program / L"keepcook.dat");
    Call text = RunCli(profile, c.args);
    EXPECT_EQ(text.code, cli::kExitDone) << text.output.err;
    EXPECT_EQ(text.output.out, c.said + c.stored + "\n");
    // The same change again in JSON, from the list as it was.
    WriteText(profile.program / L"keepcook.dat", list);
    std::vector<std::wstring> args = c.args;
    args.push_back(L"--json");
    Json json = OneDocument(RunCli(profile, args));
    if (json.type != Json::Type::Object) continue;
    EXPECT_EQ(json["exitCode"].number, cli::kExitDone);
    const Json& stored = json[c.member];
    EXPECT_EQ(stored.type == Json::Type::Array ? stored[0].text : stored.text, c.stored);
  }
  EXPECT_EQ(ReadText(profile.program / L"keepcook.dat"), "");
}

// In a folder without prisd.dat, --help and --list write nothing (the list shows the selection a new
// user would start with); a cleaning then starts that selection and asks for it.
TEST(Cli, HelpAndListWriteNothingAndAFreshFolderListsTheNewUsersSelection) {
  SeededProfile profile;
  ASSERT_TRUE(DeleteFileW(profile.Settings().c_str()));
  const std::wstring program = FolderSnapshot(profile.program.Path()), home = FolderSnapshot(profile.root.Path());
  const std::vector<std::wstring> kReading[] = {{L"--help"}, {L"-h", L"--json"}, {L"--list"}, {L"--list", L"--json"}};
  for (const auto& args : kReading) {
    Call call = RunCli(profile, args);
    EXPECT_EQ(call.code, cli::kExitDone) << args[0];
    EXPECT_FALSE(call.output.out.empty()) << args[0];
    EXPECT_EQ(FolderSnapshot(profile.program.Path()), program) << args[0];
    EXPECT_EQ(FolderSnapshot(profile.root.Path()), home) << args[0];
  }
  const std::string list = RunCli(profile, {L"--list"}).output.out;
  EXPECT_NE(list.find("on   Chrome/Cache\tChrome Cache\n"), std::string::npos) << list;
  EXPECT_NE(list.find("off  Chrome/Cookies\tChrome Cookies\n"), std::string::npos) << list;
  EXPECT_NE(list.find("off  Custom/Custom\t"), std::string::npos) << list;
  Call clean = RunCli(profile, {L"--clean"});
  EXPECT_EQ(clean.code, cli::kExitSelectionUnsaved);
  EXPECT_NE(clean.output.err.find("\n    Chrome Cache [Chrome/Cache]\n"), std::string::npos) << clean.output.err;
  ExpectKept(profile.hiddenCacheFile);
}

// Each file of a preview names the rule file, the line and key that put it there and the pattern that
// matched, and each registry key its line; a file a built-in or custom item took names the item.
TEST(Cli, PreviewJsonNamesTheRuleFileLineAndPatternOfEachFileAndKey) {
  SeededProfile profile;
  const std::string logs = platform::Narrow(profile.root / L"RuleLogs");
  MakeFile(profile.root / L"RuleLogs\\a.log", 10);
  MakeFile(profile.root / L"RuleLogs\\b.tmp", 10);
  TempRegistryKey key;
  SetString(HKEY_CURRENT_USER, key.Subkey(), L"v", L"x");
  WriteText(profile.program / L"winapp2.ini",
            "; rules of this test\r\n[Rule Logs *]\r\nLangSecRef=3025\r\nFileKey1=" + logs + "|*.tmp\r\nFileKey2=" +
                logs + "|*.txt;*.log\r\nRegKey1=HKCU\\" + platform::Narrow(key.Subkey()) + "\r\n");
  Json json = OneDocument(RunCli(profile, {L"--preview", L"--json", L"--only", L"winapp2/Rule Logs *,Custom/Custom"}));
  std::map<std::string, std::pair<std::string, std::string>> reasons;  // by file name
  for (const Json& item : json["items"].items) {
    for (const Json& file : item["files"].items) {
      const std::string& path = file["path"].text;
      const bool named = file.members.count("pattern");
      reasons[path.substr(path.rfind('\\') + 1)] = {file["reason"].text, named ? file["pattern"].text : ""};
    }
  }
  using Named = std::pair<std::string, std::string>;
  EXPECT_EQ(reasons["a.log"], (Named{"winapp2.ini:5 FileKey2", "*.log"}));
  EXPECT_EQ(reasons["b.tmp"], (Named{"winapp2.ini:4 FileKey1", "*.tmp"}));
  EXPECT_EQ(reasons["notes.txt"], (Named{"Custom/Custom", ""}));
  const Json& rule =
      json["items"].items[0]["section"].text == "winapp2" ? json["items"].items[0] : json["items"].items[1];
  ASSERT_EQ(rule["registryKeyReasons"].items.size(), 1u);
  EXPECT_EQ(rule["registryKeyReasons"].items[0]["reason"].text, "winapp2.ini:6 RegKey1");
}

// A rules update that put nothing in place says whether a winapp2.ini is there at all.
TEST(Cli, AFailedRulesUpdateSaysWhetherThereIsAWinapp2Ini) {
  LoopbackServer missing(HttpResponse(404, ""));
  const struct {
    bool installed;
    const char* said;
  } kCases[] = {
      {true, "the server answered 404. The winapp2.ini in place is unchanged.\n"},
      {false, "the server answered 404. There is no winapp2.ini, and none was put in place.\n"},
  };
  for (const auto& c : kCases) {
    TempFolder program;
    if (c.installed) WriteText(program / L"winapp2.ini", "[Cli Rule]\r\nFileKey1=%Temp%\\Cli Rule|*.tmp\r\n");
    Call call;
    call.code = cli::Run({L"--update-rules", L"--url", missing.Url()}, program.Path(), {}, call.output);
    EXPECT_EQ(call.code, cli::kExitRulesNotUpdated);
    EXPECT_NE(call.output.err.find(c.said), std::string::npos) << call.output.err;
  }
}

// Through the machine's own policy key, as Group Policy writes it.
TEST(CliPolicies, AFixedSelectionIsWhatACleaningCleansAndTheListSaysWhatIsFixed) {
  SeededProfile profile;
  MachinePolicyKey policy;
  SetString(policy.key.get(), L"Selection", L"Chrome/Cache", L"Chrome/Cache");
  PolicyKeys::SetNumber(policy.key.get(), L"", L"SelectionMayGrow", 0);
  PolicyKeys::SetNumber(policy.key.get(), L"", L"TempMinAgeHours", 5);
  settings::ReadPoliciesInForce();
  const std::string ignored = "Machine policy TempMinAgeHours: 5 is none of 0, 1, 24, 168, 720; ignored.";

  Call text = RunCli(profile, {L"--list"});
  EXPECT_EQ(text.output.err, ignored + "\n");
  for (const char* line :
       {"on   Chrome/Cache\tChrome Cache\tSet by your organisation\n",
        "off  FIREFOX/cache\tFirefox Cache\tSet by your organisation\n",
        "Set by your organisation: SelectionMayGrow = 0\n", "Set by your organisation: Selection = Chrome/Cache\n"}) {
    EXPECT_NE(text.output.out.find(line), std::string::npos) << line << text.output.out;
  }
  const Json list = OneDocument(RunCli(profile, {L"--list", L"--json"}));
  EXPECT_EQ(list["setByOrganisation"].size(), 2u);
  EXPECT_EQ(list["setByOrganisation"]["SelectionMayGrow"].number, 0);
  EXPECT_EQ(list["setByOrganisation"]["Selection"][0].text, "Chrome/Cache");
  EXPECT_EQ(list["ignoredPolicies"][0].text, ignored);
  for (const Json& item : list["items"].items) EXPECT_TRUE(item["setByOrganisation"].boolean) << item["key"].text;

  const std::wstring chromeCache = profile.values.localAppDataFolder + L"\\Google\\Chrome\\User Data\\Default\\Cache";
  // The organisation's selection is its saved choice: a selection the user never saved asks no --yes.
  settings::inifun::WriteIniValue(settings::SettingsFile(profile.program.Path()), L"Options", L"DefaultSelection",
                                  L"1");
  Call clean = RunCli(profile, {L"--clean", L"--json"});
  EXPECT_EQ(clean.code, cli::kExitDone) << clean.output.err;
  const Json report = OneDocument(clean);
  ASSERT_EQ(report["items"].size(), 1u) << clean.output.out;
  EXPECT_EQ(report["items"][0]["key"].text, "Cache");
  EXPECT_EQ(report["ignoredPolicies"][0].text, ignored);
  ExpectGone(chromeCache + L"\\f_000000");
  // Ticked by the user, but outside a selection that may not grow.
  ExpectKept(profile.values.localAppDataFolder + L"\\Mozilla\\Firefox\\Profiles\\abc.default\\Cache\\index");
  ExpectKept(profile.customFile);
}

TEST(CliPolicies, RulesComeOnlyFromTheOrganisationsMirrorOrNotAtAll) {
  TempFolder program;
  const std::wstring file = program / L"winapp2.ini";
  WriteText(file, "[Old Rule]\r\nFileKey1=%Temp%\\Old|*.tmp\r\n");
  std::string rules;
  for (int n = 0; n < 60; ++n) rules += "[Mirror Rule " + std::to_string(n) + "]\r\nFileKey1=%Temp%\\Mirror|*.tmp\r\n";
  LoopbackServer mirror(HttpResponse(200, rules));
  LoopbackServer elsewhere(HttpResponse(404, ""));
  PolicyKeys keys;
  auto run = [&](std::vector<std::wstring> args) {
    Call call;
    call.code = cli::Run(args, program.Path(), {}, call.output);
    return call;
  };
  SetString(keys.machine.get(), L"Policies", L"RulesUpdateUrl", mirror.Url());
  PolicyKeys::Set(keys.machine, L"RulesUpdate", 1);
  keys.PutInForce();
  // The address the command names gives way to the organisation's.
  Call fetched = run({L"--update-rules", L"--url", elsewhere.Url(), L"--accept"});
  EXPECT_EQ(fetched.code, cli::kExitDone) << fetched.output.err << fetched.output.out;
  EXPECT_NE(fetched.output.out.find(platform::ToUtf8(mirror.Url())), std::string::npos) << fetched.output.out;
  EXPECT_EQ(fetched.output.err, "Set by your organisation: RulesUpdateUrl = " + platform::ToUtf8(mirror.Url()) +
                                    ", so --url is not followed.\n");
  EXPECT_EQ(ReadText(file), rules);

  PolicyKeys::Set(keys.machine, L"RulesUpdate", 0);
  keys.PutInForce();
  const std::string before = ReadText(file);
  for (const std::vector<std::wstring>& args : {std::vector<std::wstring>{L"--update-rules"}, {L"--accept"}}) {
    Call refused = run(args);
    EXPECT_EQ(refused.code, cli::kExitRulesNotUpdated);
    EXPECT_EQ(refused.output.err, "Your organisation has turned off rule updates in Trellwipe.\n");
  }
  EXPECT_EQ(ReadText(file), before);
}

// The organisation's sites stay beside those of the user's own keep list, which the run leaves as it was.
TEST(CliPolicies, TheOrganisationsKeptSitesStayBesideTheUsersOwn) {
  SeededProfile profile;
  const std::wstring chrome =
      profile.values.localAppDataFolder + L"\\Google\\Chrome\\User Data\\Default\\Network\\Cookies";
  ASSERT_TRUE(MakeCookieDatabase(chrome, kChromiumCookies, {"example.com", "intranet.example.org", "ads.tracker.io"}));
  const std::wstring keepList = keeplists::CookieKeepListFile(profile.program.Path());
  WriteText(keepList, "site:example.com\r\n");
  PolicyKeys keys;
  SetString(keys.machine.get(), L"Policies\\KeepSites", L"1", L"intranet.example.org");
  keys.PutInForce();
  Call clean = RunCli(profile, {L"--clean", L"--only", L"Chrome/Cookies"});
  EXPECT_EQ(clean.code, cli::kExitDone) << clean.output.out;
  EXPECT_EQ(CookieHosts(chrome, kChromiumCookies),
            (std::vector<std::wstring>{L"example.com 1", L"intranet.example.org 1"}));
  EXPECT_EQ(ReadText(keepList), "site:example.com\r\n");
}
