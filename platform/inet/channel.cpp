// One HTTP exchange over Boost.Beast: asynchronous operations driven to completion one at a time on a
// private io_context, so that each one can carry its own time limit.
#include "platform/inet/channel.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <limits>
#include <optional>

#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include "platform/inet/defaults.h"
#include "platform/inet/internet_error.h"
#include "platform/kernel/error.h"

namespace plat::inet::detail {
namespace {

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = net::ip::tcp;

enum class Phase { Connect, Send, ReplyHead, ReplyBody };

// The WinInet number for a failed socket or parser operation, by what was being done.
DWORD MapError(const beast::error_code& ec, Phase phase) {
  if (ec == beast::error::timeout || ec == net::error::timed_out) return ERROR_INTERNET_TIMEOUT;
  if (ec == net::error::operation_aborted) return ERROR_INTERNET_OPERATION_CANCELLED;
  if (phase == Phase::Connect) return ERROR_INTERNET_CANNOT_CONNECT;
  if (ec == net::error::connection_reset) return ERROR_INTERNET_CONNECTION_RESET;
  if (ec.category() == beast::error_code(http::error::end_of_stream).category()) {  // Beast's HTTP errors
    if (ec == http::error::end_of_stream || ec == http::error::partial_message) {
      // Nothing at all before the close is an aborted exchange; a header cut off is not a reply.
      if (phase == Phase::ReplyHead && ec == http::error::partial_message) return ERROR_HTTP_INVALID_SERVER_RESPONSE;
      return ERROR_INTERNET_CONNECTION_ABORTED;
    }
    return ERROR_HTTP_INVALID_SERVER_RESPONSE;
  }
  return ERROR_INTERNET_CONNECTION_ABORTED;
}

std::chrono::milliseconds Ms(DWORD ms) { return std::chrono::milliseconds(ms); }

}  // namespace

struct HttpChannel::Impl {
  net::io_context ioc{1};
  beast::tcp_stream stream{ioc};
  beast::flat_buffer buffer{kMaxReplyHeaderBytes + 64 * 1024};
  std::optional<http::response_parser<http::buffer_body>> parser;
  bool open = false;
  std::chrono::steady_clock::time_point replyDeadline;  // the whole reply must be in by then
  std::atomic<bool> aborted{false};  // set by Abort from any thread; never cleared
  // A chunk size no reply could carry (2^64-1, say) is a broken or hostile framing: reading on would
  // hand the framing that follows to the caller as body bytes.
  std::function<void(std::uint64_t, beast::string_view, beast::error_code&)> chunkCheck =
      [](std::uint64_t size, beast::string_view, beast::error_code& ec) {
        if (size > kMaxReplyChunkBytes) ec = http::error::bad_chunk;
      };

  // Starts one asynchronous operation and runs the io_context until it (and its timer) completed.
  // Abort stops the io_context from another thread: the operation is then cancelled, its handler
  // drained, and the result is operation_aborted. The flag is tested after restart, so an Abort that
  // came before restart is not lost, and one that comes after it leaves the io_context stopped.
  template <class Initiate>
  beast::error_code Run(Initiate&& initiate) {
    beast::error_code result = net::error::operation_aborted;
    bool completed = false;
    initiate([&result, &completed](beast::error_code ec, auto&&...) {
      result = ec;
      completed = true;
    });
    ioc.restart();
    if (!aborted.load()) ioc.run();
    if (!completed) {
      beast::error_code ignored;
      stream.socket().cancel(ignored);
      stream.cancel();
      ioc.restart();
      ioc.run();
      return net::error::operation_aborted;
    }
    return result;
  }

  DWORD Fail(const beast::error_code& ec, Phase phase) {
    DWORD error = MapError(ec, phase);
    CloseSocket();
    return error;
  }

  // Bounds the next wait by `ms`, and never past the whole reply's deadline.
  void ExpireWithinReply(DWORD ms) {
    stream.expires_at(std::min(std::chrono::steady_clock::now() + Ms(ms), replyDeadline));
  }

  void CloseSocket() {
    if (!open) return;
    beast::error_code ignored;
    stream.socket().shutdown(tcp::socket::shutdown_both, ignored);
    stream.close();
    open = false;
  }

  void NewParser(bool bodyless) {
    parser.emplace();
    parser->header_limit(static_cast<std::uint32_t>(kMaxReplyHeaderBytes));
    // No limit: the caller's buffers bound what is held, whatever the server declares. (Boost 1.74
    // compares an empty limit as smaller than any length, so "none" cannot say this.)
    parser->body_limit(std::numeric_limits<std::uint64_t>::max());
    if (bodyless) parser->skip(true);
    parser->on_chunk_header(chunkCheck);
  }
};

std::string SerializeRequestHead(const RequestHead& head) {
  // The body is written by hand after the header, so the message carries an empty body and the
  // fields (Content-Length included) exactly as composed; nothing is recomputed.
  http::request<http::empty_body> request;
  request.method_string(head.method);
  request.target(head.target);
  request.version(head.version);
  for (const HeadField& field : head.fields) request.insert(field.name, field.value);

  http::request_serializer<http::empty_body> serializer{request};
  serializer.split(true);
  std::string out;
  beast::error_code ec;
  do {
    serializer.next(ec, [&](beast::error_code& visitError, const auto& buffers) {
      visitError = {};
      std::size_t size = 0;
      for (auto piece : beast::buffers_range_ref(buffers)) {
        out.append(static_cast<const char*>(piece.data()), piece.size());
        size += piece.size();
      }
      serializer.consume(size);
    });
  } while (!ec && !serializer.is_header_done());
  return out;
}

HttpChannel::HttpChannel() : impl_(std::make_unique<Impl>()) {}

HttpChannel::~HttpChannel() { impl_->CloseSocket(); }

DWORD HttpChannel::Connect(const std::vector<std::string>& addresses, WORD port, DWORD timeoutMs) {
  std::vector<tcp::endpoint> endpoints;
  for (const std::string& text : addresses) {
    beast::error_code ec;
    net::ip::address address = net::ip::make_address(text, ec);
    if (!ec) endpoints.emplace_back(address, port);
  }
  if (endpoints.empty()) return ERROR_INTERNET_NAME_NOT_RESOLVED;
  Impl& d = *impl_;
  d.stream.expires_after(Ms(timeoutMs));
  beast::error_code ec = d.Run([&](auto handler) { d.stream.async_connect(endpoints, std::move(handler)); });
  d.open = d.stream.socket().is_open();
  if (ec) return d.Fail(ec, Phase::Connect);
  beast::error_code ignored;
  // Body bytes are gathered before they reach the socket, so a short last piece should leave at once.
  d.stream.socket().set_option(tcp::no_delay(true), ignored);
  // Writes are tried at once and wait in the io_context only when the socket is full (Write).
  d.stream.socket().non_blocking(true, ignored);
  d.stream.expires_never();
  return kernel::ERROR_SUCCESS;
}

DWORD HttpChannel::Write(std::span<const char> first, std::span<const char> second, DWORD timeoutMs) {
  Impl& d = *impl_;
  if (!d.open) return ERROR_INTERNET_CONNECTION_ABORTED;
  if (d.aborted.load()) return d.Fail(net::error::operation_aborted, Phase::Send);
  // Each socket write carries at most kWriteGatherBytes, taking from `first` and then `second`, so
  // that the time limit measures progress and not the size of what the caller handed over.
  bool timed = false;
  while (!first.empty() || !second.empty()) {
    std::size_t fromFirst = std::min(first.size(), kWriteGatherBytes);
    std::size_t fromSecond = std::min(second.size(), kWriteGatherBytes - fromFirst);
    std::array<net::const_buffer, 2> pieces{net::buffer(first.data(), fromFirst),
                                            net::buffer(second.data(), fromSecond)};
    // The socket is non-blocking: what it takes at once costs one system call, and only the rest
    // (a peer that holds the transfer up) arms the time limit and waits in the io_context.
    beast::error_code ec;
    std::size_t taken = d.stream.socket().write_some(pieces, ec);
    if (ec == net::error::would_block || ec == net::error::try_again) {
      taken = 0;
      ec = {};
    }
    if (ec) return d.Fail(ec, Phase::Send);
    if (taken < fromFirst + fromSecond) {
      std::array<net::const_buffer, 2> rest = pieces;
      std::size_t skip = taken;
      for (net::const_buffer& piece : rest) {
        std::size_t cut = std::min(skip, piece.size());
        piece += cut;
        skip -= cut;
      }
      d.stream.expires_after(Ms(timeoutMs));
      timed = true;
      ec = d.Run([&](auto handler) { net::async_write(d.stream, rest, std::move(handler)); });
      if (ec) return d.Fail(ec, Phase::Send);
    }
    first = first.subspan(fromFirst);
    second = second.subspan(fromSecond);
  }
  if (timed) d.stream.expires_never();
  return kernel::ERROR_SUCCESS;
}

DWORD HttpChannel::ReadReplyHead(bool bodyless, DWORD timeoutMs, DWORD wholeMs) {
  Impl& d = *impl_;
  if (!d.open) return ERROR_INTERNET_CONNECTION_ABORTED;
  d.replyDeadline = std::chrono::steady_clock::now() + Ms(wholeMs);
  d.ExpireWithinReply(timeoutMs);
  for (;;) {
    d.NewParser(bodyless);
    beast::error_code ec =
        d.Run([&](auto handler) { http::async_read_header(d.stream, d.buffer, *d.parser, std::move(handler)); });
    if (ec) return d.Fail(ec, Phase::ReplyHead);
    unsigned status = d.parser->get().result_int();
    if (status < 100 || status >= 200 || status == 101) break;  // an interim reply: the real one follows
  }
  d.stream.expires_never();
  return kernel::ERROR_SUCCESS;
}

unsigned HttpChannel::Status() const { return impl_->parser ? impl_->parser->get().result_int() : 0; }

std::string HttpChannel::Reason() const {
  return impl_->parser ? std::string(impl_->parser->get().reason()) : std::string();
}

bool HttpChannel::FindField(std::string_view name, std::string& value) const {
  if (!impl_->parser) return false;
  const auto& header = impl_->parser->get();
  auto it = header.find(beast::string_view(name.data(), name.size()));
  if (it == header.end()) return false;
  value.assign(it->value().data(), it->value().size());
  return true;
}

DWORD HttpChannel::ReadBody(char* buffer, std::size_t size, std::size_t& got, DWORD timeoutMs) {
  Impl& d = *impl_;
  got = 0;
  if (!d.parser) return ERROR_INTERNET_INCORRECT_HANDLE_STATE;
  while (got < size && !d.parser->is_done()) {
    if (!d.open) return ERROR_INTERNET_CONNECTION_ABORTED;
    auto& body = d.parser->get().body();
    std::size_t room = size - got;
    body.data = buffer + got;
    body.size = room;
    d.ExpireWithinReply(timeoutMs);
    beast::error_code ec =
        d.Run([&](auto handler) { http::async_read_some(d.stream, d.buffer, *d.parser, std::move(handler)); });
    got += room - body.size;
    if (ec == http::error::need_buffer) ec = {};
    if (ec) return d.Fail(ec, Phase::ReplyBody);
  }
  d.stream.expires_never();
  return kernel::ERROR_SUCCESS;
}

void HttpChannel::Close() { impl_->CloseSocket(); }

void HttpChannel::Abort() {
  impl_->aborted.store(true);
  impl_->ioc.stop();
}

}  // namespace plat::inet::detail
