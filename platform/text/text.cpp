// Code page 949 conversions through iconv, and lead-byte-aware searches.
#include "platform/text/text.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace plat::text {
namespace {

// The bytes at the start of `rest` that one character took which could not cross: a whole character
// the target lacks, or one damaged piece of the source. A damaged piece never takes the bytes after
// it, so a stray byte costs one '?' and the rest of the text is kept.
std::size_t SkipLength(std::string_view from, std::string_view rest) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(rest[i]); };
  if (from == "UTF-8") {  // the lead byte and the continuation bytes it announces
    unsigned char lead = byte(0);
    std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    std::size_t skip = 1;
    while (skip < length && skip < rest.size() && (byte(skip) & 0xC0) == 0x80) ++skip;
    return skip;
  }
  if (from == "UTF-16LE") {  // a surrogate pair is one character, a lone surrogate one unit
    if (rest.size() < 2) return rest.size();
    bool pair = rest.size() >= 4 && byte(1) >= 0xD8 && byte(1) <= 0xDB && byte(3) >= 0xDC && byte(3) <= 0xDF;
    return pair ? 4 : 2;
  }
  // CP949: a lead byte takes the next byte along only when that byte can be a trail byte.
  if (rest.size() >= 2 && IsLeadByte(byte(0))) {
    unsigned char trail = byte(1);
    if ((trail >= 0x41 && trail <= 0x5A) || (trail >= 0x61 && trail <= 0x7A) || (trail >= 0x81 && trail <= 0xFE)) {
      return 2;
    }
  }
  return 1;
}

// Converts `in` from one encoding to another. Characters the target cannot hold, and bytes that are
// not valid in the source, become `replacement` (encoded in the target) and the rest goes on.
// The conversion descriptors this thread opened, one per pair of encodings, kept for its life:
// opening one loads the converter's module each time, which cost more than the conversions of a
// list's row put together.
class Converters {
 public:
  Converters() = default;
  Converters(const Converters&) = delete;
  Converters& operator=(const Converters&) = delete;
  ~Converters() {
    for (const Entry& entry : entries_) iconv_close(entry.cd);
  }
  // The descriptor from `from` to `to` (both string literals of this file), in its initial state.
  iconv_t Get(const char* to, const char* from) {
    for (const Entry& entry : entries_) {
      if (entry.to == to && entry.from == from) {
        iconv(entry.cd, nullptr, nullptr, nullptr, nullptr);
        return entry.cd;
      }
    }
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv cannot convert");
    entries_.push_back({to, from, cd});
    return cd;
  }

 private:
  struct Entry {
    const char* to;
    const char* from;
    iconv_t cd;
  };
  std::vector<Entry> entries_;
};

// Runs `cd` over all of `in` into `out`; false when it met a character it could not convert.
bool ConvertAll(iconv_t cd, std::string_view in, std::string& out, char** stopped = nullptr,
                std::size_t* left = nullptr) {
  char* src = const_cast<char*>(in.data());
  std::size_t srcLeft = in.size();
  char buffer[1024];
  bool ok = true;
  while (srcLeft > 0) {
    char* dst = buffer;
    std::size_t dstLeft = sizeof buffer;
    std::size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buffer, dst - buffer);
    if (r != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
    ok = false;
    break;
  }
  if (stopped) *stopped = src;
  if (left) *left = srcLeft;
  return ok;
}

std::string Convert(const char* to, const char* from, std::string_view in, std::string_view replacement,
                    bool* lossless) {
  thread_local Converters converters;
  iconv_t cd = converters.Get(to, from);
  std::string out;
  out.reserve(in.size() * 2 + 4);
  bool ok = true;
  if (std::string_view(from) == "CP949") {
    // glibc's CP949 converter does not always stop at the bad piece it reports (it may have taken
    // it, or every byte of the text, already), so its position cannot be trusted. Text that
    // converts whole takes one call; text that does not is converted again piece by piece (a
    // character, or one damaged byte), each bad piece becoming one replacement.
    if (!ConvertAll(cd, in, out)) {
      out.clear();
      ok = false;
      for (std::size_t pos = 0; pos < in.size();) {
        std::string_view piece = in.substr(pos, SkipLength(from, in.substr(pos)));
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        std::size_t before = out.size();
        if (!ConvertAll(cd, piece, out)) {
          out.resize(before);
          out.append(replacement);
        }
        pos += piece.size();
      }
    }
  } else {
    std::string_view rest = in;
    while (!rest.empty()) {
      char* stopped = nullptr;
      std::size_t left = 0;
      if (ConvertAll(cd, rest, out, &stopped, &left)) break;
      // EILSEQ: a character the target lacks or a bad source sequence; EINVAL: a cut-off sequence.
      ok = false;
      out.append(replacement);
      std::string_view at(stopped, left);
      if (at.empty()) break;
      rest = at.substr(std::min(SkipLength(from, at), at.size()));
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  if (lossless) *lossless = ok;
  return out;
}

std::string_view AsBytes(std::u16string_view s) {
  return {reinterpret_cast<const char*>(s.data()), s.size() * sizeof(char16_t)};
}

std::u16string FromBytes(const std::string& bytes) {
  std::u16string out(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < out.size(); ++i)
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                   (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  return out;
}

// Seven-bit text reads the same in CP949, UTF-8 and (widened) UTF-16: paths, sizes and most names
// need no converter.
bool IsAscii(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

bool IsAscii(std::u16string_view text) {
  for (char16_t c : text)
    if (c >= 0x80) return false;
  return true;
}

std::string Narrowed(std::u16string_view ascii) {
  std::string out(ascii.size(), '\0');
  for (std::size_t i = 0; i < ascii.size(); ++i) out[i] = static_cast<char>(ascii[i]);
  return out;
}

}  // namespace

std::string Utf8ToCp949(std::string_view utf8, bool* lossless) {
  if (IsAscii(utf8)) {
    if (lossless) *lossless = true;
    return std::string(utf8);
  }
  return Convert("CP949", "UTF-8", utf8, "?", lossless);
}

std::string Cp949ToUtf8(std::string_view cp949, bool* lossless) {
  if (IsAscii(cp949)) {
    if (lossless) *lossless = true;
    return std::string(cp949);
  }
  return Convert("UTF-8", "CP949", cp949, "?", lossless);
}

std::u16string Cp949ToUtf16(std::string_view cp949, bool* lossless) {
  if (IsAscii(cp949)) {
    if (lossless) *lossless = true;
    return std::u16string(cp949.begin(), cp949.end());
  }
  return FromBytes(Convert("UTF-16LE", "CP949", cp949, std::string("?\0", 2), lossless));
}

std::string Utf16ToCp949(std::u16string_view utf16, bool* lossless) {
  if (IsAscii(utf16)) {
    if (lossless) *lossless = true;
    return Narrowed(utf16);
  }
  return Convert("CP949", "UTF-16LE", AsBytes(utf16), "?", lossless);
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  if (IsAscii(utf16)) return Narrowed(utf16);
  return Convert("UTF-8", "UTF-16LE", AsBytes(utf16), "\xEF\xBF\xBD", nullptr);
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
  if (IsAscii(utf8)) return std::u16string(utf8.begin(), utf8.end());
  return FromBytes(Convert("UTF-16LE", "UTF-8", utf8, std::string("\xFD\xFF", 2), nullptr));
}

const std::string& Ansi(const char* utf8Literal) {
  static std::mutex mutex;
  // Keyed by content, not address, so a text that is not a literal can never pick up another's entry.
  static std::map<std::string, std::string, std::less<>> cache;
  std::lock_guard lock(mutex);
  std::string_view key(utf8Literal);
  auto it = cache.find(key);
  if (it == cache.end()) it = cache.emplace(std::string(key), Utf8ToCp949(key)).first;
  return it->second;
}

bool IsLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

std::size_t ReverseFindAny(std::string_view s, std::string_view set) {
  std::size_t found = std::string_view::npos;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) {
      ++i;  // the trail byte can look like '\\' or '.', but belongs to the character
      continue;
    }
    if (set.find(s[i]) != std::string_view::npos) found = i;
  }
  return found;
}

std::size_t ReverseFindChar(std::string_view s, char ch) { return ReverseFindAny(s, std::string_view(&ch, 1)); }

}  // namespace plat::text
