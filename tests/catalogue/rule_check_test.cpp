#include "catalogue/rule_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/cli.h"
#include "platform/text.h"
#include "shipped_rules.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

class RuleCheck : public ::testing::Test {
 protected:
  TempFolder root;
  TempFolder program;
  ScopedEnvironment variable{L"TRELLWIPE_RULE_ROOT", root.Path()};
  run::ProcessValues values;
};

struct Expected {
  size_t line;
  catalogue::rules::FindingKind kind;
  const wchar_t* entry;
  const wchar_t* says;  // a part of its text
};

}  // namespace

TEST_F(RuleCheck, NamesEachKindOfFindingByLineAndEntry) {
  const std::string lines[] = {
      "; a comment says nothing",
      "Orphan=1",
      "[Good App *]",
      "Detect=HKCU\\Software\\Example Good",
      "FileKey1=%TRELLWIPE_RULE_ROOT%\\Good|*.log",
      "Colour=blue",
      "no equals sign here",
      "FileKey2=%TRELLWIPE_RULE_ROOT%\\Good",
      "RegKey1=",
      "DetectOS=six|",
      "ExcludeKey1=DISK|C:\\x",
      "Warning=bell\x07",
      "[good app *]",
      "DetectFile=%TRELLWIPE_RULE_ROOT%\\Good",
      "RegKey1=HKCU\\Software\\Example Good",
      "[Nothing To Erase *]",
      "Detect=HKCU\\Software\\Example",
      "[Everywhere *]",
      "FileKey1=%TRELLWIPE_RULE_ROOT%\\Everywhere|*.tmp",
      "[Windows Walker *]",
      "DetectFile=%WinDir%",
      "FileKey1=%WinDir%|*.log|RECURSE",
      "[Passwords *]",
      "DetectFile=%TRELLWIPE_RULE_ROOT%\\Chrome",
      "FileKey1=%TRELLWIPE_RULE_ROOT%\\Chrome\\User Data\\*|* Data",
      "RegKey1=HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit",
      "[Climber *]",
      "DetectFile=%TRELLWIPE_RULE_ROOT%\\Good",
      "FileKey1=%TRELLWIPE_RULE_ROOT%\\Good\\..\\..\\Elsewhere|*",
      "[Bad=Name]",
      "RegKey1=HKCU\\Software\\X",
      "[]",
      "RegKey1=HKCU\\Software\\Y",
      std::string(40000, 'a'),
      std::string(140000, 'b'),  // passed over unread, but counted
      "Orphan=2",
  };
  using enum catalogue::rules::FindingKind;
  const Expected expected[] = {
      {2, Skipped, L"", L"outside any entry"},
      {6, UnknownKey, L"Good App *", L"unknown key \"Colour\""},
      {7, Skipped, L"Good App *", L"no \"=\""},
      {8, Skipped, L"Good App *", L"FileKey2 takes <folder>|<patterns>"},
      {9, Skipped, L"Good App *", L"RegKey1 has no value"},
      {10, Skipped, L"Good App *", L"DetectOS takes"},
      {11, Skipped, L"Good App *", L"ExcludeKey1 takes"},
      {12, Skipped, L"Good App *", L"control characters"},
      {13, DuplicateName, L"good app *", L"named before, in winapp2.ini line 3"},
      {16, Skipped, L"Nothing To Erase *", L"erases nothing"},
      {18, NoDetection, L"Everywhere *", L"applies on every computer"},
      {20, Refused, L"Windows Walker *", L"a folder that Windows, your programs or your profile need"},
      {23, KeptData, L"Passwords *", L"User Data\\* reaches saved passwords the user keeps"},
      {23, KeptData, L"Passwords *", L"Regedit reaches Regedit's favourites the user keeps"},
      {27, Climbs, L"Climber *",
       L"refused: %TRELLWIPE_RULE_ROOT%\\Good\\..\\..\\Elsewhere is outside the folder %TRELLWIPE_RULE_ROOT% names"},
      {30, Skipped, L"Bad=Name", L"cannot be stored"},
      {32, Skipped, L"", L"no entry name"},
      {33, Skipped, L"", L"outside any entry"},
      {34, Skipped, L"", L"longer than any path"},
      {35, Skipped, L"", L"longer than any path"},
      {36, Skipped, L"", L"outside any entry"},
  };
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  WriteText(program / L"winapp2.ini", text);

  std::vector<catalogue::rules::CheckedFile> checked =
      catalogue::rules::CheckRuleFiles({{program / L"winapp2.ini", catalogue::rules::kCommunitySection}},
                                       program.Path());
  ASSERT_EQ(checked.size(), 1u);
  EXPECT_TRUE(checked[0].readable);
  EXPECT_EQ(checked[0].entries, 5u);  // Good App, Everywhere, Windows Walker, Passwords, Climber
  const std::vector<catalogue::rules::Finding>& found = checked[0].findings;
  ASSERT_EQ(found.size(), std::size(expected));
  for (size_t i = 0; i < found.size(); ++i) {
    EXPECT_EQ(found[i].line, expected[i].line) << i;
    EXPECT_EQ(found[i].kind, expected[i].kind) << expected[i].line;
    EXPECT_EQ(found[i].entry, expected[i].entry) << expected[i].line;
    EXPECT_NE(found[i].text.find(expected[i].says), std::wstring::npos)
        << expected[i].line << ": " << platform::Narrow(found[i].text);
  }
}

TEST_F(RuleCheck, TheShippedRulesHaveNoFindings) {
  // The temporary folder that the shipped rules empty holds this test's program folder.
  MakeFolders(root / L"Temp");
  ScopedEnvironment temp{L"TEMP", root / L"Temp"}, tmp{L"TMP", root / L"Temp"};
  for (const ShippedFile& file : kShippedRules)
    WriteText(program / (L"rules\\" + std::wstring(file.fileName)), file.text);
  const std::vector<catalogue::rules::RuleFileName> files = catalogue::rules::RuleFiles(program.Path());
  std::vector<catalogue::rules::CheckedFile> checked = catalogue::rules::CheckRuleFiles(files, program.Path());
  ASSERT_EQ(checked.size(), std::size(kShippedRules) + 1);
  EXPECT_FALSE(checked[0].readable);  // no winapp2.ini here
  for (size_t i = 1; i < checked.size(); ++i) {
    EXPECT_FALSE(files[i].mine) << platform::Narrow(files[i].path);  // the program knows it as shipped
    EXPECT_TRUE(checked[i].readable) << platform::Narrow(checked[i].path);
    EXPECT_GT(checked[i].entries, 0u) << platform::Narrow(checked[i].path);
    for (const catalogue::rules::Finding& finding : checked[i].findings) {
      ADD_FAILURE() << platform::Narrow(checked[i].path) << " line " << finding.line << ": "
                    << platform::Narrow(finding.text);
    }
  }
}

TEST_F(RuleCheck, TheConsoleProgramExitsByWhatItFound) {
  WriteText(program / L"rules\\clean.ini",
            "[Clean *]\r\nDetectFile=%WinDir%\r\nFileKey1=%TRELLWIPE_RULE_ROOT%|*.tmp\r\n");
  WriteText(root / L"findings.ini", "[Odd *]\r\nDetectFile=%WinDir%\r\nColour=blue\r\nRegKey1=HKCU\\Software\\Odd\r\n");
  WriteText(root / L"climbs.ini", "[Up *]\r\nDetectFile=%WinDir%\r\nFileKey1=%LocalAppData%\\..\\..|*.log\r\n");
  struct Case {
    std::vector<std::wstring> args;
    int exit;
    const char* says;
  };
  const Case cases[] = {
      {{L"--check-rules"}, cli::kExitRulesClean, "Summary: 1 file, 1 entry; no findings"},
      {{L"--check-rules", root / L"findings.ini"},
       cli::kExitRulesFindings,
       "line 3 [Odd *]: unknown key \"Colour\": ignored"},
      {{L"--check-rules", root / L"climbs.ini"},
       cli::kExitRulesFindings,
       "Summary: 1 file, 1 entry; 1 folder that climbs above its variable\n"},
      {{L"--check-rules", root / L"missing.ini"}, cli::kExitRulesUnreadable, "missing.ini: cannot be read"},
  };
  for (const Case& c : cases) {
    cli::Output output;
    EXPECT_EQ(cli::Run(c.args, program.Path(), values, output), c.exit) << c.says;
    EXPECT_NE(output.out.find(c.says), std::string::npos) << output.out;
  }
}
