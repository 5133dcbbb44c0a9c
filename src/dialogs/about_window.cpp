#include "dialogs/about_window.h"

#include <commctrl.h>

#include <algorithm>

#include "engine/normal.h"
#include "platform/product_name.h"
#include "platform/program_folder.h"
#include "platform/translation.h"
#include "toolkit/product.h"

namespace dialogs {

namespace {

constexpr WORD kLinkId = 101;

}  // namespace

AboutWindow::AboutWindow(std::wstring programFolder, std::function<void(const std::wstring&)> open)
    : Dialog(programFolder, {{IDOK, BN_CLICKED, [this] { Close(); }}, {IDCANCEL, BN_CLICKED, [this] { Close(); }}}),
      programFolder_(std::move(programFolder)),
      open_(open ? std::move(open) : engine::normal::OpenWithShell) {}

toolkit::DialogTemplate AboutWindow::Template() const {
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LINK_CLASS};
  InitCommonControlsEx(&controls);
  toolkit::DialogTemplate dialog(DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 220, 104,
                                 platform::TrLater(L"About Trellwipe"));
  const std::wstring version =
      platform::Fill(platform::Tr(L"Version {version}"), {{L"version", toolkit::kVersionText}});
  dialog.Item(toolkit::kStaticClass, SS_CENTER, platform::kProductName, 10, 12, 200, 10, toolkit::kNoId);
  dialog.Item(toolkit::kStaticClass, SS_CENTER, version.c_str(), 10, 26, 200, 10, toolkit::kNoId);
  dialog.Item(toolkit::kStaticClass, SS_CENTER, platform::TrLater(L"Copyright (C) 2024 the Trellwipe developers."), 10,
              40, 200, 10, toolkit::kNoId);
  // OK comes first, so that it has the focus and Enter closes the window rather than opening the page.
  dialog.Item(toolkit::kButtonClass, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, platform::TrLater(L"OK"), 85, 80, 50, 14,
              IDOK);
  static const std::wstring link = std::wstring(L"<a>") + toolkit::kProductWebPage + L"</a>";
  dialog.Item(WC_LINK, WS_TABSTOP, link.c_str(), 10, 55, 200, 12, kLinkId);
  return dialog;
}

void AboutWindow::Load() {
  // The link lays its text out from the left: sized to its text in the skin's font, with a pixel
  // around it for the focus frame, it stands centred under the centred lines.
  HWND link = GetDlgItem(Handle(), kLinkId);
  RECT client, place;
  GetClientRect(Handle(), &client);
  GetWindowRect(link, &place);
  MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&place), 2);
  SIZE ideal{};  // LM_GETIDEALSIZE, which this header names by its older name
  SendMessageW(link, LM_GETIDEALHEIGHT, client.right, reinterpret_cast<LPARAM>(&ideal));
  const int width = std::min<int>(ideal.cx + 2, client.right), height = ideal.cy + 2;
  MoveWindow(link, (client.right - width) / 2, place.top + (place.bottom - place.top - height) / 2, width, height,
             FALSE);
}

INT_PTR AboutWindow::OnMessage(UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_NOTIFY) return FALSE;
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (header->idFrom != kLinkId || (header->code != NM_CLICK && header->code != NM_RETURN)) return FALSE;
  open_(toolkit::kProductWebPage);
  return TRUE;
}

void ShowAbout(HWND owner) { AboutWindow(platform::ProgramFolder()).ShowModal(owner); }

}  // namespace dialogs
