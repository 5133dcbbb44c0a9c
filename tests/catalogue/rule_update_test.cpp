#include "catalogue/rule_update.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "catalogue/rule_file.h"
#include "settings/inifun.h"
#include "settings/item_flags.h"
#include "support/loopback_server.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

// Entries "Update Test <first>" to "Update Test <first + count - 1>", each with one file key.
std::string RuleText(int first, int count) {
  std::string text = "; made for the update tests\r\n";
  for (int n = first; n < first + count; ++n) {
    text += "[Update Test " + std::to_string(n) + " *]\r\nLangSecRef=3021\r\nFileKey1=%LocalAppData%\\Update Test " +
            std::to_string(n) + "|*.tmp\r\n\r\n";
  }
  return text;
}

const std::string kOldRules = RuleText(0, 60);
const platform::DownloadLimits kQuick{300, 64 * 1024};

struct RulesFolder {
  TempFolder program;
  RulesFolder() { WriteText(CommunityFile(), kOldRules); }
  std::wstring CommunityFile() const { return catalogue::rules::CommunityFile(program.Path()); }
};

}  // namespace

TEST(RulesUpdate, AWholeRuleFileWaitsBesideTheOldOneUntilAcceptedThenTheOldIsKeptAndRestorable) {
  RulesFolder folder;
  const std::string fresh = "; # of entries: 70\r\n" + RuleText(10, 70);  // as many as it holds
  LoopbackServer server(HttpResponse(200, fresh));
  catalogue::rules::RulesDownload download =
      catalogue::rules::DownloadCommunityRules(folder.program.Path(), server.Url(), kQuick);
  ASSERT_TRUE(download.pending) << download.problem;
  EXPECT_EQ(download.oldEntries, 60u);
  EXPECT_EQ(download.newEntries, 70u);
  EXPECT_EQ(catalogue::rules::ChangeSummary(download.changes).substr(0, 33), L"20 added, 10 removed, 0 changed (");
  EXPECT_EQ(ReadText(folder.CommunityFile()), kOldRules);
  EXPECT_EQ(ReadText(catalogue::rules::PendingFile(folder.program.Path())), fresh);
  EXPECT_EQ(catalogue::rules::PendingRules(folder.program.Path()).changes.size(), 30u);

  catalogue::rules::RulesAcceptance acceptance = catalogue::rules::AcceptPendingRules(folder.program.Path());
  ASSERT_TRUE(acceptance.installed) << acceptance.problem;
  EXPECT_EQ(ReadText(folder.CommunityFile()), fresh);
  EXPECT_EQ(ReadText(catalogue::rules::BackupFile(folder.program.Path())), kOldRules);
  EXPECT_EQ(FolderNames(folder.program.Path()), (std::vector<std::wstring>{L"winapp2.ini", L"winapp2.ini.bak"}));
  EXPECT_FALSE(catalogue::rules::AcceptPendingRules(folder.program.Path()).installed);

  platform::Result<void> undone = catalogue::rules::UndoRulesUpdate(folder.program.Path());
  ASSERT_TRUE(undone) << undone.Reason();
  EXPECT_EQ(ReadText(folder.CommunityFile()), kOldRules);
  EXPECT_EQ(FolderNames(folder.program.Path()), std::vector<std::wstring>{L"winapp2.ini"});
  platform::Result<void> again = catalogue::rules::UndoRulesUpdate(folder.program.Path());
  ASSERT_FALSE(again);
  EXPECT_EQ(again.Reason(), L"there is no winapp2.ini.bak to restore");
}

TEST(RulesUpdate, AcceptingUnticksOnlyTheTickedEntriesWhoseNewFormErasesMore) {
  RulesFolder folder;
  const std::wstring settings = settings::SettingsFile(folder.program.Path());
  for (const wchar_t* name : {L"Update Test 1 *", L"Update Test 2 *", L"Update Test 3 *"}) {
    settings::inifun::WriteIniValue(settings, catalogue::rules::kCommunitySection, name, L"1");
  }
  // Entry 1 widens to its parent folder, entry 2 only narrows its pattern, entry 3 stays; entry 4
  // widens but was never ticked.
  std::string fresh =
      RuleText(5, 60) +
      "[Update Test 1 *]\r\nLangSecRef=3021\r\nFileKey1=%LocalAppData%|*.tmp\r\n"
      "[Update Test 2 *]\r\nLangSecRef=3021\r\nFileKey1=%LocalAppData%\\Update Test 2|a.tmp\r\n"
      "[Update Test 4 *]\r\nLangSecRef=3021\r\nFileKey1=%LocalAppData%\\Update Test 4|*.tmp|RECURSE\r\n" +
      RuleText(3, 1);
  LoopbackServer server(HttpResponse(200, fresh));
  ASSERT_TRUE(catalogue::rules::DownloadCommunityRules(folder.program.Path(), server.Url(), kQuick).pending);
  EXPECT_EQ(settings::inifun::ReadIniValue(settings, catalogue::rules::kCommunitySection, L"Update Test 1 *"), L"1");

  catalogue::rules::RulesAcceptance acceptance = catalogue::rules::AcceptPendingRules(folder.program.Path());
  ASSERT_TRUE(acceptance.installed) << acceptance.problem;
  EXPECT_EQ(acceptance.unticked, std::vector<std::wstring>{L"Update Test 1 *"});
  EXPECT_EQ(settings::inifun::ReadIniValue(settings, catalogue::rules::kCommunitySection, L"Update Test 1 *"), L"0");
  EXPECT_EQ(settings::inifun::ReadIniValue(settings, catalogue::rules::kCommunitySection, L"Update Test 2 *"), L"1");
  EXPECT_EQ(settings::inifun::ReadIniValue(settings, catalogue::rules::kCommunitySection, L"Update Test 3 *"), L"1");
  EXPECT_EQ(settings::inifun::ReadIniValue(settings, catalogue::rules::kCommunitySection, L"Update Test 4 *"), L"");
}

// A ticked entry's folder rewritten to climb out of it: by any spelling, the change erases more and
// the entry is unticked; the same folder in another letter case is no change of what it erases.
TEST(RulesUpdate, AFolderReachingOutsideTheOldOneByAnySpellingErasesMoreAndIsUnticked) {
  const std::string victim = "[Victim Vendor App *]\r\nLangSecRef=3021\r\nFileKey1=";
  const std::string climb = "\\VictimVendor\\App\\Cache\\..\\..\\..\\..\\..\\Documents";
  // The new FileKey, and whether it erases more.
  const std::pair<std::string, bool> cases[] = {
      {"%LocalAppData%" + climb + "|*|RECURSE", true},
      {"%LOCALAPPDATA%\\victimvendor\\APP\\cache\\..\\..\\..\\..\\..\\DOCUMENTS|*|RECURSE", true},
      {"%LocalAppData%" + climb + "|*.docx;*.txt", true},
      {"%localappdata%\\VICTIMVENDOR\\app\\CACHE\\|*|RECURSE", false},
  };
  for (const auto& [fileKey, more] : cases) {
    SCOPED_TRACE(fileKey);
    TempFolder program;
    const std::string installed = kOldRules + victim + "%LocalAppData%\\VictimVendor\\App\\Cache|*|RECURSE\r\n";
    WriteText(catalogue::rules::CommunityFile(program.Path()), installed);
    const std::wstring settings = settings::SettingsFile(program.Path());
    settings::inifun::WriteIniValue(settings, catalogue::rules::kCommunitySection, L"Victim Vendor App *", L"1");
    LoopbackServer server(HttpResponse(200, kOldRules + victim + fileKey + "\r\n"));
    catalogue::rules::RulesDownload download =
        catalogue::rules::DownloadCommunityRules(program.Path(), server.Url(), kQuick);
    ASSERT_TRUE(download.pending) << download.problem;
    ASSERT_EQ(download.changes.size(), 1u);
    EXPECT_EQ(download.changes[0].erasesMore, more);
    EXPECT_EQ(catalogue::rules::Alarming(download.changes[0]), more);  // the climb is refused

    catalogue::rules::RulesAcceptance acceptance = catalogue::rules::AcceptPendingRules(program.Path());
    ASSERT_TRUE(acceptance.installed) << acceptance.problem;
    EXPECT_EQ(acceptance.unticked,
              more ? std::vector<std::wstring>{L"Victim Vendor App *"} : std::vector<std::wstring>{});
    EXPECT_EQ(settings::inifun::ReadIniValue(settings, catalogue::rules::kCommunitySection, L"Victim Vendor App *"),
              more ? L"0" : L"1");
  }
}

TEST(RulesUpdate, ACopyThatChangesNothingOrIsStoppedLeavesNothingToAccept) {
  RulesFolder folder;
  LoopbackServer same(HttpResponse(200, kOldRules));
  catalogue::rules::RulesDownload download =
      catalogue::rules::DownloadCommunityRules(folder.program.Path(), same.Url(), kQuick);
  EXPECT_FALSE(download.pending);
  EXPECT_TRUE(download.problem.empty()) << download.problem;

  LoopbackServer other(HttpResponse(200, RuleText(0, 61)));
  size_t calls = 0;
  download =
      catalogue::rules::DownloadCommunityRules(folder.program.Path(), other.Url(), kQuick,
                                               [&](catalogue::rules::UpdateStage, unsigned long long, long long total) {
                                                 EXPECT_GT(total, 0);
                                                 return ++calls < 2;
                                               });
  EXPECT_FALSE(download.pending);
  EXPECT_NE(download.problem.find(L"it was stopped"), std::wstring::npos) << download.problem;
  EXPECT_EQ(ReadText(folder.CommunityFile()), kOldRules);
  EXPECT_EQ(FolderNames(folder.program.Path()), std::vector<std::wstring>{L"winapp2.ini"});
}

TEST(RulesUpdate, AFailedOrUnfitDownloadLeavesTheOldFileAloneAndNoTemporaryFile) {
  const std::string rules = RuleText(0, 80);
  const struct {
    const char* name;
    std::string response;
    DWORD delayMs;
    const wchar_t* says;
  } cases[] = {
      {"not found", HttpResponse(404, rules), 0, L"answered 404"},
      {"cut short", HttpResponse(200, rules, static_cast<long long>(rules.size()) + 100), 0, L"ended before"},
      {"too slow", HttpResponse(200, rules), 3000, L"did not answer in time"},
      {"said too large", HttpResponse(200, RuleText(0, 1000)), 0, L"larger than the limit"},
      {"too large unsaid", "HTTP/1.0 200 OK\r\n\r\n" + RuleText(0, 1000), 0, L"larger than the limit"},
      {"junk", HttpResponse(200, std::string(5000, '\x9c') + "<html>" + std::string(3000, '\x01')), 0, L"of 0 entries"},
      {"too few entries", HttpResponse(200, RuleText(0, 20)), 0, L"of 20 entries; at least 50"},
      {"a part served whole", HttpResponse(200, "; # of entries: 4,067\r\n" + rules), 0,
       L"the download is incomplete: its header declares 4067 entries, but it holds 80"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RulesFolder folder;
    LoopbackServer server(c.response, c.delayMs);
    catalogue::rules::RulesDownload download =
        catalogue::rules::DownloadCommunityRules(folder.program.Path(), server.Url(), kQuick);
    EXPECT_FALSE(download.pending);
    EXPECT_NE(download.problem.find(c.says), std::wstring::npos) << download.problem;
    EXPECT_EQ(ReadText(folder.CommunityFile()), kOldRules);
    EXPECT_EQ(FolderNames(folder.program.Path()), std::vector<std::wstring>{L"winapp2.ini"});
  }
}

TEST(RulesUpdate, NoServerAtTheAddressIsAClearProblem) {
  RulesFolder folder;
  std::wstring url;
  { url = LoopbackServer(HttpResponse(200, kOldRules)).Url(); }  // the port is closed again
  catalogue::rules::RulesDownload download =
      catalogue::rules::DownloadCommunityRules(folder.program.Path(), url, kQuick);
  EXPECT_FALSE(download.pending);
  EXPECT_NE(download.problem.find(L"the download failed"), std::wstring::npos) << download.problem;
  EXPECT_EQ(ReadText(folder.CommunityFile()), kOldRules);
}

TEST(RulesUpdate, TheAddressIsTheCommunitysUnlessTheSettingsFileNamesAnother) {
  TempFolder program;
  EXPECT_EQ(catalogue::rules::CommunityAddress(program.Path()), catalogue::rules::kCommunityAddress);
  settings::inifun::WriteIniValue(settings::SettingsFile(program.Path()), L"Options", L"Winapp2Url",
                                  L"https://mirror.example/rules/winapp2.ini");
  EXPECT_EQ(catalogue::rules::CommunityAddress(program.Path()), L"https://mirror.example/rules/winapp2.ini");
}

// A stop in any stage ends the update there: an earlier download that waits for the user's word stays
// as it was, and nothing new is written.
TEST(RulesUpdate, AnUpdateStoppedInAnyStageLeavesTheProgramFolderAsItWas) {
  using catalogue::rules::UpdateStage;
  const std::string earlier = RuleText(0, 70);
  LoopbackServer server(HttpResponse(200, RuleText(5, 70)));
  for (UpdateStage stop : {UpdateStage::Downloading, UpdateStage::Reading, UpdateStage::Comparing}) {
    SCOPED_TRACE(static_cast<int>(stop));
    RulesFolder folder;
    WriteText(catalogue::rules::PendingFile(folder.program.Path()), earlier);
    std::vector<UpdateStage> told;
    catalogue::rules::RulesDownload download =
        catalogue::rules::DownloadCommunityRules(folder.program.Path(), server.Url(), kQuick,
                                                 [&](UpdateStage stage, unsigned long long done, long long total) {
                                                   told.push_back(stage);
                                                   // The comparing goes on for some entries before it is stopped.
                                                   return stage != stop ||
                                                          (stage == UpdateStage::Comparing && done < 10 && total == 70);
                                                 });
    EXPECT_TRUE(download.stopped);
    EXPECT_FALSE(download.pending);
    EXPECT_TRUE(download.changes.empty());
    EXPECT_EQ(told.back(), stop);
    EXPECT_EQ(std::count(told.begin(), told.end(), UpdateStage::Comparing), stop == UpdateStage::Comparing ? 11 : 0);
    EXPECT_EQ(ReadText(folder.CommunityFile()), kOldRules);
    EXPECT_EQ(ReadText(catalogue::rules::PendingFile(folder.program.Path())), earlier);
    EXPECT_EQ(FolderNames(folder.program.Path()), (std::vector<std::wstring>{L"winapp2.ini", L"winapp2.ini.new"}));
  }
}
