// A quad in window pixels: the corners of a GUI window or of the cursor.
#pragma once
#include <cstdint>

namespace Tamrik {

struct ScreenPoint {
    int32_t x = 0;
    int32_t y = 0;
};

// Origin at the top left, y growing downwards.
struct ScreenQuad {
    ScreenPoint points[4]; // top-left, bottom-left, bottom-right, top-right
};

enum ScreenQuadCorner {
    QUAD_TOP_LEFT = 0,
    QUAD_BOTTOM_LEFT = 1,
    QUAD_BOTTOM_RIGHT = 2,
    QUAD_TOP_RIGHT = 3
};

} // namespace Tamrik
