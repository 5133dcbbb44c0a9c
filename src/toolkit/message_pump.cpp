#include "toolkit/message_pump.h"

#include "toolkit/keyboard.h"

namespace toolkit {

namespace {

void Dispatch(MSG& message, const MessageFilter& filter) {
  if ((filter && filter(message)) || TranslateDialogKeys(message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

}  // namespace

bool PumpWaitingMessages(const MessageFilter& filter) {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    Dispatch(message, filter);
  }
  return true;
}

int RunMessageLoop(const MessageFilter& filter) {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) Dispatch(message, filter);
  return static_cast<int>(message.wParam);
}

}  // namespace toolkit
