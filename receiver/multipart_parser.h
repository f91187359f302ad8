// A streaming parser of multipart/form-data bodies that reports part headers and data as they arrive.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace receiver {

// What a part's header says. Texts are the bytes as sent (code page 949 from the control), unescaped.
struct PartHeader {
  std::string raw;          // the header block as sent, without the blank line that ends it
  std::string name;         // the name parameter of Content-Disposition
  std::string filename;     // the filename parameter, when hasFilename
  bool hasFilename = false;
  std::string contentType;  // the part's Content-Type value, when hasContentType (may be empty)
  bool hasContentType = false;
};

class MultipartEvents {
 public:
  virtual ~MultipartEvents() = default;
  virtual void OnPartBegin(const PartHeader& header) = 0;
  virtual void OnPartData(const char* data, std::size_t size) = 0;
  virtual void OnPartEnd() = 0;
};

// Feed the body in pieces of any size; events arrive in order. Names and filenames are read the way
// the control writes them, without escapes: name="NAME"; filename="PATH", where NAME runs to the first
// `"; filename="` and PATH to the last quote of the field, so quotes, CR and LF inside survive.
class MultipartParser {
 public:
  // `boundary` as given in the Content-Type's boundary parameter (delimiter lines are "--" + it).
  MultipartParser(std::string boundary, MultipartEvents& events);

  // False once the body is found malformed (Error() says how); later input is then ignored.
  bool Feed(const char* data, std::size_t size);

  // Call at the end of the body: true when the closing delimiter was seen and nothing was malformed.
  bool Finish();

  bool Failed() const { return !error_.empty(); }
  const std::string& Error() const { return error_; }
  // Bytes after the closing delimiter line (a well-formed body from the control has none).
  std::size_t EpilogueBytes() const { return epilogue_; }

  // The longest part header accepted.
  static constexpr std::size_t kMaxHeaderBytes = 64 * 1024;

 private:
  enum class State { Preamble, AfterDelimiter, Header, Data, Done };

  bool Fail(std::string why);
  void Step();
  bool StepPreamble();
  bool StepAfterDelimiter();
  bool StepHeader();
  bool StepData();
  void ConsumeAfterClose(const char* data, std::size_t size);

  std::string delimiter_;  // "\r\n--" + boundary
  MultipartEvents& events_;
  State state_ = State::Preamble;
  std::string pending_;  // bytes not yet consumed (at most about one delimiter, or one header)
  std::string error_;
  std::size_t epilogue_ = 0;
  std::size_t closeLineBytes_ = 0;  // of the CR LF that ends the closing delimiter line
  bool inPart_ = false;
};

// Reads a part header block (lines separated by CR LF); a line that does not start a "Name:" field
// continues the one before it, CR LF included. False when there is no Content-Disposition form-data
// field with a name.
bool ParsePartHeader(std::string_view block, PartHeader& header);

}  // namespace receiver
