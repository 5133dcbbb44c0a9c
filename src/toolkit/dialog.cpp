#include "toolkit/dialog.h"

#include "toolkit/skin.h"
#include "toolkit/theme.h"

namespace toolkit {

Dialog::~Dialog() {
  if (!hwnd_) return;
  // The derived part is destroyed already: the window's last messages must not reach it.
  SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
  DestroyWindow(hwnd_);
}

bool Dialog::Create(HWND owner, bool visible) {
  if (hwnd_) return false;
  modal_ = false;
  if (!CreateDialogIndirectParamW(GetModuleHandleW(nullptr), Template().Get(), owner, Procedure,
                                  reinterpret_cast<LPARAM>(this))) {
    return false;
  }
  if (visible) ShowWindow(hwnd_, SW_SHOW);
  return true;
}

INT_PTR Dialog::ShowModal(HWND owner) {
  if (hwnd_) return 0;
  modal_ = true;
  return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), Template().Get(), owner, Procedure,
                                 reinterpret_cast<LPARAM>(this));
}

void Dialog::Close(INT_PTR result) {
  if (!hwnd_) return;
  if (modal_) {
    EndDialog(hwnd_, result);
  } else {
    DestroyWindow(hwnd_);
  }
}

INT_PTR CALLBACK Dialog::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    auto* self = reinterpret_cast<Dialog*>(lParam);
    self->hwnd_ = hwnd;
    self->MakeControls();
    if (!self->skinFolder_.empty()) ApplySkinFile(hwnd, self->skinFolder_);
    self->Load();
    return TRUE;
  }
  auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (!self) return FALSE;
  if (message == WM_COMMAND && self->RunCommand(wParam)) return TRUE;
  // Windows or the user switched theme while the window is open.
  if (IsThemeChange(message, wParam, lParam) && !self->skinFolder_.empty()) ApplySkinFile(hwnd, self->skinFolder_);
  INT_PTR handled = self->OnMessage(message, wParam, lParam);
  if (message == WM_DESTROY) {
    self->Unload();
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
    return TRUE;
  }
  return handled;
}

bool Dialog::RunCommand(WPARAM wParam) const {
  for (const DialogCommand& command : commands_) {
    if (command.id == LOWORD(wParam) && command.code == HIWORD(wParam)) {
      command.run();
      return true;
    }
  }
  return false;
}

}  // namespace toolkit
