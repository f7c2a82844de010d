// Draws the splash picture "textures/logo_pellum.tga": a kestrel crossing a setting sun on a
// night-blue card, with the name beside it. Usage: kestrova_logo OUTPUT.tga FONT.ttf
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

namespace {

constexpr int WIDTH = 1024;
constexpr int HEIGHT = 512;

struct Color {
    float r, g, b;
};

Color Mix(Color a, Color b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Straight (not premultiplied) RGBA in 0..255, top row first while drawing.
struct Canvas {
    std::vector<float> rgba = std::vector<float>(static_cast<size_t>(WIDTH) * HEIGHT * 4, 0.0f);

    // Paints colour over the pixel with the given coverage (0..1).
    void Blend(int x, int y, Color c, float coverage)
    {
        if (coverage <= 0.0f || x < 0 || y < 0 || x >= WIDTH || y >= HEIGHT)
            return;
        float* p = &rgba[(static_cast<size_t>(y) * WIDTH + x) * 4];
        float a = std::min(coverage, 1.0f);
        float outA = a + p[3] / 255.0f * (1.0f - a);
        if (outA <= 0.0f)
            return;
        float keep = p[3] / 255.0f * (1.0f - a);
        p[0] = (c.r * a + p[0] * keep) / outA;
        p[1] = (c.g * a + p[1] * keep) / outA;
        p[2] = (c.b * a + p[2] * keep) / outA;
        p[3] = outA * 255.0f;
    }

    // Fills a shape given by an inside test, 4 x 4 samples per pixel for smooth edges, with a
    // colour that may vary over the picture.
    void Fill(const std::function<bool(float, float)>& inside,
              const std::function<Color(float, float)>& paint, int x0 = 0, int y0 = 0,
              int x1 = WIDTH, int y1 = HEIGHT)
    {
        for (int y = std::max(y0, 0); y < std::min(y1, HEIGHT); ++y) {
            for (int x = std::max(x0, 0); x < std::min(x1, WIDTH); ++x) {
                int hits = 0;
                for (int sy = 0; sy < 4; ++sy)
                    for (int sx = 0; sx < 4; ++sx)
                        hits += inside(x + (sx + 0.5f) / 4.0f, y + (sy + 0.5f) / 4.0f);
                if (hits)
                    Blend(x, y, paint(x + 0.5f, y + 0.5f), hits / 16.0f);
            }
        }
    }
};

bool InRoundedRect(float x, float y, float left, float top, float right, float bottom, float radius)
{
    if (x < left || x > right || y < top || y > bottom)
        return false;
    float cx = std::clamp(x, left + radius, right - radius);
    float cy = std::clamp(y, top + radius, bottom - radius);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
}

bool InPolygon(const std::vector<std::pair<float, float>>& points, float x, float y)
{
    bool inside = false;
    for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
        auto [xi, yi] = points[i];
        auto [xj, yj] = points[j];
        if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
            inside = !inside;
    }
    return inside;
}

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

// Uncompressed 32-bit TGA, bottom row first as the format's default origin wants it.
bool WriteTGA(const Canvas& canvas, const std::filesystem::path& path)
{
    std::error_code ec;
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path(), ec);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    uint8_t header[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                          WIDTH & 0xFF, WIDTH >> 8, HEIGHT & 0xFF, HEIGHT >> 8, 32, 8};
    std::fwrite(header, 1, sizeof header, file);
    std::vector<uint8_t> row(static_cast<size_t>(WIDTH) * 4);
    for (int y = HEIGHT - 1; y >= 0; --y) {
        for (int x = 0; x < WIDTH; ++x) {
            const float* p = &canvas.rgba[(static_cast<size_t>(y) * WIDTH + x) * 4];
            auto byte = [](float v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 255.0f))); };
            row[x * 4 + 0] = byte(p[2]);
            row[x * 4 + 1] = byte(p[1]);
            row[x * 4 + 2] = byte(p[0]);
            row[x * 4 + 3] = byte(p[3]);
        }
        std::fwrite(row.data(), 1, row.size(), file);
    }
    return std::fclose(file) == 0;
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

    Canvas canvas;
    auto night = [&](float, float y) { return Mix(nightTop, nightBottom, y / HEIGHT); };

    // The card: an amber rim around a night-blue body, transparent outside the corners.
    canvas.Fill([](float x, float y) { return InRoundedRect(x, y, 0, 0, WIDTH, HEIGHT, 56); },
                [&](float, float) { return amber; });
    canvas.Fill([](float x, float y) { return InRoundedRect(x, y, 10, 10, WIDTH - 10, HEIGHT - 10, 46); },
                night);

    // The setting sun, its lower half sliced by bands of the night sky.
    // Everything that matters stays inside the middle 800 pixels, which a 800 x 600 window shows.
    const float sunX = 292, sunY = 258, sunR = 150;
    canvas.Fill([&](float x, float y) { return (x - sunX) * (x - sunX) + (y - sunY) * (y - sunY) <= sunR * sunR; },
                [&](float, float y) { return Mix(sunTop, sunBottom, (y - (sunY - sunR)) / (2 * sunR)); },
                static_cast<int>(sunX - sunR - 1), static_cast<int>(sunY - sunR - 1),
                static_cast<int>(sunX + sunR + 2), static_cast<int>(sunY + sunR + 2));
    for (int band = 0; band < 5; ++band) {
        float top = sunY + 34 + band * 23.0f;
        float height = 4.0f + band * 2.6f;
        canvas.Fill([&](float x, float y) {
            return y >= top && y < top + height && (x - sunX) * (x - sunX) + (y - sunY) * (y - sunY) <= (sunR + 2) * (sunR + 2);
        }, night, static_cast<int>(sunX - sunR - 3), static_cast<int>(top - 1),
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
    canvas.Fill([&](float x, float y) { return InPolygon(bird, x, y); }, night, 130, 160, 460, 320);

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
    bool drawn = DrawText(canvas, face, name, textLeft, 278, cream);
    canvas.Fill([&](float x, float y) { return InRoundedRect(x, y, textLeft + 4, 300, textLeft + nameWidth, 307, 3.5f); },
                [&](float, float) { return amber; }, textLeft, 298, textLeft + nameWidth + 2, 309);
    FT_Set_Pixel_Sizes(face, 0, 30);
    drawn = drawn && DrawText(canvas, face, "walk-through viewer", textLeft + 5, 348, mist);
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    if (!drawn) {
        std::fprintf(stderr, "cannot render the name\n");
        return 1;
    }

    if (!WriteTGA(canvas, argv[1])) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
