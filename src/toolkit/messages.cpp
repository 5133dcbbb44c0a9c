#include "toolkit/messages.h"

#include <commctrl.h>

#include "platform/product_name.h"

namespace toolkit {

namespace {

// The task dialog's identifiers of the buttons given, clear of IDOK, IDCANCEL and the other common ones.
constexpr int kFirstChoice = 100;

using TaskDialogFunction = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

// Only common controls 6 has the task dialog. The windowed programs load it through their manifest;
// the console program, which has none and never shows a window, must still start, so nothing imports
// the function.
TaskDialogFunction TaskDialog() {
  HMODULE controls = GetModuleHandleW(L"comctl32.dll");
  return controls ? reinterpret_cast<TaskDialogFunction>(
                        reinterpret_cast<void*>(GetProcAddress(controls, "TaskDialogIndirect")))
                  : nullptr;
}

class MessageBoxes : public Messages {
 public:
  int Show(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) override {
    return MessageBoxW(owner, text.c_str(), caption.c_str(), type);
  }
  int Choose(HWND owner, const std::wstring& text, const std::wstring& caption,
             const std::vector<std::wstring>& buttons) override {
    TaskDialogFunction taskDialog = TaskDialog();
    if (!taskDialog || buttons.empty()) return -1;
    std::vector<TASKDIALOG_BUTTON> choices;
    for (size_t i = 0; i < buttons.size(); ++i)
      choices.push_back({kFirstChoice + static_cast<int>(i), buttons[i].c_str()});
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = owner;
    // Esc and the close box answer "none of them".
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
    config.pszWindowTitle = caption.c_str();
    config.pszContent = text.c_str();
    config.cButtons = static_cast<UINT>(choices.size());
    config.pButtons = choices.data();
    config.nDefaultButton = kFirstChoice;
    int pressed = 0;
    if (FAILED(taskDialog(&config, &pressed, nullptr, nullptr))) return -1;
    int chosen = pressed - kFirstChoice;
    return chosen >= 0 && chosen < static_cast<int>(buttons.size()) ? chosen : -1;
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

int Choose(HWND owner, const std::wstring& text, const std::wstring& caption,
           const std::vector<std::wstring>& buttons) {
  return current->Choose(owner, text, caption, buttons);
}

void Tell(HWND owner, const std::wstring& text) {
  ShowMessage(owner, text, platform::kProductName, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace toolkit
