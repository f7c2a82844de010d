// The system object of the script fuzz targets: the tests' one, whose machine ends every run after
// a number of instructions.
#pragma once
#include <cstdint>

#include "tests/support/test_system.h"

namespace kestrova_test {

// Enough for every loop a short input can write to go round many times, and short enough that
// an endless one ends quickly. Only the fuzzers set a limit; the program runs handlers to their end.
constexpr uint64_t FUZZ_INSTRUCTION_LIMIT = 200000;

class FuzzSystem : public TestSystem {
public:
    FuzzSystem() { vm->SetInstructionLimitForTesting(FUZZ_INSTRUCTION_LIMIT); }
};

} // namespace kestrova_test
