#pragma once
// Records every message and question the program shows while it lives, and answers them without a
// box: with the answers given in turn, then with `answer` when set, else OK or Yes; a question with
// buttons of its own (Choose) with the indexes in `choices` in turn, else its first button.
#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/messages.h"

namespace testing_support {

class MessageRecorder : public toolkit::Messages {
 public:
  struct Shown {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
    std::vector<std::wstring> buttons;  // a Choose question's captions; its type is 0
  };
  std::vector<Shown> shown;
  std::vector<int> answers;
  int answer = 0;
  std::vector<int> choices;

  int Show(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) override {
    shown.push_back({owner, text, caption, type, {}});
    if (!answers.empty()) {
      int answer = answers.front();
      answers.erase(answers.begin());
      return answer;
    }
    if (answer) return answer;
    UINT buttons = type & MB_TYPEMASK;
    return buttons == MB_YESNO || buttons == MB_YESNOCANCEL ? IDYES : IDOK;
  }
  int Choose(HWND owner, const std::wstring& text, const std::wstring& caption,
             const std::vector<std::wstring>& buttons) override {
    shown.push_back({owner, text, caption, 0, buttons});
    if (choices.empty()) return 0;
    int choice = choices.front();
    choices.erase(choices.begin());
    return choice;
  }
  // The texts shown, in order.
  std::vector<std::wstring> Texts() const {
    std::vector<std::wstring> texts;
    for (const Shown& message : shown) texts.push_back(message.text);
    return texts;
  }

 private:
  toolkit::ScopedMessages scope_{*this};
};

}  // namespace testing_support
