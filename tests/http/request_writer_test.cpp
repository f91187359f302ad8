// RequestWriter: which writes leave as network writes, buffered and direct.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "http/RequestWriter.h"

namespace {

using namespace drev;

class RecordingSink : public IBodySink {
 public:
  void Send(const char* data, plat::DWORD count) override {
    if (failNext) {
      failNext = false;
      throw std::runtime_error("network down");
    }
    sends.emplace_back(data, count);
  }
  std::vector<std::string> sends;
  bool failNext = false;
};

TEST(RequestWriter, DirectWritesLeaveOneByOneExactlyAsGiven) {
  RecordingSink sink;
  RequestWriter writer(sink);
  writer.Write("ab");
  writer.Write(std::string(3000, 'x'));
  writer.Write("\r\n");
  ASSERT_EQ(sink.sends.size(), 3u);
  EXPECT_EQ(sink.sends[0], "ab");
  EXPECT_EQ(sink.sends[1].size(), 3000u);
  EXPECT_EQ(sink.sends[2], "\r\n");
}

TEST(RequestWriter, BufferedSmallWritesGatherUntilFlushedAndRemovingFlushes) {
  RecordingSink sink;
  RequestWriter writer(sink);
  writer.SetBuffer();
  writer.Write("--");
  writer.Write("boundary");
  writer.Write("\r\n");
  EXPECT_TRUE(sink.sends.empty());
  writer.Flush();
  ASSERT_EQ(sink.sends.size(), 1u);
  EXPECT_EQ(sink.sends[0], "--boundary\r\n");
  writer.Flush();  // nothing buffered: nothing sent
  EXPECT_EQ(sink.sends.size(), 1u);
  writer.Write("tail");
  writer.RemoveBuffer();
  ASSERT_EQ(sink.sends.size(), 2u);
  EXPECT_EQ(sink.sends[1], "tail");
  writer.Write("x");  // direct again
  ASSERT_EQ(sink.sends.size(), 3u);
  EXPECT_EQ(sink.sends[2], "x");
}

TEST(RequestWriter, AWriteReachingTheBufferSizeSendsTheBufferFirstAndLargeOnesGoDirect) {
  RecordingSink sink;
  RequestWriter writer(sink);
  writer.SetBuffer();
  writer.Write(std::string(1000, 'a'));
  writer.Write(std::string(24, 'b'));  // 1000 + 24 = 1024: the 1000 leave, the 24 stay
  ASSERT_EQ(sink.sends.size(), 1u);
  EXPECT_EQ(sink.sends[0], std::string(1000, 'a'));
  writer.Write(std::string(1023, 'c'));  // 24 + 1023 >= 1024: the 24 leave, the 1023 stay
  ASSERT_EQ(sink.sends.size(), 2u);
  EXPECT_EQ(sink.sends[1], std::string(24, 'b'));
  writer.Write(std::string(1024, 'd'));  // the 1023 leave, then the 1024 directly
  ASSERT_EQ(sink.sends.size(), 4u);
  EXPECT_EQ(sink.sends[2], std::string(1023, 'c'));
  EXPECT_EQ(sink.sends[3], std::string(1024, 'd'));
  writer.Flush();
  EXPECT_EQ(sink.sends.size(), 4u);

  // A large write with nothing buffered is one direct send.
  writer.Write(std::string(5000, 'e'));
  ASSERT_EQ(sink.sends.size(), 5u);
  EXPECT_EQ(sink.sends[4].size(), 5000u);
}

TEST(RequestWriter, AFailedSendLeavesNothingToBeSentAgain) {
  RecordingSink sink;
  RequestWriter writer(sink);
  writer.SetBuffer();
  writer.Write("part");
  sink.failNext = true;
  EXPECT_THROW(writer.Flush(), std::runtime_error);
  writer.Flush();
  EXPECT_TRUE(sink.sends.empty());
}

}  // namespace
