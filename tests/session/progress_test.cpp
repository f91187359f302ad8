// The progress dialog's bar position, what it tells the user of a failed run, and its keep-alive
// requests, on their own.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>

#include "http/UploadWorker.h"
#include "platform/inet/inet.h"
#include "platform/inet/internet_error.h"
#include "platform/kernel/wait.h"
#include "platform/text/text.h"
#include "platform/win/backend.h"
#include "resources/AppName.h"
#include "session/CProgressDlg.h"
#include "session/KeepAliveRequests.h"
#include "tests/receiver/receiver_process.h"
#include "tests/session/upload_fixture.h"

namespace {

using namespace drev;

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

// The remembered run must answer exactly what the division does, for every count a worker reports
// (block by block, a short last block, a new upload with another total, a count that went back)
// and at the edges of the single-precision rounding, where neighbouring counts of a large total
// give the same float.
TEST(ProgressPercent, TheRememberedRunAnswersAsTheDivisionDoes) {
  CProgressDlg::PercentRun run;
  auto check = [&run](DWORD sent, DWORD total) {
    ASSERT_EQ(CProgressDlg::PercentOfRun(run, sent, total), CProgressDlg::PercentOf(sent, total))
        << sent << " of " << total;
  };
  for (DWORD total : {DWORD{0}, DWORD{1}, DWORD{1000}, DWORD{100'000}, DWORD{3'000'000}, DWORD{16'777'217},
                      DWORD{268'435'456 + 77}, DWORD{4'000'000'000u}, UINT_MAX}) {
    DWORD step = std::max<DWORD>(1024, total / 5000);
    for (DWORD sent = 0; sent < total && sent <= UINT_MAX - step; sent += step) check(sent, total);
    check(total, total);
    for (DWORD near = total > 64 ? total - 64 : 0; near < total; ++near) check(near, total);
    check(total / 2, total);  // went back
    check(UINT_MAX, total);   // past the total
    check(UINT_MAX - 1, total);
  }
  // Every count of a small total, one after another and in a jumbled order.
  for (DWORD sent = 0; sent <= 2000; ++sent) check(sent, 1999);
  for (DWORD sent = 0; sent <= 2000; ++sent) check((sent * 7919) % 2001, 1999);
}

// What the user is shown of each kind of failure the worker reports.
TEST(UploadFailureBox, ShowsEveryFailureButTheUsersOwnStop) {
  using Kind = UploadFailure::Kind;
  namespace pw = plat::win;
  const std::string refused = plat::inet::InternetErrorDescription(plat::inet::ERROR_INTERNET_CANNOT_CONNECT);
  const std::string disk = plat::text::Utf8ToCp949("디스크를 읽을 수 없습니다");
  struct Case {
    UploadFailure failure;
    std::vector<std::string> shown;  // UTF-8
  };
  const Case cases[] = {
      {{Kind::Internet, plat::inet::ERROR_INTERNET_CANNOT_CONNECT, refused}, {plat::text::Cp949ToUtf8(refused)}},
      {{Kind::Internet, 12345, ""}, {"알수 없는 오류(12345)"}},
      {{Kind::Poster, 100, "no such file"}, {"no such file"}},
      {{Kind::Poster, 100, ""}, {"알수 없는 오류!!!"}},
      {{Kind::Poster, 103, plat::text::Utf8ToCp949("파일이 잘못 되었습니다!!!")}, {"파일이 잘못 되었습니다!!!"}},
      {{Kind::Poster, 104, plat::text::Utf8ToCp949("상태 정보 전송 오류!!!")}, {}},
      {{Kind::Status, 500, "Error Precheck return status = 500\n"}, {"서버가 오류를 돌려주었습니다(상태 500)."}},
      {{Kind::Status, 0, ""}, {"서버가 오류를 돌려주었습니다(상태 0)."}},
      {{Kind::Other, 0, ""}, {"알수 없는 오류!!!"}},
      {{Kind::Other, 2, disk}, {"디스크를 읽을 수 없습니다"}},
      {{Kind::Unknown, 0, ""}, {"알수 없는 오류!!!"}},
  };
  for (const Case& c : cases) {
    pw::ClearMessageBoxLog();
    CProgressDlg::ShowUploadFailure(nullptr, c.failure);
    std::vector<std::string> shown;
    for (const auto& box : pw::MessageBoxLog()) {
      shown.push_back(plat::text::Cp949ToUtf8(box.text));
      EXPECT_EQ(box.caption, AfxGetAppName());
      EXPECT_EQ(box.type, pw::MB_OK | pw::MB_ICONEXCLAMATION);
    }
    EXPECT_EQ(shown, c.shown) << static_cast<int>(c.failure.kind) << " " << c.failure.number;
  }
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
