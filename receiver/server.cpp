// The receiver's HTTP side on cpp-httplib: uploads streamed through the content reader, the keep-alive
// image, the fault modes, and one printed line per request.
#include "receiver/server.h"

#include <httplib.h>
#include <strings.h>
#include <sys/socket.h>
#include <zlib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include <nlohmann/json.hpp>

#include "platform/text/text.h"
#include "receiver/connection_drop.h"
#include "receiver/listen_error.h"
#include "receiver/multipart_parser.h"
#include "receiver/raw_tap.h"
#include "receiver/upload_record.h"

namespace receiver {
namespace {

// A transparent 1x1 GIF89a.
constexpr unsigned char kPixelGif[] = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80, 0x00, 0x00,
                                       0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x21, 0xF9, 0x04, 0x01, 0x00, 0x00, 0x00,
                                       0x00, 0x2C, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x02, 0x02,
                                       0x44, 0x01, 0x00, 0x3B};

// The boundary parameter of a multipart/form-data Content-Type, unquoted; nullopt when not multipart.
std::optional<std::string> MultipartBoundary(const std::string& contentType) {
  if (contentType.size() < 19 || strncasecmp(contentType.c_str(), "multipart/form-data", 19) != 0) return std::nullopt;
  std::size_t at = 0;
  while ((at = contentType.find_first_of("bB", at)) != std::string::npos) {
    if (strncasecmp(contentType.c_str() + at, "boundary=", 9) == 0) break;
    ++at;
  }
  if (at == std::string::npos) return std::string();
  std::string value = contentType.substr(at + 9);
  value = value.substr(0, value.find(';'));
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.pop_back();
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
  return value;
}

class Receiver {
 public:
  explicit Receiver(const ReceiverOptions& options) : options_(options) {}

  int Run();

 private:
  struct Body {
    bool read = false;     // the library read it to its end
    bool dropped = false;  // the drop mode reset the connection
    std::uint64_t bytes = 0;
    std::uint32_t crc = 0;
  };

  void HandleUpload(const httplib::Request& request, httplib::Response& response, const httplib::ContentReader& reader);
  nlohmann::json RequestSummary(const httplib::Request& request, std::uint64_t number);
  // Reads the body through the library's content reader, feeding `parser` (may be null) as it comes.
  Body ReadBody(const httplib::Request& request, const httplib::ContentReader& reader, MultipartParser* parser);
  void HandleGet(const httplib::Request& request, httplib::Response& response);
  void Answer(httplib::Response& response, int status, std::string body, const std::string& type);
  void Log(const httplib::Request& request, int status, const std::string& detail);

  const ReceiverOptions& options_;
  std::string replyBytes_;  // --reply-file content
  std::unique_ptr<RawTap> tap_;
  std::atomic<std::uint64_t> requests_{0};
  std::mutex logMutex_;
};

void Receiver::Log(const httplib::Request& request, int status, const std::string& detail) {
  std::lock_guard lock(logMutex_);
  std::printf("%s %s %s -> %d%s\n", request.method.c_str(), plat::text::Cp949ToUtf8(request.target).c_str(),
              request.version.c_str(), status, detail.c_str());
  std::fflush(stdout);
}

void Receiver::Answer(httplib::Response& response, int status, std::string body, const std::string& type) {
  if (options_.replyDelayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(options_.replyDelayMs));
  response.status = options_.status != 200 ? options_.status : status;
  if (response.status >= 300 && response.status < 400) response.set_header("Location", "/");
  if (!options_.replyFile.empty()) body = replyBytes_;
  std::string contentType = options_.replyFile.empty() ? type : "application/octet-stream";
  if (!options_.noLength) {
    response.set_content(body, contentType.c_str());
    return;
  }
  // Without a length the reply ends when the connection closes.
  auto shared = std::make_shared<std::string>(std::move(body));
  response.set_content_provider(contentType.c_str(), [shared](std::size_t offset, httplib::DataSink& sink) {
    if (offset < shared->size()) sink.write(shared->data() + offset, shared->size() - offset);
    sink.done();
    return true;
  });
}

void Receiver::HandleGet(const httplib::Request& request, httplib::Response& response) {
  if (request.path == "/bin/Plimtrans.gif") {
    Answer(response, 200, std::string(std::begin(kPixelGif), std::end(kPixelGif)), "image/gif");
  } else {
    Answer(response, 404, "not found\n", "text/plain");
  }
  Log(request, response.status, "");
}

nlohmann::json Receiver::RequestSummary(const httplib::Request& request, std::uint64_t number) {
  nlohmann::json summary{{"request", number}, {"method", request.method},
                         {"target", plat::text::Cp949ToUtf8(request.target)}, {"version", request.version}};
  nlohmann::json headers = nlohmann::json::object();
  for (const auto& [name, value] : request.headers) {
    // The library adds the connection's addresses as pseudo fields; they were not sent.
    if (name == "LOCAL_ADDR" || name == "LOCAL_PORT" || name == "REMOTE_ADDR" || name == "REMOTE_PORT") continue;
    headers[name] = plat::text::Cp949ToUtf8(value);
  }
  summary["headers"] = headers;
  if (tap_) summary["raw"] = tap_->RawFileFor(request.remote_port);
  return summary;
}

Receiver::Body Receiver::ReadBody(const httplib::Request& request, const httplib::ContentReader& reader,
                                  MultipartParser* parser) {
  Body body;
  body.crc = static_cast<std::uint32_t>(crc32(0L, Z_NULL, 0));
  const auto begun = std::chrono::steady_clock::now();
  body.read = reader([&](const char* data, std::size_t size) {
    if (options_.dropAfter && body.bytes + size > *options_.dropAfter) {
      body.dropped = ResetConnection(request.local_addr, request.local_port, request.remote_addr, request.remote_port);
      return false;
    }
    body.bytes += size;
    if (!options_.discard) {
      body.crc = static_cast<std::uint32_t>(crc32(body.crc, reinterpret_cast<const Bytef*>(data), static_cast<uInt>(size)));
      if (parser != nullptr) parser->Feed(data, size);
    }
    if (options_.readDelayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(options_.readDelayMs));
    // At a read rate, the next piece is read no sooner than the bytes so far are due.
    if (options_.readRate > 0)
      std::this_thread::sleep_until(begun + std::chrono::microseconds(body.bytes * 1000000 / options_.readRate));
    return true;
  });
  return body;
}

void Receiver::HandleUpload(const httplib::Request& request, httplib::Response& response,
                            const httplib::ContentReader& reader) {
  std::uint64_t number = ++requests_;
  nlohmann::json summary = RequestSummary(request, number);
  std::optional<std::string> boundary = MultipartBoundary(request.get_header_value("Content-Type"));
  if (boundary) {
    // The library parses multipart bodies itself and would hand over parts, not bytes; this receiver
    // wants the exact body bytes, so it lets the library see a plain body type. The request object is
    // the library's mutable one; only the handler's view of it is const.
    auto& headersOfLibrary = const_cast<httplib::Headers&>(request.headers);
    headersOfLibrary.erase("Content-Type");
    headersOfLibrary.emplace("Content-Type", "application/octet-stream");
  }
  UploadRecord record(options_.dir, number);
  std::optional<MultipartParser> parser;
  if (boundary && !options_.discard) parser.emplace(*boundary, record);
  Body body = ReadBody(request, reader, parser ? &*parser : nullptr);
  if (body.dropped) {
    Log(request, 0, " (connection reset after " + std::to_string(body.bytes) + " body bytes)");
    return;
  }
  summary["bodyBytes"] = body.bytes;
  summary["multipart"] = boundary.has_value();
  std::string detail = " body=" + std::to_string(body.bytes);
  int status = body.read ? 200 : 400;
  if (options_.discard) {
    detail += " (discarded)";
  } else {
    summary["bodyCrc32"] = Crc32Hex(body.crc);
  }
  if (parser) {
    bool complete = parser->Finish() && body.read;
    summary["boundary"] = plat::text::Cp949ToUtf8(*boundary);
    summary["complete"] = complete;
    if (!complete) summary["error"] = body.read ? parser->Error() : "the body could not be read whole";
    summary["epilogueBytes"] = parser->EpilogueBytes();
    summary.update(record.PartsJson());
    if (!record.Stored()) status = 500;
    detail += " fields=" + std::to_string(summary["fields"].size()) + " files=" + std::to_string(summary["files"].size());
  }
  Answer(response, status, summary.dump(2, ' ', true) + "\n", "application/json");
  Log(request, response.status, detail);
}

int Receiver::Run() {
  if (!options_.replyFile.empty()) {
    std::ifstream in(options_.replyFile, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "upload-receiver: cannot read %s\n", options_.replyFile.c_str());
      return 2;
    }
    replyBytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::error_code ec;
  if (!options_.dir.empty()) std::filesystem::create_directories(options_.dir, ec);
  if (!options_.saveRawDir.empty()) std::filesystem::create_directories(options_.saveRawDir, ec);

  httplib::Server server;
  server.set_read_timeout(static_cast<time_t>(options_.readTimeoutSec));
  server.set_write_timeout(static_cast<time_t>(options_.readTimeoutSec));
  server.set_keep_alive_max_count(1);  // one request per connection, as the control's HTTP/1.0 expects
  // The library's default also sets SO_REUSEPORT, which lets a second receiver bind the same address
  // and port and take half of the connections. Only SO_REUSEADDR here (a restart need not wait for
  // old connections to time out), so a second server is refused as by any other server.
  server.set_socket_options([](socket_t sock) {
    int on = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  });
  server.Post(".*", [this](const httplib::Request& request, httplib::Response& response,
                           const httplib::ContentReader& reader) { HandleUpload(request, response, reader); });
  server.Get(".*", [this](const httplib::Request& request, httplib::Response& response) { HandleGet(request, response); });

  int bound = options_.port;
  if (!options_.saveRawDir.empty()) {
    bound = server.bind_to_any_port(options_.listen);
    tap_ = std::make_unique<RawTap>(options_.listen, options_.port, bound, options_.saveRawDir);
    std::string error;
    if (bound <= 0 || !tap_->Start(error)) {
      std::fprintf(stderr, "upload-receiver: %s\n", bound <= 0 ? "cannot bind the inner server" : error.c_str());
      return 1;
    }
  } else if (!server.bind_to_port(options_.listen, options_.port)) {
    std::fprintf(stderr, "upload-receiver: cannot listen on %s:%d: %s\n", options_.listen.c_str(), options_.port,
                 ExplainListenFailure(options_.listen, options_.port).c_str());
    return 1;
  }
  std::printf("listening on %s:%d\n", options_.listen.c_str(), options_.port);
  std::fflush(stdout);
  return server.listen_after_bind() ? 0 : 1;
}

}  // namespace

int RunReceiver(const ReceiverOptions& options) {
  Receiver receiver(options);
  return receiver.Run();
}

}  // namespace receiver
