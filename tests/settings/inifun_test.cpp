#include "settings/inifun.h"

#include <gtest/gtest.h>

#include "platform/text.h"
#include "support/test_support.h"

using namespace settings::inifun;
using testing_support::TempFolder;

TEST(Inifun, MissingFileReadsEmptyAndFirstWriteCreatesIt) {
  TempFolder folder;
  std::wstring file = folder / L"prisd.dat";
  EXPECT_EQ(ReadIniValue(file, L"Options", L"exit"), L"");
  EXPECT_TRUE(ReadIniSection(file, L"Options").Empty());
  WriteIniValue(file, L"Options", L"exit", L"1");
  testing_support::ExpectKept(file);
  EXPECT_EQ(ReadIniValue(file, L"Options", L"exit"), L"1");
}

TEST(Inifun, ValuesAreTrimmedAndNamesMatchInAnyCase) {
  TempFolder folder;
  std::wstring file = folder / L"prisd.dat";
  testing_support::WriteText(file, "[OPERA]\r\nImages =   1  \r\n");
  EXPECT_EQ(ReadIniValue(file, L"Opera", L"images"), L"1");
  WriteIniValue(file, L"opera", L"IMAGES", L"0");
  EXPECT_EQ(ReadIniValue(file, L"OPERA", L"Images"), L"0");
  EXPECT_EQ(ReadIniSection(file, L"Opera").Count(), 1u);
}

TEST(Inifun, TheFileIsKeptInTheSystemCodePage) {
  TempFolder folder;
  std::wstring file = folder / L"prisd.dat";
  WriteIniValue(file, L"Options", L"lastclean", platform::Widen("caf\xe9"));
  EXPECT_NE(testing_support::ReadText(file).find("lastclean=caf\xe9\r\n"), std::string::npos);
  EXPECT_EQ(ReadIniValue(file, L"Options", L"lastclean"), platform::Widen("caf\xe9"));
  testing_support::WriteText(file, "[Options]\r\nlastclean=na\xefve\r\n");
  EXPECT_EQ(ReadIniValue(file, L"options", L"LASTCLEAN"), platform::Widen("na\xefve"));
}

TEST(Inifun, LongValuesAreCutTo128AndReadBackAs127) {
  TempFolder folder;
  std::wstring file = folder / L"prisd.dat";
  std::wstring value;
  for (int i = 0; i < 200; ++i) value += static_cast<wchar_t>(L'a' + i % 26);
  WriteIniValue(file, L"Options", L"long", value);
  std::string stored = testing_support::ReadText(file);
  EXPECT_NE(stored.find("long=" + platform::Narrow(value.substr(0, 128)) + "\r\n"), std::string::npos);
  EXPECT_EQ(ReadIniValue(file, L"Options", L"long"), value.substr(0, 127));
}

TEST(Inifun, SectionLinesAreNumberedFromOne) {
  TempFolder folder;
  std::wstring file = folder / L"a.ppe";
  testing_support::WriteText(file, "[reg]\r\na=1\r\nb=2\r\nc=3\r\n[other]\r\nd=4\r\n");
  SectionLines lines = ReadIniSection(file, L"reg");
  ASSERT_EQ(lines.Count(), 3u);
  EXPECT_EQ(lines.Line(1), L"a=1");
  EXPECT_EQ(lines.Line(3), L"c=3");
  EXPECT_TRUE(ReadIniSection(file, L"missing").Empty());
}

TEST(Inifun, FlagTestReadsANumberRunTestWantsExactlyOne) {
  for (const wchar_t* on : {L"1", L"01", L"1.0"}) EXPECT_TRUE(FlagTest(on)) << on;
  for (const wchar_t* off : {L"", L"0", L"2", L"yes", L"1x"}) EXPECT_FALSE(FlagTest(off)) << off;
  EXPECT_TRUE(RunTest(L"1"));
  for (const wchar_t* off : {L"", L"01", L"1.0", L"2", L"yes"}) EXPECT_FALSE(RunTest(off)) << off;
  // What the reader returns for " 1 " is trimmed, so both tests see "1".
  TempFolder folder;
  std::wstring file = folder / L"prisd.dat";
  testing_support::WriteText(file, "[WINDOWS]\r\nrecent= 1 \r\n");
  EXPECT_TRUE(RunTest(ReadIniValue(file, L"WINDOWS", L"recent")));
}

TEST(Inifun, WindowsVersionIsMajorDotMinor) {
  std::wstring version = GetWindowsVersionText();
  size_t dot = version.find(L'.');
  ASSERT_NE(dot, std::wstring::npos);
  EXPECT_GT(std::stoi(version.substr(0, dot)), 4);
  EXPECT_EQ(version.find_first_not_of(L"0123456789."), std::wstring::npos);
}
