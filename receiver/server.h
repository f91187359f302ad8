// Running the upload receiver with its options.
#pragma once

#include "receiver/options.h"

namespace receiver {

// Listens as the options say and serves until the process ends. Returns the exit status when it
// cannot start (1: cannot listen, 2: cannot read the reply file).
int RunReceiver(const ReceiverOptions& options);

}  // namespace receiver
