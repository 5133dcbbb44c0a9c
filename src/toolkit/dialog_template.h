#pragma once
// An in-memory dialog template (DLGTEMPLATE followed by its DLGITEMTEMPLATEs), in dialog units, for
// windows built without a resource script.
#include <windows.h>

#include <span>
#include <utility>
#include <vector>

#include "platform/translation.h"

namespace toolkit {

constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;
constexpr WORD kListBoxClass = 0x0083;
constexpr WORD kComboBoxClass = 0x0085;
// The id of a control nothing refers to.
constexpr WORD kNoId = 0xFFFF;

// A control of a predefined class as a row of a table, for the controls that a window always has. The
// caption and the controls' texts are shown in the language in force (platform::Tr).
struct DialogItem {
  WORD controlClass;
  DWORD style;
  const wchar_t* text;
  short x, y, cx, cy;
  WORD id;
  DWORD exStyle = 0;
};

class DialogTemplate {
 public:
  DialogTemplate(DWORD style, short cx, short cy, const wchar_t* caption) {
    Dword(style | DS_SETFONT);
    Dword(0);
    Word(0);  // item count, raised as items are added
    Word(0);
    Word(0);
    Word(static_cast<WORD>(cx));
    Word(static_cast<WORD>(cy));
    Word(0);  // no menu
    Word(0);  // the standard dialog class
    Text(platform::Tr(caption));
    Word(8);
    Text(L"MS Shell Dlg");
  }

  // A control of a predefined class (kButtonClass ...).
  void Item(WORD controlClass, DWORD style, const wchar_t* text, short x, short y, short cx, short cy, WORD id,
            DWORD exStyle = 0) {
    Header(style, exStyle, x, y, cx, cy, id);
    Word(0xFFFF);
    Word(controlClass);
    Finish(text);
  }

  // The rows in their order, which is the tab order.
  void Items(std::span<const DialogItem> items) {
    for (const DialogItem& i : items) Item(i.controlClass, i.style, i.text, i.x, i.y, i.cx, i.cy, i.id, i.exStyle);
  }

  // A control of a registered class, such as a common control.
  void Item(const wchar_t* className, DWORD style, const wchar_t* text, short x, short y, short cx, short cy, WORD id,
            DWORD exStyle = 0) {
    Header(style, exStyle, x, y, cx, cy, id);
    Text(className);
    Finish(text);
  }

  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  static constexpr size_t kCountIndex = 4;

  void Header(DWORD style, DWORD exStyle, short x, short y, short cx, short cy, WORD id) {
    if (words_.size() % 2) Word(0);  // items start on a DWORD boundary
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(exStyle);
    for (short value : {x, y, cx, cy}) Word(static_cast<WORD>(value));
    Word(id);
  }
  void Finish(const wchar_t* text) {
    Text(platform::Tr(text));
    Word(0);  // no creation data
    ++words_[kCountIndex];
  }
  void Word(WORD value) { words_.push_back(value); }
  void Dword(DWORD value) {
    Word(LOWORD(value));
    Word(HIWORD(value));
  }
  void Text(const wchar_t* text) {
    while (*text) Word(*text++);
    Word(0);
  }

  std::vector<WORD> words_;
};

}  // namespace toolkit
