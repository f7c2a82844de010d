// Small levels for the back-ends' drawing tests: walls of two triangles in front of the camera,
// built as a TestLevel, and the project's demo level read as the loading steps read it.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include "core/system.h"
#include "level/bsp_loader.h"
#include "level/level_reading.h"
#include "level/material_library.h"
#include "render/camera.h"
#include "render/render_device.h"
#include "render/start_position.h"
#include "tests/render/test_level.h"

namespace kestrova_test {

// A lump of count zeroed records in place of the level's own.
template <class T>
T* NewLump(Tamrik::CBSPLoader& level, int lump, int count)
{
    return TestLevel::Copy(std::vector<T>(static_cast<size_t>(count)), level.header.direntries[lump],
                           level.recordSizes[lump]);
}

inline Tamrik::Texture* SolidTexture(uint8_t r, uint8_t g, uint8_t b)
{
    auto* texture = new Tamrik::Texture();
    texture->width = 4;
    texture->height = 4;
    texture->format = Tamrik::IMAGE_RGB;
    texture->pixels = new uint8_t[4 * 4 * 3];
    for (int i = 0; i < 16; ++i) {
        texture->pixels[i * 3 + 0] = r;
        texture->pixels[i * 3 + 1] = g;
        texture->pixels[i * 3 + 2] = b;
    }
    return texture;
}

struct FacePlan {
    int type;
    int texture;
    int lightmap;
    float yLeft, yRight, zTop, zBottom; // a wall 100 units ahead of the camera
};

// The camera stands at the origin looking along +x, so level +y is the screen's left and +z up.
// Each face is a quad of two triangles wound clockwise as seen from the camera; the textures
// have no picture yet and the lightmaps are (128, 128, 255).
inline void BuildLevel(Tamrik::CBSPLoader& level, const std::vector<FacePlan>& plans, int textures,
                       int lightmaps)
{
    TestLevel built;
    built.meshverts = {0, 1, 2, 0, 2, 3};
    for (const FacePlan& s : plans) {
        const float corners[4][2] = {
            {s.yLeft, s.zTop}, {s.yRight, s.zTop}, {s.yRight, s.zBottom}, {s.yLeft, s.zBottom}};
        Tamrik::BSPFace& face = built.faces[static_cast<size_t>(built.AddFace())];
        face.type = s.type;
        face.texture = s.texture;
        face.lm_index = s.lightmap;
        face.vertex = static_cast<int32_t>(built.vertexes.size());
        face.n_meshverts = 6;
        for (int c = 0; c < 4; ++c) {
            Tamrik::BSPVertex v{};
            v.position[0] = 100.0f;
            v.position[1] = corners[c][0];
            v.position[2] = corners[c][1];
            v.normal[0] = -1.0f;
            v.texcoord[0][0] = c == 1 || c == 2 ? 1.0f : 0.0f;
            v.texcoord[0][1] = c >= 2 ? 1.0f : 0.0f;
            v.texcoord[1][0] = 0.25f + 0.5f * v.texcoord[0][0];
            v.texcoord[1][1] = 0.25f + 0.5f * v.texcoord[0][1];
            built.vertexes.push_back(v);
        }
    }
    for (int t = 0; t < textures; ++t)
        built.AddTexture(0);
    built.lightmaps.resize(static_cast<size_t>(lightmaps));
    for (Tamrik::BSPLightmap& lightmap : built.lightmaps)
        for (auto& row : lightmap.map)
            for (auto& texel : row) {
                texel[0] = 128;
                texel[1] = 128;
                texel[2] = 255;
            }
    built.LoadInto(level);
}

// Loading steps 0 and 1 on [Game] Map, the device's textures and geometry, and the camera at the
// level's player start.
inline void LoadGeneratedLevel(Tamrik::CRenderDevice& device, Tamrik::CSystem& system)
{
    Tamrik::CBSPLoader& level = *device.level;
    ASSERT_TRUE(Tamrik::ReadBSPFile(level, *system.settings, system.log));
    Tamrik::ReadTextures(level, *device.materials);
    device.LoadLevelTextures();
    device.LoadLevelGeometry();
    Tamrik::ApplyStartPosition(level.EntityText(), *device.camera);
}

// One frame's 3D part with the given faces visible (the frame stays open).
inline void DrawFaces(Tamrik::CRenderDevice& device, const std::vector<int>& faces)
{
    device.BeginFrame();
    device.Set3DMode();
    device.UpdateCamera();
    for (int f : faces)
        device.visibleFaces.insert(f);
    device.RenderLevel();
    device.visibleFaces.clear();
}

inline void DrawEveryFace(Tamrik::CRenderDevice& device)
{
    std::vector<int> faces(static_cast<size_t>(device.level->RecordCount(Tamrik::LUMP_FACE)));
    std::iota(faces.begin(), faces.end(), 0);
    DrawFaces(device, faces);
}

} // namespace kestrova_test
