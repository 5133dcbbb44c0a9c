#pragma once
// The weekly cleaning schedule: weekdays and a start time from section "Options".
#include <windows.h>

#include <array>
#include <optional>
#include <string>

namespace settings {

struct Schedule {
  std::array<std::wstring, 7> dayFlags;  // Sunday first, one character of "CleanDays" each
  std::wstring time;                     // "CleanTime", for example "9:30"
};

// An empty "CleanDays" counts as "0000000"; the policies in force fix either.
Schedule LoadSchedule(const std::wstring& settingsFile);

// Hours and minutes of a time text such as "9:30" or "23:00:00"; nothing when it is not a time.
std::optional<int> MinuteOfDay(const std::wstring& text);

// True during the whole scheduled minute of a scheduled weekday: with the 30-second check a
// scheduled day normally sees two runs in that minute.
bool ScheduleDue(const Schedule& schedule, const SYSTEMTIME& now);

// The timer's check: due at most once per scheduled minute, although the timer ticks twice in it.
class ScheduleCheck {
 public:
  // True when a run is to start now; the minute then counts as served, whether or not the run could
  // start (a run in progress refuses it).
  bool Due(const Schedule& schedule, const SYSTEMTIME& now);

 private:
  // Year, month, day, hour and minute of the last served minute.
  unsigned long long served_ = 0;
};

}  // namespace settings
