#pragma once
// "Search & Erase": finds files by patterns under a folder and erases the ones the user keeps selected.
#include <windows.h>

#include <string>
#include <vector>

#include "filesearch/diskmote_settings.h"
#include "filesearch/find_files.h"
#include "toolkit/anchored_layout.h"
#include "toolkit/dialog.h"

namespace dialogs {

// Opens the tool modally and returns when the user has closed it.
void ShowFileSearch(HWND owner, const std::wstring& programFolder);

class LocateWindow : public toolkit::Dialog, private filesearch::SearchSink {
 public:
  static constexpr WORD kDriveId = 1101;   // Drive1
  static constexpr WORD kFolderId = 1102;  // Dir1
  static constexpr WORD kFolderPathId = 1103;
  static constexpr WORD kSearchStringId = 1104;  // Text1
  static constexpr WORD kRecycleId = 1105;       // chkDelType
  static constexpr WORD kSubFoldersId = 1106;    // Check1
  static constexpr WORD kResultsId = 1107;       // List1
  static constexpr WORD kStatusId = 1108;        // Status
  static constexpr WORD kFindId = 1109;          // cmdAction(0)
  static constexpr WORD kExitId = 1110;          // cmdAction(1)
  static constexpr WORD kDeleteId = 1111;        // cmdDelete
  static constexpr WORD kSelectAllId = 1112;     // cmdSelectAll
  static constexpr WORD kSelectNoneId = 1113;    // cmdUnSelectAll
  static constexpr WORD kOptionsId = 1114;       // cmdOption
  static constexpr WORD kMenuExitId = 1201;
  static constexpr WORD kMenuOptionsId = 1202;
  static constexpr WORD kMenuResetId = 1203;
  static constexpr WORD kMenuAboutId = 1204;

  explicit LocateWindow(std::wstring programFolder,
                        filesearch::DiskmoteSettings settings = filesearch::DiskmoteSettings());

  const std::wstring& CurrentFolder() const { return folder_; }
  // The folder list moves to the folder, which searches it as every folder change does.
  void ChangeFolder(const std::wstring& folder);
  // What the extension editor pushes after each change.
  void SetSearchString(const std::wstring& text);
  bool Searching() const { return searching_; }

 private:
  toolkit::DialogTemplate Template() const override;
  void Load() override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void AttachMenu();
  void AnchorControls();
  // Enter: in the search string it finds, in the folder list it opens the folder.
  void EnterPressed();
  // A search string typed after an empty one offers Find again.
  void SearchStringChanged();
  void FillDrives();
  void FillFolders();
  void OpenSelectedFolder();
  void OpenParentFolder();
  void DriveChanged();
  void Find();
  void Action();
  void Delete();
  void ResetAll();
  void OpenOptions();
  void SelectAll(bool selected);
  // Runs FindFiles and, unless stopped, shows the summary and selects every item; false when stopped.
  bool Search();
  void ClearResults();
  void ShowStatus(const std::wstring& text);
  void SetBusy(bool busy);
  void StoreCheck(WORD id, const wchar_t* key);
  void Close();

  // SearchSink
  void SearchStarted() override;
  void PumpMessages() override;
  bool IncludeSubFolders() override;
  void ShowFolder(const std::wstring& folder) override;
  void AddItem(const std::wstring& item, const std::wstring& path) override;
  // A search still running when the window goes ends at its next look.
  bool StopRequested() override { return stop_ || !Handle(); }

  std::wstring programFolder_;
  toolkit::AnchoredLayout layout_;
  filesearch::DiskmoteSettings settings_;
  std::wstring folder_;
  std::vector<std::wstring> subFolders_;  // Dir1's entries after ".."
  std::vector<std::wstring> paths_;       // the file each List1 item deletes; empty for exact-name items
  filesearch::FolderQueue queue_;
  bool stop_ = false;
  bool searching_ = false;
  bool closePending_ = false;
};

}  // namespace dialogs
