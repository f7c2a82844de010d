// Small levels for the back-ends' drawing tests: walls of two triangles built in memory in front
// of the camera, and the project's demo level read as the loading steps read it.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/system.h"
#include "level/bsp_loader.h"
#include "level/level_reading.h"
#include "level/material_library.h"
#include "render/camera.h"
#include "render/render_device.h"

namespace kestrova_test {

template <class T>
T* NewLump(Tamrik::CBSPLoader& level, int lump, int count)
{
    level.header.direntries[lump].length = count * level.recordSizes[lump];
    return new T[count]();
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
// Each face is a quad of two triangles wound clockwise as seen from the camera.
inline void BuildLevel(Tamrik::CBSPLoader& level, const std::vector<FacePlan>& plans, int textures, int lightmaps)
{
    const int n = static_cast<int>(plans.size());
    level.vertexes = NewLump<Tamrik::BSPVertex>(level, Tamrik::LUMP_VERTEX, 4 * n);
    level.meshverts = NewLump<int32_t>(level, Tamrik::LUMP_MESHVERT, 6);
    const int32_t order[6] = {0, 1, 2, 0, 2, 3};
    std::memcpy(level.meshverts, order, sizeof order);
    level.faces = NewLump<Tamrik::BSPFace>(level, Tamrik::LUMP_FACE, n);
    for (int f = 0; f < n; ++f) {
        const FacePlan& s = plans[f];
        const float corners[4][2] = {{s.yLeft, s.zTop}, {s.yRight, s.zTop}, {s.yRight, s.zBottom}, {s.yLeft, s.zBottom}};
        for (int c = 0; c < 4; ++c) {
            Tamrik::BSPVertex& v = level.vertexes[4 * f + c];
            v.position[0] = 100.0f;
            v.position[1] = corners[c][0];
            v.position[2] = corners[c][1];
            v.normal[0] = -1.0f;
            v.texcoord[0][0] = c == 1 || c == 2 ? 1.0f : 0.0f;
            v.texcoord[0][1] = c >= 2 ? 1.0f : 0.0f;
            v.texcoord[1][0] = 0.25f + 0.5f * v.texcoord[0][0];
            v.texcoord[1][1] = 0.25f + 0.5f * v.texcoord[0][1];
        }
        Tamrik::BSPFace& face = level.faces[f];
        face.type = s.type;
        face.texture = s.texture;
        face.lm_index = s.lightmap;
        face.vertex = 4 * f;
        face.meshvert = 0;
        face.n_meshverts = 6;
    }
    level.textures = NewLump<Tamrik::BSPTexture>(level, Tamrik::LUMP_TEXTURE, textures);
    level.lightmaps = NewLump<Tamrik::BSPLightmap>(level, Tamrik::LUMP_LIGHTMAP, lightmaps);
    for (int l = 0; l < lightmaps; ++l)
        for (auto& row : level.lightmaps[l].map)
            for (auto& texel : row) {
                texel[0] = 128;
                texel[1] = 128;
                texel[2] = 255;
            }
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
    // The start position: three numbers nine characters into the player start's "origin".
    std::string entities = level.EntityText();
    size_t start = entities.find("info_player_deathmatch");
    ASSERT_NE(start, std::string::npos);
    size_t origin = entities.find("origin", start);
    ASSERT_NE(origin, std::string::npos);
    int x = 0, y = 0, z = 0;
    std::sscanf(entities.c_str() + origin + 9, "%d %d %d", &x, &y, &z);
    float* position = device.camera->position;
    float* lookAt = device.camera->lookAt;
    position[0] += x, position[1] += y, position[2] += z;
    lookAt[0] += x, lookAt[1] += y, lookAt[2] += z;
}

// One frame's 3D part with the given faces visible (the frame stays open).
inline void DrawFaces(Tamrik::CRenderDevice& device, std::initializer_list<int> faces)
{
    device.BeginFrame();
    device.Set3DMode();
    device.UpdateCamera();
    for (int f : faces)
        device.visibleFaces.insert(f);
    device.RenderLevel();
    device.visibleFaces.clear();
}

// One frame's 3D part with every face of the level visible.
inline void DrawEveryFace(Tamrik::CRenderDevice& device)
{
    device.BeginFrame();
    device.Set3DMode();
    device.UpdateCamera();
    for (int f = 0; f < device.level->RecordCount(Tamrik::LUMP_FACE); ++f)
        device.visibleFaces.insert(f);
    device.RenderLevel();
    device.visibleFaces.clear();
}

} // namespace kestrova_test
