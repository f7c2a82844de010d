// The frame's GUI work with a few hundred windows: the mouse handler's hit test and rollover
// skins, then the drawing walk with its text placement, on a device that draws nothing.
// Counters give the window count, the quads and texts per frame and the allocations made per
// frame (expected 0).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "bench/allocation_count.h"
#include "core/log.h"
#include "core/main_window.h"
#include "core/system.h"
#include "gui/button.h"
#include "gui/check_box.h"
#include "gui/dialog.h"
#include "gui/gui.h"
#include "script/virtual_machine.h"
#include "tests/support/bare_device.h"

using namespace Tamrik;
using namespace kestrova_test;

namespace {

class BenchSystem : public CSystem {
public:
    BenchSystem()
    {
        log = new CLog(this);
        mainWindow = new CMainWindow(this);
        mainWindow->width = 1024;
        mainWindow->height = 768;
        vm = new CWin32VirtualMachine(this);
    }
    void Sleep(uint32_t) override {}
    int64_t GetCounter() override { return 0; }
    int64_t GetFrequency() override { return 1; }
};

// Counts what it is asked to draw and draws nothing.
class CountingDevice : public BareDevice {
public:
    using BareDevice::BareDevice;
    void DrawString(const char*, int32_t, int32_t, int32_t, int32_t, int32_t) override { ++strings; }
    void DrawQuad(ScreenQuad*, Texture* texture) override { quads += texture != nullptr; }

    int64_t quads = 0;
    int64_t strings = 0;
};

template <class Widget>
CGUI::CWindow* AddChild(CGUI& gui, CGUI::CWindow* parent, int x, int y, int w, int h, const char* text)
{
    auto* child = new Widget(&gui);
    child->parent = parent;
    parent->children.push_back(child);
    child->SetPosition(x, y);
    child->SetSize(w, h);
    child->SetText(text);
    return child;
}

// Dialogs of 240 x 300 in a grid that overlaps, each with a caption, buttons, check boxes
// with texts beside them, and labels.
int BuildDialogs(CGUI& gui, int dialogs)
{
    for (int d = 0; d < dialogs; ++d) {
        auto* dialog = new CGUI::CDialog(&gui);
        gui.AddWindow(dialog);
        dialog->SetSize(240, 300);
        dialog->SetPosition((d * 97) % 780, (d * 61) % 460);
        dialog->SetText("Dialog");
        for (int i = 0; i < 4; ++i) {
            AddChild<CGUI::CButton>(gui, dialog, 20, 40 + i * 36, 200, 30, "A button");
            CGUI::CWindow* box = AddChild<CGUI::CCheckBox>(gui, dialog, 20, 190 + i * 24, 16, 16, "A check box");
            box->SetTextLayout(DISPLACED_RIGHT);
            AddChild<CGUI::CWindow>(gui, dialog, 130, 190 + i * 24, 90, 16, "A label");
        }
        dialog->SetVisible(true);
    }
    int count = 0;
    std::vector<CGUI::CWindow*> walk(gui.Windows().begin(), gui.Windows().end());
    while (!walk.empty()) {
        CGUI::CWindow* w = walk.back();
        walk.pop_back();
        ++count;
        walk.insert(walk.end(), w->children.begin(), w->children.end());
    }
    return count;
}

void BM_GUIFrame(benchmark::State& state)
{
    // The font is measured for every text, so it must be the real one.
    std::filesystem::current_path(KESTROVA_RUN_DIR);
    BenchSystem system;
    CountingDevice device(&system);
    device.InitFont();
    CGUI gui(&system);
    const int windows = BuildDialogs(gui, static_cast<int>(state.range(0)));
    device.LoadGUITextures(&gui);

    // The cursor sweeps back and forth over the dialogs (the same path every 600 frames), so
    // windows gain and lose the rollover.
    int step = 0;
    auto frame = [&] {
        const int dx = (step / 100) % 2 == 0 ? 9 : -9;
        const int dy = (step / 60) % 2 == 0 ? 7 : -7;
        ++step;
        gui.HandleMouseMove(dx, dy);
        device.DrawGUI();
    };
    // One whole sweep before measuring: the hit test and the drawing walk size their kept
    // lists once, to the most that any point of the sweep needs.
    for (int i = 0; i < 600; ++i)
        frame();
    device.quads = device.strings = 0;

    int64_t frames = 0;
    const long allocationsBefore = g_Allocations.load();
    for (auto _ : state) {
        frame();
        ++frames;
    }
    const long allocations = g_Allocations.load() - allocationsBefore;

    state.counters["windows"] = windows;
    state.counters["quads_per_frame"] = frames ? static_cast<double>(device.quads) / frames : 0;
    state.counters["texts_per_frame"] = frames ? static_cast<double>(device.strings) / frames : 0;
    state.counters["allocs_per_frame"] = frames ? static_cast<double>(allocations) / frames : 0;
    device.ReleaseGUITextures();
}

BENCHMARK(BM_GUIFrame)->Arg(10)->Arg(30)->Unit(benchmark::kMicrosecond);

} // namespace
