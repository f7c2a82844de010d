// The clock on CLOCK_MONOTONIC and sleeping with nanosleep.
#include "platform/clock.h"

#include <cerrno>
#include <ctime>

namespace platform {

int64_t MonotonicCounter()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * MONOTONIC_FREQUENCY + ts.tv_nsec;
}

void SleepMilliseconds(uint32_t milliseconds)
{
    timespec request{static_cast<time_t>(milliseconds / 1000),
                     static_cast<long>(milliseconds % 1000) * 1000000L};
    timespec remaining{};
    // A signal cuts the sleep short; sleep the rest so the caller gets what it asked for.
    while (nanosleep(&request, &remaining) != 0 && errno == EINTR)
        request = remaining;
}

} // namespace platform
