#include "dialogs/selection_window.h"

#include <commctrl.h>

#include <algorithm>

#include "catalogue/overlaps.h"
#include "catalogue/plugins.h"
#include "dialogs/selection_controls.h"
#include "engine/path_guard.h"
#include "engine/regfun.h"
#include "platform/files.h"
#include "platform/text_file.h"
#include "platform/translation.h"
#include "run/process_values.h"
#include "settings/custom_list.h"
#include "settings/default_selection.h"
#include "settings/inifun.h"
#include "settings/item_flags.h"
#include "settings/policies.h"
#include "settings/selection_layout.h"
#include "toolkit/dpi.h"
#include "toolkit/list_view.h"
#include "toolkit/messages.h"

// What the window shows read from the settings file, the custom list and the plug-ins, and written back.
namespace dialogs {

using namespace settings;

namespace {

// The kinds of custom entries as the list stores them, looked up where a row shows one; a row keeps
// its kind's index, so the list is saved in English whatever the language shown.
constexpr const wchar_t* kCustomTypes[] = {L"", platform::TrLater(L"File"), platform::TrLater(L"Folder")};

// The entry a row of the custom list stands for, its kind as the list stores it.
CustomEntry CustomRowEntry(HWND list, int row) {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  ListView_GetItem(list, &item);
  return {toolkit::ListCellText(list, row, 0),
          item.lParam > 0 && item.lParam < static_cast<LPARAM>(std::size(kCustomTypes))
              ? kCustomTypes[item.lParam]
              : toolkit::ListCellText(list, row, 1)};
}

// A shipped definition that does what a shipped rule of a browser does says where that rule is ticked.
std::wstring PluginDescription(const catalogue::plugins::PluginEntry& entry) {
  std::optional<catalogue::rules::BrowserRule> same = catalogue::rules::SameAsRule(entry.name);
  if (!same) return entry.description;
  if (same->browser->tab) {
    return entry.description +
           platform::Fill(platform::Tr(L"; also on the Browsers tab: {tab}, {box}"),
                          {{L"tab", platform::Tr(same->browser->tab)}, {L"box", platform::Tr(same->kind.c_str())}});
  }
  return entry.description + platform::Fill(platform::Tr(L"; also the rule {rule} on the Rules tab"),
                                            {{L"rule", catalogue::rules::BrowserRuleName(*same->browser, same->kind)}});
}

}  // namespace

void SelectionWindow::LoadState() {
  const std::wstring settingsFile = SettingsFile(programFolder_);
  auto flags = ItemFlags();
  auto isMail = [](const ItemFlag& flag) {
    return std::any_of(MailGroups().begin(), MailGroups().end(),
                       [&](const MailGroup& mail) { return flag.group == std::wstring_view(mail.group); });
  };
  auto read = [&](size_t i) {
    SetTicked(itemBoxes_[i],
              settings::inifun::FlagTest(settings::inifun::ReadIniValue(settingsFile, flags[i].section, flags[i].key)));
  };
  for (size_t i = 0; i < flags.size(); ++i) {
    if (!isMail(flags[i])) read(i);
  }
  for (const MailGroup& mail : MailGroups()) {
    bool present = engine::regfun::ReadRegistryString(mail.registryPath, mail.valueName) != L"Error";
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
  ShowFixedItems();
  for (const SelectAllGroup& group : SelectAllGroups()) ShowWhetherAllTicked(group);
  LoadCustomList();
  LoadPlugins();
  FillRules();
  std::vector<const catalogue::rules::RuleChoice*> running;
  for (const catalogue::rules::RuleChoice& choice : ruleChoices_) {
    if (choice.ticked && choice.detected) running.push_back(&choice);
  }
  TellRefusedFolders(running);
  if (auto tab =
          StoredTabNumber(settings::inifun::ReadIniValue(settingsFile, L"setting", L"tab1"), kOuterTabs.size())) {
    TabCtrl_SetCurSel(outerTabs_, *tab);
    ShowPage(outerTabs_);
  }
  // Without a stored browser tab the window opens on a browser of today that is here.
  const std::wstring storedBrowserTab = settings::inifun::ReadIniValue(settingsFile, L"setting", L"tab2");
  if (auto tab =
          storedBrowserTab.empty() ? InstalledBrowserTab() : StoredTabNumber(storedBrowserTab, browserPages_.size())) {
    TabCtrl_SetCurSel(browserTabs_, *tab);
    ShowPage(browserTabs_);
  }
}

void SelectionWindow::ShowFixedItems() {
  auto flags = ItemFlags();
  for (size_t i = 0; i < flags.size(); ++i) {
    std::optional<bool> fixed = FixedByPolicy(flags[i].section, flags[i].key);
    if (!fixed) continue;
    SetTicked(itemBoxes_[i], *fixed);
    EnableWindow(itemBoxes_[i], FALSE);
  }
  for (const auto& [box, choice] : browserRuleBoxes_) {
    const catalogue::rules::Rule& rule = ruleChoices_[choice].rule;
    if (std::optional<bool> fixed = FixedByPolicy(rule.section, rule.name)) {
      SetTicked(box, *fixed);
      EnableWindow(box, FALSE);
    }
  }
  // A select-all box with nothing left to set shows the policy's ticks, greyed.
  for (const SelectAllGroup& group : SelectAllGroups()) {
    HWND all = CheckBox(group.box);
    if (!all || !PolicyNote(all)) continue;
    ShowWhetherAllTicked(group);
    EnableWindow(all, FALSE);
  }
  if (SelectionFixedExactly(PoliciesInForce())) {
    EnableWindow(pluginList_, FALSE);
    EnableWindow(ruleTab_.list, FALSE);
  }
}

// A definition that names a drive root, a protected folder or the program folder is listed, and the
// window says at once which of its folders a run will refuse.
void SelectionWindow::LoadPlugins() {
  ListView_DeleteAllItems(pluginList_);
  pluginNames_.clear();
  const run::ProcessValues values = run::ComputeProcessValues();
  std::wstring refused;
  const engine::PathGuard guard(programFolder_);
  for (const catalogue::plugins::PluginEntry& entry : catalogue::plugins::ProgramPlugins(programFolder_)) {
    const std::optional<bool> fixed = FixedByPolicy(catalogue::plugins::kPluginSection, entry.name);
    pluginNames_.push_back(entry.name);
    int row = toolkit::AppendListRow(pluginList_, PolicyRowText(entry.name, fixed));
    toolkit::SetListCellText(pluginList_, row, 1, entry.version);
    toolkit::SetListCellText(pluginList_, row, 2,
                             catalogue::AlsoCoveredText(catalogue::PluginAlsoCoveredBy(entry.file)));
    toolkit::SetListCellText(pluginList_, row, 3, PluginDescription(entry));
    ListView_SetCheckState(pluginList_, row, fixed.value_or(entry.ticked));
    for (const std::wstring& folder : catalogue::plugins::NamedFolders(entry.file, values)) {
      engine::GuardDecision decision = guard.Check(folder);
      if (decision || decision.refusal == engine::Refusal::NotAFullPath) continue;
      refused +=
          L"\r\n" + entry.name + L": " +
          platform::Fill(platform::Tr(L"{path} is {refusal}."),
                         {{L"path", folder}, {L"refusal", platform::Tr(engine::RefusalDescription(decision.refusal))}});
    }
  }
  // The description column is as wide as its longest text, so that a note at its end reads whole.
  int widest = 0;
  for (int row = 0, count = ListView_GetItemCount(pluginList_); row < count; ++row) {
    widest = std::max(widest, ListView_GetStringWidth(pluginList_, toolkit::ListCellText(pluginList_, row, 3).c_str()));
  }
  const int margin = toolkit::Scale(16, toolkit::WindowDpi(pluginList_));
  if (widest + margin > ListView_GetColumnWidth(pluginList_, 3))
    ListView_SetColumnWidth(pluginList_, 3, widest + margin);
  if (!refused.empty()) {
    toolkit::Tell(Handle(),
                  platform::Tr(L"Trellwipe never erases these folders, and skips them when a plug-in names them:") +
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
  int row = toolkit::AppendListRow(customList_, path);
  const auto kind = std::find(std::begin(kCustomTypes), std::end(kCustomTypes), type);
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  item.lParam = kind == std::end(kCustomTypes) ? 0 : kind - std::begin(kCustomTypes);
  ListView_SetItem(customList_, &item);
  toolkit::SetListCellText(customList_, row, 1, item.lParam ? platform::Tr(kCustomTypes[item.lParam]) : type.c_str());
  toolkit::SetListCellText(customList_, row, 2, size);
  toolkit::SetListCellText(customList_, row, 3, modified);
}

void SelectionWindow::PluginChanged(const NMLISTVIEW& change) {
  if (!(change.uChanged & LVIF_STATE) || change.iItem < 0 || static_cast<size_t>(change.iItem) >= pluginNames_.size()) {
    return;
  }
  std::optional<bool> fixed = FixedByPolicy(catalogue::plugins::kPluginSection, pluginNames_[change.iItem]);
  if (fixed && (ListView_GetCheckState(pluginList_, change.iItem) != 0) != *fixed) {
    ListView_SetCheckState(pluginList_, change.iItem, *fixed);
  }
}

// A switch that cannot be written leaves its definition as it was; the user hears which and why. What
// a policy fixes stays as the user had it.
void SelectionWindow::SavePluginSwitches() {
  std::wstring unsaved;
  for (size_t row = 0; row < pluginNames_.size(); ++row) {
    const std::wstring& name = pluginNames_[row];
    if (FixedByPolicy(catalogue::plugins::kPluginSection, name)) continue;
    platform::Result<void> written =
        catalogue::plugins::SetPluginSwitch(programFolder_, name,
                                            ListView_GetCheckState(pluginList_, static_cast<int>(row)));
    if (!written) unsaved += L"\n" + name + L": " + written.Reason();
  }
  if (!unsaved.empty()) toolkit::Tell(Handle(), platform::Tr(L"These plug-ins keep their switch as it was:") + unsaved);
}

// Writes nothing when the custom list or the settings file cannot be written, leaving the window open
// with what the user chose: both are written in full beside their files before either is renamed
// into place.
bool SelectionWindow::Save() {
  const std::wstring settingsFile = SettingsFile(programFolder_);
  const std::wstring listFile = CustomListFile(programFolder_);
  std::vector<CustomEntry> entries;
  for (int row = 0, count = ListView_GetItemCount(customList_); row < count; ++row) {
    entries.push_back(CustomRowEntry(customList_, row));
  }
  std::vector<std::wstring> unstorable = UnstorablePaths(entries);
  if (!unstorable.empty()) {
    toolkit::Tell(Handle(),
                  platform::Fill(platform::Tr(L"Can't store {path} in {file}: its name has characters that this "
                                              L"system's code page lacks. Rename it, or remove it from the custom "
                                              L"items, and press OK again."),
                                 {{L"path", unstorable.front()}, {L"file", listFile}}));
    return false;
  }
  settings::inifun::IniBatch batch(settingsFile);
  auto flags = ItemFlags();
  for (size_t i = 0; i < flags.size(); ++i) {
    // What a policy fixes stays as the user had it, for when the policy goes.
    if (FixedByPolicy(flags[i].section, flags[i].key)) continue;
    batch.Set(flags[i].section, flags[i].key, IsTicked(itemBoxes_[i]) ? L"1" : L"0");
  }
  catalogue::rules::StoreTicks(batch, ruleChoices_, programFolder_);
  // The selection is the user's own from now on.
  if (settings::SelectionUnsaved(settingsFile)) batch.Set(L"Options", settings::kDefaultSelectionKey, L"0");
  batch.Set(L"setting", L"tab1", std::to_wstring(TabCtrl_GetCurSel(outerTabs_)));
  batch.Set(L"setting", L"tab2", std::to_wstring(TabCtrl_GetCurSel(browserTabs_)));
  platform::Result<std::string> settingsText = batch.Render();
  auto notSaved = [&](const std::wstring& file, const std::wstring& reason) {
    toolkit::Tell(Handle(), platform::Fill(platform::Tr(L"Can't write {file} ({reason}): the settings are not saved."),
                                           {{L"file", file}, {L"reason", reason}}));
    return false;
  };
  // A file held open by another program only refuses the rename, so that is asked first as well.
  if (auto free = platform::CanReplaceFile(listFile); !free) return notSaved(listFile, free.Reason());
  if (!settingsText) return notSaved(settingsFile, settingsText.Reason());
  if (auto free = platform::CanReplaceFile(settingsFile); !free) return notSaved(settingsFile, free.Reason());
  std::optional<std::string> listText = CustomListText(entries);
  if (!listText) return notSaved(listFile, platform::Tr(L"a name has characters that this system's code page lacks"));
  auto list = platform::PendingReplacement::Write(listFile, *listText);
  if (!list) return notSaved(listFile, list.Reason());
  auto settings = platform::PendingReplacement::Write(settingsFile, *settingsText);
  if (!settings) return notSaved(settingsFile, settings.Reason());
  if (auto renamed = list->Commit(); !renamed) return notSaved(listFile, renamed.Reason());
  // Only a rename refused in the instant since the checks gets here, with the custom list saved.
  if (auto renamed = settings->Commit(); !renamed) {
    toolkit::Tell(Handle(),
                  platform::Fill(platform::Tr(L"Can't write {file} ({reason}): the cleaning settings are not saved."),
                                 {{L"file", settingsFile}, {L"reason", renamed.Reason()}}));
    return false;
  }
  SavePluginSwitches();
  return true;
}

}  // namespace dialogs
