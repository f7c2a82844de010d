// Instruction effects: integer arithmetic, flags and jumps, memory, stack, flow and floats.
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "tests/script/script_test_support.h"

using namespace kestrova_test;

namespace {

class Instructions : public ::testing::Test {
protected:
    void Run(const std::string& text) { AssembleAndRun(*system.vm, text); }
    int32_t R(int r) const { return Reg(*system.vm, r); }
    float F(int r) const { return FloatReg(*system.vm, r); }

    TestSystem system;
};

// r1 = -7 and r2 = 2, built from what set can express.
const char* MINUS_SEVEN_AND_TWO = "set r1 7 set r9 0 sub r9 r1 r1 set r2 2 ";
// r3 = -2147483648.
const char* INT_MIN_IN_R3 = "set r3 1 set r4 31 lsh r3 r4 r3 ";

TEST_F(Instructions, ArithmeticWrapsAndDivisionTruncatesTowardZero)
{
    Run(std::string(MINUS_SEVEN_AND_TWO) + "div r1 r2 r10 mod r1 r2 r11 mul r1 r2 r12 " + INT_MIN_IN_R3 +
        "dec r3 set r5 0 dec r5 inc r5 halt");
    EXPECT_EQ(R(10), -3);
    EXPECT_EQ(R(11), -1);
    EXPECT_EQ(R(12), -14);
    EXPECT_EQ(R(3), 2147483647); // INT_MIN - 1 wraps
    EXPECT_EQ(R(5), 0);
}

TEST_F(Instructions, AbsOfTheSmallestIntegerStaysIt)
{
    Run(std::string(INT_MIN_IN_R3) + MINUS_SEVEN_AND_TWO + "abs r3 r10 abs r1 r11 set r0 0 abs r0 r12 halt");
    EXPECT_EQ(R(10), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(R(11), 7);
    EXPECT_EQ(R(12), 0);
}

TEST_F(Instructions, ShiftsUseTheLowFiveBitsOfTheCountAndRshKeepsTheSign)
{
    Run(std::string(MINUS_SEVEN_AND_TWO) +
        "set r5 3 set r6 33 lsh r5 r6 r10 set r6 32 lsh r5 r6 r11 set r6 1 rsh r1 r6 r12 "
        "set r6 65535 and r6 r5 r13 or r5 r2 r14 xor r5 r5 r15 not r5 r0 halt");
    EXPECT_EQ(R(10), 6);
    EXPECT_EQ(R(11), 3);
    EXPECT_EQ(R(12), -4);
    EXPECT_EQ(R(13), 3);
    EXPECT_EQ(R(14), 3);
    EXPECT_EQ(R(15), 0);
    EXPECT_EQ(R(5), ~3);
}

TEST_F(Instructions, CmpWritesTheFiveLowFlagBitsAndKeepsTheOthers)
{
    // r29 = 0x80000000 | 31 before each comparison.
    const std::string flags = "set r29 1 set r20 31 lsh r29 r20 r29 set r20 31 or r29 r20 r29 ";
    Run(flags + "set r1 5 set r2 5 cmp r1 r2 halt");
    EXPECT_EQ(static_cast<uint32_t>(R(29)), 0x80000000u | 25u);
    Run(flags + MINUS_SEVEN_AND_TWO + "cmp r1 r2 halt");
    EXPECT_EQ(static_cast<uint32_t>(R(29)), 0x80000000u | 10u);
    Run(flags + MINUS_SEVEN_AND_TWO + "cmp r2 r1 halt");
    EXPECT_EQ(static_cast<uint32_t>(R(29)), 0x80000000u | 20u);
}

TEST_F(Instructions, EachConditionalJumpTestsOnlyItsOwnBit)
{
    // With only bit 8 set, jmp_eq, jmp_lt, jmp_gt and jmp_qte fall through and jmp_lte jumps.
    // Addresses: 0 set, 4 jmp_eq, 8 jmp_lt, 12 jmp_gt, 16 jmp_qte, 20 jmp_lte, 24 halt, 28 set, 32 halt.
    Run("set r29 8 jmp_eq 24 jmp_lt 24 jmp_gt 24 jmp_qte 24 jmp_lte 28 halt set r1 1 halt");
    EXPECT_EQ(R(1), 1);
    EXPECT_EQ(R(31), 36);
}

TEST_F(Instructions, LoadsAndStoresAreLittleEndianAtAnyAddress)
{
    // Data at 4: 1 2 3 4 5; code goes on at 9.
    Run("jmp 9 b 1 w 770 w 1284 ld16 5 r1 ld32 5 r2 ld8 8 r3 set r4 65535 st16 r4 1001 "
        "ld32 1000 r5 set r6 2001 st32r r2 r6 ld32r r6 r7 st8r r4 r6 ld16r r6 r8 halt");
    EXPECT_EQ(R(1), 0x0302);
    EXPECT_EQ(R(2), 0x05040302);
    EXPECT_EQ(R(3), 5);
    EXPECT_EQ(R(5), 0x00FFFF00);
    EXPECT_EQ(R(7), 0x05040302);
    EXPECT_EQ(R(8), 0x03FF);
}

TEST_F(Instructions, CallPushesItsOwnAddressAndRetContinuesBehindIt)
{
    // 0..36: ten nothing-doing pushes of r0 and pops back; call at 40 to 52; 44 halt; 48 data;
    // 52 copies the pushed word and returns.
    Run("pusha pusha pusha pusha pusha pusha pusha pusha pusha pusha call 52 halt dw 0 "
        "pop r5 push r5 ret");
    EXPECT_EQ(R(5), 40);
    EXPECT_EQ(R(31), 48);
    EXPECT_EQ(system.vm->StackDepth(), 0);

    // callr takes its target from a register; r1 = 12 (the pop r5 push r5 ret behind the halt).
    Run("set r1 12 callr r1 halt pop r5 push r5 ret");
    EXPECT_EQ(R(5), 4);
    EXPECT_EQ(R(31), 12);

    // callr r30 reads the stack register after its push: the target is the lowered position.
    Run("callr r30");
    EXPECT_EQ(R(30), 65532);
    EXPECT_EQ(R(31), 65532);
}

TEST_F(Instructions, PushaAndPopaChangeNothingButThePC)
{
    Run("set r1 65535 pusha popa halt");
    EXPECT_EQ(R(1), 65535);
    EXPECT_EQ(system.vm->StackDepth(), 0);
    EXPECT_EQ(R(31), 16);
}

TEST_F(Instructions, AJumpIntoDataDecodesItAsAnOpcode)
{
    // 0 jmp 5; 4..7 the bytes 0, 7, 3, 3 (0x03030700); 8 halt. At 5 they read as inc r3; the run
    // then ends at 9, inside the halt's zero bytes.
    Run("jmp 5 dw 50530048 halt");
    EXPECT_EQ(R(3), 1);
    EXPECT_EQ(R(31), 9);
}

TEST_F(Instructions, WritingThePCContinuesAtTheWrittenValuePlusFour)
{
    // set r31 100 continues at 104, where set r1 1 and halt lie.
    std::string text = "set r31 100 ";
    for (int k = 4; k < 104; k += 4)
        text += "pusha ";
    Run(text + "set r1 1 halt");
    EXPECT_EQ(R(1), 1);
    EXPECT_EQ(R(31), 112);
}

TEST_F(Instructions, SetfAndIntegerFloatConversionsRoundTrip)
{
    Run("setf r1 300 setf r2 2 fdiv r1 r2 r3 f2i r3 r4 set r5 7 i2f r5 r6 fmul r6 r2 r7 halt");
    EXPECT_EQ(F(1), 300.0f);
    EXPECT_EQ(F(3), 150.0f);
    EXPECT_EQ(R(4), 150);
    EXPECT_EQ(F(7), 14.0f);

    // Only 8 significant bits survive.
    Run("setf r1 1e5 setf r2 257 setf r3 255 halt");
    EXPECT_EQ(F(1), 99840.0f);
    EXPECT_EQ(F(2), 256.0f);
    EXPECT_EQ(F(3), 255.0f);
}

TEST_F(Instructions, FloatToIntegerTruncatesAndMapsNaNAndOverflowToTheSmallestInteger)
{
    // 7 / 2 = 3.5; -3.5 via 0 - 3.5; 1e10 overflows; 0 / 0 is NaN.
    Run("setf r1 7 setf r2 2 fdiv r1 r2 r3 setf r0 0 fsub r0 r3 r4 f2i r3 r10 f2i r4 r11 "
        "setf r5 1e10 f2i r5 r12 fdiv r0 r0 r6 f2i r6 r13 fround r4 r14 fround r6 r15 "
        "ffloor r4 r16 fceil r4 r17 fabs r4 r18 halt");
    EXPECT_EQ(R(10), 3);
    EXPECT_EQ(R(11), -3);
    EXPECT_EQ(R(12), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(R(13), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(F(14), -3.0f);
    EXPECT_EQ(F(15), -2147483648.0f);
    EXPECT_EQ(F(16), -4.0f);
    EXPECT_EQ(F(17), -3.0f);
    EXPECT_EQ(F(18), 3.5f);
}

TEST_F(Instructions, FloatFunctionsRoundOnceAndFollowIEEEAtTheEdges)
{
    Run("setf r1 8 flog2 r1 r2 setf r0 0 fln r0 r3 setf r4 1 fsub r0 r4 r5 fln r5 r6 fdiv r4 r0 r7 "
        "fsqrt r1 r8 fexp r0 r9 flog10 r1 r10 fsin r0 r11 fcos r0 r12 fatan r4 r13 facos r4 r14 "
        "fasin r0 r15 ftan r0 r16 fadd r4 r4 r17 halt");
    // ln 8 rounded to single precision, times the single-precision 1.442695.
    EXPECT_EQ(F(2), static_cast<float>(static_cast<double>(static_cast<float>(std::log(8.0))) * 1.4426950216293335));
    EXPECT_EQ(F(3), -std::numeric_limits<float>::infinity());
    EXPECT_TRUE(std::isnan(F(6)));
    EXPECT_EQ(F(7), std::numeric_limits<float>::infinity());
    EXPECT_EQ(F(8), static_cast<float>(std::sqrt(8.0)));
    EXPECT_EQ(F(9), 1.0f);
    EXPECT_EQ(F(10), static_cast<float>(std::log10(8.0)));
    EXPECT_EQ(F(11), 0.0f);
    EXPECT_EQ(F(12), 1.0f);
    EXPECT_EQ(F(13), static_cast<float>(std::atan(1.0)));
    EXPECT_EQ(F(14), 0.0f);
    EXPECT_EQ(F(17), 2.0f);
    EXPECT_EQ(R(31), 4 * 19);
}

} // namespace
