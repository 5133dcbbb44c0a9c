#pragma once
// The details of one result row: every path and key the item erased (or, after a preview, would
// erase) and what it left behind, one line each, a rule's file with the rule line and pattern that
// named it, with a "Close" button. The list asks for the lines it shows, so the details of half a
// million files open at once. A file's line keeps the file, its folder or, for a rule's file,
// everything the rule line matches in its folder from every cleaning through its pop-up menu.
#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

#include "dialogs/keep_menu.h"
#include "engine/run_report.h"
#include "platform/handles.h"
#include "toolkit/dialog.h"

namespace dialogs {

// The lines' pop-up menu: the file of the line selected, its folder, or its folder and the pattern
// that matched it, goes on the files and folders to keep.
constexpr WORD kKeepFileCommand = 101;
constexpr WORD kKeepFolderCommand = 102;
constexpr WORD kKeepMatchesCommand = 103;
// The box that orders the files by their reasons.
constexpr WORD kGroupByReasonId = 104;

struct DetailsLayout {
  RECT lines, group, close;
};
// Where the list and the button sit in a client area of that size at `dpi`.
DetailsLayout LayOutDetailsWindow(SIZE client, UINT dpi);

class DetailsWindow : public toolkit::Dialog {
 public:
  // Keeps its own copy of the item: a run that starts while the window is open does not change it.
  DetailsWindow(std::wstring title, engine::ItemReport item, std::vector<engine::RuleReason> reasons, bool preview,
                std::wstring programFolder);

  HWND Lines() const { return list_; }
  HWND GroupBox() const { return group_; }
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
  std::optional<engine::FileRecord> SelectedFile() const;
  // The rule line and pattern of the file selected; null for the item's own files.
  const engine::RuleReason* SelectedReason() const;
  // The menu of "Keep this file", "Keep this folder" and, for a rule's file, "Keep everything this
  // rule line matches in this folder", at the pointer or, from the keyboard (`at` -1), at the line
  // selected.
  void ShowKeepMenu(LPARAM at);
  // Keeps the selected line's file, its folder or what its pattern matches there; a refusal is shown
  // with its reason.
  void Keep(KeepWhat what);
  void Group();

  std::wstring title_;
  engine::ItemReport item_;
  std::vector<engine::RuleReason> reasons_;
  engine::DetailLines lines_;
  int columnWidth_ = 0;
  std::wstring programFolder_;
  HWND list_ = nullptr;
  HWND close_ = nullptr;
  HWND group_ = nullptr;
  platform::Font font_;
  UINT dpi_ = 96;
};

// The modal details of a row, owned by `owner`.
void ShowDetails(HWND owner, const std::wstring& title, const engine::ItemReport& item,
                 const std::vector<engine::RuleReason>& reasons, bool preview, const std::wstring& programFolder);

}  // namespace dialogs
