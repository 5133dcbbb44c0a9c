#include "dialogs/about_window.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/window_text.h"
#include "support/test_support.h"
#include "support/window_support.h"
#include "toolkit/product.h"

using namespace testing_support;
using platform::WindowText;

namespace {

TEST(AboutWindow, ShowsNameVersionCopyrightAndClosesWithOk) {
  TempFolder program;
  dialogs::AboutWindow window(program.Path());
  ASSERT_TRUE(window.Create(nullptr, false));
  EXPECT_FALSE(IsWindowVisible(window.Handle()));
  EXPECT_EQ(WindowText(window.Handle()), L"About Trellwipe");
  std::vector<std::wstring> texts;
  for (HWND child : Children(window.Handle())) texts.push_back(WindowText(child));
  for (const wchar_t* text : {L"Trellwipe", L"Version V6.50", L"OK"}) {
    EXPECT_NE(std::find(texts.begin(), texts.end(), text), texts.end()) << text;
  }
  EXPECT_TRUE(std::any_of(texts.begin(), texts.end(),
                          [](const std::wstring& text) { return text.starts_with(L"Copyright (C) "); }));

  SendMessageW(GetDlgItem(window.Handle(), IDOK), BM_CLICK, 0, 0);
  EXPECT_EQ(window.Handle(), nullptr);
}

TEST(AboutWindow, ItsLinkOpensTheProductWebPage) {
  TempFolder program;
  std::vector<std::wstring> opened;
  dialogs::AboutWindow window(program.Path(), [&](const std::wstring& target) { opened.push_back(target); });
  ASSERT_TRUE(window.Create(nullptr, false));
  HWND link = GetDlgItem(window.Handle(), 101);
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(WindowText(link), std::wstring(L"<a>") + toolkit::kProductWebPage + L"</a>");
  NMHDR click = {link, 101, static_cast<UINT>(NM_CLICK)};
  SendMessageW(window.Handle(), WM_NOTIFY, 101, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(opened, std::vector<std::wstring>{toolkit::kProductWebPage});
}

TEST(AboutWindow, TakesTheSkinOfItsProgramFolder) {
  TempFolder program;
  WriteText(program / L"skins\\frmmain.skn", "font=Courier New\r\n");
  dialogs::AboutWindow window(program.Path());
  ASSERT_TRUE(window.Create(nullptr, false));
  HWND ok = GetDlgItem(window.Handle(), IDOK);
  LOGFONTW font{};
  ASSERT_TRUE(GetObjectW(reinterpret_cast<HFONT>(SendMessageW(ok, WM_GETFONT, 0, 0)), sizeof(font), &font));
  EXPECT_STREQ(font.lfFaceName, L"Courier New");
  SendMessageW(window.Handle(), WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(window.Handle(), nullptr);
}

// The link, which lays its text out from the left, stands centred under the centred lines, as large
// as its text in the skin's font with room for its focus frame; Enter on opening presses OK.
TEST(AboutWindow, ItsLinkStandsCentredAndOkTakesEnter) {
  TempFolder program;
  WriteText(program / L"skins\\frmmain.skn", "fontsize=12\r\n");
  dialogs::AboutWindow window(program.Path());
  ASSERT_TRUE(window.Create(nullptr, false));
  HWND link = GetDlgItem(window.Handle(), 101);
  RECT client, place;
  GetClientRect(window.Handle(), &client);
  GetWindowRect(link, &place);
  MapWindowPoints(nullptr, window.Handle(), reinterpret_cast<POINT*>(&place), 2);
  SIZE ideal{};
  SendMessageW(link, LM_GETIDEALHEIGHT, client.right, reinterpret_cast<LPARAM>(&ideal));
  EXPECT_LE(std::abs(place.left - (client.right - place.right)), 1);
  EXPECT_GE(place.right - place.left, ideal.cx + 2);
  EXPECT_LE(place.right - place.left, ideal.cx + 4);
  EXPECT_GE(place.bottom - place.top, ideal.cy + 2);
  EXPECT_EQ(GetNextDlgTabItem(window.Handle(), nullptr, FALSE), GetDlgItem(window.Handle(), IDOK));
}

}  // namespace
