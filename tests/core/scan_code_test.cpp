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
