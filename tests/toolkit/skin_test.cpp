#include "toolkit/skin.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/handles.h"
#include "shipped_skin.h"
#include "support/test_support.h"
#include "toolkit/dialog_template.h"
#include "toolkit/theme.h"

using namespace testing_support;

namespace {

constexpr WORD kStaticId = 101, kGroupId = 102, kEditId = 103, kButtonId = 104;

INT_PTR CALLBACK PlainDialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// A hidden dialog that knows nothing of skins, with a list view added the way the main window adds one.
platform::Window MakeDialog() {
  toolkit::DialogTemplate dialog(WS_POPUP | WS_CAPTION, 200, 120, L"Plain");
  dialog.Item(toolkit::kStaticClass, SS_LEFT, L"Label", 10, 10, 80, 10, kStaticId);
  dialog.Item(toolkit::kButtonClass, BS_GROUPBOX, L"Group", 10, 24, 180, 40, kGroupId);
  dialog.Item(toolkit::kEditClass, WS_BORDER, L"edit", 10, 70, 80, 12, kEditId);
  dialog.Item(toolkit::kButtonClass, BS_PUSHBUTTON, L"OK", 100, 70, 40, 14, kButtonId);
  platform::Window window(CreateDialogIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), nullptr, PlainDialog, 0));
  INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&classes);
  CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT, 0, 90, 100, 40, window.get(), nullptr,
                  GetModuleHandleW(nullptr), nullptr);
  return window;
}

HWND ListView(HWND dialog) { return FindWindowExW(dialog, nullptr, WC_LISTVIEWW, nullptr); }

HFONT FontOf(HWND control) { return reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)); }

COLORREF BrushColour(LRESULT brush) {
  LOGBRUSH logBrush{};
  EXPECT_TRUE(GetObjectW(reinterpret_cast<HBRUSH>(brush), sizeof(logBrush), &logBrush));
  return logBrush.lbColor;
}

toolkit::Skin Colourful() {
  toolkit::Skin skin;
  skin.background = RGB(0x10, 0x20, 0x30);
  skin.text = RGB(0x40, 0x50, 0x60);
  skin.accent = RGB(0x70, 0x80, 0x90);
  skin.field = RGB(0xA0, 0xB0, 0xC0);
  skin.fontFace = L"Courier New";
  skin.fontPoints = 12;
  return skin;
}

// A memory DC with a small bitmap, for the colour messages and the background erase.
class Canvas {
 public:
  Canvas() : dc_(CreateCompatibleDC(nullptr)) {
    HDC screen = GetDC(nullptr);
    bitmap_ = CreateCompatibleBitmap(screen, 8, 8);
    ReleaseDC(nullptr, screen);
    old_ = SelectObject(dc_.get(), bitmap_);
  }
  ~Canvas() {
    SelectObject(dc_.get(), old_);
    DeleteObject(bitmap_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  HDC Get() const { return dc_.get(); }

 private:
  platform::MemoryDc dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

LRESULT ColourMessage(HWND dialog, UINT message, HDC dc, WORD control) {
  return SendMessageW(dialog, message, reinterpret_cast<WPARAM>(dc),
                      reinterpret_cast<LPARAM>(GetDlgItem(dialog, control)));
}

TEST(SkinFile, ColoursAreHashAndSixHexDigits) {
  EXPECT_EQ(toolkit::ParseColour(L"#FF8000"), RGB(0xFF, 0x80, 0x00));
  EXPECT_EQ(toolkit::ParseColour(L"#a0b1c2"), RGB(0xA0, 0xB1, 0xC2));
  for (const wchar_t* bad : {L"", L"FF8000", L"#FF800", L"#FF80001", L"#GG0000", L"# F8000", L"0xFF8000"}) {
    EXPECT_FALSE(toolkit::ParseColour(bad)) << bad;
  }
}

TEST(SkinFile, GoodFileSetsEveryValue) {
  toolkit::Skin skin = toolkit::ParseSkin(
      "; comment\r\n# another\r\n[skin]\r\nBackground = #102030\r\ntext=#405060\r\n  accent=#708090  \r\n"
      "field=#A0B0C0\nfont = Courier New \r\nFontSize=12");
  EXPECT_EQ(skin.background, RGB(0x10, 0x20, 0x30));
  EXPECT_EQ(skin.text, RGB(0x40, 0x50, 0x60));
  EXPECT_EQ(skin.accent, RGB(0x70, 0x80, 0x90));
  EXPECT_EQ(skin.field, RGB(0xA0, 0xB0, 0xC0));
  EXPECT_EQ(skin.fontFace, L"Courier New");
  EXPECT_EQ(skin.fontPoints, 12);
}

TEST(SkinFile, MalformedValuesAreIgnoredOneByOne) {
  toolkit::Skin skin = toolkit::ParseSkin(
      "background=#12345\r\ntext=#010203\r\nfontsize=200\r\nfontsize=abc\r\nfontsize=5\r\nfont=\r\n"
      "font=A face name far longer than a font face may be\r\naccent\r\nunknown=#FFFFFF\r\n=#FFFFFF\r\n"
      "field=#0A0B0C\r\n");
  EXPECT_FALSE(skin.background);
  EXPECT_EQ(skin.text, RGB(1, 2, 3));
  EXPECT_FALSE(skin.accent);
  EXPECT_EQ(skin.field, RGB(0x0A, 0x0B, 0x0C));
  EXPECT_EQ(skin.fontPoints, 0);
  EXPECT_EQ(skin.fontFace, L"");

  // A later good line still counts after a bad one for the same key.
  EXPECT_EQ(toolkit::ParseSkin("fontsize=x\nfontsize=9\n").fontPoints, 9);
  EXPECT_EQ(toolkit::ParseSkin("background=red\nbackground=#000001\n").background, RGB(0, 0, 1));
}

TEST(SkinFile, ShippedSkinSetsEveryValue) {
  toolkit::Skin skin = toolkit::ParseSkin(kShippedSkin);
  EXPECT_TRUE(skin.background && skin.text && skin.accent && skin.field);
  EXPECT_FALSE(skin.fontFace.empty());
  EXPECT_GT(skin.fontPoints, 0);
}

TEST(SkinFile, LoadReadsTheFileAndMissingFileGivesNothing) {
  TempFolder folder;
  EXPECT_FALSE(toolkit::LoadSkin(folder / L"none.skn"));
  WriteText(toolkit::SkinFile(folder.Path()), "text=#010203\r\n");
  EXPECT_EQ(toolkit::SkinFile(folder.Path()), folder.Path() + L"\\skins\\frmmain.skn");
  std::optional<toolkit::Skin> skin = toolkit::LoadSkin(toolkit::SkinFile(folder.Path()));
  ASSERT_TRUE(skin);
  EXPECT_EQ(skin->text, RGB(1, 2, 3));
}

TEST(SkinApply, MissingFileLeavesThePlainLook) {
  TempFolder folder;
  platform::Window dialog = MakeDialog();
  ASSERT_TRUE(dialog);
  Canvas canvas;
  HFONT font = FontOf(GetDlgItem(dialog.get(), kStaticId));
  LRESULT plain = ColourMessage(dialog.get(), WM_CTLCOLORSTATIC, canvas.Get(), kStaticId);
  COLORREF plainText = GetTextColor(canvas.Get());

  toolkit::ApplySkinFile(dialog.get(), folder.Path());
  EXPECT_EQ(FontOf(GetDlgItem(dialog.get(), kStaticId)), font);
  SetTextColor(canvas.Get(), RGB(1, 1, 1));
  EXPECT_EQ(ColourMessage(dialog.get(), WM_CTLCOLORSTATIC, canvas.Get(), kStaticId), plain);
  EXPECT_EQ(GetTextColor(canvas.Get()), plainText);
}

TEST(SkinApply, DialogGetsTheFontAndColoursWithoutCooperating) {
  platform::Window dialog = MakeDialog();
  ASSERT_TRUE(dialog);
  toolkit::ApplySkin(dialog.get(), Colourful());

  HFONT font = FontOf(GetDlgItem(dialog.get(), kStaticId));
  LOGFONTW logFont{};
  ASSERT_TRUE(GetObjectW(font, sizeof(logFont), &logFont));
  EXPECT_STREQ(logFont.lfFaceName, L"Courier New");
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(logFont.lfHeight, -MulDiv(12, GetDeviceCaps(screen, LOGPIXELSY), 72));
  ReleaseDC(nullptr, screen);
  for (WORD id : {kGroupId, kEditId, kButtonId}) EXPECT_EQ(FontOf(GetDlgItem(dialog.get(), id)), font) << id;
  EXPECT_EQ(FontOf(ListView(dialog.get())), font);

  Canvas canvas;
  LRESULT brush = ColourMessage(dialog.get(), WM_CTLCOLORSTATIC, canvas.Get(), kStaticId);
  EXPECT_EQ(BrushColour(brush), RGB(0x10, 0x20, 0x30));
  EXPECT_EQ(GetTextColor(canvas.Get()), RGB(0x40, 0x50, 0x60));
  EXPECT_EQ(GetBkColor(canvas.Get()), RGB(0x10, 0x20, 0x30));

  EXPECT_EQ(ColourMessage(dialog.get(), WM_CTLCOLORSTATIC, canvas.Get(), kGroupId), brush);
  EXPECT_EQ(GetTextColor(canvas.Get()), RGB(0x70, 0x80, 0x90));
  EXPECT_EQ(ColourMessage(dialog.get(), WM_CTLCOLORBTN, canvas.Get(), kButtonId), brush);
  EXPECT_EQ(SendMessageW(dialog.get(), WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(canvas.Get()),
                         reinterpret_cast<LPARAM>(dialog.get())),
            brush);

  LRESULT field = ColourMessage(dialog.get(), WM_CTLCOLOREDIT, canvas.Get(), kEditId);
  EXPECT_EQ(BrushColour(field), RGB(0xA0, 0xB0, 0xC0));
  EXPECT_EQ(GetBkColor(canvas.Get()), RGB(0xA0, 0xB0, 0xC0));
  EXPECT_EQ(GetTextColor(canvas.Get()), RGB(0x40, 0x50, 0x60));

  EXPECT_EQ(ListView_GetBkColor(ListView(dialog.get())), RGB(0xA0, 0xB0, 0xC0));
  EXPECT_EQ(ListView_GetTextColor(ListView(dialog.get())), RGB(0x40, 0x50, 0x60));

  SetPixel(canvas.Get(), 3, 3, RGB(0xFF, 0xFF, 0xFF));
  EXPECT_EQ(SendMessageW(dialog.get(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.Get()), 0), 1);
  EXPECT_EQ(GetPixel(canvas.Get(), 3, 3), RGB(0x10, 0x20, 0x30));
}

TEST(SkinApply, ALinkThatDeletesItsBrushLeavesTheOtherControlsTheirs) {
  platform::Window dialog = MakeDialog();
  ASSERT_TRUE(dialog);
  INITCOMMONCONTROLSEX links = {sizeof(links), ICC_LINK_CLASS};
  InitCommonControlsEx(&links);
  HWND link = CreateWindowExW(0, L"SysLink", L"<a>link</a>", WS_CHILD | WS_VISIBLE, 0, 0, 60, 20, dialog.get(), nullptr,
                              nullptr, nullptr);
  ASSERT_TRUE(link);
  toolkit::ApplySkin(dialog.get(), Colourful());
  Canvas canvas;
  // Painting twice: under Wine the link deletes the brush it was given each time.
  for (int paint = 0; paint < 2; ++paint) {
    SendMessageW(link, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Get()), PRF_CLIENT);
    EXPECT_EQ(BrushColour(SendMessageW(dialog.get(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(canvas.Get()),
                                       reinterpret_cast<LPARAM>(link))),
              RGB(0x10, 0x20, 0x30));
  }
  EXPECT_EQ(BrushColour(ColourMessage(dialog.get(), WM_CTLCOLORSTATIC, canvas.Get(), kStaticId)),
            RGB(0x10, 0x20, 0x30));
}

TEST(SkinApply, ColoursOnlySkinKeepsTheFontAndLeavesFieldsAlone) {
  platform::Window dialog = MakeDialog();
  ASSERT_TRUE(dialog);
  Canvas canvas;
  HFONT font = FontOf(GetDlgItem(dialog.get(), kStaticId));
  LRESULT plainField = ColourMessage(dialog.get(), WM_CTLCOLOREDIT, canvas.Get(), kEditId);
  toolkit::Skin skin;
  skin.text = RGB(9, 8, 7);
  toolkit::ApplySkin(dialog.get(), skin);
  EXPECT_EQ(FontOf(GetDlgItem(dialog.get(), kStaticId)), font);
  EXPECT_EQ(ColourMessage(dialog.get(), WM_CTLCOLOREDIT, canvas.Get(), kEditId), plainField);
  EXPECT_EQ(GetTextColor(canvas.Get()), RGB(9, 8, 7));
}

TEST(SkinApply, ApplyingAgainReplacesAndFreesTheEarlierSkin) {
  platform::Window dialog = MakeDialog();
  ASSERT_TRUE(dialog);
  HFONT original = FontOf(GetDlgItem(dialog.get(), kStaticId));
  Canvas canvas;
  toolkit::ApplySkin(dialog.get(), Colourful());
  HFONT firstFont = FontOf(GetDlgItem(dialog.get(), kStaticId));
  LRESULT firstBrush = ColourMessage(dialog.get(), WM_CTLCOLORSTATIC, canvas.Get(), kStaticId);

  toolkit::Skin second;
  second.background = RGB(1, 2, 3);
  toolkit::ApplySkin(dialog.get(), second);
  EXPECT_EQ(BrushColour(ColourMessage(dialog.get(), WM_CTLCOLORSTATIC, canvas.Get(), kStaticId)), RGB(1, 2, 3));
  EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(firstBrush)), 0u);
  EXPECT_EQ(GetObjectType(firstFont), 0u);
  // The children went back to the dialog's own font before the skin font was freed.
  EXPECT_EQ(FontOf(GetDlgItem(dialog.get(), kStaticId)), original);
}

TEST(SkinApply, DestroyingSkinnedWindowsFreesTheirGdiObjects) {
  for (int round = 0; round < 5; ++round) {
    platform::Window dialog = MakeDialog();
    ASSERT_TRUE(dialog);
    toolkit::ApplySkin(dialog.get(), Colourful());
    Canvas canvas;
    HGDIOBJ brush = reinterpret_cast<HGDIOBJ>(ColourMessage(dialog.get(), WM_CTLCOLORSTATIC, canvas.Get(), kStaticId));
    HGDIOBJ field = reinterpret_cast<HGDIOBJ>(ColourMessage(dialog.get(), WM_CTLCOLOREDIT, canvas.Get(), kEditId));
    HGDIOBJ font = FontOf(GetDlgItem(dialog.get(), kStaticId));
    ASSERT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
    ASSERT_EQ(GetObjectType(field), static_cast<DWORD>(OBJ_BRUSH));
    ASSERT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT));
    dialog.reset();
    EXPECT_EQ(GetObjectType(brush), 0u) << round;
    EXPECT_EQ(GetObjectType(field), 0u) << round;
    EXPECT_EQ(GetObjectType(font), 0u) << round;
  }
}

TEST(SkinTheme, HighContrastWinsThenTheUsersChoiceThenWindowsDarkApps) {
  using platform::Appearance;
  using toolkit::Theme;
  const struct {
    bool highContrast, appsDark;
    Appearance appearance;
    Theme theme;
  } cases[] = {
      {false, false, Appearance::AsWindows, Theme::Light}, {false, true, Appearance::AsWindows, Theme::Dark},
      {false, true, Appearance::Light, Theme::Light},      {false, false, Appearance::Dark, Theme::Dark},
      {true, true, Appearance::Dark, Theme::HighContrast}, {true, false, Appearance::Light, Theme::HighContrast},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(toolkit::ResolveTheme({c.highContrast, c.appsDark}, c.appearance), c.theme)
        << c.highContrast << c.appsDark << static_cast<int>(c.appearance);
  }
}

TEST(SkinTheme, ContrastIsTheWcagRatioOfRelativeLuminances) {
  const struct {
    COLORREF one, other;
    double ratio;
  } cases[] = {
      {RGB(0, 0, 0), RGB(0xff, 0xff, 0xff), 21.0},
      {RGB(0x77, 0x77, 0x77), RGB(0xff, 0xff, 0xff), 4.48},
      {RGB(0xff, 0, 0), RGB(0xff, 0xff, 0xff), 4.0},
      {RGB(0x12, 0x34, 0x56), RGB(0x12, 0x34, 0x56), 1.0},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(toolkit::ContrastRatio(c.one, c.other), c.ratio, 0.01) << c.one;
    EXPECT_NEAR(toolkit::ContrastRatio(c.other, c.one), c.ratio, 0.01) << c.one;
  }
}

// A skin file may pair any colours: the texts of a light skin become black or white where they would
// be too faint, and the dark and high-contrast themes put their own colours in place of the file's.
TEST(SkinTheme, ThemedSkinKeepsEveryTextReadable) {
  const toolkit::Skin faint{
      RGB(0x30, 0x30, 0x30), RGB(0x50, 0x50, 0x50), RGB(0xee, 0xee, 0xee), RGB(0xff, 0xff, 0xff), L"Tahoma", 0};
  for (toolkit::Theme theme : {toolkit::Theme::Light, toolkit::Theme::Dark, toolkit::Theme::HighContrast}) {
    const toolkit::Skin skin = toolkit::ThemedSkin(faint, theme);
    EXPECT_EQ(skin.fontFace, L"Tahoma");
    EXPECT_GE(toolkit::ContrastRatio(*skin.text, *skin.background), toolkit::kLeastContrast) << int(theme);
    EXPECT_GE(toolkit::ContrastRatio(*skin.text, *skin.field), toolkit::kLeastContrast) << int(theme);
    EXPECT_GE(toolkit::ContrastRatio(*skin.accent, *skin.background), toolkit::kLeastContrast) << int(theme);
  }
  EXPECT_EQ(toolkit::ThemedSkin(faint, toolkit::Theme::Light).text, RGB(0xff, 0xff, 0xff));
  EXPECT_EQ(toolkit::ThemedSkin(faint, toolkit::Theme::Light).accent, faint.accent);
  EXPECT_EQ(toolkit::ThemedSkin(faint, toolkit::Theme::Dark).background,
            toolkit::PaletteOf(toolkit::Theme::Dark).background);
  EXPECT_EQ(toolkit::ThemedSkin(faint, toolkit::Theme::HighContrast).field, GetSysColor(COLOR_WINDOW));
}

TEST(SkinTheme, AppsAreDarkOnlyWhenTheUsersPersonalizeKeySaysZero) {
  platform::RegKey key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, platform::kPersonalizeKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            key.out(), nullptr),
            ERROR_SUCCESS);
  const struct {
    DWORD type;
    std::string data;
    bool dark;
  } cases[] = {
      {REG_NONE, "", false},
      {REG_DWORD, std::string("\1\0\0\0", 4), false},
      {REG_DWORD, std::string("\0\0\0\0", 4), true},
      {REG_SZ, std::string("0\0", 2), false},
  };
  for (const auto& c : cases) {
    RegDeleteValueW(key.get(), platform::kAppsUseLightTheme);
    if (c.type != REG_NONE) {
      RegSetValueExW(key.get(), platform::kAppsUseLightTheme, 0, c.type, reinterpret_cast<const BYTE*>(c.data.data()),
                     static_cast<DWORD>(c.data.size()));
    }
    EXPECT_EQ(platform::ReadSystemTheme().appsDark, c.dark) << c.type;
  }
  RegDeleteValueW(key.get(), platform::kAppsUseLightTheme);
}

}  // namespace
