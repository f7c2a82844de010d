// The machine itself: loading, runs and their ends, the registry, and the limits that end a run.
#include <gtest/gtest.h>

#include <csignal>

#include "platform/quit_request.h"
#include "tests/support/child_process.h"
#include "tests/support/test_paths.h"

#include "tests/script/script_test_support.h"

using namespace kestrova_test;
using Tamrik::CVirtualMachine;

namespace {

class Machine : public ::testing::Test {
protected:
    CVirtualMachine& vm() { return *system.vm; }
    int32_t R(int r) { return Reg(vm(), r); }
    void Run(const std::string& text) { AssembleAndRun(vm(), text); }
    void RunRaw(const std::vector<uint8_t>& bytes)
    {
        Program p = Raw(bytes);
        vm().LoadProgram(p.get());
        vm().Run();
    }

    TestSystem system;
};

TEST_F(Machine, LoadProgramClearsMemoryAndEveryRegisterButNullChangesNothing)
{
    Run("set r1 7 set r29 3 st32 r1 4000 push r1 halt");
    vm().LoadProgram(nullptr);
    EXPECT_EQ(R(1), 7);
    EXPECT_EQ(vm().memory[4000], 7);
    EXPECT_EQ(R(31), 20);

    Program p = Assemble("halt");
    vm().LoadProgram(p.get());
    for (int r = 0; r < 32; ++r)
        EXPECT_EQ(R(r), 0) << "r" << r;
    EXPECT_EQ(vm().memory[4000], 0);
    EXPECT_EQ(vm().memory[0], 45);
}

TEST_F(Machine, RunSetsTheStackRegisterBeforeTheFirstInstruction)
{
    Run("add r30 r0 r1 halt");
    EXPECT_EQ(R(1), 65536);
}

TEST_F(Machine, HaltAdvancesThePCAndZeroedMemoryStopsWithoutMovingIt)
{
    Run("pusha pusha halt");
    EXPECT_EQ(R(31), 12);
    Run("set r1 1 inc r1");
    EXPECT_EQ(R(31), 8);
    EXPECT_EQ(R(1), 2);
}

TEST_F(Machine, UnassignedOpcodesEndTheRunWhereTheyStand)
{
    for (uint8_t opcode : {0, 55, 63, 83, 255}) {
        RunRaw({47, 0, 0, 0, opcode, 1, 2, 3, 7, 1, 0, 0});
        EXPECT_EQ(R(31), 4) << int(opcode);
        EXPECT_EQ(R(1), 0) << int(opcode);
    }
}

TEST_F(Machine, ASecondRunWithoutLoadingGoesOnBehindTheHalt)
{
    Run("inc r1 halt inc r1 halt");
    vm().Run();
    EXPECT_EQ(R(1), 2);
    EXPECT_EQ(R(31), 16);
}

TEST_F(Machine, WordsLeftOnTheStackAreGoneWhenTheNextRunStarts)
{
    Run("set r1 5 push r1 push r1 halt");
    EXPECT_EQ(vm().StackDepth(), 2);
    // Moving the stack register down by hand exposes no word of an earlier run.
    Run("set r30 65528 pop r2 pop r3 halt");
    EXPECT_EQ(R(2), 0);
    EXPECT_EQ(R(3), 0);
}

TEST_F(Machine, AProgramOfExactlyTheMemorySizeFillsItAndALongerOneIsRefused)
{
    std::vector<uint8_t> full(65536, 0);
    full[0] = 30; // jmp 65532
    full[1] = 0xFC;
    full[2] = 0xFF;
    full[65532] = 45;
    RunRaw(full);
    EXPECT_EQ(R(31), 65536);

    std::vector<uint8_t> tooLong(65537, 7);
    Program p = Raw(tooLong);
    vm().LoadProgram(p.get());
    EXPECT_EQ(vm().memory[0], 30);
    EXPECT_EQ(R(31), 65536);
}

TEST(MachineWork, AQuitSignalStopsTheWorkUnderWaySilently)
{
    // In a child: the flag stays set for the rest of the process.
    ChildProcess child;
    ASSERT_TRUE(child.Run([] {
        ScratchDir dir;
        TestSystem system(true);
        platform::WatchQuitSignals();
        std::raise(SIGTERM);
        system.BeginWork(Tamrik::WorkKind::Event);
        AssembleAndRun(*system.vm, "inc r1 jmp 0");
        const bool stopped = system.vm->WorkSpent() && Reg(*system.vm, 1) < 100000;
        system.EndWork();
        return stopped && ReadFile("log.txt").empty() ? 0 : 1;
    }));
    EXPECT_EQ(child.Wait(30000), 0);
}

TEST_F(Machine, TheFirstRegistrationOfANameKeepsIt)
{
    int first = 1, second = 2;
    vm().RegisterObject("window", static_cast<void*>(&first));
    vm().RegisterObject("window", static_cast<void*>(&second));
    EXPECT_EQ(vm().registry.at("window"), &first);
    EXPECT_EQ(vm().registry.at("System"), static_cast<Tamrik::CSystem*>(&system));
    EXPECT_EQ(vm().RegisteredClass("System"), Tamrik::ScriptClassOf<Tamrik::CSystem>());
    EXPECT_EQ(vm().RegisteredClass("window"), nullptr);
    EXPECT_EQ(vm().registry.count("nobody"), 0u);
    // An object under several names answers to the byte-wise first of them.
    vm().RegisterObject("window2", static_cast<void*>(&first));
    vm().RegisterObject("a-window", static_cast<void*>(&first));
    EXPECT_STREQ(vm().RegisteredName(&first), "a-window");
    EXPECT_STREQ(vm().RegisteredName(&system), "System");
    EXPECT_EQ(vm().RegisteredName(&second), nullptr);
}

// Each program ends the run at its faulting instruction; the set r9 behind it never runs.
TEST_F(Machine, AccessesOutsideMemoryAndStackMisuseEndTheRun)
{
    const char* cases[] = {
        "set r1 65533 ld32r r1 r2",          // reads 65533..65536
        "set r1 65535 ld16r r1 r2",
        "set r1 0 dec r1 ld8r r1 r2",        // address 0xFFFFFFFF
        "set r1 65535 inc r1 st8r r2 r1",    // 65536
        "set r1 65534 st32r r2 r1",
        "ld32 65533 r2",                     // raw immediates beyond the assembler's limit below
        "pop r1",                            // empty stack
        "ret",
        "set r30 3 push r1",                 // stack register not on a word
        "set r30 0 push r1",                 // full
        "set r1 0 set r2 0 div r1 r2 r3",
        "set r1 1 set r2 0 mod r1 r2 r3",
        "set r1 1 set r4 31 lsh r1 r4 r1 set r2 0 dec r2 div r1 r2 r3",
        "set r1 1 set r4 31 lsh r1 r4 r1 set r2 0 dec r2 mod r1 r2 r3",
        "set r1 65535 inc r1 nlink r1 r2",
        "set r1 0 dec r1 ndsa r1 r2",
        "set r1 0 dec r1 callr r1",           // PC beyond memory
    };
    for (const char* text : cases) {
        std::string program = std::string(text) + " set r9 1 halt";
        Program p = Assemble(program);
        if (!p) {
            // ld32 65533 is no valid handler text; write it as bytes.
            p = Raw({18, 0xFD, 0xFF, 2, 49, 9, 1, 0, 45, 0, 0, 0});
        }
        vm().LoadProgram(p.get());
        vm().Run();
        EXPECT_EQ(R(9), 0) << text;
    }
}

TEST_F(Machine, AStringRunningToTheEndOfMemoryEndsTheRun)
{
    std::vector<uint8_t> bytes(65536, 'A');
    // set r1 65000; ndsa r1 r2; set r9 1; halt -- the name never ends inside memory.
    const uint8_t code[] = {49, 1, 0xE8, 0xFD, 42, 1, 2, 0, 49, 9, 1, 0, 45, 0, 0, 0};
    std::copy(std::begin(code), std::end(code), bytes.begin());
    RunRaw(bytes);
    EXPECT_EQ(R(9), 0);
    EXPECT_EQ(R(31), 4);
}

TEST_F(Machine, PushingBeyondTheStackEndsTheRunAfterItsCapacity)
{
    Run("push r0 jmp 0");
    EXPECT_EQ(vm().StackDepth(), static_cast<int32_t>(CVirtualMachine::STACK_CAPACITY));
    EXPECT_EQ(R(31), 0);
}

TEST_F(Machine, RegisterFieldsBeyondR31EndTheRun)
{
    RunRaw({1, 1, 2, 32, 49, 9, 1, 0, 45, 0, 0, 0}); // add r1 r2 r32
    EXPECT_EQ(R(9), 0);
    RunRaw({28, 200, 0, 0, 49, 9, 1, 0, 45, 0, 0, 0}); // push r200
    EXPECT_EQ(R(9), 0);
    EXPECT_EQ(vm().StackDepth(), 0);
}

TEST_F(Machine, TheTestingInstructionLimitStopsAnEndlessLoop)
{
    vm().SetInstructionLimitForTesting(1000);
    Run("inc r1 jmp 0");
    EXPECT_EQ(R(1), 500);
}

} // namespace
