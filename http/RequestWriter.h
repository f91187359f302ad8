// RequestWriter: the body's path to the network, direct or through a 1024-byte write buffer.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "platform/base/types.h"

namespace drev {

// Where written bytes go: one call per network write. Must take every byte or throw.
class IBodySink {
 public:
  virtual void Send(const char* data, plat::DWORD count) = 0;

 protected:
  ~IBodySink() = default;
};

// Two modes:
// - Direct (no buffer set): every Write is one Send of exactly its bytes.
// - Buffered (between SetBuffer and RemoveBuffer): a write that would bring the buffered amount to
//   kBufferBytes or more first sends what is buffered; then a write of kBufferBytes or more is sent
//   directly and a shorter one stays in the buffer. Flush sends what is buffered; RemoveBuffer
//   flushes first. So small pieces (part headers, text parts) leave in few, large writes.
// A failing Send leaves the buffer empty and passes its exception on.
class RequestWriter {
 public:
  static constexpr std::size_t kBufferBytes = 1024;

  explicit RequestWriter(IBodySink& sink) : sink_(sink) {}
  RequestWriter(const RequestWriter&) = delete;
  RequestWriter& operator=(const RequestWriter&) = delete;

  void SetBuffer() { buffered_ = true; }
  void RemoveBuffer();
  void Flush();
  void Write(std::string_view bytes);

 private:
  void SendBytes(const char* data, std::size_t count);

  IBodySink& sink_;
  bool buffered_ = false;
  std::array<char, kBufferBytes> buffer_{};
  std::size_t used_ = 0;
};

}  // namespace drev
