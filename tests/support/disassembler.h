// Byte code back to handler text, word by word, for test failure messages.
#pragma once
#include <cstdint>
#include <string>

namespace kestrova_test {

// One line per 4-byte word from address 0: address, the four bytes, and the instruction they
// make ("??" for an unassigned opcode; data words read as whatever they encode).
std::string Disassemble(const uint8_t* data, uint32_t size);

} // namespace kestrova_test
