// xdotool commands and pauses for tests that drive the real programs.
#include "tests/support/user_input.h"

#include <chrono>
#include <cstdlib>
#include <thread>

namespace kestrova_test {

void Pause(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool Xdo(const std::string& arguments)
{
    return std::system(("xdotool " + arguments + " >/dev/null 2>&1").c_str()) == 0;
}

} // namespace kestrova_test
