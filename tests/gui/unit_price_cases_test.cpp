// Nothing comes in unpriced: every instruction and every exported method has a price and a case in
// the unit-price bench.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "script/byte_code.h"
#include "script/export_table.h"
#include "tests/support/unit_price_cases.h"

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
    // The GUI's own steps whose price a case measures.
    for (const char* step : {"hit test", "focus lookup"})
        wanted.insert(step);
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

} // namespace
