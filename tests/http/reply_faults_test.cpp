// The worker's reply reader against servers whose replies are cut short, oddly framed or endless.
#include <gtest/gtest.h>

#include <string>

#include "platform/inet/internet_error.h"
#include "tests/http/worker_fixture.h"
#include "tests/platform/inet/client_helpers.h"
#include "tests/platform/inet/scripted_server.h"

namespace drev::httptest {
namespace {

using inettest::ScriptedServer;

class WorkerReplyFaults : public WorkerFixture {
 protected:
  // Opens a bodyless POST to a server that reads it and answers with `reply`, then runs the worker's
  // reply reader on it. Returns the WinInet number it threw, 0 when it read the reply.
  plat::DWORD ReadReplyOf(const std::string& reply) {
    ScriptedServer server([&](int fd) {
      inettest::ReadOneRequest(fd);
      inettest::SendAll(fd, reply);
    });
    inettest::Post post = inettest::OpenPost(session_.Get(), "127.0.0.1", server.Port());
    EXPECT_TRUE(inettest::Begin(post.request, 0));
    EXPECT_TRUE(plat::inet::HttpEndRequestA(post.request, nullptr, 0, 0));
    try {
      worker_.ReadReply(post.request);
    } catch (const plat::inet::InternetException& failure) {
      return failure.GetErrorCode();
    }
    return 0;
  }
};

TEST_F(WorkerReplyFaults, AReplyThatDidNotArriveWholeIsAnErrorNotTheServersAnswer) {
  const std::string chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
  for (const std::string& reply :
       {std::string("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nshort"),
        chunked + "8\r\nabc",                 // a chunk cut short
        chunked + "3\r\nabc\r\n",             // no last chunk
        chunked + "ffffffffffffffff\r\nabc\r\n0\r\n\r\n",  // a chunk size no reply can carry
        std::string("HTTP/1.0 200 OK\r\nContent-Length: 4294967298\r\n\r\nOKOK")}) {
    SCOPED_TRACE(reply);
    plat::DWORD error = ReadReplyOf(reply);
    EXPECT_TRUE(error == plat::inet::ERROR_INTERNET_CONNECTION_ABORTED ||
                error == plat::inet::ERROR_HTTP_INVALID_SERVER_RESPONSE)
        << error;
    EXPECT_EQ(worker_.Reply(), "");
  }
}

TEST_F(WorkerReplyFaults, AWholeReplyIsStillReadEvenWhenItComesInPieces) {
  EXPECT_EQ(ReadReplyOf("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n2\r\nde\r\n0\r\n\r\n"), 0u);
  EXPECT_EQ(worker_.Reply(), "abcde");
  EXPECT_EQ(ReadReplyOf("HTTP/1.0 200 OK\r\n\r\nuntil the close"), 0u);
  EXPECT_EQ(worker_.Reply(), "until the close");
}

}  // namespace
}  // namespace drev::httptest
