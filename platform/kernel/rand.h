// The C runtime's rand/srand with its state kept per thread, and a seed from the system's entropy.
#pragma once

#include "platform/base/types.h"

namespace plat::kernel {

constexpr int CRT_RAND_MAX = 0x7FFF;

// The next value (0 to 0x7FFF) of the calling thread's generator:
//   state = state * 214013 + 2531011 (mod 2^32), value = (state >> 16) & 0x7FFF.
// A thread that has never called crt_srand starts from state 1, so its first three values are
// 0x0029, 0x4823 and 0x18BE. Threads never see each other's state.
int crt_rand();

// Sets the calling thread's generator state.
void crt_srand(unsigned int seed);

// Seeds the calling thread's generator from the system's entropy source (getrandom; the clock and
// the thread id when that is unavailable) and returns the seed used.
unsigned int SeedFromSecureSource();

}  // namespace plat::kernel
