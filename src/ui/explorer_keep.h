#pragma once
// "Keep from cleaning with Trellwipe" in Explorer's menu: the program started with "/keep" and the
// files and folders chosen adds them to the files and folders to keep, and lists in one window what
// it kept and what it could not, and why. Explorer starts the program once for each item chosen; the
// later starts hand their paths to the window of the first, whose list grows.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/translation.h"
#include "toolkit/dialog.h"
#include "toolkit/handover.h"

namespace ui {

// The option Explorer's verb starts the program with, before the path of what was chosen.
constexpr wchar_t kKeepOption[] = L"/keep";

// "TWKP" marks a WM_COPYDATA of the paths to keep.
inline constexpr toolkit::Handover kKeepHandover{0x54574B50, platform::TrLater(L"Keep from cleaning with Trellwipe"),
                                                 L"Local\\Trellwipe.keeping"};

// The paths after "/keep" in a command line as Windows splits it (the program's own name first);
// none when the command line does not start with the option.
std::optional<std::vector<std::wstring>> PathsToKeep(const std::wstring& commandLine);

class ExplorerKeepWindow : public toolkit::Dialog {
 public:
  static constexpr WORD kHeadingId = 101;
  static constexpr WORD kListId = 102;

  // Keeps the paths at once, so that they are kept even when the window cannot open.
  ExplorerKeepWindow(std::wstring programFolder, const std::vector<std::wstring>& paths);
  // Called once the window is open and can take other starts' paths.
  void WhenOpen(std::function<void()> open) { open_ = std::move(open); }
  bool AllKept() const { return refused_.empty(); }

 private:
  toolkit::DialogTemplate Template() const override;
  void Load() override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Keep(const std::vector<std::wstring>& paths);
  // The heading and the list: what is kept, then what is not, with its reason.
  void Show();

  std::wstring programFolder_;
  std::vector<std::wstring> kept_, refused_;
  std::function<void()> open_;
};

// Keeps the paths and shows them in this start's window, or hands them to the window an earlier start
// of the same selection opened. False when any path this start showed was not kept.
bool KeepFromExplorer(const std::wstring& programFolder, const std::vector<std::wstring>& paths);

}  // namespace ui
