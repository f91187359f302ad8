// The window framework: subclassing and default handling, reflected notifications, dialogs with
// data exchange, temporary objects and tooltips.
#include <gtest/gtest.h>

#include <cstdio>

#include <string>
#include <vector>

#include "platform/kernel/resource.h"
#include "platform/text/text.h"
#include "platform/win/afxcmn.h"
#include "platform/win/dialog.h"
#include "platform/win/input.h"
#include "platform/win/message.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace plat::win {
namespace {

constexpr UINT kAsk = WM_USER + 10;

class Recording : public CWnd {
 public:
  std::vector<UINT> seen;
  bool preSubclassed = false;
  bool postNcDestroy = false;

 protected:
  void PreSubclassWindow() override { preSubclassed = seen.empty(); }
  void PostNcDestroy() override { postNcDestroy = m_hWnd == nullptr; }
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    seen.push_back(msg);
    if (msg == kAsk) return Default() + 1;
    return CWnd::WindowProc(msg, wParam, lParam);
  }
};

TEST(Framework, SubclassRoutesMessagesAndDefaultReachesThePreviousProcedure) {
  HWND button = CreateWindowEx(0, "Button", "b", WS_POPUP, 0, 0, 10, 10, nullptr, 0, nullptr);
  static int previousCalls = 0;
  previousCalls = 0;
  static WNDPROC classProc = nullptr;
  classProc = SetWindowProc(button, [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == kAsk) return ++previousCalls * 10;
    return CallWindowProc(classProc, h, m, w, l);
  });
  Recording wnd;
  ASSERT_TRUE(wnd.SubclassWindow(button));
  EXPECT_TRUE(wnd.preSubclassed);
  EXPECT_EQ(CWnd::FromHandlePermanent(button), &wnd);
  EXPECT_EQ(wnd.SendMessage(kAsk), 11);
  Recording other;
  EXPECT_FALSE(other.SubclassWindow(button));
  EXPECT_EQ(wnd.UnsubclassWindow(), button);
  EXPECT_EQ(SendMessage(button, kAsk, 0, 0), 20);
  EXPECT_EQ(wnd.seen.size(), 1u);
  DestroyWindow(button);
}

TEST(Framework, CreatedWindowsSeeTheirFirstMessagesAndAreUntiedAtTheEnd) {
  Recording wnd;
  ASSERT_TRUE(wnd.CreateEx(0, "Static", "text", WS_POPUP, RECT{0, 0, 20, 20}, nullptr, 0));
  ASSERT_GE(wnd.seen.size(), 2u);
  EXPECT_EQ(wnd.seen[0], WM_NCCREATE);
  EXPECT_EQ(wnd.seen[1], WM_CREATE);
  EXPECT_TRUE(wnd.preSubclassed);
  EXPECT_EQ(wnd.GetWindowText(), "text");  // the class's own handling still runs
  HWND hwnd = wnd.m_hWnd;
  wnd.DestroyWindow();
  EXPECT_EQ(wnd.m_hWnd, nullptr);
  EXPECT_TRUE(wnd.postNcDestroy);
  EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);
}

TEST(Framework, AnObjectThatGoesTakesItsWindowWithIt) {
  HWND hwnd = nullptr;
  {
    Recording wnd;
    wnd.CreateEx(0, "Static", "", WS_POPUP, RECT{0, 0, 5, 5}, nullptr, 0);
    hwnd = wnd.m_hWnd;
  }
  EXPECT_FALSE(IsWindow(hwnd));
}

// A child that answers custom draw itself and lets column clicks go on to its parent.
class ReflectingChild : public CWnd {
 public:
  std::vector<UINT>* order = nullptr;
  BOOL OnChildNotify(UINT msg, WPARAM, LPARAM lParam, LRESULT* result) override {
    if (msg != WM_NOTIFY) return FALSE;
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    order->push_back(hdr->code);
    if (hdr->code == NM_CUSTOMDRAW) {
      *result = CDRF_SKIPDEFAULT;
      return TRUE;
    }
    return FALSE;
  }
};

class NotifiedParent : public CWnd {
 public:
  std::vector<UINT>* order = nullptr;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_NOTIFY) {
      order->push_back(0x1000000u | reinterpret_cast<NMHDR*>(lParam)->code);
      return 5;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
  }
};

TEST(Framework, ChildNotificationsAreOfferedToTheChildObjectFirst) {
  std::vector<UINT> order;
  NotifiedParent parent;
  parent.order = &order;
  parent.CreateEx(0, "#32770", "", WS_POPUP, RECT{0, 0, 100, 100}, nullptr, 0);
  ReflectingChild child;
  child.order = &order;
  child.CreateEx(0, "Static", "", WS_CHILD, RECT{0, 0, 10, 10}, &parent, 3);
  NMHDR draw{child.m_hWnd, 3, NM_CUSTOMDRAW};
  EXPECT_EQ(parent.SendMessage(WM_NOTIFY, 3, reinterpret_cast<LPARAM>(&draw)), CDRF_SKIPDEFAULT);
  NMHDR click{child.m_hWnd, 3, LVN_COLUMNCLICK};
  EXPECT_EQ(parent.SendMessage(WM_NOTIFY, 3, reinterpret_cast<LPARAM>(&click)), 5);
  EXPECT_EQ(order, (std::vector<UINT>{NM_CUSTOMDRAW, LVN_COLUMNCLICK, 0x1000000u | LVN_COLUMNCLICK}));
  parent.DestroyWindow();
}

constexpr UINT kDialogId = 4102;

class ProgressLike : public CDialog {
 public:
  ProgressLike() : CDialog(kDialogId) {}
  CProgressCtrl m_bar;
  std::string m_text4;
  bool barBoundAtInit = false;
  int okCalls = 0;

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Control(pDX, 204, m_bar);
    DDX_Text(pDX, 206, m_text4);
  }
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    barBoundAtInit = m_bar.m_hWnd == ::plat::win::GetDlgItem(m_hWnd, 204);
    m_bar.SetPos(40);
    SetDlgItemText(206, "typed by the user");
    PostMessage(WM_KEYDOWN, VK_RETURN, 1);  // Enter, queued for the modal loop's dialog manager
    return TRUE;
  }
  void OnOK() override {
    ++okCalls;
    CDialog::OnOK();
  }
};

DialogTemplate ProgressTemplate() {
  DialogTemplate t;
  t.style = WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME;
  t.cx = 219;
  t.cy = 94;
  t.faceName = "Baekmuk Dotum";
  t.items = {{"msctls_progress32", "", 204, 6, 26, 201, 9, WS_VISIBLE, 0},
             {"Static", "", 206, 23, 42, 169, 8, WS_VISIBLE | SS_RIGHT, 0}};
  return t;
}

TEST(Framework, ModalDialogBindsControlsBeforeInitAndOkSavesTheTexts) {
  DialogTemplate t = ProgressTemplate();
  static const char owner = 0;
  kernel::RegisterResource(kernel::ResourceKind::Dialog, kDialogId, &t, sizeof t, &owner);
  ProgressLike dlg;
  INT_PTR result = dlg.DoModal();
  kernel::UnregisterResources(&owner);
  EXPECT_EQ(result, IDOK);
  EXPECT_TRUE(dlg.barBoundAtInit);
  EXPECT_EQ(dlg.okCalls, 1);
  EXPECT_EQ(dlg.m_text4, "typed by the user");
  EXPECT_EQ(dlg.m_hWnd, nullptr);
  EXPECT_EQ(dlg.m_bar.m_hWnd, nullptr);
}

class TwoTexts : public CDialog {
 public:
  explicit TwoTexts(UINT id) : CDialog(id) {}
  std::string m_first, m_second;

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Text(pDX, 301, m_first);
    DDX_Text(pDX, 302, m_second);
  }
};

TEST(Framework, ExchangingTextsToTheControlsRepaintsOnlyTheControlsWhoseTextChanged) {
  DialogTemplate t;
  t.style = WS_POPUP | WS_VISIBLE;
  t.cx = 120;
  t.cy = 40;
  t.items = {{"Static", "", 301, 4, 4, 100, 8, WS_VISIBLE, 0}, {"Static", "", 302, 4, 20, 100, 8, WS_VISIBLE, 0}};
  static const char owner = 0;
  kernel::RegisterResource(kernel::ResourceKind::Dialog, 4103, &t, sizeof t, &owner);
  TwoTexts dlg(4103);
  dlg.m_first = "one";
  dlg.m_second = "two";
  ASSERT_TRUE(dlg.Create(4103, nullptr));
  kernel::UnregisterResources(&owner);
  HWND first = ::plat::win::GetDlgItem(dlg.m_hWnd, 301);
  HWND second = ::plat::win::GetDlgItem(dlg.m_hWnd, 302);
  EXPECT_EQ(GetWindowText(first), "one");
  UpdateWindow(dlg.m_hWnd);
  ASSERT_FALSE(GetUpdateRect(first, nullptr, FALSE));

  dlg.UpdateData(FALSE);  // nothing changed: nothing to paint
  EXPECT_FALSE(GetUpdateRect(dlg.m_hWnd, nullptr, FALSE));
  EXPECT_FALSE(GetUpdateRect(first, nullptr, FALSE));
  EXPECT_FALSE(GetUpdateRect(second, nullptr, FALSE));

  dlg.m_second = "three";
  dlg.UpdateData(FALSE);
  EXPECT_EQ(GetWindowText(second), "three");
  EXPECT_FALSE(GetUpdateRect(first, nullptr, FALSE));
  EXPECT_TRUE(GetUpdateRect(second, nullptr, FALSE));
  EXPECT_FALSE(GetUpdateRect(dlg.m_hWnd, nullptr, FALSE));

  // Saving still reads what the controls show.
  SetWindowText(first, "typed");
  dlg.UpdateData(TRUE);
  EXPECT_EQ(dlg.m_first, "typed");
  dlg.DestroyWindow();
}

TEST(Framework, ModelessChildDialogFromATemplate) {
  DialogTemplate t;
  t.style = WS_CHILD | WS_VISIBLE;
  t.cx = 50;
  t.cy = 20;
  t.items = {{"SysListView32", "", 201, 3, 3, 40, 15, WS_VISIBLE | LVS_REPORT, 0}};
  static const char owner = 0;
  kernel::RegisterResource(kernel::ResourceKind::Dialog, 4101, &t, sizeof t, &owner);
  Recording host;
  host.CreateEx(0, "#32770", "", WS_POPUP | WS_VISIBLE, RECT{0, 0, 200, 200}, nullptr, 0);
  CDialog child(4101);
  ASSERT_TRUE(child.Create(4101, &host));
  kernel::UnregisterResources(&owner);
  EXPECT_EQ(child.GetParent(), &host);
  CListCtrl list;
  ASSERT_TRUE(list.SubclassDlgItem(201, &child));
  // The header belongs to no object: the framework answers a temporary one.
  CHeaderCtrl* header = list.GetHeaderCtrl();
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(CWnd::FromHandlePermanent(header->m_hWnd), nullptr);
  EXPECT_EQ(list.GetHeaderCtrl(), header);
  CHeaderCtrl owned;
  ASSERT_TRUE(owned.SubclassWindow(header->m_hWnd));
  EXPECT_EQ(list.GetHeaderCtrl(), &owned);
  host.DestroyWindow();
  EXPECT_EQ(child.m_hWnd, nullptr);
  EXPECT_EQ(list.m_hWnd, nullptr);
}

class TippedWindow : public CWnd {
 public:
  int requests = 0;
  UINT_PTR lastId = 0;
  DWORD lastPos = 0;
  INT_PTR OnToolHitTest(POINT point, TOOLINFOA* ti) const override {
    if (point.x >= 50) return -1;
    ti->hwnd = m_hWnd;
    ti->uId = 1001;
    ti->lpszText = LPSTR_TEXTCALLBACKA;
    GetClientRect(&ti->rect);
    return 1001;
  }
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == TTN_NEEDTEXTA) {
      auto* info = reinterpret_cast<NMTTDISPINFOA*>(lParam);
      ++requests;
      lastId = info->hdr.idFrom;
      lastPos = GetMessagePos();
      std::snprintf(info->szText, sizeof info->szText, "cell tip");
      return 0;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
  }
};

TEST(Framework, ToolTipsAskTheWindowForCallbackTextsAtTheMousePosition) {
  TippedWindow wnd;
  wnd.CreateEx(0, "Static", "", WS_POPUP | WS_VISIBLE, RECT{100, 200, 200, 260}, nullptr, 0);
  wnd.EnableToolTips(TRUE);
  ASSERT_TRUE(SendMouseMove(wnd.m_hWnd, POINT{10, 20}));
  EXPECT_EQ(wnd.requests, 1);
  EXPECT_EQ(wnd.lastId, 1001u);
  EXPECT_EQ(wnd.lastPos, static_cast<DWORD>(MAKELPARAM(110, 220)));
  EXPECT_EQ(ThreadToolTip()->GetShownText(), "cell tip");
  SendMouseMove(wnd.m_hWnd, POINT{60, 20});
  EXPECT_EQ(ThreadToolTip()->GetShownText(), "");
  wnd.DestroyWindow();
}

class WideTippedWindow : public TippedWindow {
 public:
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_NOTIFYFORMAT) return 2;  // NFR_UNICODE
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == TTN_NEEDTEXTW) {
      auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
      ++requests;
      std::u16string text = u"파일 팁";
      std::copy(text.begin(), text.end(), info->szText);
      return 0;
    }
    return TippedWindow::WindowProc(msg, wParam, lParam);
  }
};

TEST(Framework, AWindowThatTakesWideNoticesGetsTheWideTextRequest) {
  WideTippedWindow wnd;
  wnd.CreateEx(0, "Static", "", WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 60}, nullptr, 0);
  wnd.EnableToolTips(TRUE);
  SendMouseMove(wnd.m_hWnd, POINT{10, 20});
  EXPECT_EQ(wnd.requests, 1);
  EXPECT_EQ(ThreadToolTip()->GetShownText(), text::Ansi("파일 팁"));
  wnd.DestroyWindow();
}

}  // namespace
}  // namespace plat::win
