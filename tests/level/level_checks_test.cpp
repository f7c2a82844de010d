// Load-time checks: a level whose lumps point outside each other, or whose node tree could loop,
// is refused as a whole and reads as an empty level.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "level/bsp_loader.h"
#include "level/level_reading.h"
#include "level_bytes.h"
#include "tests/support/test_paths.h"
#include "tests/support/test_system.h"

using namespace Tamrik;
using kestrova_test::LevelFile;
using kestrova_test::LumpBytes;
using kestrova_test::ReadFile;
using kestrova_test::ScratchDir;
using kestrova_test::WriteFile;

namespace {

// Writes the valid level after one change, loads it and runs the checks.
bool Accepted(const std::function<void(CBSPLoader&)>& breakIt, std::string* fault = nullptr)
{
    ScratchDir scratch;
    LumpBytes l[LUMP_COUNT];
    kestrova_test::ValidLevel(l);
    WriteFile("level.bsp", LevelFile(l));
    CBSPLoader loader(nullptr);
    loader.levelFile = std::fopen("level.bsp", "rb");
    EXPECT_TRUE(loader.Load("level.bsp"));
    breakIt(loader);
    std::string why;
    const bool ok = CheckLevel(loader, why);
    if (fault)
        *fault = why;
    return ok;
}

} // namespace

TEST(LevelChecks, AConsistentLevelIsAccepted)
{
    EXPECT_TRUE(Accepted([](CBSPLoader&) {}));
}

// Each case names the fault it must be refused with: a check that misses it would leave it to a
// later one, which names another.
TEST(LevelChecks, EveryReferenceOutsideItsLumpIsRefusedWithItsOwnFault)
{
    struct Case {
        const char* fault;
        std::function<void(CBSPLoader&)> breakIt;
    };
    const Case cases[] = {
        {"bad plane in node 0", [](CBSPLoader& l) { l.nodes[0].plane = 1; }},
        {"bad plane in node 0", [](CBSPLoader& l) { l.nodes[0].plane = -1; }},
        {"bad leaf in node 0", [](CBSPLoader& l) { l.nodes[0].children[1] = -3; }},
        {"bad child in node 0", [](CBSPLoader& l) { l.nodes[0].children[0] = 1; }},
        {"bad child in node 0", [](CBSPLoader& l) { l.nodes[0].children[0] = 0; }},
        {"bad face range in leaf 0", [](CBSPLoader& l) { l.leafs[0].n_leaffaces = 2; }},
        {"bad face range in leaf 0", [](CBSPLoader& l) { l.leafs[0].n_leaffaces = -1; }},
        {"bad brush range in leaf 0", [](CBSPLoader& l) { l.leafs[0].leafbrush = 1; }},
        {"bad leafface 0", [](CBSPLoader& l) { l.leaffaces[0] = 1; }},
        {"bad leafbrush 0", [](CBSPLoader& l) { l.leafbrushes[0] = -1; }},
        {"bad range in model 0", [](CBSPLoader& l) { l.models[0].n_faces = 2; }},
        {"bad range in model 0", [](CBSPLoader& l) { l.models[0].brush = 1; }},
        {"bad brush 0", [](CBSPLoader& l) { l.brushes[0].n_brushsides = 2; }},
        {"bad brush 0", [](CBSPLoader& l) { l.brushes[0].texture = 1; }},
        {"bad brushside 0", [](CBSPLoader& l) { l.brushsides[0].plane = 1; }},
        {"bad brushside 0", [](CBSPLoader& l) { l.brushsides[0].texture = -2; }},
        {"bad face 0", [](CBSPLoader& l) { l.faces[0].texture = 1; }},
        {"bad face 0", [](CBSPLoader& l) { l.faces[0].n_vertexes = 5; }},
        {"bad face 0", [](CBSPLoader& l) { l.faces[0].meshvert = 1; }},
        {"bad meshvert in face 0", [](CBSPLoader& l) { l.meshverts[2] = 4; }},
        {"bad face 0", [](CBSPLoader& l) { l.faces[0].lm_index = 1; }},
        // One row of one byte: cluster 1 has no row.
        {"bad cluster in leaf 0", [](CBSPLoader& l) { l.leafs[0].cluster = 1; }},
        {"bad cluster in leaf 1", [](CBSPLoader& l) { l.leafs[1].cluster = -2; }},
        // Nine rows of one byte: cluster 8 has a row but no bit in one.
        {"bad cluster in leaf 0",
         [](CBSPLoader& l) {
             l.visdata->n_vecs = 9;
             l.header.direntries[LUMP_VISDATA].length = 8 + 9;
             l.leafs[0].cluster = 8;
         }},
        {"bad visibility size", [](CBSPLoader& l) { l.visdata->n_vecs = 2; }},
        {"bad visibility size", [](CBSPLoader& l) { l.visdata->sz_vecs = -1; }},
    };
    for (const Case& c : cases) {
        std::string fault;
        EXPECT_FALSE(Accepted(c.breakIt, &fault)) << c.fault;
        EXPECT_EQ(fault, c.fault);
    }
}

TEST(LevelChecks, ValuesTheUsersTolerateAreAccepted)
{
    EXPECT_TRUE(Accepted([](CBSPLoader& l) { l.faces[0].lm_index = -1; }));
    EXPECT_TRUE(Accepted([](CBSPLoader& l) { l.faces[0].effect = 99; }));
    EXPECT_TRUE(Accepted([](CBSPLoader& l) { l.leafs[0].cluster = -1; }));
    EXPECT_TRUE(Accepted([](CBSPLoader& l) { l.visdata->n_vecs = 0; l.leafs[0].cluster = 5; }));
}

TEST(LevelChecks, ALevelWithoutNodesOrLeavesIsRefused)
{
    EXPECT_FALSE(Accepted([](CBSPLoader& l) { l.header.direntries[LUMP_NODE].length = 0; }));
    EXPECT_FALSE(Accepted([](CBSPLoader& l) { l.header.direntries[LUMP_LEAF].length = 47; }));
}

// Two nodes sharing a child would let a splitting trace visit it twice per path, doubling with
// every level: a tree is required, not just a graph without cycles.
TEST(LevelChecks, ANodeWithTwoParentsIsRefused)
{
    ScratchDir scratch;
    LumpBytes l[LUMP_COUNT];
    kestrova_test::ValidLevel(l);
    l[LUMP_NODE] = LumpBytes();
    l[LUMP_NODE].Int(0).Int(1).Int(2).Int(0).Int(0).Int(0).Int(0).Int(0).Int(0);
    l[LUMP_NODE].Int(0).Int(2).Int(-1).Int(0).Int(0).Int(0).Int(0).Int(0).Int(0);
    l[LUMP_NODE].Int(0).Int(-1).Int(-2).Int(0).Int(0).Int(0).Int(0).Int(0).Int(0);
    WriteFile("level.bsp", LevelFile(l));
    CBSPLoader loader(nullptr);
    loader.levelFile = std::fopen("level.bsp", "rb");
    ASSERT_TRUE(loader.Load("level.bsp"));
    std::string fault;
    EXPECT_FALSE(CheckLevel(loader, fault));
    EXPECT_EQ(fault, "bad child in node 1");
}

TEST(ReadBSPFile, ReadsTheMapOfTheSettingsAndDumpsOnlyWhenAskedExactly)
{
    ScratchDir scratch;
    LumpBytes l[LUMP_COUNT];
    kestrova_test::ValidLevel(l);
    WriteFile("maps/level.bsp", LevelFile(l));
    IniMap settings;
    settings["Game"]["Map"] = "maps/level.bsp";
    settings["Game"]["DebugDump"] = "TRUE";
    CBSPLoader loader(nullptr);
    EXPECT_TRUE(ReadBSPFile(loader, settings, nullptr));
    EXPECT_EQ(loader.RecordCount(LUMP_FACE), 1);
    EXPECT_FALSE(std::filesystem::exists("maps/level.txt"));

    loader.Unload();
    settings["Game"]["DebugDump"] = "true";
    EXPECT_TRUE(ReadBSPFile(loader, settings, nullptr));
    EXPECT_NE(ReadFile("maps/level.txt").find("Loading Face lump..."), std::string::npos);
}

TEST(ReadBSPFile, AMissingMapFailsAndLeavesTheLevelEmpty)
{
    ScratchDir scratch;
    IniMap settings;
    CBSPLoader loader(nullptr);
    EXPECT_FALSE(ReadBSPFile(loader, settings, nullptr));
    EXPECT_TRUE(settings["Game"].count("Map"));
    EXPECT_EQ(loader.RecordCount(LUMP_NODE), 0);
}

TEST(ReadBSPFile, ARefusedLevelIsUnloadedLikeAMissingOneWithOneLogLine)
{
    ScratchDir scratch;
    LumpBytes l[LUMP_COUNT];
    kestrova_test::ValidLevel(l);
    l[LUMP_LEAFFACE] = LumpBytes();
    l[LUMP_LEAFFACE].Int(7);
    WriteFile("bad.bsp", LevelFile(l));
    IniMap settings;
    settings["Game"]["Map"] = "bad.bsp";
    kestrova_test::TestSystem system(true);
    CBSPLoader loader(nullptr);
    EXPECT_FALSE(ReadBSPFile(loader, settings, system.log));
    for (int lump = 0; lump < LUMP_COUNT; ++lump)
        EXPECT_EQ(loader.RecordCount(lump), 0) << lump;
    EXPECT_EQ(loader.nodes, nullptr);
    EXPECT_EQ(ReadFile("log.txt"), "render_thread: Refused level file bad.bsp: bad leafface 0\r\n");

    // A missing file is not logged.
    settings["Game"]["Map"] = "missing.bsp";
    EXPECT_FALSE(ReadBSPFile(loader, settings, system.log));
    EXPECT_EQ(ReadFile("log.txt"), "render_thread: Refused level file bad.bsp: bad leafface 0\r\n");
}
