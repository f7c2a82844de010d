// Byte code back to handler text, from the instruction set's list of operand forms.
#include "tests/support/disassembler.h"

#include <cstdio>
#include <cstring>

#include "script/byte_code.h"

namespace kestrova_test {

namespace {

std::string Operands(const Tamrik::InstructionInfo& info, const Tamrik::Instruction& i)
{
    using namespace Tamrik;
    auto r = [](uint8_t field) { return "r" + std::to_string(field); };
    switch (info.operands) {
    case OPERANDS_A_B_C: return r(i.rA) + " " + r(i.rB) + " " + r(i.rC);
    case OPERANDS_A_B: return r(i.rA) + " " + r(i.rB);
    case OPERANDS_A: return r(i.rA);
    case OPERANDS_A_ADDRESS:
    case OPERANDS_A_NUMBER: return r(i.rA) + " " + std::to_string(i.Imm23());
    case OPERANDS_ADDRESS_C: return std::to_string(i.Imm12()) + " " + r(i.rC);
    case OPERANDS_TARGET: return std::to_string(i.Imm12());
    case OPERANDS_A_FLOAT: {
        const uint32_t bits = static_cast<uint32_t>(i.Imm23()) << 16;
        float value;
        std::memcpy(&value, &bits, sizeof value);
        char text[32];
        std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
        return r(i.rA) + " " + text;
    }
    case OPERANDS_NONE: break;
    }
    return "";
}

} // namespace

std::string Disassemble(const uint8_t* data, uint32_t size)
{
    std::string text;
    for (uint32_t address = 0; address < size; address += 4) {
        uint8_t bytes[4] = {};
        std::memcpy(bytes, data + address, size - address < 4 ? size - address : 4);
        const Tamrik::Instruction i{bytes[0], bytes[1], bytes[2], bytes[3]};
        char line[64];
        std::snprintf(line, sizeof line, "%5u: %3u %3u %3u %3u  ", address, bytes[0], bytes[1], bytes[2], bytes[3]);
        text += line;
        if (const Tamrik::InstructionInfo* info = Tamrik::FindInstruction(i.opcode)) {
            text += info->mnemonic;
            const std::string operands = Operands(*info, i);
            if (!operands.empty())
                text += " " + operands;
        } else {
            text += "??";
        }
        text += "\n";
    }
    return text;
}

} // namespace kestrova_test
