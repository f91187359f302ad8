// A page on screen, on the headless backend: the flow layout (document order, wrapping, margins),
// buttons running their onclick, text boxes' values through document.getElementById and typing,
// the page's keys, script errors that keep the window, and closing.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/HtmlPage.h"
#include "host/PageLayout.h"
#include "host/PageRunner.h"
#include "host/PageWindow.h"
#include "platform/text/text.h"
#include "platform/win/backend.h"
#include "platform/win/input.h"
#include "platform/win/message.h"
#include "platform/win/window.h"

namespace drev::host {
namespace {

namespace pw = plat::win;

// ----- the layout alone, with sizes given -----

FlowItem Word(int width, bool space = true) {
  FlowItem item;
  item.kind = FlowItem::Kind::kWord;
  item.text = std::string(static_cast<std::size_t>(width), 'x');
  item.spaceBefore = space;
  return item;
}
FlowItem Box(int width, int height) {
  FlowItem item;
  item.kind = FlowItem::Kind::kObject;
  item.text = std::to_string(width) + "x" + std::to_string(height);
  return item;
}
FlowItem Break(int margin, bool newline = false) {
  FlowItem item;
  item.kind = FlowItem::Kind::kBreak;
  item.margin = margin;
  item.newline = newline;
  return item;
}

FlowMetrics Fixed() {
  FlowMetrics metrics;
  metrics.size = [](const FlowItem& item) {
    if (item.kind == FlowItem::Kind::kObject) {
      const auto x = item.text.find('x');
      return plat::SIZE{std::stoi(item.text.substr(0, x)), std::stoi(item.text.substr(x + 1))};
    }
    return plat::SIZE{static_cast<plat::LONG>(item.text.size()), 10};
  };
  metrics.space = [](const FlowItem&) { return 5; };
  metrics.emptyLine = 10;
  return metrics;
}

TEST(PageLayoutTest, PiecesFlowInDocumentOrderAndWrapAtTheWidth) {
  // 100 wide: 84 pixels between the margins.
  std::vector<FlowItem> flow = {Word(40, false), Word(30), Word(20), Box(60, 30), Word(10, false)};
  FlowPlacement p = LayOutFlow(flow, 100, Fixed());
  EXPECT_EQ(p.boxes[0], (plat::RECT{8, 8, 48, 18}));
  EXPECT_EQ(p.boxes[1], (plat::RECT{53, 8, 83, 18}));  // after a space
  // 83 + 5 + 20 is past 92: the next line, no space. The box shares the line and makes it 30 high;
  // the word sits in its middle.
  EXPECT_EQ(p.boxes[2], (plat::RECT{8, 28, 28, 38}));
  EXPECT_EQ(p.boxes[3], (plat::RECT{28, 18, 88, 48}));
  EXPECT_EQ(p.boxes[4], (plat::RECT{8, 48, 18, 58}));
  EXPECT_EQ(p.height, 58 + kPageMargin);
  EXPECT_EQ(p.width, 88 + kPageMargin);
  // A piece wider than the page has a line of its own and overflows it.
  FlowPlacement wide = LayOutFlow({Word(10), Box(300, 20), Word(10)}, 100, Fixed());
  EXPECT_EQ(wide.boxes[1].top, 18);
  EXPECT_EQ(wide.boxes[2].top, 38);
  EXPECT_EQ(wide.width, 308 + kPageMargin);
}

TEST(PageLayoutTest, BreaksEndLinesAndTheirMarginsMeetAsTheLargest) {
  std::vector<FlowItem> flow = {Break(16), Word(10), Break(16), Break(10), Word(10), Break(0, true),
                                Break(0, true), Word(10), Break(10)};
  FlowPlacement p = LayOutFlow(flow, 200, Fixed());
  EXPECT_EQ(p.boxes[1].top, 8);        // no margin above the first line
  EXPECT_EQ(p.boxes[4].top, 18 + 16);  // 16 and 10 meet as 16
  // The first <br> ends the line, the second stands on an empty line of its own.
  EXPECT_EQ(p.boxes[7].top, 44 + 10);
  EXPECT_EQ(p.height, 64 + kPageMargin);  // a margin below the last line is not kept
}

// ----- the window -----

class PageWindowTest : public ::testing::Test {
 protected:
  PageWindowTest() : file_(std::tmpfile()), output_(file_) { pw::ClearMessageBoxLog(); }
  ~PageWindowTest() override {
    runner_.reset();
    window_.reset();
    std::fclose(file_);
  }

  void Open(const std::string& html) {
    page_ = ParsePage(html, "/pages");
    page_.path = "/pages/page.html";
    window_ = std::make_unique<PageWindow>(page_, output_);
    runner_ = std::make_unique<PageRunner>(output_);
    CreateFailure failure = CreateFailure::kNone;
    std::string error;
    ASSERT_TRUE(runner_->CreateObjects(page_, &failure, &error, window_->Window())) << error;
    window_->Attach(*runner_);
    window_->Show();
    runner_->RunScripts(page_);
    pw::PumpPendingMessages();
  }
  std::vector<std::string> Lines() {
    std::fflush(file_);
    std::rewind(file_);
    std::vector<std::string> lines;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, file_)) {
      std::string line(buffer);
      if (!line.empty() && line.back() == '\n') line.pop_back();
      lines.push_back(line);
    }
    return lines;
  }
  std::string Eval(const std::string& source) {
    bool ok = false;
    auto text = runner_->Engine().Eval(source, &ok);
    EXPECT_TRUE(ok) << source;
    return text.value_or("<undefined>");
  }
  // A key as the screen queues it, taken from the queue (which notes the keyboard's state) and put
  // through the page's loop step.
  void Key(pw::HWND target, plat::UINT message, plat::WPARAM value) {
    ASSERT_TRUE(pw::PostMessage(target, message, value, 0));
    pw::MSG msg;
    while (pw::PeekMessage(&msg, nullptr, 0, 0, pw::PM_REMOVE)) {
      if (!window_->TranslateKey(msg)) pw::DispatchMessage(&msg);
      if (msg.hwnd == target && msg.message == message && msg.wParam == value) break;
    }
  }
  int FlowIndexOf(FlowItem::Kind kind, int index) const {
    for (std::size_t i = 0; i < page_.flow.size(); ++i)
      if (page_.flow[i].kind == kind && page_.flow[i].index == index) return static_cast<int>(i);
    return -1;
  }

  std::FILE* file_;
  PageOutput output_;
  Page page_;
  std::unique_ptr<PageWindow> window_;
  std::unique_ptr<PageRunner> runner_;
};

constexpr const char* kForm = R"html(<html><head><title>글쓰기 페이지</title></head><body>
<h1>글쓰기</h1>
<p>제목 <input id="title" value="주간 회의록" size="30"> <input type="hidden" id="token" value="t1"></p>
<object id="box" width="320" height="120"></object>
<p><textarea id="memo" rows="3" cols="30">첫 줄</textarea></p>
<p><button id="go" onclick="alert('go ' + document.getElementById('title').value); return false;">보내기</button>
<input type="button" id="bad" value="Bad" onclick="noSuchFunction();">
<input type="submit" id="close" onclick="window.close()"></p>
</body></html>)html";

TEST_F(PageWindowTest, TheWindowIsTitledAndLaysTheBodyOutInDocumentOrder) {
  Open(kForm);
  EXPECT_EQ(plat::text::Cp949ToUtf8(pw::GetWindowText(window_->Window())), "글쓰기 페이지");
  EXPECT_TRUE(pw::IsWindowVisible(window_->Window()));
  const plat::RECT heading = window_->BoxOf(static_cast<std::size_t>(FlowIndexOf(FlowItem::Kind::kWord, -1)));
  const plat::RECT title = window_->BoxOf(static_cast<std::size_t>(FlowIndexOf(FlowItem::Kind::kControl, 0)));
  const plat::RECT object = window_->BoxOf(static_cast<std::size_t>(FlowIndexOf(FlowItem::Kind::kObject, 0)));
  const plat::RECT memo = window_->BoxOf(static_cast<std::size_t>(FlowIndexOf(FlowItem::Kind::kControl, 2)));
  const plat::RECT go = window_->BoxOf(static_cast<std::size_t>(FlowIndexOf(FlowItem::Kind::kControl, 3)));
  const plat::RECT bad = window_->BoxOf(static_cast<std::size_t>(FlowIndexOf(FlowItem::Kind::kControl, 4)));
  EXPECT_LT(heading.bottom, title.top);
  EXPECT_LE(title.bottom, object.top);
  EXPECT_LE(object.bottom, memo.top);
  EXPECT_LE(memo.bottom, go.top);
  EXPECT_EQ(bad.top, go.top);  // buttons of one paragraph share a line
  EXPECT_GT(bad.left, go.right);
  EXPECT_EQ(object.right - object.left, 320);
  EXPECT_EQ(object.bottom - object.top, 120);
  // Each control's window is where the layout put it, at its size.
  plat::RECT placed{};
  pw::GetWindowRect(window_->ControlWindow(2), &placed);
  plat::POINT origin{placed.left, placed.top};
  pw::ScreenToClient(window_->Window(), &origin);
  EXPECT_EQ(origin.x, memo.left);
  EXPECT_EQ(origin.y, memo.top);
  EXPECT_EQ(window_->ControlWindow(1), nullptr);  // the hidden input has none
  // The content fits: the window is as high as the last line's bottom and its margin.
  plat::RECT client{};
  pw::GetClientRect(window_->Window(), &client);
  EXPECT_EQ(client.bottom, window_->Placement().height);
  EXPECT_EQ(client.right, kViewportWidth);
}

TEST_F(PageWindowTest, TextWrapsToTheWindowsWidth) {
  std::string words;
  for (int i = 0; i < 60; ++i) words += "낱말" + std::to_string(i) + " ";
  Open("<html><body><p>" + words + "</p></body></html>");
  const auto lines = [&] {
    std::vector<plat::LONG> tops;
    for (std::size_t i = 0; i < page_.flow.size(); ++i) {
      if (page_.flow[i].kind != FlowItem::Kind::kWord) continue;
      const plat::RECT box = window_->BoxOf(i);
      EXPECT_LE(box.right, window_->Placement().width);
      if (tops.empty() || tops.back() != box.top) tops.push_back(box.top);
    }
    return tops.size();
  };
  const std::size_t wide = lines();
  EXPECT_GE(wide, 2u);
  pw::MoveWindow(window_->Window(), 0, 0, 300, 400, plat::TRUE);
  const std::size_t narrow = lines();
  EXPECT_GT(narrow, 2 * wide);
  plat::RECT client{};
  pw::GetClientRect(window_->Window(), &client);
  for (std::size_t i = 0; i < page_.flow.size(); ++i)
    if (page_.flow[i].kind == FlowItem::Kind::kWord) {
      EXPECT_LE(window_->BoxOf(i).right, client.right - kPageMargin);
    }
}

TEST_F(PageWindowTest, ScriptsReadAndWriteTheTextBoxesAndSeeWhatWasTyped) {
  Open(kForm);
  EXPECT_EQ(Eval("document.getElementById('title').value"), "주간 회의록");
  EXPECT_EQ(Eval("document.getElementById('memo').value"), "첫 줄");
  EXPECT_EQ(Eval("document.getElementById('token').value"), "t1");
  EXPECT_EQ(Eval("document.getElementById('go').value"), "보내기");
  Eval("document.getElementById('title').value = '새 제목'; document.getElementById('token').value = 42");
  EXPECT_EQ(pw::GetWindowText(window_->ControlWindow(0)), plat::text::Utf8ToCp949("새 제목"));
  EXPECT_EQ(Eval("document.getElementById('token').value"), "42");
  // A click in the text area gives it the focus; typed CP949 bytes and Enter come back to the script.
  pw::HWND memo = window_->ControlWindow(2);
  ASSERT_TRUE(pw::SendClick(memo, plat::POINT{200, 30}));
  EXPECT_EQ(pw::GetFocus(), memo);
  Key(memo, pw::WM_CHAR, pw::VK_RETURN);
  for (char byte : plat::text::Utf8ToCp949("둘째 줄")) Key(memo, pw::WM_CHAR, static_cast<unsigned char>(byte));
  EXPECT_EQ(Eval("document.getElementById('memo').value"), "첫 줄\n둘째 줄");
  Key(memo, pw::WM_CHAR, pw::VK_BACK);
  EXPECT_EQ(Eval("document.getElementById('memo').value"), "첫 줄\n둘째 ");
}

TEST_F(PageWindowTest, ButtonsRunTheirOnclickAndTheKeysMoveAlongTheControls) {
  Open(kForm);
  pw::HWND go = window_->ControlWindow(3);
  ASSERT_TRUE(pw::SendClick(go, plat::POINT{5, 5}));
  auto lines = Lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "alert go 주간 회의록");  // `return false` in onclick is fine
  EXPECT_EQ(pw::GetFocus(), go);
  // Tab goes on to the next control in document order, Shift+Tab back, wrapping around.
  Key(go, pw::WM_KEYDOWN, pw::VK_TAB);
  EXPECT_EQ(pw::GetFocus(), window_->ControlWindow(4));
  Key(window_->ControlWindow(4), pw::WM_KEYDOWN, pw::VK_TAB);
  Key(window_->ControlWindow(5), pw::WM_KEYDOWN, pw::VK_TAB);
  EXPECT_EQ(pw::GetFocus(), window_->ControlWindow(0));
  Key(window_->ControlWindow(0), pw::WM_KEYDOWN, pw::VK_SHIFT);
  Key(window_->ControlWindow(0), pw::WM_KEYDOWN, pw::VK_TAB);
  Key(window_->ControlWindow(5), pw::WM_KEYUP, pw::VK_SHIFT);
  EXPECT_EQ(pw::GetFocus(), window_->ControlWindow(5));
  Key(window_->ControlWindow(5), pw::WM_KEYDOWN, pw::VK_TAB);
  Key(window_->ControlWindow(0), pw::WM_CHAR, pw::VK_TAB);  // no tab character in the box
  EXPECT_EQ(pw::GetWindowText(window_->ControlWindow(0)), plat::text::Utf8ToCp949("주간 회의록"));
  Key(window_->ControlWindow(0), pw::WM_KEYDOWN, pw::VK_TAB);
  Key(window_->ControlWindow(2), pw::WM_KEYDOWN, pw::VK_TAB);
  ASSERT_EQ(pw::GetFocus(), go);
  const std::size_t before = Lines().size();
  Key(go, pw::WM_KEYDOWN, pw::VK_RETURN);  // Enter presses the focused button
  Key(go, pw::WM_KEYDOWN, pw::VK_SPACE);   // so does space
  EXPECT_EQ(Lines().size(), before + 2);
}

TEST_F(PageWindowTest, AScriptErrorShowsABoxAndTheWindowStaysUntilItIsClosed) {
  Open(kForm);
  ASSERT_TRUE(pw::SendClick(window_->ControlWindow(4), plat::POINT{5, 5}));
  auto boxes = pw::MessageBoxLog();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].owner, window_->Window());
  EXPECT_EQ(boxes[0].caption, "drevhost");
  EXPECT_NE(boxes[0].text.find("script error at line 7"), std::string::npos) << boxes[0].text;
  EXPECT_EQ(boxes[0].type & pw::MB_ICONEXCLAMATION, pw::MB_ICONEXCLAMATION);
  EXPECT_TRUE(pw::IsWindowVisible(window_->Window()));
  EXPECT_FALSE(window_->Closed());
  // The page still works after the error, and closing ends the loop.
  ASSERT_TRUE(pw::SendClick(window_->ControlWindow(3), plat::POINT{5, 5}));
  EXPECT_EQ(Lines().back(), "alert go 주간 회의록");
  pw::PostMessage(window_->Window(), pw::WM_CLOSE, 0, 0);
  EXPECT_EQ(window_->RunUntilClosed(), 0);
  EXPECT_TRUE(window_->Closed());
  EXPECT_FALSE(pw::IsWindowVisible(window_->Window()));
}

TEST_F(PageWindowTest, WindowCloseFromTheScriptEndsTheLoopButNotWhileABoxHoldsThePage) {
  Open(kForm);
  pw::EnableWindow(window_->Window(), plat::FALSE);  // as while a message box or dialog is up
  pw::SendMessage(window_->Window(), pw::WM_CLOSE, 0, 0);
  EXPECT_FALSE(window_->Closed());
  pw::EnableWindow(window_->Window(), plat::TRUE);
  ASSERT_TRUE(pw::SendClick(window_->ControlWindow(5), plat::POINT{5, 5}));  // onclick="window.close()"
  EXPECT_EQ(window_->RunUntilClosed(), 0);
  EXPECT_TRUE(window_->Closed());
}

TEST_F(PageWindowTest, ARunWithoutAWindowKeepsTheValuesInTheRunner) {
  page_ = ParsePage(kForm, "/pages");
  runner_ = std::make_unique<PageRunner>(output_);
  CreateFailure failure = CreateFailure::kNone;
  std::string error;
  ASSERT_TRUE(runner_->CreateObjects(page_, &failure, &error));
  runner_->RunScripts(page_);
  EXPECT_EQ(Eval("document.getElementById('title').value"), "주간 회의록");
  Eval("document.getElementById('title').value = 'x'");
  EXPECT_EQ(Eval("document.getElementById('title').value"), "x");
  EXPECT_EQ(Eval("document.getElementById('nothing')"), "null");
  EXPECT_EQ(Eval("window.close(); 1"), "1");  // nothing to close
}

}  // namespace
}  // namespace drev::host
