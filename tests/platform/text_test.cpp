#include "platform/text.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(Text, WidenAndNarrowRoundTripThroughTheCodePage) {
  EXPECT_EQ(Narrow(Widen("caf\xe9")), "caf\xe9");
  EXPECT_EQ(Widen("abc"), L"abc");
}

TEST(Text, TrimCutJoin) {
  EXPECT_EQ(Trim(L"  1 \t"), L"1");
  EXPECT_EQ(Trim(L"   "), L"");
  EXPECT_EQ(CutAtNul(std::wstring(L"ab\0cd", 5)), L"ab");
  EXPECT_EQ(JoinPath(L"C:\\a\\", L"\\b"), L"C:\\a\\b");
  EXPECT_TRUE(EqualsNoCase(L"Opera", L"OPERA"));
}
