// The HTTP client library in the WinInet call shape: sessions, connections and requests over TCP.
//
// Conventions of every function below:
// - A function that returns a handle returns nullptr on failure; one that returns BOOL returns FALSE.
//   Either way the calling thread's last error (plat::kernel::GetLastError) then holds the WinInet
//   error number (12002 timed out, 12007 name not resolved, 12029 cannot connect, ...; see
//   internet_error.h) or a system error number (ERROR_INVALID_HANDLE, ERROR_INVALID_PARAMETER,
//   ERROR_INSUFFICIENT_BUFFER). Success leaves the last error as it was.
// - Requests speak HTTP/1.0 unless the caller names another version; redirects are never followed;
//   replies are never cached. Every network wait is bounded by the handle's time limits
//   (defaults.h; settable with InternetSetOptionA).
// - A session may be used from several threads at once. A connection or request handle belongs to the
//   thread that made it: calls on one request must not overlap.
// - Handles are never reused: a closed handle stays invalid (ERROR_INVALID_HANDLE) for good.
#pragma once

#include <cstdint>

#include "platform/base/types.h"

namespace plat::inet {

struct InternetHandle;  // opaque; only ever seen through HINTERNET
using HINTERNET = InternetHandle*;
using INTERNET_PORT = WORD;
using DWORD_PTR = std::uintptr_t;

// InternetOpenA access types. There is no proxy configuration on this platform: both mean direct.
constexpr DWORD INTERNET_OPEN_TYPE_PRECONFIG = 0;
constexpr DWORD INTERNET_OPEN_TYPE_DIRECT = 1;

// InternetConnectA.
constexpr INTERNET_PORT INTERNET_INVALID_PORT_NUMBER = 0;  // means the scheme's default port
constexpr INTERNET_PORT INTERNET_DEFAULT_HTTP_PORT = 80;
constexpr DWORD INTERNET_SERVICE_HTTP = 3;

// Request flags. They are accepted and need no action here: connections are never kept for reuse,
// nothing is cached, and redirects are never followed whether or not NO_AUTO_REDIRECT is given.
constexpr DWORD INTERNET_FLAG_RELOAD = 0x80000000;
constexpr DWORD INTERNET_FLAG_EXISTING_CONNECT = 0x20000000;
constexpr DWORD INTERNET_FLAG_NO_AUTO_REDIRECT = 0x00200000;
constexpr DWORD INTERNET_FLAG_NO_CACHE_WRITE = 0x04000000;
constexpr DWORD INTERNET_FLAG_ASYNC = 0x10000000;  // refused by InternetOpenA

// HttpAddRequestHeadersA modifiers.
constexpr DWORD HTTP_ADDREQ_FLAG_ADD_IF_NEW = 0x10000000;
constexpr DWORD HTTP_ADDREQ_FLAG_ADD = 0x20000000;
constexpr DWORD HTTP_ADDREQ_FLAG_REPLACE = 0x80000000;

// HttpSendRequestExA flags.
constexpr DWORD HSR_INITIATE = 0x00000008;

// HttpQueryInfoA info levels and modifiers.
constexpr DWORD HTTP_QUERY_CONTENT_TYPE = 1;
constexpr DWORD HTTP_QUERY_CONTENT_LENGTH = 5;
constexpr DWORD HTTP_QUERY_STATUS_CODE = 19;
constexpr DWORD HTTP_QUERY_STATUS_TEXT = 20;
constexpr DWORD HTTP_QUERY_CUSTOM = 65535;
constexpr DWORD HTTP_QUERY_FLAG_NUMBER = 0x20000000;
constexpr DWORD HTTP_QUERY_MODIFIER_FLAGS_MASK = 0xF0000000;
constexpr DWORD HTTP_QUERY_HEADER_MASK = 0x0000FFFF;

// InternetSetOptionA / InternetQueryOptionA: time limits in milliseconds (a DWORD value).
constexpr DWORD INTERNET_OPTION_CONNECT_TIMEOUT = 2;
constexpr DWORD INTERNET_OPTION_SEND_TIMEOUT = 5;
constexpr DWORD INTERNET_OPTION_RECEIVE_TIMEOUT = 6;
// This client's own option (WinInet has none like it): the bound on a whole reply, header and body.
constexpr DWORD INTERNET_OPTION_REPLY_TIMEOUT = 0x8001;

// The input record of HttpSendRequestExA. dwStructSize must be sizeof(INTERNET_BUFFERSA).
struct INTERNET_BUFFERSA {
  DWORD dwStructSize = 0;
  INTERNET_BUFFERSA* Next = nullptr;  // must be null: one record only
  const char* lpcszHeader = nullptr;  // extra header lines, added as HTTP_ADDREQ_FLAG_ADD would
  DWORD dwHeadersLength = 0;          // their length, or (DWORD)-1 for a zero-terminated text
  DWORD dwHeadersTotal = 0;
  void* lpvBuffer = nullptr;  // first body bytes, sent right after the header (may be null)
  DWORD dwBufferLength = 0;
  DWORD dwBufferTotal = 0;  // the declared body length: sent as Content-Length
  DWORD dwOffsetLow = 0;
  DWORD dwOffsetHigh = 0;
};

// Opens a session. `agent` becomes the User-Agent of its requests (null means none). Proxy names are
// ignored; INTERNET_FLAG_ASYNC is refused with ERROR_INVALID_PARAMETER. Close with InternetCloseHandle,
// which also closes every connection and request still open under it.
HINTERNET InternetOpenA(const char* agent, DWORD accessType, const char* proxy, const char* proxyBypass,
                        DWORD flags);

// Names a server for later requests. Nothing touches the network here: the name is resolved and the
// TCP connection made when a request is started, so those failures (12007, 12029, 12002) surface
// there. `port` 0 means 80. Only INTERNET_SERVICE_HTTP is offered; user and password are ignored.
HINTERNET InternetConnectA(HINTERNET session, const char* serverName, INTERNET_PORT port, const char* userName,
                           const char* password, DWORD service, DWORD flags, DWORD_PTR context);

// Prepares a request on a connection. `verb` null means "GET", `objectName` null or empty means "/",
// `version` null means "HTTP/1.1" ("HTTP/1.0" is what the control passes). Bytes of the object name
// below 0x21 and 0x7F are sent percent-encoded; everything else goes out as given. The referer is
// sent when it is neither null nor empty. `acceptTypes` (null-terminated list, may be null) become
// one Accept line. A referer or accept type holding a CR, LF or zero byte fails with 12153, a
// referer or Accept line longer than kMaxRequestFieldBytes with 12182.
HINTERNET HttpOpenRequestA(HINTERNET connection, const char* verb, const char* objectName, const char* version,
                           const char* referrer, const char** acceptTypes, DWORD flags, DWORD_PTR context);

// Adds header lines ("Name: value", separated and optionally ended by CR LF) to a request that has not
// been started. `length` (DWORD)-1 means a zero-terminated text. ADD_IF_NEW fails with 12155 when a
// header of that name exists; REPLACE replaces it; ADD (or no flag) appends. A malformed line (no
// name, no colon, a stray CR or LF) fails with 12153, a name or value longer than
// kMaxRequestFieldBytes with 12182; either adds nothing of the call.
BOOL HttpAddRequestHeadersA(HINTERNET request, const char* headers, DWORD length, DWORD modifiers);

// Starts a request whose body the caller streams with InternetWriteFile: resolves the server, connects
// and queues the request line and header: Host, User-Agent (the session's agent), Referer (when not
// empty), Accept, the added lines, then Content-Length = dwBufferTotal (always sent for verbs other
// than GET and HEAD, and for those when nonzero). `buffersIn` may be null (no body); `buffersOut`
// must be null. The header leaves with the first gathered body bytes or at HttpEndRequestA.
BOOL HttpSendRequestExA(HINTERNET request, INTERNET_BUFFERSA* buffersIn, INTERNET_BUFFERSA* buffersOut,
                        DWORD flags, DWORD_PTR context);

// Writes body bytes of a started request. Every byte given is taken (*written = count) or the call
// fails; small writes are gathered into larger socket writes (defaults.h), so a network failure may
// surface on a later write or at HttpEndRequestA. A write that would carry the body past the declared
// length is refused whole with 12019 and nothing of it is sent.
BOOL InternetWriteFile(HINTERNET request, const void* buffer, DWORD count, DWORD* written);

// Sends whatever is gathered and receives the reply's status line and header (1xx replies are skipped).
// A body shorter than the declared length is not sent as if it were whole: the request is abandoned
// with 12019 and the connection closed. `buffersOut` must be null.
BOOL HttpEndRequestA(HINTERNET request, INTERNET_BUFFERSA* buffersOut, DWORD flags, DWORD_PTR context);

// Reads a field of the reply header. As text: the value, zero-terminated, *length = its length without
// the zero; when the buffer is too small, ERROR_INSUFFICIENT_BUFFER with *length = the bytes needed
// including the zero. With HTTP_QUERY_FLAG_NUMBER (status code, Content-Length): a DWORD, *length >= 4.
// A field the reply lacks fails with 12150; a Content-Length above 0xFFFFFFFF asked as a number fails
// with 12153. HTTP_QUERY_CUSTOM takes the field name from the buffer. `index` may be null; only the
// first occurrence (index 0) is offered. Before the reply has arrived: 12019.
BOOL HttpQueryInfoA(HINTERNET request, DWORD infoLevel, void* buffer, DWORD* length, DWORD* index);

// Reads reply body bytes. Returns when `count` bytes were read or the reply ended, so fewer than
// `count` (and 0 once drained) means the end. A reply without Content-Length ends when the server
// closes the connection; nothing is ever allocated from a length the server declared. A connection
// that breaks off mid-body returns the bytes already read and fails on the next call (12030/12031).
BOOL InternetReadFile(HINTERNET request, void* buffer, DWORD count, DWORD* read);

// Opens an "http://host[:port]/path" address on a session with a GET (flags as for HttpOpenRequestA,
// `headers` as for HttpAddRequestHeadersA) and returns the request with its reply header received; the
// body may be read with InternetReadFile or left unread. Another scheme fails with 12006, an address
// without a host with 12005.
HINTERNET InternetOpenUrlA(HINTERNET session, const char* url, const char* headers, DWORD headersLength,
                           DWORD flags, DWORD_PTR context);

// Closes any handle and, with it, every handle opened under it; an open connection's socket is closed
// at once. A call that another thread is inside on one of them (InternetOpenUrlA on a closed session
// included) ends as soon as it can with 12017 (ERROR_INTERNET_OPERATION_CANCELLED) instead of waiting
// for its time limit; a host name being resolved is not interrupted.
BOOL InternetCloseHandle(HINTERNET handle);

// Time limits (milliseconds, a DWORD value of at least 1) of a session, connection or request: connect,
// send (one socket write), receive (the reply header, and each piece of the body) and reply (the whole
// reply, from HttpEndRequestA to its last byte; a later read past it fails with 12002). A value
// set on a handle applies to its own later operations and is inherited by handles opened under it
// afterwards. Other options fail with 12009; a wrong buffer length with 12010.
BOOL InternetSetOptionA(HINTERNET handle, DWORD option, void* buffer, DWORD length);
BOOL InternetQueryOptionA(HINTERNET handle, DWORD option, void* buffer, DWORD* length);

}  // namespace plat::inet
