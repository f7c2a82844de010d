// Entry point of the tests that draw: every such program runs against its own Xvfb and Mesa.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "tests/support/xvfb_environment.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // Listing tests needs no display.
    if (testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    kestrova_test::XvfbServer server;
    if (!server.Start()) {
        std::fprintf(stderr, "could not start Xvfb\n");
        return 1;
    }
    int result = RUN_ALL_TESTS();
    server.Stop();
    return result;
}
