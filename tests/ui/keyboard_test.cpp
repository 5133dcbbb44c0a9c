#include "toolkit/keyboard.h"
#include "support/message_recorder.h"
#include "support/window_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/about_window.h"
#include "dialogs/details_window.h"
#include "platform/languages.h"
#include "platform/text.h"
#include "platform/window_text.h"
#include "shipped_languages.h"
#include "support/every_dialog.h"
#include "support/keyboard_support.h"
#include "support/test_support.h"
#include "ui/main_commands.h"
#include "ui/main_window.h"

using namespace testing_support;
using platform::WindowText;

namespace {

TEST(Mnemonics, TheDisplayedTextDropsTheMarksAndKeepsDoubledAmpersands) {
  EXPECT_EQ(toolkit::WithoutMnemonic(L"&Start Cleaning >>"), L"Start Cleaning >>");
  EXPECT_EQ(toolkit::WithoutMnemonic(L"File(&F)"), L"File(F)");
  EXPECT_EQ(toolkit::WithoutMnemonic(L"Search && Erase"), L"Search & Erase");
  EXPECT_EQ(toolkit::WithoutMnemonic(L"Satu&rday"), L"Saturday");
  EXPECT_EQ(toolkit::WithoutMnemonic(L"trailing&"), L"trailing");
  EXPECT_EQ(toolkit::WithoutMnemonic(L""), L"");
  EXPECT_EQ(toolkit::WithoutMnemonic(L"plain"), L"plain");

  EXPECT_EQ(toolkit::MnemonicOf(L"&Start Cleaning >>"), L'S');
  EXPECT_EQ(toolkit::MnemonicOf(L"Satu&rday"), L'R');
  EXPECT_EQ(toolkit::MnemonicOf(L"File(&F)"), L'F');
  // A doubled ampersand is a character, not a mark; the first lone one counts.
  EXPECT_EQ(toolkit::MnemonicOf(L"Search && Erase"), 0);
  EXPECT_EQ(toolkit::MnemonicOf(L"A && B &next"), L'N');
  EXPECT_EQ(toolkit::MnemonicOf(L"trailing&"), 0);
  EXPECT_EQ(toolkit::MnemonicOf(L"plain"), 0);
}

// A main window whose outside actions only record that they ran.
struct KeyboardMainWindow {
  KeyboardMainWindow() {
    ui::MainWindowActions actions;
    actions.openSettings = [this](HWND, const std::wstring&) { calls.push_back(L"settings"); };
    actions.openOptions = [this](HWND, HWND, const std::wstring&) {
      calls.push_back(L"options");
      return false;
    };
    actions.openFileSearch = [this](HWND, const std::wstring&) { calls.push_back(L"search"); };
    actions.openAbout = [this](HWND) { calls.push_back(L"about"); };
    actions.startProgram = [this](const std::wstring&) { calls.push_back(L"start"); };
    actions.openWithShell = [this](const std::wstring&) { calls.push_back(L"shell"); };
    actions.trackPopupMenu = [](HMENU, HWND) { return 0u; };
    // A running browser makes every attended run ask first; the answer No lets nothing run.
    actions.runningPrograms = [](const std::wstring&, const run::ProcessValues&) {
      return std::vector<std::wstring>{L"Firefox"};
    };
    window.emplace(GetModuleHandleW(nullptr), program.Path(), L"", std::move(actions));
    EXPECT_TRUE(window->Create());
    messages.answer = IDNO;
  }
  ~KeyboardMainWindow() { DrainQuit(); }
  HWND Handle() const { return window->Handle(); }
  HWND Navigation() const { return window->Navigation().Handle(); }
  bool Route(MSG message) { return toolkit::TranslateDialogKeys(message); }

  TempFolder program;
  std::vector<std::wstring> calls;
  MessageRecorder messages;
  std::optional<ui::MainWindow> window;
};

TEST(MainWindowKeys, TabVisitsTheNavigationTheResultsTheEnabledButtonsFromLeftToRightAndTheLink) {
  KeyboardMainWindow main;
  ui::MainWindow& window = *main.window;
  EXPECT_EQ(TabOrder(main.Handle(), main.Navigation()), (std::vector<HWND>{main.Navigation(), window.WebLink()}));
  SendMessageW(main.Handle(), WM_COMMAND, MAKEWPARAM(ui::kShowStatusCommand, 0), 0);
  // Outside a run Cancel has nothing to stop, and Tab passes over it.
  EXPECT_EQ(TabOrder(main.Handle(), main.Navigation()),
            (std::vector<HWND>{main.Navigation(), window.ResultList(), window.PreviewButton(), window.StartButton(),
                               window.WebLink()}));
  RECT cancel, preview, start;
  GetWindowRect(window.CancelButton(), &cancel);
  GetWindowRect(window.PreviewButton(), &preview);
  GetWindowRect(window.StartButton(), &start);
  EXPECT_LT(cancel.right, preview.left);
  EXPECT_LT(preview.right, start.left);

  // While a run keeps the buttons that start one disabled, Tab passes over them.
  window.EnableStartCommands(false);
  EXPECT_EQ(TabOrder(main.Handle(), main.Navigation()),
            (std::vector<HWND>{main.Navigation(), window.ResultList(), window.CancelButton(), window.WebLink()}));
}

// The languages the program ships, English first, each in use while `check` runs.
void InEveryLanguage(const std::function<void(const std::string&)>& check) {
  TempFolder program;
  std::vector<std::wstring> languages = {platform::kEnglish};
  for (const ShippedFile& file : kShippedLanguages) {
    WriteText(program / (L"lang\\" + std::wstring(file.fileName)), file.text);
    languages.push_back(std::wstring(file.fileName).substr(0, wcslen(file.fileName) - 3));
  }
  for (const std::wstring& language : languages) {
    ASSERT_TRUE(platform::UseLanguage(program.Path(), language));
    check(" in " + platform::Narrow(language));
  }
  platform::UseLanguage(program.Path(), platform::kEnglish);
}

// The letters that more than one item of `menu` claims.
std::vector<std::wstring> SharedMenuLetters(HMENU menu) {
  std::map<wchar_t, std::wstring> claimed;
  std::vector<std::wstring> shared;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[128] = L"";
    GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
    const wchar_t letter = toolkit::MnemonicOf(text);
    if (letter && !claimed.emplace(letter, text).second) shared.push_back(claimed[letter] + L" / " + text);
  }
  return shared;
}

TEST(MainWindowKeys, LabelsShowTheirOwnTextAndNoTwoClaimOneLetterNorTheMenus) {
  InEveryLanguage([](const std::string& in) {
    KeyboardMainWindow main;
    ui::MainWindow& window = *main.window;
    if (platform::LanguageInUse() == platform::kEnglish) {
      EXPECT_EQ(toolkit::WithoutMnemonic(WindowText(window.StartButton())), L"Start Cleaning >>");
      EXPECT_EQ(toolkit::WithoutMnemonic(WindowText(window.CancelButton())), L"Cancel");
      EXPECT_EQ(toolkit::WithoutMnemonic(WindowText(window.PreviewButton())), L"Preview");
    }
    EXPECT_NE(toolkit::MnemonicOf(WindowText(window.StartButton())), 0) << in;
    EXPECT_EQ(SharedMnemonics(main.Handle()), std::vector<std::wstring>{}) << in;
    auto controls = Mnemonics(main.Handle());
    HMENU bar = GetMenu(main.Handle());
    ASSERT_EQ(GetMenuItemCount(bar), 3);
    EXPECT_EQ(SharedMenuLetters(bar), std::vector<std::wstring>{}) << in;
    for (int i = 0; i < GetMenuItemCount(bar); ++i) {
      wchar_t text[64] = L"";
      GetMenuStringW(bar, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
      wchar_t letter = toolkit::MnemonicOf(text);
      EXPECT_NE(letter, 0) << text << in;
      EXPECT_EQ(controls.count(letter), 0u) << text << in;
      EXPECT_EQ(SharedMenuLetters(GetSubMenu(bar, i)), std::vector<std::wstring>{}) << text << in;
    }
  });
}

TEST(MainWindowKeys, EnterStartsTheCleaningOnTheStatusPageOnlyAndEscapeLeavesEverything) {
  KeyboardMainWindow main;
  ui::MainWindow& window = *main.window;
  // The home page shows no start button, so Enter there starts nothing.
  EXPECT_TRUE(main.Route(KeyDown(main.Navigation(), VK_ESCAPE)));
  EXPECT_TRUE(main.Route(KeyDown(main.Handle(), VK_RETURN)));
  EXPECT_EQ(main.calls, std::vector<std::wstring>{});

  SendMessageW(main.Handle(), WM_COMMAND, MAKEWPARAM(ui::kShowStatusCommand, 0), 0);
  EXPECT_TRUE(main.Route(KeyDown(window.CancelButton(), VK_ESCAPE)));
  EXPECT_EQ(main.calls, std::vector<std::wstring>{});
  EXPECT_EQ(window.CurrentPage(), ui::MainWindow::Page::Status);
  EXPECT_TRUE(IsWindow(main.Handle()));
  EXPECT_TRUE(main.Route(KeyDown(main.Handle(), VK_RETURN)));
  EXPECT_TRUE(main.calls.empty());
  EXPECT_EQ(main.messages.shown.size(), 1u);  // the question a cleaning asks first
  // A disabled start button takes no Enter.
  EnableWindow(window.StartButton(), FALSE);
  EXPECT_TRUE(main.Route(KeyDown(main.Handle(), VK_RETURN)));
  EXPECT_EQ(main.messages.shown.size(), 1u);
}

TEST(MainWindowKeys, AltLettersPressTheButtonsOfTheShownPage) {
  KeyboardMainWindow main;
  ui::MainWindow& window = *main.window;
  const wchar_t start = toolkit::MnemonicOf(WindowText(window.StartButton()));
  const wchar_t preview = toolkit::MnemonicOf(WindowText(window.PreviewButton()));
  // Hidden with the status page, the buttons take no letter.
  EXPECT_TRUE(main.Route(AltLetter(main.Navigation(), start)));
  EXPECT_EQ(main.calls, std::vector<std::wstring>{});

  SendMessageW(main.Handle(), WM_COMMAND, MAKEWPARAM(ui::kShowStatusCommand, 0), 0);
  EXPECT_TRUE(main.Route(AltLetter(main.Navigation(), start)));
  EXPECT_TRUE(main.calls.empty());
  EXPECT_EQ(main.messages.shown.size(), 1u);  // the question a cleaning asks first
  EXPECT_TRUE(main.Route(AltLetter(window.ResultList(), preview)));
  EXPECT_EQ(WindowText(window.StatusLine()).rfind(L"Preview: ", 0), 0u) << WindowText(window.StatusLine());
}

TEST(MainWindowKeys, TheNavigationBarMovesWithTheArrowsAndOpensWithEnterOrSpace) {
  KeyboardMainWindow main;
  const ui::NavigationBar& bar = main.window->Navigation();
  EXPECT_EQ(bar.Focused(), 0);
  EXPECT_TRUE(main.Route(KeyDown(main.Navigation(), VK_DOWN)));
  EXPECT_EQ(bar.Focused(), 1);
  EXPECT_TRUE(main.Route(KeyDown(main.Navigation(), VK_RETURN)));
  EXPECT_EQ(main.calls, std::vector<std::wstring>{L"settings"});
  EXPECT_TRUE(main.Route(KeyDown(main.Navigation(), VK_DOWN)));
  EXPECT_TRUE(main.Route(KeyDown(main.Navigation(), VK_DOWN)));
  EXPECT_TRUE(main.Route(KeyDown(main.Navigation(), VK_SPACE)));
  EXPECT_EQ(main.calls, (std::vector<std::wstring>{L"settings", L"search"}));
  // Round the ends in both directions.
  EXPECT_TRUE(main.Route(KeyDown(main.Navigation(), VK_HOME)));
  EXPECT_TRUE(main.Route(KeyDown(main.Navigation(), VK_UP)));
  EXPECT_EQ(bar.Focused(), static_cast<int>(ui::NavigationImages().size()) - 1);
  EXPECT_TRUE(main.Route(KeyDown(main.Navigation(), VK_DOWN)));
  EXPECT_EQ(bar.Focused(), 0);
  EXPECT_TRUE(main.Route(KeyDown(main.Navigation(), VK_RETURN)));
  EXPECT_EQ(main.window->CurrentPage(), ui::MainWindow::Page::Home);

  // A click moves the keyboard's place to the image clicked.
  RECT third = bar.ImageRect(2);
  const LPARAM at = MAKELPARAM((third.left + third.right) / 2, (third.top + third.bottom) / 2);
  SendMessageW(main.Navigation(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(main.Navigation(), WM_LBUTTONUP, 0, at);
  EXPECT_EQ(bar.Focused(), 2);
  EXPECT_TRUE(main.Route(KeyDown(main.Navigation(), VK_DOWN)));
  EXPECT_EQ(bar.Focused(), 3);
}

// Answers WM_QUERYUISTATE with the flags at `state`, as Windows does once it hides focus cues (Wine
// never does: it always answers 0).
LRESULT CALLBACK AnswerUiState(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR state) {
  if (message == WM_QUERYUISTATE) return *reinterpret_cast<const LRESULT*>(state);
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

// The focused image wears the dotted rectangle, except while Windows hides focus cues (until the
// keyboard is first used); only that image's pixels change.
TEST(MainWindowKeys, TheFocusedNavigationImageShowsAFocusRectangleUnlessFocusCuesAreHidden) {
  KeyboardMainWindow main;
  const ui::NavigationBar& bar = main.window->Navigation();
  ShowWindow(main.Handle(), SW_SHOW);
  SetForegroundWindow(main.Handle());
  LRESULT uiState = UISF_HIDEFOCUS;
  SetWindowSubclass(main.Navigation(), AnswerUiState, 1, reinterpret_cast<DWORD_PTR>(&uiState));
  RECT client;
  GetClientRect(main.Navigation(), &client);
  auto picture = [&] {
    Canvas canvas({client.right, client.bottom});
    SendMessageW(main.Navigation(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
    std::vector<DWORD> pixels;
    for (int y = 0; y < client.bottom; ++y) {
      for (int x = 0; x < client.right; ++x) pixels.push_back(canvas.Pixel(x, y));
    }
    return pixels;
  };
  SetFocus(main.window->WebLink());
  const std::vector<DWORD> unfocused = picture();
  SetFocus(main.Navigation());
  EXPECT_TRUE(picture() == unfocused);
  uiState = 0;
  const std::vector<DWORD> focused = picture();
  const RECT image = bar.ImageRect(bar.Focused());
  size_t changed = 0, outside = 0;
  for (size_t i = 0; i < focused.size(); ++i) {
    if (focused[i] == unfocused[i]) continue;
    ++changed;
    const POINT at = {static_cast<LONG>(i % client.right), static_cast<LONG>(i / client.right)};
    if (!PtInRect(&image, at)) ++outside;
  }
  EXPECT_GT(changed, 0u);
  EXPECT_EQ(outside, 0u);
  RemoveWindowSubclass(main.Navigation(), AnswerUiState, 1);
  ShowWindow(main.Handle(), SW_HIDE);
}

TEST(MainWindowKeys, MessagesOfOtherWindowsAreNotTakenAndADestroyedWindowIsForgotten) {
  std::optional<KeyboardMainWindow> main(std::in_place);
  platform::Window other(CreateWindowExW(0, L"STATIC", L"other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                         GetModuleHandleW(nullptr), nullptr));
  ASSERT_TRUE(other);
  MSG message = KeyDown(other.get(), VK_TAB);
  EXPECT_FALSE(toolkit::TranslateDialogKeys(message));
  HWND handle = main->Handle();
  message = KeyDown(handle, VK_TAB);
  EXPECT_TRUE(toolkit::TranslateDialogKeys(message));
  main.reset();
  message = KeyDown(handle, VK_TAB);
  EXPECT_FALSE(toolkit::TranslateDialogKeys(message));
}

TEST(MainWindowKeys, TheFocusComesBackToTheControlTheUserLeft) {
  KeyboardMainWindow main;
  ui::MainWindow& window = *main.window;
  SendMessageW(main.Handle(), WM_COMMAND, MAKEWPARAM(ui::kShowStatusCommand, 0), 0);
  ShowWindow(main.Handle(), SW_SHOW);
  SetForegroundWindow(main.Handle());
  SetFocus(main.Handle());
  EXPECT_EQ(GetFocus(), main.Navigation());
  EXPECT_TRUE(main.Route(KeyDown(main.Navigation(), VK_TAB)));
  EXPECT_EQ(GetFocus(), window.ResultList());
  // The frame's letter leads to the list it holds.
  SetFocus(window.StartButton());
  EXPECT_TRUE(main.Route(AltLetter(window.StartButton(), L'A')));
  EXPECT_EQ(GetFocus(), window.ResultList());
  SetFocus(window.PreviewButton());
  SendMessageW(main.Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
  SetFocus(nullptr);
  SetFocus(main.Handle());
  EXPECT_EQ(GetFocus(), window.PreviewButton());
  ShowWindow(main.Handle(), SW_HIDE);
}

TEST(DetailsWindowKeys, TabEnterEscapeAndTheCloseLetterAllWork) {
  for (MSG (*key)(HWND) : {+[](HWND w) { return KeyDown(w, VK_RETURN); }, +[](HWND w) { return KeyDown(w, VK_ESCAPE); },
                           +[](HWND w) { return AltLetter(w, L'C'); }}) {
    engine::ItemReport item;
    item.files = {{L"C:\\a", 1}};
    dialogs::DetailsWindow window(L"Chrome Cache - Result", item, {}, false, L"");
    ASSERT_TRUE(window.Create(nullptr, false));
    EXPECT_EQ(TabOrder(window.Handle(), window.Lines()),
              (std::vector<HWND>{window.Lines(), window.CloseButton(), window.GroupBox()}));
    EXPECT_EQ(toolkit::WithoutMnemonic(WindowText(window.CloseButton())), L"Close");
    EXPECT_EQ(toolkit::MnemonicOf(WindowText(window.CloseButton())), L'C');
    EXPECT_EQ(SharedMnemonics(window.Handle()), std::vector<std::wstring>{});
    EXPECT_TRUE(Feed(window.Handle(), key(window.Lines())));
    EXPECT_EQ(window.Handle(), nullptr);
  }
}

TEST(AboutWindowKeys, TheLinkThenOkAndBothEnterAndEscapeClose) {
  for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
    TempFolder program;
    std::vector<std::wstring> opened;
    dialogs::AboutWindow window(program.Path(), [&](const std::wstring& target) { opened.push_back(target); });
    ASSERT_TRUE(window.Create(nullptr, false));
    HWND ok = GetDlgItem(window.Handle(), IDOK);
    HWND link = FindWindowExW(window.Handle(), nullptr, WC_LINK, nullptr);
    ASSERT_TRUE(ok && link);
    EXPECT_EQ(TabOrder(window.Handle(), link), (std::vector<HWND>{link, ok}));
    EXPECT_TRUE(Feed(window.Handle(), KeyDown(ok, key)));
    EXPECT_EQ(window.Handle(), nullptr) << key;
    EXPECT_EQ(opened, std::vector<std::wstring>{});
  }
}

// Esc closes every window (a question on the way answered No); Enter presses the default button,
// which closes the windows where it confirms and leaves open those where it starts their work.
TEST(DialogKeys, EscapeClosesEveryWindowAndEnterPressesItsDefaultButton) {
  const std::map<std::string, bool> enterCloses = {
      {"Cleaning Settings", true},  {"Options", true},     {"About", true},
      {"New rules", true},          {"Cookies", true},     {"Addresses", false},
      {"Search & Erase", false},    {"Extensions", false}, {"Papermill", false},
      {"first cleaning", true},     {"details", true},     {"Files and folders to keep", true},
      {"Keep from cleaning", true},
  };
  TempFolder program;
  MessageRecorder messages;
  messages.answer = IDCANCEL;
  for (const auto& [name, make] : EveryWindow(program)) {
    ASSERT_EQ(enterCloses.count(name), 1u) << name;
    for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
      auto dialog = make();
      ASSERT_TRUE(dialog->Create(nullptr, false)) << name;
      HWND first = GetNextDlgTabItem(dialog->Handle(), nullptr, FALSE);
      EXPECT_TRUE(Feed(dialog->Handle(), KeyDown(first, key))) << name;
      PumpAll();
      EXPECT_EQ(dialog->Handle() == nullptr, key == VK_ESCAPE || enterCloses.at(name)) << name << ", key " << key;
    }
  }
}

// A letter may come again on another page of tabs, which the keyboard does not reach while one shows.
TEST(DialogKeys, NoTwoLabelsOfAPageClaimOneLetterInAnyLanguage) {
  InEveryLanguage([](const std::string& in) {
    TempFolder program;
    MessageRecorder messages;
    for (const auto& [name, make] : EveryWindow(program)) {
      auto dialog = make();
      ASSERT_TRUE(dialog->Create(nullptr, false)) << name << in;
      HWND tabs = FindWindowExW(dialog->Handle(), nullptr, WC_TABCONTROLW, nullptr);
      for (int page = 0; page < (tabs ? TabCtrl_GetItemCount(tabs) : 1); ++page) {
        if (tabs) SendMessageW(tabs, TCM_SETCURFOCUS, page, 0);
        EXPECT_EQ(SharedMnemonics(dialog->Handle(), true), std::vector<std::wstring>{})
            << name << " page " << page << in;
      }
    }
  });
}

}  // namespace
