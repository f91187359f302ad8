// The system's message texts for error numbers, in the user's language, in FormatMessageA's shape.
#pragma once

#include <string>

#include "platform/base/types.h"

namespace plat::kernel {

using LANGID = WORD;
using HLOCAL = void*;

constexpr DWORD FORMAT_MESSAGE_ALLOCATE_BUFFER = 0x00000100;
constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x00000200;
constexpr DWORD FORMAT_MESSAGE_FROM_STRING = 0x00000400;
constexpr DWORD FORMAT_MESSAGE_FROM_HMODULE = 0x00000800;
constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x00001000;
constexpr DWORD FORMAT_MESSAGE_ARGUMENT_ARRAY = 0x00002000;
constexpr DWORD FORMAT_MESSAGE_MAX_WIDTH_MASK = 0x000000FF;

constexpr LANGID LANG_NEUTRAL = 0x00;
constexpr LANGID LANG_ENGLISH = 0x09;
constexpr LANGID LANG_KOREAN = 0x12;
constexpr LANGID SUBLANG_DEFAULT = 0x01;
constexpr LANGID MAKELANGID(LANGID primary, LANGID sub) { return static_cast<LANGID>((sub << 10) | primary); }
constexpr LANGID PRIMARYLANGID(LANGID lang) { return static_cast<LANGID>(lang & 0x3FF); }

// The user's language: Korean (0x0412) unless the first set one of LC_ALL, LC_MESSAGES and LANG
// names another language, which gives English (0x0409). "C" and "POSIX" count as unset, since this
// is a Korean system. Read from the environment on every call.
LANGID GetUserDefaultLangID();

// The system message text of `messageId`, CP949, ending in "\r\n"; inserts (%1 ...) are never
// expanded. Only FORMAT_MESSAGE_FROM_SYSTEM is offered (FROM_STRING and FROM_HMODULE fail with
// ERROR_INVALID_PARAMETER); IGNORE_INSERTS and the width mask are accepted and change nothing.
// `languageId`: 0, 0x0400 (user default) or 0x0800 (system default) mean the user's language;
// otherwise its primary language must be Korean or English (else ERROR_RESOURCE_LANG_NOT_FOUND).
// A code in the 0x8007xxxx form is looked up by its low 16 bits, as the platform does.
// With FORMAT_MESSAGE_ALLOCATE_BUFFER, `buffer` is really a char** that receives a new text of at
// least `size` bytes, to be released with LocalFree; otherwise the text and its terminator go into
// `buffer` of `size` bytes (ERROR_INSUFFICIENT_BUFFER when they do not fit).
// Returns the text's length without the terminator, or 0 with the last error set
// (ERROR_MR_MID_NOT_FOUND for a number without a text).
DWORD FormatMessageA(DWORD flags, const void* source, DWORD messageId, DWORD languageId, char* buffer,
                     DWORD size, void* arguments);

// Releases a text allocated by FormatMessageA. Returns null; null in is harmless.
HLOCAL LocalFree(HLOCAL memory);

// The system text of `code` in the user's language (CP949, with its "\r\n"); empty when there is none.
std::string FormatSystemMessage(DWORD code);

}  // namespace plat::kernel
