#include "engine/clean_run.h"

#include "platform/format.h"
#include "settings/inifun.h"
#include "settings/item_flags.h"
#include "settings/last_run.h"

namespace engine {

namespace {

constexpr int kStartProgress = 1;
constexpr int kCustomProgress = 80;
constexpr int kPluginProgress = 97;
constexpr int kEndProgress = 100;
constexpr wchar_t kComplete[] = L"Task complete Successfully!";

SYSTEMTIME LocalNow() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return now;
}

class RunningFlag {
 public:
  explicit RunningFlag(bool& flag) : flag_(flag) { flag_ = true; }
  ~RunningFlag() { flag_ = false; }

 private:
  bool& flag_;
};

}  // namespace

CleanRun::CleanRun(RunView& view, std::wstring programFolder, ProcessValues values)
    : view_(view),
      programFolder_(std::move(programFolder)),
      settingsFile_(settings::SettingsFile(programFolder_)),
      values_(std::move(values)),
      clock_(LocalNow) {}

ItemContext CleanRun::Context(const EraseContext& erase) {
  return {erase, counters_, runState_, values_, programFolder_, view_};
}

void CleanRun::ShowStatus(const std::wstring& label) {
  view_.PumpMessages();
  view_.AddRow(label);
  std::wstring cleaning = L"Cleaning " + label + L" ......";
  view_.SetRowState(cleaning);
  view_.SetStatusLine(cleaning);
}

void CleanRun::RunItem(const catalogue::Item& item, const EraseContext& erase) {
  // Read when the item is reached, so a flag changed during the run counts for the items ahead.
  std::wstring flag = inifun::ReadIniValue(settingsFile_, item.section, item.key);
  bool on = item.rule == catalogue::FlagRule::NumberOne ? inifun::FlagTest(flag) : inifun::RunTest(flag);
  if (on) {
    ShowStatus(item.label);
    ItemContext context = Context(erase);
    for (const catalogue::Step& step : item.steps) catalogue::RunStep(step, context);
    view_.SetRowState(context.outcome);
  }
  if (item.progress != catalogue::kNoProgress) view_.SetProgress(item.progress);
}

void CleanRun::RunStage(const StageHook& stage, const EraseContext& erase) {
  if (!stage) return;
  ItemContext context = Context(erase);
  stage(context);
}

bool CleanRun::CleanNow(bool unattended) {
  if (running_) return false;
  RunningFlag running(running_);
  backgroundRun_ = unattended;

  view_.ShowStatusPage();
  view_.SetBusyCursor(true);
  counters_ = {};
  view_.EnableStartButton(false);
  view_.ClearRows();
  view_.SetProgress(kStartProgress);
  view_.SetStatusLine(L"");

  EraseContext erase{[this] { view_.PumpMessages(); }};
  runState_ = {};
  for (const catalogue::Stage& stage : catalogue::RunStages()) {
    if (stage.prepare) {
      ItemContext context = Context(erase);
      stage.prepare(context);
    }
    for (const catalogue::Item& item : stage.items) RunItem(item, erase);
  }

  if (inifun::RunTest(inifun::ReadIniValue(settingsFile_, L"Custom", L"Custom"))) RunStage(customItems_, erase);
  view_.SetProgress(kCustomProgress);
  RunStage(plugins_, erase);
  view_.SetProgress(kPluginProgress);

  EndOfRun();
  return true;
}

void CleanRun::EndOfRun() {
  if (inifun::RunTest(inifun::ReadIniValue(settingsFile_, L"Options", L"exit"))) {
    // The process ends: this run's totals are not saved and nothing is reported.
    view_.ExitProgram();
    return;
  }
  view_.SetProgress(kEndProgress);
  view_.EnableStartButton(true);
  settings::SaveLastRun(settingsFile_, clock_(), counters_.cleanedKeys, counters_.releasedBytes);
  view_.SetBusyCursor(false);
  view_.AddRow(kComplete);
  view_.SetStatusLine(kComplete);

  std::wstring keys = platform::FormatNumber(counters_.cleanedKeys);
  std::wstring megabytes = settings::Megabytes(counters_.releasedBytes);
  if (backgroundRun_) {
    NotificationRequest request;
    request.key = L"www";
    request.title = L"Trellwipe";
    request.description = L"Trellwipe Clean is done! Cleaned Registry Keys: " + keys +
                          L" Released HD Space:" + megabytes + L"MB";
    request.allowDuplicateTitles = true;
    request.enableClickEvent = true;
    request.soundFile = programFolder_ + L"\\Sounds\\Message.wav";
    view_.QueueNotification(request);
    backgroundRun_ = false;
  } else {
    view_.ShowInformation(L"Task Complete", std::wstring(kComplete) + L" Cleaned Registry Keys: " + keys +
                                                L", Released HD Space: " + megabytes + L"MB");
  }

  settings::LastRun stored = settings::LoadLastRun(settingsFile_);
  counters_.cleanedKeys = stored.cleanedKeys;
  counters_.releasedBytes = stored.releasedBytes;
  view_.ShowStatistics(stored.lastClean, settings::TotalsText(stored.cleanedKeys, stored.releasedBytes));
  view_.ShowMainWindow();
}

}  // namespace engine
