// Any handler text: assemble it, and run whatever assembles as the handler of one input event.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "script/xml_easm.h"
#include "tests/fuzz/script_fuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!kestrova_test::FuzzSystem::EnterFolder())
        return 0;
    // Handler texts are NUL-terminated; a NUL inside the input ends the text there.
    std::string text(reinterpret_cast<const char*>(data), size);
    kestrova_test::FuzzSystem system;
    Tamrik::CSystem::WorkScope work(&system);
    std::unique_ptr<Tamrik::ByteCode> program(Tamrik::CXMLeasm::Assemble(text.c_str(), system.vm));
    if (program && system.vm->LoadProgram(program.get()))
        system.vm->Run();
    return 0;
}
