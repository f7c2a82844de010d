// The handler-language assembler: tokenizer and the state machine that turns tokens into bytes.
#include "script/xml_easm.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "core/log.h"
#include "script/virtual_machine.h"

namespace Tamrik {

namespace {

struct Mnemonic {
    const char* name;
    uint8_t opcode;
    int32_t nextState;
};

// The state that reads an instruction's first operand; 1 means it has none and is emitted at once.
constexpr int32_t FirstOperandState(OperandForm operands)
{
    switch (operands) {
    case OPERANDS_A_B_C: return 2;
    case OPERANDS_A_B: return 3;
    case OPERANDS_A: return 4;
    case OPERANDS_A_ADDRESS: return 5;
    case OPERANDS_ADDRESS_C: return 6;
    case OPERANDS_A_NUMBER: return 7;
    case OPERANDS_TARGET: return 8;
    case OPERANDS_A_FLOAT: return 20;
    case OPERANDS_NONE: break;
    }
    return 1;
}

#define TAMRIK_MNEMONIC(number, name, mnemonic, operands, reads, units, handler) \
    Mnemonic{mnemonic, number, FirstOperandState(operands)},
constexpr Mnemonic MNEMONICS[] = {TAMRIK_INSTRUCTION_SET(TAMRIK_MNEMONIC)};
#undef TAMRIK_MNEMONIC

// Directives carry no opcode; their states are 14 to 17.
const Mnemonic DIRECTIVES[] = {{"b", 0, 14}, {"w", 0, 15}, {"dw", 0, 16}, {"s", 0, 17}};

bool IsTokenChar(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Leading decimal digits, the rest ignored. value wraps like the 32-bit word it lands in; exact
// stays below 2^32 + 1 so that range checks see huge numbers as huge, not as their low bits.
struct Number {
    uint32_t value = 0;
    uint64_t exact = 0;
};

bool ReadNumber(const char* text, Number& number)
{
    if (!IsDigit(text[0]))
        return false;
    number = {};
    for (const char* p = text; IsDigit(*p); ++p) {
        uint32_t digit = static_cast<uint32_t>(*p - '0');
        number.value = number.value * 10u + digit;
        if (number.exact <= 0xFFFFFFFFull)
            number.exact = number.exact * 10u + digit;
    }
    return true;
}

bool ReadRegister(const std::string& token, uint8_t& reg)
{
    Number n;
    if (token.size() < 2 || token[0] != 'r' || !ReadNumber(token.c_str() + 1, n) || n.exact > 31)
        return false;
    reg = static_cast<uint8_t>(n.exact);
    return true;
}

bool ReadAddress(const std::string& token, uint16_t& address)
{
    Number n;
    if (!ReadNumber(token.c_str(), n) || n.exact > MAX_DIRECT_ADDRESS)
        return false;
    address = static_cast<uint16_t>(n.exact);
    return true;
}

// setf keeps the upper half of the single-precision pattern, rounded to nearest (ties to even),
// and the machine puts it back into the upper half: sign, exponent and 7 stored mantissa bits,
// so numbers keep 8 significant bits (1e5 becomes 99840, 257 becomes 256).
uint16_t FloatHighHalf(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    if (std::isnan(value))
        return static_cast<uint16_t>((bits >> 16) | 0x0040u);
    uint64_t rounded = static_cast<uint64_t>(bits) + 0x7FFFu + ((bits >> 16) & 1u);
    return static_cast<uint16_t>(rounded >> 16);
}

const Mnemonic* Find(const Mnemonic* table, size_t count, const std::string& token)
{
    for (size_t i = 0; i < count; ++i)
        if (token == table[i].name)
            return &table[i];
    return nullptr;
}

void WriteLog(CVirtualMachine* machine, const char* text)
{
    WriteToLog(machine ? machine->owner : nullptr, text);
}

// Hands the tokens of source to take one at a time, until take answers false, so that assembling
// can stop before the rest is read. True when the last string ran into the end of the text.
template <class Take>
bool Tokenize(const char* source, Take take)
{
    const size_t length = std::strlen(source);
    std::string token;
    auto give = [&](const char* from, size_t size) { return take(token.assign(from, size)); };
    size_t i = 0;
    while (i < length) {
        unsigned char c = static_cast<unsigned char>(source[i]);
        if (IsTokenChar(c)) {
            size_t end = i;
            while (end < length && IsTokenChar(static_cast<unsigned char>(source[end])))
                ++end;
            if (!give(source + i, end - i))
                return false;
            i = end + 1; // the character that ends the run goes with the token
        } else if (c == '"') {
            const char* close = static_cast<const char*>(std::memchr(source + i + 1, '"', length - i - 1));
            const size_t end = close ? static_cast<size_t>(close - source) : length;
            if (!give("\"", 1) || !give(source + i + 1, end - i - 1))
                return false;
            if (!close)
                return true;
            if (!give("\"", 1))
                return false;
            i = end + 1;
        } else {
            ++i;
        }
    }
    return false;
}

void ExpandNewlineEscapes(std::string& text)
{
    for (size_t at = text.find("\\n"); at != std::string::npos; at = text.find("\\n", at + 2))
        text.replace(at, 2, "\r\n");
}

} // namespace

void ExpandTabEscape(std::string& text, size_t position)
{
    text.replace(position, 2, "    ");
}

size_t CopyToStringBuffer(const std::string& text, char* buffer)
{
    size_t count = text.size() < 255 ? text.size() : 255;
    std::memcpy(buffer, text.data(), count);
    return count;
}

CXMLeasm::CXMLeasm(CVirtualMachine* machine) : machine(machine) {}

CXMLeasm::~CXMLeasm() = default;

ByteCode* CXMLeasm::Assemble(const char* source, CVirtualMachine* machine)
{
    if (!source)
        return nullptr;
    CXMLeasm assembler(machine);
    bool failed = false;
    const bool unclosedQuote = Tokenize(source, [&](const std::string& token) {
        // Tokens count against the work of the build; once it is spent nothing more is assembled.
        if (machine)
            failed = !machine->Charge(TOKEN_UNITS + CVirtualMachine::UnitsOfBytes(token.size()));
        if (!failed) {
            assembler.ProcessToken(token);
            failed = assembler.state == 0;
        }
        // The machine could not load it: the rest of the text is not read.
        if (!failed && assembler.output.size() > MACHINE_MEMORY_SIZE) {
            WriteLog(machine, "[XMLeasm] Error: program longer than 65536 bytes.\n");
            failed = true;
        }
        return !failed;
    });
    if (failed)
        return nullptr;
    // A string that runs into the end of the text never gets its closing quote token.
    if (unclosedQuote) {
        WriteLog(machine, "Error: missing closing quote in string declaration.\n");
        return nullptr;
    }

    ByteCode* program = new ByteCode;
    program->size = static_cast<uint32_t>(assembler.output.size());
    program->data = new uint8_t[assembler.output.size()];
    if (!assembler.output.empty())
        std::memcpy(program->data, assembler.output.data(), assembler.output.size());
    return program;
}

void CXMLeasm::AppendInstruction()
{
    output.push_back(instruction.opcode);
    output.push_back(instruction.rA);
    output.push_back(instruction.rB);
    output.push_back(instruction.rC);
}

void CXMLeasm::Fail(const char* first, const std::string& token, const char* last)
{
    WriteLog(machine, first);
    WriteLog(machine, token.c_str());
    WriteLog(machine, last);
    state = 0;
}

void CXMLeasm::FailInvalidOperand(const std::string& token)
{
    Fail("[XMLeasm] Error: '", token, "' - invalid operand type.\n");
}

void CXMLeasm::ProcessToken(const std::string& token)
{
    uint8_t reg = 0;
    uint16_t address = 0;
    Number number;

    switch (state) {
    case 1: {
        const Mnemonic* m = Find(MNEMONICS, std::size(MNEMONICS), token);
        if (!m)
            m = Find(DIRECTIVES, std::size(DIRECTIVES), token);
        if (!m) {
            Fail("[XMLeasm] Error: unrecognised token ", token, ".\n");
            return;
        }
        instruction = Instruction{};
        instruction.opcode = m->opcode;
        if (m->opcode != 0 && m->nextState == 1)
            AppendInstruction();
        state = m->nextState;
        return;
    }
    case 2: case 3: case 4: case 5: case 7: case 20:
        if (!ReadRegister(token, reg))
            return FailInvalidOperand(token);
        instruction.rA = reg;
        if (state == 4) {
            AppendInstruction();
            state = 1;
        } else {
            static const int32_t next[21] = {0, 0, 9, 10, 0, 11, 0, 13, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 21};
            state = next[state];
        }
        return;
    case 6:
        if (!ReadAddress(token, address))
            return FailInvalidOperand(token);
        instruction.SetImm12(address);
        state = 12;
        return;
    case 8:
        if (!ReadNumber(token.c_str(), number))
            return FailInvalidOperand(token);
        instruction.SetImm12(static_cast<uint16_t>(number.value));
        AppendInstruction();
        state = 1;
        return;
    case 9:
        if (!ReadRegister(token, reg))
            return FailInvalidOperand(token);
        instruction.rB = reg;
        state = 12;
        return;
    case 10:
        if (!ReadRegister(token, reg))
            return FailInvalidOperand(token);
        instruction.rB = reg;
        AppendInstruction();
        state = 1;
        return;
    case 11:
        if (!ReadAddress(token, address))
            return FailInvalidOperand(token);
        instruction.SetImm23(address);
        AppendInstruction();
        state = 1;
        return;
    case 12:
        if (!ReadRegister(token, reg))
            return FailInvalidOperand(token);
        instruction.rC = reg;
        AppendInstruction();
        state = 1;
        return;
    case 13:
        if (!ReadNumber(token.c_str(), number))
            return FailInvalidOperand(token);
        instruction.SetImm23(static_cast<uint16_t>(number.value));
        AppendInstruction();
        state = 1;
        return;
    case 14: case 15: case 16: {
        if (!ReadNumber(token.c_str(), number))
            return FailInvalidOperand(token);
        dataScratch = number.value;
        int bytes = state == 14 ? 1 : state == 15 ? 2 : 4;
        for (int i = 0; i < bytes; ++i)
            output.push_back(static_cast<uint8_t>(dataScratch >> (8 * i)));
        state = 1;
        return;
    }
    case 17:
        if (token.empty() || token[0] != '"') {
            WriteLog(machine, "Error: missing starting quote in string declaration.\n");
            state = 0;
            return;
        }
        state = 18;
        return;
    case 18: {
        std::memset(stringBuffer, 0, sizeof stringBuffer);
        // Only 255 expanded characters are kept, and every character yields at least one, so the
        // first 256 (an escape may start at the 255th) decide them all. Expanding a long text in
        // place would take time quadratic in its escapes.
        std::string text = token.substr(0, 256);
        ExpandNewlineEscapes(text);
        for (size_t at = text.find("\\t"); at != std::string::npos; at = text.find("\\t", at + 4))
            ExpandTabEscape(text, at);
        CopyToStringBuffer(text, stringBuffer);
        state = 19;
        return;
    }
    case 19:
        if (token.empty() || token[0] != '"') {
            WriteLog(machine, "Error: missing closing quote in string declaration.\n");
            state = 0;
            return;
        }
        for (const char* p = stringBuffer; *p; ++p)
            output.push_back(static_cast<uint8_t>(*p));
        output.push_back(0);
        std::memset(stringBuffer, 0, sizeof stringBuffer);
        state = 1;
        return;
    case 21: {
        char* end = nullptr;
        float value = std::strtof(token.c_str(), &end);
        if (end == token.c_str())
            return FailInvalidOperand(token);
        instruction.SetImm23(FloatHighHalf(value));
        AppendInstruction();
        state = 1;
        return;
    }
    default:
        state = 0;
        return;
    }
}

} // namespace Tamrik
