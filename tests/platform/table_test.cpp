#include "platform/table.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/text.h"

namespace {

struct Row {
  const wchar_t* name;
  int number;
};
constexpr Row kRows[] = {{L"Opera", 3027}, {L"Safari", 3028}};

}  // namespace

// A text key is found by its letters wherever it is stored, a number by its value, and a key no row
// holds finds nothing.
TEST(Table, FindsTheRowThatHoldsTheKey) {
  const std::wstring safari = L"Safari";
  EXPECT_EQ(platform::FindRow(kRows, &Row::name, safari.c_str()), &kRows[1]);
  EXPECT_EQ(platform::FindRow(kRows, &Row::name, safari), &kRows[1]);
  EXPECT_EQ(platform::FindRow(kRows, &Row::number, 3027), &kRows[0]);
  EXPECT_EQ(platform::FindRow(kRows, &Row::name, L"SAFARI"), nullptr);
  EXPECT_EQ(platform::FindRow(kRows, &Row::name, L"SAFARI", platform::EqualsNoCase), &kRows[1]);
  EXPECT_EQ(platform::FindRow(kRows, &Row::number, 3001), nullptr);
}
