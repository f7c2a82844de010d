// The Direct3D device's level drawing read back from a real window: walls built in memory with
// their textures and lightmaps on two stages, their vertex buffers, and the demo level compared
// with the OpenGL device's picture of the same view.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <memory>

#include "level/bsp_loader.h"
#include "render/camera.h"
#include "tests/render/device_fixture.h"
#include "tests/render/level_builder.h"

using kestrova_test::BuildLevel;
using kestrova_test::Direct3DDeviceTest;
using kestrova_test::Near;
using kestrova_test::SolidTexture;
using Tamrik::CBSPLoader;
using Tamrik::CDirect3DRenderDevice;

namespace {

class Direct3DLevel : public Direct3DDeviceTest {
protected:
    void Draw(std::initializer_list<int> faces) { kestrova_test::DrawFaces(*device, faces); }
};

enum { LIT_WALL, UNLIT_WALL, PATCH, NO_TEXTURE, UNREAD_TEXTURE, UNREAD_LIT };

TEST_F(Direct3DLevel, FacesShowTheirTextureTimesTheirLightmap)
{
    CBSPLoader& level = *device->level;
    BuildLevel(level,
               {{1, 0, 0, 40, 5, 20, -20},      // polygon with a lightmap, left of centre
                {3, 0, -1, -5, -40, 20, -20},   // mesh without a lightmap, right of centre
                {2, 0, 0, 10, -10, 40, 25},     // patch, above the centre
                {1, 1, 0, -25, -40, -25, -40},  // its texture record has no picture at all
                {1, 2, -1, 40, 25, -25, -40},   // its picture could not be read
                {1, 2, 0, 10, -10, -25, -40}},  // the same with a lightmap
               3, 1);
    level.textures[0].texture = SolidTexture(255, 200, 100);
    level.textures[2].texture = new Tamrik::Texture();

    device->LoadLevelTextures();
    device->LoadLevelGeometry();
    EXPECT_NE(level.textures[0].texture->handle, 0u);
    EXPECT_EQ(level.textures[0].texture->pixels, nullptr);
    EXPECT_NE(level.textures[2].texture->handle, 0u) << "an empty picture still gets a texture";
    EXPECT_NE(level.lightmaps[0].handle, 0u);

    Draw({LIT_WALL, UNLIT_WALL, PATCH, NO_TEXTURE, UNREAD_TEXTURE, UNREAD_LIT});
    SavePicture("direct3d-level");
    // The lightmap (128, 128, 255) times the texture (255, 200, 100).
    EXPECT_TRUE(Near(Pixel(237, 300), {128, 100, 100}));
    EXPECT_TRUE(Near(Pixel(563, 300), {255, 200, 100}));
    EXPECT_TRUE(Near(Pixel(400, 65), {0, 0, 0}, 0));   // patches are never drawn
    EXPECT_TRUE(Near(Pixel(635, 535), {0, 0, 0}, 0));  // nor faces without a texture record
    // An unread picture is white with alpha 0: as it is while blending adds nothing of the
    // background, and under the lightmap.
    EXPECT_TRUE(Near(Pixel(165, 535), {255, 255, 255}));
    EXPECT_TRUE(Near(Pixel(400, 535), {128, 128, 255}));
    EXPECT_TRUE(Near(Pixel(400, 300), {0, 0, 0}, 0));  // the gap between the walls

    // Once a GUI quad has set the blend factors to the source alpha, the face without lightmap
    // vanishes; the lightmap's alpha keeps the other one.
    device->EndFrame();
    Tamrik::ScreenQuad quad = {};
    device->BeginFrame();
    device->Set2DMode();
    device->DrawQuad(&quad, level.textures[0].texture);
    Draw({LIT_WALL, UNREAD_TEXTURE, UNREAD_LIT});
    EXPECT_TRUE(Near(Pixel(165, 535), {0, 0, 0}, 0));
    EXPECT_TRUE(Near(Pixel(400, 535), {128, 128, 255}));
    EXPECT_TRUE(Near(Pixel(237, 300), {128, 100, 100}));

    // Only the faces in the visible set are drawn.
    Draw({UNLIT_WALL});
    EXPECT_TRUE(Near(Pixel(237, 300), {0, 0, 0}, 0));
    EXPECT_TRUE(Near(Pixel(563, 300), {255, 200, 100}));
    device->EndFrame();
}

TEST_F(Direct3DLevel, EachDrawnFaceGetsOneBufferOfAVertexPerMeshvert)
{
    CBSPLoader& level = *device->level;
    BuildLevel(level, {{1, 0, 0, 40, 5, 20, -20}, {3, 0, -1, -5, -40, 20, -20}, {2, 0, 0, 10, -10, 40, 25},
                       {4, 0, 0, 10, -10, 40, 25}},
               1, 1);
    // Seven meshverts: the seventh names a vertex far off to the right, which only a third
    // triangle would draw.
    delete[] level.meshverts;
    level.meshverts = kestrova_test::NewLump<int32_t>(level, Tamrik::LUMP_MESHVERT, 7);
    const int32_t order[7] = {0, 1, 2, 0, 2, 3, 7};
    std::memcpy(level.meshverts, order, sizeof order);
    for (int f = 0; f < 4; ++f)
        level.faces[f].n_meshverts = 7;
    level.vertexes[7].position[1] = -400.0f;
    level.faces[1].vertex = 0;
    level.textures[0].texture = SolidTexture(255, 255, 255);
    device->LoadLevelTextures();
    device->LoadLevelGeometry();

    IDirect3DVertexBuffer9* lit = CDirect3DRenderDevice::FaceBuffer(level.faces[0]);
    IDirect3DVertexBuffer9* unlit = CDirect3DRenderDevice::FaceBuffer(level.faces[1]);
    ASSERT_NE(lit, nullptr);
    ASSERT_NE(unlit, nullptr);
    EXPECT_EQ(CDirect3DRenderDevice::FaceBuffer(level.faces[2]), nullptr);
    EXPECT_EQ(CDirect3DRenderDevice::FaceBuffer(level.faces[3]), nullptr);
    // The buffers hold exactly seven vertices of 40 and 32 bytes.
    void* data = nullptr;
    EXPECT_EQ(lit->Lock(0, 7 * 40, &data, 0), D3D_OK);
    lit->Unlock();
    EXPECT_EQ(lit->Lock(0, 7 * 40 + 1, &data, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(unlit->Lock(0, 7 * 32, &data, 0), D3D_OK);
    unlit->Unlock();
    EXPECT_EQ(unlit->Lock(0, 7 * 32 + 1, &data, 0), D3DERR_INVALIDCALL);

    Draw({0});
    EXPECT_TRUE(Near(Pixel(237, 300), {128, 128, 255}));
    EXPECT_TRUE(Near(Pixel(700, 300), {0, 0, 0}, 0)) << "two triangles, not three";

    device->ReleaseLevelGeometry();
    for (int f = 0; f < 4; ++f)
        for (uint32_t word : level.faces[f].buffers)
            EXPECT_EQ(word, 0u);
    device->EndFrame();
}

TEST_F(Direct3DLevel, ReleasingTexturesDeletesEveryRecordAndLightmapTexture)
{
    CBSPLoader& level = *device->level;
    BuildLevel(level, {{1, 0, 0, 40, 5, 20, -20}}, 3, 2);
    level.textures[0].texture = SolidTexture(255, 255, 255);
    // A picture too large for any texture gets none, yet its record goes as well.
    level.textures[2].texture = new Tamrik::Texture();
    level.textures[2].texture->width = 1 << 20;
    level.textures[2].texture->height = 4;
    device->LoadLevelTextures();
    EXPECT_EQ(level.textures[2].texture->handle, 0u);
    EXPECT_NE(level.lightmaps[1].handle, 0u);
    device->ReleaseLevelTextures();
    for (int t = 0; t < 3; ++t)
        EXPECT_EQ(level.textures[t].texture, nullptr);
    EXPECT_EQ(level.lightmaps[0].handle, 0u);
    EXPECT_EQ(level.lightmaps[1].handle, 0u);
}

// Where the window's buffers have no stencil, D24S8 is refused and the device starts with a
// 16-bit depth buffer instead.
TEST_F(Direct3DLevel, StartsWithoutAStencilBufferWhereTheWindowHasNone)
{
    device->Destroy();
    system->mainWindow->Destroy();
    platform::WindowSettings settings;
    settings.width = width;
    settings.height = height;
    settings.stencil = false;
    platform::WindowError error;
    system->mainWindow->hwnd = platform::CreateMainWindow("Tamrik", settings, &error);
    ASSERT_NE(system->mainWindow->hwnd, nullptr);
    ASSERT_TRUE(device->Create(system->mainWindow));

    CBSPLoader& level = *device->level;
    BuildLevel(level, {{1, 0, 0, 40, 5, 20, -20}}, 1, 1);
    level.textures[0].texture = SolidTexture(255, 200, 100);
    device->LoadLevelTextures();
    device->LoadLevelGeometry();
    Draw({LIT_WALL});
    EXPECT_TRUE(Near(Pixel(237, 300), {128, 100, 100}));
    device->EndFrame();
}

TEST_F(Direct3DLevel, TheCameraLooksAlongLevelXWithZUpAsDirect3DY)
{
    device->BeginFrame();
    device->Set3DMode();
    device->camera->position[2] = 50.0f;
    device->camera->lookAt[2] = 50.0f;
    device->UpdateCamera();
    D3DMATRIX view;
    ASSERT_EQ(device->device->GetTransform(D3DTS_VIEW, &view), D3D_OK);
    // The level point (100, 0, 50) is Direct3D's (100, 50, 0): straight ahead, 100 units away;
    // the level point (100, 10, 50) lies to the left.
    auto eye = [&](float x, float y, float z, int axis) {
        return x * view.m[0][axis] + y * view.m[1][axis] + z * view.m[2][axis] + view.m[3][axis];
    };
    EXPECT_NEAR(eye(100, 50, 0, 0), 0.0f, 1e-3);
    EXPECT_NEAR(eye(100, 50, 0, 1), 0.0f, 1e-3);
    EXPECT_NEAR(eye(100, 50, 0, 2), 100.0f, 1e-3);
    EXPECT_LT(eye(100, 50, 10, 0), -5.0f);
    device->EndFrame();
}

class Direct3DGeneratedLevel : public Direct3DDeviceTest {
protected:
    std::vector<std::string> RunDirEntries() override { return {"textures", "fonts", "maps", "Materials.ini"}; }
    std::string Settings() override { return "[Game]\nMap = \"maps/demo.bsp\"\n"; }
};

TEST_F(Direct3DGeneratedLevel, ShowsTheRoomsWhereTheOpenGLDeviceShowsThem)
{
    kestrova_test::LoadGeneratedLevel(*device, *system);
    kestrova_test::DrawEveryFace(*device);
    const std::vector<uint8_t> direct3D = Picture();
    SavePicture("direct3d-generated");
    device->EndFrame();
    device->ReleaseLevelGeometry();
    device->ReleaseLevelTextures();
    device->Destroy();

    // The OpenGL device on the same window, with a level of its own.
    auto opengl = std::make_unique<Tamrik::COpenGLRenderDevice>(system);
    ASSERT_TRUE(opengl->Create(system->mainWindow));
    kestrova_test::LoadGeneratedLevel(*opengl, *system);
    kestrova_test::DrawEveryFace(*opengl);
    const std::vector<uint8_t> reference = Picture();
    SavePicture("opengl-generated");
    opengl->ReleaseLevelGeometry();
    opengl->ReleaseLevelTextures();
    opengl->Destroy();

    size_t covered = 0, differing = 0;
    for (size_t p = 0; p < reference.size(); p += 3) {
        covered += reference[p] || reference[p + 1] || reference[p + 2];
        differing += std::abs(direct3D[p] - reference[p]) + std::abs(direct3D[p + 1] - reference[p + 1]) +
                         std::abs(direct3D[p + 2] - reference[p + 2]) >
                     60;
    }
    EXPECT_GT(covered, reference.size() / 3 / 2);
    EXPECT_LT(differing, reference.size() / 3 / 50) << differing << " pixels differ clearly";
}

} // namespace
