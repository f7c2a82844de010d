// The frame-rate line: frames counted over each second spent inside the frames themselves.
#pragma once
#include <cstdint>

namespace Tamrik {

class CFrameRate {
public:
    // One frame that took ticks counter ticks; the line changes once a second has gathered.
    void Count(uint64_t ticks, uint64_t frequency);
    const char* Text() const { return text; }

    int32_t frames = 0;
    double accumulated = 0.0;

private:
    char text[32] = "FPS: 0";
};

} // namespace Tamrik
