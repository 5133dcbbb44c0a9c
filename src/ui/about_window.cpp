#include "ui/about_window.h"

#include <commctrl.h>

#include "engine/normal.h"
#include "engine/process_values.h"
#include "toolkit/dialog_template.h"
#include "ui/product.h"
#include "toolkit/skin.h"

namespace ui {

namespace {

constexpr WORD kNoId = 0xFFFF;
constexpr WORD kLinkId = 101;

toolkit::DialogTemplate AboutTemplate() {
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LINK_CLASS};
  InitCommonControlsEx(&controls);
  toolkit::DialogTemplate dialog(DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 220, 104,
                        L"About Trellwipe");
  dialog.Item(toolkit::kStaticClass, SS_CENTER, L"Trellwipe", 10, 12, 200, 10, kNoId);
  dialog.Item(toolkit::kStaticClass, SS_CENTER, L"Version V6.50", 10, 26, 200, 10, kNoId);
  dialog.Item(toolkit::kStaticClass, SS_CENTER, L"Copyright (C) 2024 the Trellwipe developers.", 10, 40,
              200, 10, kNoId);
  static const std::wstring link = std::wstring(L"<a>") + kProductWebPage + L"</a>";
  dialog.Item(WC_LINK, WS_TABSTOP, link.c_str(), 60, 56, 100, 10, kLinkId);
  dialog.Item(toolkit::kButtonClass, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, L"OK", 85, 80, 50, 14, IDOK);
  return dialog;
}

}  // namespace

AboutWindow::AboutWindow(std::wstring programFolder, std::function<void(const std::wstring&)> open)
    : programFolder_(std::move(programFolder)), open_(open ? std::move(open) : normal::OpenWithShell) {}

AboutWindow::~AboutWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

bool AboutWindow::Create(HWND owner, bool visible) {
  if (hwnd_) return false;
  toolkit::DialogTemplate dialog = AboutTemplate();
  modal_ = false;
  HWND hwnd = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), owner, Procedure,
                                         reinterpret_cast<LPARAM>(this));
  if (!hwnd) return false;
  if (visible) ShowWindow(hwnd, SW_SHOW);
  return true;
}

void AboutWindow::ShowModal(HWND owner) {
  if (hwnd_) return;
  toolkit::DialogTemplate dialog = AboutTemplate();
  modal_ = true;
  DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), owner, Procedure, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK AboutWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    auto* self = reinterpret_cast<AboutWindow*>(lParam);
    self->hwnd_ = hwnd;
    toolkit::ApplySkinFile(hwnd, self->programFolder_);
    return TRUE;
  }
  auto* self = reinterpret_cast<AboutWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  return self ? self->Handle(message, wParam, lParam) : FALSE;
}

INT_PTR AboutWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->idFrom == kLinkId && (header->code == NM_CLICK || header->code == NM_RETURN)) {
        open_(kProductWebPage);
        return TRUE;
      }
      return FALSE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        Close();
        return TRUE;
      }
      return FALSE;
    case WM_DESTROY:
      SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
      hwnd_ = nullptr;
      return TRUE;
  }
  return FALSE;
}

void AboutWindow::Close() {
  if (modal_) {
    EndDialog(hwnd_, IDOK);
  } else {
    DestroyWindow(hwnd_);
  }
}

void ShowAbout(HWND owner) { AboutWindow(engine::ProgramFolder()).ShowModal(owner); }

}  // namespace ui
