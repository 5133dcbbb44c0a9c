#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <tuple>

#include "dialogs/details_window.h"
#include "dialogs/kept_paths_window.h"
#include "engine/allerase.h"
#include "engine/kept_paths.h"
#include "engine/kept_paths_file.h"
#include "platform/handles.h"
#include "support/message_recorder.h"
#include "support/seeded_profile.h"
#include "support/snapshot.h"
#include "support/window_support.h"
#include "toolkit/keyboard.h"
#include "ui/main_commands.h"
#include "ui/main_window.h"

using namespace testing_support;

namespace {

struct Details {
  std::wstring title;
  std::vector<std::wstring> lines;
};

// The main window over a seeded profile, with the details window replaced by a recorder. The window
// finds the browsers in the prefix's own folders, which are not the test's: only the items with
// folders and keys of their own stay on.
struct PreviewWindow {
  explicit PreviewWindow(bool clipboard = true) {
    for (const auto& [section, key] : SeededProfile::kItems) {
      if (section != std::wstring(L"Custom")) settings::inifun::WriteIniValue(profile.Settings(), section, key, L"0");
    }
    if (clipboard) settings::inifun::WriteIniValue(profile.Settings(), L"WINDOWS", L"clip", L"1");
    ui::MainWindowActions actions = ui::DefaultActions();
    actions.showDetails = [this](HWND owner, const std::wstring& title, const engine::ItemReport& item,
                                 const std::vector<engine::RuleReason>&, bool preview, const std::wstring&) {
      EXPECT_EQ(owner, window->Handle());
      shown.push_back({title, AllDetailLines(item, preview)});
    };
    window.emplace(GetModuleHandleW(nullptr), profile.program.Path(), L"", std::move(actions));
    EXPECT_TRUE(window->Create());
  }
  ~PreviewWindow() { DrainQuit(); }
  HWND List() { return window->ResultList(); }
  void DoubleClick(int row) {
    NMITEMACTIVATE activate = {};
    activate.hdr.hwndFrom = List();
    activate.hdr.code = NM_DBLCLK;
    activate.iItem = row;
    SendMessageW(window->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&activate));
  }
  void PressEnterOn(int row) {
    ListView_SetItemState(List(), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    NMLVKEYDOWN key = {};
    key.hdr.hwndFrom = List();
    key.hdr.code = LVN_KEYDOWN;
    key.wVKey = VK_RETURN;
    SendMessageW(window->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&key));
  }

  SeededProfile profile;
  std::vector<Details> shown;
  MessageRecorder messages;
  std::optional<ui::MainWindow> window;
};

}  // namespace

TEST(PreviewCommand, TheButtonFillsOneRowPerItemWithRealCountsAndChangesNothing) {
  PreviewWindow preview;
  settings::inifun::WriteIniValue(preview.profile.Settings(), L"Options", L"lastclean", L"earlier");
  settings::inifun::WriteIniValue(preview.profile.Settings(), L"Options", L"regnum", L"7");
  settings::inifun::WriteIniValue(preview.profile.Settings(), L"Options", L"filesize", L"100");
  std::string settingsText = ReadText(preview.profile.Settings());
  std::wstring files = FolderSnapshot(preview.profile.root.Path());
  EXPECT_EQ(GetParent(preview.window->PreviewButton()), preview.window->Handle());

  SendMessageW(preview.window->PreviewButton(), BM_CLICK, 0, 0);

  EXPECT_EQ(preview.window->CurrentPage(), ui::MainWindow::Page::Status);
  // The state says what would happen; the figures stand in their own columns, and the state shows whole.
  const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*> rows[] = {{L"Windows Clipboard", L"Would run", L"0"},
                                                                             {L"Custom Item", L"Would erase", L"3"},
                                                                             {L"Tool", L"Would erase", L"1"}};
  ASSERT_EQ(ListView_GetItemCount(preview.List()), 3);
  for (int row = 0; row < 3; ++row) {
    const auto& [label, state, files] = rows[row];
    EXPECT_EQ(ListViewText(preview.List(), row, 0), label);
    EXPECT_EQ(ListViewText(preview.List(), row, 1), state);
    EXPECT_EQ(ListViewText(preview.List(), row, 2), files);
    const std::wstring shown = ListViewText(preview.List(), row, 1);
    EXPECT_LE(ListView_GetStringWidth(preview.List(), shown.c_str()) + 12, ListView_GetColumnWidth(preview.List(), 1))
        << row;
  }
  EXPECT_EQ(ReadText(preview.profile.Settings()), settingsText);
  EXPECT_EQ(FolderSnapshot(preview.profile.root.Path()), files);
  EXPECT_TRUE(IsWindowEnabled(preview.window->StartButton()));

  preview.DoubleClick(1);
  ASSERT_EQ(preview.shown.size(), 1u);
  EXPECT_EQ(preview.shown[0].title, L"Custom Item - Preview");
  ASSERT_EQ(preview.shown[0].lines.size(), 5u);
  EXPECT_EQ(preview.shown[0].lines[0], L"Would erase file: " + preview.profile.customFile + L" (777 bytes)");
  EXPECT_EQ(preview.shown[0].lines[4], L"Would remove folder: " + preview.profile.customFolder);
  preview.PressEnterOn(0);
  ASSERT_EQ(preview.shown.size(), 2u);
  EXPECT_EQ(preview.shown[1].lines, std::vector<std::wstring>{L"Would run: Empty the clipboard"});
}

TEST(PreviewCommand, TheFileMenuPreviewsAndAfterARealRunTheDetailsTellWhatStayed) {
  PreviewWindow preview(false);
  SendMessageW(preview.window->Handle(), WM_COMMAND, MAKEWPARAM(ui::kPreviewCommand, 0), 0);
  EXPECT_EQ(ListView_GetItemCount(preview.List()), 2);

  std::wstring locked = preview.profile.customFile;
  platform::FileHandle held(
      CreateFileW(locked.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  SendMessageW(preview.window->StartButton(), BM_CLICK, 0, 0);
  ASSERT_EQ(ListView_GetItemCount(preview.List()), 3);
  EXPECT_EQ(ListViewText(preview.List(), 0, 0), L"Custom Item");
  EXPECT_EQ(ListViewText(preview.List(), 0, 1), L"Done, 1 left behind");
  preview.DoubleClick(0);
  ASSERT_EQ(preview.shown.size(), 1u);
  EXPECT_EQ(preview.shown[0].title, L"Custom Item - Result");
  EXPECT_EQ(preview.shown[0].lines.front(), L"This item left 1 entry behind.");
  EXPECT_EQ(preview.shown[0].lines.back(), L"Left behind (in use): " + locked);
  ExpectKept(locked);
  ExpectGone(preview.profile.customFolder);
  // The final row has no details.
  preview.DoubleClick(2);
  EXPECT_EQ(preview.shown.size(), 1u);
}

// A kept file shows in the preview as kept by you; its entry in "Files and folders to keep" says where
// it came from, and removing it there makes the next preview erase the file again. Add keeps what the
// picker gave, by hand.
TEST(PreviewCommand, RemovingAKeptFileFromItsWindowBringsItBackToTheNextPreview) {
  PreviewWindow preview(false);
  const std::wstring file = preview.profile.customFile, program = preview.profile.program.Path();
  ASSERT_TRUE(engine::KeepPath(program, file, engine::kKeptFromDetails));
  auto previewed = [&] {
    preview.shown.clear();
    SendMessageW(preview.window->PreviewButton(), BM_CLICK, 0, 0);
    preview.DoubleClick(0);
    return preview.shown.at(0).lines;
  };
  std::vector<std::wstring> lines = previewed();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), L"Kept by you: " + file), 1);
  dialogs::KeptPathsWindow window(program, {[&](HWND) { return std::optional(preview.profile.customFolder); },
                                            [](HWND) { return std::optional<std::wstring>(); }});
  ASSERT_TRUE(window.Create(nullptr, false));
  ASSERT_EQ(ListView_GetItemCount(window.List()), 1);
  EXPECT_TRUE(platform::EqualsNoCase(ListViewText(window.List(), 0, 0), file));
  EXPECT_EQ(ListViewText(window.List(), 0, 1), L"the details");
  SendMessageW(window.Handle(), WM_COMMAND, dialogs::KeptPathsWindow::kAddFileId, 0);
  ASSERT_EQ(ListView_GetItemCount(window.List()), 2);
  EXPECT_EQ(ListViewText(window.List(), 1, 1), L"by hand");
  ListView_SetItemState(window.List(), 0, LVIS_SELECTED, LVIS_SELECTED);
  SendMessageW(window.Handle(), WM_COMMAND, dialogs::KeptPathsWindow::kRemoveId, 0);
  EXPECT_EQ(ListView_GetItemCount(window.List()), 1);
  lines = previewed();
  EXPECT_EQ(lines.at(0), L"Would erase file: " + file + L" (777 bytes)");
}

TEST(PreviewCommand, EnterInTheResultListOpensTheSelectedRowAndStartsNoCleaning) {
  PreviewWindow preview;
  std::wstring files = FolderSnapshot(preview.profile.root.Path());
  SendMessageW(preview.window->PreviewButton(), BM_CLICK, 0, 0);
  ASSERT_EQ(ListView_GetItemCount(preview.List()), 3);
  ListView_SetItemState(preview.List(), 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  // As the program's message loop hands a key on.
  MSG enter = {preview.List(), WM_KEYDOWN, VK_RETURN, 1, 0, {}};
  EXPECT_TRUE(toolkit::TranslateDialogKeys(enter));
  ASSERT_EQ(preview.shown.size(), 1u);
  EXPECT_EQ(preview.shown[0].title, L"Custom Item - Preview");
  EXPECT_EQ(ListView_GetItemCount(preview.List()), 3);
  EXPECT_EQ(FolderSnapshot(preview.profile.root.Path()), files);
}

TEST(DetailsWindow, ShowsEveryLineAndClosesWithItsButton) {
  engine::ItemReport item;
  item.files = {{L"C:\\a", 1}};
  item.steps = {L"x"};
  dialogs::DetailsWindow window(L"Chrome Cache - Preview", item, {}, true, L"");
  ASSERT_TRUE(window.Create(nullptr, false));
  EXPECT_EQ(ListView_GetItemCount(window.Lines()), 2);
  wchar_t text[128] = L"";
  ListView_GetItemText(window.Lines(), 0, 0, text, 128);
  EXPECT_STREQ(text, L"Would erase file: C:\\a (1 bytes)");
  ListView_GetItemText(window.Lines(), 1, 0, text, 128);
  EXPECT_STREQ(text, L"Would run: x");
  GetWindowTextW(window.Handle(), text, 128);
  EXPECT_STREQ(text, L"Chrome Cache - Preview");
  SendMessageW(window.CloseButton(), BM_CLICK, 0, 0);
  EXPECT_EQ(window.Handle(), nullptr);
}

// "Keep this file" on a file's line keeps it from the next cleaning, which reaches its folder by
// another spelling, while its neighbour goes; "Keep this folder" keeps the folder of its line.
TEST(DetailsWindow, KeepThisFileAndKeepThisFolderKeepFromTheNextCleaning) {
  MessageRecorder messages;
  TempFolder program, data;
  const std::wstring kept = data / L"kept.txt", beside = data / L"sub\\beside.txt";
  MakeFile(kept, 4);
  MakeFile(beside, 4);
  engine::ItemReport item;
  item.files = {{kept, 4}, {beside, 4}};
  dialogs::DetailsWindow window(L"Custom Files - Preview", item, {}, true, program.Path());
  ASSERT_TRUE(window.Create(nullptr, false));
  auto choose = [&](int line, WORD command) {
    ListView_SetItemState(window.Lines(), -1, 0, LVIS_SELECTED);
    ListView_SetItemState(window.Lines(), line, LVIS_SELECTED, LVIS_SELECTED);
    SendMessageW(window.Handle(), WM_COMMAND, command, 0);
  };
  choose(0, dialogs::kKeepFileCommand);
  auto entries = engine::LoadKeptPaths(program.Path());
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), 1u);
  EXPECT_EQ((*entries)[0].from, L"the details");
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, L"Trellwipe keeps these from every cleaning:\n" + (*entries)[0].path);
  engine::EraseContext erase;
  erase.keptPaths = std::make_shared<const engine::KeptPaths>(std::vector<std::wstring>{(*entries)[0].path});
  engine::allerase::EraseAllFilesInTree(erase, L"\\\\?\\" + platform::ToLower(data.Path()));
  ExpectKept(kept);
  ExpectGone(beside);
  choose(1, dialogs::kKeepFolderCommand);
  entries = engine::LoadKeptPaths(program.Path());
  ASSERT_EQ(entries->size(), 2u);
  EXPECT_TRUE(platform::EqualsNoCase((*entries)[1].path, data / L"sub"));
}

// A rule's file names its rule line and pattern, a key its line, the box groups the files by reason, and "Keep
// everything this rule line matches in this folder" keeps the folder with the pattern: a later
// cleaning spares what matches there while the rest goes. The item's own files offer no pattern.
TEST(DetailsWindow, ARuleLinesFileNamesItsReasonAndKeepsWhatTheLineMatchesInItsFolder) {
  MessageRecorder messages;
  TempFolder program, data;
  const std::wstring matched = data / L"sub\\a.log", other = data / L"sub\\b.LOG", own = data / L"sub\\c.txt";
  for (const std::wstring& file : {matched, other, own}) MakeFile(file, 4);
  engine::ItemReport item;
  item.files = {{matched, 4, 1}, {own, 4}};
  item.keys = {L"HKEY_CURRENT_USER\\Software\\Mine"};
  item.keyReasons.Set(0, 2);
  dialogs::DetailsWindow window(L"My Rule - Preview", item,
                                {{L"rules/mine.ini:7 FileKey1", L"*.log"}, {L"rules/mine.ini:8 RegKey1", L""}}, true,
                                program.Path());
  ASSERT_TRUE(window.Create(nullptr, false));
  auto line = [&](int at) {
    wchar_t text[512] = L"";
    ListView_GetItemText(window.Lines(), at, 0, text, 512);
    return std::wstring(text);
  };
  EXPECT_EQ(line(0), L"Would erase file: " + matched + L" (4 bytes) - rules/mine.ini:7 FileKey1, *.log");
  EXPECT_EQ(line(2), L"Would delete key: HKEY_CURRENT_USER\\Software\\Mine - rules/mine.ini:8 RegKey1");
  SendMessageW(window.GroupBox(), BM_CLICK, 0, 0);
  EXPECT_EQ(line(0), L"Would erase file: " + own + L" (4 bytes)");
  auto choose = [&](int at) {
    ListView_SetItemState(window.Lines(), -1, 0, LVIS_SELECTED);
    ListView_SetItemState(window.Lines(), at, LVIS_SELECTED, LVIS_SELECTED);
    SendMessageW(window.Handle(), WM_COMMAND, dialogs::kKeepMatchesCommand, 0);
    return engine::LoadKeptPaths(program.Path());
  };
  EXPECT_TRUE(choose(0)->empty());
  auto entries = choose(1);
  ASSERT_EQ(entries->size(), 1u);
  EXPECT_TRUE(platform::EqualsNoCase((*entries)[0].path, data / L"sub\\*.log"));
  engine::EraseContext erase;
  erase.keptPaths = std::make_shared<const engine::KeptPaths>(std::vector<std::wstring>{(*entries)[0].path});
  engine::allerase::EraseAllFilesInTree(erase, L"\\\\?\\" + platform::ToLower(data.Path()));
  ExpectKept(matched);
  ExpectKept(other);
  ExpectGone(own);
}

// Paints the list's client area into a bitmap and counts the pixels in its right half that are not
// the background.
int InkInRightHalf(HWND list) {
  RECT client;
  GetClientRect(list, &client);
  testing_support::Canvas canvas({client.right, client.bottom});
  SendMessageW(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT | PRF_ERASEBKGND);
  const DWORD background = canvas.Pixel(client.right - 1, 0);  // the row's far end, past the text
  int ink = 0;
  for (int y = 0; y < client.bottom; ++y) {
    for (int x = client.right / 2; x < client.right; ++x) ink += canvas.Pixel(x, y) != background;
  }
  return ink;
}

TEST(DetailsWindow, DrawsTheEndOfALineLongerThanTheListDrawsItself) {
  // The list view draws at most 259 characters of a line; a deep cache path is longer.
  engine::ItemReport item;
  std::wstring path = L"C:\\cache";
  while (path.size() < 400) path += L"\\folder" + std::to_wstring(path.size());
  item.files = {{path + L"\\last.tmp", 1}};
  dialogs::DetailsWindow window(L"Chrome Cache - Result", item, {}, false, L"");
  ASSERT_TRUE(window.Create(nullptr, false));
  ASSERT_GT(InkInRightHalf(window.Lines()), 0);  // the start of the line, drawn once to size the column
  ListView_Scroll(window.Lines(), 100000, 0);
  EXPECT_GT(InkInRightHalf(window.Lines()), 0) << "the end of the line is blank";
}

TEST(DetailsWindow, ListsTheLinesOfAnItemOfManyFilesWithoutHoldingThemAsRows) {
  engine::ItemReport item;
  for (int i = 0; i < 500000; ++i)
    item.files.push_back({L"C:\\cache\\d" + std::to_wstring(i / 250) + L"\\f" + std::to_wstring(i), 100});
  dialogs::DetailsWindow window(L"Chrome Cache - Result", item, {}, false, L"");
  ASSERT_TRUE(window.Create(nullptr, false));
  EXPECT_EQ(ListView_GetItemCount(window.Lines()), 500000);
  EXPECT_TRUE(GetWindowLongPtrW(window.Lines(), GWL_STYLE) & LVS_OWNERDATA);
  wchar_t text[128] = L"";
  ListView_GetItemText(window.Lines(), 123456, 0, text, 128);
  EXPECT_STREQ(text, L"Erased file: C:\\cache\\d493\\f123456 (100 bytes)");
  ListView_EnsureVisible(window.Lines(), 499999, FALSE);
  EXPECT_EQ(ListView_GetTopIndex(window.Lines()) + ListView_GetCountPerPage(window.Lines()), 500000);
}

// With "Clean every user of this computer" ticked the rows of each user stand between a row naming the
// user and a row of the user's totals, in a cleaning as in a preview; those rows have no details, and
// each item's row opens its own.
TEST(PreviewCommand, TheRowsOfAUsersGroupOpenTheirOwnItemsDetails) {
  const struct {
    bool preview;
    int rows;  // a cleaning ends with a row of its own
    const wchar_t* suffix;
  } kRuns[] = {{false, 5, L" - Result"}, {true, 4, L" - Preview"}};
  for (const auto& run : kRuns) {
    PreviewWindow preview(false);
    settings::inifun::WriteIniValue(preview.profile.Settings(), L"Options", L"AllUsers", L"1");
    HWND button = run.preview ? preview.window->PreviewButton() : preview.window->StartButton();
    SendMessageW(button, BM_CLICK, 0, 0);
    ASSERT_EQ(ListView_GetItemCount(preview.List()), run.rows) << run.preview;
    EXPECT_EQ(ListViewText(preview.List(), 0, 0).rfind(L"User ", 0), 0u) << ListViewText(preview.List(), 0, 0);
    EXPECT_EQ(ListViewText(preview.List(), 3, 0).rfind(L"Totals of ", 0), 0u) << ListViewText(preview.List(), 3, 0);
    preview.DoubleClick(0);
    preview.DoubleClick(3);
    EXPECT_TRUE(preview.shown.empty());
    preview.DoubleClick(1);
    preview.DoubleClick(2);
    ASSERT_EQ(preview.shown.size(), 2u);
    EXPECT_EQ(preview.shown[0].title, std::wstring(L"Custom Item") + run.suffix);
    EXPECT_EQ(preview.shown[1].title, std::wstring(L"Tool") + run.suffix);
  }
}
