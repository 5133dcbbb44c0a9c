#include "run/event_log.h"

#define SECURITY_WIN32
#include <secext.h>

#include <array>

#include "cleaning_events.h"  // made by windmc from run/cleaning_events.mc
#include "platform/handles.h"
#include "platform/table.h"

namespace run {

namespace {

struct TriggerText {
  Trigger trigger;
  const wchar_t* name;
};
constexpr TriggerText kTriggers[] = {
    {Trigger::Button, L"button"},     {Trigger::Schedule, L"schedule"},          {Trigger::Start, L"start"},
    {Trigger::Shutdown, L"shutdown"}, {Trigger::BrowserClose, L"browser close"}, {Trigger::Console, L"console"},
    {Trigger::Policy, L"policy"},
};

// The moments a policy may fix, by the policy that fixes each.
struct PolicyMoment {
  Trigger trigger;
  const wchar_t* policy;
};
constexpr PolicyMoment kPolicyMoments[] = {{Trigger::Start, L"CleanAtStart"},
                                           {Trigger::Shutdown, L"CleanAtShutdown"},
                                           {Trigger::Schedule, L"CleanDays"}};

constexpr std::array<const wchar_t*, 12> kCleanedFields = {
    L"user", L"started by", L"items run",   L"files removed", L"bytes removed", L"registry entries removed",
    L"kept", L"too new",    L"left behind", L"refused",       L"duration (ms)", L"ended"};
constexpr std::array<const wchar_t*, 5> kRefusedFields = {L"user", L"started by", L"refused", L"the first", L"why"};
constexpr std::array<const wchar_t*, 2> kPolicyFields = {L"user", L"the value and why"};

constexpr EventKind kEventKinds[] = {
    {TRELLWIPE_EVENT_CLEANED, EVENTLOG_INFORMATION_TYPE, L"a cleaning ended", kCleanedFields},
    {TRELLWIPE_EVENT_REFUSED, EVENTLOG_WARNING_TYPE, L"the guard refused to erase places in a cleaning",
     kRefusedFields},
    {TRELLWIPE_EVENT_POLICY_IGNORED, EVENTLOG_WARNING_TYPE, L"a policy value was ignored", kPolicyFields},
};

std::wstring Number(double value) {
  wchar_t text[32];
  swprintf(text, 32, L"%.0f", value);
  return text;
}

}  // namespace

const wchar_t* TriggerName(Trigger trigger) {
  return platform::FindRow(kTriggers, &TriggerText::trigger, trigger)->name;
}

Trigger StartedBy(Trigger trigger, const settings::Policies& policies) {
  const PolicyMoment* moment = platform::FindRow(kPolicyMoments, &PolicyMoment::trigger, trigger);
  return moment && policies.Fixed(moment->policy) ? Trigger::Policy : trigger;
}

std::span<const EventKind> EventKinds() { return kEventKinds; }

std::vector<Event> CleaningEvents(const engine::RunReport& report, const CleaningFacts& facts) {
  const engine::ReportTotals totals = report.Totals();
  std::vector<const engine::LeftRecord*> refused;
  for (const engine::ItemReport& item : report.items) {
    for (const engine::LeftRecord& left : item.leftBehind) {
      if (!left.refusal.empty()) refused.push_back(&left);
    }
  }
  const std::wstring trigger = TriggerName(facts.trigger);
  std::vector<Event> events;
  events.push_back(
      {TRELLWIPE_EVENT_CLEANED,
       {facts.user, trigger, std::to_wstring(report.items.size()), std::to_wstring(totals.files), Number(totals.bytes),
        std::to_wstring(totals.registryEntries),
        std::to_wstring(totals.keptSites + totals.keptAddresses + totals.keptPaths), std::to_wstring(totals.tooNew),
        std::to_wstring(totals.leftBehind), std::to_wstring(refused.size()), std::to_wstring(facts.milliseconds),
        report.stopped ? L"stopped" : L"complete"}});
  if (!refused.empty()) {
    events.push_back(
        {TRELLWIPE_EVENT_REFUSED,
         {facts.user, trigger, std::to_wstring(refused.size()), refused.front()->path, refused.front()->refusal}});
  }
  for (const std::wstring& error : facts.policyErrors)
    events.push_back({TRELLWIPE_EVENT_POLICY_IGNORED, {facts.user, error}});
  return events;
}

std::wstring CurrentUserName() {
  wchar_t name[512];
  ULONG size = 512;
  if (GetUserNameExW(NameSamCompatible, name, &size)) return name;
  size = 512;
  return GetUserNameW(name, &size) ? name : L"";
}

void WriteEvents(std::span<const Event> events) {
  platform::EventSource source(RegisterEventSourceW(nullptr, kEventSource));
  if (!source) return;
  for (const Event& event : events) {
    const EventKind* kind = platform::FindRow(kEventKinds, &EventKind::id, event.id);
    std::vector<const wchar_t*> strings;
    for (const std::wstring& text : event.strings) strings.push_back(text.c_str());
    ReportEventW(source.get(), kind->type, 0, event.id, nullptr, static_cast<WORD>(strings.size()), 0, strings.data(),
                 nullptr);
  }
}

}  // namespace run
