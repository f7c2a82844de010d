// Hostile GUIs with the program's real bounds and the log on, each in a child process of its own
// so that its peak resident memory is its own: the build, then rounds of a mouse move, a press and
// a release, each timed in process CPU time. Counters per case: the time to read the file and to
// build from it, the worst event's time, both against a reference measured in the same run (a
// press whose handler runs 50 M plain instructions), the log's bytes (worst span and whole run)
// and the peak resident memory. targets_met is 0, with a line on standard error, when a case
// misses one of the targets: every event within 1.5 times the reference, the build (beyond
// reading the file) within 10 times, under 512 MiB resident, the log under 1 MiB per span and
// 64 MiB in all, and a legal handler run whole.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "core/ini_file.h"
#include "core/log.h"
#include "core/main_window.h"
#include "core/system.h"
#include "gui/gui.h"
#include "gui/xml_document.h"
#include "tests/support/hostile_guis.h"

using namespace Tamrik;
using namespace kestrova_test;

namespace {

// Times the reference's.
constexpr double EVENT_TARGET = 1.5;
constexpr double BUILD_TARGET = 10;
constexpr double RSS_TARGET_MIB = 512;
// The run's cap, plus the line that says the rest was left out and a span's bound lines.
constexpr uintmax_t LOG_TARGET_BYTES = CLog::MAX_RUN_BYTES + 4096;
// A child that runs longer than this is stuck.
constexpr unsigned CHILD_SECONDS = 300;

struct Case {
    std::string name;
    int rounds;
    // Fills the scratch folder's gui/gui.xml itself (and so is read by CGUI::Load), instead of
    // giving the text to read from memory.
    std::function<void()> writeFile;
    std::function<std::string()> xml;
    // A handler that must run whole: no bound is hit.
    bool legal = false;
};

// What a child sends back.
struct Measures {
    double readMs = 0;
    double buildMs = 0;
    double worstEventMs = 0;
    uintmax_t worstSpanLog = 0;
    uintmax_t logTotal = 0;
    double peakRssMiB = 0;
    bool boundHit = false;
};

// A reader's tree of 6 million empty elements: 24 MB of "<a/>" under the root.
void WriteSixMillionEmptyElements()
{
    std::filesystem::create_directory("gui");
    std::ofstream file("gui/gui.xml", std::ios::binary);
    file << "<gui>";
    std::string chunk;
    for (int i = 0; i < 16384; ++i)
        chunk += "<a/>";
    for (int i = 0; i < 6000000 / 16384 + 1; ++i)
        file << chunk;
    file << "</gui>";
}

// count passes of a loop of three plain instructions, with seven before it.
std::string PlainLoop(uint32_t count)
{
    HandlerText h;
    const uint32_t loop = SetLarge(h.Code("set r1 0"), "r2", count).Here();
    return h.Code({"inc r1", "cmp r1 r2"}).Jump(loop, "jmp_lt").Text();
}

// The reference: a press whose handler runs 49,998,008 plain instructions.
std::string ReferencePress()
{
    return HostileLabel(Event("OnMouseButtonDown", PlainLoop(16666000)));
}

// A legal release handler of 49,949,413 plain instructions on a radio button among 500,000
// hidden siblings, which its first click must not make too long.
std::string ALongReleaseOnARadioAmongManySiblings()
{
    return "<gui><radiobuttongroup position=\"0x0\" size=\"800x600\" visible=\"true\"><radiobutton "
           "position=\"0x0\" size=\"800x600\" visible=\"true\">" +
           Event("OnMouseButtonUp", PlainLoop(16649802)) + "</radiobutton>" + Labels(500000) +
           "</radiobuttongroup></gui>";
}

std::vector<Case> Cases()
{
    std::vector<Case> cases;
    cases.push_back({"reference: a press of 50 M plain instructions", 3, nullptr, ReferencePress, true});
    const std::vector<HostileGui> hostile = HostileGuis(true);
    for (size_t i = 0; i < hostile.size(); ++i)
        cases.push_back({hostile[i].name, 5, nullptr, [i] { return HostileGuis(true)[i].xml; }});
    cases.push_back({"a reader's tree of 6 million empty elements", 1, WriteSixMillionEmptyElements, nullptr});
    cases.push_back({"a move handler that logs 1 MB on every pass, over 100 passes", 100, nullptr,
                     [] { return LogsALongNameOnEveryMove(16); }});
    cases.push_back({"a build of nested focus handlers of 10 M instructions", 1, nullptr,
                     [] { return NestedCostlyFocusHandlers(400); }});
    // Just under the file's size cap: the assembler stops at the machine's memory.
    cases.push_back({"a 4 MB handler of empty strings", 5, nullptr, [] { return AHandlerFarPastTheMemory(800000); }});
    cases.push_back({"a release of 49.9 M instructions on a radio button among 500,000 siblings", 5, nullptr,
                     ALongReleaseOnARadioAmongManySiblings, true});
    return cases;
}

double CpuMilliseconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
}

double MillisecondsOf(const std::function<void()>& work)
{
    const double start = CpuMilliseconds();
    work();
    return CpuMilliseconds() - start;
}

uintmax_t LogBytes()
{
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size("log.txt", ec);
    return ec ? 0 : size;
}

double PeakResidentMiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    return 0;
}

// In the child, in a scratch folder of its own.
Measures Measure(const Case& hostile)
{
    Measures m;
    CWin32System system;
    (*system.settings)["Game"]["Log"] = "true";
    system.mainWindow->width = 800;
    system.mainWindow->height = 600;
    CGUI gui(&system);
    if (hostile.writeFile) {
        hostile.writeFile();
        m.buildMs = MillisecondsOf([&] { gui.Load(); });
    } else {
        CXMLDocument document;
        {
            const std::string xml = hostile.xml();
            m.readMs = MillisecondsOf([&] { document.LoadBytes(xml.data(), xml.size()); });
        }
        m.buildMs = MillisecondsOf([&] { gui.Build(document.root); });
    }
    m.worstSpanLog = LogBytes();
    gui.SetActive(true);
    const std::function<void()> events[] = {
        [&] { system.FireMouseMove(0, 0); },
        [&] { system.FireMouseButtonDown(0); },
        [&] { system.FireMouseButtonUp(0); },
    };
    for (int round = 0; round < hostile.rounds; ++round) {
        for (const auto& event : events) {
            const uintmax_t before = LogBytes();
            m.worstEventMs = std::max(m.worstEventMs, MillisecondsOf(event));
            m.worstSpanLog = std::max(m.worstSpanLog, LogBytes() - before);
        }
    }
    m.logTotal = LogBytes();
    m.peakRssMiB = PeakResidentMiB();
    std::ifstream log("log.txt", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    m.boundHit = text.find(" stopped after ") != std::string::npos;
    return m;
}

// Runs the case in a child process; false when the child did not send its measures.
bool MeasureInAChild(size_t index, Measures* m)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return false;
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        close(pipeEnds[0]);
        alarm(CHILD_SECONDS);
        char folder[] = "/tmp/kestrova-hostile-XXXXXX";
        if (!mkdtemp(folder) || chdir(folder) != 0)
            _exit(1);
        const Measures measures = Measure(Cases()[index]);
        std::error_code ec;
        std::filesystem::current_path("/", ec);
        std::filesystem::remove_all(folder, ec);
        const bool sent = write(pipeEnds[1], &measures, sizeof measures) == static_cast<ssize_t>(sizeof measures);
        _exit(sent ? 0 : 1);
    }
    close(pipeEnds[1]);
    size_t got = 0;
    ssize_t n = 0;
    while (got < sizeof *m && (n = read(pipeEnds[0], reinterpret_cast<char*>(m) + got, sizeof *m - got)) > 0)
        got += static_cast<size_t>(n);
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return got == sizeof *m && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The reference press's time, the fastest of three children; 0 when none finished.
double ReferenceMs()
{
    static const double reference = [] {
        double fastest = 0;
        for (int i = 0; i < 3; ++i) {
            Measures m;
            if (MeasureInAChild(0, &m) && (fastest == 0 || m.worstEventMs < fastest))
                fastest = m.worstEventMs;
        }
        return fastest;
    }();
    return reference;
}

void RunHostileGui(benchmark::State& state, size_t index, const std::string& name, bool legal)
{
    Measures m;
    for (auto _ : state) {
        if (!MeasureInAChild(index, &m)) {
            state.SkipWithError("the child process did not finish (stuck past its alarm?)");
            return;
        }
    }
    const double reference = ReferenceMs();
    if (reference <= 0) {
        state.SkipWithError("the reference press did not finish");
        return;
    }
    const double eventRatio = m.worstEventMs / reference;
    const double buildRatio = m.buildMs / reference;
    std::string missed;
    if (eventRatio > EVENT_TARGET)
        missed += " event";
    if (buildRatio > BUILD_TARGET)
        missed += " build";
    if (legal && m.boundHit)
        missed += " legal handler cut";
    if (m.peakRssMiB >= RSS_TARGET_MIB)
        missed += " memory";
    if (m.worstSpanLog > CLog::MAX_SPAN_BYTES || m.logTotal > LOG_TARGET_BYTES)
        missed += " log";
    if (!missed.empty())
        std::fprintf(stderr, "%s: missed the target of:%s\n", name.c_str(), missed.c_str());
    state.counters["read_ms"] = m.readMs;
    state.counters["build_ms"] = m.buildMs;
    state.counters["worst_event_ms"] = m.worstEventMs;
    state.counters["event_per_reference"] = eventRatio;
    state.counters["build_per_reference"] = buildRatio;
    state.counters["worst_span_log_KiB"] = static_cast<double>(m.worstSpanLog) / 1024.0;
    state.counters["log_total_KiB"] = static_cast<double>(m.logTotal) / 1024.0;
    state.counters["peak_rss_MiB"] = m.peakRssMiB;
    state.counters["targets_met"] = missed.empty() ? 1 : 0;
}

const bool g_Registered = [] {
    const std::vector<Case> cases = Cases();
    for (size_t i = 0; i < cases.size(); ++i)
        benchmark::RegisterBenchmark(cases[i].name.c_str(), RunHostileGui, i, cases[i].name, cases[i].legal)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    // The cases' texts are gone; what the children inherit should be small.
    malloc_trim(0);
    return true;
}();

} // namespace
