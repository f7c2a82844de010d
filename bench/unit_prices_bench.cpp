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
#include "tests/support/unit_price_run.h"

using namespace kestrova_test;

namespace {

// A pass after the one-pass run is taken off.
struct PassCost {
    double ns = 0;
    double units = 0;
    bool finished = false;
};

PassCost MeasurePasses(const UnitPriceCase& c)
{
    UnitPriceRun run(c);
    PassCost cost;
    if (!c.setup.empty() && !run.Run(c.setup, c.setupPasses).finished)
        return cost;
    if (c.once.empty()) {
        const UnitPriceRun::Measure whole = run.Run(c.handler, 0, c.runs);
        return {whole.cpuNs / c.runs, static_cast<double>(whole.units) / c.runs, whole.finished};
    }
    const UnitPriceRun::Measure one = run.Run(c.once, 1, c.runs);
    const UnitPriceRun::Measure all = run.Run(c.handler, c.passes, c.runs);
    const double passes = static_cast<double>(c.runs) * (c.passes - 1);
    cost.ns = (all.cpuNs - one.cpuNs) / passes;
    cost.units = (static_cast<double>(all.units) - static_cast<double>(one.units)) / passes;
    cost.finished = one.finished && all.finished;
    return cost;
}

// Other work on the machine only slows a case down: the fastest of three tries, each on a GUI
// built afresh.
PassCost Fastest(const UnitPriceCase& c)
{
    PassCost best;
    for (int i = 0; i < 3; ++i) {
        const PassCost cost = MeasurePasses(c);
        if (i == 0 || cost.ns / cost.units < best.ns / best.units)
            best = cost;
    }
    return best;
}

// The loop around nothing and the plain add, measured before the first case.
struct Reference {
    PassCost loop;
    double addNsPerUnit = 0;
    double addLoopNsPerUnit = 0; // the add case with its loop left in
};

const Reference& References()
{
    static const Reference reference = [] {
        Reference r;
        UnitPriceCase loop;
        loop.name = "loop";
        loop.xml = "<gui/>";
        loop.passes = 4000000;
        loop.handler = unit_price_detail::Looped(nullptr, [](HandlerText&) {}, loop.passes);
        loop.once = unit_price_detail::Looped(nullptr, [](HandlerText&) {}, 1);
        r.loop = Fastest(loop);
        for (const UnitPriceCase& c : UnitPriceCases())
            if (c.name == "add") {
                const PassCost add = Fastest(c);
                r.addLoopNsPerUnit = add.ns / add.units;
                r.addNsPerUnit = (add.ns - r.loop.ns) / (add.units - r.loop.units);
            }
        return r;
    }();
    return reference;
}

struct Row {
    std::string name;
    double unitsPerPass;
    double nsPerUnit;
    double ratio;
};

std::vector<Row> g_Rows;

void MeasureCase(benchmark::State& state, size_t index)
{
    const Reference& reference = References();
    const UnitPriceCase c = UnitPriceCases()[index];
    PassCost cost;
    for (auto _ : state) {
        cost = Fastest(c);
        state.SetIterationTime(cost.ns * 1e-9);
    }
    if (!cost.finished) {
        state.SkipWithError("the handler did not run to its end");
        return;
    }
    // The loop's instructions are no part of a case's work; a whole run has no loop.
    if (!c.once.empty()) {
        cost.ns -= reference.loop.ns;
        cost.units -= reference.loop.units;
    }
    const double nsPerUnit = cost.units > 0 ? cost.ns / cost.units : 0;
    const double ratio = nsPerUnit / reference.addNsPerUnit;
    state.counters["units_per_pass"] = cost.units;
    state.counters["ns_per_unit"] = nsPerUnit;
    state.counters["ratio_to_add"] = ratio;
    g_Rows.push_back({c.name, cost.units, nsPerUnit, ratio});
}

void PrintTable()
{
    if (g_Rows.empty())
        return;
    std::sort(g_Rows.begin(), g_Rows.end(), [](const Row& a, const Row& b) { return a.ratio > b.ratio; });
    const Reference& reference = References();
    std::printf("\n%-110s %16s %12s %10s\n", "case", "units/pass", "ns/unit", "ratio");
    for (const Row& row : g_Rows)
        std::printf("%-110s %16.1f %12.4f %10.2f\n", row.name.c_str(), row.unitsPerPass, row.nsPerUnit, row.ratio);
    std::printf("\nadd: %.4f ns/unit (%.4f with its loop); the loop alone: %.2f units, %.3f ns a pass\n",
                reference.addNsPerUnit, reference.addLoopNsPerUnit, reference.loop.units, reference.loop.ns);
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
