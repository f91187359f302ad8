// IUploadControl: what the control's parts (its attachment manager, each upload's progress dialog and
// worker) ask of the control that owns them, without depending on its class.
#pragma once

#include <cstdint>
#include <string>

#include "platform/base/types.h"

namespace drev {

struct UploadSettings;

// Implemented by CUploadListCtrl, which hands itself to its attachment manager when it is made; the
// manager hands it on to each upload's dialog and worker. The control outlives all of them.
class IUploadControl {
 public:
  // The control's settings record (owned by the control).
  virtual UploadSettings* GetUploadSettings() = 0;
  // Sends one of the private messages (UM_*) to the control window and returns the handler's result.
  // Synchronous; from another thread it waits until the control's thread has handled it.
  virtual plat::LRESULT SendToControl(plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam) = 0;
  // Stores the reply text of an upload (called on the worker thread under the worker's reply lock;
  // read on the control's thread only after the worker has signalled that it is done).
  virtual void SetServerResponse(const std::string& reply) = 0;
  virtual void FireOnFileAppended(std::int32_t appendedFileSize, std::int32_t totalSize) = 0;
  virtual void FireOnFileDeleted(std::int32_t deletedFileSize, std::int32_t totalFileSize) = 0;

 protected:
  ~IUploadControl() = default;
};

}  // namespace drev
