// Parsing and describing the receiver's command line.
#include "receiver/options.h"

#include <charconv>
#include <string_view>

namespace receiver {
namespace {

template <class Number>
bool ToNumber(std::string_view text, Number& out) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && end == text.data() + text.size();
}

// The options that are followed by a value.
bool TakesValue(std::string_view arg) {
  static constexpr std::string_view kWithValue[] = {
      "--listen",     "--dir",       "--save-raw",   "--reply-file",   "--port",     "--status",
      "--reply-delay", "--read-delay", "--read-rate", "--read-timeout", "--drop-after"};
  for (std::string_view option : kWithValue)
    if (arg == option) return true;
  return false;
}

}  // namespace

bool ParseOptions(int argc, const char* const* argv, ReceiverOptions& out, std::string& error) {
  out = ReceiverOptions{};
  for (int i = 0; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      out.help = true;
      return true;
    }
    if (arg == "--no-length") {
      out.noLength = true;
      continue;
    }
    if (arg == "--discard") {
      out.discard = true;
      continue;
    }
    if (!TakesValue(arg)) {
      error = std::string(arg) + ": unknown option";
      return false;
    }
    if (i + 1 >= argc) {
      error = std::string(arg) + ": needs a value";
      return false;
    }
    std::string_view value = argv[++i];
    bool ok = true;
    if (arg == "--listen") {
      out.listen = value;
    } else if (arg == "--dir") {
      out.dir = value;
    } else if (arg == "--save-raw") {
      out.saveRawDir = value;
    } else if (arg == "--reply-file") {
      out.replyFile = value;
    } else if (arg == "--port") {
      ok = ToNumber(value, out.port) && out.port > 0 && out.port < 65536;
    } else if (arg == "--status") {
      ok = ToNumber(value, out.status) && out.status >= 100 && out.status <= 999;
    } else if (arg == "--reply-delay") {
      ok = ToNumber(value, out.replyDelayMs);
    } else if (arg == "--read-delay") {
      ok = ToNumber(value, out.readDelayMs);
    } else if (arg == "--read-rate") {
      ok = ToNumber(value, out.readRate) && out.readRate > 0;
    } else if (arg == "--read-timeout") {
      ok = ToNumber(value, out.readTimeoutSec) && out.readTimeoutSec > 0;
    } else if (arg == "--drop-after") {
      std::uint64_t bytes = 0;
      ok = ToNumber(value, bytes);
      out.dropAfter = bytes;
    }
    if (!ok) {
      error = std::string(arg) + ": bad value " + std::string(value);
      return false;
    }
  }
  if (out.listen.empty()) {
    error = "--listen ADDRESS is required";
    return false;
  }
  if (out.dir.empty() && !out.discard) {
    error = "--dir DIR is required (unless --discard)";
    return false;
  }
  return true;
}

std::string UsageLine() { return "usage: upload-receiver --listen ADDRESS --dir DIR [options]"; }

std::string UsageText() {
  return UsageLine() + R"(

A small upload server. It accepts any POST; a multipart/form-data body is parsed as it streams in,
each file part is written to DIR under a name of the receiver's own (<request>-<part>.part: a sent
filename never chooses a path), and the reply (status 200, application/json) sums up the request:

  request            the request's number (1, 2, ...) since the receiver started
  method, target, version, headers (an object of name: value as the server library read them)
  bodyBytes, bodyCrc32      body length received and its CRC-32 (8 hex digits, as zlib computes it)
  multipart, boundary       whether the body was multipart and its boundary parameter
  complete           true when the body ended with its closing delimiter and nothing was malformed
  error              why the body is not complete (when it is not)
  epilogueBytes      bytes after the closing delimiter line
  fields, files      the text parts and the file parts, each list in body order, each entry with
                     index (position in the body, from 1), name and nameHex, size, crc32, contentType
                     (when the part has one) and headerHex (the raw part header); text parts add value
                     and valueHex (kept up to 1 MiB; valueTruncated beyond); file parts add filename
                     and filenameHex, stored (the file name under DIR) and storeError when storing
                     failed (the reply is then 500).
  raw                with --save-raw: the file holding this connection's request bytes

Texts arrive as code page 949 bytes (the control's ANSI code page): "name", "value" and "filename"
are their UTF-8 conversions (characters that do not convert become '?'); the "...Hex" members hold
the exact bytes received, two lower-case hex digits per byte.

GET /bin/Plimtrans.gif answers a 1x1 GIF; other GETs answer 404. One line per request is printed.

options:
  --listen ADDRESS     address to listen on, e.g. 127.0.0.5 (required)
  --port N             port (default 80)
  --dir DIR            where file parts are stored (created when missing)
  --status N           answer every request with status N (e.g. 404, 500; 302 adds Location: /)
  --no-length          replies carry no Content-Length; the connection's close ends them
  --reply-delay MS     wait MS milliseconds before answering
  --read-delay MS      wait MS milliseconds after each piece of body read (a slow reader)
  --read-rate BYTES    read at most BYTES body bytes a second (a slow link; the demo's is one)
  --drop-after N       after N body bytes, reset the connection without an answer
  --discard            read and count the body only (no parsing, no storing; for benchmarks)
  --save-raw DIR       put a recording relay in front: every connection's request bytes, exactly as
                       sent (request line, header, body), go to DIR/<connection>.raw; the summary
                       names the file in "raw"
  --reply-file FILE    answer with the bytes of FILE instead of the summary (type
                       application/octet-stream)
  --read-timeout SEC   how long a silent client is waited for (default 30)
  --help               this text
)";
}

}  // namespace receiver
