#pragma once
// What the files of the "Cleaning Settings" window share: its controls' ids, its layout in dialog
// units, and the ticks of its boxes.
#include <windows.h>

#include <optional>
#include <string>

#include "catalogue/catalogue.h"
#include "platform/product_name.h"
#include "platform/translation.h"
#include "settings/item_flags.h"
#include "settings/policies.h"
#include "toolkit/messages.h"

namespace dialogs {

// The controls of the window and its pages that its code refers to.
enum : WORD {
  kOuterTabsId = 1101,
  kBrowserTabsId,
  kPluginListId,
  kCustomListId,
  kRuleListId,
  kRuleSearchId,
  kRuleShowAllId,
  kUpdateRulesId,
  kStopRulesId,
  kUndoRulesId,
};
// Beside every box whose item a keep list spares; Internet Explorer's are settings::kUrlKeepListButton and
// settings::kCookieKeepListButton.
enum : WORD { kUrlOptionsId = 1301, kCookieOptionsId };
// Under the custom list: settings::kAddCustomButton, kRemoveCustomButton, kClearCustomButton.
enum : WORD { kAddId = 1401, kRemoveId, kClearId };
constexpr WORD kFirstItemId = 2000;         // + index in the item table
constexpr WORD kFirstSelectAllId = 2200;    // + index in the select-all table
constexpr WORD kFirstBrowserRuleId = 2300;  // + index in the boxes of the browsers' shipped rules

// Layout, in dialog units: the window, a row of boxes and a box, the first row under a group's
// caption, and the most rows a group shows in one column.
constexpr short kWidth = 500, kHeight = 330;
constexpr int kRow = 12, kBoxHeight = 10, kGroupTop = 14, kMaxRowsInOneColumn = 12;

inline bool IsTicked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }
inline void SetTicked(HWND box, bool ticked) {
  SendMessageW(box, BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
}

// What the selection the organisation fixes says of an item: ticked, cleared, or nothing where the
// user's tick decides.
inline std::optional<bool> FixedByPolicy(const std::wstring& section, const std::wstring& key) {
  return settings::PolicySelects(settings::PoliciesInForce(), section, key);
}
// A list row's text: a row a policy ticks in a selection users may add to says so after its name; in
// a selection fixed exactly the whole list is greyed under a note of its own.
inline std::wstring PolicyRowText(const std::wstring& text, std::optional<bool> fixed) {
  if (!fixed || settings::SelectionFixedExactly(settings::PoliciesInForce())) return text;
  return text + L" (" + platform::Tr(settings::kSetByOrganisation) + L")";
}

// The keep list that spares part of what the item of a box erases; the box gets an "Options" button
// that opens it.
catalogue::KeepList KeepListOf(const settings::ItemFlag& flag);

// Said after the question of a box whose cookies the keep list spares, and of such a rule in the list.
constexpr const wchar_t* kKeptSitesBeside =
    platform::TrLater(L"Sites on the cookie keep list (Options beside this item) keep their cookies.");
constexpr const wchar_t* kKeptSitesOnBrowsersTab = platform::TrLater(
    L"Sites on the cookie keep list (Options beside the cookies on the Browsers tab) keep their cookies.");

// OK or Cancel to a question about a box the user ticked; true for OK.
inline bool AskOkCancel(HWND owner, const std::wstring& question) {
  return toolkit::ShowMessage(owner, question, platform::kProductName, MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

}  // namespace dialogs
