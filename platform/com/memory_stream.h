// MemoryStream: an IStream over a byte buffer, for saved state that a host keeps in memory or a file.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/com/ref_counted.h"
#include "platform/com/stream.h"

namespace plat::com {

// Writes append at the end; reads run from the start (or from where the last read stopped).
class MemoryStream : public RefCounted<IStream> {
 public:
  MemoryStream() = default;
  // A stream to read back bytes saved earlier.
  explicit MemoryStream(std::vector<BYTE> bytes) : bytes_(std::move(bytes)) {}

  HRESULT Read(void* buffer, ULONG count, ULONG* read) override;
  HRESULT Write(const void* buffer, ULONG count, ULONG* written) override;

  const std::vector<BYTE>& Bytes() const { return bytes_; }
  // Starts reading from the beginning again.
  void Rewind() { readPos_ = 0; }

 private:
  std::vector<BYTE> bytes_;
  std::size_t readPos_ = 0;
};

}  // namespace plat::com
