// The process-wide current control: the last control made, for whoever asks which one that is. The
// upload road never does: each control's parts reach their own control (model/IUploadControl.h).
#pragma once

#include <atomic>

#include "model/IUploadControl.h"

namespace drev {

// A control's constructor makes itself current (a second instance takes the pointer over); its
// destructor clears the pointer when it is still the current one, so nothing is ever left pointing
// at a destroyed control.
inline std::atomic<IUploadControl*> g_currentControl{nullptr};

inline IUploadControl* GetCurrentControl() { return g_currentControl.load(); }
inline void SetCurrentControl(IUploadControl* control) { g_currentControl.store(control); }
inline void ReleaseCurrentControl(IUploadControl* control) {
  g_currentControl.compare_exchange_strong(control, nullptr);
}

}  // namespace drev
