#include "engine/prompt.h"

#include <windows.h>

namespace engine {

namespace {

class MessageBoxPrompt : public Prompt {
 public:
  void ShowMessage(const std::wstring& text) override {
    MessageBoxW(GetActiveWindow(), text.c_str(), L"Trellwipe", MB_OK);
  }
};

MessageBoxPrompt messageBox;
Prompt* current = &messageBox;

}  // namespace

Prompt& CurrentPrompt() { return *current; }

ScopedPrompt::ScopedPrompt(Prompt& prompt) : previous_(current) { current = &prompt; }
ScopedPrompt::~ScopedPrompt() { current = previous_; }

}  // namespace engine
