#include "toolkit/list_view.h"

#include "platform/translation.h"
#include "toolkit/dpi.h"

namespace toolkit {

void AddListColumns(HWND list, std::span<const ListColumn> columns, UINT dpi) {
  HWND header = ListView_GetHeader(list);
  int index = header ? Header_GetItemCount(header) : 0;
  for (const ListColumn& column : columns) {
    LVCOLUMNW info{};
    info.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    info.fmt = column.format;
    info.pszText = const_cast<wchar_t*>(platform::Tr(column.title));
    info.cx = Scale(column.width, dpi);
    ListView_InsertColumn(list, index++, &info);
  }
}

int AppendListRow(HWND list, const std::wstring& text) {
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = ListView_GetItemCount(list);
  item.pszText = const_cast<wchar_t*>(text.c_str());
  return ListView_InsertItem(list, &item);
}

std::wstring ListCellText(HWND list, int row, int column) {
  std::wstring text(32768, L'\0');
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text.data();
  item.cchTextMax = static_cast<int>(text.size());
  text.resize(static_cast<size_t>(SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item))));
  return text;
}

void SetListCellText(HWND list, int row, int column, const std::wstring& text) {
  ListView_SetItemText(list, row, column, const_cast<wchar_t*>(text.c_str()));
}

}  // namespace toolkit
