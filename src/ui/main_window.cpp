#include "ui/main_window.h"

#include <commctrl.h>

#include "engine/plugins.h"
#include "settings/custom_list.h"
#include "settings/inifun.h"
#include "ui/boss_key.h"
#include "settings/item_flags.h"
#include "settings/last_run.h"

namespace ui {

namespace {

constexpr wchar_t kClassName[] = L"TrellwipeMainWindow";
constexpr int kStartId = 101;

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, std::wstring programFolder)
    : instance_(instance), programFolder_(std::move(programFolder)) {}

MainWindow::~MainWindow() {
  notifications_.reset();
  if (hwnd_) DestroyWindow(hwnd_);
}

bool MainWindow::Create() {
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = instance_;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(1));
  windowClass.lpszClassName = kClassName;
  RegisterClassExW(&windowClass);

  hwnd_ = CreateWindowExW(0, kClassName, L"Trellwipe V6.50", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                          640, 480, nullptr, nullptr, instance_, this);
  if (!hwnd_) return false;

  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof(metrics);
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  font_.reset(CreateFontIndirectW(&metrics.lfMessageFont));

  list_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL,
                          0, 0, 0, 0, hwnd_, nullptr, instance_, nullptr);
  ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT);
  const wchar_t* headers[] = {L"Item", L"State"};
  for (int i = 0; i < 2; ++i) {
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<wchar_t*>(headers[i]);
    column.cx = 280;
    ListView_InsertColumn(list_, i, &column);
  }
  progress_ = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd_, nullptr,
                              instance_, nullptr);
  SendMessageW(progress_, PBM_SETRANGE32, 0, 100);
  status_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP, 0, 0, 0, 0, hwnd_,
                            nullptr, instance_, nullptr);
  statistics_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP, 0, 0, 0, 0, hwnd_,
                                nullptr, instance_, nullptr);
  start_ = CreateWindowExW(0, L"BUTTON", L"Start Cleaning >>", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                           0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStartId)), instance_,
                           nullptr);
  for (HWND child : {list_, progress_, status_, statistics_, start_}) {
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
  }
  Layout();

  notifications_ = std::make_unique<NotificationSystem>(instance_, [this](const std::wstring& key) {
    ShowInformation(L"Trellwipe", NotificationClickMessage(key, L"Trellwipe"));
  });
  run_ = std::make_unique<engine::CleanRun>(*this, programFolder_, engine::ComputeProcessValues());
  run_->SetCustomItemsStage(settings::RunCustomItems);
  run_->SetPluginStage(plugins::RunTickedPlugins);
  if (inifun::FlagTest(inifun::ReadIniValue(settings::SettingsFile(programFolder_), L"Options", L"bosskey"))) {
    ArmBossKey(hwnd_);
  }
  schedule_ = settings::LoadSchedule(settings::SettingsFile(programFolder_));
  SetTimer(hwnd_, kScheduleTimer, 30000, nullptr);
  settings::LastRun last = settings::LoadLastRun(settings::SettingsFile(programFolder_));
  run_->Counters() = {last.cleanedKeys, last.releasedBytes};
  ShowStatistics(last.lastClean, settings::TotalsText(last.cleanedKeys, last.releasedBytes));
  return true;
}

void MainWindow::Layout() {
  RECT client;
  GetClientRect(hwnd_, &client);
  int width = client.right - 16, bottom = client.bottom;
  MoveWindow(statistics_, 8, 8, width, 20, TRUE);
  MoveWindow(list_, 8, 32, width, bottom - 32 - 96, TRUE);
  MoveWindow(progress_, 8, bottom - 88, width, 18, TRUE);
  MoveWindow(status_, 8, bottom - 64, width, 20, TRUE);
  MoveWindow(start_, client.right - 168, bottom - 38, 160, 30, TRUE);
}

LRESULT CALLBACK MainWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    static_cast<MainWindow*>(create->lpCreateParams)->hwnd_ = hwnd;
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  return self ? self->Handle(message, wParam, lParam) : DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      if (start_) Layout();
      return 0;
    case WM_HOTKEY:
      BossKeyMessage(message, wParam, lParam);
      break;
    case WM_TIMER:
      if (wParam == kScheduleTimer) CheckSchedule();
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == kStartId && HIWORD(wParam) == BN_CLICKED) run_->CleanNow();
      return 0;
    case WM_CLOSE:
      ExitProgram();
      return 0;
    case WM_DESTROY:
      DisarmBossKey(hwnd_);
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void MainWindow::CheckSchedule() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  if (!settings::ScheduleDue(schedule_, now)) return;
  // A tick that arrives while a run is under way is refused by the run itself.
  if (run_->CleanNow(true)) ShowWindow(hwnd_, SW_HIDE);
}

void MainWindow::SetBusyCursor(bool busy) { SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW)); }

void MainWindow::EnableStartButton(bool enabled) { EnableWindow(start_, enabled); }

void MainWindow::ClearRows() {
  ListView_DeleteAllItems(list_);
  currentRow_ = -1;
  UpdateWindow(list_);
}

void MainWindow::AddRow(const std::wstring& label) {
  LVITEMW item = {};
  item.mask = LVIF_TEXT;
  item.iItem = ListView_GetItemCount(list_);
  item.pszText = const_cast<wchar_t*>(label.c_str());
  currentRow_ = ListView_InsertItem(list_, &item);
  ListView_EnsureVisible(list_, currentRow_, FALSE);
}

void MainWindow::SetRowState(const std::wstring& text) {
  if (currentRow_ < 0) return;
  ListView_SetItemText(list_, currentRow_, 1, const_cast<wchar_t*>(text.c_str()));
}

void MainWindow::SetProgress(int value) { SendMessageW(progress_, PBM_SETPOS, value, 0); }

void MainWindow::SetStatusLine(const std::wstring& text) { SetWindowTextW(status_, text.c_str()); }

void MainWindow::PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void MainWindow::FocusMainWindow() { SetFocus(hwnd_); }

void MainWindow::ShowInformation(const std::wstring& title, const std::wstring& text) {
  if (informationSink_) {
    informationSink_(title, text);
    return;
  }
  MessageBoxW(hwnd_, text.c_str(), title.c_str(), MB_OK | MB_ICONINFORMATION);
}

void MainWindow::QueueNotification(const engine::NotificationRequest& request) { notifications_->Queue(request); }

void MainWindow::ShowStatistics(const std::wstring& lastClean, const std::wstring& totals) {
  SetWindowTextW(statistics_, (lastClean + totals).c_str());
}

void MainWindow::ShowMainWindow() { ShowWindow(hwnd_, SW_SHOW); }

void MainWindow::ExitProgram() {
  if (hwnd_) DestroyWindow(hwnd_);
  PostQuitMessage(0);
}

}  // namespace ui
