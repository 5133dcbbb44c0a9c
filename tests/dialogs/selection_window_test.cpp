#include "dialogs/selection_window.h"
#include "dialogs/selection_controls.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <thread>
#include <tuple>

#include <dlgs.h>

#include "engine/regfun.h"
#include "platform/languages.h"
#include "platform/system_folders.h"
#include "platform/text.h"
#include "platform/window_text.h"
#include "settings/inifun.h"
#include "settings/item_flags.h"
#include "settings/selection_layout.h"
#include "shipped_plugins.h"
#include "shipped_rules.h"
#include "shipped_translations.h"
#include "support/keyboard_support.h"
#include "support/message_recorder.h"
#include "support/policy_keys.h"
#include "support/test_support.h"
#include "support/window_support.h"
#include "toolkit/keyboard.h"

using namespace testing_support;
using dialogs::SelectionWindow;
using platform::WindowText;

namespace {

constexpr wchar_t kOutlookKey[] = L"SOFTWARE\\Microsoft\\Outlook Express";
constexpr wchar_t kMailKey[] = L"Software\\Microsoft\\Windows Mail";

bool Ticked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

std::vector<std::wstring> ColumnHeaders(HWND list) {
  std::vector<std::wstring> headers;
  for (int i = 0;; ++i) {
    wchar_t text[64] = L"";
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = text;
    column.cchTextMax = 64;
    if (!ListView_GetColumn(list, i, &column)) return headers;
    headers.push_back(text);
  }
}

// The user picks a tab: the control changes and tells its parent.
void PickTab(HWND tabs, int index) {
  TabCtrl_SetCurSel(tabs, index);
  NMHDR header{tabs, static_cast<UINT_PTR>(GetDlgCtrlID(tabs)), static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageW(GetParent(tabs), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

// Shown as far as the hidden test window allows: the control and every page up to the window.
bool OnShownPage(HWND control, HWND window) {
  for (HWND hwnd = control; hwnd && hwnd != window; hwnd = GetParent(hwnd)) {
    if (!(GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE)) return false;
  }
  return true;
}

RECT ScreenRect(HWND hwnd) {
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  return rect;
}

class ScopedCurrentDirectory {
 public:
  explicit ScopedCurrentDirectory(const std::wstring& folder) {
    GetCurrentDirectoryW(MAX_PATH, saved_);
    SetCurrentDirectoryW(folder.c_str());
  }
  ~ScopedCurrentDirectory() { SetCurrentDirectoryW(saved_); }

 private:
  wchar_t saved_[MAX_PATH] = L"";
};

class SelectionWindowTest : public ::testing::Test {
 protected:
  TempFolder program;
  std::wstring settingsFile = program / L"prisd.dat";
  std::wstring listFile = program / L"cusd.dat";
  std::wstring pluginFolder = program / L"plus-in";
  MessageRecorder messages;  // questions are answered OK unless messages.answers says otherwise
  std::vector<std::wstring> opened;
  UINT addCommand = 0;
  std::optional<engine::normal::FileDialogResult> files;
  std::optional<std::wstring> folder;
  std::unique_ptr<SelectionWindow> window;

  dialogs::SelectionServices Services() {
    dialogs::SelectionServices services;
    services.chooseAddCommand = [this](HWND, HWND button) {
      EXPECT_EQ(button, window->Button(L"Command101"));
      return addCommand;
    };
    services.chooseFiles = [this](HWND) { return files; };
    services.chooseFolder = [this](HWND) { return folder; };
    services.showUrlKeepList = [this](HWND, const std::wstring& at) { opened.push_back(L"url " + at); };
    services.showCookieKeepList = [this](HWND, const std::wstring& at) { opened.push_back(L"cookie " + at); };
    return services;
  }

  // The OK/Cancel questions asked, and the messages that only tell.
  std::vector<std::wstring> Questions() const { return Shown(true); }
  std::vector<std::wstring> Reports() const { return Shown(false); }
  std::vector<std::wstring> Shown(bool questions) const {
    std::vector<std::wstring> texts;
    for (const MessageRecorder::Shown& message : messages.shown) {
      if (((message.type & MB_TYPEMASK) == MB_OKCANCEL) == questions) texts.push_back(message.text);
    }
    return texts;
  }

  void Open() {
    window = std::make_unique<SelectionWindow>(program.Path(), Services());
    ASSERT_TRUE(window->Create(nullptr, false));
  }
  HWND Box(const wchar_t* name) const { return window->CheckBox(name); }
  void Ok() { Press(window->Button(L"Command1")); }
  // The mouse pressed and let go over a control. A question shown while the button is down is a window
  // over the control: the release lands there, and the click is lost.
  void Click(HWND control) {
    const size_t shown = messages.shown.size();
    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    if (messages.shown.size() == shown) SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  }
  std::wstring Stored(const wchar_t* section, const wchar_t* key) const {
    return settings::inifun::ReadIniValue(settingsFile, section, key);
  }
  void Define(const std::wstring& fileName, const std::string& text) {
    WriteText(pluginFolder + L"\\" + fileName, text);
  }
  static bool Present(const wchar_t* path, const wchar_t* value) {
    return engine::regfun::ReadRegistryString(path, value) != L"Error";
  }
};

TEST_F(SelectionWindowTest, TabRunsThroughTheShownPageThenBothTabStripsThenOkAndCancel) {
  Open();
  HWND hwnd = window->Handle();
  HWND page = GetParent(Box(L"Check1"));
  std::vector<HWND> expected;
  for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if ((GetWindowLongW(child, GWL_STYLE) & (WS_TABSTOP | WS_VISIBLE)) == (WS_TABSTOP | WS_VISIBLE)) {
      expected.push_back(child);
    }
  }
  ASSERT_GT(expected.size(), 10u);
  expected.insert(expected.end(), {window->BrowserTabs(), window->OuterTabs(), window->Button(L"Command1"),
                                   window->Button(L"Command3")});
  EXPECT_EQ(TabOrder(hwnd, expected.front()), expected);

  // The arrow keys on the outer strip change the page, and Tab follows.
  EXPECT_TRUE(Feed(hwnd, KeyDown(window->OuterTabs(), VK_RIGHT)));
  EXPECT_EQ(TabCtrl_GetCurSel(window->OuterTabs()), 1);
  std::vector<HWND> windowsPage = TabOrder(hwnd, window->OuterTabs());
  ASSERT_GT(windowsPage.size(), 3u);
  EXPECT_TRUE(OnShownPage(windowsPage[3], hwnd));
  EXPECT_NE(GetParent(windowsPage[3]), page);
  EXPECT_FALSE(OnShownPage(Box(L"Check1"), hwnd));
  EXPECT_EQ(std::find(windowsPage.begin(), windowsPage.end(), window->BrowserTabs()), windowsPage.end());
}

TEST_F(SelectionWindowTest, EnterSavesEscapeWritesNothingAndTheCustomLettersWorkOnTheirPageOnly) {
  Open();
  EXPECT_EQ(SharedMnemonics(window->Handle()), std::vector<std::wstring>{});
  EXPECT_TRUE(Feed(window->Handle(), KeyDown(Box(L"Check1"), VK_ESCAPE)));
  EXPECT_EQ(window->Handle(), nullptr);
  ExpectGone(settingsFile);

  TempFolder picked;
  folder = picked.Path();
  addCommand = SelectionWindow::kAddFoldersCommand;
  Open();
  const wchar_t add = toolkit::MnemonicOf(WindowText(window->Button(L"Command101")));
  const wchar_t clear = toolkit::MnemonicOf(WindowText(window->Button(L"Command2")));
  EXPECT_TRUE(Feed(window->Handle(), AltLetter(Box(L"Check1"), add)));
  EXPECT_EQ(ListView_GetItemCount(window->CustomList()), 0);
  PickTab(window->OuterTabs(), settings::kCustomItemTab);
  EXPECT_TRUE(Feed(window->Handle(), AltLetter(window->CustomList(), add)));
  EXPECT_EQ(ListView_GetItemCount(window->CustomList()), 1);
  EXPECT_TRUE(Feed(window->Handle(), AltLetter(window->CustomList(), clear)));
  EXPECT_EQ(ListView_GetItemCount(window->CustomList()), 0);
  EXPECT_TRUE(Feed(window->Handle(), AltLetter(window->CustomList(), add)));
  EXPECT_TRUE(Feed(window->Handle(), KeyDown(window->CustomList(), VK_RETURN)));
  EXPECT_EQ(window->Handle(), nullptr);
  EXPECT_EQ(ReadText(listFile), platform::Narrow(picked.Path()) + "\tFolder\r\n");
  ExpectKept(settingsFile);
}

}  // namespace

TEST_F(SelectionWindowTest, TabsGroupsAndEveryItemBoxWithItsCaption) {
  Open();
  HWND hwnd = window->Handle();
  EXPECT_EQ(WindowText(hwnd), L"Cleaning Settings");
  EXPECT_EQ(TabCaptions(window->OuterTabs()),
            (std::vector<std::wstring>{L"Browsers", L"Windows", L"Microsoft Office", L"Applications", L"Custom Item",
                                       L"Instant Messaging", L"Email Readers", L"Rules"}));
  EXPECT_EQ(TabCaptions(window->BrowserTabs()),
            (std::vector<std::wstring>{L"Internet Explorer", L"Firefox", L"Opera", L"Netscape", L"AOL Explorer",
                                       L"MSN Explorer", L"Mozilla", L"Maxthon Browser", L"Google Chrome", L"Safari",
                                       L"Microsoft Edge", L"Brave", L"Vivaldi", L"Opera (today's)"}));
  EXPECT_EQ(ColumnHeaders(window->PluginList()),
            (std::vector<std::wstring>{L"Applications Name", L"Version", L"Note", L"Description"}));
  EXPECT_TRUE(ListView_GetExtendedListViewStyle(window->PluginList()) & LVS_EX_CHECKBOXES);
  EXPECT_EQ(ColumnHeaders(window->CustomList()), (std::vector<std::wstring>{L"Name", L"Type", L"Size", L"Modified"}));

  std::set<HWND> boxes;
  for (const settings::ItemFlag& flag : settings::ItemFlags()) {
    HWND box = Box(flag.checkBox);
    ASSERT_NE(box, nullptr) << flag.checkBox;
    EXPECT_TRUE(boxes.insert(box).second);
    EXPECT_EQ(WindowText(box), flag.caption) << flag.checkBox;
    if (*flag.group) {
      HWND group = window->GroupBox(flag.group);
      ASSERT_NE(group, nullptr) << flag.group;
      EXPECT_EQ(WindowText(group), flag.group);
      EXPECT_EQ(GetParent(group), GetParent(box)) << flag.checkBox;
      EXPECT_TRUE(Inside(ScreenRect(box), ScreenRect(group))) << flag.checkBox;
    }
    // The box shows exactly when its tab, and its browser tab, are picked.
    int outer = static_cast<int>(
        std::find(settings::kOuterTabs.begin(), settings::kOuterTabs.end(), std::wstring_view(flag.tab)) -
        settings::kOuterTabs.begin());
    PickTab(window->OuterTabs(), outer == 0 ? 1 : 0);
    EXPECT_FALSE(OnShownPage(box, hwnd)) << flag.checkBox;
    PickTab(window->OuterTabs(), outer);
    if (outer == settings::kBrowsersTab) {
      int inner = static_cast<int>(
          std::find(settings::kBrowserTabs.begin(), settings::kBrowserTabs.end(), std::wstring_view(flag.subTab)) -
          settings::kBrowserTabs.begin());
      PickTab(window->BrowserTabs(), (inner + 1) % 10);
      EXPECT_FALSE(OnShownPage(box, hwnd)) << flag.checkBox;
      PickTab(window->BrowserTabs(), inner);
    }
    EXPECT_TRUE(OnShownPage(box, hwnd)) << flag.checkBox;
  }
  EXPECT_EQ(boxes.size(), settings::ItemFlags().size());

  for (const settings::SelectAllGroup& group : settings::SelectAllGroups()) {
    HWND box = Box(group.box);
    ASSERT_NE(box, nullptr) << group.box;
    EXPECT_TRUE(boxes.insert(box).second);
    EXPECT_EQ(WindowText(box), L"Select all of the above");
    EXPECT_TRUE(Inside(ScreenRect(box), ScreenRect(window->GroupBox(group.group)))) << group.box;
  }
  // Every caption fits its box beside the check mark.
  HDC dc = GetDC(window->Handle());
  for (HWND box : boxes) {
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)));
    std::wstring caption = WindowText(box);
    SIZE text{};
    GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
    SelectObject(dc, previous);
    EXPECT_GT(text.cx, 0) << caption;
    RECT rect = ScreenRect(box);
    EXPECT_LE(text.cx + GetSystemMetrics(SM_CXMENUCHECK) + 4, rect.right - rect.left) << caption;
  }
  ReleaseDC(window->Handle(), dc);
  // No two boxes of a page overlap.
  for (HWND a : boxes) {
    for (HWND b : boxes) {
      RECT ra = ScreenRect(a), rb = ScreenRect(b), overlap;
      if (a < b && GetParent(a) == GetParent(b)) {
        EXPECT_FALSE(IntersectRect(&overlap, &ra, &rb)) << WindowText(a) << L" / " << WindowText(b);
      }
    }
  }
  for (const wchar_t* button : {L"Command7", L"Command8"}) {
    EXPECT_EQ(WindowText(window->Button(button)), L"Options");
    EXPECT_TRUE(Inside(ScreenRect(window->Button(button)), ScreenRect(window->GroupBox(L"Internet Explorer"))));
  }
  EXPECT_EQ(WindowText(window->Button(L"Command1")), L"OK");
  EXPECT_EQ(WindowText(window->Button(L"Command3")), L"Cancel");
  EXPECT_EQ(toolkit::WithoutMnemonic(WindowText(window->Button(L"Command101"))), L"Add");
  EXPECT_EQ(toolkit::WithoutMnemonic(WindowText(window->Button(L"Command102"))), L"Remove");
  EXPECT_EQ(toolkit::WithoutMnemonic(WindowText(window->Button(L"Command2"))), L"Clear");
}

// The browser tabs keep their places when one in another row is chosen.
TEST_F(SelectionWindowTest, TheBrowserTabsKeepTheirPlacesWhenATabOfAnotherRowIsChosen) {
  Open();
  HWND tabs = window->BrowserTabs();
  ASSERT_GT(TabCtrl_GetRowCount(tabs), 1);
  auto places = [tabs] {
    std::vector<std::tuple<LONG, LONG, LONG, LONG>> rects;
    for (int tab = 0; tab < TabCtrl_GetItemCount(tabs); ++tab) {
      RECT rect{};
      TabCtrl_GetItemRect(tabs, tab, &rect);
      rects.emplace_back(rect.left, rect.top, rect.right, rect.bottom);
    }
    return rects;
  };
  PickTab(tabs, 0);
  const auto before = places();
  // The last tab sits in another row than the first.
  ASSERT_NE(std::get<1>(before.front()), std::get<1>(before.back()));
  PickTab(tabs, TabCtrl_GetItemCount(tabs) - 1);
  EXPECT_EQ(places(), before);
}

TEST_F(SelectionWindowTest, WithoutASettingsFileAllIsUntickedAndOkWritesAZeroForEachFlag) {
  Open();
  for (const settings::ItemFlag& flag : settings::ItemFlags())
    EXPECT_FALSE(Ticked(Box(flag.checkBox))) << flag.checkBox;
  for (const settings::SelectAllGroup& group : settings::SelectAllGroups()) EXPECT_FALSE(Ticked(Box(group.box)));
  EXPECT_EQ(TabCtrl_GetCurSel(window->OuterTabs()), 0);
  EXPECT_EQ(TabCtrl_GetCurSel(window->BrowserTabs()), 0);
  Ok();
  EXPECT_EQ(window->Handle(), nullptr);
  ASSERT_TRUE(Exists(settingsFile));
  for (const settings::ItemFlag& flag : settings::ItemFlags()) {
    EXPECT_EQ(Stored(flag.section, flag.key), L"0") << flag.section << L"/" << flag.key;
  }
  EXPECT_EQ(Stored(L"setting", L"tab1"), L"0");
  EXPECT_EQ(Stored(L"setting", L"tab2"), L"0");
  EXPECT_EQ(ReadText(listFile), "");
}

TEST_F(SelectionWindowTest, StoredFlagsTickTheirBoxesWhateverTheLetterCase) {
  ScopedRegistryValue outlook(HKEY_LOCAL_MACHINE, kOutlookKey, L"InstallRoot", L"C:\\OE");
  WriteText(settingsFile,
            "[opera]\r\nimages=1\r\n[explorer]\r\nLOCATION= 1 \r\n[FIREFOX]\r\nCookies=01\r\nCache=2\r\nHistory=yes\r\n"
            "[Custom]\r\nCustom=1\r\n[messenger]\r\nICQFILES=1.0\r\n[OUTLOOK]\r\nSignatures=1\r\n");
  Open();
  for (const wchar_t* on : {L"Check59", L"Check1", L"Check43", L"Check52", L"Check79", L"Check119"}) {
    EXPECT_TRUE(Ticked(Box(on))) << on;
  }
  for (const wchar_t* off : {L"Check44", L"Check45", L"Check8", L"Check2"}) EXPECT_FALSE(Ticked(Box(off))) << off;
  SendMessageW(Box(L"Check2"), BM_SETCHECK, BST_CHECKED, 0);
  SendMessageW(Box(L"Check59"), BM_SETCHECK, BST_UNCHECKED, 0);
  Ok();
  EXPECT_EQ(Stored(L"OPERA", L"Images"), L"0");
  EXPECT_EQ(Stored(L"EXPLORER", L"history"), L"1");
  EXPECT_EQ(Stored(L"EXPLORER", L"location"), L"1");
  EXPECT_EQ(Stored(L"FIREFOX", L"Cookies"), L"1");
  EXPECT_EQ(Stored(L"FIREFOX", L"Cache"), L"0");
  EXPECT_EQ(Stored(L"outlook", L"signatures"), L"1");
  // The entries the file had are rewritten in place, whichever case they were in.
  std::wstring text = platform::ToLower(platform::Widen(ReadText(settingsFile)));
  EXPECT_EQ(text.find(L"[opera]"), text.rfind(L"[opera]"));
  EXPECT_EQ(text.find(L"images=1"), std::wstring::npos);
}

TEST_F(SelectionWindowTest, MailGroupsAreDisabledAndStoredOffWithoutTheirPrograms) {
  if (Present(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Outlook Express", L"InstallRoot") ||
      Present(L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows Mail", L"Store Root")) {
    GTEST_SKIP() << "this prefix has a mail program";
  }
  WriteText(settingsFile, "[outlook]\r\naddress=1\r\nsignatures=1\r\n[mail]\r\nSafe=1\r\n[WINDOWS]\r\nrecent=1\r\n");
  Open();
  for (const auto* group : {L"Outlook Express", L"Windows Live Mail"}) {
    const settings::SelectAllGroup& selectAll = *settings::SelectAllGroupOf(group);
    EXPECT_FALSE(IsWindowEnabled(Box(selectAll.box))) << selectAll.box;
    for (const wchar_t* box : selectAll.members) {
      EXPECT_FALSE(IsWindowEnabled(Box(box))) << box;
      EXPECT_FALSE(Ticked(Box(box))) << box;
    }
  }
  EXPECT_TRUE(IsWindowEnabled(Box(L"Check24")));
  EXPECT_TRUE(Ticked(Box(L"Check24")));
  Ok();
  for (const settings::ItemFlag& flag : settings::ItemFlags()) {
    if (flag.section == std::wstring(L"outlook") || flag.section == std::wstring(L"mail")) {
      EXPECT_EQ(Stored(flag.section, flag.key), L"0") << flag.key;
    }
  }

  ScopedRegistryValue outlook(HKEY_LOCAL_MACHINE, kOutlookKey, L"InstallRoot", L"C:\\OE");
  ScopedRegistryValue mail(HKEY_CURRENT_USER, kMailKey, L"Store Root", L"C:\\Mail");
  WriteText(settingsFile, "[outlook]\r\naddress=1\r\n[mail]\r\nSafe=1\r\n");
  Open();
  EXPECT_TRUE(IsWindowEnabled(Box(L"Check127")));
  EXPECT_TRUE(IsWindowEnabled(Box(L"Check128")));
  EXPECT_TRUE(Ticked(Box(L"Check110")));
  EXPECT_TRUE(Ticked(Box(L"Check123")));
  EXPECT_FALSE(Ticked(Box(L"Check111")));
}

TEST_F(SelectionWindowTest, SelectAllTicksItsGroupAndAsksBeforeFavoritesAndDownloads) {
  Open();
  messages.answers = {IDCANCEL, IDCANCEL, IDCANCEL, IDCANCEL};
  Press(Box(L"Check9"));
  ASSERT_EQ(Questions().size(), 4u);
  EXPECT_EQ(Questions()[1], L"Are you sure delete IE Favorites?");
  EXPECT_EQ(Questions()[3], L"Are you sure delete Downloaded Files?");
  const std::wstring asked[] = {L"Check4", L"Check5", L"Check6", L"Check7"};
  for (const wchar_t* box : settings::SelectAllGroupOf(L"Internet Explorer")->members) {
    EXPECT_EQ(Ticked(Box(box)), std::find(std::begin(asked), std::end(asked), box) == std::end(asked)) << box;
  }
  EXPECT_FALSE(Ticked(Box(L"Check42")));
  // The box shows whether every box under it is ticked, whichever box changed.
  EXPECT_FALSE(Ticked(Box(L"Check9")));
  messages.answers = {IDOK, IDOK, IDOK, IDOK};
  Press(Box(L"Check9"));
  EXPECT_EQ(Questions().size(), 8u);
  EXPECT_TRUE(Ticked(Box(L"Check9")));
  const wchar_t* first = settings::SelectAllGroupOf(L"Internet Explorer")->members[0];
  Press(Box(first));
  EXPECT_FALSE(Ticked(Box(L"Check9")));
  Press(Box(first));
  EXPECT_TRUE(Ticked(Box(L"Check9")));
  Press(Box(L"Check9"));
  EXPECT_EQ(Questions().size(), 8u);
  for (const wchar_t* box : settings::SelectAllGroupOf(L"Internet Explorer")->members) EXPECT_FALSE(Ticked(Box(box)));

  Press(Box(L"Check31"));
  for (const settings::ItemFlag& flag : settings::ItemFlags()) {
    EXPECT_EQ(Ticked(Box(flag.checkBox)), flag.section == std::wstring(L"WINDOWS")) << flag.checkBox;
  }
  Ok();
  EXPECT_EQ(Stored(L"WINDOWS", L"unread"), L"1");
  EXPECT_EQ(Stored(L"EXPLORER", L"favorites"), L"0");
}

namespace {

// The space bar on a box that has the focus.
void SpaceBar(HWND window, HWND box) {
  SetFocus(box);
  MSG up = KeyDown(box, VK_SPACE);
  up.message = WM_KEYUP;
  up.lParam |= 0xC0000000;
  Feed(window, KeyDown(box, VK_SPACE));
  Feed(window, up);
}

}  // namespace

TEST_F(SelectionWindowTest, TickingACostlyItemAsksAtOnceAndOkOrEnterSavesTheAnswer) {
  const struct {
    const char* how;
    bool bySpaceBar;
    int answer;
    bool byEnter;  // else by a click on OK
  } cases[] = {
      {"clicked, OK, Enter", false, IDOK, true},
      {"clicked, Cancel, Enter", false, IDCANCEL, true},
      {"space bar, OK, OK clicked", true, IDOK, false},
      {"space bar, Cancel, OK clicked", true, IDCANCEL, false},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.how);
    messages.shown.clear();
    messages.answers = {test.answer};
    DeleteFileW(settingsFile.c_str());
    Open();
    HWND favorites = Box(L"Check5");
    if (test.bySpaceBar) {
      SpaceBar(window->Handle(), favorites);
    } else {
      Click(favorites);
    }
    EXPECT_EQ(Questions(), std::vector<std::wstring>{L"Are you sure delete IE Favorites?"});
    EXPECT_EQ(Ticked(favorites), test.answer == IDOK);
    if (test.byEnter) {
      Feed(window->Handle(), KeyDown(favorites, VK_RETURN));
    } else {
      Click(window->Button(L"Command1"));
    }
    EXPECT_EQ(window->Handle(), nullptr);
    EXPECT_EQ(Questions().size(), 1u);
    EXPECT_EQ(Stored(L"EXPLORER", L"favorites"), test.answer == IDOK ? L"1" : L"0");
  }
}

TEST_F(SelectionWindowTest, AClickAfterACostlyTickTakesEffectAndUntickingAsksNothing) {
  Open();
  Click(Box(L"Check137"));
  EXPECT_EQ(Questions().size(), 1u);
  Click(Box(L"Check141"));
  EXPECT_TRUE(Ticked(Box(L"Check141")));
  Click(Box(L"Check138"));
  EXPECT_TRUE(Ticked(Box(L"Check138")));
  EXPECT_EQ(Questions(),
            (std::vector<std::wstring>{
                L"Erasing the cookies signs you out of the websites you are signed in to. Are you sure?\r\n\r\nSites "
                L"on the cookie keep list (Options beside this item) keep their cookies.",
                L"Erasing the form data loses the saved form entries, cards, addresses and passwords. Are you sure?"}));
  Click(Box(L"Check137"));
  EXPECT_EQ(Questions().size(), 2u);
  Click(window->Button(L"Command1"));
  EXPECT_EQ(window->Handle(), nullptr);
  EXPECT_EQ(Stored(L"Chrome", L"Cookies"), L"0");
  EXPECT_EQ(Stored(L"Chrome", L"Forms"), L"1");
  EXPECT_EQ(Stored(L"Chrome", L"Cache"), L"1");
}

namespace {

// Every "Options" button of the window and its pages.
size_t OptionsButtons(HWND window) {
  size_t count = 0;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM counted) {
        *reinterpret_cast<size_t*>(counted) += WindowText(child) == L"Options";
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count;
}

}  // namespace

// Each browser tab whose cookies or typed addresses a keep list spares shows, beside that box, an
// "Options" button that opens that list; the other cookie and address boxes have none.
TEST_F(SelectionWindowTest, OptionsButtonsOpenTheKeepLists) {
  for (const ShippedFile& file : kShippedRules)
    WriteText(program / (L"rules\\" + std::wstring(file.fileName)), file.text);
  Open();
  const struct {
    int tab;
    const wchar_t* beside;  // an item's box, or a browser's rule
    const wchar_t* opens;
  } kCases[] = {
      {0, L"Check1", L"url"},
      {0, L"Check4", L"cookie"},
      {1, L"Check43", L"cookie"},
      {4, L"Check51", L"url"},
      {4, L"Check50", L"cookie"},
      {8, L"Check137", L"cookie"},
      {10, L"Microsoft Edge Cookies *", L"cookie"},
      {11, L"Brave Cookies *", L"cookie"},
      {12, L"Vivaldi Cookies *", L"cookie"},
      {13, L"Opera Cookies *", L"cookie"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.beside);
    HWND button = window->OptionsButton(c.beside);
    HWND box = c.tab < 10 ? Box(c.beside) : window->BrowserRuleBox(c.beside);
    ASSERT_TRUE(button && box);
    EXPECT_EQ(WindowText(button), L"Options");
    PickTab(window->OuterTabs(), settings::kBrowsersTab);
    PickTab(window->BrowserTabs(), c.tab);
    EXPECT_TRUE(OnShownPage(button, window->Handle()));
    EXPECT_EQ(GetParent(button), GetParent(box));
    const RECT at = ScreenRect(button), of = ScreenRect(box);
    EXPECT_GE(at.left, of.right);
    EXPECT_LE(at.top, of.top);
    EXPECT_GE(at.bottom, of.bottom);
    opened.clear();
    Press(button);
    EXPECT_EQ(opened, std::vector<std::wstring>{c.opens + (L" " + program.Path())});
  }
  EXPECT_EQ(OptionsButtons(window->Handle()), std::size(kCases));
  EXPECT_EQ(window->Button(L"Command7"), window->OptionsButton(L"Check1"));
  EXPECT_EQ(window->Button(L"Command8"), window->OptionsButton(L"Check4"));
  // Opera's, Netscape's, MSN's, Mozilla's, Maxthon's and Safari's own files keep no site, and
  // Firefox's address bar history keeps no typed address.
  for (const wchar_t* box : {L"Check10", L"Check17", L"Check22", L"Check71", L"Check132", L"Check146", L"Check42"}) {
    EXPECT_EQ(window->OptionsButton(box), nullptr) << box;
  }
}

TEST_F(SelectionWindowTest, PluginListRowsAndTheirSwitchesWrittenOnOk) {
  Define(L"Alpha.ppe",
         "[name]\r\nappname=Alpha\r\n[version]\r\nappver=1.2\r\n[dec]\r\ndecs=Cleans alpha\r\n"
         "[swich]\r\non=1\r\n[file]\r\n1=appdata,\\A,a.dat\r\n");
  Define(L"Beta.PpE", "[name]\r\nappname=Beta\r\n[swich]\r\non=0\r\n");
  Define(L"old-name.ppe", "[name]\r\nappname=Renamed\r\n[swich]\r\non=1\r\n");
  Define(L"notes.txt", "[name]\r\nappname=Notes\r\n");
  Open();
  HWND list = window->PluginList();
  ASSERT_EQ(ListView_GetItemCount(list), 3);
  std::map<std::wstring, int> rows;
  for (int row = 0; row < 3; ++row) rows[ListViewText(list, row, 0)] = row;
  ASSERT_EQ(rows.size(), 3u);
  int alpha = rows.at(L"Alpha"), beta = rows.at(L"Beta"), renamed = rows.at(L"Renamed");
  EXPECT_EQ(ListViewText(list, alpha, 1), L"1.2");
  EXPECT_EQ(ListViewText(list, alpha, 3), L"Alpha 1.2 Cleans alpha");
  EXPECT_EQ(ListViewText(list, beta, 3), L"Beta  ");
  EXPECT_TRUE(ListView_GetCheckState(list, alpha));
  EXPECT_FALSE(ListView_GetCheckState(list, beta));
  EXPECT_TRUE(ListView_GetCheckState(list, renamed));

  ListView_SetCheckState(list, alpha, FALSE);
  ListView_SetCheckState(list, beta, TRUE);
  ListView_SetCheckState(list, renamed, FALSE);
  Ok();
  EXPECT_EQ(settings::inifun::ReadIniValue(pluginFolder + L"\\Alpha.ppe", L"swich", L"on"), L"0");
  EXPECT_EQ(settings::inifun::ReadIniSection(pluginFolder + L"\\Alpha.ppe", L"file").Count(), 1u);
  EXPECT_EQ(settings::inifun::ReadIniValue(pluginFolder + L"\\Beta.PpE", L"swich", L"on"), L"1");
  // The switch goes to the file named after the application; the listed file keeps its own.
  EXPECT_EQ(settings::inifun::ReadIniValue(pluginFolder + L"\\Renamed.ppe", L"swich", L"on"), L"0");
  EXPECT_EQ(settings::inifun::ReadIniValue(pluginFolder + L"\\old-name.ppe", L"swich", L"on"), L"1");
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((pluginFolder + L"\\*.*").c_str(), &data);
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(platform::ToLower(data.cFileName));
  } while (FindNextFileW(find, &data));
  FindClose(find);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names,
            (std::vector<std::wstring>{L"alpha.ppe", L"beta.ppe", L"notes.txt", L"old-name.ppe", L"renamed.ppe"}));
}

TEST_F(SelectionWindowTest, AReadOnlyPluginSaysWhyItKeepsItsSwitchOnlyWhenItWasChanged) {
  Define(L"Gamma.ppe", "[name]\r\nappname=Gamma\r\n[swich]\r\non=1\r\n");
  const std::wstring gamma = pluginFolder + L"\\Gamma.ppe";
  SetFileAttributesW(gamma.c_str(), FILE_ATTRIBUTE_READONLY);
  Open();
  Ok();
  EXPECT_TRUE(messages.shown.empty());
  Open();
  ListView_SetCheckState(window->PluginList(), 0, FALSE);
  Ok();
  SetFileAttributesW(gamma.c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_NE(messages.shown[0].text.find(L"Gamma: "), std::wstring::npos) << messages.shown[0].text;
  EXPECT_EQ(settings::inifun::ReadIniValue(gamma, L"swich", L"on"), L"1");
}

TEST_F(SelectionWindowTest, StoredTabNumbersAreRestoredAndWrittenBack) {
  WriteText(settingsFile, "[setting]\r\ntab1=3\r\ntab2=8\r\n");
  Open();
  EXPECT_EQ(TabCtrl_GetCurSel(window->OuterTabs()), 3);
  EXPECT_TRUE(OnShownPage(window->PluginList(), window->Handle()));
  EXPECT_FALSE(OnShownPage(Box(L"Check1"), window->Handle()));
  EXPECT_EQ(TabCtrl_GetCurSel(window->BrowserTabs()), 8);
  PickTab(window->OuterTabs(), 5);
  PickTab(window->BrowserTabs(), 2);
  Ok();
  EXPECT_EQ(Stored(L"setting", L"tab1"), L"5");
  EXPECT_EQ(Stored(L"setting", L"tab2"), L"2");

  WriteText(settingsFile, "[setting]\r\ntab1=8\r\ntab2=x\r\n");
  Open();
  EXPECT_EQ(TabCtrl_GetCurSel(window->OuterTabs()), 0);
  EXPECT_EQ(TabCtrl_GetCurSel(window->BrowserTabs()), 0);
  EXPECT_TRUE(OnShownPage(Box(L"Check1"), window->Handle()));
}

TEST_F(SelectionWindowTest, CustomListDropsVanishedEntriesAndShowsLoadedSizes) {
  std::wstring half = program / L"half.bin";
  std::wstring tree = program / L"Tree";
  MakeFile(half, 524288);
  MakeFile(tree + L"\\a.bin", 1048576);
  WriteText(listFile, platform::Narrow(half) + "\tFile\r\n" + platform::Narrow(program / L"gone.bin") + "\tFile\r\n" +
                          platform::Narrow(tree) + "\tFolder\r\n");
  Open();
  HWND list = window->CustomList();
  ASSERT_EQ(ListView_GetItemCount(list), 2);
  EXPECT_EQ(ListViewText(list, 0, 0), half);
  EXPECT_EQ(ListViewText(list, 0, 1), L"File");
  EXPECT_EQ(ListViewText(list, 0, 2), L"0.50 MB");
  EXPECT_FALSE(ListViewText(list, 0, 3).empty());
  EXPECT_EQ(ListViewText(list, 1, 0), tree);
  EXPECT_EQ(ListViewText(list, 1, 1), L"Folder");
  EXPECT_EQ(ListViewText(list, 1, 2), L"1.00 MB");
  Ok();
  EXPECT_EQ(ReadText(listFile), platform::Narrow(half) + "\tFile\r\n" + platform::Narrow(tree) + "\tFolder\r\n");

  // In German the kinds read German, and the list is still stored in English.
  WriteText(program / L"lang\\de.po", ShippedLanguage(L"de.po"));
  ASSERT_TRUE(platform::UseLanguage(program.Path(), L"de"));
  Open();
  EXPECT_EQ(ListViewText(window->CustomList(), 0, 1), L"Datei");
  EXPECT_EQ(ListViewText(window->CustomList(), 1, 1), L"Ordner");
  Ok();
  platform::UseLanguage(L"", platform::kEnglish);
  EXPECT_EQ(ReadText(listFile), platform::Narrow(half) + "\tFile\r\n" + platform::Narrow(tree) + "\tFolder\r\n");
}

TEST_F(SelectionWindowTest, AddFilesAddFoldersRemoveAndClear) {
  TempFolder picked;
  MakeFile(picked / L"half.bin", 524288);
  MakeFile(picked / L"big.bin", 3407872);
  MakeFile(picked / L"Docs\\a.bin", 1048576);
  ScopedCurrentDirectory current(picked.Path());
  Open();
  HWND list = window->CustomList();

  addCommand = SelectionWindow::kAddFilesCommand;
  Press(window->Button(L"Command101"));  // the dialog was cancelled
  EXPECT_EQ(ListView_GetItemCount(list), 0);
  EXPECT_EQ(SendMessageW(window->CheckBox(L"Check52"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  files = engine::normal::FileDialogResult{picked.Path() + std::wstring(L"\0half.bin\0big.bin", 17),
                                           picked.Path().size() + 1};
  Press(window->Button(L"Command101"));
  // What the user adds is ticked to go: "Custom Clean Items" with it.
  EXPECT_EQ(SendMessageW(window->CheckBox(L"Check52"), BM_GETCHECK, 0, 0), BST_CHECKED);
  files = engine::normal::FileDialogResult{picked / L"half.bin", picked.Path().size() + 1};
  Press(window->Button(L"Command101"));
  addCommand = SelectionWindow::kAddFoldersCommand;
  Press(window->Button(L"Command101"));  // the folder browser was cancelled
  folder = picked / L"Docs";
  Press(window->Button(L"Command101"));
  addCommand = 0;
  Press(window->Button(L"Command101"));
  ASSERT_EQ(ListView_GetItemCount(list), 4);
  EXPECT_EQ(ListViewText(list, 0, 0), picked / L"half.bin");
  EXPECT_EQ(ListViewText(list, 0, 1), L"File");
  EXPECT_EQ(ListViewText(list, 0, 2), L"0.50 MB");
  EXPECT_EQ(ListViewText(list, 1, 0), picked / L"big.bin");
  EXPECT_EQ(ListViewText(list, 1, 2), L"3.25 MB");
  EXPECT_EQ(ListViewText(list, 2, 0), picked / L"half.bin");
  EXPECT_EQ(ListViewText(list, 3, 0), picked / L"Docs");
  EXPECT_EQ(ListViewText(list, 3, 1), L"Folder");
  EXPECT_EQ(ListViewText(list, 3, 2), L"1.00 MB");
  EXPECT_FALSE(ListViewText(list, 3, 3).empty());

  Press(window->Button(L"Command102"));  // nothing selected
  EXPECT_EQ(ListView_GetItemCount(list), 4);
  ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
  Press(window->Button(L"Command102"));
  ASSERT_EQ(ListView_GetItemCount(list), 3);
  EXPECT_EQ(ListViewText(list, 1, 0), picked / L"half.bin");
  Ok();
  std::string half = platform::Narrow(picked / L"half.bin") + "\tFile\r\n";
  EXPECT_EQ(ReadText(listFile), half + half + platform::Narrow(picked / L"Docs") + "\tFolder\r\n");

  Open();
  list = window->CustomList();
  ASSERT_EQ(ListView_GetItemCount(list), 3);
  EXPECT_EQ(ListViewText(list, 0, 2), L"0.50 MB");
  Press(window->Button(L"Command2"));
  EXPECT_EQ(ListView_GetItemCount(list), 0);
  Ok();
  EXPECT_EQ(ReadText(listFile), "");
}

// What no run may erase is refused at Add with a message that names it, and a plug-in that names
// such a folder is reported when the list is loaded.
TEST_F(SelectionWindowTest, AddRefusesWhatNoRunMayEraseAndSaysWhich) {
  wchar_t programFiles[MAX_PATH] = L"", shortName[MAX_PATH] = L"";
  GetEnvironmentVariableW(L"ProgramFiles", programFiles, MAX_PATH);
  GetShortPathNameW(programFiles, shortName, MAX_PATH);
  Define(L"Wide.ppe",
         "[name]\r\nappname=Wide\r\n[folder]\r\n1=C:\\,\r\n2=" + platform::Narrow(program.Path()) + ",\\plus-in\r\n");
  Open();
  ASSERT_EQ(Reports().size(), 1u);
  EXPECT_NE(Reports()[0].find(L"Wide: C:\\ is the root of a drive"), std::wstring::npos) << Reports()[0];
  EXPECT_NE(Reports()[0].find(L"Wide: " + program / L"plus-in" + L" is in Trellwipe's own folder"), std::wstring::npos);
  messages.shown.clear();

  addCommand = SelectionWindow::kAddFoldersCommand;
  for (const std::wstring& chosen : {std::wstring(shortName), std::wstring(L"C:\\"), program.Path()}) {
    folder = chosen;
    Press(window->Button(L"Command101"));
  }
  addCommand = SelectionWindow::kAddFilesCommand;
  MakeFile(program / L"prisd.dat", 1);
  files = engine::normal::FileDialogResult{program / L"prisd.dat", program.Path().size() + 1};
  Press(window->Button(L"Command101"));
  EXPECT_EQ(ListView_GetItemCount(window->CustomList()), 0);
  ASSERT_EQ(Reports().size(), 4u);
  EXPECT_EQ(Reports()[0].find(shortName), 0u) << Reports()[0];
  EXPECT_EQ(Reports()[1].find(L"C:\\ is the root of a drive."), 0u) << Reports()[1];
  EXPECT_EQ(Reports()[2].find(program.Path() + L" is in Trellwipe's own folder."), 0u) << Reports()[2];
  EXPECT_EQ(Reports()[3].find(program / L"prisd.dat"), 0u) << Reports()[3];
}

// A fixed selection greys what it decides, each box with its note beside it and each list row it ticks
// marked; a selection fixed exactly greys the plug-in and rule lists under a note of their own. OK keeps
// the user's own ticks for when the policy goes.
TEST_F(SelectionWindowTest, AFixedSelectionGreysWhatItDecidesEachWithItsNoteAndOkKeepsTheUsersTicks) {
  const std::wstring note = L"Set by your organisation";
  for (DWORD mayGrow : {0u, 1u}) {
    PolicyKeys keys;
    for (const wchar_t* item : {L"EXPLORER/cookies", L"plus-in/Alpha", L"winapp2/Beta Game *"})
      SetString(keys.machine.get(), L"Policies\\Selection", item, item);
    PolicyKeys::Set(keys.machine, L"SelectionMayGrow", mayGrow);
    keys.PutInForce();
    const settings::ItemFlag& kept = *settings::FindItemFlag(L"Check1");
    settings::inifun::WriteIniValue(settingsFile, L"EXPLORER", L"cookies", L"0");
    settings::inifun::WriteIniValue(settingsFile, kept.section, kept.key, L"1");
    Define(L"Alpha.ppe", "[name]\r\nappname=Alpha\r\n[swich]\r\non=0\r\n");
    Define(L"Beta.ppe", "[name]\r\nappname=Beta\r\n[swich]\r\non=1\r\n");
    WriteText(program / L"winapp2.ini", "[Beta Game *]\r\nSection=Games\r\nFileKey1=%TEMP%\\Beta|*\r\n");
    Open();
    const settings::ItemFlag& fixed = *settings::FindItemFlag(L"Check4");  // EXPLORER/cookies
    for (const settings::ItemFlag& flag : settings::ItemFlags()) {
      HWND box = Box(flag.checkBox);
      const bool decided = mayGrow == 0 || &flag == &fixed;
      EXPECT_EQ(window->PolicyNote(box) ? WindowText(window->PolicyNote(box)) : L"", decided ? note : L"")
          << platform::Narrow(flag.checkBox);
      if (!decided) continue;
      EXPECT_FALSE(IsWindowEnabled(box)) << platform::Narrow(flag.checkBox);
      EXPECT_EQ(Ticked(box), &flag == &fixed) << platform::Narrow(flag.checkBox);
    }
    EXPECT_EQ(Ticked(Box(kept.checkBox)), mayGrow == 1);
    EXPECT_EQ(IsWindowEnabled(Box(kept.checkBox)) != FALSE, mayGrow == 1);
    // Internet Explorer's select-all box has nothing left to set only in a selection fixed exactly.
    EXPECT_EQ(IsWindowEnabled(Box(L"Check9")) == FALSE, mayGrow == 0);

    HWND plugins = window->PluginList();
    HWND rules = window->RuleList();
    for (HWND list : {plugins, rules}) {
      EXPECT_EQ(IsWindowEnabled(list) == FALSE, mayGrow == 0);
      EXPECT_EQ(window->PolicyNote(list) ? WindowText(window->PolicyNote(list)) : L"", mayGrow == 0 ? note : L"");
    }
    const std::wstring marked = mayGrow == 1 ? L" (" + note + L")" : L"";
    ASSERT_EQ(ListView_GetItemCount(plugins), 2);
    const int alpha = ListViewText(plugins, 0, 0).starts_with(L"Alpha") ? 0 : 1;
    EXPECT_EQ(ListViewText(plugins, alpha, 0), L"Alpha" + marked);
    EXPECT_EQ(ListViewText(plugins, 1 - alpha, 0), L"Beta");
    EXPECT_EQ(ListViewText(rules, 0, 0), L"Beta Game *" + marked);
    // A row the policy ticks keeps its tick; the user's own rows are theirs.
    ListView_SetCheckState(plugins, alpha, FALSE);
    ListView_SetCheckState(rules, 0, FALSE);
    EXPECT_TRUE(ListView_GetCheckState(plugins, alpha));
    EXPECT_TRUE(ListView_GetCheckState(rules, 0));
    EXPECT_EQ(ListView_GetCheckState(plugins, 1 - alpha) != 0, mayGrow == 1);
    Ok();
    EXPECT_EQ(Stored(L"EXPLORER", L"cookies"), L"0");
    EXPECT_EQ(Stored(kept.section, kept.key), L"1");
    EXPECT_NE(Stored(L"winapp2", L"Beta Game *"), L"1");
    EXPECT_EQ(settings::inifun::ReadIniValue(pluginFolder + L"\\Alpha.ppe", L"swich", L"on"), L"0");
  }
}

TEST_F(SelectionWindowTest, CancelWritesNothing) {
  std::wstring half = program / L"half.bin";
  MakeFile(half, 524288);
  std::string list = platform::Narrow(half) + "\tFile\r\n";
  WriteText(listFile, list);
  std::string plugin = "[name]\r\nappname=Alpha\r\n[swich]\r\non=1\r\n";
  Define(L"Alpha.ppe", plugin);
  Open();
  Press(Box(L"Check31"));
  Press(window->Button(L"Command2"));
  ListView_SetCheckState(window->PluginList(), 0, FALSE);
  PickTab(window->OuterTabs(), 2);
  Press(window->Button(L"Command3"));
  EXPECT_EQ(window->Handle(), nullptr);
  ExpectGone(settingsFile);
  EXPECT_EQ(ReadText(listFile), list);
  EXPECT_EQ(ReadText(pluginFolder + L"\\Alpha.ppe"), plugin);
}

TEST_F(SelectionWindowTest, ACustomListThatCannotBeWrittenIsReportedAndKeptOnScreen) {
  MakeFolders(listFile);  // a folder where the list belongs cannot be replaced
  Define(L"Alpha.ppe", "[name]\r\nappname=Alpha\r\n[swich]\r\non=1\r\n");
  TempFolder picked;
  folder = picked.Path();
  addCommand = SelectionWindow::kAddFoldersCommand;
  Open();
  Press(window->Button(L"Command101"));
  Press(Box(L"Check1"));
  ListView_SetCheckState(window->PluginList(), 0, FALSE);
  Ok();
  ASSERT_EQ(Reports().size(), 1u);
  EXPECT_NE(Reports()[0].find(listFile), std::wstring::npos) << Reports()[0];
  ASSERT_NE(window->Handle(), nullptr);
  EXPECT_EQ(ListView_GetItemCount(window->CustomList()), 1);
  // Nothing is written: not the item flags, not the switches, not the tabs.
  ExpectGone(settingsFile);
  EXPECT_EQ(Stored(L"setting", L"tab1"), L"");
  EXPECT_EQ(settings::inifun::ReadIniValue(pluginFolder + L"\\Alpha.ppe", L"swich", L"on"), L"1");
  Press(window->Button(L"Command3"));
  EXPECT_EQ(window->Handle(), nullptr);
}

namespace {

// Answers the real file dialog as a user does: each entry is typed into its "File name" box and
// Enter pressed; a folder is entered, a file or a list of files chosen.
class DialogTypist {
 public:
  explicit DialogTypist(std::vector<std::wstring> entries)
      : thread_([entries = std::move(entries)] {
          for (const std::wstring& entry : entries) {
            HWND dialog = nullptr;
            for (int i = 0; i < 500 && !dialog; ++i) {
              dialog = FindWindowW(L"#32770", L"Open File");
              if (!dialog) Sleep(20);
            }
            if (!dialog) return;
            HWND name = GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
            SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(entry.c_str()));
            SendMessageW(dialog, WM_COMMAND, IDOK, 0);
          }
        }) {}
  ~DialogTypist() { thread_.join(); }

 private:
  std::thread thread_;
};

std::vector<std::wstring> Chosen(const std::vector<std::wstring>& typed) {
  std::optional<engine::normal::FileDialogResult> result;
  {
    DialogTypist typist(typed);
    result = dialogs::SystemSelectionServices().chooseFiles(nullptr);
  }
  std::vector<std::wstring> paths;
  if (!result) return paths;
  engine::normal::FileSelection selection = engine::normal::ParseFileSelection(*result);
  for (const std::wstring& name : selection.names) paths.push_back(selection.folder + name);
  return paths;
}

}  // namespace

// The folder the process happens to be in plays no part in what the dialog chose.
TEST(AddFilesDialog, StoresTheFilesTypedWhateverTheCurrentFolder) {
  TempFolder chosen, elsewhere;
  MakeFile(chosen / L"sample1.tmp", 10);
  MakeFile(chosen / L"b c.txt", 10);
  MakeFolders(elsewhere / L"a longer folder name");
  ScopedCurrentDirectory current(elsewhere / L"a longer folder name");
  EXPECT_EQ(Chosen({chosen / L"sample1.tmp"}), std::vector<std::wstring>{chosen / L"sample1.tmp"});
  EXPECT_EQ(Chosen({chosen.Path(), L"sample1.tmp"}), std::vector<std::wstring>{chosen / L"sample1.tmp"});
  std::vector<std::wstring> several = Chosen({chosen.Path(), L"\"sample1.tmp\" \"b c.txt\""});
  std::sort(several.begin(), several.end());
  EXPECT_EQ(several, (std::vector<std::wstring>{chosen / L"b c.txt", chosen / L"sample1.tmp"}));
}

namespace {

// The rows of the rule list: name, category and tick.
std::vector<std::wstring> RuleRows(HWND list) {
  std::vector<std::wstring> rows;
  for (int row = 0, n = ListView_GetItemCount(list); row < n; ++row) {
    wchar_t name[128] = L"", category[64] = L"";
    ListView_GetItemText(list, row, 0, name, 128);
    ListView_GetItemText(list, row, 1, category, 64);
    rows.push_back(std::wstring(ListView_GetCheckState(list, row) ? L"[x] " : L"[ ] ") + name + L" / " + category);
  }
  return rows;
}

int RuleRow(HWND list, const wchar_t* name) {
  LVFINDINFOW find{};
  find.flags = LVFI_STRING;
  find.psz = name;
  return ListView_FindItem(list, -1, &find);
}

}  // namespace

TEST_F(SelectionWindowTest, TheRulesTabListsTheEntriesFoundHereByCategoryAndStoresTheirTicksOnOk) {
  TempFolder apps;
  ScopedEnvironment variable{L"TRELLWIPE_RULE_ROOT", apps.Path()};
  MakeFolders(apps / L"Zeta");
  MakeFolders(apps / L"Alpha");
  WriteText(
      program / L"winapp2.ini",
      "[Zeta Player *]\r\nLangSecRef=3023\r\nDetectFile=%TRELLWIPE_RULE_ROOT%\\Zeta\r\nFileKey1=%TRELLWIPE_RULE_ROOT%\\Zeta|*\r\n"
      "[Alpha Chat *]\r\nLangSecRef=3022\r\nDetectFile=%TRELLWIPE_RULE_ROOT%\\Alpha\r\n"
      "Warning=Also erases your chat history.\r\nFileKey1=%TRELLWIPE_RULE_ROOT%\\Alpha|*\r\n"
      "[Missing Tool *]\r\nLangSecRef=3024\r\nDetectFile=%TRELLWIPE_RULE_ROOT%\\Missing\r\nFileKey1=%TRELLWIPE_RULE_ROOT%\\M|*\r\n"
      "[Beta Game *]\r\nSection=Games\r\nFileKey1=%TRELLWIPE_RULE_ROOT%\\Beta|*\r\n");
  WriteText(settingsFile, "[winapp2]\r\nZeta Player *=1\r\n");
  Open();
  HWND list = window->RuleList();
  EXPECT_EQ(RuleRows(list), (std::vector<std::wstring>{L"[ ] Beta Game * / Games", L"[ ] Alpha Chat * / Internet",
                                                       L"[x] Zeta Player * / Multimedia"}));
  EXPECT_NE(WindowText(window->RuleCount()).find(L"Showing 3 of 4 entries"), std::wstring::npos);

  // Ticking an entry that warns asks first; Cancel leaves it unticked.
  messages.answers = {IDCANCEL};
  ListView_SetCheckState(list, RuleRow(list, L"Alpha Chat *"), TRUE);
  EXPECT_EQ(Questions(), std::vector<std::wstring>{L"Alpha Chat *\r\n\r\nAlso erases your chat history."});
  EXPECT_FALSE(ListView_GetCheckState(list, RuleRow(list, L"Alpha Chat *")));
  ListView_SetCheckState(list, RuleRow(list, L"Alpha Chat *"), TRUE);
  EXPECT_TRUE(ListView_GetCheckState(list, RuleRow(list, L"Alpha Chat *")));
  EXPECT_EQ(Questions().size(), 2u);

  Press(window->RuleShowAll());
  EXPECT_EQ(ListView_GetItemCount(list), 4);
  EXPECT_EQ(RuleRow(list, L"Missing Tool *"), 3);  // "Utilities" sorts last
  // The search keeps what was ticked out of sight.
  SetWindowTextW(window->RuleSearch(), L"ZETA");
  EXPECT_EQ(RuleRows(list), std::vector<std::wstring>{L"[x] Zeta Player * / Multimedia"});
  ListView_SetCheckState(list, 0, FALSE);
  SetWindowTextW(window->RuleSearch(), L"internet");
  EXPECT_EQ(RuleRows(list), std::vector<std::wstring>{L"[x] Alpha Chat * / Internet"});
  SetWindowTextW(window->RuleSearch(), L"");
  ListView_SetCheckState(list, RuleRow(list, L"Missing Tool *"), TRUE);
  Ok();
  EXPECT_EQ(Stored(L"winapp2", L"Alpha Chat *"), L"1");
  EXPECT_EQ(Stored(L"winapp2", L"Zeta Player *"), L"0");
  EXPECT_EQ(Stored(L"winapp2", L"Missing Tool *"), L"1");
  EXPECT_EQ(Stored(L"winapp2", L"Beta Game *"), L"");

  // Cancel stores no tick.
  Open();
  ListView_SetCheckState(window->RuleList(), RuleRow(window->RuleList(), L"Beta Game *"), TRUE);
  Press(window->Button(L"Command3"));
  EXPECT_EQ(Stored(L"winapp2", L"Beta Game *"), L"");
}

TEST_F(SelectionWindowTest, RuleFoldersThatARunWillRefuseAreNamedAtOnce) {
  WriteText(program / L"winapp2.ini",
            "[Windows Logs *]\r\nFileKey1=%WinDir%|*.log\r\n"
            "[Setup Log *]\r\nFileKey1=%WinDir%|setup.log\r\n"
            "[Whole Profile *]\r\nFileKey1=%UserProfile%|*.tmp|RECURSE\r\n");
  WriteText(settingsFile, "[winapp2]\r\nWindows Logs *=1\r\nSetup Log *=1\r\n");
  Open();
  wchar_t windows[MAX_PATH] = L"";
  GetWindowsDirectoryW(windows, MAX_PATH);
  const std::wstring header = L"Trellwipe never erases these folders, and skips them when a rule names them:\r\n";
  ASSERT_EQ(Reports().size(), 1u);
  EXPECT_EQ(Reports()[0],
            header + L"Windows Logs *: " + windows + L" is a folder that Windows, your programs or your profile need.");
  ListView_SetCheckState(window->RuleList(), RuleRow(window->RuleList(), L"Whole Profile *"), TRUE);
  ASSERT_EQ(Reports().size(), 2u);
  EXPECT_TRUE(Reports()[1].starts_with(header + L"Whole Profile *: ")) << Reports()[1];
}

TEST_F(SelectionWindowTest, SavingMakesATickedForNewUserSelectionTheUsersOwn) {
  WriteText(settingsFile, "[Options]\r\nDefaultSelection=1\r\n[WINDOWS]\r\nrun=1\r\n");
  Open();
  Ok();
  EXPECT_EQ(Stored(L"Options", L"DefaultSelection"), L"0");
}

// Today's browsers have tabs of their own, made of the shipped rules: Edge is on this computer, Brave
// is not. Their rules are ticked there only, and a tick keeps its key in the settings file.
TEST_F(SelectionWindowTest, TodaysBrowsersTicksTheirShippedRulesOnTheirOwnTabs) {
  for (const ShippedFile& file : kShippedRules)
    WriteText(program / (L"rules\\" + std::wstring(file.fileName)), file.text);
  const std::wstring edge = platform::KnownFolder(FOLDERID_LocalAppData) + L"\\Microsoft\\Edge";
  const std::wstring brave = platform::KnownFolder(FOLDERID_LocalAppData) + L"\\BraveSoftware";
  ASSERT_FALSE(Exists(edge));
  ASSERT_FALSE(Exists(brave));
  MakeFolders(edge + L"\\User Data");
  struct Removed {
    std::wstring folder;
    ~Removed() { RemoveTree(folder); }
  } removed{edge};
  WriteText(settingsFile, "[rules]\r\nMicrosoft Edge History *=1\r\nBrave Cache *=1\r\n");
  Open();
  HWND edgeGroup = window->GroupBox(L"Microsoft Edge"), braveGroup = window->GroupBox(L"Brave");
  ASSERT_TRUE(edgeGroup && braveGroup);
  HWND edgePage = GetParent(edgeGroup), bravePage = GetParent(braveGroup);
  auto note = [](HWND page) { return FindWindowExW(page, nullptr, WC_STATICW, nullptr); };
  EXPECT_TRUE(IsWindowEnabled(edgeGroup));
  EXPECT_EQ(note(edgePage), nullptr);
  EXPECT_FALSE(IsWindowEnabled(braveGroup));
  ASSERT_NE(note(bravePage), nullptr);
  EXPECT_EQ(WindowText(note(bravePage)), L"Brave: not found on this computer.");
  for (const wchar_t* kind : {L"Cache", L"Cookies", L"History", L"Sessions"}) {
    HWND edgeBox = window->BrowserRuleBox(L"Microsoft Edge " + std::wstring(kind) + L" *");
    HWND braveBox = window->BrowserRuleBox(L"Brave " + std::wstring(kind) + L" *");
    ASSERT_TRUE(edgeBox && braveBox) << kind;
    EXPECT_EQ(WindowText(edgeBox), kind);
    EXPECT_EQ(GetParent(edgeBox), edgePage);
    EXPECT_TRUE(IsWindowEnabled(edgeBox));
    EXPECT_FALSE(IsWindowEnabled(braveBox));
  }
  HWND history = window->BrowserRuleBox(L"Microsoft Edge History *");
  HWND cookies = window->BrowserRuleBox(L"Microsoft Edge Cookies *");
  EXPECT_TRUE(Ticked(history));
  EXPECT_TRUE(Ticked(window->BrowserRuleBox(L"Brave Cache *")));  // kept, though Brave is not here
  // The rule list no longer offers them; Chrome's, whose tab holds the built-in items, stay there.
  Press(window->RuleShowAll());
  EXPECT_EQ(RuleRow(window->RuleList(), L"Microsoft Edge Cache *"), -1);
  EXPECT_EQ(RuleRow(window->RuleList(), L"Brave Cache *"), -1);
  EXPECT_NE(RuleRow(window->RuleList(), L"Google Chrome Cache *"), -1);

  // Ticking the cookies asks with the rule's warning; Cancel leaves the box unticked.
  PickTab(window->OuterTabs(), settings::kBrowsersTab);
  PickTab(window->BrowserTabs(), 10);
  EXPECT_TRUE(OnShownPage(cookies, window->Handle()));
  messages.answers = {IDCANCEL};
  Press(cookies);
  EXPECT_EQ(Questions(), std::vector<std::wstring>{
                             L"Microsoft Edge Cookies *\r\n\r\nSigns you out of the websites you are signed in to in "
                             L"Microsoft Edge.\r\n\r\nSites on the cookie keep list (Options beside this item) keep "
                             L"their cookies."});
  EXPECT_FALSE(Ticked(cookies));
  Press(cookies);
  EXPECT_TRUE(Ticked(cookies));
  Press(history);
  Ok();
  EXPECT_EQ(Stored(L"rules", L"Microsoft Edge Cookies *"), L"1");
  EXPECT_EQ(Stored(L"rules", L"Microsoft Edge History *"), L"0");
  EXPECT_EQ(Stored(L"rules", L"Brave Cache *"), L"1");
  EXPECT_EQ(Stored(L"setting", L"tab2"), L"10");

  // Opened again, the window shows what was stored, on the tab left open.
  Open();
  EXPECT_TRUE(Ticked(window->BrowserRuleBox(L"Microsoft Edge Cookies *")));
  EXPECT_FALSE(Ticked(window->BrowserRuleBox(L"Microsoft Edge History *")));
  EXPECT_EQ(TabCtrl_GetCurSel(window->BrowserTabs()), 10);
}

// Without a stored browser tab the window opens on a browser of today found here, the most used
// first; a stored tab still wins.
TEST_F(SelectionWindowTest, ANewUserStartsOnTheTabOfABrowserFoundHere) {
  for (const ShippedFile& file : kShippedRules)
    WriteText(program / (L"rules\\" + std::wstring(file.fileName)), file.text);
  const std::wstring local = platform::KnownFolder(FOLDERID_LocalAppData);
  const struct {
    std::vector<const wchar_t*> found;
    const char* stored;
    const wchar_t* tab;
  } kCases[] = {
      {{}, "", L"Internet Explorer"},
      {{L"\\Microsoft\\Edge\\User Data"}, "", L"Microsoft Edge"},
      {{L"\\Microsoft\\Edge\\User Data", L"\\Google\\Chrome\\User Data"}, "", L"Google Chrome"},
      {{L"\\Vivaldi\\User Data"}, "", L"Vivaldi"},
      {{L"\\Microsoft\\Edge\\User Data"}, "[setting]\r\ntab2=1\r\n", L"Firefox"},
  };
  for (const auto& c : kCases) {
    for (const wchar_t* folder : c.found) MakeFolders(local + folder);
    WriteText(settingsFile, c.stored);
    Open();
    const std::vector<std::wstring> captions = TabCaptions(window->BrowserTabs());
    const int shown = TabCtrl_GetCurSel(window->BrowserTabs());
    ASSERT_GE(shown, 0);
    EXPECT_EQ(captions[shown], c.tab);
    window.reset();
    for (const wchar_t* top : {L"\\Microsoft\\Edge", L"\\Google", L"\\Vivaldi"}) RemoveTree(local + top);
  }
}

// A shipped definition that does what a shipped browser rule does says where that rule is ticked.
TEST_F(SelectionWindowTest, PluginsThatDoWhatAShippedBrowserRuleDoesSaySo) {
  Define(L"Edge Cache.ppe", "[name]\r\nappname=Edge Cache\r\n[version]\r\nappver=1.0\r\n[dec]\r\ndecs=Caches\r\n");
  Define(L"Chrome Cookies.ppe",
         "[name]\r\nappname=Chrome Cookies\r\n[version]\r\nappver=1.0\r\n[dec]\r\ndecs=Cookies\r\n");
  Define(L"VLC.ppe", "[name]\r\nappname=VLC\r\n[version]\r\nappver=1.0\r\n[dec]\r\ndecs=Recent files\r\n");
  Open();
  std::map<std::wstring, std::wstring> descriptions;
  for (int row = 0; row < ListView_GetItemCount(window->PluginList()); ++row) {
    descriptions[ListViewText(window->PluginList(), row, 0)] = ListViewText(window->PluginList(), row, 3);
  }
  EXPECT_EQ(descriptions,
            (std::map<std::wstring, std::wstring>{
                {L"Edge Cache", L"Edge Cache 1.0 Caches; also on the Browsers tab: Microsoft Edge, Cache"},
                {L"Chrome Cookies",
                 L"Chrome Cookies 1.0 Cookies; also the rule Google Chrome Cookies * on the Rules tab"},
                {L"VLC", L"VLC 1.0 Recent files"}}));
}

// The question of cookies that the keep list spares says where that list is; other cookies' do not.
TEST_F(SelectionWindowTest, CookieQuestionsNameTheKeepListWhereItApplies) {
  for (const ShippedFile& file : kShippedRules)
    WriteText(program / (L"rules\\" + std::wstring(file.fileName)), file.text);
  const std::wstring signsOut =
      L"Erasing the cookies signs you out of the websites you are signed in to. Are you sure?";
  const std::wstring beside = L"\r\n\r\nSites on the cookie keep list (Options beside this item) keep their cookies.";
  const struct {
    const wchar_t* box;  // an item's box, or else a rule of the Rules tab
    std::wstring question;
  } kCases[] = {
      {L"Check137", signsOut + beside},
      {L"Check43", signsOut + beside},
      {L"Check50", signsOut + beside},
      {L"Check10", signsOut},
      {L"Check146", signsOut},
      {L"Firefox Cookies *",
       L"Firefox Cookies *\r\n\r\nSigns you out of the websites you are signed in to in Firefox.\r\n\r\nSites on "
       L"the cookie keep list (Options beside the cookies on the Browsers tab) keep their cookies."},
  };
  Open();
  Press(window->RuleShowAll());
  messages.answers = std::vector<int>(std::size(kCases), IDCANCEL);
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.box);
    messages.shown.clear();
    if (HWND box = Box(c.box)) {
      Click(box);
    } else {
      ListView_SetCheckState(window->RuleList(), RuleRow(window->RuleList(), c.box), TRUE);
    }
    EXPECT_EQ(Questions(), std::vector<std::wstring>{c.question});
  }
  // Select all asks the same of Internet Explorer's cookies.
  messages.shown.clear();
  Press(Box(L"Check9"));
  ASSERT_FALSE(Questions().empty());
  EXPECT_EQ(Questions().front(), signsOut + beside);
}

// A plug-in or a rule that reaches what a built-in item reaches says so in its row; the others' rows
// say nothing.
TEST_F(SelectionWindowTest, PluginsAndRulesThatReachABuiltInItemsPlaceSaySo) {
  for (const ShippedFile& file : kShippedRules)
    WriteText(program / (L"rules\\" + std::wstring(file.fileName)), file.text);
  for (const ShippedFile& file : kShippedPlugins) Define(file.fileName, file.text);
  Open();
  Press(window->RuleShowAll());
  const struct {
    HWND list;
    const wchar_t* row;
    const wchar_t* note;
  } kCases[] = {
      {window->PluginList(), L"Chrome Cache", L"also covered by Chrome Cache"},
      {window->PluginList(), L"Firefox Cache", L"also covered by Firefox Cache"},
      {window->PluginList(), L"Firefox History", L""},  // form history: the built-in items erase pages
      {window->PluginList(), L"VLC", L""},
      {window->RuleList(), L"Google Chrome Cache *", L"also covered by Chrome Cache"},
      {window->RuleList(), L"Google Chrome History *",
       L"also covered by Chrome download History, Chrome History, Chrome Session"},
      {window->RuleList(), L"Firefox Form History *", L""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.row);
    const int row = RuleRow(c.list, c.row);
    ASSERT_GE(row, 0);
    EXPECT_EQ(ListViewText(c.list, row, 2), c.note);
  }
}
