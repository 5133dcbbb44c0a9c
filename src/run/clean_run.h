#pragma once
// One complete cleaning: the stages it is given, in order (the built-in items, the custom files and
// folders, the plug-ins); the totals are saved and the end is reported. The same walk runs as a
// preview, which erases and writes nothing and only reports what would go.
#include <windows.h>

#include <atomic>
#include <functional>
#include <optional>
#include <string>

#include "engine/run_report.h"
#include "platform/files.h"
#include "platform/translation.h"
#include "platform/user_profiles.h"
#include "run/event_log.h"
#include "run/item_context.h"
#include "run/process_values.h"
#include "run/run_view.h"
#include "run/stage.h"

namespace run {

// How a run reports its end: a message box (the user started it), a notification (the tray menu,
// the start with Windows, the schedule), or not at all (the end of the Windows session).
enum class RunEnd { MessageBox, Notification, Silent };

// Why a run was stopped: the user asked (Cancel, Ctrl+C), or the program ends (Exit, the end of the
// Windows session), which saves what went and reports nothing.
enum class StopReason { None, User, Ending };

// Whose profiles a run cleans: as the option "AllUsers" says, the current user's only, or every user's
// of the computer (which needs administrator rights; without them only the current user's).
enum class Users { AsOptions, Current, Every };
constexpr wchar_t kAllUsersKey[] = L"AllUsers";

// The stored counters add fixed amounts item by item; what the run measured is told beside them.
// The statistics strip's tip before a cleaning of this session:
constexpr const wchar_t* kEstimatesTip = platform::TrLater(
    L"These are Trellwipe's running estimates, added item by item from fixed amounts; a cleaning "
    L"shows what it measured.");
// "Trellwipe's running estimates are above; measured in this cleaning: 64 files, 5.16 MB, 6 registry
// entries": the line the end's message and pop-up add below the counters.
std::wstring MeasuredBelowEstimates(const engine::ReportTotals& totals);
// The strip's tip after a cleaning.
std::wstring EstimatesTip(const engine::ReportTotals& totals);

class CleanRun {
 public:
  CleanRun(RunView& view, std::wstring programFolder, ProcessValues values, Stages stages);
  ~CleanRun();

  void SetClock(std::function<SYSTEMTIME()> clock) { clock_ = std::move(clock); }
  // The clock the ages of files and recycled items are counted back from (platform::FileTimeTicks).
  void SetAgeClock(std::function<unsigned long long()> clock) { ageClock_ = std::move(clock); }
  // Chooses the items of the next calls instead of their switches; an empty choice goes back to them.
  void SetItemChoice(ItemChoice choice) { choice_ = std::move(choice); }
  void SetUsers(Users users) { users_ = users; }
  // Whether the program runs with administrator rights; asked when a run is to reach every user.
  void SetAdministratorCheck(std::function<bool()> check) { isAdministrator_ = std::move(check); }

  // `unattended` (the tray menu, the start with Windows, the schedule) reports the end through a
  // notification instead of a message box. A call while a run is in progress (a timer or tray
  // message reaching the message pump) is refused and returns false.
  // `trigger` is what started it, for the event the cleaning writes at its end.
  bool CleanNow(bool unattended = false) { return CleanNow(unattended ? RunEnd::Notification : RunEnd::MessageBox); }
  bool CleanNow(RunEnd end, Trigger trigger = Trigger::Button);
  // Runs only the chosen items, for the current user only, then goes back to the choice it had.
  // Refused, like CleanNow, while a run is in progress: that run's items stay as they were.
  bool CleanOnly(ItemChoice choice, RunEnd end, Trigger trigger = Trigger::BrowserClose);

  // Stops the run or preview under way at its next file, folder or key; nothing outside one. What
  // was not reached stays untouched. Safe from another thread (the console's Ctrl+C).
  void Stop(StopReason reason);
  // The reason the last run or preview was stopped, None when it ran to its end.
  StopReason Stopped() const { return stopReason_.load(); }
  // Saves the totals of what went so far, for a session that ends before the run can unwind.
  void SaveTotalsSoFar();

  // Walks the same items as CleanNow but erases nothing, writes nothing to the registry or the
  // settings file, starts no process and leaves the counters, the result list and the progress bar
  // alone; returns what the run would erase now. None while a run or preview is in progress.
  std::optional<engine::RunReport> Preview();

  bool Running() const { return running_; }
  bool BackgroundRun() const { return backgroundRun_; }
  RunCounters& Counters() { return counters_; }
  const ProcessValues& Values() const { return values_; }
  // What the last real run removed and left behind, item by item, with its estimates.
  const engine::RunReport& LastReport() const { return lastReport_; }

 private:
  void RunStages(const engine::EraseContext& erase, RunCounters& counters, RunView& view, engine::RunReport& report);
  bool EveryUser() const;
  // Runs `body` as the group of one user's items: a row naming the user before, its totals after.
  void UserGroup(engine::RunReport& report, RunView& view, const std::wstring& folder,
                 const std::function<void()>& body);
  engine::EraseContext StartContext(engine::RunRecorder& recorder);
  void EndOfRun(RunEnd end);
  // The cleaning's events in the Application log.
  void WriteRunEvents() const;
  // " (kept: 2 sites)" after the end's words when the keep lists kept something, else nothing.
  std::wstring KeptNote() const;
  // The end told with the counters and the measured totals: by a pop-up after a run in the background
  // (which then is over), else by a message; `last` is the end's row.
  void TellEnd(StopReason stopped, bool nothing, size_t leaving, const std::wstring& last);

  // The stop of the run under way, asked by its walks.
  engine::StopSignal stop_;
  std::atomic<StopReason> stopReason_{StopReason::None};
  RunView& view_;
  std::wstring programFolder_;
  std::wstring settingsFile_;
  ProcessValues values_;
  Stages stages_;
  ItemChoice choice_;
  Users users_ = Users::AsOptions;
  std::function<bool()> isAdministrator_ = platform::RunsAsAdministrator;
  std::function<SYSTEMTIME()> clock_;
  std::function<unsigned long long()> ageClock_ = platform::NowTicks;
  RunCounters counters_;
  engine::RunReport lastReport_;
  Trigger trigger_ = Trigger::Button;
  unsigned long long startTick_ = 0;
  bool backgroundRun_ = false;
  std::atomic<bool> running_{false};
};

}  // namespace run
