// CESU-8, UTF-8 and UTF-16 conversions for the script engine and the terminal.
#include "host/ScriptText.h"

#include <cstdint>
#include <cstdio>

namespace drev::host {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes one sequence at `pos`: its code point (a surrogate is allowed, as CESU-8 writes them) and
// its length, or length 0 when the bytes there do not form a sequence.
struct Decoded {
  char32_t cp = 0;
  std::size_t length = 0;
};

Decoded DecodeAt(std::string_view s, std::size_t pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[pos + i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  char32_t cp = 0;
  char32_t min = 0;
  if (lead < 0x80) return {lead, 1};
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, cp = lead & 0x1F, min = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, cp = lead & 0x0F, min = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, cp = lead & 0x07, min = 0x10000;
  } else {
    return {};
  }
  if (pos + length > s.size()) return {};
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return {};
    cp = (cp << 6) | (byte(i) & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF) return {};
  return {cp, length};
}

}  // namespace

std::string Utf16ToCesu8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (char16_t unit : utf16) AppendUtf8(out, unit);
  return out;
}

std::u16string Cesu8ToUtf16(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (std::size_t pos = 0; pos < bytes.size();) {
    Decoded d = DecodeAt(bytes, pos);
    if (d.length == 0) {
      out += kReplacement;
      ++pos;
      continue;
    }
    if (d.cp >= 0x10000) {
      char32_t v = d.cp - 0x10000;
      out += static_cast<char16_t>(0xD800 + (v >> 10));
      out += static_cast<char16_t>(0xDC00 + (v & 0x3FF));
    } else {
      out += static_cast<char16_t>(d.cp);
    }
    pos += d.length;
  }
  return out;
}

bool IsUtf8(std::string_view bytes) {
  for (std::size_t pos = 0; pos < bytes.size();) {
    Decoded d = DecodeAt(bytes, pos);
    if (d.length == 0) return false;
    pos += d.length;
  }
  return true;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    char32_t u = utf16[i];
    if (IsHighSurrogate(u) && i + 1 < utf16.size() && IsLowSurrogate(utf16[i + 1])) {
      AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (utf16[i + 1] - 0xDC00));
      ++i;
    } else if (IsHighSurrogate(u) || IsLowSurrogate(u)) {
      AppendUtf8(out, kReplacement);
    } else {
      AppendUtf8(out, u);
    }
  }
  return out;
}

std::string Cesu8ToUtf8(std::string_view bytes) { return Utf16ToUtf8(Cesu8ToUtf16(bytes)); }

namespace {

std::string Escape(std::string_view utf8, bool quotes) {
  std::string out;
  out.reserve(utf8.size());
  for (char c : utf8) {
    if (c == '"' && quotes) {
      out += "\\\"";
      continue;
    }
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
          out += hex;
        } else {
          out += c;
        }
    }
  }
  return out;
}

}  // namespace

std::string EscapeForLine(std::string_view utf8) { return Escape(utf8, false); }

std::string QuoteForLine(std::string_view utf8) { return "\"" + Escape(utf8, true) + "\""; }

}  // namespace drev::host
