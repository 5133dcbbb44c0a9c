#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dialogs/cookie_window.h"
#include "dialogs/url_window.h"
#include "platform/text.h"
#include "platform/window_text.h"
#include "support/keyboard_support.h"
#include "support/message_recorder.h"
#include "support/test_support.h"
#include "support/window_support.h"
#include "toolkit/keyboard.h"

using namespace testing_support;
using platform::WindowText;

namespace {

// The texts as displayed, without the mnemonic marks.
std::vector<std::wstring> ChildTexts(HWND parent) {
  std::vector<std::wstring> texts;
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM out) {
        reinterpret_cast<std::vector<std::wstring>*>(out)->push_back(toolkit::WithoutMnemonic(WindowText(child)));
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&texts));
  return texts;
}

bool HasChildText(HWND parent, const std::wstring& text) {
  std::vector<std::wstring> texts = ChildTexts(parent);
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

LRESULT Extent(HWND list) { return SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0); }

// Measured on the list's own window DC, not the way the window measures it.
class ListDc {
 public:
  explicit ListDc(HWND list) : list_(list), dc_(GetDC(list)) {}
  ~ListDc() { ReleaseDC(list_, dc_); }
  ListDc(const ListDc&) = delete;
  ListDc& operator=(const ListDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND list_;
  HDC dc_;
};

LONG WidestItemPlus8(HWND list) {
  ListDc dc(list);
  HGDIOBJ previous = SelectObject(dc.Get(), reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
  LONG widest = 0;
  for (const std::wstring& item : ListBoxItems(list)) {
    SIZE size{};
    GetTextExtentPoint32W(dc.Get(), item.c_str(), static_cast<int>(item.size()), &size);
    widest = std::max(widest, size.cx + 8);
  }
  SelectObject(dc.Get(), previous);
  return widest;
}

void ClickRow(HWND list, int index) {
  SendMessageW(list, LB_SETCURSEL, index, 0);
  SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
}

void ExpectSingleSelection(HWND list) {
  EXPECT_EQ(SendMessageW(list, LB_GETSELCOUNT, 0, 0), LB_ERR);  // only multiple-selection lists count
}

// Sites from three browsers, as the census of this user's profiles would give them.
keeplists::CookieCensus ThreeBrowsers() {
  return {{{L"bank.co.uk", {L"Chrome"}, 3},
           {L"example.com", {L"Internet Explorer", L"Chrome", L"Firefox"}, 12},
           {L"news.org", {L"Edge"}, 1}},
          {L"Opera: C:\\profiles\\Opera Stable\\Network\\Cookies (in use)"}};
}

class CookieKeepList : public ::testing::Test {
 protected:
  TempFolder program;
  std::wstring keepFile = program / L"keepcook.dat";
  std::string oldLines = "C:\\Cookies\\me@bank.txt\r\nsite:example.com\r\nC:\\Cookies\\me@gone.txt\r\n";
  dialogs::CookieKeepListWindow window{program.Path(), ThreeBrowsers};

  void Type(const std::wstring& text) { SetWindowTextW(window.SearchBox(), text.c_str()); }
};

TEST_F(CookieKeepList, LoadListsTheSitesWithTheirBrowsersAndEveryLineOfTheFile) {
  WriteText(keepFile, oldLines);
  ASSERT_TRUE(window.Create(nullptr, false));
  EXPECT_FALSE(IsWindowVisible(window.Handle()));
  EXPECT_EQ(WindowText(window.Handle()), L"Cookies Options");
  for (const wchar_t* text :
       {L"Cookies", L"Search:", L"Sites with cookies", L"Cookies Keep List", L"Add >", L"< Remove", L"OK", L"Cancel"}) {
    EXPECT_TRUE(HasChildText(window.Handle(), text)) << text;
  }
  EXPECT_EQ(ListBoxItems(window.SiteList()),
            (std::vector<std::wstring>{L"bank.co.uk  (Chrome: 3)",
                                       L"example.com  (Internet Explorer, Chrome, Firefox: 12)  - kept",
                                       L"news.org  (Edge: 1)"}));
  EXPECT_EQ(ListBoxItems(window.KeepList()),
            (std::vector<std::wstring>{L"C:\\Cookies\\me@bank.txt", L"example.com  (the whole site)",
                                       L"C:\\Cookies\\me@gone.txt"}));
  EXPECT_NE(WindowText(window.Note()).find(L"Not read while its browser runs: Opera: "), std::wstring::npos);
  EXPECT_EQ(Extent(window.KeepList()), WidestItemPlus8(window.KeepList()));
  ExpectSingleSelection(window.SiteList());
}

// The note wraps inside its box and shows every line at once: as the window opens, naming a browser
// it could not read, and after Add says what it stored.
TEST_F(CookieKeepList, TheNoteIsWrappedAndTallEnoughForItsWholeText) {
  ASSERT_TRUE(window.Create(nullptr, false));
  const struct {
    const char* when;
    const wchar_t* typed;
  } kCases[] = {{"as opened", nullptr}, {"after Add", L"mail.example.org"}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.when);
    if (c.typed) {
      Type(c.typed);
      Press(window.AddButton());
    }
    HWND note = window.Note();
    const std::wstring text = WindowText(note);
    RECT room{};
    SendMessageW(note, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&room));
    ListDc dc(note);
    HGDIOBJ previous = SelectObject(dc.Get(), reinterpret_cast<HFONT>(SendMessageW(note, WM_GETFONT, 0, 0)));
    RECT needed{0, 0, room.right - room.left, 0};
    DrawTextW(dc.Get(), text.c_str(), static_cast<int>(text.size()), &needed,
              DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
    EXPECT_LE(needed.bottom, room.bottom - room.top);
    // Each line the box shows fits its width: none runs on out of sight.
    const LRESULT lines = SendMessageW(note, EM_GETLINECOUNT, 0, 0);
    EXPECT_GE(lines, 3);
    for (LRESULT line = 0; line < lines; ++line) {
      const LRESULT start = SendMessageW(note, EM_LINEINDEX, line, 0);
      const int length = static_cast<int>(SendMessageW(note, EM_LINELENGTH, start, 0));
      SIZE size{};
      GetTextExtentPoint32W(dc.Get(), text.c_str() + start, length, &size);
      EXPECT_LE(size.cx, room.right - room.left) << line;
    }
    SelectObject(dc.Get(), previous);
  }
}

TEST_F(CookieKeepList, TheSearchBoxFiltersTheSitesAsTheUserTypes) {
  ASSERT_TRUE(window.Create(nullptr, false));
  Type(L"O");
  EXPECT_EQ(ListBoxItems(window.SiteList()),
            (std::vector<std::wstring>{L"bank.co.uk  (Chrome: 3)",
                                       L"example.com  (Internet Explorer, Chrome, Firefox: 12)",
                                       L"news.org  (Edge: 1)"}));
  Type(L"News");
  EXPECT_EQ(ListBoxItems(window.SiteList()), std::vector<std::wstring>{L"news.org  (Edge: 1)"});
  Type(L"nothing");
  EXPECT_TRUE(ListBoxItems(window.SiteList()).empty());
}

TEST_F(CookieKeepList, AddKeepsThePickedOrTypedSiteAndOkStoresTheListWithTheOldLines) {
  WriteText(keepFile, oldLines);
  ASSERT_TRUE(window.Create(nullptr, false));
  ClickRow(window.SiteList(), 0);
  Press(window.AddButton());
  Press(window.AddButton());  // kept once
  Type(L"Mail.Other.org");
  Press(window.AddButton());
  EXPECT_EQ(ListBoxItems(window.KeepList()),
            (std::vector<std::wstring>{L"C:\\Cookies\\me@bank.txt", L"example.com  (the whole site)",
                                       L"C:\\Cookies\\me@gone.txt", L"bank.co.uk  (the whole site)",
                                       L"other.org  (the whole site)"}));
  EXPECT_EQ(ReadText(keepFile), oldLines);  // nothing stored before OK
  Press(window.Control(IDOK));
  EXPECT_EQ(window.Handle(), nullptr);
  EXPECT_EQ(ReadText(keepFile), oldLines + "site:bank.co.uk\r\nsite:other.org\r\n");
}

TEST_F(CookieKeepList, TheExactHostBoxKeepsOnlyTheHostTypedOrPickedShownApartAndRemovable) {
  WriteText(keepFile, oldLines);
  ASSERT_TRUE(window.Create(nullptr, false));
  Press(window.ExactHostBox());
  Type(L"Mail.Example.com");
  Press(window.AddButton());
  Type(L"");
  ClickRow(window.SiteList(), 2);
  Press(window.AddButton());
  EXPECT_EQ(ListBoxItems(window.KeepList()),
            (std::vector<std::wstring>{L"C:\\Cookies\\me@bank.txt", L"example.com  (the whole site)",
                                       L"C:\\Cookies\\me@gone.txt", L"mail.example.com  (this host only)",
                                       L"news.org  (this host only)"}));
  EXPECT_EQ(ListBoxItems(window.SiteList())[2], L"news.org  (Edge: 1)  - kept: news.org only");
  ClickRow(window.KeepList(), 1);
  Press(window.RemoveButton());
  EXPECT_EQ(ListBoxItems(window.SiteList())[1],
            L"example.com  (Internet Explorer, Chrome, Firefox: 12)  - kept: mail.example.com only");
  Press(window.Control(IDOK));
  EXPECT_EQ(ReadText(keepFile),
            "C:\\Cookies\\me@bank.txt\r\nC:\\Cookies\\me@gone.txt\r\nhost:mail.example.com\r\nhost:news.org\r\n");
}

TEST_F(CookieKeepList, RemoveThenOkDropsTheLineAndLeavesTheOthersInOrder) {
  WriteText(keepFile, oldLines);
  ASSERT_TRUE(window.Create(nullptr, false));
  ClickRow(window.KeepList(), 1);
  Press(window.RemoveButton());
  EXPECT_EQ(ListBoxItems(window.SiteList())[1], L"example.com  (Internet Explorer, Chrome, Firefox: 12)");
  Press(window.Control(IDOK));
  EXPECT_EQ(ReadText(keepFile), "C:\\Cookies\\me@bank.txt\r\nC:\\Cookies\\me@gone.txt\r\n");
}

TEST_F(CookieKeepList, CancelStoresNothing) {
  WriteText(keepFile, oldLines);
  ASSERT_TRUE(window.Create(nullptr, false));
  ClickRow(window.KeepList(), 0);
  Press(window.RemoveButton());
  Type(L"other.org");
  Press(window.AddButton());
  Press(window.Control(IDCANCEL));
  EXPECT_EQ(window.Handle(), nullptr);
  EXPECT_EQ(ReadText(keepFile), oldLines);

  // Without a file, OK with nothing changed makes none either.
  DeleteFileW(keepFile.c_str());
  dialogs::CookieKeepListWindow again(program.Path(), ThreeBrowsers);
  ASSERT_TRUE(again.Create(nullptr, false));
  Press(again.Control(IDOK));
  ExpectGone(keepFile);
}

// Typed in another script or pasted from the address bar, a site is kept as browsers store it, and the
// note says so.
TEST_F(CookieKeepList, AnInternationalNameOrAnAddressIsKeptAsBrowsersStoreIt) {
  MessageRecorder messages;
  ASSERT_TRUE(window.Create(nullptr, false));
  Type(L"\u043F\u0440\u0438\u043C\u0435\u0440.\u0440\u0444");  // "пример.рф"
  Press(window.AddButton());
  EXPECT_NE(WindowText(window.Note()).find(L"\r\nAdded: site:xn--e1afmkfd.xn--p1ai (stored when you press OK)"),
            std::wstring::npos);
  Type(L"https://www.mybank.co.uk/login");
  Press(window.AddButton());
  EXPECT_EQ(ListBoxItems(window.KeepList()),
            (std::vector<std::wstring>{L"xn--e1afmkfd.xn--p1ai  (the whole site)", L"mybank.co.uk  (the whole site)"}));
  Press(window.Control(IDOK));
  EXPECT_EQ(ReadText(keepFile), "site:xn--e1afmkfd.xn--p1ai\r\nsite:mybank.co.uk\r\n");
  EXPECT_EQ(messages.Texts(), std::vector<std::wstring>{});
}

TEST_F(CookieKeepList, TextThatNamesNoSiteIsRefusedWithAMessage) {
  MessageRecorder messages;
  ASSERT_TRUE(window.Create(nullptr, false));
  for (const wchar_t* typed : {L"C:\\Cookies\\me@a.txt", L"two words"}) {
    Type(typed);
    Press(window.AddButton());
  }
  EXPECT_EQ(messages.Texts(),
            (std::vector<std::wstring>{L"\"C:\\Cookies\\me@a.txt\" is not a site: a site's name cannot hold \":\".",
                                       L"\"two words\" is not a site: a site's name cannot hold \" \"."}));
  EXPECT_TRUE(ListBoxItems(window.KeepList()).empty());
}

TEST_F(CookieKeepList, EscapeClosesTheWindow) {
  ASSERT_TRUE(window.Create(nullptr, true));
  HWND dialog = window.Handle();
  EXPECT_TRUE(IsWindowVisible(dialog));
  MSG escape = {};
  escape.hwnd = window.SiteList();
  escape.message = WM_KEYDOWN;
  escape.wParam = VK_ESCAPE;
  EXPECT_TRUE(IsDialogMessageW(dialog, &escape));
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(window.Handle(), nullptr);
}

class UrlKeepList : public ::testing::Test {
 protected:
  TempFolder program;
  KeyRemovedIfNew key{HKEY_CURRENT_USER, kTypedUrls};
  ScopedRegistryValue url1{HKEY_CURRENT_USER, kTypedUrls, L"url1", L"http://a.example/"};
  ScopedRegistryValue url2{HKEY_CURRENT_USER, kTypedUrls, L"url2", L"http://a-much-longer-address.example/path"};
  ScopedRegistryValue url3{HKEY_CURRENT_USER, kTypedUrls, L"url3", L"http://blank.example/  "};
  std::wstring keepFile = program / L"keepurl.dat";
  dialogs::UrlKeepListWindow window{program.Path()};
};

TEST_F(UrlKeepList, LoadListsTheTypedUrlsAndTheKeptOnes) {
  WriteText(keepFile, "http://kept.example/  \r\nftp://x/\r\n");
  ASSERT_TRUE(window.Create(nullptr, false));

  EXPECT_EQ(WindowText(window.Handle()), L"URL Drop-List Options");
  for (const wchar_t* text : {L"URL Drop-List", L"Current URL List", L"URL Keep List", L"Add >", L"< Remove"}) {
    EXPECT_TRUE(HasChildText(window.Handle(), text)) << text;
  }
  EXPECT_EQ(ListBoxItems(window.CurrentList()),
            (std::vector<std::wstring>{L"http://a.example/", L"http://a-much-longer-address.example/path",
                                       L"http://blank.example/  "}));
  EXPECT_EQ(ListBoxItems(window.KeepList()), (std::vector<std::wstring>{L"http://kept.example/", L"ftp://x/"}));
  EXPECT_EQ(Extent(window.KeepList()), WidestItemPlus8(window.KeepList()));
  EXPECT_EQ(Extent(window.CurrentList()), WidestItemPlus8(window.CurrentList()));
  EXPECT_GT(Extent(window.CurrentList()), Extent(window.KeepList()));
  ExpectSingleSelection(window.CurrentList());
  ExpectSingleSelection(window.KeepList());
}

TEST_F(UrlKeepList, AddAndRemoveChangeTheFileAtOnce) {
  ASSERT_TRUE(window.Create(nullptr, false));
  EXPECT_EQ(Extent(window.CurrentList()), WidestItemPlus8(window.CurrentList()));

  Press(window.AddButton());
  EXPECT_EQ(ListBoxItems(window.KeepList()), std::vector<std::wstring>{L""});
  EXPECT_EQ(ReadText(keepFile), "\r\n");

  ClickRow(window.CurrentList(), 1);
  Press(window.AddButton());
  ClickRow(window.CurrentList(), 2);
  Press(window.AddButton());
  EXPECT_EQ(ReadText(keepFile), "\r\nhttp://a-much-longer-address.example/path\r\nhttp://blank.example/\r\n");
  EXPECT_EQ(ListBoxItems(window.CurrentList()).size(), 3u);
  EXPECT_EQ(Extent(window.KeepList()), WidestItemPlus8(window.KeepList()));

  ClickRow(window.KeepList(), 1);
  Press(window.RemoveButton());
  EXPECT_EQ(ReadText(keepFile), "\r\nhttp://blank.example/\r\n");
  EXPECT_EQ(Extent(window.KeepList()), WidestItemPlus8(window.KeepList()));
  for (int i = 0; i < 2; ++i) {
    ClickRow(window.KeepList(), 0);
    Press(window.RemoveButton());
  }
  ExpectKept(keepFile);
  EXPECT_EQ(ReadText(keepFile), "");
  EXPECT_EQ(Extent(window.KeepList()), 0);
}

// Closes the modal window from inside its own message loop, noting the caption it had.
std::wstring modalCaption;

void CALLBACK CancelModalWindow(HWND, UINT, UINT_PTR timer, DWORD) {
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM) {
        if (!IsWindowVisible(hwnd)) return TRUE;
        modalCaption = WindowText(hwnd);
        PostMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
        return FALSE;
      },
      0);
  if (!modalCaption.empty()) KillTimer(nullptr, timer);
}

TEST(KeepListWindows, ModalWindowsReturnWhenCancelled) {
  TempFolder program;
  KeyRemovedIfNew key{HKEY_CURRENT_USER, kTypedUrls};
  const std::pair<void (*)(HWND, const std::wstring&), std::wstring> windows[] = {
      {dialogs::ShowCookieKeepList, L"Cookies Options"}, {dialogs::ShowUrlKeepList, L"URL Drop-List Options"}};
  for (const auto& [show, caption] : windows) {
    modalCaption.clear();
    ASSERT_NE(SetTimer(nullptr, 0, 20, CancelModalWindow), 0u);
    show(nullptr, program.Path());
    EXPECT_EQ(modalCaption, caption);
  }
}

TEST_F(CookieKeepList, TabGoesFromTheSearchOverTheSitesAndButtonsToTheKeptOnesAndOk) {
  ASSERT_TRUE(window.Create(nullptr, false));
  EXPECT_EQ(TabOrder(window.Handle(), window.SearchBox()),
            (std::vector<HWND>{window.SearchBox(), window.SiteList(), window.ExactHostBox(), window.AddButton(),
                               window.RemoveButton(), window.KeepList(), window.Control(IDOK),
                               window.Control(IDCANCEL)}));
  EXPECT_EQ(SharedMnemonics(window.Handle()), std::vector<std::wstring>{});
}

TEST_F(UrlKeepList, TabOrderLettersAndEscape) {
  ASSERT_TRUE(window.Create(nullptr, false));
  HWND hwnd = window.Handle();
  EXPECT_EQ(TabOrder(hwnd, window.CurrentList()),
            (std::vector<HWND>{window.CurrentList(), window.AddButton(), window.RemoveButton(), window.KeepList()}));
  EXPECT_EQ(SharedMnemonics(hwnd), std::vector<std::wstring>{});
  const wchar_t add = toolkit::MnemonicOf(WindowText(window.AddButton()));
  const wchar_t remove = toolkit::MnemonicOf(WindowText(window.RemoveButton()));
  ASSERT_NE(add, 0);
  ASSERT_NE(remove, 0);

  SendMessageW(window.CurrentList(), LB_SETCURSEL, 0, 0);
  EXPECT_TRUE(Feed(hwnd, AltLetter(window.CurrentList(), add)));
  EXPECT_EQ(ReadText(keepFile), "http://a.example/\r\n");
  SendMessageW(window.KeepList(), LB_SETCURSEL, 0, 0);
  EXPECT_TRUE(Feed(hwnd, AltLetter(window.KeepList(), remove)));
  EXPECT_EQ(ReadText(keepFile), "");
  // No OK button: Enter changes nothing, Esc closes.
  EXPECT_TRUE(Feed(hwnd, KeyDown(window.KeepList(), VK_RETURN)));
  EXPECT_EQ(window.Handle(), hwnd);
  EXPECT_TRUE(Feed(hwnd, KeyDown(window.KeepList(), VK_ESCAPE)));
  EXPECT_EQ(window.Handle(), nullptr);
}

TEST_F(UrlKeepList, TheSkinOfTheProgramFolderIsApplied) {
  WriteText(program / L"skins\\frmmain.skn", "font=Courier New\r\nfontsize=13\r\n");
  ASSERT_TRUE(window.Create(nullptr, false));
  LOGFONTW font{};
  ASSERT_TRUE(
      GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window.AddButton(), WM_GETFONT, 0, 0)), sizeof(font), &font));
  EXPECT_STREQ(font.lfFaceName, L"Courier New");
}

}  // namespace
