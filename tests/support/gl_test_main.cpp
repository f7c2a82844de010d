// Entry point of the tests that draw: every such program runs against its own Xvfb and Mesa.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/xvfb_environment.h"

namespace {

// Mesa unloads its software driver when a display closes. Leaks of the driver's own then carry no
// module name by the time the leak checker reports them at exit, and its suppressions cannot tell
// them from ours: the driver stays loaded for the life of the process.
void KeepTheSoftwareDriverLoaded()
{
    for (const char* folder : {"/usr/lib/x86_64-linux-gnu/dri", "/usr/lib/aarch64-linux-gnu/dri", "/usr/lib64/dri",
                               "/usr/lib/dri"}) {
        const std::string path = std::string(folder) + "/swrast_dri.so";
        if (dlopen(path.c_str(), RTLD_LAZY | RTLD_NODELETE))
            return;
    }
}

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // Listing tests needs no display.
    if (testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    KeepTheSoftwareDriverLoaded();
    kestrova_test::XvfbServer server;
    if (!server.Start()) {
        std::fprintf(stderr, "could not start Xvfb\n");
        return 1;
    }
    int result = RUN_ALL_TESTS();
    server.Stop();
    return result;
}
