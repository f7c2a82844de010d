// The OpenGL device's level drawing read back from a real window: a small level built in memory,
// its textures and lightmaps, its vertex buffers and the faces RenderLevel draws.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstring>

#include "level/bsp_loader.h"
#include "render/camera.h"
#include "tests/render/device_fixture.h"
#include "tests/render/level_builder.h"

using kestrova_test::DeviceTest;
using kestrova_test::Near;
using kestrova_test::Rgb;
using Tamrik::BSPFace;
using Tamrik::CBSPLoader;
using kestrova_test::BuildLevel;
using kestrova_test::SolidTexture;

namespace {

class Level : public DeviceTest {
protected:
    std::string Settings() override { return "[Game]\nLog = \"true\"\n"; }

    void Draw(std::initializer_list<int> faces) { kestrova_test::DrawFaces(*device, faces); }
};

enum { LIT_WALL, UNLIT_WALL, PATCH, NO_TEXTURE, UNREAD_TEXTURE };

TEST_F(Level, FacesAreDrawnWithTheirTextureTimesTheirLightmap)
{
    CBSPLoader& level = *device->level;
    BuildLevel(level,
               {{1, 0, 0, 40, 5, 20, -20},        // polygon with a lightmap, left of centre
                {3, 0, -1, -5, -40, 20, -20},     // mesh without a lightmap, right of centre
                {2, 0, 0, 10, -10, 40, 25},       // patch, above the centre
                {1, 1, 0, -25, -40, -25, -40},    // its texture record has no picture at all
                {1, 2, -1, 40, 25, -25, -40}},    // its picture could not be read
               3, 1);
    level.textures[0].texture = SolidTexture(255, 200, 100);
    level.textures[2].texture = new Tamrik::Texture();

    device->LoadLevelTextures();
    device->LoadLevelGeometry();
    EXPECT_NE(level.textures[0].texture->handle, 0u);
    EXPECT_EQ(level.textures[0].texture->pixels, nullptr);
    EXPECT_EQ(level.textures[2].texture->handle, 0u);
    EXPECT_NE(level.lightmaps[0].handle, 0u);

    Draw({LIT_WALL, UNLIT_WALL, PATCH, NO_TEXTURE, UNREAD_TEXTURE});
    SavePicture("level");
    // The lightmap (128, 128, 255) times the texture (255, 200, 100).
    EXPECT_TRUE(Near(Pixel(237, 300), {128, 100, 100}));
    EXPECT_TRUE(Near(Pixel(563, 300), {255, 200, 100}));
    EXPECT_TRUE(Near(Pixel(400, 65), {0, 0, 0}, 0));   // patches are never drawn
    EXPECT_TRUE(Near(Pixel(635, 535), {0, 0, 0}, 0));  // nor faces without a texture record
    EXPECT_TRUE(Near(Pixel(165, 535), {255, 255, 255})); // drawn untextured
    EXPECT_TRUE(Near(Pixel(400, 300), {0, 0, 0}, 0));  // the gap between the walls

    // Only the faces in the visible set are drawn.
    Draw({UNLIT_WALL});
    EXPECT_TRUE(Near(Pixel(237, 300), {0, 0, 0}, 0));
    EXPECT_TRUE(Near(Pixel(563, 300), {255, 200, 100}));
}

TEST_F(Level, LightmappedFacesGetFourBuffersOthersThreePatchesNone)
{
    CBSPLoader& level = *device->level;
    BuildLevel(level, {{1, 0, 0, 40, 5, 20, -20}, {3, 0, -1, -5, -40, 20, -20}, {2, 0, 0, 10, -10, 40, 25},
                       {4, 0, 0, 10, -10, 40, 25}},
               1, 1);
    level.textures[0].texture = SolidTexture(255, 255, 255);
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

TEST_F(Level, TextureLoadingIsLoggedAndReleasedRecordsGo)
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

TEST_F(Level, WithoutTexturesStillUploadsItsLightmaps)
{
    CBSPLoader& level = *device->level;
    BuildLevel(level, {{1, 0, 0, 40, 5, 20, -20}}, 0, 1);
    device->LoadLevelTextures();
    std::string log = kestrova_test::ReadFile("log.txt");
    EXPECT_NE(log.find("There are 0 textures to load.\r\n"), std::string::npos);
    EXPECT_EQ(log.find("Successfuly"), std::string::npos);
    EXPECT_NE(level.lightmaps[0].handle, 0u);
}

TEST_F(Level, BeforeItsGeometryIsLoadedNothingIsDrawn)
{
    CBSPLoader& level = *device->level;
    BuildLevel(level, {{1, 0, 0, 40, 5, 20, -20}}, 1, 1);
    level.textures[0].texture = SolidTexture(255, 255, 255);
    device->LoadLevelTextures();
    Draw({LIT_WALL, 7, -3});
    EXPECT_TRUE(Near(Pixel(237, 300), {0, 0, 0}, 0));
}

TEST_F(Level, TheCameraLooksAlongLevelXWithZUp)
{
    device->BeginFrame();
    device->Set3DMode();
    device->camera->position[2] = 50.0f; // raised: level z is OpenGL y
    device->camera->lookAt[2] = 50.0f;
    device->UpdateCamera();
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    // The level point (100, 0, 50) lies straight ahead, 100 units away.
    const float p[3] = {0.0f, 50.0f, 100.0f}; // (y, z, x)
    float eye[3];
    for (int r = 0; r < 3; ++r)
        eye[r] = m[r] * p[0] + m[4 + r] * p[1] + m[8 + r] * p[2] + m[12 + r];
    EXPECT_NEAR(eye[0], 0.0f, 1e-3);
    EXPECT_NEAR(eye[1], 0.0f, 1e-3);
    EXPECT_NEAR(eye[2], -100.0f, 1e-3);
}

// The level the project's generator writes, read as loading steps 0 and 1 read it, seen from
// its start position.
class GeneratedLevel : public DeviceTest {
protected:
    std::vector<std::string> RunDirEntries() override { return {"textures", "fonts", "maps", "Materials.ini"}; }
    std::string Settings() override { return "[Game]\nMap = \"maps/demo.bsp\"\n"; }

    void LoadLevel() { kestrova_test::LoadGeneratedLevel(*device, *system); }
    std::vector<uint8_t> DrawEveryFace()
    {
        kestrova_test::DrawEveryFace(*device);
        return Picture();
    }
};

TEST_F(GeneratedLevel, IsDrawnWithItsLightmaps)
{
    LoadLevel();
    CBSPLoader& level = *device->level;
    ASSERT_GT(level.RecordCount(Tamrik::LUMP_FACE), 0);
    ASSERT_GT(level.RecordCount(Tamrik::LUMP_LIGHTMAP), 0);

    std::vector<uint8_t> lit = DrawEveryFace();
    SavePicture("generated-lit");
    size_t covered = 0;
    for (size_t p = 0; p < lit.size(); p += 3)
        covered += lit[p] || lit[p + 1] || lit[p + 2];
    EXPECT_GT(covered, lit.size() / 3 / 2) << "most of the view shows the level";

    // The same faces without their lightmaps.
    device->ReleaseLevelGeometry();
    for (int f = 0; f < level.RecordCount(Tamrik::LUMP_FACE); ++f)
        level.faces[f].lm_index = -1;
    device->LoadLevelGeometry();
    std::vector<uint8_t> unlit = DrawEveryFace();
    SavePicture("generated-unlit");
    size_t differing = 0;
    for (size_t p = 0; p < lit.size(); p += 3)
        differing += std::abs(lit[p] - unlit[p]) + std::abs(lit[p + 1] - unlit[p + 1]) +
                         std::abs(lit[p + 2] - unlit[p + 2]) > 12;
    EXPECT_GT(differing, covered / 4);
}

} // namespace
