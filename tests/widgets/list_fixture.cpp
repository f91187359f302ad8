// The list tests' fixture.
#include "list_fixture.h"

#include "platform/gdi/dc.h"

namespace drev::widgets_test {

void FillSolidImages(gdi::CImageList& list, int cx, int cy, std::initializer_list<COLORREF> colours) {
  const int count = static_cast<int>(colours.size());
  gdi::CDC mem;
  mem.CreateCompatibleDC(nullptr);
  gdi::CBitmap strip;
  strip.CreateCompatibleBitmap(&mem, cx * count, cy);
  gdi::CBitmap* old = mem.SelectObject(&strip);
  int i = 0;
  for (COLORREF c : colours) mem.FillSolidRect(RECT{i * cx, 0, (i + 1) * cx, cy}, c), ++i;
  mem.SelectObject(old);
  list.Create(cx, cy, gdi::ILC_COLOR24 | gdi::ILC_MASK, count, 1);
  list.Add(&strip, RGB(255, 0, 255));
}

void ListTest::TearDown() {
  if (list.m_hWnd) list.DestroyWindow();
}

void ListTest::MakeList(DWORD style) {
  ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | style, RECT{0, 0, 380, 250}, &host, 201));
  FillSolidImages(smallIcons, 16, 16, {kIconBlue, kIconGreen});
  list.SetImageList(&smallIcons, LVSIL_SMALL);
  list.InsertColumn(0, "", LVCFMT_LEFT, 40);
  list.InsertColumn(1, "name", LVCFMT_LEFT, 170);
  list.InsertColumn(2, "size", LVCFMT_CENTER, 70);
}

int ListTest::AddRow(const std::string& name, const std::string& size) {
  int row = list.InsertItem(list.GetItemCount(), "");
  list.SetItemText(row, 1, name.c_str());
  list.SetItemText(row, 2, size.c_str());
  return row;
}

RECT ListTest::Cell(int row, int column) {
  RECT r{};
  EXPECT_TRUE(list.GetSubItemRect(row, column, LVIR_BOUNDS, r));
  return r;
}

}  // namespace drev::widgets_test
