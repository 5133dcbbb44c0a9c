#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "ui/notification_queue.h"
#include "ui/notification_window.h"

using namespace testing_support;

namespace {

run::NotificationRequest Request(std::wstring key, std::wstring title, std::wstring description,
                                 bool allowDuplicateTitles, bool enableClickEvent = true) {
  run::NotificationRequest request;
  request.key = std::move(key);
  request.title = std::move(title);
  request.description = std::move(description);
  request.allowDuplicateTitles = allowDuplicateTitles;
  request.enableClickEvent = enableClickEvent;
  return request;
}

// Records what the dispatcher asks of the pop-up on screen.
struct Journal {
  std::vector<std::wstring> shown;
  std::vector<std::wstring> updated;
  int popups = 0;
};

class FakePopup : public ui::NotificationPopup {
 public:
  explicit FakePopup(Journal& journal) : journal_(journal) { ++journal_.popups; }
  const run::NotificationRequest& Request() const override { return request_; }
  void ShowNotification(const run::NotificationRequest& request) override {
    request_ = request;
    journal_.shown.push_back(request.key);
  }
  void UpdateNotification(const run::NotificationRequest& request) override {
    request_ = request;
    journal_.updated.push_back(request.key);
  }

 private:
  Journal& journal_;
  run::NotificationRequest request_;
};

ui::NotificationDispatcher FakeDispatcher(Journal& journal) {
  return ui::NotificationDispatcher([&journal] { return std::make_unique<FakePopup>(journal); });
}

using Keys = std::vector<std::wstring>;

}  // namespace

TEST(NotificationDispatcher, ShowsTheOldestRequestWhenNoPopupIsOnScreen) {
  Journal journal;
  auto dispatcher = FakeDispatcher(journal);
  dispatcher.Tick();
  EXPECT_EQ(journal.popups, 0);
  EXPECT_EQ(dispatcher.OnScreen(), nullptr);

  dispatcher.Queue(Request(L"www", L"Trellwipe", L"first run", true));
  dispatcher.Queue(Request(L"www2", L"Trellwipe", L"second run", true));
  dispatcher.Tick();
  EXPECT_EQ(journal.shown, Keys{L"www"});
  EXPECT_EQ(dispatcher.QueuedKeys(), Keys{L"second run"});

  // The second waits while the first is on screen.
  dispatcher.Tick();
  EXPECT_EQ(journal.shown, Keys{L"www"});
  EXPECT_EQ(journal.popups, 1);

  dispatcher.Finished();
  EXPECT_EQ(dispatcher.OnScreen(), nullptr);
  dispatcher.Tick();
  EXPECT_EQ(journal.shown, (Keys{L"www", L"www2"}));
  EXPECT_EQ(journal.popups, 2);
  EXPECT_TRUE(dispatcher.QueuedKeys().empty());
}

TEST(NotificationDispatcher, AWaitingRequestIsReplacedByALaterOneWithTheSameQueueKey) {
  Journal journal;
  auto dispatcher = FakeDispatcher(journal);
  // Duplicate titles allowed: the description is the key.
  dispatcher.Queue(Request(L"a", L"Trellwipe", L"done", true));
  dispatcher.Queue(Request(L"b", L"Trellwipe", L"other", true));
  dispatcher.Queue(Request(L"c", L"Trellwipe", L"done", true));
  EXPECT_EQ(dispatcher.QueuedKeys(), (Keys{L"other", L"done"}));
  EXPECT_EQ(dispatcher.Queued(L"done")->key, L"c");

  // Not allowed: the title is the key, case-sensitive.
  dispatcher.Queue(Request(L"d", L"Alert", L"one", false));
  dispatcher.Queue(Request(L"e", L"alert", L"two", false));
  dispatcher.Queue(Request(L"f", L"Alert", L"three", false));
  EXPECT_EQ(dispatcher.QueuedKeys(), (Keys{L"other", L"done", L"alert", L"Alert"}));
  EXPECT_EQ(dispatcher.Queued(L"Alert")->description, L"three");

  dispatcher.RemoveQueued(L"done");
  dispatcher.RemoveQueued(L"nothing under this key");
  EXPECT_EQ(dispatcher.QueuedKeys(), (Keys{L"other", L"alert", L"Alert"}));
  EXPECT_EQ(dispatcher.Queued(L"done"), nullptr);
}

TEST(NotificationDispatcher, ATitleAlreadyOnScreenUpdatesThePopupUnlessDuplicatesAreAllowed) {
  Journal journal;
  auto dispatcher = FakeDispatcher(journal);
  dispatcher.Queue(Request(L"first", L"Trellwipe", L"one", false));
  dispatcher.Tick();
  ASSERT_NE(dispatcher.OnScreen(), nullptr);

  dispatcher.Queue(Request(L"second", L"Trellwipe", L"two", false));
  EXPECT_EQ(journal.updated, Keys{L"second"});
  EXPECT_EQ(dispatcher.OnScreen()->Request().description, L"two");
  EXPECT_TRUE(dispatcher.QueuedKeys().empty());

  dispatcher.Queue(Request(L"third", L"Trellwipe", L"three", true));
  dispatcher.Queue(Request(L"fourth", L"trellwipe", L"four", false));
  EXPECT_EQ(journal.updated, Keys{L"second"});
  EXPECT_EQ(dispatcher.QueuedKeys(), (Keys{L"three", L"trellwipe"}));

  // With nothing on screen the same title is queued.
  dispatcher.Finished();
  dispatcher.Queue(Request(L"fifth", L"Trellwipe", L"five", false));
  EXPECT_EQ(dispatcher.QueuedKeys(), (Keys{L"three", L"trellwipe", L"Trellwipe"}));
  EXPECT_EQ(journal.updated, Keys{L"second"});
}

TEST(PopupAnimation, GrowsFromTheWorkAreaBottomWaitsAndShrinksUntilUnloaded) {
  constexpr int bottom = 9000;
  constexpr int right = 18000;
  ui::PopupAnimation animation(1100, bottom, right);
  animation.SetWidth(3000);
  animation.Start();
  EXPECT_EQ(animation.Bounds(), (ui::TwipsRect{right - 3100, bottom - 10, 3000, 10}));

  int growTicks = 0;
  ui::PopupAnimation::Step step{};
  do {
    int before = animation.Bounds().height;
    step = animation.Tick();
    ++growTicks;
    EXPECT_EQ(animation.Bounds().top, bottom - before);
    EXPECT_FALSE(step.unload);
    if (animation.Growing()) {
      EXPECT_EQ(animation.Bounds().height, before + 20);
      EXPECT_EQ(step.nextInterval, 15u);
    }
  } while (animation.Growing() && growTicks < 1000);
  // 10, 30, ..., 1090, then 1110 is cut to the full height.
  EXPECT_EQ(growTicks, 55);
  EXPECT_EQ(animation.Bounds(), (ui::TwipsRect{right - 3100, bottom - 1090, 3000, 1100}));
  EXPECT_EQ(step.nextInterval, 5000u);

  int shrinkTicks = 0;
  do {
    int before = animation.Bounds().height;
    step = animation.Tick();
    ++shrinkTicks;
    EXPECT_EQ(step.nextInterval, 15u);
    EXPECT_EQ(animation.Bounds().height, before - 20);
    EXPECT_EQ(animation.Bounds().top + animation.Bounds().height, bottom - 20);
  } while (!step.unload && shrinkTicks < 1000);
  EXPECT_EQ(shrinkTicks, 55);
  EXPECT_LT(animation.Bounds().height, 20);
  EXPECT_GE(animation.Bounds().height, 0);
}

TEST(PopupAnimation, ARestartGrowsAgainFromTheCurrentHeightAndAWidthKeepsTheRightMargin) {
  ui::PopupAnimation animation(610, 6000, 9000);
  animation.SetWidth(2000);
  animation.Start();
  while (animation.Growing()) animation.Tick();
  for (int i = 0; i < 5; ++i) animation.Tick();
  EXPECT_EQ(animation.Bounds().height, 510);

  animation.Restart();
  animation.SetWidth(4000);
  EXPECT_EQ(animation.Bounds().left, 9000 - 4100);
  EXPECT_EQ(animation.Bounds().height, 510);
  auto step = animation.Tick();
  EXPECT_EQ(animation.Bounds().height, 530);
  EXPECT_EQ(step.nextInterval, 15u);
  for (int i = 0; i < 4; ++i) step = animation.Tick();
  EXPECT_EQ(animation.Bounds().height, 610);
  EXPECT_FALSE(animation.Growing());
  EXPECT_EQ(step.nextInterval, 5000u);
}

TEST(Notification, ClickMessageNamesTheProductExceptForAlertsAndMessages) {
  EXPECT_EQ(ui::NotificationClickMessage(L"ALERT", L"Trellwipe"), L"Tnank you for using our product");
  EXPECT_EQ(ui::NotificationClickMessage(L"MESSAGE", L"Trellwipe"), L"Tnank you for using our product");
  EXPECT_EQ(ui::NotificationClickMessage(L"www", L"Trellwipe"), L"Tnank you for using our product Trellwipe");
  EXPECT_EQ(ui::NotificationClickMessage(L"alert", L"Trellwipe"), L"Tnank you for using our product Trellwipe");
}

namespace {

std::wstring Text(HWND hwnd) {
  wchar_t buffer[512] = L"";
  GetWindowTextW(hwnd, buffer, 512);
  return buffer;
}

LOGFONTW LogFontOf(HWND control) {
  LOGFONTW font = {};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(font), &font);
  return font;
}

RECT Bounds(HWND hwnd) {
  RECT rect = {};
  GetWindowRect(hwnd, &rect);
  return rect;
}

RECT WorkArea() {
  RECT rect = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &rect, 0);
  return rect;
}

int Dpi() {
  platform::MemoryDc dc(CreateCompatibleDC(nullptr));
  return GetDeviceCaps(dc.get(), LOGPIXELSY);
}

void Tick(const ui::NotificationWindow& popup) {
  SendMessageW(popup.Handle(), WM_TIMER, ui::NotificationWindow::kPopupTimer, 0);
}

void Click(HWND control) {
  SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

// A pop-up whose events and sounds are recorded.
struct Popup {
  std::vector<std::wstring> clicks;
  std::vector<std::wstring> sounds;
  int finished = 0;
  ui::NotificationWindow window{GetModuleHandleW(nullptr), [this](const std::wstring& key) { clicks.push_back(key); },
                                [this] { ++finished; }, [this](const std::wstring& path) { sounds.push_back(path); }};
};

}  // namespace

TEST(NotificationWindow, SlidesUpToTheWorkAreaCornerWaitsAndSlidesDownUntilItUnloads) {
  Popup popup;
  ui::NotificationWindow& window = popup.window;
  ASSERT_NE(window.Handle(), nullptr);
  EXPECT_FALSE(IsWindowVisible(window.Handle()));
  auto request = Request(L"www", L"Trellwipe", L"Trellwipe Clean is done! Cleaned Registry Keys: 3", true);
  request.soundFile = L"C:\\nowhere\\Sounds\\Message.wav";
  window.ShowNotification(request);

  HWND hwnd = window.Handle();
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_TRUE(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(Text(window.Control(ui::NotificationWindow::kTitleId)), L"Trellwipe");
  EXPECT_EQ(Text(window.Control(ui::NotificationWindow::kDescriptionId)), request.description);
  LOGFONTW title = LogFontOf(window.Control(ui::NotificationWindow::kTitleId));
  LOGFONTW description = LogFontOf(window.Control(ui::NotificationWindow::kDescriptionId));
  EXPECT_STREQ(title.lfFaceName, L"Tahoma");
  EXPECT_EQ(title.lfWeight, FW_BOLD);
  EXPECT_EQ(title.lfHeight, -MulDiv(825, Dpi(), 7200));
  EXPECT_STREQ(description.lfFaceName, L"Tahoma");
  EXPECT_EQ(description.lfWeight, FW_NORMAL);
  EXPECT_EQ(popup.sounds, Keys{request.soundFile});
  EXPECT_EQ(window.TimerInterval(), 15u);
  const int startHeight = Bounds(hwnd).bottom - Bounds(hwnd).top;
  EXPECT_LE(startHeight, 1);

  RECT work = WorkArea();
  const int twipsPerPixel = 1440 / Dpi();
  int ticks = 0;
  while (window.Animation().Growing() && ticks < 1000) {
    Tick(window);
    ++ticks;
  }
  EXPECT_GT(ticks, 10);
  EXPECT_EQ(window.TimerInterval(), 5000u);
  RECT shown = Bounds(hwnd);
  RECT label = Bounds(window.Control(ui::NotificationWindow::kDescriptionId));
  EXPECT_EQ(shown.right - shown.left, label.right - shown.left + 10);
  EXPECT_EQ(label.left - shown.left, 48);
  // 100 twips left of the work area's right edge; the lower edge at most 20 twips below its bottom.
  EXPECT_NEAR(shown.right, work.right - 100 / twipsPerPixel, 1);
  EXPECT_GE(shown.bottom, work.bottom);
  EXPECT_LE(shown.bottom, work.bottom + 20 / twipsPerPixel + 1);
  EXPECT_NEAR(shown.bottom - shown.top, window.Animation().FullHeight() / twipsPerPixel, 1);
  RECT client = {};
  GetClientRect(hwnd, &client);
  RECT border = Bounds(window.Control(ui::NotificationWindow::kBorderId));
  EXPECT_EQ(border.right - border.left, client.right);
  EXPECT_EQ(border.bottom - border.top, client.bottom);

  Tick(window);
  EXPECT_EQ(window.TimerInterval(), 15u);
  EXPECT_LT(Bounds(hwnd).bottom, work.bottom);
  EXPECT_LT(Bounds(hwnd).bottom - Bounds(hwnd).top, shown.bottom - shown.top);
  EXPECT_EQ(popup.finished, 0);
  while (window.Handle() && ticks < 2000) {
    Tick(window);
    ++ticks;
  }
  EXPECT_EQ(window.Handle(), nullptr);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(popup.finished, 1);
  EXPECT_EQ(popup.sounds.size(), 1u);
}

TEST(NotificationWindow, AnUpdateReplacesTheTextsAndGrowsAgainWithoutSound) {
  Popup popup;
  ui::NotificationWindow& window = popup.window;
  auto request = Request(L"www", L"Trellwipe", L"short", false);
  request.soundFile = L"C:\\nowhere\\Message.wav";
  window.ShowNotification(request);
  while (window.Animation().Growing()) Tick(window);
  Tick(window);
  Tick(window);
  const int width = Bounds(window.Handle()).right - Bounds(window.Handle()).left;
  const int height = window.Animation().Bounds().height;

  window.UpdateNotification(Request(L"later", L"Trellwipe", L"a much longer description than before", false));
  EXPECT_EQ(Text(window.Control(ui::NotificationWindow::kDescriptionId)), L"a much longer description than before");
  EXPECT_EQ(window.Request().key, L"later");
  EXPECT_TRUE(window.Animation().Growing());
  EXPECT_GT(Bounds(window.Handle()).right - Bounds(window.Handle()).left, width);
  EXPECT_NEAR(Bounds(window.Handle()).right, WorkArea().right - 100 / (1440 / Dpi()), 1);
  Tick(window);
  EXPECT_EQ(window.Animation().Bounds().height, height + 20);
  EXPECT_EQ(popup.sounds.size(), 1u);
  EXPECT_EQ(popup.finished, 0);
}

TEST(NotificationWindow, OnlyADescriptionClickRaisesClickedAndOnlyWhenEnabled) {
  Popup enabled;
  enabled.window.ShowNotification(Request(L"www", L"Trellwipe", L"done", true, true));
  Click(enabled.window.Control(ui::NotificationWindow::kTitleId));
  Click(enabled.window.Control(ui::NotificationWindow::kIconId));
  EXPECT_TRUE(enabled.clicks.empty());
  Click(enabled.window.Control(ui::NotificationWindow::kDescriptionId));
  EXPECT_EQ(enabled.clicks, Keys{L"www"});

  Popup disabled;
  disabled.window.ShowNotification(Request(L"www", L"Trellwipe", L"done", true, false));
  Click(disabled.window.Control(ui::NotificationWindow::kDescriptionId));
  EXPECT_TRUE(disabled.clicks.empty());
}

TEST(NotificationWindow, AMissingSoundOrIconFileLeavesThePopupSilentWithItsOwnIcon) {
  TempFolder folder;
  int finished = 0;
  ui::NotificationWindow window(GetModuleHandleW(nullptr), nullptr, [&] { ++finished; });
  HWND icon = window.Control(ui::NotificationWindow::kIconId);
  const LRESULT builtIn = SendMessageW(icon, STM_GETICON, 0, 0);
  EXPECT_NE(builtIn, 0);
  auto request = Request(L"www", L"Trellwipe", L"done", true);
  request.soundFile = folder / L"Sounds\\Message.wav";
  request.icon = folder / L"missing.ico";
  window.ShowNotification(request);
  EXPECT_TRUE(IsWindowVisible(window.Handle()));
  EXPECT_EQ(SendMessageW(icon, STM_GETICON, 0, 0), builtIn);

  ui::PlayNotificationSound(L"");
  ui::PlayNotificationSound(folder / L"missing.wav");
  while (window.Handle()) Tick(window);
  EXPECT_EQ(finished, 1);
}

TEST(NotificationSystem, TheDispatchTimerShowsOnePopupAtATimeInQueueOrder) {
  std::vector<std::wstring> sounds;
  ui::NotificationSystem system(GetModuleHandleW(nullptr), nullptr,
                                [&](const std::wstring& path) { sounds.push_back(path); });
  ASSERT_NE(system.Host(), nullptr);
  auto tick = [&] { SendMessageW(system.Host(), WM_TIMER, ui::NotificationSystem::kDispatchTimer, 0); };
  auto first = Request(L"www", L"Trellwipe", L"Trellwipe Clean is done! Released HD Space:1.00MB", true);
  first.soundFile = L"first.wav";
  auto second = Request(L"www", L"Trellwipe", L"Trellwipe Clean is done! Released HD Space:2.00MB", true);
  second.soundFile = L"second.wav";
  system.Queue(first);
  system.Queue(second);
  EXPECT_EQ(system.OnScreen(), nullptr);

  tick();
  ui::NotificationWindow* popup = system.OnScreen();
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(Text(popup->Control(ui::NotificationWindow::kDescriptionId)), first.description);
  tick();
  EXPECT_EQ(system.OnScreen(), popup);
  EXPECT_EQ(system.Dispatcher().QueuedKeys(), Keys{second.description});

  // A title on screen with duplicates not allowed updates it instead of queueing.
  system.Queue(Request(L"ALERT", L"Trellwipe", L"replaced", false));
  EXPECT_EQ(Text(popup->Control(ui::NotificationWindow::kDescriptionId)), L"replaced");
  EXPECT_EQ(system.Dispatcher().QueuedKeys(), Keys{second.description});

  while (system.OnScreen() && system.OnScreen()->Handle()) Tick(*system.OnScreen());
  EXPECT_EQ(system.OnScreen(), nullptr);
  tick();
  ASSERT_NE(system.OnScreen(), nullptr);
  EXPECT_EQ(Text(system.OnScreen()->Control(ui::NotificationWindow::kDescriptionId)), second.description);
  EXPECT_TRUE(system.Dispatcher().QueuedKeys().empty());
  EXPECT_EQ(sounds, (Keys{L"first.wav", L"second.wav"}));
}
