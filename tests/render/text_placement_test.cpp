// Tests of the 13 text layouts of a GUI window.
#include <gtest/gtest.h>

#include <climits>

#include "render/gui_types.h"
#include "render/text_placement.h"

namespace Tamrik {
namespace {

ScreenQuad Rect(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    ScreenQuad quad;
    quad.points[QUAD_TOP_LEFT] = {left, top};
    quad.points[QUAD_BOTTOM_LEFT] = {left, bottom};
    quad.points[QUAD_BOTTOM_RIGHT] = {right, bottom};
    quad.points[QUAD_TOP_RIGHT] = {right, top};
    return quad;
}

void ExpectAt(ScreenPoint p, int32_t x, int32_t y, const char* what)
{
    EXPECT_EQ(p.x, x) << what;
    EXPECT_EQ(p.y, y) << what;
}

TEST(TextPlacement, EachLayoutPlacesTheLineAroundA256By64WindowAndUnknownOnesAtTheOrigin)
{
    // At (100, 200), a text 51 pixels wide, lines 13 high: centres at 202 and 225.
    const ScreenQuad w = Rect(100, 200, 356, 264);
    const struct {
        int32_t layout, x, y;
        const char* name;
    } cases[] = {{LEFT_UP, 100, 200, "LEFT_UP"},          {LEFT_CENTER, 100, 225, "LEFT_CENTER"},
                 {LEFT_DOWN, 100, 264, "LEFT_DOWN"},      {CENTER_UP, 202, 200, "CENTER_UP"},
                 {CENTER, 202, 225, "CENTER"},            {CENTER_DOWN, 202, 264, "CENTER_DOWN"},
                 {RIGHT_UP, 305, 200, "RIGHT_UP"},        {RIGHT_CENTER, 305, 225, "RIGHT_CENTER"},
                 {RIGHT_DOWN, 305, 264, "RIGHT_DOWN"},    {DISPLACED_LEFT, 39, 225, "DISPLACED_LEFT"},
                 {DISPLACED_RIGHT, 366, 225, "DISPLACED_RIGHT"}, {DISPLACED_UP, 202, 177, "DISPLACED_UP"},
                 {DISPLACED_DOWN, 202, 274, "DISPLACED_DOWN"},
                 // Unknown layouts put the text at the screen's top left corner.
                 {-1, 0, 0, "-1"},                        {13, 0, 0, "13"}};
    for (const auto& c : cases)
        ExpectAt(PlaceText(w, c.layout, 51, 13), c.x, c.y, c.name);
    // A text 50 wide ends ten pixels before the window's left edge.
    EXPECT_EQ(PlaceText(w, DISPLACED_LEFT, 50, 13).x, 40);
}

TEST(TextPlacement, HalvingsTruncateTowardZeroSoAWideTextStartsLeftOfItsWindow)
{
    // (10 - 15) / 2 is -2, not -3; (10 - 13) / 2 is -1.
    const ScreenPoint p = PlaceText(Rect(100, 50, 110, 60), CENTER, 15, 13);
    ExpectAt(p, 98, 49, "CENTER");
    EXPECT_LT(p.x, 100);
}

TEST(TextPlacement, WindowsAtTheEdgesOfTheCoordinateRangeWrapInsteadOfOverflowing)
{
    // A handler can move a window anywhere; the sums must not overflow on the way.
    const ScreenQuad w = Rect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
    ExpectAt(PlaceText(w, DISPLACED_RIGHT, INT32_MAX, INT32_MAX), INT32_MIN + 9, -(1 << 30), "DISPLACED_RIGHT");
    EXPECT_EQ(PlaceText(w, DISPLACED_LEFT, INT32_MAX, INT32_MAX).x, -9);
    EXPECT_EQ(PlaceText(w, DISPLACED_UP, 0, INT32_MAX).y, -9);
}

} // namespace
} // namespace Tamrik
