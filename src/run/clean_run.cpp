#include "run/clean_run.h"

#include <memory>
#include <optional>
#include <utility>

#include "engine/kept_paths.h"
#include "engine/kept_paths_file.h"
#include "engine/path_guard.h"
#include "platform/files.h"
#include "platform/locale_format.h"
#include "platform/product_name.h"
#include "platform/system_folders.h"
#include "platform/text.h"
#include "platform/user_profiles.h"
#include "settings/inifun.h"
#include "settings/item_flags.h"
#include "settings/last_run.h"
#include "settings/policies.h"

namespace run {

namespace {

constexpr int kStartProgress = 1;
constexpr int kEndProgress = 100;
constexpr const wchar_t* kComplete = platform::TrLater(L"Task complete Successfully!");
// A run with no item ticked ran nothing: it says so rather than report a success.
constexpr const wchar_t* kNothingTicked =
    platform::TrLater(L"Nothing was cleaned: no item is ticked in Clean Settings.");
constexpr const wchar_t* kStoppedEnd = platform::TrLater(L"Task stopped: the cleaning was stopped before its end.");

SYSTEMTIME LocalNow() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return now;
}

// The user's files and folders to keep, as they are on the disk now; everything when the list is
// there but cannot be read, none when it is empty.
std::shared_ptr<const engine::KeptPaths> LearnKeptPaths(const std::wstring& programFolder) {
  platform::Result<std::vector<engine::KeptPathLine>> kept = engine::LoadKeptPaths(programFolder);
  if (!kept) return std::make_shared<const engine::KeptPaths>(engine::KeptPaths::Everything(kept.Reason()));
  if (kept->empty()) return nullptr;
  std::vector<std::wstring> paths;
  for (const engine::KeptPathLine& entry : *kept) paths.push_back(entry.path);
  return std::make_shared<const engine::KeptPaths>(paths);
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

bool KeyExists(HKEY root, const std::wstring& subkey) {
  platform::RegKey key;
  return RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ, key.out()) == ERROR_SUCCESS;
}

// The user's folder as the profile list names it; the session's own when the list does not hold it.
std::wstring CurrentProfileFolder(const std::vector<platform::UserProfile>& profiles, const std::wstring& sid) {
  for (const platform::UserProfile& profile : profiles) {
    if (profile.sid == sid) return profile.folder;
  }
  return platform::KnownFolder(FOLDERID_Profile);
}

// One of a user's hives under HKEY_USERS: `name` while Windows holds it loaded (the user is signed in),
// else `file` loaded under a name of this program's for as long as this lives, and unloaded after.
// Loading and unloading take the backup and restore privileges, held in `privileges` once for the
// whole pass, so that the end of one hive never gives them up while another is still to be unloaded.
struct UserHive {
  UserHive(const std::wstring& windowsName, const std::wstring& file,
           std::optional<platform::PrivilegesHeld>& privileges)
      : name(windowsName) {
    if (KeyExists(HKEY_USERS, name)) return;
    name = L"Trellwipe-" + windowsName;
    if (!privileges) {
      privileges.emplace(std::initializer_list<const wchar_t*>{L"SeBackupPrivilege", L"SeRestorePrivilege"});
    }
    loaded.emplace(name, file);
  }
  bool Reached() const { return !loaded || loaded->Status() == ERROR_SUCCESS; }

  std::wstring name;
  std::optional<platform::LoadedHive> loaded;
};

// Runs the stages that clean a user's own profile for another user, through that user's hive
// (NTUSER.DAT) and classes hive (UsrClass.dat, in the user's local application data). A hive that
// stays unloaded (a file missing or held by another program) leaves every key below its name found
// missing; the user's files are cleaned all the same.
void RunForUser(const platform::UserProfile& profile, const Stages& stages, ItemContext& current) {
  std::optional<platform::PrivilegesHeld> privileges;
  UserHive hive(profile.sid, profile.folder + L"\\NTUSER.DAT", privileges);
  if (!hive.Reached()) {
    current.view.AddNoteRow(platform::Tr(
        L"The registry of this user could not be loaded (NTUSER.DAT): only the user's files are cleaned."));
  }
  ProcessValues values = UserValues(current.values, engine::UserScope{hive.name, profile.folder, {}});
  // A local application data folder refused outside the profile names no classes hive: its keys are left.
  std::optional<UserHive> classes;
  if (!values.localAppDataFolder.empty()) {
    const std::wstring classesFile = values.localAppDataFolder + L"\\Microsoft\\Windows\\UsrClass.dat";
    classes.emplace(profile.sid + L"_Classes", classesFile, privileges);
    if (!classes->Reached() && platform::FileExists(classesFile)) {
      current.view.AddNoteRow(
          platform::Tr(L"The classes registry of this user could not be loaded (UsrClass.dat): its keys are left."));
    }
    values.user.classes = classes->name;
  }
  ItemContext context{current.erase,         current.counters, current.run,   values,
                      current.programFolder, current.view,     current.choice};
  for (const auto& stage : stages) {
    if (current.erase.Stopped()) break;
    if (stage->ForEveryUser()) stage->Run(context);
  }
}

}  // namespace

std::wstring MeasuredBelowEstimates(const engine::ReportTotals& totals) {
  return platform::Fill(platform::Tr(L"Trellwipe's running estimates are above; measured in this cleaning: {figures}"),
                        {{L"figures", engine::MeasuredFigures(totals)}});
}

std::wstring EstimatesTip(const engine::ReportTotals& totals) {
  return platform::Fill(platform::Tr(
                            L"These are Trellwipe's running estimates; measured in the last cleaning: {figures}"),
                        {{L"figures", engine::MeasuredFigures(totals)}});
}

CleanRun::CleanRun(RunView& view, std::wstring programFolder, ProcessValues values, Stages stages)
    : view_(view),
      programFolder_(std::move(programFolder)),
      settingsFile_(settings::SettingsFile(programFolder_)),
      values_(std::move(values)),
      stages_(std::move(stages)),
      clock_(LocalNow) {}

CleanRun::~CleanRun() = default;

bool CleanRun::EveryUser() const {
  // The organisation's AllUsers decides wherever the program has administrator rights; a standard
  // user's run cleans that user alone, with nothing to say about it.
  if (std::optional<DWORD> fixed = settings::PoliciesInForce().Number(kAllUsersKey)) {
    return *fixed == 1 && isAdministrator_();
  }
  switch (users_) {
    case Users::Current: return false;
    case Users::Every: return true;
    case Users::AsOptions: break;
  }
  return settings::inifun::FlagTest(settings::inifun::ReadIniValue(settingsFile_, L"Options", kAllUsersKey));
}

void CleanRun::UserGroup(engine::RunReport& report, RunView& view, const std::wstring& folder,
                         const std::function<void()>& body) {
  engine::UserGroup group{folder.substr(folder.find_last_of(L'\\') + 1), folder, report.items.size()};
  view.AddNoteRow(engine::UserGroupTitle(group));
  body();
  group.end = report.items.size();
  view.AddNoteRow(engine::UserGroupTotals(report, group));
  report.users.push_back(std::move(group));
}

void CleanRun::RunStages(const engine::EraseContext& erase, RunCounters& counters, RunView& view,
                         engine::RunReport& report) {
  RunState state;
  ItemContext context{erase, counters, state, values_, programFolder_, view, choice_};
  auto runAll = [&] {
    for (const auto& stage : stages_) {
      if (erase.Stopped()) break;
      stage->Run(context);
    }
  };
  report.ignoredPolicies = settings::PoliciesInForce().ignored;
  for (const std::wstring& ignored : report.ignoredPolicies) view.AddNoteRow(ignored);
  bool everyUser = EveryUser();
  if (everyUser && !isAdministrator_()) {
    everyUser = false;
    report.onlyCurrentUser = true;
    view.AddNoteRow(platform::Tr(engine::kOnlyCurrentUser));
  }
  if (!everyUser) {
    runAll();
    return;
  }
  // The current user first, with every stage; what is not a user's own (the Windows temp folder, the
  // recycle bins, the custom items, plug-ins and rules) runs there once.
  const std::vector<platform::UserProfile> profiles = platform::UserProfiles();
  const std::wstring sid = platform::CurrentUserSid();
  const std::wstring currentFolder = CurrentProfileFolder(profiles, sid);
  UserGroup(report, view, currentFolder, runAll);
  for (const platform::UserProfile& profile : profiles) {
    if (erase.Stopped()) break;
    if (profile.sid == sid || platform::EqualsNoCase(profile.folder, currentFolder)) continue;
    UserGroup(report, view, profile.folder, [&] { RunForUser(profile, stages_, context); });
  }
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
engine::EraseContext CleanRun::StartContext(engine::RunRecorder& recorder) {
  stop_.Reset();
  stopReason_.store(StopReason::None);
  engine::EraseContext erase;
  erase.pump = [this] { view_.PumpMessages(); };
  erase.stop = &stop_;
  erase.programFolder = engine::CanonicalPath(programFolder_);
  if (const std::vector<std::wstring>* sites = settings::PoliciesInForce().List(L"KeepSites")) {
    erase.addedKeptSites = *sites;
  }
  erase.keptPaths = LearnKeptPaths(programFolder_);
  erase.recorder = &recorder;
  erase.startedAt = ageClock_();
  return erase;
}

bool CleanRun::CleanNow(RunEnd end, Trigger trigger) {
  if (running_) return false;
  RunningFlag running(running_);
  backgroundRun_ = end != RunEnd::MessageBox;
  trigger_ = trigger;
  startTick_ = GetTickCount64();

  view_.ShowStatusPage();
  view_.SetBusyCursor(true);
  counters_ = {};
  view_.EnableStartCommands(false);
  view_.ClearRows();
  view_.SetProgress(kStartProgress);
  view_.SetStatusLine(L"");

  lastReport_ = {};
  engine::RunRecorder recorder(lastReport_);
  engine::EraseContext erase = StartContext(recorder);
  erase.secure = settings::inifun::FlagTest(settings::inifun::ReadIniValue(settingsFile_, L"Options", L"securely"));
  RunStages(erase, counters_, view_, lastReport_);
  lastReport_.stopped = erase.Stopped();

  EndOfRun(end);
  return true;
}

bool CleanRun::CleanOnly(ItemChoice choice, RunEnd end, Trigger trigger) {
  if (running_) return false;
  // The chosen items are this session's: another user's browser may be open in that user's session.
  const Users users = std::exchange(users_, Users::Current);
  std::swap(choice_, choice);
  CleanNow(end, trigger);
  std::swap(choice_, choice);
  users_ = users;
  return true;
}

std::optional<engine::RunReport> CleanRun::Preview() {
  if (running_) return std::nullopt;
  RunningFlag running(running_);
  engine::RunReport report;
  report.preview = true;
  engine::RunRecorder recorder(report);
  SilentView silent(view_);
  engine::EraseContext erase = StartContext(recorder);
  erase.mode = engine::EraseMode::Preview;
  RunCounters counters;
  RunStages(erase, counters, silent, report);
  report.stopped = erase.Stopped();
  return report;
}

void CleanRun::WriteRunEvents() const {
  const settings::Policies& policies = settings::PoliciesInForce();
  const CleaningFacts facts{CurrentUserName(), StartedBy(trigger_, policies), GetTickCount64() - startTick_,
                            policies.ignored};
  WriteEvents(CleaningEvents(lastReport_, facts));
}

void CleanRun::EndOfRun(RunEnd end) {
  // Written first: the program may end with the run, and the end of the session leaves no time.
  WriteRunEvents();
  const StopReason stopped = stopReason_.load();
  if (stopped == StopReason::None &&
      settings::inifun::RunTest(settings::inifun::ReadIniValue(settingsFile_, L"Options", L"exit"))) {
    // The process ends: this run's totals are not saved and nothing is reported.
    view_.ExitProgram();
    return;
  }
  if (stopped == StopReason::None) view_.SetProgress(kEndProgress);
  view_.EnableStartCommands(true);
  settings::SaveLastRun(settingsFile_, clock_(), counters_.cleanedKeys, counters_.releasedBytes);
  view_.SetBusyCursor(false);
  if (stopped == StopReason::Ending || end == RunEnd::Silent) {
    backgroundRun_ = false;
    return;
  }
  const bool nothing = stopped == StopReason::None && lastReport_.items.empty();
  const size_t leaving = lastReport_.ItemsLeavingSomething();
  // A run that left something behind never reads as a success; the rows of those items say what.
  std::wstring last =
      nothing                       ? platform::Tr(kNothingTicked)
      : stopped != StopReason::None ? platform::Tr(kStoppedEnd)
      : leaving == 0
          ? platform::Tr(kComplete)
          : platform::WithCount(
                platform::TrPlural(L"Task complete: {count} item left something behind; its row says what.",
                                   L"Task complete: {count} items left something behind; their rows say what.",
                                   leaving),
                static_cast<double>(leaving));
  // What the keep lists kept was meant to stay: the end names it apart.
  if (!nothing) last += KeptNote();
  view_.AddNoteRow(last);
  // Read out wherever the focus is; the totals follow in the end's message.
  view_.AnnounceStatusLine(last);
  TellEnd(stopped, nothing, leaving, last);

  settings::LastRun stored = settings::LoadLastRun(settingsFile_);
  counters_.cleanedKeys = stored.cleanedKeys;
  counters_.releasedBytes = stored.releasedBytes;
  view_.ShowStatistics(stored.lastClean, settings::TotalsText(stored.cleanedKeys, stored.releasedBytes),
                       EstimatesTip(lastReport_.Totals()));
  view_.ShowMainWindow();
}

std::wstring CleanRun::KeptNote() const {
  std::wstring kept = engine::KeptSummary(lastReport_.Totals());
  return kept.empty() ? kept : L" (" + kept + L")";
}

void CleanRun::TellEnd(StopReason stopped, bool nothing, size_t leaving, const std::wstring& last) {
  std::wstring keys = platform::ShownNumber(counters_.cleanedKeys);
  std::wstring megabytes = platform::ShownMegabytes(counters_.releasedBytes);
  // Below the counters' estimates, said to be such, what the run erased as measured, each entry once.
  // The files kept for their age are told apart: they were never meant to go.
  const engine::ReportTotals totals = lastReport_.Totals();
  const std::wstring measured = L"\n" + MeasuredBelowEstimates(totals) + L"." + engine::TooNewSummary(totals);
  if (backgroundRun_) {
    NotificationRequest request;
    request.key = L"www";
    request.title = platform::kProductName;
    const std::wstring said =
        stopped != StopReason::None ? platform::Tr(L"Trellwipe Clean was stopped!")
        : leaving == 0
            ? platform::Tr(L"Trellwipe Clean is done!")
            : platform::WithCount(
                  platform::TrPlural(L"Trellwipe Clean is done, but {count} item left something behind!",
                                     L"Trellwipe Clean is done, but {count} items left something behind!", leaving),
                  static_cast<double>(leaving));
    request.description =
        nothing ? std::wstring(platform::Tr(kNothingTicked))
                : said + KeptNote() +
                      platform::Fill(platform::Tr(L" Cleaned Registry Keys: {keys} Released HD Space:{megabytes}MB"),
                                     {{L"keys", keys}, {L"megabytes", megabytes}}) +
                      measured;
    request.allowDuplicateTitles = true;
    request.enableClickEvent = true;
    request.soundFile = programFolder_ + L"\\Sounds\\Message.wav";
    view_.QueueNotification(request);
    backgroundRun_ = false;
  } else {
    view_.ShowInformation(nothing                       ? platform::Tr(L"Nothing to Clean")
                          : stopped == StopReason::None ? platform::Tr(L"Task Complete")
                                                        : platform::Tr(L"Task Stopped"),
                          nothing ? last
                                  : last +
                                        platform::Fill(platform::Tr(L" Cleaned Registry Keys: {keys}, Released HD "
                                                                    L"Space: {megabytes}MB"),
                                                       {{L"keys", keys}, {L"megabytes", megabytes}}) +
                                        measured);
  }
}

}  // namespace run
