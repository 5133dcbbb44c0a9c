#include "dialogs/first_cleaning_window.h"

#include <algorithm>

#include "platform/handles.h"
#include "platform/translation.h"
#include "platform/window_text.h"
#include "toolkit/dpi.h"

namespace dialogs {

namespace {

const wchar_t* const kTitle = platform::TrLater(L"The first cleaning");
const wchar_t* const kClosing =
    platform::TrLater(L"Clean erases them now, Preview lists every file and key first, Cancel cleans nothing.");
// The two texts' controls, beside the list's and the buttons' of the class.
enum : WORD { kQuestionId = 103, kClosingId };
constexpr WORD kButtonIds[] = {FirstCleaningWindow::kCleanId, FirstCleaningWindow::kPreviewId, IDCANCEL};

// The design, in pixels at 96 DPI: the gap around and between the controls, the client area's width,
// and a button's least size.
struct Design {
  int gap, width, buttonWidth, buttonHeight;
};
constexpr Design kDesign = {10, 460, 80, 26};

HFONT FontOf(HWND control) { return reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)); }

// The size of `text` in the control's font: on one line, or broken into lines `wrapWidth` wide.
SIZE TextSize(HWND control, const std::wstring& text, int wrapWidth = 0) {
  platform::WindowDc dc(control);
  platform::SelectedObject font(dc.get(), FontOf(control));
  RECT rect = {0, 0, wrapWidth, 0};
  DrawTextW(dc.get(), text.c_str(), -1, &rect,
            DT_CALCRECT | DT_NOPREFIX | (wrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE));
  return {rect.right, rect.bottom};
}

// The frame's share of a window's size: what the window has beyond its client area.
SIZE FrameOf(HWND window) {
  RECT outer, inner;
  GetWindowRect(window, &outer);
  GetClientRect(window, &inner);
  return {outer.right - outer.left - inner.right, outer.bottom - outer.top - inner.bottom};
}

// A control's edges, without its scroll bars: what it has beyond its rows' room.
SIZE EdgesOf(HWND control) {
  RECT rect = {};
  AdjustWindowRectEx(&rect, static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongW(control, GWL_EXSTYLE)));
  return {rect.right - rect.left, rect.bottom - rect.top};
}

void Place(HWND control, int x, int y, int width, int height) { MoveWindow(control, x, y, width, height, FALSE); }

}  // namespace

FirstCleaningWindow::FirstCleaningWindow(const engine::RunReport& preview, std::wstring programFolder,
                                         std::optional<RECT> workArea)
    : Dialog(programFolder, {{kCleanId, BN_CLICKED, [this] { Choose(FirstCleaningChoice::Clean); }},
                             {kPreviewId, BN_CLICKED, [this] { Choose(FirstCleaningChoice::Preview); }},
                             {IDCANCEL, BN_CLICKED, [this] { Choose(FirstCleaningChoice::Cancel); }}}),
      programFolder_(std::move(programFolder)),
      workArea_(workArea) {
  // An item that finds nothing to erase (a program that is not installed) is not named.
  for (const engine::ItemReport& item : preview.items) {
    if (item.ErasesSomething()) labels_.push_back(item.label);
  }
  question_ = platform::Fill(
      labels_.empty()
          ? platform::Tr(
                L"This first cleaning uses the selection Trellwipe ticked for you. It is about to erase {erasure}.")
          : platform::Tr(L"This first cleaning uses the selection Trellwipe ticked for you. It is about to erase "
                         L"{erasure}, in these items:"),
      {{L"erasure", engine::ErasureSummary(preview.Totals())}});
}

toolkit::DialogTemplate FirstCleaningWindow::Template() const {
  toolkit::DialogTemplate dialog(DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, 280, 200, kTitle);
  // Placed by Layout; the order is the tab order.
  const toolkit::DialogItem items[] = {
      {toolkit::kStaticClass, SS_LEFT | SS_NOPREFIX, L"", 0, 0, 1, 1, kQuestionId},
      {toolkit::kListBoxClass, LBS_NOSEL | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP, L"", 0, 0, 1, 1,
       kItemsId, WS_EX_CLIENTEDGE},
      {toolkit::kStaticClass, SS_LEFT | SS_NOPREFIX, kClosing, 0, 0, 1, 1, kClosingId},
      {toolkit::kButtonClass, BS_DEFPUSHBUTTON | WS_TABSTOP, platform::TrLater(L"Clean"), 0, 0, 1, 1, kCleanId},
      {toolkit::kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, platform::TrLater(L"Preview"), 0, 0, 1, 1, kPreviewId},
      {toolkit::kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, platform::TrLater(L"Cancel"), 0, 0, 1, 1, IDCANCEL},
  };
  dialog.Items(items);
  return dialog;
}

void FirstCleaningWindow::Load() {
  SetWindowTextW(Control(kQuestionId), question_.c_str());
  for (const std::wstring& label : labels_) {
    SendMessageW(Items(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label.c_str()));
  }
  ShowWindow(Items(), labels_.empty() ? SW_HIDE : SW_SHOW);
  Layout();
}

void FirstCleaningWindow::Choose(FirstCleaningChoice choice) {
  choice_ = choice;
  Close(IDOK);
}

void FirstCleaningWindow::Layout() {
  const UINT dpi = toolkit::WindowDpi(Handle());
  const int gap = toolkit::Scale(kDesign.gap, dpi);
  const RECT work = workArea_ ? *workArea_ : toolkit::WorkAreaOf(Handle());
  const SIZE frame = FrameOf(Handle());
  const int clientWidth = std::min<int>(toolkit::Scale(kDesign.width, dpi), work.right - work.left - frame.cx);
  const int textWidth = clientWidth - 2 * gap;

  // The buttons on one row at the right, each as wide as its caption needs.
  int buttonHeight = toolkit::Scale(kDesign.buttonHeight, dpi);
  std::vector<int> buttonWidths;
  for (WORD id : kButtonIds) {
    const SIZE caption = TextSize(Control(id), platform::WindowText(Control(id)));
    buttonWidths.push_back(std::max<int>(toolkit::Scale(kDesign.buttonWidth, dpi), caption.cx + 2 * gap));
    buttonHeight = std::max<int>(buttonHeight, caption.cy + gap);
  }
  const int questionHeight = TextSize(Control(kQuestionId), question_, textWidth).cy;
  const int closingHeight = TextSize(Control(kClosingId), platform::Tr(kClosing), textWidth).cy;

  // The list is as tall as its rows, or as the work area leaves room for; then it scrolls.
  HWND list = Items();
  int widest = 0;
  for (const std::wstring& label : labels_) widest = std::max<int>(widest, TextSize(list, label).cx);
  SendMessageW(list, LB_SETHORIZONTALEXTENT, widest + 2 * gap, 0);
  const SIZE border = EdgesOf(list);
  const int rowHeight = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
  const bool sideways = widest + 2 * gap > textWidth - border.cx - GetSystemMetrics(SM_CXVSCROLL);
  const int listNeeds =
      static_cast<int>(labels_.size()) * rowHeight + border.cy + (sideways ? GetSystemMetrics(SM_CYHSCROLL) : 0);
  const int fixedHeight = 4 * gap + questionHeight + closingHeight + buttonHeight + (labels_.empty() ? 0 : gap);
  const int listRoom = work.bottom - work.top - frame.cy - fixedHeight;
  const int listHeight = labels_.empty() ? 0 : std::max<int>(std::min(listNeeds, listRoom), rowHeight + border.cy);

  int y = gap;
  Place(Control(kQuestionId), gap, y, textWidth, questionHeight);
  y += questionHeight + gap;
  if (!labels_.empty()) {
    Place(list, gap, y, textWidth, listHeight);
    y += listHeight + gap;
  }
  Place(Control(kClosingId), gap, y, textWidth, closingHeight);
  y += closingHeight + gap;
  int x = clientWidth - gap;
  for (size_t i = std::size(kButtonIds); i-- > 0;) {
    x -= buttonWidths[i];
    Place(Control(kButtonIds[i]), x, y, buttonWidths[i], buttonHeight);
    x -= gap;
  }
  const int width = clientWidth + frame.cx, height = y + buttonHeight + gap + frame.cy;
  const int left = work.left + std::max<int>(0, (work.right - work.left - width) / 2);
  const int top = work.top + std::max<int>(0, (work.bottom - work.top - height) / 2);
  SetWindowPos(Handle(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

FirstCleaningChoice AskFirstCleaning(HWND owner, const engine::RunReport& preview, const std::wstring& programFolder) {
  FirstCleaningWindow window(preview, programFolder);
  window.ShowModal(owner);
  return window.Choice();
}

}  // namespace dialogs
