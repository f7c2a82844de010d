// Draws the settings tool's picture "textures/pellum.jpg": dusk over layered hills and a lake,
// inside a dark teal frame. Usage: kestrova_pellum OUTPUT.jpg
#include <cstdio>
#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <vector>

namespace {

// Not the dialog's 736 x 320: the tool scales whatever it finds to that rectangle.
constexpr int kWidth = 640;
constexpr int kHeight = 280;
constexpr int kFrame = 8;

struct Color {
    float r, g, b;
};

Color Mix(Color a, Color b, float t)
{
    t = std::clamp(t, 0.0f, 1.0f);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Height of a hill line above the horizon at x, for layer 0 (far) to 2 (near).
float Ridge(float x, int layer)
{
    float f = 0.010f + 0.006f * layer;
    return 60.0f - 18.0f * layer + 22.0f * std::sin(x * f + layer * 1.7f) +
           9.0f * std::sin(x * f * 2.7f + layer) + 4.0f * std::sin(x * f * 7.1f);
}

Color Sky(float x, float y)
{
    const Color top{0.10f, 0.13f, 0.32f}, glow{0.98f, 0.62f, 0.33f};
    Color sky = Mix(top, glow, y / 170.0f);
    float dx = x - 430.0f, dy = y - 150.0f;
    float sun = std::sqrt(dx * dx + dy * dy);
    if (sun < 26.0f)
        return {1.0f, 0.90f, 0.62f};
    return Mix(sky, {1.0f, 0.80f, 0.50f}, std::exp(-sun / 45.0f) * 0.8f);
}

Color Land(float x, float y)
{
    const float horizon = 190.0f;
    const Color hills[3] = {{0.42f, 0.30f, 0.42f}, {0.25f, 0.20f, 0.33f}, {0.12f, 0.12f, 0.20f}};
    Color c = Sky(x, y);
    for (int layer = 0; layer < 3; ++layer)
        if (y > horizon - Ridge(x, layer))
            c = hills[layer];
    return c;
}

Color Pixel(int px, int py)
{
    const Color frame{0.08f, 0.24f, 0.31f};
    if (px < kFrame || py < kFrame || px >= kWidth - kFrame || py >= kHeight - kFrame)
        return frame;
    float x = px + 0.5f, y = py + 0.5f;
    const float shore = 200.0f;
    if (y < shore)
        return Land(x, y);
    // The lake mirrors the land above the shore, darker and rippled.
    float mirrored = 2.0f * shore - y - 20.0f + 2.0f * std::sin(y * 0.9f + x * 0.05f);
    Color c = Mix(Land(x, std::max(mirrored, 0.0f)), {0.05f, 0.08f, 0.18f}, 0.45f);
    return Mix(c, {0.03f, 0.05f, 0.12f}, (y - shore) / 90.0f);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: kestrova_pellum OUTPUT.jpg\n");
        return 2;
    }
    std::filesystem::path out(argv[1]);
    if (out.has_parent_path())
        std::filesystem::create_directories(out.parent_path());
    FILE* file = std::fopen(argv[1], "wb");
    if (!file) {
        std::perror(argv[1]);
        return 1;
    }
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = kWidth;
    info.image_height = kHeight;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 92, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(kWidth * 3);
    while (info.next_scanline < info.image_height) {
        int y = static_cast<int>(info.next_scanline);
        for (int x = 0; x < kWidth; ++x) {
            Color c = Pixel(x, y);
            row[x * 3 + 0] = static_cast<JSAMPLE>(std::lround(std::clamp(c.r, 0.0f, 1.0f) * 255));
            row[x * 3 + 1] = static_cast<JSAMPLE>(std::lround(std::clamp(c.g, 0.0f, 1.0f) * 255));
            row[x * 3 + 2] = static_cast<JSAMPLE>(std::lround(std::clamp(c.b, 0.0f, 1.0f) * 255));
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0 ? 0 : 1;
}
