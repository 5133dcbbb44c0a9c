#pragma once
// The base of every window built from an in-memory dialog template: created modeless (tests drive
// it hidden, with messages) or run modal, with one procedure that finds the object behind the window.
// The base skins every window it makes, so that none is left plain, and skins it again when the theme
// changes while it is open.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/dialog_template.h"

namespace toolkit {

// A window lists its commands as data, one row per control and notification (a click, a menu choice,
// Enter and Escape all come as code 0, BN_CLICKED); the base runs the row a WM_COMMAND matches, so a
// window's OnMessage keeps only the messages that are not commands.
struct DialogCommand {
  WORD id;
  WORD code;
  std::function<void()> run;
};

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
  // The window wears the skin of `skinFolder` (the program folder: its "skins\frmmain.skn"); a page
  // inside another window passes none and wears the skin of the window that holds it.
  explicit Dialog(std::wstring skinFolder, std::vector<DialogCommand> commands = {})
      : skinFolder_(std::move(skinFolder)), commands_(std::move(commands)) {}
  virtual DialogTemplate Template() const = 0;
  // WM_INITDIALOG, once Handle() names the window, before the skin: the controls the template does
  // not hold, made here, wear the skin too.
  virtual void MakeControls() {}
  // WM_INITDIALOG, once the window wears the skin: what is measured in the skin's font is measured here.
  virtual void Load() = 0;
  // Every later message but the commands; FALSE leaves it to the dialog manager.
  virtual INT_PTR OnMessage(UINT, WPARAM, LPARAM) { return FALSE; }
  // WM_DESTROY: the controls found at Load are gone.
  virtual void Unload() {}
  // Ends the window: ShowModal returns `result`; a modeless window is destroyed.
  void Close(INT_PTR result = IDOK);

 private:
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // Runs the command row of a WM_COMMAND; false when none matches.
  bool RunCommand(WPARAM wParam) const;

  std::wstring skinFolder_;
  std::vector<DialogCommand> commands_;
  HWND hwnd_ = nullptr;
  bool modal_ = false;
};

}  // namespace toolkit
