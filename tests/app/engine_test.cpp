// The engine object: its construction order, the renderer choice with its warning, and a run
// whose window cannot be opened, in the test and as the real program without a display.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/engine.h"
#include "core/log.h"
#include "core/system.h"
#include "gui/gui.h"
#include "render/direct3d/direct3d_device.h"
#include "render/opengl/opengl_device.h"
#include "script/virtual_machine.h"
#include "tests/support/recording_log.h"
#include "tests/support/test_paths.h"

using namespace Tamrik;
using kestrova_test::ReadFile;
using kestrova_test::RecordingLog;
using kestrova_test::WriteFile;

namespace {

const char WARNING[] = "Warning: unknown renderer specified, switching to default.\r\n";

struct RendererCase {
    const char* renderer;   // the whole [Display] Renderer line, or "" for none
    bool direct3D;
    bool warning;
};

TEST(EngineConstruction, TheRendererSettingChoosesTheDeviceAndWarnsAboutUnknownValues)
{
    const RendererCase cases[] = {
        {"Renderer = \"Direct3D\"", true, false},
        {"Renderer = \"OpenGL\"", false, false},
        {"Renderer = Open GL", false, false},
        {"Renderer = \"direct3d\"", false, true},
        {"Renderer = \"Direct3D \"", false, true},
        {"Renderer = \"\"", false, true},
        {"", false, true},
    };
    for (const RendererCase& c : cases) {
        kestrova_test::ScratchDir scratch;
        WriteFile("Settings.ini",
                  std::string("[Display]\r\n") + c.renderer + "\r\n[Game]\r\nLog = \"true\"\r\n");
        CEngine engine;
        ASSERT_NE(engine.device, nullptr) << c.renderer;
        EXPECT_EQ(dynamic_cast<CDirect3DRenderDevice*>(engine.device) != nullptr, c.direct3D)
            << c.renderer;
        EXPECT_EQ(dynamic_cast<COpenGLRenderDevice*>(engine.device) != nullptr, !c.direct3D)
            << c.renderer;
        EXPECT_EQ(ReadFile("log.txt"), c.warning ? WARNING : "") << c.renderer;
    }
}

TEST(EngineConstruction, SystemDeviceAndGuiComeUpInOrderAndRegisterThemselves)
{
    kestrova_test::ScratchDir scratch;
    CEngine engine;
    ASSERT_NE(engine.system, nullptr);
    ASSERT_NE(engine.gui, nullptr);
    const auto& registry = engine.system->vm->registry;
    EXPECT_EQ(registry.at("System"), engine.system);
    EXPECT_EQ(registry.at("RenderDevice"), engine.device);
    EXPECT_EQ(registry.at("GUI"), engine.gui);
    EXPECT_FALSE(engine.gui->GetActive());
    EXPECT_FALSE(engine.device->GetShaderUsage());
    EXPECT_FALSE(engine.system->quit);
    // The log was off, so the warning went nowhere.
    EXPECT_FALSE(std::filesystem::exists("log.txt"));
}

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name(name)
    {
        const char* old = std::getenv(name);
        hadOld = old != nullptr;
        if (old)
            oldValue = old;
        setenv(name, value, 1);
    }
    ~ScopedEnv()
    {
        if (hadOld)
            setenv(name, oldValue.c_str(), 1);
        else
            unsetenv(name);
    }

private:
    const char* name;
    bool hadOld = false;
    std::string oldValue;
};

TEST(EngineRun, AWindowThatCannotBeOpenedEndsTheRunAfterTheFailureLine)
{
    kestrova_test::ScratchDir scratch;
    WriteFile("Settings.ini", "[Display]\r\nWidth = \"800\"\r\nHeight = \"600\"\r\n"
                              "Renderer = \"OpenGL\"\r\n[Game]\r\nLog = \"true\"\r\n");
    // An X display that cannot exist.
    ScopedEnv driver("SDL_VIDEODRIVER", "x11");
    ScopedEnv display("DISPLAY", ":65531");
    CEngine engine;
    RecordingLog* log = new RecordingLog(engine.system);
    delete engine.system->log;
    engine.system->log = log;

    engine.Run();

    EXPECT_EQ(ReadFile("log.txt"), ".:: CEngine::Run() started ::.\r\n"
                                   "main_thread: Creating main window...\r\n"
                                   "main_thread: Failed creating main window!\r\n");
    EXPECT_EQ(log->messages, (std::vector<std::string>{"Error|Unable to create window."}));
    EXPECT_FALSE(engine.system->quit);
}

// SDL would fall back to a driver that shows nothing; the viewer must not.
TEST(Program, WithoutADisplayReportsTheWindowOnStandardErrorAndEnds)
{
    kestrova_test::ScratchDir scratch;
    WriteFile("Settings.ini", "[Display]\r\nWidth = \"800\"\r\nHeight = \"600\"\r\n"
                              "Renderer = \"OpenGL\"\r\n[Game]\r\nLog = \"true\"\r\n");
    // No X display, and a runtime folder without a Wayland socket.
    const std::string command =
        "env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER -u KESTROVA_NO_MESSAGE_BOX XDG_RUNTIME_DIR='" +
        scratch.Path().string() + "' timeout -s KILL 30 '" + (kestrova_test::RunDir() / "Kestrova").string() + "' 2>stderr.txt";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadFile("stderr.txt"), "Error: Unable to create window.\n");
    EXPECT_EQ(ReadFile("log.txt"), ".:: CEngine::Run() started ::.\r\n"
                                   "main_thread: Creating main window...\r\n"
                                   "main_thread: Failed creating main window!\r\n");
}

} // namespace
