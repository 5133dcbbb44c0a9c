#include "engine/path_guard.h"

#include <gtest/gtest.h>

#include "platform/settings_folder.h"
#include "platform/text.h"
#include "support/test_support.h"

using engine::ErasablePath;
using engine::GuardPath;
using engine::Refusal;

namespace {

std::wstring Environment(const wchar_t* name) {
  wchar_t buffer[MAX_PATH] = L"";
  GetEnvironmentVariableW(name, buffer, MAX_PATH);
  return buffer;
}

std::wstring ShortName(const std::wstring& path) {
  wchar_t buffer[MAX_PATH] = L"";
  DWORD n = GetShortPathNameW(path.c_str(), buffer, MAX_PATH);
  return n > 0 && n < MAX_PATH ? buffer : L"";
}

}  // namespace

// A folder's listing answers for the system where it can tell: a name in any letter case the system
// ignores, and a name that is not there; never for a name that may be an entry's short name.
TEST(PathGuard, AListingAnswersANameAsTheSystemWould) {
  engine::ListedNames names;
  for (const wchar_t* name : {L"Cache", L"report.", L"\u00C4rger", L"Generated Program 0040"}) names.Add({name});
  struct Case {
    const wchar_t* asked;
    std::wstring found;  // empty: not there
    bool certain;
  };
  const Case cases[] = {
      {L"cACHE", L"Cache", true},
      {L"\u00E4RGER", L"\u00C4rger", true},
      {L"Generated Program 0041", L"", true},
      {L"report", L"", false},
      {L"GENERA~1", L"", false},
  };
  for (const Case& c : cases) {
    const engine::ListedNames::Answer answer = names.Find(c.asked);
    EXPECT_EQ(answer.entry ? answer.entry->name : L"", c.found) << c.asked;
    EXPECT_EQ(answer.certain, c.certain) << c.asked;
  }
  EXPECT_FALSE(engine::ListedNames::Missing().Find(L"x").entry);
  EXPECT_TRUE(engine::ListedNames::Missing().Find(L"x").certain);
}

// Every refusal has a reason for the details and a description for a message.
TEST(PathGuard, EveryRefusalIsExplained) {
  EXPECT_STREQ(engine::RefusalReason(Refusal::None), L"");
  for (int value = static_cast<int>(Refusal::NotAFullPath); value <= static_cast<int>(Refusal::NoIdentity); ++value) {
    EXPECT_STRNE(engine::RefusalReason(static_cast<Refusal>(value)), L"") << value;
    EXPECT_STRNE(engine::RefusalDescription(static_cast<Refusal>(value)), L"") << value;
  }
}

TEST(PathGuard, RefusesPathsNoErasureMayTouch) {
  std::wstring windows = Environment(L"windir");
  std::wstring profile = Environment(L"USERPROFILE");
  ASSERT_FALSE(windows.empty());
  ASSERT_FALSE(profile.empty());
  for (const std::wstring& path :
       {std::wstring(), std::wstring(L"Error"), std::wstring(L"Error\\Cache"), std::wstring(L"relative\\folder"),
        std::wstring(L"C:"), std::wstring(L"C:\\"), std::wstring(L"c:/"), std::wstring(L"C:\\Windows\\.."),
        std::wstring(L"\\\\server\\share"), std::wstring(L"\\\\?\\C:\\"), windows, windows + L"\\", profile,
        profile + L"\\", profile + L"\\..", Environment(L"ProgramFiles"), std::wstring(L"C:\\Users")}) {
    EXPECT_FALSE(ErasablePath(path)) << path;
  }
}

TEST(PathGuard, AcceptsFoldersBelowProtectedOnes) {
  std::wstring windows = Environment(L"windir");
  std::wstring profile = Environment(L"USERPROFILE");
  auto temp = ErasablePath(windows + L"\\Temp\\");
  ASSERT_TRUE(temp);
  EXPECT_TRUE(platform::EqualsNoCase(*temp, windows + L"\\Temp")) << *temp;
  EXPECT_TRUE(ErasablePath(profile + L"\\AppData\\Roaming"));
  EXPECT_TRUE(ErasablePath(L"D:\\data"));
}

TEST(PathGuard, DecidesOnTheCanonicalFormOfEverySpelling) {
  testing_support::TempFolder program;
  testing_support::MakeFolders(program / L"plus-in");
  const std::wstring windows = Environment(L"windir");
  const std::wstring programFiles = Environment(L"ProgramFiles");
  const std::wstring shortProgramFiles = ShortName(programFiles);
  ASSERT_FALSE(shortProgramFiles.empty());
  ASSERT_NE(shortProgramFiles, programFiles);
  EXPECT_TRUE(platform::EqualsNoCase(engine::CanonicalPath(shortProgramFiles + L"\\"), programFiles));
  struct Case {
    std::wstring path;
    Refusal refusal;
  };
  const Case cases[] = {
      {shortProgramFiles, Refusal::ProtectedFolder},
      {L"\\\\?\\" + programFiles, Refusal::ProtectedFolder},
      {programFiles + L". .", Refusal::ProtectedFolder},
      {platform::ToLower(windows) + L"\\system32\\..\\", Refusal::ProtectedFolder},
      {L"c:\\", Refusal::DriveRoot},
      {L"\\\\?\\C:\\", Refusal::DriveRoot},
      {L"C:\\.", Refusal::DriveRoot},
      {program.Path(), Refusal::ProgramFolder},
      {ShortName(program.Path()) + L"\\PLUS-IN", Refusal::ProgramFolder},
      {program / L"prisd.dat", Refusal::ProgramFolder},
      {platform::UserSettingsFolder() + L"\\keepcook.dat", Refusal::ProgramFolder},
      {L"Error\\Cache", Refusal::NotAFullPath},
      {programFiles + L"\\Example", Refusal::None},
      {windows + L"\\Temp", Refusal::None},
  };
  for (const Case& c : cases) EXPECT_EQ(GuardPath(c.path, program.Path()).refusal, c.refusal) << c.path;
}

TEST(PathGuard, ALinkIsJudgedByWhereItLeads) {
  wchar_t fixture[MAX_PATH] = L"";
  ASSERT_GT(GetEnvironmentVariableW(L"TRELLWIPE_LINK_FIXTURE", fixture, MAX_PATH), 0u)
      << "run through scripts/wine-emulator.sh, which makes the links";
  EXPECT_EQ(GuardPath(std::wstring(fixture) + L"\\links\\windows").refusal, Refusal::ProtectedFolder);
  EXPECT_EQ(GuardPath(std::wstring(fixture) + L"\\links\\root").refusal, Refusal::DriveRoot);
  EXPECT_EQ(GuardPath(std::wstring(fixture) + L"\\links\\windows\\Temp").refusal, Refusal::None);
  // The search and the shredder keep out of the Windows folder also through a link.
  EXPECT_EQ(engine::GuardFoundFile(std::wstring(fixture) + L"\\links\\windows\\Temp\\x.tmp", {}).refusal,
            Refusal::ProtectedFolder);
  EXPECT_EQ(engine::GuardShredTarget(std::wstring(fixture) + L"\\links\\windows\\system32", {}).refusal,
            Refusal::ProtectedFolder);
}

// The search deletes nothing below the program folder, the Windows folder or Program Files.
TEST(PathGuard, TheSearchKeepsOutOfSystemFoldersAtAnyDepth) {
  testing_support::TempFolder program;
  const std::wstring windows = Environment(L"windir");
  const std::wstring programFiles = Environment(L"ProgramFiles");
  for (const std::wstring& path :
       std::vector<std::wstring>{windows + L"\\Temp\\found.tmp", ShortName(programFiles) + L"\\App\\found.tmp",
                                 program / L"Ext.txt"}) {
    EXPECT_FALSE(engine::GuardFoundFile(path, program.Path())) << path;
  }
  EXPECT_TRUE(engine::GuardFoundFile(program.Path() + L"-other\\found.tmp", program.Path()));
}

// The guard decides on the canonical form and hands the exact one on: a name's own trailing dots and
// blanks stay, "." and ".." and "/" are read as the system reads them.
TEST(PathGuard, HandsOnTheExactEntryNamed) {
  struct Case {
    std::wstring path, exact, canonical;
  };
  const Case cases[] = {
      {L"D:\\td\\report.", L"D:\\td\\report.", L"D:\\td\\report"},
      {L"\\\\?\\D:\\td\\notes \\", L"D:\\td\\notes ", L"D:\\td\\notes"},
      {L"d:/td/./x/../lonely. ", L"D:\\td\\lonely. ", L"D:\\td\\lonely"},
      {L"D:\\td\\report", L"D:\\td\\report", L"D:\\td\\report"},
  };
  for (const Case& c : cases) {
    engine::GuardDecision decision = GuardPath(c.path);
    EXPECT_TRUE(decision) << c.path;
    EXPECT_EQ(decision.exact, c.exact) << c.path;
    EXPECT_EQ(decision.path, c.canonical) << c.path;
    EXPECT_EQ(engine::ExactPath(c.path), c.exact) << c.path;
  }
  EXPECT_EQ(GuardPath(Environment(L"windir") + L". ").refusal, Refusal::ProtectedFolder);
}

// One guard for the many paths of a task remembers what it learned of the disk, by the text it asked
// with: a name, a short name or a link met after its folder was learned is judged as by a fresh guard.
TEST(PathGuard, OneGuardForATaskJudgesEveryPathAsAFreshGuardWould) {
  wchar_t fixture[MAX_PATH] = L"";
  ASSERT_GT(GetEnvironmentVariableW(L"TRELLWIPE_LINK_FIXTURE", fixture, MAX_PATH), 0u);
  const std::wstring links = std::wstring(fixture) + L"\\links";
  testing_support::TempFolder program, data;
  testing_support::MakeFolders(program / L"plus-in");
  testing_support::MakeFolders(data / L"Long Folder Name\\inside");
  testing_support::MakeFolders(data / L"\u00C4rger");
  const std::wstring shortName = ShortName(data / L"Long Folder Name");
  ASSERT_NE(shortName, data / L"Long Folder Name");
  const std::wstring windows = Environment(L"windir");
  const std::wstring programFiles = Environment(L"ProgramFiles");
  struct Case {
    std::wstring path;
    Refusal refusal;
  };
  const Case cases[] = {
      {windows + L"\\Temp", Refusal::None},
      {links + L"\\windows\\Temp", Refusal::None},
      {links + L"\\windows", Refusal::ProtectedFolder},
      {platform::ToLower(windows), Refusal::ProtectedFolder},
      {windows + L". ", Refusal::ProtectedFolder},
      {links + L"\\root", Refusal::DriveRoot},
      {programFiles + L"\\Example", Refusal::None},
      {ShortName(programFiles), Refusal::ProtectedFolder},
      {program / L"plus-in\\cache", Refusal::ProgramFolder},
      {ShortName(program.Path()) + L"\\PLUS-IN", Refusal::ProgramFolder},
      {program.Path() + L"-other\\cache", Refusal::None},
      // Looked up in the one listing of their folder that the first of them made.
      {data / L"long folder name\\inside", Refusal::None},
      {shortName + L"\\inside", Refusal::None},
      {data / L"\u00E4RGER\\new", Refusal::None},
      {data / L"absent\\below", Refusal::None},
  };
  const engine::PathGuard task(program.Path());
  for (const Case& c : cases) {
    const engine::GuardDecision remembered = task.Check(c.path), fresh = GuardPath(c.path, program.Path());
    EXPECT_EQ(remembered.refusal, c.refusal) << c.path;
    EXPECT_EQ(fresh.refusal, c.refusal) << c.path;
    EXPECT_EQ(remembered.path, fresh.path) << c.path;
    EXPECT_EQ(remembered.exact, fresh.exact) << c.path;
  }
}
