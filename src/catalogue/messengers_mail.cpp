#include "catalogue/catalogue.h"

// Instant messengers, Outlook Express and Windows Live Mail. The run reaches the messengers right
// after the Windows items and the mail programs last.
namespace catalogue {

namespace {

const Item kMessengerItems[] = {
    {L"Messenger", L"msnchat", L"Windows Live Messenger chat log folder", 44},
    {L"Messenger", L"msnfiles", L"Windows Live Messenger Received Files folder", kNoProgress},
    {L"Messenger", L"yahoopage", L"Yahoo! Messenger Page settings", 45},
    {L"Messenger", L"yahooprofiles", L"Yahoo! Messenger profiles", kNoProgress},
    {L"Messenger", L"yahoofiles", L"Yahoo! Messenger Temporary Internet Files", kNoProgress},
    {L"Messenger", L"yahoologs", L"Yahoo! Messenger Log Files", kNoProgress},
    {L"Messenger", L"aolsettings", L"AOL Instant Messenger settings", 46},
    {L"Messenger", L"aolnames", L"AOL Instant Messenger Recent screen names", kNoProgress},
    {L"Messenger", L"aolpassword", L"AOL Messenger user password", kNoProgress},
    {L"Messenger", L"aolbuddy", L"AOL Information about Buddy list", kNoProgress},
    {L"Messenger", L"aollogs", L"AOL Messenger logs", 47},
    {L"Messenger", L"icqsign", L"AOL Messenger Sign in history", kNoProgress},
    {L"Messenger", L"icquser", L"ICQ User history", kNoProgress},
    {L"Messenger", L"icqcontact", L"ICQ contact list", kNoProgress},
    {L"Messenger", L"icqaccount", L"ICQ Account", kNoProgress},
    {L"Messenger", L"icqfiles", L"ICQ All the files received from the other users", kNoProgress},
    {L"Messenger", L"icqsearch", L"ICQ Toolbar search history", 48},
};

const Item kMailItems[] = {
    {L"outlook", L"address", L"outlook express address book", kNoProgress},
    {L"outlook", L"accounts", L"outlook express Accounts", 59},
    {L"outlook", L"deleted", L"outlook express deleted email", kNoProgress},
    {L"outlook", L"sent", L"outlook express sent email", 60},
    {L"outlook", L"outbox", L"outlook express outbox email", kNoProgress},
    {L"outlook", L"blocked", L"outlook express blocked senders list", kNoProgress},
    {L"outlook", L"created", L"outlook express history of Outlook folders you created", kNoProgress},
    {L"outlook", L"mailrules", L"outlook express mail rules", 62},
    {L"outlook", L"newsrules", L"outlook express news rules", kNoProgress},
    {L"outlook", L"signatures", L"outlook express signatures", kNoProgress},
    {L"mail", L"Recently", L"Windows Live Mail Recently", 64},
    {L"mail", L"Signatures", L"Windows Live Mail Signatures", kNoProgress},
    {L"mail", L"Block", L"Windows Live Mail Block Senders list", 65},
    {L"mail", L"Safe", L"Windows Live Mail Safe Senders list", kNoProgress},
    {L"mail", L"mailrules", L"Windows Live Mail Mail rules", 67},
    {L"mail", L"newsrules", L"Windows Live Mail news rules", 69},
    {L"mail", L"accounts", L"Windows Live Mail accounts", 70},
};

}  // namespace

std::span<const Item> MessengerItems() { return kMessengerItems; }
std::span<const Item> MailItems() { return kMailItems; }

}  // namespace catalogue
