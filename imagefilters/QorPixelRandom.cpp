// The filters' random generator.
#include "QorPixelRandom.h"

#include <atomic>
#include <ctime>

namespace QorPixelmill {

namespace {
// Relaxed atomics keep concurrent use free of data races; the sequence is only reproducible
// from one thread, as with the runtime library's generator.
std::atomic<uint32_t> g_state{1};
}  // namespace

void QorSrand(uint32_t seed) { g_state.store(seed, std::memory_order_relaxed); }

int QorRand() {
  const uint32_t next = g_state.load(std::memory_order_relaxed) * 214013u + 2531011u;
  g_state.store(next, std::memory_order_relaxed);
  return static_cast<int>((next >> 16) & 0x7FFF);
}

void QorSrandTime() { QorSrand(static_cast<uint32_t>(std::time(nullptr))); }

}  // namespace QorPixelmill
