// The platform controls' own look as the dialogs show it: the captioned frame, the flat header,
// children that a later parent paint does not hide, and snapshots that hold a window's children.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "platform/gdi/surface.h"
#include "platform/kernel/resource.h"
#include "platform/text/text.h"
#include "platform/win/dialog.h"
#include "platform/win/message.h"
#include "platform/win/window.h"
#include "widget_host.h"

namespace drev::widgets_test {
namespace {

// A pop-up with a caption and a modal frame, like the upload progress dialog, holding a full
// progress bar so its children show in pictures.
DialogTemplate CaptionedTemplate() {
  DialogTemplate t;
  t.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT | WS_VISIBLE;
  t.cx = 120;
  t.cy = 40;
  t.faceName = text::Ansi("돋움");
  t.pointSize = 10;
  t.charSet = 129;
  t.caption = "Drev Upload";
  DialogItemTemplate bar;
  bar.className = PROGRESS_CLASS;
  bar.id = 204;
  bar.x = 10;
  bar.y = 10;
  bar.cx = 100;
  bar.cy = 10;
  bar.style = WS_CHILD | WS_VISIBLE;
  t.items = {bar};
  return t;
}

std::string TempPng(const char* name) { return ::testing::TempDir() + name; }

TEST(PlatformLook, ACaptionedPopUpHasATitleBarAboveItsClientArea) {
  DialogTemplate t = CaptionedTemplate();
  HWND dlg = CreateDialogIndirectParam(&t, nullptr, nullptr, 0);
  ASSERT_NE(dlg, nullptr);
  RECT window{}, client{};
  GetWindowRect(dlg, &window);
  GetClientRect(dlg, &client);
  POINT origin{0, 0};
  ClientToScreen(dlg, &origin);
  // A 3-pixel frame on every side and an 18-pixel title bar under the top one.
  EXPECT_EQ(origin.x - window.left, 3);
  EXPECT_EQ(origin.y - window.top, 3 + 18);
  EXPECT_EQ(window.Width(), client.right + 6);
  EXPECT_EQ(window.Height(), client.bottom + 6 + 18);

  const std::string path = TempPng("captioned.png");
  ASSERT_TRUE(SnapshotWindow(dlg, path));
  std::unique_ptr<gdi::Surface> picture = gdi::Surface::FromPng(path);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->Width(), window.Width());
  // The bar starts in the active caption colour; its caption text is drawn in the caption text colour.
  EXPECT_EQ(picture->GetPixel(3, 3), gdi::GetSysColor(gdi::COLOR_ACTIVECAPTION));
  int captionInk = 0;
  for (int y = 3; y < 20; ++y)
    for (int x = 3; x < 80; ++x) captionInk += picture->GetPixel(x, y) == gdi::GetSysColor(gdi::COLOR_CAPTIONTEXT);
  EXPECT_GT(captionInk, 0);
  // The client area below it is the dialog's face, and the child bar is in the picture too.
  EXPECT_EQ(picture->GetPixel(5, 3 + 18 + 2), gdi::GetSysColor(gdi::COLOR_BTNFACE));
  HWND bar = GetDlgItem(dlg, 204);
  SendMessage(bar, PBM_SETPOS, 100, 0);
  ASSERT_TRUE(SnapshotWindow(dlg, path));
  picture = gdi::Surface::FromPng(path);
  RECT barRect{};
  GetWindowRect(bar, &barRect);
  EXPECT_EQ(picture->GetPixel(barRect.left - window.left + 2, barRect.top - window.top + 2),
            gdi::GetSysColor(gdi::COLOR_HIGHLIGHT));
  std::remove(path.c_str());
  DestroyWindow(dlg);
}

TEST(PlatformLook, AChildMadeAfterItsParentWasInvalidatedIsNotHiddenByTheParentsPaint) {
  Host host(200, 100);  // invalidated when shown, not painted yet
  HWND bar = CreateWindowEx(0, PROGRESS_CLASS, "", WS_CHILD | WS_VISIBLE, 10, 10, 100, 10, host, 1, nullptr);
  SendMessage(bar, PBM_SETPOS, 100, 0);  // paints the bar at once
  // Reading a pixel paints the host first; the bar must still show afterwards.
  EXPECT_EQ(Pixel(bar, 50, 5), gdi::GetSysColor(gdi::COLOR_HIGHLIGHT));
  EXPECT_EQ(Pixel(host, 5, 5), gdi::GetSysColor(gdi::COLOR_BTNFACE));
}

TEST(PlatformLook, ThePlainHeaderIsFlatWithADividerAfterEachItem) {
  Host host(300, 100);
  HWND header = CreateWindowEx(0, WC_HEADER, "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 20, host, 1, nullptr);
  HDITEM item;
  item.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT;
  item.pszText = const_cast<char*>("");
  item.fmt = HDF_STRING;
  item.cxy = 50;
  SendMessage(header, HDM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  SendMessage(header, HDM_INSERTITEMA, 1, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(Pixel(header, 49, 10), gdi::GetSysColor(gdi::COLOR_BTNSHADOW));
  EXPECT_EQ(Pixel(header, 50, 10), gdi::GetSysColor(gdi::COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(Pixel(header, 99, 10), gdi::GetSysColor(gdi::COLOR_BTNSHADOW));
  EXPECT_EQ(Pixel(header, 25, 10), gdi::GetSysColor(gdi::COLOR_BTNFACE));
  EXPECT_EQ(Pixel(header, 25, 19), gdi::GetSysColor(gdi::COLOR_BTNSHADOW));
}

}  // namespace
}  // namespace drev::widgets_test
