#pragma once
// A keep-list window of current items on the left and the keep list on the right, with "Add >" and
// "< Remove" between them; every Add and Remove changes the keep-list file at once.
#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/dialog.h"

namespace dialogs {

class KeepListWindow : public toolkit::Dialog {
 public:
  HWND CurrentList() const { return current_; }
  HWND KeepList() const { return keep_; }
  HWND AddButton() const { return add_; }
  HWND RemoveButton() const { return remove_; }

 protected:
  struct Texts {
    const wchar_t* caption;
    const wchar_t* frame;
    const wchar_t* currentHeading;
    const wchar_t* keepHeading;
  };
  KeepListWindow(Texts texts, std::wstring keepListFile);

  // Fills the current items, once the window's controls are found.
  virtual void LoadLists() = 0;
  // The tail of both loads: fills the keep list from its file and sets the scroll extents, unless
  // the file is absent.
  void LoadKeepListFile();
  static void Fill(HWND list, const std::vector<std::wstring>& items);

 private:
  toolkit::DialogTemplate Template() const override;
  void Load() final;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Unload() override;
  void Add();
  void Remove();

  Texts texts_;
  std::wstring keepListFile_;
  HWND current_ = nullptr;
  HWND keep_ = nullptr;
  HWND add_ = nullptr;
  HWND remove_ = nullptr;
};

}  // namespace dialogs
