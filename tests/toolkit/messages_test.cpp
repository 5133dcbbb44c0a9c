#include "toolkit/messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "platform/window_text.h"

namespace {

struct Dialog {
  HWND window = nullptr;
  std::vector<std::wstring> buttons;
  std::vector<HWND> buttonWindows;
};

BOOL CALLBACK AddButton(HWND child, LPARAM found) {
  wchar_t className[16] = {};
  GetClassNameW(child, className, 16);
  if (_wcsicmp(className, L"Button") == 0) {
    auto& dialog = *reinterpret_cast<Dialog*>(found);
    dialog.buttons.push_back(platform::WindowText(child));
    dialog.buttonWindows.push_back(child);
  }
  return TRUE;
}

// Waits for the window of this caption to show, its controls made, and lists its buttons (Wine draws
// a task dialog's buttons as button windows).
Dialog WaitForDialog(const std::wstring& caption) {
  Dialog dialog;
  for (int i = 0; i < 1000 && !dialog.window; ++i) {
    HWND window = FindWindowW(nullptr, caption.c_str());
    if (window && IsWindowVisible(window))
      dialog.window = window;
    else
      Sleep(10);
  }
  if (dialog.window) EnumChildWindows(dialog.window, AddButton, reinterpret_cast<LPARAM>(&dialog));
  return dialog;
}

}  // namespace

// A question with buttons of its own shows them by their captions and answers with the index of the
// one pressed; closing it answers -1.
TEST(Messages, AChoiceShowsItsButtonsAndAnswersWithTheOnePressed) {
  const std::wstring caption = L"A choice of three";
  const std::vector<std::wstring> buttons = {L"Clean", L"Preview", L"Cancel"};
  for (int press : {1, 0, -1}) {
    Dialog shown;
    std::thread user([&] {
      shown = WaitForDialog(caption);
      if (!shown.window) return;
      auto button = std::find(shown.buttons.begin(), shown.buttons.end(), press < 0 ? L"" : buttons[press]);
      if (press < 0) {
        PostMessageW(shown.window, WM_CLOSE, 0, 0);
      } else if (button != shown.buttons.end()) {
        PostMessageW(shown.buttonWindows[button - shown.buttons.begin()], BM_CLICK, 0, 0);
      } else {
        PostMessageW(shown.window, WM_CLOSE, 0, 0);  // the test fails below, the dialog must not stay
      }
    });
    int chosen = toolkit::Choose(nullptr, L"Which one?", caption, buttons);
    user.join();
    ASSERT_NE(shown.window, nullptr);
    EXPECT_EQ(shown.buttons, buttons);
    EXPECT_EQ(chosen, press);
  }
}
