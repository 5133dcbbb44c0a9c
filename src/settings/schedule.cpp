#include "settings/schedule.h"

#include <cwctype>

#include "platform/text.h"
#include "settings/inifun.h"
#include "settings/policies.h"

namespace settings {

Schedule LoadSchedule(const std::wstring& settingsFile) {
  Schedule schedule;
  const Policies& policies = PoliciesInForce();
  std::wstring days =
      policies.Text(L"CleanDays").value_or(inifun::ReadIniValue(settingsFile, L"Options", L"CleanDays"));
  if (days.empty()) days = L"0000000";
  for (size_t day = 0; day < schedule.dayFlags.size() && day < days.size(); ++day) {
    schedule.dayFlags[day] = days.substr(day, 1);
  }
  schedule.time = policies.Text(L"CleanTime").value_or(inifun::ReadIniValue(settingsFile, L"Options", L"CleanTime"));
  return schedule;
}

std::optional<int> MinuteOfDay(const std::wstring& text) {
  std::wstring trimmed = platform::Trim(text);
  int parts[3] = {0, 0, 0};
  int count = 0;
  size_t digits = 0;
  for (wchar_t c : trimmed) {
    if (std::iswdigit(c)) {
      if (++digits > 2) return std::nullopt;
      parts[count] = parts[count] * 10 + (c - L'0');
    } else if (c == L':' && digits > 0 && count < 2) {
      ++count;
      digits = 0;
    } else {
      return std::nullopt;
    }
  }
  if (count == 0 || digits == 0 || parts[0] > 23 || parts[1] > 59 || parts[2] > 59) return std::nullopt;
  // A time with seconds other than zero names no whole minute.
  if (parts[2] != 0) return std::nullopt;
  return parts[0] * 60 + parts[1];
}

bool ScheduleDue(const Schedule& schedule, const SYSTEMTIME& now) {
  auto scheduled = MinuteOfDay(schedule.time);
  if (!scheduled || *scheduled != now.wHour * 60 + now.wMinute) return false;
  return settings::inifun::FlagTest(schedule.dayFlags[now.wDayOfWeek]);
}

bool ScheduleCheck::Due(const Schedule& schedule, const SYSTEMTIME& now) {
  if (!ScheduleDue(schedule, now)) return false;
  unsigned long long minute =
      (((now.wYear * 100ULL + now.wMonth) * 100 + now.wDay) * 100 + now.wHour) * 100 + now.wMinute;
  if (minute == served_) return false;
  served_ = minute;
  return true;
}

}  // namespace settings
