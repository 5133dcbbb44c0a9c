#include "catalogue/catalogue.h"
#include "engine/allerase.h"
#include "engine/regfun.h"
#include "engine/user_folders.h"
#include "platform/text.h"
#include "platform/translation.h"

// Instant messengers, Outlook Express and Windows Live Mail. The run reaches the messengers right
// after the Windows items and the mail programs last.
namespace catalogue {

namespace {

// Item labels are shown through the catalogue.
using platform::TrLater;

// A folder named by a registry value, used as read: cut at its first NUL and trimmed, no expansion.
std::wstring FolderFromRegistry(const std::wstring& path, const wchar_t* valueName) {
  return platform::Trim(engine::regfun::TrimAtNul(engine::regfun::ReadRegistryString(path, valueName)));
}

// Yahoo! Messenger keeps its profiles beside its help folder, in its own folder of the computer: they
// go once, in the current user's run.
void EraseYahooProfiles(run::ItemContext& context) {
  std::wstring help = FolderFromRegistry(
      L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\TypeLib\\{2B323CCC-50E3-11D3-9466-00A0C9700498}\\1.0\\HELPDIR", L"");
  if (IsFullPath(help)) context.AddBytes(engine::allerase::EraseAllFilesInTree(context.erase, help + L"Profiles"));
}

// The store of the user the run's values name, as that user's hive names it: the current user's used
// as read, another user's only inside that user's profile.
void EraseMailAccounts(run::ItemContext& context) {
  constexpr wchar_t kMail[] = L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows Mail";
  const engine::UserScope& user = context.values.user;
  std::wstring store = user.Current() ? FolderFromRegistry(kMail, L"Store Root")
                                      : engine::UserFolderFor(context.erase, user, L"Store Root", L"", kMail);
  if (IsFullPath(store)) {
    context.AddBytes(engine::allerase::EraseFilesByExtensionInTree(context.erase, store, L"oeaccount"));
  }
}

const Item kMessengerItems[] = {
    {L"Messenger",
     L"msnchat",
     TrLater(L"Windows Live Messenger chat log folder"),
     44,
     FlagRule::ExactlyOne,
     {AllFiles(Base::Documents, L"\\my chat logs")}},
    {L"Messenger",
     L"msnfiles",
     TrLater(L"Windows Live Messenger Received Files folder"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {AllFiles(Base::Documents, L"\\my received files")}},
    {L"Messenger",
     L"yahoopage",
     TrLater(L"Yahoo! Messenger Page settings"),
     45,
     FlagRule::ExactlyOne,
     {Value(L"Software\\Yahoo\\pager", L"Yahoo! User ID"), Value(L"Software\\Yahoo\\pager", L"Auto Login")}},
    {L"Messenger",
     L"yahooprofiles",
     TrLater(L"Yahoo! Messenger profiles"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {Tree(L"Software\\Yahoo\\pager\\profiles"), Call(EraseYahooProfiles)}},
    {L"Messenger",
     L"yahoofiles",
     TrLater(L"Yahoo! Messenger Temporary Internet Files"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {AllFiles(Base::Absolute, L"C:\\Program Files\\Yahoo!\\Messenger\\Cache")}},
    {L"Messenger",
     L"yahoologs",
     TrLater(L"Yahoo! Messenger Log Files"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {AllFiles(Base::Absolute, L"C:\\Program Files\\Yahoo!\\Messenger\\logs")}},
    {L"Messenger",
     L"aolsettings",
     TrLater(L"AOL Instant Messenger settings"),
     46,
     FlagRule::ExactlyOne,
     {AllFiles(Base::LocalAppData, L"\\AIM\\Settings")}},
    {L"Messenger",
     L"aolnames",
     TrLater(L"AOL Instant Messenger Recent screen names"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {FileIn(Base::LocalAppData, L"\\AIM", L"aimx.bin")}},
    {L"Messenger",
     L"aolpassword",
     TrLater(L"AOL Messenger user password"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {FileIn(Base::LocalAppData, L"\\AIM", L"aimx.bin")}},
    {L"Messenger",
     L"aolbuddy",
     TrLater(L"AOL Information about Buddy list"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {AllFiles(Base::AppData, L"\\acccore\\caches\\users")}},
    {L"Messenger",
     L"aollogs",
     TrLater(L"AOL Messenger logs"),
     47,
     FlagRule::ExactlyOne,
     {AllFiles(Base::Documents, L"\\AIMLogger")}},
    // ICQ's sign-in history, although the label names AOL.
    {L"Messenger",
     L"icqsign",
     TrLater(L"AOL Messenger Sign in history"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {NamedFiles(Base::AppData, L"\\ICQ", L"Application.qdb")}},
    {L"Messenger",
     L"icquser",
     TrLater(L"ICQ User history"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {NamedFiles(Base::AppData, L"\\ICQ", L"Messages.qdb")}},
    {L"Messenger",
     L"icqcontact",
     TrLater(L"ICQ contact list"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {NamedFiles(Base::AppData, L"\\ICQ", L"Owner.qdb")}},
    {L"Messenger",
     L"icqaccount",
     TrLater(L"ICQ Account"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {NamedFiles(Base::AppData, L"\\ICQ", L"Application.qdb")}},
    {L"Messenger",
     L"icqfiles",
     TrLater(L"ICQ All the files received from the other users"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {NamedFolders(Base::Documents, L"\\ICQ", L"receivedfiles")}},
    {L"Messenger",
     L"icqsearch",
     TrLater(L"ICQ Toolbar search history"),
     48,
     FlagRule::ExactlyOne,
     {Key(L"Software\\Microsoft\\Internet Explorer\\LowRegistry\\ICQ\\ICQToolBar\\History")}},
};

const Item kMailItems[] = {
    {L"outlook",
     L"address",
     L"outlook express address book",
     kNoProgress,
     FlagRule::ExactlyOne,
     {ExtensionFiles(Base::AppData, L"\\Microsoft\\Address Book", L"wab")}},
    {L"outlook",
     L"accounts",
     L"outlook express Accounts",
     59,
     FlagRule::ExactlyOne,
     {Tree(L"Software\\Microsoft\\Internet Account Manager")}},
    {L"outlook",
     L"deleted",
     L"outlook express deleted email",
     kNoProgress,
     FlagRule::ExactlyOne,
     {NamedFiles(Base::LocalAppData, L"\\Identities", L"Deleted Items.dbx")}},
    {L"outlook",
     L"sent",
     L"outlook express sent email",
     60,
     FlagRule::ExactlyOne,
     {NamedFiles(Base::LocalAppData, L"\\Identities", L"Sent Items.dbx")}},
    {L"outlook",
     L"outbox",
     L"outlook express outbox email",
     kNoProgress,
     FlagRule::ExactlyOne,
     {NamedFiles(Base::LocalAppData, L"\\Identities", L"Outbox.dbx")}},
    {L"outlook",
     L"blocked",
     L"outlook express blocked senders list",
     kNoProgress,
     FlagRule::ExactlyOne,
     {Tree(
          L"Identities\\{D26D609B-5ED5-4F41-B764-6684674F99A4}\\Software\\Microsoft\\Outlook Express\\5.0\\Block Senders"),
      Keys(1)}},
    {L"outlook",
     L"created",
     L"outlook express history of Outlook folders you created",
     kNoProgress,
     FlagRule::ExactlyOne,
     {NamedFiles(Base::LocalAppData, L"\\Identities", L"Folders.dbx")}},
    {L"outlook",
     L"mailrules",
     L"outlook express mail rules",
     62,
     FlagRule::ExactlyOne,
     {Tree(
         L"Identities\\{D26D609B-5ED5-4F41-B764-6684674F99A4}\\Software\\Microsoft\\Outlook Express\\5.0\\Rules\\Mail")}},
    {L"outlook",
     L"newsrules",
     L"outlook express news rules",
     kNoProgress,
     FlagRule::ExactlyOne,
     {Tree(
          L"Identities\\{D26D609B-5ED5-4F41-B764-6684674F99A4}\\Software\\Microsoft\\Outlook Express\\5.0\\Rules\\News"),
      Keys(1)}},
    {L"outlook",
     L"signatures",
     L"outlook express signatures",
     kNoProgress,
     FlagRule::ExactlyOne,
     {Tree(
         L"Identities\\{D26D609B-5ED5-4F41-B764-6684674F99A4}\\Software\\Microsoft\\Outlook Express\\5.0\\signatures")}},
    {L"mail",
     L"Recently",
     L"Windows Live Mail Recently",
     64,
     FlagRule::ExactlyOne,
     {Tree(L"Software\\Microsoft\\Windows Live Mail\\Recent Stationery Wide List"),
      Tree(L"Software\\Microsoft\\Windows Live Mail\\Reply Count"),
      Tree(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\CIDSizeMRU"),
      Tree(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedPidlMRU"),
      Tree(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSavePidlMRU")}},
    {L"mail",
     L"Signatures",
     L"Windows Live Mail Signatures",
     kNoProgress,
     FlagRule::ExactlyOne,
     {Tree(L"Software\\Microsoft\\Windows Live Mail\\signatures")}},
    {L"mail",
     L"Block",
     L"Windows Live Mail Block Senders list",
     65,
     FlagRule::ExactlyOne,
     {Tree(L"Software\\Microsoft\\Windows Live Mail\\PerPassportSettings\\0\\Junk Mail\\Block Senders List")}},
    {L"mail",
     L"Safe",
     L"Windows Live Mail Safe Senders list",
     kNoProgress,
     FlagRule::ExactlyOne,
     {Tree(L"Software\\Microsoft\\Windows Live Mail\\PerPassportSettings\\0\\Junk Mail\\Safe Senders List")}},
    {L"mail",
     L"mailrules",
     L"Windows Live Mail Mail rules",
     67,
     FlagRule::ExactlyOne,
     {Tree(L"Software\\Microsoft\\Windows Live Mail\\Rules\\Mail")}},
    {L"mail",
     L"newsrules",
     L"Windows Live Mail news rules",
     69,
     FlagRule::ExactlyOne,
     {Tree(L"Software\\Microsoft\\Windows Live Mail\\Rules\\News")}},
    {L"mail", L"accounts", L"Windows Live Mail accounts", 70, FlagRule::ExactlyOne, {UserCall(EraseMailAccounts)}},
};

}  // namespace

std::span<const Item> MessengerItems() { return kMessengerItems; }
std::span<const Item> MailItems() { return kMailItems; }

}  // namespace catalogue
