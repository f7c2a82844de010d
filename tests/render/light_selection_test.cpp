// Tests of the frame's light list and of using switches.
#include <gtest/gtest.h>

#include <cstdlib>

#include "level/entities.h"
#include "render/camera.h"
#include "render/light_selection.h"
#include "render/switch_use.h"

namespace Tamrik {
namespace {

class Scene : public ::testing::Test {
protected:
    Light& AddLight(int32_t id, int32_t state)
    {
        entities.lights = static_cast<Light*>(std::realloc(entities.lights, sizeof(Light) * (entities.lightCount + 1)));
        Light light;
        light.ID = id;
        light.state = state;
        entities.lights[entities.lightCount] = light;
        return entities.lights[entities.lightCount++];
    }

    FuncButton& AddButton(int32_t target, float x, float y, float z)
    {
        entities.buttons =
            static_cast<FuncButton*>(std::realloc(entities.buttons, sizeof(FuncButton) * (entities.buttonCount + 1)));
        FuncButton button;
        button.target = target;
        button.centre[0] = x;
        button.centre[1] = y;
        button.centre[2] = z;
        entities.buttons[entities.buttonCount] = button;
        return entities.buttons[entities.buttonCount++];
    }

    CEntitySet entities;
    CCamera camera;
    Light list[MAX_FRAME_LIGHTS];
    int32_t toggledLightId = 1;
    bool toggledLightOn = false;
};

TEST_F(Scene, WithNoLightSwitchedOnOnlyTheCamerasSpotLightIsListed)
{
    AddLight(1, 1);
    ResetFrameLights(list, entities);
    EXPECT_EQ(BuildLightList(list, camera, entities), 1);
}

TEST_F(Scene, TheSpotLightIsBuiltInOpenGLAxisOrder)
{
    camera.position[0] = 1;
    camera.position[1] = 2;
    camera.position[2] = 3;
    camera.lookAt[0] = 1.5f;
    camera.lookAt[1] = 2;
    camera.lookAt[2] = 4;
    ResetFrameLights(list, entities);
    BuildLightList(list, camera, entities);
    const Light& spot = list[0];
    EXPECT_EQ(spot.origin[0], 2.0f);
    EXPECT_EQ(spot.origin[1], 3.0f);
    EXPECT_EQ(spot.origin[2], 1.0f);
    EXPECT_EQ(spot.origin[3], 1.0f);
    EXPECT_EQ(spot.spotDirection[0], 0.0f);
    EXPECT_EQ(spot.spotDirection[1], 1.0f);
    EXPECT_EQ(spot.spotDirection[2], 0.5f);
    EXPECT_EQ(spot.ambient[0], 0.0f);
    EXPECT_EQ(spot.ambient[3], 1.0f);
    EXPECT_EQ(spot.diffuse[1], 1.0f);
    EXPECT_EQ(spot.specular[2], 1.0f);
    EXPECT_EQ(spot.spotExponention, 60.0f);
    EXPECT_EQ(spot.spotAngle, 0.6f);
    EXPECT_EQ(spot.constAtten, 0.5f);
    EXPECT_EQ(spot.linAtten, -0.001f);
    EXPECT_EQ(spot.quadAtten, 0.0005f);
    EXPECT_EQ(spot.ID, -1);
    EXPECT_EQ(spot.culled, 0);
}

TEST_F(Scene, MoreThanSixtyThreeLightsFillTheListInArrayOrderAndAllEndCulled)
{
    for (int32_t i = 0; i < 70; ++i)
        AddLight(100 + i, 1);
    ResetFrameLights(list, entities);
    for (int32_t i = 0; i < 70; ++i)
        entities.lights[i].culled = 0;
    entities.lights[0].origin[0] = 42;
    EXPECT_EQ(BuildLightList(list, camera, entities), 64);
    EXPECT_EQ(list[1].ID, 100);
    EXPECT_EQ(list[1].origin[0], 42.0f); // copied as the set holds it, not reordered
    EXPECT_EQ(list[63].ID, 162);
    for (int32_t i = 0; i < 70; ++i)
        EXPECT_EQ(entities.lights[i].culled, 1);
}

TEST_F(Scene, ResettingGivesEveryRecordTheLightDefaults)
{
    list[10].ID = 9;
    list[10].state = 1;
    AddLight(1, 1).culled = 0;
    ResetFrameLights(list, entities);
    EXPECT_EQ(list[10].ID, -1);
    EXPECT_EQ(list[10].state, 0);
    EXPECT_EQ(list[10].culled, 1);
    EXPECT_EQ(list[10].spotAngle, 0.4f);
    EXPECT_EQ(entities.lights[0].culled, 1);
}

TEST_F(Scene, AClickInReachAndInFrontTogglesTheFirstLightOfTheTarget)
{
    AddLight(3, 0);
    AddLight(3, 0);
    AddButton(3, 40, 0, 0);
    UseSwitches(entities, camera, toggledLightId, toggledLightOn);
    EXPECT_EQ(entities.lights[0].state, 1);
    EXPECT_EQ(entities.lights[1].state, 0);
    EXPECT_EQ(toggledLightId, 3);
    EXPECT_TRUE(toggledLightOn);
    UseSwitches(entities, camera, toggledLightId, toggledLightOn);
    EXPECT_EQ(entities.lights[0].state, 0);
    EXPECT_FALSE(toggledLightOn);
}

TEST_F(Scene, SwitchesBehindOutOfReachOrWithoutTargetDoNothing)
{
    AddLight(3, 0);
    AddLight(-1, 0);
    AddButton(3, -40, 0, 0);  // behind
    AddButton(3, 60, 0, 0);   // exactly at reach
    AddButton(3, 0, 50, 0);   // beside: not in front
    AddButton(-1, 40, 0, 0);  // no target
    AddButton(8, 40, 0, 0);   // no light with that ID
    UseSwitches(entities, camera, toggledLightId, toggledLightOn);
    EXPECT_EQ(entities.lights[0].state, 0);
    EXPECT_EQ(entities.lights[1].state, 0);
    EXPECT_EQ(toggledLightId, 1);
    EXPECT_FALSE(toggledLightOn);
}

TEST_F(Scene, TwoSwitchesInReachForOneLightCancelOut)
{
    AddLight(5, 0);
    AddButton(5, 30, 0, 0);
    AddButton(5, 30, 10, 0);
    UseSwitches(entities, camera, toggledLightId, toggledLightOn);
    EXPECT_EQ(entities.lights[0].state, 0);
    EXPECT_EQ(toggledLightId, 5);
    EXPECT_FALSE(toggledLightOn);
}

} // namespace
} // namespace Tamrik
