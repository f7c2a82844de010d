// The level file reader: records field by field, the dump's exact text, and files that lie.
#include "level/bsp_loader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "level_bytes.h"
#include "tests/support/test_paths.h"

using namespace Tamrik;
using level_test::LevelFile;
using level_test::LumpBytes;
using kestrova_test::ReadFile;
using kestrova_test::ScratchDir;
using kestrova_test::WriteFile;

namespace {

// Loads the file at path the way the device does: open "rb", then Load.
bool LoadPath(CBSPLoader& loader, const std::string& path, bool dump)
{
    loader.dump = dump;
    loader.levelFile = std::fopen(path.c_str(), "rb");
    if (!loader.levelFile)
        return false;
    return loader.Load(path.c_str());
}

std::string Crlf(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

// One record of every lump with distinct values, so a field read out of order shows.
std::string DumpLevel()
{
    LumpBytes l[LUMP_COUNT];
    l[LUMP_ENTITY].Raw(std::string("{ }") + '\0');
    l[LUMP_TEXTURE].Name("tex/a").Int(5).Int(1);
    l[LUMP_PLANE].Float(0).Float(0.5f).Float(1).Float(-32);
    l[LUMP_NODE].Int(0).Int(1).Int(-2).Int(-1).Int(-2).Int(-3).Int(4).Int(5).Int(6);
    l[LUMP_LEAF].Int(3).Int(2).Int(1).Int(2).Int(3).Int(7).Int(8).Int(9).Int(10).Int(11).Int(12).Int(13);
    l[LUMP_LEAFFACE].Int(42);
    l[LUMP_LEAFBRUSH].Int(43);
    l[LUMP_MODEL].Float(1.5f).Float(2).Float(3).Float(4).Float(5).Float(6).Int(7).Int(8).Int(9).Int(10);
    l[LUMP_BRUSH].Int(1).Int(2).Int(3);
    l[LUMP_BRUSHSIDE].Int(4).Int(5);
    l[LUMP_VERTEX].Float(1).Float(2).Float(3).Float(0.25f).Float(0.5f).Float(0.75f).Float(1)
        .Float(0).Float(0).Float(1).Raw("\x01\x02\x03\xff");
    l[LUMP_MESHVERT].Int(2);
    l[LUMP_EFFECT].Name("fog").Int(6).Int(7);
    LumpBytes& f = l[LUMP_FACE];
    for (int v = 1; v <= 12; ++v)
        f.Int(v);
    for (int v = 13; v <= 24; ++v)
        f.Float(float(v));
    f.Int(25).Int(26);
    l[LUMP_LIGHTMAP].Raw(std::string(49152, '\x07'));
    l[LUMP_LIGHTVOL].Raw("\x01\x02\x03\x04\x05\x06\x07\x08\x11\x12\x13\x14\x15\x16\x17\x18");
    l[LUMP_VISDATA].Int(2).Int(2).Raw("\x01\x02\x03\x04");
    return LevelFile(l);
}

const char* const DUMP_TEXT =
    "Header:\n\tmagic = IBSP\n\tversion = 0x2E\n\n"
    "\tdirentry[0].offset = 144\n\tdirentry[0].length = 4\n"
    "\tdirentry[1].offset = 148\n\tdirentry[1].length = 72\n"
    "\tdirentry[2].offset = 220\n\tdirentry[2].length = 16\n"
    "\tdirentry[3].offset = 236\n\tdirentry[3].length = 36\n"
    "\tdirentry[4].offset = 272\n\tdirentry[4].length = 48\n"
    "\tdirentry[5].offset = 320\n\tdirentry[5].length = 4\n"
    "\tdirentry[6].offset = 324\n\tdirentry[6].length = 4\n"
    "\tdirentry[7].offset = 328\n\tdirentry[7].length = 40\n"
    "\tdirentry[8].offset = 368\n\tdirentry[8].length = 12\n"
    "\tdirentry[9].offset = 380\n\tdirentry[9].length = 8\n"
    "\tdirentry[10].offset = 388\n\tdirentry[10].length = 44\n"
    "\tdirentry[11].offset = 432\n\tdirentry[11].length = 4\n"
    "\tdirentry[12].offset = 436\n\tdirentry[12].length = 72\n"
    "\tdirentry[13].offset = 508\n\tdirentry[13].length = 104\n"
    "\tdirentry[14].offset = 612\n\tdirentry[14].length = 49152\n"
    "\tdirentry[15].offset = 49764\n\tdirentry[15].length = 16\n"
    "\tdirentry[16].offset = 49780\n\tdirentry[16].length = 12\n"
    "\nLoading Entity lump...\n\tRecordNum = 1\n\tRecordLength = 4\n\n\tent =\n{ }\n"
    "\nLoading Texture lump...\n\tRecordNum = 1\n\tRecordLength = 72\n\n"
    "\tname = tex/a\n\tflags = 5\n\tcontents = 1\n\n"
    "\nLoading Plane lump...\n\tRecordNum = 1\n\tRecordLength = 16\n\n"
    "\tnormal = {0, 0.5, 1}\n\tdist = -32\n\n"
    "\nLoading Node lump...\n\tRecordNum = 1\n\tRecordLength = 36\n\n"
    "\tplane = 0\n\tchildren = {1, -2}\n\tmins = {-1, -2, -3}\n\tmaxs = {4, 5, 6}\n\n"
    "\nLoading Leaf lump...\n\tRecordNum = 1\n\tRecordLength = 48\n\n"
    "\tcluster = 3\n\tarea = 2\n\tmins = {1, 2, 3}\n\tmaxs = {7, 8, 9}\n\tleafface = 10\n"
    "\tn_leaffaces = 11\n\tleafbrush = 12\n\tn_leafbrushes = 13\n\n"
    "\nLoading Leafface lump...\n\tRecordNum = 1\n\tRecordLength = 4\n\n\tface = 42\n\n"
    "\nLoading Leafbrush lump...\n\tRecordNum = 1\n\tRecordLength = 4\n\n\tbrush = 43\n\n"
    "\nLoading Model lump...\n\tRecordNum = 1\n\tRecordLength = 40\n\n"
    "\tmins = {1.5, 2, 3}\n\tmaxs = {4, 5, 6}\n\tface = 7\n\tn_faces = 8\n\tbrush = 9\n"
    "\tn_brushes = 10\n\n"
    "\nLoading Brush lump...\n\tRecordNum = 1\n\tRecordLength = 12\n\n"
    "\tbrushside = 1\n\tn_brushsides = 2\n\ttexture = 3\n\n"
    "\nLoading Brushside lump...\n\tRecordNum = 1\n\tRecordLength = 8\n\n"
    "\tplane = 4\n\ttexture = 5\n\n"
    "\nLoading Vertex lump...\n\tRecordNum = 1\n\tRecordLength = 44\n\n"
    "\tposition = {1, 2, 3}\n\ttexcoord = {{0.25, 0.5}, {0.75, 1}}\n\tnormal = {0, 0, 1}\n"
    "\tcolor = {1, 2, 3, 255}\n\n"
    "\nLoading Meshvert lump...\n\tRecordNum = 1\n\tRecordLength = 4\n\n\toffset = 2\n\n"
    "\nLoading Effect lump...\n\tRecordNum = 1\n\tRecordLength = 72\n\n"
    "\tname = fog\n\tbrush = 6\n\tunknown = 7\n\n"
    "\nLoading Face lump...\n\tRecordNum = 1\n\tRecordLength = 104\n\n"
    "\ttexture = 1\n\teffect = 2\n\ttype = 3\n\tvertex = 4\n\tn_vertexes = 5\n\tmeshvert = 6\n"
    "\tn_meshverts = 7\n\tlm_index = 8\n\tlm_start = {9, 10}\n\tlm_size = {11, 12}\n"
    "\tlm_origin = {13, 14, 15}\n\tlm_vecs = {{16, 17, 18}, {19, 20, 21}}\n"
    "\tnormal = {22, 23, 24}\n\tsize = {25, 26}\n\n"
    "\nLoading Lightmap lump...\n\tRecordNum = 1\n\tRecordLength = 49152\n\n"
    "\nLoading Lightvol lump...\n\tRecordNum = 2\n\tRecordLength = 8\n\n"
    "\tambient = {1, 2, 3}\n\tdirectional = {4, 5, 6}\n\tdir = {7, 8}\n\n"
    "\tambient = {17, 18, 19}\n\tdirectional = {20, 21, 22}\n\tdir = {23, 24}\n\n"
    "\nLoading Visdata lump...\n\tRecordNum = 1\n\tRecordLength = 12\n\n"
    "\tn_vecs = 2\n\tsz_vecs = 2\n\tvecs = \t{\n\t\t  1, 2, \n\t\t  3, 4\n\t\t}\n\n";

} // namespace

TEST(BSPLoader, EveryLumpIsReadInFieldOrderAndDumpedExactly)
{
    ScratchDir scratch;
    WriteFile("maps/small.bsp", DumpLevel());
    CBSPLoader loader(nullptr);
    ASSERT_TRUE(LoadPath(loader, "maps/small.bsp", true));
    EXPECT_EQ(ReadFile("maps/small.txt"), Crlf(DUMP_TEXT));

    EXPECT_EQ(loader.RecordCount(LUMP_LIGHTVOL), 2);
    EXPECT_EQ(loader.lightvols[1].ambient[0], 0x11);
    EXPECT_EQ(loader.lightvols[1].dir[1], 0x18);
    EXPECT_EQ(loader.faces[0].size[1], 26);
    EXPECT_FLOAT_EQ(loader.faces[0].normal[2], 24.0f);
    EXPECT_EQ(loader.lightmaps[0].map[127][127][2], 7);
    EXPECT_STREQ(loader.EntityText(), "{ }");
    // The in-memory extra words start out empty.
    EXPECT_EQ(loader.textures[0].texture, nullptr);
    EXPECT_EQ(loader.lightmaps[0].handle, 0u);
    for (uint32_t word : loader.faces[0].buffers)
        EXPECT_EQ(word, 0u);
    EXPECT_EQ(loader.levelFile, nullptr);
    EXPECT_EQ(loader.dumpFile, nullptr);
}

TEST(BSPLoader, WithoutTheDumpFlagNoDumpIsWritten)
{
    ScratchDir scratch;
    WriteFile("small.bsp", DumpLevel());
    CBSPLoader loader(nullptr);
    ASSERT_TRUE(LoadPath(loader, "small.bsp", false));
    EXPECT_FALSE(std::filesystem::exists("small.txt"));
    EXPECT_EQ(loader.RecordCount(LUMP_FACE), 1);
}

TEST(BSPLoader, DumpNameIsThePathCutAtItsFirstDot)
{
    EXPECT_EQ(CBSPLoader::DumpFileName("maps/level.bsp"), "maps/level.txt");
    EXPECT_EQ(CBSPLoader::DumpFileName("level"), "level.txt");
    EXPECT_EQ(CBSPLoader::DumpFileName("./maps/level.bsp"), ".txt");
    EXPECT_EQ(CBSPLoader::DumpFileName("maps.old/level.bsp"), "maps.txt");
    const std::string longPath(300, 'a');
    EXPECT_EQ(CBSPLoader::DumpFileName((longPath + ".bsp").c_str()), longPath + ".txt");
}

TEST(BSPLoader, ADumpThatCannotBeCreatedFailsTheLoadBeforeReading)
{
    ScratchDir scratch;
    WriteFile("small.bsp", DumpLevel());
    std::filesystem::create_directory("small.txt"); // a directory where the dump should go
    CBSPLoader loader(nullptr);
    EXPECT_FALSE(LoadPath(loader, "small.bsp", true));
    EXPECT_EQ(loader.RecordCount(LUMP_FACE), 0);
    EXPECT_EQ(loader.faces, nullptr);
    EXPECT_EQ(loader.levelFile, nullptr);
}

TEST(BSPLoader, ALumpLengthIsRoundedDownToWholeRecords)
{
    ScratchDir scratch;
    LumpBytes l[LUMP_COUNT];
    l[LUMP_PLANE].Float(1).Float(0).Float(0).Float(4).Raw("\x01\x02\x03\x04");
    l[LUMP_MESHVERT].Raw(std::string("\x05\x00\x00\x00\x06\x00", 6));
    WriteFile("round.bsp", LevelFile(l));
    CBSPLoader loader(nullptr);
    ASSERT_TRUE(LoadPath(loader, "round.bsp", false));
    EXPECT_EQ(loader.RecordCount(LUMP_PLANE), 1);
    EXPECT_FLOAT_EQ(loader.planes[0].dist, 4.0f);
    ASSERT_EQ(loader.RecordCount(LUMP_MESHVERT), 1);
    EXPECT_EQ(loader.meshverts[0], 5);
}

TEST(BSPLoader, VisdataOfEightBytesIsNoneAndOfNineIsOneByte)
{
    ScratchDir scratch;
    LumpBytes eight[LUMP_COUNT];
    eight[LUMP_VISDATA].Int(1).Int(1);
    WriteFile("eight.bsp", LevelFile(eight));
    CBSPLoader loader(nullptr);
    ASSERT_TRUE(LoadPath(loader, "eight.bsp", false));
    EXPECT_EQ(loader.visdata, nullptr);

    LumpBytes nine[LUMP_COUNT];
    nine[LUMP_VISDATA].Int(1).Int(1).Raw("\x81");
    WriteFile("nine.bsp", LevelFile(nine));
    loader.Unload();
    ASSERT_TRUE(LoadPath(loader, "nine.bsp", true));
    ASSERT_NE(loader.visdata, nullptr);
    EXPECT_EQ(loader.visdata->vecs[0], 0x81);
    EXPECT_NE(ReadFile("nine.txt").find("\tvecs = \t{\r\n\t\t  129\r\n\t\t}\r\n"), std::string::npos);
}

TEST(BSPLoader, UnloadFreesEverythingOnceAndKeepsTheSettings)
{
    ScratchDir scratch;
    WriteFile("small.bsp", DumpLevel());
    CBSPLoader loader(nullptr);
    loader.Unload(); // an empty loader has nothing to free
    ASSERT_TRUE(LoadPath(loader, "small.bsp", false));
    loader.dump = true;
    loader.Unload();
    loader.Unload();
    for (int lump = 0; lump < LUMP_COUNT; ++lump)
        EXPECT_EQ(loader.RecordCount(lump), 0) << lump;
    EXPECT_EQ(loader.entity, nullptr);
    EXPECT_EQ(loader.visdata, nullptr);
    EXPECT_STREQ(loader.EntityText(), "");
    EXPECT_TRUE(loader.dump);
    EXPECT_EQ(loader.recordSizes[LUMP_FACE], 104);
}

// Files whose directory or contents lie: nothing is read outside the file, nothing is allocated
// beyond what it holds, and the text stays terminated.
TEST(BSPLoaderBadFiles, LumpsBeyondTheFileReadAsZerosAndAreNoLongerThanTheFile)
{
    ScratchDir scratch;
    LumpBytes file;
    file.Raw("IBSP").Int(46);
    for (int i = 0; i < LUMP_COUNT; ++i)
        file.Int(i == LUMP_PLANE ? 100000 : 144).Int(i == LUMP_LIGHTMAP ? 0x7fffffff : i == LUMP_PLANE ? 32 : -5);
    WriteFile("liar.bsp", file.bytes);
    CBSPLoader loader(nullptr);
    ASSERT_TRUE(LoadPath(loader, "liar.bsp", false));
    EXPECT_EQ(loader.RecordCount(LUMP_FACE), 0);       // negative length: empty
    EXPECT_EQ(loader.RecordCount(LUMP_LIGHTMAP), 0);   // no longer than the 144-byte file
    ASSERT_EQ(loader.RecordCount(LUMP_PLANE), 2);      // past the end: zeros
    EXPECT_EQ(loader.planes[1].dist, 0.0f);
    EXPECT_STREQ(loader.EntityText(), "");
}

TEST(BSPLoaderBadFiles, ALumpThatStartsBeforeTheFileReadsAsZerosWhateverCameBefore)
{
    ScratchDir scratch;
    LumpBytes l[LUMP_COUNT];
    ValidLevel(l);
    std::string bytes = LevelFile(l);
    // Planes from offset -8 and nodes from -4: the bytes behind the previous lump's last read
    // must not show up once the read reaches the file's start.
    const int planeEntry = 8 + 8 * LUMP_PLANE;
    const int nodeEntry = 8 + 8 * LUMP_NODE;
    LumpBytes negative;
    negative.Int(-8);
    bytes.replace(planeEntry, 4, negative.bytes);
    negative.bytes.clear();
    negative.Int(-4);
    bytes.replace(nodeEntry, 4, negative.bytes);
    WriteFile("before.bsp", bytes);
    CBSPLoader loader(nullptr);
    ASSERT_TRUE(LoadPath(loader, "before.bsp", false));
    ASSERT_EQ(loader.RecordCount(LUMP_PLANE), 1);
    const BSPPlane zeroPlane{};
    EXPECT_EQ(std::memcmp(&loader.planes[0], &zeroPlane, sizeof zeroPlane), 0);
    ASSERT_EQ(loader.RecordCount(LUMP_NODE), 1);
    const BSPNode zeroNode{};
    EXPECT_EQ(std::memcmp(&loader.nodes[0], &zeroNode, sizeof zeroNode), 0);
    // The lumps after them are read from their own offsets as before.
    ASSERT_EQ(loader.RecordCount(LUMP_LEAF), 2);
    EXPECT_EQ(loader.leafs[1].cluster, -1);
}

TEST(BSPLoaderBadFiles, AFileShorterThanItsHeaderReadsAsEmpty)
{
    ScratchDir scratch;
    WriteFile("short.bsp", "IBS");
    CBSPLoader loader(nullptr);
    ASSERT_TRUE(LoadPath(loader, "short.bsp", true));
    EXPECT_EQ(loader.header.magic[2], 'S');
    EXPECT_EQ(loader.header.magic[3], '\0');
    for (int lump = 0; lump < LUMP_COUNT; ++lump)
        EXPECT_EQ(loader.RecordCount(lump), 0) << lump;
}

TEST(BSPLoaderBadFiles, EntityTextWithoutNulAndFullNamesStayTerminated)
{
    ScratchDir scratch;
    LumpBytes l[LUMP_COUNT];
    l[LUMP_ENTITY].Raw("{ \"classname\" \"light\" }");
    l[LUMP_TEXTURE].Raw(std::string(64, 'x')).Int(0).Int(1);
    l[LUMP_EFFECT].Raw(std::string(64, 'y')).Int(0).Int(0);
    WriteFile("names.bsp", LevelFile(l));
    CBSPLoader loader(nullptr);
    ASSERT_TRUE(LoadPath(loader, "names.bsp", true));
    EXPECT_STREQ(loader.EntityText(), "{ \"classname\" \"light\" }");
    EXPECT_EQ(std::string(loader.textures[0].name), std::string(64, 'x'));
    EXPECT_EQ(std::string(loader.effects[0].name), std::string(64, 'y'));
    EXPECT_EQ(loader.textures[0].contents, 1);
}
