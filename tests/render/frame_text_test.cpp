// Tests of the frame's text sources: the start position rule and the frame-rate line.
#include <gtest/gtest.h>

#include "render/camera.h"
#include "render/frame_rate.h"
#include "render/start_position.h"

using namespace Tamrik;

namespace {

TEST(StartPosition, TheFirstPlayerStartsOriginMovesPositionAndLookAtAlike)
{
    CCamera camera;
    ApplyStartPosition("{\n\"classname\" \"light\"\n\"origin\" \"5 5 5\"\n}\n"
                       "{\n\"classname\" \"info_player_deathmatch\"\n\"angle\" \"90\"\n\"origin\" \"-64 128 40\"\n}\n"
                       "{\n\"classname\" \"info_player_deathmatch\"\n\"origin\" \"1 1 1\"\n}\n",
                       camera);
    EXPECT_EQ(camera.position[0], -64.0f);
    EXPECT_EQ(camera.position[1], 128.0f);
    EXPECT_EQ(camera.position[2], 40.0f);
    EXPECT_EQ(camera.lookAt[0], -63.0f);
    EXPECT_EQ(camera.lookAt[1], 128.0f);
    EXPECT_EQ(camera.lookAt[2], 40.0f);
}

TEST(StartPosition, WithoutAPlayerStartTheCameraStaysAtItsConstructorPosition)
{
    CCamera camera;
    ApplyStartPosition("{\n\"classname\" \"light\"\n\"origin\" \"5 5 5\"\n}\n", camera);
    ApplyStartPosition("{ \"classname\" \"info_player_deathmatch\" }", camera);
    ApplyStartPosition("", camera);
    ApplyStartPosition(nullptr, camera);
    EXPECT_EQ(camera.position[0], 0.0f);
    EXPECT_EQ(camera.lookAt[0], 1.0f);
}

TEST(StartPosition, MissingNumbersCountAsZeroAndNothingIsReadPastTheText)
{
    CCamera camera;
    ApplyStartPosition("\"classname\" \"info_player_deathmatch\" \"origin\" \"10 20\"", camera);
    EXPECT_EQ(camera.position[0], 10.0f);
    EXPECT_EQ(camera.position[1], 20.0f);
    EXPECT_EQ(camera.position[2], 0.0f);

    CCamera cut;
    // "origin" at the very end: the value would start past the terminator.
    ApplyStartPosition("info_player_deathmatch origin\"", cut);
    ApplyStartPosition("info_player_deathmatch origin\" \"abc 7 7\"", cut);
    EXPECT_EQ(cut.position[0], 0.0f);
    EXPECT_EQ(cut.position[1], 0.0f);

    CCamera huge;
    ApplyStartPosition("info_player_deathmatch origin\" \"99999999999 -99999999999 3\"", huge);
    EXPECT_EQ(huge.position[0], 2147483647.0f);
    EXPECT_EQ(huge.position[1], -2147483648.0f);
    EXPECT_EQ(huge.position[2], 3.0f);
}

TEST(FrameRate, ReadsZeroUntilASecondHasGatheredThenCountsAndCarriesTheRest)
{
    CFrameRate rate;
    const uint64_t frequency = 1024;
    for (int i = 0; i < 128; ++i)
        rate.Count(8, frequency); // exactly one second: not yet more than one
    EXPECT_STREQ(rate.Text(), "FPS: 0");
    rate.Count(8, frequency);
    EXPECT_STREQ(rate.Text(), "FPS: 129");
    EXPECT_EQ(rate.frames, 0);
    EXPECT_EQ(rate.accumulated, 8.0 / 1024);

    // A slow frame of 2.5 s: the line changes at once, and the carried 1.5 s changes it again.
    rate.Count(2560, frequency);
    EXPECT_STREQ(rate.Text(), "FPS: 1");
    rate.Count(1, frequency);
    EXPECT_STREQ(rate.Text(), "FPS: 1");
    EXPECT_EQ(rate.frames, 0);
}

TEST(FrameRate, AZeroFrequencyLeavesTheLineAlone)
{
    CFrameRate rate;
    rate.Count(1000000, 0);
    EXPECT_STREQ(rate.Text(), "FPS: 0");
    EXPECT_EQ(rate.accumulated, 0.0);
}

} // namespace
