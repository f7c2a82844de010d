// Pre-rendering the bitmap font with FreeType, and measuring texts with it.
#include "render/bitmap_font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H

#include <algorithm>
#include <cstring>

namespace Tamrik {

namespace {

// At 16 pixels a sane glyph is a few dozen pixels wide; a font file that asks for more is
// broken, and its glyph stays empty rather than costing megabytes per character.
constexpr int32_t MAX_GLYPH_SIDE = 256;

void RenderGlyph(FT_Face face, uint32_t code, Glyph& glyph)
{
    FT_UInt index = FT_Get_Char_Index(face, code);
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) != 0)
        return;
    glyph.advance = static_cast<int32_t>(face->glyph->advance.x >> 6);

    FT_Glyph outline = nullptr;
    if (FT_Get_Glyph(face->glyph, &outline) != 0 || !outline)
        return;
    // Measured before it is rendered: FreeType would otherwise fill a bitmap as large as the
    // file asks for.
    FT_BBox box;
    FT_Glyph_Get_CBox(outline, FT_GLYPH_BBOX_PIXELS, &box);
    if (box.xMax - box.xMin > MAX_GLYPH_SIDE || box.yMax - box.yMin > MAX_GLYPH_SIDE ||
        box.xMin < -MAX_GLYPH_SIDE * 4 || box.xMax > MAX_GLYPH_SIDE * 4 ||
        box.yMin < -MAX_GLYPH_SIDE * 4 || box.yMax > MAX_GLYPH_SIDE * 4) {
        FT_Done_Glyph(outline);
        return;
    }
    if (FT_Glyph_To_Bitmap(&outline, FT_RENDER_MODE_NORMAL, nullptr, 1) != 0 ||
        outline->format != FT_GLYPH_FORMAT_BITMAP) {
        FT_Done_Glyph(outline);
        return;
    }
    FT_BitmapGlyph bitmapGlyph = reinterpret_cast<FT_BitmapGlyph>(outline);
    const FT_Bitmap& source = bitmapGlyph->bitmap;
    glyph.left = bitmapGlyph->left;
    glyph.top = bitmapGlyph->top;

    int32_t width = static_cast<int32_t>(source.width);
    int32_t rows = static_cast<int32_t>(source.rows);
    bool usable = source.pixel_mode == FT_PIXEL_MODE_GRAY && source.buffer && width > 0 &&
                  rows > 0 && width <= MAX_GLYPH_SIDE && rows <= MAX_GLYPH_SIDE;
    if (usable) {
        glyph.width = width;
        glyph.rows = rows;
        glyph.bitmap = new uint8_t[static_cast<size_t>(width) * rows];
        // Rows are copied one by one: FreeType may pad a row beyond the glyph's width.
        int pitch = source.pitch;
        for (int32_t r = 0; r < rows; ++r) {
            const uint8_t* row = pitch >= 0 ? source.buffer + static_cast<ptrdiff_t>(r) * pitch
                                            : source.buffer + static_cast<ptrdiff_t>(rows - 1 - r) * -pitch;
            std::memcpy(glyph.bitmap + static_cast<size_t>(r) * width, row, static_cast<size_t>(width));
        }
    }
    FT_Done_Glyph(outline);
}

} // namespace

CBitmapFont::~CBitmapFont() { Free(); }

void CBitmapFont::Free()
{
    if (!glyphs)
        return;
    for (int32_t i = 0; i < count; ++i)
        delete[] glyphs[i].bitmap;
    delete[] glyphs;
    glyphs = nullptr;
}

bool CBitmapFont::Load()
{
    Free();
    count = 255;
    size = 12;

    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0)
        return false;
    FT_Face face = nullptr;
    if (FT_New_Face(library, "fonts/arial.ttf", 0, &face) != 0) {
        FT_Done_FreeType(library);
        return false;
    }
    // 12 points at 96 dpi: a nominal 16 pixels.
    FT_Set_Char_Size(face, size * 64, size * 64, 96, 96);

    glyphs = new Glyph[count];
    for (int32_t c = 0; c < count; ++c)
        RenderGlyph(face, static_cast<uint32_t>(c), glyphs[c]);

    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return true;
}

const Glyph* CBitmapFont::Find(uint8_t code) const
{
    if (!glyphs || code >= count)
        return nullptr;
    return &glyphs[code];
}

int32_t CBitmapFont::GetTextWidth(const char* text) const
{
    if (!text)
        return 0;
    // Summed wide and clamped: a font file may give advances near the 32-bit limit, and a few
    // of them would overflow a 32-bit sum.
    int64_t width = 0;
    for (const char* p = text; *p; ++p) {
        if (const Glyph* glyph = Find(static_cast<uint8_t>(*p)))
            width += glyph->advance;
    }
    return static_cast<int32_t>(std::clamp<int64_t>(width, INT32_MIN, INT32_MAX));
}

int32_t CBitmapFont::GetLineHeight() const
{
    int32_t height = 0;
    if (!glyphs)
        return 0;
    for (int32_t i = 0; i < count; ++i) {
        int32_t reach = size + glyphs[i].rows - glyphs[i].top;
        if (reach > height)
            height = reach;
    }
    return height;
}

} // namespace Tamrik
