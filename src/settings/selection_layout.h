#pragma once
// What the "Cleaning Settings" window shows besides the item table: its tabs, the "Select all of
// the above" boxes, the questions of the boxes whose items cost the user more than traces, and the
// e-mail groups that need their program.
#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/translation.h"
#include "settings/item_flags.h"

namespace settings {

// The outer tab control `SSTab1` and the browser tab control `SSTab2`, in tab-number order.
constexpr std::array<const wchar_t*, 8> kOuterTabs = {
    platform::TrLater(L"Browsers"),      platform::TrLater(L"Windows"),     platform::TrLater(L"Microsoft Office"),
    platform::TrLater(L"Applications"),  platform::TrLater(L"Custom Item"), platform::TrLater(L"Instant Messaging"),
    platform::TrLater(L"Email Readers"), platform::TrLater(L"Rules")};
constexpr std::array<const wchar_t*, 10> kBrowserTabs = {
    L"Internet Explorer", L"Firefox", L"Opera",           L"Netscape",      L"AOL Explorer",
    L"MSN Explorer",      L"Mozilla", L"Maxthon Browser", L"Google Chrome", L"Safari"};
constexpr int kBrowsersTab = 0;
constexpr int kApplicationsTab = 3;
constexpr int kCustomItemTab = 4;
constexpr int kRulesTab = 7;  // the entries of the rule files

constexpr const wchar_t* kSelectAllCaption = platform::TrLater(L"Select all of the above");

struct SelectAllGroup {
  const wchar_t* box;
  const wchar_t* group;
  std::vector<const wchar_t*> members;  // the group's flag rows, in the order of the item table
};
std::span<const SelectAllGroup> SelectAllGroups();
const SelectAllGroup* SelectAllGroupOf(std::wstring_view group);

// The question a box asks as it is ticked, or nullptr.
const wchar_t* ConfirmationQuestion(std::wstring_view checkBox);

// A group whose boxes are disabled and unticked when its program's registry value cannot be read.
struct MailGroup {
  const wchar_t* group;
  const wchar_t* registryPath;
  const wchar_t* valueName;
};
std::span<const MailGroup> MailGroups();

const ItemFlag* FindItemFlag(std::wstring_view checkBox);

// Sets every box of the group to `ticked`. While ticking, a box with a confirmation question is set
// from the answer instead; unticking asks nothing.
void ApplySelectAll(const SelectAllGroup& group, bool ticked,
                    const std::function<void(std::wstring_view box, bool ticked)>& set,
                    const std::function<bool(std::wstring_view box, const wchar_t* question)>& confirm);

// The stored tab number (its leading digits; empty text is 0) when such a tab exists.
std::optional<int> StoredTabNumber(std::wstring_view stored, size_t tabCount);

// The group boxes of one page in the order their first item appears in the item table.
std::vector<std::wstring> GroupsOnPage(std::wstring_view tab, std::wstring_view subTab);

}  // namespace settings
