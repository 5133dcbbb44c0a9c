// A host's site, and the site entries of the cookie keep list.
#include <gtest/gtest.h>

#include "engine/cookie_sites.h"

namespace {

TEST(CookieSites, AHostsSiteIsItsRegistrableDomain) {
  const struct {
    const wchar_t* host;
    const wchar_t* site;
  } kCases[] = {
      {L"mail.example.com", L"example.com"},  {L".example.com", L"example.com"},  {L"Example.COM", L"example.com"},
      {L"a.b.c.example.org", L"example.org"}, {L"foo.co.uk", L"foo.co.uk"},       {L".www.foo.co.uk", L"foo.co.uk"},
      {L"shop.com.au", L"shop.com.au"},       {L"x.y.co.jp", L"y.co.jp"},         {L"co.uk", L"co.uk"},
      {L"localhost", L"localhost"},           {L"192.168.1.10", L"192.168.1.10"}, {L"[::1]", L"[::1]"},
  };
  for (const auto& c : kCases) EXPECT_EQ(engine::SiteOf(c.host), c.site) << c.host;
}

TEST(CookieSites, SiteEntriesAreLinesNoPathCanBeAndOnlyTheyParse) {
  const struct {
    const wchar_t* line;
    bool parses;
    bool exactHost;
    const wchar_t* name;
  } kCases[] = {
      {L"site:example.com", true, false, L"example.com"},
      {L"site: mail.Example.com ", true, false, L"example.com"},
      {L"SITE:.example.com", true, false, L"example.com"},
      {L"host:mail.example.com", true, true, L"mail.example.com"},
      {L"host:.Mail.example.com", true, true, L"mail.example.com"},
      {L"C:\\Users\\me\\Cookies\\me@example[1].txt", false, false, L""},
      {L"site:", false, false, L""},
      {L"site:C:\\Users", false, false, L""},
      {L"example.com", false, false, L""},
  };
  for (const auto& c : kCases) {
    std::optional<engine::KeptSite> site = engine::ParseKeptSite(c.line);
    ASSERT_EQ(site.has_value(), c.parses) << c.line;
    if (!site) continue;
    EXPECT_EQ(site->exactHost, c.exactHost) << c.line;
    EXPECT_EQ(site->name, c.name) << c.line;
    EXPECT_EQ(engine::ParseKeptSite(engine::KeptSiteLine(*site)), site) << c.line;
  }
}

TEST(CookieSites, ASiteKeepsEveryHostInItAnExactHostOnlyItself) {
  engine::KeptSites kept;
  kept.Add({false, L"example.com"});
  kept.Add({true, L"mail.kept.org"});
  const struct {
    const wchar_t* host;
    bool kept;
  } kCases[] = {
      {L".example.com", true},          {L"www.example.com", true}, {L"EXAMPLE.com", true}, {L"notexample.com", false},
      {L"example.com.evil.net", false}, {L".mail.kept.org", true},  {L"kept.org", false},   {L"x.mail.kept.org", false},
  };
  for (const auto& c : kCases) EXPECT_EQ(kept.Keeps(c.host), c.kept) << c.host;
}

}  // namespace

namespace {

TEST(CookieSites, SignInStorageFoldersNameTheirHost) {
  const struct {
    const wchar_t* folder;
    const wchar_t* host;
  } kCases[] = {
      {L"C:\\p\\storage\\default\\https+++mail.example.com", L"mail.example.com"},
      {L"C:\\p\\Storage\\Default\\https+++example.com^userContextId=1", L"example.com"},
      {L"C:\\p\\storage\\default\\http+++localhost+8080", L"localhost"},
      {L"C:\\p\\IndexedDB\\https_mail.example.com_0.indexeddb.leveldb", L"mail.example.com"},
      {L"C:\\p\\IndexedDB\\https_example.com_0.indexeddb.blob", L"example.com"},
      {L"C:\\p\\storage\\permanent\\https+++example.com", L""},
      {L"C:\\p\\Cache\\https_example.com_0", L""},
      {L"C:\\p\\IndexedDB\\leveldb", L""},
  };
  for (const auto& c : kCases) EXPECT_EQ(engine::StorageFolderHost(c.folder), c.host) << c.folder;
}

}  // namespace
