// The script machine's byte code: the 4-byte instruction word, its opcodes, and an assembled program.
#pragma once
#include <cstdint>

#include "core/work_kind.h"
#include "script/opcodes.h"

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

#define TAMRIK_OPCODE_ENUMERATOR(number, name, mnemonic, operands, reads, units, handler) name = number,
enum Opcode : uint8_t { TAMRIK_INSTRUCTION_SET(TAMRIK_OPCODE_ENUMERATOR) };
#undef TAMRIK_OPCODE_ENUMERATOR

// One row of the instruction set, without its handler.
struct InstructionInfo {
    uint8_t opcode;
    const char* mnemonic;
    OperandForm operands;
    uint8_t reads; // RegisterFields
    WorkUnits units; // what one costs the span's work
};

#define TAMRIK_INSTRUCTION_INFO(number, name, mnemonic, operands, reads, units, handler) \
    InstructionInfo{number, mnemonic, operands, reads, units},
inline constexpr InstructionInfo INSTRUCTION_SET[] = {TAMRIK_INSTRUCTION_SET(TAMRIK_INSTRUCTION_INFO)};
#undef TAMRIK_INSTRUCTION_INFO

// The row of opcode, or null for an unassigned one.
constexpr const InstructionInfo* FindInstruction(uint8_t opcode)
{
    for (const InstructionInfo& info : INSTRUCTION_SET)
        if (info.opcode == opcode)
            return &info;
    return nullptr;
}

// Highest assigned opcode; the dispatch table has one entry per opcode 1 to this.
constexpr int OPCODE_TABLE_SIZE = [] {
    int highest = 0;
    for (const InstructionInfo& info : INSTRUCTION_SET)
        highest = info.opcode > highest ? info.opcode : highest;
    return highest;
}();

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

static_assert(sizeof(Instruction) == 4, "an instruction word is read from memory as it lies there");

// Size of the machine's memory; also the longest program it accepts.
constexpr uint32_t MACHINE_MEMORY_SIZE = 65536;
// The assembler's limit for the immediate address of ld and st.
constexpr uint32_t MAX_DIRECT_ADDRESS = 57344;

} // namespace Tamrik
