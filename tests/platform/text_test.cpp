#include "platform/text.h"

#include <gtest/gtest.h>

#include "platform/files.h"

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

TEST(Text, Utf8BothWaysAndInvalidBytesRefused) {
  EXPECT_EQ(ToUtf8(L"caf\u00e9 \u65e5"), "caf\xc3\xa9 \xe6\x97\xa5");
  EXPECT_EQ(FromUtf8("caf\xc3\xa9 \xe6\x97\xa5"), std::wstring(L"caf\u00e9 \u65e5"));
  EXPECT_EQ(FromUtf8(""), std::wstring());
  EXPECT_EQ(FromUtf8("caf\xe9"), std::nullopt);
}

TEST(Paths, RootLengthOfDrivesAndShares) {
  const struct {
    const wchar_t* path;
    size_t root;
  } cases[] = {
      {L"C:\\Windows", 3},        {L"c:\\", 3},         {L"\\\\server\\share\\x", 15},
      {L"\\\\server\\share", 14}, {L"\\\\?\\C:\\x", 7}, {L"C:/Windows", 0},
      {L"relative\\path", 0},     {L"\\\\server", 0},   {L"\\\\\\share\\x", 0},
      {L"\\\\server\\\\x", 0},    {L"1:\\x", 0},        {L"", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(RootLength(c.path), c.root) << c.path;
  EXPECT_TRUE(HasWildcard(L"C:\\a\\*.tmp"));
  EXPECT_TRUE(HasWildcard(L"file?.log"));
  EXPECT_FALSE(HasWildcard(L"C:\\a\\b.tmp"));
}
