// A system object for the script fuzz targets: no window, no timer, log off, "System" registered.
#pragma once
#include <cstdint>

#include "core/log.h"
#include "core/system.h"
#include "script/virtual_machine.h"

namespace kestrova_fuzz {

// Enough for every loop a short input can write to go round many times, and short enough that
// an endless one ends quickly. Only the fuzzers set a limit; the program runs handlers to their end.
constexpr uint64_t FUZZ_INSTRUCTION_LIMIT = 200000;

class FuzzSystem : public Tamrik::CSystem {
public:
    FuzzSystem()
    {
        log = new Tamrik::CLog(this);
        vm = new Tamrik::CWin32VirtualMachine(this);
        vm->RegisterObject("System", this);
        vm->SetInstructionLimitForTesting(FUZZ_INSTRUCTION_LIMIT);
    }
    void Sleep(uint32_t) override {}
    int64_t GetCounter() override { return 0; }
    int64_t GetFrequency() override { return 1; }
};

} // namespace kestrova_fuzz
