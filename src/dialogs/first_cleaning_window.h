#pragma once
// "The first cleaning": asked before the selection Trellwipe ticked for a new user is cleaned. It
// names what the preview found and the items that would erase something, in a list that scrolls,
// so that its closing text and buttons stay on a small screen at any DPI. Enter cleans, Esc and the
// close box cancel.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/run_report.h"
#include "toolkit/dialog.h"

namespace dialogs {

enum class FirstCleaningChoice { Clean, Preview, Cancel };

class FirstCleaningWindow : public toolkit::Dialog {
 public:
  static constexpr WORD kCleanId = IDOK;
  static constexpr WORD kPreviewId = 101;
  static constexpr WORD kItemsId = 102;

  // `workArea` (screen pixels) is where the window must fit: the work area of its monitor when none.
  FirstCleaningWindow(const engine::RunReport& preview, std::wstring programFolder,
                      std::optional<RECT> workArea = std::nullopt);

  HWND Items() const { return Control(kItemsId); }
  FirstCleaningChoice Choice() const { return choice_; }

 private:
  toolkit::DialogTemplate Template() const override;
  void Load() override;
  void Choose(FirstCleaningChoice choice);
  // Sizes the texts, the list and the buttons, then the window, inside the work area.
  void Layout();

  std::wstring programFolder_;
  std::optional<RECT> workArea_;
  std::wstring question_;
  std::vector<std::wstring> labels_;
  FirstCleaningChoice choice_ = FirstCleaningChoice::Cancel;
};

// The window above, modal, owned by `owner`.
FirstCleaningChoice AskFirstCleaning(HWND owner, const engine::RunReport& preview, const std::wstring& programFolder);

}  // namespace dialogs
