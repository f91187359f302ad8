// PageWindow: a page on screen — a top-level window titled with the page's title that shows its body
// in document order: text wrapped to the window's width, each object at its size, and the page's
// buttons and text boxes as child windows whose values scripts reach through
// document.getElementById. A form host, not a browser: styles, images, links, tables' grid, lists'
// bullets and the other kinds of input are not shown.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/HtmlPage.h"
#include "host/PageLayout.h"
#include "host/PageOutput.h"
#include "platform/win/winuser.h"

namespace plat::gdi {
class CFont;
}

namespace drev::host {

class PageRunner;

class PageWindow {
 public:
  struct Options {
    bool alertBoxes = false;  // alert() also shows a message box (a page on screen)
  };
  // Makes the page's window, hidden, at the width the page needs (800 pixels unless a piece is
  // wider). `page` and `output` must outlive the window.
  PageWindow(const Page& page, PageOutput& output, Options options);
  PageWindow(const Page& page, PageOutput& output) : PageWindow(page, output, Options{}) {}
  // Destroys the window (the page's objects must be gone first: destroy the runner before).
  ~PageWindow();
  PageWindow(const PageWindow&) = delete;
  PageWindow& operator=(const PageWindow&) = delete;

  plat::win::HWND Window() const { return hwnd_; }

  // After runner.CreateObjects(page, ..., Window()) and before runner.RunScripts(page): makes the
  // buttons and text boxes, binds their values to the script's elements, compiles the buttons'
  // onclick scripts, shows script errors (and, with alertBoxes, alerts) in message boxes, gives
  // window.close() its meaning, and lays everything out.
  void Attach(PageRunner& runner);

  // Shows the window with its size fitted to the content (at most 1000 pixels high).
  void Show();

  // The message loop until the window is closed (WM_CLOSE, window.close()); then the window is
  // hidden and the loop ends. Returns 0. Keys go through TranslateKey first.
  int RunUntilClosed();
  bool Closed() const { return closed_; }

  // The page's own keys for a message taken from the queue: Tab and Shift+Tab move the focus along
  // the page's controls and objects in document order, Enter or space on a button presses it. True
  // when the message was taken care of (it is not to be dispatched then).
  bool TranslateKey(const plat::win::MSG& msg);

  // For tests and the host: the window of form control `index` (null for a hidden input), and where
  // flow item `index` was placed (client coordinates).
  plat::win::HWND ControlWindow(std::size_t index) const;
  plat::RECT BoxOf(std::size_t flowIndex) const;
  const FlowPlacement& Placement() const { return placement_; }

  // Lays the page out again for the client width (after a resize).
  void LayOut();

  static plat::LRESULT Proc(plat::win::HWND hwnd, plat::UINT msg, plat::WPARAM wParam,
                                 plat::LPARAM lParam);

 private:
  plat::LRESULT Handle(plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam);
  void Paint();
  void Clicked(std::size_t control);
  FlowMetrics Metrics() const;
  void Resize(int clientWidth, int clientHeight);
  std::vector<plat::win::HWND> FocusOrder() const;
  void ShowScriptError(int line, const std::string& message);

  const Page& page_;
  PageOutput& output_;
  Options options_;
  PageRunner* runner_ = nullptr;
  plat::win::HWND hwnd_ = nullptr;
  std::vector<std::unique_ptr<plat::gdi::CFont>> fonts_;  // body text, then <h1> to <h6>
  std::vector<std::string> words_;                        // each flow item's word in CP949
  std::vector<plat::win::HWND> controls_;                 // per Page::controls
  std::vector<int> onclick_;                              // compiled onclick handlers, -1 for none
  std::vector<std::string> hidden_;                       // the values of hidden inputs
  std::vector<plat::SIZE> sizes_;                         // per flow item
  std::vector<int> spaces_;                               // the space before each flow item
  int emptyLine_ = 16;
  FlowPlacement placement_;
  bool closed_ = false;
  bool inError_ = false;
};

}  // namespace drev::host
