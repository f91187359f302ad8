// The runtime's linear congruential generator, one state per thread.
#include "platform/kernel/rand.h"

#include <sys/random.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>

namespace plat::kernel {
namespace {
thread_local std::uint32_t state = 1;
}

int crt_rand() {
  state = state * 214013u + 2531011u;
  return static_cast<int>((state >> 16) & 0x7FFF);
}

void crt_srand(unsigned int seed) { state = seed; }

unsigned int SeedFromSecureSource() {
  unsigned int seed = 0;
  if (getrandom(&seed, sizeof seed, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof seed)) {
    auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    seed = static_cast<unsigned int>(ticks) ^ static_cast<unsigned int>(ticks >> 32) ^
           (static_cast<unsigned int>(gettid()) * 2654435761u);
  }
  crt_srand(seed);
  return seed;
}

}  // namespace plat::kernel
