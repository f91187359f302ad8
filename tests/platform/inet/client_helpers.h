// Test support: owning wrappers and short-hands around the HTTP client's C-shaped calls.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "platform/inet/inet.h"
#include "platform/kernel/error.h"

namespace inettest {

using namespace plat::inet;
using plat::BOOL;
using plat::DWORD;

// Closes the handle at scope end.
class Handle {
 public:
  Handle(HINTERNET handle = nullptr) : handle_(handle) {}
  ~Handle() { Reset(); }
  Handle(Handle&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
  Handle& operator=(Handle&& other) noexcept {
    Reset();
    handle_ = other.handle_;
    other.handle_ = nullptr;
    return *this;
  }
  void Reset() {
    if (handle_ != nullptr) InternetCloseHandle(handle_);
    handle_ = nullptr;
  }
  operator HINTERNET() const { return handle_; }
  HINTERNET get() const { return handle_; }
  // Gives up the handle without closing it.
  HINTERNET release() {
    HINTERNET handle = handle_;
    handle_ = nullptr;
    return handle;
  }

 private:
  HINTERNET handle_;
};

// A session with the control's agent text; time limits (ms) are set when nonzero.
inline Handle OpenSession(DWORD connectMs = 0, DWORD sendMs = 0, DWORD receiveMs = 0) {
  Handle session = InternetOpenA("zelk", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  DWORD options[][2] = {{INTERNET_OPTION_CONNECT_TIMEOUT, connectMs},
                        {INTERNET_OPTION_SEND_TIMEOUT, sendMs},
                        {INTERNET_OPTION_RECEIVE_TIMEOUT, receiveMs}};
  for (auto& [option, ms] : options) {
    if (ms != 0) InternetSetOptionA(session, option, &ms, sizeof ms);
  }
  return session;
}

// A connection and a POST request opened the way the control opens its upload.
struct Post {
  Handle connection;
  Handle request;
};
inline Post OpenPost(HINTERNET session, const char* host, int port, const char* path = "/upload.php",
                     const char* referer = "") {
  Post post;
  post.connection = InternetConnectA(session, host, static_cast<INTERNET_PORT>(port), nullptr, nullptr,
                                     INTERNET_SERVICE_HTTP, 0, 1);
  post.request = HttpOpenRequestA(post.connection, "POST", path, "HTTP/1.0", referer, nullptr,
                                  INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_NO_AUTO_REDIRECT, 1);
  return post;
}

// Starts the request with a declared body length.
inline BOOL Begin(HINTERNET request, DWORD total) {
  INTERNET_BUFFERSA buffers{};
  buffers.dwStructSize = sizeof buffers;
  buffers.dwBufferTotal = total;
  return HttpSendRequestExA(request, &buffers, nullptr, HSR_INITIATE, 1);
}

// Writes `bytes` in calls of `block` bytes; on a failed call returns false with `error` set.
inline bool WriteInBlocks(HINTERNET request, std::string_view bytes, std::size_t block, DWORD& error) {
  for (std::size_t at = 0; at < bytes.size(); at += block) {
    DWORD count = static_cast<DWORD>(std::min(block, bytes.size() - at));
    DWORD written = 0;
    if (!InternetWriteFile(request, bytes.data() + at, count, &written)) {
      error = plat::kernel::GetLastError();
      return false;
    }
    if (written != count) return false;
  }
  return true;
}

// A header query as text with an 80-byte buffer, as the control asks for the status; "" on failure.
inline std::string QueryText(HINTERNET request, DWORD level) {
  char buffer[80] = {};
  DWORD length = sizeof buffer;
  if (!HttpQueryInfoA(request, level, buffer, &length, nullptr)) return "";
  return std::string(buffer, length);
}

// Reads the reply body to its end in reads of `piece` bytes.
inline std::string ReadToEnd(HINTERNET request, DWORD piece = 4096) {
  std::string body;
  std::string buffer(piece, '\0');
  DWORD got = 0;
  while (InternetReadFile(request, buffer.data(), piece, &got) && got > 0) body.append(buffer.data(), got);
  return body;
}

// Bytes of a recognisable pattern with zero bytes in it.
inline std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

}  // namespace inettest
