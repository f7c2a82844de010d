// The layer's left-handed matrix builders against the documented formulas, worked by hand, and
// applied to points the way Direct3D applies them (row vector times matrix).
#include <gtest/gtest.h>

#include <cmath>

#include "platform/d3d9/d3dx9.h"

namespace {

D3DXVECTOR4 Transform(const D3DXMATRIX& m, float x, float y, float z)
{
    const float v[4] = {x, y, z, 1.0f};
    float out[4];
    for (int c = 0; c < 4; ++c)
        out[c] = v[0] * m.m[0][c] + v[1] * m.m[1][c] + v[2] * m.m[2][c] + v[3] * m.m[3][c];
    return {out[0], out[1], out[2], out[3]};
}

void ExpectMatrix(const D3DXMATRIX& actual, const float (&expected)[4][4])
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(actual.m[r][c], expected[r][c], 1e-5f) << "row " << r << " column " << c;
}

TEST(D3DXMatrices, OrthoLHMapsACentredWindowOntoClipSpace)
{
    D3DXMATRIX m;
    D3DXMatrixOrthoLH(&m, 800.0f, 600.0f, 0.0f, 1.0f);
    const float expected[4][4] = {{0.0025f, 0, 0, 0}, {0, 1.0f / 300.0f, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    ExpectMatrix(m, expected);
    const D3DXVECTOR4 topLeft = Transform(m, -400.0f, 300.0f, 0.0f);
    EXPECT_FLOAT_EQ(topLeft.x, -1.0f);
    EXPECT_FLOAT_EQ(topLeft.y, 1.0f);
    EXPECT_FLOAT_EQ(topLeft.z, 0.0f);

    // Depth zn..zf to 0..1: zn / (zn - zf) in the last row.
    D3DXMatrixOrthoLH(&m, 2.0f, 4.0f, 1.0f, 3.0f);
    const float deep[4][4] = {{1, 0, 0, 0}, {0, 0.5f, 0, 0}, {0, 0, 0.5f, 0}, {0, 0, -0.5f, 1}};
    ExpectMatrix(m, deep);
}

TEST(D3DXMatrices, PerspectiveFovLHPutsTheNearPlaneAtDepthZeroAndTheFarAtOne)
{
    D3DXMATRIX m;
    D3DXMatrixPerspectiveFovLH(&m, 3.14159265f / 4.0f, 4.0f / 3.0f, 1.0f, 10000.0f);
    const float yScale = 2.41421356f; // cot(pi / 8)
    const float expected[4][4] = {{yScale * 0.75f, 0, 0, 0},
                                  {0, yScale, 0, 0},
                                  {0, 0, 10000.0f / 9999.0f, 1},
                                  {0, 0, -10000.0f / 9999.0f, 0}};
    ExpectMatrix(m, expected);
    const D3DXVECTOR4 nearPoint = Transform(m, 0.0f, 0.0f, 1.0f);
    EXPECT_NEAR(nearPoint.z / nearPoint.w, 0.0f, 1e-6f);
    const D3DXVECTOR4 farPoint = Transform(m, 0.0f, 0.0f, 10000.0f);
    EXPECT_NEAR(farPoint.z / farPoint.w, 1.0f, 1e-6f);
    // Half the field of view up at distance 1 reaches the top edge.
    const D3DXVECTOR4 edge = Transform(m, 0.0f, std::tan(3.14159265f / 8.0f), 1.0f);
    EXPECT_NEAR(edge.y / edge.w, 1.0f, 1e-5f);
}

TEST(D3DXMatrices, LookAtLHLooksDownItsZAxisWithXToTheRight)
{
    D3DXMATRIX m;
    const D3DXVECTOR3 eye = {1, 2, 3}, at = {1, 2, 4}, up = {0, 1, 0};
    D3DXMatrixLookAtLH(&m, &eye, &at, &up);
    const float translated[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {-1, -2, -3, 1}};
    ExpectMatrix(m, translated);

    // Looking along +x with y up: z axis (1, 0, 0), x axis up x z = (0, 0, -1), y axis (0, 1, 0).
    const D3DXVECTOR3 origin = {0, 0, 0}, ahead = {5, 0, 0};
    D3DXMatrixLookAtLH(&m, &origin, &ahead, &up);
    const float turned[4][4] = {{0, 0, 1, 0}, {0, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 0, 1}};
    ExpectMatrix(m, turned);
    const D3DXVECTOR4 front = Transform(m, 2.0f, 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(front.z, 2.0f);
    const D3DXVECTOR4 left = Transform(m, 0.0f, 0.0f, 1.0f);
    EXPECT_FLOAT_EQ(left.x, -1.0f);
}

TEST(D3DXMatrices, MultiplyAppliesTheLeftMatrixFirst)
{
    D3DXMATRIX scale, move, both;
    D3DXMatrixIdentity(&scale);
    scale.m[0][0] = 2.0f;
    D3DXMatrixIdentity(&move);
    move.m[3][0] = 5.0f;
    D3DXMatrixMultiply(&both, &scale, &move);
    EXPECT_FLOAT_EQ(Transform(both, 1.0f, 0.0f, 0.0f).x, 7.0f);
    D3DXMatrixMultiply(&both, &move, &scale);
    EXPECT_FLOAT_EQ(Transform(both, 1.0f, 0.0f, 0.0f).x, 12.0f);
}

} // namespace
