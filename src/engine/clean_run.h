#pragma once
// One complete cleaning: every built-in item whose flag is on, then the custom files and folders,
// then the ticked plug-ins; the totals are saved and the end is reported.
#include <windows.h>

#include <functional>
#include <string>

#include "catalogue/catalogue.h"
#include "engine/item_context.h"
#include "engine/process_values.h"
#include "engine/run_view.h"

namespace engine {

// A stage that owns its own rows (the custom files and folders, the plug-ins).
using StageHook = std::function<void(ItemContext&)>;

class CleanRun {
 public:
  CleanRun(RunView& view, std::wstring programFolder, ProcessValues values);

  void SetCustomItemsStage(StageHook stage) { customItems_ = std::move(stage); }
  void SetPluginStage(StageHook stage) { plugins_ = std::move(stage); }
  void SetClock(std::function<SYSTEMTIME()> clock) { clock_ = std::move(clock); }

  // `unattended` (the tray menu, the start with Windows, the schedule) reports the end through a
  // notification instead of a message box. A call while a run is in progress (a timer or tray
  // message reaching the message pump) is refused and returns false.
  bool CleanNow(bool unattended = false);

  bool Running() const { return running_; }
  bool BackgroundRun() const { return backgroundRun_; }
  RunCounters& Counters() { return counters_; }
  const ProcessValues& Values() const { return values_; }
  const std::wstring& ProgramFolder() const { return programFolder_; }

 private:
  ItemContext Context(const EraseContext& erase);
  void ShowStatus(const std::wstring& label);
  void RunItem(const catalogue::Item& item, const EraseContext& erase);
  void RunStage(const StageHook& stage, const EraseContext& erase);
  void EndOfRun();

  RunView& view_;
  std::wstring programFolder_;
  std::wstring settingsFile_;
  ProcessValues values_;
  StageHook customItems_;
  StageHook plugins_;
  std::function<SYSTEMTIME()> clock_;
  RunCounters counters_;
  RunState runState_;
  bool backgroundRun_ = false;
  bool running_ = false;
};

}  // namespace engine
