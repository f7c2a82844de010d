// The quit signals, noted in a flag and passed on to the handlers installed before ours (the
// window layer's, which turns them into a quit message).
#include "platform/quit_request.h"

#include <csignal>

namespace platform {

namespace {

volatile std::sig_atomic_t g_Requested = 0;
struct sigaction g_PreviousTerm;
struct sigaction g_PreviousInt;
bool g_Watching = false;

void OnQuitSignal(int signal)
{
    g_Requested = 1;
    const struct sigaction& previous = signal == SIGTERM ? g_PreviousTerm : g_PreviousInt;
    // Only a plain handler is passed on: the default action would end the process at once,
    // without its orderly shutdown.
    if (!(previous.sa_flags & SA_SIGINFO) && previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN)
        previous.sa_handler(signal);
}

} // namespace

void WatchQuitSignals()
{
    if (g_Watching)
        return;
    g_Watching = true;
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, &g_PreviousTerm);
    sigaction(SIGINT, &action, &g_PreviousInt);
}

bool QuitRequested()
{
    return g_Requested != 0;
}

} // namespace platform
