#pragma once
// What a screen reader learns of a window that draws its own items (buttons, entries): the window is
// one accessible object, each item a child with a name, role, state, place and default action. The
// standard proxies of Windows know nothing of drawn items, so the window answers WM_GETOBJECT itself.
#include <windows.h>

#include <oleacc.h>

#include <string>

#include "platform/com_ptr.h"

namespace toolkit {

struct DrawnItem {
  std::wstring name;
  DWORD role = ROLE_SYSTEM_PUSHBUTTON;
  DWORD state = 0;           // STATE_SYSTEM_*; focus and focusability are added from the window
  RECT place = {};           // in the window's client area
  std::wstring description;  // for instance why the item is unavailable; empty for none
  std::wstring action;       // the default action's name, such as "Press"
};

// Implemented by the window that draws the items. Item indices run from 0; screen readers number
// the children from 1.
class DrawnItems {
 public:
  virtual int ItemCount() const = 0;
  virtual DrawnItem Item(int index) const = 0;
  // The item the keyboard stands on while the window has the focus.
  virtual int FocusedItem() const = 0;
  virtual void DoDefault(int index) = 0;

 protected:
  ~DrawnItems() = default;
};

// The accessible object of one window. The window keeps it for its life and calls Detach when it is
// destroyed: a screen reader may hold the object longer, and then gets "disconnected" answers.
class DrawnItemsAccessible {
 public:
  DrawnItemsAccessible() = default;
  DrawnItemsAccessible(const DrawnItemsAccessible&) = delete;
  DrawnItemsAccessible& operator=(const DrawnItemsAccessible&) = delete;
  ~DrawnItemsAccessible() { Detach(); }

  // The window's answer to WM_GETOBJECT; `name` and `role` describe the window as a whole.
  LRESULT Answer(HWND hwnd, DrawnItems& items, const wchar_t* name, DWORD role, WPARAM wParam, LPARAM lParam);
  void Detach();
  // Tells screen readers that the item's focus or state has changed.
  static void NotifyFocus(HWND hwnd, int index);
  static void NotifyState(HWND hwnd, int index);

 private:
  class Object;
  Object* object_ = nullptr;  // one reference held by this owner
};

}  // namespace toolkit
