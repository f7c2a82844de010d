// The Direct3D device's arithmetic without a window: centred screen coordinates, the splash
// position, the (x, z, y) level vertices, the texture fill callback and the present parameters.
#include <gtest/gtest.h>

#include <cstdlib>

#include <cstring>
#include <vector>

#include "level/bsp_loader.h"
#include "render/direct3d/direct3d_device.h"
#include "tests/support/test_system.h"

using Tamrik::CDirect3DRenderDevice;

namespace {

TEST(Direct3DScreen, AQuadIsWrittenInCentredCoordinatesShadedWhiteToGrey)
{
    Tamrik::ScreenQuad quad;
    quad.points[Tamrik::QUAD_TOP_LEFT] = {0, 0};
    quad.points[Tamrik::QUAD_BOTTOM_LEFT] = {0, 32};
    quad.points[Tamrik::QUAD_BOTTOM_RIGHT] = {64, 32};
    quad.points[Tamrik::QUAD_TOP_RIGHT] = {64, 0};
    Tamrik::QuadVertex v[4];
    CDirect3DRenderDevice::WriteQuadVertices(quad, 800, 600, v);
    // Bottom-left, top-left, bottom-right, top-right.
    const float expected[4][4] = {{-400, 268, 0, 1}, {-400, 300, 0, 0}, {-336, 268, 1, 1}, {-336, 300, 1, 0}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(v[i].x, expected[i][0]) << i;
        EXPECT_FLOAT_EQ(v[i].y, expected[i][1]) << i;
        EXPECT_FLOAT_EQ(v[i].z, 0.0f) << i;
        EXPECT_FLOAT_EQ(v[i].u, expected[i][2]) << i;
        EXPECT_FLOAT_EQ(v[i].v, expected[i][3]) << i;
    }
    EXPECT_EQ(v[0].diffuse, 0xFFCCCCCCu);
    EXPECT_EQ(v[1].diffuse, 0xFFFFFFFFu);
    EXPECT_EQ(v[2].diffuse, 0xFFCCCCCCu);
    EXPECT_EQ(v[3].diffuse, 0xFFFFFFFFu);
    EXPECT_EQ(sizeof(Tamrik::QuadVertex), 24u);

    // An odd window size puts the centre between two pixels.
    CDirect3DRenderDevice::WriteQuadVertices(quad, 801, 601, v);
    EXPECT_FLOAT_EQ(v[1].x, -400.5f);
    EXPECT_FLOAT_EQ(v[1].y, 300.5f);
}

TEST(Direct3DScreen, TheSplashIsCentredAndMayStartOutsideTheWindow)
{
    Tamrik::Image splash;
    splash.width = 1024;
    splash.height = 512;
    D3DXVECTOR3 p = CDirect3DRenderDevice::SplashPosition(800, 600, splash);
    EXPECT_FLOAT_EQ(p.x, -112.0f);
    EXPECT_FLOAT_EQ(p.y, 44.0f);
    EXPECT_FLOAT_EQ(p.z, 0.0f);
    p = CDirect3DRenderDevice::SplashPosition(1025, 511, splash);
    EXPECT_FLOAT_EQ(p.x, 0.5f);
    EXPECT_FLOAT_EQ(p.y, -0.5f);
}

TEST(Direct3DFill, RgbTexelsGetAlphaZeroRgbaTheirOwnAndNoPixelsWhiteTransparent)
{
    // 2 x 2 pictures, top row first in memory.
    const uint8_t rgb[12] = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};
    const uint8_t rgba[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 255};
    const D3DXVECTOR2 texel = {0.5f, 0.5f};
    D3DXVECTOR4 out;
    auto fill = [&](const Tamrik::ImageFillSource& source, float u, float v) {
        const D3DXVECTOR2 at = {u, v};
        Tamrik::ImageFillSource copy = source;
        CDirect3DRenderDevice::FillTextureCallback(&out, &at, &texel, &copy);
    };

    const Tamrik::ImageFillSource rgbSource = {rgb, Tamrik::IMAGE_RGB, 2, 2};
    fill(rgbSource, 0.75f, 0.25f); // row 0, column 1
    EXPECT_FLOAT_EQ(out.x, 40 / 255.0f);
    EXPECT_FLOAT_EQ(out.y, 50 / 255.0f);
    EXPECT_FLOAT_EQ(out.z, 60 / 255.0f);
    EXPECT_FLOAT_EQ(out.w, 0.0f);
    fill(rgbSource, 0.25f, 0.75f); // row 1, column 0
    EXPECT_FLOAT_EQ(out.x, 70 / 255.0f);

    const Tamrik::ImageFillSource rgbaSource = {rgba, Tamrik::IMAGE_RGBA, 2, 2};
    fill(rgbaSource, 0.75f, 0.75f);
    EXPECT_FLOAT_EQ(out.x, 13 / 255.0f);
    EXPECT_FLOAT_EQ(out.w, 1.0f);
    // Any format but RGB reads four bytes a pixel.
    const Tamrik::ImageFillSource unknown = {rgba, 0, 2, 2};
    fill(unknown, 0.75f, 0.25f);
    EXPECT_FLOAT_EQ(out.x, 5 / 255.0f);
    EXPECT_FLOAT_EQ(out.w, 8 / 255.0f);

    const Tamrik::ImageFillSource empty = {nullptr, 0, 0, 0};
    fill(empty, 0.5f, 0.5f);
    EXPECT_FLOAT_EQ(out.x, 1.0f);
    EXPECT_FLOAT_EQ(out.y, 1.0f);
    EXPECT_FLOAT_EQ(out.z, 1.0f);
    EXPECT_FLOAT_EQ(out.w, 0.0f);

    // Coordinates at or past the edge read the last texel, never beyond the pixels.
    fill(rgbSource, 1.0f, 1.0f);
    EXPECT_FLOAT_EQ(out.x, 100 / 255.0f);
    fill(rgbSource, -0.5f, 2.0f);
    EXPECT_FLOAT_EQ(out.x, 70 / 255.0f);
}

TEST(Direct3DPresent, OnlyFullscreenTrueIsFullScreenWithTheRefreshRateOfTheSettings)
{
    struct Case {
        const char* fullscreen;
        const char* refresh;
        BOOL windowed;
        UINT rate;
    };
    const Case cases[] = {{"true", "60", FALSE, 60},  {"True", "60", TRUE, 0}, {"TRUE", "75", TRUE, 0},
                          {"false", "60", TRUE, 0},   {"", "60", TRUE, 0},     {"true", "", FALSE, 0},
                          {"true", "85Hz", FALSE, 85}, {"true", "x", FALSE, 0}};
    for (const Case& c : cases) {
        Tamrik::IniMap settings;
        settings["Display"]["Fullscreen"] = c.fullscreen;
        settings["Display"]["RefreshRate"] = c.refresh;
        const D3DPRESENT_PARAMETERS p = CDirect3DRenderDevice::PresentParameters(settings, nullptr, 640, 480);
        EXPECT_EQ(p.Windowed, c.windowed) << c.fullscreen;
        EXPECT_EQ(p.FullScreen_RefreshRateInHz, c.rate) << c.fullscreen << " " << c.refresh;
        EXPECT_EQ(p.BackBufferWidth, 640u);
        EXPECT_EQ(p.BackBufferHeight, 480u);
        EXPECT_EQ(p.BackBufferFormat, D3DFMT_A8R8G8B8);
        EXPECT_EQ(p.AutoDepthStencilFormat, D3DFMT_D24S8);
        EXPECT_EQ(p.EnableAutoDepthStencil, TRUE);
        EXPECT_EQ(p.PresentationInterval, D3DPRESENT_INTERVAL_IMMEDIATE);
    }
    // No RefreshRate key at all.
    Tamrik::IniMap settings;
    settings["Display"]["Fullscreen"] = "true";
    EXPECT_EQ(CDirect3DRenderDevice::PresentParameters(settings, nullptr, 1, 1).FullScreen_RefreshRateInHz, 0u);
}

// A face of seven meshverts over four vertices; vertex 4 only its seventh meshvert names.
struct SevenMeshvertFace {
    SevenMeshvertFace()
    {
        for (int i = 0; i < 5; ++i) {
            vertices[i].position[0] = 1.0f + i;
            vertices[i].position[1] = 2.0f + i;
            vertices[i].position[2] = 3.0f + i;
            vertices[i].normal[0] = 0.1f;
            vertices[i].normal[1] = 0.2f;
            vertices[i].normal[2] = 0.3f;
            vertices[i].texcoord[0][0] = 0.5f * i;
            vertices[i].texcoord[0][1] = 0.25f * i;
            vertices[i].texcoord[1][0] = 0.125f * i;
            vertices[i].texcoord[1][1] = 0.0625f * i;
        }
        level.vertexes = vertices;
        level.meshverts = meshverts;
        level.header.direntries[Tamrik::LUMP_VERTEX].length = 5 * level.recordSizes[Tamrik::LUMP_VERTEX];
        level.header.direntries[Tamrik::LUMP_MESHVERT].length = 7 * level.recordSizes[Tamrik::LUMP_MESHVERT];
        face.type = 1;
        face.vertex = 0;
        face.meshvert = 0;
        face.n_meshverts = 7;
        face.lm_index = 0;
    }
    ~SevenMeshvertFace()
    {
        // The arrays are the test's own.
        level.vertexes = nullptr;
        level.meshverts = nullptr;
        level.header.direntries[Tamrik::LUMP_VERTEX].length = 0;
        level.header.direntries[Tamrik::LUMP_MESHVERT].length = 0;
    }

    Tamrik::CBSPLoader level{nullptr};
    Tamrik::BSPVertex vertices[5] = {};
    int32_t meshverts[7] = {0, 1, 2, 0, 2, 3, 4};
    Tamrik::BSPFace face = {};
};

TEST(Direct3DLevelVertices, VerticesFollowTheMeshvertsWithYAndZSwapped)
{
    SevenMeshvertFace f;
    std::vector<Tamrik::LevelVertex> out(7);
    ASSERT_TRUE(CDirect3DRenderDevice::WriteLevelVertices(f.level, f.face, reinterpret_cast<uint8_t*>(out.data())));
    for (int k = 0; k < 7; ++k) {
        const Tamrik::BSPVertex& v = f.vertices[f.meshverts[k]];
        EXPECT_EQ(out[k].position[0], v.position[0]) << k;
        EXPECT_EQ(out[k].position[1], v.position[2]) << k;
        EXPECT_EQ(out[k].position[2], v.position[1]) << k;
        EXPECT_EQ(out[k].normal[1], 0.3f);
        EXPECT_EQ(out[k].normal[2], 0.2f);
        EXPECT_EQ(out[k].surface[0], v.texcoord[0][0]);
        EXPECT_EQ(out[k].surface[1], v.texcoord[0][1]);
        EXPECT_EQ(out[k].lightmap[0], v.texcoord[1][0]);
        EXPECT_EQ(out[k].lightmap[1], v.texcoord[1][1]);
    }
    EXPECT_EQ(sizeof(Tamrik::LevelVertex), 40u);
}

TEST(Direct3DLevelVertices, AFaceWithoutLightmapPacksThirtyTwoByteVertices)
{
    SevenMeshvertFace f;
    f.face.lm_index = -1;
    std::vector<uint8_t> out(7 * 32 + 8, 0xAB);
    ASSERT_TRUE(CDirect3DRenderDevice::WriteLevelVertices(f.level, f.face, out.data()));
    float second[8];
    std::memcpy(second, out.data() + 32, sizeof second);
    EXPECT_EQ(second[0], 2.0f);
    EXPECT_EQ(second[1], 4.0f);
    EXPECT_EQ(second[2], 3.0f);
    EXPECT_EQ(second[6], 0.5f);
    EXPECT_EQ(second[7], 0.25f);
    // Nothing is written past the seventh vertex.
    for (size_t i = 7 * 32; i < out.size(); ++i)
        EXPECT_EQ(out[i], 0xAB);
}

TEST(Direct3DLevelVertices, AFaceNamingVerticesOutsideTheLevelGetsNone)
{
    SevenMeshvertFace f;
    uint8_t out[7 * 40];
    f.meshverts[6] = 5;
    EXPECT_FALSE(CDirect3DRenderDevice::WriteLevelVertices(f.level, f.face, out));
    f.meshverts[6] = 4;
    f.face.vertex = -1;
    EXPECT_FALSE(CDirect3DRenderDevice::WriteLevelVertices(f.level, f.face, out));
    f.face.vertex = 0;
    f.face.n_meshverts = 8;
    EXPECT_FALSE(CDirect3DRenderDevice::WriteLevelVertices(f.level, f.face, out));
    f.face.n_meshverts = 0;
    EXPECT_FALSE(CDirect3DRenderDevice::WriteLevelVertices(f.level, f.face, out));
}

TEST(Direct3DCreate, AWindowWithoutADeviceWindowGivesTheDeviceMessageAndFalse)
{
    // The box's caption and text go to standard error where no box may be shown.
    setenv("KESTROVA_NO_MESSAGE_BOX", "1", 1);
    kestrova_test::TestSystem system;
    CDirect3DRenderDevice device(&system);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(device.Create(system.mainWindow)); // never opened: no window to draw in
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "Error: CreateDevice() - FAILED\n");
    EXPECT_EQ(device.device, nullptr);
    EXPECT_EQ(device.mainWindow, system.mainWindow);
    // A device that was never made draws nothing and releases nothing.
    device.BeginFrame();
    device.Set2DMode();
    device.DrawSplash();
    device.CreateTextFont();
    device.DrawString("text", 0, 0, 255, 255, 255);
    device.EndFrame();
    EXPECT_TRUE(device.Destroy());
    unsetenv("KESTROVA_NO_MESSAGE_BOX");
}

} // namespace
