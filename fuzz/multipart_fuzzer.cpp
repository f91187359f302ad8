// Fuzz target: upload-receiver's multipart/form-data parser. The input is the boundary on its first
// line, then the body. The body is parsed whole and again in pieces of changing sizes (as the network
// hands it over), and both runs must report the same parts; then it goes through the receiver's
// upload record (file parts stored in a scratch folder) and its JSON summary.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "receiver/multipart_parser.h"
#include "receiver/upload_record.h"

using drev::fuzz::Check;

namespace {

// Every event, flattened: a part's header fields, then its data joined (however it was split).
struct Part {
  receiver::PartHeader header;
  std::string data;
  bool ended = false;
};

class Recorder : public receiver::MultipartEvents {
 public:
  void OnPartBegin(const receiver::PartHeader& header) override {
    Check(parts.empty() || parts.back().ended, "a part begins only after the one before it ended");
    parts.push_back({header, {}, false});
  }
  void OnPartData(const char* data, std::size_t size) override {
    Check(!parts.empty() && !parts.back().ended, "data arrives inside a part");
    Check(size > 0, "no empty data events");
    parts.back().data.append(data, size);
  }
  void OnPartEnd() override {
    Check(!parts.empty() && !parts.back().ended, "a part ends once");
    parts.back().ended = true;
  }
  std::vector<Part> parts;
};

struct Outcome {
  std::vector<Part> parts;
  bool finished = false;
  std::string error;
  std::size_t epilogue = 0;
};

bool SameHeader(const receiver::PartHeader& a, const receiver::PartHeader& b) {
  return a.raw == b.raw && a.name == b.name && a.filename == b.filename && a.hasFilename == b.hasFilename &&
         a.contentType == b.contentType && a.hasContentType == b.hasContentType;
}

// Parses `body`, handing it over in pieces of the sizes in `pieces` (cycled); empty means whole.
Outcome Parse(const std::string& boundary, std::string_view body, const std::vector<std::size_t>& pieces) {
  Recorder recorder;
  receiver::MultipartParser parser(boundary, recorder);
  std::size_t at = 0;
  for (std::size_t turn = 0; at < body.size(); ++turn) {
    std::size_t size = pieces.empty() ? body.size() : std::min(pieces[turn % pieces.size()], body.size() - at);
    bool fed = parser.Feed(body.data() + at, size);
    Check(fed == !parser.Failed(), "Feed answers false exactly when the body was found malformed");
    at += size;
  }
  Outcome outcome;
  outcome.finished = parser.Finish();
  outcome.error = parser.Error();
  outcome.epilogue = parser.EpilogueBytes();
  outcome.parts = std::move(recorder.parts);
  Check(outcome.finished == outcome.error.empty(), "Finish is true exactly when there is no error");
  for (const Part& part : outcome.parts) Check(part.ended, "every part that began has ended after Finish");
  return outcome;
}

void CheckSame(const Outcome& whole, const Outcome& split) {
  Check(whole.finished == split.finished && whole.error == split.error, "the same verdict however the body is split");
  Check(whole.epilogue == split.epilogue, "the same epilogue however the body is split");
  Check(whole.parts.size() == split.parts.size(), "the same parts however the body is split");
  for (std::size_t i = 0; i < whole.parts.size(); ++i) {
    Check(SameHeader(whole.parts[i].header, split.parts[i].header), "the same part headers however the body is split");
    Check(whole.parts[i].data == split.parts[i].data, "the same part data however the body is split");
  }
}

const std::filesystem::path& ScratchFolder() {
  static const std::filesystem::path folder = [] {
    std::filesystem::path base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
    std::filesystem::path made = base / ("drev-fuzz-multipart-" + std::to_string(getpid()));
    std::filesystem::create_directories(made);
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(ScratchFolder(), ignored);
    });
    return made;
  }();
  return folder;
}

void ThroughRecord(const std::string& boundary, std::string_view body, const Outcome& whole) {
  receiver::UploadRecord record(ScratchFolder(), 1);
  receiver::MultipartParser parser(boundary, record);
  parser.Feed(body.data(), body.size());
  parser.Finish();
  nlohmann::json summary = record.PartsJson();
  Check(summary["fields"].size() + summary["files"].size() == whole.parts.size(), "the record lists every part");
  std::string dumped = summary.dump(2, ' ', true);  // throws on text that is not UTF-8
  Check(!dumped.empty(), "the summary is written");
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(ScratchFolder(), ignored)) {
    std::filesystem::remove(entry.path(), ignored);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::size_t line = input.find('\n');
  if (line == std::string_view::npos) return 0;
  std::string boundary(input.substr(0, line));
  if (!boundary.empty() && boundary.back() == '\r') boundary.pop_back();
  std::string_view body = input.substr(line + 1);

  Outcome whole = Parse(boundary, body, {});
  CheckSame(whole, Parse(boundary, body, {1}));
  CheckSame(whole, Parse(boundary, body, {3, 64, 2, 513, 7, 1}));
  ThroughRecord(boundary, body, whole);
  return 0;
}
