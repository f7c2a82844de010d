// The effects of the arithmetic, memory, stack, flow and float instructions, and the dispatch loop.
#include <cmath>
#include <cstring>
#include <iterator>

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

uint32_t Load(const uint8_t* m, uint32_t a, uint32_t bytes)
{
    uint32_t v = 0;
    for (uint32_t k = 0; k < bytes; ++k)
        v |= static_cast<uint32_t>(m[a + k]) << (8 * k);
    return v;
}

void Store(uint8_t* m, uint32_t a, uint32_t bytes, uint32_t v)
{
    for (uint32_t k = 0; k < bytes; ++k)
        m[a + k] = static_cast<uint8_t>(v >> (8 * k));
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
    if (!M::Regs(i.rA, i.rB, i.rC))
        return Stop;
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
    if (!M::Regs(i.rA, i.rB, i.rC))
        return Stop;
    int32_t a = S(vm.registers[i.rA]);
    int32_t b = S(vm.registers[i.rB]);
    if (b == 0 || (a == INT32_MIN && b == -1))
        return Stop;
    vm.registers[i.rC] = static_cast<uint32_t>(Remainder ? a % b : a / b);
    return Next;
}

Step Abs(VM& vm, Instruction i)
{
    if (!M::Regs(i.rA, i.rB))
        return Stop;
    uint32_t a = vm.registers[i.rA];
    vm.registers[i.rB] = S(a) > 0 ? a : 0u - a;
    return Next;
}

template <uint32_t Delta>
Step Increment(VM& vm, Instruction i)
{
    if (!M::Regs(i.rA))
        return Stop;
    vm.registers[i.rA] += Delta;
    return Next;
}

// not complements its first register in place; the second field is not used.
Step Not(VM& vm, Instruction i)
{
    if (!M::Regs(i.rA))
        return Stop;
    vm.registers[i.rA] = ~vm.registers[i.rA];
    return Next;
}

Step Cmp(VM& vm, Instruction i)
{
    if (!M::Regs(i.rA, i.rB))
        return Stop;
    int32_t a = S(vm.registers[i.rA]);
    int32_t b = S(vm.registers[i.rB]);
    uint32_t bits = (a == b ? 1u : 0u) | (a < b ? 2u : 0u) | (a > b ? 4u : 0u) | (a <= b ? 8u : 0u) |
                    (a >= b ? 16u : 0u);
    uint32_t& flags = vm.registers[vm.flagsRegister];
    flags = (flags & ~31u) | bits;
    return Next;
}

template <uint32_t Bytes>
Step LoadDirect(VM& vm, Instruction i)
{
    uint32_t a = i.Imm12();
    if (!M::Regs(i.rC) || !InMemory(a, Bytes))
        return Stop;
    vm.registers[i.rC] = Load(vm.memory, a, Bytes);
    return Next;
}

template <uint32_t Bytes>
Step LoadIndirect(VM& vm, Instruction i)
{
    if (!M::Regs(i.rA, i.rB))
        return Stop;
    uint32_t a = vm.registers[i.rA];
    if (!InMemory(a, Bytes))
        return Stop;
    vm.registers[i.rB] = Load(vm.memory, a, Bytes);
    return Next;
}

template <uint32_t Bytes>
Step StoreDirect(VM& vm, Instruction i)
{
    uint32_t a = i.Imm23();
    if (!M::Regs(i.rA) || !InMemory(a, Bytes))
        return Stop;
    Store(vm.memory, a, Bytes, vm.registers[i.rA]);
    return Next;
}

template <uint32_t Bytes>
Step StoreIndirect(VM& vm, Instruction i)
{
    if (!M::Regs(i.rA, i.rB))
        return Stop;
    uint32_t a = vm.registers[i.rB];
    if (!InMemory(a, Bytes))
        return Stop;
    Store(vm.memory, a, Bytes, vm.registers[i.rA]);
    return Next;
}

Step PushReg(VM& vm, Instruction i)
{
    if (!M::Regs(i.rA) || !MachineInstructions::Push(vm, vm.registers[i.rA]))
        return Stop;
    return Next;
}

Step PopReg(VM& vm, Instruction i)
{
    uint32_t value;
    if (!M::Regs(i.rA) || !MachineInstructions::Pop(vm, value))
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
    if (!M::Regs(i.rA))
        return Stop;
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
    if (!M::Regs(i.rA, i.rB))
        return Stop;
    std::swap(vm.registers[i.rA], vm.registers[i.rB]);
    return Next;
}

Step Set(VM& vm, Instruction i)
{
    if (!M::Regs(i.rA))
        return Stop;
    vm.registers[i.rA] = i.Imm23();
    return Next;
}

// The assembler stores the upper half of the float's bit pattern.
Step SetF(VM& vm, Instruction i)
{
    if (!M::Regs(i.rA))
        return Stop;
    vm.registers[i.rA] = static_cast<uint32_t>(i.Imm23()) << 16;
    return Next;
}

Step I2F(VM& vm, Instruction i)
{
    if (!M::Regs(i.rA, i.rB))
        return Stop;
    vm.registers[i.rB] = AsBits(static_cast<float>(S(vm.registers[i.rA])));
    return Next;
}

Step F2I(VM& vm, Instruction i)
{
    if (!M::Regs(i.rA, i.rB))
        return Stop;
    vm.registers[i.rB] = static_cast<uint32_t>(FloatToInt(AsFloat(vm.registers[i.rA])));
    return Next;
}

// Float instructions compute in double and round once when they store.
template <double (*F)(double, double)>
Step FloatBinary(VM& vm, Instruction i)
{
    if (!M::Regs(i.rA, i.rB, i.rC))
        return Stop;
    vm.registers[i.rC] = AsBits(F(AsFloat(vm.registers[i.rA]), AsFloat(vm.registers[i.rB])));
    return Next;
}

template <double (*F)(double)>
Step FloatUnary(VM& vm, Instruction i)
{
    if (!M::Regs(i.rA, i.rB))
        return Stop;
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

// Indexed by opcode - 1.
constexpr MachineInstructions::Handler TABLE[] = {
    Binary<Add>,            // 1 add
    Binary<Sub>,            // 2 sub
    Binary<Mul>,            // 3 mul
    Divide<false>,          // 4 div
    Divide<true>,           // 5 mod
    Abs,                    // 6 abs
    Increment<1u>,          // 7 inc
    Increment<0xFFFFFFFFu>, // 8 dec
    Binary<Lsh>,            // 9 lsh
    Binary<Rsh>,            // 10 rsh
    Binary<And>,            // 11 and
    Binary<Or>,             // 12 or
    Binary<Xor>,            // 13 xor
    Not,                    // 14 not
    Cmp,                    // 15 cmp
    LoadDirect<1>,          // 16 ld8
    LoadDirect<2>,          // 17 ld16
    LoadDirect<4>,          // 18 ld32
    LoadIndirect<1>,        // 19 ld8r
    LoadIndirect<2>,        // 20 ld16r
    LoadIndirect<4>,        // 21 ld32r
    StoreDirect<1>,         // 22 st8
    StoreDirect<2>,         // 23 st16
    StoreDirect<4>,         // 24 st32
    StoreIndirect<1>,       // 25 st8r
    StoreIndirect<2>,       // 26 st16r
    StoreIndirect<4>,       // 27 st32r
    PushReg,                // 28 push
    PopReg,                 // 29 pop
    Jump<0>,                // 30 jmp
    Jump<1>,                // 31 jmp_eq
    Jump<2>,                // 32 jmp_lt
    Jump<4>,                // 33 jmp_gt
    Jump<8>,                // 34 jmp_lte
    Jump<16>,               // 35 jmp_qte
    Call,                   // 36 call
    CallR,                  // 37 callr
    Ret,                    // 38 ret
    M::Nlink,               // 39 nlink
    M::Nrel,                // 40 nrel
    M::Nsa,                 // 41 nsa
    M::Ndsa,                // 42 ndsa
    M::Nlthis,              // 43 nlthis
    M::Ncall,               // 44 ncall
    Halt,                   // 45 halt
    Swap,                   // 46 swap
    Nothing,                // 47 pusha
    Nothing,                // 48 popa
    Set,                    // 49 set
    SetF,                   // 50 setf
    I2F,                    // 51 i2f
    F2I,                    // 52 f2i
    M::M2xm,                // 53 m2xm
    M::Xm2m,                // 54 xm2m
    Unassigned, Unassigned, Unassigned, Unassigned, Unassigned, Unassigned, Unassigned, Unassigned,
    Unassigned,             // 55 to 63
    FloatBinary<FAdd>,      // 64 fadd
    FloatBinary<FSub>,      // 65 fsub
    FloatBinary<FMul>,      // 66 fmul
    FloatBinary<FDiv>,      // 67 fdiv
    FloatUnary<FSqrt>,      // 68 fsqrt
    FloatUnary<FAbs>,       // 69 fabs
    FloatUnary<FRound>,     // 70 fround
    FloatUnary<FFloor>,     // 71 ffloor
    FloatUnary<FCeil>,      // 72 fceil
    FloatUnary<FSin>,       // 73 fsin
    FloatUnary<FCos>,       // 74 fcos
    FloatUnary<FTan>,       // 75 ftan
    FloatUnary<FAsin>,      // 76 fasin
    FloatUnary<FAcos>,      // 77 facos
    FloatUnary<FAtan>,      // 78 fatan
    FloatUnary<FExp>,       // 79 fexp
    FloatUnary<FLog2>,      // 80 flog2
    FloatUnary<FLog10>,     // 81 flog10
    FloatUnary<FLn>,        // 82 fln
};
static_assert(std::size(TABLE) == OPCODE_TABLE_SIZE);

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
        Instruction i{memory[pc], memory[pc + 1], memory[pc + 2], memory[pc + 3]};
        uint32_t slot = i.opcode - 1u;
        if (slot >= static_cast<uint32_t>(OPCODE_TABLE_SIZE))
            return;
        if (limited) {
            if (vm.instructionsLeft == 0) {
                vm.BudgetSpent();
                return;
            }
            --vm.instructionsLeft;
        }
        Step step = TABLE[slot](vm, i);
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
