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
  HWND CurrentList() const { return Control(kCurrentListId); }
  HWND KeepList() const { return Control(kKeepListId); }
  HWND AddButton() const { return Control(kAddId); }
  HWND RemoveButton() const { return Control(kRemoveId); }

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
  static constexpr WORD kCurrentListId = 1001, kKeepListId = 1002, kAddId = 1003, kRemoveId = 1004;
  toolkit::DialogTemplate Template() const override;
  void Load() final;
  void Add();
  void Remove();

  Texts texts_;
  std::wstring keepListFile_;
};

}  // namespace dialogs
