// Driving a program as a user would: xdotool commands, pauses between them, and polling for
// what they should bring about.
#pragma once
#include <string>

namespace kestrova_test {

void Pause(int ms);

// Runs "xdotool arguments" quietly; whether it succeeded.
bool Xdo(const std::string& arguments);

// Polls done every 20 ms for up to timeoutMs.
template <class Done>
bool WaitUntil(Done done, int timeoutMs)
{
    for (int waited = 0; waited <= timeoutMs; waited += 20, Pause(20))
        if (done())
            return true;
    return false;
}

} // namespace kestrova_test
