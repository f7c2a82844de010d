// Loading the largest generated level (a 20 x 20 grid of rooms): time per load, and the memory
// the loaded level holds against the file's size; decoding a one-megapixel TGA texture, raw and
// run-length encoded.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include <sys/resource.h>

#include "image/image.h"
#include "level/bsp_loader.h"
#include "level/entities.h"
#include "level/level_reading.h"

using namespace Tamrik;

namespace {

const std::string LEVEL = std::string(KESTROVA_RUN_DIR) + "/../levels/grid.bsp";

// Bytes the loaded arrays take: records times their in-memory size, plus text and visibility.
size_t HeldBytes(const CBSPLoader& level)
{
    const size_t sizes[LUMP_COUNT] = {1, sizeof(BSPTexture), sizeof(BSPPlane), sizeof(BSPNode),
                                      sizeof(BSPLeaf), 4, 4, sizeof(BSPModel), sizeof(BSPBrush),
                                      sizeof(BSPBrushside), sizeof(BSPVertex), 4, sizeof(BSPEffect),
                                      sizeof(BSPFace), sizeof(BSPLightmap), sizeof(BSPLightvol), 1};
    size_t total = 0;
    for (int lump = 0; lump < LUMP_COUNT; ++lump)
        total += static_cast<size_t>(level.RecordCount(lump)) * sizes[lump];
    return total;
}

void LoadGridLevel(benchmark::State& state)
{
    IniMap settings;
    settings["Game"]["Map"] = LEVEL;
    CBSPLoader level(nullptr);
    size_t held = 0;
    for (auto _ : state) {
        if (!ReadBSPFile(level, settings, nullptr)) {
            state.SkipWithError("grid level missing or refused");
            return;
        }
        held = HeldBytes(level);
        state.PauseTiming();
        level.Unload();
        state.ResumeTiming();
    }
    const double fileSize = static_cast<double>(std::filesystem::file_size(LEVEL));
    state.counters["file_MB"] = fileSize / 1e6;
    state.counters["held_MB"] = static_cast<double>(held) / 1e6;
    state.counters["held_per_file_byte"] = static_cast<double>(held) / fileSize;
    // The process's high-water mark, which includes the level held at its largest.
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1e3;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(fileSize));
}
BENCHMARK(LoadGridLevel)->Unit(benchmark::kMillisecond);

void LoadGridLevelWithEntities(benchmark::State& state)
{
    IniMap settings;
    settings["Game"]["Map"] = LEVEL;
    CBSPLoader level(nullptr);
    for (auto _ : state) {
        ReadBSPFile(level, settings, nullptr);
        CEntitySet entities;
        ReadEntities(level, entities);
        benchmark::DoNotOptimize(entities.lightCount);
        state.PauseTiming();
        level.Unload();
        state.ResumeTiming();
    }
}
BENCHMARK(LoadGridLevelWithEntities)->Unit(benchmark::kMillisecond);

// A 1024 x 1024 24-bit TGA whose rows mix runs of four equal pixels with raw stretches, as
// packed textures do; written once to the temporary folder.
std::string WriteTexture(bool runLength)
{
    const int side = 1024;
    std::string bytes(18, '\0');
    bytes[2] = runLength ? 10 : 2;
    bytes[12] = bytes[14] = static_cast<char>(side & 255);
    bytes[13] = bytes[15] = static_cast<char>(side >> 8);
    bytes[16] = 24;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; x += 64) {
            // 32 pixels in runs of four, then 32 different ones.
            for (int r = 0; r < 8; ++r) {
                const char pixel[3] = {char(x + r), char(y), char(r * 31)};
                if (runLength)
                    bytes += '\x83';
                for (int k = 0; k < (runLength ? 1 : 4); ++k)
                    bytes.append(pixel, 3);
            }
            if (runLength)
                bytes += '\x1f';
            for (int k = 0; k < 32; ++k)
                bytes += std::string{char(x + k), char(y * k), char(k * 7)};
        }
    }
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / (runLength ? "kestrova_bench_rle.tga" : "kestrova_bench_raw.tga");
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    return path.string();
}

void LoadTexture(benchmark::State& state, bool runLength)
{
    const std::string path = WriteTexture(runLength);
    for (auto _ : state) {
        Image image;
        if (!LoadTGA(&image, path.c_str())) {
            state.SkipWithError("texture not decoded");
            break;
        }
        delete[] image.pixels;
    }
    std::filesystem::remove(path);
    state.counters["megapixels"] = 1.048576;
}
void LoadRawTGA(benchmark::State& state) { LoadTexture(state, false); }
void LoadRunLengthTGA(benchmark::State& state) { LoadTexture(state, true); }
BENCHMARK(LoadRawTGA)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadRunLengthTGA)->Unit(benchmark::kMillisecond);

} // namespace
