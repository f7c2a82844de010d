// A small anti-aliased canvas for the project's generated pictures (the logo, the GUI skins):
// shapes filled by inside tests with 4 x 4 samples a pixel, written as 32-bit TGA with alpha.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <utility>
#include <vector>

namespace picture {

struct Color {
    float r, g, b;
};

inline Color Mix(Color a, Color b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Straight (not premultiplied) RGBA in 0..255, top row first while drawing.
struct Canvas {
    Canvas(int width, int height)
        : width(width), height(height), rgba(static_cast<size_t>(width) * height * 4, 0.0f)
    {
    }

    // Gives every pixel nothing has covered yet this colour, still fully transparent: a
    // renderer that copies the picture instead of blending it shows the colour there.
    void FillTransparent(Color c)
    {
        for (size_t i = 0; i < rgba.size(); i += 4) {
            if (rgba[i + 3] == 0.0f) {
                rgba[i] = c.r;
                rgba[i + 1] = c.g;
                rgba[i + 2] = c.b;
            }
        }
    }

    // Paints colour over the pixel with the given coverage (0..1).
    void Blend(int x, int y, Color c, float coverage)
    {
        if (coverage <= 0.0f || x < 0 || y < 0 || x >= width || y >= height)
            return;
        float* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
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
    // colour that may vary over the picture; opacity scales the coverage.
    void Fill(const std::function<bool(float, float)>& inside, const std::function<Color(float, float)>& paint,
              float opacity = 1.0f)
    {
        FillArea(inside, paint, 0, 0, width, height, opacity);
    }

    // As Fill, only inside the pixel box [x0, x1) x [y0, y1) to save time on large pictures.
    void FillArea(const std::function<bool(float, float)>& inside, const std::function<Color(float, float)>& paint,
                  int x0, int y0, int x1, int y1, float opacity = 1.0f)
    {
        for (int y = std::max(y0, 0); y < std::min(y1, height); ++y) {
            for (int x = std::max(x0, 0); x < std::min(x1, width); ++x) {
                int hits = 0;
                for (int sy = 0; sy < 4; ++sy)
                    for (int sx = 0; sx < 4; ++sx)
                        hits += inside(x + (sx + 0.5f) / 4.0f, y + (sy + 0.5f) / 4.0f);
                if (hits)
                    Blend(x, y, paint(x + 0.5f, y + 0.5f), opacity * hits / 16.0f);
            }
        }
    }

    int width;
    int height;
    std::vector<float> rgba;
};

inline bool InRoundedRect(float x, float y, float left, float top, float right, float bottom, float radius)
{
    if (x < left || x > right || y < top || y > bottom)
        return false;
    float cx = std::clamp(x, left + radius, right - radius);
    float cy = std::clamp(y, top + radius, bottom - radius);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
}

inline bool InPolygon(const std::vector<std::pair<float, float>>& points, float x, float y)
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

// Uncompressed 32-bit TGA, bottom row first as the format's default origin wants it.
inline bool WriteTGA(const Canvas& canvas, const std::filesystem::path& path)
{
    std::error_code ec;
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path(), ec);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const int w = canvas.width;
    const int h = canvas.height;
    uint8_t header[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                          static_cast<uint8_t>(w & 0xFF), static_cast<uint8_t>(w >> 8),
                          static_cast<uint8_t>(h & 0xFF), static_cast<uint8_t>(h >> 8), 32, 8};
    std::fwrite(header, 1, sizeof header, file);
    std::vector<uint8_t> row(static_cast<size_t>(w) * 4);
    auto byte = [](float v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 255.0f))); };
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const float* p = &canvas.rgba[(static_cast<size_t>(y) * w + x) * 4];
            row[x * 4 + 0] = byte(p[2]);
            row[x * 4 + 1] = byte(p[1]);
            row[x * 4 + 2] = byte(p[0]);
            row[x * 4 + 3] = byte(p[3]);
        }
        std::fwrite(row.data(), 1, row.size(), file);
    }
    return std::fclose(file) == 0;
}

} // namespace picture
