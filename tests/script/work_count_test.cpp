// The count of a span's work as the machine keeps it: each kind of charge grows with what it
// touches, a call whose own charge spends the span does nothing, the assembler stops with the span,
// and the instruction loop itself sees a request to quit.
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <string>

#include "core/log.h"
#include "platform/quit_request.h"
#include "script/export_table.h"
#include "tests/script/script_test_support.h"
#include "tests/support/child_process.h"
#include "tests/support/counting.h"
#include "tests/support/handler_text.h"
#include "tests/support/hostile_guis.h"
#include "tests/support/test_paths.h"

using namespace kestrova_test;
using Tamrik::CVirtualMachine;
using Tamrik::Export;

namespace {

struct Target {
    void SetText(const char* t) { text = t; }
    // Work of its own that spends the span.
    int Spend()
    {
        static_cast<void>(vm->Charge(uint64_t{1} << 40));
        return 7;
    }
    void RaiseQuit() { std::raise(SIGTERM); }
    std::string text = "unchanged";
    CVirtualMachine* vm = nullptr;
};

const Tamrik::ExportRow TARGET_ROWS[] = {
    Export<&Target::SetText>("SetText", 16),
    Export<&Target::SetText>("SetTextDear", 1016),
    Export<&Target::RaiseQuit>("RaiseQuit", 16),
    Export<&Target::Spend>("Spend", 16),
};

class WorkCount : public ::testing::Test {
protected:
    void SetUp() override
    {
        Tamrik::SetExtraExportsForTesting(TARGET_ROWS);
        vm().RegisterObjectAs<Target>("target", &target);
        target.vm = &vm();
    }
    void TearDown() override { Tamrik::SetExtraExportsForTesting({}); }

    CVirtualMachine& vm() { return *system.vm; }

    // The units that step spends of an event's span.
    uint64_t UnitsOf(const std::function<void()>& step)
    {
        Tamrik::CSystem::WorkScope work(&system);
        const uint64_t before = vm().UnitsLeft();
        step();
        EXPECT_FALSE(vm().WorkSpent());
        return before - vm().UnitsLeft();
    }
    // Loading and running text (assembled outside the span).
    uint64_t UnitsOfRunning(const std::string& text)
    {
        Program p = Assemble(text);
        EXPECT_TRUE(p) << text;
        return UnitsOf([&] {
            vm().LoadProgram(p.get());
            vm().Run();
        });
    }

    ScratchDir dir;
    TestSystem system{true};
    Target target;
};

TEST_F(WorkCount, EveryInstructionCostsItsPriceEachTimeItRuns)
{
    const struct {
        const char* setUp;
        const char* instruction;
    } cases[] = {
        {"", "add r1 r2 r3"},       {"", "mul r1 r2 r3"},  {"set r2 3 ", "div r1 r2 r3"},
        {"", "inc r1"},             {"", "cmp r1 r2"},     {"", "ld32 4000 r1"},
        {"", "st32 r1 4000"},        {"", "push r1"},       {"", "set r1 5"},
        {"", "setf r1 3e38"},       {"", "i2f r1 r2"},     {"setf r1 3e38 ", "fsin r1 r2"},
        {"setf r1 3e38 ", "ftan r1 r2"}, {"", "pusha"},    {"", "swap r1 r2"},
        {"", "m2xm r1 r2"},         {"", "nlink r0 r3"},   {"", "nsa r0 r0 r3"},
        {"", "nrel r3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.instruction);
        Program one = Assemble(c.instruction);
        ASSERT_TRUE(one);
        const Tamrik::InstructionInfo* info = Tamrik::FindInstruction(one->data[0]);
        ASSERT_NE(info, nullptr);
        // The names nlink and nsa read (at address 0) are shorter than a unit's bytes.
        ExpectPerItem([&](int n) { return UnitsOfRunning(c.setUp + Repeat(std::string(c.instruction) + " ", n) + "halt"); },
                      100);
    }
}

TEST_F(WorkCount, ACallIsChargedItsPriceAndTheBytesOfItsArguments)
{
    auto setText = [&](const std::string& method, size_t bytes) {
        HandlerText h;
        return UnitsOfRunning(h.CallWithString(method, "target", std::string(bytes, 'a')).Text());
    };
    // Blocks of the bytes that cost one unit.
    ExpectPerItem([&](int blocks) { return setText("SetText", blocks * CVirtualMachine::BYTES_PER_UNIT); }, 4);
    EXPECT_EQ(target.text.size(), 8 * CVirtualMachine::BYTES_PER_UNIT);
    // Two methods alike but for their price.
    EXPECT_EQ(setText("SetTextDear", 32) - setText("SetText", 32), TARGET_ROWS[1].units - TARGET_ROWS[0].units);
}

TEST_F(WorkCount, NamesLookedUpAreChargedForTheirBytes)
{
    const uint64_t block = CVirtualMachine::BYTES_PER_UNIT;
    // The name lies behind the three instructions.
    auto lookUp = [&](const std::string& code, int blocks) {
        return UnitsOfRunning("set r1 12 " + code + " halt s \"" + std::string(blocks * block, 'n') + "\"");
    };
    ExpectPerItem([&](int blocks) { return lookUp("nsa r0 r1 r2", blocks); }, 4);
    ExpectPerItem([&](int blocks) { return lookUp("nlink r1 r2", blocks); }, 4);
    // ndsa copies the name and logs it: more than the logged bytes alone.
    ExpectPerItem([&](int blocks) { return lookUp("ndsa r1 r2", blocks); }, 4, block / Tamrik::CLog::LOGGED_BYTES_PER_UNIT);
}

TEST_F(WorkCount, ANameEnteredIntoTheRegistryCostsItsEntryOnceAndNoMoreOnceTheEntriesAreFull)
{
    auto lookUp = [&](const std::string& name) { return UnitsOfRunning("set r1 12 ndsa r1 r2 halt s \"" + name + "\""); };
    const uint64_t entered = lookUp("unknown");
    EXPECT_EQ(entered - lookUp("unknown"), CVirtualMachine::NAME_ENTRY_UNITS);
    // Past the most entries a handler may make, an unknown name costs what a known one of its
    // length does.
    for (int k = 0; k < 5000; ++k)
        lookUp("u" + std::to_string(k));
    EXPECT_EQ(lookUp("never1"), lookUp("target"));
}

TEST_F(WorkCount, LogLinesAreChargedForTheirBytes)
{
    const size_t block = Tamrik::CLog::LOGGED_BYTES_PER_UNIT;
    ExpectPerItem([&](int blocks) { return UnitsOf([&] { system.log->Write(std::string(blocks * block, 'x').c_str()); }); },
                  1000);
}

TEST_F(WorkCount, EveryTokenAssembledIsCharged)
{
    // pusha is one token.
    ExpectPerItem([&](int n) { return UnitsOf([&] { delete Tamrik::CXMLeasm::Assemble(Repeat("pusha ", n).c_str(), &vm()); }); },
                  500);
}

TEST_F(WorkCount, TheAssemblerStopsWhenTheSpanIsSpent)
{
    const std::string text = Repeat("pusha ", 1000);
    const uint64_t needed = 1000 * Tamrik::CXMLeasm::TOKEN_UNITS;
    const struct {
        uint64_t units;
        bool assembled;
    } cases[] = {{needed + 1, true}, {needed, false}, {needed / 2, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.units);
        vm().SetWorkUnitsForTesting(c.units, c.units);
        Tamrik::CSystem::WorkScope work(&system);
        Program p = Assemble(text, &vm());
        EXPECT_EQ(p != nullptr, c.assembled);
        EXPECT_EQ(vm().WorkSpent(), !c.assembled);
    }
}

TEST_F(WorkCount, ACallWhoseOwnChargeSpendsTheSpanDoesNothing)
{
    HandlerText h;
    const std::string text = h.CallWithString("SetText", "target", std::string(240, 'a')).Text();
    // What the whole run costs, the halt behind the call included.
    const uint64_t whole = UnitsOfRunning(text);
    const uint64_t call = TARGET_ROWS[0].units + CVirtualMachine::UnitsOfBytes(240);
    const struct {
        uint64_t units;
        bool called;
    } cases[] = {{whole, true}, {whole - 1, false}, {whole - 1 - call / 2, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.units);
        target.text = "unchanged";
        vm().SetWorkUnitsForTesting(c.units, c.units);
        Program p = Assemble(text);
        Tamrik::CSystem::WorkScope work(&system);
        vm().LoadProgram(p.get());
        vm().Run();
        EXPECT_EQ(target.text, c.called ? std::string(240, 'a') : "unchanged");
        EXPECT_EQ(vm().WorkSpent(), !c.called);
    }
}

TEST_F(WorkCount, ACallWhoseWorkSpendsTheSpanStopsTheRunAtItAndGivesNoResult)
{
    HandlerText h;
    h.Call("Spend", "target");
    const uint32_t ncall = h.Here() - 4;
    Program p = Assemble(h.Code("set r9 1").Text());
    Tamrik::CSystem::WorkScope work(&system);
    vm().LoadProgram(p.get());
    vm().Run();
    EXPECT_TRUE(vm().WorkSpent());
    EXPECT_EQ(Reg(vm(), 0), 0);
    EXPECT_EQ(Reg(vm(), 31), static_cast<int32_t>(ncall));
    EXPECT_EQ(Reg(vm(), 9), 0);
}

TEST(MachineWorkQuit, ARequestToQuitIsSeenByTheInstructionLoopItselfAndByEveryCharge)
{
    // In a child: the request stays for the rest of the process.
    ChildProcess child;
    ASSERT_TRUE(child.Run([] {
        ScratchDir dir;
        TestSystem system(true);
        Tamrik::SetExtraExportsForTesting(TARGET_ROWS);
        Target target;
        system.vm->RegisterObjectAs<Target>("target", &target);
        system.vm->SetWorkUnitsForTesting(uint64_t{1} << 22, uint64_t{1} << 22);
        platform::WatchQuitSignals();
        // The request comes from inside the call; after it only the loop's own instructions count.
        HandlerText h;
        h.Call("RaiseQuit", "target");
        const uint32_t loop = h.Here();
        Program p = Assemble(h.Code("inc r1").Jump(loop).Text());
        system.BeginWork(Tamrik::WorkKind::Event);
        system.vm->LoadProgram(p.get());
        system.vm->Run();
        // Two units a pass.
        const uint64_t afterRequest = 2 * static_cast<uint64_t>(Reg(*system.vm, 1));
        const bool stopped = system.vm->WorkSpent() && system.vm->UnitsLeft() == 0 &&
                             afterRequest <= CVirtualMachine::QUIT_CHECK_INTERVAL + 2;
        system.EndWork();
        // Work outside the loop (a GUI walk) charged in the next span is refused as well.
        system.BeginWork(Tamrik::WorkKind::Event);
        const bool refused = !system.ChargeWork(1);
        system.EndWork();
        return stopped && refused && ReadFile("log.txt").find("Warning") == std::string::npos ? 0 : 1;
    }));
    EXPECT_EQ(child.Wait(30000), 0);
}

} // namespace
