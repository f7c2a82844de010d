// The script machine's byte code: the 4-byte instruction word, its opcodes, and an assembled program.
#pragma once
#include <cstdint>

namespace Tamrik {

// An assembled handler program, laid out exactly as it lies in the machine's memory from address 0.
// Whoever receives one from CXMLeasm::Assemble owns it; deleting the record frees its bytes too.
struct ByteCode {
    uint8_t* data = nullptr;
    uint32_t size = 0;

    ByteCode() = default;
    ~ByteCode() { delete[] data; }
    ByteCode(const ByteCode&) = delete;
    ByteCode& operator=(const ByteCode&) = delete;
};

enum Opcode : uint8_t {
    OP_ADD = 1,
    OP_SUB = 2,
    OP_MUL = 3,
    OP_DIV = 4,
    OP_MOD = 5,
    OP_ABS = 6,
    OP_INC = 7,
    OP_DEC = 8,
    OP_LSH = 9,
    OP_RSH = 10,
    OP_AND = 11,
    OP_OR = 12,
    OP_XOR = 13,
    OP_NOT = 14,
    OP_CMP = 15,
    OP_LD8 = 16,
    OP_LD16 = 17,
    OP_LD32 = 18,
    OP_LD8R = 19,
    OP_LD16R = 20,
    OP_LD32R = 21,
    OP_ST8 = 22,
    OP_ST16 = 23,
    OP_ST32 = 24,
    OP_ST8R = 25,
    OP_ST16R = 26,
    OP_ST32R = 27,
    OP_PUSH = 28,
    OP_POP = 29,
    OP_JMP = 30,
    OP_JMP_EQ = 31,
    OP_JMP_LT = 32,
    OP_JMP_GT = 33,
    OP_JMP_LTE = 34,
    OP_JMP_QTE = 35,
    OP_CALL = 36,
    OP_CALLR = 37,
    OP_RET = 38,
    OP_NLINK = 39,
    OP_NREL = 40,
    OP_NSA = 41,
    OP_NDSA = 42,
    OP_NLTHIS = 43,
    OP_NCALL = 44,
    OP_HALT = 45,
    OP_SWAP = 46,
    OP_PUSHA = 47,
    OP_POPA = 48,
    OP_SET = 49,
    OP_SETF = 50,
    OP_I2F = 51,
    OP_F2I = 52,
    OP_M2XM = 53,
    OP_XM2M = 54,
    OP_FADD = 64,
    OP_FSUB = 65,
    OP_FMUL = 66,
    OP_FDIV = 67,
    OP_FSQRT = 68,
    OP_FABS = 69,
    OP_FROUND = 70,
    OP_FFLOOR = 71,
    OP_FCEIL = 72,
    OP_FSIN = 73,
    OP_FCOS = 74,
    OP_FTAN = 75,
    OP_FASIN = 76,
    OP_FACOS = 77,
    OP_FATAN = 78,
    OP_FEXP = 79,
    OP_FLOG2 = 80,
    OP_FLOG10 = 81,
    OP_FLN = 82,
};

// Highest assigned opcode; the dispatch table has one entry per opcode 1 to this.
constexpr int OPCODE_TABLE_SIZE = 82;

// One instruction word: opcode, then three register fields that double as two 16-bit immediates.
struct Instruction {
    uint8_t opcode = 0;
    uint8_t rA = 0;
    uint8_t rB = 0;
    uint8_t rC = 0;

    // Bytes 1-2, low byte first: the address of ld8/ld16/ld32 and the target of jumps and call.
    uint16_t Imm12() const { return static_cast<uint16_t>(rA | (rB << 8)); }
    // Bytes 2-3, low byte first: the address of st8/st16/st32 and the value of set and setf.
    uint16_t Imm23() const { return static_cast<uint16_t>(rB | (rC << 8)); }
    void SetImm12(uint16_t v)
    {
        rA = static_cast<uint8_t>(v);
        rB = static_cast<uint8_t>(v >> 8);
    }
    void SetImm23(uint16_t v)
    {
        rB = static_cast<uint8_t>(v);
        rC = static_cast<uint8_t>(v >> 8);
    }
};

// Size of the machine's memory; also the longest program it accepts.
constexpr uint32_t MACHINE_MEMORY_SIZE = 65536;
// The assembler's limit for the immediate address of ld and st.
constexpr uint32_t MAX_DIRECT_ADDRESS = 57344;

} // namespace Tamrik
