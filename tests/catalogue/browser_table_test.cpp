#include "engine/browser_table.h"

#include <gtest/gtest.h>

#include "catalogue/browser_rules.h"
#include "catalogue/closing_browsers.h"
#include "catalogue/plugins.h"
#include "catalogue/running_programs.h"
#include "engine/kept_data.h"
#include "keeplists/cookie_census.h"
#include "support/cookie_databases.h"
#include "support/held_file.h"
#include "support/test_support.h"
#include "ui/ie_windows.h"

using namespace testing_support;

namespace {

// A Chromium browser known to no layer but by this one row, its profiles below a home folder of a
// name no other browser uses.
const engine::Browser kKestrel[] = {
    {L"Kestrel",
     L"Kestrel",
     true,
     L"Kestrel Browser",
     L"Kestrel",
     L"History",
     {L"kestrel.exe"},
     {L"Kestrel\\Application"},
     {},
     false,
     L"Kestrel\\Nest",
     false,
     true,
     {L"Network\\Cookies"},
     L"History",
     L"CleanOnCloseKestrel",
     L"KestrelFrame",
     false,
     {0, nullptr},
     {L"kestrel", L"kestrel browser"}},
};

constexpr wchar_t kKestrelProgramFiles[] = L"C:\\Program Files";

}  // namespace

TEST(BrowserTable, EveryStageDerivesABrowserFromItsRowAndItsData) {
  TempFolder program, local, roaming;
  const std::wstring profile = local / L"Kestrel\\Nest\\Default";
  ASSERT_TRUE(MakeCookieDatabase(profile + L"\\Network\\Cookies", kChromiumCookies, {"www.kestrel.example"}));
  WriteText(profile + L"\\History", "");
  WriteText(program / L"rules\\kestrel.ini",
            "[Kestrel Browser Cache *]\r\nSection=Browsers\r\nDetectFile=%LocalAppData%\\Kestrel\\Nest\r\n"
            "FileKey1=%LocalAppData%\\Kestrel\\Nest\\*\\Cache|*.*|RECURSE\r\n");
  const std::wstring plugins = catalogue::plugins::PluginFolder(program.Path());
  WriteText(plugins + L"\\Kestrel Cache.ppe", "[name]\r\nappname=Kestrel Cache\r\n");
  ASSERT_TRUE(catalogue::plugins::WritePluginSwitch(plugins, L"Kestrel Cache", true));

  // Its rule on its own tab and its definition as the same kind.
  const std::vector<catalogue::rules::Rule> rules = catalogue::rules::LoadRules(program.Path());
  ASSERT_EQ(rules.size(), 1u);
  auto rule = catalogue::rules::OnBrowserTab(rules[0], kKestrel);
  ASSERT_TRUE(rule);
  EXPECT_EQ(rule->browser, &kKestrel[0]);
  EXPECT_EQ(rule->kind, L"Cache");
  EXPECT_FALSE(catalogue::rules::OnBrowserTab(rules[0]));
  const auto entries = catalogue::plugins::ListPlugins(plugins);
  ASSERT_EQ(entries.size(), 1u);
  auto same = catalogue::rules::SameAsRule(entries[0].name, kKestrel);
  ASSERT_TRUE(same);
  EXPECT_EQ(same->browser, &kKestrel[0]);
  EXPECT_TRUE(catalogue::rules::NamesSearchedBrowser(L"Kestrel Browser Cache *", L"Kestrel", kKestrel));

  // Running from its install folder with its plug-in ticked, it is named to the user.
  ScopedEnvironment programFiles{L"ProgramFiles", kKestrelProgramFiles};
  const std::wstring executable = std::wstring(kKestrelProgramFiles) + L"\\Kestrel\\Application\\kestrel.exe";
  EXPECT_EQ(catalogue::RunningProgramsWithItemsOn(
                program.Path(), local.Path(), [&] { return std::vector<std::wstring>{executable}; }, kKestrel),
            std::vector<std::wstring>{L"Kestrel"});

  // The close watch finds it by its profiles and waits while its history is held.
  run::ProcessValues values;
  values.localAppDataFolder = local.Path();
  values.appDataFolder = roaming.Path();
  EXPECT_EQ(catalogue::FoundClosingBrowsers(values, kKestrel),
            std::vector<const catalogue::ClosingBrowser*>{&kKestrel[0]});
  {
    HeldByAnotherProcess held(profile + L"\\History", L"-");
    ASSERT_TRUE(held.holding());
    EXPECT_FALSE(catalogue::FilesReleased(kKestrel[0], values));
  }
  EXPECT_TRUE(catalogue::FilesReleased(kKestrel[0], values));

  // The boss key hides its main windows, its kept files are refused, its cookies are counted.
  EXPECT_TRUE(ui::iewindows::HidesWindow(L"KestrelFrame", L"kestrel.exe", true, kKestrel));
  EXPECT_FALSE(ui::iewindows::HidesWindow(L"KestrelFrame", L"kestrel.exe", true));
  EXPECT_TRUE(engine::KeptFile(profile + L"\\Login Data", kKestrel));
  EXPECT_FALSE(engine::KeptFile(profile + L"\\Login Data"));
  const auto databases = keeplists::FindCookieDatabases(local.Path(), roaming.Path(), kKestrel);
  const keeplists::CookieCensus census = keeplists::TakeCookieCensus({}, databases);
  ASSERT_EQ(census.sites.size(), 1u);
  EXPECT_EQ(keeplists::SiteRow(census.sites[0]), L"kestrel.example  (Kestrel: 1)");
}
