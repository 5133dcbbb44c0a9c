#include "dialogs/selection_page.h"

namespace dialogs {

SelectionPage::SelectionPage(SIZE size)
    // The page wears the skin of the window that holds it.
    : Dialog({}),
      template_(DS_CONTROL | WS_CHILD | WS_CLIPSIBLINGS, static_cast<short>(size.cx), static_cast<short>(size.cy),
                L"") {}

// Destroyed while this object still handles its messages.
SelectionPage::~SelectionPage() {
  if (Handle()) DestroyWindow(Handle());
}

void SelectionPage::Add(WORD controlClass, const std::wstring& text, DWORD style, RECT place, WORD id,
                        std::function<void(HWND)> made) {
  template_.Item(controlClass, style, text.c_str(), static_cast<short>(place.left), static_cast<short>(place.top),
                 static_cast<short>(place.right), static_cast<short>(place.bottom), id);
  made_.push_back(std::move(made));
}

void SelectionPage::Add(const wchar_t* className, const std::wstring& text, DWORD style, RECT place, WORD id,
                        std::function<void(HWND)> made) {
  template_.Item(className, style, text.c_str(), static_cast<short>(place.left), static_cast<short>(place.top),
                 static_cast<short>(place.right), static_cast<short>(place.bottom), id);
  made_.push_back(std::move(made));
}

bool SelectionPage::Show(HWND parent, const RECT& area) {
  if (!Create(parent, false)) return false;
  SetWindowPos(Handle(), HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top, SWP_NOACTIVATE);
  return true;
}

// The dialog manager makes the controls in the template's order, each after the ones before.
void SelectionPage::Load() {
  HWND control = GetWindow(Handle(), GW_CHILD);
  for (const std::function<void(HWND)>& made : made_) {
    if (!control) break;
    if (made) made(control);
    control = GetWindow(control, GW_HWNDNEXT);
  }
}

INT_PTR SelectionPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // The skin of the window that holds the page colours it and its controls.
  if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
    return static_cast<INT_PTR>(SendMessageW(GetParent(Handle()), message, wParam, lParam));
  }
  if (message != WM_COMMAND && message != WM_NOTIFY) return FALSE;
  SetWindowLongPtrW(Handle(), DWLP_MSGRESULT, SendMessageW(GetParent(Handle()), message, wParam, lParam));
  return TRUE;
}

}  // namespace dialogs
