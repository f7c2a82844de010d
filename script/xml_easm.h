// The handler-language assembler: handler text in, ByteCode out, errors to the system's log.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "script/byte_code.h"

namespace Tamrik {

class CVirtualMachine;

class CXMLeasm {
public:
    // A new ByteCode owned by the caller, or null after an error (logged through machine's owner).
    // Each token is charged to the machine's open span of work; a spent span ends the assembly.
    static ByteCode* Assemble(const char* source, CVirtualMachine* machine);

    static constexpr WorkUnits TOKEN_UNITS = 4;

    explicit CXMLeasm(CVirtualMachine* machine);
    ~CXMLeasm();
    CXMLeasm(const CXMLeasm&) = delete;
    CXMLeasm& operator=(const CXMLeasm&) = delete;

    // Feeds one token to the state machine; state 0 after an error, and then for good.
    void ProcessToken(const std::string& token);

    Instruction instruction;
    int32_t state = 1;
    uint32_t dataScratch = 0;
    char stringBuffer[256] = {};
    std::vector<uint8_t> output;
    CVirtualMachine* machine;

private:
    void AppendInstruction();
    void Fail(const char* first, const std::string& token, const char* last);
    void FailInvalidOperand(const std::string& token);
};

// Replaces the two characters at position in text with four spaces (the "\t" escape).
void ExpandTabEscape(std::string& text, size_t position);

// Copies at most 255 characters of text into the zeroed 256-byte buffer; returns the count.
size_t CopyToStringBuffer(const std::string& text, char* buffer);

} // namespace Tamrik
