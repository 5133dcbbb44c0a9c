#pragma once
// "Files and folders to keep": the entries of "keeppath.dat", each with where it was kept from, with
// "Add File...", "Add Folder...", "Remove" and "Close". Every change is written to the list at once;
// one the list did not take is shown with its reason, and the window shows the list as it is.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/kept_paths_file.h"
#include "toolkit/dialog.h"

namespace dialogs {

// The file and the folder a user picks to keep; none when the picker was closed.
struct KeptPathPickers {
  std::function<std::optional<std::wstring>(HWND owner)> file;
  std::function<std::optional<std::wstring>(HWND owner)> folder;
};
KeptPathPickers SystemKeptPathPickers();

// Where an entry came from, as the window shows it: from the details, from Explorer, from the console,
// or by hand (in this window, or a line written into the file).
std::wstring KeptFromText(const std::wstring& from);

class KeptPathsWindow : public toolkit::Dialog {
 public:
  static constexpr WORD kListId = 1001, kAddFileId = 1002, kAddFolderId = 1003, kRemoveId = 1004;
  explicit KeptPathsWindow(std::wstring programFolder, KeptPathPickers pickers = SystemKeptPathPickers());
  HWND List() const { return Control(kListId); }

 private:
  toolkit::DialogTemplate Template() const override;
  void Load() override;
  // Shows the list as the file holds it.
  void Fill();
  void Add(const std::optional<std::wstring>& path);
  void Remove();

  std::wstring programFolder_;
  KeptPathPickers pickers_;
  std::vector<engine::KeptPathLine> entries_;
};

void ShowKeptPaths(HWND owner, const std::wstring& programFolder);

}  // namespace dialogs
