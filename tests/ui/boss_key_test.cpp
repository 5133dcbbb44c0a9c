#include "ui/boss_key.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/handles.h"
#include "ui/ie_windows.h"

namespace {

// Windows that report, in order, each time they are shown.
std::vector<HWND>& ShownOrder() {
  static std::vector<HWND> shown;
  return shown;
}

LRESULT CALLBACK RecordingProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SHOWWINDOW && wParam) ShownOrder().push_back(hwnd);
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Stands in for the main window: every message goes past the boss key first.
LRESULT CALLBACK HostProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ui::BossKeyMessage(message, wParam, lParam);
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

constexpr const wchar_t* kHostClass = L"TrellwipeBossKeyHost";

void RegisterTestClasses() {
  // Explorer's old class name and a near miss of the browser's must be left alone.
  for (const wchar_t* name : {L"CabinetWClass", L"IEFrame", L"ExploreWClass", L"IEFrameX", kHostClass}) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = name == kHostClass ? HostProcedure : RecordingProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = name;
    RegisterClassW(&windowClass);  // fails harmlessly when an earlier test registered it
  }
}

// A top-level window at (x, y), shown with the given command, or left hidden with SW_HIDE.
platform::Window MakeWindow(const wchar_t* className, int x, int y, int show = SW_SHOWNORMAL) {
  RegisterTestClasses();
  platform::Window window(CreateWindowExW(0, className, L"", WS_OVERLAPPEDWINDOW, x, y, 320, 240, nullptr, nullptr,
                                          GetModuleHandleW(nullptr), nullptr));
  EXPECT_TRUE(window) << GetLastError();
  if (show != SW_HIDE) ShowWindow(window.get(), show);
  return window;
}

WINDOWPLACEMENT Placement(HWND window) {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  EXPECT_TRUE(GetWindowPlacement(window, &placement));
  return placement;
}

bool SameNormalRect(const WINDOWPLACEMENT& a, const WINDOWPLACEMENT& b) {
  return EqualRect(&a.rcNormalPosition, &b.rcNormalPosition);
}

bool SamePlacement(const WINDOWPLACEMENT& a, const WINDOWPLACEMENT& b) {
  return a.showCmd == b.showCmd && SameNormalRect(a, b);
}

std::vector<HWND> RecordedWindows() {
  std::vector<HWND> windows;
  for (const auto& record : ui::iewindows::HiddenBrowserWindows()) windows.push_back(record.window);
  return windows;
}

const WINDOWPLACEMENT* RecordedPlacement(HWND window) {
  for (const auto& record : ui::iewindows::HiddenBrowserWindows())
    if (record.window == window) return &record.placement;
  return nullptr;
}

bool Registers(HWND window, int id, UINT modifiers) {
  if (!RegisterHotKey(window, id, modifiers, 'Z')) return false;
  UnregisterHotKey(window, id);
  return true;
}

}  // namespace

TEST(BossKeyWindows, HideTakesOnlyExplorerAndBrowserWindowsAndRestorePutsThemBack) {
  auto folder = MakeWindow(L"CabinetWClass", 10, 20);
  auto browser = MakeWindow(L"IEFrame", 40, 50);
  auto oldExplorer = MakeWindow(L"ExploreWClass", 70, 80);
  auto nearMiss = MakeWindow(L"IEFrameX", 100, 110);
  const WINDOWPLACEMENT folderBefore = Placement(folder.get());
  const WINDOWPLACEMENT browserBefore = Placement(browser.get());
  const WINDOWPLACEMENT oldExplorerBefore = Placement(oldExplorer.get());

  ui::iewindows::HideBrowserWindows();
  EXPECT_FALSE(IsWindowVisible(folder.get()));
  EXPECT_FALSE(IsWindowVisible(browser.get()));
  EXPECT_TRUE(IsWindowVisible(oldExplorer.get()));
  EXPECT_TRUE(IsWindowVisible(nearMiss.get()));
  auto recorded = RecordedWindows();
  std::sort(recorded.begin(), recorded.end());
  std::vector<HWND> expected{folder.get(), browser.get()};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(recorded, expected);
  ASSERT_NE(RecordedPlacement(folder.get()), nullptr);
  EXPECT_TRUE(SamePlacement(*RecordedPlacement(folder.get()), folderBefore));
  EXPECT_TRUE(SamePlacement(*RecordedPlacement(browser.get()), browserBefore));
  // Hidden, but still the same size and position.
  EXPECT_TRUE(SameNormalRect(Placement(folder.get()), folderBefore));

  ui::iewindows::RestoreBrowserWindows();
  EXPECT_TRUE(IsWindowVisible(folder.get()));
  EXPECT_TRUE(IsWindowVisible(browser.get()));
  EXPECT_TRUE(SamePlacement(Placement(folder.get()), folderBefore));
  EXPECT_TRUE(SamePlacement(Placement(browser.get()), browserBefore));
  EXPECT_TRUE(SamePlacement(Placement(oldExplorer.get()), oldExplorerBefore));
  EXPECT_TRUE(IsWindowVisible(nearMiss.get()));
}

TEST(BossKeyWindows, MaximisedAndMinimisedWindowsComeBackAsTheyWere) {
  auto browser = MakeWindow(L"IEFrame", 30, 40, SW_SHOWMAXIMIZED);
  auto folder = MakeWindow(L"CabinetWClass", 60, 70, SW_SHOWMINIMIZED);
  ASSERT_TRUE(IsZoomed(browser.get()));
  ASSERT_TRUE(IsIconic(folder.get()));
  const WINDOWPLACEMENT browserBefore = Placement(browser.get());
  const WINDOWPLACEMENT folderBefore = Placement(folder.get());

  ui::iewindows::HideBrowserWindows();
  EXPECT_FALSE(IsWindowVisible(browser.get()));
  EXPECT_FALSE(IsWindowVisible(folder.get()));

  ui::iewindows::RestoreBrowserWindows();
  EXPECT_TRUE(IsWindowVisible(browser.get()));
  EXPECT_TRUE(IsZoomed(browser.get()));
  EXPECT_TRUE(IsWindowVisible(folder.get()));
  EXPECT_TRUE(IsIconic(folder.get()));
  EXPECT_TRUE(SamePlacement(Placement(browser.get()), browserBefore));
  EXPECT_TRUE(SamePlacement(Placement(folder.get()), folderBefore));
}

TEST(BossKeyWindows, NothingToHideAndNothingHiddenYetChangeNothing) {
  auto other = MakeWindow(L"ExploreWClass", 10, 20);
  const WINDOWPLACEMENT otherBefore = Placement(other.get());
  {
    // A folder window that was never shown stays hidden when nothing was hidden before.
    auto neverShown = MakeWindow(L"CabinetWClass", 30, 40, SW_HIDE);
    ui::iewindows::RestoreBrowserWindows();
    EXPECT_FALSE(IsWindowVisible(neverShown.get()));
  }

  ui::iewindows::HideBrowserWindows();
  EXPECT_TRUE(ui::iewindows::HiddenBrowserWindows().empty());
  ui::iewindows::RestoreBrowserWindows();
  EXPECT_TRUE(IsWindowVisible(other.get()));
  EXPECT_TRUE(SamePlacement(Placement(other.get()), otherBefore));
}

TEST(BossKeyWindows, SecondHideStartsAFreshListThatAlsoFindsTheWindowsTheFirstHid) {
  auto folder = MakeWindow(L"CabinetWClass", 10, 20);
  auto browser = MakeWindow(L"IEFrame", 40, 50);
  const WINDOWPLACEMENT folderBefore = Placement(folder.get());
  const WINDOWPLACEMENT browserBefore = Placement(browser.get());

  ui::iewindows::HideBrowserWindows();
  auto later = MakeWindow(L"IEFrame", 70, 80);
  ui::iewindows::HideBrowserWindows();
  EXPECT_FALSE(IsWindowVisible(later.get()));
  auto recorded = RecordedWindows();
  std::sort(recorded.begin(), recorded.end());
  std::vector<HWND> expected{folder.get(), browser.get(), later.get()};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(recorded, expected);

  // The second hide read the already hidden windows, which still know where they were.
  ui::iewindows::RestoreBrowserWindows();
  for (HWND window : expected) EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_TRUE(SameNormalRect(Placement(folder.get()), folderBefore));
  EXPECT_TRUE(SameNormalRect(Placement(browser.get()), browserBefore));
}

TEST(BossKeyWindows, RestoreSkipsAClosedWindowAndCanBeRepeated) {
  auto folder = MakeWindow(L"CabinetWClass", 10, 20);
  auto browser = MakeWindow(L"IEFrame", 40, 50);
  const WINDOWPLACEMENT folderBefore = Placement(folder.get());

  ui::iewindows::HideBrowserWindows();
  browser.reset();
  ui::iewindows::RestoreBrowserWindows();
  EXPECT_TRUE(IsWindowVisible(folder.get()));
  EXPECT_EQ(ui::iewindows::HiddenBrowserWindows().size(), 2u);

  // Moved and hidden by other means, the window goes back to the recorded placement again.
  SetWindowPos(folder.get(), nullptr, 200, 210, 100, 90, SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(folder.get(), SW_HIDE);
  ui::iewindows::RestoreBrowserWindows();
  EXPECT_TRUE(IsWindowVisible(folder.get()));
  EXPECT_TRUE(SamePlacement(Placement(folder.get()), folderBefore));
}

TEST(BossKeyWindows, RestoreShowsTheWindowsInReverseOrderOfDiscovery) {
  auto first = MakeWindow(L"CabinetWClass", 10, 20);
  auto second = MakeWindow(L"IEFrame", 40, 50);
  auto third = MakeWindow(L"CabinetWClass", 70, 80);
  std::vector<HWND> found;
  EnumWindows(
      [](HWND window, LPARAM list) {
        auto& windows = *reinterpret_cast<std::vector<HWND>*>(list);
        auto name = ui::iewindows::GetClassNameText(window);
        if (name == L"CabinetWClass" || name == L"IEFrame") windows.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  ASSERT_EQ(found.size(), 3u);

  ui::iewindows::HideBrowserWindows();
  EXPECT_EQ(RecordedWindows(), found);
  ShownOrder().clear();
  ui::iewindows::RestoreBrowserWindows();
  std::reverse(found.begin(), found.end());
  EXPECT_EQ(ShownOrder(), found);
}

TEST(BossKey, ArmTakesBothHotKeysOnceAndDisarmFreesThem) {
  auto host = MakeWindow(kHostClass, 0, 0, SW_HIDE);
  auto other = MakeWindow(kHostClass, 0, 0, SW_HIDE);

  ui::ArmBossKey(host.get());
  ui::ArmBossKey(host.get());
  EXPECT_FALSE(RegisterHotKey(host.get(), 95, MOD_WIN, 'Z'));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HOTKEY_ALREADY_REGISTERED));
  EXPECT_FALSE(RegisterHotKey(host.get(), 111, MOD_WIN | MOD_SHIFT, 'Z'));
  EXPECT_FALSE(Registers(other.get(), 1, MOD_WIN));
  EXPECT_FALSE(Registers(other.get(), 2, MOD_WIN | MOD_SHIFT));

  // One disarm is enough after arming twice.
  ui::DisarmBossKey(host.get());
  EXPECT_TRUE(Registers(host.get(), 95, MOD_WIN));
  EXPECT_TRUE(Registers(host.get(), 111, MOD_WIN | MOD_SHIFT));
  EXPECT_TRUE(Registers(other.get(), 1, MOD_WIN));
  EXPECT_TRUE(Registers(other.get(), 2, MOD_WIN | MOD_SHIFT));
}

TEST(BossKey, AKeyTakenElsewhereIsSkippedAndLeftToItsOwner) {
  auto host = MakeWindow(kHostClass, 0, 0, SW_HIDE);
  auto owner = MakeWindow(kHostClass, 0, 0, SW_HIDE);
  auto probe = MakeWindow(kHostClass, 0, 0, SW_HIDE);
  ASSERT_TRUE(RegisterHotKey(owner.get(), 1, MOD_WIN, 'Z'));

  ui::ArmBossKey(host.get());
  EXPECT_FALSE(Registers(probe.get(), 3, MOD_WIN | MOD_SHIFT));

  ui::DisarmBossKey(host.get());
  EXPECT_FALSE(Registers(probe.get(), 4, MOD_WIN));
  EXPECT_TRUE(Registers(probe.get(), 3, MOD_WIN | MOD_SHIFT));
  UnregisterHotKey(owner.get(), 1);
}

// Armed with another letter, that letter's keys hide and restore and Z's do nothing; arming tells
// whether the hide key became the window's.
TEST(BossKey, AnotherLetterHidesWithItsKeysAndArmingSaysWhenAKeyIsTaken) {
  auto host = MakeWindow(kHostClass, 0, 0, SW_HIDE);
  auto owner = MakeWindow(kHostClass, 0, 0, SW_HIDE);
  auto folder = MakeWindow(L"CabinetWClass", 10, 20);
  ASSERT_TRUE(RegisterHotKey(owner.get(), 1, MOD_WIN, 'Z'));
  EXPECT_FALSE(ui::BossKeyFree(host.get(), L'Z'));
  EXPECT_FALSE(ui::ArmBossKey(host.get(), L'Z'));
  ui::DisarmBossKey(host.get());
  EXPECT_TRUE(ui::BossKeyFree(host.get(), L'J'));
  EXPECT_TRUE(ui::ArmBossKey(host.get(), L'J'));
  EXPECT_TRUE(ui::ArmBossKey(host.get(), L'J'));
  EXPECT_TRUE(ui::BossKeyFree(host.get(), L'J'));
  SendMessageW(host.get(), WM_HOTKEY, ui::kHideHotKey, MAKELPARAM(MOD_WIN, 'Z'));
  EXPECT_TRUE(IsWindowVisible(folder.get()));
  SendMessageW(host.get(), WM_HOTKEY, ui::kHideHotKey, MAKELPARAM(MOD_WIN, 'J'));
  EXPECT_FALSE(IsWindowVisible(folder.get()));
  SendMessageW(host.get(), WM_HOTKEY, ui::kRestoreHotKey, MAKELPARAM(MOD_WIN | MOD_SHIFT, 'J'));
  EXPECT_TRUE(IsWindowVisible(folder.get()));
  ui::DisarmBossKey(host.get());
  ui::ArmBossKey(host.get());
  ui::DisarmBossKey(host.get());
  UnregisterHotKey(owner.get(), 1);
}

TEST(BossKey, OnlyTheExactHotKeysHideAndRestore) {
  auto host = MakeWindow(kHostClass, 0, 0, SW_HIDE);
  auto folder = MakeWindow(L"CabinetWClass", 10, 20);
  ui::ArmBossKey(host.get());
  auto send = [&](UINT message, WPARAM id, WORD modifiers, WORD key) {
    SendMessageW(host.get(), message, id, MAKELPARAM(modifiers, key));
  };

  send(WM_HOTKEY, 95, MOD_WIN | MOD_SHIFT, 'Z');
  send(WM_HOTKEY, 95, MOD_WIN, 'Y');
  send(WM_HOTKEY, 111, MOD_WIN, 'Z');
  send(WM_HOTKEY, 96, MOD_WIN, 'Z');
  send(WM_APP, 95, MOD_WIN, 'Z');
  EXPECT_TRUE(IsWindowVisible(folder.get()));
  send(WM_HOTKEY, 95, MOD_WIN, 'Z');
  EXPECT_FALSE(IsWindowVisible(folder.get()));

  send(WM_HOTKEY, 111, MOD_WIN | MOD_SHIFT, 'Y');
  send(WM_HOTKEY, 95, MOD_WIN | MOD_SHIFT, 'Z');
  send(WM_HOTKEY, 111, MOD_WIN | MOD_CONTROL | MOD_SHIFT, 'Z');
  EXPECT_FALSE(IsWindowVisible(folder.get()));
  send(WM_HOTKEY, 111, MOD_WIN | MOD_SHIFT, 'Z');
  EXPECT_TRUE(IsWindowVisible(folder.get()));
  ui::DisarmBossKey(host.get());
}

// Today's browsers' main windows go with Explorer's; the programs that share their window classes
// (editors and chat programs built on the same engines) and their hidden helper windows stay.
TEST(BossKeyWindows, TodaysBrowsersMainWindowsAreHiddenByTheirProgram) {
  struct Case {
    const wchar_t* className;
    const wchar_t* program;
    bool shownMain;
    bool hidden;
  };
  const Case cases[] = {
      {L"Chrome_WidgetWin_1", L"chrome.exe", true, true},   {L"Chrome_WidgetWin_1", L"MSEdge.exe", true, true},
      {L"Chrome_WidgetWin_1", L"brave.exe", true, true},    {L"Chrome_WidgetWin_1", L"vivaldi.exe", true, true},
      {L"Chrome_WidgetWin_1", L"opera.exe", true, true},    {L"MozillaWindowClass", L"firefox.exe", true, true},
      {L"Chrome_WidgetWin_1", L"Code.exe", true, false},    {L"MozillaWindowClass", L"thunderbird.exe", true, false},
      {L"Chrome_WidgetWin_1", L"chrome.exe", false, false}, {L"Chrome_WidgetWin_0", L"chrome.exe", true, false},
      {L"CabinetWClass", L"explorer.exe", false, true},     {L"IEFrame", L"", false, true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ui::iewindows::HidesWindow(c.className, c.program, c.shownMain), c.hidden) << c.className << c.program;
  // The tests' own program is no browser: its window of a browser's class stays.
  RegisterTestClasses();
  WNDCLASSW chromium{};
  chromium.lpfnWndProc = DefWindowProcW;
  chromium.hInstance = GetModuleHandleW(nullptr);
  chromium.lpszClassName = L"Chrome_WidgetWin_1";
  RegisterClassW(&chromium);
  auto editor = MakeWindow(L"Chrome_WidgetWin_1", 10, 20);
  ui::iewindows::HideBrowserWindows();
  EXPECT_TRUE(IsWindowVisible(editor.get()));
  EXPECT_TRUE(RecordedWindows().empty());
}
