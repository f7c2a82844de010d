// The unit-price cases: one for every instruction and every exported method, and each, built
// small, runs its setup and its loop to their ends.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "script/byte_code.h"
#include "script/export_table.h"
#include "tests/support/test_paths.h"
#include "tests/support/unit_price_run.h"

using namespace Tamrik;
using namespace kestrova_test;

namespace {

constexpr double SMALL = 0.002;

TEST(UnitPriceCases, EveryInstructionAndEveryExportedMethodHasAPriceAndACaseAndNothingElseHasOne)
{
    std::set<std::string> wanted;
    for (const InstructionInfo& info : INSTRUCTION_SET) {
        wanted.insert(info.mnemonic);
        EXPECT_GT(info.units, 0) << "no price: " << info.mnemonic;
    }
    for (ExportGroup group : ProgramExportGroups())
        for (const ExportRow& row : group()) {
            wanted.insert(row.name);
            EXPECT_GT(row.units, 0u) << "no price: " << row.name;
        }
    std::set<std::string> named;
    for (const UnitPriceCase& c : UnitPriceCases(SMALL)) {
        // A variant names its instruction or method before " (".
        const std::string base = c.name.substr(0, c.name.find(" ("));
        EXPECT_TRUE(wanted.count(base)) << c.name;
        EXPECT_TRUE(named.insert(c.name).second) << "twice: " << c.name;
        named.insert(base);
    }
    for (const std::string& name : wanted)
        EXPECT_TRUE(named.count(name)) << "no case: " << name;
}

TEST(UnitPriceCases, EachRunsItsSetupAndItsPassesToTheEnd)
{
    ScratchDir dir;
    for (const UnitPriceCase& c : UnitPriceCases(SMALL)) {
        SCOPED_TRACE(c.name);
        UnitPriceRun run(c);
        // A setup call on a word that is no window would end its run early.
        if (!c.setup.empty()) {
            EXPECT_TRUE(run.Run(c.setup, c.setupPasses).finished);
        }
        if (c.once.empty()) {
            const UnitPriceRun::Measure whole = run.Run(c.handler, 0, c.runs);
            EXPECT_TRUE(whole.finished);
            EXPECT_GT(whole.units, 0u);
            continue;
        }
        const UnitPriceRun::Measure one = run.Run(c.once, 1);
        const UnitPriceRun::Measure all = run.Run(c.handler, c.passes);
        EXPECT_TRUE(one.finished);
        EXPECT_TRUE(all.finished);
        // Every pass is charged at least for its own loop.
        EXPECT_GE(all.units, one.units + 3u * static_cast<uint64_t>(c.passes - 1));
    }
}

TEST(UnitPriceCases, NewNamesEnterOneRegistryEntryEachPass)
{
    for (const UnitPriceCase& c : UnitPriceCases(SMALL)) {
        if (c.name != "ndsa (new names)")
            continue;
        UnitPriceRun run(c);
        const size_t before = run.system.vm->registry.size();
        ASSERT_TRUE(run.Run(c.once, 1).finished);
        ASSERT_TRUE(run.Run(c.handler, c.passes).finished);
        // The one-pass run's name is the first pass's too.
        EXPECT_EQ(run.system.vm->registry.size(), before + static_cast<size_t>(c.passes));
        return;
    }
    FAIL() << "no case of new names";
}

} // namespace
