// The handler-language assembler: bytes it writes, and the errors it logs.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/script/script_test_support.h"
#include "tests/support/disassembler.h"
#include "tests/support/test_paths.h"

using namespace kestrova_test;
using Bytes_ = std::vector<uint8_t>;

namespace {

struct Case {
    const char* text;
    Bytes_ bytes;
};

TEST(Assembler, WritesTheInstructionWordsOfEachOperandForm)
{
    const Case cases[] = {
        {"add r1 r2 r3", {1, 1, 2, 3}},
        {"add r1, r2, r3", {1, 1, 2, 3}},
        {"push r5", {28, 5, 0, 0}},
        {"halt", {45, 0, 0, 0}},
        {"ld32 1000 r4", {18, 232, 3, 4}},
        {"st16 r2 1000", {23, 2, 232, 3}},
        {"jmp 300", {30, 44, 1, 0}},
        {"jmp 65537", {30, 1, 0, 0}},
        {"set r7 65535", {49, 7, 255, 255}},
        {"ld8 57344 r0", {16, 0, 224, 0}},
        {"cmp r4 r5", {15, 4, 5, 0}},
        {"not r9 r9", {14, 9, 9, 0}},
        {"fln r31 r30", {82, 31, 30, 0}},
        {"nsa r1 r2 r3", {41, 1, 2, 3}},
        {"call 40 ret pusha popa", {36, 40, 0, 0, 38, 0, 0, 0, 47, 0, 0, 0, 48, 0, 0, 0}},
        {"inc r3x", {7, 3, 0, 0}},
        {"jmp 0x10", {30, 0, 0, 0}},
        {"jmp_qte 8", {35, 8, 0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Bytes(Assemble(c.text)), c.bytes) << c.text;
}

TEST(Assembler, SetfStoresTheUpperHalfOfTheFloatRoundedToNearest)
{
    EXPECT_EQ(Bytes(Assemble("setf r1 2")), (Bytes_{50, 1, 0x00, 0x40}));
    EXPECT_EQ(Bytes(Assemble("setf r1 300")), (Bytes_{50, 1, 0x96, 0x43}));
    // 1e5 is 0x47C35000: the lower half 0x5000 rounds down, to 99840.
    EXPECT_EQ(Bytes(Assemble("setf r1 1e5")), (Bytes_{50, 1, 0xC3, 0x47}));
    // 257 is 0x43808000: a tie, rounded to the even 0x4380 (256); 8 significant bits remain.
    EXPECT_EQ(Bytes(Assemble("setf r1 257")), (Bytes_{50, 1, 0x80, 0x43}));
    // 259 is 0x43818000: a tie with an odd upper half, rounded up to 0x4382 (260).
    EXPECT_EQ(Bytes(Assemble("setf r1 259")), (Bytes_{50, 1, 0x82, 0x43}));
    // 65537 is 0x47800080: rounds to 0x4780 (65536).
    EXPECT_EQ(Bytes(Assemble("setf r1 65537")), (Bytes_{50, 1, 0x80, 0x47}));
    // 16777215 is 0x4B7FFFFF: rounding up carries into the exponent, giving 2^24.
    EXPECT_EQ(Bytes(Assemble("setf r1 16777215")), (Bytes_{50, 1, 0x80, 0x4B}));
}

TEST(Assembler, DataDirectivesWriteLowBytesFirst)
{
    EXPECT_EQ(Bytes(Assemble("b 300")), (Bytes_{44}));
    EXPECT_EQ(Bytes(Assemble("w 258")), (Bytes_{2, 1}));
    EXPECT_EQ(Bytes(Assemble("dw 258")), (Bytes_{2, 1, 0, 0}));
    EXPECT_EQ(Bytes(Assemble("dw 4294967295")), (Bytes_{255, 255, 255, 255}));
    EXPECT_EQ(Bytes(Assemble("b 5")), (Bytes_{5}));
    EXPECT_EQ(Bytes(Assemble("halt b 1 w 2")), (Bytes_{45, 0, 0, 0, 1, 2, 0}));
}

TEST(Assembler, StringsExpandNewlineThenTabEscapesAndEndWithNul)
{
    EXPECT_EQ(Bytes(Assemble("s \"a\\tb\\n\"")), (Bytes_{97, 32, 32, 32, 32, 98, 13, 10, 0}));
    EXPECT_EQ(Bytes(Assemble("s \"\"")), (Bytes_{0}));
    EXPECT_EQ(Bytes(Assemble("s \"x\\qy\"")), (Bytes_{'x', '\\', 'q', 'y', 0}));
    // Spaces, line breaks and signs inside the quotes are text, not separators.
    EXPECT_EQ(Bytes(Assemble("s \"-1, 2\n\"")), (Bytes_{'-', '1', ',', ' ', '2', '\n', 0}));

    Bytes_ long300 = Bytes(Assemble("s \"" + std::string(300, 'z') + "\""));
    ASSERT_EQ(long300.size(), 256u);
    EXPECT_EQ(long300[254], 'z');
    EXPECT_EQ(long300[255], 0);
    // The limit counts expanded characters: 200 tab escapes are 800 spaces, cut to 255.
    std::string tabs;
    for (int k = 0; k < 200; ++k)
        tabs += "\\t";
    EXPECT_EQ(Bytes(Assemble("s \"" + tabs + "\"")).size(), 256u);

    // An escape that begins at the 255th character still counts; a newline escape there gives CR
    // as the last kept byte.
    Bytes_ edge = Bytes(Assemble("s \"" + std::string(254, 'a') + "\\n" + std::string(100, 'b') + "\""));
    ASSERT_EQ(edge.size(), 256u);
    EXPECT_EQ(edge[253], 'a');
    EXPECT_EQ(edge[254], 13);
    EXPECT_EQ(edge[255], 0);
    // A very long text gives its first 255 characters like any other.
    std::string huge;
    for (int k = 0; k < 400000; ++k)
        huge += "\\t";
    Bytes_ spaces = Bytes(Assemble("s \"" + huge + "\""));
    Bytes_ expected(255, ' ');
    expected.push_back(0);
    EXPECT_EQ(spaces, expected);
}

TEST(Assembler, QuoteDirectlyBehindATokenEndsItAndOpensNothing)
{
    // halt" ends the token halt; the next quote then opens a string for s.
    EXPECT_EQ(Bytes(Assemble("halt\" s \"q\"")), (Bytes_{45, 0, 0, 0, 'q', 0}));
}

TEST(Assembler, UnfinishedStatementsAndEmptyTextsGiveWhatWasComplete)
{
    EXPECT_EQ(Assemble("add r1 r2")->size, 0u);
    EXPECT_EQ(Assemble(" \n\t \r\n")->size, 0u);
    EXPECT_EQ(Assemble("")->size, 0u);
    EXPECT_EQ(Bytes(Assemble("halt s")), (Bytes_{45, 0, 0, 0}));
    // Fractions and signs are separators: -3 is 3, and 1.5 is two tokens, the 5 a stray one.
    EXPECT_EQ(Bytes(Assemble("b -3")), (Bytes_{3}));
    EXPECT_EQ(Assemble("b 1.5"), nullptr);
}

// Each bad text fails with exactly one log line.
TEST(Assembler, ErrorsLogOneLineAndGiveNoProgram)
{
    const std::pair<const char*, const char*> cases[] = {
        {"ld8 57345 r0", "[XMLeasm] Error: '57345' - invalid operand type.\r\n"},
        {"ld8 65536 r0", "[XMLeasm] Error: '65536' - invalid operand type.\r\n"},
        {"st8 r0 99999999999999999999", "[XMLeasm] Error: '99999999999999999999' - invalid operand type.\r\n"},
        {"inc r32", "[XMLeasm] Error: 'r32' - invalid operand type.\r\n"},
        {"inc r256", "[XMLeasm] Error: 'r256' - invalid operand type.\r\n"},
        {"inc x1", "[XMLeasm] Error: 'x1' - invalid operand type.\r\n"},
        {"inc r", "[XMLeasm] Error: 'r' - invalid operand type.\r\n"},
        {"jmp x", "[XMLeasm] Error: 'x' - invalid operand type.\r\n"},
        {"setf r1 abc", "[XMLeasm] Error: 'abc' - invalid operand type.\r\n"},
        {"b x", "[XMLeasm] Error: 'x' - invalid operand type.\r\n"},
        {"dw r1", "[XMLeasm] Error: 'r1' - invalid operand type.\r\n"},
        {"ADD r1 r2 r3", "[XMLeasm] Error: unrecognised token ADD.\r\n"},
        {"nop halt", "[XMLeasm] Error: unrecognised token nop.\r\n"},
        {"halt extra words", "[XMLeasm] Error: unrecognised token extra.\r\n"},
        {"s word", "Error: missing starting quote in string declaration.\r\n"},
        {"s \"open", "Error: missing closing quote in string declaration.\r\n"},
        {"add r1 \"r2\" r3", "[XMLeasm] Error: '\"' - invalid operand type.\r\n"},
    };
    for (const auto& [text, line] : cases) {
        ScratchDir dir;
        TestSystem system(true);
        EXPECT_EQ(Assemble(text, system.vm), nullptr) << text;
        EXPECT_EQ(ReadFile("log.txt"), line) << text;
    }
}

TEST(Assembler, TheWholeMemoryIsAcceptedAndOneByteMoreIsRefusedBeforeTheRestIsRead)
{
    auto bytes = [](size_t n) {
        std::string text;
        for (size_t i = 0; i < n; ++i)
            text += "b 7 ";
        return text;
    };
    const struct {
        std::string text;
        size_t size; // 0: refused
    } cases[] = {
        {bytes(65536), 65536},
        {bytes(65537), 0},
        // Nothing behind the 65,537th byte is read: the bad token is never reached.
        {bytes(65537) + "nop", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.size());
        ScratchDir dir;
        TestSystem system(true);
        auto program = Assemble(c.text.c_str(), system.vm);
        if (c.size == 0) {
            EXPECT_EQ(program, nullptr);
            EXPECT_EQ(ReadFile("log.txt"), "[XMLeasm] Error: program longer than 65536 bytes.\r\n");
        } else {
            ASSERT_NE(program, nullptr);
            EXPECT_EQ(program->size, c.size);
            EXPECT_EQ(ReadFile("log.txt"), "");
        }
    }
}

TEST(Assembler, AssemblesWithoutAMachineOrALog)
{
    EXPECT_EQ(Assemble("nop"), nullptr);
    EXPECT_EQ(Tamrik::CXMLeasm::Assemble(nullptr, nullptr), nullptr);
    TestSystem system(false);
    system.vm->owner = nullptr;
    EXPECT_EQ(Assemble("nop", system.vm), nullptr);
}

} // namespace

namespace {

// Every row of the instruction set assembles to its own opcode, and the disassembly of the result
// assembles to the same bytes again.
TEST(Assembler, EveryListedInstructionAssemblesAndReadsBackFromItsDisassembly)
{
    using namespace Tamrik;
    std::string text;
    for (const InstructionInfo& info : INSTRUCTION_SET) {
        const char* operands[] = {"", "r1 r2 r3", "r4 r5", "r6", "r7 1000", "2000 r8", "r9 65535", "r10 300", "300"};
        text += std::string(info.mnemonic) + " " + operands[info.operands] + "\n";
    }
    Program program = Assemble(text);
    ASSERT_NE(program, nullptr);
    ASSERT_EQ(program->size, 4 * std::size(INSTRUCTION_SET));
    for (size_t k = 0; k < std::size(INSTRUCTION_SET); ++k)
        EXPECT_EQ(program->data[4 * k], INSTRUCTION_SET[k].opcode) << INSTRUCTION_SET[k].mnemonic;

    // Each line is "address: b0 b1 b2 b3  text".
    std::string again;
    std::istringstream lines(Disassemble(program->data, program->size));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string skipped, rest;
        for (int k = 0; k < 5; ++k)
            fields >> skipped;
        std::getline(fields, rest);
        again += rest + "\n";
    }
    EXPECT_EQ(Bytes(Assemble(again)), Bytes(program)) << again;
}

} // namespace
