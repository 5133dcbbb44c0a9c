#include "filesearch/dialog_template.h"

namespace filesearch {

INT_PTR RunModal(const DialogTemplate& dialog, HWND owner, DLGPROC procedure, LPARAM param) {
  return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), owner, procedure, param);
}

HWND CreateModeless(const DialogTemplate& dialog, HWND owner, DLGPROC procedure, LPARAM param) {
  return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), owner, procedure, param);
}

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

int ShowMessage(const MessageSink& sink, HWND owner, const std::wstring& text, const std::wstring& caption,
                UINT type) {
  if (sink) return sink(owner, text, caption, type);
  return MessageBoxW(owner, text.c_str(), caption.c_str(), type);
}

}  // namespace filesearch
