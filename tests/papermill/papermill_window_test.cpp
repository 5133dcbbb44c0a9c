// Papermill's window, hidden and driven with messages as a user would: paths from the command line,
// the pickers and a drop; the question before the shred; what stayed; the wipe on its own thread.
#include "papermill/papermill_window.h"

#include <gtest/gtest.h>
#include <shellapi.h>
#include <shlobj.h>

#include "papermill/handover.h"
#include "platform/languages.h"
#include "platform/window_text.h"
#include "shipped_translations.h"
#include "support/held_file.h"
#include "support/message_recorder.h"
#include "support/policy_keys.h"
#include "support/test_support.h"
#include "support/window_support.h"

using namespace testing_support;
using papermill::PapermillWindow;

namespace {

// What Explorer hands a window that files are dropped on.
HGLOBAL DropOf(const std::vector<std::wstring>& paths) {
  size_t characters = 1;
  for (const std::wstring& path : paths) characters += path.size() + 1;
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + characters * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  auto* at = reinterpret_cast<wchar_t*>(drop + 1);
  for (const std::wstring& path : paths) at = std::copy(path.begin(), path.end(), at) + 1;
  GlobalUnlock(memory);
  return memory;
}

void ClickControl(const PapermillWindow& window, WORD id) { Press(window.Control(id)); }

void PumpUntilIdle(const PapermillWindow& window) {
  for (int i = 0; i < 6000 && window.Wiping(); ++i) {
    PumpAll();
    Sleep(5);
  }
  PumpAll();
}

}  // namespace

TEST(PapermillWindow, QueuesTheCommandLinePickedAndDroppedPaths) {
  TempFolder folder;
  for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt", L"d\\e.txt", L"f.txt"}) MakeFile(folder / name, 2048);
  papermill::Pickers pickers{[&](HWND) {
                               return std::vector<std::wstring>{folder / L"b.txt", folder / L"c.txt"};
                             },
                             [&](HWND) { return folder / L"d"; }};
  TempFolder program;
  PapermillWindow window(program.Path(), {folder / L"a.txt"}, pickers);
  ASSERT_TRUE(window.Create(nullptr, false));
  ClickControl(window, PapermillWindow::kAddFilesId);
  ClickControl(window, PapermillWindow::kAddFolderId);
  SendMessageW(window.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf({folder / L"f.txt", folder / L"a.txt"})),
               0);
  EXPECT_EQ(window.Queue(), (std::vector<std::wstring>{folder / L"a.txt", folder / L"b.txt", folder / L"c.txt",
                                                       folder / L"d", folder / L"f.txt"}));
  HWND list = window.Control(PapermillWindow::kQueueId);
  EXPECT_EQ(ListViewText(list, 0, 1), L"2 KB");
  EXPECT_EQ(ListViewText(list, 3, 1), L"1 file, 2 KB");
  ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
  ClickControl(window, PapermillWindow::kRemoveId);
  EXPECT_EQ(window.Queue().size(), 4u);
  EXPECT_EQ(ListViewText(list, 1, 0), folder / L"c.txt");
}

// Explorer starts one Papermill for each item chosen: a later start hands its items to the open
// window; without one it opens its own.
TEST(PapermillWindow, ALaterStartHandsItsItemsToTheOpenWindow) {
  TempFolder folder, program;
  MakeFile(folder / L"a.txt", 10);
  MakeFile(folder / L"b.txt", 10);
  EXPECT_FALSE(toolkit::HandToRunningWindow(papermill::kHandover, {folder / L"b.txt"}));
  PapermillWindow window(program.Path(), {folder / L"a.txt"});
  ASSERT_TRUE(window.Create(nullptr, false));
  EXPECT_TRUE(toolkit::HandToRunningWindow(papermill::kHandover, {folder / L"b.txt"}));
  EXPECT_EQ(window.Queue(), (std::vector<std::wstring>{folder / L"a.txt", folder / L"b.txt"}));

  // The window wears its caption in the language in force, and a later start looks for that caption.
  WriteText(program / L"lang\\de.po", ShippedLanguage(L"de.po"));
  struct EnglishAfterwards {
    ~EnglishAfterwards() { platform::UseLanguage(L"", platform::kEnglish); }
  } english;
  ASSERT_TRUE(platform::UseLanguage(program.Path(), L"de"));
  PapermillWindow german(program.Path(), {});
  ASSERT_TRUE(german.Create(nullptr, false));
  EXPECT_TRUE(toolkit::HandToRunningWindow(papermill::kHandover, {folder / L"a.txt"}));
  EXPECT_EQ(german.Queue(), std::vector<std::wstring>{folder / L"a.txt"});
}

TEST(PapermillWindow, ShredsOnlyAfterTheQuestionAndListsWhatStayed) {
  TempFolder folder, program;
  MakeFile(folder / L"one.txt", 1000);
  MakeFile(folder / L"two\\three.txt", 2000);
  std::wstring held = folder / L"held.db";
  MakeFile(held, 500);
  HeldByAnotherProcess holder(held, L"r");
  ASSERT_TRUE(holder.holding());
  PapermillWindow window(program.Path(), {folder / L"one.txt", folder / L"two", held, L"C:\\"});
  ASSERT_TRUE(window.Create(nullptr, false));
  MessageRecorder messages;
  messages.answers = {IDNO};
  ClickControl(window, PapermillWindow::kShredId);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_NE(messages.shown[0].text.find(L"Shred 3 files (3 KB)?"), std::wstring::npos) << messages.shown[0].text;
  EXPECT_NE(messages.shown[0].text.find(L"Nothing can be undone"), std::wstring::npos);
  EXPECT_NE(messages.shown[0].text.find(L"1 path is refused"), std::wstring::npos);
  ExpectKept(folder / L"one.txt");

  ClickControl(window, PapermillWindow::kShredId);
  ExpectGone(folder / L"one.txt");
  ExpectGone(folder / L"two");
  ExpectKept(held);
  EXPECT_EQ(ListBoxItems(window.Control(PapermillWindow::kResultsId)),
            (std::vector<std::wstring>{held + L" (in use)", L"C:\\ (refused: a drive root)"}));
  EXPECT_EQ(platform::WindowText(window.Control(PapermillWindow::kStatusId)),
            L"Shredded 2 files (3 KB) and 1 folder; 2 left.");
  // What stayed is still queued, to try again once it is free.
  EXPECT_EQ(window.Queue(), (std::vector<std::wstring>{held, L"C:\\"}));
}

// The organisation's ShredderAllowed 0 refuses with its sentence, asking nothing and keeping the queue.
TEST(PapermillWindow, TheOrganisationsPolicyRefusesShreddingWithItsSentence) {
  TempFolder folder, program;
  MakeFile(folder / L"one.txt", 1000);
  PolicyKeys keys;
  PolicyKeys::Set(keys.machine, L"ShredderAllowed", 0);
  keys.PutInForce();
  PapermillWindow window(program.Path(), {folder / L"one.txt"});
  ASSERT_TRUE(window.Create(nullptr, false));
  MessageRecorder messages;
  ClickControl(window, PapermillWindow::kShredId);
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(platform::WindowText(window.Control(PapermillWindow::kStatusId)),
            L"Your organisation does not allow shredding files with Trellwipe.");
  ExpectKept(folder / L"one.txt");
  EXPECT_EQ(window.Queue(), std::vector<std::wstring>{folder / L"one.txt"});
}

// A folder of over 1,000 files is asked about once more, by name and count; a system folder is
// refused whatever is answered; a folder that keeps something stays with its reason.
TEST(PapermillWindow, AsksOnceMoreBeforeALargeFolderAndRefusesSystemFolders) {
  TempFolder folder, program;
  for (int i = 0; i <= 1000; ++i) MakeFile(folder / (L"many\\" + std::to_wstring(i) + L".txt"), 1);
  std::wstring held = folder / L"kept\\held.db";
  MakeFile(held, 10);
  HeldByAnotherProcess holder(held, L"r");
  ASSERT_TRUE(holder.holding());
  wchar_t windows[MAX_PATH] = L"";
  GetWindowsDirectoryW(windows, MAX_PATH);
  const std::wstring drivers = std::wstring(windows) + L"\\system32\\drivers";
  PapermillWindow window(program.Path(), {folder / L"many", folder / L"kept", drivers});
  ASSERT_TRUE(window.Create(nullptr, false));
  EXPECT_EQ(ListViewText(window.Control(PapermillWindow::kQueueId), 1, 1), L"1 file, 10 bytes");
  MessageRecorder messages;
  messages.answers = {IDYES, IDNO};
  ClickControl(window, PapermillWindow::kShredId);
  ASSERT_EQ(messages.shown.size(), 2u);
  EXPECT_EQ(messages.shown[1].text, (folder / L"many") + L" holds 1001 files (1001 bytes). Shred the whole folder?");
  ExpectKept(folder / L"many\\0.txt");
  messages.answers = {IDYES, IDYES};
  ClickControl(window, PapermillWindow::kShredId);
  ExpectGone(folder / L"many");
  ExpectKept(drivers);
  EXPECT_EQ(ListBoxItems(window.Control(PapermillWindow::kResultsId)),
            (std::vector<std::wstring>{held + L" (in use)", (folder / L"kept") + L" (something in it stayed)",
                                       drivers + L" (refused: a protected folder)"}));
}

TEST(PapermillWindow, WipesOnItsOwnThreadAndStopsAtOnce) {
  struct Case {
    ULONGLONG limit;
    bool stop;
    const wchar_t* status;
  };
  for (const Case& c : {Case{2 * 1024 * 1024, false,
                             L"Wiped the free space of C:\\: 2.00 MB of zeros written. "
                             L"The space is free again."},
                        Case{ULONGLONG{1} << 40, true, L"Stopped the wipe of C:\\: "}}) {
    TempFolder program;
    PapermillWindow window(program.Path(), {}, {}, c.limit);
    ASSERT_TRUE(window.Create(nullptr, false));
    MessageRecorder messages;
    ClickControl(window, PapermillWindow::kWipeId);
    EXPECT_TRUE(IsWindowEnabled(window.Control(PapermillWindow::kStopId)) || !window.Wiping());
    if (c.stop) {
      EXPECT_TRUE(window.Wiping());
      ClickControl(window, PapermillWindow::kStopId);
    }
    PumpUntilIdle(window);
    EXPECT_FALSE(window.Wiping());
    EXPECT_EQ(platform::WindowText(window.Control(PapermillWindow::kStatusId)).substr(0, wcslen(c.status)), c.status);
    ExpectGone(shredder::WipeFolder(L"C:\\"));
    EXPECT_TRUE(IsWindowEnabled(window.Control(PapermillWindow::kWipeId)));
  }
}
