#pragma once
// Keyboard conventions of the program's windows: mnemonics in labels, Tab and Enter/Esc in windows
// made with CreateWindowEx, and focus that comes back to the control the user left.
#include <windows.h>

#include <string>
#include <string_view>

namespace toolkit {

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

// Enter reaches the control itself (a result list opens its row) instead of the default button.
void KeepReturnKey(HWND control);

// The focus in a plain window as in a dialog: the control that had it when the window was
// deactivated gets it back, and WM_NEXTDLGCTL (sent for Tab and for a label's mnemonic) moves it.
class FocusKeeper {
 public:
  // True when the message is done with; WM_ACTIVATE is only watched, so the window still sees it.
  bool Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  HWND control_ = nullptr;
};

}  // namespace toolkit
