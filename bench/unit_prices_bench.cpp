// What one unit of work buys: every instruction and every exported method at its worst
// arguments (tests/support/unit_price_cases.h), as process CPU time per unit charged, and that
// against the same for a plain add. Prints a table, worst ratio first, after the benchmarks.
//
// A case's handler runs its work in a loop; the same handler with one pass is run too and taken
// off, which leaves the passes without what comes before the loop. The loop's own instructions
// (inc, cmp, jmp_lt) are then taken off as well: a loop around nothing is measured first, its
// time and units per pass subtracted from every case's.
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/unit_price_cases.h"
#include "bench/unit_price_run.h"

using namespace kestrova_test;

namespace {

// A pass after the one-pass run is taken off.
struct PassCost {
    double ns = 0;
    double units = 0;
    bool finished = false;
};

// What all takes beyond one, per pass after the first.
PassCost Beyond(const UnitPriceRun::Measure& one, const UnitPriceRun::Measure& all, double passes)
{
    return {(all.cpuNs - one.cpuNs) / passes, (static_cast<double>(all.units) - static_cast<double>(one.units)) / passes,
            one.finished && all.finished};
}

PassCost MeasurePasses(const UnitPriceCase& c)
{
    if (!c.onceXml.empty()) {
        UnitPriceCase once = c;
        once.xml = c.onceXml;
        const UnitPriceRun one(once);
        const UnitPriceRun all(c);
        return Beyond(one.build, all.build, c.passes - 1);
    }
    UnitPriceRun run(c);
    PassCost cost;
    if (!c.setup.empty() && !run.Run(c.setup, c.setupPasses).finished)
        return cost;
    if (c.mouseMoves) {
        const UnitPriceRun::Measure one = run.Moves(1);
        return Beyond(one, run.Moves(c.passes), c.passes - 1);
    }
    if (c.once.empty()) {
        const UnitPriceRun::Measure whole = run.Run(c.handler, 0, c.runs);
        return {whole.cpuNs / c.runs, static_cast<double>(whole.units) / c.runs, whole.finished};
    }
    const UnitPriceRun::Measure one = run.Run(c.once, 1, c.runs);
    return Beyond(one, run.Run(c.handler, c.passes, c.runs), static_cast<double>(c.runs) * (c.passes - 1));
}

// The loop around nothing, measured before the first case.
const PassCost& LoopAlone()
{
    static const PassCost loop = [] {
        UnitPriceCase c;
        c.name = "loop";
        c.xml = "<gui/>";
        c.passes = 4000000;
        c.handler = unit_price_detail::Looped(nullptr, [](HandlerText&) {}, c.passes);
        c.once = unit_price_detail::Looped(nullptr, [](HandlerText&) {}, 1);
        PassCost best;
        for (int i = 0; i < 3; ++i) {
            const PassCost cost = MeasurePasses(c);
            if (i == 0 || cost.ns < best.ns)
                best = cost;
        }
        return best;
    }();
    return loop;
}

const UnitPriceCase& AddCase()
{
    static const UnitPriceCase add = [] {
        for (const UnitPriceCase& c : UnitPriceCases())
            if (c.name == "add")
                return c;
        return UnitPriceCase{};
    }();
    return add;
}

// A case's passes with the loop's instructions taken off; a whole run has no loop.
PassCost WithoutLoop(const UnitPriceCase& c, PassCost cost)
{
    if (!c.once.empty()) {
        cost.ns -= LoopAlone().ns;
        cost.units -= LoopAlone().units;
    }
    return cost;
}

double NsPerUnit(const PassCost& cost)
{
    return cost.units > 0 ? cost.ns / cost.units : 0;
}

// Other work on the machine only slows a case down, and this machine's speed drifts: the case
// and the plain add take turns, each on a GUI built afresh, and each keeps its fastest of five.
struct Turns {
    PassCost best;
    double addNsPerUnit = 0;
};

Turns FastestBesideAdd(const UnitPriceCase& c)
{
    Turns t;
    for (int i = 0; i < 5; ++i) {
        const double add = NsPerUnit(WithoutLoop(AddCase(), MeasurePasses(AddCase())));
        const PassCost cost = WithoutLoop(c, MeasurePasses(c));
        if (i == 0 || add < t.addNsPerUnit)
            t.addNsPerUnit = add;
        if (i == 0 || NsPerUnit(cost) < NsPerUnit(t.best))
            t.best = cost;
    }
    return t;
}

struct Row {
    std::string name;
    double unitsPerPass;
    double nsPerUnit;
    double addNsPerUnit;
    double ratio;
};

std::vector<Row> g_Rows;

void MeasureCase(benchmark::State& state, size_t index)
{
    const UnitPriceCase c = UnitPriceCases()[index];
    Turns turns;
    for (auto _ : state) {
        turns = FastestBesideAdd(c);
        state.SetIterationTime(turns.best.ns * 1e-9);
    }
    if (!turns.best.finished) {
        state.SkipWithError("the handler did not run to its end");
        return;
    }
    const double nsPerUnit = NsPerUnit(turns.best);
    const double ratio = nsPerUnit / turns.addNsPerUnit;
    state.counters["units_per_pass"] = turns.best.units;
    state.counters["ns_per_unit"] = nsPerUnit;
    state.counters["ratio_to_add"] = ratio;
    g_Rows.push_back({c.name, turns.best.units, nsPerUnit, turns.addNsPerUnit, ratio});
}

void PrintTable()
{
    if (g_Rows.empty())
        return;
    std::sort(g_Rows.begin(), g_Rows.end(), [](const Row& a, const Row& b) { return a.ratio > b.ratio; });
    std::printf("\n%-110s %16s %12s %12s %10s\n", "case", "units/pass", "ns/unit", "add ns/unit", "ratio");
    for (const Row& row : g_Rows)
        std::printf("%-110s %16.1f %12.4f %12.4f %10.2f\n", row.name.c_str(), row.unitsPerPass, row.nsPerUnit,
                    row.addNsPerUnit, row.ratio);
    std::printf("\nthe loop alone: %.2f units, %.3f ns a pass\n", LoopAlone().units, LoopAlone().ns);
    std::printf("worst ratio: %.2f (%s)\n", g_Rows.front().ratio, g_Rows.front().name.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    // Cases with the log on write "log.txt" into the working directory: a scratch folder.
    char folder[] = "/tmp/kestrova-prices-XXXXXX";
    if (!mkdtemp(folder) || chdir(folder) != 0) {
        std::perror("scratch folder");
        return 1;
    }
    const std::vector<UnitPriceCase> cases = UnitPriceCases();
    for (size_t i = 0; i < cases.size(); ++i)
        benchmark::RegisterBenchmark(cases[i].name.c_str(), MeasureCase, i)
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintTable();
    std::error_code ec;
    std::filesystem::current_path("/", ec);
    std::filesystem::remove_all(folder, ec);
    return 0;
}
