#include "platform/locale_format.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/format.h"
#include "platform/languages.h"
#include "support/test_support.h"

using namespace platform;

TEST(LocaleFormat, OtherLanguagesShowTheLocalesFormsAndEnglishKeepsTheFixedOnes) {
  struct EnglishAgainAfterwards {
    ~EnglishAgainAfterwards() { UseLanguage(L"", kEnglish); }
  } english;
  testing_support::TempFolder program;
  testing_support::WriteText(program / L"lang\\de.po", "msgid \"Done\"\nmsgstr \"Erledigt\"\n");
  const SYSTEMTIME when = {2026, 12, 5, 11, 14, 5, 9, 0};
  struct Case {
    const wchar_t* language;
    std::wstring count, megabytes, fraction, date;
  };
  const Case cases[] = {
      {L"de", L"1.234.567", L"3,34", L"0,25", L"11.12.2026 14:05:09"},
      {kEnglish, L"1234567", Megabytes(3500000), L"0.25", GeneralDateTime(when)},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(UseLanguage(program.Path(), c.language));
    EXPECT_EQ(ShownNumber(1234567, L"de-DE"), c.count) << c.language;
    EXPECT_EQ(ShownMegabytes(3500000, L"de-DE"), c.megabytes) << c.language;
    EXPECT_EQ(ShownNumber(0.25, L"de-DE"), c.fraction) << c.language;
    EXPECT_EQ(ShownDateTime(when, L"de-DE"), c.date) << c.language;
  }
}
