// The frame's own CPU work on generated levels: camera update with its traces, visibility with
// the per-leaf light pass, and the light list. Counters give the level's size and the
// allocations made per frame (expected 0).
#include <benchmark/benchmark.h>

#include <string>

#include "bench/allocation_count.h"
#include "core/ini_file.h"
#include "level/bsp_loader.h"
#include "level/entities.h"
#include "level/level_reading.h"
#include "render/camera.h"
#include "render/camera_update.h"
#include "render/face_set.h"
#include "render/light_selection.h"
#include "render/start_position.h"
#include "render/visibility.h"

using namespace Tamrik;

namespace {

struct LoadedLevel {
    explicit LoadedLevel(const std::string& path)
    {
        IniMap settings;
        settings["Game"]["Map"] = path;
        loaded = ReadBSPFile(level, settings, nullptr);
        ReadEntities(level, entities);
        // Every light on, so the light pass does its full work.
        for (int32_t i = 0; i < entities.lightCount; ++i)
            entities.lights[i].state = 1;
    }
    CBSPLoader level{nullptr};
    CEntitySet entities;
    bool loaded = false;
};

void Frame(benchmark::State& state, const std::string& path)
{
    LoadedLevel loaded(path);
    if (!loaded.loaded || loaded.level.RecordCount(LUMP_FACE) == 0) {
        state.SkipWithError(("cannot read " + path).c_str());
        return;
    }
    CBSPLoader& level = loaded.level;
    CCamera camera;
    ApplyStartPosition(level.EntityText(), camera);
    camera.moveForward = true;
    CFaceSet visibleFaces;
    char statusText[256] = "";
    Light lights[MAX_FRAME_LIGHTS];
    int64_t visible = 0;
    int64_t listed = 0;
    int64_t frames = 0;

    // One frame before measuring, as the viewer's first frame sizes the face set.
    CollectVisible(level, camera.position, loaded.entities, visibleFaces);
    visibleFaces.clear();

    const long allocationsBefore = g_Allocations.load();
    for (auto _ : state) {
        ResetFrameLights(lights, loaded.entities);
        // Walk and turn slowly, so the camera crosses rooms and slides along walls.
        camera.yawDelta = 0.01f;
        TurnAndMoveCamera(camera, &level, 1.0 / 60.0, statusText, sizeof statusText);
        CollectVisible(level, camera.position, loaded.entities, visibleFaces);
        const int32_t count = BuildLightList(lights, camera, loaded.entities);
        visible += static_cast<int64_t>(visibleFaces.size());
        listed += count;
        ++frames;
        visibleFaces.clear();
        benchmark::DoNotOptimize(lights);
    }
    const long allocations = g_Allocations.load() - allocationsBefore;

    state.counters["faces"] = level.RecordCount(LUMP_FACE);
    state.counters["leaves"] = level.RecordCount(LUMP_LEAF);
    state.counters["brushes"] = level.RecordCount(LUMP_BRUSH);
    state.counters["lights"] = loaded.entities.lightCount;
    state.counters["visible_faces"] = frames ? static_cast<double>(visible) / frames : 0;
    state.counters["listed_lights"] = frames ? static_cast<double>(listed) / frames : 0;
    state.counters["allocs_per_frame"] = frames ? static_cast<double>(allocations) / frames : 0;
}

const std::string LEVELS = std::string(KESTROVA_RUN_DIR) + "/../levels/";

void BM_FrameTwoRooms(benchmark::State& state) { Frame(state, LEVELS + "two_rooms.bsp"); }
void BM_FrameDemo(benchmark::State& state) { Frame(state, std::string(KESTROVA_RUN_DIR) + "/maps/demo.bsp"); }
void BM_FrameGrid(benchmark::State& state) { Frame(state, LEVELS + "grid.bsp"); }

BENCHMARK(BM_FrameTwoRooms)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameDemo)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameGrid)->Unit(benchmark::kMicrosecond);

} // namespace
