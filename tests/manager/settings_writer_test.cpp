// Saving Settings.ini: order, quoting and line ends, the read-back, and the atomic replace.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/ini_file.h"
#include "manager/settings_form.h"
#include "manager/settings_writer.h"
#include "tests/support/test_paths.h"

using kestrova_test::ReadFile;
using kestrova_test::ScratchDir;
using kestrova_test::WriteFile;
using Tamrik::IniMap;

namespace {

IniMap Read(const char* path)
{
    IniMap map;
    Tamrik::ParseIniFile(map, path);
    return map;
}

TEST(SettingsWriter, WritesSectionsAndKeysInByteOrderEveryValueQuotedWithCrLf)
{
    IniMap settings;
    settings["Game"] = {{"Map", "maps/demo.bsp"}, {"Log", "true"}, {"DebugDump", "false"}};
    settings["Display"] = {{"Width", "1024"}, {"Renderer", "OpenGL"}};
    settings["audio"] = {};
    settings["Zed"]["key"] = "";
    EXPECT_EQ(FormatSettings(settings),
              "[Display]\r\nRenderer = \"OpenGL\"\r\nWidth = \"1024\"\r\n"
              "[Game]\r\nDebugDump = \"false\"\r\nLog = \"true\"\r\nMap = \"maps/demo.bsp\"\r\n"
              "[Zed]\r\nkey = \"\"\r\n"
              "[audio]\r\n");
}

TEST(SettingsWriter, AHandWrittenFileSavedReadsBackAsTheSameMap)
{
    ScratchDir dir;
    WriteFile("Settings.ini", "; written by hand\n[Display]\nWidth = 800 ; narrow\n"
                              "Renderer = Direct3D\n[Game]\nMap = \"maps/my level.bsp\"\n"
                              "DebugDump = \"true\"\n[Mods]\nPath = \"a=b, c:/d\\\\e\"\n");
    IniMap settings = Read("Settings.ini");
    DisplayMode mode{1024, 768, 32, 60};
    StoreControlStates(settings, &mode, false, true, true);
    ASSERT_TRUE(WriteSettingsFile(settings, "Settings.ini"));

    std::string text = ReadFile("Settings.ini");
    EXPECT_EQ(text.find(';'), std::string::npos);
    EXPECT_NE(text.find("[Game]\r\nDebugDump = \"true\"\r\nLog = \"true\"\r\n"
                        "Map = \"maps/my level.bsp\"\r\n"),
              std::string::npos);
    EXPECT_EQ(Read("Settings.ini"), settings);
    EXPECT_EQ(settings["Mods"]["Path"], "a=b, c:/d\\\\e");
}

TEST(SettingsWriter, AFileWithoutGameGetsItWithLogAlone)
{
    ScratchDir dir;
    WriteFile("Settings.ini", "[Display]\r\nWidth = \"640\"\r\n");
    IniMap settings = Read("Settings.ini");
    StoreControlStates(settings, nullptr, false, false, false);
    ASSERT_TRUE(WriteSettingsFile(settings, "Settings.ini"));
    EXPECT_EQ(ReadFile("Settings.ini"),
              "[Display]\r\nFullscreen = \"false\"\r\nRenderer = \"Direct3D\"\r\n"
              "Width = \"640\"\r\n[Game]\r\nLog = \"false\"\r\n");
}

TEST(SettingsWriter, ASaveThatCannotBeFinishedLeavesTheOldFileAndSaysSo)
{
    ScratchDir dir;
    const std::string old = "[Display]\r\nWidth = \"800\"\r\n";
    WriteFile("Settings.ini", old);
    IniMap settings;
    settings["Display"]["Width"] = "1024";

    // The new file cannot be made where it belongs: that name is taken by a folder.
    std::filesystem::create_directory("Settings.ini.new");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(WriteSettingsFile(settings, "Settings.ini"));
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(ReadFile("Settings.ini"), old);
    EXPECT_NE(message.find("Settings.ini"), std::string::npos);
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1);
    std::filesystem::remove("Settings.ini.new");

    // The new file is written but cannot replace the old one, which is a folder here.
    ASSERT_TRUE(WriteSettingsFile(settings, "Settings.ini"));
    std::filesystem::create_directory("Blocked.ini");
    WriteFile("Blocked.ini/keep", "x");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(WriteSettingsFile(settings, "Blocked.ini"));
    EXPECT_NE(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(ReadFile("Blocked.ini/keep"), "x");
    EXPECT_FALSE(std::filesystem::exists("Blocked.ini.new"));
}

TEST(SettingsWriter, ASaveKeepsTheFilesPermissions)
{
    ScratchDir dir;
    WriteFile("Settings.ini", "[Game]\r\n");
    std::filesystem::permissions("Settings.ini", std::filesystem::perms(0640));
    ASSERT_TRUE(WriteSettingsFile(IniMap{{"Game", {{"Log", "true"}}}}, "Settings.ini"));
    EXPECT_EQ(std::filesystem::status("Settings.ini").permissions(),
              std::filesystem::perms(0640));
}

} // namespace
