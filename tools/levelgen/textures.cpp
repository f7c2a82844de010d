// Procedural textures: plaster, brick, stone, wood, ceiling panels, switch plate, concrete.
// TGA is written directly (uncompressed and run-length), JPEG through libjpeg.
#include "textures.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <vector>

#include <jpeglib.h>

namespace levelgen {

namespace {

constexpr int SIZE = 128;

struct Picture {
    int channels; // 1 grey, 3 RGB, 4 RGBA
    std::vector<float> texels; // rows bottom first, channels interleaved, 0..1
    float* At(int x, int y) { return &texels[static_cast<size_t>((y * SIZE + x) * channels)]; }
};

// Deterministic value noise, tileable over the picture.
float Hash(int x, int y, int seed)
{
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 static_cast<uint32_t>(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return static_cast<float>((h ^ (h >> 16)) & 0xffff) / 65535.0f;
}

float Noise(float x, float y, int period, int seed)
{
    int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    float fx = x - x0, fy = y - y0;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    auto h = [&](int a, int b) { return Hash(((a % period) + period) % period, ((b % period) + period) % period, seed); };
    float top = h(x0, y0) + (h(x0 + 1, y0) - h(x0, y0)) * fx;
    float bottom = h(x0, y0 + 1) + (h(x0 + 1, y0 + 1) - h(x0, y0 + 1)) * fx;
    return top + (bottom - top) * fy;
}

float Fractal(int x, int y, int seed)
{
    float sum = 0, amplitude = 0.5f;
    for (int octave = 0, cells = 4; octave < 4; ++octave, cells *= 2, amplitude *= 0.5f)
        sum += amplitude * Noise(x * cells / float(SIZE), y * cells / float(SIZE), cells, seed + octave);
    return sum;
}

void Fill(Picture& p, float r, float g, float b, int x, int y, float shade)
{
    float* t = p.At(x, y);
    if (p.channels == 1) {
        t[0] = (0.3f * r + 0.59f * g + 0.11f * b) * shade;
        return;
    }
    t[0] = r * shade;
    t[1] = g * shade;
    t[2] = b * shade;
    if (p.channels == 4)
        t[3] = 1.0f;
}

Picture Draw(int kind, int channels)
{
    Picture p{channels, std::vector<float>(static_cast<size_t>(SIZE * SIZE * channels))};
    for (int y = 0; y < SIZE; ++y) {
        for (int x = 0; x < SIZE; ++x) {
            const float n = Fractal(x, y, kind * 17 + 3);
            switch (kind) {
            case 0: // plaster: warm, softly mottled
                Fill(p, 0.86f, 0.80f, 0.70f, x, y, 0.82f + 0.25f * n);
                break;
            case 1: { // brick: running bond, 32 x 16 texels, mortar joints
                int row = y / 16, bx = (x + (row % 2) * 16) % 32, by = y % 16;
                bool mortar = by < 2 || bx < 2;
                float tone = 0.85f + 0.3f * Hash((x + (row % 2) * 16) / 32, row, 7);
                if (mortar)
                    Fill(p, 0.72f, 0.70f, 0.66f, x, y, 0.8f + 0.3f * n);
                else
                    Fill(p, 0.62f, 0.30f, 0.22f, x, y, tone * (0.8f + 0.35f * n));
                break;
            }
            case 2: { // stone floor: large slabs with dark joints
                int sx = x % 64, sy = y % 64;
                bool joint = sx < 2 || sy < 2;
                float tone = 0.8f + 0.25f * Hash(x / 64, y / 64, 11);
                Fill(p, 0.62f, 0.60f, 0.56f, x, y, joint ? 0.45f : tone * (0.75f + 0.4f * n));
                break;
            }
            case 3: { // wood: planks along x with grain
                int plank = y / 16;
                float grain = 0.5f + 0.5f * std::sin((x + 40 * Hash(plank, 0, 5)) * 0.35f + n * 6.0f);
                bool seam = y % 16 == 0 || (x + plank * 37) % 128 == 0;
                Fill(p, 0.58f, 0.38f, 0.20f, x, y, seam ? 0.45f : 0.75f + 0.2f * grain + 0.15f * n);
                break;
            }
            case 4: { // ceiling panels: light squares with a rim
                int sx = x % 64, sy = y % 64;
                bool rim = sx < 3 || sy < 3;
                Fill(p, 0.92f, 0.92f, 0.90f, x, y, rim ? 0.6f : 0.9f + 0.1f * n);
                break;
            }
            case 5: { // switch plate: brushed metal with a red button
                float dx = x - 63.5f, dy = y - 63.5f;
                bool button = dx * dx + dy * dy < 28.0f * 28.0f;
                bool edge = x < 6 || y < 6 || x > 121 || y > 121;
                if (button)
                    Fill(p, 0.85f, 0.12f, 0.10f, x, y, 0.85f + 0.15f * n);
                else
                    Fill(p, 0.70f, 0.72f, 0.75f, x, y, (edge ? 0.6f : 0.9f) + 0.1f * Hash(0, y, 9));
                break;
            }
            default: // concrete: grey, speckled
                Fill(p, 0.6f, 0.6f, 0.6f, x, y, 0.75f + 0.35f * n + 0.08f * Hash(x, y, 13));
                break;
            }
        }
    }
    return p;
}

uint8_t Byte(float v)
{
    v = v < 0 ? 0 : v > 1 ? 1 : v;
    return static_cast<uint8_t>(std::lround(v * 255.0f));
}

// Rows bottom first, as the picture's origin bits (0) say; pixels blue, green, red (, alpha).
bool WriteTGA(const Picture& p, const std::string& path, bool runLength)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const int bytes = p.channels;
    uint8_t header[18] = {0, 0, uint8_t(runLength ? 10 : 2), 0, 0, 0, 0, 0, 0, 0, 0, 0,
                          uint8_t(SIZE & 255), uint8_t(SIZE >> 8), uint8_t(SIZE & 255),
                          uint8_t(SIZE >> 8), uint8_t(bytes * 8), uint8_t(bytes == 4 ? 8 : 0)};
    std::fwrite(header, 1, sizeof(header), file);
    std::vector<uint8_t> pixels;
    for (int i = 0; i < SIZE * SIZE; ++i) {
        const float* t = &p.texels[static_cast<size_t>(i * bytes)];
        pixels.push_back(Byte(t[2]));
        pixels.push_back(Byte(t[1]));
        pixels.push_back(Byte(t[0]));
        if (bytes == 4)
            pixels.push_back(Byte(t[3]));
    }
    if (!runLength) {
        std::fwrite(pixels.data(), 1, pixels.size(), file);
    } else {
        // Runs of equal pixels become run packets, the rest raw packets; packets run on across
        // row ends.
        const int count = SIZE * SIZE;
        auto same = [&](int a, int b) {
            return std::equal(&pixels[size_t(a * bytes)], &pixels[size_t(a * bytes + bytes)], &pixels[size_t(b * bytes)]);
        };
        int i = 0;
        while (i < count) {
            int run = 1;
            while (i + run < count && run < 128 && same(i, i + run))
                ++run;
            if (run > 1) {
                std::fputc(0x80 | (run - 1), file);
                std::fwrite(&pixels[size_t(i * bytes)], 1, size_t(bytes), file);
                i += run;
                continue;
            }
            int raw = 1;
            while (i + raw < count && raw < 128 && !(i + raw + 1 < count && same(i + raw, i + raw + 1)))
                ++raw;
            std::fputc(raw - 1, file);
            std::fwrite(&pixels[size_t(i * bytes)], 1, size_t(raw * bytes), file);
            i += raw;
        }
    }
    return std::fclose(file) == 0;
}

// JPEG stores the top row first and the viewer keeps it so; the picture is written upside down
// so that it lies on the walls the same way up as the TGA pictures.
bool WriteJPEG(const Picture& p, const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = SIZE;
    info.image_height = SIZE;
    info.input_components = p.channels == 1 ? 1 : 3;
    info.in_color_space = p.channels == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 88, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(SIZE * info.input_components));
    while (info.next_scanline < info.image_height) {
        const int y = static_cast<int>(info.next_scanline);
        for (int x = 0; x < SIZE * info.input_components; ++x)
            row[size_t(x)] = Byte(p.texels[size_t(y * SIZE * p.channels + x)]);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0;
}

} // namespace

bool WriteTextures(const LevelDescription& level, const std::string& dir)
{
    // Which picture and file kind each of the shipped texture names gets.
    struct Kind {
        const char* suffix;
        int drawing;
        int channels;
        bool jpeg;
        bool runLength;
    };
    static const Kind kinds[] = {
        {"plaster_wall", 0, 3, false, false}, {"brick_wall", 1, 3, false, true},
        {"stone_floor", 2, 3, true, false},   {"wood_floor", 3, 3, true, false},
        {"ceiling_panels", 4, 4, false, true}, {"switch_plate", 5, 4, false, false},
        {"concrete", 6, 1, true, false},
    };
    for (const TextureSpec& texture : level.textures) {
        const Kind* kind = nullptr;
        for (const Kind& k : kinds)
            if (texture.name.size() >= std::string(k.suffix).size() &&
                texture.name.ends_with(k.suffix))
                kind = &k;
        if (!kind)
            return false;
        const std::filesystem::path path = std::filesystem::path(dir) / texture.name;
        std::filesystem::create_directories(path.parent_path());
        const Picture picture = Draw(kind->drawing, kind->channels);
        const bool ok = kind->jpeg ? WriteJPEG(picture, path.string() + ".jpg")
                                   : WriteTGA(picture, path.string() + ".tga", kind->runLength);
        if (!ok)
            return false;
    }
    return true;
}

bool WriteMaterials(const LevelDescription& level, const std::string& dir)
{
    FILE* file = std::fopen((std::filesystem::path(dir) / "Materials.ini").c_str(), "wb");
    if (!file)
        return false;
    std::fprintf(file, "; Colours of the level's materials, one section per texture name.\n"
                       "; Values are quoted so that blanks, points and signs survive.\n");
    for (const TextureSpec& texture : level.textures) {
        const bool bright = texture.name.ends_with("switch_plate");
        std::fprintf(file, "\n[\"%s\"]\n", texture.name.c_str());
        std::fprintf(file, "ambient = \"0.2 0.2 0.2 1.0\"\n");
        std::fprintf(file, "diffuse = \"0.8 0.8 0.8 1.0\"\n");
        std::fprintf(file, "specular = \"%s\"\n", bright ? "0.9 0.9 0.9 1.0" : "0.1 0.1 0.1 1.0");
        std::fprintf(file, "emission = \"0.0 0.0 0.0 1.0\"\n");
    }
    return std::fclose(file) == 0;
}

} // namespace levelgen
