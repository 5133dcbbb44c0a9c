#include "platform/format.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(FormatNumber, ShortestDecimalWithoutGrouping) {
  EXPECT_EQ(FormatNumber(0), L"0");
  EXPECT_EQ(FormatNumber(33), L"33");
  EXPECT_EQ(FormatNumber(3500000), L"3500000");
  EXPECT_EQ(FormatNumber(0.25), L"0.25");
  EXPECT_EQ(FormatNumber(1.0 / 3), L"0.333333333333333");
  EXPECT_EQ(FormatNumber(123456789012345.0), L"123456789012345");
}

TEST(FormatPattern, ForcedAndOptionalDigits) {
  EXPECT_EQ(FormatPattern(3500000.0 / 1048576, L"0.00"), L"3.34");
  EXPECT_EQ(FormatPattern(0, L"0.00"), L"0.00");
  EXPECT_EQ(FormatPattern(1, L"0.00"), L"1.00");
  EXPECT_EQ(FormatPattern(0.25, L"00.00"), L"00.25");
  EXPECT_EQ(FormatPattern(12.5, L"00.00"), L"12.50");
  EXPECT_EQ(FormatPattern(123.456, L"00.00"), L"123.46");
  EXPECT_EQ(FormatPattern(3.25, L"##.##"), L"3.25");
  EXPECT_EQ(FormatPattern(12, L"##.##"), L"12.");
  EXPECT_EQ(FormatPattern(0.5, L"##.##"), L".5");
  EXPECT_EQ(FormatPattern(0, L"##.##"), L".");
}

TEST(ParseNumber, WholeTextMustBeANumber) {
  EXPECT_EQ(ParseNumber(L"1"), 1.0);
  EXPECT_EQ(ParseNumber(L" 01 "), 1.0);
  EXPECT_EQ(ParseNumber(L"1.0"), 1.0);
  EXPECT_EQ(ParseNumber(L"2"), 2.0);
  EXPECT_FALSE(ParseNumber(L""));
  EXPECT_FALSE(ParseNumber(L"yes"));
  EXPECT_FALSE(ParseNumber(L"1x"));
  EXPECT_FALSE(ParseNumber(L"inf"));
  EXPECT_FALSE(ParseNumber(L"0x1"));
}

TEST(LeadingNumber, ReadsTheNumberAtTheStart) {
  EXPECT_EQ(LeadingNumber(L"12"), 12);
  EXPECT_EQ(LeadingNumber(L" 3500000 "), 3500000);
  EXPECT_EQ(LeadingNumber(L"12abc"), 12);
  EXPECT_EQ(LeadingNumber(L"1.5E+3"), 1500);
  EXPECT_EQ(LeadingNumber(L"abc"), 0);
  EXPECT_EQ(LeadingNumber(L""), 0);
}

TEST(GeneralDateTime, ShortDateThenTime) {
  SYSTEMTIME when = {};
  when.wYear = 2026;
  when.wMonth = 12;
  when.wDay = 8;
  when.wHour = 13;
  when.wMinute = 45;
  when.wSecond = 7;
  std::wstring text = GeneralDateTime(when);
  wchar_t date[64], time[64];
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &when, nullptr, date, 64);
  GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &when, nullptr, time, 64);
  EXPECT_EQ(text, std::wstring(date) + L" " + time);
  EXPECT_NE(text.find(L"2026"), std::wstring::npos);
  EXPECT_NE(text.find(L"45"), std::wstring::npos);
}
