// The system's text for an error number, in the two-call shape of "ask the length, then the text".
#pragma once

#include "platform/base/types.h"

namespace drev {

// Looks up the system message of `code` in the user's language (CP949, ending in "\r\n").
// When there is no text: returns false and leaves `buffer` and `*capacity` untouched.
// Otherwise stores the text's length (without the terminator) in `*capacity` and, when `buffer` is
// given and the capacity passed in was greater than that length, first copies the text with its
// terminator into `buffer`. A null `capacity` is answered false with nothing done.
// Typical use: capacity 0 and no buffer to learn the length, then a buffer of length + 1.
bool GetSystemErrorText(plat::DWORD code, char* buffer, plat::DWORD* capacity);

}  // namespace drev
