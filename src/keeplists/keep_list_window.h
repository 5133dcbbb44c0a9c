#pragma once
// What both keep-list windows share. Both show the current items on the left and the keep list on the right
// with "Add >" and "< Remove" between them; every Add and Remove changes the keep-list file at once.
// The cookie window also previews the cookie file last clicked in either list.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/dialog_template.h"

namespace keeplists {

class KeepListWindow {
 public:
  virtual ~KeepListWindow();
  KeepListWindow(const KeepListWindow&) = delete;
  KeepListWindow& operator=(const KeepListWindow&) = delete;

  // Creates and loads the window modeless, so that tests can drive it without a modal loop; false
  // when the platform refused.
  bool Create(HWND owner, bool visible);
  // Creates and loads the window and returns once the user has closed it.
  void ShowModal(HWND owner);

  HWND Handle() const { return hwnd_; }
  HWND CurrentList() const { return current_; }
  HWND KeepList() const { return keep_; }
  HWND AddButton() const { return add_; }
  HWND RemoveButton() const { return remove_; }
  // How Add and Remove tell the user that the keep-list file could not be written (a message box);
  // tests replace it so that nothing blocks.
  void SetReport(std::function<void(HWND owner, const std::wstring& message)> report) { report_ = std::move(report); }

 protected:
  struct Texts {
    const wchar_t* caption;
    const wchar_t* frame;
    const wchar_t* currentHeading;
    const wchar_t* keepHeading;
    bool withPreview;
  };
  KeepListWindow(Texts texts, std::wstring keepListFile);

  virtual void Load() = 0;
  virtual void ItemClicked(HWND) {}
  HWND PreviewText() const { return preview_; }
  // The tail of both loads: fills the keep list from its file and sets the scroll extents, unless
  // the file is absent.
  void LoadKeepListFile();
  static void Fill(HWND list, const std::vector<std::wstring>& items);

 private:
  toolkit::DialogTemplate Template() const;
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Initialize(HWND hwnd);
  void Add();
  void Remove();

  Texts texts_;
  std::wstring keepListFile_;
  bool modal_ = false;
  HWND hwnd_ = nullptr;
  HWND current_ = nullptr;
  HWND keep_ = nullptr;
  HWND add_ = nullptr;
  HWND remove_ = nullptr;
  HWND preview_ = nullptr;
  std::function<void(HWND owner, const std::wstring& message)> report_ = [](HWND owner, const std::wstring& message) {
    MessageBoxW(owner, message.c_str(), L"Trellwipe", MB_OK | MB_ICONEXCLAMATION);
  };
};

}  // namespace keeplists
