// The HTTP client's default time limits and buffer sizes: the one place where they are set.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/base/types.h"

namespace plat::inet {

// Every network wait is bounded, so that no call waits forever on a silent server. A session starts
// with these values; InternetSetOptionA changes them per handle.
//
// Connect: name resolution plus the TCP connection (all addresses of the name together).
constexpr DWORD kDefaultConnectTimeoutMs = 30'000;
// Send: one socket write of gathered body bytes (at most kWriteGatherBytes) must be taken by the
// peer within this time.
constexpr DWORD kDefaultSendTimeoutMs = 60'000;
// Receive: the whole reply header, and then each piece of the reply body, must arrive within this time.
constexpr DWORD kDefaultReceiveTimeoutMs = 60'000;
// Reply: the whole reply, from the end of the request to the last body byte, must arrive within this
// time. The receive limit alone restarts with every piece, so a server trickling a byte now and then
// could hold a request for ever.
constexpr DWORD kDefaultReplyTimeoutMs = 120'000;

// Body bytes given to InternetWriteFile are gathered up to this many before a socket write, so that
// the control's 1024-byte blocks do not each become a system call. Memory per request stays at this.
constexpr std::size_t kWriteGatherBytes = 64 * 1024;

// The longest reply header accepted (status line and all fields); a longer one is an invalid reply.
constexpr std::size_t kMaxReplyHeaderBytes = 64 * 1024;

// The longest value one request field may hold (the request writer keeps a field's length in 16
// bits, with its CR LF); a longer one is refused (12182) before anything is sent.
constexpr std::size_t kMaxRequestFieldBytes = 65'533;

// The largest chunk a chunked reply may declare; a larger one is an invalid reply (12152).
constexpr std::uint64_t kMaxReplyChunkBytes = 0xFFFFFFFFu;

}  // namespace plat::inet
