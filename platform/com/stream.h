// IStream: a sequential byte stream that holds an object's saved state.
#pragma once

#include "platform/com/unknown.h"

namespace plat::com {

class IStream : public IUnknown {
 public:
  static constexpr IID iid = MakeGuid("{0000000C-0000-0000-C000-000000000046}");
  using base_interface = IUnknown;

  // Reads up to `count` bytes into `buffer`; *read (may be null) receives how many came. Fewer than
  // asked, with S_OK, means the stream has ended. A failure of the medium is an error code.
  virtual HRESULT Read(void* buffer, ULONG count, ULONG* read) = 0;
  // Writes `count` bytes; *written (may be null) receives how many went. STG_E_WRITEFAULT (or
  // another error) when not all could be written.
  virtual HRESULT Write(const void* buffer, ULONG count, ULONG* written) = 0;

 protected:
  ~IStream() = default;
};

}  // namespace plat::com
