// The in-memory stream.
#include "platform/com/memory_stream.h"

#include <algorithm>
#include <cstring>

namespace plat::com {

HRESULT MemoryStream::Read(void* buffer, ULONG count, ULONG* read) {
  if (!buffer && count) return E_POINTER;
  std::size_t n = std::min<std::size_t>(count, bytes_.size() - readPos_);
  if (n) std::memcpy(buffer, bytes_.data() + readPos_, n);
  readPos_ += n;
  if (read) *read = static_cast<ULONG>(n);
  return S_OK;
}

HRESULT MemoryStream::Write(const void* buffer, ULONG count, ULONG* written) {
  if (!buffer && count) return E_POINTER;
  const BYTE* p = static_cast<const BYTE*>(buffer);
  bytes_.insert(bytes_.end(), p, p + count);
  if (written) *written = count;
  return S_OK;
}

}  // namespace plat::com
