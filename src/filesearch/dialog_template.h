#pragma once
// In-memory dialog templates (a DLGTEMPLATE followed by its DLGITEMTEMPLATEs), in dialog units, for
// the search tool's windows.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace filesearch {

inline constexpr WORD kButtonClass = 0x0080;
inline constexpr WORD kEditClass = 0x0081;
inline constexpr WORD kStaticClass = 0x0082;
inline constexpr WORD kListBoxClass = 0x0083;
inline constexpr WORD kComboBoxClass = 0x0085;
inline constexpr WORD kNoId = 0xFFFF;

class DialogTemplate {
 public:
  DialogTemplate(DWORD style, short cx, short cy, const wchar_t* caption);

  void Item(WORD controlClass, DWORD style, DWORD exStyle, const wchar_t* text, short x, short y, short cx, short cy,
            WORD id);

  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void Word(WORD value) { words_.push_back(value); }
  void Dword(DWORD value);
  void Text(const wchar_t* text);
  std::vector<WORD> words_;
};

// A modal dialog from the template; the procedure receives `param` with WM_INITDIALOG.
INT_PTR RunModal(const DialogTemplate& dialog, HWND owner, DLGPROC procedure, LPARAM param);
// A modeless one, so tests can drive it; null when the platform refused.
HWND CreateModeless(const DialogTemplate& dialog, HWND owner, DLGPROC procedure, LPARAM param);

// The control's whole text.
std::wstring WindowText(HWND window);

// The message boxes of the search tool's windows: text, caption and MB_ style in, the button chosen
// (IDYES, IDNO, IDOK) out. Empty means a real message box; tests answer them without blocking.
using MessageSink = std::function<int(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type)>;

int ShowMessage(const MessageSink& sink, HWND owner, const std::wstring& text, const std::wstring& caption,
                UINT type);

}  // namespace filesearch
