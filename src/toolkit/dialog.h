#pragma once
// The base of every window built from an in-memory dialog template: created modeless (tests drive
// it hidden, with messages) or run modal, with one procedure that finds the object behind the window.
#include <windows.h>

#include "toolkit/dialog_template.h"

namespace toolkit {

class Dialog {
 public:
  // Destroys a window still open without calling the derived part, which is gone by then.
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Creates and loads the window modeless; false when it is open already or the platform refused.
  bool Create(HWND owner, bool visible);
  // Creates and loads the window and returns once the user has closed it, with what Close was given.
  INT_PTR ShowModal(HWND owner);
  HWND Handle() const { return hwnd_; }
  HWND Control(WORD id) const { return hwnd_ ? GetDlgItem(hwnd_, id) : nullptr; }

 protected:
  Dialog() = default;
  virtual DialogTemplate Template() const = 0;
  // WM_INITDIALOG, once Handle() names the window.
  virtual void Load() = 0;
  // Every later message; FALSE leaves it to the dialog manager.
  virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // WM_DESTROY: the controls found at Load are gone.
  virtual void Unload() {}
  // Ends the window: ShowModal returns `result`; a modeless window is destroyed.
  void Close(INT_PTR result = IDOK);

 private:
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
  bool modal_ = false;
};

}  // namespace toolkit
