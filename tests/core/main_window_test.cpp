// The poll's event order and edge detection, driven through the window's state buffers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/main_window.h"
#include "core/system.h"
#include "tests/support/test_paths.h"

using namespace Tamrik;

namespace {

struct EventLog {
    std::vector<std::string> events;
    void Down(int32_t a, int32_t) { events.push_back("bd" + std::to_string(a)); }
    void Up(int32_t a, int32_t) { events.push_back("bu" + std::to_string(a)); }
    void Wheel(int32_t a, int32_t) { events.push_back("w" + std::to_string(a)); }
    void Move(int32_t a, int32_t b)
    {
        events.push_back("m" + std::to_string(a) + "," + std::to_string(b));
    }
    void KeyDown(int32_t a, int32_t) { events.push_back("kd" + std::to_string(a)); }
    void KeyUp(int32_t a, int32_t) { events.push_back("ku" + std::to_string(a)); }
};

class Poll : public testing::Test {
protected:
    void SetUp() override
    {
        // Subscribed in an order unlike the firing order, which must not depend on it.
        system.AddListener(INPUT_KEY_UP, MakeListener<&EventLog::KeyUp>(&log));
        system.AddListener(INPUT_KEY_DOWN, MakeListener<&EventLog::KeyDown>(&log));
        system.AddListener(INPUT_MOUSE_BUTTON_UP, MakeListener<&EventLog::Up>(&log));
        system.AddListener(INPUT_MOUSE_BUTTON_DOWN, MakeListener<&EventLog::Down>(&log));
        system.AddListener(INPUT_MOUSE_WHEEL, MakeListener<&EventLog::Wheel>(&log));
        system.AddListener(INPUT_MOUSE_MOVE, MakeListener<&EventLog::Move>(&log));
    }

    std::vector<std::string> PollOnce()
    {
        log.events.clear();
        window().FireInputEvents();
        return log.events;
    }
    CMainWindow& window() { return *system.mainWindow; }

    kestrova_test::ScratchDir scratch;
    CWin32System system;
    EventLog log;
};

using Events = std::vector<std::string>;

TEST_F(Poll, AnIdleMouseStillFiresMoveAndWheelWithZeros)
{
    EXPECT_EQ(PollOnce(), (Events{"m0,0", "w0"}));
    EXPECT_EQ(PollOnce(), (Events{"m0,0", "w0"}));
}

TEST_F(Poll, EventsComeInTheFixedOrderMoveWheelButtonsThenKeysAscending)
{
    window().mouseState.lX = 5;
    window().mouseState.lY = -7;
    window().mouseState.lZ = 120;
    window().mouseState.rgbButtons[1] = 0x80;
    window().mouseState.rgbButtons[0] = 0x80;
    window().keyState[208] = 0x80;
    window().keyState[1] = 0x80;
    window().keyState[200] = 1;   // any non-zero byte is down
    window().keyState[0] = 0x80;
    window().keyState[255] = 0x80;
    window().mouseState.rgbButtons[2] = 0x80;   // only buttons 0 and 1 are watched
    EXPECT_EQ(PollOnce(),
              (Events{"m5,-7", "w120", "bd0", "bd1", "kd0", "kd1", "kd200", "kd208", "kd255"}));

    window().mouseState = MouseState{};
    window().keyState[1] = 0;
    window().keyState[208] = 0;
    EXPECT_EQ(PollOnce(), (Events{"m0,0", "w0", "bu0", "bu1", "ku1", "ku208"}));
}

TEST_F(Poll, AHeldKeyOrButtonIsReportedOnceDownAndOnceUp)
{
    window().keyState[67] = 0x80;
    window().mouseState.rgbButtons[0] = 0x80;
    EXPECT_EQ(PollOnce(), (Events{"m0,0", "w0", "bd0", "kd67"}));
    EXPECT_EQ(PollOnce(), (Events{"m0,0", "w0"}));
    EXPECT_EQ(PollOnce(), (Events{"m0,0", "w0"}));
    window().keyState[67] = 0;
    window().mouseState.rgbButtons[0] = 0;
    EXPECT_EQ(PollOnce(), (Events{"m0,0", "w0", "bu0", "ku67"}));
    EXPECT_EQ(PollOnce(), (Events{"m0,0", "w0"}));
}

TEST_F(Poll, APollWithoutAWindowFiresOnlyZeroMovement)
{
    // The state buffers are refreshed from the (absent) devices, so earlier states go up.
    window().keyState[30] = 0x80;
    window().FireInputEvents();
    log.events.clear();
    window().Update();
    EXPECT_EQ(log.events, (Events{"m0,0", "w0", "ku30"}));
    EXPECT_FALSE(system.quit);
}

} // namespace
