// Dialogs from templates: dialog units to pixels, children by id with the template font, and
// WM_INITDIALOG after the children exist.
#include <gtest/gtest.h>

#include "platform/gdi/dialog_units.h"
#include "platform/kernel/resource.h"
#include "platform/text/text.h"
#include "platform/win/dialog.h"
#include "platform/win/message.h"
#include "platform/win/window.h"
#include "test_window.h"

namespace plat::win {
namespace {

DialogTemplate ProgressLikeTemplate() {
  DialogTemplate t;
  t.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT;
  t.cx = 219;
  t.cy = 94;
  t.faceName = text::Ansi("돋움");
  t.pointSize = 10;
  t.charSet = 129;
  t.caption = "Drev Upload";
  t.items = {
      {"Button", "", -1, 3, 4, 211, 53, WS_VISIBLE | BS_GROUPBOX, 0},
      {"Static", "", 207, 51, 13, 154, 8, WS_VISIBLE | SS_LEFT, 0},
      {"msctls_progress32", "", 204, 6, 26, 201, 9, WS_VISIBLE, 0},
      {"Static", "", 206, 23, 42, 169, 8, WS_VISIBLE | SS_RIGHT, 0},
      {"Button", text::Ansi("취  소"), 202, 82, 68, 50, 14, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0},
  };
  return t;
}

SIZE ExpectedUnits(const DialogTemplate& t) {
  gdi::LOGFONT lf;
  lf.lfHeight = -MulDiv(t.pointSize, 96, 72);
  lf.lfCharSet = t.charSet;
  lf.lfFaceName = t.faceName;
  return gdi::GetDialogBaseUnits(lf);
}

struct InitView {
  bool childrenExisted = false;
  HWND focusGiven = nullptr;
  LPARAM param = 0;
  gdi::CFont* childFont = nullptr;
};
InitView* initView = nullptr;

INT_PTR RecordInit(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_INITDIALOG) return FALSE;
  initView->childrenExisted = GetDlgItem(hwnd, 207) && GetDlgItem(hwnd, 204) && GetDlgItem(hwnd, 202);
  initView->focusGiven = reinterpret_cast<HWND>(wParam);
  initView->param = lParam;
  initView->childFont = reinterpret_cast<gdi::CFont*>(SendMessage(GetDlgItem(hwnd, 207), WM_GETFONT, 0, 0));
  return TRUE;
}

TEST(DialogTemplates, ChildrenArePlacedInPixelsOfTheTemplateFontAndExistAtInit) {
  DialogTemplate t = ProgressLikeTemplate();
  static const char owner = 0;
  kernel::RegisterResource(kernel::ResourceKind::Dialog, 102, &t, sizeof t, &owner);
  InitView view;
  initView = &view;
  HWND dlg = CreateDialogParam(102, nullptr, RecordInit, 77);
  kernel::UnregisterResources(&owner);
  ASSERT_NE(dlg, nullptr);

  SIZE base = ExpectedUnits(t);
  ASSERT_GT(base.cx, 0);
  RECT client{};
  GetClientRect(dlg, &client);
  EXPECT_EQ(client.right, MulDiv(219, base.cx, 4));
  EXPECT_EQ(client.bottom, MulDiv(94, base.cy, 8));

  HWND text = GetDlgItem(dlg, 207);
  ASSERT_NE(text, nullptr);
  RECT r{};
  GetWindowRect(text, &r);
  POINT origin{0, 0};
  ClientToScreen(dlg, &origin);
  EXPECT_EQ(r.left - origin.x, MulDiv(51, base.cx, 4));
  EXPECT_EQ(r.top - origin.y, MulDiv(13, base.cy, 8));
  EXPECT_EQ(r.right - r.left, MulDiv(154, base.cx, 4));
  EXPECT_EQ(r.bottom - r.top, MulDiv(8, base.cy, 8));
  RECT mapped{51, 13, 51 + 154, 13 + 8};
  ASSERT_TRUE(MapDialogRect(dlg, &mapped));
  EXPECT_EQ(mapped.right - mapped.left, r.right - r.left);

  EXPECT_TRUE(view.childrenExisted);
  EXPECT_EQ(view.focusGiven, GetDlgItem(dlg, 202));  // the first tab stop
  EXPECT_EQ(GetFocus(), GetDlgItem(dlg, 202));
  EXPECT_EQ(view.param, 77);
  ASSERT_NE(view.childFont, nullptr);
  EXPECT_EQ(view.childFont->Log().lfFaceName, text::Ansi("돋움"));
  EXPECT_EQ(GetWindowText(GetDlgItem(dlg, 202)), text::Ansi("취  소"));
  EXPECT_EQ(GetClassName(dlg), "#32770");
  DestroyWindow(dlg);
  initView = nullptr;
}

TEST(DialogTemplates, ChildDialogFillsItsPlaceInTheParentAndIsShownWhenVisible) {
  HWND parent = testing::CreateTestWindow([](HWND, UINT, WPARAM, LPARAM) { return std::optional<LRESULT>(); },
                                          WS_POPUP | WS_VISIBLE, {0, 0, 400, 300});
  DialogTemplate t;
  t.style = WS_CHILD | WS_VISIBLE | DS_SETFONT;
  t.cx = 199;
  t.cy = 111;
  t.faceName = text::Ansi("굴림");
  t.items.push_back({"SysListView32", "", 201, 3, 3, 195, 108, WS_VISIBLE | WS_BORDER, 0});
  HWND dlg = CreateDialogIndirectParam(&t, parent, nullptr, 0);
  ASSERT_NE(dlg, nullptr);
  EXPECT_EQ(GetParent(dlg), parent);
  EXPECT_TRUE(IsWindowVisible(dlg));
  EXPECT_NE(GetDlgItem(dlg, 201), nullptr);
  DestroyWindow(parent);
  EXPECT_FALSE(IsWindow(dlg));
}

TEST(DialogTemplates, AnItemOfAnUnknownClassFailsTheDialog) {
  DialogTemplate t;
  t.style = WS_POPUP;
  t.cx = 10;
  t.cy = 10;
  t.items.push_back({"NoSuchControl", "", 1, 0, 0, 5, 5, 0, 0});
  EXPECT_EQ(CreateDialogIndirectParam(&t, nullptr, nullptr, 0), nullptr);
  EXPECT_EQ(CreateDialogParam(9999, nullptr, nullptr, 0), nullptr);
}

TEST(DialogTemplates, CloseBecomesCancelAndDefaultButtonIdIsOk) {
  static int command = 0;
  DialogTemplate t;
  t.style = WS_POPUP;
  t.cx = 10;
  t.cy = 10;
  HWND dlg = CreateDialogIndirectParam(&t, nullptr, [](HWND, UINT msg, WPARAM w, LPARAM) -> INT_PTR {
    if (msg == WM_COMMAND) command = LOWORD(w);
    return msg == WM_COMMAND;
  }, 0);
  SendMessage(dlg, WM_CLOSE, 0, 0);
  EXPECT_EQ(command, IDCANCEL);
  EXPECT_TRUE(IsWindow(dlg));
  EXPECT_EQ(SendMessage(dlg, DM_GETDEFID, 0, 0), MAKELRESULT(IDOK, DC_HASDEFID));
  DestroyWindow(dlg);
}

}  // namespace
}  // namespace plat::win
