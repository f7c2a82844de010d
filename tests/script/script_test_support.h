// Helpers of the script tests: assemble, load and run handlers, read registers.
#pragma once
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "script/byte_code.h"
#include "script/virtual_machine.h"
#include "script/xml_easm.h"
#include "tests/support/test_system.h"

namespace kestrova_test {

using Program = std::unique_ptr<Tamrik::ByteCode>;

inline Program Assemble(const std::string& text, Tamrik::CVirtualMachine* vm = nullptr)
{
    return Program(Tamrik::CXMLeasm::Assemble(text.c_str(), vm));
}

inline std::vector<uint8_t> Bytes(const Program& p)
{
    return p ? std::vector<uint8_t>(p->data, p->data + p->size) : std::vector<uint8_t>{};
}

// A program made of raw bytes, as a handler author could never write it.
inline Program Raw(const std::vector<uint8_t>& bytes)
{
    Program p(new Tamrik::ByteCode);
    p->size = static_cast<uint32_t>(bytes.size());
    p->data = new uint8_t[bytes.size()];
    if (!bytes.empty())
        std::memcpy(p->data, bytes.data(), bytes.size());
    return p;
}

// Assembles text (which must assemble), loads it and runs it.
inline void AssembleAndRun(Tamrik::CVirtualMachine& vm, const std::string& text)
{
    Program p = Assemble(text, &vm);
    if (!p) {
        ADD_FAILURE() << "handler did not assemble: " << text;
        return;
    }
    vm.LoadProgram(p.get());
    vm.Run();
}

inline int32_t Reg(const Tamrik::CVirtualMachine& vm, int r)
{
    return static_cast<int32_t>(vm.registers[r]);
}

inline float FloatReg(const Tamrik::CVirtualMachine& vm, int r)
{
    float f;
    std::memcpy(&f, &vm.registers[r], sizeof f);
    return f;
}

} // namespace kestrova_test
