// What the receiver learns from one upload: its parts, stored files, sizes and checksums, as JSON.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "receiver/multipart_parser.h"

namespace receiver {

// The checksum reported for bodies and parts: CRC-32 (as zlib and `gzip -l` compute it), 8 hex digits.
std::string Crc32Hex(std::uint32_t crc);

// Lower-case hexadecimal of the bytes, two digits each.
std::string HexOf(std::string_view bytes);

// Collects the parts of one multipart body. File parts (those with a filename parameter) are written
// to `storeDir` under names of the receiver's own ("<request>-<part>.part"); the sent filename never
// chooses a path. Text values are kept in memory up to kMaxValueBytes (the rest is counted only).
class UploadRecord : public MultipartEvents {
 public:
  UploadRecord(std::filesystem::path storeDir, std::uint64_t request);

  void OnPartBegin(const PartHeader& header) override;
  void OnPartData(const char* data, std::size_t size) override;
  void OnPartEnd() override;

  // True when every file part was stored whole.
  bool Stored() const { return storeFailures_ == 0; }

  // {"fields": [...], "files": [...]} in body order; see the receiver's --help for the members.
  nlohmann::json PartsJson() const;

  static constexpr std::size_t kMaxValueBytes = 1024 * 1024;

 private:
  struct Part {
    PartHeader header;
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
    std::string value;         // text parts only, up to kMaxValueBytes
    std::string storedAs;      // file parts: the file name under storeDir
    std::string storeError;    // file parts: why the content could not be stored
  };

  std::filesystem::path storeDir_;
  std::uint64_t request_;
  std::vector<Part> parts_;
  std::ofstream file_;
  int storeFailures_ = 0;
};

}  // namespace receiver
