// Code page 949 (the control's ANSI code page) to and from UTF-8 and UTF-16, and lead-byte walks.
#pragma once

#include <string>
#include <string_view>

namespace plat::text {

// Conversions. A character that the target cannot hold becomes '?' (as the platform's default
// character does), so a conversion never fails and never drops the rest of the text; `lossless`,
// when given, reports whether every character made it across.
std::string Utf8ToCp949(std::string_view utf8, bool* lossless = nullptr);
std::string Cp949ToUtf8(std::string_view cp949, bool* lossless = nullptr);
std::u16string Cp949ToUtf16(std::string_view cp949, bool* lossless = nullptr);
std::string Utf16ToCp949(std::u16string_view utf16, bool* lossless = nullptr);
std::string Utf16ToUtf8(std::u16string_view utf16);
std::u16string Utf8ToUtf16(std::string_view utf8);

// A UTF-8 literal as CP949, converted once and kept for the life of the process (the way a string
// table is loaded as ANSI text). Use for the system's fixed Korean texts: Ansi("취  소").
const std::string& Ansi(const char* utf8Literal);

// True for a byte that starts a double-byte character in code page 949.
bool IsLeadByte(unsigned char byte);

// Position of the last `ch` in `s`, walking whole characters from the start so that the second byte
// of a double-byte character is never taken for `ch`; npos when there is none.
std::size_t ReverseFindChar(std::string_view s, char ch);

// Like ReverseFindChar for any of the characters in `set` (for path separators: "\\/").
std::size_t ReverseFindAny(std::string_view s, std::string_view set);

}  // namespace plat::text
