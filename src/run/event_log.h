#pragma once
// The events a cleaning writes to Windows' Application log under the source "Trellwipe", which the
// installers register with the message file built into the programs (run/cleaning_events.mc): one
// information event per cleaning, and warnings for what the guard refused and for the policy values
// ignored. Writing is never in the way of the cleaning: without the source or the rights to write,
// nothing is written and nothing is said.
#include <windows.h>

#include <span>
#include <string>
#include <vector>

#include "engine/run_report.h"
#include "settings/policies.h"

namespace run {

constexpr wchar_t kEventSource[] = L"Trellwipe";

// What started a cleaning.
enum class Trigger { Button, Schedule, Start, Shutdown, BrowserClose, Console, Policy };
// As the event names it: "button", "schedule", "start", "shutdown", "browser close", "console",
// "policy".
const wchar_t* TriggerName(Trigger trigger);
// Policy for a moment (the start, the shutdown, the schedule) that an organisation's policy fixes;
// otherwise the trigger itself.
Trigger StartedBy(Trigger trigger, const settings::Policies& policies);

// One event of the source: its number, its type (EVENTLOG_INFORMATION_TYPE or EVENTLOG_WARNING_TYPE),
// what it says, and its insertion strings in their order.
struct EventKind {
  DWORD id;
  WORD type;
  const wchar_t* says;
  std::span<const wchar_t* const> fields;
};
std::span<const EventKind> EventKinds();

// An event to write: its number and its insertion strings, each short (a number, a name, a path).
struct Event {
  DWORD id;
  std::vector<std::wstring> strings;
};

// What a cleaning's end knows beside its report.
struct CleaningFacts {
  std::wstring user;  // DOMAIN\name
  Trigger trigger = Trigger::Button;
  unsigned long long milliseconds = 0;
  std::vector<std::wstring> policyErrors;  // one sentence per policy value ignored
};

// The events of a cleaning: the cleaning itself, then a warning when the guard refused anything,
// then one per policy value ignored.
std::vector<Event> CleaningEvents(const engine::RunReport& report, const CleaningFacts& facts);

// DOMAIN\name of the user the program runs as.
std::wstring CurrentUserName();

// Writes the events under the source; what cannot be written is dropped.
void WriteEvents(std::span<const Event> events);

}  // namespace run
