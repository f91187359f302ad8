// The page's window: its text painted, its form controls and objects placed by the flow layout, its
// buttons running their onclick scripts, and its keys.
#include "host/PageWindow.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <mutex>

#include "host/PageRunner.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/syscolor.h"
#include "platform/text/text.h"
#include "platform/win/backend.h"
#include "platform/win/input.h"
#include "platform/win/message.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace drev::host {

namespace pw = plat::win;
namespace gdi = plat::gdi;
using plat::LPARAM;
using plat::LRESULT;
using plat::UINT;
using plat::WPARAM;

namespace {

constexpr const char* kPageClass = "DrevPageWindow";
constexpr const char* kPageProp = "DrevPageWindow";
constexpr plat::DWORD kPageStyle = pw::WS_OVERLAPPED | pw::WS_CAPTION | pw::WS_SYSMENU | pw::WS_CLIPCHILDREN;
constexpr int kFirstControlId = 1000;
constexpr int kDefaultWidth = kViewportWidth;
constexpr int kMinHeight = 100;
constexpr int kMaxHeight = 1000;
// Character heights of the body text and of <h1> to <h6>, in pixels.
constexpr int kFontHeights[] = {12, 24, 19, 16, 14, 12, 11};

void RegisterPageClass() {
  static std::once_flag once;
  std::call_once(once, [] {
    pw::WNDCLASSA wc;
    wc.lpfnWndProc = &PageWindow::Proc;
    wc.background = gdi::COLOR_WINDOW + 1;
    wc.lpszClassName = kPageClass;
    pw::RegisterClass(wc);
  });
}

std::string Ansi(const std::string& utf8) { return plat::text::Utf8ToCp949(utf8); }

// The first window under `hwnd` (itself included) that Tab stops at.
pw::HWND FirstTabStop(pw::HWND hwnd) {
  if (!hwnd || !pw::IsWindowVisible(hwnd) || !pw::IsWindowEnabled(hwnd)) return nullptr;
  if (static_cast<plat::DWORD>(pw::GetWindowLongPtr(hwnd, pw::GWL_STYLE)) & pw::WS_TABSTOP) return hwnd;
  for (pw::HWND child = pw::GetWindow(hwnd, pw::GW_CHILD); child; child = pw::GetWindow(child, pw::GW_HWNDNEXT))
    if (pw::HWND found = FirstTabStop(child)) return found;
  return nullptr;
}

}  // namespace

PageWindow::PageWindow(const Page& page, PageOutput& output, Options options)
    : page_(page), output_(output), options_(options) {
  RegisterPageClass();
  const gdi::LOGFONT& base = gdi::DefaultGuiLogFont();
  for (int level = 0; level <= 6; ++level) {
    gdi::LOGFONT lf = base;
    lf.lfHeight = -kFontHeights[level];
    if (level > 0) lf.lfWeight = gdi::FW_BOLD;
    auto font = std::make_unique<gdi::CFont>();
    font->CreateFontIndirect(lf);
    fonts_.push_back(std::move(font));
  }
  std::string title = page.title;
  if (title.empty()) title = std::filesystem::path(page.path).filename().string();
  plat::RECT frame{0, 0, kDefaultWidth, kMinHeight};
  pw::AdjustWindowRectEx(&frame, kPageStyle, plat::FALSE, 0);
  hwnd_ = pw::CreateWindowEx(0, kPageClass, Ansi(title).c_str(), kPageStyle, 0, 0, frame.right - frame.left,
                             frame.bottom - frame.top, nullptr, 0, this);
  if (hwnd_) pw::SetProp(hwnd_, kPageProp, this);
}

PageWindow::~PageWindow() {
  output_.onAlert = nullptr;
  output_.onScriptError = nullptr;
  if (hwnd_) {
    pw::RemoveProp(hwnd_, kPageProp);
    pw::DestroyWindow(hwnd_);
  }
}

LRESULT PageWindow::Proc(pw::HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* page = static_cast<PageWindow*>(pw::GetProp(hwnd, kPageProp));
  if (!page) return pw::DefWindowProc(hwnd, msg, wParam, lParam);
  return page->Handle(msg, wParam, lParam);
}

LRESULT PageWindow::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case pw::WM_CLOSE:
      // While a message box or a dialog holds the page, the page stays.
      if (!pw::IsWindowEnabled(hwnd_)) return 0;
      if (!closed_) {
        closed_ = true;
        pw::ShowWindow(hwnd_, pw::SW_HIDE);
        pw::PostQuitMessage(0);
      }
      return 0;
    case pw::WM_SIZE:
      if (runner_) LayOut();
      return 0;
    case pw::WM_COMMAND: {
      const int id = plat::LOWORD(wParam) - kFirstControlId;
      if (plat::HIWORD(wParam) == pw::BN_CLICKED && id >= 0 && static_cast<std::size_t>(id) < controls_.size())
        Clicked(static_cast<std::size_t>(id));
      return 0;
    }
    case pw::WM_PAINT: Paint(); return 0;
    default: return pw::DefWindowProc(hwnd_, msg, wParam, lParam);
  }
}

void PageWindow::Attach(PageRunner& runner) {
  runner_ = &runner;
  ScriptEngine& engine = runner.Engine();
  output_.onScriptError = [this](int line, const std::string& message) { ShowScriptError(line, message); };
  if (options_.alertBoxes) {
    output_.onAlert = [this](const std::string& text) {
      std::string title = page_.title.empty() ? std::string("drevhost") : page_.title;
      pw::MessageBoxA(hwnd_, Ansi(text).c_str(), Ansi(title).c_str(), pw::MB_OK | pw::MB_ICONEXCLAMATION);
    };
  }
  engine.SetCloseHandler([this] { pw::PostMessage(hwnd_, pw::WM_CLOSE, 0, 0); });

  // The words in the code page the drawing takes, and each piece's size.
  gdi::CDC measure;
  measure.CreateCompatibleDC(nullptr);
  words_.assign(page_.flow.size(), std::string());
  sizes_.assign(page_.flow.size(), plat::SIZE{});
  spaces_.assign(page_.flow.size(), 0);
  std::vector<int> lineHeights, averages;
  for (const auto& font : fonts_) {
    measure.SelectObject(font.get());
    gdi::TEXTMETRIC metrics{};
    measure.GetTextMetrics(&metrics);
    lineHeights.push_back(std::max<int>(measure.GetTextExtent("Ag").cy, 1));
    averages.push_back(std::max<int>(metrics.tmAveCharWidth, 1));
  }
  const int bodyLine = lineHeights[0];
  const int average = averages[0];

  // The form controls, as child windows in document order.
  controls_.assign(page_.controls.size(), nullptr);
  onclick_.assign(page_.controls.size(), -1);
  hidden_.clear();
  for (const PageControl& control : page_.controls) hidden_.push_back(control.value);
  for (std::size_t i = 0; i < page_.controls.size(); ++i) {
    const PageControl& control = page_.controls[i];
    const int id = kFirstControlId + static_cast<int>(i);
    const std::string text = Ansi(control.value);
    pw::HWND window = nullptr;
    plat::SIZE size{};
    measure.SelectObject(fonts_[0].get());
    switch (control.kind) {
      case PageControl::Kind::kButton:
        size = {std::max<int>(measure.GetTextExtent(text).cx + 20, 64), bodyLine + 10};
        window = pw::CreateWindowEx(0, "Button", text.c_str(),
                                    pw::WS_CHILD | pw::WS_VISIBLE | pw::WS_TABSTOP | pw::BS_PUSHBUTTON, 0, 0, size.cx,
                                    size.cy, hwnd_, static_cast<pw::UINT_PTR>(id), nullptr);
        if (!control.onclick.empty())
          if (auto ref = engine.CompileHandler({"event"}, control.onclick, control.line)) onclick_[i] = *ref;
        break;
      case PageControl::Kind::kTextInput:
        size = {control.size * average + 8, bodyLine + 8};
        window = pw::CreateWindowEx(pw::WS_EX_CLIENTEDGE, "Edit", text.c_str(),
                                    pw::WS_CHILD | pw::WS_VISIBLE | pw::WS_TABSTOP | pw::ES_AUTOHSCROLL, 0, 0, size.cx,
                                    size.cy, hwnd_, static_cast<pw::UINT_PTR>(id), nullptr);
        break;
      case PageControl::Kind::kTextArea:
        size = {control.cols * average + 8, control.rows * bodyLine + 8};
        window = pw::CreateWindowEx(pw::WS_EX_CLIENTEDGE, "Edit", text.c_str(),
                                    pw::WS_CHILD | pw::WS_VISIBLE | pw::WS_TABSTOP | pw::ES_MULTILINE, 0, 0, size.cx,
                                    size.cy, hwnd_, static_cast<pw::UINT_PTR>(id), nullptr);
        break;
      case PageControl::Kind::kHidden: break;
    }
    if (window) {
      pw::SendMessage(window, pw::WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[0].get()), plat::FALSE);
      // A text set while the box was made leaves the caret at its start, as a browser does.
      pw::SendMessage(window, pw::EM_SETSEL, 0, 0);
    }
    controls_[i] = window;
  }
  runner.SetControlBinder([this](std::size_t i) -> ScriptEngine::ElementValue {
    if (!controls_[i])
      return {[this, i] { return hidden_[i]; }, [this, i](const std::string& value) { hidden_[i] = value; }};
    pw::HWND window = controls_[i];
    return {[window] { return plat::text::Cp949ToUtf8(pw::GetWindowText(window)); },
            [window](const std::string& value) { pw::SetWindowText(window, Ansi(value)); }};
  });

  for (std::size_t i = 0; i < page_.flow.size(); ++i) {
    const FlowItem& item = page_.flow[i];
    switch (item.kind) {
      case FlowItem::Kind::kWord: {
        const int level = std::clamp(item.heading, 0, 6);
        measure.SelectObject(fonts_[static_cast<std::size_t>(level)].get());
        words_[i] = Ansi(item.text);
        sizes_[i] = {measure.GetTextExtent(words_[i]).cx, lineHeights[static_cast<std::size_t>(level)]};
        spaces_[i] = measure.GetTextExtent(" ").cx;
        break;
      }
      case FlowItem::Kind::kObject: {
        const PageObject& object = page_.objects[static_cast<std::size_t>(item.index)];
        sizes_[i] = {object.width, object.height};
        spaces_[i] = measure.GetTextExtent(" ").cx;
        break;
      }
      case FlowItem::Kind::kControl: {
        plat::RECT rect{};
        if (pw::HWND window = controls_[static_cast<std::size_t>(item.index)]) pw::GetWindowRect(window, &rect);
        sizes_[i] = {rect.right - rect.left, rect.bottom - rect.top};
        measure.SelectObject(fonts_[0].get());
        spaces_[i] = measure.GetTextExtent(" ").cx;
        break;
      }
      case FlowItem::Kind::kBreak: break;
    }
  }
  emptyLine_ = bodyLine;

  // The page is as wide as its widest piece needs, 800 pixels at least.
  plat::RECT client{};
  pw::GetClientRect(hwnd_, &client);
  placement_ = LayOutFlow(page_.flow, client.right, Metrics());
  if (placement_.width > client.right) Resize(placement_.width, client.bottom);
  LayOut();
}

FlowMetrics PageWindow::Metrics() const {
  FlowMetrics metrics;
  metrics.size = [this](const FlowItem& item) { return sizes_[static_cast<std::size_t>(&item - page_.flow.data())]; };
  metrics.space = [this](const FlowItem& item) { return spaces_[static_cast<std::size_t>(&item - page_.flow.data())]; };
  metrics.emptyLine = emptyLine_;
  return metrics;
}

void PageWindow::Resize(int clientWidth, int clientHeight) {
  plat::RECT frame{0, 0, clientWidth, clientHeight};
  pw::AdjustWindowRectEx(&frame, kPageStyle, plat::FALSE, 0);
  plat::RECT now{};
  pw::GetWindowRect(hwnd_, &now);
  pw::MoveWindow(hwnd_, now.left, now.top, frame.right - frame.left, frame.bottom - frame.top, plat::TRUE);
}

void PageWindow::LayOut() {
  if (!runner_) return;
  plat::RECT client{};
  pw::GetClientRect(hwnd_, &client);
  placement_ = LayOutFlow(page_.flow, client.right, Metrics());
  for (std::size_t i = 0; i < page_.flow.size(); ++i) {
    const FlowItem& item = page_.flow[i];
    const plat::RECT& box = placement_.boxes[i];
    pw::HWND window = nullptr;
    if (item.kind == FlowItem::Kind::kControl) window = controls_[static_cast<std::size_t>(item.index)];
    if (item.kind == FlowItem::Kind::kObject)
      if (ControlHost* host = runner_->ObjectOf(static_cast<std::size_t>(item.index))) window = host->HostWindow();
    if (window) pw::MoveWindow(window, box.left, box.top, box.right - box.left, box.bottom - box.top, plat::TRUE);
  }
  pw::InvalidateRect(hwnd_, nullptr, plat::TRUE);
}

void PageWindow::Show() {
  plat::RECT client{};
  pw::GetClientRect(hwnd_, &client);
  Resize(client.right, std::clamp(placement_.height, kMinHeight, kMaxHeight));
  pw::ShowWindow(hwnd_, pw::SW_SHOW);
  pw::UpdateWindow(hwnd_);
}

void PageWindow::Paint() {
  plat::win::PAINTSTRUCT ps;
  pw::HDC dc = pw::BeginPaint(hwnd_, &ps);
  if (!dc) return;
  gdi::CFont* old = dc->SelectObject(fonts_[0].get());
  dc->SetBkMode(gdi::TRANSPARENT);
  dc->SetTextColor(gdi::GetSysColor(gdi::COLOR_WINDOWTEXT));
  for (std::size_t i = 0; i < page_.flow.size() && i < words_.size() && i < placement_.boxes.size(); ++i) {
    const FlowItem& item = page_.flow[i];
    if (item.kind != FlowItem::Kind::kWord) continue;
    dc->SelectObject(fonts_[static_cast<std::size_t>(std::clamp(item.heading, 0, 6))].get());
    dc->TextOut(placement_.boxes[i].left, placement_.boxes[i].top, words_[i]);
  }
  if (old) dc->SelectObject(old);
  pw::EndPaint(hwnd_, &ps);
}

void PageWindow::Clicked(std::size_t control) {
  if (page_.controls[control].kind != PageControl::Kind::kButton) return;
  pw::HWND button = controls_[control];
  if (pw::GetFocus() != button) pw::SetFocus(button);
  if (onclick_[control] >= 0 && runner_) runner_->Engine().CallHandler(onclick_[control], {});
  // A dialog the handler ran (the upload's progress, a message box) took the focus and gave it to
  // nobody when it went: the pressed button has it again, so that the keys go on from there.
  const pw::HWND focus = pw::GetFocus();
  if (!closed_ && pw::IsWindow(button) && pw::IsWindowVisible(hwnd_) && pw::IsWindowEnabled(hwnd_) &&
      (!focus || (focus != hwnd_ && !pw::IsChild(hwnd_, focus))))
    pw::SetFocus(button);
}

void PageWindow::ShowScriptError(int line, const std::string& message) {
  const std::string text = "script error at line " + std::to_string(line) + ": " + message;
  std::fprintf(stderr, "drevhost: %s: %s\n", std::filesystem::path(page_.path).filename().string().c_str(),
               text.c_str());
  if (inError_ || !hwnd_) return;  // an error while its box is up is told on standard error only
  inError_ = true;
  pw::MessageBoxA(hwnd_, Ansi(text).c_str(), "drevhost", pw::MB_OK | pw::MB_ICONEXCLAMATION);
  inError_ = false;
}

std::vector<pw::HWND> PageWindow::FocusOrder() const {
  std::vector<pw::HWND> order;
  for (const FlowItem& item : page_.flow) {
    pw::HWND stop = nullptr;
    if (item.kind == FlowItem::Kind::kControl) stop = FirstTabStop(controls_[static_cast<std::size_t>(item.index)]);
    if (item.kind == FlowItem::Kind::kObject && runner_)
      if (ControlHost* host = runner_->ObjectOf(static_cast<std::size_t>(item.index)))
        stop = FirstTabStop(host->HostWindow());
    if (stop) order.push_back(stop);
  }
  return order;
}

bool PageWindow::TranslateKey(const pw::MSG& msg) {
  if (!hwnd_ || (msg.hwnd != hwnd_ && !pw::IsChild(hwnd_, msg.hwnd))) return false;
  const bool down = msg.message == pw::WM_KEYDOWN;
  const bool onButton =
      std::find(controls_.begin(), controls_.end(), msg.hwnd) != controls_.end() &&
      page_.controls[static_cast<std::size_t>(std::find(controls_.begin(), controls_.end(), msg.hwnd) - controls_.begin())]
              .kind == PageControl::Kind::kButton;
  if (msg.message == pw::WM_CHAR &&
      (msg.wParam == pw::VK_TAB || (onButton && (msg.wParam == pw::VK_RETURN || msg.wParam == pw::VK_SPACE))))
    return true;
  if (!down) return false;
  if (msg.wParam == pw::VK_TAB) {
    std::vector<pw::HWND> order = FocusOrder();
    if (order.empty()) return true;
    const pw::HWND focus = pw::GetFocus();
    std::ptrdiff_t at = -1;
    for (std::size_t i = 0; i < order.size(); ++i) {
      pw::HWND top = order[i];
      // Focus inside an object counts as the object's.
      for (pw::HWND w = order[i]; w && w != hwnd_; w = pw::GetParent(w)) top = w;
      if (focus == order[i] || focus == top || pw::IsChild(top, focus)) at = static_cast<std::ptrdiff_t>(i);
    }
    // Shift as the keyboard had it when this Tab was taken from the queue.
    const bool back = (pw::GetKeyState(pw::VK_SHIFT) & 0x8000) != 0;
    const auto count = static_cast<std::ptrdiff_t>(order.size());
    std::ptrdiff_t next = at < 0 ? (back ? count - 1 : 0) : (at + (back ? count - 1 : 1)) % count;
    pw::SetFocus(order[static_cast<std::size_t>(next)]);
    return true;
  }
  if (onButton && (msg.wParam == pw::VK_RETURN || msg.wParam == pw::VK_SPACE)) {
    pw::SendMessage(msg.hwnd, pw::BM_CLICK, 0, 0);
    return true;
  }
  return false;
}

int PageWindow::RunUntilClosed() {
  pw::MSG msg;
  while (!closed_ && pw::GetMessage(&msg, nullptr, 0, 0)) {
    if (!TranslateKey(msg)) pw::DispatchMessage(&msg);
  }
  return 0;
}

pw::HWND PageWindow::ControlWindow(std::size_t index) const { return index < controls_.size() ? controls_[index] : nullptr; }

plat::RECT PageWindow::BoxOf(std::size_t flowIndex) const {
  return flowIndex < placement_.boxes.size() ? placement_.boxes[flowIndex] : plat::RECT{};
}

}  // namespace drev::host
