#include "ui/notification_window.h"

#include <mmsystem.h>

#include "platform/handles.h"
#include "toolkit/dpi.h"
#include "toolkit/window_class.h"

namespace ui {

namespace {

constexpr wchar_t kPopupClass[] = L"frmNotification";
constexpr wchar_t kHostClass[] = L"TrellwipeNotificationHost";
// The designed size at 96 DPI; the height is the pop-up's full height.
constexpr int kDesignWidth = 240;
constexpr int kDesignHeight = 74;
constexpr int kLabelLeft = 48;

platform::Font TahomaFont(int dpi, bool bold) {
  LOGFONTW font = {};
  font.lfHeight = -MulDiv(825, dpi, 7200);
  font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  wcscpy_s(font.lfFaceName, L"Tahoma");
  return platform::Font(CreateFontIndirectW(&font));
}

SIZE TextSize(HFONT font, const std::wstring& text) {
  platform::MemoryDc dc(CreateCompatibleDC(nullptr));
  platform::SelectedObject selected(dc.get(), font);
  RECT bounds = {};
  DrawTextW(dc.get(), text.empty() ? L" " : text.c_str(), -1, &bounds, DT_CALCRECT | DT_NOPREFIX);
  return {bounds.right - bounds.left, bounds.bottom - bounds.top};
}

int ScreenDpi() {
  platform::MemoryDc dc(CreateCompatibleDC(nullptr));
  return GetDeviceCaps(dc.get(), LOGPIXELSY);
}

}  // namespace

void PlayNotificationSound(const std::wstring& path) {
  if (!path.empty()) sndPlaySoundW(path.c_str(), SND_ASYNC | SND_NODEFAULT);
}

void MakeTopmost(HWND window) {
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

NotificationWindow::NotificationWindow(HINSTANCE instance, KeyHandler clicked, std::function<void()> finished,
                                       SoundPlayer sound)
    : clicked_(std::move(clicked)), finished_(std::move(finished)), sound_(std::move(sound)), dpi_(ScreenDpi()) {
  toolkit::RegisterWindowClass({kPopupClass, toolkit::ObjectProcedure<NotificationWindow>, instance});

  titleFont_ = TahomaFont(dpi_, true);
  descriptionFont_ = TahomaFont(dpi_, false);
  auto s = [this](int pixels) { return toolkit::Scale(pixels, static_cast<UINT>(dpi_)); };
  window_.reset(CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kPopupClass, L"", WS_POPUP, 0, 0,
                                s(kDesignWidth), s(kDesignHeight), nullptr, nullptr, instance, this));
  if (!window_) return;
  HWND hwnd = window_.get();
  const DWORD label = WS_CHILD | WS_VISIBLE | SS_NOPREFIX;
  HWND icon = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_ICON, s(8), s(8), s(32), s(32), hwnd,
                              reinterpret_cast<HMENU>(kIconId), instance, nullptr);
  SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_INFORMATION)), 0);
  HWND title = CreateWindowExW(0, L"STATIC", L"", label, s(kLabelLeft), s(8), 0, 0, hwnd,
                               reinterpret_cast<HMENU>(kTitleId), instance, nullptr);
  SendMessageW(title, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.get()), FALSE);
  HWND description = CreateWindowExW(0, L"STATIC", L"", label | SS_NOTIFY, s(kLabelLeft), s(24), 0, 0, hwnd,
                                     reinterpret_cast<HMENU>(kDescriptionId), instance, nullptr);
  SendMessageW(description, WM_SETFONT, reinterpret_cast<WPARAM>(descriptionFont_.get()), FALSE);
  // Created last, so it lies below the labels.
  CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SS_BLACKFRAME, 0, 0, s(kDesignWidth),
                  s(kDesignHeight), hwnd, reinterpret_cast<HMENU>(kBorderId), instance, nullptr);

  MakeTopmost(hwnd);
  RECT workArea = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
  RECT bounds = {};
  GetWindowRect(hwnd, &bounds);
  animation_ = PopupAnimation(ToTwips(bounds.bottom - bounds.top), ToTwips(workArea.bottom), ToTwips(workArea.right));
}

void NotificationWindow::ShowNotification(const run::NotificationRequest& request) {
  request_ = request;
  if (!window_) {
    // Never shown, so it is over at once.
    finished_();
    return;
  }
  ApplyRequest();
  animation_.Start();
  Place();
  ShowWindow(window_.get(), SW_SHOWNOACTIVATE);
  UpdateWindow(window_.get());
  StartTimer(PopupAnimation::kStepInterval);
  sound_(request_.soundFile);
}

void NotificationWindow::UpdateNotification(const run::NotificationRequest& request) {
  request_ = request;
  ApplyRequest();
  animation_.Restart();
}

void NotificationWindow::ApplyRequest() {
  SetDlgItemTextW(window_.get(), kTitleId, request_.title.c_str());
  SetDlgItemTextW(window_.get(), kDescriptionId, request_.description.c_str());
  if (!request_.icon.empty()) {
    const int side = toolkit::Scale(32, static_cast<UINT>(dpi_));
    platform::Icon icon(
        static_cast<HICON>(LoadImageW(nullptr, request_.icon.c_str(), IMAGE_ICON, side, side, LR_LOADFROMFILE)));
    if (icon) {
      SendDlgItemMessageW(window_.get(), kIconId, STM_SETICON, reinterpret_cast<WPARAM>(icon.get()), 0);
      icon_ = std::move(icon);
    }
  }
  SIZE title = TextSize(titleFont_.get(), request_.title);
  SetWindowPos(Control(kTitleId), nullptr, 0, 0, title.cx, title.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SIZE description = TextSize(descriptionFont_.get(), request_.description);
  SetWindowPos(Control(kDescriptionId), nullptr, 0, 0, description.cx, description.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  animation_.SetWidth(ToTwips(toolkit::Scale(kLabelLeft + 10, static_cast<UINT>(dpi_)) + description.cx));
  Place();
}

void NotificationWindow::Place() {
  const TwipsRect& bounds = animation_.Bounds();
  // The pop-up grows from its bottom edge: bits copied from the old position would leave a trail of
  // its top border, so every step repaints the whole window.
  SetWindowPos(window_.get(), nullptr, ToPixels(bounds.left), ToPixels(bounds.top), ToPixels(bounds.width),
               ToPixels(bounds.height), SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
  RedrawWindow(window_.get(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void NotificationWindow::StartTimer(unsigned interval) {
  // Setting the same timer again only changes its interval.
  SetTimer(window_.get(), kPopupTimer, interval, nullptr);
  if (!timer_) timer_ = platform::Timer({window_.get(), kPopupTimer});
  interval_ = interval;
}

void NotificationWindow::Tick() {
  PopupAnimation::Step step = animation_.Tick();
  Place();
  if (!step.unload) {
    if (step.nextInterval != interval_) StartTimer(step.nextInterval);
    return;
  }
  timer_.reset();
  window_.reset();
  finished_();
}

LRESULT NotificationWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  // Until CreateWindowExW has returned, the pop-up has nothing to handle.
  if (!window_) return DefWindowProcW(hwnd_, message, wParam, lParam);
  switch (message) {
    case WM_TIMER:
      if (wParam == kPopupTimer) Tick();
      return 0;
    case WM_SIZE:
      SetWindowPos(Control(kBorderId), nullptr, 0, 0, LOWORD(lParam), HIWORD(lParam), SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == kDescriptionId && HIWORD(wParam) == STN_CLICKED && request_.enableClickEvent && clicked_) {
        // The handler may show a message box, during which this pop-up can unload and be released:
        // nothing of it is touched once the handler runs.
        KeyHandler clicked = clicked_;
        std::wstring key = request_.key;
        clicked(key);
      }
      return 0;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

NotificationSystem::NotificationSystem(HINSTANCE instance, NotificationWindow::KeyHandler clicked,
                                       NotificationWindow::SoundPlayer sound)
    : instance_(instance), clicked_(std::move(clicked)), sound_(std::move(sound)), dispatcher_([this] {
        return std::make_unique<NotificationWindow>(
            instance_, clicked_, [this] { dispatcher_.Finished(); }, sound_);
      }) {
  // A message-only window: no cursor, no background.
  toolkit::RegisterWindowClass({kHostClass, toolkit::ObjectProcedure<NotificationSystem>, instance, nullptr, nullptr});
  host_.reset(CreateWindowExW(0, kHostClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, this));
  if (!host_) return;
  SetTimer(host_.get(), kDispatchTimer, kDispatchInterval, nullptr);
  timer_ = platform::Timer({host_.get(), kDispatchTimer});
}

LRESULT NotificationSystem::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == kDispatchTimer) {
    dispatcher_.Tick();
    return 0;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace ui
