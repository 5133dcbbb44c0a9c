#include "dialogs/locate_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "dialogs/extension_window.h"
#include "filesearch/extension_list.h"
#include "platform/languages.h"
#include "platform/window_text.h"
#include "shipped_translations.h"
#include "support/keyboard_support.h"
#include "support/message_recorder.h"
#include "support/test_support.h"
#include "support/window_support.h"
#include "toolkit/keyboard.h"

using namespace testing_support;
using namespace filesearch;

namespace {

using W = dialogs::LocateWindow;

std::vector<std::wstring> LocateChildTexts(HWND parent) {
  std::vector<std::wstring> texts;
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM out) {
        reinterpret_cast<std::vector<std::wstring>*>(out)->push_back(platform::WindowText(child));
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&texts));
  return texts;
}

bool HasLocateChildText(HWND parent, const std::wstring& text) {
  std::vector<std::wstring> texts = LocateChildTexts(parent);
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

void SendCommand(HWND window, WORD id) { SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

constexpr wchar_t kDeleteWarning[] =
    L"Deleting file from your Hard Disk is risky... make sure you know what your doing!\r\n"
    L"Do you want to continue?\r\n"
    L"(if you click yes, this message will no apear again)";

class LocateWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteText(program / L"Ext.txt", "*.tmp\r\n*.gid\r\n*.swp\r\n*.chk\r\n");
    MakeFile(tree / L"a.tmp", 10);
    MakeFile(tree / L"b.CHK", 20);
    MakeFile(tree / L"keep.txt", 5);
    MakeFile(tree / L"sub\\c.tmp", 30);
    ASSERT_TRUE(window.Create(nullptr, false));
  }
  HWND Control(WORD id) const { return window.Control(id); }
  std::wstring Setting(const wchar_t* section, const wchar_t* key) const {
    return settings.Get(section, key, L"<absent>");
  }
  std::set<std::wstring> ListedPaths() const {
    std::set<std::wstring> paths;
    for (const std::wstring& item : ListBoxItems(Control(W::kResultsId)))
      paths.insert(item.substr(0, item.find(L"  ")));
    return paths;
  }
  LRESULT SelectedCount() const { return SendMessageW(Control(W::kResultsId), LB_GETSELCOUNT, 0, 0); }

  TempFolder program;
  TempFolder tree;
  TempRegistryKey key;
  DiskmoteSettings settings{HKEY_CURRENT_USER, key.Subkey()};
  MessageRecorder messages;
  dialogs::LocateWindow window{program.Path(), settings};
};

TEST_F(LocateWindowTest, LoadsWithEveryControlAndMenuAndItsFreshChoices) {
  HWND hwnd = window.Handle();
  EXPECT_EQ(platform::WindowText(hwnd), L"Search & Erase");
  // Texts that carry their own mnemonic exactly; the others as displayed, whatever mnemonic they have.
  for (const wchar_t* text :
       {L"&Find Files", L"E&xit", L"&Delete selected", L"Sele&ct All", L"Select N&one", L"Option&s"}) {
    EXPECT_TRUE(HasLocateChildText(hwnd, text)) << text;
  }
  std::vector<std::wstring> shown;
  for (const std::wstring& text : LocateChildTexts(hwnd)) shown.push_back(toolkit::WithoutMnemonic(text));
  for (const wchar_t* text :
       {L"Search String", L"Search and clean options", L"Delete to RecycleBin", L"Include Sub Directories"}) {
    EXPECT_NE(std::find(shown.begin(), shown.end(), text), shown.end()) << text;
  }
  HMENU bar = GetMenu(hwnd);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(MenuTexts(bar), (std::vector<std::wstring>{L"&File", L"&Options", L"&Help"}));
  EXPECT_EQ(MenuTexts(GetSubMenu(bar, 0)), (std::vector<std::wstring>{L"E&xit"}));
  EXPECT_EQ(MenuTexts(GetSubMenu(bar, 1)), (std::vector<std::wstring>{L"Op&tions", L"&Reset All"}));
  EXPECT_EQ(MenuTexts(GetSubMenu(bar, 2)), (std::vector<std::wstring>{L"Abou&t"}));

  EXPECT_EQ(platform::WindowText(Control(W::kSearchStringId)), L"*.tmp;*.gid;*.swp;*.chk");
  EXPECT_EQ(IsDlgButtonChecked(hwnd, W::kRecycleId), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(hwnd, W::kSubFoldersId), BST_CHECKED);
  EXPECT_EQ(SendMessageW(Control(W::kResultsId), LB_GETHORIZONTALEXTENT, 0, 0), 700);
  EXPECT_EQ(window.CurrentFolder(), program.Path());
  EXPECT_EQ(SendMessageW(Control(W::kResultsId), LB_GETCOUNT, 0, 0), 0) << "the load searches with an empty string";
  for (const wchar_t* name : {L"Recycele", L"SubFolders"}) EXPECT_EQ(Setting(L"StartUp", name), L"1") << name;
  for (const wchar_t* name : {L"TipNumber", L"Prompt"}) EXPECT_EQ(Setting(L"General", name), L"1") << name;
  EXPECT_EQ(Setting(L"StartUp", L"AppPath").substr(0, program.Path().size()), program.Path());
  EXPECT_EQ(Setting(L"General", L"Tips"), L"<absent>");
}

TEST_F(LocateWindowTest, AFolderChangeSearchesAndListsEveryMatchSelectedWithItsSummary) {
  window.ChangeFolder(tree.Path());
  EXPECT_EQ(Setting(L"StartUp", L"AppPath"), tree.Path());
  EXPECT_EQ(ListedPaths(), (std::set<std::wstring>{tree / L"a.tmp", tree / L"b.CHK", tree / L"sub\\c.tmp"}));
  EXPECT_EQ(SelectedCount(), 3);
  EXPECT_EQ(platform::WindowText(Control(W::kStatusId)),
            L"3  Files Found      .tmp - 2    .gid - 0    .swp - 0    .chk - 1\r\nTotal size: 1 KB");
  EXPECT_EQ(platform::WindowText(Control(W::kExitId)), L"E&xit");
  size_t widest = 0;
  for (const std::wstring& item : ListBoxItems(Control(W::kResultsId))) widest = std::max(widest, item.size());
  EXPECT_EQ(SendMessageW(Control(W::kResultsId), LB_GETHORIZONTALEXTENT, 0, 0), static_cast<LRESULT>(9 * widest));
}

TEST_F(LocateWindowTest, ALongSummaryScrollsInsteadOfRunningOverTheTotal) {
  auto scrolls = [&] { return (GetWindowLongW(Control(W::kStatusId), GWL_STYLE) & WS_VSCROLL) != 0; };
  window.ChangeFolder(tree.Path());
  EXPECT_FALSE(scrolls());
  std::wstring many;
  for (int i = 0; i < 40; ++i) many += L"*.e" + std::to_wstring(i) + L";";
  window.SetSearchString(many);
  Press(Control(W::kFindId));
  EXPECT_NE(platform::WindowText(Control(W::kStatusId)).find(L"Total size: "), std::wstring::npos);
  EXPECT_TRUE(scrolls());
}

TEST_F(LocateWindowTest, AResizedWindowGivesTheGrowthToTheResultsAndKeepsTheButtonsBelow) {
  auto rectOf = [&](WORD id) {
    RECT rect;
    GetWindowRect(Control(id), &rect);
    return rect;
  };
  const RECT list = rectOf(W::kResultsId), button = rectOf(W::kDeleteId), find = rectOf(W::kFindId);
  RECT frame;
  GetWindowRect(window.Handle(), &frame);
  SetWindowPos(window.Handle(), nullptr, 0, 0, frame.right - frame.left + 200, frame.bottom - frame.top + 150,
               SWP_NOMOVE | SWP_NOZORDER);
  const RECT grownList = rectOf(W::kResultsId), movedButton = rectOf(W::kDeleteId), sameFind = rectOf(W::kFindId);
  EXPECT_EQ(grownList.right - grownList.left, list.right - list.left + 200);
  EXPECT_GT(grownList.bottom - grownList.top, list.bottom - list.top + 100);  // in whole rows
  EXPECT_EQ(movedButton.top - button.top, 150);
  EXPECT_EQ(sameFind.left - find.left, 0);
  // Whole rows only, so that the last one never hides under the scroll bar.
  RECT rows;
  GetClientRect(Control(W::kResultsId), &rows);
  EXPECT_EQ(rows.bottom % SendMessageW(Control(W::kResultsId), LB_GETITEMHEIGHT, 0, 0), 0);
  // Never smaller than designed.
  SetWindowPos(window.Handle(), nullptr, 0, 0, 50, 50, SWP_NOMOVE | SWP_NOZORDER);
  RECT shrunk;
  GetWindowRect(window.Handle(), &shrunk);
  EXPECT_EQ(shrunk.right - shrunk.left, frame.right - frame.left);
}

TEST_F(LocateWindowTest, FindUsesTheEditedSearchStringAndTheSubFolderChoice) {
  window.ChangeFolder(tree.Path());
  SetWindowTextW(Control(W::kSearchStringId), L"*.txt");
  Press(Control(W::kSubFoldersId));
  EXPECT_EQ(Setting(L"StartUp", L"SubFolders"), L"0");
  Press(Control(W::kFindId));
  EXPECT_EQ(ListedPaths(), (std::set<std::wstring>{tree / L"keep.txt"}));
  EXPECT_EQ(SelectedCount(), 1);
  Press(Control(W::kSelectNoneId));
  EXPECT_EQ(SelectedCount(), 0);
  Press(Control(W::kSelectAllId));
  EXPECT_EQ(SelectedCount(), 1);
}

TEST_F(LocateWindowTest, DeleteAsksFirstAndNoKeepsEveryFile) {
  window.ChangeFolder(tree.Path());
  messages.answer = IDNO;
  Press(Control(W::kDeleteId));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, kDeleteWarning);
  EXPECT_EQ(messages.shown[0].caption, L"Note");
  EXPECT_EQ(messages.shown[0].type, static_cast<UINT>(MB_ICONWARNING | MB_YESNO));
  ExpectKept(tree / L"a.tmp");
  ExpectKept(tree / L"sub\\c.tmp");
  EXPECT_EQ(Setting(L"General", L"Prompt"), L"1");
  EXPECT_EQ(SelectedCount(), 3);
}

TEST_F(LocateWindowTest, DeleteAfterYesErasesTheSelectedFilesAndSearchesTheFolderAlone) {
  window.ChangeFolder(tree.Path());
  Press(Control(W::kRecycleId));
  EXPECT_EQ(Setting(L"StartUp", L"Recycele"), L"0");
  HWND list = Control(W::kResultsId);
  std::vector<std::wstring> items = ListBoxItems(list);
  auto keep = std::find_if(items.begin(), items.end(),
                           [](const std::wstring& item) { return item.find(L"b.CHK") != std::wstring::npos; });
  ASSERT_NE(keep, items.end());
  SendMessageW(list, LB_SETSEL, FALSE, keep - items.begin());

  Press(Control(W::kDeleteId));
  EXPECT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(Setting(L"General", L"Prompt"), L"0");
  ExpectGone(tree / L"a.tmp");
  ExpectGone(tree / L"sub\\c.tmp");
  ExpectKept(tree / L"b.CHK");
  ExpectKept(tree / L"keep.txt");
  EXPECT_EQ(IsDlgButtonChecked(window.Handle(), W::kSubFoldersId), BST_UNCHECKED);
  EXPECT_EQ(Setting(L"StartUp", L"SubFolders"), L"0");
  EXPECT_EQ(ListedPaths(), (std::set<std::wstring>{tree / L"b.CHK"}));
  EXPECT_EQ(platform::WindowText(Control(W::kExitId)), L"E&xit");

  // The warning stays off for the rest of this opening.
  Press(Control(W::kDeleteId));
  EXPECT_EQ(messages.shown.size(), 1u);
  ExpectGone(tree / L"b.CHK");
}

TEST_F(LocateWindowTest, DeleteToTheRecycleBinMovesTheFiles) {
  window.ChangeFolder(tree.Path());
  ASSERT_EQ(IsDlgButtonChecked(window.Handle(), W::kRecycleId), BST_CHECKED);
  Press(Control(W::kDeleteId));
  ExpectGone(tree / L"a.tmp");
  ExpectGone(tree / L"b.CHK");
  ExpectGone(tree / L"sub\\c.tmp");
  ExpectKept(tree / L"keep.txt");
}

TEST_F(LocateWindowTest, AnExactNameItemDeletesNothing) {
  SetWindowTextW(Control(W::kSearchStringId), L"keep.txt");
  window.ChangeFolder(tree.Path());
  EXPECT_EQ(ListBoxItems(Control(W::kResultsId)), (std::vector<std::wstring>{tree.Path() + L"\\keep.txt"}));
  Press(Control(W::kDeleteId));
  ExpectKept(tree / L"keep.txt");
}

TEST_F(LocateWindowTest, StopEndsTheSearchWithoutSummary) {
  for (int i = 0; i < 5; ++i) MakeFile(tree / (L"more" + std::to_wstring(i) + L"\\x.tmp"), 1);
  window.ChangeFolder(tree.Path());
  // Reaches the button at the search's first look at the message queue, while it reads "&Stop".
  PostMessageW(Control(W::kExitId), BM_CLICK, 0, 0);
  Press(Control(W::kFindId));
  EXPECT_EQ(platform::WindowText(Control(W::kExitId)), L"E&xit");
  EXPECT_EQ(platform::WindowText(Control(W::kStatusId)), tree.Path() + L"\\");
  EXPECT_LT(ListBoxItems(Control(W::kResultsId)).size(), 8u);
  EXPECT_NE(window.Handle(), nullptr) << "Stop does not close the window";
}

// The window in German, which the button's captions switch in too.
class GermanLocateWindowTest : public LocateWindowTest {
 protected:
  void SetUp() override {
    WriteText(program / L"lang\\de.po", ShippedLanguage(L"de.po"));
    ASSERT_TRUE(platform::UseLanguage(program.Path(), L"de"));
    LocateWindowTest::SetUp();
  }
  void TearDown() override { platform::UseLanguage(L"", platform::kEnglish); }
};

TEST_F(GermanLocateWindowTest, SpeaksGermanAndItsStopStillStops) {
  EXPECT_EQ(platform::WindowText(window.Handle()), L"Suchen & Löschen");
  EXPECT_EQ(MenuTexts(GetMenu(window.Handle())), (std::vector<std::wstring>{L"&Datei", L"&Optionen", L"&Hilfe"}));
  window.ChangeFolder(tree.Path());
  EXPECT_EQ(platform::WindowText(Control(W::kStatusId)),
            L"3  Dateien gefunden      .tmp - 2    .gid - 0    .swp - 0    .chk - 1\r\nGesamtgröße: 1 KB");
  for (int i = 0; i < 5; ++i) MakeFile(tree / (L"more" + std::to_wstring(i) + L"\\x.tmp"), 1);
  PostMessageW(Control(W::kExitId), BM_CLICK, 0, 0);
  Press(Control(W::kFindId));
  EXPECT_NE(window.Handle(), nullptr) << "Stop does not close the window";
  EXPECT_EQ(platform::WindowText(Control(W::kExitId)), L"&Beenden");
}

TEST_F(LocateWindowTest, ClosingDuringASearchWaitsForTheSearchToEnd) {
  window.ChangeFolder(tree.Path());
  PostMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(W::kMenuExitId, 0), 0);
  Press(Control(W::kFindId));
  EXPECT_EQ(window.Handle(), nullptr);
  EXPECT_FALSE(window.Searching());
}

TEST_F(LocateWindowTest, ResetAllWritesEveryDefaultButLeavesTheSearchString) {
  window.ChangeFolder(tree.Path());
  Press(Control(W::kRecycleId));
  Press(Control(W::kSubFoldersId));
  WriteText(program / L"Ext.txt", "*.bak\r\n");
  SetWindowTextW(Control(W::kSearchStringId), L"*.own");
  SendCommand(window.Handle(), W::kMenuResetId);
  EXPECT_TRUE(messages.shown.empty()) << "no question before the third use";
  EXPECT_EQ(Setting(L"StartUp", L"AppPath"), program.Path() + L"\\");
  EXPECT_EQ(Setting(L"StartUp", L"Log"), L"1");
  EXPECT_EQ(Setting(L"StartUp", L"Recycele"), L"1");
  EXPECT_EQ(Setting(L"StartUp", L"SubFolders"), L"1");
  for (const wchar_t* name : {L"Tips", L"TipNumber", L"Prompt"}) EXPECT_EQ(Setting(L"General", name), L"1") << name;
  EXPECT_EQ(Setting(L"General", L"DeleteDirs"), L"c:\\windows\\temp\\;C:\\WINDOWS\\Temporary Internet Files\\;");
  EXPECT_EQ(Setting(L"General", L"MaxLogSize"), L"80");
  EXPECT_EQ(IsDlgButtonChecked(window.Handle(), W::kRecycleId), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(window.Handle(), W::kSubFoldersId), BST_CHECKED);
  EXPECT_EQ(ReadText(program / L"Ext.txt"), "*.tmp\r\n*.gid\r\n*.swp\r\n*.chk\r\n");
  EXPECT_EQ(platform::WindowText(Control(W::kSearchStringId)), L"*.own");
}

TEST_F(LocateWindowTest, ResetAllAsksFromTheThirdUseOn) {
  settings.Set(L"General", L"Uses", L"3");
  WriteText(program / L"Ext.txt", "*.bak\r\n");
  messages.answer = IDNO;
  SendCommand(window.Handle(), W::kMenuResetId);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, L"Do you want to reset all of the parameters to default? ");
  EXPECT_EQ(messages.shown[0].caption, L"Are you sure?");
  EXPECT_EQ(messages.shown[0].type, static_cast<UINT>(MB_YESNO));
  EXPECT_EQ(Setting(L"StartUp", L"Log"), L"<absent>");
  EXPECT_EQ(ReadText(program / L"Ext.txt"), "*.bak\r\n");
  messages.answer = IDYES;
  SendCommand(window.Handle(), W::kMenuResetId);
  EXPECT_EQ(Setting(L"StartUp", L"Log"), L"1");
  EXPECT_EQ(ReadText(program / L"Ext.txt"), "*.tmp\r\n*.gid\r\n*.swp\r\n*.chk\r\n");
}

TEST_F(LocateWindowTest, TheFolderListMovesIntoSubFoldersAndBack) {
  window.ChangeFolder(tree.Path());
  HWND folders = Control(W::kFolderId);
  EXPECT_EQ(ListBoxItems(folders), (std::vector<std::wstring>{L"..", L"sub"}));
  SendMessageW(folders, LB_SETCURSEL, 1, 0);
  SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(W::kFolderId, LBN_DBLCLK), reinterpret_cast<LPARAM>(folders));
  EXPECT_EQ(window.CurrentFolder(), tree / L"sub");
  EXPECT_EQ(platform::WindowText(Control(W::kFolderPathId)), tree / L"sub");
  EXPECT_EQ(ListedPaths(), (std::set<std::wstring>{tree / L"sub\\c.tmp"}));
  EXPECT_EQ(ListBoxItems(folders), (std::vector<std::wstring>{L".."}));
  SendMessageW(window.Handle(), WM_VKEYTOITEM, MAKEWPARAM(VK_BACK, 0), reinterpret_cast<LPARAM>(folders));
  EXPECT_EQ(window.CurrentFolder(), tree.Path());
  EXPECT_EQ(ListedPaths().size(), 3u);
  HWND drives = Control(W::kDriveId);
  std::wstring drive(
      static_cast<size_t>(SendMessageW(drives, CB_GETLBTEXTLEN, SendMessageW(drives, CB_GETCURSEL, 0, 0), 0)) + 1,
      L'\0');
  drive.resize(static_cast<size_t>(SendMessageW(drives, CB_GETLBTEXT, SendMessageW(drives, CB_GETCURSEL, 0, 0),
                                                reinterpret_cast<LPARAM>(drive.data()))));
  EXPECT_EQ(_wcsnicmp(drive.c_str(), tree.Path().c_str(), 2), 0) << drive;
}

TEST_F(LocateWindowTest, TypingASearchStringEnablesADisabledFindButton) {
  EnableWindow(Control(W::kFindId), FALSE);
  SetWindowTextW(Control(W::kSearchStringId), L"");
  EXPECT_FALSE(IsWindowEnabled(Control(W::kFindId)));
  SetWindowTextW(Control(W::kSearchStringId), L"*.log");
  EXPECT_TRUE(IsWindowEnabled(Control(W::kFindId)));
}

class ExtensionWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteText(program / L"Ext.txt", "*.tmp\r\nhand edited\r\n*.gid\r\n");
    ASSERT_TRUE(editor.Create(nullptr, false));
  }
  TempFolder program;
  TempRegistryKey key;
  DiskmoteSettings settings{HKEY_CURRENT_USER, key.Subkey()};
  MessageRecorder messages;
  std::vector<std::wstring> pushed;
  dialogs::ExtensionWindow editor{program.Path(), settings,
                                  [this](const std::wstring& text) { pushed.push_back(text); }};
};

TEST_F(ExtensionWindowTest, LoadsTheValidEntriesAndTheLogSizeSetting) {
  EXPECT_EQ(platform::WindowText(editor.Handle()), L"Options");
  for (const wchar_t* text :
       {L"Extention List:", L"Extention Options:", L"Extention:", L"&Add", L"&Remove", L"&Default", L"D&one"}) {
    EXPECT_TRUE(HasLocateChildText(editor.Handle(), text)) << text;
  }
  EXPECT_EQ(ListBoxItems(editor.FileTypes()), (std::vector<std::wstring>{L"*.tmp", L"*.gid"}));
  EXPECT_EQ(platform::WindowText(editor.AddText()), L"*.");
  EXPECT_EQ(settings.Get(L"General", L"MaxLogSize"), L"80");
  EXPECT_TRUE(pushed.empty());
}

TEST(ExtensionWindow, KeepsAStoredLogSize) {
  TempFolder program;
  TempRegistryKey key;
  DiskmoteSettings settings(HKEY_CURRENT_USER, key.Subkey());
  settings.Set(L"General", L"MaxLogSize", L"50");
  dialogs::ExtensionWindow editor(program.Path(), settings, nullptr);
  ASSERT_TRUE(editor.Create(nullptr, false));
  EXPECT_EQ(settings.Get(L"General", L"MaxLogSize"), L"50");
  EXPECT_EQ(SendMessageW(editor.FileTypes(), LB_GETCOUNT, 0, 0), 0);
}

TEST_F(ExtensionWindowTest, AddAppendsATrimmedValidEntryAndPushesTheSearchString) {
  SetWindowTextW(editor.AddText(), L"  *.bak ");
  Press(editor.AddButton());
  EXPECT_EQ(ReadText(program / L"Ext.txt"), "*.tmp\r\nhand edited\r\n*.gid\r\n*.bak\r\n");
  EXPECT_EQ(ListBoxItems(editor.FileTypes()), (std::vector<std::wstring>{L"*.tmp", L"*.gid", L"*.bak"}));
  EXPECT_EQ(pushed, (std::vector<std::wstring>{L"*.tmp;*.gid;*.bak"}));
  EXPECT_EQ(platform::WindowText(editor.AddText()), L"*.");
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ExtensionWindowTest, AddRejectsAnIllegalEntryWithTheErrorMessage) {
  for (const wchar_t* text : {L"*.", L".tmp", L"*tmp", L"*.*", L"*", L"*.t|p"}) {
    SetWindowTextW(editor.AddText(), text);
    Press(editor.AddButton());
    EXPECT_EQ(platform::WindowText(editor.AddText()), L"*.") << text;
  }
  ASSERT_EQ(messages.shown.size(), 6u);
  EXPECT_EQ(messages.shown[0].text, L"Please fill a legal extention name and try again!");
  EXPECT_EQ(messages.shown[0].caption, L"Error");
  EXPECT_EQ(messages.shown[0].type, static_cast<UINT>(MB_ICONERROR | MB_OK));
  EXPECT_EQ(ReadText(program / L"Ext.txt"), "*.tmp\r\nhand edited\r\n*.gid\r\n");
  EXPECT_TRUE(pushed.empty());
}

TEST_F(ExtensionWindowTest, AddOfAListedEntryAddsNothing) {
  for (const wchar_t* text : {L"*.gid", L"*.TMP"}) {
    SetWindowTextW(editor.AddText(), text);
    Press(editor.AddButton());
    EXPECT_EQ(platform::WindowText(editor.AddText()), L"*.") << text;
  }
  EXPECT_EQ(ReadText(program / L"Ext.txt"), "*.tmp\r\nhand edited\r\n*.gid\r\n");
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ExtensionWindowTest, RemoveDropsTheSelectedEntryEverywhereAndKeepsHandEditedLines) {
  AppendExtension(program.Path(), L"*.gid");
  SendMessageW(editor.FileTypes(), LB_SETCURSEL, 1, 0);
  Press(editor.RemoveButton());
  EXPECT_EQ(ReadText(program / L"Ext.txt"), "*.tmp\r\nhand edited\r\n");
  EXPECT_EQ(ListBoxItems(editor.FileTypes()), (std::vector<std::wstring>{L"*.tmp"}));
  EXPECT_EQ(pushed, (std::vector<std::wstring>{L"*.tmp"}));
}

TEST_F(ExtensionWindowTest, DefaultAsksAndOnlyYesRestoresTheFourEntries) {
  messages.answer = IDNO;
  Press(editor.DefaultButton());
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, L"Are you sure you want to Return to the defaul settings?");
  EXPECT_EQ(messages.shown[0].caption, L"Warnning:");
  EXPECT_EQ(messages.shown[0].type, static_cast<UINT>(MB_YESNO));
  EXPECT_EQ(ReadText(program / L"Ext.txt"), "*.tmp\r\nhand edited\r\n*.gid\r\n");
  EXPECT_TRUE(pushed.empty());
  messages.answer = IDYES;
  Press(editor.DefaultButton());
  EXPECT_EQ(ReadText(program / L"Ext.txt"), "*.tmp\r\n*.gid\r\n*.swp\r\n*.chk\r\n");
  EXPECT_EQ(ListBoxItems(editor.FileTypes()).size(), 4u);
  EXPECT_EQ(pushed, (std::vector<std::wstring>{L"*.tmp;*.gid;*.swp;*.chk"}));
}

TEST_F(ExtensionWindowTest, EveryChangeReachesTheSearchToolAtOnce) {
  TempRegistryKey locateKey;
  dialogs::LocateWindow locate(program.Path(), DiskmoteSettings(HKEY_CURRENT_USER, locateKey.Subkey()));
  ASSERT_TRUE(locate.Create(nullptr, false));
  dialogs::ExtensionWindow wired(program.Path(), settings,
                                 [&locate](const std::wstring& text) { locate.SetSearchString(text); });
  ASSERT_TRUE(wired.Create(locate.Handle(), false));
  SetWindowTextW(wired.AddText(), L"*.log");
  Press(wired.AddButton());
  EXPECT_EQ(platform::WindowText(locate.Control(dialogs::LocateWindow::kSearchStringId)), L"*.tmp;*.gid;*.log");
  Press(wired.DoneButton());
  EXPECT_EQ(wired.Handle(), nullptr);
}

TEST_F(LocateWindowTest, TabFollowsTheColumnsAndLettersPressTheirButtons) {
  HWND hwnd = window.Handle();
  ASSERT_TRUE(IsWindowEnabled(Control(W::kFindId)));
  EXPECT_EQ(TabOrder(hwnd, Control(W::kDriveId)),
            (std::vector<HWND>{Control(W::kDriveId), Control(W::kFolderId), Control(W::kSearchStringId),
                               Control(W::kRecycleId), Control(W::kSubFoldersId), Control(W::kFindId),
                               Control(W::kExitId), Control(W::kOptionsId), Control(W::kResultsId),
                               Control(W::kDeleteId), Control(W::kSelectAllId), Control(W::kSelectNoneId)}));
  EXPECT_EQ(SharedMnemonics(hwnd), std::vector<std::wstring>{});

  window.ChangeFolder(tree.Path());
  SetWindowTextW(Control(W::kSearchStringId), L"*.txt");
  const wchar_t subFolders = toolkit::MnemonicOf(platform::WindowText(Control(W::kSubFoldersId)));
  ASSERT_NE(subFolders, 0);
  EXPECT_TRUE(Feed(hwnd, AltLetter(Control(W::kResultsId), subFolders)));
  EXPECT_EQ(Setting(L"StartUp", L"SubFolders"), L"0");
  EXPECT_TRUE(Feed(hwnd, AltLetter(Control(W::kResultsId), L'F')));
  EXPECT_EQ(ListedPaths(), (std::set<std::wstring>{tree / L"keep.txt"}));
  EXPECT_TRUE(Feed(hwnd, AltLetter(Control(W::kResultsId), L'O')));
  EXPECT_EQ(SelectedCount(), 0);
  EXPECT_TRUE(Feed(hwnd, AltLetter(Control(W::kResultsId), L'C')));
  EXPECT_EQ(SelectedCount(), 1);
  EXPECT_TRUE(Feed(hwnd, KeyDown(Control(W::kResultsId), VK_ESCAPE)));
  EXPECT_EQ(window.Handle(), nullptr);
}

TEST_F(ExtensionWindowTest, TabFromTheListOverTheFieldToTheButtonsAndEscapeCloses) {
  HWND hwnd = editor.Handle();
  EXPECT_EQ(TabOrder(hwnd, editor.FileTypes()),
            (std::vector<HWND>{editor.FileTypes(), editor.AddText(), editor.AddButton(), editor.RemoveButton(),
                               editor.DefaultButton(), editor.DoneButton()}));
  EXPECT_EQ(SharedMnemonics(hwnd), std::vector<std::wstring>{});
  SetWindowTextW(editor.AddText(), L"*.bak");
  EXPECT_TRUE(Feed(hwnd, AltLetter(editor.AddText(), L'A')));
  EXPECT_EQ(ReadText(program / L"Ext.txt"), "*.tmp\r\nhand edited\r\n*.gid\r\n*.bak\r\n");
  EXPECT_TRUE(Feed(hwnd, KeyDown(editor.FileTypes(), VK_ESCAPE)));
  EXPECT_EQ(editor.Handle(), nullptr);
}

}  // namespace
