// The native-call instructions: finding the program's exported methods and registered objects by
// name, and calling a method on an object with arguments from the stack.
#include <cstdio>
#include <cstring>
#include <string>

#include "script/export_table.h"
#include "script/machine_instructions.h"

namespace Tamrik {

namespace {

using Step = MachineInstructions::Step;

// The program's own module, under the name a handler written for the original platform uses
// and under its plain name. No other library is ever loaded for a handler.
bool IsOwnModule(const char* name)
{
    return std::strcmp(name, "Kestrova.exe") == 0 || std::strcmp(name, "Kestrova") == 0;
}

// The bytes of a string or text argument, which the method will copy or measure.
size_t ArgumentBytes(ArgKind kind, uint32_t word, const NativeWords& words)
{
    if (kind == ArgKind::CString)
        return std::strlen(words.String(word));
    if (kind == ArgKind::Text)
        return words.Text(word)->size();
    return 0;
}

} // namespace

Step MachineInstructions::Nlink(CVirtualMachine& vm, Instruction i)
{
    const char* name = vm.words.StringAt(vm.registers[i.rA]);
    if (!name)
        return Step::Stop;
    if (!vm.Charge(CVirtualMachine::UnitsOfBytes(std::strlen(name))))
        return Step::Stop;
    vm.registers[i.rB] = IsOwnModule(name) ? MODULE_WORD : 0u;
    return Step::Next;
}

// The module handle is not reference-counted: releasing it changes nothing.
Step MachineInstructions::Nrel(CVirtualMachine&, Instruction)
{
    return Step::Next;
}

Step MachineInstructions::Nsa(CVirtualMachine& vm, Instruction i)
{
    const char* name = vm.words.StringAt(vm.registers[i.rB]);
    if (!name)
        return Step::Stop;
    if (!vm.Charge(CVirtualMachine::UnitsOfBytes(std::strlen(name))))
        return Step::Stop;
    vm.registers[i.rC] = vm.registers[i.rA] == MODULE_WORD ? FindExport(name) : 0u;
    return Step::Next;
}

Step MachineInstructions::Ndsa(CVirtualMachine& vm, Instruction i)
{
    const char* text = vm.words.StringAt(vm.registers[i.rA]);
    if (!text)
        return Step::Stop;
    std::string name(text);
    // The name's bytes go three ways: copied, logged and looked up.
    if (!vm.Charge(CVirtualMachine::UnitsOfBytes(3 * name.size())))
        return Step::Stop;
    vm.Log("\n\tndsa - object = '");
    vm.Log(name.c_str());
    vm.Log("'.\n");

    vm.registers[i.rB] = vm.ObjectWord(name);
    return Step::Next;
}

Step MachineInstructions::Nlthis(CVirtualMachine& vm, Instruction i)
{
    vm.callObject = vm.registers[i.rA];
    char line[64];
    std::snprintf(line, sizeof line, "\n\tnlthis - %d.\n", static_cast<int32_t>(vm.callObject));
    vm.Log(line);
    return Step::Next;
}

// Everything about the call is checked before anything is called: a bad function or object word,
// an object of another class, too few words on the stack or an argument that designates no string
// or text ends the run.
Step MachineInstructions::Ncall(CVirtualMachine& vm, Instruction i)
{
    uint32_t function = vm.registers[i.rA];
    char line[64];
    std::snprintf(line, sizeof line, "\n\tncall - fptr = %d, thispointer = %d.\n", static_cast<int32_t>(function),
                  static_cast<int32_t>(vm.callObject));
    vm.Log(line);

    const ExportRow* row = ExportFromWord(function);
    const RegisteredObject* object = vm.ObjectFromWord(vm.callObject);
    if (!row || !object || !object->object || object->objectClass != row->objectClass)
        return Step::Stop;

    // The word pushed last is the first argument.
    uint32_t top = vm.registers[vm.stackRegister];
    uint32_t needed = row->argCount * 4u;
    if (top > CVirtualMachine::STACK_EMPTY || (top & 3) != 0 || CVirtualMachine::STACK_EMPTY - top < needed)
        return Step::Stop;
    uint32_t args[MAX_EXPORT_ARGS] = {};
    size_t argumentBytes = 0;
    for (uint32_t k = 0; k < row->argCount; ++k) {
        args[k] = vm.stack[top / 4 + k];
        if (!IsValidArgument(row->args[k], args[k], vm.words))
            return Step::Stop;
        argumentBytes += ArgumentBytes(row->args[k], args[k], vm.words);
    }
    // The method's own price and its arguments' bytes; what it touches beyond them (windows
    // walked, texts copied) it charges itself.
    if (!vm.Charge(row->units + CVirtualMachine::UnitsOfBytes(argumentBytes)))
        return Step::Stop;
    vm.registers[vm.stackRegister] = top + needed;

    uint32_t result = 0;
    ++vm.nativeDepth;
    bool called = row->invoke(object->object, args, vm.words, result);
    --vm.nativeDepth;
    vm.RestoreInterruptedRun();
    if (!called || vm.workSpent)
        return Step::Stop;
    vm.registers[0] = result;
    return Step::Next;
}

Step MachineInstructions::M2xm(CVirtualMachine& vm, Instruction i)
{
    vm.registers[i.rB] = NativeWords::FromMachineAddress(vm.registers[i.rA]);
    return Step::Next;
}

Step MachineInstructions::Xm2m(CVirtualMachine& vm, Instruction i)
{
    vm.registers[i.rB] = NativeWords::ToMachineAddress(vm.registers[i.rA]);
    return Step::Next;
}

} // namespace Tamrik
