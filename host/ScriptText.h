// Text at the script engine's edge: UTF-16 script strings to and from the engine's CESU-8 bytes, and
// to UTF-8 for the terminal.
#pragma once

#include <string>
#include <string_view>

namespace drev::host {

// The script engine keeps strings as CESU-8: every UTF-16 unit, a surrogate included, written as its
// own one- to three-byte sequence. So a string of any UTF-16 units (a lone surrogate too) crosses
// into the engine unchanged, and a character beyond U+FFFF counts as two units there, as it does
// for the page's script.
std::string Utf16ToCesu8(std::u16string_view utf16);

// Reads CESU-8 or UTF-8 (both forms of a character beyond U+FFFF: a surrogate pair of three-byte
// sequences, or one four-byte sequence) into UTF-16. Bytes that do not form a sequence (stray
// continuation bytes, cut or overlong sequences) become U+FFFD each, so nothing after them is lost.
std::u16string Cesu8ToUtf16(std::string_view bytes);

// True when every byte of `bytes` belongs to a well-formed UTF-8 (or CESU-8) sequence.
bool IsUtf8(std::string_view bytes);

// UTF-16 to UTF-8 for printing: surrogate pairs become one four-byte character, lone surrogates
// U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

// CESU-8 (or UTF-8) to proper UTF-8 for printing.
std::string Cesu8ToUtf8(std::string_view bytes);

// A text kept on one output line: backslashes, line feeds, carriage returns and tabs written as
// \\, \n, \r and \t, other control characters as \xHH.
std::string EscapeForLine(std::string_view utf8);

// The same inside double quotes, with double quotes written as \".
std::string QuoteForLine(std::string_view utf8);

}  // namespace drev::host
