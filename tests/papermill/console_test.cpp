// Papermill.exe's console form, started as a script starts it: its output, its exit codes, and a wipe
// killed midway whose leftovers the next start removes.
#include <gtest/gtest.h>

#include "platform/handles.h"
#include "platform/text.h"
#include "shredder/free_space.h"
#include "support/policy_keys.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

struct Started {
  platform::UniqueHandle process;
  platform::FileHandle output;  // stdout and stderr together
};

// The emulator puts Papermill.exe, built beside the tests, into the fixture folder.
Started Start(const std::wstring& arguments, const std::wstring& directory = {}) {
  wchar_t fixture[MAX_PATH] = L"";
  GetEnvironmentVariableW(L"TRELLWIPE_LINK_FIXTURE", fixture, MAX_PATH);
  std::wstring program = std::wstring(fixture) + L"\\Papermill.exe";
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  Started started;
  if (!CreatePipe(&read, &write, &inherit, 0)) return started;
  started.output.reset(read);
  platform::FileHandle writeEnd(write);
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write;
  startup.hStdError = write;
  std::wstring command = L"\"" + program + L"\" " + arguments;
  PROCESS_INFORMATION info{};
  if (CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                     directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
    started.process.reset(info.hProcess);
    CloseHandle(info.hThread);
  }
  return started;
}

struct Finished {
  DWORD code = 0xFFFF;
  std::string output;
};

Finished RunToEnd(const std::wstring& arguments, const std::wstring& directory = {}) {
  Started started = Start(arguments, directory);
  Finished finished;
  if (!started.process) return finished;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(started.output.get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
    finished.output.append(buffer, read);
  WaitForSingleObject(started.process.get(), 60000);
  GetExitCodeProcess(started.process.get(), &finished.code);
  return finished;
}

}  // namespace

TEST(PapermillConsole, ReportsWhatWentAndWhatStayedInItsExitCode) {
  TempFolder folder;
  MakeFile(folder / L"old letter.doc", 3000);
  MakeFile(folder / L"typed.doc", 3000);
  ScopedEnvironment limit(L"PAPERMILL_WIPE_LIMIT", L"2000000");
  struct Case {
    std::wstring arguments;
    DWORD code;
    const char* says;
  };
  const Case cases[] = {
      {L"--shred --random \"" + (folder / L"old letter.doc") + L"\"", 0, "Shredded 1 file (3 KB); 0 left."},
      {L"--shred \"" + (folder / L"gone.doc") + L"\"", 1, "gone.doc (not found)"},
      {L"--shred C:\\", 1, "Left: C:\\ (refused: a drive root)"},
      {L"--shred typed.doc", 0, "Shredded 1 file"},
      {L"--shred C:", 1, "Left: C: (refused: not a full path)"},
      {L"--shred", 2, "--shred needs at least one path."},
      {L"--wipe-free-space C:", 0, "The space is free again."},
      {L"--wipe-free-space Q:", 2, "There is no drive Q:\\"},
      {L"--wipe-free-space", 2, "needs one drive"},
      {L"--shredd x", 2, "Unknown option --shredd"},
      {L"--help", 0, "Solid-state disks"},
  };
  for (const Case& c : cases) {
    Finished finished = RunToEnd(c.arguments, folder.Path());
    EXPECT_EQ(finished.code, c.code) << platform::Narrow(c.arguments) << "\n" << finished.output;
    EXPECT_NE(finished.output.find(c.says), std::string::npos) << platform::Narrow(c.arguments) << "\n"
                                                               << finished.output;
  }
  ExpectGone(folder / L"old letter.doc");
  ExpectGone(folder / L"typed.doc");
  ExpectGone(shredder::WipeFolder(L"C:\\"));
}

// Killed midway, a wipe gives its space back (its files go when the system closes them) and leaves
// only its hidden folder, which the next start removes.
TEST(PapermillConsole, AWipeKilledMidwayLeavesNothingAfterTheNextStart) {
  const std::wstring folder = shredder::WipeFolder(L"C:\\");
  ScopedEnvironment limit(L"PAPERMILL_WIPE_LIMIT", L"4000000000");
  Started wipe = Start(L"--wipe-free-space C:");
  ASSERT_TRUE(wipe.process);
  bool filling = false;
  for (int i = 0; i < 20000 && !filling; ++i) {
    filling = Exists(folder + L"\\fill-1.tmp");
    if (!filling) Sleep(1);
  }
  ASSERT_TRUE(filling);
  ASSERT_EQ(WaitForSingleObject(wipe.process.get(), 0), DWORD{WAIT_TIMEOUT}) << "the wipe ended before the kill";
  TerminateProcess(wipe.process.get(), 9);
  WaitForSingleObject(wipe.process.get(), 10000);
  ASSERT_TRUE(Exists(folder));
  Finished next = RunToEnd(L"--help");
  EXPECT_NE(next.output.find("Removed what an interrupted wipe left: " + platform::Narrow(folder)), std::string::npos)
      << next.output;
  ExpectGone(folder);
}

// What Windows, programs and the profile need is refused at any depth; a folder of over 1,000 files
// goes only with --yes, and a few bytes are counted as bytes.
TEST(PapermillConsole, RefusesWhatTheSystemNeedsAndAsksForYesBeforeALargeFolder) {
  wchar_t windows[MAX_PATH] = L"", profile[MAX_PATH] = L"", programFiles[MAX_PATH] = L"";
  GetWindowsDirectoryW(windows, MAX_PATH);
  GetEnvironmentVariableW(L"USERPROFILE", profile, MAX_PATH);
  GetEnvironmentVariableW(L"ProgramFiles", programFiles, MAX_PATH);
  TempFolder folder;
  for (int i = 0; i <= 1000; ++i) MakeFile(folder / (L"many\\" + std::to_wstring(i) + L".txt"), 1);
  MakeFile(folder / L"small.txt", 10);
  for (const std::wstring& path :
       {std::wstring(windows) + L"\\system32\\drivers", std::wstring(windows) + L"\\system32\\ntdll.dll",
        std::wstring(programFiles) + L"\\Common Files", std::wstring(profile) + L"\\AppData\\Local",
        std::wstring(profile) + L"\\AppData"}) {
    ASSERT_TRUE(Exists(path)) << platform::Narrow(path);
    Finished finished = RunToEnd(L"--shred \"" + path + L"\"", folder.Path());
    EXPECT_EQ(finished.code, 1u) << platform::Narrow(path) << "\n" << finished.output;
    EXPECT_NE(finished.output.find("(refused: a protected folder)"), std::string::npos) << finished.output;
    ExpectKept(path);
  }
  Finished asked = RunToEnd(L"--shred small.txt many", folder.Path());
  EXPECT_EQ(asked.code, 2u) << asked.output;
  EXPECT_NE(asked.output.find("many holds 1001 files (1001 bytes). Shred the whole folder? Add --yes"),
            std::string::npos)
      << asked.output;
  ExpectKept(folder / L"small.txt");
  Finished done = RunToEnd(L"--shred --yes small.txt many", folder.Path());
  EXPECT_EQ(done.code, 0u) << done.output;
  EXPECT_NE(done.output.find("Shredded 1002 files (1011 bytes) and 1 folder; 0 left."), std::string::npos)
      << done.output;
  ExpectGone(folder / L"many");
}

// A folder of the wipe's name that holds someone's file stays and is named; the wipe still succeeds.
TEST(PapermillConsole, AWipeBesideAFolderOfItsNameThatHoldsAFileSucceedsAndNamesIt) {
  const std::wstring taken = shredder::WipeFolder(L"C:\\");
  MakeFile(taken + L"\\mine.txt", 10);
  ScopedEnvironment limit(L"PAPERMILL_WIPE_LIMIT", L"2000000");
  Finished finished = RunToEnd(L"--wipe-free-space C:");
  EXPECT_EQ(finished.code, 0u) << finished.output;
  EXPECT_NE(finished.output.find("The space is free again. The folder \"" + platform::Narrow(taken) +
                                 "\" holds files that are not the wipe's and was left as it is."),
            std::string::npos)
      << finished.output;
  ExpectKept(taken + L"\\mine.txt");
  RemoveTree(taken);
}

// Through the machine's own policy key, which Papermill reads as it starts.
TEST(PapermillConsole, TheOrganisationsSwitchesRefuseShreddingAndWipingWithASentence) {
  TempFolder folder;
  const std::wstring victim = folder / L"victim.txt";
  WriteText(victim, "stays");
  const struct {
    const wchar_t* policy;
    std::wstring arguments;
    const char* sentence;
  } kCases[] = {
      {L"ShredderAllowed", L"--shred \"" + victim + L"\"",
       "Your organisation does not allow shredding files with Trellwipe.\r\n"},
      {L"FreeSpaceWipeAllowed", L"--wipe-free-space " + victim.substr(0, 2),
       "Your organisation does not allow wiping free space with Trellwipe.\r\n"},
  };
  for (const auto& c : kCases) {
    MachinePolicyKey policy;
    PolicyKeys::SetNumber(policy.key.get(), L"", c.policy, 0);
    Finished finished = RunToEnd(c.arguments);
    EXPECT_EQ(finished.code, 1u) << finished.output;
    EXPECT_NE(finished.output.find(c.sentence), std::string::npos) << finished.output;
  }
  EXPECT_EQ(ReadText(victim), "stays");
}
