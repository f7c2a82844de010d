// The instruction set, one line per instruction: the Opcode enum, the assembler's mnemonics and
// the machine's dispatch table are all made from this list.
#pragma once
#include <cstdint>

namespace Tamrik {

// What the handler text writes after a mnemonic, and which fields of the word it fills.
enum OperandForm : uint8_t {
    OPERANDS_NONE,      // ret
    OPERANDS_A_B_C,     // add r1 r2 r3
    OPERANDS_A_B,       // cmp r1 r2
    OPERANDS_A,         // push r1
    OPERANDS_A_ADDRESS, // st8 r1 100: the address goes to imm23
    OPERANDS_ADDRESS_C, // ld8 100 r1: the address goes to imm12
    OPERANDS_A_NUMBER,  // set r1 5: the number goes to imm23
    OPERANDS_A_FLOAT,   // setf r1 1.5: the float's upper half goes to imm23
    OPERANDS_TARGET,    // jmp 12: the address goes to imm12
};

// The register fields a handler reads, as bits: 1 rA, 2 rB, 4 rC. The machine checks them once
// before dispatch; a field of 32 or more names no register and ends the run.
enum RegisterFields : uint8_t {
    READS_NONE = 0,
    READS_A = 1,
    READS_B = 2,
    READS_C = 4,
    READS_A_B = 3,
    READS_A_B_C = 7,
};

} // namespace Tamrik

// X(opcode, enum name, mnemonic, operand form, registers read, units, handler). Units are what
// the instruction costs the span's work, in proportion to its time at its slowest operands (a
// plain add is one); what a native call touches beyond that it charges itself. The handlers live in
// script/instructions.cpp (MachineInstructions:: ones in script/native_calls.cpp). Opcodes 55
// to 63 and above the highest listed are not assigned: the run ends there.
#define TAMRIK_INSTRUCTION_SET(X)                                                               \
    X(1, OP_ADD, "add", OPERANDS_A_B_C, READS_A_B_C, 1, Binary<Add>)                            \
    X(2, OP_SUB, "sub", OPERANDS_A_B_C, READS_A_B_C, 1, Binary<Sub>)                            \
    X(3, OP_MUL, "mul", OPERANDS_A_B_C, READS_A_B_C, 1, Binary<Mul>)                            \
    X(4, OP_DIV, "div", OPERANDS_A_B_C, READS_A_B_C, 1, Divide<false>)                          \
    X(5, OP_MOD, "mod", OPERANDS_A_B_C, READS_A_B_C, 1, Divide<true>)                           \
    X(6, OP_ABS, "abs", OPERANDS_A_B, READS_A_B, 1, Abs)                                        \
    X(7, OP_INC, "inc", OPERANDS_A, READS_A, 1, Increment<1u>)                                  \
    X(8, OP_DEC, "dec", OPERANDS_A, READS_A, 1, Increment<0xFFFFFFFFu>)                         \
    X(9, OP_LSH, "lsh", OPERANDS_A_B_C, READS_A_B_C, 1, Binary<Lsh>)                            \
    X(10, OP_RSH, "rsh", OPERANDS_A_B_C, READS_A_B_C, 1, Binary<Rsh>)                           \
    X(11, OP_AND, "and", OPERANDS_A_B_C, READS_A_B_C, 1, Binary<And>)                           \
    X(12, OP_OR, "or", OPERANDS_A_B_C, READS_A_B_C, 1, Binary<Or>)                              \
    X(13, OP_XOR, "xor", OPERANDS_A_B_C, READS_A_B_C, 1, Binary<Xor>)                           \
    X(14, OP_NOT, "not", OPERANDS_A_B, READS_A, 1, Not)                                         \
    X(15, OP_CMP, "cmp", OPERANDS_A_B, READS_A_B, 1, Cmp)                                       \
    X(16, OP_LD8, "ld8", OPERANDS_ADDRESS_C, READS_C, 1, LoadDirect<1>)                         \
    X(17, OP_LD16, "ld16", OPERANDS_ADDRESS_C, READS_C, 1, LoadDirect<2>)                       \
    X(18, OP_LD32, "ld32", OPERANDS_ADDRESS_C, READS_C, 1, LoadDirect<4>)                       \
    X(19, OP_LD8R, "ld8r", OPERANDS_A_B, READS_A_B, 1, LoadIndirect<1>)                         \
    X(20, OP_LD16R, "ld16r", OPERANDS_A_B, READS_A_B, 1, LoadIndirect<2>)                       \
    X(21, OP_LD32R, "ld32r", OPERANDS_A_B, READS_A_B, 1, LoadIndirect<4>)                       \
    X(22, OP_ST8, "st8", OPERANDS_A_ADDRESS, READS_A, 1, StoreDirect<1>)                        \
    X(23, OP_ST16, "st16", OPERANDS_A_ADDRESS, READS_A, 1, StoreDirect<2>)                      \
    X(24, OP_ST32, "st32", OPERANDS_A_ADDRESS, READS_A, 1, StoreDirect<4>)                      \
    X(25, OP_ST8R, "st8r", OPERANDS_A_B, READS_A_B, 1, StoreIndirect<1>)                        \
    X(26, OP_ST16R, "st16r", OPERANDS_A_B, READS_A_B, 1, StoreIndirect<2>)                      \
    X(27, OP_ST32R, "st32r", OPERANDS_A_B, READS_A_B, 1, StoreIndirect<4>)                      \
    X(28, OP_PUSH, "push", OPERANDS_A, READS_A, 1, PushReg)                                     \
    X(29, OP_POP, "pop", OPERANDS_A, READS_A, 1, PopReg)                                        \
    X(30, OP_JMP, "jmp", OPERANDS_TARGET, READS_NONE, 1, Jump<0>)                               \
    X(31, OP_JMP_EQ, "jmp_eq", OPERANDS_TARGET, READS_NONE, 1, Jump<1>)                         \
    X(32, OP_JMP_LT, "jmp_lt", OPERANDS_TARGET, READS_NONE, 1, Jump<2>)                         \
    X(33, OP_JMP_GT, "jmp_gt", OPERANDS_TARGET, READS_NONE, 1, Jump<4>)                         \
    X(34, OP_JMP_LTE, "jmp_lte", OPERANDS_TARGET, READS_NONE, 1, Jump<8>)                       \
    X(35, OP_JMP_QTE, "jmp_qte", OPERANDS_TARGET, READS_NONE, 1, Jump<16>)                      \
    X(36, OP_CALL, "call", OPERANDS_TARGET, READS_NONE, 1, Call)                                \
    X(37, OP_CALLR, "callr", OPERANDS_A, READS_A, 1, CallR)                                     \
    X(38, OP_RET, "ret", OPERANDS_NONE, READS_NONE, 1, Ret)                                     \
    X(39, OP_NLINK, "nlink", OPERANDS_A_B, READS_A_B, 17, MachineInstructions::Nlink)           \
    X(40, OP_NREL, "nrel", OPERANDS_A, READS_A, 1, MachineInstructions::Nrel)                   \
    X(41, OP_NSA, "nsa", OPERANDS_A_B_C, READS_A_B_C, 17, MachineInstructions::Nsa)             \
    X(42, OP_NDSA, "ndsa", OPERANDS_A_B, READS_A_B, 448, MachineInstructions::Ndsa)             \
    X(43, OP_NLTHIS, "nlthis", OPERANDS_A, READS_A, 1, MachineInstructions::Nlthis)             \
    X(44, OP_NCALL, "ncall", OPERANDS_A, READS_A, 1, MachineInstructions::Ncall)                \
    X(45, OP_HALT, "halt", OPERANDS_NONE, READS_NONE, 1, Halt)                                  \
    X(46, OP_SWAP, "swap", OPERANDS_A_B, READS_A_B, 1, Swap)                                    \
    X(47, OP_PUSHA, "pusha", OPERANDS_NONE, READS_NONE, 1, Nothing)                             \
    X(48, OP_POPA, "popa", OPERANDS_NONE, READS_NONE, 1, Nothing)                               \
    X(49, OP_SET, "set", OPERANDS_A_NUMBER, READS_A, 1, Set)                                    \
    X(50, OP_SETF, "setf", OPERANDS_A_FLOAT, READS_A, 1, SetF)                                  \
    X(51, OP_I2F, "i2f", OPERANDS_A_B, READS_A_B, 1, I2F)                                       \
    X(52, OP_F2I, "f2i", OPERANDS_A_B, READS_A_B, 1, F2I)                                       \
    X(53, OP_M2XM, "m2xm", OPERANDS_A_B, READS_A_B, 1, MachineInstructions::M2xm)               \
    X(54, OP_XM2M, "xm2m", OPERANDS_A_B, READS_A_B, 1, MachineInstructions::Xm2m)               \
    X(64, OP_FADD, "fadd", OPERANDS_A_B_C, READS_A_B_C, 1, FloatBinary<FAdd>)                   \
    X(65, OP_FSUB, "fsub", OPERANDS_A_B_C, READS_A_B_C, 1, FloatBinary<FSub>)                   \
    X(66, OP_FMUL, "fmul", OPERANDS_A_B_C, READS_A_B_C, 1, FloatBinary<FMul>)                   \
    X(67, OP_FDIV, "fdiv", OPERANDS_A_B_C, READS_A_B_C, 1, FloatBinary<FDiv>)                   \
    X(68, OP_FSQRT, "fsqrt", OPERANDS_A_B, READS_A_B, 6, FloatUnary<FSqrt>)                     \
    X(69, OP_FABS, "fabs", OPERANDS_A_B, READS_A_B, 1, FloatUnary<FAbs>)                        \
    X(70, OP_FROUND, "fround", OPERANDS_A_B, READS_A_B, 1, FloatUnary<FRound>)                  \
    X(71, OP_FFLOOR, "ffloor", OPERANDS_A_B, READS_A_B, 2, FloatUnary<FFloor>)                  \
    X(72, OP_FCEIL, "fceil", OPERANDS_A_B, READS_A_B, 2, FloatUnary<FCeil>)                     \
    X(73, OP_FSIN, "fsin", OPERANDS_A_B, READS_A_B, 20, FloatUnary<FSin>)                       \
    X(74, OP_FCOS, "fcos", OPERANDS_A_B, READS_A_B, 20, FloatUnary<FCos>)                       \
    X(75, OP_FTAN, "ftan", OPERANDS_A_B, READS_A_B, 20, FloatUnary<FTan>)                       \
    X(76, OP_FASIN, "fasin", OPERANDS_A_B, READS_A_B, 6, FloatUnary<FAsin>)                     \
    X(77, OP_FACOS, "facos", OPERANDS_A_B, READS_A_B, 6, FloatUnary<FAcos>)                     \
    X(78, OP_FATAN, "fatan", OPERANDS_A_B, READS_A_B, 6, FloatUnary<FAtan>)                     \
    X(79, OP_FEXP, "fexp", OPERANDS_A_B, READS_A_B, 6, FloatUnary<FExp>)                        \
    X(80, OP_FLOG2, "flog2", OPERANDS_A_B, READS_A_B, 6, FloatUnary<FLog2>)                     \
    X(81, OP_FLOG10, "flog10", OPERANDS_A_B, READS_A_B, 6, FloatUnary<FLog10>)                  \
    X(82, OP_FLN, "fln", OPERANDS_A_B, READS_A_B, 6, FloatUnary<FLn>)
