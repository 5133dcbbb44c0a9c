#include "filesearch/dialog_template.h"

namespace filesearch {

INT_PTR RunModal(const DialogTemplate& dialog, HWND owner, DLGPROC procedure, LPARAM param) {
  return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), owner, procedure, param);
}

HWND CreateModeless(const DialogTemplate& dialog, HWND owner, DLGPROC procedure, LPARAM param) {
  return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), owner, procedure, param);
}

int ShowMessage(const MessageSink& sink, HWND owner, const std::wstring& text, const std::wstring& caption,
                UINT type) {
  if (sink) return sink(owner, text, caption, type);
  return MessageBoxW(owner, text.c_str(), caption.c_str(), type);
}

}  // namespace filesearch
