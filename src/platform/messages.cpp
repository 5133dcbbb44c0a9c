#include "platform/messages.h"

namespace platform {

namespace {

class MessageBoxes : public Messages {
 public:
  int Show(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) override {
    return MessageBoxW(owner, text.c_str(), caption.c_str(), type);
  }
};

MessageBoxes messageBoxes;
Messages* current = &messageBoxes;

}  // namespace

Messages& CurrentMessages() { return *current; }

ScopedMessages::ScopedMessages(Messages& messages) : previous_(current) { current = &messages; }

ScopedMessages::~ScopedMessages() { current = previous_; }

int ShowMessage(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
  return current->Show(owner, text, caption, type);
}

void Tell(HWND owner, const std::wstring& text) { ShowMessage(owner, text, L"Trellwipe", MB_OK | MB_ICONEXCLAMATION); }

}  // namespace platform
