#pragma once
// The few fixed messages the engine shows without a run view (a malformed registry path).
#include <string>

namespace engine {

class Prompt {
 public:
  virtual ~Prompt() = default;
  virtual void ShowMessage(const std::wstring& text) = 0;
};

// A message box with the application's title unless a window or a test installed its own.
Prompt& CurrentPrompt();

class ScopedPrompt {
 public:
  explicit ScopedPrompt(Prompt& prompt);
  ~ScopedPrompt();
  ScopedPrompt(const ScopedPrompt&) = delete;
  ScopedPrompt& operator=(const ScopedPrompt&) = delete;

 private:
  Prompt* previous_;
};

}  // namespace engine
