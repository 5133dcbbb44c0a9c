#include "keeplists/cookie_census.h"

#include <gtest/gtest.h>

#include "support/cookie_databases.h"
#include "support/held_file.h"
#include "support/test_support.h"

using namespace keeplists;
using namespace testing_support;

namespace {

using Rows = std::vector<std::wstring>;

Rows RowsOf(const std::vector<SiteCookies>& sites) {
  Rows rows;
  for (const SiteCookies& site : sites) rows.push_back(SiteRow(site));
  return rows;
}

class CookieCensusTest : public ::testing::Test {
 protected:
  TempFolder local, roaming, ie;
  std::wstring chromeDefault = local / L"Google\\Chrome\\User Data\\Default\\Network\\Cookies";
  std::wstring chromeSecond = local / L"Google\\Chrome\\User Data\\Profile 1\\Cookies";
  std::wstring opera = roaming / L"Opera Software\\Opera Stable\\Network\\Cookies";
  std::wstring operaGx = roaming / L"Opera Software\\Opera GX Stable\\Network\\Cookies";
  std::wstring firefox = roaming / L"Mozilla\\Firefox\\Profiles\\abc.default\\cookies.sqlite";

  void SetUp() override {
    ASSERT_TRUE(
        MakeCookieDatabase(chromeDefault, kChromiumCookies, {".example.com", "mail.example.com", "bank.co.uk"}));
    ASSERT_TRUE(MakeCookieDatabase(chromeSecond, kChromiumCookies, {"www.news.org"}));
    ASSERT_TRUE(MakeCookieDatabase(opera, kChromiumCookies, {"news.org"}));
    ASSERT_TRUE(MakeCookieDatabase(operaGx, kChromiumCookies, {"games.news.org"}));
    ASSERT_TRUE(MakeCookieDatabase(firefox, kFirefoxCookies, {".example.com", "shop.bank.co.uk"}));
    WriteText(ie / L"me@example.txt", "id\r\nvalue\r\nwww.example.com/\r\n");
  }
  std::vector<CookieDatabaseFile> Databases() const { return FindCookieDatabases(local.Path(), roaming.Path()); }
};

TEST_F(CookieCensusTest, FindsTheDatabaseOfEveryProfile) {
  std::vector<CookieDatabaseFile> found = Databases();
  Rows names;
  for (const CookieDatabaseFile& database : found) names.push_back(database.browser + L" " + database.path);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (Rows{L"Chrome " + chromeDefault, L"Chrome " + chromeSecond, L"Firefox " + firefox,
                         L"Opera " + opera, L"Opera GX " + operaGx}));
}

TEST_F(CookieCensusTest, CountsEachSiteWithItsBrowsersSortedBySite) {
  CookieCensus census = TakeCookieCensus({ie / L"me@example.txt"}, Databases());
  EXPECT_EQ(RowsOf(census.sites),
            (Rows{L"bank.co.uk  (Chrome, Firefox: 2)", L"example.com  (Internet Explorer, Chrome, Firefox: 4)",
                  L"news.org  (Chrome, Opera, Opera GX: 3)"}));
  EXPECT_TRUE(census.unread.empty());
}

TEST_F(CookieCensusTest, ADatabaseItsBrowserHoldsIsSkippedAndNamedAndLeftWhole) {
  std::string before = ReadText(firefox);
  CookieCensus census;
  {
    HeldByAnotherProcess holder(firefox, L"rw");
    ASSERT_TRUE(holder.holding());
    census = TakeCookieCensus({}, Databases());
  }
  EXPECT_EQ(census.unread, Rows{L"Firefox: " + firefox + L" (in use)"});
  EXPECT_EQ(RowsOf(census.sites),
            (Rows{L"bank.co.uk  (Chrome: 1)", L"example.com  (Chrome: 2)", L"news.org  (Chrome, Opera, Opera GX: 3)"}));
  EXPECT_EQ(ReadText(firefox), before);
}

TEST(CookieCensusFilter, KeepsTheSitesContainingTheTextLetterCaseAside) {
  std::vector<SiteCookies> sites = {{L"bank.co.uk", {L"Edge"}, 1},
                                    {L"example.com", {L"Edge"}, 2},
                                    {L"news.org", {L"Edge"}, 3}};
  EXPECT_EQ(RowsOf(FilterSites(sites, L" CO")), (Rows{L"bank.co.uk  (Edge: 1)", L"example.com  (Edge: 2)"}));
  EXPECT_EQ(FilterSites(sites, L"").size(), 3u);
  EXPECT_TRUE(FilterSites(sites, L"mail").empty());
}

}  // namespace
