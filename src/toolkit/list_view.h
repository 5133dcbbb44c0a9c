#pragma once
// Report-style list views: their columns from a table, and their rows' texts.
#include <windows.h>

#include <commctrl.h>

#include <initializer_list>
#include <span>
#include <string>

namespace toolkit {

struct ListColumn {
  const wchar_t* title;  // shown in the language in force
  int width;             // designed at 96 DPI
  int format = LVCFMT_LEFT;
};

// Appends the columns after those the list has, their widths scaled from 96 DPI to `dpi`.
void AddListColumns(HWND list, std::span<const ListColumn> columns, UINT dpi);
inline void AddListColumns(HWND list, std::initializer_list<ListColumn> columns, UINT dpi) {
  AddListColumns(list, std::span(columns.begin(), columns.size()), dpi);
}

// Appends a row whose first column holds `text`; its index.
int AppendListRow(HWND list, const std::wstring& text);
std::wstring ListCellText(HWND list, int row, int column);
void SetListCellText(HWND list, int row, int column, const std::wstring& text);

}  // namespace toolkit
