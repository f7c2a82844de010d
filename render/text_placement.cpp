// The 13 text layouts of a GUI window.
#include "render/text_placement.h"

#include "render/gui_types.h"

namespace Tamrik {

namespace {

// Worked in 64 bits: windows may stand anywhere a handler puts them, and the sums below must
// not overflow; the result wraps back into the 32-bit pixel range.
ScreenPoint Point(int64_t x, int64_t y)
{
    return {static_cast<int32_t>(x), static_cast<int32_t>(y)};
}

} // namespace

ScreenPoint PlaceText(const ScreenQuad& corners, int32_t layout, int32_t textWidth, int32_t lineHeight)
{
    const int64_t x0 = corners.points[QUAD_TOP_LEFT].x;
    const int64_t y0 = corners.points[QUAD_TOP_LEFT].y;
    const int64_t y1 = corners.points[QUAD_BOTTOM_LEFT].y;
    const int64_t x3 = corners.points[QUAD_TOP_RIGHT].x;
    const int64_t tw = textWidth;
    const int64_t lh = lineHeight;
    // Both halvings truncate toward zero, as C++ division does.
    const int64_t hc = x0 + (x3 - x0 - tw) / 2;
    const int64_t vc = y0 + (y1 - y0 - lh) / 2;
    switch (layout) {
    case LEFT_UP: return Point(x0, y0);
    case LEFT_CENTER: return Point(x0, vc);
    case LEFT_DOWN: return Point(x0, y1);
    case CENTER_UP: return Point(hc, y0);
    case CENTER: return Point(hc, vc);
    case CENTER_DOWN: return Point(hc, y1);
    case RIGHT_UP: return Point(x3 - tw, y0);
    case RIGHT_CENTER: return Point(x3 - tw, vc);
    case RIGHT_DOWN: return Point(x3 - tw, y1);
    case DISPLACED_LEFT: return Point(x0 - tw - 10, vc);
    case DISPLACED_RIGHT: return Point(x3 + 10, vc);
    case DISPLACED_UP: return Point(hc, y0 - lh - 10);
    case DISPLACED_DOWN: return Point(hc, y1 + 10);
    default: return Point(0, 0);
    }
}

} // namespace Tamrik
