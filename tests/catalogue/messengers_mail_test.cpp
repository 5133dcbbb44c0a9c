#include <gtest/gtest.h>

#include "catalogue/catalogue_fixture.h"

using namespace testing_support;

namespace {

class MessengersAndMail : public CatalogueTest {};

}  // namespace

TEST_F(MessengersAndMail, RegistryItemsCountTheirFixedAmounts) {
  const std::tuple<const wchar_t*, const wchar_t*, double> expected[] = {
      {L"Messenger", L"yahoopage", 2}, {L"Messenger", L"yahooprofiles", 5},
      {L"Messenger", L"icqsearch", 3}, {L"outlook", L"accounts", 5},
      {L"outlook", L"blocked", 6},     {L"outlook", L"mailrules", 5},
      {L"outlook", L"newsrules", 6},   {L"outlook", L"signatures", 5},
      {L"mail", L"Recently", 25},      {L"mail", L"Signatures", 5},
      {L"mail", L"Block", 5},          {L"mail", L"Safe", 5},
      {L"mail", L"mailrules", 5},      {L"mail", L"newsrules", 5},
      {L"Messenger", L"msnchat", 0},   {L"mail", L"accounts", 0},
  };
  for (const auto& [section, key, keys] : expected) {
    EXPECT_EQ(Run({{section, key}}).cleanedKeys, keys) << section << L"/" << key;
    EXPECT_EQ(view.rows.size(), 2u);
  }
}

TEST_F(MessengersAndMail, RegistryTracesAreRemoved) {
  SetString(HKEY_CURRENT_USER, L"Software\\Yahoo\\pager", L"Yahoo! User ID", L"me");
  SetString(HKEY_CURRENT_USER, L"Software\\Yahoo\\pager", L"Keep", L"me");
  SetString(HKEY_CURRENT_USER, L"Software\\Yahoo\\pager\\profiles\\me", L"x", L"y");
  SetString(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows Live Mail\\Rules\\Mail\\000", L"x", L"y");
  Run({{L"Messenger", L"yahoopage"}, {L"Messenger", L"yahooprofiles"}, {L"mail", L"mailrules"}});
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, L"Software\\Yahoo\\pager", L"Yahoo! User ID"));
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, L"Software\\Yahoo\\pager", L"Keep"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Yahoo\\pager\\profiles"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows Live Mail\\Rules\\Mail"));
  engine::allerase::DeleteRegistryTree({}, HKEY_CURRENT_USER, L"Software\\Yahoo");
}

TEST_F(MessengersAndMail, MessengerFilesByNameDepthAndCase) {
  std::wstring aim = values.localAppDataFolder + L"\\AIM";
  MakeFile(aim + L"\\aimx.bin", 10);
  MakeFile(aim + L"\\sub\\aimx.bin", 20);
  std::wstring icq = values.appDataFolder + L"\\ICQ";
  MakeFile(icq + L"\\Application.qdb", 1);
  MakeFile(icq + L"\\p\\q\\Application.qdb", 2);
  MakeFile(icq + L"\\p\\application.qdb", 4);
  MakeFile(documents / L"ICQ\\a\\RECEIVEDFILES\\pic.jpg", 300);
  MakeFile(documents / L"ICQ\\ReceivedFiles\\doc.txt", 500);
  MakeFile(documents / L"my chat logs\\x\\log.xml", 7);

  run::RunCounters counters = Run({{L"Messenger", L"aolnames"}, {L"Messenger", L"aolpassword"}});
  EXPECT_EQ(counters.releasedBytes, 10);
  ExpectKept(aim + L"\\sub\\aimx.bin");
  ASSERT_EQ(view.rows.size(), 3u);
  EXPECT_EQ(view.rows[1].state, L"Done");

  // "icqsign" and "icqaccount" erase the same file name in the whole tree: folders ICQ, p, q.
  counters = Run({{L"Messenger", L"icqsign"}});
  EXPECT_EQ(counters.releasedBytes, 3 + 3 * 10000);
  ExpectKept(icq + L"\\p\\application.qdb");

  counters = Run({{L"Messenger", L"icqfiles"}, {L"Messenger", L"msnchat"}});
  ExpectGone(documents / L"ICQ\\a\\RECEIVEDFILES");
  ExpectGone(documents / L"ICQ\\ReceivedFiles");
  ExpectKept(documents / L"ICQ\\a");
  ExpectGone(documents / L"my chat logs\\x\\log.xml");
  // ICQ and a visited, 800 bytes; "my chat logs" and x, 7 bytes.
  EXPECT_EQ(counters.releasedBytes, 800 + 2 * 10000 + 7 + 2 * 10000);
}

// A Documents folder the system cannot name counts as a missing one: one tree visit, nothing else.
TEST_F(MessengersAndMail, ATreeStepWhoseFolderCannotBeNamedCountsItsVisit) {
  MakeFile(documents / L"my chat logs\\log.txt", 7);
  ScopedRegistryValue broken(HKEY_CURRENT_USER,
                             L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", L"Personal",
                             L"not a folder", REG_EXPAND_SZ);
  EXPECT_EQ(Run({{L"Messenger", L"msnchat"}}).releasedBytes, 10000);
  ExpectKept(documents / L"my chat logs\\log.txt");
}

TEST_F(MessengersAndMail, OutlookExpressMailFilesMatchExactly) {
  std::wstring identities = values.localAppDataFolder + L"\\Identities";
  MakeFile(identities + L"\\{ID}\\Microsoft\\Outlook Express\\Deleted Items.dbx", 64);
  MakeFile(identities + L"\\{ID}\\Microsoft\\deleted items.dbx", 128);
  MakeFile(values.appDataFolder + L"\\Microsoft\\Address Book\\me.WAB", 32);
  Run({{L"outlook", L"deleted"}, {L"outlook", L"address"}});
  ExpectGone(identities + L"\\{ID}\\Microsoft\\Outlook Express\\Deleted Items.dbx");
  ExpectKept(identities + L"\\{ID}\\Microsoft\\deleted items.dbx");
  ExpectGone(values.appDataFolder + L"\\Microsoft\\Address Book\\me.WAB");
}

TEST_F(MessengersAndMail, MailAccountsLiveInTheStoreRootAsRead) {
  std::wstring store = root / L"Mail Store";
  MakeFile(store + L"\\acct\\{1}.oeaccount", 90);
  MakeFile(store + L"\\acct\\keep.eml", 9);
  {
    ScopedRegistryValue storeRoot(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows Mail", L"Store Root",
                                  L" " + store + L" ");
    EXPECT_EQ(Run({{L"mail", L"accounts"}}).releasedBytes, 90 + 2 * 10000);
  }
  ExpectGone(store + L"\\acct\\{1}.oeaccount");
  ExpectKept(store + L"\\acct\\keep.eml");

  MakeFile(store + L"\\acct\\{2}.oeaccount", 90);
  ScopedRegistryValue unexpanded(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows Mail", L"Store Root",
                                 L"%USERPROFILE%\\Mail Store");
  EXPECT_EQ(Run({{L"mail", L"accounts"}}).releasedBytes, 0);
  ExpectKept(store + L"\\acct\\{2}.oeaccount");
}

TEST_F(MessengersAndMail, YahooProfilesBesideTheHelpFolder) {
  std::wstring help = root / L"Yahoo\\help\\";
  MakeFile(help + L"Profiles\\me\\p.dat", 11);
  ScopedRegistryValue helpDir(HKEY_LOCAL_MACHINE,
                              L"SOFTWARE\\Classes\\TypeLib\\{2B323CCC-50E3-11D3-9466-00A0C9700498}\\1.0\\HELPDIR", L"",
                              help);
  run::RunCounters counters = Run({{L"Messenger", L"yahooprofiles"}});
  EXPECT_EQ(counters.cleanedKeys, 5);
  EXPECT_EQ(counters.releasedBytes, 11 + 2 * 10000);
  ExpectGone(help + L"Profiles\\me\\p.dat");
}
