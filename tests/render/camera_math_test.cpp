// Tests of the camera's starting pose and the vector operations it turns with.
#include <gtest/gtest.h>

#include <cmath>

#include "render/camera.h"
#include "render/vector_math.h"

using namespace Tamrik;

namespace {

constexpr float PI = 3.14159265358979f;

TEST(CameraMath, ANewCameraStandsAtTheOriginLookingAlongX)
{
    CCamera camera;
    const float expected[5][3] = {{0, 0, 0}, {1, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, -1, 0}};
    const float* actual[5] = {camera.position, camera.lookAt, camera.forward, camera.up, camera.right};
    for (int v = 0; v < 5; ++v)
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(actual[v][i], expected[v][i]) << "vector " << v << " component " << i;
    EXPECT_FALSE(camera.moveLeft || camera.moveRight || camera.moveForward || camera.moveBack);
    EXPECT_EQ(camera.yawDelta, 0.0f);
    EXPECT_EQ(camera.pitchDelta, 0.0f);
}

TEST(CameraMath, NormalizeScalesToUnitLengthButLeavesZeroAndUnitVectors)
{
    float v[3] = {3, 4, 0};
    Normalize(v);
    EXPECT_FLOAT_EQ(v[0], 0.6f);
    EXPECT_FLOAT_EQ(v[1], 0.8f);
    EXPECT_EQ(v[2], 0.0f);

    float zero[3] = {0, 0, 0};
    Normalize(zero);
    EXPECT_EQ(zero[0], 0.0f);
    EXPECT_EQ(zero[1], 0.0f);
    EXPECT_EQ(zero[2], 0.0f);

    float unit[3] = {0, -1, 0};
    Normalize(unit);
    EXPECT_EQ(unit[1], -1.0f);
}

TEST(CameraMath, RotationIsRightHandedAndNormalizesTheAxis)
{
    float axis[3] = {0, 0, 5};
    float v[3] = {1, 0, 0};
    RotateAroundAxis(axis, v, PI / 2);
    EXPECT_NEAR(v[0], 0.0f, 1e-6f);
    EXPECT_NEAR(v[1], 1.0f, 1e-6f);
    EXPECT_NEAR(v[2], 0.0f, 1e-6f);
    EXPECT_EQ(axis[2], 1.0f);

    // About x: y goes to z.
    float xAxis[3] = {1, 0, 0};
    float w[3] = {0, 1, 0};
    RotateAroundAxis(xAxis, w, PI / 2);
    EXPECT_NEAR(w[1], 0.0f, 1e-6f);
    EXPECT_NEAR(w[2], 1.0f, 1e-6f);
}

TEST(CameraMath, RotationKeepsLengthAndAFullTurnReturns)
{
    float axis[3] = {1, 2, 3};
    float v[3] = {-4, 0.5f, 2};
    const float before = SquareRoot(Dot(v, v));
    for (int i = 0; i < 8; ++i)
        RotateAroundAxis(axis, v, PI / 4);
    EXPECT_NEAR(SquareRoot(Dot(v, v)), before, 1e-4f);
    EXPECT_NEAR(v[0], -4.0f, 1e-4f);
    EXPECT_NEAR(v[1], 0.5f, 1e-4f);
    EXPECT_NEAR(v[2], 2.0f, 1e-4f);
}

TEST(CameraMath, AngleBetweenMeasuresVectorsOfAnyLength)
{
    struct Case {
        float a[3];
        float b[3];
        float angle;
        float tolerance;
    };
    const Case cases[] = {
        {{2, 0, 0}, {0, 0, 7}, PI / 2, 1e-6f},
        {{2, 0, 0}, {-1, 0, 0}, PI, 1e-3f},
        {{2, 0, 0}, {1, 1, 0}, PI / 4, 1e-6f},
        {{0, 3, 0}, {0, 5, 5}, PI / 4, 1e-6f},
        {{4, 0, 0}, {-1, 1.7320508f, 0}, 2 * PI / 3, 1e-5f},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(AngleBetween(c.a, c.b), c.angle, c.tolerance) << c.angle;
}

TEST(CameraMath, AngleBetweenNeverGivesNaN)
{
    // Vectors whose normalized dot product rounds past -1 or 1.
    const float a[3] = {0.1f, 0.7f, -0.3f};
    const float b[3] = {-0.1f, -0.7f, 0.3f};
    EXPECT_NEAR(AngleBetween(a, b), PI, 1e-3f);
    EXPECT_NEAR(AngleBetween(a, a), 0.0f, 1e-3f);
    const float zero[3] = {0, 0, 0};
    EXPECT_NEAR(AngleBetween(a, zero), PI / 2, 1e-6f);
}

} // namespace
