// Every window's texts shown whole: no control's text is wider or taller than the control, no
// character of it is missing from the control's font, and no control lies outside its parent. The
// checks run at the DPI and in the language the test process started with; one test starts this
// program again at 100 %, 150 % and 200 % in every shipped language (the system DPI is read once, at a
// process's start).
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <list>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "dialogs/about_window.h"
#include "dialogs/cookie_window.h"
#include "dialogs/details_window.h"
#include "dialogs/extension_window.h"
#include "dialogs/first_cleaning_window.h"
#include "dialogs/locate_window.h"
#include "dialogs/options_window.h"
#include "dialogs/rule_update_window.h"
#include "dialogs/selection_window.h"
#include "dialogs/url_window.h"
#include "papermill/papermill_window.h"
#include "platform/handles.h"
#include "platform/languages.h"
#include "platform/text.h"
#include "platform/translation.h"
#include "platform/window_text.h"
#include "settings/inifun.h"
#include "shipped_languages.h"
#include "shipped_rules.h"
#include "shipped_skin.h"
#include "support/every_dialog.h"
#include "support/script_fonts.h"
#include "support/test_support.h"
#include "support/window_support.h"
#include "toolkit/dpi.h"
#include "ui/main_commands.h"
#include "ui/main_window.h"
#include "ui/navigation_bar.h"
#include "ui/notification_window.h"
#include "ui/splash_window.h"

using namespace testing_support;

namespace {

std::wstring ClassOf(HWND control) {
  wchar_t name[64] = L"";
  GetClassNameW(control, name, 64);
  return name;
}

// The size `text` takes in `control`'s font: on one line, or broken into lines `wrapWidth` wide (a
// word wider than that widens the answer, as the control would cut it).
SIZE TextSize(HWND control, const std::wstring& text, int wrapWidth, UINT extraFormat = 0) {
  platform::WindowDc dc(control);
  auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  platform::SelectedObject selected(dc.get(), font ? font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT)));
  RECT rect = {0, 0, wrapWidth, 0};
  DrawTextW(dc.get(), text.c_str(), -1, &rect,
            DT_CALCRECT | extraFormat | (wrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE));
  return {rect.right, rect.bottom};
}

struct Room {
  int width, height;
};

struct Misfits {
  std::vector<std::string> found;
  void Check(HWND control, const std::wstring& text, SIZE need, Room room) {
    Glyphs(control, text);
    if (need.cx <= room.width && need.cy <= room.height) return;
    found.push_back(platform::Narrow(ClassOf(control)) + " \"" + platform::Narrow(text) + "\" needs " +
                    std::to_string(need.cx) + "x" + std::to_string(need.cy) + ", has " + std::to_string(room.width) +
                    "x" + std::to_string(room.height));
  }
  // The characters of `text` that `control`'s font has no glyph for: drawn as boxes, they would pass
  // for text.
  void Glyphs(HWND control, const std::wstring& text) {
    std::wstring drawn;
    for (wchar_t c : text) {
      if (c >= L' ') drawn += c;  // line breaks and tabs are laid out, not drawn
    }
    if (drawn.empty()) return;
    platform::WindowDc dc(control);
    auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    platform::SelectedObject selected(dc.get(), font ? font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT)));
    std::vector<WORD> glyphs(drawn.size());
    const DWORD got = GetGlyphIndicesW(dc.get(), drawn.c_str(), static_cast<int>(drawn.size()), glyphs.data(),
                                       GGI_MARK_NONEXISTING_GLYPHS);
    std::string missing;
    for (size_t i = 0; i < drawn.size(); ++i) {
      wchar_t code[8];
      swprintf(code, 8, L" U+%04X", static_cast<unsigned>(drawn[i]));
      if (got == GDI_ERROR || glyphs[i] == 0xFFFF) missing += platform::Narrow(code);
    }
    if (missing.empty()) return;
    found.push_back(platform::Narrow(ClassOf(control)) + " \"" + platform::Narrow(text) + "\" has no glyph for" +
                    missing);
  }
};

// A shipped translation's language code: "pt_BR" for "pt_BR.po".
std::wstring CodeOf(const ShippedFile& file) {
  const std::wstring name = file.fileName;
  return name.substr(0, name.size() - 3);
}

// Whether `text` is the name the language list gives a shipped language other than the one in use:
// each is named in its own script, which Windows draws from the fonts it links to the interface font.
bool IsOtherLanguagesName(const std::wstring& text) {
  for (const ShippedFile& file : kShippedLanguages) {
    const std::wstring code = CodeOf(file);
    if (code != platform::LanguageInUse() && platform::LanguageName(code) == text) return true;
  }
  return false;
}

std::wstring WithoutMarkup(const std::wstring& text) { return std::regex_replace(text, std::wregex(L"<[^>]*>"), L""); }

// The box holding every pixel that `paint` leaves unlike the top right pixel of a `size` canvas
// (a line of text leaves its top row blank).
RECT InkBox(SIZE size, const std::function<void(HDC)>& paint) {
  Canvas canvas(size);
  RECT all = {0, 0, size.cx, size.cy};
  FillRect(canvas.Dc(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  paint(canvas.Dc());
  const DWORD background = canvas.Pixel(size.cx - 1, 0);
  RECT ink = {size.cx, size.cy, 0, 0};
  for (int y = 0; y < size.cy; ++y) {
    for (int x = 0; x < size.cx; ++x) {
      if (canvas.Pixel(x, y) == background) continue;
      ink = {std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y), std::max<LONG>(ink.right, x + 1),
             std::max<LONG>(ink.bottom, y + 1)};
    }
  }
  return ink;
}

// A link control lays its text out once and clips its drawing to that layout: what it draws is
// compared with the whole text drawn unclipped in the underlined font it draws links with. Says how
// it is cut, or nothing.
std::string LinkCut(HWND control, const std::wstring& shown) {
  RECT client;
  GetClientRect(control, &client);
  const RECT drawn = InkBox({client.right, client.bottom}, [&](HDC dc) {
    SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
  });
  LOGFONTW underlined{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(underlined), &underlined);
  underlined.lfUnderline = TRUE;
  platform::Font font(CreateFontIndirectW(&underlined));
  const SIZE need = TextSize(control, shown, 0);
  const RECT whole = InkBox({need.cx + 20, need.cy + 20}, [&](HDC dc) {
    platform::SelectedObject selected(dc, font.get());
    SetBkMode(dc, TRANSPARENT);
    ExtTextOutW(dc, 0, 0, 0, nullptr, shown.c_str(), static_cast<UINT>(shown.size()), nullptr);
  });
  if (drawn.right - drawn.left >= whole.right - whole.left - 1 && drawn.bottom >= whole.bottom - 1) return {};
  return "draws " + std::to_string(drawn.right - drawn.left) + "x" + std::to_string(drawn.bottom) + " of its text's " +
         std::to_string(whole.right - whole.left) + "x" + std::to_string(whole.bottom) + " pixels";
}

void CheckControl(HWND control, UINT dpi, Misfits& misfits) {
  const std::wstring kind = ClassOf(control);
  const std::wstring text = platform::WindowText(control);
  const LONG style = GetWindowLongW(control, GWL_STYLE);
  RECT client;
  GetClientRect(control, &client);
  const int margin = toolkit::Scale(3, dpi);
  if (kind == L"Button" && !text.empty()) {
    const LONG type = style & BS_TYPEMASK;
    if (type == BS_OWNERDRAW) return;
    const bool multiline = style & BS_MULTILINE;
    if (type == BS_GROUPBOX) {
      misfits.Check(control, text, TextSize(control, text, 0), {client.right - toolkit::Scale(16, dpi), client.bottom});
      return;
    }
    const bool box = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
                     type == BS_AUTORADIOBUTTON || type == BS_3STATE || type == BS_AUTO3STATE;
    const int width = client.right - (box ? toolkit::Scale(17, dpi) : 2 * margin);
    misfits.Check(control, text, TextSize(control, text, multiline ? width : 0), {width, client.bottom});
  } else if (kind == L"Static" && !text.empty()) {
    const LONG type = style & SS_TYPEMASK;
    if (style & SS_ELLIPSISMASK) return;  // a path or a status that is cut on purpose, with "..."
    const UINT prefix = style & SS_NOPREFIX ? DT_NOPREFIX : 0;
    if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT) {
      misfits.Check(control, text, TextSize(control, text, client.right, prefix), {client.right, client.bottom});
    } else if (type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE) {
      misfits.Check(control, text, TextSize(control, text, 0, prefix), {client.right, client.bottom});
    }
  } else if (kind == L"SysLink") {
    // Measured by the control itself, in the fonts it draws its links with.
    const std::wstring shown = WithoutMarkup(text);
    // Before the measure below, which lays the text out again.
    if (std::string cut = LinkCut(control, shown); !cut.empty()) {
      misfits.found.push_back("SysLink \"" + platform::Narrow(shown) + "\" " + cut);
    }
    SIZE ideal{};
    SendMessageW(control, LM_GETIDEALHEIGHT, 100000, reinterpret_cast<LPARAM>(&ideal));
    SIZE plain = TextSize(control, shown, 0);
    misfits.Check(control, shown, {std::max(ideal.cx, plain.cx), std::max(ideal.cy, plain.cy)},
                  {client.right, client.bottom});
  } else if (kind == L"ListBox") {
    const int extent = static_cast<int>(SendMessageW(control, LB_GETHORIZONTALEXTENT, 0, 0));
    const int width = std::max<int>(client.right, style & WS_HSCROLL ? extent : 0);
    for (const std::wstring& item : ListBoxItems(control)) {
      misfits.Check(control, item, TextSize(control, item, 0, DT_NOPREFIX), {width - margin, client.bottom + 1000});
    }
  } else if (kind == WC_TABCONTROLW) {
    for (const std::wstring& caption : TabCaptions(control)) misfits.Glyphs(control, caption);
  } else if (kind == WC_COMBOBOXW) {
    for (WPARAM choice = 0; choice < static_cast<WPARAM>(SendMessageW(control, CB_GETCOUNT, 0, 0)); ++choice) {
      wchar_t text[256] = L"";
      if (SendMessageW(control, CB_GETLBTEXTLEN, choice, 0) < 256)
        SendMessageW(control, CB_GETLBTEXT, choice, reinterpret_cast<LPARAM>(text));
      if (!IsOtherLanguagesName(text)) misfits.Glyphs(control, text);
    }
  } else if (kind == WC_LISTVIEWW) {
    HWND header = ListView_GetHeader(control);
    const int columns = header ? Header_GetItemCount(header) : 0;
    for (int column = 0; column < columns; ++column) {
      wchar_t heading[128] = L"";
      LVCOLUMNW info = {};
      info.mask = LVCF_TEXT | LVCF_WIDTH;
      info.pszText = heading;
      info.cchTextMax = 128;
      ListView_GetColumn(control, column, &info);
      const int width = info.cx - 4 * margin;
      misfits.Check(control, heading, TextSize(header, heading, 0, DT_NOPREFIX), {width, 1000});
      for (int row = 0; row < std::min(ListView_GetItemCount(control), 200); ++row) {
        const std::wstring cell = ListViewText(control, row, column);
        misfits.Check(control, cell, TextSize(control, cell, 0, DT_NOPREFIX), {width, 1000});
      }
    }
  }
}

// Every control of `window` (and of its pages) whose own style shows it, at the window's DPI.
std::vector<std::string> MisfitsOf(HWND window) {
  struct Walk {
    UINT dpi;
    Misfits misfits;
  } walk{toolkit::WindowDpi(window), {}};
  EnumChildWindows(
      window,
      [](HWND control, LPARAM data) -> BOOL {
        auto& walk = *reinterpret_cast<Walk*>(data);
        if (!(GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE)) return TRUE;
        CheckControl(control, walk.dpi, walk.misfits);
        // A control cut by its parent's edge.
        HWND parent = GetParent(control);
        RECT inner, outer;
        GetWindowRect(control, &inner);
        GetClientRect(parent, &outer);
        MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&outer), 2);
        RECT both;
        IntersectRect(&both, &inner, &outer);
        if (!EqualRect(&both, &inner)) {
          walk.misfits.found.push_back(platform::Narrow(ClassOf(control)) + " \"" +
                                       platform::Narrow(platform::WindowText(control)) + "\" lies outside its parent");
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&walk));
  return walk.misfits.found;
}

void ExpectWhole(HWND window, const char* name) {
  ASSERT_TRUE(window) << name;
  for (const std::string& misfit : MisfitsOf(window)) ADD_FAILURE() << name << ": " << misfit;
}

class WindowTexts : public ::testing::Test {
 protected:
  // Started again by the test below, the program must really run at the DPI it was started for.
  void SetUp() override {
    wchar_t expected[16] = L"";
    if (GetEnvironmentVariableW(L"TRELLWIPE_FIT_DPI", expected, 16)) {
      ASSERT_EQ(std::to_wstring(toolkit::SystemDpi()), expected);
    }
    // The shipped skin, whose font every window takes, as in the program folder.
    MakeFolders(program.Path() + L"\\skins");
    WriteText(program.Path() + L"\\skins\\frmmain.skn", kShippedSkin);
    // The checks in a shipped language, as the test below starts them again.
    wchar_t language[16] = L"";
    if (GetEnvironmentVariableW(L"TRELLWIPE_FIT_LANGUAGE", language, 16)) {
      for (const ShippedFile& file : kShippedLanguages)
        WriteText(program / (L"lang\\" + std::wstring(file.fileName)), file.text);
      ASSERT_TRUE(platform::UseLanguage(program.Path(), language));
      ASSERT_EQ(platform::LanguageInUse(), language);
    }
  }
  void TearDown() override { platform::UseLanguage(program.Path(), platform::kEnglish); }
  TempFolder program;
};

TEST_F(WindowTexts, TheMainWindowsPagesAndStrip) {
  ui::MainWindowActions actions;
  actions.showDetails = [](HWND, const std::wstring&, const engine::ItemReport&, const std::vector<engine::RuleReason>&,
                           bool, const std::wstring&) {};
  ui::MainWindow window(GetModuleHandleW(nullptr), program.Path(), L"", actions);
  ASSERT_TRUE(window.Create());
  ExpectWhole(window.Handle(), "home");
  // The navigation bar draws its captions itself, each beside its image.
  const ui::NavigationBar& bar = window.Navigation();
  Misfits captions;
  for (int i = 0; i < static_cast<int>(ui::NavigationImages().size()); ++i) {
    const std::wstring caption = platform::Tr(ui::NavigationImages()[i].caption);
    const RECT room = bar.CaptionRect(i);
    captions.Check(bar.Handle(), caption, TextSize(bar.Handle(), caption, 0),
                   {room.right - room.left, room.bottom - room.top});
  }
  for (const std::string& misfit : captions.found) ADD_FAILURE() << "navigation bar: " << misfit;
  SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(ui::kShowStatusCommand, 0), 0);
  ExpectWhole(window.Handle(), "status");
  // A long run's rows bring a scroll bar, and every column still shows without scrolling sideways.
  HWND list = window.ResultList();
  for (int row = 0; row < 70; ++row) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<wchar_t*>(L"Windows Temp");
    ListView_InsertItem(list, &item);
  }
  ShowWindow(window.Handle(), SW_SHOWNA);
  EXPECT_TRUE(GetWindowLongW(list, GWL_STYLE) & WS_VSCROLL);
  EXPECT_FALSE(GetWindowLongW(list, GWL_STYLE) & WS_HSCROLL);
}

TEST_F(WindowTexts, TheDialogs) {
  const NamedDialogs dialogs = EveryDialog(program);
  for (const auto& [name, make] : dialogs) {
    auto dialog = make();
    ASSERT_TRUE(dialog->Create(nullptr, false)) << name;
    HWND window = dialog->Handle();
    ExpectWhole(window, name);
    if (GetWindowLongW(window, GWL_STYLE) & WS_THICKFRAME) {
      RECT rect;
      GetWindowRect(window, &rect);
      SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left + 300, rect.bottom - rect.top + 200,
                   SWP_NOMOVE | SWP_NOZORDER);
      ExpectWhole(window, name);
    }
  }
}

// The first cleaning's question on a 1366x768 screen whose taskbar takes 40 pixels: it lies inside the
// work area with every text whole; 66 items scroll, 12 show whole.
TEST_F(WindowTexts, TheFirstCleaningQuestionOnASmallScreen) {
  const RECT work = {0, 0, 1366, 728};
  for (const auto& [items, scrolls] : {std::pair{66, true}, std::pair{12, false}}) {
    engine::RunReport preview;
    preview.preview = true;
    for (int i = 0; i < items; ++i) {
      engine::ItemReport item;
      item.label = L"Example Browser Temporary Internet Files " + std::to_wstring(i);
      item.folders = {L"C:\\example\\" + std::to_wstring(i)};
      preview.items.push_back(item);
    }
    dialogs::FirstCleaningWindow question(preview, program.Path(), work);
    ASSERT_TRUE(question.Create(nullptr, false));
    ExpectWhole(question.Handle(), "first cleaning");
    RECT window, both;
    GetWindowRect(question.Handle(), &window);
    IntersectRect(&both, &window, &work);
    EXPECT_TRUE(EqualRect(&both, &window))
        << window.left << "," << window.top << " " << window.right << "," << window.bottom;
    EXPECT_EQ(ListBoxItems(question.Items()).size(), static_cast<size_t>(items));
    RECT list;
    GetClientRect(question.Items(), &list);
    const LRESULT rows = list.bottom / SendMessageW(question.Items(), LB_GETITEMHEIGHT, 0, 0);
    EXPECT_EQ(rows < items, scrolls) << rows << " rows of " << items;
  }
}

// Every page of the options: the "Automatic" one with all the browsers it can list, the schedule's
// with the box that administrators alone see below its second frame.
TEST_F(WindowTexts, EveryPageOfTheOptions) {
  dialogs::OptionsWindow options(settings::BossKeySwitch{}, program.Path(), catalogue::ClosingBrowsers());
  options.SetAdministratorCheck([] { return true; });
  ASSERT_TRUE(options.Create(nullptr, false));
  HWND tab = options.Control(dialogs::option_ids::SSTab1);
  const int pages = static_cast<int>(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
  EXPECT_EQ(pages, 6);
  for (int page = 0; page < pages; ++page) {
    SendMessageW(tab, TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
    NMHDR header{tab, dialogs::option_ids::SSTab1, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(options.Handle(), WM_NOTIFY, dialogs::option_ids::SSTab1, reinterpret_cast<LPARAM>(&header));
    ASSERT_EQ(options.Page(), page);
    ExpectWhole(options.Handle(), ("Options page " + std::to_string(page)).c_str());
    if (page == 1) {
      EXPECT_TRUE(GetWindowLongW(options.Control(dialogs::option_ids::chkAllUsers), GWL_STYLE) & WS_VISIBLE);
    }
  }
}

// A page switch leaves nothing of the hidden page on the screen: what it covered is painted in the
// skin's background again (under Wine the link control once deleted the brush every control shared,
// and the page turned white).
class WindowFitPaint : public ::testing::Test {
 protected:
  static constexpr COLORREF kBackground = RGB(0x12, 0x34, 0x56);
  void SetUp() override {
    MakeFolders(program.Path() + L"\\skins");
    WriteText(program.Path() + L"\\skins\\frmmain.skn", "background=#123456\r\n");
  }
  // The pixels of `rect` (client coordinates of `window`) that are not the skin's background.
  static int Stale(HWND window, RECT rect) {
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    platform::WindowDc dc(window);
    int stale = 0;
    for (int y = rect.top; y < rect.bottom; ++y) {
      for (int x = rect.left; x < rect.right; ++x) stale += GetPixel(dc.get(), x, y) != kBackground;
    }
    return stale;
  }
  static RECT InParent(HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }
  TempFolder program;
};

TEST_F(WindowFitPaint, TheHomePageAfterTheStatusPage) {
  ui::MainWindowActions actions;
  ui::MainWindow window(GetModuleHandleW(nullptr), program.Path(), L"", actions);
  ASSERT_TRUE(window.Create());
  ShowWindow(window.Handle(), SW_SHOWNA);
  Stale(window.Handle(), {});
  SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(ui::kShowStatusCommand, 0), 0);
  Stale(window.Handle(), {});
  RECT list = InParent(window.ResultList());
  SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(ui::kShowHomeCommand, 0), 0);
  // The list's lower right, where the home page has no text.
  EXPECT_EQ(Stale(window.Handle(), {list.right - 40, list.bottom - 40, list.right - 10, list.bottom - 10}), 0);
}

// The dialog base skins every window, whatever the window does: each wears the program folder's skin.
class DialogSkins : public WindowFitPaint {};

TEST_F(DialogSkins, EveryWindowWearsTheProgramFoldersSkin) {
  const NamedDialogs windows = EveryWindow(program);
  Canvas canvas({4, 4});
  for (const auto& [name, make] : windows) {
    auto dialog = make();
    ASSERT_TRUE(dialog->Create(nullptr, false)) << name;
    auto brush =
        reinterpret_cast<HBRUSH>(SendMessageW(dialog->Handle(), WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(canvas.Dc()),
                                              reinterpret_cast<LPARAM>(dialog->Handle())));
    LOGBRUSH colour{};
    EXPECT_TRUE(GetObjectW(brush, sizeof(colour), &colour)) << name;
    EXPECT_EQ(colour.lbColor, kBackground) << name;
  }
}

// Runs `command` and collects what it writes; its exit code, or -1 when it did not start.
DWORD RunAndCapture(std::wstring command, std::string& output) {
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  platform::UniqueHandle read, write;
  if (!CreatePipe(read.out(), write.out(), &inherit, 0)) return static_cast<DWORD>(-1);
  SetHandleInformation(read.get(), HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = write.get();
  PROCESS_INFORMATION started = {};
  wchar_t windows[MAX_PATH];
  GetWindowsDirectoryW(windows, MAX_PATH);
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, windows, &startup, &started)) {
    output = "cannot start " + platform::Narrow(command) + ": error " + std::to_string(GetLastError());
    return static_cast<DWORD>(-1);
  }
  platform::UniqueHandle process(started.hProcess), thread(started.hThread);
  write.reset();
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(read.get(), buffer, sizeof(buffer), &got, nullptr) && got) output.append(buffer, got);
  WaitForSingleObject(process.get(), INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.get(), &code);
  return code;
}

TEST_F(WindowTexts, TheDetailsAndThePopUp) {
  // A path longer than the window scrolls sideways in the details instead of being cut.
  engine::ItemReport item;
  item.files = {
      {L"C:\\Users\\someone\\AppData\\Local\\Google\\Chrome\\User Data\\Default\\Cache\\Cache_Data\\"
       L"f_000a3b with a long name that goes on and on",
       1234}};
  dialogs::DetailsWindow details(L"Chrome Cache - Result", item, {}, false, program.Path());
  ASSERT_TRUE(details.Create(nullptr, false));
  // The list widens its column to the widest line it has drawn.
  ShowWindow(details.Handle(), SW_SHOWNA);
  UpdateWindow(details.Handle());
  ExpectWhole(details.Handle(), "details");

  ui::NotificationWindow popup(
      GetModuleHandleW(nullptr), nullptr, [] {}, [](const std::wstring&) {});
  run::NotificationRequest request;
  request.title = L"Trellwipe";
  // The end of a run: the counters' sentence, then the measured figures on a line of their own.
  request.description =
      L"Trellwipe Clean is done, but 2 items left something behind! Cleaned Registry Keys: 201 "
      L"Released HD Space:3.98MB\nTrellwipe's running estimates are above; measured in this cleaning: 100055 files, "
      L"51.08 MB, 201 registry entries, 3011 rows removed inside 2 databases, 0.03 MB freed.";
  popup.ShowNotification(request);
  // Shown whole once it has slid in.
  for (int tick = 0; popup.Animation().Growing() && tick < 1000; ++tick) {
    SendMessageW(popup.Handle(), WM_TIMER, ui::NotificationWindow::kPopupTimer, 0);
  }
  ExpectWhole(popup.Handle(), "pop-up");
}

// Starts this program again with the system at `dpi`, running only the checks above.
DWORD RunChecksAtDpi(DWORD dpi, const std::wstring& language, std::string& output) {
  platform::RegKey desktop;
  RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE, nullptr, desktop.out(),
                  nullptr);
  RegSetValueExW(desktop.get(), L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof(dpi));
  // Wine names the build folder by a Unix path no child can start from: a copy on drive C: runs.
  wchar_t name[MAX_PATH];
  GetModuleFileNameW(nullptr, name, MAX_PATH);
  const std::wstring self = std::wstring(name).starts_with(L"unix\\") ? L"\\\\?\\" + std::wstring(name) : name;
  TempFolder copy;
  const std::wstring program = copy.Path() + L"\\window_fit.exe";
  if (!CopyFileW(self.c_str(), program.c_str(), FALSE)) {
    output = "cannot copy " + platform::Narrow(self) + ": error " + std::to_string(GetLastError());
    return static_cast<DWORD>(-1);
  }
  ScopedEnvironment expected(L"TRELLWIPE_FIT_DPI", std::to_wstring(dpi));
  ScopedEnvironment translated(L"TRELLWIPE_FIT_LANGUAGE", language);
  const DWORD code = RunAndCapture(L"\"" + program + L"\" --gtest_filter=WindowTexts.*", output);
  RegDeleteValueW(desktop.get(), L"LogPixels");
  return code;
}

// On a real screen (the checks above run without one), at 100 % as well: its fonts measure otherwise.
// In English and in every shipped language: German runs about a third longer, Chinese needs its font.
TEST(WindowFit, EveryTextIsWholeAtOneOneAndAHalfAndTwiceTheSize) {
  std::vector<std::wstring> languages = {L""};
  for (const ShippedFile& file : kShippedLanguages) languages.push_back(CodeOf(file));
  for (const std::wstring& language : languages) {
    std::list<ScopedRegistryValue> fonts;
    if (const wchar_t* font = ScriptFontOf(language)) {
      for (const wchar_t* face : kInterfaceFonts) fonts.emplace_back(HKEY_LOCAL_MACHINE, kFontSubstitutes, face, font);
    }
    for (DWORD dpi : {96u, 144u, 192u}) {
      std::string output;
      EXPECT_EQ(RunChecksAtDpi(dpi, language, output), 0u)
          << "at " << dpi << " DPI in " << platform::Narrow(language) << ":\n"
          << output;
    }
  }
}

}  // namespace
