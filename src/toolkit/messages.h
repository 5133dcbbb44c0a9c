#pragma once
// Every message box and question of the program goes through one seam: a message box by default;
// the console program writes the messages out, and tests record them and give the answers.
#include <windows.h>

#include <string>
#include <vector>

namespace toolkit {

class Messages {
 public:
  virtual ~Messages() = default;
  // As MessageBoxW: the text, the caption and the MB_ style in, the button chosen (IDOK, IDYES...) out.
  virtual int Show(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) = 0;
  // A question answered with buttons of these captions, the first being the default: the index of the
  // button chosen, or -1 when the question was closed without one.
  virtual int Choose(HWND owner, const std::wstring& text, const std::wstring& caption,
                     const std::vector<std::wstring>& buttons) = 0;
};

// The messages in force: the last ScopedMessages installed, else message boxes.
Messages& CurrentMessages();

// Installs `messages` for its life and then puts back what was in force before.
class ScopedMessages {
 public:
  explicit ScopedMessages(Messages& messages);
  ~ScopedMessages();
  ScopedMessages(const ScopedMessages&) = delete;
  ScopedMessages& operator=(const ScopedMessages&) = delete;

 private:
  Messages* previous_;
};

// A message or question through the current messages.
int ShowMessage(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type);
// A question with buttons of these captions through the current messages (Messages::Choose).
int Choose(HWND owner, const std::wstring& text, const std::wstring& caption, const std::vector<std::wstring>& buttons);
// What could not be done, with the program's name as the caption and an exclamation mark.
void Tell(HWND owner, const std::wstring& text);

}  // namespace toolkit
