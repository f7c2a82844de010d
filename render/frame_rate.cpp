// The frame-rate line.
#include "render/frame_rate.h"

#include <cstdio>

namespace Tamrik {

void CFrameRate::Count(uint64_t ticks, uint64_t frequency)
{
    // Without a frequency no time can be measured, and the line stays as it is.
    if (frequency == 0)
        return;
    ++frames;
    accumulated += static_cast<double>(ticks) / static_cast<double>(frequency);
    if (accumulated > 1.0) {
        accumulated -= 1.0;
        std::snprintf(text, sizeof text, "FPS: %d", frames);
        frames = 0;
    }
}

} // namespace Tamrik
