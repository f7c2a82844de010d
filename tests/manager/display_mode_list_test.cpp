// The settings tool's mode list: filter, item texts and which mode the settings select.
#include <gtest/gtest.h>

#include <vector>

#include "manager/display_mode_list.h"

using Tamrik::IniMap;

namespace {

DisplayModeList List(const std::vector<DisplayMode>& reported, IniMap settings = {})
{
    auto enumerate = [&](uint32_t number, DisplayMode* mode) {
        if (number >= reported.size())
            return false;
        *mode = reported[number];
        return true;
    };
    return BuildDisplayModeList(enumerate, settings);
}

IniMap Named(const char* width, const char* height, const char* depth, const char* rate)
{
    IniMap settings;
    settings["Display"] = {{"Width", width}, {"Height", height}, {"Depth", depth},
                           {"RefreshRate", rate}};
    return settings;
}

TEST(DisplayModeList, ListsModesFromSixteenBitsAnd640By480UpInTheDriversOrderWithDuplicates)
{
    DisplayModeList list = List({{1024, 768, 32, 75}, {640, 480, 16, 60}, {639, 480, 32, 60}, {640, 479, 32, 60},
                                 {800, 600, 15, 60}, {1024, 768, 32, 75}});
    EXPECT_EQ(list.items, (std::vector<std::string>{"0. 1024x768, 32BPP, 75Hz", "1. 640x480, 16BPP, 60Hz",
                                                    "2. 1024x768, 32BPP, 75Hz"}));
    ASSERT_EQ(list.modes.size(), 3u);
    EXPECT_EQ(list.modes[2].width, 1024u);
    EXPECT_EQ(list.modes[2].frequency, 75u);
}

TEST(DisplayModeList, TheLastModeThatTheSettingsNameIsSelected)
{
    std::vector<DisplayMode> reported = {{1024, 768, 32, 60}, {800, 600, 32, 60},
                                         {640, 400, 32, 60}, {1024, 768, 32, 60}};
    // Counted among the listed modes: the 640 x 400 mode takes no place.
    EXPECT_EQ(List(reported, Named("1024", "768", "32", "60")).selection, 2);
    EXPECT_EQ(List(reported, Named("800", "600", "32", "60")).selection, 1);
}

TEST(DisplayModeList, SettingsAreReadAsAtoiReadsThemAndWithoutAMatchNothingIsSelected)
{
    std::vector<DisplayMode> reported = {{1280, 1024, 32, 60}, {800, 600, 32, 60}};
    EXPECT_EQ(List(reported, Named("800px", " 600", "32bits", "60Hz")).selection, 1);
    // Every field counts, and a mode the screen does not list is kept for the save, not
    // replaced by a listed one.
    for (const IniMap& unlisted : {Named("800", "600", "32", "59"), Named("800", "600", "24", "60"),
                                   Named("1280", "1024", "32", "75"), Named("", "", "", ""), IniMap{}})
        EXPECT_EQ(List(reported, unlisted).selection, -1);
    // Without listed modes nothing is selected.
    DisplayModeList empty = List({{320, 200, 32, 70}, {800, 600, 8, 60}});
    EXPECT_TRUE(empty.items.empty() && empty.modes.empty());
    EXPECT_EQ(empty.selection, -1);
}

TEST(DisplayModeList, LargestNumbersArePrintedUnsigned)
{
    EXPECT_EQ(DisplayModeItemText(12, {4294967295u, 480, 32, 0}),
              "12. 4294967295x480, 32BPP, 0Hz");
    IniMap settings = Named("-1", "480", "32", "0");
    EXPECT_TRUE(ModeMatchesSettings({4294967295u, 480, 32, 0}, settings));
}

} // namespace
