// Both devices' level drawing read back from a real window: the shared cases as typed tests with
// a table of where the devices differ by design, then each one's buffers, textures and demo level.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>

#include "level/bsp_loader.h"
#include "render/camera.h"
#include "tests/render/device_fixture.h"
#include "tests/render/level_builder.h"

using kestrova_test::BuildLevel;
using kestrova_test::DeviceNames;
using kestrova_test::Devices;
using kestrova_test::DeviceTestOf;
using kestrova_test::Near;
using kestrova_test::Rgb;
using kestrova_test::SolidTexture;
using Tamrik::BSPFace;
using Tamrik::CBSPLoader;
using Tamrik::CDirect3DRenderDevice;
using Tamrik::COpenGLRenderDevice;

namespace {

enum { LIT_WALL, UNLIT_WALL, PATCH, NO_TEXTURE, UNREAD_TEXTURE, UNREAD_LIT };

// Where the devices differ by design.
struct Design {
    // A picture that could not be read: OpenGL makes no texture and draws the face untextured;
    // Direct3D fills a texture of white with alpha 0, which vanishes once a GUI quad has set the
    // blend factors to the source alpha.
    bool unreadPictureGetsTexture;
    Rgb unreadFaceAfterGUIQuad;
    // The eye-space z of a point 100 units straight ahead: OpenGL looks down -z, Direct3D down +z.
    float ahead;
};

Design DesignOf(const COpenGLRenderDevice&) { return {false, {255, 255, 255}, -100.0f}; }
Design DesignOf(const CDirect3DRenderDevice&) { return {true, {0, 0, 0}, 100.0f}; }

// The eye-space coordinates of a level point: OpenGL takes level (x, y, z) as its (y, z, x),
// Direct3D as its (x, z, y).
std::array<float, 3> EyeOf(COpenGLRenderDevice&, float x, float y, float z)
{
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    const float p[3] = {y, z, x};
    std::array<float, 3> eye;
    for (int r = 0; r < 3; ++r)
        eye[r] = m[r] * p[0] + m[4 + r] * p[1] + m[8 + r] * p[2] + m[12 + r];
    return eye;
}

std::array<float, 3> EyeOf(CDirect3DRenderDevice& device, float x, float y, float z)
{
    D3DMATRIX view = {};
    EXPECT_EQ(device.device->GetTransform(D3DTS_VIEW, &view), D3D_OK);
    const float p[3] = {x, z, y};
    std::array<float, 3> eye;
    for (int axis = 0; axis < 3; ++axis)
        eye[axis] = p[0] * view.m[0][axis] + p[1] * view.m[1][axis] + p[2] * view.m[2][axis] + view.m[3][axis];
    return eye;
}

template <class Device>
class Level : public DeviceTestOf<Device> {
protected:
    std::string Settings() override { return "[Game]\nLog = \"true\"\n"; }

    void Draw(const std::vector<int>& faces) { kestrova_test::DrawFaces(*this->device, faces); }
};
TYPED_TEST_SUITE(Level, Devices, DeviceNames);

TYPED_TEST(Level, FacesShowTheirTextureTimesTheirLightmap)
{
    auto& device = *this->device;
    const Design design = DesignOf(device);
    CBSPLoader& level = *device.level;
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

    device.LoadLevelTextures();
    device.LoadLevelGeometry();
    EXPECT_NE(level.textures[0].texture->handle, 0u);
    EXPECT_EQ(level.textures[0].texture->pixels, nullptr);
    EXPECT_EQ(level.textures[2].texture->handle != 0, design.unreadPictureGetsTexture);
    EXPECT_NE(level.lightmaps[0].handle, 0u);

    this->Draw({LIT_WALL, UNLIT_WALL, PATCH, NO_TEXTURE, UNREAD_TEXTURE, UNREAD_LIT});
    this->SavePicture(DeviceNames::GetName<TypeParam>() + "-level");
    // The lightmap (128, 128, 255) times the texture (255, 200, 100).
    EXPECT_TRUE(Near(this->Pixel(237, 300), {128, 100, 100}));
    EXPECT_TRUE(Near(this->Pixel(563, 300), {255, 200, 100}));
    EXPECT_TRUE(Near(this->Pixel(400, 65), {0, 0, 0}, 0));    // patches are never drawn
    EXPECT_TRUE(Near(this->Pixel(635, 535), {0, 0, 0}, 0));   // nor faces without a texture record
    EXPECT_TRUE(Near(this->Pixel(165, 535), {255, 255, 255})); // an unread picture shows white
    EXPECT_TRUE(Near(this->Pixel(400, 535), {128, 128, 255})); // and under the lightmap its colour
    EXPECT_TRUE(Near(this->Pixel(400, 300), {0, 0, 0}, 0));   // the gap between the walls

    // After a GUI quad the lightmap's alpha keeps the unread face with a lightmap.
    device.EndFrame();
    Tamrik::ScreenQuad quad = {};
    device.BeginFrame();
    device.Set2DMode();
    device.DrawQuad(&quad, level.textures[0].texture);
    this->Draw({LIT_WALL, UNREAD_TEXTURE, UNREAD_LIT});
    EXPECT_TRUE(Near(this->Pixel(165, 535), design.unreadFaceAfterGUIQuad, 0));
    EXPECT_TRUE(Near(this->Pixel(400, 535), {128, 128, 255}));
    EXPECT_TRUE(Near(this->Pixel(237, 300), {128, 100, 100}));
    device.EndFrame();

    // Only the faces in the visible set are drawn.
    this->Draw({UNLIT_WALL});
    EXPECT_TRUE(Near(this->Pixel(237, 300), {0, 0, 0}, 0));
    EXPECT_TRUE(Near(this->Pixel(563, 300), {255, 200, 100}));
    device.EndFrame();
}

TYPED_TEST(Level, TheCameraLooksAlongLevelXWithZUp)
{
    auto& device = *this->device;
    device.BeginFrame();
    device.Set3DMode();
    device.camera->position[2] = 50.0f;
    device.camera->lookAt[2] = 50.0f;
    device.UpdateCamera();
    // The level point (100, 0, 50) lies straight ahead, 100 units away; (100, 10, 50) lies to
    // the left.
    const std::array<float, 3> ahead = EyeOf(device, 100, 0, 50);
    EXPECT_NEAR(ahead[0], 0.0f, 1e-3);
    EXPECT_NEAR(ahead[1], 0.0f, 1e-3);
    EXPECT_NEAR(ahead[2], DesignOf(device).ahead, 1e-3);
    EXPECT_LT(EyeOf(device, 100, 10, 50)[0], -5.0f);
    device.EndFrame();
}

// The level the project's generator writes, read as loading steps 0 and 1 read it, seen from
// its start position.
template <class Device>
class GeneratedLevel : public DeviceTestOf<Device> {
protected:
    std::vector<std::string> RunDirEntries() override { return {"textures", "fonts", "maps", "Materials.ini"}; }
    std::string Settings() override { return "[Game]\nMap = \"maps/demo.bsp\"\n"; }
};

// The pixels of a picture that are not black.
size_t Covered(const std::vector<uint8_t>& picture)
{
    size_t covered = 0;
    for (size_t p = 0; p < picture.size(); p += 3)
        covered += picture[p] || picture[p + 1] || picture[p + 2];
    return covered;
}

// The pixels where two pictures differ by more than threshold over their three channels.
size_t Differing(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int threshold)
{
    size_t differing = 0;
    for (size_t p = 0; p < a.size(); p += 3)
        differing += std::abs(a[p] - b[p]) + std::abs(a[p + 1] - b[p + 1]) + std::abs(a[p + 2] - b[p + 2]) > threshold;
    return differing;
}

// A lit polygon, an unlit mesh, a patch and a face of type 4, all with a white texture.
void BuildFaceKinds(CBSPLoader& level)
{
    BuildLevel(level, {{1, 0, 0, 40, 5, 20, -20}, {3, 0, -1, -5, -40, 20, -20}, {2, 0, 0, 10, -10, 40, 25},
                       {4, 0, 0, 10, -10, 40, 25}},
               1, 1);
    level.textures[0].texture = SolidTexture(255, 255, 255);
}

// The OpenGL device alone: its buffers, its log lines, and the lightmaps' effect on the demo level.
using OpenGLLevel = Level<COpenGLRenderDevice>;
using OpenGLGeneratedLevel = GeneratedLevel<COpenGLRenderDevice>;

TEST_F(OpenGLLevel, LightmappedFacesGetFourBuffersOthersThreePatchesNone)
{
    CBSPLoader& level = *device->level;
    BuildFaceKinds(level);
    device->LoadLevelGeometry();

    const BSPFace* faces = level.faces;
    for (int b = 0; b < 4; ++b)
        EXPECT_TRUE(glIsBufferARB(faces[0].buffers[b])) << b;
    for (int b = 0; b < 3; ++b)
        EXPECT_TRUE(glIsBufferARB(faces[1].buffers[b])) << b;
    EXPECT_EQ(faces[1].buffers[3], 0u);
    for (int f : {2, 3})
        for (uint32_t name : faces[f].buffers)
            EXPECT_EQ(name, 0u);
    GLint size = 0;
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, faces[0].buffers[0]);
    glGetBufferParameterivARB(GL_ARRAY_BUFFER_ARB, GL_BUFFER_SIZE_ARB, &size);
    EXPECT_EQ(size, 6 * 12);
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, faces[0].buffers[3]);
    glGetBufferParameterivARB(GL_ARRAY_BUFFER_ARB, GL_BUFFER_SIZE_ARB, &size);
    EXPECT_EQ(size, 6 * 8);
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);

    uint32_t names[7];
    std::memcpy(names, faces[0].buffers, 4 * sizeof(uint32_t));
    std::memcpy(names + 4, faces[1].buffers, 3 * sizeof(uint32_t));
    device->ReleaseLevelGeometry();
    for (uint32_t name : names)
        EXPECT_FALSE(glIsBufferARB(name));
    EXPECT_EQ(faces[0].buffers[0], 0u);
}

TEST_F(OpenGLLevel, TextureLoadingIsLoggedAndReleasedRecordsGo)
{
    CBSPLoader& level = *device->level;
    BuildLevel(level, {{1, 0, 0, 40, 5, 20, -20}}, 3, 2);
    level.textures[0].texture = SolidTexture(255, 255, 255);
    level.textures[2].texture = SolidTexture(10, 20, 30);
    device->LoadLevelTextures();

    std::string log = kestrova_test::ReadFile("log.txt");
    EXPECT_NE(log.find("There are 3 textures to load.\r\n"
                       "Successfuly loaded texture number 0.\r\n"
                       "Successfuly loaded texture number 2.\r\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("number 1."), std::string::npos);
    uint32_t lightmap = static_cast<uint32_t>(level.lightmaps[1].handle);
    EXPECT_TRUE(glIsTexture(lightmap));
    GLint w = 0;
    glBindTexture(GL_TEXTURE_2D, lightmap);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    EXPECT_EQ(w, 128);

    device->ReleaseLevelTextures();
    for (int t = 0; t < 3; ++t)
        EXPECT_EQ(level.textures[t].texture, nullptr);
    EXPECT_EQ(level.lightmaps[1].handle, 0u);
    EXPECT_FALSE(glIsTexture(lightmap));
}

TEST_F(OpenGLLevel, WithoutTexturesStillUploadsItsLightmaps)
{
    CBSPLoader& level = *device->level;
    BuildLevel(level, {{1, 0, 0, 40, 5, 20, -20}}, 0, 1);
    device->LoadLevelTextures();
    std::string log = kestrova_test::ReadFile("log.txt");
    EXPECT_NE(log.find("There are 0 textures to load.\r\n"), std::string::npos);
    EXPECT_EQ(log.find("Successfuly"), std::string::npos);
    EXPECT_NE(level.lightmaps[0].handle, 0u);
}

TEST_F(OpenGLLevel, BeforeItsGeometryIsLoadedNothingIsDrawn)
{
    CBSPLoader& level = *device->level;
    BuildLevel(level, {{1, 0, 0, 40, 5, 20, -20}}, 1, 1);
    level.textures[0].texture = SolidTexture(255, 255, 255);
    device->LoadLevelTextures();
    Draw({LIT_WALL, 7, -3});
    EXPECT_TRUE(Near(Pixel(237, 300), {0, 0, 0}, 0));
}

TEST_F(OpenGLGeneratedLevel, IsDrawnWithItsLightmaps)
{
    kestrova_test::LoadGeneratedLevel(*device, *system);
    CBSPLoader& level = *device->level;
    ASSERT_GT(level.RecordCount(Tamrik::LUMP_FACE), 0);
    ASSERT_GT(level.RecordCount(Tamrik::LUMP_LIGHTMAP), 0);

    kestrova_test::DrawEveryFace(*device);
    const std::vector<uint8_t> lit = Picture();
    SavePicture("generated-lit");
    const size_t covered = Covered(lit);
    EXPECT_GT(covered, lit.size() / 3 / 2) << "most of the view shows the level";

    // The same faces without their lightmaps.
    device->ReleaseLevelGeometry();
    for (int f = 0; f < level.RecordCount(Tamrik::LUMP_FACE); ++f)
        level.faces[f].lm_index = -1;
    device->LoadLevelGeometry();
    kestrova_test::DrawEveryFace(*device);
    SavePicture("generated-unlit");
    EXPECT_GT(Differing(lit, Picture(), 12), covered / 4);
}

// The Direct3D device alone: buffers, texture records, the start without stencil, the demo level.
using Direct3DLevel = Level<CDirect3DRenderDevice>;

TEST_F(Direct3DLevel, EachDrawnFaceGetsOneBufferOfAVertexPerMeshvert)
{
    CBSPLoader& level = *device->level;
    BuildFaceKinds(level);
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

using Direct3DGeneratedLevel = GeneratedLevel<CDirect3DRenderDevice>;

TEST_F(Direct3DGeneratedLevel, ShowsTheRoomsWhereTheOpenGLDeviceShowsThem)
{
    // The level seen from its start by one device, which then goes.
    auto draw = [&](Tamrik::CRenderDevice& drawing, const std::string& name) {
        kestrova_test::LoadGeneratedLevel(drawing, *system);
        kestrova_test::DrawEveryFace(drawing);
        std::vector<uint8_t> picture = Picture();
        SavePicture(name);
        drawing.EndFrame();
        drawing.ReleaseLevelGeometry();
        drawing.ReleaseLevelTextures();
        drawing.Destroy();
        return picture;
    };
    const std::vector<uint8_t> direct3D = draw(*device, "direct3d-generated");
    // The OpenGL device on the same window, with a level of its own.
    auto opengl = std::make_unique<Tamrik::COpenGLRenderDevice>(system);
    ASSERT_TRUE(opengl->Create(system->mainWindow));
    const std::vector<uint8_t> reference = draw(*opengl, "opengl-generated");

    EXPECT_GT(Covered(reference), reference.size() / 3 / 2);
    const size_t differing = Differing(direct3D, reference, 60);
    EXPECT_LT(differing, reference.size() / 3 / 50) << differing << " pixels differ clearly";
}

} // namespace
