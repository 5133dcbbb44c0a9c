#pragma once
// One complete cleaning: every built-in item whose flag is on, then the custom files and folders,
// then the ticked plug-ins; the totals are saved and the end is reported. The same walk runs as a
// preview, which erases and writes nothing and only reports what would go.
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>

#include "catalogue/catalogue.h"
#include "engine/item_context.h"
#include "engine/process_values.h"
#include "engine/run_report.h"
#include "engine/run_view.h"

namespace engine {

// A stage that owns its own rows (the custom files and folders, the plug-ins).
using StageHook = std::function<void(ItemContext&)>;

// Whether an item (its section and key in the settings file) runs in this call.
using ItemChoice = std::function<bool(const std::wstring& section, const std::wstring& key)>;

// The section under which the report files the rows of the plug-in stage; the key is the appname.
constexpr wchar_t kPluginSection[] = L"plus-in";

// How a run reports its end: a message box (the user started it), a notification (the tray menu,
// the start with Windows, the schedule), or not at all (the end of the Windows session).
enum class RunEnd { MessageBox, Notification, Silent };

// Why a run was stopped: the user asked (Cancel, Ctrl+C), or the program ends (Exit, the end of the
// Windows session), which saves what went and reports nothing.
enum class StopReason { None, User, Ending };

class CleanRun {
 public:
  CleanRun(RunView& view, std::wstring programFolder, ProcessValues values);
  ~CleanRun();

  void SetCustomItemsStage(StageHook stage) { customItems_ = std::move(stage); }
  void SetPluginStage(StageHook stage) { plugins_ = std::move(stage); }
  void SetClock(std::function<SYSTEMTIME()> clock) { clock_ = std::move(clock); }
  // Replaces the flags of the settings file for the built-in items and the custom item (the plug-in
  // stage chooses its own); an empty choice goes back to the flags.
  void SetItemChoice(ItemChoice choice) { choice_ = std::move(choice); }

  // `unattended` (the tray menu, the start with Windows, the schedule) reports the end through a
  // notification instead of a message box. A call while a run is in progress (a timer or tray
  // message reaching the message pump) is refused and returns false.
  bool CleanNow(bool unattended = false) { return CleanNow(unattended ? RunEnd::Notification : RunEnd::MessageBox); }
  bool CleanNow(RunEnd end);

  // Stops the run or preview under way at its next file, folder or key; nothing outside one. What
  // was not reached stays untouched. Safe from another thread (the console's Ctrl+C).
  void Stop(StopReason reason);
  // The reason the last run or preview was stopped, None when it ran to its end.
  StopReason Stopped() const { return stopReason_.load(); }
  // Saves the totals of what went so far, for a session that ends before the run can unwind.
  void SaveTotalsSoFar();

  // Walks the same items as CleanNow but erases nothing, writes nothing to the registry or the
  // settings file, starts no process and leaves the counters, the result list and the progress bar
  // alone; returns what the run would erase now. False while a run or preview is in progress.
  bool Preview(RunReport& report);

  bool Running() const { return running_; }
  bool BackgroundRun() const { return backgroundRun_; }
  RunCounters& Counters() { return counters_; }
  const ProcessValues& Values() const { return values_; }
  const std::wstring& ProgramFolder() const { return programFolder_; }
  // What the last real run removed and left behind, item by item, with its estimates.
  const RunReport& LastReport() const { return lastReport_; }

 private:
  class Rows;

  void RunItems(const EraseContext& erase, RunCounters& counters, RunState& state, Rows& rows);
  void RunItem(const catalogue::Item& item, const EraseContext& erase, RunCounters& counters, RunState& state,
               Rows& rows);
  EraseContext StartContext(RunRecorder& recorder);
  void EndOfRun(RunEnd end);

  // The stop of the run under way, asked by its walks.
  StopSignal stop_;
  std::atomic<StopReason> stopReason_{StopReason::None};
  RunView& view_;
  std::wstring programFolder_;
  std::wstring settingsFile_;
  ProcessValues values_;
  StageHook customItems_;
  StageHook plugins_;
  ItemChoice choice_;
  std::function<SYSTEMTIME()> clock_;
  RunCounters counters_;
  RunReport lastReport_;
  bool backgroundRun_ = false;
  std::atomic<bool> running_{false};
};

}  // namespace engine
