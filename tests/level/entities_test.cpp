// Lights and switches from the entity text: defaults, token rules, key order, placement.
#include "level/entities.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "level/bsp_loader.h"
#include "level/level_reading.h"
#include "level_bytes.h"
#include "tests/support/test_paths.h"

using namespace Tamrik;

TEST(ParseEntities, ALightTakesItsKeysAndKeepsTheDefaultsOfTheRest)
{
    CEntitySet set;
    ParseEntities(set, "{\n\"classname\" \"light\"\n\"origin\" \"0 0 64 1\"\n\"ID\" \"3\"\n\"state\" \"1\"\n}\n");
    ASSERT_EQ(set.lightCount, 1);
    const Light& light = set.lights[0];
    EXPECT_FLOAT_EQ(light.origin[2], 64.0f);
    EXPECT_FLOAT_EQ(light.origin[3], 1.0f);
    EXPECT_EQ(light.ID, 3);
    EXPECT_EQ(light.state, 1);
    for (int c = 0; c < 4; ++c) {
        EXPECT_FLOAT_EQ(light.ambient[c], 0.6f);
        EXPECT_FLOAT_EQ(light.diffuse[c], 0.6f);
        EXPECT_FLOAT_EQ(light.specular[c], 0.6f);
    }
    EXPECT_FLOAT_EQ(light.spotExponention, 1.0f);
    EXPECT_FLOAT_EQ(light.spotAngle, 0.4f);
    EXPECT_FLOAT_EQ(light.constAtten, 1.0f);
    EXPECT_FLOAT_EQ(light.linAtten, 1.0f);
    EXPECT_FLOAT_EQ(light.quadAtten, 1.0f);
    EXPECT_EQ(light.culled, 1);
    EXPECT_EQ(set.buttonCount, 0);
    EXPECT_EQ(set.buttons, nullptr);
}

TEST(ParseEntities, EveryLightKeyReadsItsField)
{
    CEntitySet set;
    ParseEntities(set, "{ \"classname\" \"light\" \"ambient\" \"1 2 3 4\" \"diffuse\" \"5 6 7 8\" "
                       "\"specular\" \"9 10 11 12\" \"spotDirection\" \"0 0 -1\" "
                       "\"spotExponention\" \"2\" \"spotAngle\" \"0.5\" \"constAtten\" \"3\" "
                       "\"linAtten\" \"0.25\" \"quadAtten\" \"0.125\" \"culled\" \"0\" }");
    ASSERT_EQ(set.lightCount, 1);
    const Light& l = set.lights[0];
    EXPECT_FLOAT_EQ(l.ambient[3], 4.0f);
    EXPECT_FLOAT_EQ(l.diffuse[0], 5.0f);
    EXPECT_FLOAT_EQ(l.specular[2], 11.0f);
    EXPECT_FLOAT_EQ(l.spotDirection[2], -1.0f);
    EXPECT_FLOAT_EQ(l.spotExponention, 2.0f);
    EXPECT_FLOAT_EQ(l.spotAngle, 0.5f);
    EXPECT_FLOAT_EQ(l.constAtten, 3.0f);
    EXPECT_FLOAT_EQ(l.linAtten, 0.25f);
    EXPECT_FLOAT_EQ(l.quadAtten, 0.125f);
    EXPECT_EQ(l.culled, 0);
}

TEST(ParseEntities, StateIsTruncatedTowardZero)
{
    CEntitySet set;
    ParseEntities(set, "{ \"classname\" \"light\" \"state\" \"0.9\" }"
                       "{ \"classname\" \"light\" \"state\" \"1.5\" }"
                       "{ \"classname\" \"light\" \"state\" \"1e30\" }");
    ASSERT_EQ(set.lightCount, 3);
    EXPECT_EQ(set.lights[0].state, 0);
    EXPECT_EQ(set.lights[1].state, 1);
    EXPECT_EQ(set.lights[2].state, 0); // beyond any int: off rather than undefined
}

TEST(ParseEntities, OnlyPairsAfterTheClassnameCount)
{
    CEntitySet set;
    ParseEntities(set, "{ \"origin\" \"1 2 3 4\" \"classname\" \"light\" \"ID\" \"2\" }");
    ASSERT_EQ(set.lightCount, 1);
    EXPECT_FLOAT_EQ(set.lights[0].origin[0], 0.0f);
    EXPECT_FLOAT_EQ(set.lights[0].origin[3], 0.0f);
    EXPECT_EQ(set.lights[0].ID, 2);
}

TEST(ParseEntities, AShortValueBorrowsTheNextToken)
{
    CEntitySet set;
    // Origin of three numbers as the last pair: the closing brace is its fourth and ends it.
    ParseEntities(set, "{ \"classname\" \"light\" \"origin\" \"1 2 3\" }"
                       "{ \"classname\" \"light\" \"origin\" \"1 2 3\" \"ID\" \"7\" \"state\" \"1\" }");
    ASSERT_EQ(set.lightCount, 2);
    EXPECT_FLOAT_EQ(set.lights[0].origin[2], 3.0f);
    EXPECT_FLOAT_EQ(set.lights[0].origin[3], 0.0f);
    // Here "ID" is taken as w and its value is passed over; state still reads.
    EXPECT_EQ(set.lights[1].ID, -1);
    EXPECT_EQ(set.lights[1].state, 1);
}

TEST(ParseEntities, AKeyGivenTwiceKeepsTheLaterValue)
{
    CEntitySet set;
    ParseEntities(set, "{ \"classname\" \"light\" \"ID\" \"1\" \"ID\" \"9\" }");
    ASSERT_EQ(set.lightCount, 1);
    EXPECT_EQ(set.lights[0].ID, 9);
}

TEST(ParseEntities, TokensAreSplitOnBlanksStarsQuotesAndLineFeedsOnly)
{
    CEntitySet set;
    // '*' vanishes from a model reference; a carriage return after a quote is a token of its
    // own that the key loop passes over; a tab is part of a token, so "\tID" is no key.
    ParseEntities(set, "{\r\n\"classname\" \"func_button\"\r\n\"model\" \"*2\"\r\n\"target\" \"3\"\r\n}\r\n"
                       "{ \"classname\" \"light\" \"\tID\" \"4\" }");
    ASSERT_EQ(set.buttonCount, 1);
    EXPECT_EQ(set.buttons[0].model, 2);
    EXPECT_EQ(set.buttons[0].target, 3);
    EXPECT_FLOAT_EQ(set.buttons[0].radius, 60.0f);
    ASSERT_EQ(set.lightCount, 1);
    EXPECT_EQ(set.lights[0].ID, -1);
}

TEST(ParseEntities, KeysAndClassesMatchExactly)
{
    CEntitySet set;
    ParseEntities(set, "{ \"classname\" \"Light\" \"ID\" \"1\" }{ \"classname\" \"lights\" }"
                       "{ \"classname\" \"light\" \"id\" \"5\" \"Origin\" \"1 1 1 1\" }"
                       "{ \"classname\" \"info_player_deathmatch\" \"origin\" \"8 8 8\" }");
    ASSERT_EQ(set.lightCount, 1);
    EXPECT_EQ(set.lights[0].ID, -1);
    EXPECT_FLOAT_EQ(set.lights[0].origin[0], 0.0f);
}

TEST(ParseEntities, InterleavedLightsAndSwitchesKeepTheirOwnOrder)
{
    CEntitySet set;
    ParseEntities(set, "{ \"classname\" \"func_button\" \"target\" \"1\" }"
                       "{ \"classname\" \"light\" \"ID\" \"10\" }"
                       "{ \"classname\" \"func_button\" \"model\" \"*4\" }"
                       "{ \"classname\" \"light\" \"ID\" \"20\" }");
    ASSERT_EQ(set.lightCount, 2);
    EXPECT_EQ(set.lights[0].ID, 10);
    EXPECT_EQ(set.lights[1].ID, 20);
    ASSERT_EQ(set.buttonCount, 2);
    EXPECT_EQ(set.buttons[0].target, 1);
    EXPECT_EQ(set.buttons[0].model, -1);
    EXPECT_EQ(set.buttons[1].target, -1); // no target pair
    EXPECT_EQ(set.buttons[1].model, 4);
}

TEST(ParseEntities, ATextCutOffInsideAnEntityStoresOnlyTheWholeOnes)
{
    for (const char* text : {"{ \"classname\" \"light\" \"ID\" \"1\" } { \"classname\" \"light\" \"ID\" \"2\"",
                             "{ \"classname\" \"light\" \"ID\" \"1\" } { \"classname\" \"light\" \"origin\" \"1 2",
                             "{ \"classname\" \"light\" \"ID\" \"1\" } { \"classname\""}) {
        CEntitySet set;
        ParseEntities(set, text);
        ASSERT_EQ(set.lightCount, 1) << text;
        EXPECT_EQ(set.lights[0].ID, 1);
    }
    CEntitySet set;
    ParseEntities(set, "{ \"classname\" \"func_button\" \"target\" \"5\" } { \"classname\" \"func_button\" \"target\"");
    ASSERT_EQ(set.buttonCount, 1);
    EXPECT_EQ(set.buttons[0].target, 5);
}

TEST(ParseEntities, HugeNumbersSaturateInsteadOfOverflowing)
{
    CEntitySet set;
    ParseEntities(set, "{ \"classname\" \"light\" \"ID\" \"99999999999999999999\" }"
                       "{ \"classname\" \"func_button\" \"model\" \"-99999999999999999999\" }");
    ASSERT_EQ(set.lightCount, 1);
    EXPECT_EQ(set.lights[0].ID, INT32_MAX);
    ASSERT_EQ(set.buttonCount, 1);
    EXPECT_EQ(set.buttons[0].model, INT32_MIN);
}

TEST(ReadEntities, SwitchesSitAtTheirModelsBoxCentre)
{
    kestrova_test::ScratchDir scratch;
    using kestrova_test::LumpBytes;
    LumpBytes l[LUMP_COUNT];
    l[LUMP_ENTITY].Raw(std::string("{ \"classname\" \"func_button\" \"model\" \"*1\" \"target\" \"3\" }"
                                   "{ \"classname\" \"func_button\" \"target\" \"4\" }"
                                   "{ \"classname\" \"func_button\" \"model\" \"*7\" }") + '\0');
    l[LUMP_MODEL].Float(0).Float(0).Float(0).Float(1).Float(1).Float(1).Int(0).Int(0).Int(0).Int(0);
    l[LUMP_MODEL].Float(10).Float(-20).Float(30).Float(20).Float(0).Float(31).Int(0).Int(0).Int(0).Int(0);
    kestrova_test::WriteFile("b.bsp", kestrova_test::LevelFile(l));
    CBSPLoader level(nullptr);
    level.levelFile = std::fopen("b.bsp", "rb");
    ASSERT_TRUE(level.Load("b.bsp"));
    CEntitySet set;
    ReadEntities(level, set);
    ASSERT_EQ(set.buttonCount, 3);
    EXPECT_EQ(set.buttons[0].target, 3);
    EXPECT_FLOAT_EQ(set.buttons[0].centre[0], 15.0f);
    EXPECT_FLOAT_EQ(set.buttons[0].centre[1], -10.0f);
    EXPECT_FLOAT_EQ(set.buttons[0].centre[2], 30.5f);
    // Switches naming no model of the level stay at the origin.
    for (int i = 1; i < 3; ++i)
        for (float c : set.buttons[i].centre)
            EXPECT_FLOAT_EQ(c, 0.0f);
}

TEST(ReadEntities, AnEmptyLevelGivesNoLightsOrSwitches)
{
    CBSPLoader level(nullptr);
    CEntitySet set;
    ReadEntities(level, set);
    EXPECT_EQ(set.lightCount, 0);
    EXPECT_EQ(set.buttonCount, 0);
    EXPECT_EQ(set.lights, nullptr);
}
