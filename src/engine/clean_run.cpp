#include "engine/clean_run.h"

#include "engine/path_guard.h"
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
constexpr wchar_t kStoppedEnd[] = L"Task stopped: the cleaning was stopped before its end.";

SYSTEMTIME LocalNow() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return now;
}

class RunningFlag {
 public:
  explicit RunningFlag(std::atomic<bool>& flag) : flag_(flag) { flag_ = true; }
  ~RunningFlag() { flag_ = false; }

 private:
  std::atomic<bool>& flag_;
};

// A preview shows no rows: it names the item it looks at and lets the window keep working.
class SilentView : public NullView {
 public:
  explicit SilentView(RunView& window) : window_(window) {}
  void SetStatusLine(const std::wstring& text) override { window_.SetStatusLine(text); }
  void PumpMessages() override { window_.PumpMessages(); }

 private:
  RunView& window_;
};

}  // namespace

// Passes everything on to the window and opens a report item for every row an item or a stage
// adds, so that the stages with rows of their own are reported like the built-in items.
class CleanRun::Rows : public RunView {
 public:
  Rows(RunView& inner, RunRecorder& recorder, const RunCounters& counters)
      : inner_(inner), recorder_(recorder), counters_(counters) {}
  ~Rows() override { Close(); }

  // The next row belongs to this item.
  void Next(const std::wstring& section, const std::wstring& key) {
    section_ = section;
    key_ = key;
    stage_ = false;
  }
  // Every row until the next call belongs to the stage; an empty key takes the row's label.
  void Stage(const std::wstring& section, const std::wstring& key) {
    Next(section, key);
    stage_ = true;
  }
  // Ends the open item with what it added to the counters.
  void Close() {
    if (ItemReport* item = recorder_.Current()) {
      item->estimatedKeys = counters_.cleanedKeys - keysAtStart_;
      item->estimatedBytes = counters_.releasedBytes - bytesAtStart_;
    }
    recorder_.EndItem();
  }
  // Ends the open item and the stage; rows added afterwards open no item.
  void Leave() {
    Close();
    Next(L"", L"");
  }

  void AddRow(const std::wstring& label) override {
    Close();
    if (!stage_ && section_.empty()) {
      inner_.AddRow(label);
      return;
    }
    recorder_.BeginItem(section_, key_.empty() ? label : key_, label);
    keysAtStart_ = counters_.cleanedKeys;
    bytesAtStart_ = counters_.releasedBytes;
    if (!stage_) section_.clear();
    inner_.AddRow(label);
  }
  void SetRowState(const std::wstring& text) override {
    if (ItemReport* item = recorder_.Current()) item->outcome = text;
    inner_.SetRowState(text);
  }

  void ShowStatusPage() override { inner_.ShowStatusPage(); }
  void SetBusyCursor(bool busy) override { inner_.SetBusyCursor(busy); }
  void EnableStartButton(bool enabled) override { inner_.EnableStartButton(enabled); }
  void ClearRows() override { inner_.ClearRows(); }
  void SetProgress(int value) override { inner_.SetProgress(value); }
  void SetStatusLine(const std::wstring& text) override { inner_.SetStatusLine(text); }
  void PumpMessages() override { inner_.PumpMessages(); }
  void FocusMainWindow() override { inner_.FocusMainWindow(); }
  void ShowInformation(const std::wstring& title, const std::wstring& text) override {
    inner_.ShowInformation(title, text);
  }
  void QueueNotification(const NotificationRequest& request) override { inner_.QueueNotification(request); }
  void ShowStatistics(const std::wstring& lastClean, const std::wstring& totals) override {
    inner_.ShowStatistics(lastClean, totals);
  }
  void ShowMainWindow() override { inner_.ShowMainWindow(); }
  void ExitProgram() override { inner_.ExitProgram(); }

 private:
  RunView& inner_;
  RunRecorder& recorder_;
  const RunCounters& counters_;
  std::wstring section_, key_;
  bool stage_ = false;
  double keysAtStart_ = 0, bytesAtStart_ = 0;
};

CleanRun::CleanRun(RunView& view, std::wstring programFolder, ProcessValues values)
    : view_(view),
      programFolder_(std::move(programFolder)),
      settingsFile_(settings::SettingsFile(programFolder_)),
      values_(std::move(values)),
      clock_(LocalNow) {}

CleanRun::~CleanRun() = default;

void CleanRun::RunItem(const catalogue::Item& item, const EraseContext& erase, RunCounters& counters,
                       RunState& state, Rows& rows) {
  if (erase.Stopped()) return;
  bool on = false;
  if (choice_) {
    on = choice_(item.section, item.key);
  } else {
    // Read when the item is reached, so a flag changed during the run counts for the items ahead.
    std::wstring flag = inifun::ReadIniValue(settingsFile_, item.section, item.key);
    on = item.rule == catalogue::FlagRule::NumberOne ? inifun::FlagTest(flag) : inifun::RunTest(flag);
  }
  if (on) {
    rows.PumpMessages();
    rows.Next(item.section, item.key);
    rows.AddRow(item.label);
    ItemContext context{erase, counters, state, values_, programFolder_, rows};
    context.ShowRunning(item.label);
    for (const catalogue::Step& step : item.steps) {
      if (erase.Stopped()) break;
      catalogue::RunStep(step, context);
    }
    rows.SetRowState(erase.Stopped() ? kStoppedOutcome : context.outcome);
    rows.Leave();
  }
  // The bar stays where a stop left it.
  if (item.progress != catalogue::kNoProgress && !erase.Stopped()) rows.SetProgress(item.progress);
}

void CleanRun::RunItems(const EraseContext& erase, RunCounters& counters, RunState& state, Rows& rows) {
  for (const catalogue::Stage& stage : catalogue::RunStages()) {
    if (stage.prepare) {
      ItemContext context{erase, counters, state, values_, programFolder_, rows};
      stage.prepare(context);
    }
    for (const catalogue::Item& item : stage.items) RunItem(item, erase, counters, state, rows);
  }

  if (erase.Stopped()) return;
  bool custom = choice_ ? choice_(L"Custom", L"Custom")
                        : inifun::RunTest(inifun::ReadIniValue(settingsFile_, L"Custom", L"Custom"));
  if (custom && customItems_) {
    rows.Stage(L"Custom", L"Custom");
    ItemContext context{erase, counters, state, values_, programFolder_, rows};
    customItems_(context);
    rows.Leave();
  }
  if (erase.Stopped()) return;
  rows.SetProgress(kCustomProgress);
  if (plugins_) {
    rows.Stage(kPluginSection, L"");
    ItemContext context{erase, counters, state, values_, programFolder_, rows};
    plugins_(context);
    rows.Leave();
  }
  if (erase.Stopped()) return;
  rows.SetProgress(kPluginProgress);
}

void CleanRun::Stop(StopReason reason) {
  if (!running_ || reason == StopReason::None) return;
  // Ending the program outweighs a stop the user asked for earlier, never the other way round.
  StopReason none = StopReason::None;
  if (reason == StopReason::Ending) {
    stopReason_.store(reason);
  } else {
    stopReason_.compare_exchange_strong(none, reason);
  }
  stop_.Request();
}

void CleanRun::SaveTotalsSoFar() {
  if (running_) settings::SaveLastRun(settingsFile_, clock_(), counters_.cleanedKeys, counters_.releasedBytes);
}

// The context of a run or preview that starts now, with no stop asked for yet.
EraseContext CleanRun::StartContext(RunRecorder& recorder) {
  stop_.Reset();
  stopReason_.store(StopReason::None);
  EraseContext erase;
  erase.pump = [this] { view_.PumpMessages(); };
  erase.stop = &stop_;
  erase.programFolder = CanonicalPath(programFolder_);
  erase.recorder = &recorder;
  return erase;
}

bool CleanRun::CleanNow(RunEnd end) {
  if (running_) return false;
  RunningFlag running(running_);
  backgroundRun_ = end != RunEnd::MessageBox;

  view_.ShowStatusPage();
  view_.SetBusyCursor(true);
  counters_ = {};
  view_.EnableStartButton(false);
  view_.ClearRows();
  view_.SetProgress(kStartProgress);
  view_.SetStatusLine(L"");

  lastReport_ = {};
  RunRecorder recorder(lastReport_);
  EraseContext erase = StartContext(recorder);
  erase.secure = inifun::FlagTest(inifun::ReadIniValue(settingsFile_, L"Options", L"securely"));
  {
    Rows rows(view_, recorder, counters_);
    RunState state;
    RunItems(erase, counters_, state, rows);
  }
  lastReport_.stopped = erase.Stopped();

  EndOfRun(end);
  return true;
}

bool CleanRun::Preview(RunReport& report) {
  if (running_) return false;
  RunningFlag running(running_);
  report = {};
  report.preview = true;
  RunRecorder recorder(report);
  SilentView silent(view_);
  EraseContext erase = StartContext(recorder);
  erase.mode = EraseMode::Preview;
  RunCounters counters;
  Rows rows(silent, recorder, counters);
  RunState state;
  RunItems(erase, counters, state, rows);
  rows.Close();
  report.stopped = erase.Stopped();
  return true;
}

void CleanRun::EndOfRun(RunEnd end) {
  const StopReason stopped = stopReason_.load();
  if (stopped == StopReason::None && inifun::RunTest(inifun::ReadIniValue(settingsFile_, L"Options", L"exit"))) {
    // The process ends: this run's totals are not saved and nothing is reported.
    view_.ExitProgram();
    return;
  }
  if (stopped == StopReason::None) view_.SetProgress(kEndProgress);
  view_.EnableStartButton(true);
  settings::SaveLastRun(settingsFile_, clock_(), counters_.cleanedKeys, counters_.releasedBytes);
  view_.SetBusyCursor(false);
  if (stopped == StopReason::Ending || end == RunEnd::Silent) {
    backgroundRun_ = false;
    return;
  }
  const wchar_t* last = stopped == StopReason::None ? kComplete : kStoppedEnd;
  view_.AddRow(last);
  view_.SetStatusLine(last);

  std::wstring keys = platform::FormatNumber(counters_.cleanedKeys);
  std::wstring megabytes = settings::Megabytes(counters_.releasedBytes);
  if (backgroundRun_) {
    NotificationRequest request;
    request.key = L"www";
    request.title = L"Trellwipe";
    request.description = std::wstring(stopped == StopReason::None ? L"Trellwipe Clean is done!"
                                                                   : L"Trellwipe Clean was stopped!") +
                          L" Cleaned Registry Keys: " + keys + L" Released HD Space:" + megabytes + L"MB";
    request.allowDuplicateTitles = true;
    request.enableClickEvent = true;
    request.soundFile = programFolder_ + L"\\Sounds\\Message.wav";
    view_.QueueNotification(request);
    backgroundRun_ = false;
  } else {
    view_.ShowInformation(stopped == StopReason::None ? L"Task Complete" : L"Task Stopped",
                          std::wstring(last) + L" Cleaned Registry Keys: " + keys + L", Released HD Space: " +
                              megabytes + L"MB");
  }

  settings::LastRun stored = settings::LoadLastRun(settingsFile_);
  counters_.cleanedKeys = stored.cleanedKeys;
  counters_.releasedBytes = stored.releasedBytes;
  view_.ShowStatistics(stored.lastClean, settings::TotalsText(stored.cleanedKeys, stored.releasedBytes));
  view_.ShowMainWindow();
}

}  // namespace engine
