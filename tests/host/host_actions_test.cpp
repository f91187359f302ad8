// The action list on drevhost's command line, and reading bytes off the progress dialog's text.
#include <gtest/gtest.h>

#include "host/HostActions.h"
#include "host/ProgressWatcher.h"

namespace drev::host {
namespace {

using Kind = HostAction::Kind;

std::optional<std::vector<HostAction>> Parse(std::vector<std::string> words, std::string* error = nullptr) {
  std::string ignored;
  return ParseActions(words, error ? error : &ignored);
}

TEST(HostActionsTest, FileListsRunToTheNextActionAndOthersTakeOneWord) {
  auto actions = Parse({"--choose", "a.txt", "b c.txt", "--tick", "2", "--eval", "--x", "--drop", "d",
                        "--click", "10,-3", "--cancel-after-bytes", "4096", "--snapshot", "s.png"});
  ASSERT_TRUE(actions);
  ASSERT_EQ(actions->size(), 7u);
  EXPECT_EQ((*actions)[0].kind, Kind::kChoose);
  EXPECT_EQ((*actions)[0].words, (std::vector<std::string>{"a.txt", "b c.txt"}));
  EXPECT_EQ((*actions)[1].number, 2);
  EXPECT_EQ((*actions)[2].kind, Kind::kEval);
  EXPECT_EQ((*actions)[2].words.front(), "--x");  // a script is taken whole, whatever it starts with
  EXPECT_EQ((*actions)[3].words, (std::vector<std::string>{"d"}));
  EXPECT_EQ((*actions)[4].x, 10);
  EXPECT_EQ((*actions)[4].y, -3);
  EXPECT_EQ((*actions)[5].number, 4096);
  EXPECT_EQ((*actions)[6].kind, Kind::kSnapshot);
  EXPECT_EQ((*actions)[6].words.front(), "s.png");
  EXPECT_TRUE(Parse({}));
}

TEST(HostActionsTest, BadActionsAreRefusedWithTheReason) {
  std::string error;
  EXPECT_FALSE(Parse({"--frobnicate"}, &error));
  EXPECT_EQ(error, "unknown action --frobnicate");
  EXPECT_FALSE(Parse({"--choose", "--tick", "1"}, &error));
  EXPECT_EQ(error, "--choose needs at least one file");
  EXPECT_FALSE(Parse({"--snapshot"}, &error));
  EXPECT_EQ(error, "--snapshot needs an argument");
  for (std::vector<std::string> bad : {std::vector<std::string>{"--tick", "-1"}, {"--tick", "x"},
                                       {"--click", "10"}, {"--click", "1,2,3"}, {"--cancel-after-bytes", "1k"}})
    EXPECT_FALSE(Parse(bad, &error)) << bad[0] << " " << bad[1];
  EXPECT_EQ(error, "--cancel-after-bytes: malformed argument \"1k\"");
  EXPECT_FALSE(Parse({"page.html"}, &error));
}

TEST(HostActionsTest, ProgressTextsGiveTheBytesSent) {
  EXPECT_EQ(ProgressWatcher::SentBytesOf(" 0.50 KB /  1.00 KB"), 512u);
  EXPECT_EQ(ProgressWatcher::SentBytesOf("12.00 KB / 1.50 MB"), 12288u);
  EXPECT_EQ(ProgressWatcher::SentBytesOf("1024.00 KB / 2.00 MB"), 1048576u);
  EXPECT_EQ(ProgressWatcher::SentBytesOf(" 2.50 MB / 10.00 MB"), 2621440u);
  EXPECT_FALSE(ProgressWatcher::SentBytesOf(""));
  EXPECT_FALSE(ProgressWatcher::SentBytesOf("전체 파일"));
  EXPECT_FALSE(ProgressWatcher::SentBytesOf("3.00 GB / 4.00 GB"));
}

}  // namespace
}  // namespace drev::host
