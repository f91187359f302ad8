// The "tooltips_class32" class: a list of tools (window areas with a text or a text supplied on
// request through TTN_NEEDTEXT), the tool under relayed mouse moves, and the text shown for it.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/text/text.h"
#include "platform/win/commctrl.h"
#include "platform/win/controls_internal.h"
#include "platform/win/message.h"
#include "platform/win/window.h"
#include "platform/win/window_internal.h"

namespace plat::win::detail {

namespace {

struct Tool {
  TOOLINFOA info;
  std::string text;
  bool callback = false;
};

struct ToolTipState : ControlData {
  std::vector<Tool> tools;
  bool active = true;
  int current = -1;  // index of the tool being shown
};

bool SameTool(const TOOLINFOA& a, const TOOLINFOA& b) { return a.hwnd == b.hwnd && a.uId == b.uId; }

Tool* FindTool(ToolTipState& s, const TOOLINFOA* info) {
  if (!info) return nullptr;
  for (Tool& t : s.tools)
    if (SameTool(t.info, *info)) return &t;
  return nullptr;
}

void StoreText(Tool& tool, const char* text) {
  tool.callback = text == LPSTR_TEXTCALLBACKA;
  tool.text = (!text || tool.callback) ? "" : text;
}

constexpr LPARAM NF_QUERY = 3;
constexpr LRESULT NFR_UNICODE = 2;

// The wide text request, for a window that takes its notices in UTF-16 (WM_NOTIFYFORMAT).
std::string ResolveWideText(HWND hwnd, const Tool& tool) {
  NMTTDISPINFOW request;
  request.hdr.hwndFrom = hwnd;
  request.hdr.idFrom = tool.info.uId;
  request.hdr.code = TTN_NEEDTEXTW;
  request.uFlags = tool.info.uFlags;
  request.lParam = tool.info.lParam;
  request.lpszText = request.szText;
  SendMessage(tool.info.hwnd, WM_NOTIFY, tool.info.uId, reinterpret_cast<LPARAM>(&request));
  if (!request.lpszText || reinterpret_cast<char*>(request.lpszText) == LPSTR_TEXTCALLBACKA) return "";
  if (request.lpszText == request.szText) {
    std::size_t n = 0;
    while (n < 80 && request.szText[n]) ++n;
    return text::Utf16ToCp949(std::u16string_view(request.szText, n));
  }
  return text::Utf16ToCp949(request.lpszText);
}

// The tool's text, asking its window for it (in the form the window takes) when the tool has a
// callback text.
std::string ResolveText(HWND hwnd, const Tool& tool) {
  if (!tool.callback) return tool.text;
  if (SendMessage(tool.info.hwnd, WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(hwnd), NF_QUERY) == NFR_UNICODE)
    return ResolveWideText(hwnd, tool);
  NMTTDISPINFOA request;
  request.hdr.hwndFrom = hwnd;
  request.hdr.idFrom = tool.info.uId;
  request.hdr.code = TTN_NEEDTEXTA;
  request.uFlags = tool.info.uFlags;
  request.lParam = tool.info.lParam;
  request.lpszText = request.szText;
  SendMessage(tool.info.hwnd, WM_NOTIFY, tool.info.uId, reinterpret_cast<LPARAM>(&request));
  if (!request.lpszText || request.lpszText == LPSTR_TEXTCALLBACKA) return "";
  if (request.lpszText == request.szText) return std::string(request.szText, strnlen(request.szText, sizeof request.szText));
  return request.lpszText;
}

bool ToolContains(const Tool& tool, HWND target, POINT clientPoint) {
  if (tool.info.uFlags & TTF_IDISHWND) return reinterpret_cast<HWND>(tool.info.uId) == target;
  return tool.info.hwnd == target && tool.info.rect.Contains(clientPoint);
}

void Show(HWND hwnd, ToolTipState& s, int index) {
  s.current = index;
  std::string text = index >= 0 ? ResolveText(hwnd, s.tools[static_cast<std::size_t>(index)]) : std::string();
  SetWindowText(hwnd, text);
  ShowWindow(hwnd, (index >= 0 && !text.empty() && s.active) ? SW_SHOWNA : SW_HIDE);
}

void Relay(HWND hwnd, ToolTipState& s, const MSG* msg) {
  if (!msg) return;
  if (msg->message == WM_LBUTTONDOWN || msg->message == WM_RBUTTONDOWN) {
    Show(hwnd, s, -1);
    return;
  }
  if (msg->message != WM_MOUSEMOVE) return;
  POINT p{GET_X_LPARAM(msg->lParam), GET_Y_LPARAM(msg->lParam)};
  int hit = -1;
  for (std::size_t i = 0; i < s.tools.size(); ++i)
    if (ToolContains(s.tools[i], msg->hwnd, p)) hit = static_cast<int>(i);
  if (hit != s.current) Show(hwnd, s, hit);
}

LRESULT Handle(HWND hwnd, ToolTipState& s, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* info = reinterpret_cast<TOOLINFOA*>(lParam);
  switch (msg) {
    case TTM_ADDTOOLA: {
      if (!info) return FALSE;
      Tool tool;
      tool.info = *info;
      StoreText(tool, info->lpszText);
      tool.info.lpszText = nullptr;
      if (Tool* existing = FindTool(s, info)) *existing = tool;
      else s.tools.push_back(tool);
      return TRUE;
    }
    case TTM_DELTOOLA: {
      Tool* tool = FindTool(s, info);
      if (!tool) return 0;
      int index = static_cast<int>(tool - s.tools.data());
      if (index == s.current) Show(hwnd, s, -1);
      else if (index < s.current) --s.current;
      s.tools.erase(s.tools.begin() + index);
      return 0;
    }
    case TTM_NEWTOOLRECTA:
      if (Tool* tool = FindTool(s, info)) tool->info.rect = info->rect;
      return 0;
    case TTM_UPDATETIPTEXTA:
      if (Tool* tool = FindTool(s, info)) StoreText(*tool, info->lpszText);
      if (s.current >= 0) Show(hwnd, s, s.current);
      return 0;
    case TTM_GETTOOLCOUNT: return static_cast<LRESULT>(s.tools.size());
    case TTM_GETTEXTA: {
      // wParam: the buffer's size in characters (80 when 0, as the older form assumes).
      Tool* tool = FindTool(s, info);
      if (!tool || !info->lpszText) return 0;
      std::size_t capacity = wParam ? wParam : 80;
      std::string text = ResolveText(hwnd, *tool);
      std::size_t n = std::min(text.size(), capacity - 1);
      std::memcpy(info->lpszText, text.data(), n);
      info->lpszText[n] = '\0';
      return static_cast<LRESULT>(n);
    }
    case TTM_ACTIVATE:
      s.active = wParam != 0;
      if (!s.active) Show(hwnd, s, -1);
      return 0;
    case TTM_RELAYEVENT: Relay(hwnd, s, reinterpret_cast<const MSG*>(lParam)); return 0;
    case TTM_POP: Show(hwnd, s, -1); return 0;
    default: return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

LRESULT ToolTipProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) SetControl(hwnd, std::make_shared<ToolTipState>());
  auto state = ControlOf<ToolTipState>(hwnd);
  if (!state) return DefWindowProc(hwnd, msg, wParam, lParam);
  return Handle(hwnd, *state, msg, wParam, lParam);
}

}  // namespace plat::win::detail
