// The high-resolution clock and sleeping.
#pragma once
#include <cstdint>

namespace platform {

// Nanoseconds of a monotonic clock; the frequency is therefore 1e9 ticks per second.
int64_t MonotonicCounter();
constexpr int64_t MONOTONIC_FREQUENCY = 1000000000;

void SleepMilliseconds(uint32_t milliseconds);

} // namespace platform
