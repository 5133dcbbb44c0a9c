#pragma once
// Windows of the program's own classes, made with CreateWindowExW rather than from a dialog template.
#include <windows.h>

namespace toolkit {

struct WindowClass {
  const wchar_t* name;
  WNDPROC procedure;
  HINSTANCE instance;
  const wchar_t* cursor = IDC_ARROW;
  HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  HICON icon = nullptr;
};

// Registers the class for the process; registering it again changes nothing.
inline void RegisterWindowClass(const WindowClass& windowClass) {
  WNDCLASSEXW registered = {};
  registered.cbSize = sizeof(registered);
  registered.lpfnWndProc = windowClass.procedure;
  registered.hInstance = windowClass.instance;
  registered.hCursor = LoadCursorW(nullptr, windowClass.cursor);
  registered.hbrBackground = windowClass.background;
  registered.hIcon = windowClass.icon;
  registered.lpszClassName = windowClass.name;
  RegisterClassExW(&registered);
}

// The window procedure of a window that an object of T makes, handing itself to CreateWindowExW as
// the last argument: the object learns its window (`hwnd_`) at WM_NCCREATE, handles every message
// (`Handle`), and forgets the window after WM_NCDESTROY. T makes this function its friend.
template <typename T>
LRESULT CALLBACK ObjectProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = hwnd;
  }
  auto* self = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  LRESULT result = self->Handle(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

// Answers WM_PAINT: `paint` draws on the window's DC between BeginPaint and EndPaint.
template <typename Paint>
LRESULT PaintWindow(HWND hwnd, Paint paint) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  paint(dc);
  EndPaint(hwnd, &ps);
  return 0;
}

}  // namespace toolkit
