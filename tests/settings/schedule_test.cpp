#include "settings/schedule.h"

#include <gtest/gtest.h>

#include "settings/inifun.h"
#include "support/test_support.h"

using namespace settings;

namespace {

SYSTEMTIME At(WORD dayOfWeek, WORD hour, WORD minute, WORD second = 0) {
  SYSTEMTIME when = {};
  when.wYear = 2026;
  when.wMonth = 12;
  when.wDayOfWeek = dayOfWeek;
  when.wHour = hour;
  when.wMinute = minute;
  when.wSecond = second;
  return when;
}

}  // namespace

TEST(Schedule, DueDuringTheWholeMinuteOfAScheduledDay) {
  testing_support::TempFolder folder;
  std::wstring file = folder / L"prisd.dat";
  settings::inifun::WriteIniValue(file, L"Options", L"CleanDays", L"0100000");
  settings::inifun::WriteIniValue(file, L"Options", L"CleanTime", L"9:30");
  Schedule schedule = LoadSchedule(file);
  EXPECT_TRUE(ScheduleDue(schedule, At(1, 9, 30, 0)));  // Monday
  EXPECT_TRUE(ScheduleDue(schedule, At(1, 9, 30, 59)));
  EXPECT_FALSE(ScheduleDue(schedule, At(1, 9, 31)));
  EXPECT_FALSE(ScheduleDue(schedule, At(1, 21, 30)));
  for (WORD day : {0, 2, 3, 4, 5, 6}) EXPECT_FALSE(ScheduleDue(schedule, At(day, 9, 30))) << day;
}

TEST(Schedule, MissingOrMalformedValuesNeverStartARun) {
  testing_support::TempFolder folder;
  std::wstring file = folder / L"prisd.dat";
  Schedule none = LoadSchedule(file);
  EXPECT_EQ(none.dayFlags[0], L"0");
  EXPECT_EQ(none.time, L"");
  settings::inifun::WriteIniValue(file, L"Options", L"CleanDays", L"1111111");
  EXPECT_FALSE(ScheduleDue(LoadSchedule(file), At(3, 0, 0)));  // no time
  settings::inifun::WriteIniValue(file, L"Options", L"CleanTime", L"0:00");
  EXPECT_TRUE(ScheduleDue(LoadSchedule(file), At(3, 0, 0)));
  settings::inifun::WriteIniValue(file, L"Options", L"CleanDays", L"2x1");  // greyed, not a number, then short
  EXPECT_FALSE(ScheduleDue(LoadSchedule(file), At(0, 0, 0)));
  EXPECT_FALSE(ScheduleDue(LoadSchedule(file), At(1, 0, 0)));
  EXPECT_TRUE(ScheduleDue(LoadSchedule(file), At(2, 0, 0)));
  EXPECT_FALSE(ScheduleDue(LoadSchedule(file), At(6, 0, 0)));
}

TEST(Schedule, TimeTexts) {
  EXPECT_EQ(MinuteOfDay(L"0:00"), 0);
  EXPECT_EQ(MinuteOfDay(L"9:30"), 570);
  EXPECT_EQ(MinuteOfDay(L"09:30"), 570);
  EXPECT_EQ(MinuteOfDay(L"23:30"), 1410);
  EXPECT_EQ(MinuteOfDay(L"23:30:00"), 1410);
  EXPECT_FALSE(MinuteOfDay(L"23:30:10"));
  EXPECT_FALSE(MinuteOfDay(L""));
  EXPECT_FALSE(MinuteOfDay(L"24:00"));
  EXPECT_FALSE(MinuteOfDay(L"9"));
  EXPECT_FALSE(MinuteOfDay(L"9:"));
  EXPECT_FALSE(MinuteOfDay(L"half past nine"));
  EXPECT_FALSE(MinuteOfDay(L"123:00"));
}

TEST(Schedule, TheCheckServesEachScheduledMinuteOnce) {
  Schedule schedule;
  schedule.dayFlags = {L"0", L"1", L"0", L"0", L"0", L"0", L"0"};
  schedule.time = L"9:30";
  ScheduleCheck check;
  SYSTEMTIME first = At(1, 9, 30, 10), second = At(1, 9, 30, 40);
  first.wDay = second.wDay = 7;
  EXPECT_TRUE(check.Due(schedule, first));
  EXPECT_FALSE(check.Due(schedule, second));
  EXPECT_FALSE(check.Due(schedule, At(1, 9, 31)));
  // The same minute a week later is a new occasion.
  SYSTEMTIME nextWeek = first;
  nextWeek.wDay = 14;
  EXPECT_TRUE(check.Due(schedule, nextWeek));
  // A minute that is not due does not count as served.
  ScheduleCheck fresh;
  EXPECT_FALSE(fresh.Due(schedule, At(2, 9, 30)));
  EXPECT_TRUE(fresh.Due(schedule, first));
}
