// The quit signals, noted in a flag and passed on to the handlers installed before ours (the
// window layer's, which turns them into a quit message).
#include "platform/quit_request.h"

#include <csignal>

namespace platform {

namespace {

volatile std::sig_atomic_t g_Requested = 0;
constexpr int QUIT_SIGNALS[] = {SIGTERM, SIGINT};
struct sigaction g_Previous[2];
bool g_Watching = false;

void OnQuitSignal(int signal)
{
    g_Requested = 1;
    for (int k = 0; k < 2; ++k) {
        if (QUIT_SIGNALS[k] != signal)
            continue;
        const struct sigaction& previous = g_Previous[k];
        // The default action would end the process at once, without its orderly shutdown.
        if (previous.sa_flags & SA_SIGINFO)
            return;
        if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN)
            previous.sa_handler(signal);
    }
}

} // namespace

void WatchQuitSignals()
{
    if (g_Watching)
        return;
    g_Watching = true;
    for (int k = 0; k < 2; ++k) {
        struct sigaction action {};
        action.sa_handler = OnQuitSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(QUIT_SIGNALS[k], &action, &g_Previous[k]);
    }
}

bool QuitRequested()
{
    return g_Requested != 0;
}

} // namespace platform
