// Any byte code: load raw bytes as a program and run it as the handler of one input event.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "script/byte_code.h"
#include "tests/fuzz/script_fuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!kestrova_test::FuzzSystem::EnterFolder())
        return 0;
    kestrova_test::FuzzSystem system;
    Tamrik::ByteCode program;
    program.size = static_cast<uint32_t>(size);
    program.data = new uint8_t[size];
    if (size > 0)
        std::memcpy(program.data, data, size);
    Tamrik::CSystem::WorkScope work(&system);
    if (!system.vm->LoadProgram(&program))
        return 0;
    system.vm->Run();
    // A second run goes on behind wherever the first one ended.
    system.vm->Run();
    return 0;
}
