// Long random walks through the demo and grid levels with the camera's own update (frame times
// from 2 to 33 ms); fails when any walk leaves the world box or ends a frame in a solid brush.
#include <benchmark/benchmark.h>

#include <string>

#include "core/ini_file.h"
#include "level/bsp_loader.h"
#include "level/level_reading.h"
#include "tests/support/level_walk.h"

namespace Tamrik {
namespace {

void Walks(benchmark::State& state, const std::string& path)
{
    IniMap settings;
    settings["Game"]["Map"] = path;
    CBSPLoader level(nullptr);
    if (!ReadBSPFile(level, settings, nullptr)) {
        state.SkipWithError(("cannot read " + path).c_str());
        return;
    }
    const kestrova_test::LevelWalk walk(level);
    constexpr int FRAMES = 20000;
    uint32_t seed = 1000;
    int64_t walks = 0;
    int64_t faults = 0;
    double wanted = 0;
    double travelled = 0;
    for (auto _ : state) {
        const kestrova_test::WalkResult fault = walk.Walk(seed++, FRAMES);
        ++walks;
        wanted += fault.wanted;
        travelled += fault.travelled;
        if (fault.frame >= 0)
            ++faults;
    }
    state.counters["walks"] = static_cast<double>(walks);
    state.counters["frames_per_walk"] = FRAMES;
    state.counters["faults"] = static_cast<double>(faults);
    // Share of the distance asked for that was walked: what walls and corners took away.
    state.counters["travelled"] = wanted > 0 ? travelled / wanted : 0;
    if (faults)
        state.SkipWithError((std::to_string(faults) + " walks left the level").c_str());
}

void BM_WalkDemo(benchmark::State& state) { Walks(state, std::string(KESTROVA_RUN_DIR) + "/maps/demo.bsp"); }
void BM_WalkGrid(benchmark::State& state) { Walks(state, std::string(KESTROVA_RUN_DIR) + "/../levels/grid.bsp"); }

BENCHMARK(BM_WalkDemo)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_WalkGrid)->Unit(benchmark::kMillisecond)->Iterations(200);

} // namespace
} // namespace Tamrik
