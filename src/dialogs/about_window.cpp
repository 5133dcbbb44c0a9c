#include "dialogs/about_window.h"

#include <commctrl.h>

#include "engine/normal.h"
#include "platform/program_folder.h"
#include "toolkit/product.h"
#include "toolkit/skin.h"

namespace ui {

namespace {

constexpr WORD kLinkId = 101;

}  // namespace

AboutWindow::AboutWindow(std::wstring programFolder, std::function<void(const std::wstring&)> open)
    : programFolder_(std::move(programFolder)), open_(open ? std::move(open) : normal::OpenWithShell) {}

toolkit::DialogTemplate AboutWindow::Template() const {
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LINK_CLASS};
  InitCommonControlsEx(&controls);
  toolkit::DialogTemplate dialog(DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 220, 104,
                                 L"About Trellwipe");
  static const std::wstring version = std::wstring(L"Version ") + toolkit::kVersionText;
  dialog.Item(toolkit::kStaticClass, SS_CENTER, L"Trellwipe", 10, 12, 200, 10, toolkit::kNoId);
  dialog.Item(toolkit::kStaticClass, SS_CENTER, version.c_str(), 10, 26, 200, 10, toolkit::kNoId);
  dialog.Item(toolkit::kStaticClass, SS_CENTER, L"Copyright (C) 2024 the Trellwipe developers.", 10, 40, 200, 10,
              toolkit::kNoId);
  static const std::wstring link = std::wstring(L"<a>") + toolkit::kProductWebPage + L"</a>";
  dialog.Item(WC_LINK, WS_TABSTOP, link.c_str(), 60, 56, 100, 10, kLinkId);
  dialog.Item(toolkit::kButtonClass, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, L"OK", 85, 80, 50, 14, IDOK);
  return dialog;
}

void AboutWindow::Load() { toolkit::ApplySkinFile(Handle(), programFolder_); }

INT_PTR AboutWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->idFrom == kLinkId && (header->code == NM_CLICK || header->code == NM_RETURN)) {
        open_(toolkit::kProductWebPage);
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
  }
  return FALSE;
}

void ShowAbout(HWND owner) { AboutWindow(platform::ProgramFolder()).ShowModal(owner); }

}  // namespace ui
