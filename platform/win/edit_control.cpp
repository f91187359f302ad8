// The "Edit" class: a text box of one line, or of several with ES_MULTILINE, with a caret. Typing
// comes as WM_CHAR of CP949 bytes, as keys reach an ANSI window: a double-byte character is two
// WM_CHARs, lead byte first; a wParam above 0xFF is taken as a character's code point. The text is
// kept, as every window text, in code page 949. Backspace is WM_CHAR 8; Delete, the arrows,
// Home and End come as WM_KEYDOWN; Enter (WM_CHAR 13) starts a new line in a multi-line box. Lines
// are separated by a line feed. A click puts the caret there and takes the focus. There is no
// selection: EM_GETSEL and EM_SETSEL give and set the caret (both ends equal). Changes by the user
// send WM_COMMAND EN_CHANGE to the parent; a text set by WM_SETTEXT puts the caret at its end.
#include <algorithm>
#include <memory>
#include <string>

#include "platform/gdi/dc.h"
#include "platform/gdi/syscolor.h"
#include "platform/text/text.h"
#include "platform/win/controls_internal.h"
#include "platform/win/message.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "platform/win/window_internal.h"

namespace plat::win::detail {

namespace {

constexpr int kPadding = 2;  // between the client area's edge and the text

struct EditState : ControlData {
  std::size_t caret = 0;  // a byte offset into the text, always at a character's start
  int scrollX = 0;        // pixels of the lines scrolled off to the left
  int topLine = 0;        // the first line shown (multi-line)
  unsigned char lead = 0; // the lead byte of a double-byte character whose second byte is to come
};

bool Multiline(HWND hwnd) { return (static_cast<DWORD>(GetWindowLongPtr(hwnd, GWL_STYLE)) & ES_MULTILINE) != 0; }
bool ReadOnly(HWND hwnd) { return (static_cast<DWORD>(GetWindowLongPtr(hwnd, GWL_STYLE)) & ES_READONLY) != 0; }

std::size_t NextChar(const std::string& text, std::size_t pos) {
  if (pos >= text.size()) return text.size();
  const bool pair = text::IsLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size();
  return pos + (pair ? 2 : 1);
}

std::size_t LineStart(const std::string& text, std::size_t pos) {
  // A line feed is never the second byte of a double-byte character (those are 0x41 and above).
  std::size_t feed = pos == 0 ? std::string::npos : text.rfind('\n', pos - 1);
  return feed == std::string::npos ? 0 : feed + 1;
}

std::size_t LineEnd(const std::string& text, std::size_t pos) {
  std::size_t feed = text.find('\n', pos);
  return feed == std::string::npos ? text.size() : feed;
}

std::size_t PrevChar(const std::string& text, std::size_t pos) {
  if (pos == 0) return 0;
  if (text[pos - 1] == '\n') return pos - 1;
  std::size_t at = LineStart(text, pos);
  while (NextChar(text, at) < pos) at = NextChar(text, at);
  return at;
}

// The characters from `from` up to `to`.
int CharCount(const std::string& text, std::size_t from, std::size_t to) {
  int count = 0;
  for (std::size_t at = from; at < to; at = NextChar(text, at)) ++count;
  return count;
}

int LineIndex(const std::string& text, std::size_t pos) {
  return static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(pos), '\n'));
}

// The start of line `line` (0 is the first), or the text's end when it has fewer lines.
std::size_t StartOfLine(const std::string& text, int line) {
  std::size_t at = 0;
  for (int i = 0; i < line; ++i) {
    std::size_t feed = text.find('\n', at);
    if (feed == std::string::npos) return text.size();
    at = feed + 1;
  }
  return at;
}

// A context over the box with its font selected, for measuring.
class Measure {
 public:
  explicit Measure(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {
    if (dc_) old_ = dc_->SelectObject(ControlFont(hwnd));
  }
  ~Measure() {
    if (!dc_) return;
    if (old_) dc_->SelectObject(old_);
    ReleaseDC(hwnd_, dc_);
  }
  Measure(const Measure&) = delete;
  Measure& operator=(const Measure&) = delete;
  int Width(const std::string& text) const { return dc_ && !text.empty() ? dc_->GetTextExtent(text).cx : 0; }

 private:
  HWND hwnd_;
  HDC dc_;
  gdi::CFont* old_ = nullptr;
};

int LineHeight(HWND hwnd) { return FontLineHeight(ControlFont(hwnd)); }

// Scrolls so that the caret is inside the client area.
void ShowCaret(HWND hwnd, EditState& state, const std::string& text) {
  RECT client{};
  GetClientRect(hwnd, &client);
  const int width = std::max(1, client.right - 2 * kPadding);
  Measure measure(hwnd);
  const std::size_t start = LineStart(text, state.caret);
  const int x = measure.Width(text.substr(start, state.caret - start));
  if (x < state.scrollX) state.scrollX = std::max(0, x - width / 3);
  if (x > state.scrollX + width - 1) state.scrollX = x - width + 1 + width / 3;
  if (Multiline(hwnd)) {
    const int visible = std::max(1, (client.bottom - 2 * kPadding) / std::max(1, LineHeight(hwnd)));
    const int line = LineIndex(text, state.caret);
    if (line < state.topLine) state.topLine = line;
    if (line >= state.topLine + visible) state.topLine = line - visible + 1;
  }
}

void Changed(HWND hwnd, EditState& state, const std::string& text) {
  DefWindowProc(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  ShowCaret(hwnd, state, text);
  InvalidateRect(hwnd, nullptr, TRUE);
  if (HWND parent = GetParent(hwnd))
    SendMessage(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(hwnd)), EN_CHANGE),
                reinterpret_cast<LPARAM>(hwnd));
}

void MoveCaret(HWND hwnd, EditState& state, const std::string& text, std::size_t to) {
  state.caret = std::min(to, text.size());
  ShowCaret(hwnd, state, text);
  InvalidateRect(hwnd, nullptr, TRUE);
}

// The caret position on `line` `chars` characters in, or at the line's end when it is shorter.
std::size_t OnLine(const std::string& text, int line, int chars) {
  std::size_t at = StartOfLine(text, line);
  const std::size_t end = LineEnd(text, at);
  for (int i = 0; i < chars && at < end; ++i) at = NextChar(text, at);
  return at;
}

void Char(HWND hwnd, EditState& state, WPARAM code) {
  if (ReadOnly(hwnd) || !IsWindowEnabled(hwnd)) return;
  std::string text = GetWindowText(hwnd);
  state.caret = std::min(state.caret, text.size());
  if (code < 0x80 || code > 0xFF) state.lead = 0;  // a lead byte without its second byte is dropped
  if (code == VK_BACK) {
    if (state.caret == 0) return;
    const std::size_t from = PrevChar(text, state.caret);
    text.erase(from, state.caret - from);
    state.caret = from;
    Changed(hwnd, state, text);
    return;
  }
  std::string typed;
  if (code >= 0x80 && code <= 0xFF) {
    const auto byte = static_cast<unsigned char>(code);
    if (state.lead) {
      typed = {static_cast<char>(state.lead), static_cast<char>(byte)};
      state.lead = 0;
    } else if (text::IsLeadByte(byte)) {
      state.lead = byte;
      return;
    } else {
      return;  // a byte that starts no character of the code page
    }
  } else if (code == VK_RETURN) {
    if (!Multiline(hwnd)) return;
    typed = "\n";
  } else if (code < 0x20 || code == 0x7F || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
    return;  // other control characters (Tab among them) are not text
  } else if (code < 0x80) {
    typed = std::string(1, static_cast<char>(code));
  } else {
    std::u16string utf16;
    if (code >= 0x10000) {
      const auto rest = static_cast<char32_t>(code - 0x10000);
      utf16 = {static_cast<char16_t>(0xD800 + (rest >> 10)), static_cast<char16_t>(0xDC00 + (rest & 0x3FF))};
    } else {
      utf16 = {static_cast<char16_t>(code)};
    }
    typed = text::Utf16ToCp949(utf16);  // a character the code page lacks becomes '?'
  }
  text.insert(state.caret, typed);
  state.caret += typed.size();
  Changed(hwnd, state, text);
}

void KeyDown(HWND hwnd, EditState& state, WPARAM key) {
  std::string text = GetWindowText(hwnd);
  const std::size_t caret = std::min(state.caret, text.size());
  switch (key) {
    case VK_LEFT: MoveCaret(hwnd, state, text, PrevChar(text, caret)); break;
    case VK_RIGHT: MoveCaret(hwnd, state, text, NextChar(text, caret)); break;
    case VK_HOME: MoveCaret(hwnd, state, text, LineStart(text, caret)); break;
    case VK_END: MoveCaret(hwnd, state, text, LineEnd(text, caret)); break;
    case VK_UP:
    case VK_DOWN: {
      if (!Multiline(hwnd)) break;
      const int line = LineIndex(text, caret);
      const int lines = LineIndex(text, text.size()) + 1;
      const int target = key == VK_UP ? line - 1 : line + 1;
      if (target < 0 || target >= lines) break;
      MoveCaret(hwnd, state, text, OnLine(text, target, CharCount(text, LineStart(text, caret), caret)));
      break;
    }
    case VK_DELETE:
      if (ReadOnly(hwnd) || caret >= text.size()) break;
      text.erase(caret, NextChar(text, caret) - caret);
      state.caret = caret;
      Changed(hwnd, state, text);
      break;
    default: break;
  }
}

// The caret position nearest to a client point.
std::size_t PositionAt(HWND hwnd, const EditState& state, const std::string& text, POINT point) {
  int line = 0;
  if (Multiline(hwnd)) line = std::max(0, state.topLine + (point.y - kPadding) / std::max(1, LineHeight(hwnd)));
  line = std::min(line, LineIndex(text, text.size()));
  std::size_t at = StartOfLine(text, line);
  const std::size_t start = at;
  const std::size_t end = LineEnd(text, at);
  const int x = point.x - kPadding + state.scrollX;
  Measure measure(hwnd);
  int before = 0;
  while (at < end) {
    const std::size_t next = NextChar(text, at);
    const int after = measure.Width(text.substr(start, next - start));
    if (x < (before + after) / 2) break;
    before = after;
    at = next;
  }
  return at;
}

void Paint(HWND hwnd, EditState& state) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (!dc) return;
  RECT client{};
  GetClientRect(hwnd, &client);
  const bool enabled = IsWindowEnabled(hwnd);
  dc->FillSolidRect(client, gdi::GetSysColor(enabled && !ReadOnly(hwnd) ? gdi::COLOR_WINDOW : gdi::COLOR_BTNFACE));
  gdi::CFont* old = dc->SelectObject(ControlFont(hwnd));
  dc->SetBkMode(gdi::TRANSPARENT);
  const COLORREF ink = gdi::GetSysColor(enabled ? gdi::COLOR_WINDOWTEXT : gdi::COLOR_GRAYTEXT);
  dc->SetTextColor(ink);
  const std::string text = GetWindowText(hwnd);
  const int lineHeight = std::max(1, LineHeight(hwnd));
  const bool multiline = Multiline(hwnd);
  // One line sits in the middle of its box; several start at the top.
  const int top = multiline ? kPadding : std::max(0, (client.bottom - lineHeight) / 2);
  RECT inner{kPadding, 0, client.right - kPadding, client.bottom};
  dc->IntersectClipRect(inner);
  const std::size_t caret = std::min(state.caret, text.size());
  int y = top;
  for (std::size_t at = multiline ? StartOfLine(text, state.topLine) : 0; y < client.bottom; y += lineHeight) {
    const std::size_t end = LineEnd(text, at);
    const std::string line = text.substr(at, end - at);
    if (!line.empty()) dc->TextOut(kPadding - state.scrollX, y, line);
    if (GetFocus() == hwnd && caret >= at && caret <= end) {
      const int x = kPadding - state.scrollX + (caret > at ? dc->GetTextExtent(text.substr(at, caret - at)).cx : 0);
      dc->FillSolidRect(RECT{x, y, x + 1, y + lineHeight}, ink);
    }
    if (end >= text.size() || !multiline) break;
    at = end + 1;
  }
  if (old) dc->SelectObject(old);
  EndPaint(hwnd, &ps);
}

void NotifyFocus(HWND hwnd, WORD code) {
  if (HWND parent = GetParent(hwnd))
    SendMessage(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(hwnd)), code),
                reinterpret_cast<LPARAM>(hwnd));
}

}  // namespace

LRESULT EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto state = ControlOf<EditState>(hwnd);
  switch (msg) {
    case WM_NCCREATE:
      SetControl(hwnd, std::make_shared<EditState>());
      return DefWindowProc(hwnd, msg, wParam, lParam);
    case WM_CREATE:
      if (state) state->caret = 0;
      return 0;
    case WM_SETTEXT: {
      LRESULT result = DefWindowProc(hwnd, msg, wParam, lParam);
      if (state) {
        const std::string text = GetWindowText(hwnd);
        state->scrollX = 0;
        state->topLine = 0;
        state->caret = text.size();
        ShowCaret(hwnd, *state, text);
      }
      InvalidateRect(hwnd, nullptr, TRUE);
      return result;
    }
    case WM_CHAR:
      if (state) Char(hwnd, *state, wParam);
      return 0;
    case WM_KEYDOWN:
      if (state) KeyDown(hwnd, *state, wParam);
      return 0;
    case WM_LBUTTONDOWN:
      if (!IsWindowEnabled(hwnd)) return 0;
      if (GetFocus() != hwnd) SetFocus(hwnd);
      if (state) {
        const std::string text = GetWindowText(hwnd);
        MoveCaret(hwnd, *state, text,
                  PositionAt(hwnd, *state, text, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}));
      }
      return 0;
    case EM_GETSEL: {
      const auto caret = static_cast<DWORD>(state ? state->caret : 0);
      if (wParam) *reinterpret_cast<DWORD*>(wParam) = caret;
      if (lParam) *reinterpret_cast<DWORD*>(lParam) = caret;
      return MAKELRESULT(static_cast<WORD>(caret), static_cast<WORD>(caret));
    }
    case EM_SETSEL:
      if (state) {
        const std::string text = GetWindowText(hwnd);
        // The caret goes to the selection's end (-1: the text's end), on a character's start.
        const auto wanted = static_cast<std::size_t>(lParam < 0 ? text.size() : static_cast<std::size_t>(lParam));
        std::size_t at = 0;
        while (at < text.size() && NextChar(text, at) <= wanted) at = NextChar(text, at);
        MoveCaret(hwnd, *state, text, std::min(wanted, text.size()) == text.size() ? text.size() : at);
      }
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRect(hwnd, nullptr, TRUE);
      NotifyFocus(hwnd, msg == WM_SETFOCUS ? EN_SETFOCUS : EN_KILLFOCUS);
      return 0;
    case WM_SIZE:
      if (state) ShowCaret(hwnd, *state, GetWindowText(hwnd));
      return DefWindowProc(hwnd, msg, wParam, lParam);
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_PAINT:
      if (state) Paint(hwnd, *state);
      return 0;
    default: return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

}  // namespace plat::win::detail
