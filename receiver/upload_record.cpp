// One upload's parts: stored to disk as they stream in, summed up as JSON afterwards.
#include "receiver/upload_record.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>

#include "platform/text/text.h"

namespace receiver {
namespace {

// A text received as code page 949 bytes, for JSON (which must be UTF-8): the UTF-8 conversion
// (characters that do not convert become '?') and the exact bytes in hex.
void PutText(nlohmann::json& out, const std::string& key, const std::string& cp949) {
  out[key] = plat::text::Cp949ToUtf8(cp949);
  out[key + "Hex"] = HexOf(cp949);
}

}  // namespace

std::string Crc32Hex(std::uint32_t crc) {
  char text[9];
  std::snprintf(text, sizeof text, "%08x", crc);
  return text;
}

std::string HexOf(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 0xF];
  }
  return hex;
}

UploadRecord::UploadRecord(std::filesystem::path storeDir, std::uint64_t request)
    : storeDir_(std::move(storeDir)), request_(request) {}

void UploadRecord::OnPartBegin(const PartHeader& header) {
  Part part;
  part.header = header;
  part.crc = static_cast<std::uint32_t>(crc32(0L, Z_NULL, 0));
  if (header.hasFilename) {
    char name[64];
    std::snprintf(name, sizeof name, "%06llu-%03zu.part", static_cast<unsigned long long>(request_), parts_.size() + 1);
    part.storedAs = name;
    file_.open(storeDir_ / name, std::ios::binary | std::ios::trunc);
    if (!file_) part.storeError = "cannot create " + (storeDir_ / name).string();
  }
  parts_.push_back(std::move(part));
}

void UploadRecord::OnPartData(const char* data, std::size_t size) {
  Part& part = parts_.back();
  part.size += size;
  part.crc = static_cast<std::uint32_t>(crc32(part.crc, reinterpret_cast<const Bytef*>(data), static_cast<uInt>(size)));
  if (!part.header.hasFilename) {
    std::size_t room = kMaxValueBytes - std::min(kMaxValueBytes, part.value.size());
    part.value.append(data, std::min(room, size));
  } else if (file_.is_open()) {
    file_.write(data, static_cast<std::streamsize>(size));
    if (!file_) part.storeError = "cannot write " + (storeDir_ / part.storedAs).string();
  }
}

void UploadRecord::OnPartEnd() {
  Part& part = parts_.back();
  if (file_.is_open()) {
    file_.close();
    if (!file_ && part.storeError.empty()) part.storeError = "cannot close " + (storeDir_ / part.storedAs).string();
  }
  if (!part.storeError.empty()) ++storeFailures_;
}

nlohmann::json UploadRecord::PartsJson() const {
  nlohmann::json fields = nlohmann::json::array();
  nlohmann::json files = nlohmann::json::array();
  for (std::size_t i = 0; i < parts_.size(); ++i) {
    const Part& part = parts_[i];
    nlohmann::json entry;
    entry["index"] = i + 1;
    PutText(entry, "name", part.header.name);
    entry["size"] = part.size;
    entry["crc32"] = Crc32Hex(part.crc);
    if (part.header.hasContentType) entry["contentType"] = plat::text::Cp949ToUtf8(part.header.contentType);
    entry["headerHex"] = HexOf(part.header.raw);
    if (part.header.hasFilename) {
      PutText(entry, "filename", part.header.filename);
      entry["stored"] = part.storedAs;
      if (!part.storeError.empty()) entry["storeError"] = part.storeError;
      files.push_back(std::move(entry));
    } else {
      PutText(entry, "value", part.value);
      if (part.size > part.value.size()) entry["valueTruncated"] = true;
      fields.push_back(std::move(entry));
    }
  }
  return nlohmann::json{{"fields", std::move(fields)}, {"files", std::move(files)}};
}

}  // namespace receiver
