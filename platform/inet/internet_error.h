// The HTTP client's error numbers, their descriptions and the one exception type of the layer.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "platform/base/types.h"

namespace plat::inet {

// The WinInet error numbers (the platform's values) this system knows: the one list of them. The
// kernel's message table holds their texts; they travel through the kernel's last error.
constexpr DWORD INTERNET_ERROR_BASE = 12000;
constexpr DWORD ERROR_INTERNET_OUT_OF_HANDLES = 12001;
constexpr DWORD ERROR_INTERNET_TIMEOUT = 12002;
constexpr DWORD ERROR_INTERNET_EXTENDED_ERROR = 12003;
constexpr DWORD ERROR_INTERNET_INTERNAL_ERROR = 12004;
constexpr DWORD ERROR_INTERNET_INVALID_URL = 12005;
constexpr DWORD ERROR_INTERNET_UNRECOGNIZED_SCHEME = 12006;
constexpr DWORD ERROR_INTERNET_NAME_NOT_RESOLVED = 12007;
constexpr DWORD ERROR_INTERNET_INVALID_OPTION = 12009;
constexpr DWORD ERROR_INTERNET_BAD_OPTION_LENGTH = 12010;
constexpr DWORD ERROR_INTERNET_OPERATION_CANCELLED = 12017;
constexpr DWORD ERROR_INTERNET_INCORRECT_HANDLE_TYPE = 12018;
constexpr DWORD ERROR_INTERNET_INCORRECT_HANDLE_STATE = 12019;
constexpr DWORD ERROR_INTERNET_CANNOT_CONNECT = 12029;
constexpr DWORD ERROR_INTERNET_CONNECTION_ABORTED = 12030;
constexpr DWORD ERROR_INTERNET_CONNECTION_RESET = 12031;
constexpr DWORD ERROR_HTTP_HEADER_NOT_FOUND = 12150;
constexpr DWORD ERROR_HTTP_INVALID_SERVER_RESPONSE = 12152;
constexpr DWORD ERROR_HTTP_INVALID_HEADER = 12153;
constexpr DWORD ERROR_HTTP_INVALID_QUERY_REQUEST = 12154;
constexpr DWORD ERROR_HTTP_HEADER_ALREADY_EXISTS = 12155;
constexpr DWORD ERROR_HTTP_REDIRECT_FAILED = 12156;
// A request field longer than kMaxRequestFieldBytes (a referer of a megabyte, say): the number the
// platform's other HTTP client gives a header that overflows its size limit.
constexpr DWORD ERROR_HTTP_HEADER_SIZE_OVERFLOW = 12182;

// The platform's description of an error number (a WinInet number or a system error number): the
// system message table's text in the user's language, code page 949, ending in CR LF; empty for a
// number the table has no text for. The caller's last error is left as it was.
std::string InternetErrorDescription(DWORD error);

// The failure of an HTTP client call, for callers that turn the C-shaped calls into exceptions.
class InternetException : public std::exception {
 public:
  // Takes the description of `error` at construction. `context` is the caller's context value.
  explicit InternetException(DWORD error, std::uintptr_t context = 0);

  DWORD GetErrorCode() const noexcept { return m_dwError; }
  std::uintptr_t GetContext() const noexcept { return m_dwContext; }
  // InternetErrorDescription(GetErrorCode()), taken at construction; may be empty.
  const std::string& GetDescription() const noexcept { return m_strDescription; }
  // The description, or "internet error N" when there is none.
  const char* what() const noexcept override { return m_strWhat.c_str(); }

 private:
  DWORD m_dwError;
  std::uintptr_t m_dwContext;
  std::string m_strDescription;
  std::string m_strWhat;
};

// Throws InternetException for `error`.
[[noreturn]] void ThrowInternetException(DWORD error, std::uintptr_t context = 0);

// Throws InternetException for the calling thread's last error: call it right after an HTTP client
// call has failed (returned nullptr or FALSE).
[[noreturn]] void ThrowLastInternetError(std::uintptr_t context = 0);

}  // namespace plat::inet
