// The built-in window classes and the helpers the built-in controls share.
#include "platform/gdi/dc.h"
#include "platform/gdi/dialog_units.h"
#include "platform/gdi/syscolor.h"
#include "platform/win/controls_internal.h"
#include "platform/win/dialog.h"
#include "platform/win/message.h"
#include "platform/win/window.h"
#include "platform/win/window_internal.h"

namespace plat::win::detail {

void RegisterBuiltinClasses(Registry& registry) {
  auto add = [&](const char* name, WNDPROC proc, int background) {
    auto cls = std::make_shared<WndClass>();
    cls->name = name;
    cls->proc = proc;
    cls->background = background;
    registry.classes.push_back(std::move(cls));
  };
  add(WC_DIALOG, DefDlgProc, gdi::COLOR_BTNFACE + 1);
  add("Static", StaticProc, gdi::COLOR_BTNFACE + 1);
  add("Button", ButtonProc, gdi::COLOR_BTNFACE + 1);
  add("Edit", EditProc, gdi::COLOR_WINDOW + 1);
  add("msctls_progress32", ProgressProc, gdi::COLOR_BTNFACE + 1);
  add("SysHeader32", HeaderProc, gdi::COLOR_BTNFACE + 1);
  add("SysListView32", ListViewProc, gdi::COLOR_WINDOW + 1);
  add("tooltips_class32", ToolTipProc, gdi::COLOR_INFOBK + 1);
}

gdi::CFont* ControlFont(HWND hwnd) {
  auto* font = reinterpret_cast<gdi::CFont*>(SendMessage(hwnd, WM_GETFONT, 0, 0));
  return font ? font : gdi::GetStockGuiFont();
}

int FontLineHeight(gdi::CFont* font) {
  const gdi::LOGFONT& lf = font ? font->Log() : gdi::DefaultGuiLogFont();
  return gdi::GetDialogBaseUnits(lf).cy;
}

LRESULT NotifyParent(HWND hwnd, UINT code, void* record) {
  auto* header = static_cast<NMHDR*>(record);
  header->hwndFrom = hwnd;
  header->idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(hwnd));
  header->code = code;
  HWND parent = GetParent(hwnd);
  if (!parent) return 0;
  return SendMessage(parent, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(record));
}

}  // namespace plat::win::detail
