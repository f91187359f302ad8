// The HTTP client's requests on the wire and its replies, against scripted servers on loopback.
#include <gtest/gtest.h>

#include <cstring>
#include <future>

#include "platform/inet/defaults.h"
#include "platform/inet/internet_error.h"
#include "tests/platform/inet/client_helpers.h"
#include "tests/platform/inet/scripted_server.h"

namespace {

using namespace inettest;
using plat::kernel::GetLastError;

// A server that records one request and answers with `reply`.
struct RecordingServer {
  explicit RecordingServer(std::string reply)
      : server([this, reply](int fd) {
          seen = ReadOneRequest(fd);
          SendAll(fd, reply);
        }) {}
  // The request as read; waits for the server to be done with it.
  const ReadRequest& Seen() {
    server.Join();
    return seen;
  }
  ReadRequest seen;
  ScriptedServer server;
};

TEST(InetRequest, SendsAnHttp10PostWithTheSessionsAgentRefererAddedLineAndDeclaredLength) {
  // The longest referer a field can hold goes out whole.
  const std::string longest = "http://page.example/" + std::string(plat::inet::kMaxRequestFieldBytes - 20, 'p');
  for (const std::string& referer : {std::string("http://page.example/form.html"), std::string(), longest}) {
    SCOPED_TRACE(referer.substr(0, 40));
    std::string body = Pattern(3000);
    RecordingServer recorder("HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok");
    {
      Handle session = OpenSession();
      Post post = OpenPost(session, "127.0.0.1", recorder.server.Port(), "/cgi/upload.php?x=1", referer.c_str());
      std::string line = "Content-Type: multipart/form-data; boundary=--Velmora.Boundary0029482318BE\r\n";
      ASSERT_TRUE(HttpAddRequestHeadersA(post.request, line.c_str(), static_cast<DWORD>(line.size()),
                                         HTTP_ADDREQ_FLAG_ADD_IF_NEW));
      ASSERT_TRUE(Begin(post.request, static_cast<DWORD>(body.size())));
      DWORD error = 0;
      ASSERT_TRUE(WriteInBlocks(post.request, body, 1024, error)) << error;
      ASSERT_TRUE(HttpEndRequestA(post.request, nullptr, 0, 1)) << GetLastError();
      EXPECT_EQ(QueryText(post.request, HTTP_QUERY_STATUS_CODE), "200");
      EXPECT_EQ(ReadToEnd(post.request), "ok");
    }
    const std::string& head = recorder.Seen().head;
    EXPECT_EQ(head.substr(0, head.find("\r\n")), "POST /cgi/upload.php?x=1 HTTP/1.0");
    EXPECT_EQ(FieldOf(head, "Host"), "127.0.0.1:" + std::to_string(recorder.server.Port()));
    EXPECT_EQ(FieldOf(head, "User-Agent"), "zelk");
    EXPECT_EQ(FieldOf(head, "Content-Type"), "multipart/form-data; boundary=--Velmora.Boundary0029482318BE");
    EXPECT_EQ(FieldOf(head, "Content-Length"), "3000");
    EXPECT_EQ(head.find("Content-Length:"), head.rfind("Content-Length:"));
    EXPECT_EQ(FieldOf(head, "Referer"), referer);
    EXPECT_EQ(head.find("Referer") != std::string::npos, !referer.empty());
    EXPECT_EQ(head.find("Transfer-Encoding"), std::string::npos);
    EXPECT_EQ(recorder.Seen().body, body);
  }
  // One byte more is refused when the request is opened, saying why.
  Handle session = OpenSession();
  Handle connection(InternetConnectA(session.get(), "127.0.0.1", 80, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 1));
  EXPECT_EQ(HttpOpenRequestA(connection.get(), "POST", "/", "HTTP/1.0", (longest + "p").c_str(), nullptr, 0, 1), nullptr);
  EXPECT_EQ(GetLastError(), plat::inet::ERROR_HTTP_HEADER_SIZE_OVERFLOW);
}

TEST(InetRequest, GathersSmallWritesAndSendsThemWhenABufferIsFullOrTheRequestEnds) {
  std::promise<void> wroteLittle, wroteFull;
  std::promise<int> pendingAfterLittle;
  std::string body = Pattern(100 * 1024);
  ReadRequest seen;
  ScriptedServer server([&](int fd) {
    wroteLittle.get_future().wait();
    pendingAfterLittle.set_value(PendingBytes(fd));
    wroteFull.get_future().wait();
    seen = ReadOneRequest(fd);
    SendAll(fd, "HTTP/1.0 200 OK\r\n\r\n");
  });
  Handle session = OpenSession();
  Post post = OpenPost(session, "127.0.0.1", server.Port());
  ASSERT_TRUE(Begin(post.request, static_cast<DWORD>(body.size())));
  DWORD error = 0;
  std::size_t little = plat::inet::kWriteGatherBytes - 1024 - 200;  // leaves room for the head too
  ASSERT_TRUE(WriteInBlocks(post.request, std::string_view(body).substr(0, little), 1024, error));
  wroteLittle.set_value();
  EXPECT_EQ(pendingAfterLittle.get_future().get(), 0);  // neither the head nor any block went out yet
  ASSERT_TRUE(WriteInBlocks(post.request, std::string_view(body).substr(little), 1024, error));
  wroteFull.set_value();
  ASSERT_TRUE(HttpEndRequestA(post.request, nullptr, 0, 0));
  EXPECT_EQ(QueryText(post.request, HTTP_QUERY_STATUS_CODE), "200");
  server.Join();
  EXPECT_TRUE(seen.complete);
  EXPECT_EQ(seen.body, body);
}

TEST(InetRequest, RefusesBodiesLongerThanDeclaredAndAbandonsShorterOnes) {
  RecordingServer exact("HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n");
  {
    Handle session = OpenSession();
    Post post = OpenPost(session, "127.0.0.1", exact.server.Port());
    ASSERT_TRUE(Begin(post.request, 10));
    DWORD written = 99;
    EXPECT_FALSE(InternetWriteFile(post.request, "0123456789A", 11, &written));
    EXPECT_EQ(GetLastError(), ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    EXPECT_EQ(written, 0u);
    ASSERT_TRUE(InternetWriteFile(post.request, "0123456789", 10, &written));
    EXPECT_FALSE(InternetWriteFile(post.request, "X", 1, &written));
    ASSERT_TRUE(HttpEndRequestA(post.request, nullptr, 0, 0));
  }
  EXPECT_EQ(exact.Seen().body, "0123456789");

  std::string received;
  ScriptedServer shortServer([&](int fd) { received = ReadUntilClosed(fd); });
  {
    Handle session = OpenSession();
    Post post = OpenPost(session, "127.0.0.1", shortServer.Port());
    ASSERT_TRUE(Begin(post.request, 10));
    DWORD written = 0;
    ASSERT_TRUE(InternetWriteFile(post.request, "01234", 5, &written));
    EXPECT_FALSE(HttpEndRequestA(post.request, nullptr, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    EXPECT_FALSE(InternetWriteFile(post.request, "56789", 5, &written));  // the request stays abandoned
  }
  shortServer.Join();
  EXPECT_EQ(received.find("01234"), std::string::npos);  // the short body never went out
}

TEST(InetRequest, AddsHeaderLinesByTheirFlagsAndRefusesMalformedOnes) {
  RecordingServer recorder("HTTP/1.0 204 No Content\r\n\r\n");
  {
    Handle session = OpenSession();
    Post post = OpenPost(session, "127.0.0.1", recorder.server.Port());
    EXPECT_TRUE(HttpAddRequestHeadersA(post.request, "X-One: 1\r\nX-Two:  2 \r\n", static_cast<DWORD>(-1),
                                       HTTP_ADDREQ_FLAG_ADD_IF_NEW));
    EXPECT_FALSE(HttpAddRequestHeadersA(post.request, "x-one: again", static_cast<DWORD>(-1),
                                        HTTP_ADDREQ_FLAG_ADD_IF_NEW));
    EXPECT_EQ(GetLastError(), ERROR_HTTP_HEADER_ALREADY_EXISTS);
    EXPECT_TRUE(HttpAddRequestHeadersA(post.request, "User-Agent: other", static_cast<DWORD>(-1),
                                       HTTP_ADDREQ_FLAG_REPLACE));
    for (const char* bad : {"no colon", "X-Inject: a\rEvil: b", ": empty name", "Content-Length: 5",
                            "Bad Name: x"}) {
      EXPECT_FALSE(HttpAddRequestHeadersA(post.request, bad, static_cast<DWORD>(-1), HTTP_ADDREQ_FLAG_ADD)) << bad;
      EXPECT_EQ(GetLastError(), ERROR_HTTP_INVALID_HEADER) << bad;
    }
    // A value longer than one field can hold is refused as such, not left to fail the start.
    const std::string tooLong = "X-Long: " + std::string(kMaxRequestFieldBytes + 1, 'v');
    EXPECT_FALSE(HttpAddRequestHeadersA(post.request, tooLong.c_str(), static_cast<DWORD>(-1), HTTP_ADDREQ_FLAG_ADD));
    EXPECT_EQ(GetLastError(), ERROR_HTTP_HEADER_SIZE_OVERFLOW);
    // The start record may carry more lines and the first body bytes; its size field must be right.
    char first[] = "abc";
    INTERNET_BUFFERSA buffers{};
    buffers.dwStructSize = 40;
    buffers.lpcszHeader = "X-Three: 3\r\n";
    buffers.dwHeadersLength = static_cast<DWORD>(-1);
    buffers.lpvBuffer = first;
    buffers.dwBufferLength = 3;
    buffers.dwBufferTotal = 3;
    EXPECT_FALSE(HttpSendRequestExA(post.request, &buffers, nullptr, HSR_INITIATE, 0));
    EXPECT_EQ(GetLastError(), plat::kernel::ERROR_INVALID_PARAMETER);
    buffers.dwStructSize = sizeof buffers;
    ASSERT_TRUE(HttpSendRequestExA(post.request, &buffers, nullptr, HSR_INITIATE, 0));
    ASSERT_TRUE(HttpEndRequestA(post.request, nullptr, 0, 0));
    EXPECT_EQ(QueryText(post.request, HTTP_QUERY_STATUS_CODE), "204");
    EXPECT_FALSE(HttpAddRequestHeadersA(post.request, "X-Late: 1", static_cast<DWORD>(-1), 0));
  }
  EXPECT_EQ(FieldOf(recorder.Seen().head, "X-One"), "1");
  EXPECT_EQ(FieldOf(recorder.Seen().head, "X-Two"), "2");
  EXPECT_EQ(FieldOf(recorder.Seen().head, "User-Agent"), "other");
  EXPECT_EQ(FieldOf(recorder.Seen().head, "X-Three"), "3");
  EXPECT_EQ(FieldOf(recorder.Seen().head, "Content-Length"), "3");
  EXPECT_EQ(recorder.Seen().body, "abc");
  EXPECT_EQ(recorder.Seen().head.find("Evil"), std::string::npos);
}

TEST(InetReply, ReportsEveryStatusAsTextAndNumberWithoutFollowingRedirects) {
  for (const char* reply : {"HTTP/1.0 200 OK\r\n\r\n", "HTTP/1.1 302 Found\r\nLocation: http://elsewhere/\r\n\r\n",
                            "HTTP/1.0 404 Not Found\r\n\r\n", "HTTP/1.0 500 Internal Server Error\r\n\r\n"}) {
    SCOPED_TRACE(reply);
    ScriptedServer server([&](int fd) {
      ReadOneRequest(fd);
      SendAll(fd, reply);
    });
    Handle session = OpenSession();
    Post post = OpenPost(session, "127.0.0.1", server.Port());
    ASSERT_TRUE(Begin(post.request, 0));
    ASSERT_TRUE(HttpEndRequestA(post.request, nullptr, 0, 0));
    std::string expected(reply + 9, 3);
    EXPECT_EQ(QueryText(post.request, HTTP_QUERY_STATUS_CODE), expected);
    DWORD number = 0, length = sizeof number;
    ASSERT_TRUE(HttpQueryInfoA(post.request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &number, &length, nullptr));
    EXPECT_EQ(number, static_cast<DWORD>(std::stoi(expected)));
    EXPECT_EQ(server.Accepted(), 1);
  }
}

TEST(InetReply, AnswersHeaderQueriesOrSaysWhyNot) {
  ScriptedServer server([](int fd) {
    ReadOneRequest(fd);
    SendAll(fd, "HTTP/1.0 200 Fine\r\nContent-Length: 5000\r\nX-Custom: yes\r\n\r\n" + Pattern(5000));
  });
  Handle session = OpenSession();
  Post post = OpenPost(session, "127.0.0.1", server.Port());
  char text[80];
  DWORD length = sizeof text;
  EXPECT_FALSE(HttpQueryInfoA(post.request, HTTP_QUERY_STATUS_CODE, text, &length, nullptr));  // not sent yet
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_INCORRECT_HANDLE_STATE);
  ASSERT_TRUE(Begin(post.request, 0));
  ASSERT_TRUE(HttpEndRequestA(post.request, nullptr, 0, 0));

  DWORD number = 0;
  length = sizeof number;
  ASSERT_TRUE(HttpQueryInfoA(post.request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &number, &length, nullptr));
  EXPECT_EQ(number, 5000u);
  EXPECT_EQ(QueryText(post.request, HTTP_QUERY_STATUS_TEXT), "Fine");
  length = 3;  // "200" needs four bytes with its zero
  EXPECT_FALSE(HttpQueryInfoA(post.request, HTTP_QUERY_STATUS_CODE, text, &length, nullptr));
  EXPECT_EQ(GetLastError(), plat::kernel::ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(length, 4u);
  std::strcpy(text, "x-custom");
  length = sizeof text;
  ASSERT_TRUE(HttpQueryInfoA(post.request, HTTP_QUERY_CUSTOM, text, &length, nullptr));
  EXPECT_EQ(std::string(text, length), "yes");
  length = sizeof text;
  EXPECT_FALSE(HttpQueryInfoA(post.request, HTTP_QUERY_CONTENT_TYPE, text, &length, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_HTTP_HEADER_NOT_FOUND);
  length = sizeof text;
  EXPECT_FALSE(HttpQueryInfoA(post.request, 12345, text, &length, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_HTTP_INVALID_QUERY_REQUEST);

  // The same reply without Content-Length: the query fails with "header not found".
  ScriptedServer bare([](int fd) {
    ReadOneRequest(fd);
    SendAll(fd, "HTTP/1.0 200 OK\r\n\r\nbody");
  });
  Post second = OpenPost(session, "127.0.0.1", bare.Port());
  ASSERT_TRUE(Begin(second.request, 0));
  ASSERT_TRUE(HttpEndRequestA(second.request, nullptr, 0, 0));
  length = sizeof number;
  EXPECT_FALSE(HttpQueryInfoA(second.request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &number, &length, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_HTTP_HEADER_NOT_FOUND);
}

TEST(InetReply, ReadsReturnTheCountAskedAndFewerOnlyAtTheEnd) {
  std::string body = Pattern(5000);  // zero bytes included
  // The body arrives in small pieces with pauses: a read still waits for all it asked for.
  ScriptedServer server([&](int fd) {
    ReadOneRequest(fd);
    SendAll(fd, "HTTP/1.0 200 OK\r\nContent-Length: 5000\r\n\r\n");
    for (std::size_t at = 0; at < body.size(); at += 700) {
      SendAll(fd, std::string_view(body).substr(at, 700));
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ReadUntilClosed(fd);
  });
  Handle session = OpenSession();
  Post post = OpenPost(session, "127.0.0.1", server.Port());
  ASSERT_TRUE(Begin(post.request, 0));
  ASSERT_TRUE(HttpEndRequestA(post.request, nullptr, 0, 0));
  std::string buffer(10000, 'x');
  DWORD got = 0;
  ASSERT_TRUE(InternetReadFile(post.request, buffer.data(), 3000, &got));
  EXPECT_EQ(got, 3000u);
  ASSERT_TRUE(InternetReadFile(post.request, buffer.data() + 3000, 7000, &got));
  EXPECT_EQ(got, 2000u);  // the rest, although more was asked for
  EXPECT_EQ(buffer.substr(0, 5000), body);
  ASSERT_TRUE(InternetReadFile(post.request, buffer.data(), 100, &got));
  EXPECT_EQ(got, 0u);
}

TEST(InetReply, ReadsAReplyWithoutLengthToTheServersClose) {
  std::string body = Pattern(300000);
  for (std::string reply : {"HTTP/1.0 200 OK\r\n\r\n" + body, std::string("HTTP/1.0 200 OK\r\n\r\n"),
                            std::string("HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n")}) {
    ScriptedServer server([&](int fd) {
      ReadOneRequest(fd);
      SendAll(fd, reply);
    });
    Handle session = OpenSession();
    Post post = OpenPost(session, "127.0.0.1", server.Port());
    ASSERT_TRUE(Begin(post.request, 0));
    ASSERT_TRUE(HttpEndRequestA(post.request, nullptr, 0, 0));
    std::string expected = reply.substr(reply.find("\r\n\r\n") + 4);
    EXPECT_EQ(ReadToEnd(post.request, 1024), expected);
  }
}

TEST(InetOpenUrl, GetsTheAddressWithHttp10AndLeavesTheReplyUnread) {
  RecordingServer recorder("HTTP/1.0 200 OK\r\nContent-Type: image/gif\r\nContent-Length: 43\r\n\r\n" + Pattern(43));
  {
    Handle session = OpenSession();
    std::string url = "http://127.0.0.1:" + std::to_string(recorder.server.Port()) + "/bin/Plimtrans.gif";
    Handle request = InternetOpenUrlA(session, url.c_str(), nullptr, 0,
                                      INTERNET_FLAG_RELOAD | INTERNET_FLAG_EXISTING_CONNECT, 0);
    ASSERT_NE(request.get(), nullptr) << GetLastError();
    EXPECT_EQ(QueryText(request, HTTP_QUERY_STATUS_CODE), "200");
  }
  EXPECT_EQ(recorder.Seen().head.substr(0, recorder.Seen().head.find("\r\n")), "GET /bin/Plimtrans.gif HTTP/1.0");
  EXPECT_EQ(FieldOf(recorder.Seen().head, "User-Agent"), "zelk");
  EXPECT_EQ(FieldOf(recorder.Seen().head, "Content-Length"), "");

  Handle session = OpenSession();
  for (auto [url, error] : {std::pair{"ftp://host/x", ERROR_INTERNET_UNRECOGNIZED_SCHEME},
                            std::pair{"https://host/x", ERROR_INTERNET_UNRECOGNIZED_SCHEME},
                            std::pair{"no scheme at all", ERROR_INTERNET_UNRECOGNIZED_SCHEME},
                            std::pair{"http:///path", ERROR_INTERNET_INVALID_URL},
                            std::pair{"http://user@host/", ERROR_INTERNET_INVALID_URL},
                            std::pair{"http://host:99999/", ERROR_INTERNET_INVALID_URL}}) {
    EXPECT_EQ(InternetOpenUrlA(session, url, nullptr, 0, 0, 0), nullptr) << url;
    EXPECT_EQ(GetLastError(), error) << url;
  }
}

TEST(InetHandles, ClosingASessionClosesWhatWasOpenedUnderItAndStaleHandlesStayInvalid) {
  HINTERNET session = InternetOpenA("zelk", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  HINTERNET connection = InternetConnectA(session, "127.0.0.1", 80, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 1);
  HINTERNET request = HttpOpenRequestA(connection, "POST", "/", "HTTP/1.0", "", nullptr, 0, 1);
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(HttpOpenRequestA(session, "POST", "/", "HTTP/1.0", "", nullptr, 0, 1), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
  EXPECT_EQ(InternetConnectA(session, "h", 80, nullptr, nullptr, 1 /* FTP */, 0, 1), nullptr);

  ASSERT_TRUE(InternetCloseHandle(session));
  DWORD written = 0;
  EXPECT_FALSE(InternetWriteFile(request, "x", 1, &written));
  EXPECT_EQ(GetLastError(), plat::kernel::ERROR_INVALID_HANDLE);
  EXPECT_FALSE(InternetCloseHandle(connection));
  EXPECT_FALSE(InternetCloseHandle(session));
  EXPECT_EQ(GetLastError(), plat::kernel::ERROR_INVALID_HANDLE);
  EXPECT_EQ(InternetOpenA("a", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, INTERNET_FLAG_ASYNC), nullptr);
}

TEST(InetHandles, AClosedRequestRefusesTheNextWriteAndAnotherRequestOnTheSameThreadIsWrittenToItself) {
  RecordingServer first("HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n");
  RecordingServer second("HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n");
  Handle session = OpenSession();
  Post one = OpenPost(session, "127.0.0.1", first.server.Port());
  Post two = OpenPost(session, "127.0.0.1", second.server.Port());
  ASSERT_TRUE(Begin(one.request, 8));
  ASSERT_TRUE(Begin(two.request, 8));
  DWORD written = 0;
  // Writes alternate between the two requests, block by block.
  ASSERT_TRUE(InternetWriteFile(one.request, "1111", 4, &written));
  ASSERT_TRUE(InternetWriteFile(two.request, "2222", 4, &written));
  ASSERT_TRUE(InternetWriteFile(one.request, "aaaa", 4, &written));
  ASSERT_TRUE(InternetWriteFile(two.request, "bbbb", 4, &written));
  ASSERT_TRUE(HttpEndRequestA(one.request, nullptr, 0, 0));
  ASSERT_TRUE(HttpEndRequestA(two.request, nullptr, 0, 0));
  EXPECT_EQ(first.Seen().body, "1111aaaa");
  EXPECT_EQ(second.Seen().body, "2222bbbb");

  // A request written to a moment ago and then closed is gone for the next write too.
  RecordingServer third("HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n");
  Post three = OpenPost(session, "127.0.0.1", third.server.Port());
  ASSERT_TRUE(Begin(three.request, 8));
  ASSERT_TRUE(InternetWriteFile(three.request, "3333", 4, &written));
  HINTERNET closed = three.request.release();
  ASSERT_TRUE(InternetCloseHandle(closed));
  EXPECT_FALSE(InternetWriteFile(closed, "cccc", 4, &written));
  EXPECT_EQ(GetLastError(), plat::kernel::ERROR_INVALID_HANDLE);
}

TEST(InetHandles, TimeLimitsStartAtTheDefaultsAndPassToHandlesOpenedLater) {
  Handle session = OpenSession();
  DWORD value = 0, length = sizeof value;
  ASSERT_TRUE(InternetQueryOptionA(session, INTERNET_OPTION_RECEIVE_TIMEOUT, &value, &length));
  EXPECT_EQ(value, plat::inet::kDefaultReceiveTimeoutMs);
  DWORD shorter = 1234;
  ASSERT_TRUE(InternetSetOptionA(session, INTERNET_OPTION_SEND_TIMEOUT, &shorter, sizeof shorter));
  Handle connection = InternetConnectA(session, "h", 0, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 1);
  length = sizeof value;
  ASSERT_TRUE(InternetQueryOptionA(connection, INTERNET_OPTION_SEND_TIMEOUT, &value, &length));
  EXPECT_EQ(value, 1234u);
  length = sizeof value;
  ASSERT_TRUE(InternetQueryOptionA(connection, INTERNET_OPTION_CONNECT_TIMEOUT, &value, &length));
  EXPECT_EQ(value, plat::inet::kDefaultConnectTimeoutMs);
  length = sizeof value;
  ASSERT_TRUE(InternetQueryOptionA(connection, INTERNET_OPTION_REPLY_TIMEOUT, &value, &length));
  EXPECT_EQ(value, plat::inet::kDefaultReplyTimeoutMs);

  DWORD zero = 0;
  EXPECT_FALSE(InternetSetOptionA(session, INTERNET_OPTION_RECEIVE_TIMEOUT, &zero, sizeof zero));
  EXPECT_FALSE(InternetSetOptionA(session, 999, &shorter, sizeof shorter));
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_INVALID_OPTION);
  EXPECT_FALSE(InternetSetOptionA(session, INTERNET_OPTION_RECEIVE_TIMEOUT, &shorter, 2));
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_BAD_OPTION_LENGTH);
}

TEST(InternetException, CarriesTheErrorNumberAndItsDescription) {
  plat::kernel::SetLastError(ERROR_INTERNET_CANNOT_CONNECT);
  try {
    ThrowLastInternetError(7);
    FAIL() << "nothing thrown";
  } catch (const InternetException& e) {
    EXPECT_EQ(e.GetErrorCode(), ERROR_INTERNET_CANNOT_CONNECT);
    EXPECT_EQ(e.GetContext(), 7u);
    EXPECT_FALSE(e.GetDescription().empty());
    EXPECT_EQ(e.GetDescription(), InternetErrorDescription(ERROR_INTERNET_CANNOT_CONNECT));
  }
  InternetException unknown(12999);
  EXPECT_TRUE(unknown.GetDescription().empty());
  EXPECT_STREQ(unknown.what(), "internet error 12999");
  for (DWORD error : {ERROR_INTERNET_TIMEOUT, ERROR_INTERNET_NAME_NOT_RESOLVED, ERROR_INTERNET_CONNECTION_ABORTED,
                      ERROR_INTERNET_CONNECTION_RESET, ERROR_HTTP_INVALID_SERVER_RESPONSE, ERROR_HTTP_HEADER_NOT_FOUND}) {
    EXPECT_FALSE(InternetErrorDescription(error).empty()) << error;
  }
  plat::kernel::SetLastError(ERROR_INTERNET_TIMEOUT);
  InternetErrorDescription(12999);  // a failed look-up
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_TIMEOUT);
}

}  // namespace
