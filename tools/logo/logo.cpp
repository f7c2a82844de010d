// Draws the splash picture "textures/logo_pellum.tga": a kestrel crossing a sun setting on a
// night-blue card, with the name beside it and a light field below the horizon.
// Usage: kestrova_logo OUTPUT.tga FONT.ttf
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <vector>

#include "tools/picture/canvas.h"

namespace {

using picture::Canvas;
using picture::Color;
using picture::InPolygon;
using picture::InRoundedRect;
using picture::Mix;

constexpr int WIDTH = 1024;
constexpr int HEIGHT = 512;

// Draws text in one colour with its baseline at (x, baseline); returns false without a font.
bool DrawText(Canvas& canvas, FT_Face face, const char* text, int x, int baseline, Color color)
{
    int pen = x;
    for (const char* p = text; *p; ++p) {
        if (FT_Load_Char(face, static_cast<unsigned char>(*p), FT_LOAD_RENDER) != 0)
            return false;
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        for (unsigned r = 0; r < bitmap.rows; ++r)
            for (unsigned c = 0; c < bitmap.width; ++c)
                canvas.Blend(pen + slot->bitmap_left + static_cast<int>(c),
                             baseline - slot->bitmap_top + static_cast<int>(r), color,
                             bitmap.buffer[r * bitmap.pitch + c] / 255.0f);
        pen += static_cast<int>(slot->advance.x >> 6);
    }
    return true;
}

int TextWidth(FT_Face face, const char* text)
{
    int width = 0;
    for (const char* p = text; *p; ++p)
        if (FT_Load_Char(face, static_cast<unsigned char>(*p), FT_LOAD_DEFAULT) == 0)
            width += static_cast<int>(face->glyph->advance.x >> 6);
    return width;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUTPUT.tga FONT.ttf\n", argv[0]);
        return 2;
    }
    const Color nightTop{44, 58, 88};
    const Color nightBottom{22, 29, 48};
    const Color amber{242, 166, 70};
    const Color sunTop{255, 204, 112};
    const Color sunBottom{232, 92, 74};
    const Color cream{255, 247, 240};
    const Color mist{168, 180, 204};
    const Color fieldTop{252, 242, 228};
    const Color fieldBottom{243, 229, 210};

    // The viewer writes its loading texts in black at a quarter of the window's height above its
    // bottom edge; over the centred picture that is row 376 or lower for every window from 480
    // pixels high, at any column. Below the horizon the card is a light field, so they read.
    const float horizon = 362;

    Canvas canvas(WIDTH, HEIGHT);
    auto night = [&](float, float y) { return Mix(nightTop, nightBottom, y / horizon); };
    auto inCard = [](float x, float y) { return InRoundedRect(x, y, 10, 10, WIDTH - 10, HEIGHT - 10, 46); };

    // The card: an amber rim around a night-blue sky over a light field, transparent outside
    // the corners.
    canvas.Fill([](float x, float y) { return InRoundedRect(x, y, 0, 0, WIDTH, HEIGHT, 56); },
                [&](float, float) { return amber; });
    canvas.Fill([&](float x, float y) { return inCard(x, y) && y < horizon; }, night);
    canvas.Fill([&](float x, float y) { return inCard(x, y) && y >= horizon + 4; },
                [&](float, float y) { return Mix(fieldTop, fieldBottom, (y - horizon) / (HEIGHT - horizon)); });
    // Where the copying renderer shows the corners, it shows the splash's background.
    canvas.FillTransparent(cream);

    // The sun setting behind the horizon, its lower part sliced by bands of the night sky.
    // Everything that matters stays inside the middle 800 pixels, which a 800 x 600 window shows.
    const float sunX = 292, sunY = 246, sunR = 150;
    auto inSun = [&](float x, float y, float r) { return (x - sunX) * (x - sunX) + (y - sunY) * (y - sunY) <= r * r; };
    canvas.FillArea([&](float x, float y) { return inSun(x, y, sunR) && y < horizon; },
                [&](float, float y) { return Mix(sunTop, sunBottom, (y - (sunY - sunR)) / (horizon - (sunY - sunR))); },
                static_cast<int>(sunX - sunR - 1), static_cast<int>(sunY - sunR - 1),
                static_cast<int>(sunX + sunR + 2), static_cast<int>(horizon + 1));
    for (int band = 0; band < 4; ++band) {
        float top = sunY + 30 + band * 21.0f;
        float height = 4.0f + band * 2.6f;
        canvas.FillArea([&](float x, float y) { return y >= top && y < top + height && inSun(x, y, sunR + 2); },
                        night, static_cast<int>(sunX - sunR - 3), static_cast<int>(top - 1),
                        static_cast<int>(sunX + sunR + 3), static_cast<int>(top + height + 2));
    }

    // The kestrel, wings spread, gliding across the sun.
    std::vector<std::pair<float, float>> bird = {
        {-168, -58}, {-96, -26}, {-34, -2}, {-14, -20}, {0, -30}, {14, -20}, {34, -2},
        {96, -26}, {168, -58}, {112, 4}, {44, 22}, {16, 32}, {0, 76}, {-16, 32}, {-44, 22}, {-112, 4}};
    for (auto& [x, y] : bird) {
        x = sunX + x * 0.84f;
        y = sunY - 30 + y * 0.84f;
    }
    canvas.FillArea([&](float x, float y) { return InPolygon(bird, x, y); }, night, 130, 150, 460, 310);

    // The name, an amber rule and a quiet subtitle.
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, argv[2], 0, &face) != 0) {
        std::fprintf(stderr, "cannot open font %s\n", argv[2]);
        return 1;
    }
    const char* name = "Kestrova";
    const int textLeft = 484;
    const int textRight = 884;
    FT_Set_Pixel_Sizes(face, 0, 100);
    int size = 100 * (textRight - textLeft) / std::max(TextWidth(face, name), 1);
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size));
    int nameWidth = TextWidth(face, name);
    bool drawn = DrawText(canvas, face, name, textLeft, 262, cream);
    canvas.FillArea([&](float x, float y) { return InRoundedRect(x, y, textLeft + 4, 284, textLeft + nameWidth, 291, 3.5f); },
                [&](float, float) { return amber; }, textLeft, 282, textLeft + nameWidth + 2, 293);
    FT_Set_Pixel_Sizes(face, 0, 30);
    drawn = drawn && DrawText(canvas, face, "walk-through viewer", textLeft + 5, 330, mist);
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    if (!drawn) {
        std::fprintf(stderr, "cannot render the name\n");
        return 1;
    }

    if (!picture::WriteTGA(canvas, argv[1])) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
