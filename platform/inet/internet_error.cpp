// Descriptions of the HTTP client's error numbers, and the layer's exception.
#include "platform/inet/internet_error.h"

#include "platform/kernel/error.h"
#include "platform/kernel/message_table.h"

namespace plat::inet {
namespace {

std::string WhatText(DWORD error, const std::string& description) {
  if (!description.empty()) return description;
  return "internet error " + std::to_string(error);
}

}  // namespace

std::string InternetErrorDescription(DWORD error) {
  // The system's message table holds the WinInet texts too. Looking one up must not disturb the
  // last error of a caller that asks for a description before it asks for the number.
  DWORD lastError = kernel::GetLastError();
  std::string text = kernel::FormatSystemMessage(error);
  kernel::SetLastError(lastError);
  return text;
}

InternetException::InternetException(DWORD error, std::uintptr_t context)
    : m_dwError(error),
      m_dwContext(context),
      m_strDescription(InternetErrorDescription(error)),
      m_strWhat(WhatText(error, m_strDescription)) {}

void ThrowInternetException(DWORD error, std::uintptr_t context) { throw InternetException(error, context); }

void ThrowLastInternetError(std::uintptr_t context) { ThrowInternetException(kernel::GetLastError(), context); }

}  // namespace plat::inet
