// The system object's construction, quit flag and timer.
#include <gtest/gtest.h>

#include "core/log.h"
#include "core/main_window.h"
#include "core/system.h"
#include "script/virtual_machine.h"
#include "tests/support/test_paths.h"

using namespace Tamrik;

namespace {

TEST(SystemObject, ConstructionReadsTheSettingsAndRegistersItselfAsSystem)
{
    kestrova_test::ScratchDir scratch;
    kestrova_test::WriteFile("Settings.ini", "[Display]\r\nWidth = \"640\"\r\n");
    {
        CWin32System system;
        EXPECT_EQ(g_pSystem, &system);
        EXPECT_FALSE(system.quit);
        ASSERT_NE(system.settings, nullptr);
        EXPECT_EQ((*system.settings)["Display"]["Width"], "640");
        ASSERT_NE(system.log, nullptr);
        EXPECT_EQ(system.log->owner, &system);
        ASSERT_NE(system.mainWindow, nullptr);
        EXPECT_EQ(system.mainWindow->owner, &system);
        EXPECT_EQ(system.mainWindow->hwnd, nullptr);
        ASSERT_NE(system.vm, nullptr);
        EXPECT_EQ(system.vm->registry.at("System"), &system);
    }
    EXPECT_EQ(g_pSystem, nullptr);
}

TEST(SystemObject, TheCounterCountsNanosecondsAndSleepWaits)
{
    kestrova_test::ScratchDir scratch;
    CWin32System system;
    EXPECT_EQ(system.GetFrequency(), 1000000000);
    int64_t before = system.GetCounter();
    system.Sleep(20);
    int64_t after = system.GetCounter();
    EXPECT_GE(after - before, 20 * 1000000);
}

} // namespace
