#include "catalogue/running_programs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "catalogue/plugins.h"
#include "platform/text.h"
#include "settings/inifun.h"
#include "settings/item_flags.h"
#include "shipped_plugins.h"
#include "support/fake_browser.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

using Names = std::vector<std::wstring>;

constexpr wchar_t kProgramFiles[] = L"C:\\Program Files";
constexpr wchar_t kLocal[] = L"C:\\users\\me\\AppData\\Local";

class RunningPrograms : public ::testing::Test {
 protected:
  std::wstring Plugins() const { return program / L"plus-in"; }
  void Plugin(const std::wstring& name, bool on) {
    WriteText(Plugins() + L"\\" + name + L".ppe", "[name]\r\nappname=" + platform::Narrow(name) + "\r\n");
    ASSERT_TRUE(catalogue::plugins::WritePluginSwitch(Plugins(), name, on));
  }
  void Flag(const wchar_t* section, const wchar_t* key, const wchar_t* value) {
    settings::inifun::WriteIniValue(settings::SettingsFile(program.Path()), section, key, value);
  }
  // The programs named while processes of those executables run, each from its program's first
  // install folder (or the Windows folder, for a program not watched).
  Names Check(const Names& executables) {
    Names paths;
    for (const std::wstring& executable : executables) paths.push_back(Installed(executable));
    return CheckPaths(paths);
  }
  Names CheckPaths(const Names& paths) {
    return catalogue::RunningProgramsWithItemsOn(program.Path(), kLocal, [&] { return paths; });
  }
  static std::wstring Installed(const std::wstring& executable) {
    for (const catalogue::WatchedProgram& watched : catalogue::WatchedPrograms()) {
      for (const std::wstring& name : watched.processes) {
        if (platform::EqualsNoCase(name, executable)) {
          return std::wstring(kProgramFiles) + L"\\" + watched.installs[0] + L"\\" + executable;
        }
      }
    }
    return L"C:\\windows\\" + executable;
  }
  TempFolder program;
  ScopedEnvironment programFiles{L"ProgramFiles", kProgramFiles};
  ScopedEnvironment programFiles86{L"ProgramFiles(x86)", L"C:\\Program Files (x86)"};
};

}  // namespace

TEST(WatchedProgramTable, NamesRealSectionsAndTheShippedBrowserPlugins) {
  std::set<std::wstring> sections;
  for (const settings::ItemFlag& flag : settings::ItemFlags()) sections.insert(platform::ToLower(flag.section));
  std::set<std::wstring> shipped;
  for (const ShippedFile& plugin : kShippedPlugins) {
    std::wstring file = plugin.fileName;
    shipped.insert(file.substr(0, file.size() - 4));
  }
  std::set<std::wstring> watchedPlugins;
  for (const catalogue::WatchedProgram& program : catalogue::WatchedPrograms()) {
    EXPECT_FALSE(program.processes.empty()) << program.name;
    EXPECT_FALSE(program.installs.empty()) << program.name;
    EXPECT_FALSE(program.sections.empty() && program.plugins.empty()) << program.name;
    for (const std::wstring& process : program.processes) {
      EXPECT_EQ(platform::ToLower(process.substr(process.size() - 4)), L".exe") << process;
    }
    for (const std::wstring& section : program.sections) {
      EXPECT_TRUE(sections.count(platform::ToLower(section))) << section;
    }
    for (const std::wstring& plugin : program.plugins) {
      EXPECT_TRUE(shipped.count(plugin)) << plugin;
      watchedPlugins.insert(plugin);
    }
  }
  // Every shipped browser definition belongs to the program that holds its files.
  for (const std::wstring& name : shipped) {
    if (name == L"7-Zip" || name == L"VLC" || name == L"Windows Media Player") continue;
    EXPECT_TRUE(watchedPlugins.count(name)) << name;
  }
}

TEST_F(RunningPrograms, OnlyRunningProgramsWithAnItemOnAreNamed) {
  Names running = {L"explorer.exe", L"MSEDGE.EXE", L"firefox.exe", L"chrome.exe", L"wlmail.exe"};
  // Nothing on: nothing to warn about, whatever runs.
  EXPECT_EQ(Check(running), Names{});

  Plugin(L"Edge Cookies", true);
  Plugin(L"Chrome Cache", false);
  Flag(L"FIREFOX", L"Cache", L"01");  // ticks the box, but the run leaves the item off
  Flag(L"mail", L"Signatures", L"0");
  EXPECT_EQ(Check(running), Names{L"Microsoft Edge"});

  Flag(L"firefox", L"Cache", L"1");
  Flag(L"mail", L"Block", L"1");
  Plugin(L"Chrome Cache", true);
  EXPECT_EQ(Check(running), (Names{L"Google Chrome", L"Microsoft Edge", L"Mozilla Firefox", L"Windows Live Mail"}));
  // The same items on, other programs running.
  EXPECT_EQ(Check({L"Chrome.exe"}), Names{L"Google Chrome"});
  EXPECT_EQ(Check({L"chrome.exe.bak", L"xchrome.exe", L"opera.exe"}), Names{});
  EXPECT_EQ(Check({}), Names{});
}

TEST_F(RunningPrograms, APluginOnlyCountsUnderItsOwnNameAndTick) {
  // An own definition that happens to clean Brave's folders is not known to belong to Brave.
  Plugin(L"My Brave Cleaner", true);
  Plugin(L"Brave History", false);
  EXPECT_EQ(Check({L"brave.exe"}), Names{});
  Plugin(L"Brave History", true);
  EXPECT_EQ(Check({L"brave.exe"}), Names{L"Brave"});
  Flag(L"Chrome", L"Session", L"1");
  EXPECT_EQ(Check({L"brave.exe", L"vivaldi.exe", L"chrome.exe"}), (Names{L"Google Chrome", L"Brave"}));
}

// The check reads a switch as the run does: a Maxthon item runs for any text that reads as 1.
TEST_F(RunningPrograms, TheMaxthonItemsCountAsTheRunReadsThem) {
  Flag(L"Maxthon", L"keywords", L"01");
  EXPECT_EQ(Check({L"maxthon.exe"}), Names{L"Maxthon Browser"});
}

TEST(RunningProgramsQuestion, NamesEveryProgramAndAsksWhetherToContinue) {
  std::wstring one = catalogue::RunningProgramsQuestion({L"Microsoft Edge"});
  EXPECT_NE(one.find(L"This program is running"), std::wstring::npos);
  EXPECT_NE(one.find(L"Microsoft Edge"), std::wstring::npos);
  EXPECT_NE(one.find(L"Files it holds open cannot be erased"), std::wstring::npos);
  std::wstring two = catalogue::RunningProgramsQuestion({L"Google Chrome", L"Mozilla Firefox"});
  EXPECT_NE(two.find(L"These programs are running"), std::wstring::npos);
  EXPECT_LT(two.find(L"Google Chrome"), two.find(L"Mozilla Firefox"));
  EXPECT_NE(two.find(L"Files they hold open cannot be erased"), std::wstring::npos);
  EXPECT_EQ(two.substr(two.size() - 16), L"Continue anyway?");
}

// A browser is known by its program in one of its install folders, per machine or per user (Opera's
// in the folder of its version); the same program anywhere else is another program of its name.
TEST_F(RunningPrograms, OnlyAProgramInItsInstallFolderCounts) {
  Plugin(L"Chrome Cache", true);
  Plugin(L"Opera Cache", true);
  const std::wstring local = kLocal;
  const struct {
    std::wstring path;
    Names named;
  } kCases[] = {
      {L"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe", {L"Google Chrome"}},
      {L"C:\\Program Files (x86)\\Google\\Chrome\\Application\\CHROME.EXE", {L"Google Chrome"}},
      {local + L"\\Google\\Chrome\\Application\\chrome.exe", {L"Google Chrome"}},
      {local + L"\\Programs\\Opera\\105.0.4970.21\\opera.exe", {L"Opera"}},
      {L"C:\\users\\me\\Downloads\\chrome.exe", {}},
      {L"C:\\Program Files\\Google\\Chrome\\Application2\\chrome.exe", {}},
      {L"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe.exe", {}},
      {L"C:\\users\\other\\AppData\\Local\\Google\\Chrome\\Application\\chrome.exe", {}},
      {L"chrome.exe", {}},
  };
  for (const auto& c : kCases) EXPECT_EQ(CheckPaths({c.path}), c.named) << platform::Narrow(c.path);
}

TEST_F(RunningPrograms, ARealProcessIsFoundFromItsInstallFolderOnly) {
  TempFolder installs, downloads;
  ScopedEnvironment installed{L"ProgramFiles", installs.Path()};
  Plugin(L"Vivaldi Sessions", true);
  auto running = [&] { return catalogue::RunningProgramsWithItemsOn(program.Path(), kLocal); };
  EXPECT_EQ(running(), Names{});
  {
    // Another program of its name, from the downloads, is not Vivaldi.
    FakeBrowser namesake(downloads.Path(), L"vivaldi.exe");
    ASSERT_TRUE(namesake.Copied() && namesake.Start());
    EXPECT_EQ(running(), Names{});
    FakeBrowser vivaldi(installs / L"Vivaldi\\Application", L"vivaldi.exe");
    ASSERT_TRUE(vivaldi.Copied() && vivaldi.Start());
    EXPECT_EQ(running(), Names{L"Vivaldi"});
    EXPECT_TRUE(vivaldi.Running() && namesake.Running());
  }
  EXPECT_EQ(running(), Names{});
}
