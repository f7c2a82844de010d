// Instruction rate of the script machine on loop-heavy handler programs.
#include <benchmark/benchmark.h>

#include <memory>

#include "core/log.h"
#include "core/system.h"
#include "script/virtual_machine.h"
#include "script/xml_easm.h"

namespace {

class BenchSystem : public Tamrik::CSystem {
public:
    BenchSystem()
    {
        log = new Tamrik::CLog(this);
        vm = new Tamrik::CWin32VirtualMachine(this);
        vm->RegisterObject("System", this);
    }
    void Sleep(uint32_t) override {}
    int64_t GetCounter() override { return 0; }
    int64_t GetFrequency() override { return 1; }
};

constexpr int64_t ITERATIONS = 50000;

// Six instructions per pass: integer arithmetic, a compare and a conditional jump.
const char* INTEGER_LOOP = R"(
    set r1 0
    set r2 50000
    set r3 3
    add r4 r3 r4
    mul r4 r3 r5
    xor r5 r4 r6
    inc r1
    cmp r1 r2
    jmp_lt 12
    halt
)";

// Ten per pass: memory traffic through register addresses, the stack, and a call.
const char* MEMORY_LOOP = R"(
    set r1 0
    set r2 50000
    set r7 1000
    ld32r r7 r4
    add r4 r1 r4
    st32r r4 r7
    call 44
    inc r1
    cmp r1 r2
    jmp_lt 12
    halt
    push r4
    pop r5
    ret
)";

// Seven per pass: single-precision arithmetic and conversions.
const char* FLOAT_LOOP = R"(
    set r1 0
    set r2 50000
    setf r3 3
    i2f r1 r4
    fmul r4 r3 r5
    fadd r5 r3 r6
    fsqrt r6 r7
    inc r1
    cmp r1 r2
    jmp_lt 12
    halt
)";

void RunLoop(benchmark::State& state, const char* text, int64_t perPass)
{
    BenchSystem system;
    std::unique_ptr<Tamrik::ByteCode> program(Tamrik::CXMLeasm::Assemble(text, system.vm));
    if (!program) {
        state.SkipWithError("handler did not assemble");
        return;
    }
    for (auto _ : state) {
        system.vm->LoadProgram(program.get());
        system.vm->Run();
        benchmark::DoNotOptimize(system.vm->registers[6]);
    }
    state.SetItemsProcessed(state.iterations() * ITERATIONS * perPass);
}

void BM_IntegerLoop(benchmark::State& state) { RunLoop(state, INTEGER_LOOP, 6); }
void BM_MemoryAndCallLoop(benchmark::State& state) { RunLoop(state, MEMORY_LOOP, 10); }
void BM_FloatLoop(benchmark::State& state) { RunLoop(state, FLOAT_LOOP, 7); }

BENCHMARK(BM_IntegerLoop);
BENCHMARK(BM_MemoryAndCallLoop);
BENCHMARK(BM_FloatLoop);

} // namespace
