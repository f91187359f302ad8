// A long attachment list run by drevhost: rows beyond the first page are reached by scrolling (the
// host's tick, or presses on the scroll bar), and a tick there ticks exactly that row.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"

namespace drev::e2e {
namespace {

class ListScrollTest : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    RegisterModule();
  }
};

TEST_F(ListScrollTest, RowsOutOfViewAreReachedByScrollingAndTickedExactly) {
  constexpr int kFiles = 30;
  std::vector<std::string> args{"run", "page.html", "--choose"};
  int total = 0;
  for (int i = 0; i < kFiles; ++i) {
    const std::string name = "file" + std::to_string(100 + i) + ".txt";
    WriteFile(name, std::string(static_cast<std::size_t>(100 + i), 'x'));  // row i has 100 + i bytes
    args.push_back(name);
    total += 100 + i;
  }
  WritePage("page.html", PageOf(ControlObject("up", {{"MaxFileCount", "40"}}, 500, 160)));
  // Row 25 lies far below the first page; row 2 is above the page the list then shows, and becomes
  // its top row. Two presses on the scroll bar's down arrow (at the control's lower right corner,
  // inside the list's 1-pixel border) make row 4 the top row, whose check box is then clicked.
  for (const char* step : {"--eval", "up.AttachFiles()", "--tick", "25", "--eval", "up.DeleteSelectedItem()",
                           "--tick", "2", "--eval", "up.DeleteSelectedItem()", "--click", "491,150", "--click",
                           "491,150", "--click", "20,9", "--eval", "up.DeleteSelectedItem()", "--eval",
                           "up.GetFileCount('ATTACH_FILE')"})
    args.emplace_back(step);
  RunResult r = Host(args);
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  std::vector<std::string> deleted;
  for (const std::string& line : r.Lines())
    if (line.rfind("event OnFileDeleted", 0) == 0) deleted.push_back(line);
  const std::vector<std::string> expected{
      "event OnFileDeleted(125, " + std::to_string(total - 125) + ")",
      "event OnFileDeleted(102, " + std::to_string(total - 125 - 102) + ")",
      // Row 4 of what is left is the file of 105 bytes.
      "event OnFileDeleted(105, " + std::to_string(total - 125 - 102 - 105) + ")"};
  EXPECT_EQ(deleted, expected) << r.out;
  ASSERT_FALSE(r.Lines().empty());
  EXPECT_EQ(r.Lines().back(), "eval 27");
}

}  // namespace
}  // namespace drev::e2e
