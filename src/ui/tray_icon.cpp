#include "ui/tray_icon.h"

#include <cwchar>

namespace ui {

bool TrayIcon::Add(HWND owner, HICON icon, const std::wstring& tip) {
  Remove();
  data_ = {};
  data_.cbSize = sizeof(data_);
  data_.hWnd = owner;
  data_.uID = 1;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uCallbackMessage = kCallbackMessage;
  data_.hIcon = icon;
  wcsncpy(data_.szTip, tip.c_str(), std::size(data_.szTip) - 1);
  wanted_ = true;
  shown_ = Shell_NotifyIconW(NIM_ADD, &data_) != FALSE;
  return shown_;
}

void TrayIcon::Restore() {
  if (wanted_) shown_ = Shell_NotifyIconW(NIM_ADD, &data_) != FALSE;
}

void TrayIcon::Remove() {
  wanted_ = false;
  if (!shown_) return;
  Shell_NotifyIconW(NIM_DELETE, &data_);
  shown_ = false;
}

UINT TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

}  // namespace ui
