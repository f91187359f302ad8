// The HTTP client when servers are missing, misbehave, go silent or vanish, and when threads share a session.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/inet/internet_error.h"
#include "tests/platform/inet/client_helpers.h"
#include "tests/platform/inet/scripted_server.h"

namespace {

using namespace inettest;
using plat::kernel::GetLastError;
using Clock = std::chrono::steady_clock;

// Starts a bodyless POST and returns the error of the first failing step (0 when all succeeded).
DWORD PostNothing(HINTERNET session, const char* host, int port) {
  Post post = OpenPost(session, host, port);
  if (!Begin(post.request, 0)) return GetLastError();
  if (!HttpEndRequestA(post.request, nullptr, 0, 0)) return GetLastError();
  return 0;
}

TEST(InetFaults, ReportsAServerThatCannotBeReachedOrNamed) {
  Handle session = OpenSession();
  EXPECT_EQ(PostNothing(session, "127.0.0.1", UnusedPort()), ERROR_INTERNET_CANNOT_CONNECT);
  EXPECT_EQ(PostNothing(session, "no-such-host.invalid", 80), ERROR_INTERNET_NAME_NOT_RESOLVED);
  EXPECT_EQ(PostNothing(session, "bad host\r\nX-Evil: 1", 80), ERROR_INTERNET_NAME_NOT_RESOLVED);
  EXPECT_EQ(PostNothing(session, "", 80), ERROR_INTERNET_NAME_NOT_RESOLVED);
  std::string url = "http://127.0.0.1:" + std::to_string(UnusedPort()) + "/bin/Plimtrans.gif";
  EXPECT_EQ(InternetOpenUrlA(session, url.c_str(), nullptr, 0, 0, 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_CANNOT_CONNECT);
}

TEST(InetFaults, AServerThatResetsMidBodyFailsTheUploadInsteadOfHanging) {
  ScriptedServer server([](int fd) {
    char buffer[65536];
    std::size_t received = 0;
    while (received < 200000) {
      ssize_t n = recv(fd, buffer, sizeof buffer, 0);
      if (n <= 0) return;
      received += static_cast<std::size_t>(n);
    }
    linger hard{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
  });
  Handle session = OpenSession(0, 5000, 5000);
  Post post = OpenPost(session, "127.0.0.1", server.Port());
  std::string body = Pattern(16 * 1024 * 1024);
  ASSERT_TRUE(Begin(post.request, static_cast<DWORD>(body.size())));
  DWORD error = 0;
  if (WriteInBlocks(post.request, body, 1024, error)) {
    ASSERT_FALSE(HttpEndRequestA(post.request, nullptr, 0, 0));
    error = GetLastError();
  }
  EXPECT_TRUE(error == ERROR_INTERNET_CONNECTION_RESET || error == ERROR_INTERNET_CONNECTION_ABORTED) << error;
  DWORD written = 0;
  EXPECT_FALSE(InternetWriteFile(post.request, "x", 1, &written));
  EXPECT_EQ(GetLastError(), error);  // the request stays broken with the error that broke it
}

TEST(InetFaults, RepliesThatAreMissingMalformedInterimOrCutShort) {
  struct Case {
    std::string reply;
    DWORD endError;
  };
  for (const Case& c : {Case{"", ERROR_INTERNET_CONNECTION_ABORTED},
                        Case{"garbage\r\n\r\n", ERROR_HTTP_INVALID_SERVER_RESPONSE},
                        Case{"HTTP/1.0 200 OK\r\nContent-Length: x\r\n\r\n", ERROR_HTTP_INVALID_SERVER_RESPONSE},
                        Case{"HTTP/1.0 200 OK\r\nContent-", ERROR_HTTP_INVALID_SERVER_RESPONSE},
                        Case{"HTTP/1.1 100 Continue\r\n\r\nHTTP/1.0 201 Created\r\n\r\n", 0}}) {
    SCOPED_TRACE(c.reply);
    ScriptedServer server([&](int fd) {
      ReadOneRequest(fd);
      SendAll(fd, c.reply);
    });
    Handle session = OpenSession();
    Post post = OpenPost(session, "127.0.0.1", server.Port());
    ASSERT_TRUE(Begin(post.request, 0));
    EXPECT_EQ(HttpEndRequestA(post.request, nullptr, 0, 0) ? 0 : GetLastError(), c.endError);
    if (c.endError == 0) {
      EXPECT_EQ(QueryText(post.request, HTTP_QUERY_STATUS_CODE), "201");
    }
  }

  ScriptedServer cut([](int fd) {
    ReadOneRequest(fd);
    SendAll(fd, "HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\n" + std::string(40, 'a'));
  });
  Handle session = OpenSession();
  Post post = OpenPost(session, "127.0.0.1", cut.Port());
  ASSERT_TRUE(Begin(post.request, 0));
  ASSERT_TRUE(HttpEndRequestA(post.request, nullptr, 0, 0));
  char buffer[100];
  DWORD got = 0;
  ASSERT_TRUE(InternetReadFile(post.request, buffer, 100, &got));
  EXPECT_EQ(got, 40u);  // what arrived is handed over first
  EXPECT_FALSE(InternetReadFile(post.request, buffer, 100, &got));
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_CONNECTION_ABORTED);
}

// A reply body that ends before its framing says it is complete is never read as if it were whole:
// the bytes that came are handed over, and the read after them fails.
TEST(InetFaults, ABodyCutShortOfItsFramingFailsTheReadAtItsEnd) {
  struct Case {
    std::string reply;
    std::string arrived;  // what reads hand over before the failure
  };
  const std::string ok11 = "HTTP/1.1 200 OK\r\n";
  for (const Case& c : {Case{"HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nshort", "short"},
                        Case{ok11 + "Transfer-Encoding: chunked\r\n\r\n8\r\nabc", "abc"},
                        Case{ok11 + "Transfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n", "abc"},
                        Case{ok11 + "Transfer-Encoding: chunked\r\n\r\nffffffffffffffff\r\nabc\r\n0\r\n\r\n", ""},
                        Case{"HTTP/1.0 200 OK\r\nContent-Length: 4294967298\r\n\r\nOKOK", "OKOK"}}) {
    SCOPED_TRACE(c.reply);
    ScriptedServer server([&](int fd) {
      ReadOneRequest(fd);
      SendAll(fd, c.reply);
    });
    Handle session = OpenSession();
    Post post = OpenPost(session, "127.0.0.1", server.Port());
    ASSERT_TRUE(Begin(post.request, 0));
    ASSERT_TRUE(HttpEndRequestA(post.request, nullptr, 0, 0));
    std::string body;
    char buffer[1024];
    DWORD got = 0;
    DWORD error = 0;
    for (int reads = 0; reads < 10; ++reads) {
      if (!InternetReadFile(post.request, buffer, sizeof buffer, &got)) {
        error = GetLastError();
        break;
      }
      if (got == 0) break;
      body.append(buffer, got);
    }
    EXPECT_EQ(body, c.arrived);
    EXPECT_TRUE(error == ERROR_INTERNET_CONNECTION_ABORTED || error == ERROR_HTTP_INVALID_SERVER_RESPONSE) << error;
  }
}

TEST(InetFaults, ShortReceiveLimitsEndWaitsForASilentServer) {
  // The server reads the request, then says nothing until the client gives up and closes.
  ScriptedServer silent([](int fd) {
    ReadOneRequest(fd);
    ReadUntilClosed(fd);
  });
  Handle session = OpenSession(0, 0, 300);
  Clock::time_point start = Clock::now();
  EXPECT_EQ(PostNothing(session, "127.0.0.1", silent.Port()), ERROR_INTERNET_TIMEOUT);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(20));  // the short limit applied, not the default

  ScriptedServer stalls([](int fd) {
    ReadOneRequest(fd);
    SendAll(fd, "HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\n" + std::string(40, 'b'));
    ReadUntilClosed(fd);
  });
  Post post = OpenPost(session, "127.0.0.1", stalls.Port());
  ASSERT_TRUE(Begin(post.request, 0));
  ASSERT_TRUE(HttpEndRequestA(post.request, nullptr, 0, 0));
  char buffer[100];
  DWORD got = 0;
  ASSERT_TRUE(InternetReadFile(post.request, buffer, 100, &got));
  EXPECT_EQ(got, 40u);
  EXPECT_FALSE(InternetReadFile(post.request, buffer, 100, &got));
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_TIMEOUT);
}

// Every byte of a trickling reply arrives within the receive limit, which restarts with each one; the
// bound on the whole reply still ends it.
TEST(InetFaults, TheWholeReplyIsBoundedHoweverSlowlyItTrickles) {
  ScriptedServer trickle([](int fd) {
    ReadOneRequest(fd);
    SendAll(fd, "HTTP/1.0 200 OK\r\n\r\n");
    for (int i = 0; i < 100; ++i) {  // 30 s at most
      if (send(fd, "x", 1, MSG_NOSIGNAL) != 1) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
  });
  Handle session = OpenSession(0, 0, 1000);
  DWORD whole = 1500;
  ASSERT_TRUE(InternetSetOptionA(session, INTERNET_OPTION_REPLY_TIMEOUT, &whole, sizeof whole));
  Post post = OpenPost(session, "127.0.0.1", trickle.Port());
  Clock::time_point start = Clock::now();
  ASSERT_TRUE(Begin(post.request, 0));
  ASSERT_TRUE(HttpEndRequestA(post.request, nullptr, 0, 0));
  char buffer[64];
  DWORD got = 0;
  std::size_t arrived = 0;
  while (InternetReadFile(post.request, buffer, sizeof buffer, &got) && got > 0) arrived += got;
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_TIMEOUT);
  EXPECT_GT(arrived, 0u);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
  post.request.Reset();  // the server's next byte finds the connection gone
}

TEST(InetFaults, ShortSendLimitsEndWritesToAServerThatStopsReading) {
  ScriptedServer deaf([](int fd) { ReadUntilClosed(fd); }, 0);  // never accepts: the backlog holds it
  Handle session = OpenSession(0, 300, 0);
  Post post = OpenPost(session, "127.0.0.1", deaf.Port());
  std::string block = Pattern(1024);
  DWORD total = 256u * 1024 * 1024;
  ASSERT_TRUE(Begin(post.request, total));
  DWORD written = 0, error = 0;
  Clock::time_point start = Clock::now();
  for (DWORD sent = 0; sent < total; sent += 1024) {
    if (!InternetWriteFile(post.request, block.data(), 1024, &written)) {
      error = GetLastError();
      break;
    }
  }
  EXPECT_EQ(error, ERROR_INTERNET_TIMEOUT);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(20));
}

TEST(InetFaults, ShortConnectLimitsEndWaitsForAServerThatDoesNotAccept) {
  // A listener whose accept queue is full drops further connection attempts without an answer.
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 0), 0);
  socklen_t length = sizeof address;
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  std::vector<int> fillers;
  for (int i = 0; i < 3; ++i) {
    int filler = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
    fillers.push_back(filler);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  Handle session = OpenSession(300, 0, 0);
  Clock::time_point start = Clock::now();
  EXPECT_EQ(PostNothing(session, "127.0.0.1", ntohs(address.sin_port)), ERROR_INTERNET_TIMEOUT);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(20));
  for (int filler : fillers) close(filler);
  close(listener);
}

// Closing a handle from another thread ends the call in progress under it with 12017 at once, not
// at the call's time limit (a minute by default): a dialog closing its session does not wait for a
// request stuck on a silent server.
TEST(InetThreads, ClosingAHandleEndsTheCallAnotherThreadIsInside) {
  const auto inAnotherThread = [](const std::function<DWORD()>& call, const std::function<void()>& close) {
    std::atomic<bool> ended{false};
    DWORD error = 0;
    std::thread caller([&] {
      error = call();
      ended = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the call is waiting by now
    EXPECT_FALSE(ended.load());
    Clock::time_point closed = Clock::now();
    close();
    caller.join();
    EXPECT_LT(Clock::now() - closed, std::chrono::seconds(5));
    return error;
  };

  // A fetch waiting for the reply of a server that reads the request and says nothing.
  ScriptedServer silent([](int fd) {
    ReadOneRequest(fd);
    ReadUntilClosed(fd);
  });
  HINTERNET session = OpenSession().release();
  const std::string url = "http://127.0.0.1:" + std::to_string(silent.Port()) + "/bin/Plimtrans.gif";
  DWORD error = inAnotherThread(
      [&] {
        HINTERNET request = InternetOpenUrlA(session, url.c_str(), nullptr, 0, 0, 0);
        return request == nullptr ? GetLastError() : DWORD{0};
      },
      [&] { EXPECT_TRUE(InternetCloseHandle(session)); });
  EXPECT_EQ(error, ERROR_INTERNET_OPERATION_CANCELLED);
  EXPECT_EQ(InternetOpenUrlA(session, url.c_str(), nullptr, 0, 0, 0), nullptr);  // closed stays closed
  EXPECT_EQ(GetLastError(), plat::kernel::ERROR_INVALID_HANDLE);

  // A body write blocked on a server that never reads, ended by closing the request.
  ScriptedServer deaf([](int fd) { ReadUntilClosed(fd); }, 0);
  Handle writer = OpenSession();
  Post post = OpenPost(writer, "127.0.0.1", deaf.Port());
  const DWORD total = 256u * 1024 * 1024;
  ASSERT_TRUE(Begin(post.request, total));
  HINTERNET request = post.request.release();
  error = inAnotherThread(
      [&] {
        std::string block = Pattern(64 * 1024);
        DWORD written = 0;
        for (DWORD sent = 0; sent < total; sent += static_cast<DWORD>(block.size())) {
          if (!InternetWriteFile(request, block.data(), static_cast<DWORD>(block.size()), &written)) return GetLastError();
        }
        return DWORD{0};
      },
      [&] { EXPECT_TRUE(InternetCloseHandle(request)); });
  EXPECT_EQ(error, ERROR_INTERNET_OPERATION_CANCELLED);
}

TEST(InetThreads, TwoThreadsUploadAndFetchThroughOneSessionAtOnce) {
  constexpr int kRounds = 5;
  auto answer = [](int fd) {
    ReadRequest request = ReadOneRequest(fd);
    std::string body = request.complete ? std::to_string(request.body.size()) : "incomplete";
    SendAll(fd, "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
  };
  ScriptedServer uploads(answer, kRounds);
  ScriptedServer fetches(answer, kRounds);
  Handle session = OpenSession(0, 10000, 10000);
  std::vector<std::string> uploadReplies, fetchReplies;
  std::thread uploader([&] {
    std::string body = Pattern(300000);
    for (int i = 0; i < kRounds; ++i) {
      Post post = OpenPost(session, "127.0.0.1", uploads.Port());
      DWORD error = 0;
      if (Begin(post.request, static_cast<DWORD>(body.size())) && WriteInBlocks(post.request, body, 1024, error) &&
          HttpEndRequestA(post.request, nullptr, 0, 0)) {
        uploadReplies.push_back(ReadToEnd(post.request));
      }
    }
  });
  std::thread fetcher([&] {
    std::string url = "http://127.0.0.1:" + std::to_string(fetches.Port()) + "/bin/Plimtrans.gif";
    for (int i = 0; i < kRounds; ++i) {
      Handle request = InternetOpenUrlA(session, url.c_str(), nullptr, 0, 0xA0000000, 0);
      if (request.get() != nullptr) fetchReplies.push_back(ReadToEnd(request));
    }
  });
  uploader.join();
  fetcher.join();
  EXPECT_EQ(uploadReplies, std::vector<std::string>(kRounds, "300000"));
  EXPECT_EQ(fetchReplies, std::vector<std::string>(kRounds, "0"));
}

}  // namespace
