#pragma once
// "Cleaning Settings": what a cleaning run erases.
// Its code: selection_window.cpp (the frame, the commands and the custom items), selection_pages.cpp
// (the tabs' pages, see selection_page.h), selection_rules.cpp (the Rules tab and its download) and
// selection_save.cpp (what it reads at load and writes at OK).
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/browser_rules.h"
#include "catalogue/catalogue.h"
#include "catalogue/rules.h"
#include "dialogs/rule_update_window.h"
#include "engine/normal.h"
#include "settings/custom_list.h"
#include "toolkit/dialog.h"

namespace settings {
struct ItemFlag;
struct SelectAllGroup;
}  // namespace settings

namespace dialogs {

class SelectionPage;

// Opens the window modally and returns when the user has closed it.
void ShowCleaningSettings(HWND owner, const std::wstring& programFolder);

// Everything the window asks the user or opens in a window of its own; tests replace them so that
// nothing blocks.
struct SelectionServices {
  // The command picked from the "Add" button's menu, 0 for none.
  std::function<UINT(HWND owner, HWND button)> chooseAddCommand;
  // What the multiple-selection file dialog gave back (see engine::normal::ParseFileSelection).
  std::function<std::optional<engine::normal::FileDialogResult>(HWND owner)> chooseFiles;
  std::function<std::optional<std::wstring>(HWND owner)> chooseFolder;
  std::function<void(HWND owner, const std::wstring& programFolder)> showUrlKeepList;
  std::function<void(HWND owner, const std::wstring& programFolder)> showCookieKeepList;
  // Shows what a download of the rules changes; true when the user put the new rules in place.
  std::function<bool(HWND owner, const std::wstring& programFolder, const catalogue::rules::RulesDownload& download)>
      reviewRuleChanges;
  platform::DownloadLimits rulesDownloadLimits;
};

// The common dialogs and the keep-list windows.
SelectionServices SystemSelectionServices();

// `frmsettings`: the item boxes on two levels of tabs, the plug-in list, the custom list and the
// entries of the rule files. OK writes everything, Cancel nothing.
class SelectionWindow : public toolkit::Dialog {
 public:
  static constexpr WORD kAddFilesCommand = 1501;
  static constexpr WORD kAddFoldersCommand = 1502;

  SelectionWindow(std::wstring programFolder, SelectionServices services);
  ~SelectionWindow() override;

  // An item box or a select-all box by its control name ("Check1"), nullptr for an unknown name.
  HWND CheckBox(const std::wstring& name) const;
  HWND GroupBox(const std::wstring& caption) const;
  HWND OuterTabs() const { return outerTabs_; }
  HWND BrowserTabs() const { return browserTabs_; }
  // Its columns: name, version, what built-in item reaches the same place, description.
  HWND PluginList() const { return pluginList_; }
  HWND CustomList() const { return customList_; }
  // A row's lParam is its place in RuleChoices(); its columns: name, category, and what built-in item
  // reaches the same place ("also covered by Chrome Cache").
  HWND RuleList() const { return ruleTab_.list; }
  HWND RuleSearch() const { return ruleTab_.search; }
  HWND RuleShowAll() const { return ruleTab_.showAll; }  // also the entries not found on this machine
  HWND RuleCount() const { return ruleTab_.count; }
  // The box of a shipped rule shown on a today's browser tab, by the rule's name; nullptr for none.
  HWND BrowserRuleBox(const std::wstring& ruleName) const;
  // The "Options" button that opens the keep list sparing an item's box (by its control name) or a
  // browser's rule box (by the rule's name); nullptr where no keep list applies.
  HWND OptionsButton(const std::wstring& beside) const;
  const std::vector<catalogue::rules::RuleChoice>& RuleChoices() const { return ruleChoices_; }
  // The "Set by your organisation" beside a box or list a policy fixes; nullptr beside any other.
  HWND PolicyNote(HWND control) const;
  // A button by its name in settings/selection_keys.h, or on the Rules tab "UpdateRules", "StopRules",
  // "UndoRules".
  HWND Button(const std::wstring& name) const;
  HWND RulesProgress() const { return ruleTab_.progress; }
  // The download of the rules under way, or null.
  const RulesDownloadTask* RulesDownload() const { return rulesDownload_.get(); }

 private:
  toolkit::DialogTemplate Template() const override;
  void MakeControls() override;
  void Load() override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Unload() override;
  void Build();
  // A page over the display area of `tabs`, laid out by `build` with the page's size in dialog units.
  HWND AddPage(HWND parent, HWND tabs, const std::function<void(SelectionPage&, SIZE)>& build);
  void BuildItemPage(SelectionPage& page, SIZE area, const std::wstring& tab, const std::wstring& subTab);
  void BuildApplicationsPage(SelectionPage& page, SIZE area);
  void BuildCustomPage(SelectionPage& page, SIZE area);
  void BuildRulesPage(SelectionPage& page, SIZE area);
  void BuildBrowserRulePage(SelectionPage& page, SIZE area, const catalogue::rules::TodaysBrowser& browser);
  void AddOptionsButton(SelectionPage& page, POINT at, catalogue::KeepList keepList, const std::wstring& beside);
  bool BrowserFound(const catalogue::rules::TodaysBrowser& browser) const;
  // The tab a selection window without a stored browser tab opens on; none when no such browser is here.
  std::optional<int> InstalledBrowserTab() const;
  void LoadState();
  // Ticks or clears, and greys, each box a selection fixed by policy decides, and each select-all box
  // whose boxes all are; greys the lists of a selection fixed exactly.
  void ShowFixedItems();
  // Makes room in `place` ({left, top, width, height}) of the control `id`, which a policy fixes, for
  // its note: at its right end, or for a list above it; and puts the note there.
  void AddPolicyNote(SelectionPage& page, RECT& place, WORD id, bool above = false);
  // Keeps the tick a policy gives a plug-in's row.
  void PluginChanged(const NMLISTVIEW& change);
  void LoadPlugins();
  void LoadCustomList();
  void NoteRuleOverlaps();
  void FillRules();
  void RuleChanged(const NMLISTVIEW& change);
  bool AcceptTick(catalogue::rules::RuleChoice& choice, bool ticked);
  static std::wstring RuleQuestion(const catalogue::rules::Rule& rule);
  void BrowserRuleClicked(HWND box);
  void TellRefusedFolders(const std::vector<const catalogue::rules::RuleChoice*>& choices);
  void StartRulesDownload();
  void StopRulesDownload();
  void RulesDownloadReport(WPARAM what);
  void UndoRulesUpdate();
  void ShowRulesDownloading();
  // Reads the rules again after their file changed, keeping the ticks set in this window, but
  // unticking the entries whose new form erases more.
  void ReloadRules(const std::vector<catalogue::rules::RuleChange>& changes);
  void AddCustomRow(const std::wstring& path, const std::wstring& type, const std::wstring& size,
                    const std::wstring& modified);
  void AddChosenEntry(const settings::CustomEntry& entry);
  void ShowWhetherAllTicked(const settings::SelectAllGroup& group);
  void ShowPage(HWND tabs);
  void Command(WORD id, WORD code, HWND control);
  // The question of a costly item's box that was just ticked; Cancel unticks it.
  void Confirm(HWND box);
  static std::wstring WithKeepList(const settings::ItemFlag& flag, const wchar_t* question);
  void SelectAll(HWND box);
  bool Refused(const std::wstring& path);
  void AddFiles();
  void AddFolder();
  void RemoveCustomRow();
  bool Save();
  void SavePluginSwitches();

  std::wstring programFolder_;
  SelectionServices services_;
  HWND outerTabs_ = nullptr;
  HWND browserTabs_ = nullptr;
  std::vector<std::unique_ptr<SelectionPage>> pages_;
  std::vector<HWND> outerPages_;
  std::vector<HWND> browserPages_;
  HWND pluginList_ = nullptr;
  std::vector<std::wstring> pluginNames_;  // by row: a row's text may carry the policy's note
  int noteWidth_ = 0;                      // of "Set by your organisation", in dialog units
  std::map<WORD, HWND> policyNotes_;       // by the id of the control they sit beside
  HWND customList_ = nullptr;
  // The Rules tab's list of entries, its search box, its box that shows every entry, its count, and
  // the progress of a download.
  struct {
    HWND list, search, showAll, count, progress;
  } ruleTab_{};
  std::unique_ptr<RulesDownloadTask> rulesDownload_;
  std::vector<catalogue::rules::RuleChoice> ruleChoices_;
  std::vector<std::wstring> ruleNotes_;                    // "also covered by ...", in the order of ruleChoices_
  bool fillingRules_ = false;                              // the list's own changes are no ticks of the user
  std::vector<std::pair<HWND, size_t>> browserRuleBoxes_;  // a box, and its place in ruleChoices_
  std::vector<HWND> itemBoxes_;                            // in the order of the item table
  std::map<std::wstring, HWND> checkBoxes_;
  std::map<std::wstring, HWND> groupBoxes_;
  std::map<std::wstring, HWND> buttons_;
  std::map<std::wstring, HWND> optionsButtons_;  // by the box or rule they sit beside
};

}  // namespace dialogs
