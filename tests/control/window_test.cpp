// The control window and the attachment dialog it holds: creation, set-up of the list, resizing,
// and the end of the window with the records it held.
#include <gtest/gtest.h>

#include "control/CurrentControl.h"
#include "model/UploadSettings.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/surface.h"
#include "platform/gdi/syscolor.h"
#include "platform/shell/system_icons.h"
#include "platform/win/commctrl.h"
#include "platform/win/message.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "resources/Resource.h"
#include "tests/control/control_fixture.h"

namespace drev::testing {
namespace {

namespace pc = plat::com;
namespace pw = plat::win;

class WindowTest : public ControlTest {
 protected:
  pw::HWND Dialog() { return pw::GetWindow(Host().ControlWindow(), pw::GW_CHILD); }
  pw::HWND List() { return pw::GetDlgItem(Dialog(), 201); }
  int ColumnWidth(int column) {
    return static_cast<int>(pw::SendMessage(List(), pw::LVM_GETCOLUMNWIDTH, column, 0));
  }
  static plat::RECT Client(pw::HWND hwnd) {
    plat::RECT r;
    pw::GetClientRect(hwnd, &r);
    return r;
  }
  static plat::RECT InParent(pw::HWND hwnd) {
    plat::RECT r;
    pw::GetWindowRect(hwnd, &r);
    plat::POINT corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
    pw::MapWindowPoints(nullptr, pw::GetParent(hwnd), corners, 2);
    return plat::RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
  }
};

TEST_F(WindowTest, TheAttachmentDialogIsAVisibleChildFillingTheControlWithItsListSetUp) {
  PlaceWithWindow(600, 300);
  pw::HWND control = Host().ControlWindow();
  ASSERT_NE(control, nullptr);
  EXPECT_EQ(pw::GetParent(control), Host().HostWindow());
  pw::HWND dialog = Dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(pw::GetClassName(dialog), "#32770");
  EXPECT_TRUE(pw::IsWindowVisible(dialog));
  EXPECT_TRUE(pw::GetWindowLongPtr(dialog, pw::GWL_EXSTYLE) & pw::WS_EX_ACCEPTFILES);
  EXPECT_EQ(InParent(dialog), (plat::RECT{0, 0, 600, 300}));
  EXPECT_EQ(InParent(List()), (plat::RECT{0, 0, 600, 300}));

  EXPECT_EQ(pw::SendMessage(List(), pw::LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0), 0x28);
  EXPECT_EQ(ColumnWidth(0), 40);
  EXPECT_EQ(ColumnWidth(1), 316);
  EXPECT_EQ(ColumnWidth(2), 70);
  auto* small = reinterpret_cast<plat::gdi::CImageList*>(pw::SendMessage(List(), pw::LVM_GETIMAGELIST, pw::LVSIL_SMALL, 0));
  EXPECT_EQ(small, plat::shell::GetSystemSmallIconList());

  auto header = reinterpret_cast<pw::HWND>(pw::SendMessage(List(), pw::LVM_GETHEADER, 0, 0));
  ASSERT_EQ(pw::SendMessage(header, pw::HDM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_NE(pw::SendMessage(header, pw::HDM_GETIMAGELIST, 0, 0), 0);
  for (int i = 0; i < 3; ++i) {
    pw::HDITEM item;
    item.mask = pw::HDI_FORMAT | pw::HDI_IMAGE;
    ASSERT_TRUE(pw::SendMessage(header, pw::HDM_GETITEM, i, reinterpret_cast<plat::LPARAM>(&item)));
    EXPECT_TRUE(item.fmt & pw::HDF_IMAGE) << i;
    EXPECT_EQ(item.iImage, i == 0 ? 1 : 0) << i;
  }
  // Setting up recounts nothing: the page hears of the list only when it changes.
  EXPECT_TRUE(EventLog().empty());
}

TEST_F(WindowTest, ResizingKeepsTheDialogFillingTheControlAndTheNameColumnTakingTheRest) {
  PlaceWithWindow(600, 300);
  struct Case {
    int width, height, nameColumn;
  };
  for (Case c : {Case{800, 400, 516}, Case{284, 100, 0}, Case{285, 100, 1}, Case{150, 80, 0}, Case{600, 300, 316}}) {
    ASSERT_EQ(Host().Resize(c.width, c.height), pc::S_OK);
    EXPECT_EQ(Client(Host().ControlWindow()), (plat::RECT{0, 0, c.width, c.height})) << c.width;
    EXPECT_EQ(InParent(Dialog()), (plat::RECT{0, 0, c.width, c.height})) << c.width;
    EXPECT_EQ(InParent(List()), (plat::RECT{0, 0, c.width, c.height})) << c.width;
    EXPECT_EQ(ColumnWidth(1), c.nameColumn) << c.width;
    EXPECT_EQ(ColumnWidth(0), 40);
    EXPECT_EQ(ColumnWidth(2), 70);
  }
}

TEST_F(WindowTest, AnEmptyListShowsTheDropHintUntilARowArrivesAndNoColumnHeaderShows) {
  PlaceWithWindow(600, 300);
  // The list's rows start at its top: its header is set up but never shown.
  auto header = reinterpret_cast<pw::HWND>(pw::SendMessage(List(), pw::LVM_GETHEADER, 0, 0));
  ASSERT_NE(header, nullptr);
  EXPECT_FALSE(pw::IsWindowVisible(header));
  // The drop hint, unscaled, 5 pixels right of the centre across and centred down.
  plat::gdi::CBitmap hint;
  ASSERT_TRUE(hint.LoadBitmap(IDB_DROP_HINT));
  const plat::gdi::Surface& picture = *hint.GetSurface();
  const plat::RECT client = Client(List());
  const int x = (client.Width() - picture.Width() + 10) / 2;
  const int y = (client.Height() - picture.Height()) / 2;
  int same = 0;
  for (int py = 0; py < picture.Height(); ++py)
    for (int px = 0; px < picture.Width(); ++px)
      same += pw::GetWindowPixel(List(), x + px, y + py) == picture.GetPixel(px, py);
  EXPECT_EQ(same, picture.Width() * picture.Height());
  const plat::COLORREF window = plat::gdi::GetSysColor(plat::gdi::COLOR_WINDOW);
  EXPECT_EQ(pw::GetWindowPixel(List(), x - 1, y + 10), window);

  ASSERT_TRUE(Host().Call("AddPreUploadFile", {"a.doc", std::int32_t{1}, std::int32_t{10}, false}).ok());
  plat::RECT row{};
  row.left = pw::LVIR_BOUNDS;
  ASSERT_TRUE(pw::SendMessage(List(), pw::LVM_GETITEMRECT, 0, reinterpret_cast<plat::LPARAM>(&row)));
  EXPECT_EQ(row.top, 0);
  ASSERT_LT(row.bottom, y);
  // The new row shows (a file the server holds: grey text), and the hint is gone.
  int grey = 0;
  for (int py = row.top; py < row.bottom; ++py)
    for (int px = row.left; px < row.right; ++px) grey += pw::GetWindowPixel(List(), px, py) == 0x787878;
  EXPECT_GT(grey, 0);
  int blank = 0;
  for (int py = 0; py < picture.Height(); ++py)
    for (int px = 0; px < picture.Width(); ++px) blank += pw::GetWindowPixel(List(), x + px, y + py) == window;
  EXPECT_EQ(blank, picture.Width() * picture.Height());
}

TEST_F(WindowTest, WithoutAWindowResizingIsRefusedAndASecondWindowIsRefused) {
  ASSERT_EQ(Host().LoadProperties({}), pc::S_OK);
  EXPECT_EQ(Host().Resize(10, 10), pc::E_UNEXPECTED);
  auto window = Host().As<IControlWindow>();
  EXPECT_EQ(window->SetObjectRects(plat::RECT{0, 0, 5, 5}), pc::E_UNEXPECTED);
  ASSERT_EQ(Host().CreateWindows(300, 200), pc::S_OK);
  pw::HWND second = nullptr;
  EXPECT_EQ(window->CreateControlWindow(Host().HostWindow(), plat::RECT{0, 0, 1, 1}, &second), pc::E_UNEXPECTED);
  EXPECT_EQ(second, nullptr);
}

TEST_F(WindowTest, DestroyingTheWindowReleasesEveryRecordAndLaterCallsStaySafe) {
  PlaceWithWindow();
  ASSERT_TRUE(Host().Call("AddPreUploadFile", {"a.doc", std::int32_t{1}, std::int32_t{10}, false}).ok());
  ASSERT_TRUE(Host().Call("AddPreUploadFile", {"b.gif", std::int32_t{2}, std::int32_t{20}, true}).ok());
  ASSERT_TRUE(Host().Call("AddDeleteFile", {std::int32_t{3}, std::int32_t{30}, false}).ok());
  pw::HWND dialog = Dialog();
  auto window = Host().As<IControlWindow>();
  ASSERT_EQ(window->DestroyControlWindow(), pc::S_OK);
  EXPECT_FALSE(pw::IsWindow(dialog));
  EXPECT_EQ(Host().ControlWindow(), nullptr);
  // Every record went with the window (the leak checker of the sanitizer build watches this).
  EXPECT_EQ(Host().Call("GetFileCount", {"DELETE_FILE"}).value.iVal(), 0);
  EXPECT_EQ(Host().Call("GetUploadSize").value, pc::Variant::I4(0));
  // Script calls after the window has gone neither crash nor leak.
  EXPECT_TRUE(Host().Call("AddPreUploadFile", {"c.gif", std::int32_t{4}, std::int32_t{40}, true}).ok());
  EXPECT_TRUE(Host().Call("AddPreUploadFile", {"d.txt", std::int32_t{5}, std::int32_t{50}, false}).ok());
  EXPECT_TRUE(Host().Call("DeleteSelectedItem").ok());
  EXPECT_EQ(Host().Call("GetFileCount", {"TOTAL_ATTACH_FILE"}).value.iVal(), 0);
}

TEST_F(WindowTest, ReleasingTheControlWithItsWindowStillOpenTakesTheWindowAlong) {
  host_.reset();
  // A host that lets the object go without destroying its window first.
  pc::ComPtr<IControlWindow> object;
  ASSERT_EQ(factory_->CreateInstance(nullptr, IControlWindow::iid, object.PutVoid()), pc::S_OK);
  pw::HWND page = pw::CreateWindowEx(0, "Static", "", pw::WS_POPUP | pw::WS_VISIBLE, 0, 0, 300, 200, nullptr, 0,
                                     nullptr);
  ASSERT_NE(page, nullptr);
  pw::HWND control = nullptr;
  ASSERT_EQ(object->CreateControlWindow(page, plat::RECT{0, 0, 300, 200}, &control), pc::S_OK);
  pw::HWND dialog = pw::GetWindow(control, pw::GW_CHILD);
  ASSERT_NE(dialog, nullptr);
  GetCurrentControl()->GetUploadSettings()->MaxFileCount = 5;
  object.Reset();
  EXPECT_FALSE(pw::IsWindow(control));
  EXPECT_FALSE(pw::IsWindow(dialog));
  EXPECT_EQ(GetCurrentControl(), nullptr);
  EXPECT_TRUE(pw::IsWindow(page));
  pw::DestroyWindow(page);
}

}  // namespace
}  // namespace drev::testing
