// "Materials.ini" into materials, and the level textures: ".tga" first, ".jpg" only after it.
#include "level/material_library.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "level/bsp_loader.h"
#include "level/level_reading.h"
#include "level_bytes.h"
#include "image/image.h"
#include "tests/support/test_paths.h"

using namespace Tamrik;
using kestrova_test::ScratchDir;
using kestrova_test::WriteFile;

TEST(MaterialLibrary, QuotedValuesGiveFourComponentsAndMissingOnesStayZero)
{
    CMaterialLibrary library;
    const std::string text = "[\"stone\"]\ndiffuse = \"0.5 0.25 -1 1\"\n"
                             "[plain]\nambient = \"0.1 0.2 0.3\"\nshininess = \"8\"\n";
    ParseIniBytes(library.document, text.data(), text.size());
    library.Parse();
    ASSERT_EQ(library.materials.size(), 2u);
    const Material& stone = library.materials["stone"];
    EXPECT_FLOAT_EQ(stone.diffuse[0], 0.5f);
    EXPECT_FLOAT_EQ(stone.diffuse[2], -1.0f);
    EXPECT_FLOAT_EQ(stone.diffuse[3], 1.0f);
    for (int c = 0; c < 4; ++c) {
        EXPECT_FLOAT_EQ(stone.ambient[c], 0.0f);
        EXPECT_FLOAT_EQ(stone.specular[c], 0.0f);
        EXPECT_FLOAT_EQ(stone.emission[c], 0.0f);
    }
    const Material& plain = library.materials["plain"];
    EXPECT_FLOAT_EQ(plain.ambient[2], 0.3f);
    EXPECT_FLOAT_EQ(plain.ambient[3], 0.0f); // three numbers leave alpha
    // Every lookup of a missing key adds it, empty.
    EXPECT_EQ(library.document["plain"].count("emission"), 1u);
}

TEST(MaterialLibrary, AnUnquotedValueLosesItsBlanksAndPoints)
{
    CMaterialLibrary library;
    const std::string text = "[m]\ndiffuse = 0.5 0.5 0.5 1\n";
    ParseIniBytes(library.document, text.data(), text.size());
    library.Parse();
    const Material& m = library.materials["m"];
    EXPECT_FLOAT_EQ(m.diffuse[0], 505051.0f);
    EXPECT_FLOAT_EQ(m.diffuse[1], 0.0f);
    EXPECT_FLOAT_EQ(m.diffuse[3], 0.0f);
}

namespace {

void WriteTGA(const std::string& path, uint8_t blue)
{
    std::string tga("\0\0\x02\0\0\0\0\0\0\0\0\0\x01\0\x01\0\x18\0", 18);
    tga += static_cast<char>(blue);
    tga += "\x02\x03";
    WriteFile(path, tga);
}

} // namespace

TEST(ReadTextures, EachTextureTriesTgaThenJpgAndAlwaysGetsARecord)
{
    ScratchDir scratch;
    using kestrova_test::LumpBytes;
    LumpBytes l[LUMP_COUNT];
    l[LUMP_TEXTURE].Name("textures/base/wall").Int(0).Int(1);
    l[LUMP_TEXTURE].Name("textures/base/none").Int(0).Int(1);
    l[LUMP_TEXTURE].Name("textures/base/broken").Int(0).Int(1);
    WriteFile("t.bsp", kestrova_test::LevelFile(l));
    WriteTGA("textures/base/wall.tga", 9);
    WriteFile("textures/base/wall.jpg", "not read at all");
    WriteFile("textures/base/broken.tga", "bad");
    WriteFile("textures/base/broken.jpg", "not a jpeg either");
    WriteFile("Materials.ini", "[\"textures/base/wall\"]\nspecular = \"1 1 1 1\"\n");
    CBSPLoader level(nullptr);
    level.levelFile = std::fopen("t.bsp", "rb");
    ASSERT_TRUE(level.Load("t.bsp"));
    CMaterialLibrary materials;
    materials.document["stale"]["diffuse"] = "\"1 1 1 1\"";
    ReadTextures(level, materials);

    EXPECT_EQ(materials.document.count("stale"), 0u);
    EXPECT_FLOAT_EQ(materials.materials["textures/base/wall"].specular[0], 1.0f);
    const Texture* wall = level.textures[0].texture;
    ASSERT_NE(wall, nullptr);
    EXPECT_EQ(wall->width, 1);
    ASSERT_NE(wall->pixels, nullptr);
    EXPECT_EQ(wall->pixels[2], 9);
    for (int i = 1; i < 3; ++i) {
        const Texture* empty = level.textures[i].texture;
        ASSERT_NE(empty, nullptr);
        EXPECT_EQ(empty->width, 0);
        EXPECT_EQ(empty->format, 0);
        EXPECT_EQ(empty->pixels, nullptr);
        EXPECT_EQ(empty->handle, 0u);
    }
    for (int i = 0; i < 3; ++i) {
        delete[] level.textures[i].texture->pixels;
        delete level.textures[i].texture;
    }
}

TEST(ReadTextures, WithoutALevelOnlyTheMaterialsAreRead)
{
    ScratchDir scratch;
    WriteFile("Materials.ini", "[a]\nambient = \"1 0 0 1\"\n");
    CBSPLoader level(nullptr);
    CMaterialLibrary materials;
    ReadTextures(level, materials);
    EXPECT_FLOAT_EQ(materials.materials["a"].ambient[0], 1.0f);
}
