#pragma once
// The details of one result row: every path and key the item erased (or, after a preview, would
// erase) and what it left behind, one line each, with a "Close" button.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/handles.h"
#include "toolkit/keyboard.h"
#include "toolkit/window_class.h"

namespace ui {

struct DetailsLayout {
  RECT lines, close;
};
// Where the list and the button sit in a client area of that size at `dpi`.
DetailsLayout LayOutDetailsWindow(SIZE client, UINT dpi);

class DetailsWindow {
 public:
  DetailsWindow(std::wstring title, std::vector<std::wstring> lines, std::wstring programFolder);
  ~DetailsWindow();
  DetailsWindow(const DetailsWindow&) = delete;
  DetailsWindow& operator=(const DetailsWindow&) = delete;

  // Creates the window modeless, so that tests can drive it; false when the platform refused.
  bool Create(HWND owner, bool visible);
  // Creates the window and returns once the user has closed it; the owner is disabled meanwhile.
  void ShowModal(HWND owner);

  HWND Handle() const { return hwnd_; }
  HWND Lines() const { return list_; }
  HWND CloseButton() const { return close_; }
  UINT Dpi() const { return dpi_; }

 private:
  template <typename T>
  friend LRESULT CALLBACK toolkit::ObjectProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Layout();
  void SetScrollExtent();

  std::wstring title_;
  std::vector<std::wstring> lines_;
  std::wstring programFolder_;
  HWND hwnd_ = nullptr;
  HWND list_ = nullptr;
  HWND close_ = nullptr;
  platform::Font font_;
  UINT dpi_ = 96;
  toolkit::FocusKeeper focus_;
  bool closed_ = false;
};

// The modal details of a row, owned by `owner`.
void ShowDetails(HWND owner, const std::wstring& title, const std::vector<std::wstring>& lines,
                 const std::wstring& programFolder);

}  // namespace ui
