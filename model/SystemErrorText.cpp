// The system error text taken from the platform's message table, with the system allocating it.
#include "model/SystemErrorText.h"

#include <cstring>

#include "platform/kernel/message_table.h"

namespace drev {

bool GetSystemErrorText(plat::DWORD code, char* buffer, plat::DWORD* capacity) {
  using namespace plat::kernel;
  using plat::DWORD;
  if (capacity == nullptr) return false;
  char* text = nullptr;
  DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                    FORMAT_MESSAGE_IGNORE_INSERTS,
                                nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                reinterpret_cast<char*>(&text), 0, nullptr);
  if (length == 0 || text == nullptr) return false;
  if (buffer != nullptr && *capacity > length) std::memcpy(buffer, text, length + 1);
  *capacity = length;
  LocalFree(text);
  return true;
}

}  // namespace drev
