// The effects of the arithmetic, memory, stack, flow and float instructions, and the dispatch loop.
#include <cmath>
#include <cstring>
#include <array>
#include <bit>

#include "script/machine_instructions.h"

namespace Tamrik {

namespace {

using Step = MachineInstructions::Step;
using VM = CVirtualMachine;
using M = MachineInstructions;

constexpr Step Next = Step::Next;
constexpr Step Jumped = Step::Jumped;
constexpr Step Stop = Step::Stop;


bool InMemory(uint32_t address, uint32_t bytes) { return address <= MACHINE_MEMORY_SIZE - bytes; }

// Low byte first, whatever the host's order; in one move where the host's order is the same.
template <uint32_t Bytes>
uint32_t Load(const uint8_t* m, uint32_t a)
{
    uint32_t v = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&v, m + a, Bytes);
    } else {
        for (uint32_t k = 0; k < Bytes; ++k)
            v |= static_cast<uint32_t>(m[a + k]) << (8 * k);
    }
    return v;
}

template <uint32_t Bytes>
void Store(uint8_t* m, uint32_t a, uint32_t v)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(m + a, &v, Bytes);
    } else {
        for (uint32_t k = 0; k < Bytes; ++k)
            m[a + k] = static_cast<uint8_t>(v >> (8 * k));
    }
}

float AsFloat(uint32_t bits)
{
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

uint32_t AsBits(double value)
{
    float f = static_cast<float>(value);
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

// NaN and everything outside the 32-bit range come out as the smallest integer.
int32_t FloatToInt(float f)
{
    double d = f;
    if (!(d >= -2147483648.0 && d < 2147483648.0))
        return INT32_MIN;
    return static_cast<int32_t>(d);
}

int32_t S(uint32_t v) { return static_cast<int32_t>(v); }

template <uint32_t (*F)(uint32_t, uint32_t)>
Step Binary(VM& vm, Instruction i)
{
    vm.registers[i.rC] = F(vm.registers[i.rA], vm.registers[i.rB]);
    return Next;
}

uint32_t Add(uint32_t a, uint32_t b) { return a + b; }
uint32_t Sub(uint32_t a, uint32_t b) { return a - b; }
uint32_t Mul(uint32_t a, uint32_t b) { return a * b; }
uint32_t Lsh(uint32_t a, uint32_t b) { return a << (b & 31); }
uint32_t Rsh(uint32_t a, uint32_t b) { return static_cast<uint32_t>(S(a) >> (b & 31)); }
uint32_t And(uint32_t a, uint32_t b) { return a & b; }
uint32_t Or(uint32_t a, uint32_t b) { return a | b; }
uint32_t Xor(uint32_t a, uint32_t b) { return a ^ b; }

// Division by zero and the one quotient that does not fit end the run.
template <bool Remainder>
Step Divide(VM& vm, Instruction i)
{
    int32_t a = S(vm.registers[i.rA]);
    int32_t b = S(vm.registers[i.rB]);
    if (b == 0 || (a == INT32_MIN && b == -1))
        return Stop;
    vm.registers[i.rC] = static_cast<uint32_t>(Remainder ? a % b : a / b);
    return Next;
}

Step Abs(VM& vm, Instruction i)
{
    uint32_t a = vm.registers[i.rA];
    vm.registers[i.rB] = S(a) > 0 ? a : 0u - a;
    return Next;
}

template <uint32_t Delta>
Step Increment(VM& vm, Instruction i)
{
    vm.registers[i.rA] += Delta;
    return Next;
}

// not complements its first register in place; the second field is not used.
Step Not(VM& vm, Instruction i)
{
    vm.registers[i.rA] = ~vm.registers[i.rA];
    return Next;
}

// The flags of less, equal and greater: lt and lte; eq, lte and gte; gt and gte.
constexpr uint32_t CMP_FLAGS[3] = {2u | 8u, 1u | 8u | 16u, 4u | 16u};

Step Cmp(VM& vm, Instruction i)
{
    int32_t a = S(vm.registers[i.rA]);
    int32_t b = S(vm.registers[i.rB]);
    uint32_t bits = CMP_FLAGS[(a > b) - (a < b) + 1];
    uint32_t& flags = vm.registers[vm.flagsRegister];
    flags = (flags & ~31u) | bits;
    return Next;
}

template <uint32_t Bytes>
Step LoadDirect(VM& vm, Instruction i)
{
    uint32_t a = i.Imm12();
    if (!InMemory(a, Bytes))
        return Stop;
    vm.registers[i.rC] = Load<Bytes>(vm.memory, a);
    return Next;
}

template <uint32_t Bytes>
Step LoadIndirect(VM& vm, Instruction i)
{
    uint32_t a = vm.registers[i.rA];
    if (!InMemory(a, Bytes))
        return Stop;
    vm.registers[i.rB] = Load<Bytes>(vm.memory, a);
    return Next;
}

template <uint32_t Bytes>
Step StoreDirect(VM& vm, Instruction i)
{
    uint32_t a = i.Imm23();
    if (!InMemory(a, Bytes))
        return Stop;
    Store<Bytes>(vm.memory, a, vm.registers[i.rA]);
    return Next;
}

template <uint32_t Bytes>
Step StoreIndirect(VM& vm, Instruction i)
{
    uint32_t a = vm.registers[i.rB];
    if (!InMemory(a, Bytes))
        return Stop;
    Store<Bytes>(vm.memory, a, vm.registers[i.rA]);
    return Next;
}

Step PushReg(VM& vm, Instruction i)
{
    if (!MachineInstructions::Push(vm, vm.registers[i.rA]))
        return Stop;
    return Next;
}

Step PopReg(VM& vm, Instruction i)
{
    uint32_t value;
    if (!MachineInstructions::Pop(vm, value))
        return Stop;
    vm.registers[i.rA] = value;
    return Next;
}

// The five conditional jumps test one flag bit each; Bit 0 is the unconditional jump.
template <uint32_t Bit>
Step Jump(VM& vm, Instruction i)
{
    if (Bit != 0 && !(vm.registers[vm.flagsRegister] & Bit))
        return Next;
    vm.registers[vm.programCounter] = i.Imm12();
    return Jumped;
}

Step Call(VM& vm, Instruction i)
{
    if (!MachineInstructions::Push(vm, vm.registers[vm.programCounter]))
        return Stop;
    vm.registers[vm.programCounter] = i.Imm12();
    return Jumped;
}

// The target is read after the push, as every effect comes before the PC changes: callr r30
// jumps to the lowered stack position.
Step CallR(VM& vm, Instruction i)
{
    if (!MachineInstructions::Push(vm, vm.registers[vm.programCounter]))
        return Stop;
    vm.registers[vm.programCounter] = vm.registers[i.rA];
    return Jumped;
}

Step Ret(VM& vm, Instruction)
{
    uint32_t value;
    if (!MachineInstructions::Pop(vm, value))
        return Stop;
    vm.registers[vm.programCounter] = value;
    return Next;
}

Step Halt(VM&, Instruction) { return Step::Halt; }
Step Nothing(VM&, Instruction) { return Next; }
Step Unassigned(VM&, Instruction) { return Stop; }

Step Swap(VM& vm, Instruction i)
{
    std::swap(vm.registers[i.rA], vm.registers[i.rB]);
    return Next;
}

Step Set(VM& vm, Instruction i)
{
    vm.registers[i.rA] = i.Imm23();
    return Next;
}

// The assembler stores the upper half of the float's bit pattern.
Step SetF(VM& vm, Instruction i)
{
    vm.registers[i.rA] = static_cast<uint32_t>(i.Imm23()) << 16;
    return Next;
}

Step I2F(VM& vm, Instruction i)
{
    vm.registers[i.rB] = AsBits(static_cast<float>(S(vm.registers[i.rA])));
    return Next;
}

Step F2I(VM& vm, Instruction i)
{
    vm.registers[i.rB] = static_cast<uint32_t>(FloatToInt(AsFloat(vm.registers[i.rA])));
    return Next;
}

// Float instructions compute in double and round once when they store.
template <double (*F)(double, double)>
Step FloatBinary(VM& vm, Instruction i)
{
    vm.registers[i.rC] = AsBits(F(AsFloat(vm.registers[i.rA]), AsFloat(vm.registers[i.rB])));
    return Next;
}

template <double (*F)(double)>
Step FloatUnary(VM& vm, Instruction i)
{
    vm.registers[i.rB] = AsBits(F(AsFloat(vm.registers[i.rA])));
    return Next;
}

double FAdd(double a, double b) { return a + b; }
double FSub(double a, double b) { return a - b; }
double FMul(double a, double b) { return a * b; }
double FDiv(double a, double b) { return a / b; }
double FSqrt(double a) { return std::sqrt(a); }
double FAbs(double a) { return std::fabs(a); }
double FRound(double a) { return static_cast<double>(static_cast<float>(FloatToInt(static_cast<float>(a)))); }
double FFloor(double a) { return std::floor(a); }
double FCeil(double a) { return std::ceil(a); }
double FSin(double a) { return std::sin(a); }
double FCos(double a) { return std::cos(a); }
double FTan(double a) { return std::tan(a); }
double FAsin(double a) { return std::asin(a); }
double FAcos(double a) { return std::acos(a); }
double FAtan(double a) { return std::atan(a); }
double FExp(double a) { return std::exp(a); }
// The logarithm is rounded to single precision before it meets the single-precision constant.
double FLog2(double a) { return static_cast<double>(static_cast<float>(std::log(a))) * static_cast<double>(1.442695f); }
double FLog10(double a) { return std::log10(a); }
double FLn(double a) { return std::log(a); }

} // namespace

bool MachineInstructions::Push(VM& vm, uint32_t value)
{
    // r30 is the stack position; programs may write it, so every use checks it.
    uint32_t top = vm.registers[vm.stackRegister];
    if (top > VM::STACK_EMPTY || top < 4 || (top & 3) != 0)
        return false;
    top -= 4;
    vm.stack[top / 4] = value;
    vm.registers[vm.stackRegister] = top;
    if (top < vm.stackLow)
        vm.stackLow = top;
    return true;
}

bool MachineInstructions::Pop(VM& vm, uint32_t& value)
{
    uint32_t top = vm.registers[vm.stackRegister];
    if (top >= VM::STACK_EMPTY || (top & 3) != 0)
        return false;
    value = vm.stack[top / 4];
    vm.registers[vm.stackRegister] = top + 4;
    return true;
}

namespace {

struct Dispatch {
    MachineInstructions::Handler handler = Unassigned;
    WorkUnits units = 1;
    // The instruction word with bits 5 to 7 set in each register field the handler reads: any of
    // them set in the fetched word names no register.
    uint32_t registerCheck = 0;
};

constexpr uint32_t RegisterCheck(uint8_t reads)
{
    constexpr uint8_t HIGH_BITS = 0xE0;
    return std::bit_cast<uint32_t>(Instruction{0, reads & READS_A ? HIGH_BITS : uint8_t{0},
                                               reads & READS_B ? HIGH_BITS : uint8_t{0},
                                               reads & READS_C ? HIGH_BITS : uint8_t{0}});
}

// Indexed by opcode - 1; unassigned opcodes end the run.
constexpr auto DISPATCH = [] {
    std::array<Dispatch, OPCODE_TABLE_SIZE> table{};
#define TAMRIK_DISPATCH_ENTRY(number, name, mnemonic, operands, reads, units, handler) \
    table[number - 1] = Dispatch{handler, units, RegisterCheck(reads)};
    TAMRIK_INSTRUCTION_SET(TAMRIK_DISPATCH_ENTRY)
#undef TAMRIK_DISPATCH_ENTRY
    return table;
}();

} // namespace

void MachineInstructions::Loop(VM& vm)
{
    uint32_t* registers = vm.registers;
    const uint8_t* memory = vm.memory;
    const bool limited = vm.instructionLimit != 0;
    for (;;) {
        uint32_t& pc = registers[vm.programCounter];
        if (!InMemory(pc, 4))
            return;
        Instruction i;
        std::memcpy(&i, memory + pc, sizeof i);
        const uint32_t slot = i.opcode - 1u;
        if (slot >= static_cast<uint32_t>(OPCODE_TABLE_SIZE))
            return;
        if (limited) {
            if (vm.instructionsLeft == 0) {
                vm.BudgetSpent();
                return;
            }
            --vm.instructionsLeft;
        }
        if (vm.unitsLeft <= 0) {
            vm.UnitsSpent();
            return;
        }
        const Dispatch& entry = DISPATCH[slot];
        // The instruction's price; a look at whether the process is to end every time the count
        // passes a multiple of the interval.
        const int64_t before = vm.unitsLeft;
        vm.unitsLeft -= static_cast<int64_t>(entry.units);
        if (((before ^ vm.unitsLeft) & ~(VM::QUIT_CHECK_INTERVAL - 1)) != 0 && vm.StopIfQuitRequested())
            return;
        // A register field of 32 or more names no register; an instruction that reads one ends the run.
        if (std::bit_cast<uint32_t>(i) & entry.registerCheck)
            return;
        Step step = entry.handler(vm, i);
        if (step == Step::Next) {
            registers[vm.programCounter] += 4;
        } else if (step != Step::Jumped) {
            if (step == Step::Halt)
                registers[vm.programCounter] += 4;
            return;
        }
    }
}

} // namespace Tamrik
