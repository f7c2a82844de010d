// The scene logic on the generated levels, as the level generator builds their trees, brushes and
// visibility: walking stays inside the rooms, the doorway lets the camera through, a switch
// reached on foot turns its light on, and random walks never leave the level.
#include <gtest/gtest.h>

#include <chrono>

#include "core/ini_file.h"
#include "level/bsp_loader.h"
#include "level/entities.h"
#include "level/level_reading.h"
#include "render/camera.h"
#include "render/camera_update.h"
#include "render/face_set.h"
#include "render/light_selection.h"
#include "render/start_position.h"
#include "render/switch_use.h"
#include "render/vector_math.h"
#include "render/visibility.h"
#include "tests/support/level_walk.h"
#include "tests/support/test_paths.h"

namespace Tamrik {
namespace {

// Rooms (0..256) and (272..528) along x, 256 deep and 192 high, a doorway at y 80..176.
class TwoRooms : public ::testing::Test {
protected:
    void SetUp() override
    {
        IniMap settings;
        settings["Game"]["Map"] = (kestrova_test::BinaryDir() / "levels/two_rooms.bsp").string();
        ASSERT_TRUE(ReadBSPFile(level, settings, nullptr));
        ReadEntities(level, entities);
        ApplyStartPosition(level.EntityText(), camera);
        ASSERT_EQ(camera.position[0], 64.0f);
    }

    // Runs frames of 1/60 s, checking that the camera's sphere never leaves the rooms.
    void Walk(int frames)
    {
        for (int i = 0; i < frames; ++i) {
            TurnAndMoveCamera(camera, &level, 1.0 / 60.0, status, sizeof status);
            const float x = camera.position[0], y = camera.position[1];
            const bool inFirst = x >= 10 && x <= 246;
            const bool inSecond = x >= 282 && x <= 518;
            const bool inDoorway = x > 246 && x < 282 && y >= 90 && y <= 166;
            ASSERT_TRUE(inFirst || inSecond || inDoorway) << "frame " << i << " at " << x << ", " << y;
            ASSERT_GE(y, 10.0f);
            ASSERT_LE(y, 246.0f);
        }
    }

    CBSPLoader level{nullptr};
    CEntitySet entities;
    CCamera camera;
    char status[256] = "";
};

TEST_F(TwoRooms, WalkingAheadGoesThroughTheDoorwayAndStopsAtTheFarWall)
{
    camera.moveForward = true;
    Walk(600);
    EXPECT_LE(camera.position[0], 518.0f);
    EXPECT_GT(camera.position[0], 514.0f);
}

TEST_F(TwoRooms, WalkingIntoACornerSlidesAlongTheWallsIntoIt)
{
    camera.yawDelta = 0.7853982f; // face (1, 1, 0)
    camera.moveForward = true;
    Walk(300);
    EXPECT_GT(camera.position[0], 240.0f);
    EXPECT_GT(camera.position[1], 240.0f);
}

TEST_F(TwoRooms, OnlyTheLightThatIsOnIsListedUntilASwitchReachedOnFootTurnsTheOtherOn)
{
    CFaceSet faces;
    Light lights[MAX_FRAME_LIGHTS];
    ResetFrameLights(lights, entities);
    CollectVisible(level, camera.position, entities, faces);
    EXPECT_FALSE(faces.empty());
    ASSERT_EQ(BuildLightList(lights, camera, entities), 2);
    EXPECT_EQ(lights[1].ID, 1);

    // Through the doorway to the far wall, then sideways to the wall with light 2's switch.
    camera.moveForward = true;
    Walk(600);
    camera.moveForward = false;
    camera.moveRight = true;
    Walk(120);
    int32_t toggledId = 1;
    bool toggledOn = false;
    UseSwitches(entities, camera, toggledId, toggledOn);
    EXPECT_EQ(toggledId, 2);
    EXPECT_TRUE(toggledOn);

    faces.clear();
    ResetFrameLights(lights, entities);
    CollectVisible(level, camera.position, entities, faces);
    const int32_t count = BuildLightList(lights, camera, entities);
    bool listed = false;
    for (int32_t i = 1; i < count; ++i)
        listed = listed || lights[i].ID == 2;
    EXPECT_TRUE(listed);
}

bool ReadLevel(CBSPLoader& level, const std::filesystem::path& path)
{
    IniMap settings;
    settings["Game"]["Map"] = path.string();
    return ReadBSPFile(level, settings, nullptr);
}

// The north gallery's wall at y = 784, grown by the radius to y = 774.
TEST(DemoLevelWalk, AShortStepFromJustBeforeAWallNeverEndsInItNorPassesThrough)
{
    CBSPLoader level(nullptr);
    ASSERT_TRUE(ReadLevel(level, kestrova_test::RunDir() / "maps/demo.bsp"));
    const kestrova_test::LevelWalk walk(level);
    CCamera camera;
    camera.position[0] = 100.0f;
    camera.position[1] = 773.994f;
    camera.position[2] = 64.0f;
    camera.forward[0] = 0.0f;
    camera.forward[1] = 1.0f;
    camera.right[0] = 1.0f;
    camera.right[1] = 0.0f;
    camera.moveForward = true;
    char status[64];
    // 0.014 units, then ordinary steps: the camera stays before the wall.
    TurnAndMoveCamera(camera, &level, 0.014 / 200.0, status, sizeof status);
    EXPECT_LT(camera.position[1], 774.0f);
    for (int i = 0; i < 60; ++i) {
        TurnAndMoveCamera(camera, &level, 1.0 / 60.0, status, sizeof status);
        ASSERT_LT(camera.position[1], 774.0f) << "frame " << i;
    }
    EXPECT_EQ(walk.SolidBrushAt(camera.position), -1);

    // Put inside the grown wall, it cannot go deeper, but it can go along it and back out.
    camera.position[1] = 776.0f;
    TurnAndMoveCamera(camera, &level, 1.0 / 60.0, status, sizeof status);
    EXPECT_LE(camera.position[1], 776.0f);
    camera.moveForward = false;
    camera.moveRight = true;
    TurnAndMoveCamera(camera, &level, 1.0 / 60.0, status, sizeof status);
    EXPECT_NEAR(camera.position[0], 100.0f + 200.0f / 60.0f, 0.01f);
    EXPECT_LE(camera.position[1], 776.0f);
    camera.moveRight = false;
    camera.moveBack = true;
    for (int i = 0; i < 3; ++i)
        TurnAndMoveCamera(camera, &level, 1.0 / 60.0, status, sizeof status);
    EXPECT_LT(camera.position[1], 774.0f);
}

// Frame times between 2 and 33 ms, keys and mouse at random, for a second and a half per level
// at most (fewer walks in a sanitizer build); the longer run is in bench/camera_walk_bench.cpp.
TEST(RandomWalks, NeverLeaveTheDemoOrTheGridLevelNorEndAFrameInABrush)
{
    for (const auto& path : {kestrova_test::RunDir() / "maps/demo.bsp", kestrova_test::BinaryDir() / "levels/grid.bsp"}) {
        CBSPLoader level(nullptr);
        ASSERT_TRUE(ReadLevel(level, path)) << path;
        const kestrova_test::LevelWalk walk(level);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
        for (uint32_t seed = 1; seed <= 12 && (seed == 1 || std::chrono::steady_clock::now() < deadline); ++seed) {
            const kestrova_test::WalkResult walked = walk.Walk(seed, 2500);
            EXPECT_EQ(walked.frame, -1) << path << " seed " << seed << ": in brush " << walked.brush << " at "
                                        << walked.where[0] << ", " << walked.where[1] << ", " << walked.where[2];
            // Walls take a little away; a camera that sticks to them instead of sliding, much more.
            EXPECT_GT(walked.travelled, 0.8 * walked.wanted) << path << " seed " << seed;
        }
    }
}

} // namespace
} // namespace Tamrik
