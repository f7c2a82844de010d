// Tests of the camera update against rooms built in memory: turning, walking, stopping, sliding.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "level/bsp_loader.h"
#include "render/camera.h"
#include "render/camera_update.h"
#include "render/trace.h"
#include "render/vector_math.h"
#include "test_level.h"

using namespace Tamrik;
using namespace kestrova_test;

namespace {

constexpr double FRAME = 1.0 / 60.0;
constexpr float STEP = 200.0f / 60.0f;
constexpr float PI = 3.14159265358979f;

// All brushes in one leaf in front of a plane far below everything.
class Room : public ::testing::Test {
protected:
    void SetUp() override
    {
        solid = built.AddTexture(1);
        water = built.AddTexture(32);
    }

    int32_t Box(float x0, float y0, float z0, float x1, float y1, float z1, int32_t texture)
    {
        const float mins[3] = {x0, y0, z0};
        const float maxs[3] = {x1, y1, z1};
        return built.AddBox(mins, maxs, texture);
    }

    void Finish()
    {
        std::vector<int32_t> all;
        for (size_t b = 0; b < built.brushes.size(); ++b)
            all.push_back(static_cast<int32_t>(b));
        const int32_t none[3] = {0, 0, 0};
        built.AddLeaf(0, none, none, {}, all);
        built.AddLeaf(0, none, none, {}, {});
        built.AddNode(built.AddPlane(0, 0, 1, -10000), -1, -2);
        built.LoadInto(level);
    }

    void Frames(int n)
    {
        for (int i = 0; i < n; ++i)
            TurnAndMoveCamera(camera, &level, FRAME, status, sizeof status);
    }

    void Face(float x, float y, float z)
    {
        float f[3] = {x, y, z};
        Normalize(f);
        for (int i = 0; i < 3; ++i)
            camera.forward[i] = f[i];
        // right = forward x up, kept horizontal as mouse-look keeps it.
        float r[3] = {f[1], -f[0], 0};
        Normalize(r);
        for (int i = 0; i < 3; ++i)
            camera.right[i] = r[i];
    }

    TestLevel built;
    CBSPLoader level{nullptr};
    CCamera camera;
    char status[256] = "";
    int32_t solid = 0;
    int32_t water = 0;
};

TEST_F(Room, WithNoArrowKeyTheCameraOnlyTurns)
{
    Box(100, -500, -100, 116, 500, 100, solid);
    Finish();
    camera.yawDelta = PI / 2;
    Frames(1);
    EXPECT_NEAR(camera.forward[0], 0.0f, 1e-6f);
    EXPECT_NEAR(camera.forward[1], 1.0f, 1e-6f);
    EXPECT_NEAR(camera.right[0], 1.0f, 1e-6f);
    EXPECT_NEAR(camera.right[1], 0.0f, 1e-6f);
    EXPECT_EQ(camera.position[0], 0.0f);
    EXPECT_EQ(camera.position[1], 0.0f);
    EXPECT_NEAR(camera.lookAt[1], 1.0f, 1e-6f);
    EXPECT_EQ(camera.yawDelta, 0.0f);
    EXPECT_STREQ(status, "No collisions detected.");
}

TEST_F(Room, PitchHasNoLimitAndTurnsOverTheTop)
{
    Finish();
    camera.pitchDelta = 2.0f;
    Frames(1);
    EXPECT_NEAR(camera.forward[0], std::cos(2.0f), 1e-5f);
    EXPECT_NEAR(camera.forward[2], std::sin(2.0f), 1e-5f);
    EXPECT_EQ(camera.up[2], 1.0f);
}

TEST_F(Room, WalksAtTwoHundredUnitsASecondInTheOpen)
{
    Finish();
    camera.moveForward = true;
    Frames(60);
    EXPECT_NEAR(camera.position[0], 200.0f, 0.01f);
    EXPECT_NEAR(camera.lookAt[0], 201.0f, 0.01f);

    camera.moveForward = false;
    camera.moveLeft = true;
    Frames(30);
    EXPECT_NEAR(camera.position[1], 100.0f, 0.01f);
}

TEST_F(Room, WalkingStraightIntoAWallStopsInFrontOfIt)
{
    Box(100, -500, -100, 116, 500, 100, solid);
    Finish();
    camera.moveForward = true;
    for (int i = 0; i < 120; ++i) {
        Frames(1);
        ASSERT_LE(camera.position[0], 90.0f) << "frame " << i;
    }
    EXPECT_GT(camera.position[0], 90.0f - STEP);
    EXPECT_NEAR(camera.position[1], 0.0f, 1e-3f);
}

TEST_F(Room, WalkingIntoAWallAtAnAngleSlidesAtFullSpeed)
{
    Box(100, -5000, -100, 116, 5000, 100, solid);
    Finish();
    Face(1, 1, 0);
    camera.moveForward = true;
    Frames(60); // long enough to reach the wall
    ASSERT_GT(camera.position[0], 90.0f - STEP);

    const float x = camera.position[0];
    const float y = camera.position[1];
    Frames(60);
    EXPECT_LE(camera.position[0], 90.0f);
    EXPECT_NEAR(camera.position[0], x, 1e-3f);
    EXPECT_NEAR(camera.position[1] - y, 200.0f, 0.1f);
}

TEST_F(Room, ACameraOnOrJustBeforeAWallSlidesAlongItAndNeverEntersIt)
{
    Box(100, -5000, -100, 116, 5000, 100, solid);
    Finish();
    Face(1, 1, 0);
    camera.moveForward = true;
    for (const float x : {89.99f, 90.0f - 0.03125f, 90.0f}) {
        camera.position[0] = x;
        camera.position[1] = 0.0f;
        for (int i = 0; i < 60; ++i) {
            Frames(1);
            ASSERT_LT(camera.position[0], 90.0f) << "from " << x << ", frame " << i;
        }
        // Off the grown wall by the trace's epsilon, however close it started.
        EXPECT_NEAR(camera.position[0], 90.0f - TRACE_EPSILON, 1e-4f) << "from " << x;
        EXPECT_NEAR(camera.position[1], 200.0f, 0.1f) << "from " << x;
    }
}

TEST_F(Room, ACameraInsideAGrownBrushCannotGoDeeperButCanLeave)
{
    Box(100, -500, -100, 116, 500, 100, solid);
    Finish();
    camera.position[0] = 93.0f; // 3 units into the grown wall, its front side nearest
    camera.moveForward = true;
    Frames(10);
    EXPECT_LE(camera.position[0], 93.0f);
    camera.moveForward = false;
    camera.moveBack = true;
    Frames(2);
    EXPECT_LT(camera.position[0], 90.0f);
}

TEST_F(Room, ACornerOfFloorAndTwoWallsHoldsTheCameraAndReportsTheBrush)
{
    Box(100, -500, -500, 116, 500, 500, solid);
    Box(-500, 100, -500, 500, 116, 500, solid);
    const int32_t floor = Box(-500, -500, -500, 500, 500, -20, solid);
    Finish();
    Face(1, 1, -1);
    camera.moveForward = true;
    Frames(120);
    EXPECT_LE(camera.position[0], 90.0f);
    EXPECT_LE(camera.position[1], 90.0f);
    EXPECT_GE(camera.position[2], -10.0f);
    // Slid along one wall, then the other, the third pass goes straight down into the floor.
    EXPECT_EQ(std::string(status), "Collision with brush " + std::to_string(floor) + ".");
    const float before[3] = {camera.position[0], camera.position[1], camera.position[2]};
    Frames(10);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(camera.position[i], before[i], 1e-3f);
}

TEST_F(Room, NonSolidAndSidelessBrushesNeverBlock)
{
    Box(100, -500, -100, 116, 500, 100, water);
    const int32_t sideless = Box(200, -500, -100, 216, 500, 100, solid);
    built.brushes[sideless].n_brushsides = 0;
    Finish();
    camera.moveForward = true;
    Frames(120);
    EXPECT_NEAR(camera.position[0], 400.0f, 0.05f);
    EXPECT_STREQ(status, "No collisions detected.");
}

TEST_F(Room, ALevelThatWasNotReadLetsTheCameraTurnButNotMove)
{
    CBSPLoader empty(nullptr);
    camera.moveForward = true;
    camera.yawDelta = 0.5f;
    TurnAndMoveCamera(camera, &empty, FRAME, status, sizeof status);
    TurnAndMoveCamera(camera, nullptr, FRAME, status, sizeof status);
    EXPECT_EQ(camera.position[0], 0.0f);
    EXPECT_EQ(camera.position[1], 0.0f);
    EXPECT_NEAR(camera.forward[1], std::sin(0.5f), 1e-6f);
    EXPECT_STREQ(status, "No collisions detected.");
}

// Node 0 splits at x = 0 with its back towards the trace's start; leaf 0 holds the wall (brush 0)
// beside two brushes that do not exist, leaf 1 runs past the Leafbrush lump. A broken tree ends
// the walk where it breaks, and the wall is still found wherever leaf 0 is reached.
TEST_F(Room, TracesEndOnBrokenTreesAndIgnoreIndicesOutsideTheLumps)
{
    struct Case {
        const char* tree;
        int32_t plane, front, back;
        int32_t brush;
    };
    const Case cases[] = {
        {"node 0 is its own front child", 0, 0, -1, 0},
        {"node 0 is both its children", 0, 0, 0, -1},
        {"plane outside the lump", 99, -1, -1, -1},
        {"front leaf outside the lump", 0, -50, -1, 0},
        {"both sides in the leaf past the lump", 0, -2, -2, -1},
    };
    for (const Case& c : cases) {
        built = TestLevel();
        built.AddTexture(1);
        Box(100, -500, -100, 116, 500, 100, 0);
        const int32_t none[3] = {0, 0, 0};
        built.AddLeaf(0, none, none, {}, {0, 7, -3});
        BSPLeaf broken{};
        broken.leafbrush = 2;
        broken.n_leafbrushes = 1000;
        built.leafs.push_back(broken);
        const int32_t split = built.AddPlane(1, 0, 0, 0);
        built.AddNode(c.plane == 0 ? split : c.plane, c.front, c.back);
        built.LoadInto(level);

        CTrace trace(&level);
        const float start[3] = {-20, 0, 0};
        const float end[3] = {200, 0, 0};
        trace.Trace(start, end);
        EXPECT_EQ(trace.brush, c.brush) << c.tree;
        EXPECT_FLOAT_EQ(trace.fraction, c.brush < 0 ? 1.0f : (110.0f - TRACE_EPSILON) / 220.0f) << c.tree;
    }
    // A brush whose sides run past the Brushside lump never blocks.
    level.brushes[0].n_brushsides = 100;
    CTrace trace(&level);
    const float start[3] = {0, 0, 0};
    const float end[3] = {200, 0, 0};
    trace.TraceBrush(0, start, end);
    EXPECT_EQ(trace.brush, -1);
    trace.TraceBrush(5, start, end);
    EXPECT_EQ(trace.brush, -1);
}

// The trace starts within the grown reach of node 0's plane on its front and ends far behind it;
// the wall lies in the front leaf of node 1 behind it. The back half must get the whole segment.
TEST_F(Room, ATraceStartingNearASplittingPlaneReachesTheLeavesBehindIt)
{
    const int32_t wall = Box(-60, -500, -100, -50, 500, 100, solid);
    const int32_t none[3] = {0, 0, 0};
    built.AddLeaf(0, none, none, {}, {wall});
    built.AddLeaf(0, none, none, {}, {});
    built.AddLeaf(0, none, none, {}, {});
    built.AddNode(built.AddPlane(1, 0, 0, 0), -3, 1);
    built.AddNode(built.AddPlane(1, 0, 0, -100), -1, -2);
    built.LoadInto(level);
    CTrace trace(&level);
    const float start[3] = {5, 0, 0};
    const float end[3] = {-200, 0, 0};
    trace.Trace(start, end);
    EXPECT_EQ(trace.brush, wall);
    EXPECT_FLOAT_EQ(trace.fraction, (45.0f - TRACE_EPSILON) / 205.0f);
}

TEST_F(Room, ATraceReportsTheFirstBrushEnteredAndItsSide)
{
    Box(300, -500, -100, 316, 500, 100, solid);
    const int32_t nearWall = Box(100, -500, -100, 116, 500, 100, solid);
    Finish();
    CTrace trace(&level);
    const float start[3] = {0, 0, 0};
    const float end[3] = {400, 0, 0};
    trace.Trace(start, end);
    EXPECT_EQ(trace.brush, nearWall);
    // The side facing the camera: normal -x.
    EXPECT_EQ(level.planes[level.brushsides[trace.side].plane].normal[0], -1.0f);
    EXPECT_NEAR(trace.fraction, (90.0f - 0.03125f) / 400.0f, 1e-5f);
}

} // namespace
