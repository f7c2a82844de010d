// Frames per second of the OpenGL and the Direct3D device on the same views, the two taking
// turns in one process: the demo level and the grid level, each with the GUI off and on. Each
// sample loads the level on a new device, then times whole frames while the camera turns in place
// by the same step every frame. Prints each device's median rate, the ratio Direct3D / OpenGL and
// the process's CPU time per frame (steadier than the rate on a busy machine).
//
// Usage: renderer_fps RUN_DIR LEVELS_DIR [ROUNDS [FRAMES]]; needs a display, which
// bench/renderer_ratio.sh gives it.
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/main_window.h"
#include "core/system.h"
#include "gui/gui.h"
#include "level/bsp_loader.h"
#include "render/camera.h"
#include "render/direct3d/direct3d_device.h"
#include "render/opengl/opengl_device.h"

using namespace Tamrik;

namespace {

// The size the shipped settings give the window.
constexpr int WIDTH = 1024;
constexpr int HEIGHT = 768;
constexpr float TURN = 2.0f * 3.14159265f / 240.0f; // a whole turn every 240 frames
constexpr int WARM_UP_FRAMES = 20;

enum Renderer { OPENGL, DIRECT3D };
const char* const RENDERER_NAMES[2] = {"OpenGL", "Direct3D"};

struct Measure {
    double fps = 0;
    double cpuMilliseconds = 0; // of every thread of the process, per frame
};

struct Case {
    const char* name;
    std::vector<Measure> measures[2]; // by Renderer, one a round
};

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

double Median(const std::vector<Measure>& measures, double Measure::*field)
{
    std::vector<double> values;
    for (const Measure& m : measures)
        values.push_back(m.*field);
    return Median(values);
}

double CPUSeconds()
{
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// A folder that sees the runtime directory's data and the generated levels, with settings of its
// own (the window's size, no log).
std::filesystem::path MakeRunFolder(const std::filesystem::path& runDir, const std::filesystem::path& levels)
{
    char name[] = "/tmp/kestrova-fps-XXXXXX";
    if (!mkdtemp(name))
        return {};
    const std::filesystem::path folder = name;
    for (const char* entry : {"textures", "fonts", "gui", "maps", "Materials.ini"})
        std::filesystem::create_symlink(runDir / entry, folder / entry);
    std::filesystem::create_symlink(levels, folder / "levels");
    std::ofstream settings(folder / "Settings.ini");
    settings << "[Display]\nWidth = " << WIDTH << "\nHeight = " << HEIGHT << "\n[Game]\nLog = \"false\"\n";
    return folder;
}

// Loads the map on a new device of the kind given, as the engine does, and measures frames with
// the GUI off, then on. False when the device or the level does not start.
bool Sample(Renderer renderer, const std::string& map, int frames, Measure measures[2])
{
    CWin32System system;
    (*system.settings)["Game"]["Map"] = map;
    if (!system.mainWindow->Create(WIDTH, HEIGHT))
        return false;
    std::unique_ptr<CRenderDevice> device;
    if (renderer == OPENGL)
        device = std::make_unique<COpenGLRenderDevice>(&system);
    else
        device = std::make_unique<CDirect3DRenderDevice>(&system);
    if (!device->Create(system.mainWindow)) {
        system.mainWindow->Destroy();
        return false;
    }
    device->InitFont();
    device->CreateTextFont();
    CGUI gui(&system);
    gui.Load();
    device->LoadGUITextures(&gui);
    while (device->loadingStep < LOADING_WAIT_FOR_KEY)
        device->RenderFrame();
    device->loadingStep = LOADING_DONE;
    const bool loaded = device->level->RecordCount(LUMP_FACE) > 0;

    auto frame = [&] {
        system.mainWindow->Update();
        device->camera->yawDelta = TURN;
        device->RenderFrame();
    };
    for (int withGUI = 0; loaded && withGUI < 2; ++withGUI) {
        gui.SetActive(withGUI != 0);
        for (int i = 0; i < WARM_UP_FRAMES; ++i)
            frame();
        const auto begin = std::chrono::steady_clock::now();
        const double cpuBegin = CPUSeconds();
        for (int i = 0; i < frames; ++i)
            frame();
        const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - begin;
        measures[withGUI].fps = frames / seconds.count();
        measures[withGUI].cpuMilliseconds = (CPUSeconds() - cpuBegin) * 1000.0 / frames;
    }

    device->ReleaseLevelGeometry();
    device->ReleaseLevelTextures();
    device->ReleaseTextFont();
    device->ReleaseGUITextures();
    device->level->Unload();
    device->Destroy();
    system.mainWindow->Destroy();
    return loaded;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s RUN_DIR LEVELS_DIR [ROUNDS [FRAMES]]\n", argv[0]);
        return 2;
    }
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    const int frames = argc > 4 ? std::max(1, std::atoi(argv[4])) : 240;
    const std::filesystem::path folder =
        MakeRunFolder(std::filesystem::absolute(argv[1]), std::filesystem::absolute(argv[2]));
    if (folder.empty() || chdir(folder.c_str()) != 0) {
        std::fprintf(stderr, "cannot make a run folder\n");
        return 1;
    }

    const char* const maps[2] = {"maps/demo.bsp", "levels/grid.bsp"};
    Case cases[4] = {{"demo, GUI off", {}}, {"demo, GUI on", {}}, {"grid, GUI off", {}}, {"grid, GUI on", {}}};
    bool failed = false;
    for (int round = 0; round < rounds && !failed; ++round) {
        // Each level is measured by each device in turn; the one that goes first changes every
        // round.
        for (int level = 0; level < 2 && !failed; ++level) {
            for (int turn = 0; turn < 2 && !failed; ++turn) {
                const Renderer renderer = static_cast<Renderer>((round + turn) % 2);
                Measure measures[2];
                if (!Sample(renderer, maps[level], frames, measures)) {
                    std::fprintf(stderr, "%s cannot draw %s\n", RENDERER_NAMES[renderer], maps[level]);
                    failed = true;
                    continue;
                }
                for (int withGUI = 0; withGUI < 2; ++withGUI) {
                    const Measure& m = measures[withGUI];
                    cases[2 * level + withGUI].measures[renderer].push_back(m);
                    std::fprintf(stderr, "round %d: %-14s %-8s %7.1f fps %6.1f ms CPU a frame\n", round + 1,
                                 cases[2 * level + withGUI].name, RENDERER_NAMES[renderer], m.fps,
                                 m.cpuMilliseconds);
                }
            }
        }
    }
    std::filesystem::remove_all(folder);
    if (failed)
        return 1;

    std::printf("%-14s %10s %12s %15s %20s %22s\n", "case", "OpenGL fps", "Direct3D fps", "Direct3D/OpenGL",
                "per round (min-max)", "CPU ms a frame (GL/D3D)");
    for (const Case& c : cases) {
        const double opengl = Median(c.measures[OPENGL], &Measure::fps);
        const double direct3D = Median(c.measures[DIRECT3D], &Measure::fps);
        std::vector<double> ratios;
        for (int r = 0; r < rounds; ++r)
            ratios.push_back(c.measures[DIRECT3D][r].fps / c.measures[OPENGL][r].fps);
        std::printf("%-14s %10.1f %12.1f %15.2f %15.2f-%.2f %15.1f / %.1f\n", c.name, opengl, direct3D,
                    direct3D / opengl, *std::min_element(ratios.begin(), ratios.end()),
                    *std::max_element(ratios.begin(), ratios.end()),
                    Median(c.measures[OPENGL], &Measure::cpuMilliseconds),
                    Median(c.measures[DIRECT3D], &Measure::cpuMilliseconds));
    }
    return 0;
}
