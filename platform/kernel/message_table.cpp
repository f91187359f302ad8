// FormatMessageA over our own message table, choosing the text by the user's language.
#include "platform/kernel/message_table.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/kernel/error.h"
#include "platform/kernel/message_texts.h"
#include "platform/text/text.h"

namespace plat::kernel {
namespace {

constexpr LANGID kKorean = MAKELANGID(LANG_KOREAN, SUBLANG_DEFAULT);
constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT);
constexpr DWORD kUserDefault = 0x0400;
constexpr DWORD kSystemDefault = 0x0800;

// The locale variable that decides, as the C library's message catalogues pick it.
const char* LocaleSetting() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return nullptr;
}

bool IsCLocale(std::string_view v) {
  return v == "C" || v == "POSIX" || v.starts_with("C.") || v.starts_with("C@");
}

DWORD Fail(DWORD error) {
  SetLastError(error);
  return 0;
}

// The CP949 text for the language, or null when the language is not one the table has.
const std::string* TextFor(const detail::MessageText& m, LANGID language) {
  switch (PRIMARYLANGID(language)) {
    case LANG_KOREAN: return &text::Ansi(m.korean);
    case LANG_ENGLISH: return &text::Ansi(m.english);
    default: return nullptr;
  }
}

}  // namespace

LANGID GetUserDefaultLangID() {
  const char* setting = LocaleSetting();
  if (setting == nullptr) return kKorean;
  std::string_view v(setting);
  if (IsCLocale(v) || v.starts_with("ko")) return kKorean;
  return kEnglish;
}

DWORD FormatMessageA(DWORD flags, const void* /*source*/, DWORD messageId, DWORD languageId, char* buffer,
                     DWORD size, void* /*arguments*/) {
  if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || (flags & (FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_FROM_HMODULE)) ||
      buffer == nullptr)
    return Fail(ERROR_INVALID_PARAMETER);
  if ((messageId & 0xFFFF0000) == 0x80070000) messageId &= 0xFFFF;
  const detail::MessageText* entry = detail::FindMessageText(messageId);
  if (entry == nullptr) return Fail(ERROR_MR_MID_NOT_FOUND);
  LANGID language = static_cast<LANGID>(languageId);
  if (languageId == 0 || languageId == kUserDefault || languageId == kSystemDefault)
    language = GetUserDefaultLangID();
  const std::string* message = TextFor(*entry, language);
  if (message == nullptr) return Fail(ERROR_RESOURCE_LANG_NOT_FOUND);

  std::size_t needed = message->size() + 1;
  if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
    auto* text = static_cast<char*>(std::malloc(needed > size ? needed : size));
    if (text == nullptr) return Fail(ERROR_NOT_ENOUGH_MEMORY);
    std::memcpy(text, message->c_str(), needed);
    *reinterpret_cast<char**>(buffer) = text;
  } else {
    if (size < needed) return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(buffer, message->c_str(), needed);
  }
  return static_cast<DWORD>(message->size());
}

HLOCAL LocalFree(HLOCAL memory) {
  std::free(memory);
  return nullptr;
}

std::string FormatSystemMessage(DWORD code) {
  char* text = nullptr;
  DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                    FORMAT_MESSAGE_IGNORE_INSERTS,
                                nullptr, code, kUserDefault, reinterpret_cast<char*>(&text), 0, nullptr);
  if (length == 0) return {};
  std::string result(text, length);
  LocalFree(text);
  return result;
}

}  // namespace plat::kernel
