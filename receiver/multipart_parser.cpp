// Streaming multipart/form-data parsing: delimiter search with a carried tail, header blocks whole.
#include "receiver/multipart_parser.h"

#include <strings.h>

#include <algorithm>
#include <vector>

namespace receiver {
namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && strncasecmp(text.data(), prefix.data(), prefix.size()) == 0;
}

bool IsTokenChar(unsigned char c) {
  return c > 0x20 && c < 0x7F && c != ':' && c != '"' && c != '(' && c != ')' && c != ',' && c != '/' &&
         c != ';' && c != '<' && c != '=' && c != '>' && c != '?' && c != '@' && c != '[' && c != '\\' &&
         c != ']' && c != '{' && c != '}';
}

// The length of the "Name" of a line that starts a field ("Name:"), or 0 when it does not.
std::size_t FieldNameLength(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size() && IsTokenChar(static_cast<unsigned char>(line[i]))) ++i;
  return (i > 0 && i < line.size() && line[i] == ':') ? i : 0;
}

std::string_view TrimLeft(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  return text;
}

std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// Reads name and filename from a Content-Disposition value.
bool ParseDisposition(std::string_view value, PartHeader& header) {
  if (!StartsWithNoCase(value, "form-data")) return false;
  std::string_view rest = value.substr(9);
  std::size_t quoted = rest.find("name=\"");
  if (quoted == std::string_view::npos) {  // an unquoted token
    std::size_t bare = rest.find("name=");
    if (bare == std::string_view::npos) return false;
    std::string_view name = rest.substr(bare + 5);
    header.name = std::string(TrimRight(name.substr(0, name.find(';'))));
    return !header.name.empty();
  }
  rest = rest.substr(quoted + 6);
  static constexpr std::string_view kFilename = "\"; filename=\"";
  std::size_t split = rest.find(kFilename);
  std::string_view nameAndQuote = split == std::string_view::npos ? rest : rest.substr(0, split + 1);
  std::size_t nameEnd = nameAndQuote.rfind('"');
  if (nameEnd == std::string_view::npos) return false;
  header.name = std::string(nameAndQuote.substr(0, nameEnd));
  if (split != std::string_view::npos) {
    std::string_view path = rest.substr(split + kFilename.size());
    std::size_t pathEnd = path.rfind('"');
    if (pathEnd == std::string_view::npos) return false;
    header.filename = std::string(path.substr(0, pathEnd));
    header.hasFilename = true;
  }
  return true;
}

}  // namespace

bool ParsePartHeader(std::string_view block, PartHeader& header) {
  header = PartHeader{};
  header.raw = std::string(block);
  struct Field {
    std::string_view name;
    std::string value;
  };
  std::vector<Field> fields;
  while (true) {
    std::size_t end = block.find("\r\n");
    std::string_view line = block.substr(0, end);
    if (std::size_t nameLength = FieldNameLength(line); nameLength > 0) {
      fields.push_back({line.substr(0, nameLength), std::string(TrimLeft(line.substr(nameLength + 1)))});
    } else if (!fields.empty()) {
      fields.back().value += "\r\n";
      fields.back().value += line;
    } else if (!line.empty()) {
      return false;
    }
    if (end == std::string_view::npos) break;
    block = block.substr(end + 2);
  }
  bool haveDisposition = false;
  for (const Field& field : fields) {
    if (StartsWithNoCase(field.name, "Content-Disposition") && field.name.size() == 19) {
      haveDisposition = ParseDisposition(field.value, header);
    } else if (StartsWithNoCase(field.name, "Content-Type") && field.name.size() == 12) {
      header.contentType = std::string(TrimRight(field.value));
      header.hasContentType = true;
    }
  }
  return haveDisposition;
}

MultipartParser::MultipartParser(std::string boundary, MultipartEvents& events)
    : delimiter_("\r\n--" + boundary), events_(events), pending_("\r\n") {}

bool MultipartParser::Fail(std::string why) {
  error_ = std::move(why);
  pending_.clear();
  return false;
}

bool MultipartParser::Feed(const char* data, std::size_t size) {
  if (Failed()) return false;
  if (state_ == State::Done) {
    ConsumeAfterClose(data, size);
    return true;
  }
  pending_.append(data, size);
  Step();
  return !Failed();
}

void MultipartParser::Step() {
  bool progressed = true;
  while (progressed && !Failed()) {
    switch (state_) {
      case State::Preamble: progressed = StepPreamble(); break;
      case State::AfterDelimiter: progressed = StepAfterDelimiter(); break;
      case State::Header: progressed = StepHeader(); break;
      case State::Data: progressed = StepData(); break;
      case State::Done:
        ConsumeAfterClose(pending_.data(), pending_.size());
        pending_.clear();
        progressed = false;
        break;
    }
  }
}

void MultipartParser::ConsumeAfterClose(const char* data, std::size_t size) {
  // The closing delimiter line ends in CR LF; anything after it, or instead of it, is epilogue.
  for (std::size_t i = 0; i < size; ++i) {
    if (closeLineBytes_ < 2 && data[i] == "\r\n"[closeLineBytes_]) {
      ++closeLineBytes_;
    } else {
      closeLineBytes_ = 2;
      ++epilogue_;
    }
  }
}

bool MultipartParser::StepPreamble() {
  std::size_t at = pending_.find(delimiter_);
  if (at == std::string::npos) {
    if (pending_.size() >= delimiter_.size()) pending_.erase(0, pending_.size() - (delimiter_.size() - 1));
    return false;
  }
  pending_.erase(0, at + delimiter_.size());
  state_ = State::AfterDelimiter;
  return true;
}

bool MultipartParser::StepAfterDelimiter() {
  std::size_t pad = 0;  // blanks allowed before the line end
  while (pad < pending_.size() && (pending_[pad] == ' ' || pending_[pad] == '\t')) ++pad;
  if (pending_.size() < pad + 2) return false;
  if (pending_.compare(0, 2, "--") == 0) {
    pending_.erase(0, 2);
    state_ = State::Done;
    return true;
  }
  if (pending_.compare(pad, 2, "\r\n") != 0) return Fail("a delimiter line does not end in CR LF");
  pending_.erase(0, pad + 2);
  state_ = State::Header;
  return true;
}

bool MultipartParser::StepHeader() {
  std::size_t end = pending_.starts_with("\r\n") ? 0 : pending_.find("\r\n\r\n");
  if (end == std::string::npos) {
    if (pending_.size() > kMaxHeaderBytes) return Fail("a part header is longer than the limit");
    return false;
  }
  PartHeader header;
  if (!ParsePartHeader(std::string_view(pending_).substr(0, end), header)) {
    return Fail("a part header has no Content-Disposition form-data field with a name");
  }
  pending_.erase(0, end + (end == 0 ? 2 : 4));
  events_.OnPartBegin(header);
  inPart_ = true;
  state_ = State::Data;
  return true;
}

bool MultipartParser::StepData() {
  std::size_t at = pending_.find(delimiter_);
  if (at == std::string::npos) {
    // Keep what could be the start of a delimiter; the rest is part data.
    std::size_t keep = delimiter_.size() - 1;
    if (pending_.size() > keep) {
      std::size_t emit = pending_.size() - keep;
      events_.OnPartData(pending_.data(), emit);
      pending_.erase(0, emit);
    }
    return false;
  }
  if (at > 0) events_.OnPartData(pending_.data(), at);
  events_.OnPartEnd();
  inPart_ = false;
  pending_.erase(0, at + delimiter_.size());
  state_ = State::AfterDelimiter;
  return true;
}

bool MultipartParser::Finish() {
  if (Failed()) return false;
  if (state_ == State::Done) return true;  // a closing line cut short of its CR LF is accepted
  if (inPart_) {
    // The body broke off inside a part: what arrived of it is part data, except a tail that is the
    // start of a delimiter (the part's own end, cut off).
    if (state_ == State::Data) {
      std::size_t keep = std::min(pending_.size(), delimiter_.size() - 1);
      while (keep > 0 && pending_.compare(pending_.size() - keep, keep, delimiter_, 0, keep) != 0) --keep;
      if (pending_.size() > keep) events_.OnPartData(pending_.data(), pending_.size() - keep);
    }
    events_.OnPartEnd();
  }
  inPart_ = false;
  return Fail(state_ == State::Preamble ? "no delimiter line" : "the body ends before its closing delimiter");
}

}  // namespace receiver
