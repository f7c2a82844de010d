// The generated levels read back through the level reader: checks pass, lights, switches and
// the start stand where the viewer needs them, rooms out of sight are culled, textures decode.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>

#include "level/bsp_loader.h"
#include "level/entities.h"
#include "level/level_reading.h"
#include "level/material_library.h"
#include "image/image.h"
#include "render/camera.h"
#include "render/start_position.h"
#include "render/visibility.h"
#include "tests/support/test_paths.h"

using namespace Tamrik;

namespace {

bool Read(CBSPLoader& level, const std::filesystem::path& path)
{
    IniMap settings;
    settings["Game"]["Map"] = path.string();
    return ReadBSPFile(level, settings, nullptr);
}

bool StrictlyInside(const BSPLeaf& leaf, const float p[3])
{
    for (int a = 0; a < 3; ++a)
        if (!(leaf.mins[a] < p[a] && p[a] < leaf.maxs[a]))
            return false;
    return true;
}

class DemoLevel : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Read(level, kestrova_test::RunDir() / "maps/demo.bsp"));
        ReadEntities(level, entities);
    }
    CBSPLoader level{nullptr};
    CEntitySet entities;
};

} // namespace

TEST_F(DemoLevel, EveryLightIsOnAndStandsStrictlyInsideAnAirLeaf)
{
    ASSERT_GE(entities.lightCount, 6);
    std::set<int> ids;
    for (int i = 0; i < entities.lightCount; ++i) {
        const Light& light = entities.lights[i];
        ids.insert(light.ID);
        EXPECT_EQ(light.state, 1);
        EXPECT_FLOAT_EQ(light.origin[3], 1.0f);
        const BSPLeaf& leaf = level.leafs[FindLeaf(level, light.origin)];
        EXPECT_GE(leaf.cluster, 0) << light.ID;
        EXPECT_TRUE(StrictlyInside(leaf, light.origin)) << light.ID;
    }
    EXPECT_EQ(ids.size(), static_cast<size_t>(entities.lightCount));
}

TEST_F(DemoLevel, SwitchesSitOnTheirModelsNearTheLightsTheyTarget)
{
    ASSERT_GE(entities.buttonCount, 2);
    for (int i = 0; i < entities.buttonCount; ++i) {
        const FuncButton& button = entities.buttons[i];
        ASSERT_GT(button.model, 0);
        ASSERT_LT(button.model, level.RecordCount(LUMP_MODEL));
        const BSPModel& model = level.models[button.model];
        EXPECT_EQ(model.n_brushes, 1);
        EXPECT_GT(model.n_faces, 0);
        for (int a = 0; a < 3; ++a)
            EXPECT_FLOAT_EQ(button.centre[a], (model.mins[a] + model.maxs[a]) * 0.5f);
        const Light* target = nullptr;
        for (int l = 0; l < entities.lightCount; ++l)
            if (entities.lights[l].ID == button.target)
                target = &entities.lights[l];
        ASSERT_NE(target, nullptr) << button.target;
        // Same room: the switch's leaf and the light's leaf share a cluster.
        EXPECT_EQ(level.leafs[FindLeaf(level, button.centre)].cluster,
                  level.leafs[FindLeaf(level, target->origin)].cluster);
        // The switch's faces are drawn when its room is.
        std::set<int> listed(level.leaffaces, level.leaffaces + level.RecordCount(LUMP_LEAFFACE));
        EXPECT_TRUE(listed.count(model.face));
    }
}

TEST_F(DemoLevel, TheStartIsInTheAirOfTheFirstRoom)
{
    CCamera camera;
    ApplyStartPosition(level.EntityText(), camera);
    const float* p = camera.position;
    EXPECT_EQ(p[0], 96.0f);
    EXPECT_EQ(p[1], 192.0f);
    EXPECT_EQ(p[2], 64.0f);
    const BSPLeaf& leaf = level.leafs[FindLeaf(level, p)];
    EXPECT_EQ(leaf.cluster, 0);
    EXPECT_EQ(leaf.n_leafbrushes, 0);
}

TEST_F(DemoLevel, EachRoomIsOneClusterAndRoomsOutOfSightAreCulled)
{
    ASSERT_NE(level.visdata, nullptr);
    EXPECT_EQ(level.visdata->n_vecs, 6);
    ASSERT_EQ(level.visdata->sz_vecs, 1);
    // Row a, bit b: room a sees room b. Every room sees itself and the rooms joined to it by a
    // doorway; the doorways of the far west room, its corridor, the hall and the east room line
    // up, while the north gallery and the study stay out of the far west room's sight.
    const uint8_t rows[6] = {0x3F, 0x3F, 0x1F, 0x1F, 0x3F, 0x33};
    for (int a = 0; a < 6; ++a)
        EXPECT_EQ(level.visdata->vecs[a], rows[a]) << "room " << a;
}

TEST_F(DemoLevel, FacesAreQuadsWoundClockwiseSeenFromTheirFront)
{
    const int faces = level.RecordCount(LUMP_FACE);
    ASSERT_GT(faces, 50);
    for (int f = 0; f < faces; ++f) {
        const BSPFace& face = level.faces[f];
        ASSERT_EQ(face.type, 1);
        ASSERT_EQ(face.n_meshverts % 3, 0);
        ASSERT_GE(face.lm_index, 0);
        for (int t = 0; t < face.n_meshverts; t += 3) {
            const float* p[3];
            for (int k = 0; k < 3; ++k)
                p[k] = level.vertexes[face.vertex + level.meshverts[face.meshvert + t + k]].position;
            float e1[3], e2[3];
            for (int a = 0; a < 3; ++a) {
                e1[a] = p[1][a] - p[0][a];
                e2[a] = p[2][a] - p[0][a];
            }
            const float cross[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                                    e1[0] * e2[1] - e1[1] * e2[0]};
            const float along = cross[0] * face.normal[0] + cross[1] * face.normal[1] + cross[2] * face.normal[2];
            EXPECT_LT(along, 0.0f) << "face " << f;
        }
        for (int v = 0; v < face.n_vertexes; ++v) {
            const float* lm = level.vertexes[face.vertex + v].texcoord[1];
            EXPECT_TRUE(lm[0] > 0 && lm[0] < 1 && lm[1] > 0 && lm[1] < 1) << "face " << f;
        }
    }
}

TEST_F(DemoLevel, BrushesAreSolidBoxesWithOutwardSides)
{
    const int brushes = level.RecordCount(LUMP_BRUSH);
    ASSERT_GT(brushes, 0);
    for (int b = 0; b < brushes; ++b) {
        const BSPBrush& brush = level.brushes[b];
        ASSERT_EQ(brush.n_brushsides, 6);
        EXPECT_EQ(level.textures[brush.texture].contents & 1, 1);
        // The box's centre lies behind every side.
        float centre[3] = {0, 0, 0};
        for (int s = 0; s < 6; ++s) {
            const BSPPlane& plane = level.planes[level.brushsides[brush.brushside + s].plane];
            for (int a = 0; a < 3; ++a)
                centre[a] += plane.normal[a] * plane.dist / 2.0f;
        }
        for (int s = 0; s < 6; ++s) {
            const BSPPlane& plane = level.planes[level.brushsides[brush.brushside + s].plane];
            const float d = plane.normal[0] * centre[0] + plane.normal[1] * centre[1] + plane.normal[2] * centre[2] - plane.dist;
            EXPECT_LT(d, 0.0f) << "brush " << b;
        }
    }
}

TEST_F(DemoLevel, TexturesAndMaterialsDecodeFromTheRuntimeDirectory)
{
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(kestrova_test::RunDir());
    CMaterialLibrary materials;
    ReadTextures(level, materials);
    std::filesystem::current_path(previous);
    const int count = level.RecordCount(LUMP_TEXTURE);
    ASSERT_GT(count, 0);
    EXPECT_EQ(materials.materials.size(), static_cast<size_t>(count));
    bool sawJpeg = false;
    for (int t = 0; t < count; ++t) {
        Texture* texture = level.textures[t].texture;
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(texture->width, 128) << level.textures[t].name;
        EXPECT_NE(texture->pixels, nullptr) << level.textures[t].name;
        sawJpeg |= std::filesystem::exists(kestrova_test::RunDir() / (std::string(level.textures[t].name) + ".jpg"));
        EXPECT_GT(materials.materials[level.textures[t].name].diffuse[0], 0.0f);
        delete[] texture->pixels;
        delete texture;
        level.textures[t].texture = nullptr;
    }
    EXPECT_TRUE(sawJpeg);
}

TEST(GeneratedLevels, TheFixtureAndTheBenchmarkGridPassTheLoadChecks)
{
    CBSPLoader fixture(nullptr);
    EXPECT_TRUE(Read(fixture, kestrova_test::BinaryDir() / "levels/two_rooms.bsp"));
    EXPECT_EQ(fixture.visdata->n_vecs, 2);
    CBSPLoader grid(nullptr);
    ASSERT_TRUE(Read(grid, kestrova_test::BinaryDir() / "levels/grid.bsp"));
    EXPECT_GT(grid.RecordCount(LUMP_FACE), 8000);
    EXPECT_LT(grid.RecordCount(LUMP_FACE), 14000);
}
