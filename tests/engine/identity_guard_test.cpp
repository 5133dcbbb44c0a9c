// The guard knows the protected folders by what they are on the disk. The test emulator gives these
// tests other names of drive C:'s folders: drive Y:, the sandbox folder that holds the prefix (so
// Y:\prefix\drive_c is drive C:'s root, as Wine's drive Z: names it), and the link
// C:\linkfixture\up, which leads to C:\linkfixture\app, the parent of the program folder.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "engine/allerase.h"
#include "engine/path_guard.h"
#include "platform/text.h"
#include "support/test_support.h"

using namespace engine::allerase;
using namespace testing_support;

namespace {

const std::wstring kApp = L"C:\\linkfixture\\app";
const std::wstring kOnY = L"Y:\\prefix\\drive_c";

struct Walk {
  const char* name;
  std::function<void(const EraseContext&, const std::wstring&)> run;
};

const Walk kWalks[] = {
    {"tree", [](const EraseContext& erase, const std::wstring& f) { EraseAllFilesInTree(erase, f); }},
    {"recreate", [](const EraseContext& erase, const std::wstring& f) { RecreateFolder(erase, f); }},
    {"folder", [](const EraseContext& erase, const std::wstring& f) { EraseFolder(erase, f); }},
    {"named folders",
     [](const EraseContext& erase, const std::wstring& f) { EraseNamedFoldersInTree(erase, f, L"other"); }},
    {"pattern",
     [](const EraseContext& erase, const std::wstring& f) {
       EraseFilesWhere(
           erase, f, [](auto&, auto&) { return true; }, true, true, false);
     }},
};

// The program folder app\Trellwipe with its settings and a plug-in, and a cache beside it.
void LayOutApp() {
  MakeFile(kApp + L"\\Trellwipe\\prisd.dat", 4);
  MakeFile(kApp + L"\\Trellwipe\\plug-in\\Example.ppe", 4);
  MakeFile(kApp + L"\\other\\cache.tmp", 4);
}

struct Recorded {
  engine::RunReport report;
  engine::RunRecorder recorder{report};
  EraseContext erase;
  explicit Recorded(engine::EraseMode mode = engine::EraseMode::Erase) {
    recorder.BeginItem(L"S", L"K", L"L");
    erase.recorder = &recorder;
    erase.mode = mode;
    erase.programFolder = engine::CanonicalPath(kApp + L"\\Trellwipe");
  }
  bool LeftBehind(const std::wstring& path, const std::wstring& reason) const {
    for (const engine::LeftRecord& left : report.items[0].leftBehind) {
      if (platform::EqualsNoCase(left.path, path) && left.reason == reason) return true;
    }
    return false;
  }
};

}  // namespace

// Walks that start above the program folder under another name of its parent meet it, know it and
// leave it whole.
TEST(IdentityGuard, NoWalkEntersTheProgramFolderUnderAnyNameOfItsParent) {
  ASSERT_NE(Attributes(kOnY), INVALID_FILE_ATTRIBUTES) << "run through scripts/wine-emulator.sh, which maps Y:";
  // Wine reaches no share of its own drives ("\\localhost\C$" gives ERROR_BAD_DEV_TYPE); where the system
  // does, the share's name of the folder is walked too.
  const std::wstring share = L"\\\\localhost\\C$\\linkfixture\\app";
  std::vector<std::wstring> parents{kOnY + L"\\linkfixture\\app"};
  if (Attributes(share) != INVALID_FILE_ATTRIBUTES) parents.push_back(share);
  for (const std::wstring& parent : parents) {
    for (const Walk& walk : kWalks) {
      LayOutApp();
      Recorded run;
      walk.run(run.erase, parent);
      SCOPED_TRACE(walk.name);
      ExpectKept(kApp + L"\\Trellwipe\\prisd.dat");
      ExpectKept(kApp + L"\\Trellwipe\\plug-in\\Example.ppe");
      ExpectGone(kApp + L"\\other\\cache.tmp");
      EXPECT_TRUE(run.LeftBehind(parent + L"\\Trellwipe", L"refused: Trellwipe's own folder"));
    }
  }
}

// A walk from a Unix folder above drive C: (here the sandbox's prefix folder, looked at only) meets
// C:'s root and stops there.
TEST(IdentityGuard, AWalkFromAboveADriveStopsAtItsRoot) {
  MakeFile(L"C:\\linkfixture\\below-c.txt", 4);
  Recorded run(engine::EraseMode::Preview);
  EraseAllFilesInTree(run.erase, L"Y:\\prefix");
  EXPECT_TRUE(run.LeftBehind(kOnY, L"refused: a drive root"));
  EXPECT_FALSE(run.report.items[0].files.empty());
  for (const engine::FileRecord& file : run.report.items[0].files) {
    EXPECT_FALSE(platform::IsBelow(file.path, kOnY)) << platform::Narrow(file.path);
  }
}

// A starting folder that is a link is not walked: nothing it leads to goes.
TEST(IdentityGuard, AStartingFolderThatIsALinkIsNotWalked) {
  for (const Walk& walk : kWalks) {
    LayOutApp();
    Recorded run;
    walk.run(run.erase, L"C:\\linkfixture\\up");
    SCOPED_TRACE(walk.name);
    ExpectKept(kApp + L"\\other\\cache.tmp");
    EXPECT_TRUE(run.LeftBehind(L"C:\\linkfixture\\up", L"refused: a link"));
  }
}

// A link above a browser's profile folder names its kept files otherwise: every walk still knows
// them by where the link leads, leaves them and says why, and takes the traces beside them.
TEST(IdentityGuard, KeptFilesStayWhenALinkAboveThemNamesThemOtherwise) {
  const std::wstring profile = L"C:\\linkfixture\\Chrome\\User Data\\Default";
  const std::wstring linked = L"C:\\linkfixture\\ChromeLink\\Default";
  for (const Walk& walk : kWalks) {
    for (const wchar_t* file : {L"\\Preferences", L"\\other\\Preferences", L"\\other\\History"})
      MakeFile(profile + file, 4);
    Recorded run;
    walk.run(run.erase, linked);
    SCOPED_TRACE(walk.name);
    ExpectKept(profile + L"\\Preferences");
    ExpectKept(profile + L"\\other\\Preferences");
    ExpectGone(profile + L"\\other\\History");
    EXPECT_TRUE(run.LeftBehind(linked + L"\\other\\Preferences", L"refused: holds settings the user keeps"));
  }
}

// An exclusion's folder is known by what it is, for the names the system does not bring to one text.
TEST(IdentityGuard, AFolderIdentityHoldsItselfAndWhatIsBelowItUnderAnyName) {
  LayOutApp();
  const std::wstring other = kApp + L"\\other", onY = kOnY + L"\\linkfixture\\app\\other";
  struct Case {
    std::wstring identity, folder;
    bool orBelow, holds;
  };
  const Case cases[] = {
      {other, other, false, true},
      {kApp, other, false, false},
      {kApp, other, true, true},
      {kApp, onY, true, true},
      {other, onY, false, true},
      {other, kApp + L"\\Trellwipe", true, false},
      {kApp + L"\\Trellwipe", kApp, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(platform::Narrow(c.identity + L" holds " + c.folder));
    std::optional<engine::FolderIdentity> identity = engine::FolderIdentity::Of(c.identity);
    ASSERT_TRUE(identity);
    EXPECT_EQ(identity->Holds(c.folder, c.orBelow), c.holds);
  }
  EXPECT_FALSE(engine::FolderIdentity::Of(kApp + L"\\missing"));
}

// A walk judges each folder through the handle it lists the folder with: the refusal is the one the
// folder's path gets, under every name of it.
TEST(IdentityGuard, AFolderOpenedToBeListedIsRefusedAsItsPathIs) {
  LayOutApp();
  wchar_t profile[MAX_PATH] = L"";
  ASSERT_GT(GetEnvironmentVariableW(L"USERPROFILE", profile, MAX_PATH), 0u);
  using engine::Refusal;
  const std::pair<std::wstring, Refusal> cases[] = {
      {kApp + L"\\other", Refusal::None},
      {kApp + L"\\Trellwipe", Refusal::ProgramFolder},
      {kOnY + L"\\linkfixture\\app\\Trellwipe", Refusal::ProgramFolder},
      {L"C:\\linkfixture\\up\\Trellwipe", Refusal::ProgramFolder},
      {profile, Refusal::ProtectedFolder},
      {L"C:\\", Refusal::DriveRoot},
      {kOnY, Refusal::DriveRoot},
  };
  Recorded run;
  for (const auto& [folder, refusal] : cases) {
    SCOPED_TRACE(platform::Narrow(folder));
    platform::FileHandle opened = platform::OpenFolder(folder);
    ASSERT_TRUE(opened);
    EXPECT_EQ(engine::FolderRefusal(run.erase, folder, opened.get(), false), refusal);
    EXPECT_EQ(engine::FolderRefusal(run.erase, folder, false), refusal);
  }
}
