#include "filesearch/dialog_template.h"

namespace filesearch {

namespace {
constexpr size_t kCountIndex = 4;
}

DialogTemplate::DialogTemplate(DWORD style, short cx, short cy, const wchar_t* caption) {
  Dword(style | DS_SETFONT);
  Dword(0);
  Word(0);  // item count, raised as items are added
  Word(0);
  Word(0);
  Word(static_cast<WORD>(cx));
  Word(static_cast<WORD>(cy));
  Word(0);  // the menu is attached after creation
  Word(0);  // the standard dialog class
  Text(caption);
  Word(8);
  Text(L"MS Shell Dlg");
}

void DialogTemplate::Item(WORD controlClass, DWORD style, DWORD exStyle, const wchar_t* text, short x, short y,
                          short cx, short cy, WORD id) {
  if (words_.size() % 2) Word(0);  // items start on a DWORD boundary
  Dword(style | WS_CHILD | WS_VISIBLE);
  Dword(exStyle);
  for (short value : {x, y, cx, cy}) Word(static_cast<WORD>(value));
  Word(id);
  Word(0xFFFF);
  Word(controlClass);
  Text(text);
  Word(0);  // no creation data
  ++words_[kCountIndex];
}

void DialogTemplate::Dword(DWORD value) {
  Word(LOWORD(value));
  Word(HIWORD(value));
}

void DialogTemplate::Text(const wchar_t* text) {
  while (*text) Word(*text++);
  Word(0);
}

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
