#pragma once
// A page under a tab of the "Cleaning Settings" window: a child dialog whose controls its template
// holds. Each control is made known to the window that laid it out once the page exists, and what
// the controls report goes on to the page's parent, so that the window's one procedure handles them.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/dialog.h"

namespace dialogs {

class SelectionPage : public toolkit::Dialog {
 public:
  // `size`: the page's client area in dialog units.
  explicit SelectionPage(SIZE size);
  ~SelectionPage() override;

  // A control at `place` ({left, top, width, height} in dialog units); `made` gets its window.
  void Add(WORD controlClass, const std::wstring& text, DWORD style, RECT place, WORD id,
           std::function<void(HWND)> made = {});
  void Add(const wchar_t* className, const std::wstring& text, DWORD style, RECT place, WORD id,
           std::function<void(HWND)> made = {});
  // Makes the page over `area` (pixels of `parent`), above its siblings, hidden until its tab is chosen.
  bool Show(HWND parent, const RECT& area);

 private:
  toolkit::DialogTemplate Template() const override { return template_; }
  void Load() override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  toolkit::DialogTemplate template_;
  std::vector<std::function<void(HWND)>> made_;  // in the order of the template's controls
};

}  // namespace dialogs
