#pragma once
// Dialog helpers of the search tool's windows: in-memory templates, modal and modeless creation, and
// message boxes that tests can answer.
#include <windows.h>

#include <functional>
#include <string>

#include "platform/window_text.h"
#include "toolkit/dialog_template.h"

namespace filesearch {

using toolkit::kButtonClass;
using toolkit::kComboBoxClass;
using toolkit::kEditClass;
using toolkit::kListBoxClass;
using toolkit::kStaticClass;
inline constexpr WORD kNoId = 0xFFFF;

// The search tool's windows name the extended style before the text.
class DialogTemplate : public toolkit::DialogTemplate {
 public:
  using toolkit::DialogTemplate::DialogTemplate;
  void Item(WORD controlClass, DWORD style, DWORD exStyle, const wchar_t* text, short x, short y, short cx, short cy,
            WORD id) {
    toolkit::DialogTemplate::Item(controlClass, style, text, x, y, cx, cy, id, exStyle);
  }
};

// A modal dialog from the template; the procedure receives `param` with WM_INITDIALOG.
INT_PTR RunModal(const DialogTemplate& dialog, HWND owner, DLGPROC procedure, LPARAM param);
// A modeless one, so tests can drive it; null when the platform refused.
HWND CreateModeless(const DialogTemplate& dialog, HWND owner, DLGPROC procedure, LPARAM param);

using platform::WindowText;

// The message boxes of the search tool's windows: text, caption and MB_ style in, the button chosen
// (IDYES, IDNO, IDOK) out. Empty means a real message box; tests answer them without blocking.
using MessageSink = std::function<int(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type)>;

int ShowMessage(const MessageSink& sink, HWND owner, const std::wstring& text, const std::wstring& caption,
                UINT type);

}  // namespace filesearch
