// A save killed at any moment: a child process (this test program, started again with an
// environment variable) saves a large list over and over until it is ended with TerminateProcess;
// the file must then hold one complete list, and what the kill left behind must not disturb the
// next load or save.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/kept_paths_file.h"
#include "keeplists/keep_list_file.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "settings/custom_list.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

constexpr wchar_t kLoopVariable[] = L"TRELLWIPE_TEST_SAVE_LOOP";
constexpr size_t kEntries = 20000;

std::vector<std::wstring> Paths(wchar_t mark) {
  std::vector<std::wstring> paths;
  for (size_t i = 0; i < kEntries; ++i) {
    paths.push_back(L"C:\\Saved\\Folder " + std::wstring(1, mark) + L"\\entry-" + std::to_wstring(i) + L".txt");
  }
  return paths;
}

std::vector<settings::CustomEntry> CustomEntries(wchar_t mark) {
  std::vector<settings::CustomEntry> entries;
  for (std::wstring& path : Paths(mark)) entries.push_back({std::move(path), L"File"});
  return entries;
}

std::string CustomText(wchar_t mark) {
  std::string text;
  for (const std::wstring& path : Paths(mark)) text += platform::Narrow(path) + "\tFile\r\n";
  return text;
}

std::string KeepText(wchar_t mark) {
  std::string text;
  for (const std::wstring& path : Paths(mark)) text += platform::Narrow(path) + "\r\n";
  return text;
}

constexpr char kAppended[] = "http://appended.example/";
// Kept and taken off again and again; no 8-bit code page holds its name.
constexpr wchar_t kToggled[] = L"C:\\Saved\\\u03A9\u4E2D\\toggled.txt";

// The child's side: "custom|<file>", "keep|<file>" or "paths|<file>" in the variable. It never returns.
[[noreturn]] void SaveForever(const std::wstring& kind, const std::wstring& file) {
  if (kind == L"paths") {
    const std::wstring program = file.substr(0, file.find_last_of(L'\\'));
    for (;;) {
      engine::KeepPath(program, kToggled, L"the test");
      engine::UnkeepPath(program, kToggled);
    }
  }
  if (kind == L"custom") {
    std::vector<settings::CustomEntry> a = CustomEntries(L'A'), b = CustomEntries(L'B');
    for (;;) {
      settings::WriteCustomList(file, a);
      settings::WriteCustomList(file, b);
    }
  }
  std::vector<std::wstring> a = Paths(L'A'), b = Paths(L'B');
  for (;;) {
    keeplists::RewriteKeepList(file, a);
    keeplists::AppendToKeepList(file, platform::Widen(kAppended));
    keeplists::RewriteKeepList(file, b);
    keeplists::AppendToKeepList(file, platform::Widen(kAppended));
  }
}

// Runs before the tests when the program was started as such a child.
struct ChildSaver {
  ChildSaver() {
    wchar_t value[1024] = L"";
    DWORD length = GetEnvironmentVariableW(kLoopVariable, value, 1024);
    if (length == 0 || length >= 1024) return;
    std::wstring text(value, length);
    size_t bar = text.find(L'|');
    if (bar == std::wstring::npos) ExitProcess(3);
    SaveForever(text.substr(0, bar), text.substr(bar + 1));
  }
} childSaver;

std::vector<std::wstring> TempSiblings(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  platform::FindHandle find(FindFirstFileW((folder + L"\\*.tmp").c_str(), &data));
  if (!find) return names;
  do {
    names.push_back(data.cFileName);
  } while (FindNextFileW(find.get(), &data));
  return names;
}

// The test program copied to drive C:, the only drive the test prefix has: Wine starts no program
// from the Unix path the tests run from. For that path Wine's GetModuleFileNameW gives
// "unix\tmp\...", which opens only with the "\\?\" in front that it left off.
class ChildProgram {
 public:
  ChildProgram() {
    wchar_t self[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring source = self;
    if (source.starts_with(L"unix\\")) source.insert(0, L"\\\\?\\");
    copied_ = CopyFileW(source.c_str(), path_.c_str(), FALSE);
  }
  bool Copied() const { return copied_; }
  const std::wstring& Path() const { return path_; }
  const std::wstring& Folder() const { return folder_.Path(); }

 private:
  TempFolder folder_;
  std::wstring path_ = folder_ / L"save_loop.exe";
  bool copied_ = false;
};

// Starts the child, waits until it has replaced the file at least once, lets it go on for a while
// and kills it.
void KillWhileSaving(const ChildProgram& child, const std::wstring& kind, const std::wstring& file,
                     const std::string& before, DWORD extraMs) {
  ScopedEnvironment loop(kLoopVariable, kind + L"|" + file);
  std::wstring command = L"\"" + child.Path() + L"\" --gtest_list_tests";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(child.Path().c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             child.Folder().c_str(), &startup, &process))
      << "error " << GetLastError();
  platform::UniqueHandle running(process.hProcess), thread(process.hThread);
  for (int wait = 0; wait < 3000 && ReadText(file) == before; ++wait) {
    ASSERT_EQ(WaitForSingleObject(running.get(), 10), static_cast<DWORD>(WAIT_TIMEOUT)) << "the child ended early";
  }
  Sleep(extraMs);
  ASSERT_TRUE(TerminateProcess(running.get(), 9));
  ASSERT_EQ(WaitForSingleObject(running.get(), 10000), static_cast<DWORD>(WAIT_OBJECT_0));
}

const DWORD kMoments[] = {0, 3, 7, 15, 25, 40, 60, 90};

}  // namespace

TEST(KilledSave, ACustomListIsAlwaysTheWholeOldOrTheWholeNewList) {
  TempFolder program;
  ChildProgram child;
  ASSERT_TRUE(child.Copied());
  std::wstring file = settings::CustomListFile(program.Path());
  std::string old = "C:\\Before\\only.txt\tFile\r\n";
  WriteText(file, old);
  std::string a = CustomText(L'A'), b = CustomText(L'B');
  for (DWORD moment : kMoments) {
    std::string before = ReadText(file);
    ASSERT_NO_FATAL_FAILURE(KillWhileSaving(child, L"custom", file, before, moment));
    std::string after = ReadText(file);
    EXPECT_TRUE(after == a || after == b) << "killed after " << moment << " ms: " << after.size() << " bytes";
    EXPECT_EQ(settings::ReadCustomList(file).size(), kEntries);
  }
  // Whatever temporary files the kills left behind, the next save and load work.
  ASSERT_TRUE(settings::WriteCustomList(file, {{L"C:\\After\\one.txt", L"File"}}));
  EXPECT_EQ(ReadText(file), "C:\\After\\one.txt\tFile\r\n");
  std::vector<settings::CustomEntry> entries = settings::ReadCustomList(file);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].path, L"C:\\After\\one.txt");
  for (const std::wstring& name : TempSiblings(program.Path())) EXPECT_TRUE(name.starts_with(L"cusd.dat.")) << name;
}

TEST(KilledSave, AKeepListIsAlwaysAWholeList) {
  TempFolder program;
  ChildProgram child;
  ASSERT_TRUE(child.Copied());
  std::wstring file = keeplists::UrlKeepListFile(program.Path());
  WriteText(file, "http://before.example/\r\n");
  std::string a = KeepText(L'A'), b = KeepText(L'B');
  std::string appended = std::string(kAppended) + "\r\n";
  for (DWORD moment : kMoments) {
    ASSERT_NO_FATAL_FAILURE(KillWhileSaving(child, L"keep", file, ReadText(file), moment));
    // A rewrite may fail while this test reads the file; the appends after it then stack up.
    std::string after = ReadText(file);
    size_t appends = 0;
    while (after.ends_with(appended)) {
      after.resize(after.size() - appended.size());
      ++appends;
    }
    EXPECT_TRUE(after == a || after == b) << "killed after " << moment << " ms: " << after.size() << " bytes";
    EXPECT_EQ(keeplists::LoadKeepList(file).size(), kEntries + appends);
  }
  ASSERT_TRUE(keeplists::AppendToKeepList(file, L"http://last.example/"));
  EXPECT_EQ(keeplists::LoadKeepList(file).back(), L"http://last.example/");
  ASSERT_TRUE(keeplists::RewriteKeepList(file, {L"http://only.example/"}));
  EXPECT_EQ(ReadText(file), "http://only.example/\r\n");
}

TEST(KilledSave, TheFilesAndFoldersToKeepAreAlwaysAWholeList) {
  TempFolder program;
  ChildProgram child;
  ASSERT_TRUE(child.Copied());
  const std::wstring file = engine::KeptPathsFile(program.Path());
  std::string whole;
  for (const std::wstring& path : Paths(L'A')) whole += platform::ToUtf8(path) + "\tthe console\r\n";
  WriteText(file, whole);
  const std::string added = platform::ToUtf8(kToggled) + "\tthe test\r\n";
  for (DWORD moment : kMoments) {
    ASSERT_NO_FATAL_FAILURE(KillWhileSaving(child, L"paths", file, ReadText(file), moment));
    std::string after = ReadText(file);
    EXPECT_TRUE(after == whole || after == whole + added) << "killed after " << moment << " ms: " << after.size();
    auto entries = engine::LoadKeptPaths(program.Path());
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), kEntries + (after == whole ? 0 : 1));
    if (after != whole) {
      EXPECT_EQ(entries->back(), (engine::KeptPathLine{kToggled, L"the test"}));
    }
  }
}
