// Settings file reading rules.
#include <gtest/gtest.h>

#include "core/ini_file.h"

using Tamrik::IniMap;
using Tamrik::ParseIniBytes;

namespace {

IniMap Parse(const std::string& text)
{
    IniMap map;
    ParseIniBytes(map, text.data(), text.size());
    return map;
}

TEST(IniFile, UnquotedValuesKeepOnlyLettersAndDigits)
{
    IniMap m = Parse("[Display]\r\nWidth = 10 24\r\nRefreshRate = -1\r\nRenderer = Open GL\r\n"
                     "[Game]\nMap = maps/level.bsp\n");
    EXPECT_EQ(m["Display"]["Width"], "1024");
    EXPECT_EQ(m["Display"]["RefreshRate"], "1");
    EXPECT_EQ(m["Display"]["Renderer"], "OpenGL");
    EXPECT_EQ(m["Game"]["Map"], "mapslevelbsp");
}

TEST(IniFile, QuotedValuesKeepEverythingUpToASemicolon)
{
    IniMap m = Parse("[Game]\nMap = \"maps/level.bsp\"\nRate = \"-1\"\nX = \"a;b\"\n");
    EXPECT_EQ(m["Game"]["Map"], "maps/level.bsp");
    EXPECT_EQ(m["Game"]["Rate"], "-1");
    EXPECT_EQ(m["Game"]["X"], "a");
}

TEST(IniFile, FirstSectionAndFirstKeyWin)
{
    IniMap m = Parse("[Display]\nWidth=1\nWidth=2\n[Display]\nWidth=3\nHeight=4\n");
    EXPECT_EQ(m["Display"]["Width"], "1");
    EXPECT_EQ(m["Display"].count("Height"), 0u);
}

TEST(IniFile, KeysBeforeTheFirstHeaderJoinIt)
{
    IniMap m = Parse("A=1\n[S]\nB=2");
    EXPECT_EQ(m["S"]["A"], "1");
    EXPECT_EQ(m["S"]["B"], "2");
    EXPECT_TRUE(Parse("A=1\nB=2\n").empty());
}

TEST(IniFile, LastLineEndingInACommentIsRead)
{
    IniMap m = Parse("[Game]\nLog=true;comment");
    EXPECT_EQ(m["Game"]["Log"], "true");
}

TEST(IniFile, HeaderLineIsAlsoAKeyLine)
{
    IniMap m = Parse("[A]x=y\n");
    EXPECT_EQ(m["A"]["[A]x"], "y");
}

} // namespace
