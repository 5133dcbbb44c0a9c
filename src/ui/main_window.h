#pragma once
// The main window: the result list, progress bar, status line and start button of a run.
#include <windows.h>

#include <memory>
#include <string>

#include "engine/clean_run.h"
#include "engine/run_view.h"
#include "platform/handles.h"
#include "settings/schedule.h"
#include "ui/notification_window.h"

namespace ui {

class MainWindow : public engine::RunView {
 public:
  // Checks the schedule every 30 seconds for as long as the window lives.
  static constexpr UINT_PTR kScheduleTimer = 1;

  MainWindow(HINSTANCE instance, std::wstring programFolder);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window hidden; false when the platform refused.
  bool Create();
  HWND Handle() const { return hwnd_; }
  HWND ResultList() const { return list_; }
  HWND StartButton() const { return start_; }
  HWND Progress() const { return progress_; }
  HWND StatusLine() const { return status_; }
  NotificationSystem& Notifications() { return *notifications_; }
  HWND Statistics() const { return statistics_; }
  engine::CleanRun& Run() { return *run_; }

  // Message boxes are replaced by a callback in tests so that nothing blocks.
  void SetInformationSink(std::function<void(const std::wstring&, const std::wstring&)> sink) {
    informationSink_ = std::move(sink);
  }

  void ShowStatusPage() override {}
  void SetBusyCursor(bool busy) override;
  void EnableStartButton(bool enabled) override;
  void ClearRows() override;
  void AddRow(const std::wstring& label) override;
  void SetRowState(const std::wstring& text) override;
  void SetProgress(int value) override;
  void SetStatusLine(const std::wstring& text) override;
  void PumpMessages() override;
  void FocusMainWindow() override;
  void ShowInformation(const std::wstring& title, const std::wstring& text) override;
  void QueueNotification(const engine::NotificationRequest& request) override;
  void ShowStatistics(const std::wstring& lastClean, const std::wstring& totals) override;
  void ShowMainWindow() override;
  void ExitProgram() override;

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Layout();
  void CheckSchedule();

  HINSTANCE instance_;
  std::wstring programFolder_;
  HWND hwnd_ = nullptr;
  HWND list_ = nullptr;
  HWND progress_ = nullptr;
  HWND status_ = nullptr;
  HWND start_ = nullptr;
  HWND statistics_ = nullptr;
  platform::Font font_;
  int currentRow_ = -1;
  std::unique_ptr<engine::CleanRun> run_;
  settings::Schedule schedule_;
  std::unique_ptr<NotificationSystem> notifications_;
  std::function<void(const std::wstring&, const std::wstring&)> informationSink_;
};

}  // namespace ui
