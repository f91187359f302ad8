// Dialogs from templates, the dialog manager's default handling, EndDialog and the modal loop.
#include "platform/win/dialog.h"

#include "platform/gdi/dialog_units.h"
#include "platform/kernel/resource.h"
#include "platform/win/input.h"
#include "platform/win/message.h"
#include "platform/win/window.h"
#include "platform/win/window_internal.h"

namespace plat::win {

using namespace detail;

namespace {

constexpr LPARAM kCreateParamsTag = 0x44524556;  // marks a DialogCreation record in lpCreateParams

struct DialogCreation {
  LPARAM tag = kCreateParamsTag;
  DLGPROC proc = nullptr;
  SIZE baseUnits{};
};

gdi::LOGFONT TemplateFont(const DialogTemplate& tmpl) {
  gdi::LOGFONT lf;
  lf.lfHeight = -MulDiv(tmpl.pointSize, 96, 72);
  lf.lfCharSet = tmpl.charSet;
  lf.lfFaceName = tmpl.faceName;
  return lf;
}

RECT ToPixels(SIZE base, int x, int y, int cx, int cy) {
  int left = MulDiv(x, base.cx, 4);
  int top = MulDiv(y, base.cy, 8);
  return RECT{left, top, left + MulDiv(cx, base.cx, 4), top + MulDiv(cy, base.cy, 8)};
}

DialogData* DataOf(Wnd* w) { return w ? w->dialog.get() : nullptr; }

bool CreateItems(HWND dlg, const DialogTemplate& tmpl, SIZE base, gdi::CFont* font) {
  for (const DialogItemTemplate& item : tmpl.items) {
    RECT r = ToPixels(base, item.x, item.y, item.cx, item.cy);
    HWND child = CreateWindowEx(item.exStyle, item.className.c_str(), item.text.c_str(), item.style | WS_CHILD,
                                r.left, r.top, r.Width(), r.Height(), dlg, static_cast<UINT_PTR>(item.id), nullptr);
    if (!child) return false;
    SendMessage(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  return true;
}

HWND FirstTabStop(HWND dlg) {
  for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (GetWindowLongPtr(c, GWL_STYLE) & WS_TABSTOP) return c;
  return GetWindow(dlg, GW_CHILD);
}

const DialogTemplate* FindTemplate(UINT id) {
  kernel::ResourceData data = kernel::FindResource(kernel::ResourceKind::Dialog, id);
  return data ? static_cast<const DialogTemplate*>(data.data) : nullptr;
}

}  // namespace

SIZE DialogBaseUnits(const DialogTemplate& tmpl) { return gdi::GetDialogBaseUnits(TemplateFont(tmpl)); }

BOOL MapDialogRect(HWND dialog, RECT* rect) {
  if (!rect) return FALSE;
  auto lock = Lock();
  DialogData* d = DataOf(Find(dialog));
  if (!d) return FALSE;
  *rect = ToPixels(d->baseUnits, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
  return TRUE;
}

HWND CreateDialogIndirectParam(const DialogTemplate* tmpl, HWND parent, DLGPROC proc, LPARAM initParam) {
  if (!tmpl) return nullptr;
  DialogCreation creation;
  creation.proc = proc;
  creation.baseUnits = DialogBaseUnits(*tmpl);
  DWORD exStyle = tmpl->exStyle | ((tmpl->style & DS_MODALFRAME) ? WS_EX_DLGMODALFRAME : 0);
  RECT r = ToPixels(creation.baseUnits, tmpl->x, tmpl->y, tmpl->cx, tmpl->cy);
  RECT frame{0, 0, r.Width(), r.Height()};
  AdjustWindowRectEx(&frame, tmpl->style, FALSE, exStyle);
  POINT at{r.left, r.top};
  if (parent && !(tmpl->style & WS_CHILD)) ClientToScreen(parent, &at);
  HWND dlg = CreateWindowEx(exStyle, WC_DIALOG, tmpl->caption.c_str(), tmpl->style & ~WS_VISIBLE, at.x, at.y,
                            frame.Width(), frame.Height(), parent, 0, &creation);
  if (!dlg) return nullptr;
  auto font = std::make_unique<gdi::CFont>();
  font->CreateFontIndirect(TemplateFont(*tmpl));
  gdi::CFont* fontPtr = font.get();
  {
    auto lock = Lock();
    if (DialogData* d = DataOf(Find(dlg))) d->font = std::move(font);
  }
  SendMessage(dlg, WM_SETFONT, reinterpret_cast<WPARAM>(fontPtr), FALSE);
  if (!CreateItems(dlg, *tmpl, creation.baseUnits, fontPtr)) {
    DestroyWindow(dlg);
    return nullptr;
  }
  HWND focus = FirstTabStop(dlg);
  if (SendMessage(dlg, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), initParam) && focus && IsWindow(focus))
    SetFocus(focus);
  if ((tmpl->style & WS_VISIBLE) && IsWindow(dlg)) ShowWindow(dlg, SW_SHOW);
  return IsWindow(dlg) ? dlg : nullptr;
}

HWND CreateDialogParam(UINT templateId, HWND parent, DLGPROC proc, LPARAM initParam) {
  return CreateDialogIndirectParam(FindTemplate(templateId), parent, proc, initParam);
}

INT_PTR DialogBoxIndirectParam(const DialogTemplate* tmpl, HWND owner, DLGPROC proc, LPARAM initParam) {
  if (!tmpl) return -1;
  DialogTemplate hidden = *tmpl;
  hidden.style &= ~(WS_VISIBLE | WS_CHILD);
  HWND dlg = CreateDialogIndirectParam(&hidden, owner, proc, initParam);
  if (!dlg) return -1;
  HWND top = owner ? GetAncestor(owner, GA_ROOT) : nullptr;
  bool disabled = top && IsWindowEnabled(top);
  if (disabled) EnableWindow(top, FALSE);
  bool endedEarly = false;
  {
    auto lock = Lock();
    DialogData* d = DataOf(Find(dlg));
    endedEarly = d && d->ended;
  }
  if (!endedEarly) ShowWindow(dlg, SW_SHOW);
  INT_PTR result = RunModalLoop(dlg);
  if (disabled && IsWindow(top)) EnableWindow(top, TRUE);
  if (IsWindow(dlg)) DestroyWindow(dlg);
  return result;
}

INT_PTR DialogBoxParam(UINT templateId, HWND owner, DLGPROC proc, LPARAM initParam) {
  return DialogBoxIndirectParam(FindTemplate(templateId), owner, proc, initParam);
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
  {
    auto lock = Lock();
    DialogData* d = DataOf(Find(dialog));
    if (!d) return FALSE;
    d->ended = true;
    d->result = result;
  }
  // Wakes the loop even when EndDialog ran inside a message handled within GetMessage.
  PostMessage(dialog, WM_NULL, 0, 0);
  return TRUE;
}

INT_PTR RunModalLoop(HWND dialog) {
  for (;;) {
    {
      auto lock = Lock();
      Wnd* w = Find(dialog);
      DialogData* d = DataOf(w);
      if (!d || w->destroying) return -1;
      if (d->ended) return d->result;
    }
    MSG msg;
    if (!GetMessage(&msg, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return -1;
    }
    if (!IsDialogMessage(dialog, &msg)) {
      TranslateMessage(&msg);
      DispatchMessage(&msg);
    }
  }
}

BOOL IsDialogMessage(HWND dialog, MSG* msg) {
  if (!msg || !msg->hwnd || (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd))) return FALSE;
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_TAB) {
    // Tab and Shift+Tab move the focus between the controls that take it, nested ones included.
    bool back = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    if (HWND next = GetNextTabStop(dialog, GetFocus(), back)) SetFocus(next);
    return TRUE;
  }
  if (msg->message == WM_KEYUP && msg->wParam == VK_TAB) return TRUE;
  if (msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE)) {
    int id = IDCANCEL;
    if (msg->wParam == VK_RETURN) {
      LRESULT def = SendMessage(dialog, DM_GETDEFID, 0, 0);
      id = HIWORD(static_cast<std::uintptr_t>(def)) == DC_HASDEFID ? LOWORD(static_cast<std::uintptr_t>(def)) : IDOK;
    }
    HWND button = GetDlgItem(dialog, id);
    if (button && !IsWindowEnabled(button)) return TRUE;
    SendMessage(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return TRUE;
  }
  DispatchMessage(msg);
  return TRUE;
}

LRESULT DefDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    auto* creation = cs ? static_cast<const DialogCreation*>(cs->lpCreateParams) : nullptr;
    auto lock = Lock();
    if (Wnd* w = Find(hwnd); w && !w->dialog) {
      w->dialog = std::make_unique<DialogData>();
      if (creation && creation->tag == kCreateParamsTag) {
        w->dialog->dlgProc = creation->proc;
        w->dialog->baseUnits = creation->baseUnits;
      }
    }
  }
  DLGPROC proc = nullptr;
  {
    auto lock = Lock();
    if (DialogData* d = DataOf(Find(hwnd))) proc = d->dlgProc;
  }
  if (proc) {
    INT_PTR handled = proc(hwnd, msg, wParam, lParam);
    if (handled) {
      if (msg == WM_INITDIALOG || msg == WM_CTLCOLORDLG || msg == WM_CTLCOLORSTATIC) return handled;
      return GetWindowLongPtr(hwnd, DWLP_MSGRESULT);
    }
  }
  switch (msg) {
    case WM_CLOSE:
      SendMessage(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDCANCEL)));
      return 0;
    case DM_GETDEFID: {
      auto lock = Lock();
      DialogData* d = DataOf(Find(hwnd));
      return d ? MAKELRESULT(d->defId, DC_HASDEFID) : 0;
    }
    case DM_SETDEFID: {
      auto lock = Lock();
      if (DialogData* d = DataOf(Find(hwnd))) d->defId = static_cast<WORD>(wParam);
      return TRUE;
    }
    case WM_INITDIALOG: return TRUE;
    default: return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

}  // namespace plat::win
