// Descriptions of the HTTP client's error numbers, and the layer's exception.
#include "platform/inet/internet_error.h"

#include <string_view>

#include "platform/kernel/error.h"

namespace plat::inet {
namespace {

struct ErrorText {
  DWORD error;
  std::string_view text;
};

// The message table for the numbers this layer reports (WinInet numbers and the few system numbers
// its calls set). Kept here until the kernel's system error texts cover the WinInet range.
constexpr ErrorText kErrorTexts[] = {
    {kernel::ERROR_INVALID_HANDLE, "The handle is invalid."},
    {kernel::ERROR_NOT_ENOUGH_MEMORY, "Not enough memory resources are available to process this command."},
    {kernel::ERROR_INVALID_PARAMETER, "The parameter is incorrect."},
    {kernel::ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small."},
    {ERROR_INTERNET_OUT_OF_HANDLES, "No more handles could be generated at this time."},
    {ERROR_INTERNET_TIMEOUT, "The operation timed out."},
    {ERROR_INTERNET_INTERNAL_ERROR, "An internal error occurred."},
    {ERROR_INTERNET_INVALID_URL, "The URL is invalid."},
    {ERROR_INTERNET_UNRECOGNIZED_SCHEME, "The URL does not use a recognized protocol."},
    {ERROR_INTERNET_NAME_NOT_RESOLVED, "The server name or address could not be resolved."},
    {ERROR_INTERNET_INVALID_OPTION, "The option is invalid."},
    {ERROR_INTERNET_BAD_OPTION_LENGTH, "The length of the option value is incorrect."},
    {ERROR_INTERNET_OPERATION_CANCELLED, "The operation was cancelled."},
    {ERROR_INTERNET_INCORRECT_HANDLE_TYPE, "The type of handle supplied is incorrect for this operation."},
    {ERROR_INTERNET_INCORRECT_HANDLE_STATE,
     "The requested operation cannot be carried out because the handle supplied is not in the correct state."},
    {ERROR_INTERNET_CANNOT_CONNECT, "A connection with the server could not be established."},
    {ERROR_INTERNET_CONNECTION_ABORTED, "The connection with the server was terminated abnormally."},
    {ERROR_INTERNET_CONNECTION_RESET, "The connection with the server was reset."},
    {ERROR_HTTP_HEADER_NOT_FOUND, "The requested header could not be located."},
    {ERROR_HTTP_INVALID_SERVER_RESPONSE, "The server returned an invalid or unrecognized response."},
    {ERROR_HTTP_INVALID_HEADER, "The supplied HTTP header is invalid."},
    {ERROR_HTTP_INVALID_QUERY_REQUEST, "The request made to HttpQueryInfo is invalid."},
    {ERROR_HTTP_HEADER_ALREADY_EXISTS, "The HTTP header already exists."},
};

std::string WhatText(DWORD error, const std::string& description) {
  if (!description.empty()) return description;
  return "internet error " + std::to_string(error);
}

}  // namespace

std::string InternetErrorDescription(DWORD error) {
  for (const ErrorText& entry : kErrorTexts) {
    if (entry.error == error) return std::string(entry.text);
  }
  return {};
}

InternetException::InternetException(DWORD error, std::uintptr_t context)
    : m_dwError(error),
      m_dwContext(context),
      m_strDescription(InternetErrorDescription(error)),
      m_strWhat(WhatText(error, m_strDescription)) {}

void ThrowInternetException(DWORD error, std::uintptr_t context) { throw InternetException(error, context); }

void ThrowLastInternetError(std::uintptr_t context) { ThrowInternetException(kernel::GetLastError(), context); }

}  // namespace plat::inet
