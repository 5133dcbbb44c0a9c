#include "catalogue/rule_changes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

using namespace testing_support;

namespace {

std::vector<catalogue::rules::Rule> Parse(const std::string& text) { return catalogue::rules::ParseRules(text); }

// One entry "[E]" with the given key lines.
catalogue::rules::Rule RuleOf(const std::string& keys) {
  std::vector<catalogue::rules::Rule> read = Parse("[E]\r\n" + keys);
  EXPECT_EQ(read.size(), 1u) << keys;
  return read.empty() ? catalogue::rules::Rule{} : read[0];
}

struct ExpectedChange {
  catalogue::rules::ChangeKind kind;
  const wchar_t* name;
  bool erasesMore;
  bool appliesHere;
  size_t refused;
  size_t keptData;
};

}  // namespace

TEST(RuleChanges, ANewFormErasesMoreOnlyWhenItReachesWhatTheOldLeft) {
  const std::string base = "FileKey1=C:\\Example\\Cache|*.tmp\r\nRegKey1=HKCU\\Software\\Example|Last\r\n";
  const struct {
    const char* name;
    std::string after;
    bool more;
  } cases[] = {
      {"the same keys in another order",
       "RegKey1=HKCU\\Software\\Example|Last\r\nFileKey2=C:\\Example\\Cache\\|*.TMP\r\n", false},
      {"a key dropped", "FileKey1=C:\\Example\\Cache|*.tmp\r\n", false},
      {"a narrower pattern", "FileKey1=C:\\Example\\Cache|old.tmp\r\nRegKey1=HKCU\\Software\\Example|Last\r\n", false},
      {"the root spelt long",
       "FileKey1=C:\\Example\\Cache|*.tmp\r\nRegKey1=HKEY_CURRENT_USER\\Software\\Example|Last\r\n", false},
      {"a file key added", base + "FileKey2=C:\\Example\\Logs|*.log\r\n", true},
      {"a registry key added", base + "RegKey2=HKCU\\Software\\Example\\Recent\r\n", true},
      {"a whole key where a value was", "FileKey1=C:\\Example\\Cache|*.tmp\r\nRegKey1=HKCU\\Software\\Example\r\n",
       true},
      {"RECURSE added", "FileKey1=C:\\Example\\Cache|*.tmp|RECURSE\r\nRegKey1=HKCU\\Software\\Example|Last\r\n", true},
      {"REMOVESELF added", "FileKey1=C:\\Example\\Cache|*.tmp|REMOVESELF\r\nRegKey1=HKCU\\Software\\Example|Last\r\n",
       true},
      {"the parent folder", "FileKey1=C:\\Example|*.tmp\r\nRegKey1=HKCU\\Software\\Example|Last\r\n", true},
      {"a wider pattern", "FileKey1=C:\\Example\\Cache|*\r\nRegKey1=HKCU\\Software\\Example|Last\r\n", true},
      {"a second pattern", "FileKey1=C:\\Example\\Cache|*.tmp;*.dat\r\nRegKey1=HKCU\\Software\\Example|Last\r\n", true},
  };
  const catalogue::rules::Rule before = RuleOf(base);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(catalogue::rules::ErasesMore(before, RuleOf(c.after)), c.more);
  }
  // What a recursing key covers below its folder, and an exclusion dropped.
  const catalogue::rules::Rule recursing =
      RuleOf("FileKey1=C:\\Example|*|RECURSE\r\nExcludeKey1=FILE|C:\\Example\\|keep.db\r\n");
  EXPECT_FALSE(catalogue::rules::ErasesMore(
      recursing, RuleOf("FileKey1=C:\\Example\\Cache|*.tmp\r\nExcludeKey1=FILE|C:\\Example\\|keep.db\r\n")));
  EXPECT_TRUE(catalogue::rules::ErasesMore(recursing, RuleOf("FileKey1=C:\\Example|*|RECURSE\r\n")));
  // Folders compare where they lead: "." and ".." resolved, letter case ignored.
  const struct {
    const char* fileKey;
    bool more;
  } spellings[] = {
      {"C:\\Example\\..\\Victim|*.docx;*.txt", true},
      {"c:\\EXAMPLE\\Cache\\..\\..\\example2\\Cache|*.tmp", true},
      {"C:/example/./Cache/../Cache/Sub|*.txt|RECURSE", false},
  };
  for (const auto& c : spellings) {
    EXPECT_EQ(catalogue::rules::ErasesMore(recursing, RuleOf("FileKey1=" + std::string(c.fileKey) +
                                                             "\r\nExcludeKey1=FILE|C:\\Example\\|keep.db\r\n")),
              c.more)
        << c.fileKey;
  }
}

TEST(RuleChanges, TheListIsExactForAddedRemovedChangedAndWidenedEntriesWithTheirMarks) {
  TempFolder root;
  MakeFolders(root / L"Here");
  ScopedEnvironment variable{L"TRELLWIPE_RULE_ROOT", root.Path()};
  const std::string before =
      "[Kept As It Was *]\r\nDetectFile=%TRELLWIPE_RULE_ROOT%\\Here\r\nFileKey1=%TRELLWIPE_RULE_ROOT%\\Here|*.tmp\r\n"
      "[Going Away *]\r\nFileKey1=%TRELLWIPE_RULE_ROOT%\\Gone|*.log\r\n"
      "[New Detection *]\r\nDetectFile=%TRELLWIPE_RULE_ROOT%\\Elsewhere\r\nFileKey1=%TRELLWIPE_RULE_ROOT%\\Here|*.tmp\r\n"
      "[Widened *]\r\nDetectFile=%TRELLWIPE_RULE_ROOT%\\Here\r\nFileKey1=%TRELLWIPE_RULE_ROOT%\\Here\\Cache|*.tmp\r\n"
      "[Now In Windows *]\r\nFileKey1=%TRELLWIPE_RULE_ROOT%\\Logs|*.log\r\n";
  const std::string after =
      "[kept as it was *]\r\nDetectFile=%TRELLWIPE_RULE_ROOT%\\Here\r\nFileKey1=%TRELLWIPE_RULE_ROOT%\\Here|*.tmp\r\n"
      "[Widened *]\r\nDetectFile=%TRELLWIPE_RULE_ROOT%\\Here\r\nFileKey1=%TRELLWIPE_RULE_ROOT%\\Here|*.tmp|RECURSE\r\n"
      "[New Detection *]\r\nDetectFile=%TRELLWIPE_RULE_ROOT%\\Here\r\nFileKey1=%TRELLWIPE_RULE_ROOT%\\Here|*.tmp\r\n"
      "[Brand New *]\r\nDetectFile=%TRELLWIPE_RULE_ROOT%\\Nowhere\r\nFileKey1=%TRELLWIPE_RULE_ROOT%\\Nowhere|*.tmp\r\n"
      "[Now In Windows *]\r\nFileKey1=%WinDir%|*.log|RECURSE\r\n"
      "[Passwords Too *]\r\nDetectFile=%TRELLWIPE_RULE_ROOT%\\Here\r\n"
      "FileKey1=%TRELLWIPE_RULE_ROOT%\\Here\\User Data\\Default|Login Data\r\n";
  using enum catalogue::rules::ChangeKind;
  const ExpectedChange expected[] = {
      {Changed, L"Widened *", true, true, 0, 0},      {Changed, L"New Detection *", false, true, 0, 0},
      {Added, L"Brand New *", false, false, 0, 0},    {Changed, L"Now In Windows *", true, true, 1, 0},
      {Added, L"Passwords Too *", false, true, 0, 1}, {Removed, L"Going Away *", false, false, 0, 0},
  };
  std::vector<catalogue::rules::RuleChange> changes =
      catalogue::rules::CompareRules(Parse(before), Parse(after), L"C:\\Program Folder");
  ASSERT_EQ(changes.size(), std::size(expected));
  for (size_t i = 0; i < changes.size(); ++i) {
    SCOPED_TRACE(changes[i].name);
    EXPECT_EQ(changes[i].kind, expected[i].kind);
    EXPECT_EQ(changes[i].name, expected[i].name);
    EXPECT_EQ(changes[i].erasesMore, expected[i].erasesMore);
    EXPECT_EQ(changes[i].appliesHere, expected[i].appliesHere);
    EXPECT_EQ(changes[i].refused.size(), expected[i].refused);
    EXPECT_EQ(changes[i].keptData.size(), expected[i].keptData);
    EXPECT_EQ(catalogue::rules::Alarming(changes[i]), expected[i].refused + expected[i].keptData > 0);
  }
}
