// How upload-receiver refuses to start: a wrong command line, and an address it cannot listen on,
// each with the one line that says what to fix.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/receiver/receiver_process.h"

namespace {

using drevtest::ReceiverExit;
using drevtest::ReceiverProcess;
using drevtest::RunReceiverToEnd;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr const char* kUsageLine =
    "usage: upload-receiver --listen ADDRESS --dir DIR [options] (--help lists the options)\n";

TEST(ReceiverStart, AWrongCommandLineGetsItsOneLineAndTheUsageLine) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--listen", "127.0.0.9", "--discard", "--frob"}, "--frob: unknown option"},
      {{"--listen", "127.0.0.9", "--discard", "--frob", "1"}, "--frob: unknown option"},
      {{"--listen", "127.0.0.9", "--discard", "--port", "eighty"}, "--port: bad value eighty"},
      {{"--discard", "--listen"}, "--listen: needs a value"},
      {{"--dir", "/tmp"}, "--listen ADDRESS is required"},
      {{"--listen", "127.0.0.9"}, "--dir DIR is required (unless --discard)"},
  };
  for (const auto& [args, line] : cases) {
    ReceiverExit run = RunReceiverToEnd(args);
    ASSERT_TRUE(run.ended) << line;
    EXPECT_EQ(run.status, 2) << line;
    EXPECT_EQ(run.output, "upload-receiver: " + line + "\n" + kUsageLine);
  }
  ReceiverExit help = RunReceiverToEnd({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_THAT(help.output, StartsWith("usage: upload-receiver --listen ADDRESS --dir DIR [options]\n\n"));
  EXPECT_THAT(help.output, HasSubstr("--read-timeout SEC"));
}

// Two servers on one address and port would each take part of the connections, so a client's
// request could land on either: the second one must refuse, as any server does.
TEST(ReceiverStart, RefusesAnAddressAndPortAnotherReceiverListensOn) {
  ReceiverProcess first;
  for (bool saveRaw : {false, true}) {
    std::vector<std::string> args{"--listen", first.Address(), "--discard"};
    if (saveRaw) args.insert(args.end(), {"--save-raw", first.RawDir().string()});
    ReceiverExit second = RunReceiverToEnd(args);
    ASSERT_TRUE(second.ended) << "a second receiver started on " << first.Address() << ":80";
    EXPECT_EQ(second.status, 1);
    EXPECT_THAT(second.output, HasSubstr("upload-receiver: cannot listen on " + first.Address() +
                                         ":80: Address already in use: another server already listens there"));
  }
}

TEST(ReceiverStart, SaysWhyItCannotListen) {
  // 192.0.2.1 is a documentation address: no machine has it.
  ReceiverExit foreign = RunReceiverToEnd({"--listen", "192.0.2.1", "--discard"});
  ASSERT_TRUE(foreign.ended);
  EXPECT_EQ(foreign.status, 1);
  EXPECT_THAT(foreign.output, HasSubstr("cannot listen on 192.0.2.1:80: Cannot assign requested address: it is not "
                                        "an address of this machine"));

  int unprivilegedFrom = 1024;
  std::ifstream("/proc/sys/net/ipv4/ip_unprivileged_port_start") >> unprivilegedFrom;
  if (unprivilegedFrom <= 80) GTEST_SKIP() << "every user may listen on port 80 on this machine";
  constexpr uid_t kNobody = 65534;
  const std::string address = drevtest::UniqueLoopbackAddress(119);
  ReceiverExit unprivileged = RunReceiverToEnd({"--listen", address, "--discard"}, kNobody);
  ASSERT_TRUE(unprivileged.ended);
  ASSERT_NE(unprivileged.status, 126) << "cannot run as user " << kNobody;
  EXPECT_EQ(unprivileged.status, 1);
  EXPECT_THAT(unprivileged.output, HasSubstr("cannot listen on " + address + ":80: Permission denied: ports below "
                                             "1024 need root"));
}

}  // namespace
