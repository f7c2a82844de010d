// The settings file read when the tool opens, what its controls show for a settings map, and what
// a save stores back.
#include <gtest/gtest.h>

#include "manager/settings_form.h"
#include "tests/support/test_paths.h"

using kestrova_test::ScratchDir;
using kestrova_test::WriteFile;
using Tamrik::IniMap;

namespace {

ControlStates States(IniMap settings) { return ReadControlStates(settings); }

// A missing file is an empty map that a save creates; one that is there but cannot be read is not.
TEST(SettingsForm, AFileThatIsThereButCannotBeReadIsSaidAndMarkedAMissingOneIsNot)
{
    for (bool there : {false, true}) {
        ScratchDir dir;
        if (there)
            WriteFile("Settings.ini/keep", "");
        IniMap settings{{"Stale", {}}};
        testing::internal::CaptureStderr();
        EXPECT_EQ(ReadSettingsFile(settings, "Settings.ini"), !there);
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  there ? "Cannot read \"Settings.ini\" in " + dir.Path().string() + ": Is a directory\n" : "");
        EXPECT_TRUE(settings.empty());
    }
}

TEST(SettingsForm, RendererTurnsOnItsRadioButtonOnlyWhenSpelledExactly)
{
    const struct {
        const char* renderer;
        bool openGL, direct3D;
    } cases[] = {{"OpenGL", true, false}, {"Direct3D", false, true}, {"opengl", false, false},
                 {"", false, false},      {"OpenGL ", false, false}, {"direct3d", false, false}};
    for (const auto& c : cases) {
        ControlStates states = States({{"Display", {{"Renderer", c.renderer}}}});
        EXPECT_EQ(states.openGL, c.openGL) << c.renderer;
        EXPECT_EQ(states.direct3D, c.direct3D) << c.renderer;
    }
}

TEST(SettingsForm, OnlyTheWordTrueTicksABox)
{
    for (const char* other : {"True", "1", "TRUE", "", "yes"}) {
        IniMap settings;
        settings["Display"]["Fullscreen"] = other;
        settings["Game"]["Log"] = other;
        EXPECT_FALSE(States(settings).fullscreen) << other;
        EXPECT_FALSE(States(settings).debug) << other;
    }
    IniMap onlyLog;
    onlyLog["Game"]["Log"] = "true";
    ControlStates states = States(onlyLog);
    EXPECT_TRUE(states.debug);
    EXPECT_FALSE(states.fullscreen);
    EXPECT_FALSE(states.openGL || states.direct3D);
}

TEST(SettingsForm, SaveStoresTheModeAndSwitchesAndKeepsTheRest)
{
    IniMap settings{{"Game", {{"Map", "maps/demo.bsp"}, {"DebugDump", "true"}}}, {"Extra", {{"Key", "value"}}}};
    DisplayMode mode{1280, 1024, 32, 75};
    StoreControlStates(settings, &mode, true, false, false);
    EXPECT_EQ(settings["Display"], (Tamrik::IniSection{{"Depth", "32"}, {"Fullscreen", "true"}, {"Height", "1024"},
                                                       {"RefreshRate", "75"}, {"Renderer", "Direct3D"},
                                                       {"Width", "1280"}}));
    EXPECT_EQ(settings["Game"],
              (Tamrik::IniSection{{"DebugDump", "true"}, {"Log", "false"}, {"Map", "maps/demo.bsp"}}));
    EXPECT_EQ(settings["Extra"]["Key"], "value");
}

TEST(SettingsForm, SaveWithoutAListedModeKeepsTheFourModeKeys)
{
    IniMap settings;
    settings["Display"] = {{"Width", "1024"}, {"Height", "768x"}, {"Depth", "32"}};
    StoreControlStates(settings, nullptr, false, true, true);
    EXPECT_EQ(settings["Display"], (Tamrik::IniSection{{"Depth", "32"}, {"Fullscreen", "false"}, {"Height", "768x"},
                                                       {"Renderer", "OpenGL"}, {"Width", "1024"}}));
    EXPECT_EQ(settings["Game"]["Log"], "true");
}

} // namespace
