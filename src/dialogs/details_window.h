#pragma once
// The details of one result row: every path and key the item erased (or, after a preview, would
// erase) and what it left behind, one line each, with a "Close" button. The list asks for the lines
// it shows, so the details of half a million files open at once.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "engine/run_report.h"
#include "platform/handles.h"
#include "toolkit/keyboard.h"
#include "toolkit/window_class.h"

namespace dialogs {

struct DetailsLayout {
  RECT lines, close;
};
// Where the list and the button sit in a client area of that size at `dpi`.
DetailsLayout LayOutDetailsWindow(SIZE client, UINT dpi);

class DetailsWindow {
 public:
  // Keeps its own copy of the item: a run that starts while the window is open does not change it.
  DetailsWindow(std::wstring title, engine::ItemReport item, bool preview, std::wstring programFolder);
  ~DetailsWindow();
  DetailsWindow(const DetailsWindow&) = delete;
  DetailsWindow& operator=(const DetailsWindow&) = delete;

  // Creates the window modeless, so that tests can drive it; false when the platform refused.
  bool Create(HWND owner, bool visible);
  // Creates the window and returns once the user has closed it; the owner is disabled meanwhile.
  void ShowModal(HWND owner);

  HWND Handle() const { return hwnd_; }
  HWND Lines() const { return list_; }
  HWND CloseButton() const { return close_; }
  UINT Dpi() const { return dpi_; }

 private:
  template <typename T>
  friend LRESULT CALLBACK toolkit::ObjectProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Layout();
  // Hands the list a line's text when it asks (the rows themselves are drawn by DrawLine).
  void ShowLine(NMLVDISPINFOW& info);
  // Draws a row whole, and widens the column when the line is wider.
  void DrawLine(const DRAWITEMSTRUCT& draw);
  void MeasureLine(MEASUREITEMSTRUCT& measure) const;
  void FitColumn();

  std::wstring title_;
  engine::ItemReport item_;
  engine::DetailLines lines_;
  int columnWidth_ = 0;
  std::wstring programFolder_;
  HWND hwnd_ = nullptr;
  HWND list_ = nullptr;
  HWND close_ = nullptr;
  platform::Font font_;
  UINT dpi_ = 96;
  toolkit::FocusKeeper focus_;
  bool closed_ = false;
};

// The modal details of a row, owned by `owner`.
void ShowDetails(HWND owner, const std::wstring& title, const engine::ItemReport& item, bool preview,
                 const std::wstring& programFolder);

}  // namespace dialogs
