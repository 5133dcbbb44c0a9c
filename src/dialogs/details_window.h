#pragma once
// The details of one result row: every path and key the item erased (or, after a preview, would
// erase) and what it left behind, one line each, with a "Close" button. The list asks for the lines
// it shows, so the details of half a million files open at once. A file's line keeps the file, or its
// folder, from every cleaning through its pop-up menu.
#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>

#include "engine/run_report.h"
#include "platform/handles.h"
#include "toolkit/dialog.h"

namespace dialogs {

// The lines' pop-up menu: the file of the line selected, or its folder, goes on the files and
// folders to keep.
constexpr WORD kKeepFileCommand = 101;
constexpr WORD kKeepFolderCommand = 102;

struct DetailsLayout {
  RECT lines, close;
};
// Where the list and the button sit in a client area of that size at `dpi`.
DetailsLayout LayOutDetailsWindow(SIZE client, UINT dpi);

class DetailsWindow : public toolkit::Dialog {
 public:
  // Keeps its own copy of the item: a run that starts while the window is open does not change it.
  DetailsWindow(std::wstring title, engine::ItemReport item, bool preview, std::wstring programFolder);

  HWND Lines() const { return list_; }
  HWND CloseButton() const { return close_; }
  UINT Dpi() const { return dpi_; }

 private:
  toolkit::DialogTemplate Template() const override;
  // The window's size, font and controls at its monitor's DPI, which the skin takes its font from.
  void MakeControls() override;
  void Load() override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  // The window's font, and each control's, at `dpi_`.
  void MakeFont();
  void Layout();
  // Hands the list a line's text when it asks (the rows themselves are drawn by DrawLine).
  void ShowLine(NMLVDISPINFOW& info);
  // Draws a row whole, and widens the column when the line is wider.
  void DrawLine(const DRAWITEMSTRUCT& draw);
  void MeasureLine(MEASUREITEMSTRUCT& measure) const;
  void FitColumn();
  // The file of the line selected; none for any other line, or without a program folder to keep in.
  std::optional<std::wstring> SelectedFile() const;
  // The menu of "Keep this file" and "Keep this folder", at the pointer or, from the keyboard (`at`
  // -1), at the line selected.
  void ShowKeepMenu(LPARAM at);
  // Keeps the selected line's file, or its folder; a refusal is shown with its reason.
  void Keep(bool folder);

  std::wstring title_;
  engine::ItemReport item_;
  engine::DetailLines lines_;
  int columnWidth_ = 0;
  std::wstring programFolder_;
  HWND list_ = nullptr;
  HWND close_ = nullptr;
  platform::Font font_;
  UINT dpi_ = 96;
};

// The modal details of a row, owned by `owner`.
void ShowDetails(HWND owner, const std::wstring& title, const engine::ItemReport& item, bool preview,
                 const std::wstring& programFolder);

}  // namespace dialogs
