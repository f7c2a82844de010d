// The system object of the script fuzz targets: the tests' one with the program's real bound (its
// clock is the platform's), the log on (written into the private folder), and a recording device
// registered as "RenderDevice", so that every export a handler can call is reachable.
#pragma once
#include <cstdint>
#include <cstdio>

#include "platform/clock.h"
#include "tests/fuzz/fuzz_scratch_folder.h"
#include "tests/support/recording_device.h"
#include "tests/support/test_system.h"

namespace kestrova_test {

class FuzzSystem : public TestSystem {
public:
    // Each input starts a log of its own, so the folder holds at most one input's lines.
    FuzzSystem() : TestSystem(true)
    {
        frequency = platform::MONOTONIC_FREQUENCY;
        std::remove("log.txt");
    }
    int64_t GetCounter() override { return platform::MonotonicCounter(); }

    // The GUI's files and the log go to the private folder; false when it cannot be made.
    static bool EnterFolder()
    {
        static const bool ready = EnterFuzzScratchFolder("gui");
        return ready;
    }

    RecordingDevice device{this};
};

} // namespace kestrova_test
