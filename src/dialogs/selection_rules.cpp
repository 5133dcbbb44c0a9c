#include "dialogs/selection_window.h"

#include <commctrl.h>

#include <algorithm>

#include "catalogue/overlaps.h"
#include "dialogs/selection_controls.h"
#include "platform/files.h"
#include "platform/locale_format.h"
#include "platform/text.h"
#include "platform/translation.h"
#include "platform/window_text.h"
#include "settings/policies.h"
#include "toolkit/list_view.h"
#include "toolkit/messages.h"

// The Rules tab and the browsers' shipped rules: their ticks, and the download of the community's rules.
namespace dialogs {

// A stopped download is let end before another may start, so that the two never share a file.
void SelectionWindow::ShowRulesDownloading() {
  const bool busy = rulesDownload_ != nullptr;
  const int shown = busy && !rulesDownload_->Stopped() ? SW_SHOW : SW_HIDE;
  ShowWindow(ruleTab_.progress, shown);
  ShowWindow(Button(L"StopRules"), shown);
  EnableWindow(Button(L"UpdateRules"), !busy);
  EnableWindow(Button(L"UndoRules"), !busy && platform::FileExists(catalogue::rules::BackupFile(programFolder_)));
}

void SelectionWindow::StartRulesDownload() {
  if (rulesDownload_) return;
  if (settings::RulesUpdateOff(settings::PoliciesInForce())) {
    SetWindowTextW(ruleTab_.count, settings::kRulesUpdateOff);
    return;
  }
  const std::wstring url = catalogue::rules::CommunityAddress(programFolder_);
  SendMessageW(ruleTab_.progress, PBM_SETPOS, 0, 0);
  SetWindowTextW(
      ruleTab_.count,
      platform::Fill(platform::Tr(L"Downloading the rules from {address} ..."), {{L"address", url}}).c_str());
  rulesDownload_ = std::make_unique<RulesDownloadTask>(Handle(), programFolder_, url, services_.rulesDownloadLimits);
  ShowRulesDownloading();
}

// The window is free at once; the thread ends at its next piece of data, leaving no file.
void SelectionWindow::StopRulesDownload() {
  if (!rulesDownload_) return;
  rulesDownload_->Stop();
  ShowRulesDownloading();
  SetWindowTextW(ruleTab_.count, (platform::Tr(L"The update was stopped.") + std::wstring(L" ") +
                                  catalogue::rules::RulesInPlaceText(programFolder_))
                                     .c_str());
}

void SelectionWindow::RulesDownloadReport(WPARAM what) {
  if (!rulesDownload_) return;
  if (what == RulesDownloadTask::kProgress) {
    if (rulesDownload_->Stopped()) return;  // the window says so already
    const long long total = rulesDownload_->Total();
    const double whole =
        total > 0 ? static_cast<double>(total) : static_cast<double>(services_.rulesDownloadLimits.maxBytes);
    SendMessageW(ruleTab_.progress, PBM_SETRANGE32, 0, 1000);
    SendMessageW(ruleTab_.progress, PBM_SETPOS, static_cast<WPARAM>(1000.0 * rulesDownload_->Done() / whole), 0);
    SetWindowTextW(ruleTab_.count, rulesDownload_->ProgressText().c_str());
    return;
  }
  if (what != RulesDownloadTask::kFinished || !rulesDownload_->Finished()) return;
  const bool stopped = rulesDownload_->Stopped();
  const catalogue::rules::RulesDownload download = rulesDownload_->Result();
  rulesDownload_.reset();
  ShowRulesDownloading();
  if (stopped) return;
  FillRules();
  if (!download.pending) {
    toolkit::Tell(Handle(),
                  download.problem.empty()
                      ? std::wstring(platform::Tr(L"The rules in place are the newest: the download changes nothing."))
                      : platform::Fill(platform::Tr(L"The rules were not updated: {problem}. {inPlace}"),
                                       {{L"problem", download.problem},
                                        {L"inPlace", catalogue::rules::RulesInPlaceText(programFolder_)}}));
    return;
  }
  if (services_.reviewRuleChanges(Handle(), programFolder_, download)) ReloadRules(download.changes);
  ShowRulesDownloading();
}

void SelectionWindow::UndoRulesUpdate() {
  if (platform::Result<void> undone = catalogue::rules::UndoRulesUpdate(programFolder_); !undone) {
    toolkit::Tell(Handle(), platform::Fill(platform::Tr(L"The previous rules were not put back: {reason}."),
                                           {{L"reason", undone.Reason()}}));
  } else {
    ReloadRules({});
  }
  ShowRulesDownloading();
}

void SelectionWindow::ReloadRules(const std::vector<catalogue::rules::RuleChange>& changes) {
  auto id = [](const std::wstring& section, const std::wstring& name) {
    return section + L"/" + platform::ToLower(name);
  };
  std::map<std::wstring, bool> ticked;
  for (const catalogue::rules::RuleChoice& choice : ruleChoices_)
    ticked[id(choice.rule.section, choice.rule.name)] = choice.ticked;
  for (const catalogue::rules::RuleChange& change : changes) {
    if (change.erasesMore) ticked[id(catalogue::rules::kCommunitySection, change.name)] = false;
  }
  std::vector<std::wstring> boxNames;
  for (const auto& [box, choice] : browserRuleBoxes_) boxNames.push_back(ruleChoices_[choice].rule.name);
  ruleChoices_ = catalogue::rules::RuleChoices(programFolder_);
  for (catalogue::rules::RuleChoice& choice : ruleChoices_) {
    auto kept = ticked.find(id(choice.rule.section, choice.rule.name));
    if (kept != ticked.end()) choice.ticked = kept->second;
  }
  // The boxes of the browsers' shipped rules find their entries at their new places.
  for (size_t i = 0; i < browserRuleBoxes_.size(); ++i) {
    auto choice = std::find_if(ruleChoices_.begin(), ruleChoices_.end(), [&](const catalogue::rules::RuleChoice& c) {
      return c.rule.section == catalogue::rules::kShippedSection && platform::EqualsNoCase(c.rule.name, boxNames[i]);
    });
    if (choice != ruleChoices_.end()) browserRuleBoxes_[i].second = static_cast<size_t>(choice - ruleChoices_.begin());
  }
  NoteRuleOverlaps();
  FillRules();
}

// What each entry reaches that a built-in item reaches too, said in its row.
void SelectionWindow::NoteRuleOverlaps() {
  ruleNotes_.clear();
  for (const catalogue::rules::RuleChoice& choice : ruleChoices_) {
    ruleNotes_.push_back(catalogue::AlsoCoveredText(catalogue::AlsoCoveredBy(choice.rule)));
  }
}

// The entries the search and the box let through, in the order of RuleChoices(): by category, then
// by name.
void SelectionWindow::FillRules() {
  const std::wstring search = platform::WindowText(ruleTab_.search);
  const bool showAll = IsTicked(ruleTab_.showAll);
  fillingRules_ = true;
  SendMessageW(ruleTab_.list, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(ruleTab_.list);
  size_t listed = 0, detected = 0;
  for (size_t i = 0; i < ruleChoices_.size(); ++i) {
    const catalogue::rules::RuleChoice& choice = ruleChoices_[i];
    if (catalogue::rules::OnBrowserTab(choice.rule)) continue;  // ticked on its browser's tab
    ++listed;
    detected += choice.detected;
    if (!catalogue::rules::Shown(choice, search, showAll)) continue;
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = ListView_GetItemCount(ruleTab_.list);
    const std::optional<bool> fixed = FixedByPolicy(choice.rule.section, choice.rule.name);
    const std::wstring text = PolicyRowText(catalogue::rules::ShownName(choice.rule), fixed);
    item.pszText = const_cast<wchar_t*>(text.c_str());
    item.lParam = static_cast<LPARAM>(i);
    int row = ListView_InsertItem(ruleTab_.list, &item);
    toolkit::SetListCellText(ruleTab_.list, row, 1, platform::Tr(choice.rule.category.c_str()));
    toolkit::SetListCellText(ruleTab_.list, row, 2, ruleNotes_[i]);
    ListView_SetCheckState(ruleTab_.list, row, fixed.value_or(choice.ticked));
  }
  SendMessageW(ruleTab_.list, WM_SETREDRAW, TRUE, 0);
  fillingRules_ = false;
  const int shown = ListView_GetItemCount(ruleTab_.list);
  SetWindowTextW(
      ruleTab_.count,
      listed == 0
          ? platform::Tr(L"No rule file found: put \"winapp2.ini\" beside trellwipe.exe, or rule files of your "
                         L"own in its \"rules\" folder.")
          : platform::Fill(platform::Tr(L"Showing {shown} of {listed} entries; {detected} are for programs found "
                                        L"on this computer."),
                           {{L"shown", platform::ShownNumber(shown)},
                            {L"listed", platform::ShownNumber(static_cast<double>(listed))},
                            {L"detected", platform::ShownNumber(static_cast<double>(detected))}})
                .c_str());
}

// A tick the user set or cleared; ticking an entry that warns asks first.
void SelectionWindow::RuleChanged(const NMLISTVIEW& change) {
  if (fillingRules_ || !(change.uChanged & LVIF_STATE)) return;
  if (((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK) == 0) return;
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = change.iItem;
  if (!ListView_GetItem(ruleTab_.list, &item) || static_cast<size_t>(item.lParam) >= ruleChoices_.size()) return;
  catalogue::rules::RuleChoice& choice = ruleChoices_[static_cast<size_t>(item.lParam)];
  const bool ticked = ListView_GetCheckState(ruleTab_.list, change.iItem) != 0;
  // A tick a policy gives stays; the user's own, kept for when the policy goes, is not touched.
  const std::optional<bool> fixed = FixedByPolicy(choice.rule.section, choice.rule.name);
  const bool kept = fixed ? *fixed : AcceptTick(choice, ticked);
  if (kept == ticked) return;
  fillingRules_ = true;
  ListView_SetCheckState(ruleTab_.list, change.iItem, kept);
  fillingRules_ = false;
}

void SelectionWindow::BrowserRuleClicked(HWND box) {
  for (const auto& [shown, choice] : browserRuleBoxes_) {
    if (shown == box && AcceptTick(ruleChoices_[choice], IsTicked(box)) != IsTicked(box)) SetTicked(box, false);
  }
}

// A rule's warning; a rule whose cookies the keep list spares says where that list is.
std::wstring SelectionWindow::RuleQuestion(const catalogue::rules::Rule& rule) {
  std::wstring question = catalogue::rules::ShownName(rule) + L"\r\n\r\n" + catalogue::rules::ShownWarning(rule);
  if (catalogue::SparedBy(rule) != catalogue::KeepList::Cookies) return question;
  return question + L"\r\n\r\n" +
         platform::Tr(catalogue::rules::OnBrowserTab(rule) ? kKeptSitesBeside : kKeptSitesOnBrowsersTab);
}

// The tick a rule keeps when the user sets or clears it: ticking an entry that warns asks first.
bool SelectionWindow::AcceptTick(catalogue::rules::RuleChoice& choice, bool ticked) {
  const catalogue::rules::Rule& rule = choice.rule;
  if (ticked && !choice.ticked && !rule.warning.empty() && !AskOkCancel(Handle(), RuleQuestion(rule))) ticked = false;
  if (ticked && !choice.ticked) TellRefusedFolders({&choice});
  choice.ticked = ticked;
  return ticked;
}

// What the given entries name that a run will refuse, said at once rather than found in a report.
void SelectionWindow::TellRefusedFolders(const std::vector<const catalogue::rules::RuleChoice*>& choices) {
  std::wstring refused;
  const engine::PathGuard guard(programFolder_);
  for (const catalogue::rules::RuleChoice* choice : choices) {
    for (const std::wstring& folder : catalogue::rules::RefusedFolders(choice->rule, guard)) {
      refused += L"\r\n" + catalogue::rules::ShownName(choice->rule) + L": " + folder + L".";
    }
  }
  if (!refused.empty()) {
    toolkit::Tell(Handle(),
                  platform::Tr(L"Trellwipe never erases these folders, and skips them when a rule names them:") +
                      refused);
  }
}

}  // namespace dialogs
