// RequestWriter: buffered and direct writes of the request body.
#include "http/RequestWriter.h"

#include <cstring>

namespace drev {

void RequestWriter::SendBytes(const char* data, std::size_t count) {
  // Every single write the form poster makes is far below 4 GiB; a larger one would be a caller's bug
  // and is sent in pieces rather than cut.
  while (count > 0) {
    std::size_t piece = count > 0x7FFFFFFFu ? 0x7FFFFFFFu : count;
    sink_.Send(data, static_cast<plat::DWORD>(piece));
    data += piece;
    count -= piece;
  }
}

void RequestWriter::Flush() {
  if (used_ == 0) return;
  std::size_t count = used_;
  used_ = 0;  // emptied first, so that a failing send leaves nothing behind to send twice
  SendBytes(buffer_.data(), count);
}

void RequestWriter::RemoveBuffer() {
  Flush();
  buffered_ = false;
}

void RequestWriter::Write(std::string_view bytes) {
  if (!buffered_) {
    SendBytes(bytes.data(), bytes.size());
    return;
  }
  if (used_ + bytes.size() >= kBufferBytes) Flush();
  if (bytes.size() >= kBufferBytes) {
    SendBytes(bytes.data(), bytes.size());
    return;
  }
  std::memcpy(buffer_.data() + used_, bytes.data(), bytes.size());
  used_ += bytes.size();
}

}  // namespace drev
