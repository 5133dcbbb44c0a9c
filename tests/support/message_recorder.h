#pragma once
// Records every message and question the program shows while it lives, and answers them without a
// box: with the answers given in turn, then with `answer` when set, else OK or Yes.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/messages.h"

namespace testing_support {

class MessageRecorder : public platform::Messages {
 public:
  struct Shown {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
  };
  std::vector<Shown> shown;
  std::vector<int> answers;
  int answer = 0;

  int Show(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) override {
    shown.push_back({owner, text, caption, type});
    if (!answers.empty()) {
      int answer = answers.front();
      answers.erase(answers.begin());
      return answer;
    }
    if (answer) return answer;
    UINT buttons = type & MB_TYPEMASK;
    return buttons == MB_YESNO || buttons == MB_YESNOCANCEL ? IDYES : IDOK;
  }
  // The texts shown, in order.
  std::vector<std::wstring> Texts() const {
    std::vector<std::wstring> texts;
    for (const Shown& message : shown) texts.push_back(message.text);
    return texts;
  }

 private:
  platform::ScopedMessages scope_{*this};
};

}  // namespace testing_support
