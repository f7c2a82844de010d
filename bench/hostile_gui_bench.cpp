// Hostile GUIs with the program's real bound and the log on: the build, then a few rounds of a
// mouse move and a press, each event timed on the wall clock. Counters give the build's time,
// the worst event's time (expected under 250 ms) and the bytes the log gained (expected under
// 1 MiB per event).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "core/ini_file.h"
#include "core/main_window.h"
#include "core/system.h"
#include "gui/gui.h"
#include "gui/xml_document.h"
#include "platform/clock.h"
#include "tests/support/hostile_guis.h"

using namespace Tamrik;
using namespace kestrova_test;

namespace {

double MillisecondsOf(const std::function<void()>& work)
{
    const int64_t start = platform::MonotonicCounter();
    work();
    return static_cast<double>(platform::MonotonicCounter() - start) * 1000.0 / platform::MONOTONIC_FREQUENCY;
}

uintmax_t LogBytes()
{
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size("log.txt", ec);
    return ec ? 0 : size;
}

void RunHostileGui(benchmark::State& state, const HostileGui& hostile)
{
    const std::filesystem::path start = std::filesystem::current_path();
    char folder[] = "/tmp/kestrova-hostile-XXXXXX";
    if (!mkdtemp(folder) || chdir(folder) != 0) {
        state.SkipWithError("no scratch folder");
        return;
    }
    double build = 0;
    double worst = 0;
    uintmax_t worstLog = 0;
    for (auto _ : state) {
        std::filesystem::remove("log.txt");
        CWin32System system;
        (*system.settings)["Game"]["Log"] = "true";
        system.mainWindow->width = 800;
        system.mainWindow->height = 600;
        CGUI gui(&system);
        CXMLDocument document;
        document.LoadBytes(hostile.xml.data(), hostile.xml.size());
        build = MillisecondsOf([&] { gui.Build(document.root); });
        worstLog = LogBytes();
        gui.SetActive(true);
        const std::function<void()> events[] = {
            [&] { system.FireMouseMove(0, 0); },
            [&] { system.FireMouseButtonDown(0); },
            [&] { system.FireMouseButtonUp(0); },
        };
        for (int round = 0; round < 3; ++round) {
            for (const auto& event : events) {
                const uintmax_t before = LogBytes();
                worst = std::max(worst, MillisecondsOf(event));
                worstLog = std::max(worstLog, LogBytes() - before);
            }
        }
    }
    state.counters["build_ms"] = build;
    state.counters["worst_event_ms"] = worst;
    state.counters["worst_log_bytes"] = static_cast<double>(worstLog);
    std::error_code ec;
    std::filesystem::current_path(start, ec);
    std::filesystem::remove_all(folder, ec);
}

const bool g_Registered = [] {
    for (const HostileGui& hostile : HostileGuis())
        benchmark::RegisterBenchmark(hostile.name, RunHostileGui, hostile)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    return true;
}();

} // namespace
