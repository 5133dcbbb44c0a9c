#pragma once
// Everything the cleaning run shows or asks goes through this view: the main window implements it
// with its result list, progress bar and status line; tests record it.
#include <windows.h>

#include <string>

#include "engine/run_report.h"

namespace run {

struct NotificationRequest {
  std::wstring key;
  std::wstring title;
  std::wstring description;
  bool allowDuplicateTitles = false;
  bool enableClickEvent = false;
  std::wstring icon;
  std::wstring soundFile;
};

class RunView {
 public:
  virtual ~RunView() = default;
  virtual void ShowStatusPage() = 0;
  virtual void SetBusyCursor(bool busy) = 0;
  // "Start Cleaning" and "Preview", which wait while a run is under way.
  virtual void EnableStartCommands(bool enabled) = 0;
  virtual void ClearRows() = 0;
  // Appends a row with its first column; it becomes the current row and is scrolled into view.
  virtual void AddRow(const std::wstring& label) = 0;
  // A row that belongs to no item: a user's group opening or closing, a notice about the run, its end.
  virtual void AddNoteRow(const std::wstring& text) { AddRow(text); }
  // The second column of the current row.
  virtual void SetRowState(const std::wstring& text) = 0;
  // The figures of the current row's item, when it has ended: files, size, what it left behind.
  virtual void SetRowFigures(const engine::ItemReport& item) = 0;
  virtual void SetProgress(int value) = 0;
  virtual void SetStatusLine(const std::wstring& text) = 0;
  // The status line at the start and the end of a run, which a screen reader reads out unasked.
  virtual void AnnounceStatusLine(const std::wstring& text) { SetStatusLine(text); }
  virtual void PumpMessages() = 0;
  virtual void FocusMainWindow() = 0;
  // An information message box; returns when it was closed.
  virtual void ShowInformation(const std::wstring& title, const std::wstring& text) = 0;
  virtual void QueueNotification(const NotificationRequest& request) = 0;
  // The statistics strip: the date of the last run and its totals, with the tip that says what they are.
  virtual void ShowStatistics(const std::wstring& lastClean, const std::wstring& totals, const std::wstring& tip) = 0;
  virtual void ShowMainWindow() = 0;
  // The main window's exit procedure; the process ends.
  virtual void ExitProgram() = 0;
  // The window that owns what a step shows (the recycle bin's progress); none for the console.
  virtual HWND OwnerWindow() const { return nullptr; }
};

// Shows nothing and asks nothing: the console program, and a preview's rows, which the main window
// fills from the report instead.
class NullView : public RunView {
 public:
  void ShowStatusPage() override {}
  void SetBusyCursor(bool) override {}
  void EnableStartCommands(bool) override {}
  void ClearRows() override {}
  void AddRow(const std::wstring&) override {}
  void SetRowState(const std::wstring&) override {}
  void SetRowFigures(const engine::ItemReport&) override {}
  void SetProgress(int) override {}
  void SetStatusLine(const std::wstring&) override {}
  void PumpMessages() override {}
  void FocusMainWindow() override {}
  void ShowInformation(const std::wstring&, const std::wstring&) override {}
  void QueueNotification(const NotificationRequest&) override {}
  void ShowStatistics(const std::wstring&, const std::wstring&, const std::wstring&) override {}
  void ShowMainWindow() override {}
  void ExitProgram() override {}
};

}  // namespace run
