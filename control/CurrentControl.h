// The process-wide current control: how the attachment manager, the progress dialog and the upload
// worker reach the control object without depending on its class.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/base/types.h"

struct UploadSettings;

// What the rest of the system asks of the control. Implemented by CUploadListCtrl.
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

// The current control. A control's constructor makes itself current (a second instance takes the
// pointer over); its destructor clears the pointer when it is still the current one, so nothing is
// ever left pointing at a destroyed control.
inline std::atomic<IUploadControl*> g_currentControl{nullptr};

inline IUploadControl* GetCurrentControl() { return g_currentControl.load(); }
inline void SetCurrentControl(IUploadControl* control) { g_currentControl.store(control); }
inline void ReleaseCurrentControl(IUploadControl* control) {
  g_currentControl.compare_exchange_strong(control, nullptr);
}
