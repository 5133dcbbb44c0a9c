#include "dialogs/selection_window.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>

#include "dialogs/cookie_window.h"
#include "dialogs/selection_controls.h"
#include "dialogs/selection_page.h"
#include "dialogs/url_window.h"
#include "engine/normal.h"
#include "engine/path_guard.h"
#include "platform/handles.h"
#include "platform/product_name.h"
#include "platform/text.h"
#include "platform/translation.h"
#include "settings/custom_list.h"
#include "settings/item_flags.h"
#include "settings/selection_keys.h"
#include "settings/selection_layout.h"
#include "toolkit/dialog_template.h"
#include "toolkit/list_view.h"
#include "toolkit/messages.h"
#include "toolkit/pickers.h"

namespace dialogs {

using namespace settings;

SelectionServices SystemSelectionServices() {
  SelectionServices services;
  services.chooseAddCommand = [](HWND owner, HWND button) -> UINT {
    platform::Menu menu(CreatePopupMenu());
    if (!menu) return 0;
    AppendMenuW(menu.get(), MF_STRING, SelectionWindow::kAddFilesCommand, platform::Tr(L"Add Files"));
    AppendMenuW(menu.get(), MF_STRING, SelectionWindow::kAddFoldersCommand, platform::Tr(L"Add Folders"));
    RECT rect{};
    GetWindowRect(button, &rect);
    return static_cast<UINT>(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, rect.left,
                                            rect.bottom, 0, owner, nullptr));
  };
  services.chooseFiles = [](HWND owner) -> std::optional<engine::normal::FileDialogResult> {
    // The filter's pairs end in NULs, which no catalogue text holds.
    const std::wstring filter = platform::Tr(L"All files (*.*)") + std::wstring(1, L'\0') + L"*.*" + L'\0';
    std::optional<toolkit::PickedFiles> picked =
        toolkit::PickFiles(owner, {platform::Tr(L"Open File"), filter.c_str(), OFN_HIDEREADONLY, 32767});
    if (!picked) return std::nullopt;
    return engine::normal::FileDialogResult{std::move(picked->text), picked->nameOffset};
  };
  services.chooseFolder = [](HWND owner) {
    return toolkit::PickFolder(owner, platform::kProductName, BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN);
  };
  services.showUrlKeepList = ShowUrlKeepList;
  services.showCookieKeepList = ShowCookieKeepList;
  services.reviewRuleChanges = ReviewRuleChanges;
  return services;
}

void ShowCleaningSettings(HWND owner, const std::wstring& programFolder) {
  SelectionWindow window(programFolder, SystemSelectionServices());
  window.ShowModal(owner);
}

SelectionWindow::SelectionWindow(std::wstring programFolder, SelectionServices services)
    : Dialog(programFolder), programFolder_(std::move(programFolder)), services_(std::move(services)) {}

SelectionWindow::~SelectionWindow() {
  if (Handle()) DestroyWindow(Handle());
}

HWND SelectionWindow::CheckBox(const std::wstring& name) const {
  auto found = checkBoxes_.find(name);
  return found == checkBoxes_.end() ? nullptr : found->second;
}

HWND SelectionWindow::GroupBox(const std::wstring& caption) const {
  auto found = groupBoxes_.find(caption);
  return found == groupBoxes_.end() ? nullptr : found->second;
}

HWND SelectionWindow::PolicyNote(HWND control) const {
  auto found = policyNotes_.find(static_cast<WORD>(GetDlgCtrlID(control)));
  return control && found != policyNotes_.end() ? found->second : nullptr;
}

HWND SelectionWindow::Button(const std::wstring& name) const {
  auto found = buttons_.find(name);
  return found == buttons_.end() ? nullptr : found->second;
}

toolkit::DialogTemplate SelectionWindow::Template() const {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  // The tabs' pages are made at load, from the item table and the rules found.
  toolkit::DialogTemplate dialog(DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, kWidth, kHeight,
                                 platform::TrLater(L"Cleaning Settings"));
  dialog.Item(WC_TABCONTROLW, WS_TABSTOP | WS_CLIPSIBLINGS, L"Pages", 6, 6, kWidth - 12, kHeight - 34, kOuterTabsId);
  dialog.Item(toolkit::kButtonClass, BS_DEFPUSHBUTTON | WS_TABSTOP, platform::TrLater(L"OK"), kWidth - 118,
              kHeight - 22, 54, 14, IDOK);
  dialog.Item(toolkit::kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, platform::TrLater(L"Cancel"), kWidth - 60,
              kHeight - 22, 54, 14, IDCANCEL);
  return dialog;
}

void SelectionWindow::MakeControls() {
  ruleChoices_ = catalogue::rules::RuleChoices(programFolder_);
  NoteRuleOverlaps();
  Build();
}

void SelectionWindow::Load() { LoadState(); }

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
    case WM_COMMAND: Command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)); return TRUE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->code == TCN_SELCHANGE && (header->hwndFrom == outerTabs_ || header->hwndFrom == browserTabs_)) {
        ShowPage(header->hwndFrom);
        return TRUE;
      }
      if (header->code == LVN_ITEMCHANGED && header->hwndFrom == ruleTab_.list) {
        RuleChanged(*reinterpret_cast<const NMLISTVIEW*>(lParam));
        return TRUE;
      }
      if (header->code == LVN_ITEMCHANGED && header->hwndFrom == pluginList_) {
        PluginChanged(*reinterpret_cast<const NMLISTVIEW*>(lParam));
        return TRUE;
      }
      return FALSE;
    }
    case WM_CLOSE: Close(0); return TRUE;
  }
  return FALSE;
}

void SelectionWindow::Unload() {
  rulesDownload_.reset();
  outerTabs_ = browserTabs_ = pluginList_ = customList_ = nullptr;
  ruleTab_ = {};
  ruleChoices_.clear();
  ruleNotes_.clear();
  browserRuleBoxes_.clear();
  outerPages_.clear();
  browserPages_.clear();
  itemBoxes_.clear();
  checkBoxes_.clear();
  groupBoxes_.clear();
  buttons_.clear();
  optionsButtons_.clear();
  pluginNames_.clear();
  policyNotes_.clear();
}

void SelectionWindow::Command(WORD id, WORD code, HWND control) {
  if (id >= kFirstItemId && id < kFirstItemId + ItemFlags().size()) {
    if (code != BN_CLICKED) return;
    Confirm(control);
    if (const SelectAllGroup* group = SelectAllGroupOf(ItemFlags()[id - kFirstItemId].group))
      ShowWhetherAllTicked(*group);
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
      if (Save()) Close(0);
      break;
    case IDCANCEL: Close(0); break;
    case kUrlOptionsId: services_.showUrlKeepList(Handle(), programFolder_); break;
    case kCookieOptionsId: services_.showCookieKeepList(Handle(), programFolder_); break;
    case kAddId:
      switch (services_.chooseAddCommand(Handle(), control)) {
        case kAddFilesCommand: AddFiles(); break;
        case kAddFoldersCommand: AddFolder(); break;
      }
      break;
    case kRemoveId: RemoveCustomRow(); break;
    case kClearId: ListView_DeleteAllItems(customList_); break;
    case kUpdateRulesId: StartRulesDownload(); break;
    case kStopRulesId: StopRulesDownload(); break;
    case kUndoRulesId: UndoRulesUpdate(); break;
  }
}

// Asked as the box is ticked, by the mouse or the keyboard, so that no later click or key (OK, Enter,
// another box) can pass it by or be taken by it.
void SelectionWindow::Confirm(HWND box) {
  if (!IsTicked(box)) return;
  const ItemFlag& flag = ItemFlags()[static_cast<size_t>(GetDlgCtrlID(box) - kFirstItemId)];
  if (const wchar_t* question = ConfirmationQuestion(flag.checkBox)) {
    if (!AskOkCancel(Handle(), WithKeepList(flag, question))) SetTicked(box, false);
  }
}

// A box whose cookies the keep list spares says, after its question, where that list is.
std::wstring SelectionWindow::WithKeepList(const ItemFlag& flag, const wchar_t* question) {
  if (KeepListOf(flag) != catalogue::KeepList::Cookies) return platform::Tr(question);
  return platform::Tr(question) + std::wstring(L"\r\n\r\n") + platform::Tr(kKeptSitesBeside);
}

void SelectionWindow::SelectAll(HWND box) {
  const SelectAllGroup& group = SelectAllGroups()[static_cast<size_t>(GetDlgCtrlID(box) - kFirstSelectAllId)];
  ApplySelectAll(
      group, IsTicked(box),
      [&](std::wstring_view name, bool ticked) {
        // A box a policy fixes keeps its tick.
        if (HWND member = CheckBox(std::wstring(name)); member && IsWindowEnabled(member)) SetTicked(member, ticked);
      },
      [&](std::wstring_view name, const wchar_t* question) {
        return AskOkCancel(Handle(), WithKeepList(*FindItemFlag(name), question));
      });
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
  toolkit::Tell(
      Handle(),
      platform::Fill(platform::Tr(L"{path} is {refusal}. Trellwipe never erases it, so it is not added to the "
                                  L"custom items."),
                     {{L"path", path}, {L"refusal", platform::Tr(engine::RefusalDescription(decision.refusal))}}));
  return true;
}

void SelectionWindow::AddFiles() {
  std::optional<engine::normal::FileDialogResult> result = services_.chooseFiles(Handle());
  if (!result) return;
  engine::normal::FileSelection selection = engine::normal::ParseFileSelection(*result);
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
  if (HWND box = CheckBox(settings::kCustomItemsBox)) SetTicked(box, true);
}

void SelectionWindow::RemoveCustomRow() {
  int selected = ListView_GetNextItem(customList_, -1, LVNI_SELECTED);
  if (selected >= 0 && !toolkit::ListCellText(customList_, selected, 0).empty())
    ListView_DeleteItem(customList_, selected);
}

}  // namespace dialogs
