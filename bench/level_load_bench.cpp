// Loading the largest generated level (a 20 x 20 grid of rooms): time per load, and the memory
// the loaded level holds against the file's size.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include <sys/resource.h>

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

} // namespace
