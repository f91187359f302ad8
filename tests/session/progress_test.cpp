// The progress dialog's bar position and its keep-alive requests, on their own.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>

#include "platform/inet/inet.h"
#include "platform/kernel/wait.h"
#include "session/CProgressDlg.h"
#include "session/KeepAliveRequests.h"
#include "tests/receiver/receiver_process.h"
#include "tests/session/upload_fixture.h"

namespace {

using plat::DWORD;

TEST(ProgressPercent, IsTheTruncatedShareAndNeverDividesByZeroOrPassesAHundred) {
  struct Case {
    DWORD sent, total;
    int percent;
  };
  const Case cases[] = {
      {0, 0, 100},  {1024, 0, 100},     // every file recorded with size 0
      {0, 10, 0},   {1, 3, 33},         {2, 3, 66},  {999, 1000, 99}, {1000, 1000, 100},
      {1024, 3'000'000, 0},             {2'999'999, 3'000'000, 99},
      {2000, 1000, 100}, {UINT_MAX, 1, 100},  // a total that wrapped past 4 GiB
  };
  for (const Case& c : cases) EXPECT_EQ(CProgressDlg::PercentOf(c.sent, c.total), c.percent) << c.sent << " of " << c.total;
}

// A receiver that answers every request `ms` milliseconds late.
drevtest::ReceiverSetup ReplyingAfter(const char* ms) {
  drevtest::ReceiverSetup setup;
  setup.options = {"--reply-delay", ms};
  setup.addressBase = drev::testing::kAddressBase;
  return setup;
}

plat::inet::HINTERNET OpenSession() {
  return plat::inet::InternetOpenA("zelk", plat::inet::INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
}

TEST(KeepAlive, EveryRequestIsKeptUntilJoinedAndEachAsksForTheImageOnce) {
  EXPECT_EQ(KeepAliveRequests::AddressFor("upload.example"), "http://upload.example/bin/Plimtrans.gif");

  drevtest::ReceiverProcess receiver(ReplyingAfter("400"));
  plat::inet::HINTERNET session = OpenSession();
  ASSERT_NE(session, nullptr);
  {
    KeepAliveRequests requests;
    EXPECT_EQ(requests.WaitForLast(0), plat::kernel::WAIT_OBJECT_0);  // none started
    const std::string url = KeepAliveRequests::AddressFor(receiver.Address());
    ASSERT_TRUE(requests.Start(session, url));
    const DWORD firstThread = requests.LastThreadId();
    ASSERT_TRUE(requests.Start(session, url));
    EXPECT_NE(requests.LastThreadId(), firstThread);
    // The server answers late: the bounded wait gives up, the request goes on.
    EXPECT_EQ(requests.WaitForLast(50), plat::kernel::WAIT_TIMEOUT);
  }  // both threads are joined here, the replaced one too
  const std::string log = receiver.Output();
  std::size_t first = log.find("GET /bin/Plimtrans.gif");
  ASSERT_NE(first, std::string::npos) << log;
  EXPECT_NE(log.find("GET /bin/Plimtrans.gif", first + 1), std::string::npos) << log;
  plat::inet::InternetCloseHandle(session);
}

// The dialog closes its session before it joins its keep-alive requests: a request the server has not
// answered ends then, instead of holding the dialog's end for the HTTP time limit.
TEST(KeepAlive, ClosingTheSessionEndsARequestTheServerHasNotAnswered) {
  drevtest::ReceiverProcess receiver(ReplyingAfter("30000"));
  plat::inet::HINTERNET session = OpenSession();
  ASSERT_NE(session, nullptr);
  KeepAliveRequests requests;
  ASSERT_TRUE(requests.Start(session, KeepAliveRequests::AddressFor(receiver.Address())));
  EXPECT_EQ(requests.WaitForLast(300), plat::kernel::WAIT_TIMEOUT);  // waiting for the reply
  const auto closed = std::chrono::steady_clock::now();
  plat::inet::InternetCloseHandle(session);
  requests.JoinAll();
  EXPECT_LT(std::chrono::steady_clock::now() - closed, std::chrono::seconds(5));
}

}  // namespace
