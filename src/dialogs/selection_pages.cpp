#include "dialogs/selection_window.h"

#include <commctrl.h>

#include <algorithm>

#include "dialogs/selection_controls.h"
#include "dialogs/selection_page.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "platform/translation.h"
#include "settings/item_flags.h"
#include "settings/policies.h"
#include "settings/selection_keys.h"
#include "settings/selection_layout.h"
#include "toolkit/dialog_template.h"
#include "toolkit/dpi.h"
#include "toolkit/list_view.h"

// The tabs' pages, laid out from the item table, the browsers' shipped rules and the rule files.
namespace dialogs {

using namespace settings;

namespace {

using toolkit::kButtonClass, toolkit::kStaticClass, toolkit::kNoId;

// A size in pixels in the window's dialog units.
SIZE DialogUnits(HWND dialog, SIZE pixels) {
  RECT scale{0, 0, 400, 800};
  MapDialogRect(dialog, &scale);
  return {pixels.cx * 400 / std::max<LONG>(scale.right, 1), pixels.cy * 800 / std::max<LONG>(scale.bottom, 1)};
}

void AddTab(HWND tabs, const wchar_t* caption) {
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<wchar_t*>(platform::Tr(caption));
  TabCtrl_InsertItem(tabs, TabCtrl_GetItemCount(tabs), &item);
}

// The note's width in the window's dialog units, with a margin before it.
int NoteWidth(HWND dialog) {
  platform::WindowDc dc(dialog);
  platform::SelectedObject font(dc.get(), reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
  SIZE size{};
  const wchar_t* note = platform::Tr(kSetByOrganisation);
  GetTextExtentPoint32W(dc.get(), note, static_cast<int>(wcslen(note)), &size);
  return DialogUnits(dialog, size).cx + 6;
}

constexpr DWORD kListStyle = LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL | WS_TABSTOP | WS_BORDER;

}  // namespace

// A page covers the display area of its tab control, beside it under the same parent.
HWND SelectionWindow::AddPage(HWND parent, HWND tabs, const std::function<void(SelectionPage&, SIZE)>& build) {
  RECT area{};
  GetWindowRect(tabs, &area);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
  TabCtrl_AdjustRect(tabs, FALSE, &area);
  const SIZE size = DialogUnits(Handle(), {area.right - area.left, area.bottom - area.top});
  pages_.push_back(std::make_unique<SelectionPage>(size));
  build(*pages_.back(), size);
  pages_.back()->Show(parent, area);
  return pages_.back()->Handle();
}

void SelectionWindow::AddPolicyNote(SelectionPage& page, RECT& place, WORD id, bool above) {
  RECT note{place.left + place.right - noteWidth_ + 4, place.top + 1, noteWidth_ - 4, kBoxHeight - 2};
  if (above) {
    note = {place.left, place.top, place.right, kBoxHeight};
    place.top += kRow;
    place.bottom -= kRow;
  } else {
    place.right -= noteWidth_;
  }
  page.Add(kStaticClass, platform::Tr(kSetByOrganisation), SS_LEFT | SS_NOPREFIX, note, kNoId,
           [this, id](HWND made) { policyNotes_[id] = made; });
}

void SelectionWindow::Build() {
  pages_.clear();
  noteWidth_ = NoteWidth(Handle());
  itemBoxes_.assign(ItemFlags().size(), nullptr);
  outerTabs_ = Control(kOuterTabsId);
  buttons_[kOkButton] = Control(IDOK);
  buttons_[kCancelButton] = Control(IDCANCEL);
  for (const wchar_t* tab : kOuterTabs) AddTab(outerTabs_, tab);
  for (size_t i = 0; i < kOuterTabs.size(); ++i) {
    outerPages_.push_back(AddPage(Handle(), outerTabs_, [&](SelectionPage& page, SIZE area) {
      if (i == kBrowsersTab) {
        // Every browser in sight, on as many rows of tabs as they take. As buttons, the rows keep their
        // places: rows of tabs move the chosen one's row next to the page at every click.
        page.Add(WC_TABCONTROLW, L"Browsers",
                 WS_TABSTOP | WS_CLIPSIBLINGS | TCS_MULTILINE | TCS_BUTTONS | TCS_FLATBUTTONS,
                 {2, 2, area.cx - 4, area.cy - 4}, kBrowserTabsId, [this](HWND tabs) { browserTabs_ = tabs; });
      } else if (i == kApplicationsTab) {
        BuildApplicationsPage(page, area);
      } else if (i == kCustomItemTab) {
        BuildCustomPage(page, area);
      } else if (i == kRulesTab) {
        BuildRulesPage(page, area);
      } else {
        BuildItemPage(page, area, kOuterTabs[i], L"");
      }
    }));
  }
  ShowRulesDownloading();

  HWND browsers = outerPages_[kBrowsersTab];
  // Today's browsers follow the tabs of the item table, so the stored tab numbers keep their tabs.
  for (const wchar_t* subTab : kBrowserTabs) AddTab(browserTabs_, subTab);
  for (const catalogue::rules::TodaysBrowser* browser : catalogue::rules::TodaysBrowsers()) {
    if (browser->tab) AddTab(browserTabs_, browser->tab);
  }
  // The pages cover what the rows of tabs leave, so they are made once every tab is there.
  for (const wchar_t* subTab : kBrowserTabs) {
    browserPages_.push_back(AddPage(browsers, browserTabs_, [&](SelectionPage& page, SIZE area) {
      BuildItemPage(page, area, kOuterTabs[kBrowsersTab], subTab);
    }));
  }
  for (const catalogue::rules::TodaysBrowser* browser : catalogue::rules::TodaysBrowsers()) {
    if (!browser->tab) continue;
    browserPages_.push_back(AddPage(browsers, browserTabs_, [this, browser](SelectionPage& page, SIZE area) {
      BuildBrowserRulePage(page, area, *browser);
    }));
  }
  ShowPage(outerTabs_);
  ShowPage(browserTabs_);
}

// The group boxes of a page side by side in two columns, or one box over the whole page; inside a
// box its items run down one column, or two when they would not fit in one, and end with its
// select-all box.
void SelectionWindow::BuildItemPage(SelectionPage& page, SIZE area, const std::wstring& tab,
                                    const std::wstring& subTab) {
  std::vector<std::wstring> groups = GroupsOnPage(tab, subTab);
  const int columnsOfGroups = groups.size() > 1 ? 2 : 1;
  const int groupWidth = (area.cx - 8 - 6 * (columnsOfGroups - 1)) / columnsOfGroups;
  std::vector<int> nextTop(columnsOfGroups, 4);
  auto flags = ItemFlags();
  for (size_t g = 0; g < groups.size(); ++g) {
    const std::wstring& group = groups[g];
    std::vector<size_t> items;
    for (size_t i = 0; i < flags.size(); ++i) {
      if (tab == flags[i].tab && subTab == flags[i].subTab && group == flags[i].group) items.push_back(i);
    }
    const SelectAllGroup* selectAll = SelectAllGroupOf(group);
    const int entries = static_cast<int>(items.size()) + (selectAll ? 1 : 0);
    const int columns = entries > kMaxRowsInOneColumn ? 2 : 1;
    const int rows = (entries + columns - 1) / columns;
    const int column = static_cast<int>(g) % columnsOfGroups;
    const int left = 4 + column * (groupWidth + 6);
    const int top = nextTop[column];
    const int height = columnsOfGroups == 1 ? area.cy - 8 : kGroupTop + rows * kRow + 4;
    nextTop[column] += height + 6;
    page.Add(kButtonClass, group, BS_GROUPBOX, {left, top, groupWidth, height}, kNoId,
             [this, group](HWND box) { groupBoxes_[group] = box; });

    const bool withOptions = std::any_of(items.begin(), items.end(), [&](size_t index) {
      return KeepListOf(flags[index]) != catalogue::KeepList::None;
    });
    const int columnWidth = (groupWidth - 16) / columns - (withOptions ? 56 : 0);
    auto place = [&](int entry) -> RECT {
      return {left + 8 + (entry / rows) * ((groupWidth - 16) / columns), top + kGroupTop + (entry % rows) * kRow,
              columnWidth, kBoxHeight};
    };
    auto fixed = [&](size_t index) { return FixedByPolicy(flags[index].section, flags[index].key).has_value(); };
    int entry = 0;
    for (size_t index : items) {
      const ItemFlag& flag = flags[index];
      RECT where = place(entry++);
      const auto id = static_cast<WORD>(kFirstItemId + index);
      if (fixed(index)) AddPolicyNote(page, where, id);
      page.Add(kButtonClass, flag.caption, BS_AUTOCHECKBOX | WS_TABSTOP, where, id,
               [this, index, name = flag.checkBox](HWND box) {
                 itemBoxes_[index] = box;
                 checkBoxes_[name] = box;
               });
      // The keep lists belong beside the items they spare: typed addresses and cookies.
      if (const catalogue::KeepList keepList = KeepListOf(flag); keepList != catalogue::KeepList::None) {
        AddOptionsButton(page, {where.left + columnWidth + 4, where.top}, keepList, flag.checkBox);
      }
    }
    if (selectAll) {
      const WORD id = static_cast<WORD>(kFirstSelectAllId + (selectAll - SelectAllGroups().data()));
      RECT where = place(entry);
      if (std::all_of(items.begin(), items.end(), fixed)) AddPolicyNote(page, where, id);
      page.Add(kButtonClass, kSelectAllCaption, BS_AUTOCHECKBOX | WS_TABSTOP, where, id,
               [this, name = selectAll->box](HWND box) { checkBoxes_[name] = box; });
    }
  }
}

catalogue::KeepList KeepListOf(const ItemFlag& flag) {
  const catalogue::Item* item = catalogue::FindItem(flag.section, flag.key);
  return item ? catalogue::SparedBy(*item) : catalogue::KeepList::None;
}

// Internet Explorer's two buttons keep their control names, Command7 and Command8.
void SelectionWindow::AddOptionsButton(SelectionPage& page, POINT at, catalogue::KeepList keepList,
                                       const std::wstring& beside) {
  const bool urls = keepList == catalogue::KeepList::TypedAddresses;
  const wchar_t* name = beside == kAddressBarBox  ? kUrlKeepListButton
                        : beside == kIeCookiesBox ? kCookieKeepListButton
                                                  : nullptr;
  page.Add(kButtonClass, platform::TrLater(L"Options"), BS_PUSHBUTTON | WS_TABSTOP,
           {at.x, at.y - 1, 48, kBoxHeight + 2}, urls ? kUrlOptionsId : kCookieOptionsId,
           [this, name, beside](HWND button) {
             optionsButtons_[beside] = button;
             if (name) buttons_[name] = button;
           });
}

// A browser is on this computer when one of its shipped rules applies here.
bool SelectionWindow::BrowserFound(const catalogue::rules::TodaysBrowser& browser) const {
  return std::any_of(ruleChoices_.begin(), ruleChoices_.end(), [&](const catalogue::rules::RuleChoice& choice) {
    std::optional<catalogue::rules::BrowserRule> of = catalogue::rules::RuleOfBrowser(choice.rule);
    return choice.detected && of && of->browser == &browser;
  });
}

// The browser tab of the first of today's browsers found here: Chrome's and Firefox's tabs of the
// item table, the others' own pages after them.
std::optional<int> SelectionWindow::InstalledBrowserTab() const {
  int ownPages = 0;
  for (const catalogue::rules::TodaysBrowser* browser : catalogue::rules::TodaysBrowsers()) {
    std::optional<int> tab;
    if (browser->tab) {
      tab = static_cast<int>(kBrowserTabs.size()) + ownPages++;
    } else if (auto named =
                   std::find_if(kBrowserTabs.begin(), kBrowserTabs.end(),
                                [&](const wchar_t* caption) { return caption == std::wstring_view(browser->rule); });
               named != kBrowserTabs.end()) {
      tab = static_cast<int>(named - kBrowserTabs.begin());
    }
    if (tab && BrowserFound(*browser)) return tab;
  }
  return std::nullopt;
}

// One box per shipped rule of the browser, ticked as the rule is; a browser not on this computer is
// greyed and says so.
void SelectionWindow::BuildBrowserRulePage(SelectionPage& page, SIZE area,
                                           const catalogue::rules::TodaysBrowser& browser) {
  std::vector<std::pair<const wchar_t*, size_t>> boxes;  // a kind, and its place in ruleChoices_
  const bool found = BrowserFound(browser);
  for (const wchar_t* kind : catalogue::rules::BrowserKinds()) {
    const std::wstring name = catalogue::rules::BrowserRuleName(browser, kind);
    auto choice = std::find_if(ruleChoices_.begin(), ruleChoices_.end(), [&](const catalogue::rules::RuleChoice& c) {
      return c.rule.section == catalogue::rules::kShippedSection && platform::EqualsNoCase(c.rule.name, name);
    });
    if (choice == ruleChoices_.end()) continue;
    boxes.emplace_back(kind, static_cast<size_t>(choice - ruleChoices_.begin()));
  }
  page.Add(kButtonClass, platform::Tr(browser.tab), BS_GROUPBOX, {4, 4, area.cx - 8, area.cy - 8}, kNoId,
           [this, tab = std::wstring(browser.tab), found](HWND group) {
             groupBoxes_[tab] = group;
             EnableWindow(group, found);
           });
  int top = 4 + kGroupTop;
  for (const auto& [kind, choice] : boxes) {
    const size_t shown = browserRuleBoxes_.size();
    browserRuleBoxes_.emplace_back(nullptr, choice);
    const auto id = static_cast<WORD>(kFirstBrowserRuleId + shown);
    RECT where{12, top, 200, kBoxHeight};
    if (FixedByPolicy(ruleChoices_[choice].rule.section, ruleChoices_[choice].rule.name)) {
      AddPolicyNote(page, where, id);
    }
    page.Add(kButtonClass, platform::Tr(kind), BS_AUTOCHECKBOX | WS_TABSTOP, where, id, [this, shown](HWND box) {
      const catalogue::rules::RuleChoice& rule = ruleChoices_[browserRuleBoxes_[shown].second];
      browserRuleBoxes_[shown].first = box;
      SetTicked(box, rule.ticked);
      EnableWindow(box, rule.detected);
    });
    const catalogue::rules::Rule& rule = ruleChoices_[choice].rule;
    if (const catalogue::KeepList keepList = catalogue::SparedBy(rule); keepList != catalogue::KeepList::None) {
      AddOptionsButton(page, {216, top}, keepList, rule.name);
    }
    top += kRow;
  }
  if (found) return;
  page.Add(kStaticClass,
           platform::Fill(platform::Tr(L"{browser}: not found on this computer."),
                          {{L"browser", platform::Tr(browser.tab)}}),
           SS_LEFT, {12, top + 4, area.cx - 24, kBoxHeight}, kNoId);
}

HWND SelectionWindow::OptionsButton(const std::wstring& beside) const {
  auto found = optionsButtons_.find(beside);
  return found == optionsButtons_.end() ? nullptr : found->second;
}

HWND SelectionWindow::BrowserRuleBox(const std::wstring& ruleName) const {
  for (const auto& [box, choice] : browserRuleBoxes_) {
    if (platform::EqualsNoCase(ruleChoices_[choice].rule.name, ruleName)) return box;
  }
  return nullptr;
}

// The columns of the plug-in list and of the custom items' list.
constexpr toolkit::ListColumn kPluginColumns[] = {{platform::TrLater(L"Applications Name"), 150},
                                                  {platform::TrLater(L"Version"), 70},
                                                  {platform::TrLater(L"Note"), 180},
                                                  {platform::TrLater(L"Description"), 450}};
constexpr toolkit::ListColumn kCustomColumns[] = {{platform::TrLater(L"Name"), 360},
                                                  {platform::TrLater(L"Type"), 60},
                                                  {platform::TrLater(L"Size"), 80},
                                                  {platform::TrLater(L"Modified"), 150}};

void SelectionWindow::BuildApplicationsPage(SelectionPage& page, SIZE area) {
  RECT where{4, 4, area.cx - 8, area.cy - 8};
  if (SelectionFixedExactly(PoliciesInForce())) AddPolicyNote(page, where, kPluginListId, true);
  page.Add(WC_LISTVIEWW, platform::TrLater(L"Plug-ins"), kListStyle, where, kPluginListId, [this](HWND list) {
    pluginList_ = list;
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    toolkit::AddListColumns(list, kPluginColumns, toolkit::WindowDpi(list));
  });
}

void SelectionWindow::BuildCustomPage(SelectionPage& page, SIZE area) {
  auto flags = ItemFlags();
  for (size_t i = 0; i < flags.size(); ++i) {
    if (flags[i].tab != std::wstring_view(kOuterTabs[kCustomItemTab])) continue;
    const auto id = static_cast<WORD>(kFirstItemId + i);
    RECT where{8, 6, 200, kBoxHeight};
    if (FixedByPolicy(flags[i].section, flags[i].key)) AddPolicyNote(page, where, id);
    page.Add(kButtonClass, flags[i].caption, BS_AUTOCHECKBOX | WS_TABSTOP, where, id,
             [this, i, name = flags[i].checkBox](HWND box) {
               itemBoxes_[i] = box;
               checkBoxes_[name] = box;
             });
  }
  const std::wstring group = platform::TrLater(L"Select Folder and Files That will Be Erased");
  page.Add(kButtonClass, group, BS_GROUPBOX, {4, 20, area.cx - 8, area.cy - 24}, kNoId,
           [this, group](HWND box) { groupBoxes_[group] = box; });
  page.Add(WC_LISTVIEWW, platform::TrLater(L"Custom items"), kListStyle, {10, 32, area.cx - 20, area.cy - 60},
           kCustomListId, [this](HWND list) {
             customList_ = list;
             ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
             toolkit::AddListColumns(list, kCustomColumns, toolkit::WindowDpi(list));
           });
  const int buttonTop = area.cy - 22;
  const struct {
    const wchar_t* name;
    const wchar_t* caption;
    int left;
    WORD id;
  } buttons[] = {{kAddCustomButton, platform::TrLater(L"&Add"), 10, kAddId},
                 {kRemoveCustomButton, platform::TrLater(L"&Remove"), 66, kRemoveId},
                 {kClearCustomButton, platform::TrLater(L"C&lear"), 122, kClearId}};
  for (const auto& button : buttons) {
    page.Add(kButtonClass, button.caption, BS_PUSHBUTTON | WS_TABSTOP, {button.left, buttonTop, 50, 14}, button.id,
             [this, name = button.name](HWND made) { buttons_[name] = made; });
  }
}

void SelectionWindow::BuildRulesPage(SelectionPage& page, SIZE area) {
  page.Add(kStaticClass, platform::TrLater(L"&Search:"), SS_LEFT, {6, 7, 30, 10}, kNoId);
  page.Add(toolkit::kEditClass, L"", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, {38, 5, 150, 12}, kRuleSearchId,
           [this](HWND edit) { ruleTab_.search = edit; });
  page.Add(kButtonClass, platform::TrLater(L"Show the entries for programs not found on this computer"),
           BS_AUTOCHECKBOX | WS_TABSTOP, {198, 6, area.cx - 202, 10}, kRuleShowAllId,
           [this](HWND box) { ruleTab_.showAll = box; });
  RECT where{4, 22, area.cx - 8, area.cy - 58};
  if (SelectionFixedExactly(PoliciesInForce())) AddPolicyNote(page, where, kRuleListId, true);
  page.Add(WC_LISTVIEWW, platform::TrLater(L"Rules"), kListStyle, where, kRuleListId, [this](HWND list) {
    ruleTab_.list = list;
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    toolkit::AddListColumns(list,
                            {{platform::TrLater(L"Name"), 300},
                             {platform::TrLater(L"Category"), 130},
                             {platform::TrLater(L"Note"), 260}},
                            toolkit::WindowDpi(list));
  });
  page.Add(kStaticClass, L"", SS_LEFT, {6, area.cy - 33, area.cx - 12, 10}, kNoId,
           [this](HWND count) { ruleTab_.count = count; });
  // The community's file is updated here, shown first and counted only once the user accepts it.
  const int row = area.cy - 19;
  auto button = [this](const wchar_t* name) { return [this, name](HWND made) { buttons_[name] = made; }; };
  page.Add(kButtonClass, platform::TrLater(L"&Update rules"), BS_PUSHBUTTON | WS_TABSTOP, {4, row, 64, 14},
           kUpdateRulesId, button(L"UpdateRules"));
  page.Add(kButtonClass, platform::TrLater(L"U&ndo last update"), BS_PUSHBUTTON | WS_TABSTOP, {72, row, 76, 14},
           kUndoRulesId, button(L"UndoRules"));
  page.Add(PROGRESS_CLASSW, L"", 0, {154, row + 2, area.cx - 206, 10}, kNoId,
           [this](HWND progress) { ruleTab_.progress = progress; });
  page.Add(kButtonClass, platform::TrLater(L"S&top"), BS_PUSHBUTTON | WS_TABSTOP, {area.cx - 48, row, 44, 14},
           kStopRulesId, button(L"StopRules"));
}

}  // namespace dialogs
