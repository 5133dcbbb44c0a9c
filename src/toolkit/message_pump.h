#pragma once
// The one message pump: the program's loop, and the turns a long task gives the windows.
#include <windows.h>

#include <functional>

namespace toolkit {

// Lets a window take a message its own way (a menu shortcut, a dialog key) before it is dispatched;
// true when it did.
using MessageFilter = std::function<bool(MSG& message)>;

// Dispatches the messages waiting and returns when none is left; false when WM_QUIT came, which is
// posted again for the loop outside. Tab, Enter, Esc and mnemonics reach every window that takes
// dialog keys.
bool PumpWaitingMessages(const MessageFilter& filter = {});

// Dispatches messages until WM_QUIT; returns its code.
int RunMessageLoop(const MessageFilter& filter = {});

}  // namespace toolkit
