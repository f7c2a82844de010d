// The machine's instruction handlers and its dispatch loop (private to script/).
// Where they live: instructions.cpp the loop, the stack primitives and the handlers of the
// arithmetic, memory, flow and float instructions; native_calls.cpp the native-call handlers.
#pragma once
#include "script/byte_code.h"
#include "script/virtual_machine.h"

namespace Tamrik {

struct MachineInstructions {
    using Step = CVirtualMachine::Step;
    // The loop has checked the register fields the instruction set lists for the handler.
    using Handler = Step (*)(CVirtualMachine&, Instruction);

    // Fetch, decode and dispatch until the run ends.
    static void Loop(CVirtualMachine& vm);

    // Stack primitives shared with the native calls; false when the stack cannot do it.
    static bool Push(CVirtualMachine& vm, uint32_t value);
    static bool Pop(CVirtualMachine& vm, uint32_t& value);

    static Step Nlink(CVirtualMachine& vm, Instruction i);
    static Step Nrel(CVirtualMachine& vm, Instruction i);
    static Step Nsa(CVirtualMachine& vm, Instruction i);
    static Step Ndsa(CVirtualMachine& vm, Instruction i);
    static Step Nlthis(CVirtualMachine& vm, Instruction i);
    static Step Ncall(CVirtualMachine& vm, Instruction i);
    static Step M2xm(CVirtualMachine& vm, Instruction i);
    static Step Xm2m(CVirtualMachine& vm, Instruction i);
};

} // namespace Tamrik
