// The shipped rule files on a Windows 11 user's profile of today: with every entry ticked, every
// seeded trace goes and every piece of the user's own data beside it stays.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/catalogue_fixture.h"
#include "catalogue/rule_paths.h"
#include "catalogue/rules.h"
#include "shipped_rules.h"
#include "support/todays_profile.h"

using namespace testing_support;
namespace profile = testing_support::todays_profile;

namespace {

class TodaysProfile : public CatalogueTest {
 protected:
  // The user's temporary folder is a scratch folder of its own: the rules empty it.
  TempFolder userTemp;
  ScopedEnvironment tmp{L"TMP", userTemp.Path()};
  ScopedEnvironment temp{L"TEMP", userTemp.Path()};

  void SetUp() override {
    for (const ShippedFile& file : kShippedRules)
      WriteText(program / (L"rules\\" + std::wstring(file.fileName)), file.text);
  }
  // The prefix is shared with the other tests: what the seeding made goes again, and nothing else.
  void TearDown() override {
    for (const std::wstring& made : madeFiles_) {
      DeleteFileW(made.c_str());
      RemoveTree(made);
    }
    for (const std::wstring& key : madeKeys_) RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    for (const auto& [key, value] : madeValues_) RegDeleteKeyValueW(HKEY_CURRENT_USER, key.c_str(), value.c_str());
  }

  static std::wstring PathOf(const profile::SeededFile& file) {
    catalogue::rules::PathExpander expander;
    std::vector<std::wstring> folders = expander.Expand(L"%" + std::wstring(file.variable) + L"%").found;
    return folders.empty() ? L"" : folders[0] + L"\\" + file.path;
  }
  static std::wstring Parent(const std::wstring& path) {
    size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? L"" : path.substr(0, slash);
  }
  static bool Present(const profile::SeededValue& value) {
    return *value.value ? ValueExists(HKEY_CURRENT_USER, value.key, value.value)
                        : KeyExists(HKEY_CURRENT_USER, value.key);
  }

  void Seed(const profile::SeededFile& file) {
    const std::wstring path = PathOf(file);
    std::wstring top;
    ASSERT_FALSE(path.empty()) << file.variable;
    for (std::wstring at = path; !at.empty() && !Exists(at); at = Parent(at)) top = at;
    if (!top.empty()) madeFiles_.push_back(top);
    MakeFile(path, 64);
  }
  void Seed(const profile::SeededValue& value) {
    std::wstring top;
    for (std::wstring at = value.key; !at.empty() && !KeyExists(HKEY_CURRENT_USER, at); at = Parent(at)) top = at;
    const wchar_t* name = *value.value ? value.value : L"x";
    if (top.empty()) {
      madeValues_.emplace_back(value.key, name);
    } else {
      madeKeys_.push_back(top);
    }
    SetString(HKEY_CURRENT_USER, value.key, name, L"seeded");
  }
  void SeedProfile() {
    for (const profile::SeededFile& file : profile::kTraceFiles) Seed(file);
    for (const profile::SeededFile& file : profile::kUserFiles) Seed(file);
    for (const profile::SeededValue& value : profile::kTraceValues) Seed(value);
    for (const profile::SeededValue& value : profile::kUserValues) Seed(value);
  }
  std::vector<catalogue::rules::RuleChoice> Choices() const { return catalogue::rules::RuleChoices(program.Path()); }

 private:
  std::vector<std::wstring> madeFiles_;  // files, or the top folders the seeding made
  std::vector<std::wstring> madeKeys_;   // the top keys the seeding made
  std::vector<std::pair<std::wstring, std::wstring>> madeValues_;
};

}  // namespace

TEST_F(TodaysProfile, EveryShippedEntryIsSoundAndDetectedOnlyWhereItsProgramIs) {
  std::vector<catalogue::rules::RuleChoice> before = Choices();
  ASSERT_GE(before.size(), 70u);
  for (const catalogue::rules::RuleChoice& choice : before) {
    const catalogue::rules::Rule& rule = choice.rule;
    EXPECT_FALSE(rule.detectFiles.empty() && rule.detectKeys.empty()) << "detects nothing: " << rule.name;
    EXPECT_TRUE(rule.category == L"Windows" || rule.category == L"Browsers" || rule.category == L"Applications")
        << rule.name << ": " << rule.category;
    if (rule.category != L"Windows") {
      EXPECT_FALSE(choice.detected) << "found on an empty profile: " << rule.name;
    }
  }
  SeedProfile();
  for (const catalogue::rules::RuleChoice& choice : Choices()) {
    EXPECT_TRUE(choice.detected) << "not found on the seeded profile: " << choice.rule.name;
    EXPECT_EQ(catalogue::rules::RefusedFolders(choice.rule, engine::PathGuard(program.Path())),
              std::vector<std::wstring>{})
        << choice.rule.name;
  }
}

TEST_F(TodaysProfile, EveryTraceGoesAndEveryPieceOfUserDataStays) {
  SeedProfile();
  std::wstring settings = program / L"prisd.dat";
  for (const catalogue::rules::RuleChoice& choice : Choices()) {
    settings::inifun::WriteIniValue(settings, choice.rule.section, choice.rule.name, L"1");
  }
  // The temporary files were seeded a moment ago: any age lets them go.
  settings::inifun::WriteIniValue(settings, L"Options", L"TempMinAgeHours", L"0");
  run::CleanRun run(view, program.Path(), values, catalogue::Stages());
  run.CleanNow();
  for (const profile::SeededFile& file : profile::kTraceFiles)
    ExpectGone(PathOf(file), ::testing::Message() << "stayed: " << file.path);
  for (const profile::SeededFile& file : profile::kUserFiles)
    ExpectKept(PathOf(file), ::testing::Message() << "lost: " << file.path);
  for (const profile::SeededValue& value : profile::kTraceValues) {
    EXPECT_FALSE(Present(value)) << "stayed: " << value.key << " " << value.value;
  }
  for (const profile::SeededValue& value : profile::kUserValues) {
    EXPECT_TRUE(Present(value)) << "lost: " << value.key << " " << value.value;
  }
  ExpectKept(userTemp.Path());
}
