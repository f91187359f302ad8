// The private window messages the attachment manager and the progress dialog send to the control,
// and the totals block that travels with UM_LIST_CHANGED.
#pragma once

#include <cstdint>

#include "platform/base/types.h"

namespace drev {

constexpr plat::UINT UM_UPLOAD_CANCEL = 0x5F7;  // the user cancelled the upload
constexpr plat::UINT UM_UPLOAD_FINISH = 0x5F8;  // an upload finished (or there was nothing to send)
constexpr plat::UINT UM_UPLOAD_START = 0x5F9;   // an upload is about to start
constexpr plat::UINT UM_LIST_CHANGED = 0x5FA;   // wParam = address of the ATTACH_TOTALS block
// An upload failed or was refused: wParam = the HTTP status (0 when there was none), lParam = the
// address of a std::string holding the reason the user was shown (CP949), valid during the send.
constexpr plat::UINT UM_UPLOAD_FAILED = 0x5FB;

// Seven signed 32-bit counters rebuilt from scratch after every change of the lists. Sums wrap.
struct ATTACH_TOTALS {
  std::int32_t nTotalCount = 0;  // nFileCount + nImageCount
  std::int32_t nFileCount = 0;   // list rows (local and server)
  std::int32_t nFileSize = 0;    // sum of the rows' sizes
  std::int32_t nImageCount = 0;  // records in the image list (local and server)
  std::int32_t nImageSize = 0;   // sum of the image records' sizes
  std::int32_t nReserved1 = 0;   // always 0
  std::int32_t nReserved2 = 0;   // always 0
};

}  // namespace drev
