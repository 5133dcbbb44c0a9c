#include "toolkit/list_view.h"

#include <gtest/gtest.h>

#include "platform/handles.h"

namespace {

struct Column {
  std::wstring title;
  int width;
  int format;
};

Column ColumnOf(HWND list, int index) {
  wchar_t title[64] = L"";
  LVCOLUMNW info{};
  info.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
  info.pszText = title;
  info.cchTextMax = 64;
  if (!ListView_GetColumn(list, index, &info)) return {L"(none)", -1, -1};
  return {title, info.cx, info.fmt & LVCFMT_JUSTIFYMASK};
}

}  // namespace

// The table's columns follow those the list has, their widths scaled to the DPI, figures on the right;
// rows are appended and their cells read back whole.
TEST(ListView, ColumnsFromATableAtTheDpiAndRowsReadBack) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  platform::Window list(CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT, 0, 0, 400, 200, nullptr, nullptr,
                                        GetModuleHandleW(nullptr), nullptr));
  ASSERT_TRUE(list);
  toolkit::AddListColumns(list.get(), {{L"Item", 100}}, 96);
  toolkit::AddListColumns(list.get(), {{L"State", 50}, {L"Size", 30, LVCFMT_RIGHT}}, 144);
  const Column expected[] = {{L"Item", 100, LVCFMT_LEFT}, {L"State", 75, LVCFMT_LEFT}, {L"Size", 45, LVCFMT_RIGHT}};
  for (int i = 0; i < 3; ++i) {
    const Column column = ColumnOf(list.get(), i);
    EXPECT_EQ(column.title, expected[i].title) << i;
    EXPECT_EQ(column.width, expected[i].width) << i;
    EXPECT_EQ(column.format, expected[i].format) << i;
  }
  EXPECT_EQ(ColumnOf(list.get(), 3).width, -1);

  const std::wstring longPath = L"C:\\" + std::wstring(600, L'x');
  EXPECT_EQ(toolkit::AppendListRow(list.get(), L"first"), 0);
  EXPECT_EQ(toolkit::AppendListRow(list.get(), longPath), 1);
  toolkit::SetListCellText(list.get(), 1, 2, L"12 MB");
  EXPECT_EQ(toolkit::ListCellText(list.get(), 0, 0), L"first");
  EXPECT_EQ(toolkit::ListCellText(list.get(), 1, 0), longPath);
  EXPECT_EQ(toolkit::ListCellText(list.get(), 1, 2), L"12 MB");
  EXPECT_EQ(toolkit::ListCellText(list.get(), 1, 1), L"");
}
