#include "dialogs/selection_window.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <memory>

#include "catalogue/plugins.h"
#include "dialogs/cookie_window.h"
#include "dialogs/url_window.h"
#include "engine/normal.h"
#include "engine/path_guard.h"
#include "engine/regfun.h"
#include "platform/com_ptr.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/messages.h"
#include "platform/product_name.h"
#include "platform/text.h"
#include "platform/text_file.h"
#include "platform/window_text.h"
#include "run/process_values.h"
#include "settings/custom_list.h"
#include "settings/default_selection.h"
#include "settings/inifun.h"
#include "settings/item_flags.h"
#include "settings/selection_layout.h"
#include "toolkit/dialog_template.h"
#include "toolkit/dpi.h"
#include "toolkit/picker_start.h"
#include "toolkit/skin.h"

namespace settings {

namespace {

// OK or Cancel to a question about a box the user ticked; true for OK.
bool AskOkCancel(HWND owner, const std::wstring& question) {
  return platform::ShowMessage(owner, question, platform::kProductName, MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

constexpr WORD kOuterTabsId = 1101;
constexpr WORD kBrowserTabsId = 1102;
constexpr WORD kPluginListId = 1103;
constexpr WORD kCustomListId = 1104;
constexpr WORD kRuleListId = 1105;
constexpr WORD kRuleSearchId = 1106;
constexpr WORD kRuleShowAllId = 1107;
constexpr WORD kUpdateRulesId = 1108;
constexpr WORD kStopRulesId = 1109;
constexpr WORD kUndoRulesId = 1110;
constexpr WORD kUrlOptionsId = 1301;      // Command7
constexpr WORD kCookieOptionsId = 1302;   // Command8
constexpr WORD kAddId = 1401;             // Command101
constexpr WORD kRemoveId = 1402;          // Command102
constexpr WORD kClearId = 1403;           // Command2
constexpr WORD kFirstItemId = 2000;       // + index in the item table
constexpr WORD kFirstSelectAllId = 2200;  // + index in the select-all table
constexpr WORD kFirstBrowserRuleId = 2300;  // + index in the boxes of the browsers' shipped rules
constexpr int kNoId = -1;

constexpr wchar_t kPageClass[] = L"TrellwipeSettingsPage";
constexpr wchar_t kCustomItemsBox[] = L"Check52";  // "Custom Clean Items"

// Layout, in dialog units.
constexpr short kWidth = 500;
constexpr short kHeight = 330;
constexpr int kRow = 12;
constexpr int kBoxHeight = 10;
constexpr int kGroupTop = 14;
constexpr int kMaxRowsInOneColumn = 12;

// Pages are plain children of the tab controls' parents; what their controls report goes on to the
// window so that one procedure handles every control.
LRESULT CALLBACK PageProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND || message == WM_NOTIFY) return SendMessageW(GetParent(hwnd), message, wParam, lParam);
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void RegisterPageClass() {
  WNDCLASSEXW page{};
  page.cbSize = sizeof(page);
  page.lpfnWndProc = PageProcedure;
  page.hInstance = GetModuleHandleW(nullptr);
  page.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  page.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  page.lpszClassName = kPageClass;
  RegisterClassExW(&page);  // fails harmlessly when an earlier window registered it
}

std::wstring ItemText(HWND list, int row, int column) {
  std::wstring text(32768, L'\0');
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text.data();
  item.cchTextMax = static_cast<int>(text.size());
  text.resize(static_cast<size_t>(SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item))));
  return text;
}

void SetItemText(HWND list, int row, int column, const std::wstring& text) {
  ListView_SetItemText(list, row, column, const_cast<wchar_t*>(text.c_str()));
}

int AppendRow(HWND list, const std::wstring& text) {
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = ListView_GetItemCount(list);
  item.pszText = const_cast<wchar_t*>(text.c_str());
  return ListView_InsertItem(list, &item);
}

void AddColumns(HWND list, std::initializer_list<std::pair<const wchar_t*, int>> columns) {
  int index = 0;
  for (const auto& [header, width] : columns) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<wchar_t*>(header);
    column.cx = toolkit::Scale(width, toolkit::WindowDpi(list));  // widths designed at 96 DPI
    ListView_InsertColumn(list, index++, &column);
  }
}

// A shipped definition that does what a shipped rule of a browser does says where that rule is ticked.
std::wstring PluginDescription(const plugins::PluginEntry& entry) {
  std::optional<rules::BrowserRule> same = rules::SameAsRule(entry.name);
  if (!same) return entry.description;
  if (same->browser->tab) return entry.description + L"; also on the Browsers tab: " + same->browser->tab + L", " + same->kind;
  return entry.description + L"; also the rule " + rules::BrowserRuleName(*same->browser, same->kind) + L" on the Rules tab";
}

bool IsTicked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void SetTicked(HWND box, bool ticked) { SendMessageW(box, BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0); }

// An empty dialog: every control is made at initialisation from the tables.
struct PidlDeleter {
  void operator()(ITEMIDLIST* pidl) const { CoTaskMemFree(pidl); }
};

}  // namespace

SelectionServices SystemSelectionServices() {
  SelectionServices services;
  services.chooseAddCommand = [](HWND owner, HWND button) -> UINT {
    platform::Menu menu(CreatePopupMenu());
    if (!menu) return 0;
    AppendMenuW(menu.get(), MF_STRING, SelectionWindow::kAddFilesCommand, L"Add Files");
    AppendMenuW(menu.get(), MF_STRING, SelectionWindow::kAddFoldersCommand, L"Add Folders");
    RECT rect{};
    GetWindowRect(button, &rect);
    return static_cast<UINT>(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, rect.left,
                                            rect.bottom, 0, owner, nullptr));
  };
  services.chooseFiles = [](HWND owner) -> std::optional<normal::FileDialogResult> {
    std::wstring buffer(32767, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = L"All files (*.*)\0*.*\0";
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(buffer.size());
    dialog.lpstrTitle = L"Open File";
    const std::wstring start = toolkit::PickerStart(toolkit::Pick::Files);
    dialog.lpstrInitialDir = start.c_str();
    dialog.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NODEREFERENCELINKS;
    if (!GetOpenFileNameW(&dialog)) return std::nullopt;
    toolkit::RememberPickedFiles(buffer, dialog.nFileOffset);
    // One full path, or the folder and the names, each ended by a NUL, the list by a second one.
    size_t end = buffer.find(std::wstring_view(L"\0\0", 2));
    return normal::FileDialogResult{buffer.substr(0, end), dialog.nFileOffset};
  };
  services.chooseFolder = [](HWND owner) -> std::optional<std::wstring> {
    platform::ComApartment apartment;  // the folder browser is a COM component
    wchar_t display[MAX_PATH] = L"";
    BROWSEINFOW browse{};
    browse.hwndOwner = owner;
    browse.pszDisplayName = display;
    browse.lpszTitle = platform::kProductName;
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
    const std::wstring start = toolkit::PickerStart(toolkit::Pick::Folder);
    toolkit::StartFolderBrowserAt(browse, start);
    std::unique_ptr<ITEMIDLIST, PidlDeleter> chosen(SHBrowseForFolderW(&browse));
    wchar_t path[MAX_PATH] = L"";
    if (!chosen || !SHGetPathFromIDListW(chosen.get(), path)) return std::nullopt;
    std::wstring folder = platform::CutAtNul(std::wstring_view(path, MAX_PATH));
    toolkit::RememberPickedFolder(folder);
    return folder;
  };
  services.showUrlKeepList = keeplists::ShowUrlKeepList;
  services.showCookieKeepList = keeplists::ShowCookieKeepList;
  services.reviewRuleChanges = ReviewRuleChanges;
  return services;
}

void ShowCleaningSettings(HWND owner, const std::wstring& programFolder) {
  SelectionWindow window(programFolder, SystemSelectionServices());
  window.ShowModal(owner);
}

SelectionWindow::SelectionWindow(std::wstring programFolder, SelectionServices services)
    : programFolder_(std::move(programFolder)), services_(std::move(services)) {}

HWND SelectionWindow::CheckBox(const std::wstring& name) const {
  auto found = checkBoxes_.find(name);
  return found == checkBoxes_.end() ? nullptr : found->second;
}

HWND SelectionWindow::GroupBox(const std::wstring& caption) const {
  auto found = groupBoxes_.find(caption);
  return found == groupBoxes_.end() ? nullptr : found->second;
}

HWND SelectionWindow::Button(const std::wstring& name) const {
  auto found = buttons_.find(name);
  return found == buttons_.end() ? nullptr : found->second;
}

toolkit::DialogTemplate SelectionWindow::Template() const {
  // The controls are made at load from the item table, so the template holds the frame alone.
  return toolkit::DialogTemplate(DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, kWidth, kHeight,
                            L"Cleaning Settings");
}

void SelectionWindow::Load() {
  HWND hwnd = Handle();
  closing_ = false;
  font_ = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  RegisterPageClass();
  ruleChoices_ = rules::RuleChoices(programFolder_);
  Build();
  LoadState();
}

HWND SelectionWindow::MakeChild(HWND parent, const wchar_t* className, const std::wstring& text, DWORD style,
                                RECT dialogUnits, int id) {
  RECT pixels = dialogUnits;
  pixels.right += pixels.left;
  pixels.bottom += pixels.top;
  MapDialogRect(Handle(), &pixels);
  HWND child = CreateWindowExW(0, className, text.c_str(), style | WS_CHILD | WS_VISIBLE, pixels.left, pixels.top,
                               pixels.right - pixels.left, pixels.bottom - pixels.top, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  return child;
}

// A page covers the display area of its tab control, beside it under the same parent.
HWND SelectionWindow::MakePage(HWND parent, HWND tabs) {
  RECT area{};
  GetWindowRect(tabs, &area);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
  TabCtrl_AdjustRect(tabs, FALSE, &area);
  HWND page = CreateWindowExW(WS_EX_CONTROLPARENT, kPageClass, L"", WS_CHILD | WS_CLIPSIBLINGS, area.left, area.top,
                              area.right - area.left, area.bottom - area.top, parent, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  SetWindowPos(page, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return page;
}

namespace {

// The page's client size in dialog units.
SIZE DialogUnits(HWND dialog, HWND page) {
  RECT scale{0, 0, 400, 800};
  MapDialogRect(dialog, &scale);
  RECT client{};
  GetClientRect(page, &client);
  return {client.right * 400 / std::max<LONG>(scale.right, 1), client.bottom * 800 / std::max<LONG>(scale.bottom, 1)};
}

void AddTab(HWND tabs, const wchar_t* caption) {
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<wchar_t*>(caption);
  TabCtrl_InsertItem(tabs, TabCtrl_GetItemCount(tabs), &item);
}

}  // namespace

void SelectionWindow::Build() {
  itemBoxes_.assign(ItemFlags().size(), nullptr);
  outerTabs_ = MakeChild(Handle(), WC_TABCONTROLW, L"", WS_TABSTOP | WS_CLIPSIBLINGS, {6, 6, kWidth - 12, kHeight - 34},
                         kOuterTabsId);
  for (const wchar_t* tab : kOuterTabs) {
    AddTab(outerTabs_, tab);
    outerPages_.push_back(MakePage(Handle(), outerTabs_));
  }

  HWND browsers = outerPages_[kBrowsersTab];
  SIZE area = DialogUnits(Handle(), browsers);
  // Every browser in sight, on as many rows of tabs as they take.
  browserTabs_ = MakeChild(browsers, WC_TABCONTROLW, L"", WS_TABSTOP | WS_CLIPSIBLINGS | TCS_MULTILINE,
                           {2, 2, area.cx - 4, area.cy - 4}, kBrowserTabsId);
  // Today's browsers follow the tabs of the item table, so the stored tab numbers keep their tabs.
  for (const wchar_t* subTab : kBrowserTabs) AddTab(browserTabs_, subTab);
  for (const rules::TodaysBrowser& browser : rules::TodaysBrowsers()) {
    if (browser.tab) AddTab(browserTabs_, browser.tab);
  }
  // The pages cover what the rows of tabs leave, so they are made once every tab is there.
  for (const wchar_t* subTab : kBrowserTabs) {
    browserPages_.push_back(MakePage(browsers, browserTabs_));
    BuildItemPage(browserPages_.back(), kOuterTabs[kBrowsersTab], subTab);
  }
  for (const rules::TodaysBrowser& browser : rules::TodaysBrowsers()) {
    if (!browser.tab) continue;
    browserPages_.push_back(MakePage(browsers, browserTabs_));
    BuildBrowserRulePage(browserPages_.back(), browser);
  }
  for (size_t i = 0; i < kOuterTabs.size(); ++i) {
    if (i == kBrowsersTab) continue;
    if (i == kApplicationsTab) {
      BuildApplicationsPage(outerPages_[i]);
    } else if (i == kCustomItemTab) {
      BuildCustomPage(outerPages_[i]);
    } else if (i == kRulesTab) {
      BuildRulesPage(outerPages_[i]);
    } else {
      BuildItemPage(outerPages_[i], kOuterTabs[i], L"");
    }
  }

  buttons_[L"Command1"] =
      MakeChild(Handle(), WC_BUTTONW, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, {kWidth - 118, kHeight - 22, 54, 14}, IDOK);
  buttons_[L"Command3"] = MakeChild(Handle(), WC_BUTTONW, L"Cancel", BS_PUSHBUTTON | WS_TABSTOP,
                                    {kWidth - 60, kHeight - 22, 54, 14}, IDCANCEL);
  ShowPage(outerTabs_);
  ShowPage(browserTabs_);
}

// The group boxes of a page side by side in two columns, or one box over the whole page; inside a
// box its items run down one column, or two when they would not fit in one, and end with its
// select-all box.
void SelectionWindow::BuildItemPage(HWND page, const std::wstring& tab, const std::wstring& subTab) {
  SIZE area = DialogUnits(Handle(), page);
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
    groupBoxes_[group] = MakeChild(page, WC_BUTTONW, group, BS_GROUPBOX, {left, top, groupWidth, height}, kNoId);

    const bool withOptions = group == L"Internet Explorer";
    const int columnWidth = (groupWidth - 16) / columns - (withOptions ? 56 : 0);
    auto place = [&](int entry) -> RECT {
      return {left + 8 + (entry / rows) * ((groupWidth - 16) / columns), top + kGroupTop + (entry % rows) * kRow,
              columnWidth, kBoxHeight};
    };
    int entry = 0;
    for (size_t index : items) {
      const ItemFlag& flag = flags[index];
      DWORD style = BS_AUTOCHECKBOX | WS_TABSTOP | (ConfirmationQuestion(flag.checkBox) ? BS_NOTIFY : 0);
      RECT where = place(entry++);
      HWND box = MakeChild(page, WC_BUTTONW, flag.caption, style, where, kFirstItemId + static_cast<int>(index));
      itemBoxes_[index] = box;
      checkBoxes_[flag.checkBox] = box;
      // The keep lists belong beside the items they spare: typed addresses and cookies.
      const wchar_t* options = flag.checkBox == std::wstring_view(L"Check1")   ? L"Command7"
                               : flag.checkBox == std::wstring_view(L"Check4") ? L"Command8"
                                                                               : nullptr;
      if (options) {
        buttons_[options] = MakeChild(page, WC_BUTTONW, L"Options", BS_PUSHBUTTON | WS_TABSTOP,
                                      {where.left + columnWidth + 4, where.top - 1, 48, kBoxHeight + 2},
                                      options == std::wstring_view(L"Command7") ? kUrlOptionsId : kCookieOptionsId);
      }
    }
    if (selectAll) {
      int id = kFirstSelectAllId + static_cast<int>(selectAll - SelectAllGroups().data());
      checkBoxes_[selectAll->box] =
          MakeChild(page, WC_BUTTONW, kSelectAllCaption, BS_AUTOCHECKBOX | WS_TABSTOP, place(entry), id);
    }
  }
}

// One box per shipped rule of the browser, ticked as the rule is; a browser not on this computer is
// greyed and says so.
void SelectionWindow::BuildBrowserRulePage(HWND page, const rules::TodaysBrowser& browser) {
  SIZE area = DialogUnits(Handle(), page);
  groupBoxes_[browser.tab] =
      MakeChild(page, WC_BUTTONW, browser.tab, BS_GROUPBOX, {4, 4, area.cx - 8, area.cy - 8}, kNoId);
  int top = 4 + kGroupTop;
  bool found = false;
  for (const wchar_t* kind : rules::BrowserKinds()) {
    const std::wstring name = rules::BrowserRuleName(browser, kind);
    auto choice = std::find_if(ruleChoices_.begin(), ruleChoices_.end(), [&](const rules::RuleChoice& c) {
      return c.rule.section == rules::kShippedSection && platform::EqualsNoCase(c.rule.name, name);
    });
    if (choice == ruleChoices_.end()) continue;
    const int id = kFirstBrowserRuleId + static_cast<int>(browserRuleBoxes_.size());
    HWND box = MakeChild(page, WC_BUTTONW, kind, BS_AUTOCHECKBOX | WS_TABSTOP, {12, top, 200, kBoxHeight}, id);
    top += kRow;
    SetTicked(box, choice->ticked);
    EnableWindow(box, choice->detected);
    found = found || choice->detected;
    browserRuleBoxes_.emplace_back(box, static_cast<size_t>(choice - ruleChoices_.begin()));
  }
  if (found) return;
  EnableWindow(groupBoxes_[browser.tab], FALSE);
  MakeChild(page, WC_STATICW, std::wstring(browser.tab) + L": not found on this computer.", SS_LEFT,
            {12, top + 4, area.cx - 24, kBoxHeight}, kNoId);
}

HWND SelectionWindow::BrowserRuleBox(const std::wstring& ruleName) const {
  for (const auto& [box, choice] : browserRuleBoxes_) {
    if (platform::EqualsNoCase(ruleChoices_[choice].rule.name, ruleName)) return box;
  }
  return nullptr;
}

void SelectionWindow::BuildApplicationsPage(HWND page) {
  SIZE area = DialogUnits(Handle(), page);
  pluginList_ =
      MakeChild(page, WC_LISTVIEWW, L"", LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL | WS_TABSTOP | WS_BORDER,
                {4, 4, area.cx - 8, area.cy - 8}, kPluginListId);
  ListView_SetExtendedListViewStyle(pluginList_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  AddColumns(pluginList_, {{L"Applications Name", 150}, {L"Version", 70}, {L"Description", 450}});
}

void SelectionWindow::BuildCustomPage(HWND page) {
  SIZE area = DialogUnits(Handle(), page);
  auto flags = ItemFlags();
  for (size_t i = 0; i < flags.size(); ++i) {
    if (flags[i].tab != std::wstring_view(kOuterTabs[kCustomItemTab])) continue;
    itemBoxes_[i] = MakeChild(page, WC_BUTTONW, flags[i].caption, BS_AUTOCHECKBOX | WS_TABSTOP, {8, 6, 200, kBoxHeight},
                              kFirstItemId + static_cast<int>(i));
    checkBoxes_[flags[i].checkBox] = itemBoxes_[i];
  }
  const wchar_t* group = L"Select Folder and Files That will Be Erased";
  groupBoxes_[group] = MakeChild(page, WC_BUTTONW, group, BS_GROUPBOX, {4, 20, area.cx - 8, area.cy - 24}, kNoId);
  customList_ =
      MakeChild(page, WC_LISTVIEWW, L"", LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL | WS_TABSTOP | WS_BORDER,
                {10, 32, area.cx - 20, area.cy - 60}, kCustomListId);
  ListView_SetExtendedListViewStyle(customList_, LVS_EX_FULLROWSELECT);
  AddColumns(customList_, {{L"Name", 360}, {L"Type", 60}, {L"Size", 80}, {L"Modified", 150}});
  const int buttonTop = area.cy - 22;
  buttons_[L"Command101"] =
      MakeChild(page, WC_BUTTONW, L"&Add", BS_PUSHBUTTON | WS_TABSTOP, {10, buttonTop, 50, 14}, kAddId);
  buttons_[L"Command102"] =
      MakeChild(page, WC_BUTTONW, L"&Remove", BS_PUSHBUTTON | WS_TABSTOP, {66, buttonTop, 50, 14}, kRemoveId);
  buttons_[L"Command2"] =
      MakeChild(page, WC_BUTTONW, L"C&lear", BS_PUSHBUTTON | WS_TABSTOP, {122, buttonTop, 50, 14}, kClearId);
}

void SelectionWindow::BuildRulesPage(HWND page) {
  SIZE area = DialogUnits(Handle(), page);
  MakeChild(page, WC_STATICW, L"&Search:", SS_LEFT, {6, 7, 30, 10}, kNoId);
  ruleSearch_ = MakeChild(page, WC_EDITW, L"", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, {38, 5, 150, 12}, kRuleSearchId);
  ruleShowAll_ = MakeChild(page, WC_BUTTONW, L"Show the entries for programs not found on this computer",
                           BS_AUTOCHECKBOX | WS_TABSTOP, {198, 6, area.cx - 202, 10}, kRuleShowAllId);
  ruleList_ = MakeChild(page, WC_LISTVIEWW, L"",
                        LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL | WS_TABSTOP | WS_BORDER,
                        {4, 22, area.cx - 8, area.cy - 58}, kRuleListId);
  ListView_SetExtendedListViewStyle(ruleList_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  AddColumns(ruleList_, {{L"Name", 420}, {L"Category", 200}});
  ruleCount_ = MakeChild(page, WC_STATICW, L"", SS_LEFT, {6, area.cy - 33, area.cx - 12, 10}, kNoId);
  // The community's file is updated here, shown first and counted only once the user accepts it.
  const int row = area.cy - 19;
  buttons_[L"UpdateRules"] =
      MakeChild(page, WC_BUTTONW, L"&Update rules", BS_PUSHBUTTON | WS_TABSTOP, {4, row, 64, 14}, kUpdateRulesId);
  buttons_[L"UndoRules"] =
      MakeChild(page, WC_BUTTONW, L"U&ndo last update", BS_PUSHBUTTON | WS_TABSTOP, {72, row, 76, 14}, kUndoRulesId);
  rulesProgress_ = MakeChild(page, PROGRESS_CLASSW, L"", 0, {154, row + 2, area.cx - 206, 10}, kNoId);
  buttons_[L"StopRules"] =
      MakeChild(page, WC_BUTTONW, L"S&top", BS_PUSHBUTTON | WS_TABSTOP, {area.cx - 48, row, 44, 14}, kStopRulesId);
  ShowRulesDownloading();
}

// A stopped download is let end before another may start, so that the two never share a file.
void SelectionWindow::ShowRulesDownloading() {
  const bool busy = rulesDownload_ != nullptr;
  const int shown = busy && !rulesDownload_->Stopped() ? SW_SHOW : SW_HIDE;
  ShowWindow(rulesProgress_, shown);
  ShowWindow(Button(L"StopRules"), shown);
  EnableWindow(Button(L"UpdateRules"), !busy);
  EnableWindow(Button(L"UndoRules"), !busy && platform::FileExists(rules::BackupFile(programFolder_)));
}

void SelectionWindow::StartRulesDownload() {
  if (rulesDownload_) return;
  const std::wstring url = rules::CommunityAddress(programFolder_);
  SendMessageW(rulesProgress_, PBM_SETPOS, 0, 0);
  SetWindowTextW(ruleCount_, (L"Downloading the rules from " + url + L" ...").c_str());
  rulesDownload_ = std::make_unique<RulesDownloadTask>(Handle(), programFolder_, url, services_.rulesDownloadLimits);
  ShowRulesDownloading();
}

// The window is free at once; the thread ends at its next piece of data, leaving no file.
void SelectionWindow::StopRulesDownload() {
  if (!rulesDownload_) return;
  rulesDownload_->Stop();
  ShowRulesDownloading();
  SetWindowTextW(ruleCount_, L"The download was stopped; the rules in place are unchanged.");
}

void SelectionWindow::RulesDownloadReport(WPARAM what) {
  if (!rulesDownload_) return;
  if (what == RulesDownloadTask::kProgress) {
    const long long total = rulesDownload_->Total();
    const double whole = total > 0 ? static_cast<double>(total) : static_cast<double>(services_.rulesDownloadLimits.maxBytes);
    SendMessageW(rulesProgress_, PBM_SETRANGE32, 0, 1000);
    SendMessageW(rulesProgress_, PBM_SETPOS, static_cast<WPARAM>(1000.0 * rulesDownload_->Received() / whole), 0);
    return;
  }
  if (what != RulesDownloadTask::kFinished || !rulesDownload_->Finished()) return;
  const bool stopped = rulesDownload_->Stopped();
  const rules::RulesDownload download = rulesDownload_->Result();
  rulesDownload_.reset();
  ShowRulesDownloading();
  if (stopped) return;
  FillRules();
  if (!download.pending) {
    platform::Tell(Handle(), download.problem.empty()
                                 ? L"The rules in place are the newest: the download changes nothing."
                                 : L"The rules were not updated: " + download.problem +
                                       L". The rules in place are unchanged.");
    return;
  }
  if (services_.reviewRuleChanges(Handle(), programFolder_, download)) ReloadRules(download.changes);
  ShowRulesDownloading();
}

void SelectionWindow::UndoRulesUpdate() {
  std::wstring problem;
  if (!rules::UndoRulesUpdate(programFolder_, problem)) {
    platform::Tell(Handle(), L"The previous rules were not put back: " + problem + L".");
  } else {
    ReloadRules({});
  }
  ShowRulesDownloading();
}

void SelectionWindow::ReloadRules(const std::vector<rules::RuleChange>& changes) {
  auto id = [](const std::wstring& section, const std::wstring& name) { return section + L"/" + platform::ToLower(name); };
  std::map<std::wstring, bool> ticked;
  for (const rules::RuleChoice& choice : ruleChoices_) ticked[id(choice.rule.section, choice.rule.name)] = choice.ticked;
  for (const rules::RuleChange& change : changes) {
    if (change.erasesMore) ticked[id(rules::kCommunitySection, change.name)] = false;
  }
  std::vector<std::wstring> boxNames;
  for (const auto& [box, choice] : browserRuleBoxes_) boxNames.push_back(ruleChoices_[choice].rule.name);
  ruleChoices_ = rules::RuleChoices(programFolder_);
  for (rules::RuleChoice& choice : ruleChoices_) {
    auto kept = ticked.find(id(choice.rule.section, choice.rule.name));
    if (kept != ticked.end()) choice.ticked = kept->second;
  }
  // The boxes of the browsers' shipped rules find their entries at their new places.
  for (size_t i = 0; i < browserRuleBoxes_.size(); ++i) {
    auto choice = std::find_if(ruleChoices_.begin(), ruleChoices_.end(), [&](const rules::RuleChoice& c) {
      return c.rule.section == rules::kShippedSection && platform::EqualsNoCase(c.rule.name, boxNames[i]);
    });
    if (choice != ruleChoices_.end()) browserRuleBoxes_[i].second = static_cast<size_t>(choice - ruleChoices_.begin());
  }
  FillRules();
}

void SelectionWindow::LoadState() {
  toolkit::ApplySkinFile(Handle(), programFolder_);
  const std::wstring settingsFile = SettingsFile(programFolder_);
  auto flags = ItemFlags();
  auto isMail = [](const ItemFlag& flag) {
    return std::any_of(MailGroups().begin(), MailGroups().end(),
                       [&](const MailGroup& mail) { return flag.group == std::wstring_view(mail.group); });
  };
  auto read = [&](size_t i) {
    SetTicked(itemBoxes_[i], inifun::FlagTest(inifun::ReadIniValue(settingsFile, flags[i].section, flags[i].key)));
  };
  for (size_t i = 0; i < flags.size(); ++i) {
    if (!isMail(flags[i])) read(i);
  }
  for (const MailGroup& mail : MailGroups()) {
    bool present = regfun::ReadRegistryString(mail.registryPath, mail.valueName) != L"Error";
    std::vector<HWND> boxes{CheckBox(SelectAllGroupOf(mail.group)->box)};
    for (size_t i = 0; i < flags.size(); ++i) {
      if (flags[i].group != std::wstring_view(mail.group)) continue;
      if (present) read(i);
      boxes.push_back(itemBoxes_[i]);
    }
    if (present) continue;
    for (HWND box : boxes) {
      EnableWindow(box, FALSE);
      SetTicked(box, false);
    }
  }
  for (const SelectAllGroup& group : SelectAllGroups()) ShowWhetherAllTicked(group);
  LoadCustomList();
  LoadPlugins();
  FillRules();
  std::vector<const rules::RuleChoice*> running;
  for (const rules::RuleChoice& choice : ruleChoices_) {
    if (choice.ticked && choice.detected) running.push_back(&choice);
  }
  TellRefusedFolders(running);
  if (auto tab = StoredTabNumber(inifun::ReadIniValue(settingsFile, L"setting", L"tab1"), kOuterTabs.size())) {
    TabCtrl_SetCurSel(outerTabs_, *tab);
    ShowPage(outerTabs_);
  }
  if (auto tab = StoredTabNumber(inifun::ReadIniValue(settingsFile, L"setting", L"tab2"), browserPages_.size())) {
    TabCtrl_SetCurSel(browserTabs_, *tab);
    ShowPage(browserTabs_);
  }
}

// A definition that names a drive root, a protected folder or the program folder is listed, and the
// window says at once which of its folders a run will refuse.
void SelectionWindow::LoadPlugins() {
  ListView_DeleteAllItems(pluginList_);
  const run::ProcessValues values = run::ComputeProcessValues();
  std::wstring refused;
  for (const plugins::PluginEntry& entry : plugins::ListPlugins(plugins::PluginFolder(programFolder_))) {
    int row = AppendRow(pluginList_, entry.name);
    SetItemText(pluginList_, row, 1, entry.version);
    SetItemText(pluginList_, row, 2, PluginDescription(entry));
    ListView_SetCheckState(pluginList_, row, entry.ticked);
    for (const std::wstring& folder : plugins::NamedFolders(entry.file, values)) {
      engine::GuardDecision decision = engine::GuardPath(folder, programFolder_);
      if (decision || decision.refusal == engine::Refusal::NotAFullPath) continue;
      refused += L"\r\n" + entry.name + L": " + folder + L" is " + engine::RefusalDescription(decision.refusal) + L".";
    }
  }
  // The description column is as wide as its longest text, so that a note at its end reads whole.
  int widest = 0;
  for (int row = 0, count = ListView_GetItemCount(pluginList_); row < count; ++row) {
    widest = std::max(widest, ListView_GetStringWidth(pluginList_, ItemText(pluginList_, row, 2).c_str()));
  }
  const int margin = toolkit::Scale(16, toolkit::WindowDpi(pluginList_));
  if (widest + margin > ListView_GetColumnWidth(pluginList_, 2)) ListView_SetColumnWidth(pluginList_, 2, widest + margin);
  if (!refused.empty()) {
    platform::Tell(Handle(), L"Trellwipe never erases these folders, and skips them when a plug-in names them:" +
                                refused);
  }
}

void SelectionWindow::LoadCustomList() {
  for (const CustomRow& row : LoadCustomRows(CustomListFile(programFolder_))) {
    AddCustomRow(row.path, row.type, row.size, row.modified);
  }
}

void SelectionWindow::AddCustomRow(const std::wstring& path, const std::wstring& type, const std::wstring& size,
                                   const std::wstring& modified) {
  int row = AppendRow(customList_, path);
  SetItemText(customList_, row, 1, type);
  SetItemText(customList_, row, 2, size);
  SetItemText(customList_, row, 3, modified);
}

// The entries the search and the box let through, in the order of RuleChoices(): by category, then
// by name.
void SelectionWindow::FillRules() {
  const std::wstring search = platform::WindowText(ruleSearch_);
  const bool showAll = IsTicked(ruleShowAll_);
  fillingRules_ = true;
  SendMessageW(ruleList_, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(ruleList_);
  size_t listed = 0, detected = 0;
  for (size_t i = 0; i < ruleChoices_.size(); ++i) {
    const rules::RuleChoice& choice = ruleChoices_[i];
    if (rules::OnBrowserTab(choice.rule)) continue;  // ticked on its browser's tab
    ++listed;
    detected += choice.detected;
    if (!rules::Shown(choice, search, showAll)) continue;
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = ListView_GetItemCount(ruleList_);
    item.pszText = const_cast<wchar_t*>(choice.rule.name.c_str());
    item.lParam = static_cast<LPARAM>(i);
    int row = ListView_InsertItem(ruleList_, &item);
    SetItemText(ruleList_, row, 1, choice.rule.category);
    ListView_SetCheckState(ruleList_, row, choice.ticked);
  }
  SendMessageW(ruleList_, WM_SETREDRAW, TRUE, 0);
  fillingRules_ = false;
  const int shown = ListView_GetItemCount(ruleList_);
  SetWindowTextW(ruleCount_,
                 listed == 0
                     ? L"No rule file found: put \"winapp2.ini\" beside trellwipe.exe, or rule files of your own in its "
                       L"\"rules\" folder."
                     : (L"Showing " + std::to_wstring(shown) + L" of " + std::to_wstring(listed) +
                        L" entries; " + std::to_wstring(detected) + L" are for programs found on this computer.")
                           .c_str());
}

// A tick the user set or cleared; ticking an entry that warns asks first.
void SelectionWindow::RuleChanged(const NMLISTVIEW& change) {
  if (fillingRules_ || !(change.uChanged & LVIF_STATE)) return;
  if (((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK) == 0) return;
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = change.iItem;
  if (!ListView_GetItem(ruleList_, &item) || static_cast<size_t>(item.lParam) >= ruleChoices_.size()) return;
  rules::RuleChoice& choice = ruleChoices_[static_cast<size_t>(item.lParam)];
  const bool ticked = ListView_GetCheckState(ruleList_, change.iItem) != 0;
  if (AcceptTick(choice, ticked) == ticked) return;
  fillingRules_ = true;
  ListView_SetCheckState(ruleList_, change.iItem, false);
  fillingRules_ = false;
}

void SelectionWindow::BrowserRuleClicked(HWND box) {
  for (const auto& [shown, choice] : browserRuleBoxes_) {
    if (shown == box && AcceptTick(ruleChoices_[choice], IsTicked(box)) != IsTicked(box)) SetTicked(box, false);
  }
}

// The tick a rule keeps when the user sets or clears it: ticking an entry that warns asks first.
bool SelectionWindow::AcceptTick(rules::RuleChoice& choice, bool ticked) {
  const rules::Rule& rule = choice.rule;
  if (ticked && !choice.ticked && !rule.warning.empty() && !AskOkCancel(Handle(), rule.name + L"\r\n\r\n" + rule.warning)) {
    ticked = false;
  }
  if (ticked && !choice.ticked) TellRefusedFolders({&choice});
  choice.ticked = ticked;
  return ticked;
}

// What the given entries name that a run will refuse, said at once rather than found in a report.
void SelectionWindow::TellRefusedFolders(const std::vector<const rules::RuleChoice*>& choices) {
  std::wstring refused;
  for (const rules::RuleChoice* choice : choices) {
    for (const std::wstring& folder : rules::RefusedFolders(choice->rule, programFolder_)) {
      refused += L"\r\n" + choice->rule.name + L": " + folder + L".";
    }
  }
  if (!refused.empty()) {
    platform::Tell(Handle(), L"Trellwipe never erases these folders, and skips them when a rule names them:" + refused);
  }
}

void SelectionWindow::ShowPage(HWND tabs) {
  const std::vector<HWND>& pages = tabs == outerTabs_ ? outerPages_ : browserPages_;
  int selected = TabCtrl_GetCurSel(tabs);
  for (size_t i = 0; i < pages.size(); ++i) ShowWindow(pages[i], static_cast<int>(i) == selected ? SW_SHOW : SW_HIDE);
}

INT_PTR SelectionWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == RulesDownloadTask::Message()) {
    RulesDownloadReport(wParam);
    return TRUE;
  }
  switch (message) {
    case WM_COMMAND:
      Command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return TRUE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->code == TCN_SELCHANGE && (header->hwndFrom == outerTabs_ || header->hwndFrom == browserTabs_)) {
        ShowPage(header->hwndFrom);
        return TRUE;
      }
      if (header->code == LVN_ITEMCHANGED && header->hwndFrom == ruleList_) {
        RuleChanged(*reinterpret_cast<const NMLISTVIEW*>(lParam));
        return TRUE;
      }
      return FALSE;
    }
    case WM_CLOSE:
      Close();
      return TRUE;
  }
  return FALSE;
}

void SelectionWindow::Unload() {
  closing_ = true;
  rulesDownload_.reset();
  outerTabs_ = browserTabs_ = pluginList_ = customList_ = ruleList_ = ruleSearch_ = ruleShowAll_ = ruleCount_ = nullptr;
  rulesProgress_ = nullptr;
  ruleChoices_.clear();
  browserRuleBoxes_.clear();
  outerPages_.clear();
  browserPages_.clear();
  itemBoxes_.clear();
  checkBoxes_.clear();
  groupBoxes_.clear();
  buttons_.clear();
}

void SelectionWindow::Command(WORD id, WORD code, HWND control) {
  if (id >= kFirstItemId && id < kFirstItemId + ItemFlags().size()) {
    if (code == BN_KILLFOCUS) Confirm(control);
    if (code == BN_KILLFOCUS || code == BN_CLICKED) {
      if (const SelectAllGroup* group = SelectAllGroupOf(ItemFlags()[id - kFirstItemId].group)) ShowWhetherAllTicked(*group);
    }
    return;
  }
  if (id >= kFirstBrowserRuleId && id < kFirstBrowserRuleId + browserRuleBoxes_.size()) {
    if (code == BN_CLICKED) BrowserRuleClicked(control);
    return;
  }
  if (id >= kFirstSelectAllId && id < kFirstSelectAllId + SelectAllGroups().size()) {
    if (code == BN_CLICKED) SelectAll(control);
    return;
  }
  if ((id == kRuleSearchId && code == EN_CHANGE) || (id == kRuleShowAllId && code == BN_CLICKED)) {
    FillRules();
    return;
  }
  if (code != BN_CLICKED) return;
  switch (id) {
    case IDOK:
      if (Save()) Close();
      break;
    case IDCANCEL:
      Close();
      break;
    case kUrlOptionsId:
      services_.showUrlKeepList(Handle(), programFolder_);
      break;
    case kCookieOptionsId:
      services_.showCookieKeepList(Handle(), programFolder_);
      break;
    case kAddId:
      switch (services_.chooseAddCommand(Handle(), control)) {
        case kAddFilesCommand:
          AddFiles();
          break;
        case kAddFoldersCommand:
          AddFolder();
          break;
      }
      break;
    case kRemoveId:
      RemoveCustomRow();
      break;
    case kClearId:
      ListView_DeleteAllItems(customList_);
      break;
    case kUpdateRulesId:
      StartRulesDownload();
      break;
    case kStopRulesId:
      StopRulesDownload();
      break;
    case kUndoRulesId:
      UndoRulesUpdate();
      break;
  }
}

void SelectionWindow::Confirm(HWND box) {
  if (closing_ || !IsTicked(box)) return;
  const ItemFlag& flag = ItemFlags()[static_cast<size_t>(GetDlgCtrlID(box) - kFirstItemId)];
  if (const wchar_t* question = ConfirmationQuestion(flag.checkBox)) {
    if (!AskOkCancel(Handle(), question)) SetTicked(box, false);
  }
}

void SelectionWindow::SelectAll(HWND box) {
  const SelectAllGroup& group = SelectAllGroups()[static_cast<size_t>(GetDlgCtrlID(box) - kFirstSelectAllId)];
  ApplySelectAll(
      group, IsTicked(box),
      [&](std::wstring_view name, bool ticked) { SetTicked(CheckBox(std::wstring(name)), ticked); },
      [&](const wchar_t* question) { return AskOkCancel(Handle(), question); });
  ShowWhetherAllTicked(group);
}

// A group's "Select all of the above" shows whether every box under it is ticked.
void SelectionWindow::ShowWhetherAllTicked(const SelectAllGroup& group) {
  HWND all = CheckBox(group.box);
  if (!all || !IsWindowEnabled(all)) return;
  SetTicked(all, std::all_of(group.members.begin(), group.members.end(), [&](const wchar_t* name) {
              HWND box = CheckBox(name);
              return box && IsTicked(box);
            }));
}

// A drive root, a protected folder or anything in the program folder is refused when it is added,
// with a message naming it, rather than kept for a run to refuse.
bool SelectionWindow::Refused(const std::wstring& path) {
  engine::GuardDecision decision = engine::GuardPath(path, programFolder_);
  if (decision) return false;
  platform::Tell(Handle(), path + L" is " + engine::RefusalDescription(decision.refusal) +
                              L". Trellwipe never erases it, so it is not added to the custom items.");
  return true;
}

void SelectionWindow::AddFiles() {
  std::optional<normal::FileDialogResult> result = services_.chooseFiles(Handle());
  if (!result) return;
  normal::FileSelection selection = normal::ParseFileSelection(*result);
  for (const std::wstring& name : selection.names) {
    std::wstring path = selection.folder + name;
    if (Refused(path)) continue;
    AddChosenEntry({path, L"File"});
  }
}

void SelectionWindow::AddFolder() {
  std::optional<std::wstring> chosen = services_.chooseFolder(Handle());
  if (!chosen) return;
  std::wstring path = platform::CutAtNul(*chosen).substr(0, MAX_PATH);
  if (Refused(path)) return;
  AddChosenEntry({path, L"Folder"});
}

// What the user adds is meant to go at the next cleaning: the custom items' own box is ticked with it.
void SelectionWindow::AddChosenEntry(const settings::CustomEntry& entry) {
  CustomRow row = DescribeCustomEntry(entry);
  AddCustomRow(row.path, row.type, row.size, row.modified);
  if (HWND box = CheckBox(kCustomItemsBox)) SetTicked(box, true);
}

void SelectionWindow::RemoveCustomRow() {
  int selected = ListView_GetNextItem(customList_, -1, LVNI_SELECTED);
  if (selected >= 0 && !ItemText(customList_, selected, 0).empty()) ListView_DeleteItem(customList_, selected);
}

// Writes nothing when the custom list or the settings file cannot be written, leaving the window open
// with what the user chose: both are written in full beside their files before either is renamed
// into place.
bool SelectionWindow::Save() {
  const std::wstring settingsFile = SettingsFile(programFolder_);
  const std::wstring listFile = CustomListFile(programFolder_);
  std::vector<CustomEntry> entries;
  for (int row = 0, count = ListView_GetItemCount(customList_); row < count; ++row) {
    entries.push_back({ItemText(customList_, row, 0), ItemText(customList_, row, 1)});
  }
  std::vector<std::wstring> unstorable = UnstorablePaths(entries);
  if (!unstorable.empty()) {
    platform::Tell(Handle(), L"Can't store " + unstorable.front() + L" in " + listFile +
                                L": its name has characters that this system's code page lacks. Rename it, or "
                                L"remove it from the custom items, and press OK again.");
    return false;
  }
  inifun::IniBatch batch(settingsFile);
  auto flags = ItemFlags();
  for (size_t i = 0; i < flags.size(); ++i) {
    batch.Set(flags[i].section, flags[i].key, IsTicked(itemBoxes_[i]) ? L"1" : L"0");
  }
  rules::StoreTicks(batch, ruleChoices_, programFolder_);
  // The selection is the user's own from now on.
  if (settings::SelectionUnsaved(settingsFile)) batch.Set(L"Options", settings::kDefaultSelectionKey, L"0");
  batch.Set(L"setting", L"tab1", std::to_wstring(TabCtrl_GetCurSel(outerTabs_)));
  batch.Set(L"setting", L"tab2", std::to_wstring(TabCtrl_GetCurSel(browserTabs_)));
  std::optional<std::string> settingsText = batch.Render();
  auto notSaved = [&](const std::wstring& file) {
    platform::Tell(Handle(), L"Can't write " + file + L": the settings are not saved.");
    return false;
  };
  // A file held open by another program only refuses the rename, so that is asked first as well.
  if (!platform::CanReplaceFile(listFile)) return notSaved(listFile);
  if (!settingsText || !platform::CanReplaceFile(settingsFile)) return notSaved(settingsFile);
  std::optional<std::string> listText = CustomListText(entries);
  if (!listText) return notSaved(listFile);
  platform::PendingReplacement list(listFile, *listText);
  if (!list.Ready()) return notSaved(listFile);
  platform::PendingReplacement settings(settingsFile, *settingsText);
  if (!settings.Ready()) return notSaved(settingsFile);
  if (!list.Commit()) return notSaved(listFile);
  // Only a rename refused in the instant since the checks gets here, with the custom list saved.
  if (!settings.Commit()) {
    platform::Tell(Handle(), L"Can't write " + settingsFile + L": the cleaning settings are not saved.");
    return false;
  }
  const std::wstring pluginFolder = plugins::PluginFolder(programFolder_);
  for (int row = 0, count = ListView_GetItemCount(pluginList_); row < count; ++row) {
    plugins::WritePluginSwitch(pluginFolder, ItemText(pluginList_, row, 0), ListView_GetCheckState(pluginList_, row));
  }
  return true;
}

void SelectionWindow::Close() {
  closing_ = true;
  Dialog::Close(0);
}

}  // namespace settings
