#pragma once
// Keyboard conventions of the program's windows: mnemonics in labels, Tab and Enter/Esc in windows
// made with CreateWindowEx, and focus that comes back to the control the user left.
#include <windows.h>

#include <string>
#include <string_view>

namespace ui {

// The label as displayed: every lone '&' removed, "&&" shown as '&'.
std::wstring WithoutMnemonic(std::wstring_view label);
// The upper-case letter a lone '&' marks, 0 when the label has none.
wchar_t MnemonicOf(std::wstring_view label);

// Windows that are not dialogs get Tab, Enter, Esc and Alt+letter from the program's message loop
// once they are registered; a window unregisters itself when it is destroyed.
void RegisterDialogKeys(HWND window);
void UnregisterDialogKeys(HWND window);
// True when the message belonged to a registered window and was handled there.
bool TranslateDialogKeys(MSG& message);

// The answer to DM_GETDEFID: the button Enter presses.
inline LRESULT DefaultButtonReply(UINT id) { return MAKELRESULT(id, DC_HASDEFID); }

// WM_NEXTDLGCTL in a window that is not a dialog, as the dialog manager sends it for Tab and for the
// mnemonic of a label (the focus goes on to the control after it).
void MoveDialogFocus(HWND window, WPARAM wParam, LPARAM lParam);

// Enter reaches the control itself (a result list opens its row) instead of the default button.
void KeepReturnKey(HWND control);

// The control that had the focus when a plain window was deactivated gets it back on activation.
class FocusKeeper {
 public:
  // WM_ACTIVATE with WA_INACTIVE.
  void Deactivated(HWND window);
  // WM_SETFOCUS of the window itself: the focus goes on to the remembered control or the first tab stop.
  void Focused(HWND window);

 private:
  HWND control_ = nullptr;
};

}  // namespace ui
