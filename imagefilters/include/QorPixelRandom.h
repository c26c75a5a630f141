// The random generator of the filters: one process-wide sequence with the classic C runtime
// range 0..32767, so the noise constants of the filters hold on every platform. Seeding it with
// the same value reproduces the same pixels (state = state x 214013 + 2531011, result
// (state >> 16) & 0x7FFF, seed = state; the sequence starts as after QorSrand(1)).
#pragma once

#include <cstdint>

namespace QorPixelmill {

constexpr int kQorRandMax = 32767;

// Restarts the sequence.
void QorSrand(uint32_t seed);
// The next value, 0..32767.
int QorRand();
// Seeds with the current time in seconds (what the time-seeded filters do when built).
void QorSrandTime();

}  // namespace QorPixelmill
