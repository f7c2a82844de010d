// A system object for script tests (no window, no timer) and helpers to assemble and run handlers.
#pragma once
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/log.h"
#include "core/system.h"
#include "script/byte_code.h"
#include "script/virtual_machine.h"
#include "script/xml_easm.h"

namespace kestrova_test {

class TestSystem : public Tamrik::CSystem {
public:
    // With logging on, the log goes to "log.txt" in the working directory (use a ScratchDir).
    explicit TestSystem(bool logging = false)
    {
        (*settings)["Game"]["Log"] = logging ? "true" : "false";
        log = new Tamrik::CLog(this);
        vm = new Tamrik::CWin32VirtualMachine(this);
        vm->RegisterObject("System", this);
    }
    void Sleep(uint32_t) override {}
    int64_t GetCounter() override { return 0; }
    int64_t GetFrequency() override { return 1; }
};

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
