#pragma once
// The update of the community's rules from the window: the download on a thread of its own, so that
// the window stays responsive and can stop it, and the window that lists what the download changes
// and puts it in place only when the user presses "Use the new rules".
#include <windows.h>

#include <memory>
#include <string>
#include <thread>

#include "catalogue/rule_update.h"
#include "toolkit/dialog.h"

namespace dialogs {

// A download of the community's rules (catalogue::rules::DownloadCommunityRules) on a thread of its own, with
// the reading and comparing that follow it. It tells `window` with the message RulesDownloadTask::Message():
// wParam kProgress as it goes (Done, Total, ProgressText), kFinished once at the end (Result).
class RulesDownloadTask {
 public:
  static constexpr WPARAM kProgress = 0;
  static constexpr WPARAM kFinished = 1;
  // A message of its own name, so that a window that took a closed window's handle ignores it.
  static UINT Message();

  RulesDownloadTask(HWND window, std::wstring programFolder, std::wstring url, platform::DownloadLimits limits);
  // Stops the download. A thread still waiting for the server is left to end on its own: the window
  // that closes does not wait for the server's timeout, and the thread keeps what it uses alive.
  ~RulesDownloadTask();
  RulesDownloadTask(const RulesDownloadTask&) = delete;
  RulesDownloadTask& operator=(const RulesDownloadTask&) = delete;

  // The download ends at its next piece of data, the comparing before its next entry, and either leaves
  // no file; the file in place stays.
  void Stop();
  bool Stopped() const;
  bool Finished() const;
  unsigned long long Done() const;  // bytes received, entries compared
  long long Total() const;          // of the stage; -1 while the server has not said, and while reading
  // RulesProgressText of where the update is.
  std::wstring ProgressText() const;
  // Once Finished.
  const catalogue::rules::RulesDownload& Result() const;

 private:
  struct State;
  std::shared_ptr<State> state_;
  std::thread thread_;
};

// "Downloading: 120 of 1843 KB" ("Downloading: 120 KB" while the size is not known), "Reading the rules",
// "Comparing: 1200 of 4067 entries".
std::wstring RulesProgressText(catalogue::rules::UpdateStage stage, unsigned long long done, long long total);

// The changes of a download, one row per entry ("Entry", "Change", "Applies here", "Marks"), in red
// those refused in part or reaching kept data. "Use the new rules" puts the download in place
// (catalogue::rules::AcceptPendingRules) and closes with IDOK; "Cancel" removes it and closes with IDCANCEL.
class RuleChangesWindow : public toolkit::Dialog {
 public:
  static constexpr WORD kUseId = IDOK;
  static constexpr WORD kListId = 101;

  RuleChangesWindow(std::wstring programFolder, catalogue::rules::RulesDownload download);

  HWND List() const { return Control(kListId); }
  // The text colour a row is drawn in.
  COLORREF RowColour(int row) const;
  const catalogue::rules::RulesAcceptance& Acceptance() const { return acceptance_; }

 private:
  toolkit::DialogTemplate Template() const override;
  void Load() override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void UseNewRules();

  std::wstring programFolder_;
  catalogue::rules::RulesDownload download_;
  catalogue::rules::RulesAcceptance acceptance_;
};

// The window above, modal; true when the new rules were put in place.
bool ReviewRuleChanges(HWND owner, const std::wstring& programFolder, const catalogue::rules::RulesDownload& download);

}  // namespace dialogs
