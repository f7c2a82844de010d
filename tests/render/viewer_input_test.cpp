// Tests of the device's four listeners in each state: loading, the wait, running with the GUI
// shown or hidden.
#include <gtest/gtest.h>

#include <cstdlib>

#include "render/camera.h"
#include "scene_device.h"
#include "tests/support/test_paths.h"

namespace Tamrik {
namespace {

constexpr int32_t KEY_UP = 200, KEY_DOWN = 208, KEY_LEFT = 203, KEY_RIGHT = 205, KEY_F9 = 67, KEY_F10 = 68;

class ViewerInput : public ::testing::Test {
protected:
    ViewerInput()
    {
        device.gui = &gui;
        device.loadingStep = LOADING_DONE;
    }

    void GUIShown(bool shown) { gui.SetActive(shown); }

    // Fires through the system's lists, as the input poll does.
    void KeyDown(int32_t code) { system.FireKeyDown(code); }
    void KeyUp(int32_t code) { system.FireKeyUp(code); }

    void AddSwitchAndLight(float x, int32_t id)
    {
        device.entities.lights = static_cast<Light*>(std::malloc(sizeof(Light)));
        new (device.entities.lights) Light();
        device.entities.lights[0].ID = id;
        device.entities.lightCount = 1;
        device.entities.buttons = static_cast<FuncButton*>(std::malloc(sizeof(FuncButton)));
        new (device.entities.buttons) FuncButton();
        device.entities.buttons[0].target = id;
        device.entities.buttons[0].centre[0] = x;
        device.entities.buttonCount = 1;
    }

    kestrova_test::ScratchDir scratch;
    ManualClockSystem system;
    SceneDevice device{&system};
    CGUI gui{&system};
    CCamera& camera = *device.camera;
};

TEST_F(ViewerInput, DuringLoadingNothingReacts)
{
    for (int32_t step = 0; step < 7; ++step) {
        device.loadingStep = step;
        KeyDown(KEY_UP);
        KeyUp(KEY_F9);
        system.FireMouseMove(30, 30);
        EXPECT_EQ(device.loadingStep, step);
    }
    EXPECT_FALSE(camera.moveForward);
    EXPECT_FALSE(device.shaderUsage);
    EXPECT_EQ(camera.yawDelta, 0.0f);
}

TEST_F(ViewerInput, TheKeyThatEndsTheWaitOnlyEndsIt)
{
    device.loadingStep = LOADING_WAIT_FOR_KEY;
    KeyDown(KEY_UP);
    EXPECT_EQ(device.loadingStep, LOADING_DONE);
    EXPECT_FALSE(camera.moveForward);
    KeyUp(KEY_UP);
    EXPECT_FALSE(camera.moveForward);
}

TEST_F(ViewerInput, OppositeArrowsNeverHoldBothFlags)
{
    KeyDown(KEY_LEFT);
    KeyDown(KEY_RIGHT);
    EXPECT_FALSE(camera.moveLeft);
    EXPECT_TRUE(camera.moveRight);
    KeyUp(KEY_RIGHT);
    EXPECT_FALSE(camera.moveRight);
    EXPECT_FALSE(camera.moveLeft); // Left is still held, but its flag went with Right

    KeyDown(KEY_UP);
    KeyDown(KEY_DOWN);
    EXPECT_FALSE(camera.moveForward);
    EXPECT_TRUE(camera.moveBack);
    KeyUp(KEY_DOWN);
    EXPECT_FALSE(camera.moveBack);
}

TEST_F(ViewerInput, MouseLookTurnsThreeHundredCountsPerRadian)
{
    system.FireMouseMove(300, -150);
    EXPECT_FLOAT_EQ(camera.yawDelta, -1.0f);
    EXPECT_FLOAT_EQ(camera.pitchDelta, 0.5f);
    system.FireMouseMove(150, 0);
    EXPECT_FLOAT_EQ(camera.yawDelta, -1.5f);
}

TEST_F(ViewerInput, WithTheGUIShownKeysAndMouseLookAreIgnoredButF10HidesIt)
{
    GUIShown(true);
    KeyDown(KEY_UP);
    system.FireMouseMove(100, 100);
    KeyUp(KEY_F9);
    EXPECT_FALSE(camera.moveForward);
    EXPECT_EQ(camera.yawDelta, 0.0f);
    EXPECT_FALSE(device.shaderUsage);
    KeyUp(KEY_F10);
    EXPECT_FALSE(gui.GetActive());
    KeyUp(KEY_F10);
    EXPECT_TRUE(gui.GetActive());
}

TEST_F(ViewerInput, AnArrowReleasedWhileTheGUIIsShownKeepsItsFlag)
{
    KeyDown(KEY_UP);
    GUIShown(true);
    KeyUp(KEY_UP);
    EXPECT_TRUE(camera.moveForward);
    GUIShown(false);
    KeyDown(KEY_UP);
    KeyUp(KEY_UP);
    EXPECT_FALSE(camera.moveForward);
}

TEST_F(ViewerInput, F9FlipsTheShaderSwitchOnRelease)
{
    KeyDown(KEY_F9);
    EXPECT_FALSE(device.shaderUsage);
    KeyUp(KEY_F9);
    EXPECT_TRUE(device.shaderUsage);
    KeyUp(KEY_F9);
    EXPECT_FALSE(device.shaderUsage);
    device.SetShaderUsage(true);
    KeyUp(KEY_F9);
    EXPECT_FALSE(device.GetShaderUsage());
}

TEST_F(ViewerInput, TheLeftButtonUsesSwitchesWithTheGUIShownOrNotButNotDuringLoading)
{
    AddSwitchAndLight(30, 3);
    device.loadingStep = LOADING_WAIT_FOR_KEY;
    system.FireMouseButtonDown(0);
    EXPECT_EQ(device.entities.lights[0].state, 0);

    device.loadingStep = LOADING_DONE;
    system.FireMouseButtonDown(1);
    EXPECT_EQ(device.entities.lights[0].state, 0);
    system.FireMouseButtonDown(0);
    EXPECT_EQ(device.entities.lights[0].state, 1);
    EXPECT_EQ(device.toggledLightId, 3);
    EXPECT_TRUE(device.toggledLightOn);

    GUIShown(true);
    system.FireMouseButtonDown(0);
    EXPECT_EQ(device.entities.lights[0].state, 0);
    EXPECT_FALSE(device.toggledLightOn);
}

} // namespace
} // namespace Tamrik
