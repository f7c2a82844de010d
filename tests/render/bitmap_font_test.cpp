// The bitmap font against the real "fonts/arial.ttf" of the runtime directory.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "render/bitmap_font.h"
#include "tests/support/test_paths.h"

using Tamrik::CBitmapFont;
using Tamrik::Glyph;

namespace {

// The font is read relative to the working directory, as the program does.
class BitmapFont : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::filesystem::path previous = std::filesystem::current_path();
        std::filesystem::current_path(kestrova_test::RunDir());
        font = new CBitmapFont;
        loaded = font->Load();
        std::filesystem::current_path(previous);
    }
    static void TearDownTestSuite()
    {
        delete font;
        font = nullptr;
    }
    static const Glyph& G(unsigned char c) { return font->glyphs[c]; }

    static CBitmapFont* font;
    static bool loaded;
};

CBitmapFont* BitmapFont::font = nullptr;
bool BitmapFont::loaded = false;

TEST_F(BitmapFont, LoadsTwoHundredFiftyFiveGlyphsAtTwelvePoints)
{
    ASSERT_TRUE(loaded);
    ASSERT_NE(font->glyphs, nullptr);
    EXPECT_EQ(font->count, 255);
    EXPECT_EQ(font->size, 12);
}

TEST_F(BitmapFont, GlyphsAreCoverageBitmapsHangingFromTheBaseline)
{
    ASSERT_TRUE(loaded);
    // A capital stands on the baseline and reaches about the cap height of a 16-pixel font.
    const Glyph& h = G('H');
    ASSERT_NE(h.bitmap, nullptr);
    EXPECT_GE(h.rows, 10);
    EXPECT_LE(h.rows, 13);
    EXPECT_EQ(h.top, h.rows);
    EXPECT_GE(h.left, 0);
    int full = 0;
    for (int i = 0; i < h.width * h.rows; ++i)
        full += h.bitmap[i] == 255;
    EXPECT_GT(full, h.rows); // both stems fully covered
    // A descender reaches below the baseline.
    EXPECT_GT(G('g').rows - G('g').top, 0);
}

TEST_F(BitmapFont, TheBlankHasNoBitmapButAnAdvance)
{
    ASSERT_TRUE(loaded);
    const Glyph& blank = G(' ');
    EXPECT_TRUE(blank.rows == 0 || blank.width == 0);
    EXPECT_GT(blank.advance, 0);
}

TEST_F(BitmapFont, TextsMeasureTheSumOfTheirAdvances)
{
    ASSERT_TRUE(loaded);
    EXPECT_EQ(font->GetTextWidth(""), 0);
    ASSERT_GT(G('a').advance, 0);
    EXPECT_EQ(font->GetTextWidth("aaaaaaa"), 7 * G('a').advance);
    EXPECT_EQ(font->GetTextWidth("Wi"), G('W').advance + G('i').advance);
    // Whole pixels, floored: "i" is narrower than "W" and both are plausible at 16 pixels.
    EXPECT_LT(G('i').advance, G('W').advance);
    EXPECT_LE(G('W').advance, 16);
}

TEST_F(BitmapFont, HighBytesMeasureWithTheGlyphOfTheirCode)
{
    ASSERT_TRUE(loaded);
    ASSERT_GT(G(0xE8).advance, 0);
    EXPECT_EQ(font->GetTextWidth("\xE8"), G(0xE8).advance);
    EXPECT_EQ(font->GetTextWidth("a\xE8\xE8"), G('a').advance + 2 * G(0xE8).advance);
    // The table ends at 254: the byte 255 has no glyph and measures nothing.
    EXPECT_EQ(font->GetTextWidth("\xFF"), 0);
    EXPECT_EQ(font->GetTextWidth("a\xFF" "a"), 2 * G('a').advance);
}

TEST_F(BitmapFont, LineHeightIsThePointSizePlusTheDeepestDescent)
{
    ASSERT_TRUE(loaded);
    // The underscore and the cedillas reach 4 pixels below the baseline, "g" only 3.
    EXPECT_EQ(G('_').rows - G('_').top, 4);
    EXPECT_EQ(G('g').rows - G('g').top, 3);
    EXPECT_EQ(font->GetLineHeight(), 12 + 4);
}

TEST_F(BitmapFont, LineHeightOfGlyphsOnTheBaselineIsThePointSize)
{
    CBitmapFont shallow;
    shallow.count = 3;
    shallow.size = 12;
    shallow.glyphs = new Glyph[3];
    shallow.glyphs[0] = Glyph{nullptr, 5, 11, 6, 0, 11};
    shallow.glyphs[1] = Glyph{nullptr, 5, 8, 6, 0, 10};
    shallow.glyphs[2] = Glyph{nullptr, 0, 0, 4, 0, 0};
    EXPECT_EQ(shallow.GetLineHeight(), 12);
    shallow.glyphs[2] = Glyph{nullptr, 5, 9, 6, 0, 5};
    EXPECT_EQ(shallow.GetLineHeight(), 16);
}

TEST_F(BitmapFont, WidthsClampInsteadOfOverflowingOnHugeAdvances)
{
    CBitmapFont broken;
    broken.count = 2;
    broken.size = 12;
    broken.glyphs = new Glyph[2];
    broken.glyphs[1] = Glyph{nullptr, 0, 0, INT32_MAX, 0, 0};
    EXPECT_EQ(broken.GetTextWidth("\x01\x01\x01"), INT32_MAX);
    broken.glyphs[1].advance = INT32_MIN;
    EXPECT_EQ(broken.GetTextWidth("\x01\x01"), INT32_MIN);
}

TEST(BitmapFontWithoutFile, FailsAndMeasuresNothing)
{
    kestrova_test::ScratchDir scratch; // no fonts/ here
    CBitmapFont font;
    EXPECT_FALSE(font.Load());
    EXPECT_EQ(font.count, 255);
    EXPECT_EQ(font.size, 12);
    EXPECT_EQ(font.glyphs, nullptr);
    EXPECT_EQ(font.GetTextWidth("Press any key to continue..."), 0);
    EXPECT_EQ(font.GetLineHeight(), 0);
    EXPECT_EQ(font.Find('a'), nullptr);
}

TEST(BitmapFontWithoutFile, NotAFontFailsLikeAMissingOne)
{
    kestrova_test::ScratchDir scratch;
    kestrova_test::WriteFile("fonts/arial.ttf", "this is not a font");
    CBitmapFont font;
    EXPECT_FALSE(font.Load());
    EXPECT_EQ(font.glyphs, nullptr);
    EXPECT_EQ(font.GetTextWidth("abc"), 0);
}

} // namespace
