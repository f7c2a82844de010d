// Settings file reading rules.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <memory>

#include "core/ini_file.h"
#include "tests/support/test_paths.h"

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

// Both ends of each kept range and the bytes just outside them.
TEST(IniFile, OutsideQuotesEachCharacterClassIsKeptToBothEndsOfItsRange)
{
    for (char kept : std::string("09AZaz=[]"))
        EXPECT_EQ(Parse(std::string("[S]\nk=") + kept + "x\n")["S"]["k"], std::string(1, kept) + "x") << kept;
    for (char dropped : std::string("/:@`{<>\\^ -"))
        EXPECT_EQ(Parse(std::string("[S]\nk=") + dropped + "x\n")["S"]["k"], "x") << dropped;
    EXPECT_EQ(Parse("[Display]\nWidth = 1920\n")["Display"]["Width"], "1920");
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

namespace {

TEST(IniFile, LineEndsOfEveryKindEndALineAndEmptyLinesVanish)
{
    IniMap m = Parse("[A]\r\n\r\nx=1\ry=2\n\n\rz=3");
    EXPECT_EQ(m["A"], (Tamrik::IniSection{{"x", "1"}, {"y", "2"}, {"z", "3"}}));
}

TEST(IniFile, AnUnclosedQuoteCarriesOverToTheFollowingLines)
{
    IniMap m = Parse("[A]\nx = \"a b\nc = d\"\ne = f\n");
    // The quote stays open over the line end, so the second line keeps its blanks.
    EXPECT_EQ(m["A"]["x"], "a b");
    EXPECT_EQ(m["A"]["c = d"], "");
    EXPECT_EQ(m["A"]["e"], "f");
}

TEST(IniFile, QuotesToggleInsideCommentsAndCommentsEndAtTheLineEnd)
{
    // The quote inside the comment opens quoting for the next line.
    IniMap m = Parse("[A]\nx = 1 ; say \"hi\nb = c d\"\ny = 2\n");
    EXPECT_EQ(m["A"]["x"], "1");
    EXPECT_EQ(m["A"]["b = c d"], "");
    EXPECT_EQ(m["A"]["y"], "2");
}

TEST(IniFile, EqualsSignsAfterTheFirstStayInTheValue)
{
    IniMap m = Parse("[A]\nx = a=b=\ny =\n= z\n");
    EXPECT_EQ(m["A"]["x"], "a=b=");
    EXPECT_EQ(m["A"].at("y"), "");
    EXPECT_EQ(m["A"].at(""), "z");
}

TEST(IniFile, EmptyHeaderPassesItsKeysToTheNextSection)
{
    IniMap m = Parse("[A]\na=1\n[]\nb=2\n[B]\nc=3\n[]\nd=4\n");
    EXPECT_EQ(m.size(), 2u);
    EXPECT_EQ(m["A"], (Tamrik::IniSection{{"a", "1"}}));
    EXPECT_EQ(m["B"], (Tamrik::IniSection{{"b", "2"}, {"c", "3"}}));
}

TEST(IniFile, AClosingBracketBeforeTheOpeningOneNamesTheSectionToTheLineEnd)
{
    IniMap m = Parse("]x[Name\nk=v\n");
    EXPECT_EQ(m.count("Name"), 1u);
    EXPECT_EQ(m["Name"]["k"], "v");
    EXPECT_TRUE(Parse("[Open\nk=v\n").empty());
}

TEST(IniFile, NamesAndValuesAreCaseSensitiveAndUnfilteredBytesInQuotesSurvive)
{
    std::string text = "[Game]\nLog = True\n\"Sp ace\" = \"\xC3\xA9\t\\\"\n";
    text += std::string("[N\0ul]\nk = \"a\0b\"\n", 18);
    IniMap m = Parse(text);
    EXPECT_EQ(m["Game"]["Log"], "True");
    EXPECT_EQ(m["Game"].count("log"), 0u);
    EXPECT_EQ(m["Game"]["Sp ace"], "\xC3\xA9\t\\");
    EXPECT_EQ(m["Nul"]["k"], std::string("a\0b", 3));
}

TEST(IniFile, TheFileReaderAppliesTheSameRulesAndEmptiesTheMapFirst)
{
    kestrova_test::ScratchDir scratch;
    std::string text = "k=0\n[Display]\r\nWidth = 10 24\r\n[Game]\nLog = \"true\";x";
    kestrova_test::WriteFile("Settings.ini", text);
    IniMap fromFile;
    fromFile["Old"]["key"] = "value";
    Tamrik::ParseIniFile(fromFile, "Settings.ini");
    EXPECT_EQ(fromFile, Parse(text));

    int error = -1;
    std::unique_ptr<IniMap> settings(Tamrik::LoadSettings(&error));
    EXPECT_EQ(*settings, Parse(text));
    EXPECT_EQ(error, 0);

    Tamrik::ParseIniFile(fromFile, "missing.ini");
    EXPECT_TRUE(fromFile.empty());
}

TEST(IniFile, SettingsThatCannotBeReadGiveAnEmptyMapAndTheReason)
{
    kestrova_test::ScratchDir scratch;
    int error = 0;
    std::unique_ptr<IniMap> missing(Tamrik::LoadSettings(&error));
    EXPECT_TRUE(missing->empty());
    EXPECT_EQ(error, ENOENT);
    std::filesystem::create_directory("Settings.ini"); // opens, but does not read
    std::unique_ptr<IniMap> folder(Tamrik::LoadSettings(&error));
    EXPECT_TRUE(folder->empty());
    EXPECT_EQ(error, EISDIR);
}

TEST(IniFile, GarbageAndHugeInputsParseWithoutTrouble)
{
    std::string garbage;
    for (uint32_t i = 0; i < 1u << 20; ++i)
        garbage.push_back(static_cast<char>((i * 7919u) >> 3));
    Parse(garbage);
    std::string longLine(1 << 20, '[');
    longLine += "]=";
    EXPECT_EQ(Parse(longLine).size(), 1u);
}

} // namespace
