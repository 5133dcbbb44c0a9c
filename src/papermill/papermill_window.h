#pragma once
// Papermill's window: the files and folders to shred, added by the file and folder dialogs, by
// dropping them on the window or on its command line ("Send to"); the shredding after a question that
// names how many files and how much; the list of what stayed and why; and the wipe of a drive's free
// space, on a thread of its own so the window keeps working and Stop ends it at once.
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/erase_context.h"
#include "engine/secure_overwrite.h"
#include "shredder/free_space.h"
#include "shredder/shred.h"
#include "toolkit/dialog.h"

namespace papermill {

// The system's file and folder dialogs; tests give their own answers.
struct Pickers {
  std::function<std::vector<std::wstring>(HWND owner)> files;
  std::function<std::wstring(HWND owner)> folder;
};
Pickers SystemPickers();

class PapermillWindow : public toolkit::Dialog {
 public:
  // The ids of the controls the code and the tests refer to.
  enum : WORD {
    kQueueId = 101,
    kAddFilesId,
    kAddFolderId,
    kRemoveId,
    kRandomId,
    kShredId,
    kDriveId,
    kWipeId,
    kStopId,
    kProgressId,
    kStatusId,
    kResultsId,
    kHelpId,
  };

  // `paths`: the command line's, queued at once. `wipeLimit` as WipeOptions::limit.
  PapermillWindow(std::wstring programFolder, std::vector<std::wstring> paths, Pickers pickers = SystemPickers(),
                  ULONGLONG wipeLimit = 0);
  ~PapermillWindow() override;

  // The queued paths, as shown.
  const std::vector<std::wstring>& Queue() const { return queue_; }
  void Add(const std::vector<std::wstring>& paths);
  bool Wiping() const { return worker_.joinable(); }
  // Called once the window is open and takes the items a later start hands it.
  void WhenOpen(std::function<void()> open) { open_ = std::move(open); }

 private:
  struct WipeState {
    shredder::WipeProgress progress;
    shredder::WipeResult result;
  };

  toolkit::DialogTemplate Template() const override;
  void Load() override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Unload() override;
  void Command(WORD id);
  void Drop(HDROP drop);
  void RemoveSelected();
  void Shred();
  void StartWipe();
  void ShowWipeProgress();
  void EndWipe();
  void EndWorker();
  void SetBusy(bool busy);
  // A message or question with the window's caption: the button chosen.
  int Say(const std::wstring& text, UINT type);
  void SetStatus(const std::wstring& text);
  void ShowResults(const std::vector<std::wstring>& lines);
  void FillDrives();
  // Each column as wide as its longest text, the path column at least the rest of the list: a
  // reason such as "refused: Trellwipe's own folder" is read whole.
  void FitColumns();
  bool CloseWhenIdle();

  std::wstring programFolder_;
  std::vector<std::wstring> queue_;
  Pickers pickers_;
  ULONGLONG wipeLimit_;
  engine::StopSignal stop_;
  bool shredding_ = false;
  bool closePending_ = false;
  std::wstring wipeRoot_;
  std::thread worker_;
  std::mutex wipeMutex_;
  WipeState wipe_;  // written by the worker under the mutex
  std::function<void()> open_;
};

}  // namespace papermill
