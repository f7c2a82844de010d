// The render device's scene-object side without a back-end: construction, the listener
// subscriptions, the registry entry, the GUI pictures and the font set-up.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/system.h"
#include "render/camera.h"
#include "render/render_device.h"
#include "script/virtual_machine.h"
#include "tests/support/recording_device.h"
#include "tests/support/test_paths.h"

using namespace Tamrik;
using namespace kestrova_test;

namespace {

class InspectableSystem : public CWin32System {
public:
    std::vector<void*> Objects(InputEvent kind)
    {
        std::vector<void*> objects;
        for (const auto& entry : listeners[kind].records)
            objects.push_back(entry.listener.object);
        return objects;
    }
};

class RenderDevice : public testing::Test {
protected:
    kestrova_test::ScratchDir scratch;
    InspectableSystem system;
};

TEST_F(RenderDevice, StartsWaitingWithEverythingEmpty)
{
    RecordingDevice device(&system);
    EXPECT_FALSE(device.GetShaderUsage());
    EXPECT_FALSE(device.shaderProgramLinked);
    EXPECT_EQ(device.loadingStep, LOADING_READ_BSP_FILE);
    EXPECT_EQ(device.gui, nullptr);
    EXPECT_EQ(device.toggledLightId, 1);
    EXPECT_FALSE(device.toggledLightOn);
    EXPECT_STREQ(device.statusText, "");
    EXPECT_EQ(device.splash.handle, 0u);
    EXPECT_EQ(device.lastCameraUpdate, 0u);
    EXPECT_EQ(device.timerFrequency, static_cast<uint64_t>(system.GetFrequency()));
    EXPECT_TRUE(device.visibleFaces.empty());
    EXPECT_TRUE(device.guiTextures.empty());
    EXPECT_EQ(device.entities.lightCount, 0);
    EXPECT_EQ(device.entities.buttonTemplate.target, -1);
    EXPECT_FLOAT_EQ(device.entities.buttonTemplate.radius, 60.0f);
    ASSERT_NE(device.camera, nullptr);
    EXPECT_FLOAT_EQ(device.camera->lookAt[0], 1.0f);
    EXPECT_NE(device.level, nullptr);
    EXPECT_NE(device.materials, nullptr);
    EXPECT_TRUE(device.Destroy());
}

TEST_F(RenderDevice, ListensToFourListsAndRegistersItself)
{
    RecordingDevice device(&system);
    for (InputEvent kind : {INPUT_MOUSE_MOVE, INPUT_MOUSE_BUTTON_DOWN, INPUT_KEY_DOWN, INPUT_KEY_UP})
        EXPECT_EQ(system.Objects(kind), std::vector<void*>{&device}) << kind;
    for (InputEvent kind : {INPUT_MOUSE_BUTTON_UP, INPUT_MOUSE_WHEEL, INPUT_CHAR})
        EXPECT_TRUE(system.Objects(kind).empty()) << kind;
    EXPECT_EQ(system.vm->registry["RenderDevice"], &device);
}

TEST_F(RenderDevice, ReadsTheTwentyOneGUIPicturesAndReleasesThem)
{
    // One picture present, a 2 x 1 uncompressed 24-bit TGA; the rest missing.
    kestrova_test::WriteFile("gui/textures/checkbox.tga",
                             std::string("\0\0\2\0\0\0\0\0\0\0\0\0\2\0\1\0\x18\0" "\1\2\3\4\5\6", 24));
    RecordingDevice device(&system);
    CGUI* gui = reinterpret_cast<CGUI*>(&system); // only stored
    device.LoadGUITextures(gui);
    EXPECT_EQ(device.gui, gui);
    ASSERT_EQ(device.guiTextures.size(), 21u);
    EXPECT_EQ(device.guiTextures[0].path, "gui/textures/cursor.tga");
    EXPECT_EQ(device.guiTextures[20].path, "gui/textures/radiobutton_checked_highlighted.tga");
    Texture* checkbox = device.guiTextures[13].texture;
    ASSERT_NE(checkbox, nullptr);
    EXPECT_EQ(checkbox->width, 2);
    ASSERT_NE(checkbox->pixels, nullptr);
    EXPECT_EQ(checkbox->pixels[0], 3);
    for (auto& [id, entry] : device.guiTextures) {
        ASSERT_NE(entry.texture, nullptr);
        if (id != 13) {
            EXPECT_EQ(entry.texture->pixels, nullptr) << id;
        }
    }
    device.ReleaseGUITextures();
    EXPECT_EQ(device.gui, nullptr);
    EXPECT_TRUE(device.guiTextures.empty());
}

TEST_F(RenderDevice, InitFontMakesRoomForOneTextureNamePerGlyph)
{
    std::filesystem::create_directories("fonts");
    std::filesystem::copy_file(kestrova_test::RunDir() / "fonts/arial.ttf", "fonts/arial.ttf");
    RecordingDevice device(&system);
    device.InitFont();
    ASSERT_NE(device.font.glyphs, nullptr);
    ASSERT_NE(device.glyphTextures, nullptr);
    for (int i = 0; i < device.font.count; ++i)
        EXPECT_EQ(device.glyphTextures[i], 0u);
}

TEST_F(RenderDevice, InitFontWithoutTheFontStillMakesTheNames)
{
    RecordingDevice device(&system);
    device.InitFont();
    EXPECT_EQ(device.font.glyphs, nullptr);
    EXPECT_EQ(device.font.count, 255);
    EXPECT_NE(device.glyphTextures, nullptr);
}

} // namespace

#include "core/main_window.h"
#include "render/opengl/opengl_device.h"

namespace {

TEST_F(RenderDevice, OpenGLDeviceWithoutAWindowFailsAndStaysInert)
{
    Tamrik::COpenGLRenderDevice device(&system);
    EXPECT_FALSE(device.Create(system.mainWindow)); // the window was never opened
    EXPECT_EQ(device.renderingContext, nullptr);
    // Nothing reaches OpenGL without a context.
    device.InitFont();
    device.CreateTextFont();
    EXPECT_EQ(device.glyphListBase, 0u);
    device.LoadGUITextures(nullptr);
    device.BeginFrame();
    device.Set3DMode();
    device.UpdateCamera();
    device.RenderLevel();
    device.Set2DMode();
    device.DrawSplash();
    device.DrawString("text", 1, 2, 3, 4, 5);
    Tamrik::ScreenQuad quad;
    device.DrawQuad(&quad, device.guiTextures[0].texture);
    device.EndFrame();
    device.LoadLevelTextures();
    device.LoadLevelGeometry();
    device.ReleaseLevelGeometry();
    device.ReleaseLevelTextures();
    device.ReleaseTextFont();
    device.ReleaseGUITextures();
    EXPECT_TRUE(device.Destroy());
}

} // namespace
