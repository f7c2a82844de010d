// Tests of the frame driver: the loading steps, the start position, the frame's order and its
// text lines, on a device without a back-end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "level/bsp_loader.h"
#include "render/camera.h"
#include "gui/gui.h"
#include "level/entities.h"
#include "tests/support/recording_device.h"
#include "tests/support/test_system.h"
#include "test_level.h"
#include "tests/support/test_paths.h"

using namespace Tamrik;
using namespace kestrova_test;

namespace {

class FrameDriver : public ::testing::Test {
protected:
    FrameDriver()
    {
        system.mainWindow->width = 1024;
        system.mainWindow->height = 768;
        device.Create(system.mainWindow);
        gui.SetActive(false);
        device.gui = &gui;
    }

    std::vector<std::string> Frame()
    {
        device.calls.clear();
        device.RenderFrame();
        return device.calls;
    }

    // A room of three leaves (see the visibility tests) with a light in the middle one.
    void LoadRooms()
    {
        TestLevel built;
        for (int i = 0; i < 4; ++i)
            built.AddFace();
        const int32_t aMin[3] = {-100, -50, -50}, aMax[3] = {0, 50, 50};
        const int32_t bMin[3] = {0, -50, -50}, bMax[3] = {100, 50, 50};
        built.AddLeaf(0, aMin, aMax, {3, 0}, {});
        built.AddLeaf(1, bMin, bMax, {1}, {});
        built.AddNode(built.AddPlane(1, 0, 0, 0), -2, -1);
        built.LoadInto(*device.level);
        device.entities.lights = static_cast<Light*>(std::malloc(sizeof(Light)));
        new (device.entities.lights) Light();
        device.entities.lights[0].origin[0] = 50;
        device.entities.lights[0].state = 1;
        device.entities.lights[0].ID = 4;
        device.entities.lightCount = 1;
    }

    kestrova_test::ScratchDir scratch; // no Settings.ini, no level: every step finds nothing
    TestSystem system;
    RecordingDevice device{&system};
    CGUI gui{&system};
};

TEST_F(FrameDriver, LoadingTakesOneStepPerFrameWithItsMessageInBlack)
{
    const char* messages[8] = {"Reading BSP file...", "Reading textures...", "Reading models...",
                               "Reading entities...", "Loading textures...", "Loading models...", nullptr,
                               "Press any key to continue..."};
    for (int step = 0; step < 8; ++step) {
        ASSERT_EQ(device.loadingStep, step);
        std::vector<std::string> expected = {"BeginFrame", "Set2DMode", "DrawSplash"};
        if (messages[step])
            expected.push_back("DrawString " + std::string(messages[step]) + " @341,576 0,0,0");
        if (step != 6)
            expected.push_back("EndFrame");
        if (step == 4)
            expected.push_back("LoadLevelTextures");
        if (step == 5)
            expected.push_back("LoadLevelGeometry");
        EXPECT_EQ(Frame(), expected) << "step " << step;
    }
    // The wait redraws its message until a key goes down.
    EXPECT_EQ(device.loadingStep, LOADING_WAIT_FOR_KEY);
    Frame();
    EXPECT_EQ(device.loadingStep, LOADING_WAIT_FOR_KEY);
}

TEST_F(FrameDriver, TheMessageSitsAtAThirdAcrossAndThreeQuartersDown)
{
    system.mainWindow->width = 800;
    system.mainWindow->height = 601;
    EXPECT_EQ(Frame()[3], "DrawString Reading BSP file... @266,450 0,0,0");
}

TEST_F(FrameDriver, StepSixMovesTheCameraToThePlayerStart)
{
    TestLevel built;
    built.entityText = "{\n\"classname\" \"info_player_deathmatch\"\n\"origin\" \"100 -20 64\"\n}\n";
    built.LoadInto(*device.level);
    device.loadingStep = LOADING_START_POSITION;
    Frame();
    EXPECT_EQ(device.loadingStep, LOADING_WAIT_FOR_KEY);
    EXPECT_EQ(device.camera->position[0], 100.0f);
    EXPECT_EQ(device.camera->position[1], -20.0f);
    EXPECT_EQ(device.camera->position[2], 64.0f);
    EXPECT_EQ(device.camera->lookAt[0], 101.0f);
}

TEST_F(FrameDriver, AFrameRunsInOrderAndDrawsTheThreeLines)
{
    LoadRooms();
    device.loadingStep = LOADING_DONE;
    const std::vector<std::string> expected = {
        "BeginFrame", "Set3DMode", "UpdateCamera", "SetLights 2", "RenderLevel 0 1 3", "Set2DMode",
        "DrawString FPS: 0 @5,5 255,255,255", "DrawString  @5,25 255,255,255",
        "DrawString light1 off @5,45 255,255,255", "EndFrame"};
    EXPECT_EQ(Frame(), expected);
    EXPECT_TRUE(device.visibleFaces.empty());
    EXPECT_EQ(device.entities.lights[0].culled, 1);
    EXPECT_EQ(device.lastLights[1].ID, 4);

    // The second frame writes the status line.
    system.counter += 16;
    Frame();
    system.counter += 16;
    EXPECT_EQ(Frame()[7], "DrawString No collisions detected. @5,25 255,255,255");
}

TEST_F(FrameDriver, TheLightLineShowsTheLastToggle)
{
    device.loadingStep = LOADING_DONE;
    device.toggledLightId = 3;
    device.toggledLightOn = true;
    EXPECT_EQ(Frame()[8], "DrawString light3 on @5,45 255,255,255");
}

TEST_F(FrameDriver, AnActiveGUIIsDrawnBetweenTheLevelAndTheTextLinesAnInactiveOneNot)
{
    device.loadingStep = 8;
    device.LoadGUITextures(&gui); // no pictures here: empty records, the cursor's among them
    gui.SetActive(true);
    std::vector<std::string> calls = Frame();
    ASSERT_EQ(calls.size(), 11u);
    EXPECT_EQ(calls[5], "Set2DMode");
    EXPECT_EQ(calls[6], "DrawQuad"); // the cursor: no window is there
    EXPECT_EQ(calls[7].rfind("DrawString FPS", 0), 0u);
    EXPECT_EQ(device.quadTextures.back(), device.guiTextures[0].texture);

    gui.SetActive(false);
    calls = Frame();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "DrawQuad"), 0);
    EXPECT_EQ(calls.size(), 10u);
}

TEST_F(FrameDriver, TheFirstCameraUpdateOnlyStartsTheClock)
{
    LoadRooms();
    device.loadingStep = LOADING_DONE;
    device.camera->moveForward = true;
    device.camera->yawDelta = 1.0f;
    system.counter = 5000;
    Frame();
    EXPECT_EQ(device.lastCameraUpdate, 5000u);
    EXPECT_EQ(device.camera->position[0], 0.0f);
    EXPECT_EQ(device.camera->yawDelta, 1.0f);
    EXPECT_STREQ(device.statusText, "");

    device.camera->yawDelta = 0.0f;
    system.counter = 5500; // half a second at 1000 ticks per second
    Frame();
    EXPECT_NEAR(device.camera->position[0], 100.0f, 1e-3f);
    EXPECT_STREQ(device.statusText, "No collisions detected.");
}

TEST_F(FrameDriver, AFrameOnALevelThatWasNotReadTurnsTheCameraAndDrawsItsLines)
{
    device.loadingStep = LOADING_DONE;
    device.camera->moveForward = true;
    Frame();
    system.counter += 500;
    device.camera->yawDelta = 0.5f;
    const std::vector<std::string> calls = Frame();
    EXPECT_EQ(calls[3], "SetLights 1");
    EXPECT_EQ(calls[4], "RenderLevel");
    EXPECT_EQ(calls.size(), 10u);
    EXPECT_EQ(device.camera->position[0], 0.0f);
    EXPECT_NEAR(device.camera->forward[1], std::sin(0.5f), 1e-6f);
}

TEST_F(FrameDriver, AMissingLevelStillLeadsToTheWaitAndToFrames)
{
    for (int i = 0; i < 8; ++i)
        Frame();
    EXPECT_EQ(device.loadingStep, LOADING_WAIT_FOR_KEY);
    device.HandleKeyDown(57, 0);
    EXPECT_EQ(device.loadingStep, LOADING_DONE);
    EXPECT_EQ(Frame().back(), "EndFrame");
}

} // namespace
