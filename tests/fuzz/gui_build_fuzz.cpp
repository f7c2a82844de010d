// Fuzz target for the whole GUI: any bytes as "gui/gui.xml", built into windows, then mouse moves,
// presses and releases through the system's input lists to the GUI's handlers, then tear-down in
// the engine's order (system object first, GUI last). Handlers run with the program's real bound.
//
// Input: the file's bytes up to the first NUL; after it, three bytes per mouse event. An input
// without a NUL (a plain gui.xml) is clicked and dragged all over the screen instead.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/main_window.h"
#include "platform/clock.h"
#include "core/system.h"
#include "gui/gui.h"
#include "tests/fuzz/fuzz_input_file.h"
#include "tests/fuzz/script_fuzzing.h"

using Tamrik::CGUI;

namespace {

constexpr int32_t SCREEN_WIDTH = 800;
constexpr int32_t SCREEN_HEIGHT = 600;
constexpr size_t MAX_EVENTS = 1024;
// Every handler that hits the bound costs its event the bound's time once; an input with many
// of them stops sending events after this long, well inside libFuzzer's -timeout, which is left
// to catch an event or build that escapes its bound.
constexpr int64_t EVENT_SECONDS_PER_INPUT = 3;

void CheckCursor(const CGUI& gui)
{
    const int32_t x = gui.cursor.points[0].x;
    const int32_t y = gui.cursor.points[0].y;
    if (x < 0 || x > SCREEN_WIDTH || y < 0 || y > SCREEN_HEIGHT)
        std::abort();
}

int64_t g_EventsEnd = 0;

// One event, as the system's input poll fires it. A handler may have switched the GUI off; it is
// switched on again as F10 would.
void Send(Tamrik::CSystem& system, CGUI& gui, uint8_t op, int8_t a, int8_t b)
{
    if (platform::MonotonicCounter() > g_EventsEnd)
        return;
    if (!gui.active)
        gui.SetActive(true);
    switch (op % 4) {
    case 0:
        system.FireMouseMove(a, b);
        break;
    case 1:
        system.FireMouseMove(a * 8, b * 8);
        break;
    case 2:
        system.FireMouseButtonDown(a & 1);
        break;
    default:
        system.FireMouseButtonUp(a & 1);
        break;
    }
    CheckCursor(gui);
}

void MoveTo(Tamrik::CSystem& system, CGUI& gui, int32_t x, int32_t y)
{
    if (platform::MonotonicCounter() > g_EventsEnd)
        return;
    if (!gui.active)
        gui.SetActive(true);
    system.FireMouseMove(x - gui.cursor.points[0].x, y - gui.cursor.points[0].y);
    CheckCursor(gui);
}

// A press, a short drag and a release on a grid over the whole screen.
void SweepScreen(Tamrik::CSystem& system, CGUI& gui)
{
    for (int32_t y = 5; y < SCREEN_HEIGHT; y += 50) {
        for (int32_t x = 5; x < SCREEN_WIDTH; x += 50) {
            MoveTo(system, gui, x, y);
            Send(system, gui, 2, 0, 0);
            Send(system, gui, 0, 7, 5);
            Send(system, gui, 3, 0, 0);
        }
    }
    MoveTo(system, gui, -1000, -1000);
    MoveTo(system, gui, 10000, 10000);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The GUI reads "gui/gui.xml" relative to the working directory.
    if (!kestrova_test::FuzzSystem::EnterFolder())
        return 0;
    const uint8_t* end = data + size;
    const uint8_t* nul = size ? static_cast<const uint8_t*>(std::memchr(data, 0, size)) : nullptr;
    if (!WriteFuzzFile("gui/gui.xml", data, nul ? static_cast<size_t>(nul - data) : size))
        return 0;

    auto* system = new kestrova_test::FuzzSystem;
    system->mainWindow->width = SCREEN_WIDTH;
    system->mainWindow->height = SCREEN_HEIGHT;
    auto* gui = new CGUI(system);
    gui->Load();
    gui->SetActive(true);
    g_EventsEnd = platform::MonotonicCounter() + EVENT_SECONDS_PER_INPUT * platform::MONOTONIC_FREQUENCY;
    if (nul) {
        const size_t events = std::min(static_cast<size_t>(end - nul - 1) / 3, MAX_EVENTS);
        for (size_t i = 0; i < events; ++i) {
            const uint8_t* e = nul + 1 + 3 * i;
            Send(*system, *gui, e[0], static_cast<int8_t>(e[1]), static_cast<int8_t>(e[2]));
        }
    } else {
        SweepScreen(*system, *gui);
    }
    delete system;
    delete gui;
    return 0;
}
