// Fuzz target: the code page 949 conversions, each way, with the round trips that must hold and the
// promise that a character that cannot cross costs that character alone, never the text after it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "platform/text/text.h"

using drev::fuzz::Check;
namespace text = plat::text;

namespace {

// What follows a damaged piece in every check below: plain characters that every encoding holds.
constexpr std::string_view kTail = "\n/tail";
constexpr std::u16string_view kTail16 = u"\n/tail";

bool EndsWith(std::string_view s, std::string_view end) { return s.size() >= end.size() && s.ends_with(end); }
bool EndsWith(std::u16string_view s, std::u16string_view end) {
  return s.size() >= end.size() && s.substr(s.size() - end.size()) == end;
}

bool HasLoneSurrogate(std::u16string_view s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    char16_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      return true;
    }
  }
  return false;
}

// The bytes as code page 949 text (what the control holds, what a server may answer).
void FromCp949(std::string_view cp949) {
  bool lossless8 = false;
  bool lossless16 = false;
  std::string utf8 = text::Cp949ToUtf8(cp949, &lossless8);
  std::u16string utf16 = text::Cp949ToUtf16(cp949, &lossless16);
  Check(lossless8 == lossless16, "CP949 to UTF-8 and to UTF-16 agree on what crossed");
  Check(text::Utf8ToUtf16(utf8) == utf16, "CP949 to UTF-8 and to UTF-16 give the same characters");
  if (lossless8) {
    bool back = false;
    Check(text::Utf8ToCp949(utf8, &back) == cp949 && back, "CP949 -> UTF-8 -> CP949 gives the bytes back");
    Check(text::Utf16ToCp949(utf16, &back) == cp949 && back, "CP949 -> UTF-16 -> CP949 gives the bytes back");
  } else {
    Check(utf8.find('?') != std::string::npos, "a character that did not cross leaves a '?'");
  }
  std::string tailed = std::string(cp949) + std::string(kTail);
  Check(EndsWith(text::Cp949ToUtf8(tailed), kTail), "CP949 to UTF-8 keeps the text after a bad byte");
  Check(EndsWith(text::Cp949ToUtf16(tailed), kTail16), "CP949 to UTF-16 keeps the text after a bad byte");

  for (std::string_view set : {std::string_view("\\/"), std::string_view(".")}) {
    std::size_t at = text::ReverseFindAny(cp949, set);
    Check(at == std::string_view::npos || (at < cp949.size() && set.find(cp949[at]) != std::string_view::npos),
          "ReverseFindAny finds a character of its set");
  }
}

// The bytes as UTF-8 (file names, the terminal, drops).
void FromUtf8(std::string_view utf8) {
  bool lossless = false;
  std::string cp949 = text::Utf8ToCp949(utf8, &lossless);
  if (lossless) {
    bool back = false;
    Check(text::Cp949ToUtf8(cp949, &back) == utf8 && back, "UTF-8 -> CP949 -> UTF-8 gives the text back");
  } else {
    Check(cp949.find('?') != std::string::npos, "a character that did not cross leaves a '?'");
  }
  std::string tailed = std::string(utf8) + std::string(kTail);
  Check(EndsWith(text::Utf8ToCp949(tailed), kTail), "UTF-8 to CP949 keeps the text after a bad sequence");
  Check(EndsWith(text::Utf8ToUtf16(tailed), kTail16), "UTF-8 to UTF-16 keeps the text after a bad sequence");
}

// The bytes as UTF-16 units, little-endian (script strings).
void FromUtf16(std::string_view bytes) {
  std::u16string utf16(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    utf16[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  }
  std::string utf8 = text::Utf16ToUtf8(utf16);
  if (!HasLoneSurrogate(utf16)) Check(text::Utf8ToUtf16(utf8) == utf16, "UTF-16 -> UTF-8 -> UTF-16 gives the units back");
  bool lossless = false;
  std::string cp949 = text::Utf16ToCp949(utf16, &lossless);
  if (lossless) {
    bool back = false;
    Check(text::Cp949ToUtf16(cp949, &back) == utf16 && back, "UTF-16 -> CP949 -> UTF-16 gives the units back");
  } else {
    Check(cp949.find('?') != std::string::npos, "a character that did not cross leaves a '?'");
  }
  std::u16string tailed = utf16 + std::u16string(kTail16);
  Check(EndsWith(text::Utf16ToCp949(tailed), kTail), "UTF-16 to CP949 keeps the text after a lone surrogate");
  Check(EndsWith(text::Utf16ToUtf8(tailed), kTail), "UTF-16 to UTF-8 keeps the text after a lone surrogate");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  FromCp949(bytes);
  FromUtf8(bytes);
  FromUtf16(bytes);
  return 0;
}
