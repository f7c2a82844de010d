// The table from SDL scancodes to DirectInput scan codes.
#include <gtest/gtest.h>
#include <SDL_scancode.h>

#include <map>

#include "platform/sdl/sdl_scan_codes.h"

using platform::DirectInputScanCode;

namespace {

TEST(ScanCodes, TheViewersKeysHaveTheirDirectInputCodes)
{
    EXPECT_EQ(DirectInputScanCode(SDL_SCANCODE_UP), 200);
    EXPECT_EQ(DirectInputScanCode(SDL_SCANCODE_DOWN), 208);
    EXPECT_EQ(DirectInputScanCode(SDL_SCANCODE_LEFT), 203);
    EXPECT_EQ(DirectInputScanCode(SDL_SCANCODE_RIGHT), 205);
    EXPECT_EQ(DirectInputScanCode(SDL_SCANCODE_F9), 67);
    EXPECT_EQ(DirectInputScanCode(SDL_SCANCODE_F10), 68);
    EXPECT_EQ(DirectInputScanCode(SDL_SCANCODE_ESCAPE), 1);
}

TEST(ScanCodes, RowsOfTheMainBlockFollowTheKeyboardLayout)
{
    const SDL_Scancode top[] = {SDL_SCANCODE_Q, SDL_SCANCODE_W, SDL_SCANCODE_E, SDL_SCANCODE_R,
                                SDL_SCANCODE_T, SDL_SCANCODE_Y, SDL_SCANCODE_U, SDL_SCANCODE_I,
                                SDL_SCANCODE_O, SDL_SCANCODE_P};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(DirectInputScanCode(top[i]), 0x10 + i);
    EXPECT_EQ(DirectInputScanCode(SDL_SCANCODE_A), 0x1E);
    EXPECT_EQ(DirectInputScanCode(SDL_SCANCODE_Z), 0x2C);
    EXPECT_EQ(DirectInputScanCode(SDL_SCANCODE_1), 0x02);
    EXPECT_EQ(DirectInputScanCode(SDL_SCANCODE_0), 0x0B);
    EXPECT_EQ(DirectInputScanCode(SDL_SCANCODE_SPACE), 0x39);
    EXPECT_EQ(DirectInputScanCode(SDL_SCANCODE_RETURN), 0x1C);
    EXPECT_EQ(DirectInputScanCode(SDL_SCANCODE_KP_ENTER), 0x9C);
    EXPECT_EQ(DirectInputScanCode(SDL_SCANCODE_F11), 0x57);
    EXPECT_EQ(DirectInputScanCode(SDL_SCANCODE_KP_0), 0x52);
    EXPECT_EQ(DirectInputScanCode(SDL_SCANCODE_RCTRL), 0x9D);
}

TEST(ScanCodes, NoTwoKeysShareACodeAndOutOfRangeGivesNone)
{
    std::map<int, int> seen;
    int mapped = 0;
    for (int sc = 0; sc < SDL_NUM_SCANCODES; ++sc) {
        int code = DirectInputScanCode(sc);
        if (code == 0)
            continue;
        ++mapped;
        auto [it, inserted] = seen.insert({code, sc});
        EXPECT_TRUE(inserted) << "scan code " << code << " for " << sc << " and " << it->second;
    }
    EXPECT_GT(mapped, 100);
    EXPECT_EQ(DirectInputScanCode(-1), 0);
    EXPECT_EQ(DirectInputScanCode(SDL_NUM_SCANCODES), 0);
}

} // namespace
