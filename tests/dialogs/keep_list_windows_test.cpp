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

constexpr wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr wchar_t kTypedUrls[] = L"Software\\Microsoft\\Internet Explorer\\TypedURLs";

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


std::vector<std::wstring> Sorted(std::vector<std::wstring> items) {
  std::sort(items.begin(), items.end());
  return items;
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

void Click(HWND list, int index) {
  SendMessageW(list, LB_SETCURSEL, index, 0);
  SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
}


void ExpectSingleSelection(HWND list) {
  EXPECT_EQ(SendMessageW(list, LB_GETSELCOUNT, 0, 0), LB_ERR);  // only multiple-selection lists count
}

// A list box shows its horizontal scroll bar, and has the style bit, only while the extent is wider.
void ExpectHorizontalScrollBar(HWND list) {
  RECT client{};
  GetClientRect(list, &client);
  ASSERT_GT(Extent(list), client.right);
  EXPECT_TRUE(GetWindowLongW(list, GWL_STYLE) & WS_HSCROLL);
}

std::string Line(const std::wstring& text) { return platform::Narrow(text) + "\r\n"; }

class CookieKeepList : public ::testing::Test {
 protected:
  TempFolder program, cookies;
  ScopedRegistryValue cookiesFolder{HKEY_CURRENT_USER, kShellFolders, L"Cookies", cookies.Path(), REG_EXPAND_SZ};
  std::wstring keepFile = program / L"keepcook.dat";
  std::wstring shortCookie = cookies / L"me@a.txt";
  std::wstring longCookie = cookies / L"me@a-much-longer-cookie-name.example.txt";
  std::wstring backupCookie = cookies / L"me@old.txt.bak";
  keeplists::CookieKeepListWindow window{program.Path()};

  void SetUp() override {
    WriteText(shortCookie, "short\r\nexample.com/\r\n");
    WriteText(longCookie, "long\r\nexample.org/\r\n");
    WriteText(backupCookie, "backup");
    WriteText(cookies / L"me@CAPS.TXT", "not a cookie: the test is case-sensitive");
    WriteText(cookies / L"index.dat", "not a cookie");
    MakeFile(cookies / L"folder.txt\\me@deep.txt", 4);
  }

  std::vector<std::wstring> AllCookies() const { return Sorted({shortCookie, longCookie, backupCookie}); }
};

TEST_F(CookieKeepList, LoadListsTheCookiesAndTheKeptEntries) {
  WriteText(keepFile, Line(longCookie + L"   ") + "\r\n" + "C:\\gone\\me@x.txt\t \r\n" + Line(shortCookie));
  ASSERT_TRUE(window.Create(nullptr, false));
  EXPECT_FALSE(IsWindowVisible(window.Handle()));

  EXPECT_EQ(WindowText(window.Handle()), L"Cookies Options");
  for (const wchar_t* text : {L"Cookies", L"Current Cookies List", L"Cookies Keep List", L"Add >", L"< Remove"}) {
    EXPECT_TRUE(HasChildText(window.Handle(), text)) << text;
  }
  EXPECT_EQ(toolkit::WithoutMnemonic(WindowText(window.AddButton())), L"Add >");
  EXPECT_EQ(toolkit::WithoutMnemonic(WindowText(window.RemoveButton())), L"< Remove");

  EXPECT_EQ(Sorted(ListBoxItems(window.CurrentList())), AllCookies());
  EXPECT_EQ(ListBoxItems(window.KeepList()), (std::vector<std::wstring>{longCookie, L"", L"C:\\gone\\me@x.txt", shortCookie}));

  EXPECT_GT(Extent(window.KeepList()), 8);
  EXPECT_EQ(Extent(window.KeepList()), WidestItemPlus8(window.KeepList()));
  EXPECT_EQ(Extent(window.CurrentList()), WidestItemPlus8(window.CurrentList()));
  ExpectSingleSelection(window.CurrentList());
  ExpectSingleSelection(window.KeepList());
  ExpectHorizontalScrollBar(window.CurrentList());

  LONG previewStyle = GetWindowLongW(window.Preview(), GWL_STYLE);
  EXPECT_TRUE(previewStyle & ES_MULTILINE);
  EXPECT_TRUE(previewStyle & ES_READONLY);
  EXPECT_EQ(WindowText(window.Preview()), L"");
}

TEST_F(CookieKeepList, WithoutAKeepFileTheCookiesStillScrollSideways) {
  ASSERT_TRUE(window.Create(nullptr, false));
  EXPECT_EQ(ListBoxItems(window.KeepList()).size(), 0u);
  EXPECT_EQ(ListBoxItems(window.CurrentList()).size(), 3u);
  EXPECT_EQ(Extent(window.CurrentList()), WidestItemPlus8(window.CurrentList()));
  EXPECT_GT(Extent(window.CurrentList()), 0);
  EXPECT_EQ(Extent(window.KeepList()), 0);

  ScopedRegistryValue missing(HKEY_CURRENT_USER, kShellFolders, L"Cookies", cookies / L"missing", REG_EXPAND_SZ);
  WriteText(keepFile, Line(shortCookie));
  keeplists::CookieKeepListWindow again(program.Path());
  ASSERT_TRUE(again.Create(nullptr, false));
  EXPECT_EQ(ListBoxItems(again.CurrentList()).size(), 0u);
  EXPECT_EQ(Extent(again.CurrentList()), 0);
  EXPECT_EQ(ListBoxItems(again.KeepList()), std::vector<std::wstring>{shortCookie});
}

TEST_F(CookieKeepList, AddAppendsTheSelectedCookieAndLeavesItInTheCurrentList) {
  ASSERT_TRUE(window.Create(nullptr, false));
  std::vector<std::wstring> current = ListBoxItems(window.CurrentList());
  int shortRow = static_cast<int>(std::find(current.begin(), current.end(), shortCookie) - current.begin());
  int longRow = static_cast<int>(std::find(current.begin(), current.end(), longCookie) - current.begin());

  Click(window.CurrentList(), shortRow);
  Press(window.AddButton());
  EXPECT_EQ(ListBoxItems(window.KeepList()), std::vector<std::wstring>{shortCookie});
  EXPECT_EQ(ReadText(keepFile), Line(shortCookie));
  EXPECT_EQ(ListBoxItems(window.CurrentList()), current);
  LRESULT shortExtent = Extent(window.KeepList());
  EXPECT_EQ(shortExtent, WidestItemPlus8(window.KeepList()));

  // A second Add of the same cookie keeps it once.
  Click(window.CurrentList(), longRow);
  Press(window.AddButton());
  Press(window.AddButton());
  EXPECT_EQ(ListBoxItems(window.KeepList()), (std::vector<std::wstring>{shortCookie, longCookie}));
  EXPECT_EQ(ReadText(keepFile), Line(shortCookie) + Line(longCookie));
  EXPECT_GT(Extent(window.KeepList()), shortExtent);
  EXPECT_EQ(Extent(window.KeepList()), WidestItemPlus8(window.KeepList()));

  SendMessageW(window.CurrentList(), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  Press(window.AddButton());
  EXPECT_EQ(ListBoxItems(window.KeepList()).back(), L"");
  EXPECT_EQ(ReadText(keepFile), Line(shortCookie) + Line(longCookie) + "\r\n");
}

// The file, in the system's code page, would keep "?" in its place and the cookie would go.
TEST_F(CookieKeepList, ACookieTheCodePageCannotNameIsRefusedWithAMessage) {
  std::wstring foreign = cookies / L"me@\u65e5\u672c.txt";
  WriteText(foreign, "foreign");
  MessageRecorder messages;
  ASSERT_TRUE(window.Create(nullptr, false));
  std::vector<std::wstring> current = ListBoxItems(window.CurrentList());
  Click(window.CurrentList(), static_cast<int>(std::find(current.begin(), current.end(), foreign) - current.begin()));
  Press(window.AddButton());
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_NE(messages.shown[0].text.find(foreign), std::wstring::npos) << messages.shown[0].text;
  EXPECT_TRUE(ListBoxItems(window.KeepList()).empty());
  EXPECT_FALSE(Exists(keepFile));
}

TEST_F(CookieKeepList, RemoveRewritesTheFileInListOrder) {
  WriteText(keepFile, Line(longCookie) + Line(shortCookie) + Line(longCookie));
  ASSERT_TRUE(window.Create(nullptr, false));

  Click(window.KeepList(), 2);
  Press(window.RemoveButton());
  EXPECT_EQ(ListBoxItems(window.KeepList()), (std::vector<std::wstring>{longCookie, shortCookie}));
  EXPECT_EQ(ReadText(keepFile), Line(longCookie) + Line(shortCookie));

  LRESULT bothExtent = Extent(window.KeepList());
  Click(window.KeepList(), 0);
  Press(window.RemoveButton());
  EXPECT_EQ(ReadText(keepFile), Line(shortCookie));
  EXPECT_LT(Extent(window.KeepList()), bothExtent);
  EXPECT_EQ(Extent(window.KeepList()), WidestItemPlus8(window.KeepList()));

  Click(window.KeepList(), 0);
  Press(window.RemoveButton());
  EXPECT_EQ(ListBoxItems(window.KeepList()).size(), 0u);
  EXPECT_TRUE(Exists(keepFile));
  EXPECT_EQ(ReadText(keepFile), "");
  EXPECT_EQ(Extent(window.KeepList()), 0);
}

TEST_F(CookieKeepList, ClickingACookieInEitherListPreviewsIt) {
  WriteText(keepFile, Line(longCookie));
  ASSERT_TRUE(window.Create(nullptr, false));
  std::vector<std::wstring> current = ListBoxItems(window.CurrentList());
  int shortRow = static_cast<int>(std::find(current.begin(), current.end(), shortCookie) - current.begin());

  Click(window.CurrentList(), shortRow);
  EXPECT_EQ(WindowText(window.Preview()), L"short\r\nexample.com/\r\n");
  Click(window.KeepList(), 0);
  EXPECT_EQ(WindowText(window.Preview()), L"long\r\nexample.org/\r\n");

  ASSERT_TRUE(DeleteFileW(shortCookie.c_str()));
  Click(window.CurrentList(), shortRow);
  EXPECT_EQ(WindowText(window.Preview()), L"long\r\nexample.org/\r\n");
}

TEST_F(CookieKeepList, EscapeClosesTheWindow) {
  ASSERT_TRUE(window.Create(nullptr, true));
  HWND dialog = window.Handle();
  EXPECT_TRUE(IsWindowVisible(dialog));
  MSG escape = {};
  escape.hwnd = window.CurrentList();
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
  keeplists::UrlKeepListWindow window{program.Path()};
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

  Click(window.CurrentList(), 1);
  Press(window.AddButton());
  Click(window.CurrentList(), 2);
  Press(window.AddButton());
  EXPECT_EQ(ReadText(keepFile), "\r\nhttp://a-much-longer-address.example/path\r\nhttp://blank.example/\r\n");
  EXPECT_EQ(ListBoxItems(window.CurrentList()).size(), 3u);
  EXPECT_EQ(Extent(window.KeepList()), WidestItemPlus8(window.KeepList()));

  Click(window.KeepList(), 1);
  Press(window.RemoveButton());
  EXPECT_EQ(ReadText(keepFile), "\r\nhttp://blank.example/\r\n");
  EXPECT_EQ(Extent(window.KeepList()), WidestItemPlus8(window.KeepList()));
  for (int i = 0; i < 2; ++i) {
    Click(window.KeepList(), 0);
    Press(window.RemoveButton());
  }
  EXPECT_TRUE(Exists(keepFile));
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
      {keeplists::ShowCookieKeepList, L"Cookies Options"}, {keeplists::ShowUrlKeepList, L"URL Drop-List Options"}};
  for (const auto& [show, caption] : windows) {
    modalCaption.clear();
    ASSERT_NE(SetTimer(nullptr, 0, 20, CancelModalWindow), 0u);
    show(nullptr, program.Path());
    EXPECT_EQ(modalCaption, caption);
  }
}

TEST_F(CookieKeepList, TabGoesFromTheCookiesOverTheButtonsToTheKeptOnesAndThePreview) {
  ASSERT_TRUE(window.Create(nullptr, false));
  EXPECT_EQ(TabOrder(window.Handle(), window.CurrentList()),
            (std::vector<HWND>{window.CurrentList(), window.AddButton(), window.RemoveButton(), window.KeepList(),
                               window.Preview()}));
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
  ASSERT_TRUE(GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window.AddButton(), WM_GETFONT, 0, 0)), sizeof(font),
                         &font));
  EXPECT_STREQ(font.lfFaceName, L"Courier New");
}

}  // namespace
