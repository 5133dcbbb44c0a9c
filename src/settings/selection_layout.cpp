#include "settings/selection_layout.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <iterator>

#include "platform/format.h"
#include "platform/table.h"

namespace settings {

namespace {

// The "Select all of the above" box of each group box. The boxes it sets, its members, are the flag
// rows of its group: SelectAllGroups fills them in.
const SelectAllGroup kSelectAll[] = {
    {L"Check9", L"Internet Explorer", {}},
    {L"Check46", L"Mozilla Firefox", {}},
    {L"Check13", L"Opera", {}},
    {L"Check14", L"Netscape Navigator", {}},
    {L"Check47", L"AOL Explorer", {}},
    {L"Check19", L"MSN Exploer", {}},
    {L"Check68", L"Mozilla", {}},
    {L"Check133", L"Maxthon Browser", {}},
    {L"Check140", L"Google Chrome", {}},
    {L"Check145", L"Safari", {}},
    {L"Check31", L"Windows", {}},
    {L"Check41", platform::TrLater(L"MS Office(support 97, 2000, XP, 2003, 2007,2010, 2013)"), {}},
    {L"Check127", L"Outlook Express", {}},
    {L"Check128", L"Windows Live Mail", {}},
};

const MailGroup kMailGroups[] = {
    {L"Outlook Express", L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Outlook Express", L"InstallRoot"},
    {L"Windows Live Mail", L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows Mail", L"Store Root"},
};

// The boxes whose items cost the user more than traces, by the question that ticking one asks first.
struct Warning {
  const wchar_t* question;
  std::initializer_list<const wchar_t*> checkBoxes;
};
const Warning kWarnings[] = {
    {platform::TrLater(L"Are you sure delete IE Favorites?"), {L"Check5"}},
    {platform::TrLater(L"Are you sure delete Downloaded Files?"), {L"Check7"}},
    // Internet Explorer, Firefox, Opera, Netscape, AOL Explorer, MSN Explorer, Mozilla, Maxthon (its
    // history files hold its cookies), Chrome, Safari.
    {platform::TrLater(L"Erasing the cookies signs you out of the websites you are signed in to. Are you sure?"),
     {L"Check4", L"Check43", L"Check10", L"Check17", L"Check50", L"Check22", L"Check71", L"Check132", L"Check137",
      L"Check146"}},
    // Internet Explorer, Chrome, Safari.
    {platform::TrLater(
         L"Erasing the form data loses the saved form entries, cards, addresses and passwords. Are you sure?"),
     {L"Check6", L"Check141", L"Check150"}},
    // Firefox, Opera, Netscape.
    {platform::TrLater(L"Erasing the bookmarks loses them for good. Are you sure?"),
     {L"Check55", L"Check60", L"Check63"}},
    // Firefox, Opera, Netscape, AOL Instant Messenger (its recent screen names lie in the file of the
    // saved password).
    {platform::TrLater(L"Erasing the saved passwords loses them for good. Are you sure?"),
     {L"Check56", L"Check61", L"Check62", L"Check83", L"Check73"}},
    // Opera, Maxthon, Chrome, Safari.
    {platform::TrLater(L"Erasing the session loses the tabs the browser would open again. Are you sure?"),
     {L"Check58", L"Check130", L"Check142", L"Check148"}},
    // ICQ: its sign-in history lies in the file of the account.
    {platform::TrLater(L"Erasing it loses the account saved in the same file. Are you sure?"),
     {L"Check74", L"Check77"}},
    {platform::TrLater(L"Erasing the received files folder deletes the files people sent you. Are you sure?"),
     {L"Check66"}},
    // The mail programs: Outlook Express, then Windows Live Mail.
    {platform::TrLater(L"Erasing the address book loses your contacts for good. Are you sure?"), {L"Check110"}},
    {platform::TrLater(L"Erasing the accounts loses their settings and saved passwords. Are you sure?"),
     {L"Check111", L"Check126"}},
    {platform::TrLater(L"Erasing the rules loses the rules you made. Are you sure?"),
     {L"Check117", L"Check118", L"Check124", L"Check125"}},
    {platform::TrLater(L"Erasing the signatures loses them for good. Are you sure?"), {L"Check119", L"Check121"}},
    {platform::TrLater(L"Erasing the saved search folders loses the searches you saved. Are you sure?"), {L"Check94"}},
};

}  // namespace

std::span<const SelectAllGroup> SelectAllGroups() {
  static const std::vector<SelectAllGroup> groups = [] {
    std::vector<SelectAllGroup> made(std::begin(kSelectAll), std::end(kSelectAll));
    for (SelectAllGroup& group : made) {
      for (const ItemFlag& flag : ItemFlags()) {
        if (std::wstring_view(flag.group) == group.group) group.members.push_back(flag.checkBox);
      }
    }
    return made;
  }();
  return groups;
}

const SelectAllGroup* SelectAllGroupOf(std::wstring_view group) {
  return platform::FindRow(SelectAllGroups(), &SelectAllGroup::group, group);
}

const wchar_t* ConfirmationQuestion(std::wstring_view checkBox) {
  for (const Warning& warning : kWarnings) {
    if (std::find(warning.checkBoxes.begin(), warning.checkBoxes.end(), checkBox) != warning.checkBoxes.end()) {
      return warning.question;
    }
  }
  return nullptr;
}

std::span<const MailGroup> MailGroups() { return kMailGroups; }

const ItemFlag* FindItemFlag(std::wstring_view checkBox) {
  return platform::FindRow(ItemFlags(), &ItemFlag::checkBox, checkBox);
}

void ApplySelectAll(const SelectAllGroup& group, bool ticked,
                    const std::function<void(std::wstring_view box, bool ticked)>& set,
                    const std::function<bool(std::wstring_view box, const wchar_t* question)>& confirm) {
  for (const wchar_t* box : group.members) {
    const wchar_t* question = ticked ? ConfirmationQuestion(box) : nullptr;
    set(box, question ? confirm(box, question) : ticked);
  }
}

std::optional<int> StoredTabNumber(std::wstring_view stored, size_t tabCount) {
  double number = std::floor(platform::LeadingNumber(stored));
  if (number < 0 || number >= static_cast<double>(tabCount)) return std::nullopt;
  return static_cast<int>(number);
}

std::vector<std::wstring> GroupsOnPage(std::wstring_view tab, std::wstring_view subTab) {
  std::vector<std::wstring> groups;
  for (const ItemFlag& flag : ItemFlags()) {
    if (tab != flag.tab || subTab != flag.subTab) continue;
    if (std::find(groups.begin(), groups.end(), flag.group) == groups.end()) groups.emplace_back(flag.group);
  }
  return groups;
}

}  // namespace settings
